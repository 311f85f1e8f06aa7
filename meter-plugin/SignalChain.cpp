#include "meter-plugin/Vantorelix.h"

#include <atomic>
#include <ctime>

namespace {

constexpr double kBroadcastSurroundWeight = 1.189207;  // +1.5 dB on the power
constexpr double kCinemaSurroundWeight = 0.707;
constexpr uint32_t kLimiterLookAhead = 122;
constexpr uint32_t kLimiterHalfLength = 61;
static_assert(kLimiterLookAhead + PeakLimiter::kExtraDelay == Vantorelix::kMaxChainLatency);

}  // namespace

bool Vantorelix::PrepareDsp()
{
  const double fs = GetSampleRate();
  const MeterSettings& s = mSettings;
  // Built aside: an engine that cannot be had leaves the running chain whole.
  std::unique_ptr<LoudnessEngine> engine = LoudnessEngine::Create(s.gateMode, static_cast<uint32_t>(s.measurementMode),
                                                                  fs, s.slWindowMs, s.mlWindowMs);
  if (!engine)
    return false;

  mRunning = 0;
  mActive = 0;
  mReadoutCounter.Prepare(50.0, fs);
  mMeterCounter.Prepare(50.0, fs);
  mOutputCounter.Prepare(50.0, fs);
  mHistoryCounter.Prepare(100.0, fs);
  mHistory.Clear();
  mMemory.Clear();
  mLimiter.Prepare(kLimiterLookAhead, 1, 1, fs);
  mEngine = std::move(engine);
  mClockRate = fs;
  mElapsedFrames = 0;
  FillChannelWeightTable(mBroadcastWeights, 0.0, kBroadcastSurroundWeight);
  FillChannelWeightTable(mCinemaWeights, 1.0, kCinemaSurroundWeight);
  DesignFilters(fs);
  mEngineDesign = EngineDesign::Of(s, fs);
  UpdateLimiter();
  // The wall clock of the history points is read on the audio thread; loading the time zone
  // here keeps that reading free of allocation.
  tzset();
  return true;
}

EngineDesign EngineDesign::Of(const MeterSettings& s, double sampleRate)
{
  return {sampleRate,      s.gateMode,   s.measurementMode, s.slWindowMs,  s.mlWindowMs,
          s.weightingMode, s.lowCutFreq, s.lowCutSlope,     s.highCutFreq, s.highCutSlope};
}

void Vantorelix::DesignFilters(double sampleRate)
{
  const MeterSettings& s = mSettings;
  for (WeightingFilter& filter : mFilters)
    filter.Design(static_cast<uint32_t>(s.weightingMode), static_cast<uint32_t>(s.lowCutSlope),
                  static_cast<uint32_t>(s.highCutSlope), sampleRate, s.lowCutFreq, s.highCutFreq);
}

void Vantorelix::UpdateLimiter()
{
  const MeterSettings& s = mSettings;
  mLimiter.Setup(0, 1, 4, kLimiterHalfLength, static_cast<uint32_t>(s.peakMode), 1, 0.0, s.maxPeakTarget,
                 s.maxPeakTarget, 0.0, 0.0, 0.0);
  mChain.latency = static_cast<int32_t>(UpdateLatency());
}

uint32_t Vantorelix::UpdateLatency()
{
  if (!mSettings.enableLimiter)
    return 0;
  mLimiter.latency = mLimiter.LookAheadLength() + mLimiter.ExtraDelay();
  return mLimiter.latency;
}

void Vantorelix::ResetMeasurement()
{
  ClearMeasurement();
  RestoreGraphScroll();
}

void Vantorelix::ClearMeasurement()
{
  mHistory.Clear();
  if (mEngine)
    mEngine->Reset();
  mElapsedFrames = 0;
  mLimiter.ResetDetectors();
  for (WeightingFilter& filter : mFilters)
    filter.ClearState();
  for (AlertState& alert : mSettings.alerts)
    alert.ClearRunState();
  mRequests.graphReset = 1;
}

void Vantorelix::RestoreGraphScroll()
{
  std::atomic_ref(mSettings.graph[kGraphScroll - kGraphTimescale]).store(1, std::memory_order_relaxed);
  iplug::IParam* scroll = GetParam(kGraphScroll);
  if (static_cast<int>(scroll->Value()) == 1)
    return;
  SetParameterValue(kGraphScroll, scroll->ToNormalised(1.0), true);
  DeliverValueToEditor(kGraphScroll, 1.0, false);
}
