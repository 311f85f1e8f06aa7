#include "platform/AudioToolbox/AudioUnit.h"
#include "platform/CoreMIDI/MIDIServices.h"
#include "tests/platform/LiveObjects.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using AudioUnitTest = LiveObjects;

// A unit made by a factory: the interface block followed by the unit's own state.
struct FactoryUnit
{
  AudioComponentPlugInInterface interface;
  AudioComponentInstance instance = nullptr;
  std::vector<std::string> calls;
};

OSStatus FactoryGetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                            void* data, UInt32* size)
{
  auto* unit = static_cast<FactoryUnit*>(self);
  unit->calls.push_back("get " + std::to_string(id) + "/" + std::to_string(scope) + "/" + std::to_string(element));
  *size = 8;
  if (data)
    std::memcpy(data, &self, 8);
  return 0;
}

OSStatus FactorySetParameter(void* self, AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                             AudioUnitParameterValue value, UInt32 offset)
{
  static_cast<FactoryUnit*>(self)->calls.push_back("set " + std::to_string(id) + "=" + std::to_string(value) + "@" +
                                                   std::to_string(offset));
  return 0;
}

AudioComponentPlugInInterface* Factory(const AudioComponentDescription*)
{
  auto* unit = new FactoryUnit;
  unit->interface.Open = [](void* self, AudioComponentInstance instance) {
    static_cast<FactoryUnit*>(self)->instance = instance;
    return OSStatus(0);
  };
  unit->interface.Close = [](void* self) {
    delete static_cast<FactoryUnit*>(self);
    return OSStatus(0);
  };
  unit->interface.Lookup = [](SInt16 selector) -> AudioComponentMethod {
    switch (selector)
    {
      case kAudioUnitGetPropertySelect: return reinterpret_cast<AudioComponentMethod>(FactoryGetProperty);
      case kAudioUnitSetParameterSelect: return reinterpret_cast<AudioComponentMethod>(FactorySetParameter);
      default: return nullptr;
    }
  };
  return &unit->interface;
}

// A unit on the entry road: records every parameter block it receives.
struct EntryLog
{
  std::vector<ComponentParameters> blocks;
  bool refuseOpen = false;
} gEntry;

ComponentResult Entry(ComponentParameters* params, Handle storage)
{
  gEntry.blocks.push_back(*params);
  switch (params->what)
  {
    case kComponentOpenSelect:
      if (gEntry.refuseOpen)
        return -1;
      SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(params->params[0]),
                                  reinterpret_cast<Handle>(&gEntry));
      return 0;
    case kComponentCloseSelect: return storage == reinterpret_cast<Handle>(&gEntry) ? 0 : -2;
    case kComponentCanDoSelect: return params->params[0] == kAudioUnitRenderSelect;
    case kComponentVersionSelect: return 0x00030103;
    case kAudioUnitGetParameterSelect: *reinterpret_cast<AudioUnitParameterValue*>(params->params[3]) = 0.5f; return 0;
    default: return params->what == kAudioUnitSetParameterSelect ? 0 : badComponentSelector;
  }
}

TEST_F(AudioUnitTest, FactoryRoadReachesTheBlocksMethods)
{
  const AudioComponentDescription description{platform::FourCC("aufx"), platform::FourCC("Gn01"),
                                              platform::FourCC("Test"), 0, 0};
  AudioComponent component = AudioComponentRegister(&description, CFSTR("Test: Gain"), 0x00010000, Factory);
  const AudioComponentDescription wanted{platform::FourCC("aufx"), 0, platform::FourCC("Test"), 0, 0};
  ASSERT_EQ(AudioComponentFindNext(nullptr, &wanted), component);
  CFStringRef name = nullptr;
  EXPECT_EQ(AudioComponentCopyName(component, &name), 0);
  EXPECT_STREQ(CFStringGetCStringPtr(name, kCFStringEncodingUTF8), "Test: Gain");
  CFRelease(name);

  AudioUnit unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(component, &unit), 0);
  auto* block = reinterpret_cast<FactoryUnit*>(GetComponentInstanceStorage(unit));
  EXPECT_EQ(block->instance, unit);
  void* self = nullptr;
  UInt32 size = 0;
  EXPECT_EQ(AudioUnitGetProperty(unit, 31, kAudioUnitScope_Global, 2, &self, &size), 0);
  EXPECT_EQ(self, block);
  EXPECT_EQ(AudioUnitSetParameter(unit, 3, kAudioUnitScope_Global, 0, -6.5f, 12), 0);
  EXPECT_EQ(block->calls, (std::vector<std::string>{"get 31/0/2", "set 3=-6.500000@12"}));
  EXPECT_EQ(AudioUnitRender(unit, nullptr, nullptr, 0, 0, nullptr), badComponentSelector);
  EXPECT_TRUE(AudioComponentInstanceCanDo(unit, kAudioUnitGetPropertySelect));
  EXPECT_FALSE(AudioComponentInstanceCanDo(unit, kAudioUnitRenderSelect));
  EXPECT_EQ(AudioComponentInstanceDispose(unit), 0);
  EXPECT_EQ(AudioUnitInitialize(nullptr), badComponentInstance);
}

