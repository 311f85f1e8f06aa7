// The parameter-change handler: every change of a host parameter is copied into its settings
// mirror and followed by what it needs (engine or limiter set-up, measurement reset, scale
// refresh, editor resize); every accepted call ends by asking for a display refresh and
// recomputing the latency. Editor action ids are handled in EditorActions.cpp.

#include "graphics/IGraphics.h"
#include "meter-engine/LevelScales.h"
#include "meter-plugin/Vantorelix.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <utility>

using iplug::ParamChangeSource;

namespace {

constexpr int kAlertLevelOffset = 1, kAlertPeriodOffset = 2;

// The record of each alert triple, in parameter order.
constexpr AlertIndex kAlertRecordOfTriple[kAlertParamCount] = {
  kAlertIlMin,     kAlertIlDialMin,  kAlertSlMin,  kAlertMlMin,  kAlertIlMax,
  kAlertIlDialMax, kAlertSlMax,      kAlertMlMax,  kAlertTpMax,  kAlertPeakMax,
  kAlertLraMin,    kAlertLraDialMin, kAlertPlrMin, kAlertPsrMin, kAlertDialogMin};
// The first four minimum alerts share their group with the maximum four triples later.
constexpr int kPairedTriples = 4;

// Hosts told about a latency change as it happens; the others learn it from the idle hook.
bool ReportsLatencyAtOnce(iplug::HostId host, iplug::PluginApi api)
{
  switch (host)
  {
    case 7:
    case 21:
    case 22:
    case 26:
    case 38:
    case 46: return true;
    case 9: return api == iplug::kAPIVST2;
    default: return false;
  }
}

}  // namespace

bool Vantorelix::AcceptsChange(int paramIdx, int source) const
{
  switch (source)
  {
    case iplug::kReset:
    case iplug::kPresetRecall:
    case iplug::kEditor: return true;
    case iplug::kHost:
      // The host reaches only its own parameters, and not those it may not automate.
      return paramIdx >= 0 && paramIdx < kNumHostParams &&
             !(GetParam(paramIdx)->GetFlags() & iplug::kFlagCannotAutomate);
    default: return false;
  }
}

void Vantorelix::ParameterChanged(int paramIdx, ParamChangeSource source, int)
{
  if (!AcceptsChange(paramIdx, source))
    return;
  // The graph reports the pointer at every move over it; that asks for a redraw only, and must
  // not wait for the lock that the audio thread holds.
  if (paramIdx == kActionGraph && GraphReportsPointer())
  {
    mRequests.readoutRefresh = 1;
    mRequests.meterRefresh = 1;
    return;
  }
  if (paramIdx >= 0 && paramIdx < kNumHostParams)
    ApplyHostParameter(paramIdx);
  else if (paramIdx >= kFirstActionId && paramIdx <= kLastActionId)
    RunEditorAction(paramIdx);
  FinishChange();
}

void Vantorelix::ParametersReset(iplug::ParamChangeSource source)
{
  mRecalling = true;
  IPlugAU::ParametersReset(source);
  mRecalling = false;
  if (std::exchange(mEngineSetupDue, false))
    SetupEngine();
}

// Integer mirrors take the value truncated toward zero.
int32_t Vantorelix::IntValue(int paramIdx) const
{
  return static_cast<int32_t>(GetParam(paramIdx)->Value());
}

