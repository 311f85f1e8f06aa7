#include "tests/au-adapter/AdapterFixture.h"
#include "tests/framework/AllocationCounter.h"

#include <cmath>
#include <vector>

namespace {

// Stereo output buffers of one block, and a time stamp that moves on with every render.
struct Block {
  explicit Block(UInt32 buffers, UInt32 frames = 512) : storage(AudioBufferListSize(buffers)), samples(buffers * frames)
  {
    list = reinterpret_cast<AudioBufferList*>(storage.data());
    list->mNumberBuffers = buffers;
    for (UInt32 b = 0; b < buffers; ++b)
      list->mBuffers[b] = AudioBuffer{1, frames * 4, &samples[b * frames]};
    time.mFlags = kAudioTimeStampSampleTimeValid;
  }
  OSStatus Render(AudioUnit unit, UInt32 frames = 512)
  {
    AudioUnitRenderActionFlags flags = 0;
    const OSStatus status = AudioUnitRender(unit, &flags, &time, 0, frames, list);
    time.mSampleTime += frames;
    return status;
  }
  std::vector<uint8_t> storage;
  std::vector<float> samples;
  AudioBufferList* list;
  AudioTimeStamp time{};
};

OSStatus Silence(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                 AudioBufferList* data)
{
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b)
    std::fill_n(static_cast<float*>(data->mBuffers[b].mData), frames, 0.25f);
  return noErr;
}

class RenderTest : public AdapterTest {
protected:
  void Prepare(UInt32 channels)
  {
    const AURenderCallbackStruct callback{Silence, nullptr};
    ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                                   sizeof callback), noErr);
    ASSERT_EQ(SetFormat(kAudioUnitScope_Input, channels), noErr);
    ASSERT_EQ(SetFormat(kAudioUnitScope_Output, channels), noErr);
    ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  }
};

INSTANTIATE_TEST_SUITE_P(Roads, RenderTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Entry" : "Factory"; });

TEST_P(RenderTest, ThousandRendersAllocateNothing)
{
  Prepare(2);
  Block block(2);
  ASSERT_EQ(block.Render(mUnit), noErr);  // the first render may settle what it needs
  const uint64_t before = testing_support::AllocationCount();
  for (int i = 0; i < 1000; ++i)
    block.Render(mUnit);
  EXPECT_EQ(testing_support::AllocationCount(), before);
  EXPECT_FLOAT_EQ(block.samples[100], 0.25f);
}

struct Notes {
  std::vector<AudioUnitRenderActionFlags> phases;
};

OSStatus Note(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  static_cast<Notes*>(refCon)->phases.push_back(*flags);
  return noErr;
}

TEST_P(RenderTest, NotificationsAndBypass)
{
  Prepare(2);
  Notes notes;
  AudioUnitAddRenderNotify(mUnit, Note, &notes);
  Block block(2);
  ASSERT_EQ(block.Render(mUnit), noErr);
  EXPECT_EQ(notes.phases, (std::vector<AudioUnitRenderActionFlags>{kAudioUnitRenderAction_PreRender,
                                                                   kAudioUnitRenderAction_PostRender}));
  AudioTimeStamp invalid{};
  AudioUnitRenderActionFlags flags = 0;
  EXPECT_EQ(AudioUnitRender(mUnit, &flags, &invalid, 0, 512, block.list), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(notes.phases.size(), 2u);  // refused before any notification
  AudioUnitRemoveRenderNotify(mUnit, Note, nullptr);  // the reference is not compared
  block.Render(mUnit);
  EXPECT_EQ(notes.phases.size(), 2u);

  // Muted but bypassed: the input passes through unchanged.
  AudioUnitSetParameter(mUnit, testgain::kMute, kAudioUnitScope_Global, 0, 1.0f, 0);
  const UInt32 on = 1;
  AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, sizeof on);
  ASSERT_EQ(block.Render(mUnit), noErr);
  EXPECT_EQ(block.samples[7], 0.25f);
  const UInt32 off = 0;
  AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &off, sizeof off);
  ASSERT_EQ(block.Render(mUnit), noErr);
  EXPECT_EQ(block.samples[7], 0.0f);
}

// Records what an output callback receives.
struct MidiOut {
  std::vector<std::vector<uint8_t>> packets;
};

OSStatus CollectMidi(void* userData, const AudioTimeStamp*, UInt32, const MIDIPacketList* list)
{
  const MIDIPacket* packet = &list->packet[0];
  for (UInt32 i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet))
    static_cast<MidiOut*>(userData)->packets.emplace_back(packet->data, packet->data + packet->length);
  return noErr;
}

