#include "HostedPlug.h"

#include "platform/CoreMIDI/MIDIServices.h"

namespace autest {
namespace {

constexpr AudioUnitScope G = kAudioUnitScope_Global;

float Get(AudioUnit unit, AudioUnitParameterID id)
{
  AudioUnitParameterValue value = -99.0f;
  EXPECT_EQ(AudioUnitGetParameter(unit, id, G, 0, &value), noErr);
  return value;
}

TEST(AdapterParameters, SetRoundsStepsClampsAndTellsEditorAndPlugIn)
{
  Hosted hosted;
  struct Case
  {
    AudioUnitParameterID id;
    float value;
    float stored;
  };
  const Case cases[] = {
    {TestPlug::kSteps, 1.26f, 1.5f}, {TestPlug::kSteps, 1.24f, 1.0f}, {TestPlug::kSteps, -0.25f, 0.0f},
    {TestPlug::kGain, 9.0f, 4.0f},   {TestPlug::kGain, 1.26f, 1.26f},
  };
  for (const Case& c : cases)
  {
    const float before = Get(hosted.unit, c.id);
    hosted.plug->mChanges.clear();
    ASSERT_EQ(AudioUnitSetParameter(hosted.unit, c.id, G, 0, c.value, 17), noErr);
    EXPECT_EQ(Get(hosted.unit, c.id), c.stored) << c.value;
    EXPECT_EQ(float(hosted.plug->GetParam(int(c.id))->PreviousValue()), before);
    // The editor hears the host's own value, before rounding and clamping.
    ParamTuple tuple;
    ASSERT_TRUE(hosted.plug->PopEditorValue(tuple));
    EXPECT_EQ(tuple.idx, int(c.id));
    EXPECT_EQ(tuple.value, double(c.value));
    ASSERT_EQ(hosted.plug->mChanges.size(), 1u);
    EXPECT_EQ(hosted.plug->mChanges[0].source, int(kHost));
    EXPECT_EQ(hosted.plug->mChanges[0].offset, 17);
  }
}

AudioUnitParameterEvent Immediate(AudioUnitParameterID id, float value, AudioUnitScope scope = G)
{
  AudioUnitParameterEvent event{};
  event.scope = scope;
  event.parameter = id;
  event.eventType = kParameterEvent_Immediate;
  event.eventValues.immediate = {3, value};
  return event;
}

TEST(AdapterParameters, ScheduledEvents)
{
  Hosted hosted;
  AudioUnitParameterEvent ramp = Immediate(TestPlug::kLevel, 5.0f);
  ramp.eventType = kParameterEvent_Ramped;
  const AudioUnitParameterEvent applied[] = {Immediate(TestPlug::kGain, 2.0f), ramp, Immediate(TestPlug::kSteps, 0.5f)};
  EXPECT_EQ(AudioUnitScheduleParameters(hosted.unit, applied, 3), noErr);
  EXPECT_EQ(Get(hosted.unit, TestPlug::kGain), 2.0f);
  EXPECT_EQ(Get(hosted.unit, TestPlug::kLevel), 0.0f);
  EXPECT_EQ(Get(hosted.unit, TestPlug::kSteps), 0.5f);
}

struct EventLog
{
  struct Entry
  {
    AudioUnitEventType type;
    AudioUnitParameterID id;
    AudioUnitParameterValue value;
  };
  std::vector<Entry> entries;
  static void Proc(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value)
  {
    static_cast<EventLog*>(refCon)->entries.push_back(
      {event->mEventType, event->mArgument.mParameter.mParameterID, value});
  }
};

TEST(AdapterParameters, EditorGesturesAndValuesReachHostListeners)
{
  Hosted hosted;
  EventLog log;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(EventLog::Proc, &log, nullptr, nullptr, 0.0f, 0.0f, &listener), noErr);
  for (AudioUnitEventType type : {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                                  kAudioUnitEvent_EndParameterChangeGesture})
  {
    AudioUnitEvent event{};
    event.mEventType = type;
    event.mArgument.mParameter = {hosted.unit, kAUParameterListener_AnyParameter, G, 0};
    AUEventListenerAddEventType(listener, nullptr, &event);
  }

