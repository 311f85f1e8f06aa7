// Per-sample cost of the measurement blocks that run on the audio thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "meter-engine/LoudnessEngine.h"
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

// The engine's peak stage in true-peak mode, 48 kHz, as the plug-in hands it frames: the first
// argument is the channel count, the second the frames per call (the plug-in passes up to 64,
// fewer at a hop's end; one is the frame-by-frame cost). Items are frames.
void BM_PeakStage(benchmark::State& state)
{
  const int channels = static_cast<int>(state.range(0));
  const int perCall = static_cast<int>(state.range(1));
  LoudnessEngine engine;
  engine.Setup(2, 0, 48000.0, 3000.0, 400.0);
  const auto noise = Noise(kFrames * LoudnessEngine::kChannels);
  const auto* frames = reinterpret_cast<const double (*)[LoudnessEngine::kChannels]>(noise.data());
  const uint8_t* enabled = ChannelConfigTable[channels == 2 ? 0 : 11].enabled;
  for (auto _ : state) {
    for (int start = 0; start < kFrames; start += perCall)
      engine.ProcessPeaks(enabled, 1, frames + start, std::min(perCall, kFrames - start));
    benchmark::DoNotOptimize(engine.peakTracker);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_PeakStage)->ArgsProduct({{2, 10}, {1, 64}})->ArgNames({"channels", "frames"});

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
