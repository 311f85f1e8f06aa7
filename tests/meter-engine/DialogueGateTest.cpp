#include "meter-engine/DialogueGate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

// A scripted detector: undecided for the first calls after init, then it calls a block speech
// when its first sample is positive.
uint32_t gCallsToDecide = 3;
bool gInitFails = false;

struct ScriptedState
{
  uint32_t calls;
};

const SpeechDetectorCalls kScripted = {
  [](uint32_t, uint32_t) -> uint64_t { return sizeof(ScriptedState); },
  [](void* state, uint64_t, uint32_t, uint32_t) -> int32_t {
    static_cast<ScriptedState*>(state)->calls = 0;
    return gInitFails ? -1 : 0;
  },
  [](void* state, const float* samples, uint32_t) -> int32_t {
    ScriptedState& s = *static_cast<ScriptedState*>(state);
    if (++s.calls < gCallsToDecide)
      return -1;
    return samples[0] > 0.0f ? 1 : 0;
  },
};

constexpr int32_t kBlock = 4800;
constexpr double kRate = 48000.0;

// Power of a loudness in LUFS.
double power(double lufs)
{
  return std::pow(10.0, (lufs + 0.691) / 10.0);
}

struct Block
{
  double lufs;
  bool speech;
};

class ScriptedGate : public ::testing::Test
{
protected:
  void SetUp() override
  {
    gCallsToDecide = 3;
    gInitFails = false;
  }

  // Feeds the blocks; returns the gate's answers.
  static std::vector<int> Feed(DialogueGate& gate, const std::vector<Block>& blocks)
  {
    std::vector<int> answers;
    std::vector<float> samples(kBlock);
    for (const Block& b : blocks)
    {
      samples[0] = b.speech ? 1.0f : -1.0f;
      answers.push_back(gate.ProcessBlock(samples.data(), power(b.lufs)));
    }
    return answers;
  }
};

TEST_F(ScriptedGate, PairsEachDecisionWithThePowerOfTheBlockOneLatencyEarlier)
{
  DialogueGate gate(kScripted);
  gate.Prepare(36000, kBlock, kRate);
  ASSERT_TRUE(gate.IsEnabled());
  EXPECT_EQ(gate.LatencyBlocks(), 3u);

  // The first three calls meet the cleared delay (-144 LUFS): counted, not given to the
  // detector. Calls 4 and 5 reach the detector while it is still undecided.
  const std::vector<Block> blocks = {{-20, true}, {-30, true},  {-40, true}, {-23, true}, {-23, true},
                                     {-23, true}, {-23, false}, {-80, true}, {-23, true}};
  EXPECT_EQ(Feed(gate, blocks), (std::vector<int>{0, 0, 0, 0, 0, 1, 0, 1, 1}));
  // Speech blocks 6, 8 and 9 carry the powers of blocks 3, 5 and 6.
  EXPECT_EQ(gate.BlockCount(), 9u);
  EXPECT_EQ(gate.SpeechBlockCount(), 3u);
  EXPECT_EQ(gate.WriteIndex(), 3u);
  EXPECT_NEAR(gate.MeanSpeechPower(), (power(-40) + 2 * power(-23)) / 3, 1e-15);
}

TEST_F(ScriptedGate, SkipsBlocksWhoseDelayedPowerIsBelowTheGate)
{
  DialogueGate gate(kScripted);
  gCallsToDecide = 1;
  gate.Prepare(36000, kBlock, kRate);
  ASSERT_EQ(gate.LatencyBlocks(), 1u);
  // -70 LUFS is in, -70.01 is out; the detector sees only blocks whose delayed power passes.
  EXPECT_EQ(Feed(gate, {{-70.0, true}, {-70.01, true}, {-23, true}, {-23, true}}), (std::vector<int>{0, 1, 0, 1}));
  EXPECT_EQ(gate.BlockCount(), 4u);
  EXPECT_EQ(gate.SpeechBlockCount(), 2u);
}

TEST_F(ScriptedGate, DelaysShortTermPowersWithTheirWindowFlag)
{
  DialogueGate gate(kScripted);
  gate.Prepare(36000, kBlock, kRate);
  for (int i = 1; i <= 3; ++i)
  {
    const DelayedShortTerm out = gate.DelayShortTerm({0.1 * i, i > 1});
    EXPECT_EQ(out.power, 0.0);
    EXPECT_FALSE(out.windowFull);
  }
  for (int i = 4; i <= 6; ++i)
  {
    const DelayedShortTerm out = gate.DelayShortTerm({0.1 * i, true});
    EXPECT_DOUBLE_EQ(out.power, 0.1 * (i - 3));
    EXPECT_EQ(out.windowFull, i > 4);
  }
}

