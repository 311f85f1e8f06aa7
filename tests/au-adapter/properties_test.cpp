#include "HostedPlug.h"

#include "au-adapter/AUFactoryPresets.h"
#include "au-adapter/AUParameterInfo.h"
#include "au-adapter/AUStrings.h"

#include <algorithm>
#include <string>

namespace autest {
namespace {

struct PropertyRow
{
  AudioUnitPropertyID id;
  AudioUnitScope scope;
  AudioUnitElement element;
  UInt32 size;
  bool writable;
  OSStatus status;
};

constexpr AudioUnitScope G = kAudioUnitScope_Global, I = kAudioUnitScope_Input, O = kAudioUnitScope_Output;
constexpr OSStatus kBadProp = kAudioUnitErr_InvalidProperty, kBadElement = kAudioUnitErr_InvalidElement;

// What GetPropertyInfo reports for the test plug-in: one bus each way, ten channel configurations,
// five parameters (Mode has display texts), no editor, an effect.
const PropertyRow kRows[] = {
  {IPlugAU::kPlugObjectProperty, G, 0, 8, false, noErr},
  {kAudioUnitProperty_ClassInfo, G, 0, 8, false, noErr},
  {kAudioUnitProperty_MakeConnection, G, 0, 16, true, noErr},
  {kAudioUnitProperty_MakeConnection, I, 0, 16, true, noErr},
  {kAudioUnitProperty_MakeConnection, O, 0, 0, false, kBadProp},
  {kAudioUnitProperty_SampleRate, O, 0, 8, true, noErr},
  {kAudioUnitProperty_ParameterList, G, 0, 20, false, noErr},
  {kAudioUnitProperty_ParameterList, I, 0, 0, false, noErr},
  {kAudioUnitProperty_ParameterInfo, G, 4, 104, false, noErr},
  {kAudioUnitProperty_ParameterInfo, G, 5, 0, false, kBadElement},
  {kAudioUnitProperty_ParameterInfo, I, 0, 0, false, kBadProp},
  {kAudioUnitProperty_FastDispatch, G, 14, 0, false, kBadElement},
  {kAudioUnitProperty_StreamFormat, G, 0, 40, true, noErr},
  {kAudioUnitProperty_StreamFormat, I, 0, 40, true, noErr},
  {kAudioUnitProperty_StreamFormat, O, 0, 40, true, noErr},
  {kAudioUnitProperty_StreamFormat, I, 1, 0, false, kBadProp},
  {kAudioUnitProperty_StreamFormat, 3, 0, 0, false, kBadProp},
  {kAudioUnitProperty_ElementCount, I, 0, 4, false, noErr},
  {kAudioUnitProperty_Latency, G, 0, 8, false, noErr},
  {kAudioUnitProperty_Latency, O, 0, 0, false, kBadProp},
  {kAudioUnitProperty_SupportedNumChannels, G, 0, 40, false, noErr},
  {kAudioUnitProperty_SupportedNumChannels, I, 0, 0, false, kBadProp},
  {kAudioUnitProperty_MaximumFramesPerSlice, G, 0, 4, true, noErr},
  {kAudioUnitProperty_MaximumFramesPerSlice, O, 0, 0, false, kBadProp},
  {kAudioUnitProperty_ParameterValueStrings, G, TestPlug::kMode, 8, false, noErr},
  {kAudioUnitProperty_ParameterValueStrings, G, TestPlug::kGain, 0, false, kBadProp},
  {kAudioUnitProperty_ParameterValueStrings, G, 5, 0, false, kBadElement},
  {kAudioUnitProperty_ParameterValueStrings, I, TestPlug::kMode, 0, false, kBadProp},
  {kAudioUnitProperty_AudioChannelLayout, O, 0, 0, false, kAudioUnitErr_InvalidPropertyValue},
  {kAudioUnitProperty_TailTime, G, 0, 8, false, noErr},
  {kAudioUnitProperty_TailTime, I, 0, 0, false, kBadProp},
  {kAudioUnitProperty_BypassEffect, G, 0, 4, true, noErr},
  {kAudioUnitProperty_BypassEffect, I, 0, 0, false, kBadProp},
  {kAudioUnitProperty_LastRenderError, G, 0, 4, false, noErr},
  {kAudioUnitProperty_LastRenderError, O, 0, 0, false, kBadProp},
  {kAudioUnitProperty_SetRenderCallback, I, 0, 16, true, noErr},
  {kAudioUnitProperty_SetRenderCallback, I, 1, 0, false, kBadProp},
  {kAudioUnitProperty_SetRenderCallback, O, 0, 0, false, kBadProp},
  {kAudioUnitProperty_FactoryPresets, G, 0, 8, false, noErr},
  {kAudioUnitProperty_HostCallbacks, G, 0, 40, true, noErr},
  {kAudioUnitProperty_HostCallbacks, I, 0, 0, false, kBadProp},
  {kAudioUnitProperty_CurrentPreset, G, 0, 16, true, noErr},
  {kAudioUnitProperty_ElementName, I, 0, 8, false, kBadProp},  // needs data
  {kAudioUnitProperty_CocoaUI, G, 0, 0, false, kBadProp},      // no editor
  {kAudioUnitProperty_SupportedChannelLayoutTags, O, 0, 60, true, noErr},
  {kAudioUnitProperty_SupportedChannelLayoutTags, I, 1, 0, false, noErr},
  {kAudioUnitProperty_SupportedChannelLayoutTags, G, 0, 0, false, noErr},
  {kAudioUnitProperty_ParameterStringFromValue, I, 0, 24, false, noErr},
  {kAudioUnitProperty_ParameterIDName, G, 0, 16, false, noErr},
  {kAudioUnitProperty_ParameterClumpName, G, 0, 16, false, noErr},
  {kAudioUnitProperty_PresentPreset, G, 0, 16, true, noErr},
  {kAudioUnitProperty_OfflineRender, G, 0, 4, true, noErr},
  {kAudioUnitProperty_OfflineRender, I, 0, 0, false, kBadProp},
  {kAudioUnitProperty_ParameterValueFromString, G, 0, 24, false, noErr},
  {kAudioUnitProperty_AUHostIdentifier, G, 0, 0, false, kBadProp},  // set-only
  {kAudioUnitProperty_MIDIOutputCallbackInfo, G, 0, 8, false, noErr},
  {kAudioUnitProperty_MIDIOutputCallback, G, 0, 16, true, kBadProp},
  {kMusicDeviceProperty_InstrumentCount, G, 0, 0, false, kBadProp},  // an effect
  {6, G, 0, 0, false, kBadProp},
  {49, G, 0, 0, false, kBadProp},
};

TEST(AdapterProperties, InfoTableReportsSizeWritabilityAndStatus)
{
  Hosted hosted;
  for (const PropertyRow& row : kRows) {
    SCOPED_TRACE("property " + std::to_string(int(row.id)) + " scope " + std::to_string(row.scope) + " element " +
                 std::to_string(row.element));
    UInt32 size = 0;
    Boolean writable = true;  // must come back false unless the property is writable
    EXPECT_EQ(AudioUnitGetPropertyInfo(hosted.unit, row.id, row.scope, row.element, &size, &writable), row.status);
    EXPECT_EQ(size, row.size);
    EXPECT_EQ(bool(writable), row.writable);
  }
}

TEST(AdapterProperties, InstrumentCountOnlyForInstruments)
{
  IPluginConfig config = GainConfig("0-2");
  config.plugType = 1;
  Hosted hosted(config);
  UInt32 count = 0, size = sizeof count;
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kMusicDeviceProperty_InstrumentCount, G, 0, &count, &size), noErr);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kMusicDeviceProperty_InstrumentCount, I, 0, &count, &size), kBadProp);
}

