// The editor's live display: the read-out texts with their alert counters and lamps, and the
// level records of the bar meters. Everything the audio thread writes is copied in one short
// hold of the plug-in mutex, so that the values shown together come from the same block and
// the texts are formatted with the audio thread running again.

#include "controls/ITextControls.h"
#include "graphics/IGraphics.h"
#include "meter-engine/LevelScales.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IDynaMeterControl.h"
#include "meter-ui/IMeterControl.h"
#include "reports/OutputParams.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

using iplug::igraphics::IControl;
using iplug::igraphics::IGraphics;

namespace {

constexpr int kDialGate = 3;
constexpr double kNoLevel = -144.0;
// Below these the read-outs show "-inf": the level of silence, and the lowest level the
// speech gate measures.
constexpr double kSilenceFloor = -143.9;
constexpr double kDialFloor = -70.0;
constexpr double kNoFloor = std::numeric_limits<double>::lowest();
constexpr int kCounterLimit = 999;

constexpr double kLampOff = 0.0, kLampLow = 1.0 / 3.0, kLampWithin = 2.0 / 3.0, kLampHigh = 1.0;

double Tenth(double value)
{
  return RoundToTenth(value);
}

// A channel's peak meter as the bar shows it: the level and hold of the bar, the level printed
// under it, and the level its alert is judged by. Linear amplitudes.
struct ChannelReading
{
  double level = 0.0, hold = 0.0, printed = 0.0, alertLevel = 0.0;
};

// What the read-outs and meters show, copied from the engine, the settings and the alerts at
// one moment: the values the output parameters show, and what only the editor shows.
struct DisplayReading
{
  MeasurementReading m;  // its range values are of the histogram the engine's gate shows
  // The settings the texts depend on; the engine's gate mode follows "Gating mode".
  struct
  {
    int32_t gateMode = 0, rangeMode = 0, peakMode = 0;
    double refOffset = 0.0;
  } settings;
  bool hasProgramme = false, hasSpeech = false;
  bool shownRangeHasEntries = false;
  bool programmeRangeHasEntries = false;
  double programmeRange = 0.0;
  double psrMin = 0.0;
  bool shortTermFull = false;
  ChannelReading channels[kMeterChannels];
  std::array<AlertState, kAlertCount> alerts{};

