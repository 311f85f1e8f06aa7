#include "speech-detector/SpeechDetector.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// Microseconds per vadProcess call on one 100 ms block of noise at the host rate.
void BM_VadProcess100ms(benchmark::State& state)
{
  const auto rate = static_cast<uint32_t>(state.range(0));
  const uint32_t block = rate / 10;
  std::vector<unsigned char> arena(vadGetSize(rate, block));
  vadInit(arena.data(), arena.size(), rate, block);

  std::mt19937 rng(1);
  std::uniform_real_distribution<float> value(-0.3f, 0.3f);
  std::vector<float> audio(static_cast<size_t>(block) * 50);
  for (float& s : audio)
    s = value(rng);

  size_t offset = 0;
  for (auto _ : state)
  {
    benchmark::DoNotOptimize(vadProcess(arena.data(), audio.data() + offset, block));
    offset = (offset + block) % audio.size();
  }
}
BENCHMARK(BM_VadProcess100ms)->Arg(44100)->Arg(48000)->Unit(benchmark::kMicrosecond);

}  // namespace
