// The adapter's cost per sample frame: Render with input pull through the render callback,
// binding, the test gain's block processing and output, for 2 and 10 channels of 512 frames.

#include "tests/test-plugin/TestGain.h"

#include "au-adapter/IPlugAUEntry.h"

#include <benchmark/benchmark.h>

#include <vector>

IPLUG_AU_ENTRY_POINTS(testgain::TestGain, "TestGain_View", BenchGain_Factory, BenchGain_Entry)

namespace {

OSStatus Feed(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames, AudioBufferList* data)
{
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b)
    std::fill_n(static_cast<float*>(data->mBuffers[b].mData), frames, 0.25f);
  return noErr;
}

void RenderBlocks(benchmark::State& state)
{
  const auto channels = UInt32(state.range(0));
  constexpr UInt32 kFrames = 512;
  static const AudioComponentDescription description{platform::FourCC("aufx"), platform::FourCC("TGn1"),
                                                     platform::FourCC("ZVRQ"), 0, 0};
  static AudioComponent component = AudioComponentRegister(
    &description, nullptr, 1, reinterpret_cast<AudioComponentFactoryFunction>(BenchGain_Factory));
  AudioUnit unit = nullptr;
  AudioComponentInstanceNew(component, &unit);
  const AudioStreamBasicDescription format{
    48000, kAudioFormatLinearPCM, kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked, 4, 1, 4, channels, 32, 0};
  for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
    AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format);
  const AURenderCallbackStruct callback{Feed, nullptr};
  AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                       sizeof callback);
  AudioUnitInitialize(unit);

  std::vector<uint8_t> storage(AudioBufferListSize(channels));
  std::vector<float> samples(channels * kFrames);
  auto* list = reinterpret_cast<AudioBufferList*>(storage.data());
  list->mNumberBuffers = channels;
  for (UInt32 c = 0; c < channels; ++c)
    list->mBuffers[c] = AudioBuffer{1, kFrames * 4, &samples[c * kFrames]};
  AudioTimeStamp time{};
  time.mFlags = kAudioTimeStampSampleTimeValid;
  for (auto _ : state)
  {
    AudioUnitRenderActionFlags flags = 0;
    benchmark::DoNotOptimize(AudioUnitRender(unit, &flags, &time, 0, kFrames, list));
    time.mSampleTime += kFrames;
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);  // sample frames
  AudioComponentInstanceDispose(unit);
}
BENCHMARK(RenderBlocks)->Arg(2)->Arg(10);

}  // namespace
