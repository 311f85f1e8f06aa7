// Per-sample cost of the measurement blocks that run on the audio thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
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
  for (double& x : v)
    x = u(rng);
  return v;
}

// The weighting filters as the plug-in runs them: the channels side by side, over passes of 64
// frames of ten interleaved channels, each output times its channel weight. The arguments are
// the weighting mode and the channel count; items are channel-samples.
void BM_WeightingFilter(benchmark::State& state)
{
  constexpr int kPass = 64;
  constexpr int kStride = LoudnessEngine::kChannels;
  const int channels = static_cast<int>(state.range(1));
  WeightingFilter filters[kStride];
  for (WeightingFilter& f : filters)
    f.Design(static_cast<uint32_t>(state.range(0)), 1, 1, 48000.0, 100.0, 16000.0);
  const int measured[kStride] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  const double weights[kStride] = {1.0, 1.0, 1.0, 1.41, 1.41, 1.0, 1.0, 1.0, 1.0, 1.0};
  const auto in = Noise(kFrames * kStride);
  std::vector<double> out(in.size());
  for (auto _ : state)
  {
    for (int start = 0; start < kFrames; start += kPass)
    {
      const size_t at = static_cast<size_t>(start) * kStride;
      WeightingFilter::ProcessChannels(filters, measured, channels, &in[at], &out[at], kPass, kStride, weights);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kFrames * channels);
}
BENCHMARK(BM_WeightingFilter)
  ->ArgsProduct({benchmark::CreateDenseRange(0, 7, 1), {2, 10}})
  ->ArgNames({"mode", "channels"});

// Built as the product builds its interpolator loops, for each instruction set it picks from.
VECTOR_CLONES void RunTruePeak(TruePeakOversampler& tp, const double* x, int n, double* out)
{
  tp.Process(x, 1, n, out);
}

// One channel's true-peak interpolator over runs of 64 samples; the argument is the sample rate.
void BM_TruePeak(benchmark::State& state)
{
  constexpr int kRun = 64;
  TruePeakOversampler tp;
  tp.Prepare(static_cast<double>(state.range(0)));
  const auto in = Noise(kFrames);
  double out[kRun];
  for (auto _ : state)
  {
    for (int start = 0; start < kFrames; start += kRun)
      RunTruePeak(tp, &in[size_t(start)], kRun, out);
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
  const auto* frames = reinterpret_cast<const double(*)[LoudnessEngine::kChannels]>(noise.data());
  const uint8_t* enabled = ChannelConfigTable[channels == 2 ? 0 : 11].enabled;
  for (auto _ : state)
  {
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
  for (auto _ : state)
  {
    for (int i = 0; i < kFrames; ++i)
      limiter.Process(all, &in[i * 10]);
    benchmark::DoNotOptimize(limiter.output[0]);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_Limiter10Channels)->Arg(0)->Arg(1)->ArgName("peakMode");

// CPU time of this thread in seconds: a block's own work, without the time a shared machine gives
// other programs while it runs, which would make the worst block a measure of the machine's load.
double ThreadSeconds()
{
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// An hour of 100 ms block powers of programme between -40 and -10 LUFS.
std::vector<double> HourOfBlockPowers()
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> level(-40.0, -10.0);
  std::vector<double> powers(IntegratedGate::kCapacity);
  for (double& p : powers)
    p = std::exp(level(rng) / 4.342944819);
  return powers;
}

// The slowest and the mean cost, in CPU time, of the calls in the last hour of a run of the given
// hours of 100 ms blocks, the hour of powers repeated: add(power) takes a block. The holders of an
// hour of blocks are full from the first hour's end on, and the cost of a block must not grow
// after that.
template <class AddBlock>
void TimeTheLastHour(benchmark::State& state, int64_t hours, AddBlock add)
{
  constexpr int64_t kHour = IntegratedGate::kCapacity;
  static const std::vector<double> powers = HourOfBlockPowers();
  const int64_t blocks = hours * kHour;
  double worst = 0.0, lastHour = 0.0;
  for (int64_t b = 0; b < blocks; ++b)
  {
    const double power = powers[size_t(b % kHour)];
    const double start = ThreadSeconds();
    add(power);
    const double took = ThreadSeconds() - start;
    if (b >= blocks - kHour)
    {
      worst = std::max(worst, took);
      lastHour += took;
    }
  }
  state.SetIterationTime(worst);
  state.counters["worst_us"] = worst * 1e6;
  state.counters["mean_us"] = lastHour / kHour * 1e6;
}

// The integrated gate. These benches take seconds, so the brief runs of the test suite leave
// them out.
void BM_IntegratedGateWorstOverHours(benchmark::State& state)
{
  for (auto _ : state)
  {
    IntegratedGate gate;
    gate.Prepare(IntegratedGate::kCapacity, -70.0, -10.0);
    TimeTheLastHour(state, state.range(0), [&](double power) { gate.AddBlock(power); });
    benchmark::DoNotOptimize(gate.integrated);
  }
}
BENCHMARK(BM_IntegratedGateWorstOverHours)
  ->Arg(1)
  ->Arg(24)
  ->ArgName("hours")
  ->Iterations(1)
  ->UseManualTime()
  ->Unit(benchmark::kMicrosecond);

// The speech-gated mean with a detector that calls every block speech at once, so that the figure
// is the gate's own: its hour of speech blocks is full from the first hour's end on.
const SpeechDetectorCalls kAlwaysSpeech = {
  [](uint32_t, uint32_t) -> uint64_t { return 1; },
  [](void*, uint64_t, uint32_t, uint32_t) -> int32_t { return 0; },
  [](void*, const float*, uint32_t) -> int32_t { return 1; },
};

void BM_DialogueGateWorstOverHours(benchmark::State& state)
{
  constexpr int32_t kBlock = 4800;
  const std::vector<float> samples(kBlock, 0.1f);
  for (auto _ : state)
  {
    DialogueGate gate(kAlwaysSpeech);
    gate.Prepare(IntegratedGate::kCapacity, kBlock, 48000.0);
    TimeTheLastHour(state, state.range(0), [&](double power) { gate.ProcessBlock(samples.data(), power); });
    benchmark::DoNotOptimize(gate.MeanSpeechPower());
  }
}
BENCHMARK(BM_DialogueGateWorstOverHours)
  ->Arg(2)
  ->ArgName("hours")
  ->Iterations(1)
  ->UseManualTime()
  ->Unit(benchmark::kMicrosecond);

}  // namespace
