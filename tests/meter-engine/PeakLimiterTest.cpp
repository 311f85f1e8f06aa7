#include "meter-engine/PeakLimiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "meter-engine/MeasurementRecords.h"
#include "tests/meter-engine/TestSignals.h"

namespace {

constexpr double kFs = 48000.0;
constexpr int kLatency = 127;

// A limiter prepared and set up as the plug-in does, with its delay lines settled on silence.
struct Limiter
{
  PeakLimiter limiter;
  explicit Limiter(uint32_t peakMode, double ceilingDb = 0.0)
  {
    EXPECT_TRUE(limiter.Prepare(122, 1, 1, kFs));
    limiter.Setup(0, 1, 4, 61, peakMode, 1, 0.0, ceilingDb, ceilingDb, 0.0, 0.0, 0.0);
    for (int i = 0; i < static_cast<int>(kFs); ++i)
      Frame(0.0);
  }
  // One frame of the same sample on every enabled channel; returns channel 0's output.
  double Frame(double x, const uint8_t* enabled = ChannelConfigTable[11].enabled)
  {
    double in[10];
    std::fill(in, in + 10, x);
    limiter.Process(enabled, in);
    return limiter.output[0];
  }
};

TEST(PeakLimiter, LatencyIs127AndQuietSignalsPassUnchanged)
{
  for (uint32_t mode : {0u, 1u})
  {
    Limiter l(mode);
    EXPECT_EQ(l.limiter.LookAheadLength() + l.limiter.ExtraDelay(), 127u);
    std::vector<double> in, out;
    for (int i = 0; i < 2000; ++i)
    {
      in.push_back(SineSample(0.5, 997.0, kFs, i));
      out.push_back(l.Frame(in.back()));
    }
    for (int i = kLatency; i < 2000; ++i)
      ASSERT_NEAR(out[i], in[i - kLatency], 1e-12) << "mode " << mode;
  }
}

// A lone sample of 2.0 meets the full reduction when it reaches the gain and leaves at the
// ceiling, in both modes; the gain is back at 1 once hold and averaging have passed.
TEST(PeakLimiter, ImpulseLeavesAtTheCeiling)
{
  for (uint32_t mode : {0u, 1u})
  {
    Limiter l(mode);
    std::vector<double> out;
    out.push_back(l.Frame(2.0));
    for (int i = 1; i < 600; ++i)
      out.push_back(l.Frame(i < 300 ? 0.0 : 0.5));
    EXPECT_NEAR(out[kLatency], 1.0, 1e-12) << "mode " << mode;
    for (double y : out)
      ASSERT_LE(std::abs(y), 1.0 + 1e-12) << "mode " << mode;
    EXPECT_NEAR(out[300 + kLatency], 0.5, 1e-12);  // gain fully recovered
  }
}

// Random bursts on one channel at a time, ten channels linked: nothing passes the ceiling, in
// either mode, and all channels share one gain.
TEST(PeakLimiter, RandomBurstsNeverExceedTheCeiling)
{
  const double ceiling = DbToLinear(-1.0);
  for (uint32_t mode : {0u, 1u})
  {
    Limiter l(mode, -1.0);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::uniform_int_distribution<int> channelOf(0, 9);
    std::vector<double> outputs[10];
    for (int burst = 0; burst < 40; ++burst)
    {
      const int loud = channelOf(rng);
      const double level = 0.5 + 3.5 * std::abs(noise(rng));
      const int length = 1 + static_cast<int>(400 * std::abs(noise(rng)));
      for (int i = 0; i < length + 300; ++i)
      {
        double in[10];
        for (int k = 0; k < 10; ++k)
          in[k] = 0.1 * noise(rng);
        if (i < length)
          in[loud] = level * noise(rng);
        l.limiter.Process(ChannelConfigTable[11].enabled, in);
        for (int k = 0; k < 10; ++k)
        {
          ASSERT_LE(std::abs(l.limiter.output[k]), ceiling * (1 + 1e-12)) << "mode " << mode;
          ASSERT_EQ(l.limiter.gain[k], l.limiter.gain[0]);
        }
      }
    }
  }
}

// True-peak mode reduces inter-sample peaks above the ceiling even when no sample passes it;
// the output's true peak then stays at the ceiling.
TEST(PeakLimiter, TruePeakModeCatchesInterSamplePeaks)
{
  const double ceiling = DbToLinear(-1.0);
  Limiter l(1, -1.0);
  TruePeakOversampler meter;
  meter.Prepare(kFs);
  double samplePeak = 0.0;
  for (int i = 0; i < 9600; ++i)
  {
    const double x = SineSample(1.0, kFs / 4, kFs, i, 45.0);  // samples at 0.707, peaks at 1.0
    samplePeak = std::max(samplePeak, std::abs(x));
    meter.Process(l.Frame(x));
    if (i == 4800)
      meter.truePeakMax = 0.0;
  }
  EXPECT_LT(samplePeak, ceiling);
  EXPECT_LE(meter.truePeakMax, ceiling * 1.01);
  EXPECT_GT(meter.truePeakMax, ceiling * 0.95);
}

// Only the channels being processed drive the detector: in "Right" a loud left channel passes
// unchanged and does not duck the right one.
TEST(PeakLimiter, DetectorIgnoresChannelsThatAreNotProcessed)
{
  Limiter l(0);
  const uint8_t* right = ChannelConfigTable[2].enabled;
  for (int i = 0; i < 1000; ++i)
  {
    const double in[10] = {4.0, 0.5};
    l.limiter.Process(right, in);
    ASSERT_EQ(l.limiter.output[0], 4.0);
    if (i > kLatency)
    {
      ASSERT_NEAR(l.limiter.output[1], 0.5, 1e-12);
    }
  }
}

TEST(PeakLimiter, BadRatePassesTheSignalThrough)
{
  for (double rate : {0.0, -48000.0, std::nan(""), HUGE_VAL})
  {
    PeakLimiter limiter;
    EXPECT_FALSE(limiter.Prepare(122, 1, 1, rate));
    limiter.Setup(0, 1, 4, 61, 0, 1, 0.0, -6.0, -6.0, 0.0, 0.0, 0.0);
    const double in[10] = {2.0, -3.0};
    limiter.Process(ChannelConfigTable[0].enabled, in);
    EXPECT_EQ(limiter.output[0], 2.0);
    EXPECT_EQ(limiter.output[1], -3.0);
  }
}

TEST(PeakLimiter, CeilingAtMinus144GivesSilence)
{
  for (double ceiling : {-144.0, -200.0})
  {
    Limiter l(0, ceiling);
    for (int i = 0; i < 1000; ++i)
    {
      const double y = l.Frame(i % 7 == 0 ? 0.9 : -0.3);
      ASSERT_EQ(y, 0.0);
    }
  }
}

}  // namespace