  hosted.plug->GestureBeginFromEditor(TestPlug::kGain);
  hosted.plug->SetValueFromEditor(TestPlug::kGain, 0.75, true);
  hosted.plug->GestureEndFromEditor(TestPlug::kGain);
  ASSERT_EQ(log.entries.size(), 3u);
  EXPECT_EQ(log.entries[0].type, kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(log.entries[1].type, kAudioUnitEvent_ParameterValueChange);
  EXPECT_EQ(log.entries[1].value, 3.0f);  // read back from the unit: 0.75 of 0..4
  EXPECT_EQ(log.entries[2].type, kAudioUnitEvent_EndParameterChangeGesture);
  for (const EventLog::Entry& entry : log.entries)
    EXPECT_EQ(entry.id, AudioUnitParameterID(TestPlug::kGain));
  AUListenerDispose(listener);
}

struct PropertyCalls
{
  static inline std::vector<AudioUnitPropertyID> ids;
  static void Proc(void*, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement) { ids.push_back(id); }
};

TEST(AdapterParameters, InfoPresetAndLatencyChangesReachPropertyListeners)
{
  Hosted hosted;
  PropertyCalls::ids.clear();
  for (AudioUnitPropertyID id :
       {kAudioUnitProperty_ParameterInfo, kAudioUnitProperty_ParameterList, kAudioUnitProperty_PresentPreset})
    AudioUnitAddPropertyListener(hosted.unit, id, PropertyCalls::Proc, nullptr);
  hosted.plug->NotifyHostParameterInfoChanged();
  hosted.plug->NotifyHostPresetChanged();
  hosted.plug->StoreLatency(480);  // no latency listener: still stored
  EXPECT_EQ(PropertyCalls::ids,
            (std::vector<AudioUnitPropertyID>{kAudioUnitProperty_ParameterList, kAudioUnitProperty_ParameterInfo,
                                              kAudioUnitProperty_PresentPreset}));
  Float64 latency = 0.0;
  UInt32 size = sizeof latency;
  AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_Latency, G, 0, &latency, &size);
  EXPECT_DOUBLE_EQ(latency, 480.0 / 44100.0);
}

// What the host's MIDI output callback received: each packet's time stamp and bytes.
struct MidiOut
{
  OSStatus answer = noErr;
  std::vector<std::pair<MIDITimeStamp, std::vector<Byte>>> packets;
  Float64 sampleTime = -1.0;
  int lists = 0;

  static OSStatus Proc(void* user, const AudioTimeStamp* stamp, UInt32, const MIDIPacketList* list)
  {
    auto* self = static_cast<MidiOut*>(user);
    ++self->lists;
    self->sampleTime = stamp->mSampleTime;
    const MIDIPacket* packet = &list->packet[0];
    for (UInt32 i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet))
    {
      const MIDITimeStamp stamp = packet->timeStamp;  // packed: copied, never referenced
      self->packets.push_back({stamp, std::vector<Byte>(packet->data, packet->data + packet->length)});
    }
    return self->answer;
  }
};

TEST(AdapterMidi, OutputPacketsThroughTheHostCallback)
{
  Hosted hosted;
  EXPECT_FALSE(hosted.plug->SendMidi(IMidiMsg{0, 0x90, 60, 100}));  // no callback yet

  MidiOut out;
  const AUMIDIOutputCallbackStruct callback{MidiOut::Proc, &out};
  AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_MIDIOutputCallback, G, 0, &callback, sizeof callback);
  EXPECT_TRUE(hosted.plug->SendMidi(IMidiMsg{5, 0x90, 60, 100}));
  ASSERT_EQ(out.packets.size(), 1u);
  EXPECT_EQ(out.packets[0], std::make_pair(MIDITimeStamp(5), std::vector<Byte>{0x90, 60, 100}));

  out.packets.clear();
  const IMidiMsg list[] = {{2, 0x90, 1, 2}, {2, 0x80, 3, 4}, {9, 0xB0, 5, 6}};
  EXPECT_TRUE(hosted.plug->SendMidiList(list));
  ASSERT_EQ(out.packets.size(), 2u);
  EXPECT_EQ(out.packets[0].second, (std::vector<Byte>{0x90, 1, 2, 0x80, 3, 4}));
  EXPECT_EQ(out.packets[1], std::make_pair(MIDITimeStamp(9), std::vector<Byte>{0xB0, 5, 6}));

  out.packets.clear();
  std::vector<uint8_t> sysex(300);
  for (size_t i = 0; i < sysex.size(); ++i)
    sysex[i] = uint8_t(i);
  EXPECT_TRUE(hosted.plug->SendSysExData(SysExView{7, 300, sysex.data()}));
  ASSERT_EQ(out.packets.size(), 2u);
  EXPECT_EQ(out.packets[0].second.size(), 256u);
  EXPECT_EQ(out.packets[1].second.size(), 44u);
  EXPECT_EQ(out.packets[1].first, MIDITimeStamp(7));
  EXPECT_EQ(out.packets[1].second[0], uint8_t(256));

  out.answer = -1;  // a failing callback is reported
  EXPECT_FALSE(hosted.plug->SendMidi(IMidiMsg{0, 0x90, 60, 100}));
}

