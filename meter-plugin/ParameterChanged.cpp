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
#include <new>
#include <utility>

using iplug::ParamChangeSource;

namespace {

constexpr int kAlertLevelOffset = 1, kAlertPeriodOffset = 2;

// The record of each alert triple, in parameter order.
constexpr AlertIndex kAlertRecordOfTriple[kAlertParamCount] = {
  kAlertIlMin, kAlertIlDialMin, kAlertSlMin,     kAlertMlMin,  kAlertIlMax,  kAlertIlDialMax, kAlertSlMax,    kAlertMlMax,
  kAlertTpMax, kAlertPeakMax,   kAlertLraMin,    kAlertLraDialMin, kAlertPlrMin, kAlertPsrMin, kAlertDialogMin};
// The first four minimum alerts share their group with the maximum four triples later.
constexpr int kPairedTriples = 4;

// Hosts told about a latency change as it happens; the others learn it from the idle hook.
bool ReportsLatencyAtOnce(iplug::HostId host, iplug::PluginApi api)
{
  switch (host)
  {
    case 7: case 21: case 22: case 26: case 38: case 46: return true;
    case 9: return api == iplug::kAPIVST2;
    default: return false;
  }
}

} // namespace

bool Vantorelix::AcceptsChange(int paramIdx, int source) const
{
  switch (source)
  {
    case iplug::kReset:
    case iplug::kPresetRecall:
    case iplug::kEditor:
      return true;
    case iplug::kHost:
      // The host reaches only its own parameters, and not those it may not automate.
      return paramIdx >= 0 && paramIdx < kNumHostParams && !(GetParam(paramIdx)->GetFlags() & iplug::kFlagCannotAutomate);
    default:
      return false;
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
int32_t Vantorelix::IntValue(int paramIdx) const { return static_cast<int32_t>(GetParam(paramIdx)->Value()); }

void Vantorelix::ApplyHostParameter(int idx)
{
  const iplug::IParam* param = GetParam(idx);
  if (!param)
    return;
  const double value = param->Value();
  MeterSettings& s = mSettings;
  // Store a mirror; false when it already held the value.
  auto storeInt = [&](int32_t& mirror) {
    const int32_t v = static_cast<int32_t>(value);
    if (v == mirror)
      return false;
    mirror = v;
    return true;
  };
  auto storeReal = [&](double& mirror) {
    if (value == mirror)
      return false;
    mirror = value;
    return true;
  };
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
    s.lmLevels[idx - kMaxVal_lm] = value;
  else if (idx >= kColor_MeterPeakLED_lmc && idx < kColor_MeterPeakLED_lmc + kMeterColorCount)
    s.meterColorsA.packed[idx - kColor_MeterPeakLED_lmc] = static_cast<uint32_t>(IntValue(idx));
  else if (idx >= kMaxVal_pk && idx <= kMinVal_pk)
    s.peakLevels[idx - kMaxVal_pk] = value;
  else if (idx >= kColor_MeterPeakLED_pkc && idx < kColor_MeterPeakLED_pkc + kMeterColorCount)
    s.meterColorsB.packed[idx - kColor_MeterPeakLED_pkc] = static_cast<uint32_t>(IntValue(idx));
  else if (idx == kColor_BG_Readoutc)
    s.readoutColors.base = static_cast<uint32_t>(IntValue(idx));
  else if (idx >= kColor_BG_ILc && idx < kColor_BG_ILc + kReadoutGroupCount * kReadoutGroupSize)
  {
    const int k = idx - kColor_BG_ILc;
    s.readoutColors.groups[k / kReadoutGroupSize][k % kReadoutGroupSize] = static_cast<uint32_t>(IntValue(idx));
  }
  else if (idx >= kCsvExportIL && idx < kCsvExportIL + kCsvExportCount)
  {
    s.csvExport[idx - kCsvExportIL] = IntValue(idx);
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
    case kDisplayMode: s.displayMode = IntValue(idx); break;
    case kSetup: s.setup = IntValue(idx); break;
    case kSetupPage: s.setupPage = IntValue(idx); break;
    case kSync: s.sync = IntValue(idx); return;
    case kReset:
      if (storeInt(s.reset) && s.reset == 1)
        ResetMeasurementLocked();
      return;
    case kPlay: s.play = IntValue(idx); return;
    case kWriteAutomationData: s.writeAutomationData = IntValue(idx); return;
    case kPreGain: s.preGain = value; return;
    case kMatchIL:
    case kMatchSL:
    case kMatchML:
      if (storeInt(s.match[idx - kMatchIL]) && s.match[idx - kMatchIL] == 1)
        MatchGain(idx);
      return;
    case kLoudness_Target: s.loudnessTarget = value; break;
    case kPeak_Limit:
    case kTruePeak_mode:
      s.maxPeakTarget = GetParam(kPeak_Limit)->Value();
      s.peakMode = IntValue(kTruePeak_mode);
      ResetLimiter();
      break;
    case kEnableLimiter: s.enableLimiter = IntValue(idx); return;
    case kGate_mode:
      s.gateMode = IntValue(idx);
      SetupEngine();
      break;
    case kSL_IntWindow: s.slWindowMs = value; return SetupEngine();
    case kML_IntWindow: s.mlWindowMs = value; return SetupEngine();
    case kChannelConfig:
      s.channelConfig = IntValue(idx);
      return ResetMeasurementLocked();
    case kChannelRouting: s.channelRouting = IntValue(idx); break;
    case kUnitMode: s.unitMode = IntValue(idx); break;
    case kRefOffset: s.refOffset = value; break;
    // A new weighting sets the engine up again too, so that no measurement mixes two weightings.
    case kWFilterMode: s.weightingMode = IntValue(idx); return SetupEngine();
    case kWFilterLCFreq: s.lowCutFreq = value; return SetupEngine();
    case kWFilterLCSlope: s.lowCutSlope = IntValue(idx); return SetupEngine();
    case kWFilterHCFreq: s.highCutFreq = value; return SetupEngine();
    case kWFilterHCSlope: s.highCutSlope = IntValue(idx); return SetupEngine();
    case kLRange_mode: s.rangeMode = IntValue(idx); break;
    case kTimerMode:
      s.timerMode = IntValue(idx);
      ResetMeasurementLocked();
      break;
    case kScaleLabelMode_lm: s.lmScale = IntValue(idx); break;
    case kScaleLabelMode_pk: s.peakScale = IntValue(idx); break;
    case kExportDecimalFormat: s.exportDecimalFormat = IntValue(idx); return;
    case kExportCsvSeparator: s.exportCsvSeparator = IntValue(idx); return;
    case kAutoExportLogCSV: s.autoExportLogCSV = IntValue(idx); return;
    case kOnlineUpdateCheck: s.updateCheck = IntValue(idx); return;
    case kMeasurementMode: s.measurementMode = IntValue(idx); return SetupEngine();
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
  std::unique_ptr<LoudnessEngine> engine(new (std::nothrow) LoudnessEngine);
  if (!engine || !engine->Setup(s.gateMode, static_cast<uint32_t>(s.measurementMode), mChain.sampleRate,
                                s.slWindowMs, s.mlWindowMs))
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
        if (mSettings.gateMode < 0 || mSettings.gateMode > static_cast<int32_t>(GateMode::G10) || !engine->momentary.hasData)
          return;
        level = levels::Loudness(engine->momentary.maximum);
        break;
    }
  }
  const double rounded = std::floor((level + 0.691) * 10.0 + 0.5) / 10.0;
  const double gain = mSettings.loudnessTarget - (rounded - mSettings.preGain - mSettings.refOffset);
  PushParameterValue(kPreGain, false, gain);
  mSettings.preGain = GetParam(kPreGain)->Value();
  ResetMeasurementLocked();
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
