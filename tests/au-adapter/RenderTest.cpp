#include "HostedPlug.h"
#include "tests/framework/AllocationCounter.h"

#include <atomic>
#include <thread>

namespace autest {
namespace {

constexpr AudioUnitScope G = kAudioUnitScope_Global, I = kAudioUnitScope_Input, O = kAudioUnitScope_Output;

// A host render callback that fills every buffer with 1, 2, 3, ... and counts its calls; it can be
// told to fail.
struct Source
{
  int calls = 0;
  OSStatus failWith = noErr;
  UInt32 lastBus = 99;

  static OSStatus Render(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32 bus, UInt32 frames,
                         AudioBufferList* list)
  {
    auto* self = static_cast<Source*>(refCon);
    ++self->calls;
    self->lastBus = bus;
    if (self->failWith != noErr)
      return self->failWith;
    for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
      for (UInt32 i = 0; i < frames; ++i)
        static_cast<float*>(list->mBuffers[b].mData)[i] = float(i + 1);
    return noErr;
  }

  void Attach(AudioUnit unit, UInt32 bus = 0)
  {
    const AURenderCallbackStruct callback{Render, this};
    EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, I, bus, &callback, sizeof callback),
              noErr);
  }
};

// Render notifications, by phase.
struct NotifyLog
{
  std::vector<AudioUnitRenderActionFlags> flags;
  static OSStatus Proc(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                       AudioBufferList*)
  {
    static_cast<NotifyLog*>(refCon)->flags.push_back(*flags);
    return noErr;
  }
};

OSStatus Render(AudioUnit unit, double sampleTime, UInt32 frames, Buffers& out, UInt32 bus = 0)
{
  AudioUnitRenderActionFlags flags = 0;
  const AudioTimeStamp stamp = SampleTime(sampleTime);
  return AudioUnitRender(unit, &flags, &stamp, bus, frames, out.List());
}

// A stereo unit fed by a Source, initialised.
struct StereoChain
{
  explicit StereoChain(const IPluginConfig& config = GainConfig()) : hosted(config)
  {
    hosted.SetChannels(I, 0, 2);
    hosted.SetChannels(O, 0, 2);
    source.Attach(hosted.unit);
    EXPECT_EQ(AudioUnitInitialize(hosted.unit), noErr);
  }
  Hosted hosted;
  Source source;
};

TEST(AdapterRender, CallbackInputIsPulledOncePerTimeStampAcrossOutputBuses)
{
  Hosted hosted(GainConfig("2-2.2"));  // one stereo input, two stereo outputs
  Source source;
  source.Attach(hosted.unit);
  ASSERT_EQ(AudioUnitInitialize(hosted.unit), noErr);
  AudioUnitSetParameter(hosted.unit, TestPlug::kGain, G, 0, 3.0f, 0);

  Buffers first(2, 64), second(2, 64);
  EXPECT_EQ(Render(hosted.unit, 0, 64, first, 0), noErr);
  EXPECT_EQ(Render(hosted.unit, 0, 64, second, 1), noErr);
  EXPECT_EQ(source.calls, 1);
  EXPECT_EQ(source.lastBus, 0u);
  // Bus 0 was the last connected bus when it rendered first, so both calls processed; once both
  // are connected only bus 1 processes.
  EXPECT_EQ(hosted.plug->mBlocks, 2);
  EXPECT_EQ(first.Channel(1)[9], 30.0f);

  EXPECT_EQ(Render(hosted.unit, 64, 64, first, 0), noErr);
  EXPECT_EQ(hosted.plug->mBlocks, 2);
  EXPECT_EQ(Render(hosted.unit, 64, 64, second, 1), noErr);
  EXPECT_EQ(hosted.plug->mBlocks, 3);
  EXPECT_EQ(source.calls, 2);
}