TEST_F(AudioUnitTest, EntryRoadPacksArgumentsInCallOrder)
{
  const ComponentDescription description{platform::FourCC("aufx"), platform::FourCC("Gn02"), platform::FourCC("Test"),
                                         0, 0};
  Component component = RegisterComponent(&description, Entry, CFSTR("Test: Entry"), 1);
  gEntry = {};
  gEntry.refuseOpen = true;
  AudioUnit unit = reinterpret_cast<AudioUnit>(1);
  EXPECT_EQ(AudioComponentInstanceNew(component, &unit), -1);
  EXPECT_EQ(unit, nullptr);

  gEntry = {};
  ASSERT_EQ(AudioComponentInstanceNew(component, &unit), 0);
  EXPECT_EQ(gEntry.blocks[0].params[0], reinterpret_cast<long>(unit));
  EXPECT_EQ(GetComponentInstanceStorage(unit), reinterpret_cast<Handle>(&gEntry));
  EXPECT_EQ(AudioUnitSetParameter(unit, 7, kAudioUnitScope_Input, 1, 0.25f, 64), 0);
  const ComponentParameters& set = gEntry.blocks.back();
  EXPECT_EQ(set.what, kAudioUnitSetParameterSelect);
  EXPECT_EQ(set.paramSize, 5 * sizeof(long));
  float value;
  std::memcpy(&value, &set.params[3], sizeof value);
  EXPECT_EQ((std::vector<long>{set.params[0], set.params[1], set.params[2], set.params[4]}),
            (std::vector<long>{7, kAudioUnitScope_Input, 1, 64}));
  EXPECT_EQ(value, 0.25f);
  EXPECT_EQ(AudioUnitReset(unit, 0, 0), badComponentSelector);
  EXPECT_TRUE(AudioComponentInstanceCanDo(unit, kAudioUnitRenderSelect));
  EXPECT_FALSE(AudioComponentInstanceCanDo(unit, kAudioUnitResetSelect));
  EXPECT_EQ(GetComponentVersion(unit), 0x00030103);
  EXPECT_EQ(AudioComponentInstanceDispose(unit), 0);
  EXPECT_EQ(gEntry.blocks.back().what, kComponentCloseSelect);
}

struct Heard
{
  std::vector<AudioUnitEvent> events;
  std::vector<float> values;
};

void Listen(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value)
{
  static_cast<Heard*>(refCon)->events.push_back(*event);
  static_cast<Heard*>(refCon)->values.push_back(value);
}

AudioUnitEvent ParameterEvent(AudioUnitEventType type, AudioUnit unit, AudioUnitParameterID id)
{
  AudioUnitEvent event{};
  event.mEventType = type;
  event.mArgument.mParameter = {unit, id, kAudioUnitScope_Global, 0};
  return event;
}