// More messages than one packet list holds go out whole, in order, in as many lists as needed.
TEST(AdapterMidi, LongMessageListsGoOutInSeveralPacketLists)
{
  Hosted hosted;
  MidiOut out;
  const AUMIDIOutputCallbackStruct callback{MidiOut::Proc, &out};
  AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_MIDIOutputCallback, G, 0, &callback, sizeof callback);
  std::vector<IMidiMsg> msgs;
  for (int i = 0; i < 3000; ++i)  // a time stamp each: one packet per message
    msgs.push_back(IMidiMsg{i, 0x90, uint8_t(i % 128), uint8_t(i / 128)});
  EXPECT_TRUE(hosted.plug->SendMidiList(msgs));
  EXPECT_GT(out.lists, 1);
  ASSERT_EQ(out.packets.size(), msgs.size());
  for (size_t i = 0; i < msgs.size(); ++i)
    ASSERT_EQ(out.packets[i], std::make_pair(MIDITimeStamp(i), std::vector<Byte>{0x90, msgs[i].mData1, msgs[i].mData2}))
      << i;

  out.answer = -1;  // every list is still offered; the failure is reported
  out.lists = 0;
  EXPECT_FALSE(hosted.plug->SendMidiList(msgs));
  EXPECT_GT(out.lists, 1);
}

// MIDI input arrives through the component entry's selectors, which call these.
TEST(AdapterMidi, InputNeedsAMidiPlugIn)
{
  const UInt8 bytes[] = {0xF0, 0x01, 0xF7};
  Hosted effect;
  EXPECT_EQ(effect.plug->MidiEvent(0x90, 60, 100, 0), OSStatus(badComponentSelector));
  EXPECT_EQ(effect.plug->SysEx(bytes, 3), OSStatus(badComponentSelector));
  EXPECT_TRUE(effect.plug->mMidiIn.empty());

  IPluginConfig config = GainConfig();
  config.plugDoesMidiIn = true;
  Hosted synth(config);
  EXPECT_EQ(synth.plug->MidiEvent(0x90, 60, 100, 12), noErr);
  ASSERT_EQ(synth.plug->mMidiIn.size(), 1u);
  EXPECT_EQ(synth.plug->mMidiIn[0].mOffset, 12);
  IMidiMsg queued;
  ASSERT_TRUE(synth.plug->PopProcessorMidi(queued));  // also on its way to the editor
  EXPECT_EQ(queued.mData1, 60);
  EXPECT_EQ(synth.plug->SysEx(bytes, 3), noErr);
  EXPECT_EQ(synth.plug->mSysExIn, (std::vector<uint8_t>{0xF0, 0x01, 0xF7}));
  // Longer than a message can hold, or without its bytes: refused rather than cut or zeroed.
  const std::vector<UInt8> tooLong(SysExData::kMaxSize + 1, 0x7F);
  EXPECT_EQ(synth.plug->SysEx(tooLong.data(), UInt32(tooLong.size())), kAudio_ParamError);
  EXPECT_EQ(synth.plug->SysEx(nullptr, 3), kAudio_ParamError);
  EXPECT_EQ(synth.plug->mSysExIn, (std::vector<uint8_t>{0xF0, 0x01, 0xF7}));
}

}  // namespace
}  // namespace autest