TEST_P(RenderTest, MidiOutputAndGestures)
{
  std::vector<uint8_t> sysex(300, 0x11);
  EXPECT_FALSE(Plug().SendSysExData(iplug::SysExView{0, 300, sysex.data()}));  // no callback yet
  MidiOut out;
  const AUMIDIOutputCallbackStruct callback{CollectMidi, &out};
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0, &callback,
                                 sizeof callback), noErr);
  EXPECT_TRUE(Plug().SendSysExData(iplug::SysExView{0, 300, sysex.data()}));
  ASSERT_EQ(out.packets.size(), 2u);
  EXPECT_EQ(out.packets[0].size(), 256u);
  EXPECT_EQ(out.packets[1].size(), 44u);
  const iplug::IMidiMsg notes[] = {{0, 0x90, 60, 100}, {0, 0x90, 64, 100}, {5, 0x80, 60, 0}};
  out.packets.clear();
  EXPECT_TRUE(Plug().SendMidiList(notes));
  EXPECT_EQ(out.packets, (std::vector<std::vector<uint8_t>>{{0x90, 60, 100, 0x90, 64, 100}, {0x80, 60, 0}}));

  struct Heard { std::vector<AudioUnitEventType> types; } heard;
  AUEventListenerRef listener = nullptr;
  AUEventListenerCreate([](void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue) {
    static_cast<Heard*>(refCon)->types.push_back(event->mEventType);
  }, &heard, nullptr, nullptr, 0, 0, &listener);
  for (AudioUnitEventType type : {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                                  kAudioUnitEvent_EndParameterChangeGesture}) {
    AudioUnitEvent event{};
    event.mEventType = type;
    event.mArgument.mParameter = {mUnit, testgain::kGain, kAudioUnitScope_Global, 0};
    AUEventListenerAddEventType(listener, nullptr, &event);
  }
  Plug().GestureBeginFromEditor(testgain::kGain);
  Plug().SetValueFromEditor(testgain::kGain, 0.5, true);
  Plug().GestureEndFromEditor(testgain::kGain);
  AUListenerDispose(listener);
  EXPECT_EQ(heard.types, (std::vector<AudioUnitEventType>{kAudioUnitEvent_BeginParameterChangeGesture,
                                                          kAudioUnitEvent_ParameterValueChange,
                                                          kAudioUnitEvent_EndParameterChangeGesture}));
}

// An upstream unit made by a factory: a 2-channel source of 0.5 that counts its renders, with
// or without a fast render entry.
struct Upstream {
  AudioComponentPlugInInterface interface;
  int renders = 0;
  bool fast = false;
};

OSStatus UpstreamRender(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                        AudioBufferList* data)
{
  ++static_cast<Upstream*>(self)->renders;
  static float source[2][4096];
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b) {
    std::fill_n(source[b], frames, 0.5f);
    data->mBuffers[b].mData = source[b];
  }
  return noErr;
}

OSStatus UpstreamGetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, void* data, UInt32*)
{
  if (id == kAudioUnitProperty_StreamFormat) {
    *static_cast<AudioStreamBasicDescription*>(data) = AudioStreamBasicDescription{
      48000, kAudioFormatLinearPCM, kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked, 4, 1, 4, 2, 32, 0};
    return noErr;
  }
  if (id == kAudioUnitProperty_FastDispatch && static_cast<Upstream*>(self)->fast) {
    *static_cast<AudioUnitRenderProc*>(data) = UpstreamRender;
    return noErr;
  }
  return kAudioUnitErr_InvalidProperty;
}

Upstream gUpstream;

AudioComponentPlugInInterface* UpstreamFactory(const AudioComponentDescription*)
{
  gUpstream.interface = {[](void*, AudioComponentInstance) { return OSStatus(noErr); },
                         [](void*) { return OSStatus(noErr); },
                         [](SInt16 selector) -> AudioComponentMethod {
                           if (selector == kAudioUnitGetPropertySelect)
                             return reinterpret_cast<AudioComponentMethod>(UpstreamGetProperty);
                           if (selector == kAudioUnitRenderSelect)
                             return reinterpret_cast<AudioComponentMethod>(UpstreamRender);
                           return nullptr;
                         },
                         nullptr};
  return &gUpstream.interface;
}

TEST_P(RenderTest, DirectConnectionsPullOncePerTimeStamp)
{
  static const AudioComponentDescription description{platform::FourCC("augn"), platform::FourCC("Up01"), 0, 0, 0};
  static AudioComponent component = AudioComponentRegister(&description, nullptr, 1, UpstreamFactory);
  for (bool fast : {false, true}) {
    AudioUnit source = nullptr;
    ASSERT_EQ(AudioComponentInstanceNew(component, &source), noErr);
    gUpstream.renders = 0;
    gUpstream.fast = fast;
    const AudioUnitConnection connection{source, 0, 0};
    ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &connection,
                                   sizeof connection), noErr);
    ASSERT_EQ(SetFormat(kAudioUnitScope_Output, 2), noErr);
    if (!Plug().IsInitialized()) {
      ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
    }
    Block block(2);
    block.time.mSampleTime = fast ? 100000 : 0;  // a time stamp not pulled before
    ASSERT_EQ(block.Render(mUnit), noErr);
    block.time.mSampleTime -= 512;  // the same time stamp again: the input is not pulled twice
    ASSERT_EQ(block.Render(mUnit), noErr);
    EXPECT_EQ(gUpstream.renders, 1) << (fast ? "fast" : "through the unit");
    EXPECT_FLOAT_EQ(block.samples[3], 0.5f);
    const AudioUnitConnection none{nullptr, 0, 0};
    AudioUnitSetProperty(mUnit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &none, sizeof none);
    AudioComponentInstanceDispose(source);
  }
}

} // namespace