TEST_F(AudioUnitTest, EventsReachTheListenersSubscribedToThem)
{
  auto* unit = reinterpret_cast<AudioUnit>(0x10);  // never called: only gestures are sent
  Heard one, any, sender;
  AUEventListenerRef oneListener, anyListener, senderListener;
  ASSERT_EQ(AUEventListenerCreate(Listen, &one, CFRunLoopGetMain(), kCFRunLoopDefaultMode, 0.05f, 0, &oneListener), 0);
  AUEventListenerCreate(Listen, &any, nullptr, nullptr, 0, 0, &anyListener);
  AUEventListenerCreate(Listen, &sender, nullptr, nullptr, 0, 0, &senderListener);
  const AudioUnitEvent begin3 = ParameterEvent(kAudioUnitEvent_BeginParameterChangeGesture, unit, 3);
  AUEventListenerAddEventType(oneListener, nullptr, &begin3);
  const AudioUnitEvent anyBegin = ParameterEvent(kAudioUnitEvent_BeginParameterChangeGesture, unit,
                                                 kAUParameterListener_AnyParameter);
  AUEventListenerAddEventType(anyListener, nullptr, &anyBegin);
  AUEventListenerAddEventType(senderListener, nullptr, &anyBegin);

  AUEventListenerNotify(nullptr, nullptr, &begin3);
  const AudioUnitEvent begin4 = ParameterEvent(kAudioUnitEvent_BeginParameterChangeGesture, unit, 4);
  AUEventListenerNotify(senderListener, nullptr, &begin4);
  const AudioUnitEvent end3 = ParameterEvent(kAudioUnitEvent_EndParameterChangeGesture, unit, 3);
  AUEventListenerNotify(nullptr, nullptr, &end3);

  EXPECT_EQ(one.events.size(), 1u);
  ASSERT_EQ(any.events.size(), 2u);
  EXPECT_EQ(any.events[1].mArgument.mParameter.mParameterID, 4u);
  EXPECT_EQ(sender.events.size(), 1u);  // not its own event

  AUEventListenerRemoveEventType(oneListener, nullptr, &begin3);
  AUEventListenerNotify(nullptr, nullptr, &begin3);
  EXPECT_EQ(one.events.size(), 1u);

  // A value change carries the value read back from the unit.
  const ComponentDescription description{platform::FourCC("aufx"), platform::FourCC("Gn03"), 0, 0, 0};
  AudioUnit reader = nullptr;
  gEntry = {};
  ASSERT_EQ(AudioComponentInstanceNew(RegisterComponent(&description, Entry, nullptr, 1), &reader), 0);
  const AudioUnitEvent change = ParameterEvent(kAudioUnitEvent_ParameterValueChange, reader, 2);
  AUEventListenerAddEventType(oneListener, nullptr, &change);
  AUEventListenerNotify(nullptr, nullptr, &change);
  ASSERT_EQ(one.values.size(), 2u);
  EXPECT_EQ(one.values[1], 0.5f);
  AudioComponentInstanceDispose(reader);
  for (AUEventListenerRef listener : {oneListener, anyListener, senderListener})
    EXPECT_EQ(AUListenerDispose(listener), 0);
}

TEST(MidiPackets, EqualTimesShareAPacketUpTo256Bytes)
{
  alignas(4) Byte storage[MIDIPacketListSizeFor(3, 300 + 6)];
  auto* list = reinterpret_cast<MIDIPacketList*>(storage);
  std::vector<Byte> sysex(300, 0x42);
  sysex[0] = 0xF0;
  MIDIPacket* packet = MIDIPacketListInit(list);
  packet = MIDIPacketListAdd(list, sizeof storage, packet, 7, 256, sysex.data());
  packet = MIDIPacketListAdd(list, sizeof storage, packet, 7, 44, sysex.data() + 256);
  ASSERT_NE(packet, nullptr);
  const Byte noteOn[] = {0x90, 60, 100};
  for (Byte b : noteOn)  // one byte at a time, as a list of messages is added
    packet = MIDIPacketListAdd(list, sizeof storage, packet, 9, 1, &b);
  packet = MIDIPacketListAdd(list, sizeof storage, packet, 9, 3, noteOn);
  ASSERT_NE(packet, nullptr);

  ASSERT_EQ(list->numPackets, 3u);
  const MIDIPacket* first = &list->packet[0];
  const MIDIPacket* second = MIDIPacketNext(first);
  const MIDIPacket* third = MIDIPacketNext(second);
  EXPECT_EQ(first->length, 256);
  EXPECT_EQ(first->data[0], 0xF0);
  EXPECT_EQ(second->length, 44);
  EXPECT_EQ(second->timeStamp, 7u);
  EXPECT_EQ(third->length, 6);
  EXPECT_EQ(third->timeStamp, 9u);
  EXPECT_EQ(third->data[3], 0x90);

  // Out of room, or more than a packet holds: refused, list unchanged.
  EXPECT_EQ(MIDIPacketListAdd(list, sizeof storage, packet, 10, 200, sysex.data()), nullptr);
  EXPECT_EQ(MIDIPacketListAdd(list, sizeof storage, packet, 11, 257, sysex.data()), nullptr);
  EXPECT_EQ(list->numPackets, 3u);
}

}  // namespace
