#include "meter-engine/WeightingFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "tests/meter-engine/TestSignals.h"

namespace {

// Steady-state gain in dB of the filter for a sine, measured over the second half of 2 s.
double MeasuredGainDb(WeightingFilter& f, double frequency, double fs)
{
  const long n = static_cast<long>(2 * fs);
  double in = 0, out = 0;
  for (long i = 0; i < n; ++i)
  {
    const double x = SineSample(1.0, frequency, fs, i);
    const double y = f.Process(x);
    if (i >= n / 2)
    {
      in += x * x;
      out += y * y;
    }
  }
  return 10.0 * std::log10(out / in);
}

TEST(WeightingFilter, KWeightingAt48kMatchesPublishedCoefficients)
{
  WeightingFilter f;
  f.Design(1, 0, 0, 48000.0, 300.0, 16000.0);
  const Biquad& shelf = f.KShelf();
  EXPECT_NEAR(shelf.b0, 1.53512485958697, 1e-12);
  EXPECT_NEAR(shelf.b1, -2.69169618940638, 1e-12);
  EXPECT_NEAR(shelf.b2, 1.19839281085285, 1e-12);
  EXPECT_NEAR(shelf.a1, -1.69065929318241, 1e-12);
  EXPECT_NEAR(shelf.a2, 0.73248077421585, 1e-12);
  const Biquad& hp = f.KHighPass();
  EXPECT_NEAR(hp.b0, 1.0, 1e-12);
  EXPECT_NEAR(hp.b1, -2.0, 1e-12);
  EXPECT_NEAR(hp.b2, 1.0, 1e-12);
  EXPECT_NEAR(hp.a1, -1.99004745483398, 1e-12);
  EXPECT_NEAR(hp.a2, 0.99007225036621, 1e-12);
  EXPECT_NEAR(MeasuredGainDb(f, 997.0, 48000.0), 0.02, 0.02);
}

// The A, C and M designs follow their published curves (M as used for Leq(M): the 468 curve
// 5.6 dB lower, 0 dB at 2 kHz) at the rates that use different high-frequency corrections.
TEST(WeightingFilter, CurvesFollowTheirStandardShapes)
{
  struct Point
  {
    uint32_t mode;
    double hz, db;
  };
  const Point points[] = {
    {2, 31.5, -39.4}, {2, 100, -19.1}, {2, 1000, 0.0},  {2, 4000, 1.0},   {2, 8000, -1.1}, {2, 16000, -6.6},
    {4, 31.5, -3.0},  {4, 100, -0.3},  {4, 1000, 0.0},  {4, 8000, -3.0},  {5, 100, -25.4}, {5, 1000, -5.6},
    {5, 2000, 0.0},   {5, 6300, 6.6},  {5, 10000, 2.5}, {5, 12500, -5.6},
  };
  for (double fs : {44100.0, 48000.0, 96000.0})
  {
    for (const Point& p : points)
    {
      WeightingFilter f;
      f.Design(p.mode, 0, 0, fs, 0, 0);
      EXPECT_NEAR(MeasuredGainDb(f, p.hz, fs), p.db, 1.2) << "mode " << p.mode << " at " << p.hz << " Hz, " << fs;
    }
  }
}

TEST(WeightingFilter, OffPassesSamplesBitExact)
{
  WeightingFilter f;
  f.Design(1, 0, 0, 48000.0, 300.0, 16000.0);
  f.Design(0, 0, 0, 48000.0, 300.0, 16000.0);
  const double samples[] = {0.0, -0.0, 1.0, -0.123456789, 4.9e-324, 1e-300, 123.0};
  for (double s : samples)
  {
    const double y = f.Process(s);
    EXPECT_EQ(std::memcmp(&y, &s, sizeof y), 0) << s;
  }
}

// Every mode, at the rates that select different designs, keeps silence away from denormals
// and zero, and stays finite and stable on full-scale noise.
TEST(WeightingFilter, SilenceNeverDenormalAndNoiseStaysBounded)
{
  const double rates[] = {16000.0, 44100.0, 48000.0, 96000.0, 192000.0, 384000.0};
  const uint32_t modes[] = {1, 2, 3, 4, 5, 6, 7};
  for (double fs : rates)
  {
    for (uint32_t mode : modes)
    {
      WeightingFilter f;
      f.Design(mode, 1, 1, fs, 20.0, 30000.0);
      double y = 0.0;
      for (int i = 0; i < 50000; ++i)
      {
        y = f.Process(0.0);
        ASSERT_EQ(std::fpclassify(y), FP_NORMAL) << "mode " << mode << " at " << fs << " sample " << i;
      }
      EXPECT_LT(std::abs(y), 1e-15);  // far below the -144 dB floor
      std::mt19937 rng(7);
      std::uniform_real_distribution<double> noise(-1.0, 1.0);
      double peak = 0.0;
      for (int i = 0; i < 20000; ++i)
        peak = std::max(peak, std::abs(f.Process(noise(rng))));
      EXPECT_TRUE(std::isfinite(peak) && peak < 20.0) << "mode " << mode << " at " << fs;
    }
  }
}

TEST(WeightingFilter, MWeightingAbove192kUsesTheHighestDesign)
{
  WeightingFilter high, top;
  high.Design(5, 0, 0, 384000.0, 0, 0);
  top.Design(5, 0, 0, 192000.0, 0, 0);
  EXPECT_EQ(high.CorrectionDb(), 6.3);
  EXPECT_EQ(high.RunCount(), 6);
  EXPECT_NEAR(MeasuredGainDb(high, 1000.0, 384000.0), MeasuredGainDb(top, 1000.0, 192000.0), 0.5);
}

TEST(WeightingFilter, CustomSlopesAndHighCutClamp)
{
  struct Case
  {
    uint32_t lowSteep, highSteep;
    int sections;
  };
  for (Case c : {Case{0, 0, 2}, Case{1, 0, 3}, Case{0, 1, 3}, Case{1, 1, 4}})
  {
    WeightingFilter f;
    f.Design(7, c.lowSteep, c.highSteep, 48000.0, 300.0, 16000.0);
    EXPECT_EQ(f.RunCount(), c.sections);
    // One section rolls off 12 dB per octave, two 24: an octave below the cut the steep
    // version is lower by about that much again.
    const double below = MeasuredGainDb(f, 75.0, 48000.0);
    EXPECT_LT(below, c.lowSteep ? -40.0 : -20.0);
  }
  WeightingFilter clamped, atLimit;
  clamped.Design(7, 0, 0, 16000.0, 100.0, 22000.0);
  atLimit.Design(7, 0, 0, 16000.0, 100.0, 7999.0);
  for (int i = 0; i < 64; ++i)
  {
    const double x = SineSample(1.0, 1000.0, 16000.0, i);
    ASSERT_EQ(clamped.Process(x), atLimit.Process(x));
  }
}

// A redesign or a clearing restarts the filter: it then behaves as a freshly designed one.
TEST(WeightingFilter, RedesignAndClearRestartFromSilence)
{
  WeightingFilter used, fresh;
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  used.Design(1, 0, 0, 48000.0, 0, 0);
  for (int i = 0; i < 1000; ++i)
    used.Process(noise(rng));
  used.Design(2, 0, 0, 48000.0, 0, 0);
  fresh.Design(2, 0, 0, 48000.0, 0, 0);
  for (int i = 0; i < 1000; ++i)
  {
    const double x = noise(rng);
    ASSERT_EQ(used.Process(x), fresh.Process(x));
  }
  used.ClearState();
  fresh.ClearState();
  for (int i = 0; i < 1000; ++i)
  {
    const double x = noise(rng);
    ASSERT_EQ(used.Process(x), fresh.Process(x));
  }
}

// Channels filtered together over blocks give every sample bit for bit as each filter alone, one
// sample at a time, then weighted: one to ten channels of interleaved frames, not all of them
// measured, blocks of any length, and sets whose designs differ from channel to channel.
TEST(WeightingFilter, ChannelsTogetherMatchSampleBySample)
{
  struct Case
  {
    std::vector<int> channels;
    std::vector<uint32_t> modes;  // a channel's mode, by its place in the list
    uint32_t steep;
    double fs;
  };
  const Case cases[] = {
    {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0, 48000.0},
    {{0, 2, 3, 5, 6, 7, 9}, {2, 2, 2, 2, 2, 2, 2}, 0, 44100.0},
    {{1, 4, 5, 8, 9}, {5, 5, 5, 5, 5}, 0, 96000.0},
    {{0, 1, 2}, {7, 7, 7}, 1, 192000.0},
    {{3, 4}, {0, 0}, 0, 48000.0},
    {{2}, {4}, 0, 48000.0},
    {{0, 1, 2, 3, 4, 5, 6, 7}, {1, 1, 5, 1, 1, 1, 1, 3}, 0, 48000.0},
  };
  constexpr int kStride = 10;
  constexpr int kFrames = 3000;
  for (const Case& c : cases)
  {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::vector<double> in(kFrames * kStride), out(kFrames * kStride, 0.0);
    for (double& v : in)
      v = noise(rng);
    for (int i = 1000; i < 1500; ++i)
      in[size_t(i) * kStride + size_t(c.channels[0])] = 0.0;  // a silent stretch
    WeightingFilter filters[kStride], references[kStride];
    double weights[kStride];
    for (size_t j = 0; j < c.channels.size(); ++j)
    {
      const int k = c.channels[j];
      for (WeightingFilter* f : {&filters[k], &references[k]})
        f->Design(c.modes[j], c.steep, c.steep, c.fs, 40.0, 9000.0);
      weights[k] = 0.5 + 0.1 * k;
    }
    const int count = static_cast<int>(c.channels.size());
    for (int start = 0, n = 1; start < kFrames; start += n, n = n * 2 + 1)
    {
      n = std::min(n, kFrames - start);
      const size_t at = size_t(start) * kStride;
      WeightingFilter::ProcessChannels(filters, c.channels.data(), count, &in[at], &out[at], n, kStride, weights);
    }
    for (int i = 0; i < kFrames; ++i)
      for (const int k : c.channels)
      {
        const size_t at = size_t(i) * kStride + size_t(k);
        const double want = references[k].Process(in[at]) * weights[k];
        ASSERT_EQ(std::memcmp(&out[at], &want, sizeof want), 0) << "channel " << k << " frame " << i;
      }
  }
}

}  // namespace
