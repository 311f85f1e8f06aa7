#include "meter-engine/LoudnessHistogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "meter-engine/LevelScales.h"

namespace {

// The range computed the plain way: every gated level written out in ascending order, then the
// percentiles picked from that list.
class DirectHistogram
{
public:
  DirectHistogram(uint32_t capacity, double relativeGate)
  : capacity_(capacity), relativeGate_(relativeGate), ring_(capacity), counts_(1001)
  {
  }

  void Add(double power)
  {
    const double v = levels::PowerLevel(power);
    if (v < kGate)
      return;
    const bool wasFull = full_;
    if (wasFull)
    {
      powerSum_ -= levels::PowerOfLevel(Level(ring_[w_]));
      --counts_[ring_[w_]];
    }
    const int b = static_cast<int>((std::clamp(v, -70.0, 30.0) - kGate) * 10.0);
    powerSum_ += levels::PowerOfLevel(Level(b));
    ring_[w_] = b;
    ++counts_[b];
    ++w_;
    const uint32_t n = wasFull ? capacity_ : w_;
    mean = levels::PowerLevel(powerSum_ / n);
    const double threshold = mean + relativeGate_;
    std::vector<double> expansion;
    for (int bin = 0; bin < 1001; ++bin)
      if (relativeGate_ < -140.0 || Level(bin) >= threshold)
        expansion.insert(expansion.end(), counts_[bin], Level(bin));
    const size_t m = expansion.size();
    low = expansion[static_cast<size_t>(std::floor((m - 1) * 10.0 / 100 + 0.5))];
    high = expansion[static_cast<size_t>(std::floor((m - 1) * 95.0 / 100 + 0.5))];
    range = levels::RoundToTenth(std::max(0.0, high - low));
    if (w_ == capacity_)
    {
      w_ = 0;
      full_ = true;
    }
  }

  double low = -144, high = -144, range = -144, mean = -144;

private:
  static constexpr double kGate = -70.0;
  static double Level(int bin) { return bin / 10.0 + kGate; }
  uint32_t capacity_;
  double relativeGate_;
  std::vector<int> ring_;
  std::vector<uint32_t> counts_;
  double powerSum_ = 0.0;
  uint32_t w_ = 0;
  bool full_ = false;
};

// Levels that crowd the relative threshold of a loud cluster (thresholds among occupied bins), plus some below the absolute
// gate and above the top bin; the ring wraps several times.
TEST(LoudnessHistogram, CumulativeCountsAgreeWithTheExpandedList)
{
  for (double relativeGate : {-20.0, -144.0})
  {
    LoudnessHistogram fast;
    ASSERT_TRUE(fast.Prepare(300, -70.0, relativeGate, 10.0, 95.0));
    DirectHistogram direct(300, relativeGate);
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_real_distribution<double> jitter(-0.4, 0.4);
    for (int i = 0; i < 2000; ++i)
    {
      const int kind = pick(rng);
      const double level = kind < 5   ? -15.0 + jitter(rng)       // the loud cluster
                           : kind < 8 ? -35.0 + jitter(rng)       // near its threshold
                           : kind < 9 ? -70.05 + jitter(rng) / 4  // at the absolute gate
                                      : 31.0 + jitter(rng);       // above the top bin
      const double power = std::exp(level / 4.342944819);
      fast.Add(power);
      direct.Add(power);
      ASSERT_EQ(fast.meanLevel, direct.mean) << i;
      ASSERT_EQ(fast.low, direct.low) << i;
      ASSERT_EQ(fast.high, direct.high) << i;
      ASSERT_EQ(fast.range, direct.range) << i;
    }
  }
}

// A threshold exactly on an occupied bin's level keeps that bin. With the product's -20 dB gate
// the threshold practically never lands exactly on a level, so a gate of 0 dB (threshold =
// mean level) makes it happen: one level repeated.
TEST(LoudnessHistogram, ThresholdExactlyOnABinKeepsIt)
{
  int exact = 0;
  for (int bin = 0; bin < 1001; bin += 3)
  {
    for (int copies = 1; copies <= 3; ++copies)
    {
      LoudnessHistogram fast;
      ASSERT_TRUE(fast.Prepare(16, -70.0, 0.0, 10.0, 95.0));
      DirectHistogram direct(16, 0.0);
      const double power = levels::PowerOfLevel(fast.BinLevel(bin));
      for (int i = 0; i < copies; ++i)
      {
        fast.Add(power);
        if (fast.relativeThreshold > fast.BinLevel(bin))
          break;  // nothing would pass
        direct.Add(power);
        exact += fast.relativeThreshold == fast.BinLevel(bin);
        ASSERT_EQ(fast.low, direct.low) << bin;
        ASSERT_EQ(fast.high, direct.high) << bin;
      }
    }
  }
  EXPECT_GT(exact, 100);
}

TEST(LoudnessHistogram, GateTopBinAndQuantisation)
{
  LoudnessHistogram h;
  ASSERT_TRUE(h.Prepare(36000, -70.0, -20.0, 10.0, 95.0));
  h.Add(levels::PowerOfLevel(-70.001));
  EXPECT_FALSE(h.HasEntries());
  EXPECT_EQ(h.range, -144.0);

  h.Add(levels::PowerOfLevel(-23.05));  // quantised downward
  EXPECT_TRUE(h.HasEntries());
  EXPECT_DOUBLE_EQ(h.low, -23.1);
  EXPECT_DOUBLE_EQ(h.high, -23.1);
  EXPECT_EQ(h.range, 0.0);

  h.Add(levels::PowerOfLevel(35.0));  // counted, and summed, as +30
  EXPECT_EQ(h.BinCount(1000), 1u);
  EXPECT_DOUBLE_EQ(h.powerSum, levels::PowerOfLevel(h.BinLevel(469)) + levels::PowerOfLevel(30.0));
  EXPECT_DOUBLE_EQ(h.high, 30.0);
}

TEST(LoudnessHistogram, FullRingDropsTheOldestLevel)
{
  LoudnessHistogram h;
  ASSERT_TRUE(h.Prepare(4, -70.0, -144.0, 10.0, 95.0));
  for (double level : {-10.0, -20.0, -20.0, -20.0})
    h.Add(levels::PowerOfLevel(level));
  EXPECT_DOUBLE_EQ(h.high, -10.0);
  h.Add(levels::PowerOfLevel(-20.0));
  EXPECT_DOUBLE_EQ(h.high, -20.0);
  EXPECT_EQ(h.BinCount(600), 0u);
  EXPECT_NEAR(h.meanLevel, -20.0, 1e-9);
}

}  // namespace
