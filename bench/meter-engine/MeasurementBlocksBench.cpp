// Per-sample cost of the measurement blocks that run on the audio thread.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "meter-engine/MeasurementRecords.h"
#include "meter-engine/PeakDetection.h"
#include "meter-engine/PeakLimiter.h"
#include "meter-engine/WeightingFilter.h"

namespace {

constexpr int kFrames = 4800;

std::vector<double> Noise(int n, unsigned seed = 1)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = u(rng);
  return v;
}

// One channel's weighting filter; the argument is the weighting mode.
void BM_WeightingFilter(benchmark::State& state)
{
  WeightingFilter f;
  f.Design(static_cast<uint32_t>(state.range(0)), 1, 1, 48000.0, 100.0, 16000.0);
  const auto in = Noise(kFrames);
  for (auto _ : state) {
    double acc = 0.0;
    for (double x : in) acc += f.Process(x);
    benchmark::DoNotOptimize(acc);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_WeightingFilter)->DenseRange(0, 7)->ArgName("mode");

// One channel's true-peak interpolator; the argument is the sample rate.
void BM_TruePeak(benchmark::State& state)
{
  TruePeakOversampler tp;
  tp.Prepare(static_cast<double>(state.range(0)));
  const auto in = Noise(kFrames);
  for (auto _ : state) {
    for (double x : in) tp.Process(x);
    benchmark::DoNotOptimize(tp.truePeakMax);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_TruePeak)->Arg(48000)->Arg(96000)->ArgName("rate");

// Ten linked channels; items are frames. The argument is the peak mode (0 Peak, 1 True Peak).
void BM_Limiter10Channels(benchmark::State& state)
{
  PeakLimiter limiter;
  limiter.Prepare(122, 1, 1, 48000.0);
  limiter.Setup(0, 1, 4, 61, static_cast<uint32_t>(state.range(0)), 1, 0.0, -1.0, -1.0, 0.0, 0.0, 0.0);
  const auto in = Noise(kFrames * 10);
  const uint8_t* all = ChannelConfigTable[11].enabled;
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) limiter.Process(all, &in[i * 10]);
    benchmark::DoNotOptimize(limiter.output[0]);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_Limiter10Channels)->Arg(0)->Arg(1)->ArgName("peakMode");

}  // namespace