// A host that changes the channel count: uninitialise, new formats, initialise, render into new
// buffers after freeing the old ones. Every channel of the new list is written and nothing of the
// old configuration is touched (the address sanitizer catches a write to the freed buffers).
TEST(AdapterRender, ChannelCountChangesRebindEveryChannel)
{
  const std::pair<UInt32, UInt32> changes[] = {{2, 1}, {1, 2}, {10, 3}, {3, 10}};
  for (const auto& [from, to] : changes)
  {
    SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to) + " channels");
    Hosted hosted;
    Source source;
    source.Attach(hosted.unit);
    hosted.SetChannels(I, 0, from);
    hosted.SetChannels(O, 0, from);
    ASSERT_EQ(AudioUnitInitialize(hosted.unit), noErr);
    {
      Buffers old(from, 64);
      ASSERT_EQ(Render(hosted.unit, 0, 64, old), noErr);
    }
    ASSERT_EQ(AudioUnitUninitialize(hosted.unit), noErr);
    ASSERT_EQ(hosted.SetChannels(I, 0, to), noErr);
    ASSERT_EQ(hosted.SetChannels(O, 0, to), noErr);
    ASSERT_EQ(AudioUnitInitialize(hosted.unit), noErr);
    Buffers out(to, 64);
    for (UInt32 c = 0; c < to; ++c)
      std::fill_n(out.Channel(c), 64, -1.0f);
    ASSERT_EQ(Render(hosted.unit, 64, 64, out), noErr);
    for (UInt32 c = 0; c < to; ++c)
      EXPECT_EQ(out.Channel(c)[9], 10.0f) << "channel " << c;
  }
}

// After Initialize or Reset the first render pulls its input even at the time of the last one, as
// a host that starts again from 0 renders.
TEST(AdapterRender, FirstRenderAfterInitializeOrResetPulls)
{
  StereoChain chain;
  Buffers out(2, 64);
  ASSERT_EQ(Render(chain.hosted.unit, 0, 64, out), noErr);
  ASSERT_EQ(Render(chain.hosted.unit, 0, 64, out), noErr);
  EXPECT_EQ(chain.source.calls, 1);  // the same time again: the input is not pulled twice
  ASSERT_EQ(AudioUnitUninitialize(chain.hosted.unit), noErr);
  ASSERT_EQ(AudioUnitInitialize(chain.hosted.unit), noErr);
  ASSERT_EQ(Render(chain.hosted.unit, 0, 64, out), noErr);
  EXPECT_EQ(chain.source.calls, 2);
  ASSERT_EQ(AudioUnitReset(chain.hosted.unit, G, 0), noErr);
  ASSERT_EQ(Render(chain.hosted.unit, 0, 64, out), noErr);
  EXPECT_EQ(chain.source.calls, 3);
}

TEST(AdapterRender, UpstreamUnitThroughAudioUnitRender)
{
  StereoChain upstream;  // doubles its callback's ramp
  AudioUnitSetParameter(upstream.hosted.unit, TestPlug::kGain, G, 0, 2.0f, 0);
  Hosted downstream;
  const AudioUnitConnection connection{upstream.hosted.unit, 0, 0};
  ASSERT_EQ(
    AudioUnitSetProperty(downstream.unit, kAudioUnitProperty_MakeConnection, I, 0, &connection, sizeof connection),
    noErr);
  ASSERT_EQ(AudioUnitInitialize(downstream.unit), noErr);
  AudioUnitSetParameter(downstream.unit, TestPlug::kGain, G, 0, 0.5f, 0);

  Buffers out(2, 32);
  ASSERT_EQ(Render(downstream.unit, 0, 32, out), noErr);
  EXPECT_EQ(out.Channel(0)[4], 5.0f);
  EXPECT_EQ(upstream.source.calls, 1);

  // A unit cannot be its own source.
  const AudioUnitConnection loop{downstream.unit, 0, 0};
  EXPECT_EQ(AudioUnitSetProperty(downstream.unit, kAudioUnitProperty_MakeConnection, I, 0, &loop, sizeof loop),
            kAudioUnitErr_InvalidProperty);

  // The input format came from the source; disconnecting stops the pull.
  const AudioUnitConnection none{nullptr, 0, 0};
  AudioUnitSetProperty(downstream.unit, kAudioUnitProperty_MakeConnection, I, 0, &none, sizeof none);
  ASSERT_EQ(Render(downstream.unit, 32, 32, out), noErr);
  EXPECT_EQ(upstream.source.calls, 1);
  EXPECT_EQ(out.Channel(0)[4], 0.0f);
}