void Vantorelix::ApplyHostParameter(int idx)
{
  const iplug::IParam* param = GetParam(idx);
  if (!param)
    return;
  const double value = param->Value();
  MeterSettings& s = mSettings;
  // Stores a mirror; false when it already held the value. The audio thread reads the mirrors
  // under the plug-in mutex, so each is stored under it: a block sees a setting as it was before
  // the change or after it, never half written. What follows a store takes the lock itself.
  auto store = [&]<class T>(T& mirror, T v) {
    WDL_MutexLock lock(mMutex);
    if (v == mirror)
      return false;
    mirror = v;
    return true;
  };
  auto storeInt = [&](int32_t& mirror) { return store(mirror, IntValue(idx)); };
  auto storeReal = [&](double& mirror) { return store(mirror, value); };
  auto storeWord = [&](uint32_t& mirror) { return store(mirror, static_cast<uint32_t>(IntValue(idx))); };
  if (idx >= kIL_Min_Mode && idx <= kDialog_Min_Period)
    return ApplyAlertGroup((idx - kIL_Min_Mode) / 3);
  if (idx >= kGraphTimescale && idx <= kGraphPSR)
  {
    // The editor's thread may be reading them (UpdateGraphSettings): each is stored whole.
    for (int i = 0; i < kGraphSettingCount; ++i)
      std::atomic_ref(s.graph[i]).store(IntValue(kGraphTimescale + i), std::memory_order_relaxed);
    return UpdateGraphSettings();
  }
  if (idx >= kMaxVal_lm && idx <= kMinVal_lm)
    storeReal(s.lmLevels[idx - kMaxVal_lm]);
  else if (idx >= kColor_MeterPeakLED_lmc && idx < kColor_MeterPeakLED_lmc + kMeterColorCount)
    storeWord(s.meterColorsA.packed[idx - kColor_MeterPeakLED_lmc]);
  else if (idx >= kMaxVal_pk && idx <= kMinVal_pk)
    storeReal(s.peakLevels[idx - kMaxVal_pk]);
  else if (idx >= kColor_MeterPeakLED_pkc && idx < kColor_MeterPeakLED_pkc + kMeterColorCount)
    storeWord(s.meterColorsB.packed[idx - kColor_MeterPeakLED_pkc]);
  else if (idx == kColor_BG_Readoutc)
    storeWord(s.readoutColors.base);
  else if (idx >= kColor_BG_ILc && idx < kColor_BG_ILc + kReadoutGroupCount * kReadoutGroupSize)
  {
    const int k = idx - kColor_BG_ILc;
    storeWord(s.readoutColors.groups[k / kReadoutGroupSize][k % kReadoutGroupSize]);
  }
  else if (idx >= kCsvExportIL && idx < kCsvExportIL + kCsvExportCount)
  {
    storeInt(s.csvExport[idx - kCsvExportIL]);
    return;
  }

  switch (idx)
  {
    case kGuiScale:
      if (storeReal(s.guiScale))
        UpdateEditorGeometry();
      return;
    case kGuiWidth:
    case kGuiHeight:
    case kGuiLayout:
      if (storeInt(idx == kGuiWidth ? s.guiWidth : idx == kGuiHeight ? s.guiHeight : s.layout))
        UpdateEditorGeometry();
      return;
    case kToggleTooltips:
      if (storeInt(s.tooltips))
        if (iplug::igraphics::IGraphics* ui = AvailableGraphics())
          ui->EnableTooltips(value > 0);
      return;
    case kDisplayMode: storeInt(s.displayMode); break;
    case kSetup: storeInt(s.setup); break;
    case kSetupPage: storeInt(s.setupPage); break;
    case kSync: storeInt(s.sync); return;
    case kReset:
      if (storeInt(s.reset) && s.reset == 1)
        ResetMeasurementLocked();
      return;
    case kPlay: storeInt(s.play); return;
    case kWriteAutomationData: storeInt(s.writeAutomationData); return;
    case kPreGain: storeReal(s.preGain); return;
    case kMatchIL:
    case kMatchSL:
    case kMatchML:
      if (storeInt(s.match[idx - kMatchIL]) && s.match[idx - kMatchIL] == 1)
        MatchGain(idx);
      return;
    case kLoudness_Target: storeReal(s.loudnessTarget); break;
    case kPeak_Limit:
    case kTruePeak_mode:
      store(s.maxPeakTarget, GetParam(kPeak_Limit)->Value());
      store(s.peakMode, IntValue(kTruePeak_mode));
      ResetLimiter();
      break;
    case kEnableLimiter: storeInt(s.enableLimiter); return;
    case kGate_mode:
      storeInt(s.gateMode);
      SetupEngine();
      break;
    case kSL_IntWindow: storeReal(s.slWindowMs); return SetupEngine();
    case kML_IntWindow: storeReal(s.mlWindowMs); return SetupEngine();
    case kChannelConfig: storeInt(s.channelConfig); return ResetMeasurementLocked();
    case kChannelRouting: storeInt(s.channelRouting); break;
    case kUnitMode: storeInt(s.unitMode); break;
    case kRefOffset: storeReal(s.refOffset); break;
    // A new weighting sets the engine up again too, so that no measurement mixes two weightings.
    case kWFilterMode: storeInt(s.weightingMode); return SetupEngine();
    case kWFilterLCFreq: storeReal(s.lowCutFreq); return SetupEngine();
    case kWFilterLCSlope: storeInt(s.lowCutSlope); return SetupEngine();
    case kWFilterHCFreq: storeReal(s.highCutFreq); return SetupEngine();
    case kWFilterHCSlope: storeInt(s.highCutSlope); return SetupEngine();
    case kLRange_mode: storeInt(s.rangeMode); break;
    case kTimerMode:
      storeInt(s.timerMode);
      ResetMeasurementLocked();
      break;
    case kScaleLabelMode_lm: storeInt(s.lmScale); break;
    case kScaleLabelMode_pk: storeInt(s.peakScale); break;
    case kExportDecimalFormat: storeInt(s.exportDecimalFormat); return;
    case kExportCsvSeparator: storeInt(s.exportCsvSeparator); return;
    case kAutoExportLogCSV: storeInt(s.autoExportLogCSV); return;
    case kOnlineUpdateCheck: storeInt(s.updateCheck); return;
    case kMeasurementMode: storeInt(s.measurementMode); return SetupEngine();
    default:
      // The output parameters and "RVC11"/"RVC13" mirror nothing; the scale and colour
      // mirrors stored above refresh the scales.
      if ((idx >= kOutIL && idx <= kOutPeakMaxAlert) || idx == kColor_RVC11 || idx == kColor_RVC13)
        return;
      break;
  }
  ConfigureMeterScales();
}