  bool Programme() const { return m.gateMode >= 0 && m.gateMode < kDialGate; }
  bool Dial() const { return m.gateMode == kDialGate; }
  bool TruePeak() const { return settings.peakMode == 1; }
  // The integrated value and the ratios exist once the engine's gate holds a block.
  bool GatedData() const { return Dial() ? hasSpeech : Programme() && hasProgramme; }
  bool RangeData() const { return GatedData() && shownRangeHasEntries; }
  uint32_t Count(AlertIndex a) const { return alerts[a].count; }
};

DisplayReading ReadDisplay(const LoudnessEngine& e, const MeterSettings& s)
{
  DisplayReading r;
  r.m = ReadMeasurement(e);
  r.settings = {s.gateMode, s.rangeMode, s.peakMode, s.refOffset};
  r.hasProgramme = e.integratedGate.HasBlocks();
  r.hasSpeech = e.dialogueGate.HasSpeech();
  r.shownRangeHasEntries = (r.Dial() ? e.speechHistogram : e.mainHistogram).HasEntries();
  r.programmeRangeHasEntries = e.mainHistogram.HasEntries();
  r.programmeRange = e.mainHistogram.range;
  r.psrMin = e.psrMin;
  r.shortTermFull = e.shortTerm.full != 0;
  for (int k = 0; k < kMeterChannels; ++k)
  {
    // The bar follows the smoothed level and its hold line the held one; the number under it
    // and the alert take the largest peak since the measurement began.
    const PeakBallistics& b = e.ballistics[k];
    r.channels[k] = {b.smoothed, b.holdLevel, b.inputMax, b.holdMax};
  }
  r.alerts = s.alerts;
  return r;
}

// The five read-out lamps, in the order of the read-out rows that carry one.
struct ReadoutLamps
{
  double il = 0.0, sl = 0.0, ml = 0.0, range = 0.0, peak = 0.0;
};

// Also latches the alerts whose lamps now hold: `alerts` are the plug-in's own records.
void UpdateLamps(ReadoutLamps& lamps, std::array<AlertState, kAlertCount>& a, const DisplayReading& r)
{
  constexpr auto single = &Vantorelix::UpdateAlertLamp;
  constexpr auto pair = &Vantorelix::UpdateAlertPairLamp;
  const bool dialSetting = r.settings.gateMode == kDialGate;
  lamps.il = dialSetting ? pair(lamps.il, a[kAlertIlDialMin], a[kAlertIlDialMax], r.GatedData())
                         : pair(lamps.il, a[kAlertIlMin], a[kAlertIlMax], r.GatedData());
  lamps.sl = pair(lamps.sl, a[kAlertSlMin], a[kAlertSlMax], true);
  // In "Dial" the momentary box shows the dialogue share, and its lamp the dialogue alert.
  lamps.ml = dialSetting ? single(lamps.ml, a[kAlertDialogMin], r.GatedData())
                         : pair(lamps.ml, a[kAlertMlMin], a[kAlertMlMax], true);
  switch (r.settings.rangeMode)
  {
    case 2: lamps.range = single(lamps.range, a[kAlertPsrMin], r.shortTermFull); break;
    case 1: lamps.range = single(lamps.range, a[kAlertPlrMin], r.GatedData()); break;
    case 0: lamps.range = single(lamps.range, a[dialSetting ? kAlertLraDialMin : kAlertLraMin], r.RangeData()); break;
    default: break;
  }
  lamps.peak = single(lamps.peak, a[r.TruePeak() ? kAlertTpMax : kAlertPeakMax], true);
}

double ControlValue(const IGraphics& ui, int index)
{
  const IControl* control = ui.GetControl(index);
  return control ? control->GetValue() : 0.0;
}

void SetText(const IGraphics& ui, int index, const char* text)
{
  if (auto* control = dynamic_cast<iplug::igraphics::ITextControl*>(ui.GetControl(index)))
    control->SetStr(text);
}

// Redraws the control only when its value changes.
void SetControlValue(const IGraphics& ui, int index, double value)
{
  IControl* control = ui.GetControl(index);
  if (control && control->GetValue() != value)
  {
    control->SetValue(value);
    control->SetDirty(true);
  }
}

void SetCounter(const IGraphics& ui, int index, uint32_t count)
{
  char text[16];
  std::snprintf(text, sizeof text, " %d", static_cast<int>(std::min<uint32_t>(count, kCounterLimit)));
  SetText(ui, index, text);
}

void SetLevels(const IGraphics& ui, int index, double value, double hold, double printed, bool peak, bool over)
{
  if (auto* meter = dynamic_cast<IMeterControl*>(ui.GetControl(index)))
  {
    meter->mValue = value;
    meter->mHold = hold;
    meter->mAltValue = printed;
    meter->mShowAlt = peak ? 1 : 0;
    meter->mOver = over ? 1.0 : 0.0;
    meter->SetDirty(true);
  }
}

double ShownLoudness(double power)
{
  return Tenth(LoudnessOfPower(power));
}
// A power at the floor is silence, no level: below every read-out's floor, so it reads "-inf".
double ReadoutLoudness(double power)
{
  return std::fabs(power) > levels::kPowerFloor ? ShownLoudness(power) : kNoLevel;
}
// The engine keeps the integrated loudness 0.691 below the level shown, and silence at the floor.
double ReadoutIntegrated(double integrated)
{
  return integrated > levels::kSilenceLevel ? Tenth(integrated + levels::kLoudnessOffset) : kNoLevel;
}
double ShownLevel(double amplitude)
{
  return Tenth(LevelOfAmplitude(amplitude));
}

}  // namespace

void Vantorelix::FormatValue(int controlIdx, bool valid, const char* unit, int precision, double value, double offset,
                             double floor)
{
  const IGraphics* ui = AvailableGraphics();
  if (!ui)
    return;
  char text[64];
  if (!valid)
    std::snprintf(text, sizeof text, "---");
  else if (floor > value)
    std::snprintf(text, sizeof text, "-inf");
  else
  {
    const double x = value - offset;
    char format[16];
    std::snprintf(format, sizeof format, x < 0.0 || precision == 0 ? "%%.%dlf%s" : "+%%.%dlf%s", precision,
                  unit ? " %s" : "");
    std::snprintf(text, sizeof text, format, x, unit);
  }
  SetText(*ui, controlIdx, text);
}

double Vantorelix::UpdateAlertLamp(double lamp, AlertState& record, bool hasData)
{
  if (record.mode == AlertMode::Off || !hasData)
    return kLampOff;
  if (record.latched)
    return lamp;
  if (record.mode == AlertMode::Auto)
    return record.active ? kLampLow : kLampWithin;
  if (record.mode == AlertMode::On && record.active)
  {
    record.latched = 1;
    return kLampLow;
  }
  return lamp;
}

double Vantorelix::UpdateAlertPairLamp(double lamp, AlertState& low, AlertState& high, bool hasData)
{
  if ((low.mode == AlertMode::Off && high.mode == AlertMode::Off) || !hasData)
    return kLampOff;
  if (low.latched || high.latched)
    return lamp;
  double value = lamp;
  if (low.mode == AlertMode::On && low.active)
  {
    low.latched = 1;
    value = kLampLow;
  }
  if (high.mode == AlertMode::On && high.active)
  {
    high.latched = 1;
    value = kLampHigh;
  }
  if (low.latched || high.latched)
    return value;
  const bool lowAuto = low.mode == AlertMode::Auto, highAuto = high.mode == AlertMode::Auto;
  if (lowAuto && low.active)
    return kLampLow;
  if (highAuto && high.active)
    return kLampHigh;
  return lowAuto || highAuto ? kLampWithin : lamp;
}

