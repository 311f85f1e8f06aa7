#include "reports/OutputParams.h"

#include "meter-engine/LoudnessEngine.h"
#include "meter-plugin/Vantorelix.h"
#include "framework/WDLMutex.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kDialGate = 3;
constexpr double kNoLevel = -144.0;

// The hosts that record written values as automation only between gesture notifications.
bool HostWantsGestures(iplug::HostId host)
{
  return host == 5 || host == 21 || host == 22 || host == 34;
}

}  // namespace

MeasurementReading ReadMeasurement(const LoudnessEngine& engine)
{
  MeasurementReading r;
  r.gateMode = static_cast<int32_t>(engine.gateMode);
  r.integratedLoudness = engine.integratedGate.integrated;
  r.speechMeanPower = engine.dialogueGate.MeanSpeechPower();
  r.slPower = engine.shortTerm.mean;
  r.slMaxPower = engine.shortTerm.maximum;
  r.mlPower = engine.momentary.mean;
  r.mlMaxPower = engine.momentary.maximum;
  const LoudnessHistogram& histogram = r.gateMode == kDialGate ? engine.speechHistogram : engine.mainHistogram;
  r.lra = histogram.range;
  r.lraLow = histogram.low;
  r.lraHigh = histogram.high;
  r.plr = engine.plr;
  r.psr = engine.psr;
  r.blockCount = engine.dialogueGate.BlockCount();
  r.speechBlockCount = engine.dialogueGate.SpeechBlockCount();
  r.speechPresent = engine.dialoguePresent;
  r.samplePeak = engine.samplePeak;
  r.samplePeakMax = engine.samplePeakMax;
  for (const TruePeakOversampler& oversampler : engine.oversamplers)
  {
    r.truePeak = std::max(r.truePeak, oversampler.truePeak);
    r.truePeakMax = std::max(r.truePeakMax, oversampler.truePeakMax);
  }
  return r;
}

double LoudnessOfPower(double power)
{
  if (std::fabs(power) <= 4.667e-15)
    return -143.309;
  return 4.342944819 * std::log(power) - 0.691 + 0.691;
}

double LevelOfAmplitude(double amplitude)
{
  if (std::fabs(amplitude) <= 6.309e-08)
    return kNoLevel;
  return 8.685889638065037 * std::log(std::fabs(amplitude));
}

double RoundToTenth(double value)
{
  return std::floor(value * 10.0 + 0.5) / 10.0;
}

OutputValues ComputeOutputValues(const MeasurementReading& r, const MeterSettings& s)
{
  const bool programme = r.gateMode >= 0 && r.gateMode < kDialGate;
  const bool dial = r.gateMode == kDialGate;
  const double ref = s.refOffset;
  // A range level of the gate's histogram, or no level when nothing is measured.
  const auto rangeLevel = [&](double level) { return (programme || dial ? RoundToTenth(level) : kNoLevel) - ref; };

  OutputValues out;
  if (programme)
    out.Add(kOutIL, RoundToTenth(r.integratedLoudness + 0.691) - ref);
  else if (dial)
    out.Add(kOutIL, RoundToTenth(LoudnessOfPower(r.speechMeanPower)) - ref);
  else
    out.Add(kOutIL, kNoLevel - ref);
  out.Add(kOutSL, RoundToTenth(LoudnessOfPower(r.slPower)) - ref);
  out.Add(kOutML, RoundToTenth(LoudnessOfPower(r.mlPower)) - ref);
  out.Add(kOutLRA, programme || dial ? RoundToTenth(r.lra) : 0.0);
  out.Add(kOutPLR, RoundToTenth(r.plr - 0.691));
  out.Add(kOutPSR, RoundToTenth(r.psr));
  if (s.gateMode == kDialGate)
  {
    out.Add(kOutDialogPercentage, r.blockCount == 0 ? 0.0 : double(r.speechBlockCount) / r.blockCount * 100.0);
    out.Add(kOutDialogPresence, r.speechPresent);
  }
  const bool truePeak = s.peakMode == 1;
  const bool samplePeak = s.peakMode == 0;
  if (truePeak || samplePeak)
    out.Add(kOutPeak, RoundToTenth(LevelOfAmplitude(truePeak ? r.truePeak : r.samplePeak)));
  out.Add(kOutSLMax, RoundToTenth(LoudnessOfPower(r.slMaxPower)) - ref);
  out.Add(kOutMLMax, RoundToTenth(LoudnessOfPower(r.mlMaxPower)) - ref);
  out.Add(kOutLRALow, rangeLevel(r.lraLow));
  out.Add(kOutLRAHigh, rangeLevel(r.lraHigh));
  if (truePeak || samplePeak)
    out.Add(kOutPeakMax, RoundToTenth(LevelOfAmplitude(truePeak ? r.truePeakMax : r.samplePeakMax)));
  out.Add(kOutILMaxAlert, s.alerts[kAlertIlMax].active);
  out.Add(kOutSLMaxAlert, s.alerts[kAlertSlMax].active);
  out.Add(kOutMLMaxAlert, s.alerts[kAlertMlMax].active);
  if (truePeak || samplePeak)
    out.Add(kOutPeakMaxAlert, s.alerts[truePeak ? kAlertTpMax : kAlertPeakMax].active);
  return out;
}

// The reading and the alert flags are taken under the plug-in mutex, so that all values come
// from one block; the parameters are written after it is released.
void Vantorelix::WriteOutputParams()
{
  OutputValues values;
  {
    WDL_MutexLock lock(mMutex);
    if (!mEngine)
      return;
    values = ComputeOutputValues(ReadMeasurement(*mEngine), mSettings);
  }
  for (int i = 0; i < values.count; ++i)
    PushOutputValue(values.items[i].paramIdx, values.items[i].value);
}

void Vantorelix::PushOutputValue(int paramIdx, double value)
{
  const iplug::IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  const bool gestures = HostWantsGestures(GetHost());
  if (gestures)
    NotifyHostGestureBegin(paramIdx);
  SetValueFromEditor(paramIdx, std::clamp(param->ToNormalised(value), 0.0, 1.0), false);
  if (gestures)
    NotifyHostGestureEnd(paramIdx);
}

void Vantorelix::PushOutputValueInt(int paramIdx, int value)
{
  PushOutputValue(paramIdx, value);
}