void Vantorelix::ApplyAlertGroup(int triple)
{
  int triples[2] = {triple, -1};
  if (triple < kPairedTriples)
    triples[1] = triple + kPairedTriples;
  else if (triple < 2 * kPairedTriples)
    triples[0] = triple - kPairedTriples, triples[1] = triple;
  {
    // Blocks advance the alert records under the plug-in mutex: the new settings and the cleared
    // run state reach the next block together, and no block's update outlives the clear.
    WDL_MutexLock lock(mMutex);
    for (int t : triples)
    {
      if (t < 0)
        continue;
      const int mode = kIL_Min_Mode + 3 * t;
      AlertState& alert = mSettings.alerts[kAlertRecordOfTriple[t]];
      alert.mode = static_cast<AlertMode>(IntValue(mode));
      alert.level = GetParam(mode + kAlertLevelOffset)->Value();
      alert.period = GetParam(mode + kAlertPeriodOffset)->Value();
      alert.ClearRunState();
    }
  }
  const AlertIndex record = kAlertRecordOfTriple[triple];
  if (record == kAlertPlrMin || record == kAlertPsrMin)
    ConfigureMeterScales();
}

void Vantorelix::UpdateEditorGeometry()
{
  mSettings.guiScale = GetParam(kGuiScale)->Value();
  mSettings.guiWidth = IntValue(kGuiWidth);
  mSettings.guiHeight = IntValue(kGuiHeight);
  mSettings.layout = IntValue(kGuiLayout);
  mRequests.editorResize = 1;
}

