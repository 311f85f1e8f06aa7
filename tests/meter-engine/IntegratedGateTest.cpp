#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "meter-engine/LevelScales.h"
#include "meter-engine/LoudnessWindows.h"

namespace {

// The window's sum at the end of each lap is the lap recounted at once, for laps that end on a
// whole eight and laps that do not.
TEST(SlidingPowerWindow, LapEndSumIsTheLapRecounted)
{
  for (const double windowMs : {1.0, 1.625, 10.0, 12.375})
  {  // 8, 13, 80 and 99 samples
    SlidingPowerWindow window;
    PowerHistory history;
    ASSERT_TRUE(window.Prepare(windowMs, 8000.0) && history.Prepare(window.length));
    SlidingPowerWindow* const windows[] = {&window};
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> exponent(-12.0, 3.0);  // powers whose sum rounds
    std::vector<double> lap;
    for (int i = 0; i < 400; ++i)
    {
      const double power = std::pow(10.0, exponent(rng));
      SlidingPowerWindow::Step(history, windows, &power, 1);
      lap.push_back(power);
      if (window.writeIndex == 0)
      {
        ASSERT_EQ(window.sum, SumOf(lap.data(), lap.size())) << windowMs;
        lap.clear();
      }
    }
  }
}

// Two windows reading one history, whichever is longer, hold the sum of their own last powers,
// before they are full, after, across runs of several powers and after a clearing.
TEST(SlidingPowerWindow, WindowsSharingAHistoryHoldTheirOwnLastPowers)
{
  struct Case
  {
    double firstMs, secondMs;  // at 8 kHz: 8 samples a millisecond
  };
  for (const Case c : {Case{1.0, 1.625}, Case{12.375, 1.0}, Case{1.625, 1.625}})
  {
    SlidingPowerWindow first, second;
    PowerHistory history;
    ASSERT_TRUE(first.Prepare(c.firstMs, 8000.0) && second.Prepare(c.secondMs, 8000.0) &&
                history.Prepare(std::max(first.length, second.length)));
    SlidingPowerWindow* const windows[] = {&first, &second};
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> power(0.0, 1.0);
    std::vector<double> taken;
    bool cleared = false;
    for (int run = 1; taken.size() < 300; run = run % 7 + 1)
    {
      if (!cleared && taken.size() > 150)
      {
        history.Clear();
        first.Clear();
        second.Clear();
        taken.clear();
        cleared = true;
      }
      std::vector<double> powers(static_cast<size_t>(run));
      for (double& p : powers)
        p = power(rng);
      SlidingPowerWindow::Step(history, windows, powers.data(), run);
      taken.insert(taken.end(), powers.begin(), powers.end());
      for (const SlidingPowerWindow* w : windows)
      {
        const size_t held = std::min(taken.size(), static_cast<size_t>(w->length));
        double expected = 0.0;
        for (size_t i = taken.size() - held; i < taken.size(); ++i)
          expected += taken[i];
        ASSERT_NEAR(w->sum, expected, 1e-9) << c.firstMs << " / " << c.secondMs << " after " << taken.size();
      }
    }
  }
}

// Whatever values were replaced before, the total is the same as that of a tree given only the
// values it holds, and it is their sum; sizes that are and are not powers of two.
TEST(PairwiseSum, TotalDependsOnlyOnTheValuesHeld)
{
  for (const uint32_t n : {1u, 5u, 8u, 13u})
  {
    PairwiseSum replaced, fresh;
    ASSERT_TRUE(replaced.Prepare(n));
    ASSERT_TRUE(fresh.Prepare(n));
    std::mt19937 rng(n);
    std::uniform_int_distribution<uint32_t> slot(0, n - 1);
    for (int i = 0; i < 200; ++i)
      replaced.Set(slot(rng), i % 7 == 0 ? 1e300 : std::ldexp(1.0, -i));
    double plain = 0.0;
    for (uint32_t i = 0; i < n; ++i)
    {
      const double value = 0.1 * (i + 1);
      replaced.Set(i, value);
      fresh.Set(n - 1 - i, 0.1 * (n - i));
      plain += value;
    }
    EXPECT_EQ(replaced.Total(), fresh.Total()) << n;
    EXPECT_NEAR(replaced.Total(), plain, 1e-12) << n;
  }
}

// The relative pass computed the plain way, with the loudness of every entry on every block.
TEST(IntegratedGate, StoredLoudnessAgreesWithTheDirectPass)
{
  constexpr uint32_t kCapacity = 200;
  IntegratedGate gate;
  ASSERT_TRUE(gate.Prepare(kCapacity, -70.0, -10.0));
  std::vector<double> ring(kCapacity, 0.0);
  uint32_t w = 0;
  bool full = false;
  double sum = 0.0;
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> loudness(-95.0, -5.0);
  for (int i = 0; i < 1500; ++i)
  {
    // Near the absolute gate, near the relative threshold of the loud blocks, or loud.
    const double l = i % 3 == 0 ? -70.0 + (loudness(rng) + 50.0) / 100.0 : loudness(rng);
    const double p = std::exp((l + levels::kLoudnessOffset) / 4.342944819);
    gate.AddBlock(p);

    const bool wasFull = full;
    if (levels::Loudness(p) >= -70.0)
    {
      if (full)
        sum -= ring[w];
      if (sum < 0)
        sum = 0;
      sum += p;
      ring[w++] = p;
    }
    const uint32_t count = wasFull ? kCapacity : w;
    const double threshold = levels::Loudness(sum / count) - 10.0;
    double gated = 0.0;
    uint32_t n = 0;
    for (uint32_t j = 0; j < count; ++j)
    {
      if (levels::Loudness(ring[j]) >= threshold)
      {
        gated += ring[j];
        ++n;
      }
    }
    // The gate adds the passing powers bin by bin, not in the order they came.
    ASSERT_NEAR(gate.integrated, n ? levels::Loudness(gated / n) : -144.0, 1e-12) << i;
    if (w == kCapacity)
    {
      w = 0;
      full = true;
    }
  }
}

// A block far louder than the rest (a sample of 1e30 in it) leaves no trace once it has left.
TEST(IntegratedGate, LoudBlockLeavesNoTraceOnceItHasLeft)
{
  constexpr uint32_t kCapacity = 10;
  IntegratedGate spiked, plain;
  ASSERT_TRUE(spiked.Prepare(kCapacity, -70.0, -10.0));
  ASSERT_TRUE(plain.Prepare(kCapacity, -70.0, -10.0));
  spiked.AddBlock(1e56);
  plain.AddBlock(0.01);
  for (uint32_t i = 0; i < 3 * kCapacity; ++i)
  {
    const double p = 0.01 * (1 + i % 3);
    spiked.AddBlock(p);
    plain.AddBlock(p);
  }
  EXPECT_NEAR(spiked.gatedMean, plain.gatedMean, 1e-9);
  EXPECT_NEAR(spiked.integrated, plain.integrated, 1e-9);
}

// One hour of blocks: the 36001st accepted block drops the oldest.
TEST(IntegratedGate, HourHorizonDropsTheOldestBlock)
{
  IntegratedGate gate;
  ASSERT_TRUE(gate.Prepare(IntegratedGate::kCapacity, -144.0, -144.0));
  gate.AddBlock(1000.0);
  for (uint32_t i = 1; i < IntegratedGate::kCapacity; ++i)
    gate.AddBlock(0.01);
  EXPECT_EQ(gate.full, 1);
  EXPECT_GT(gate.integrated, levels::Loudness(0.01) + 0.1);
  gate.AddBlock(0.01);
  EXPECT_EQ(gate.writeIndex, 1u);
  EXPECT_NEAR(gate.integrated, levels::Loudness(0.01), 1e-9);
}

}  // namespace
