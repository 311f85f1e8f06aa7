#include "HostedPlug.h"

#include "au-adapter/AUPresetArray.h"
#include "au-adapter/AUStrings.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace autest {
namespace {

constexpr AudioUnitScope G = kAudioUnitScope_Global, I = kAudioUnitScope_Input, O = kAudioUnitScope_Output;
constexpr OSStatus kBadProp = kAudioUnitErr_InvalidProperty, kBadElement = kAudioUnitErr_InvalidElement;

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
  EXPECT_EQ(
    AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SupportedChannelLayoutTags, scope, element, &size, nullptr),
    noErr);
  std::vector<AudioChannelLayoutTag> tags(size / sizeof(AudioChannelLayoutTag));
  EXPECT_EQ(
    AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedChannelLayoutTags, scope, element, tags.data(), &size),
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
  EXPECT_EQ(level.flags, kBase);                           // no group, no clump
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
    for (AudioUnitParameterID id : order)
    {
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

TEST(AdapterProperties, ParameterNamesCutInsideTheName)
{
  Hosted hosted;
  const std::pair<SInt32, std::string> cuts[] = {{-1, "Steps"}, {3, "Ste"}, {40, "Steps"}, {-7, ""}};
  for (const auto& [length, expected] : cuts)
  {
    AudioUnitParameterNameInfo name{TestPlug::kSteps, length, nullptr};
    UInt32 size = sizeof name;
    EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterIDName, G, 0, &name, &size), noErr);
    EXPECT_EQ(Text(name.outName), expected) << length;
  }
  // No such parameter: nothing is read.
  const AudioUnitParameterValue one = 1.0f;
  AudioUnitParameterStringFromValue text{5, &one, nullptr};
  UInt32 size = sizeof text;
  EXPECT_EQ(AudioUnitGetProperty(hosted.unit, kAudioUnitProperty_ParameterStringFromValue, G, 0, &text, &size),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(text.outString, nullptr);
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

  // Only 32-bit float samples can be rendered: packed integers or doubles are refused.
  const std::pair<AudioFormatFlags, UInt32> others[] = {
    {kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked, 16},
    {kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked, 32},
    {kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked, 64},
  };
  for (const auto& [flags, bits] : others)
  {
    const AudioStreamBasicDescription format{48000.0, kAudioFormatLinearPCM, flags, bits / 8, 1, bits / 8, 2, bits, 0};
    EXPECT_EQ(AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_StreamFormat, I, 0, &format, sizeof format),
              kBadProp)
      << bits;
  }
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

}  // namespace
}  // namespace autest

namespace autest {
namespace {

TEST(AdapterProperties, UnusableRatesAndSliceSizesAreRefused)
{
  Hosted hosted;
  // Rates a file header may declare that cannot be measured (or would size buffers beyond reason)
  // are refused; a stream format of rate 0 keeps the rate.
  const Float64 rates[] = {0.0, -48000.0, std::nan(""), INFINITY, 1.0, 7999.0, 768001.0, 1e8, 1.38e9};
  for (Float64 rate : rates)
  {
    EXPECT_EQ(AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_SampleRate, G, 0, &rate, sizeof rate),
              kAudioUnitErr_InvalidPropertyValue)
      << rate;
    EXPECT_EQ(hosted.SetChannels(O, 0, 1, rate),
              rate == 0.0 ? OSStatus(noErr) : OSStatus(kAudioUnitErr_FormatNotSupported))
      << rate;
    EXPECT_EQ(hosted.plug->GetSampleRate(), 44100.0) << rate;
  }
  for (Float64 rate : {8000.0, 768000.0})
  {
    EXPECT_EQ(AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_SampleRate, G, 0, &rate, sizeof rate), noErr);
    EXPECT_EQ(hosted.SetChannels(O, 0, 2, rate), noErr);
    EXPECT_EQ(hosted.plug->GetSampleRate(), rate);
  }
  const Float64 usual = 44100.0;
  AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_SampleRate, G, 0, &usual, sizeof usual);
  const UInt32 slices[] = {0, IPlugAU::kMaxFramesPerSlice + 1, 0x80000000u, 0xFFFFFFFFu};
  for (UInt32 frames : slices)
  {
    EXPECT_EQ(AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_MaximumFramesPerSlice, G, 0, &frames, sizeof frames),
              kAudioUnitErr_InvalidPropertyValue)
      << frames;
    EXPECT_EQ(hosted.plug->GetBlockSize(), 512) << frames;
  }
  const UInt32 largest = IPlugAU::kMaxFramesPerSlice;
  EXPECT_EQ(AudioUnitSetProperty(hosted.unit, kAudioUnitProperty_MaximumFramesPerSlice, G, 0, &largest, sizeof largest),
            noErr);
  EXPECT_EQ(hosted.plug->GetBlockSize(), int(largest));
}

}  // namespace
}  // namespace autest

namespace autest {
namespace {

// A listener that, when called, removes itself and registers others (growing the list).
struct Reentrant
{
  static inline AudioUnit unit = nullptr;
  static inline std::vector<int> calls;
  static void Record(void* user, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    calls.push_back(int(reinterpret_cast<intptr_t>(user)));
  }
  static void Other(void* user, AudioUnit u, AudioUnitPropertyID id, AudioUnitScope s, AudioUnitElement e)
  {
    Record(user, u, id, s, e);
  }
  static void Rearrange(void* user, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement e)
  {
    Record(user, unit, id, scope, e);
    AudioUnitRemovePropertyListener(unit, id, Rearrange);
    for (intptr_t i = 10; i < 18; ++i)
      AudioUnitAddPropertyListener(unit, 60 + int(i), Record, reinterpret_cast<void*>(i));
    AudioUnitAddPropertyListener(unit, id, Record, reinterpret_cast<void*>(intptr_t(2)));
  }
};

TEST(AdapterProperties, ListenersMayChangeTheListWhileCalled)
{
  Hosted hosted;
  Reentrant::unit = hosted.unit;
  Reentrant::calls.clear();
  AudioUnitAddPropertyListener(hosted.unit, 49, Reentrant::Rearrange, reinterpret_cast<void*>(intptr_t(1)));
  AudioUnitAddPropertyListener(hosted.unit, 49, Reentrant::Other, reinterpret_cast<void*>(intptr_t(3)));
  const UInt32 one = 1;
  AudioUnitSetProperty(hosted.unit, 49, G, 0, &one, sizeof one);
  EXPECT_EQ(Reentrant::calls, (std::vector<int>{1, 3}));  // those registered when the set began
  Reentrant::calls.clear();
  AudioUnitSetProperty(hosted.unit, 49, G, 0, &one, sizeof one);
  EXPECT_EQ(Reentrant::calls, (std::vector<int>{3, 2}));
}

}  // namespace
}  // namespace autest