TEST_F(ScriptedGate, ResetBehavesLikeAFreshlyPreparedGate)
{
  const std::vector<Block> blocks = {{-20, true}, {-30, false}, {-25, true},  {-23, true},
                                     {-23, true}, {-26, true},  {-23, false}, {-21, true}};
  DialogueGate fresh(kScripted);
  fresh.Prepare(36000, kBlock, kRate);
  const std::vector<int> expected = Feed(fresh, blocks);

  DialogueGate reused(kScripted);
  reused.Prepare(36000, kBlock, kRate);
  Feed(reused, blocks);
  reused.DelayShortTerm({1.0, true});
  reused.Reset();
  EXPECT_EQ(reused.BlockCount(), 0u);
  EXPECT_EQ(reused.MeanSpeechPower(), 0.0);
  EXPECT_FALSE(reused.DelayShortTerm({}).windowFull);
  reused.Reset();
  EXPECT_EQ(Feed(reused, blocks), expected);
  EXPECT_EQ(reused.SpeechBlockCount(), fresh.SpeechBlockCount());
  EXPECT_EQ(reused.MeanSpeechPower(), fresh.MeanSpeechPower());
  EXPECT_EQ(reused.LatencyBlocks(), 3u);
}

// Once the ring is full each speech block replaces the oldest, and the mean is that of the blocks
// held whatever left before them: a block far louder than the rest takes its rounding with it.
TEST_F(ScriptedGate, OnceFullEachSpeechBlockReplacesTheOldest)
{
  gCallsToDecide = 1;
  double means[2];
  for (int i = 0; i < 2; ++i)
  {
    DialogueGate gate(kScripted);
    gate.Prepare(4, kBlock, kRate);
    // With one block of latency the -99 block (below the gate) and the cleared delay come first.
    const double first = i == 0 ? -10.0 : 250.0;
    Feed(gate, {{-99, true}, {first, true}, {-20, true}, {-30, true}, {-40, true}, {-50, true}, {-60, true}});
    EXPECT_EQ(gate.SpeechBlockCount(), 5u);
    EXPECT_EQ(gate.WriteIndex(), 1u);
    means[i] = gate.MeanSpeechPower();
  }
  EXPECT_NEAR(means[0], (power(-20) + power(-30) + power(-40) + power(-50)) / 4, 1e-12);
  EXPECT_EQ(means[1], means[0]);
}

TEST_F(ScriptedGate, CutsTheLatencyAt128Blocks)
{
  gCallsToDecide = 1000000;  // never decides
  DialogueGate gate(kScripted);
  gate.Prepare(36000, kBlock, kRate);
  EXPECT_TRUE(gate.IsEnabled());
  EXPECT_EQ(gate.LatencyBlocks(), 128u);
}

TEST_F(ScriptedGate, StaysDisabledWhenTheDetectorCannotBeSetUp)
{
  gInitFails = true;
  DialogueGate gate(kScripted);
  gate.Prepare(36000, kBlock, kRate);
  EXPECT_FALSE(gate.IsEnabled());
  EXPECT_EQ(Feed(gate, {{-20, true}}), std::vector<int>{0});
  EXPECT_EQ(gate.BlockCount(), 0u);
}

TEST_F(ScriptedGate, KeepsItsStateAndDetectorWhenMoved)
{
  DialogueGate built;
  built.UseDetector(kScripted);
  built.Prepare(36000, kBlock, kRate);
  Feed(built, {{-20, true}, {-20, true}, {-20, true}, {-20, true}, {-20, true}, {-20, true}});
  DialogueGate moved;
  moved = std::move(built);
  EXPECT_EQ(moved.Detector().process, kScripted.process);
  EXPECT_EQ(Feed(moved, {{-20, true}}), std::vector<int>{1});
  EXPECT_EQ(moved.SpeechBlockCount(), 2u);
  EXPECT_NEAR(moved.MeanSpeechPower(), power(-20), 1e-15);
}

TEST(DialogueGate, RealDetectorLatencyAndUnsupportedRates)
{
  for (double rate : {32000.0, 44100.0, 48000.0})
  {
    DialogueGate gate;
    gate.Prepare(36000, static_cast<int32_t>(0.1 * rate), rate);
    EXPECT_TRUE(gate.IsEnabled()) << rate;
    EXPECT_EQ(gate.LatencyBlocks(), 21u) << rate;
  }
  for (double rate : {96000.0, 22050.0, 88200.0})
  {
    DialogueGate gate;
    gate.Prepare(36000, static_cast<int32_t>(0.1 * rate), rate);
    EXPECT_FALSE(gate.IsEnabled()) << rate;
    std::vector<float> samples(static_cast<size_t>(0.1 * rate), 0.5f);
    EXPECT_EQ(gate.ProcessBlock(samples.data(), 1.0), 0);
    EXPECT_EQ(gate.BlockCount(), 0u);
    EXPECT_EQ(gate.SpeechBlockCount(), 0u);
    EXPECT_EQ(gate.MeanSpeechPower(), 0.0);
  }
}

}  // namespace