void Vantorelix::SetRangeLamp(int controlIdx, bool valid, double value, double low, double high)
{
  const IGraphics* ui = AvailableGraphics();
  if (!ui)
    return;
  const int level = !valid ? 0 : value < low ? 3 : value > high ? 1 : 2;
  SetControlValue(*ui, controlIdx, level / 3.0);
}

void Vantorelix::UpdateReadouts(bool measuring)
{
  const IGraphics* ui = AvailableGraphics();
  if (!ui)
    return;
  const ReadoutArea& area = mControlPositions.readout;
  const auto& rows = area.rows;
  ReadoutLamps lamps{ControlValue(*ui, rows[kReadoutIL].led), ControlValue(*ui, rows[kReadoutSL].led),
                     ControlValue(*ui, rows[kReadoutML].led), ControlValue(*ui, rows[kReadoutRange].led),
                     ControlValue(*ui, rows[kReadoutPeak].led)};
  DisplayReading r;
  uint32_t timer[4] = {};
  {
    WDL_MutexLock lock(mMutex);
    if (!mEngine)
      return;
    r = ReadDisplay(*mEngine, mSettings);
    UpdateLamps(lamps, mSettings.alerts, r);
    if (measuring)
    {
      timespec now{};
      clock_gettime(CLOCK_REALTIME, &now);
      tm wall{};
      localtime_r(&now.tv_sec, &wall);
      TimerTime(timer, wall, static_cast<int>(now.tv_nsec / 1000000), mSamplePosition);
    }
  }

  const double ref = r.settings.refOffset;
  const bool dialSetting = r.settings.gateMode == kDialGate;
  const double gatedFloor = dialSetting ? kDialFloor : kSilenceFloor;

  // Integrated: the speech-gated value in "Dial", else the programme value.
  const double il = r.Dial() ? ShownLoudness(r.m.speechMeanPower) : ReadoutIntegrated(r.m.integratedLoudness);
  FormatValue(rows[kReadoutIL].valueText, r.GatedData(), nullptr, 1, il, ref, gatedFloor);
  if (dialSetting)
  {
    FormatValue(rows[kReadoutIL].secondCaption, r.hasProgramme, "IL", 1, ReadoutIntegrated(r.m.integratedLoudness), ref,
                kSilenceFloor);
    SetControlValue(*ui, area.ilSwitchPanel, r.m.speechPresent ? 1.0 : 0.0);
  }
  SetCounter(
    *ui, rows[kReadoutIL].sideValues[0],
    dialSetting ? r.Count(kAlertIlDialMin) + r.Count(kAlertIlDialMax) : r.Count(kAlertIlMin) + r.Count(kAlertIlMax));

  FormatValue(rows[kReadoutSL].valueText, true, nullptr, 1, ReadoutLoudness(r.m.slPower), ref, gatedFloor);
  FormatValue(rows[kReadoutSL].secondCaption, true, "Max", 1, ReadoutLoudness(r.m.slMaxPower), ref, gatedFloor);
  SetCounter(*ui, rows[kReadoutSL].sideValues[0], r.Count(kAlertSlMin) + r.Count(kAlertSlMax));

  if (dialSetting)
  {
    const double share = r.m.blockCount == 0 ? 0.0 : 100.0 * r.m.speechBlockCount / r.m.blockCount;
    FormatValue(rows[kReadoutML].valueText, r.GatedData(), "", 0, share, 0.0, kNoFloor);
  }
  else
  {
    FormatValue(rows[kReadoutML].valueText, true, nullptr, 1, ReadoutLoudness(r.m.mlPower), ref, kSilenceFloor);
    FormatValue(rows[kReadoutML].secondCaption, true, "Max", 1, ReadoutLoudness(r.m.mlMaxPower), ref, kSilenceFloor);
  }

  // A stopped meter keeps the time it stopped at.
  if (measuring)
  {
    char text[32];
    std::snprintf(text, sizeof text, " %02d:%02d:%02d.%01d", static_cast<int>(timer[0]), static_cast<int>(timer[1]),
                  static_cast<int>(timer[2]), static_cast<int>(timer[3]));
    SetText(*ui, rows[kReadoutTime].valueText, text);
  }

  const ReadoutBoxSlots& range = rows[kReadoutRange];
  switch (r.settings.rangeMode)
  {
    case 0:
    {
      FormatValue(range.valueText, r.RangeData(), nullptr, 1, Tenth(r.m.lra), 0.0, kSilenceFloor);
      FormatValue(range.sideValues[0], r.RangeData(), nullptr, 1, Tenth(r.m.lraLow), ref, kSilenceFloor);
      FormatValue(range.sideValues[1], r.RangeData(), nullptr, 1, Tenth(r.m.lraHigh), ref, kSilenceFloor);
      const bool programmeRange = (r.Programme() || r.Dial()) && r.hasProgramme && r.programmeRangeHasEntries;
      FormatValue(range.secondCaption, programmeRange, "LRA", 1, Tenth(r.programmeRange), 0.0, kSilenceFloor);
      break;
    }
    case 1:
      FormatValue(range.valueText, true, nullptr, 1, Tenth(r.m.plr - 0.691), 0.0, kSilenceFloor);
      FormatValue(range.secondCaption, r.shortTermFull, "PSR", 1, Tenth(r.m.psr), 0.0, kSilenceFloor);
      break;
    case 2:
      FormatValue(range.valueText, r.shortTermFull, nullptr, 1, Tenth(r.m.psr), 0.0, kSilenceFloor);
      FormatValue(range.secondCaption, r.shortTermFull, "Min", 1, Tenth(r.psrMin), 0.0, kSilenceFloor);
      break;
    default: break;
  }

  FormatValue(rows[kReadoutPeak].valueText, true, nullptr, 1,
              ShownLevel(r.TruePeak() ? r.m.truePeakMax : r.m.samplePeakMax), 0.0, kSilenceFloor);
  SetCounter(*ui, rows[kReadoutPeak].sideValues[0], r.Count(r.TruePeak() ? kAlertTpMax : kAlertPeakMax));

  SetControlValue(*ui, rows[kReadoutIL].led, lamps.il);
  SetControlValue(*ui, rows[kReadoutSL].led, lamps.sl);
  SetControlValue(*ui, rows[kReadoutML].led, lamps.ml);
  SetControlValue(*ui, rows[kReadoutRange].led, lamps.range);
  SetControlValue(*ui, rows[kReadoutPeak].led, lamps.peak);
}

