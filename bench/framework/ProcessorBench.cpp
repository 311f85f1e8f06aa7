// One render of ten channels: bind the host buffers, run a pass-through block, write the outputs.
#include "framework/IPlugProcessor.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

class PassThrough : public iplug::IPlugProcessor
{
public:
  PassThrough() : IPlugProcessor(Config()) {}
  bool SendMidi(const iplug::IMidiMsg&) override { return false; }

private:
  static iplug::IPluginConfig Config()
  {
    iplug::IPluginConfig config;
    config.channelIOStr = "1-1 2-2 3-3 4-4 5-5 6-6 7-7 8-8 9-9 10-10";
    return config;
  }
};

void BM_RenderTenChannels(benchmark::State& state)
{
  constexpr int kChannels = 10, kFrames = 512;
  PassThrough processor;
  processor.ResizeScratchBuffers(kFrames);
  processor.MarkChannelsConnected(iplug::kInput, 0, kChannels, true);
  processor.MarkChannelsConnected(iplug::kOutput, 0, kChannels, true);
  std::vector<float> in(kChannels * kFrames, 0.25f), out(kChannels * kFrames);
  float* inPtr[kChannels];
  float* outPtr[kChannels];
  for (int c = 0; c < kChannels; ++c)
  {
    inPtr[c] = in.data() + c * kFrames;
    outPtr[c] = out.data() + c * kFrames;
  }
  for (auto _ : state)
  {
    processor.BindHostBuffers(iplug::kInput, 0, kChannels, inPtr, kFrames);
    processor.BindHostBuffers(iplug::kOutput, 0, kChannels, outPtr, kFrames);
    processor.RunBlockProcessing(kFrames);
    benchmark::DoNotOptimize(out.data());
  }
  // Reported per sample and channel.
  state.SetItemsProcessed(state.iterations() * kChannels * kFrames);
}

}  // namespace

BENCHMARK(BM_RenderTenChannels);
