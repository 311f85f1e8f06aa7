#include "meter-engine/PeakLimiter.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "meter-engine/SampleCount.h"

namespace {

double GainOfDb(double db)
{
  return db <= -144.0 ? 0.0 : std::pow(10.0, db / 20.0);
}

std::unique_ptr<double[]> ClearedArray(int n)
{
  std::unique_ptr<double[]> a(new (std::nothrow) double[n]);
  if (a)
    std::fill(a.get(), a.get() + n, 0.0);
  return a;
}

}  // namespace

bool CrossfadeDelay::Prepare(int capacity, double sampleRate)
{
  ring_ = ClearedArray(capacity);
  if (!ring_)
    return false;
  length_ = capacity;
  writePos_ = 0;
  lastTap_ = 0.0;
  crossfadeLimit_ = std::max(1, SampleCount(200.0, sampleRate));
  smoothing_ = std::exp(-2.0 * std::numbers::pi / crossfadeLimit_);
  oneMinusSmoothing_ = 1.0 - smoothing_;
  toggle_ = 1;
  periodCounter_ = 0;
  gainA_ = 0.0;
  gainB_ = 1.0;
  stepA_ = stepB_ = 0.0;
  delayA_ = delayB_ = currentTarget_ = 0;
  smoothedDelay_ = 0.0;
  return true;
}

double CrossfadeDelay::Step(double in)
{
  // A changed delay glides there; a settled one is used exactly.
  smoothedDelay_ = smoothedDelay_ * smoothing_ + requested_ * oneMinusSmoothing_;
  const int t = static_cast<int>(smoothedDelay_);
  int d = std::abs(t - requested_) < 2 ? requested_ : t;
  if (d == 0)
    d = 1;
  const double out = Read(d);
  ring_[writePos_] = in;
  if (++writePos_ == length_)
    writePos_ = 0;
  return out;
}

double CrossfadeDelay::Read(int d)
{
  // Each period of d samples swaps the taps and fades from the old delay to the new one.
  if (periodCounter_ == 0)
  {
    toggle_ ^= 1u;
    currentTarget_ = d;
    const double step = 1.0 / std::max(1, std::min(d, crossfadeLimit_));
    if (toggle_ == 1)
    {
      delayB_ = d;
      stepB_ = step;
      stepA_ = -step;
    }
    else
    {
      delayA_ = d;
      stepA_ = step;
      stepB_ = -step;
    }
  }
  else
  {
    d = currentTarget_;
  }
  periodCounter_ = static_cast<int>(periodCounter_ + 1) == d ? 0 : periodCounter_ + 1;

  auto tap = [this](int delay, double fallback) {
    if (delay < 0 || delay > length_)
      return fallback;
    const int i = writePos_ - delay;
    return ring_[i < 0 ? i + length_ : i];
  };
  const double tapA = tap(delayA_, lastTap_);
  const double tapB = tap(delayB_, tapA);
  lastTap_ = tapB;
  const double result = tapA * gainA_ + tapB * gainB_;
  gainA_ = std::clamp(gainA_ + stepA_, 0.0, 1.0);
  gainB_ = std::clamp(gainB_ + stepB_, 0.0, 1.0);
  return result;
}

bool LimiterChannel::Prepare(int bufferLength, double sampleRate)
{
  sampleRate_ = sampleRate;
  window_ = ClearedArray(bufferLength);
  firstHalf_ = ClearedArray(bufferLength / 2);
  secondHalf_ = ClearedArray(bufferLength / 2);
  if (!window_ || !firstHalf_ || !secondHalf_)
    return false;
  if (!delayA.Prepare(bufferLength, sampleRate) || !delayC.Prepare(bufferLength, sampleRate))
    return false;
  bufferLength_ = bufferLength;
  windowLength_ = 1;
  smoothingMode_ = 0;
  ceilingGain_ = inputGain_ = release_ = 1.0;
  Clear();
  return true;
}

void LimiterChannel::Setup(int windowLength, double inputGainDb, double thresholdDb, double ceilingDb, double releaseMs)
{
  const int length = std::max(2, std::min(windowLength, bufferLength_));
  const bool changed = length != windowLength_ || smoothingMode_ != 1;
  windowLength_ = length;
  smoothingMode_ = 1;
  inputGain_ = GainOfDb(inputGainDb);
  threshold_ = GainOfDb(thresholdDb);
  ceilingGain_ = GainOfDb(ceilingDb);
  // A ceiling at or below -144 dB gives a zero threshold: the limiter then outputs silence
  // instead of dividing by zero.
  gainScale_ = threshold_ > 0.0 ? ceilingGain_ * inputGain_ / threshold_ : 0.0;
  release_ = std::pow(2.0, -1.0 / (sampleRate_ * std::max(releaseMs, 0.001) / 1000.0));
  reciprocalWindow_ = 1.0 / windowLength_;
  delayA.SetDelay(std::min(windowLength_ - 1, bufferLength_));
  delayC.SetDelay(std::min(bufferLength_ - (windowLength_ - 1), bufferLength_));
  if (changed)
    Clear();
}