void Vantorelix::UpdateMeters()
{
  const IGraphics* ui = AvailableGraphics();
  if (!ui)
    return;
  DisplayReading r;
  {
    WDL_MutexLock lock(mMutex);
    if (!mEngine)
      return;
    r = ReadDisplay(*mEngine, mSettings);
  }
  const auto& meters = mControlPositions.meterPanel;

  SetLevels(*ui, meters[kSlBar], ReadoutLoudness(r.m.slPower), ReadoutLoudness(r.m.slMaxPower), kNoLevel, false,
            r.alerts[kAlertSlMax].active != 0);
  SetLevels(*ui, meters[kMlBar], ReadoutLoudness(r.m.mlPower), ReadoutLoudness(r.m.mlMaxPower), kNoLevel, false,
            r.alerts[kAlertMlMax].active != 0);

  if (auto* dyna = dynamic_cast<IDynaMeterControl*>(ui->GetControl(meters[kDynaMeter]));
      dyna && r.settings.rangeMode >= IDynaMeterControl::kLRA && r.settings.rangeMode <= IDynaMeterControl::kPSR)
  {
    switch (r.settings.rangeMode)
    {
      case IDynaMeterControl::kPSR:
        dyna->mLow = Tenth(r.m.psr);
        dyna->mHigh = 0.0;
        dyna->mReference = r.alerts[kAlertPsrMin].level;
        break;
      case IDynaMeterControl::kPLR:
        dyna->mLow = Tenth(r.m.plr - 0.691);
        dyna->mHigh = 0.0;
        dyna->mReference = r.alerts[kAlertPlrMin].level;
        break;
      default:
      {
        const bool known = r.Programme() || r.Dial();
        dyna->mLow = known ? Tenth(r.m.lraLow) : kNoLevel;
        dyna->mHigh = known ? Tenth(r.m.lraHigh) : kNoLevel;
        dyna->mReference = 0.0;
        break;
      }
    }
    dyna->mCentre = ShownLoudness(r.m.slMaxPower);
    dyna->mDynaMode = r.settings.rangeMode;
    dyna->mDynaValid = r.shortTermFull;
    dyna->SetDirty(true);
  }

  const AlertState& peakAlert = r.alerts[r.TruePeak() ? kAlertTpMax : kAlertPeakMax];
  for (int k = 0; k < kMeterChannels; ++k)
  {
    const ChannelReading& c = r.channels[k];
    const bool over = peakAlert.mode != AlertMode::Off && ShownLevel(c.alertLevel) > peakAlert.level;
    SetLevels(*ui, meters[static_cast<size_t>(kFirstChannelBar + k)], ShownLevel(c.level), ShownLevel(c.hold),
              ShownLevel(c.printed), true, over);
  }
}
