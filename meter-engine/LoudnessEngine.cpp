#include "meter-engine/LoudnessEngine.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "meter-engine/LevelScales.h"

namespace {

struct GatePair
{
  double absolute, relative;
};
constexpr GatePair kGateTable[4] = {{-144.0, -144.0}, {-70.0, -8.0}, {-70.0, -10.0}, {-70.0, -10.0}};

double ClampWindowMs(double ms)
{
  return std::clamp(ms, 10.0, 60000.0);
}

// The window-peak smoother steps twice per 100 ms hop, not once per sample, so its coefficient
// is set per step: the distance to the windowed peak shrinks tenfold in 48 steps (2.4 s) at every
// sample rate, as it does at 48 kHz. Derived from the rate, it made PSR of a steady tone depend on
// the rate (-0.1 at 48 kHz, -3.1 at 192 kHz five seconds in).
constexpr double kWindowPeakStepsPerDecade = 48.0;

}  // namespace

bool LoudnessEngine::Setup(int32_t gate, uint32_t mode, double sampleRate, double shortTermWindowMs,
                           double momentaryWindowMs)
{
  // Built aside and moved in whole, so that a failure leaves the running engine untouched.
  std::unique_ptr<LoudnessEngine> fresh = Create(gate, mode, sampleRate, shortTermWindowMs, momentaryWindowMs,
                                                 dialogueGate.Detector());
  if (!fresh)
    return false;
  *this = std::move(*fresh);
  return true;
}

std::unique_ptr<LoudnessEngine> LoudnessEngine::Create(int32_t gate, uint32_t mode, double sampleRate,
                                                       double shortTermWindowMs, double momentaryWindowMs,
                                                       const SpeechDetectorCalls& detector)
{
  std::unique_ptr<LoudnessEngine> engine(new (std::nothrow) LoudnessEngine);
  if (engine)
    engine->dialogueGate.UseDetector(detector);
  if (!engine || !engine->Build(gate, mode, sampleRate, shortTermWindowMs, momentaryWindowMs))
    return nullptr;
  return engine;
}

bool LoudnessEngine::Build(int32_t gate, uint32_t mode, double fs, double shortTermWindowMs, double momentaryWindowMs)
{
  gateMode = static_cast<GateMode>(gate);
  gateAbsolute = gateRelative = -144.0;
  if (gate >= 0 && gate < 4)
  {
    gateAbsolute = kGateTable[gate].absolute;
    gateRelative = kGateTable[gate].relative;
  }
  measurementMode = static_cast<MeasurementMode>(mode);

  momentaryMs = ClampWindowMs(momentaryWindowMs);
  shortTermMs = ClampWindowMs(shortTermWindowMs);
  if (!momentary.Prepare(momentaryMs, fs))
    return false;
  leqMSmoother = Smoother{0.0, std::pow(10.0, -1.0 / (7.5e-5 * fs)), 0.0};  // instant attack
  if (!shortTerm.Prepare(shortTermMs, fs) || !powerHistory.Prepare(std::max(momentary.length, shortTerm.length)))
    return false;
  if (!hopBuffer.Prepare(100.0, fs))
    return false;
  if (!integratedGate.Prepare(IntegratedGate::kCapacity, gateAbsolute, gateRelative))
    return false;
  // A rate the detector does not support leaves the gate disabled, not the engine unbuilt. Only
  // "Dial" feeds the gate; the other modes leave it unprepared and empty, which spares priming
  // the detector at every rebuild (a gate mode change rebuilds the engine).
  if (gateMode == GateMode::Dial)
    dialogueGate.Prepare(IntegratedGate::kCapacity, hopBuffer.count, fs);
  if (!mainHistogram.Prepare(IntegratedGate::kCapacity, rangeAbsoluteGate, rangeRelativeGate, rangeLowPercentile,
                             rangeHighPercentile))
    return false;
  if (!speechHistogram.Prepare(IntegratedGate::kCapacity, rangeAbsoluteGate, -144.0, rangeLowPercentile,
                               rangeHighPercentile))
    return false;
  plr = -144.0;
  if (!peakTracker.Init(shortTermMs, fs))
    return false;
  const double peakCoefficient = std::pow(10.0, -1.0 / kWindowPeakStepsPerDecade);
  windowPeakSmoother = Smoother{peakCoefficient, peakCoefficient, 0.0};
  for (auto& o : oversamplers)
    o.Prepare(fs);
  for (auto& b : ballistics)
    b.Setup(fs);
  Reset();
  return true;
}

void LoudnessEngine::Reset()
{
  samplePeak = samplePeakMax = samplePeakPeriodMax = 0.0;
  powerHistory.Clear();
  shortTerm.Clear();
  momentary.Clear();
  hopBuffer.Clear();
  integratedGate.Clear();
  dialogueGate.Reset();
  mainHistogram.Clear();
  speechHistogram.Clear();
  plr = -144.0;
  psr = psrMin = 0.0;
  peakTracker.Clear();
  for (auto& o : oversamplers)
    o.Clear();
  for (auto& b : ballistics)
    b.Clear();
  dialoguePresent = 0;
  windowPeakSmoother.state = 0.0;
  leqMSmoother.state = 0.0;
}

