#include "speech-detector/VadResampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <vector>

namespace {

constexpr uint32_t kFrame = 1024;

struct Resampler
{
  std::vector<uint64_t> arena;  // 8-byte aligned storage
  VadResampler* state = nullptr;

  Resampler(uint32_t inRate, uint32_t outLen = kFrame)
  {
    uint32_t need = 0;
    const uint64_t size = vadResamplerGetSize(inRate, 16000, outLen, &need);
    arena.resize(size / 8 + 1);
    state = reinterpret_cast<VadResampler*>(arena.data());
    EXPECT_EQ(vadResamplerInit(state, size, outLen, inRate, 16000), 0);
  }

  // One frame from the next samples of a signal; the input is an exact-size heap copy so that
  // a read past it is caught by the address sanitizer.
  template <typename Signal>
  std::vector<float> frame(Signal&& signal, uint64_t& position)
  {
    std::vector<float> in(vadResamplerInputNeeded(state));
    for (float& s : in)
      s = signal(position++);
    std::vector<float> out(state->outLen);
    EXPECT_EQ(vadResamplerProcess(state, static_cast<uint32_t>(in.size()), in.data(), out.data()), 0);
    return out;
  }
};

TEST(VadResampler, InputNeededPerFrameFollowsTheRateRatio)
{
  struct Case
  {
    uint32_t rate;
    uint32_t first;
    std::vector<uint32_t> pattern;  // repeats after the first frame
  };
  const Case cases[] = {
    {32000, 2048, {2048}},
    {48000, 3072, {3072}},
    {44100, 2823, {2823, 2822, 2823, 2822, 2822}},  // 14112 samples per five frames
  };
  for (const Case& c : cases)
  {
    Resampler r(c.rate);
    uint64_t position = 0;
    for (uint32_t f = 0; f < 20; ++f)
    {
      const uint32_t expected = f == 0 ? c.first : c.pattern[(f - 1) % c.pattern.size()];
      EXPECT_EQ(vadResamplerInputNeeded(r.state), expected) << c.rate << " Hz, frame " << f;
      r.frame([](uint64_t) { return 0.0f; }, position);
    }
  }
}

TEST(VadResampler, FramesJoinWithoutLosingOrRepeatingInput)
{
  // Five frames in a row must equal one call that makes the same 5120 outputs at once.
  const auto ramp = [](uint64_t n) { return std::sin(0.001f * n) + 0.0001f * n; };
  for (uint32_t rate : {32000u, 44100u, 48000u})
  {
    Resampler framed(rate);
    Resampler whole(rate, 5 * kFrame);
    uint64_t framedPosition = 0;
    uint64_t wholePosition = 0;
    std::vector<float> joined;
    for (int f = 0; f < 5; ++f)
    {
      const std::vector<float> out = framed.frame(ramp, framedPosition);
      joined.insert(joined.end(), out.begin(), out.end());
    }
    EXPECT_EQ(joined, whole.frame(ramp, wholePosition)) << rate;
  }
}

TEST(VadResampler, PassesTheSpeechBandAndStopsAboveEightKilohertz)
{
  struct Case
  {
    double frequency;
    double minGain;
    double maxGain;
  };
  // DC and 1 kHz pass at about 0.99; 12 kHz would alias into the 16 kHz output.
  const Case cases[] = {{0.0, 0.985, 0.995}, {1000.0, 0.98, 1.0}, {12000.0, 0.0, 1e-3}};
  for (uint32_t rate : {32000u, 44100u, 48000u})
  {
    for (const Case& c : cases)
    {
      Resampler r(rate);
      const auto tone = [&](uint64_t n) {
        return static_cast<float>(std::cos(2.0 * std::numbers::pi * c.frequency * n / rate));
      };
      uint64_t position = 0;
      std::vector<float> out;
      for (int f = 0; f < 3; ++f)
        out = r.frame(tone, position);  // the first frames fill the filter
      float peak = 0.0f;
      for (float s : out)
        peak = std::max(peak, std::fabs(s));
      EXPECT_GE(peak, c.minGain) << rate << " Hz input, " << c.frequency << " Hz tone";
      EXPECT_LE(peak, c.maxGain) << rate << " Hz input, " << c.frequency << " Hz tone";
    }
  }
}

TEST(VadResampler, RefusesUnsupportedRatesAndWrongCounts)
{
  uint32_t need = 12345;
  for (uint32_t rate : {22050u, 88200u, 96000u, 16000u})
    EXPECT_EQ(vadResamplerGetSize(rate, 16000, kFrame, &need), 0u) << rate;
  EXPECT_EQ(vadResamplerGetSize(48000, 8000, kFrame, &need), 0u);
  EXPECT_EQ(need, 12345u);

  std::vector<uint64_t> arena(200);
  auto* state = reinterpret_cast<VadResampler*>(arena.data());
  EXPECT_EQ(vadResamplerInit(state, 1600, kFrame, 96000, 16000), -1);
  EXPECT_EQ(vadResamplerInit(state, 1000, kFrame, 48000, 16000), -1);  // below 1088 bytes
  ASSERT_EQ(vadResamplerInit(state, 1600, kFrame, 48000, 16000), 0);

  std::vector<float> in(3073), out(kFrame);
  EXPECT_EQ(vadResamplerProcess(state, 3071, in.data(), out.data()), -1);
  EXPECT_EQ(vadResamplerProcess(state, 3073, in.data(), out.data()), -1);
  EXPECT_EQ(vadResamplerInputNeeded(state), 3072u);
  EXPECT_EQ(state->primed, 0u);
}

}  // namespace
