#include "meter-engine/PeakDetection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <numeric>
#include <random>
#include <vector>

#include "meter-engine/LevelScales.h"
#include "tests/meter-engine/TestSignals.h"

namespace {

TEST(TruePeakOversampler, TablesMatchTheirChecksums)
{
  const auto& t4 = TruePeakOversampler::TruePeakTable4x;
  EXPECT_EQ(std::accumulate(t4.begin(), t4.end(), 0.0), 3.94921875);
  double phase0 = 0, phase3 = 0;
  for (int i = 0; i < 12; ++i)
  {
    phase0 += t4[4 * i];
    phase3 += t4[3 + 4 * i];
  }
  EXPECT_EQ(phase0, 1.0015869140625);
  EXPECT_EQ(phase3, 1.0015869140625);
  EXPECT_EQ(*std::max_element(t4.begin(), t4.end()), 0.97216796875);
  const auto& t2 = TruePeakOversampler::TruePeakTable2x;
  EXPECT_NEAR(std::accumulate(t2.begin(), t2.end(), 0.0), 3.958600850717981, 1e-14);
  for (int n = 0; n < 48; ++n)
  {
    EXPECT_EQ(t4[n], t4[47 - n]);
    EXPECT_EQ(t2[n], t2[47 - n]);
  }
}

TEST(TruePeakOversampler, FactorFollowsTheRate)
{
  struct Case
  {
    double rate;
    int factor;
  };
  for (Case c : {Case{32000, 4}, Case{44100, 4}, Case{48000, 4}, Case{88200, 2}, Case{96000, 2}, Case{176400, 1},
                 Case{192000, 1}})
  {
    TruePeakOversampler tp;
    tp.Prepare(c.rate);
    EXPECT_EQ(tp.Factor(), c.factor) << c.rate;
  }
  TruePeakOversampler none;
  none.Prepare(192000.0);
  for (double x : {0.5, -0.75, 0.25})
    EXPECT_EQ(none.Process(x), std::abs(x));
  EXPECT_EQ(none.truePeakMax, 0.75);
}

TEST(TruePeakOversampler, ImpulseDcAndSineAt48k)
{
  TruePeakOversampler tp;
  tp.Prepare(48000.0);
  std::vector<double> impulse;
  impulse.push_back(tp.Process(1.0));
  for (int i = 0; i < 12; ++i)
    impulse.push_back(tp.Process(0.0));
  EXPECT_EQ(impulse[0], 1.0);  // the sample itself; the interpolation has only begun to rise
  EXPECT_NEAR(impulse[5], 0.9847, 5e-5);
  EXPECT_NEAR(impulse[6], 0.9847, 5e-5);
  EXPECT_EQ(tp.truePeakMax, 1.0);

  tp.Clear();
  EXPECT_EQ(tp.truePeakMax, 0.0);
  double dc = 0;
  for (int i = 0; i < 48; ++i)
    dc = tp.Process(-0.5);
  EXPECT_NEAR(dc, 1.01446587537092 * 0.5, 1e-14);

  tp.Clear();
  double samplePeak = 0;
  for (int i = 0; i < 4800; ++i)
  {
    if (i == 100)
      tp.truePeakMax = 0.0;
    const double x = SineSample(1.0, 12000.0, 48000.0, i, 45.0);
    samplePeak = std::max(samplePeak, std::abs(x));
    tp.Process(x);
  }
  EXPECT_NEAR(samplePeak, 0.7071, 1e-4);
  EXPECT_NEAR(tp.truePeakMax, 1.018, 1e-3);
}

// The interpolator against the plain form: a 48-slot ring that each input fills factor times,
// and phase p summing table[47 - p - L*i] times the slot i inputs back. Results are identical.
TEST(TruePeakOversampler, MatchesTheDirectPolyphaseSum)
{
  for (double fs : {48000.0, 96000.0})
  {
    TruePeakOversampler tp;
    tp.Prepare(fs);
    const int factor = tp.Factor();
    const auto& table = factor == 4 ? TruePeakOversampler::TruePeakTable4x : TruePeakOversampler::TruePeakTable2x;
    double ring[48] = {};
    int w = 0;
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (int n = 0; n < 2000; ++n)
    {
      const double x = noise(rng);
      const int w0 = w;
      double largest = 0.0;
      for (int p = 0; p < factor; ++p)
      {
        ring[w] = x * factor;
        w = (w + 1) % 48;
        double a = 0.0;
        for (int i = 0; i < 48 / factor; ++i)
          a += table[47 - p - factor * i] * ring[((w0 - factor * i) % 48 + 48) % 48];
        largest = std::max(largest, std::abs(a));
      }
      ASSERT_EQ(tp.Process(x), std::max(largest * tp.Normalisation(), std::abs(x))) << fs << " sample " << n;
    }
  }
}

// The product's loops, built for each instruction set the machine may pick from.
VECTOR_CLONES void RunAsTheProductDoes(TruePeakOversampler& tp, const double* x, std::ptrdiff_t stride, int n,
                                       double* out)
{
  tp.Process(x, stride, n, out);
}

// Runs of inputs, of every length and both as the product builds them and plainly, give what the
// inputs one at a time give, to the last bit, and leave the interpolator as they would.
TEST(TruePeakOversampler, RunsMatchSingleSteps)
{
  for (double fs : {44100.0, 96000.0, 192000.0})
  {
    for (const bool asTheProduct : {false, true})
    {
      TruePeakOversampler steps, runs;
      steps.Prepare(fs);
      runs.Prepare(fs);
      std::mt19937 rng(7);
      std::uniform_real_distribution<double> noise(-1.0, 1.0);
      std::vector<double> x(2 * 3000), out(3000);  // stride 2, as in interleaved frames
      for (double& v : x)
        v = noise(rng);
      for (int start = 0, call = 0; start < 3000; ++call)
      {
        const int n = std::min(3000 - start, call * 37 % 150);  // 0 to 149, across the 64-input chunks
        if (asTheProduct)
          RunAsTheProductDoes(runs, &x[2 * size_t(start)], 2, n, &out[size_t(start)]);
        else
          runs.Process(&x[2 * size_t(start)], 2, n, &out[size_t(start)]);
        for (int i = start; i < start + n; ++i)
          ASSERT_EQ(out[size_t(i)], steps.Process(x[2 * size_t(i)])) << fs << " " << i;
        ASSERT_EQ(runs.truePeak, steps.truePeak);
        ASSERT_EQ(runs.truePeakMax, steps.truePeakMax);
        ASSERT_EQ(runs.truePeakPeriodMax, steps.truePeakPeriodMax);
        ASSERT_EQ(runs.accumulator, steps.accumulator);
        start += n;
      }
      // And the next single steps go on from the same history.
      for (int i = 0; i < 20; ++i)
        ASSERT_EQ(runs.Process(x[size_t(i)]), steps.Process(x[size_t(i)]));
    }
  }
}

// Sines whose peaks fall between samples read within +0.2/-0.4 dB of their true level.
TEST(TruePeakOversampler, InterSamplePeaksOfSinesAtMinus6)
{
  struct Case
  {
    double divisor, phase;
  };
  for (double fs : {44100.0, 48000.0})
  {
    for (Case c : {Case{4, 0}, Case{4, 45}, Case{6, 60}, Case{8, 67.5}})
    {
      TruePeakOversampler tp;
      tp.Prepare(fs);
      for (int i = 0; i < 4800; ++i)
      {
        if (i == 100)
          tp.truePeakMax = 0.0;  // past the start-up transient
        tp.Process(SineSample(DbToLinear(-6.0), fs / c.divisor, fs, i, c.phase));
      }
      const double db = levels::AmplitudeLevel(tp.truePeakMax);
      EXPECT_GE(db, -6.4) << fs << " fs/" << c.divisor << " at " << c.phase;
      EXPECT_LE(db, -5.8) << fs << " fs/" << c.divisor << " at " << c.phase;
    }
  }
}

// Near Nyquist the tables read the phases below the tone's level; the samples themselves still
// bound the true peak from below, so it never reads under the sample peak.
TEST(TruePeakOversampler, NeverBelowTheSamplePeakNearNyquist)
{
  struct Case
  {
    double rate, frequency;
  };
  for (Case c : {Case{44100, 21500}, Case{48000, 23000}, Case{96000, 47000}})
  {
    TruePeakOversampler tp;
    tp.Prepare(c.rate);
    double samplePeak = 0.0;
    for (int i = 0; i < 9600; ++i)
    {
      const double x = SineSample(0.5, c.frequency, c.rate, i, 45.0);
      samplePeak = std::max(samplePeak, std::abs(x));
      ASSERT_GE(tp.Process(x), std::abs(x)) << c.rate << " Hz / " << c.frequency << " Hz, sample " << i;
    }
    EXPECT_GE(tp.truePeakMax, samplePeak) << c.rate << " Hz / " << c.frequency << " Hz";
    EXPECT_NEAR(levels::AmplitudeLevel(tp.truePeakMax), -6.02, 0.05) << c.rate << " Hz / " << c.frequency << " Hz";
  }
}

TEST(PeakWindowTracker, MaximumLeavesExactlyOneWindowLater)
{
  PeakWindowTracker t;
  ASSERT_TRUE(t.Init(10.0, 48000.0));  // 480 frames
  ASSERT_EQ(t.WindowLength(), 480);
  t.Update(0.0);
  EXPECT_DOUBLE_EQ(t.Maximum(), -144.0);  // silence sits in bin 10

  const auto peak = [](double db) { return levels::DbToAmplitude(db + 0.05); };  // mid-bin
  t.Update(peak(-3.0));
  for (int i = 0; i < 100; ++i)
    t.Update(peak(-20.0));
  t.Update(peak(-10.0));  // a second, lower peak inside the window
  for (int i = 0; i < 378; ++i)
    t.Update(peak(-20.0));
  EXPECT_NEAR(t.Maximum(), -3.0, 1e-9);
  t.Update(peak(-20.0));  // 480 frames after the burst it has left
  EXPECT_NEAR(t.Maximum(), -10.0, 1e-9);
  for (int i = 0; i < 101; ++i)
    t.Update(peak(-20.0));
  EXPECT_NEAR(t.Maximum(), -20.0, 1e-9);
  t.Update(1e9);  // clamped to the top bin, and counted as soon as it is registered
  EXPECT_NEAR(t.Maximum(), 144.0, 1e-9);
  t.Clear();
  EXPECT_EQ(t.Maximum(), 0.0);  // nothing registered: the stored level
}

// Amplitudes are binned without a logarithm. Every double within 256 steps of every bin edge,
// and the values at the ends of the scale, land in the bin of their level.
TEST(PeakWindowTracker, AmplitudesLandInTheBinOfTheirLevel)
{
  const auto exact = [](double a) { return PeakWindowTracker::BinOf(levels::AmplitudeLevel(a)); };
  const double floor = levels::kAmplitudeFloor;
  for (double a : {0.0, -0.0, std::nan(""), HUGE_VAL, -HUGE_VAL, 5e-324, floor, std::nextafter(floor, 1.0),
                   std::nextafter(floor, 0.0), 1.0, -0.5, 1.6e7, 1e300})
    EXPECT_EQ(PeakWindowTracker::BinOfAmplitude(a), exact(a)) << a;
  for (int bin = exact(0.0) + 1; bin <= exact(HUGE_VAL); ++bin)
  {
    const auto edge = std::bit_cast<int64_t>(levels::DbToAmplitude(bin * 0.1 - 145.0));
    ASSERT_EQ(exact(std::bit_cast<double>(edge - 256)), bin - 1);
    ASSERT_EQ(exact(std::bit_cast<double>(edge + 256)), bin);
    for (int64_t d = -256; d <= 256; ++d)
    {
      const double a = std::bit_cast<double>(edge + d);
      ASSERT_EQ(PeakWindowTracker::BinOfAmplitude(a), exact(a)) << "bin " << bin << " step " << d;
    }
  }
}

TEST(PeakBallistics, HoldsThreeSecondsThenDecaysTenfoldPerSecond)
{
  const double fs = 1000.0;
  PeakBallistics b;
  b.Setup(fs);
  b.Process(0.5);
  EXPECT_EQ(b.holdLevel, 0.5);
  EXPECT_EQ(b.smoothed, 0.5);
  for (int i = 0; i < 3000; ++i)
    b.Process(0.0);
  EXPECT_EQ(b.holdLevel, 0.5);
  EXPECT_LT(b.smoothed, 0.5 * 0.01);
  for (int i = 0; i < 1000; ++i)
    b.Process(0.0);
  EXPECT_NEAR(b.holdLevel, 0.05, 0.05 * 0.01);
  for (int i = 0; i < 7000; ++i)
    b.Process(0.0);
  EXPECT_EQ(b.holdLevel, 0.0);  // snapped to zero below 1e-8
  EXPECT_EQ(b.holdMax, 0.5);
}

}  // namespace
