// The detector on a programme of synthetic speech between stretches of music-like tones and of
// noise, at 48 kHz in 100 ms blocks as the meter feeds it.
#include "speech-detector/SpeechDetector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRate = 48000;
constexpr uint32_t kBlock = kRate / 10;
constexpr double kPi = std::numbers::pi;

// Speech from espeak-ng (mono 16-bit at its own rate), read through a pipe.
std::vector<float> speak(const std::string& options, const std::string& text, uint32_t& rate)
{
  const std::string command = "espeak-ng --stdout " + options + " \"" + text + "\"";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return {};
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    bytes.insert(bytes.end(), buffer, buffer + got);
  pclose(pipe);
  // The stream's header gives no usable data size: take everything after the "data" tag.
  const unsigned char tag[] = {'d', 'a', 't', 'a'};
  if (bytes.size() < 44 || std::memcmp(bytes.data() + 36, tag, 4) != 0)
    return {};
  rate = bytes[24] | bytes[25] << 8 | bytes[26] << 16 | static_cast<uint32_t>(bytes[27]) << 24;
  std::vector<float> samples;
  for (size_t i = 44; i + 1 < bytes.size(); i += 2)
    samples.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8) / 32768.0f);
  return samples;
}

// Band-limited interpolation (Hann-windowed sinc, 32 taps a side) to 48 kHz. The fractional
// positions repeat, so the kernel is worked out once per position.
std::vector<float> toDetectorRate(const std::vector<float>& in, uint32_t inRate)
{
  constexpr long taps = 32;
  const uint32_t phases = kRate / std::gcd(inRate, kRate);
  const double cutoff = std::min(1.0, static_cast<double>(kRate) / inRate);
  std::vector<double> kernel(phases * 2 * taps);
  for (uint32_t p = 0; p < phases; ++p)
    for (long j = 0; j < 2 * taps; ++j)
    {
      const double x = static_cast<double>(p) / phases + taps - 1 - j;
      const double sinc = x == 0.0 ? 1.0 : std::sin(kPi * x * cutoff) / (kPi * x * cutoff);
      kernel[p * 2 * taps + j] = sinc * (0.5 + 0.5 * std::cos(kPi * x / taps)) * cutoff;
    }
  std::vector<float> out(in.size() * kRate / inRate);
  for (size_t i = 0; i < out.size(); ++i)
  {
    const uint64_t position = static_cast<uint64_t>(i) * inRate;
    const long centre = static_cast<long>(position / kRate);
    const double* k = &kernel[(position % kRate) * phases / kRate * 2 * taps];
    double acc = 0.0;
    for (long j = 0; j < 2 * taps; ++j)
    {
      const long n = centre - taps + 1 + j;
      if (n >= 0 && n < static_cast<long>(in.size()))
        acc += in[n] * k[j];
    }
    out[i] = static_cast<float>(acc);
  }
  return out;
}

// A melody of sustained three-note chords with harmonics, a new chord every 0.4 s.
std::vector<float> tones(double seconds, uint32_t seed)
{
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> note(0, 24);
  std::vector<float> out(static_cast<size_t>(seconds * kRate));
  const size_t chordLength = static_cast<size_t>(0.4 * kRate);
  for (size_t start = 0; start < out.size(); start += chordLength)
  {
    const int root = note(rng);
    const double freqs[3] = {220.0 * std::pow(2.0, root / 12.0), 220.0 * std::pow(2.0, (root + 4) / 12.0),
                             220.0 * std::pow(2.0, (root + 7) / 12.0)};
    for (size_t i = start; i < std::min(out.size(), start + chordLength); ++i)
    {
      const double t = static_cast<double>(i - start) / kRate;
      const double envelope = std::min(1.0, t / 0.02) * std::exp(-1.5 * t);
      double sample = 0.0;
      for (double f : freqs)
        for (int h = 1; h <= 4; ++h)
          sample += std::sin(2.0 * kPi * f * h * i / kRate) / (h * h);
      out[i] = static_cast<float>(0.08 * envelope * sample);
    }
  }
  return out;
}

std::vector<float> noise(double seconds, uint32_t seed)
{
  std::mt19937 rng(seed);
  std::normal_distribution<float> value(0.0f, 0.05f);
  std::vector<float> out(static_cast<size_t>(seconds * kRate));
  for (float& s : out)
    s = value(rng);
  return out;
}

enum class Kind { Speech, Tones, Noise };

struct Stretch
{
  Kind kind;
  std::vector<float> audio;
};

TEST(SpeechDetectorRealSignal, FindsSpeechBetweenTonesAndNoise)
{
  const char* texts[] = {
    "The committee met on Tuesday morning to discuss the budget for next year. "
    "Several members asked why the costs of the new building had risen so sharply. "
    "The chairman promised a full report before the end of the month.",
    "Yesterday the weather was cold and grey, but this afternoon the sun came out. "
    "Children played in the park while their parents talked about the holidays. "
    "In the evening a light rain began to fall over the city.",
    "Please listen carefully, because our menu options have changed. "
    "If you know the extension of the person you want to reach, you may dial it at any time. "
    "Otherwise, stay on the line and an operator will answer your call.",
  };
  const char* voices[] = {"-v en -p 45", "-v en-us -p 60", "-v en -p 35 -s 160"};

  std::vector<Stretch> programme;
  for (int i = 0; i < 3; ++i)
  {
    programme.push_back({i == 1 ? Kind::Noise : Kind::Tones, i == 1 ? noise(10.0, 11 + i) : tones(10.0, 21 + i)});
    uint32_t rate = 0;
    const std::vector<float> voice = speak(voices[i], texts[i], rate);
    ASSERT_FALSE(voice.empty()) << "espeak-ng produced no audio";
    programme.push_back({Kind::Speech, toDetectorRate(voice, rate)});
  }
  programme.push_back({Kind::Noise, noise(10.0, 31)});

  std::vector<unsigned char> arena(vadGetSize(kRate, kBlock));
  ASSERT_EQ(vadInit(arena.data(), arena.size(), kRate, kBlock), 0);

  // A decision reflects the last few seconds, so only blocks with at least 4 s of the same
  // stretch behind them are counted.
  constexpr size_t settleBlocks = 40;
  int counted[3] = {};
  int speech[3] = {};
  for (const Stretch& stretch : programme)
  {
    const size_t blocks = stretch.audio.size() / kBlock;
    for (size_t b = 0; b < blocks; ++b)
    {
      const int32_t decision = vadProcess(arena.data(), stretch.audio.data() + b * kBlock, kBlock);
      if (b >= settleBlocks)
      {
        ++counted[static_cast<int>(stretch.kind)];
        speech[static_cast<int>(stretch.kind)] += decision == 1;
      }
    }
  }
  const double share[3] = {100.0 * speech[0] / counted[0], 100.0 * speech[1] / counted[1],
                           100.0 * speech[2] / counted[2]};
  std::printf("speech share: speech %.1f %% of %d, tones %.1f %% of %d, noise %.1f %% of %d\n", share[0], counted[0],
              share[1], counted[1], share[2], counted[2]);
  EXPECT_GT(share[0], 60.0);
  EXPECT_LT(share[1], 20.0);
  EXPECT_LT(share[2], 20.0);
}

}  // namespace
