#include "AllocationCounter.h"

#include "framework/IPlugProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace iplug;

namespace {

constexpr const char* kProductChannels = "1-1 2-2 3-3 4-4 5-5 6-6 7-7 8-8 9-9 10-10";

class TestProcessor : public IPlugProcessor
{
public:
  explicit TestProcessor(const char* channels, int latency = 0) : IPlugProcessor(Config(channels, latency)) {}
  bool SendMidi(const IMidiMsg& msg) override { return msg.mStatus != 0; }

  // Writes 1 into every output: shows where the processor's outputs go.
  bool markOutputs = false;
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override
  {
    IPlugProcessor::ProcessBlock(inputs, outputs, nFrames);
    if (markOutputs)
    {
      for (int i = 0; i < NChannels(kOutput); ++i)
        std::fill_n(outputs[i], nFrames, 1.0);
    }
  }

private:
  static IPluginConfig Config(const char* channels, int latency)
  {
    IPluginConfig config;
    config.channelIOStr = channels;
    config.latency = latency;
    return config;
  }
};

TEST(Processor, ChannelLayouts)
{
  struct Case
  {
    const char* text;
    int configs, maxIn, maxOut, maxInBuses, maxOutBuses;
  };
  const Case cases[] = {
    {kProductChannels, 10, 10, 10, 1, 1},
    {"0-2", 1, 0, 2, 0, 1},
    {"*-*", 1, 0, 0, 1, 1},         // wildcards never raise the totals
    {"2 1-1 junk", 1, 1, 1, 1, 1},  // tokens without "-" are skipped
    {"1.1-2 2-2", 2, 2, 2, 2, 1},
    {"", 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.text);
    WDL_PtrList<IChannelIOConfig> configs;
    int maxIn, maxOut, maxInBuses, maxOutBuses;
    EXPECT_EQ(IPlugProcessor::ParseChannelLayouts(c.text, configs, maxIn, maxOut, maxInBuses, maxOutBuses), c.configs);
    EXPECT_EQ(configs.GetSize(), c.configs);
    EXPECT_EQ(maxIn, c.maxIn);
    EXPECT_EQ(maxOut, c.maxOut);
    EXPECT_EQ(maxInBuses, c.maxInBuses);
    EXPECT_EQ(maxOutBuses, c.maxOutBuses);
    configs.Empty(true);
  }

  TestProcessor zeroIn("0-2");
  EXPECT_EQ(zeroIn.GetChannelConfig(0)->NBuses(kInput), 0);
  EXPECT_EQ(zeroIn.GetChannelConfig(0)->NChansOnBus(kOutput, 0), 2);
  EXPECT_EQ(zeroIn.GetChannelConfig(0)->TotalNChannels(kInput), 0);

  TestProcessor wild("*-*");
  EXPECT_EQ(wild.NChannels(kInput), 0);
  EXPECT_EQ(wild.NChannels(kOutput), 0);
  EXPECT_EQ(wild.BusChannelCount(kInput, 0), -1);
}

TEST(Processor, ConfigurationQueries)
{
  TestProcessor product(kProductChannels);
  EXPECT_EQ(product.NChannelConfigs(), 10);
  EXPECT_EQ(product.NChannels(kInput), 10);
  EXPECT_TRUE(product.AcceptsChannelCounts(2, 2));
  EXPECT_FALSE(product.AcceptsChannelCounts(2, 3));
  EXPECT_TRUE(product.AcceptsChannelCounts(-1, 7));
  EXPECT_TRUE(product.AcceptsChannelCounts(5, -1));
  EXPECT_FALSE(product.AcceptsChannelCounts(11, 11));
  EXPECT_EQ(product.BusChannelCount(kOutput, 0), 10);
  EXPECT_EQ(product.BusChannelCount(kOutput, 1), 0);
  const int two[] = {2};
  const int three[] = {3};
  EXPECT_EQ(product.FindChannelConfig(two, two), 1);
  EXPECT_EQ(product.FindChannelConfig(two, three), -1);

  TestProcessor buses("1-1 1.1-1 2.2-2");
  int configIdx = -1;
  EXPECT_EQ(buses.LargestBusCount(kInput, &configIdx), 2);
  EXPECT_EQ(configIdx, 2);  // ties go to the later configuration
  EXPECT_EQ(buses.LargestBusCount(kOutput, &configIdx), 1);
  EXPECT_EQ(configIdx, 2);
  EXPECT_EQ(buses.BusChannelCount(kInput, 1), 2);

  TestProcessor empty("");
  EXPECT_FALSE(empty.AcceptsChannelCounts(-1, -1));
  EXPECT_EQ(empty.LargestBusCount(kInput, &configIdx), 0);
  EXPECT_EQ(configIdx, 0);
}

TEST(Processor, NamesAndTypes)
{
  TestProcessor p(kProductChannels);
  struct Case
  {
    BusDirection direction;
    int bus, nBuses;
    const char* name;
  };
  const Case cases[] = {{kInput, 0, 1, "Input"},   {kInput, 0, 2, "Main"},    {kInput, 1, 2, "Aux"},
                        {kInput, 3, 4, "Input 3"}, {kOutput, 0, 1, "Output"}, {kOutput, 1, 2, "Output 1"}};
  WDL_String name;
  for (const Case& c : cases)
  {
    p.BusDisplayName(c.direction, c.bus, c.nBuses, name);
    EXPECT_STREQ(name.Get(), c.name);
  }
  p.SetSampleRate(48000.0);
  EXPECT_EQ(p.SamplesPerBeat(), 24000.0);
  p.Transport().mTempo = 0.0;
  EXPECT_EQ(p.SamplesPerBeat(), 0.0);
  EXPECT_EQ(p.ComponentTypeForPlug(), 0x61756678u);  // 'aufx'
  p.SetChannelLabel(kInput, 2, "In %d", false);
  EXPECT_STREQ(p.GetChannelLabel(kInput, 2), "In 3");

  const IMidiMsg msgs[] = {{0, 0x90, 1, 2}, {0, 0, 0, 0}};
  EXPECT_TRUE(p.SendMidiList({msgs, 1}));
  EXPECT_FALSE(p.SendMidiList(msgs));
  EXPECT_TRUE(p.SendMidiList({}));
}

// Ten channels of 512 frames, output 9 unconnected, as the host adapter drives a render.
struct Render
{
  static constexpr int kChannels = 10;
  static constexpr int kFrames = 512;