std::vector<AudioChannelLayoutTag> LayoutTags(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element)
{
  UInt32 size = 0;
  EXPECT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SupportedChannelLayoutTags, scope, element, &size,
                                     nullptr),
            noErr);
  std::vector<AudioChannelLayoutTag> tags(size / sizeof(AudioChannelLayoutTag));
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedChannelLayoutTags, scope, element, tags.data(),
                                 &size),
            noErr);
  return tags;
}

TEST(AdapterProperties, ChannelLayoutTagsFollowTheConfigurationsOnce)
{
  Hosted product;
  const std::vector<AudioChannelLayoutTag> expected = {
    0x640001, 0x650002, 0x710003, 0x6C0004, 0x6B0004, 0xBE0004, 0x760005, 0x790006,
    0x8B0006, 0x7D0007, 0x8C0007, 0x800008, 0x7E0008, 0xBE0009, 0x93000A,
  };
  EXPECT_EQ(LayoutTags(product.unit, O, 0), expected);
  EXPECT_EQ(LayoutTags(product.unit, I, 0), expected);

  // Configurations sharing a two-channel output list its tag once; a bus only some have counts
  // only those; a wildcard bus offers no fixed layout.
  Hosted shared(GainConfig("1-2 2-2 2-2.16 *-2"));
  EXPECT_EQ(LayoutTags(shared.unit, O, 0), (std::vector<AudioChannelLayoutTag>{0x650002}));
  EXPECT_EQ(LayoutTags(shared.unit, O, 1), (std::vector<AudioChannelLayoutTag>{0xBE0010}));
  EXPECT_EQ(LayoutTags(shared.unit, I, 0), (std::vector<AudioChannelLayoutTag>{0x640001, 0x650002}));
}