namespace {

// peaks[i] = std::max(peaks[i], values[i]) for i < n, written four at a time so that the compiler
// takes four in one vector.
[[gnu::always_inline]] inline void RaiseTo(double* peaks, const double* values, int n)
{
  int i = 0;
  for (; i + 4 <= n; i += 4)
    for (int k = 0; k < 4; ++k)
      peaks[i + k] = std::max(peaks[i + k], values[i + k]);
  for (; i < n; ++i)
    peaks[i] = std::max(peaks[i], values[i]);
}

}  // namespace

VECTOR_CLONES void LoudnessEngine::PeakStage(const uint8_t enabled[kChannels], int32_t peakMode,
                                             const double (*x)[kChannels], int n)
{
  // The enabled channels are listed once so that the walks below skip the others freely.
  int measured[kChannels], idle[kChannels];
  int count = 0, idleCount = 0;
  for (int k = 0; k < kChannels; ++k)
  {
    if (enabled[k])
      measured[count++] = k;
    else
      idle[idleCount++] = k;
  }
  constexpr int kRun = 64;             // frames per pass, for the arrays below
  double framePeak[kRun];              // what the windowed peak registers: the sample or the true peak
  double meterInput[kChannels][kRun];  // what each channel's meter reads, likewise
  for (int start = 0; start < n; start += kRun)
  {
    const int run = std::min(kRun, n - start);
    const double(*frames)[kChannels] = x + start;
    // The maxima are kept in registers through the run: stored through `this`, they would be
    // stored and loaded again every frame, since the frames could lie under them.
    double peakMax = samplePeakMax, periodMax = samplePeakPeriodMax;
    for (int i = 0; i < run; ++i)
    {
      double peak = 0.0;
      for (int j = 0; j < count; ++j)
        peak = std::max(peak, std::abs(frames[i][measured[j]]));
      framePeak[i] = peak;
      peakMax = std::max(peakMax, peak);
      periodMax = std::max(periodMax, peak);
    }
    samplePeak = framePeak[run - 1];
    samplePeakMax = peakMax;
    samplePeakPeriodMax = periodMax;

    if (peakMode == 0)
    {
      for (int j = 0; j < count; ++j)
        for (int i = 0; i < run; ++i)
          meterInput[j][i] = std::abs(frames[i][measured[j]]);
    }
    else
    {
      // Channels that are not enabled keep their last true peak in every frame's maximum. No
      // true peak is ever a NaN, so the order in which the maxima are taken does not matter.
      double idlePeak = 0.0;
      for (int j = 0; j < idleCount; ++j)
        idlePeak = std::max(idlePeak, oversamplers[idle[j]].truePeak);
      std::fill(framePeak, framePeak + run, idlePeak);
      for (int j = 0; j < count; ++j)
      {
        const int k = measured[j];
        oversamplers[k].Process(&frames[0][k], kChannels, run, meterInput[j]);
        RaiseTo(framePeak, meterInput[j], run);
      }
    }
    peakTracker.Update(framePeak, run);
    // One or two meters run as plain code, side by side: a meter's steps wait on one another, two
    // meters' do not, and the hold's branches cost nothing while the processor predicts them.
    // More run in the lanes of vectors, four a vector, where the branches become selections.
    if (count > 2)
    {
      PeakBallistics* meters[kChannels];
      const double* inputs[kChannels];
      for (int j = 0; j < count; ++j)
      {
        meters[j] = &ballistics[measured[j]];
        inputs[j] = meterInput[j];
      }
      if (count <= 4)
        PeakBallistics::RunSideBySide<1>(meters, inputs, count, run);
      else if (count <= 8)
        PeakBallistics::RunSideBySide<2>(meters, inputs, count, run);
      else
        PeakBallistics::RunSideBySide<3>(meters, inputs, count, run);
    }
    else if (count == 2)
    {
      PeakBallistics first = ballistics[measured[0]], second = ballistics[measured[1]];
      for (int i = 0; i < run; ++i)
      {
        first.Process(meterInput[0][i]);
        second.Process(meterInput[1][i]);
      }
      ballistics[measured[0]] = first;
      ballistics[measured[1]] = second;
    }
    else if (count == 1)
    {
      PeakBallistics meter = ballistics[measured[0]];
      for (int i = 0; i < run; ++i)
        meter.Process(meterInput[0][i]);
      ballistics[measured[0]] = meter;
    }
  }
}

void LoudnessEngine::ProcessPeaks(const uint8_t enabled[kChannels], int32_t peakMode, const double (*x)[kChannels],
                                  int n)
{
  if (IsSetUp())
    PeakStage(enabled, peakMode, x, n);
}

ChannelList::ChannelList(const ChannelConfig& config)
{
  for (int k = 0; k < kMeterChannels; ++k)
    if (config.enabled[k])
      index[count++] = k;
}

int LoudnessEngine::FramesToHop() const
{
  if (gateMode == GateMode::Dial)
    return 1;
  return std::max(1, std::min(momentary.hopLength - momentary.hopCounter, shortTerm.hopLength - shortTerm.hopCounter));
}