// A unit of its own kind that offers a fast render procedure and renders a constant per channel.
struct FastSource
{
  static inline int calls = 0;
  static inline void* renderedWith = nullptr;

  static OSStatus FastRender(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                             AudioBufferList* list)
  {
    ++calls;
    renderedWith = self;
    static float data[2][512];
    for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
    {
      std::fill_n(data[b], frames, float(b + 7));
      list->mBuffers[b].mData = data[b];
    }
    return noErr;
  }
  static OSStatus GetProperty(void*, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement element, void* data,
                              UInt32*)
  {
    if (id == kAudioUnitProperty_StreamFormat)
    {
      *static_cast<AudioStreamBasicDescription*>(data) = AudioStreamBasicDescription{
        48000.0, kAudioFormatLinearPCM, kAudioFormatFlagIsFloat | kAudioFormatFlagIsNonInterleaved, 4, 1, 4, 2, 32, 0};
      return noErr;
    }
    if (id == kAudioUnitProperty_FastDispatch && element == kAudioUnitRenderSelect)
    {
      *static_cast<AudioUnitRenderProc*>(data) = FastRender;
      return noErr;
    }
    return kAudioUnitErr_InvalidProperty;
  }
  static OSStatus Open(void*, AudioComponentInstance) { return noErr; }
  static OSStatus Close(void* self)
  {
    delete static_cast<AudioComponentPlugInInterface*>(self);
    return noErr;
  }
  static AudioComponentMethod Lookup(SInt16 selector)
  {
    return selector == kAudioUnitGetPropertySelect ? reinterpret_cast<AudioComponentMethod>(GetProperty) : nullptr;
  }
  static AudioComponentPlugInInterface* Factory(const AudioComponentDescription*)
  {
    return new AudioComponentPlugInInterface{Open, Close, Lookup, nullptr};
  }
};

TEST(AdapterRender, UpstreamUnitThroughItsFastRenderProcedure)
{
  const AudioComponentDescription description{platform::FourCC("augn"), platform::FourCC("fast"),
                                              platform::FourCC("ZVRQ"), 0, 0};
  AudioComponent component = AudioComponentRegister(&description, CFSTR("FastSource"), 1, FastSource::Factory);
  AudioUnit source = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(component, &source), noErr);

  Hosted hosted;
  const AudioUnitConnection connection{source, 0, 0};
  ASSERT_EQ(AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_MakeConnection, I, 0, &connection, sizeof connection),
            noErr);
  ASSERT_EQ(AudioUnitInitialize(hosted.unit), noErr);
  Buffers out(2, 16);
  ASSERT_EQ(Render(hosted.unit, 0, 16, out), noErr);
  EXPECT_EQ(FastSource::calls, 1);
  EXPECT_EQ(FastSource::renderedWith, GetComponentInstanceStorage(source));
  EXPECT_EQ(out.Channel(0)[3], 7.0f);
  EXPECT_EQ(out.Channel(1)[3], 8.0f);
  AudioComponentInstanceDispose(source);
}