double LimiterChannel::ComputeGain(double v)
{
  const double a = std::abs(v);
  const double r = ReleaseCoefficient();
  const int w = windowLength_;
  if (a >= windowMax_)
  {
    windowMax_ = a;
    countdown_ = w;
  }
  else if (countdown_ < 1)
  {
    // The held maximum has left the window: find the new one and how long it stays.
    int slot = 0;
    double best = std::abs(window_[0]);
    for (int i = 1; i < w; ++i)
    {
      if (std::abs(window_[i]) > best)
      {
        best = std::abs(window_[i]);
        slot = i;
      }
    }
    const int next = slot == 0 ? 0 : slot + 1;
    countdown_ = next - windowPos_ + (next < windowPos_ ? w : 0);
    windowMax_ = best;
    if (a > best)
    {
      windowMax_ = a;
      countdown_ = w;
    }
  }
  else
  {
    --countdown_;
  }
  window_[windowPos_] = v;
  if (++windowPos_ == w)
    windowPos_ = 0;

  const double m = inputGain_ * windowMax_;
  envelope_ *= r;
  if (m > threshold_)
    envelope_ = std::max(envelope_, (m - threshold_) / m);

  // Moving average of the last w envelope values, kept in two halves.
  const int half = w / 2;
  const double oldest = secondHalf_[smoothPos_];
  secondHalf_[smoothPos_] = firstHalf_[smoothPos_];
  firstHalf_[smoothPos_] = envelope_;
  smoothSum_ += envelope_ - oldest;
  if (++smoothPos_ >= half)
    smoothPos_ = 0;

  const double reduction = smoothSum_ * reciprocalWindow_;
  gain_ = gainScale_ * (1.0 - reduction);
  gainReduction_ = std::min(1.0 - reduction, 1.0);
  return gain_;
}

void LimiterChannel::Clear()
{
  std::fill(window_.get(), window_.get() + bufferLength_, 0.0);
  std::fill(firstHalf_.get(), firstHalf_.get() + bufferLength_ / 2, 0.0);
  std::fill(secondHalf_.get(), secondHalf_.get() + bufferLength_ / 2, 0.0);
  gain_ = 1.0;
  countdown_ = 0;
  envelope_ = windowMax_ = 0.0;
  windowPos_ = smoothPos_ = 0;
  smoothSum_ = 0.0;
}

bool PeakLimiter::Prepare(uint32_t bufferLength, int32_t unitA, uint32_t unitB, double sampleRate)
{
  ready_ = false;
  if (!(sampleRate > 0.0 && std::isfinite(sampleRate)) || bufferLength < 2 || bufferLength > 65536)
    return false;
  const uint32_t units = std::min(static_cast<uint32_t>(std::max(unitA, 1)), std::max(unitB, 1u));
  for (auto& c : channels_)
    if (!c.Prepare(static_cast<int>(bufferLength * units), sampleRate))
      return false;
  for (auto& o : oversamplers_)
    o.Prepare(sampleRate);
  extraDelay_ = kExtraDelayCapacity;
  for (auto& d : delayB_)
    if (!d.Prepare(kExtraDelayCapacity, sampleRate))
      return false;
  Reset();
  ready_ = true;
  return true;
}

void PeakLimiter::Setup(uint32_t, uint32_t, uint32_t blockMode, uint32_t halfLength, uint32_t detectionMode,
                        uint32_t unit, double inputGainDb, double thresholdDb, double ceilingDb, double,
                        double releaseMs, double)
{
  const uint32_t units = std::max(unit, 1u);
  const uint32_t windowLength = blockMode == 4 && halfLength > 0 ? 2 * halfLength * units : 2 * units;
  for (auto& c : channels_)
    c.Setup(static_cast<int>(windowLength), inputGainDb, thresholdDb, ceilingDb, releaseMs);
  detectionMode_ = detectionMode;
  UpdateDelays();
}

void PeakLimiter::UpdateDelays()
{
  extraDelay_ = detectionMode_ < 2 ? kExtraDelay : 0;
  for (auto& d : delayB_)
    d.SetDelay(std::min(extraDelay_, kExtraDelayCapacity));
}

double PeakLimiter::DelayedSamplePeak(double framePeak)
{
  if (extraDelay_ == 0)
    return framePeak;
  const double delayed = peakDelay_[peakDelayPos_];
  peakDelay_[peakDelayPos_] = framePeak;
  if (++peakDelayPos_ >= extraDelay_)
    peakDelayPos_ = 0;
  return delayed;
}

void PeakLimiter::Process(const uint8_t enabled[kChannels], const double x[kChannels])
{
  if (!ready_)
  {
    std::copy(x, x + kChannels, output);
    return;
  }
  double framePeak = 0.0;
  double truePeak = 0.0;
  for (int k = 0; k < kChannels; ++k)
  {
    if (!enabled[k])
      continue;
    framePeak = std::max(framePeak, std::abs(x[k]));
    if (detectionMode_ == 1)
      truePeak = std::max(truePeak, oversamplers_[k].Process(x[k]));
  }
  // The sample peak is delayed by as much as the audio is delayed beyond the look-ahead (the
  // true-peak interpolator's own delay), so that a peak meets the full reduction when it
  // reaches the gain. A true peak is never below the sample peak it contains.
  const double samplePeak = DelayedSamplePeak(framePeak);
  const double level = detectionMode_ == 0 ? samplePeak : detectionMode_ == 1 ? std::max(truePeak, samplePeak) : 0.0;

  const double g = channels_[0].ComputeGain(level);
  const double reduction = channels_[0].GainReduction();
  for (int k = 0; k < kChannels; ++k)
  {
    gain[k] = g;
    gainReduction[k] = reduction;
    if (!enabled[k])
    {
      output[k] = x[k];
      continue;
    }
    LimiterChannel& c = channels_[k];
    const double delayed = delayB_[k].Step(c.delayA.Step(x[k]));
    output[k] = c.delayC.Step(delayed * g);
  }
}

void PeakLimiter::Reset()
{
  for (auto& c : channels_)
    c.Clear();
  ResetDetectors();
}

void PeakLimiter::ResetDetectors()
{
  for (auto& o : oversamplers_)
    o.Clear();
  std::fill(std::begin(peakDelay_), std::end(peakDelay_), 0.0);
  peakDelayPos_ = 0;
}
