// The loudness engine at 48 kHz with the EBU settings (K weighting, G10, true peak): the cost of
// a second of audio, and the worst 64-frame block, the one that carries the 100 ms hop work over
// full one-hour histories.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "meter-engine/LoudnessEngine.h"
#include "meter-engine/WeightingFilter.h"

namespace {

constexpr double kFs = 48000.0;

struct Chain
{
  LoudnessEngine engine;
  WeightingFilter filters[10];
  const ChannelConfig& config;
  std::vector<double> noise;
  size_t pos = 0;

  explicit Chain(int channels) : config(ChannelConfigTable[channels == 2 ? 0 : 11])
  {
    engine.Setup(2, 0, kFs, 3000.0, 400.0);
    for (auto& f : filters)
      f.Design(1, 0, 0, kFs, 300.0, 16000.0);
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> u(-0.3, 0.3);
    noise.resize(48000 * 10 + 7);
    for (double& x : noise)
      x = u(rng);
  }

  void Frames(int n)
  {
    for (int i = 0; i < n; ++i)
    {
      double x[10], y[10] = {};
      for (int k = 0; k < 10; ++k)
        x[k] = noise[(pos + 4801 * k) % noise.size()];
      pos = (pos + 1) % noise.size();
      engine.ProcessPeaks(config.enabled, 1, &x, 1);
      for (int k = 0; k < 10; ++k)
        if (config.enabled[k])
          y[k] = filters[k].Process(x[k]);
      const double speech = 0.0;
      engine.Process(config, true, true, false, &y, &speech, 1);
    }
  }
};

// Reported time is CPU time per second of audio, i.e. the real-time factor.
void BM_EngineSecondOfAudio(benchmark::State& state)
{
  Chain chain(static_cast<int>(state.range(0)));
  for (auto _ : state)
    chain.Frames(48000);
  benchmark::DoNotOptimize(chain.engine.integratedGate.integrated);
}
BENCHMARK(BM_EngineSecondOfAudio)->Arg(2)->Arg(10)->ArgName("channels")->Unit(benchmark::kMillisecond);

// Each iteration runs one 100 ms hop in 64-frame blocks and reports its slowest block; the
// integrated gate and both histograms hold a full hour (36000 entries) throughout.
void BM_EngineWorstBlock(benchmark::State& state)
{
  Chain chain(static_cast<int>(state.range(0)));
  chain.Frames(48000 * 4);  // windows full
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> level(-40.0, -10.0);
  for (uint32_t i = 0; i < IntegratedGate::kCapacity; ++i)
  {
    const double p = std::exp(level(rng) / 4.342944819);
    chain.engine.integratedGate.AddBlock(p);
    chain.engine.mainHistogram.Add(p);
  }
  double worst = 0.0;
  for (auto _ : state)
  {
    double slowest = 0.0;
    for (int block = 0; block < 75; ++block)
    {
      const auto start = std::chrono::steady_clock::now();
      chain.Frames(64);
      slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    worst = std::max(worst, slowest);
    state.SetIterationTime(slowest);
  }
  state.counters["worst_us"] = worst * 1e6;
  state.counters["block_budget_us"] = 64.0 / kFs * 1e6;
}
BENCHMARK(BM_EngineWorstBlock)->Arg(2)->Arg(10)->ArgName("channels")->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