  explicit Render(TestProcessor& p) : processor(p)
  {
    processor.ResizeScratchBuffers(kFrames);
    processor.MarkChannelsConnected(kInput, 0, kChannels, true);
    processor.MarkChannelsConnected(kOutput, 0, kChannels, true);
    processor.MarkChannelsConnected(kOutput, 9, 1, false);
    for (int c = 0; c < kChannels; ++c)
    {
      in[c].resize(kFrames);
      out[c].assign(kFrames, -7.f);
      for (int s = 0; s < kFrames; ++s)
        in[c][s] = static_cast<float>(c * 1000 + s);
      inPtr[c] = in[c].data();
      outPtr[c] = out[c].data();
    }
  }

  bool Block(bool bypass = false, int nFrames = kFrames)
  {
    for (int c = 0; c < kChannels; ++c)
      processor.BindHostBuffers(kInput, c, 1, &inPtr[c], nFrames);
    processor.BindHostBuffers(kOutput, 0, kChannels, outPtr, nFrames);  // skips the unconnected one
    return bypass ? processor.BypassBuffers(nFrames) : processor.RunBlockProcessing(nFrames);
  }

  TestProcessor& processor;
  std::vector<float> in[kChannels], out[kChannels];
  float* inPtr[kChannels];
  float* outPtr[kChannels];
};

TEST(Processor, RenderPassesAudioThroughWithoutAllocating)
{
  TestProcessor p(kProductChannels);
  Render render(p);
  ASSERT_TRUE(render.Block());
  EXPECT_EQ(render.out[0][5], 5.f);
  EXPECT_EQ(render.out[8][511], 8511.f);
  EXPECT_EQ(render.out[9][0], -7.f);  // unconnected: the host buffer is untouched
  EXPECT_EQ(p.ConnectedChannelCount(kOutput), 9);

  const uint64_t before = testing_support::AllocationCount();
  for (int block = 0; block < 1000; ++block)
    render.Block();
  EXPECT_EQ(testing_support::AllocationCount(), before);

  render.processor.markOutputs = true;
  render.Block();
  EXPECT_EQ(render.out[3][0], 1.f);
  EXPECT_EQ(render.out[9][0], -7.f);  // the hook wrote into the channel's own buffer instead

  EXPECT_FALSE(render.Block(false, Render::kFrames + 1));  // longer than the block size
  EXPECT_EQ(render.out[3][0], 1.f);
}

TEST(Processor, BypassKeepsTheLatency)
{
  TestProcessor plain(kProductChannels);
  Render direct(plain);
  ASSERT_TRUE(direct.Block(true));
  EXPECT_EQ(direct.out[4], direct.in[4]);

  TestProcessor delayed(kProductChannels, 3);
  Render render(delayed);
  render.Block(true);
  EXPECT_EQ(render.out[2][0], 0.f);
  EXPECT_EQ(render.out[2][3], 2000.f);
  EXPECT_EQ(render.out[2][511], 2508.f);
  render.Block(true);  // the delay runs on across blocks
  EXPECT_EQ(render.out[2][0], 2509.f);
  EXPECT_EQ(render.out[2][3], 2000.f);

  delayed.StoreLatency(0);
  render.Block(true);
  EXPECT_EQ(render.out[2], render.in[2]);
}

// The line is sized once, before audio runs: latency changes from another thread while bypass
// runs allocate nothing and touch nothing the audio thread uses. A block runs with the latency
// it finds at its start, from silence when that is new.
TEST(Processor, BypassRunsAgainstLatencyChanges)
{
  TestProcessor delayed(kProductChannels);
  delayed.ReserveLatency(127);
  Render render(delayed);
  std::atomic<bool> done{false};
  std::atomic<bool> started{false};
  std::thread changer([&] {
    started = true;
    for (int i = 0; !done; ++i)
      delayed.StoreLatency(i % 3 == 0 ? 0 : i % 3 == 1 ? 127 : 64);
  });
  // The count is the process's: what starting the thread allocates must be over before it begins.
  while (!started)
    std::this_thread::yield();
  const uint64_t before = testing_support::AllocationCount();
  for (int b = 0; b < 500; ++b)
    render.Block(true);
  const uint64_t allocations = testing_support::AllocationCount() - before;
  done = true;
  changer.join();
  EXPECT_EQ(allocations, 0u);

  delayed.StoreLatency(0);
  render.Block(true);
  delayed.StoreLatency(64);
  render.Block(true);
  EXPECT_EQ(render.out[2][63], 0.f);
  EXPECT_EQ(render.out[2][64], 2000.f);
  delayed.StoreLatency(128);  // beyond the reserve: undelayed
  render.Block(true);
  EXPECT_EQ(render.out[2], render.in[2]);
}

}  // namespace