struct ListenerLog
{
  struct Call { void* user; AudioUnit unit; AudioUnitPropertyID id; AudioUnitScope scope; AudioUnitElement element; };
  static inline std::vector<Call> calls;
  static void First(void* user, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
  {
    calls.push_back({user, unit, id, scope, element});
  }
  static void Second(void* user, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement e)
  {
    First(user, unit, id, scope, e);
  }
};

TEST(AdapterProperties, ListenersAreUniqueByIdAndProcedureAndHearEverySet)
{
  Hosted hosted;
  ListenerLog::calls.clear();
  int a = 0, b = 0;
  AudioUnitAddPropertyListener(hosted.unit, 20, ListenerLog::First, &a);
  AudioUnitAddPropertyListener(hosted.unit, 20, ListenerLog::First, &b);  // same pair: ignored
  AudioUnitAddPropertyListener(hosted.unit, 20, ListenerLog::Second, &b);

  // An id the plug-in cannot set still reaches its listeners first, in order, with element 0.
  const Float64 tail = 1.0;
  EXPECT_EQ(AudioUnitSetProperty(hosted.unit, 20, O, 3, &tail, sizeof tail), kBadProp);
  ASSERT_EQ(ListenerLog::calls.size(), 2u);
  EXPECT_EQ(ListenerLog::calls[0].user, &a);
  EXPECT_EQ(ListenerLog::calls[0].unit, hosted.unit);
  EXPECT_EQ(ListenerLog::calls[0].scope, O);
  EXPECT_EQ(ListenerLog::calls[0].element, 0u);
  EXPECT_EQ(ListenerLog::calls[1].user, &b);

  AudioUnitRemovePropertyListenerWithUserData(hosted.unit, 20, ListenerLog::Second, &a);  // no match
  AudioUnitRemovePropertyListener(hosted.unit, 20, ListenerLog::First);
  ListenerLog::calls.clear();
  AudioUnitSetProperty(hosted.unit, 20, G, 0, &tail, sizeof tail);
  ASSERT_EQ(ListenerLog::calls.size(), 1u);
  EXPECT_EQ(ListenerLog::calls[0].user, &b);
  AudioUnitRemovePropertyListenerWithUserData(hosted.unit, 20, ListenerLog::Second, &b);
  ListenerLog::calls.clear();
  AudioUnitSetProperty(hosted.unit, 20, G, 0, &tail, sizeof tail);
  EXPECT_TRUE(ListenerLog::calls.empty());
}

AudioUnitParameterInfo ParameterInfo(AudioUnit unit, AudioUnitParameterID id)
{
  AudioUnitParameterInfo info{};
  UInt32 size = sizeof info;
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, G, id, &info, &size), noErr);
  return info;
}