// The new engine is built aside and swapped in, so the audio thread waits only for the swap and
// the filter design, not for windows of up to a minute to be allocated. The measurement is not
// reset: it starts again in the new engine. A value sent again unchanged, as hosts do when they
// replay automation or initialise, rebuilds nothing and keeps the measurement.
void Vantorelix::SetupEngine()
{
  if (mRecalling)
  {
    mEngineSetupDue = true;
    return;
  }
  const MeterSettings& s = mSettings;
  const EngineDesign design = EngineDesign::Of(s, mChain.sampleRate);
  if (mEngine && design == mEngineDesign)
    return;
  std::unique_ptr<LoudnessEngine> engine = LoudnessEngine::Create(s.gateMode, static_cast<uint32_t>(s.measurementMode),
                                                                  mChain.sampleRate, s.slWindowMs, s.mlWindowMs);
  if (!engine)
    return;  // the running engine and filters stay
  WDL_MutexLock lock(mMutex);
  mEngine.swap(engine);
  DesignFilters(mChain.sampleRate);
  mEngineDesign = design;
}

void Vantorelix::ResetMeasurementLocked()
{
  WDL_MutexLock lock(mMutex);
  // A recall brings "Graph Scroll" with the rest of its settings: the reset that a recalled
  // "Channel Config" or "Timer Mode" makes must not switch it back on.
  if (mRecalling)
    ClearMeasurement();
  else
    ResetMeasurement();
}

// The audio thread runs the limiter under the plug-in mutex, so its set-up waits for the block.
void Vantorelix::ResetLimiter()
{
  WDL_MutexLock lock(mMutex);
  UpdateLimiter();
  mLimiter.Reset();
}

void Vantorelix::MatchGain(int matchIdx)
{
  const LoudnessEngine* engine = mEngine.get();
  if (!engine)
    return;
  double level = 0.0;
  {
    WDL_MutexLock lock(mMutex);
    // Only a window or gate that holds measured audio gives a level to match: an empty one
    // reads silence and would drive the gain to its maximum.
    switch (matchIdx)
    {
      case kMatchIL:
        if (engine->gateMode == GateMode::Dial)
        {
          if (engine->dialogueGate.WriteIndex() == 0)
            return;
          level = levels::Loudness(engine->dialogueGate.MeanSpeechPower());
        }
        else if (engine->gateMode == GateMode::Off || engine->gateMode == GateMode::G8 ||
                 engine->gateMode == GateMode::G10)
        {
          if (!engine->integratedGate.HasBlocks())
            return;
          level = engine->integratedGate.integrated;
        }
        else
          return;
        break;
      case kMatchSL:
        if (!engine->shortTerm.hasData)
          return;
        level = levels::Loudness(engine->shortTerm.maximum);
        break;
      default:
        if (mSettings.gateMode < 0 || mSettings.gateMode > static_cast<int32_t>(GateMode::G10) ||
            !engine->momentary.hasData)
          return;
        level = levels::Loudness(engine->momentary.maximum);
        break;
    }
  }
  const double rounded = std::floor((level + 0.691) * 10.0 + 0.5) / 10.0;
  const double gain = mSettings.loudnessTarget - (rounded - mSettings.preGain - mSettings.refOffset);
  PushParameterValue(kPreGain, false, gain);
  WDL_MutexLock lock(mMutex);
  mSettings.preGain = GetParam(kPreGain)->Value();
  ResetMeasurement();
}

void Vantorelix::FinishChange()
{
  mRequests.readoutRefresh = 1;
  mRequests.meterRefresh = 1;
  WDL_MutexLock lock(mMutex);
  const int latency = static_cast<int>(UpdateLatency());
  mChain.latency = latency;
  mPDCLatency = latency;
  if (ReportsLatencyAtOnce(GetHost(), GetAPI()) && GetLatency() != latency)
    NotifyLatency(*this, latency);
}

void Vantorelix::PushParameterValue(int paramIdx, bool isNormalised, double value)
{
  iplug::IParam* param = GetParam(paramIdx);
  if (isNormalised)
  {
    if (param->ToNormalised(param->Value()) == value)
      return;
    SetParameterValue(paramIdx, value, false);
    DeliverValueToEditor(paramIdx, value, true);
    return;
  }
  if (param->Value() == value)
    return;
  SetParameterValue(paramIdx, param->ToNormalised(param->Constrain(value)), false);
  DeliverValueToEditor(paramIdx, value, false);
}
