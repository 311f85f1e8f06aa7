// Real-time factor of the whole block hook (gain and limiter, peaks and true peaks, weighting,
// channel weights, the engine, the 100 ms work): CPU time per second of audio, in 512-frame
// blocks with K weighting, G10 gating, true peak and the limiter on.
#include "meter-plugin/Vantorelix.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

void ProcessBlock(benchmark::State& state)
{
  const int nChannels = int(state.range(0));
  const double sampleRate = double(state.range(1));
  constexpr int kFrames = 512;

  Vantorelix plug;
  MeterSettings& s = plug.Settings();
  s.channelConfig = nChannels == 2 ? 0 : 11;
  s.channelRouting = 0;
  s.weightingMode = 1;  // K
  s.gateMode = 2;       // G10
  s.peakMode = 1;       // true peak
  s.enableLimiter = 1;
  s.maxPeakTarget = -6.0;
  plug.SetSampleRate(sampleRate);
  plug.ResizeScratchBuffers(kFrames);
  plug.MarkChannelsConnected(iplug::kInput, 0, nChannels, true);
  plug.MarkChannelsConnected(iplug::kOutput, 0, nChannels, true);
  plug.ResetProcessing();

  // Ten seconds of noise, cycled, so the limiter works and the gates see varying blocks.
  const int nBlocks = int(10.0 * sampleRate / kFrames);
  std::mt19937 random(1);
  std::uniform_real_distribution<double> noise(-0.7, 0.7);
  std::vector<std::vector<double>> in(size_t(nChannels), std::vector<double>(size_t(nBlocks) * kFrames));
  for (auto& channel : in)
    for (double& v : channel)
      v = noise(random);
  const size_t nBuffers = static_cast<size_t>(nChannels);
  std::vector<std::vector<double>> out(nBuffers, std::vector<double>(kFrames));
  std::vector<double*> inPtr(nBuffers), outPtr(nBuffers);
  for (int c = 0; c < nChannels; ++c)
    outPtr[size_t(c)] = out[size_t(c)].data();

  int block = 0;
  for (auto _ : state)
  {
    for (int c = 0; c < nChannels; ++c)
      inPtr[size_t(c)] = in[size_t(c)].data() + size_t(block) * kFrames;
    plug.ProcessBlock(inPtr.data(), outPtr.data(), kFrames);
    benchmark::DoNotOptimize(out[0][0]);
    block = (block + 1) % nBlocks;
  }
  // Seconds of CPU per second of audio.
  state.counters["realtime_factor"] =
    benchmark::Counter(double(state.iterations()) * kFrames / sampleRate,
                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(ProcessBlock)->ArgNames({"channels", "rate"})->Args({2, 48000})->Args({10, 48000})->Args({2, 192000});

} // namespace