std::string Text(CFStringRef text)
{
  std::string result = Utf8(text);
  if (text)
    CFRelease(text);
  return result;
}

TEST(AdapterProperties, ParameterInfoRecords)
{
  Hosted hosted;
  constexpr AudioUnitParameterOptions kBase = 0xC8800010;

  const AudioUnitParameterInfo mode = ParameterInfo(hosted.unit, TestPlug::kMode);
  EXPECT_STREQ(mode.name, "Mode");
  EXPECT_EQ(Text(mode.cfNameString), "Mode");
  EXPECT_EQ(mode.unit, kAudioUnitParameterUnit_Indexed);
  EXPECT_EQ(mode.flags, kBase | kAudioUnitParameterFlag_NonRealTime | kAudioUnitParameterFlag_IsElementMeta |
                          kAudioUnitParameterFlag_ValuesHaveStrings | kAudioUnitParameterFlag_HasClump);
  EXPECT_EQ(mode.clumpID, 1u);
  EXPECT_EQ(mode.maxValue, 2.0f);

  const AudioUnitParameterInfo level = ParameterInfo(hosted.unit, TestPlug::kLevel);
  CFRelease(level.cfNameString);
  EXPECT_EQ(level.unit, kAudioUnitParameterUnit_Indexed);  // an int in dB is still indexed
  EXPECT_EQ(level.flags, kBase);                          // no group, no clump
  EXPECT_EQ(level.clumpID, 0u);
  EXPECT_EQ(level.minValue, -10.0f);

  const AudioUnitParameterInfo steps = ParameterInfo(hosted.unit, TestPlug::kSteps);
  CFRelease(steps.cfNameString);
  EXPECT_EQ(steps.unit, kAudioUnitParameterUnit_CustomUnit);  // a custom unit hands its label over
  EXPECT_EQ(Text(steps.unitName), "x");

  const AudioUnitParameterInfo curve = ParameterInfo(hosted.unit, TestPlug::kCurve);
  CFRelease(curve.cfNameString);
  EXPECT_EQ(curve.unit, kAudioUnitParameterUnit_Hertz);
  EXPECT_EQ(curve.flags, kBase | kAudioUnitParameterFlag_DisplayLogarithmic);
  EXPECT_EQ(curve.defaultValue, 100.0f);
}

TEST(AdapterProperties, ClumpIdsFollowTheOrderGroupsAreFirstAskedFor)
{
  auto clumps = [](std::initializer_list<AudioUnitParameterID> order) {
    Hosted hosted;
    std::vector<UInt32> ids;
    for (AudioUnitParameterID id : order) {
      const AudioUnitParameterInfo info = ParameterInfo(hosted.unit, id);
      CFRelease(info.cfNameString);
      CFRelease(info.unitName);  // null for all but Steps
      ids.push_back(info.clumpID);
    }
    AudioUnitParameterNameInfo name{2, kAudioUnitParameterName_Full, nullptr};
    UInt32 size = sizeof name;
    EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterClumpName, G, 0, &name, &size), noErr);
    return std::make_pair(ids, Text(name.outName));
  };
  // Gain and Mode share "Main"; Steps is in "Detail".
  EXPECT_EQ(clumps({TestPlug::kGain, TestPlug::kSteps, TestPlug::kMode, TestPlug::kGain}),
            std::make_pair(std::vector<UInt32>{1, 2, 1, 1}, std::string("Detail")));
  EXPECT_EQ(clumps({TestPlug::kSteps, TestPlug::kMode, TestPlug::kSteps}),
            std::make_pair(std::vector<UInt32>{1, 2, 1}, std::string("Main")));

  Hosted hosted;
  AudioUnitParameterNameInfo name{0, kAudioUnitParameterName_Full, nullptr};
  UInt32 size = sizeof name;
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterClumpName, G, 0, &name, &size),
            kAudioUnitErr_PropertyNotInUse);
  name.inID = 1;  // no group asked for yet
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterClumpName, G, 0, &name, &size), noErr);
  EXPECT_EQ(name.outName, nullptr);
}