void LoudnessEngine::Process(const ChannelList& channels, bool truePeak, bool active, bool leqM,
                             const double (*y)[kChannels], const double* speech, int n)
{
  if (!IsSetUp() || gateMode < GateMode::Off || gateMode > GateMode::Dial || !active)
    return;
  // The windows take the frames in runs that end at the end of a hop at the latest, so that
  // the hop's work sees the windows as they are at its last frame.
  constexpr int kRun = 64;
  double power[kRun];
  for (int start = 0; start < n;)
  {
    const int run = std::min({n - start, FramesToHop(), kRun});
    for (int i = 0; i < run; ++i)
    {
      const double* frame = y[start + i];
      double p = 0.0;
      for (int j = 0; j < channels.count; ++j)
        p += frame[channels.index[j]] * frame[channels.index[j]];
      power[i] = p;
    }
    const int count = channels.count;
    if (count > 0 && measurementMode == MeasurementMode::AES17)
      for (int i = 0; i < run; ++i)
        power[i] = 2.0 * power[i] / count;
    else if (count > 0 && measurementMode == MeasurementMode::Avg)
      for (int i = 0; i < run; ++i)
        power[i] = power[i] / count;
    SlidingPowerWindow* const windows[] = {&momentary, &shortTerm};
    SlidingPowerWindow::Step(powerHistory, windows, power, run);
    start += run;
    FinishFrame(truePeak, leqM, speech[start - 1]);
  }
}

void LoudnessEngine::FinishFrame(bool truePeak, bool leqM, double speechSample)
{
  if (gateMode != GateMode::Dial)
  {
    if (momentary.hopTick)
    {
      const double block = leqM ? leqMSmoother.Step(std::abs(momentary.mean)) : momentary.mean;
      integratedGate.AddBlock(block);
    }
    if (shortTerm.full && shortTerm.hopTick)
      mainHistogram.Add(shortTerm.mean);
    if (momentary.full && momentary.hopTick)
      UpdatePlr(levels::RoundToTenth(integratedGate.integrated), truePeak);
    if (shortTerm.hopTick)
      UpdatePsr();
    return;
  }

  // Dial: the hop's samples go to the speech detector and blocks are not smoothed.
  hopBuffer.Push(static_cast<float>(speechSample));
  if (momentary.hopTick)
    integratedGate.AddBlock(momentary.mean);
  if (hopBuffer.complete)
  {
    // The short-term power is delayed as the block power is, so both meet the decision about
    // their own block; one whose window was not yet full stays out, as in the main histogram.
    const bool speech = dialogueGate.ProcessBlock(hopBuffer.samples.get(), momentary.mean) == 1;
    const DelayedShortTerm delayed = dialogueGate.DelayShortTerm({shortTerm.mean, shortTerm.full != 0});
    dialoguePresent = speech ? 1 : 0;
    if (speech && delayed.windowFull)
      speechHistogram.Add(delayed.power);
  }
  if (shortTerm.full && shortTerm.hopTick)
    mainHistogram.Add(shortTerm.mean);
  if (momentary.full && dialogueGate.HasSpeech())
    UpdatePlr(levels::RoundToTenth(levels::Loudness(dialogueGate.MeanSpeechPower())), truePeak);
  if (shortTerm.hopTick)
    UpdatePsr();
}

void LoudnessEngine::UpdatePlr(double reference, bool truePeak)
{
  const double peak = truePeak ? TruePeakMax() : samplePeakMax;
  const double peakLevel = levels::RoundToTenth(levels::AmplitudeLevel(peak));
  plr = reference < -141.0 ? 0.0 : std::max(0.0, peakLevel - reference);
}

void LoudnessEngine::UpdatePsr()
{
  const double shortTermLoudness = levels::Loudness(shortTerm.mean);
  peakTracker.level = peakTracker.Maximum();
  const double a = peakTracker.level > -144.0 ? levels::DbToAmplitude(peakTracker.level) : 0.0;
  double peakLevel = levels::kSilenceLevel;
  if (std::abs(windowPeakSmoother.Step(a)) > levels::kAmplitudeFloor)
  {
    // Above the floor the smoother advances a second time with the same windowed peak.
    peakLevel = 8.685889638065037 * std::log(std::abs(windowPeakSmoother.Step(a)));
  }
  psr = peakLevel - shortTermLoudness - levels::kLoudnessOffset;
  psrMin = shortTerm.full ? std::min(psrMin, psr) : psr;
}

void LoudnessEngine::ClearPeriodMaxima()
{
  samplePeakPeriodMax = 0.0;
  for (auto& o : oversamplers)
    o.truePeakPeriodMax = 0.0;
}

double LoudnessEngine::TruePeakMax() const
{
  double peak = 0.0;
  for (const auto& o : oversamplers)
    peak = std::max(peak, o.truePeakMax);
  return peak;
}

double LoudnessEngine::TruePeakPeriodMax() const
{
  double peak = 0.0;
  for (const auto& o : oversamplers)
    peak = std::max(peak, o.truePeakPeriodMax);
  return peak;
}