TEST(AdapterRender, NotificationsAndFailures)
{
  StereoChain chain;
  NotifyLog log;
  AudioUnitAddRenderNotify(chain.hosted.unit, NotifyLog::Proc, &log);
  Buffers out(2, 512);

  ASSERT_EQ(Render(chain.hosted.unit, 0, 512, out), noErr);
  EXPECT_EQ(log.flags, (std::vector<AudioUnitRenderActionFlags>{kAudioUnitRenderAction_PreRender,
                                                                kAudioUnitRenderAction_PostRender}));

  // Refused before anything is called: too many frames, or no valid sample time.
  log.flags.clear();
  EXPECT_EQ(Render(chain.hosted.unit, 512, 513, out), kAudioUnitErr_InvalidPropertyValue);
  AudioTimeStamp invalid = SampleTime(512);
  invalid.mFlags = 0;
  AudioUnitRenderActionFlags flags = 0;
  EXPECT_EQ(AudioUnitRender(chain.hosted.unit, &flags, &invalid, 0, 16, out.List()),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_TRUE(log.flags.empty());
  EXPECT_EQ(chain.source.calls, 1);

  // A failing source ends the call after the pre-render notification; the pull is repeated.
  chain.source.failWith = -1234;
  EXPECT_EQ(Render(chain.hosted.unit, 512, 16, out), -1234);
  EXPECT_EQ(log.flags, (std::vector<AudioUnitRenderActionFlags>{kAudioUnitRenderAction_PreRender}));
  chain.source.failWith = noErr;
  EXPECT_EQ(Render(chain.hosted.unit, 512, 16, out), noErr);
  EXPECT_EQ(chain.source.calls, 3);

  // Removal matches the procedure only.
  AudioUnitRemoveRenderNotify(chain.hosted.unit, NotifyLog::Proc, nullptr);
  log.flags.clear();
  EXPECT_EQ(Render(chain.hosted.unit, 528, 16, out), noErr);
  EXPECT_TRUE(log.flags.empty());
}

TEST(AdapterRender, MissingOutputBuffersComeFromScratch)
{
  StereoChain chain;
  Buffers out(2, 16, false);
  ASSERT_EQ(Render(chain.hosted.unit, 0, 16, out), noErr);
  ASSERT_NE(out.Channel(1), nullptr);
  EXPECT_EQ(out.Channel(1)[15], 16.0f);
}

TEST(AdapterRender, BypassCopiesAndKeepsEditorMidiQueued)
{
  StereoChain chain;
  AudioUnitSetParameter(chain.hosted.unit, TestPlug::kGain, G, 0, 2.0f, 0);
  const UInt32 on = 1, off = 0;
  AudioUnitSetProperty(chain.hosted.unit, kAudioUnitProperty_BypassEffect, G, 0, &on, sizeof on);
  chain.hosted.plug->QueueMidiMsgFromUI(IMidiMsg{0, 0x90, 60, 100});
  Buffers out(2, 16);
  ASSERT_EQ(Render(chain.hosted.unit, 0, 16, out), noErr);
  EXPECT_EQ(chain.hosted.plug->mBlocks, 0);
  EXPECT_TRUE(chain.hosted.plug->mMidiIn.empty());
  EXPECT_EQ(out.Channel(0)[5], 6.0f);

  AudioUnitSetProperty(chain.hosted.unit, kAudioUnitProperty_BypassEffect, G, 0, &off, sizeof off);
  ASSERT_EQ(Render(chain.hosted.unit, 16, 16, out), noErr);
  EXPECT_EQ(chain.hosted.plug->mBlocks, 1);
  ASSERT_EQ(chain.hosted.plug->mMidiIn.size(), 1u);
  EXPECT_EQ(chain.hosted.plug->mMidiIn[0].mData1, 60);
  EXPECT_EQ(out.Channel(0)[5], 12.0f);
}

TEST(AdapterRender, MidiEffectProcessesEveryCallWithoutPulling)
{
  IPluginConfig config = GainConfig("1-1");
  config.plugType = 2;
  Hosted hosted(config);
  Source source;
  source.Attach(hosted.unit);
  ASSERT_EQ(AudioUnitInitialize(hosted.unit), noErr);
  Buffers out(1, 16);
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(Render(hosted.unit, 0, 16, out), noErr);
  EXPECT_EQ(hosted.plug->mBlocks, 3);
  EXPECT_EQ(source.calls, 0);
}

struct Transport
{
  static OSStatus Beat(void*, Float64* beat, Float64* tempo)
  {
    *beat = 8.5;
    *tempo = 96.0;
    return noErr;
  }
  static OSStatus State(void*, Boolean* playing, Boolean*, Float64* sample, Boolean* cycling, Float64* cycleStart,
                        Float64* cycleEnd)
  {
    *playing = true;
    *sample = 4096.0;
    *cycling = false;
    *cycleStart = 0.0;  // not above 0: unknown
    *cycleEnd = 16.0;
    return noErr;
  }
  static OSStatus Musical(void*, UInt32*, Float32* numerator, UInt32* denominator, Float64* downBeat)
  {
    *numerator = 7.9f;
    *denominator = 8;
    *downBeat = 8.0;
    return noErr;
  }
};

TEST(AdapterRender, TransportFromTheHostOrUnknown)
{
  StereoChain chain;
  Buffers out(2, 16);
  ASSERT_EQ(Render(chain.hosted.unit, 0, 16, out), noErr);
  const ITransportInfo none = chain.hosted.plug->mLastTransport;
  EXPECT_EQ(none.mTempo, -1.0);  // no transport callbacks: tempo unknown
  EXPECT_EQ(none.mSamplePos, -1.0);
  EXPECT_FALSE(none.mTransportIsRunning);
  EXPECT_EQ(none.mNumerator, 4);

  // The transport state alone gives the default tempo, so that its play flag counts.
  const HostCallbackInfo stateOnly{nullptr, nullptr, nullptr, Transport::State, nullptr};
  AudioUnitSetProperty(chain.hosted.unit, kAudioUnitProperty_HostCallbacks, G, 0, &stateOnly, sizeof stateOnly);
  ASSERT_EQ(Render(chain.hosted.unit, 16, 16, out), noErr);
  EXPECT_EQ(chain.hosted.plug->mLastTransport.mTempo, 120.0);
  EXPECT_TRUE(chain.hosted.plug->mLastTransport.mTransportIsRunning);
  EXPECT_EQ(chain.hosted.plug->mLastTransport.mPPQPos, -1.0);

  const HostCallbackInfo callbacks{nullptr, Transport::Beat, Transport::Musical, Transport::State, nullptr};
  AudioUnitSetProperty(chain.hosted.unit, kAudioUnitProperty_HostCallbacks, G, 0, &callbacks, sizeof callbacks);
  ASSERT_EQ(Render(chain.hosted.unit, 32, 16, out), noErr);
  const ITransportInfo host = chain.hosted.plug->mLastTransport;
  EXPECT_EQ(host.mTempo, 96.0);
  EXPECT_EQ(host.mPPQPos, 8.5);
  EXPECT_EQ(host.mSamplePos, 4096.0);
  EXPECT_EQ(host.mCycleStart, -1.0);
  EXPECT_EQ(host.mCycleEnd, 16.0);
  EXPECT_EQ(host.mLastBar, 8.0);
  EXPECT_EQ(host.mNumerator, 7);
  EXPECT_EQ(host.mDenominator, 8);
  EXPECT_TRUE(host.mTransportIsRunning);
}

// Format and connection changes while a render runs: the render takes the new input set at its
// next call, so neither thread writes what the other reads; an input no longer fed reads silence.
TEST(AdapterRender, InputChangesDuringRendering)
{
  StereoChain chain;
  std::atomic<bool> done{false};
  std::thread changer([&] {
    for (int i = 0; i < 100; ++i)
    {
      chain.hosted.SetChannels(I, 0, 2);
      chain.source.Attach(chain.hosted.unit);
    }
    done = true;
  });
  Buffers out(2, 64);
  double sampleTime = 0.0;
  for (; !done; sampleTime += 64.0)
    ASSERT_EQ(Render(chain.hosted.unit, sampleTime, 64, out), noErr);
  changer.join();
  ASSERT_EQ(Render(chain.hosted.unit, sampleTime, 64, out), noErr);
  EXPECT_EQ(out.Channel(1)[9], 10.0f);

  const AURenderCallbackStruct none{nullptr, nullptr};
  AudioUnitSetProperty(chain.hosted.unit, kAudioUnitProperty_SetRenderCallback, I, 0, &none, sizeof none);
  ASSERT_EQ(Render(chain.hosted.unit, sampleTime + 64.0, 64, out), noErr);
  EXPECT_EQ(out.Channel(0)[9], 0.0f);
  EXPECT_EQ(out.Channel(1)[9], 0.0f);
}

TEST(AdapterRender, ThousandRendersAllocateNothing)
{
  StereoChain chain;
  NotifyLog log;
  log.flags.reserve(4000);
  AudioUnitAddRenderNotify(chain.hosted.unit, NotifyLog::Proc, &log);
  const HostCallbackInfo callbacks{nullptr, Transport::Beat, Transport::Musical, Transport::State, nullptr};
  AudioUnitSetProperty(chain.hosted.unit, kAudioUnitProperty_HostCallbacks, G, 0, &callbacks, sizeof callbacks);
  const AUMIDIOutputCallbackStruct midiOut{
    [](void*, const AudioTimeStamp*, UInt32, const MIDIPacketList*) { return OSStatus(noErr); }, nullptr};
  AudioUnitSetProperty(chain.hosted.unit, kAudioUnitProperty_MIDIOutputCallback, G, 0, &midiOut, sizeof midiOut);
  Buffers out(2, 512);
  const uint8_t sysex[300] = {0xF0};

  const uint64_t before = testing_support::AllocationCount();
  for (int i = 0; i < 1000; ++i)
  {
    if (i % 100 == 0)
      chain.hosted.plug->QueueSysexMsgFromUI(SysExView{0, int(sizeof sysex), sysex});
    Render(chain.hosted.unit, 512.0 * i, 512, out);
  }
  EXPECT_EQ(testing_support::AllocationCount(), before);
  EXPECT_EQ(chain.hosted.plug->mBlocks, 1000);
}

// A latency the plug-in stores while the host renders (here from a render notification, as from a
// scheduled parameter) reaches the listeners on the next idle tick, never on the audio thread:
// the render allocates nothing, and a host changing its listeners and the output format on its
// own thread meanwhile races with nothing.
struct LatencyReport
{
  Hosted* hosted = nullptr;
  int samples = 0;
  static OSStatus Proc(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                       AudioBufferList*)
  {
    auto* self = static_cast<LatencyReport*>(refCon);
    self->hosted->plug->StoreLatency(++self->samples % 1000);
    return noErr;
  }
  static void Heard(void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    ++*static_cast<std::atomic<int>*>(refCon);
  }
};

TEST(AdapterRender, LatencyStoredWhileRenderingIsToldOnTheIdleTick)
{
  StereoChain chain;
  LatencyReport report{&chain.hosted};
  AudioUnitAddRenderNotify(chain.hosted.unit, LatencyReport::Proc, &report);
  std::atomic<int> heard{0};
  AudioUnitAddPropertyListener(chain.hosted.unit, kAudioUnitProperty_Latency, LatencyReport::Heard, &heard);
  Buffers out(2, 64);

  const uint64_t before = testing_support::AllocationCount();
  ASSERT_EQ(Render(chain.hosted.unit, 0.0, 64, out), noErr);
  EXPECT_EQ(testing_support::AllocationCount(), before);
  EXPECT_EQ(heard, 0);
  EXPECT_EQ(chain.hosted.plug->GetLatency(), 2);  // stored at once (both notifications), told later
  chain.hosted.plug->IdleTimerFired();
  EXPECT_EQ(heard, 1);
  chain.hosted.plug->IdleTimerFired();
  EXPECT_EQ(heard, 1);
  chain.hosted.plug->StoreLatency(7);  // off the audio thread: told at once
  EXPECT_EQ(heard, 2);

  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (double sampleTime = 64.0; !done; sampleTime += 64.0)
      Render(chain.hosted.unit, sampleTime, 64, out);
  });
  for (int i = 0; i < 200; ++i)
  {
    AudioUnitRemovePropertyListenerWithUserData(chain.hosted.unit, kAudioUnitProperty_Latency, LatencyReport::Heard,
                                                &heard);
    chain.hosted.SetChannels(O, 0, 2);
    AudioUnitAddPropertyListener(chain.hosted.unit, kAudioUnitProperty_Latency, LatencyReport::Heard, &heard);
    chain.hosted.plug->IdleTimerFired();
  }
  done = true;
  audio.join();
  const int told = heard;
  ASSERT_EQ(Render(chain.hosted.unit, 1e9, 64, out), noErr);
  chain.hosted.plug->IdleTimerFired();
  EXPECT_EQ(heard, told + 1);
}

}  // namespace
}  // namespace autest