TEST(AdapterProperties, UnitsByKindAndParameterUnit)
{
  const std::pair<ParamUnit, AudioUnitParameterUnit> units[] = {
    {ParamUnit::Percentage, 3}, {ParamUnit::Seconds, 4}, {ParamUnit::Milliseconds, 24}, {ParamUnit::Samples, 5},
    {ParamUnit::DB, 13}, {ParamUnit::LinearGain, 14}, {ParamUnit::Pan, 18}, {ParamUnit::Phase, 6},
    {ParamUnit::Degrees, 15}, {ParamUnit::Meters, 19}, {ParamUnit::Rate, 7}, {ParamUnit::Ratio, 25},
    {ParamUnit::Frequency, 8}, {ParamUnit::Octaves, 21}, {ParamUnit::Cents, 9}, {ParamUnit::AbsCents, 20},
    {ParamUnit::Semitones, 10}, {ParamUnit::MidiNote, 11}, {ParamUnit::MidiController, 12}, {ParamUnit::BPM, 22},
    {ParamUnit::Beats, 23}, {ParamUnit::Custom, 0}, {ParamUnit(22), 0},
  };
  for (const auto& [unit, expected] : units) {
    IParam param;
    param.DefineDouble("p", 0.0, 0.0, 1.0, 0.0, "", kFlagsNone, "", IParam::ShapeLinear(), unit);
    EXPECT_EQ(AUUnitForParam(param), expected) << int(unit);
  }
  IParam labelled;
  labelled.DefineDouble("p", 0.0, 0.0, 1.0, 0.0, "widgets");
  EXPECT_EQ(AUUnitForParam(labelled), kAudioUnitParameterUnit_CustomUnit);
  IParam toggle;
  toggle.DefineBool("t", false);
  EXPECT_EQ(AUUnitForParam(toggle), kAudioUnitParameterUnit_Boolean);
}

TEST(AdapterProperties, ParameterTexts)
{
  Hosted hosted;
  UInt32 size = 8;
  CFArrayRef strings = nullptr;
  ASSERT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterValueStrings, G, TestPlug::kMode,
                                 &strings, &size),
            noErr);
  ASSERT_EQ(CFArrayGetCount(strings), 3);
  EXPECT_EQ(Utf8(CFArrayGetValueAtIndex(strings, 2)), "Peak");
  CFRelease(strings);

  const AudioUnitParameterValue fast = 1.0f;
  AudioUnitParameterStringFromValue text{TestPlug::kMode, &fast, nullptr};
  size = sizeof text;
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterStringFromValue, G, 0, &text, &size), noErr);
  EXPECT_EQ(Text(text.outString), "Fast");
  text.inParamID = 5;  // no such parameter: nothing read
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterStringFromValue, G, 0, &text, &size),
            kAudioUnitErr_InvalidParameter);

  AudioUnitParameterValueFromString value{TestPlug::kMode, CFSTR("Peak"), 0.0f};
  size = sizeof value;
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterValueFromString, G, 0, &value, &size),
            noErr);
  EXPECT_EQ(value.outValue, 2.0f);

  const std::pair<SInt32, std::string> cuts[] = {{-1, "Steps"}, {3, "Ste"}, {40, "Steps"}, {-7, ""}};
  for (const auto& [length, expected] : cuts) {
    AudioUnitParameterNameInfo name{TestPlug::kSteps, length, nullptr};
    size = sizeof name;
    EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterIDName, G, 0, &name, &size), noErr);
    EXPECT_EQ(Text(name.outName), expected) << length;
  }
}

