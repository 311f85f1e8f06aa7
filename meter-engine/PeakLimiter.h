#pragma once
// Linked look-ahead peak limiter: one detector level per frame drives one gain computer whose
// gain is applied to every processed channel after the audio has been delayed, so that the
// reduction is in place when the peak arrives.
#include <cstdint>
#include <memory>

#include "meter-engine/PeakDetection.h"

// Integer delay line whose delay can change without clicks: two taps crossfade into each other.
class CrossfadeDelay
{
public:
  bool Prepare(int capacity, double sampleRate);
  void SetDelay(int requested) { requested_ = requested; }
  int RequestedDelay() const { return requested_; }
  // One sample through the line.
  double Step(double in);

private:
  double Read(int d);

  std::unique_ptr<double[]> ring_;
  int length_ = 0;
  int writePos_ = 0;
  double lastTap_ = 0.0;
  int crossfadeLimit_ = 1;
  uint32_t toggle_ = 1;
  uint32_t periodCounter_ = 0;
  double gainA_ = 0.0, gainB_ = 1.0, stepA_ = 0.0, stepB_ = 0.0;
  int delayA_ = 0, delayB_ = 0, currentTarget_ = 0;
  int requested_ = 0;
  double smoothing_ = 0.0, oneMinusSmoothing_ = 1.0;
  double smoothedDelay_ = 0.0;
};

// One channel's gain computer (only channel 0's drives the gain) and its look-ahead lines.
class LimiterChannel
{
public:
  bool Prepare(int bufferLength, double sampleRate);
  void Setup(int windowLength, double inputGainDb, double thresholdDb, double ceilingDb, double releaseMs);
  // Returns the gain to apply for the detector level v.
  double ComputeGain(double v);
  double ReleaseCoefficient() const { return release_; }
  void Clear();

  int BufferLength() const { return bufferLength_; }
  int WindowLength() const { return windowLength_; }
  double GainReduction() const { return gainReduction_; }

  CrossfadeDelay delayA, delayC;

private:
  std::unique_ptr<double[]> window_, firstHalf_, secondHalf_;
  int bufferLength_ = 0;
  double reciprocalWindow_ = 1.0;
  int countdown_ = 0;
  double envelope_ = 0.0;
  double windowMax_ = 0.0;
  int windowPos_ = 0, smoothPos_ = 0;
  double smoothSum_ = 0.0;
  double sampleRate_ = 0.0;
  double ceilingGain_ = 1.0, inputGain_ = 1.0, release_ = 1.0, threshold_ = 1.0;
  // ceiling gain * input gain / threshold, 0 when the threshold is 0 (the output is then silent)
  double gainScale_ = 1.0;
  int windowLength_ = 1;
  uint32_t smoothingMode_ = 0;
  double gain_ = 1.0, gainReduction_ = 1.0;
};

class PeakLimiter
{
public:
  static constexpr int kChannels = 10;
  static constexpr int kExtraDelayCapacity = 6;
  // The extra delay of the peak modes, which the latency counts beside the look-ahead.
  static constexpr int kExtraDelay = 5;

  // Allocates every line for the rate. Returns false for a rate that is not positive or
  // buffers that cannot be had; the limiter then passes its input through unchanged.
  bool Prepare(uint32_t bufferLength, int32_t unitA, uint32_t unitB, double sampleRate);
  // Every caller passes (0, 1, 4, 61, peak mode, 1, 0.0, ceiling, ceiling, 0.0, 0.0, 0.0).
  void Setup(uint32_t releaseMode, uint32_t smoothing, uint32_t blockMode, uint32_t halfLength, uint32_t detectionMode,
             uint32_t unit, double inputGainDb, double thresholdDb, double ceilingDb, double reserved, double releaseMs,
             double reserved2);
  // One frame. Only the enabled channels are detected, delayed and limited; the others pass
  // unchanged. Results are in output[].
  void Process(const uint8_t enabled[kChannels], const double x[kChannels]);
  void Reset();
  void ResetDetectors();

  // The look-ahead; with ExtraDelay() added it is the latency the plug-in reports with the
  // limiter on.
  uint32_t LookAheadLength() const { return static_cast<uint32_t>(channels_[0].BufferLength()); }
  uint32_t ExtraDelay() const { return static_cast<uint32_t>(extraDelay_); }
  uint32_t DetectionMode() const { return detectionMode_; }

  uint32_t latency = 0;  // last value the plug-in computed
  double output[kChannels] = {};
  double gain[kChannels] = {};
  double gainReduction[kChannels] = {};

private:
  void UpdateDelays();
  // Largest sample magnitude of the frame, delayed to meet the audio at the gain stage.
  double DelayedSamplePeak(double framePeak);

  TruePeakOversampler oversamplers_[kChannels];
  int extraDelay_ = kExtraDelayCapacity;
  CrossfadeDelay delayB_[kChannels];
  uint32_t detectionMode_ = 0;
  bool ready_ = false;
  double peakDelay_[kExtraDelayCapacity] = {};
  int peakDelayPos_ = 0;
  LimiterChannel channels_[kChannels];
};
