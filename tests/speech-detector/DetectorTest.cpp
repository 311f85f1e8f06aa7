#include "speech-detector/SpeechDetector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

struct Detector
{
  std::vector<uint64_t> arena;  // 8-byte aligned
  uint64_t size;
  uint32_t block;

  Detector(uint32_t rate, uint32_t blockLen) : size(vadGetSize(rate, blockLen)), block(blockLen)
  {
    arena.resize((size + 7) / 8);
    EXPECT_EQ(vadInit(arena.data(), size, rate, blockLen), 0);
  }

  const VadState& state() const { return *reinterpret_cast<const VadState*>(arena.data()); }

  // Calls with one block of a signal until the first decision; returns the call count.
  template <typename Signal>
  int prime(Signal&& signal)
  {
    std::vector<float> samples(block);
    for (int calls = 1; calls < 1000; ++calls)
    {
      for (float& s : samples)
        s = signal();
      if (vadProcess(arena.data(), samples.data(), block) != -1)
        return calls;
    }
    return -1;
  }
};

float silence()
{
  return 0.0f;
}

TEST(SpeechDetector, PrimesInTwentyOneBlocksAndCallsSilenceNoSpeech)
{
  for (uint32_t rate : {32000u, 44100u, 48000u})
  {
    Detector d(rate, rate / 10);
    EXPECT_EQ(d.prime(silence), 21) << rate;
    EXPECT_EQ(d.state().decision, 0) << rate;
    for (float f : d.state().features)
      EXPECT_EQ(f, 0.0f) << rate;
    EXPECT_NEAR(d.state().classifier->scores[0], -0.8785f, 1e-4f) << rate;

    // A second init on the used arena restarts from scratch.
    ASSERT_EQ(vadInit(d.arena.data(), d.size, rate, rate / 10), 0);
    EXPECT_EQ(d.state().decision, -1);
    EXPECT_EQ(d.state().frameCounter, -24);
    EXPECT_EQ(d.prime(silence), 21) << rate;
  }
}

TEST(SpeechDetector, TreatsInputBelowOneSixteenBitStepAsSilence)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> belowStep(-0.99f / 32768, 0.99f / 32768);
  std::uniform_real_distribution<float> fewSteps(-4.0f / 32768, 4.0f / 32768);

  Detector quiet(48000, 4800);
  quiet.prime([&] { return belowStep(rng); });
  for (float f : quiet.state().features)
    EXPECT_EQ(f, 0.0f);

  Detector audible(48000, 4800);
  audible.prime([&] { return fewSteps(rng); });
  EXPECT_NE(audible.state().features[0], 0.0f);
}

TEST(SpeechDetector, InputLongerThanTheBlockGivesTheSameDecisions)
{
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> value(-0.5f, 0.5f);
  std::vector<float> audio(4410 * 80);
  for (size_t i = 0; i < audio.size(); ++i)  // noise bursts and tones
    audio[i] = (i / 20000) % 3 == 0 ? value(rng) : 0.3f * std::sin(0.05f * i);

  Detector single(44100, 4410);
  Detector pairs(44100, 4410);
  for (size_t b = 0; b < 80; b += 2)
  {
    vadProcess(single.arena.data(), audio.data() + b * 4410, 4410);
    const int32_t expected = vadProcess(single.arena.data(), audio.data() + (b + 1) * 4410, 4410);
    EXPECT_EQ(vadProcess(pairs.arena.data(), audio.data() + b * 4410, 2 * 4410), expected);
  }
  for (uint32_t i = 0; i < kVadFeatureCount; ++i)
    EXPECT_EQ(single.state().features[i], pairs.state().features[i]) << i;
}

TEST(SpeechDetector, RefusesWhatItCannotRun)
{
  EXPECT_EQ(vadGetSize(48000, 4800), 100844u);
  EXPECT_EQ(vadGetSize(96000, 9600), 0u);
  EXPECT_EQ(vadGetSize(22050, 2205), 0u);
  EXPECT_EQ(vadGetSize(48000, 0), 0u);

  std::vector<uint64_t> arena(100844 / 8 + 1);
  EXPECT_EQ(vadInit(nullptr, 100844, 48000, 4800), -1);
  EXPECT_EQ(vadInit(arena.data(), 100843, 48000, 4800), -1);
  EXPECT_EQ(vadInit(reinterpret_cast<char*>(arena.data()) + 4, 100844, 48000, 4800), -1);
  EXPECT_EQ(vadInit(arena.data(), 100844, 96000, 4800), -1);
  EXPECT_EQ(vadInit(arena.data(), 100844, 48000, 4800), 0);
}

}  // namespace