TEST(AdapterProperties, ElementNamesAndStreamFormats)
{
  Hosted hosted;
  CFStringRef name = nullptr;
  UInt32 size = sizeof name;
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ElementName, I, 0, &name, &size), noErr);
  EXPECT_EQ(Text(name), "Input");
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ElementName, O, 0, &name, &size), noErr);
  EXPECT_EQ(Text(name), "Output");
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ElementName, O, 1, &name, &size), kBadElement);
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ElementName, G, 0, &name, &size),
            kAudioUnitErr_InvalidScope);

  auto channels = [&](AudioUnitScope scope) {
    AudioStreamBasicDescription format{};
    UInt32 formatSize = sizeof format;
    EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_StreamFormat, scope, 0, &format, &formatSize),
              noErr);
    return std::make_pair(format.mChannelsPerFrame, format.mSampleRate);
  };
  EXPECT_EQ(channels(O), std::make_pair(10u, 44100.0));  // the bus's own count before any set
  EXPECT_EQ(hosted.SetChannels(O, 0, 0, 0.0), kBadProp);
  EXPECT_EQ(channels(O), std::make_pair(10u, 44100.0));  // refused, and rate 0 keeps the rate
  EXPECT_EQ(hosted.SetChannels(O, 0, 2, 48000.0), noErr);
  EXPECT_EQ(channels(G), std::make_pair(2u, 48000.0));
}

TEST(AdapterProperties, FactoryPresetArrayOwnsItsRecords)
{
  Hosted hosted;
  const long liveBefore = platform::LiveObjectCount();
  CFArrayRef presets = nullptr;
  UInt32 size = sizeof presets;
  ASSERT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_FactoryPresets, G, 0, &presets, &size), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 2);
  const auto* second = static_cast<const AUPresetRecord*>(CFArrayGetValueAtIndex(presets, 1));
  EXPECT_EQ(second->mRefCount, 1);  // the array holds the only reference
  const auto* asPreset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 1));
  EXPECT_EQ(asPreset->presetNumber, 1);
  EXPECT_EQ(Utf8(asPreset->presetName), "Double");
  const CFIndex nameCount = CFGetRetainCount(asPreset->presetName);

  auPresetRetain(nullptr, second);
  EXPECT_EQ(second->mRefCount, 2);
  EXPECT_EQ(CFGetRetainCount(asPreset->presetName), nameCount + 1);
  auPresetRelease(nullptr, second);
  EXPECT_EQ(CFGetRetainCount(asPreset->presetName), nameCount);

  EXPECT_FALSE(auPresetEqual(CFArrayGetValueAtIndex(presets, 0), second));
  AUPresetRecord* twin = auPresetCreate(kCFAllocatorDefault, 1, CFSTR("Double"));
  EXPECT_TRUE(auPresetEqual(twin, second));
  EXPECT_EQ(Text(auPresetCopyDescription(twin)), "AUPreset:\npreset number = 1\npreset name = Double");
  auPresetRelease(nullptr, twin);

  CFRelease(presets);  // frees the records and their names
  EXPECT_EQ(platform::LiveObjectCount(), liveBefore);
}

TEST(AdapterProperties, CurrentPresetRoundTrip)
{
  Hosted hosted;
  AUPreset preset{1, nullptr};
  EXPECT_EQ(AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_PresentPreset, G, 0, &preset, sizeof preset), noErr);
  EXPECT_EQ(hosted.plug->GetParam(TestPlug::kGain)->Value(), 2.0);
  UInt32 size = sizeof preset;
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_CurrentPreset, G, 0, &preset, &size), noErr);
  EXPECT_EQ(preset.presetNumber, 1);
  EXPECT_EQ(Text(preset.presetName), "Double");

  preset.presetNumber = 7;  // no such slot: refused, nothing changes
  EXPECT_EQ(AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_CurrentPreset, G, 0, &preset, sizeof preset),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(hosted.plug->GetCurrentPresetIdx(), 1);
}

} // namespace
} // namespace autest
