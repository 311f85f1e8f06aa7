#include "tests/au-adapter/AdapterFixture.h"

#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

IPLUG_AU_ENTRY_POINTS(testgain::TestGain, "TestGain_View", InProcessGain_Factory, InProcessGain_Entry)

AudioComponent GainComponent(bool entryRoad)
{
  static const AudioComponentDescription description{platform::FourCC("aufx"), platform::FourCC("TGn1"),
                                                     platform::FourCC("ZVRQ"), 0, 0};
  static AudioComponent factory = AudioComponentRegister(&description, nullptr, 0x00010203, InProcessGain_Factory);
  static AudioComponent entry = RegisterComponent(&description, InProcessGain_Entry, nullptr, 0x00010203);
  return entryRoad ? entry : factory;
}

namespace {

INSTANTIATE_TEST_SUITE_P(Roads, AdapterTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Entry" : "Factory"; });

TEST(Bundle, ExportsExactlyTheTwoEntryPoints)
{
  const std::string command = "nm -D --defined-only " TEST_GAIN_BUNDLE "/Contents/MacOS/TestGain";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> symbols;
  char line[512];
  while (std::fgets(line, sizeof line, pipe))
  {
    std::string text(line);
    symbols.insert(text.substr(text.find_last_of(' ') + 1, text.find_last_not_of("\n") - text.find_last_of(' ')));
  }
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(symbols, (std::set<std::string>{"TestGain_Entry", "TestGain_Factory"}));
}

TEST_P(AdapterTest, SelectorTables)
{
  // The factory road's Lookup and the entry road's CanDo answer for the same selectors, except
  // RemovePropertyListenerWithUserData (18): looked up, but not announced by CanDo.
  for (SInt16 selector = -5; selector <= 20; ++selector)
  {
    const bool handled = (selector >= 1 && selector <= 7) || (selector >= 9 && selector <= 11) ||
                         (selector >= 14 && selector <= 17) || (selector == 18 && !EntryRoad());
    EXPECT_EQ(bool(AudioComponentInstanceCanDo(mUnit, selector)), handled) << selector;
  }
  EXPECT_FALSE(AudioComponentInstanceCanDo(mUnit, kMusicDeviceMIDIEventSelect));
  if (EntryRoad())
  {
    EXPECT_EQ(GetComponentVersion(mUnit), 0x00010203);
    const MusicDeviceNoteParams note{2, 60.7f, 100.0f, {}};
    NoteInstanceID id = 0;
    EXPECT_EQ(MusicDeviceStartNote(mUnit, 0, 0, &id, 0, &note), noErr);
    EXPECT_EQ(id, 60u);
    // The test plug-in takes no MIDI input.
    EXPECT_EQ(MusicDeviceMIDIEvent(mUnit, 0x90, 60, 100, 0), badComponentSelector);
  }
}

TEST_P(AdapterTest, InitializeChecksTheChannelCountsTheHostSet)
{
  EXPECT_EQ(SetFormat(kAudioUnitScope_Input, 2), noErr);
  EXPECT_EQ(SetFormat(kAudioUnitScope_Output, 3), noErr);  // inputs are not checked before Initialize
  EXPECT_EQ(AudioUnitInitialize(mUnit), OSStatus(-2147450878));
  EXPECT_FALSE(Plug().IsInitialized());

  EXPECT_EQ(SetFormat(kAudioUnitScope_Output, 0), kAudioUnitErr_InvalidProperty);  // refused: the plug's 10
  EXPECT_EQ(Plug().GetBus(iplug::kOutput, 0)->mNHostChannels, 10);
  EXPECT_EQ(SetFormat(kAudioUnitScope_Output, 2, 0.0), noErr);  // rate 0 keeps the rate
  EXPECT_EQ(Plug().GetSampleRate(), 48000.0);
  EXPECT_EQ(AudioUnitInitialize(mUnit), noErr);
  EXPECT_EQ(SetFormat(kAudioUnitScope_Output, 3), kAudioUnitErr_InvalidProperty);  // now checked against 2 in

  AudioStreamBasicDescription format{};
  UInt32 size = sizeof format;
  EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, &size),
            noErr);
  EXPECT_EQ(size, 40u);
  EXPECT_EQ(format.mChannelsPerFrame, 10u);  // a refused format leaves the plug's channel count
  EXPECT_EQ(format.mFormatFlags, 0x29u);
  EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 1, &format, &size),
            kAudioUnitErr_InvalidProperty);
}

TEST_P(AdapterTest, HostIsIdentifiedOnceFromTheMainBundle)
{
  const void* keys[] = {kCFBundleIdentifierKey, kCFBundleVersionKey};
  const void* values[] = {CFSTR("com.apple.logic10"), CFSTR("12.5")};
  CFDictionaryRef info = CFDictionaryCreate(nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks,
                                            &kCFTypeDictionaryValueCallBacks);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp"), kCFURLPOSIXPathStyle, true);
  CFBundleRef host = platform::CreateBundle(url, info);
  platform::SetMainBundle(host);
  for (CFTypeRef object : {CFTypeRef(host), CFTypeRef(info), CFTypeRef(url)})
    CFRelease(object);

  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  EXPECT_EQ(Plug().GetHost(), iplug::kHostLogic);
  EXPECT_EQ(Plug().HostVersion(), 0x000C0500);
  platform::SetMainBundle(nullptr);
  AudioUnitUninitialize(mUnit);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);  // not identified again
  EXPECT_EQ(Plug().GetHost(), iplug::kHostLogic);
}

// The value under key in a class-info dictionary.
CFTypeRef ValueOf(CFPropertyListRef state, const char* key)
{
  CFStringRef name = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFTypeRef value = CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), name);
  CFRelease(name);
  return value;
}

// A copy of the dictionary with key replaced (value null: removed).
CFPropertyListRef With(CFPropertyListRef state, const char* key, CFTypeRef value)
{
  CFMutableDictionaryRef copy = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                          &kCFTypeDictionaryValueCallBacks);
  const CFIndex count = CFDictionaryGetCount(static_cast<CFDictionaryRef>(state));
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(static_cast<CFDictionaryRef>(state), keys.data(), values.data());
  for (CFIndex i = 0; i < count; ++i)
    CFDictionarySetValue(copy, keys[size_t(i)], values[size_t(i)]);
  CFStringRef name = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  if (value)
    CFDictionarySetValue(copy, name, value);
  else
    CFDictionaryRemoveValue(copy, name);
  CFRelease(name);
  return copy;
}

TEST_P(AdapterTest, StateDictionaryRoundTripsAndRefusesWhatDoesNotFit)
{
  ASSERT_EQ(AudioUnitSetParameter(mUnit, testgain::kGain, kAudioUnitScope_Global, 0, -6.0f, 0), noErr);
  ASSERT_EQ(AudioUnitSetParameter(mUnit, testgain::kMute, kAudioUnitScope_Global, 0, 1.0f, 0), noErr);
  ASSERT_EQ(AudioUnitSetParameter(mUnit, testgain::kPolarity, kAudioUnitScope_Global, 0, 1.0f, 0), noErr);
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof state;
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size), noErr);
  SInt32 subtype = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(ValueOf(state, "subtype")), kCFNumberSInt32Type, &subtype);
  EXPECT_EQ(UInt32(subtype), platform::FourCC("TGn1"));

  for (testgain::Param p : {testgain::kGain, testgain::kMute, testgain::kPolarity})
    AudioUnitSetParameter(mUnit, p, kAudioUnitScope_Global, 0, 0.0f, 0);
  auto values = [this] {
    std::vector<float> out(testgain::kNumParams);
    for (UInt32 p = 0; p < out.size(); ++p)
      AudioUnitGetParameter(mUnit, p, kAudioUnitScope_Global, 0, &out[p]);
    return out;
  };
  const std::vector<float> defaults = values();

  const SInt32 other = SInt32(platform::FourCC("XXXX"));
  CFNumberRef otherNumber = CFNumberCreate(nullptr, kCFNumberSInt32Type, &other);
  const UInt8 shortBytes[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3};  // one whole value and a part
  CFDataRef truncated = CFDataCreate(nullptr, shortBytes, sizeof shortBytes);
  struct Case
  {
    const char* what;
    CFPropertyListRef dictionary;
  };
  const Case refused[] = {
    {"another subtype", With(state, "subtype", otherNumber)},
    {"a subtype that is no number", With(state, "subtype", CFSTR("TGn1"))},
    {"no version", With(state, "version", nullptr)},
    {"no name", With(state, "name", nullptr)},
    {"no data", With(state, "data", nullptr)},
    {"a truncated chunk", With(state, "data", truncated)},
  };
  for (const Case& c : refused)
  {
    EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &c.dictionary,
                                   sizeof c.dictionary),
              kAudioUnitErr_InvalidPropertyValue)
      << c.what;
    EXPECT_EQ(values(), defaults) << c.what;
    CFRelease(c.dictionary);
  }
  CFRelease(otherNumber);
  CFRelease(truncated);

  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state),
            noErr);
  EXPECT_EQ(values(), (std::vector<float>{-6.0f, 1.0f, 1.0f, 0.0f}));
  CFRelease(state);
}

TEST_P(AdapterTest, ParametersRoundToTheirStepAndClamp)
{
  struct Case
  {
    float set;
    float stored;
  };
  for (const Case& c : {Case{-6.26f, -6.5f}, Case{-6.24f, -6.0f}, Case{40.0f, 12.0f}, Case{-100.0f, -60.0f}})
  {
    ASSERT_EQ(AudioUnitSetParameter(mUnit, testgain::kGain, kAudioUnitScope_Global, 0, c.set, 0), noErr);
    AudioUnitParameterValue value = 0;
    ASSERT_EQ(AudioUnitGetParameter(mUnit, testgain::kGain, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_EQ(value, c.stored) << c.set;
  }
  EXPECT_EQ(Plug().GetParam(testgain::kGain)->PreviousValue(), 12.0);
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(AudioUnitGetParameter(mUnit, testgain::kGain, kAudioUnitScope_Input, 0, &value),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetParameter(mUnit, 99, kAudioUnitScope_Global, 0, 1.0f, 0), kAudioUnitErr_InvalidParameter);
  const AudioUnitParameterEvent events[] = {
    {kAudioUnitScope_Global, 0, testgain::kGain, kParameterEvent_Immediate, {.immediate = {0, -3.0f}}},
    {kAudioUnitScope_Global, 0, testgain::kGain, kParameterEvent_Ramped, {.ramp = {0, 64, -3.0f, 6.0f}}},
    {kAudioUnitScope_Input, 0, testgain::kGain, kParameterEvent_Immediate, {.immediate = {0, 1.0f}}},
  };
  EXPECT_EQ(AudioUnitScheduleParameters(mUnit, events, 3), kAudioUnitErr_InvalidProperty);
  AudioUnitGetParameter(mUnit, testgain::kGain, kAudioUnitScope_Global, 0, &value);
  EXPECT_EQ(value, -3.0f);  // the first event stays applied
}

// A host render callback that feeds a ramp and counts its calls.
struct Feed
{
  int calls = 0;
};

OSStatus FeedRamp(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                  AudioBufferList* data)
{
  ++static_cast<Feed*>(refCon)->calls;
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b)
    for (UInt32 i = 0; i < frames; ++i)
      static_cast<float*>(data->mBuffers[b].mData)[i] = float(i) / float(frames) * (b ? -1.0f : 1.0f);
  return noErr;
}

TEST_P(AdapterTest, RenderPullsThroughTheCallbackAndAppliesTheGain)
{
  AudioTimeStamp time{};
  time.mFlags = kAudioTimeStampSampleTimeValid;
  alignas(AudioBufferList) uint8_t storage[AudioBufferListSize(11)];
  auto* list = reinterpret_cast<AudioBufferList*>(storage);
  std::vector<float> out(11 * 512, 7.0f);
  list->mNumberBuffers = 11;  // more buffers than the plug-in's ten channels: the extra one is left alone
  for (UInt32 b = 0; b < 11; ++b)
    list->mBuffers[b] = AudioBuffer{1, 512 * 4, &out[b * 512]};
  AudioUnitRenderActionFlags flags = 0;
  EXPECT_EQ(AudioUnitRender(mUnit, &flags, &time, 0, 512, list), kAudioUnitErr_Uninitialized);

  Feed feed;
  const AURenderCallbackStruct callback{FeedRamp, &feed};
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                                 sizeof callback),
            noErr);
  ASSERT_EQ(SetFormat(kAudioUnitScope_Input, 2), noErr);
  ASSERT_EQ(SetFormat(kAudioUnitScope_Output, 2), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  ASSERT_EQ(AudioUnitSetParameter(mUnit, testgain::kGain, kAudioUnitScope_Global, 0, -6.0f, 0), noErr);

  EXPECT_EQ(AudioUnitRender(mUnit, &flags, &time, 1, 512, list), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(AudioUnitRender(mUnit, &flags, &time, 0, 513, list), kAudioUnitErr_InvalidPropertyValue);
  ASSERT_EQ(AudioUnitRender(mUnit, &flags, &time, 0, 512, list), noErr);
  ASSERT_EQ(AudioUnitRender(mUnit, &flags, &time, 0, 512, list), noErr);  // same time stamp: pulled once
  EXPECT_EQ(feed.calls, 1);
  const float gain = std::pow(10.0f, -6.0f / 20.0f);
  EXPECT_NEAR(out[256], 0.5f * gain, 1e-6);
  EXPECT_NEAR(out[512 + 256], -0.5f * gain, 1e-6);
  EXPECT_EQ(out[10 * 512], 7.0f);
}

}  // namespace

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

TEST_P(AdapterTest, PropertyInfoTable)
{
  const OSStatus invalid = kAudioUnitErr_InvalidProperty;
  const PropertyRow rows[] = {
    {kAudioUnitProperty_ClassInfo, 0, 0, 8, false, noErr},
    {kAudioUnitProperty_MakeConnection, 1, 0, 16, true, noErr},
    {kAudioUnitProperty_MakeConnection, 2, 0, 0, false, invalid},
    {kAudioUnitProperty_SampleRate, 0, 0, 8, true, noErr},
    {kAudioUnitProperty_ParameterList, 0, 0, 16, false, noErr},
    {kAudioUnitProperty_ParameterList, 1, 0, 0, false, noErr},
    {kAudioUnitProperty_ParameterInfo, 0, 2, 104, false, noErr},
    {kAudioUnitProperty_ParameterInfo, 0, 4, 0, false, kAudioUnitErr_InvalidElement},
    {kAudioUnitProperty_ParameterInfo, 1, 0, 0, false, invalid},
    {kAudioUnitProperty_FastDispatch, 0, 14, 0, false, kAudioUnitErr_InvalidElement},
    {kAudioUnitProperty_StreamFormat, 0, 0, 40, true, noErr},
    {kAudioUnitProperty_StreamFormat, 2, 1, 0, false, invalid},
    {kAudioUnitProperty_ElementCount, 1, 0, 4, false, noErr},
    {kAudioUnitProperty_Latency, 0, 0, 8, false, noErr},
    {kAudioUnitProperty_Latency, 1, 0, 0, false, invalid},
    {kAudioUnitProperty_SupportedNumChannels, 0, 0, 40, false, noErr},
    {kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, 4, true, noErr},
    {kAudioUnitProperty_ParameterValueStrings, 0, 2, 8, false, noErr},
    {kAudioUnitProperty_ParameterValueStrings, 0, 0, 0, false, invalid},  // no display texts
    {kAudioUnitProperty_AudioChannelLayout, 1, 0, 0, false, kAudioUnitErr_InvalidPropertyValue},
    {kAudioUnitProperty_TailTime, 0, 0, 8, false, noErr},
    {kAudioUnitProperty_BypassEffect, 0, 0, 4, true, noErr},
    {kAudioUnitProperty_LastRenderError, 0, 0, 4, false, noErr},
    {kAudioUnitProperty_SetRenderCallback, 1, 0, 16, true, noErr},
    {kAudioUnitProperty_SetRenderCallback, 1, 1, 0, false, invalid},
    {kAudioUnitProperty_FactoryPresets, 0, 0, 8, false, noErr},
    {kAudioUnitProperty_HostCallbacks, 0, 0, 40, true, noErr},
    {kAudioUnitProperty_CurrentPreset, 0, 0, 16, true, noErr},
    {kAudioUnitProperty_ElementName, 1, 0, 8, false, invalid},  // only with data
    {kAudioUnitProperty_CocoaUI, 0, 0, 0, false, invalid},      // the test plug-in has no editor
    {kAudioUnitProperty_SupportedChannelLayoutTags, 2, 0, 60, true, noErr},
    {kAudioUnitProperty_SupportedChannelLayoutTags, 0, 0, 0, false, noErr},
    {kAudioUnitProperty_ParameterStringFromValue, 0, 0, 24, false, noErr},
    {kAudioUnitProperty_ParameterIDName, 1, 0, 16, false, noErr},
    {kAudioUnitProperty_ParameterClumpName, 0, 0, 16, false, noErr},
    {kAudioUnitProperty_PresentPreset, 0, 0, 16, true, noErr},
    {kAudioUnitProperty_OfflineRender, 0, 0, 4, true, noErr},
    {kAudioUnitProperty_ParameterValueFromString, 0, 0, 24, false, noErr},
    {kAudioUnitProperty_MIDIOutputCallbackInfo, 0, 0, 8, false, noErr},
    {kAudioUnitProperty_MIDIOutputCallback, 0, 0, 16, true, invalid},  // set-only
    {kMusicDeviceProperty_InstrumentCount, 0, 0, 0, false, invalid},   // not an instrument
    {49, 0, 0, 0, false, invalid},
    {7, 0, 0, 0, false, invalid},
    {iplug::IPlugAU::kPlugObjectProperty, 0, 0, 8, false, noErr},
    {kAudioUnitProperty_MakeConnection, 0, 0, 16, true, noErr},
    {kAudioUnitProperty_StreamFormat, 1, 0, 40, true, noErr},
    {kAudioUnitProperty_StreamFormat, 2, 0, 40, true, noErr},
    {kAudioUnitProperty_StreamFormat, 1, 1, 0, false, invalid},
    {kAudioUnitProperty_StreamFormat, 3, 0, 0, false, invalid},
    {kAudioUnitProperty_ElementCount, 0, 0, 4, false, noErr},
    {kAudioUnitProperty_SupportedNumChannels, 1, 0, 0, false, invalid},
    {kAudioUnitProperty_MaximumFramesPerSlice, 2, 0, 0, false, invalid},
    {kAudioUnitProperty_ParameterValueStrings, 0, 4, 0, false, kAudioUnitErr_InvalidElement},
    {kAudioUnitProperty_ParameterValueStrings, 1, 2, 0, false, invalid},
    {kAudioUnitProperty_TailTime, 1, 0, 0, false, invalid},
    {kAudioUnitProperty_BypassEffect, 2, 0, 0, false, invalid},
    {kAudioUnitProperty_LastRenderError, 1, 0, 0, false, invalid},
    {kAudioUnitProperty_SetRenderCallback, 2, 0, 0, false, invalid},
    {kAudioUnitProperty_HostCallbacks, 1, 0, 0, false, invalid},
    {kAudioUnitProperty_SupportedChannelLayoutTags, 1, 1, 0, false, noErr},
    {kAudioUnitProperty_OfflineRender, 2, 0, 0, false, invalid},
    {kAudioUnitProperty_AUHostIdentifier, 0, 0, 0, false, invalid},  // set-only
  };
  for (const PropertyRow& row : rows)
  {
    UInt32 size = 0;
    Boolean writable = false;
    EXPECT_EQ(AudioUnitGetPropertyInfo(mUnit, row.id, row.scope, row.element, &size, &writable), row.status)
      << row.id << "/" << row.scope << "/" << row.element;
    EXPECT_EQ(size, row.size) << row.id << "/" << row.scope;
    EXPECT_EQ(bool(writable), row.writable) << row.id << "/" << row.scope;
  }
}

TEST_P(AdapterTest, ParameterRecordsAndTexts)
{
  AudioUnitParameterInfo info{};
  UInt32 size = sizeof info;
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, testgain::kGain,
                                 &info, &size),
            noErr);
  EXPECT_STREQ(info.name, "Gain");
  EXPECT_EQ(info.unit, kAudioUnitParameterUnit_Decibels);
  EXPECT_EQ(info.flags, 0xC8800010u);
  EXPECT_EQ(info.minValue, -60.0f);
  EXPECT_EQ(info.maxValue, 12.0f);
  CFRelease(info.cfNameString);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, testgain::kPolarity,
                                 &info, &size),
            noErr);
  EXPECT_EQ(info.unit, kAudioUnitParameterUnit_Indexed);
  EXPECT_EQ(info.flags, 0xC8800010u | kAudioUnitParameterFlag_ValuesHaveStrings);
  CFRelease(info.cfNameString);

  CFArrayRef texts = nullptr;
  size = sizeof texts;
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global,
                                 testgain::kPolarity, &texts, &size),
            noErr);
  ASSERT_EQ(CFArrayGetCount(texts), 2);
  EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(texts, 1), CFSTR("Inverted")));
  CFRelease(texts);

  AudioUnitParameterNameInfo name{testgain::kPolarity, 3, nullptr};
  size = sizeof name;
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, &name, &size),
            noErr);
  EXPECT_TRUE(CFEqual(name.outName, CFSTR("Pol")));
  CFRelease(name.outName);
  AudioUnitParameterNameInfo clump{0, -1, nullptr};
  EXPECT_EQ(
    AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterClumpName, kAudioUnitScope_Global, 0, &clump, &size),
    kAudioUnitErr_PropertyNotInUse);

  const AudioUnitParameterValue inverted = 1.0f;
  AudioUnitParameterStringFromValue text{testgain::kPolarity, &inverted, nullptr};
  size = sizeof text;
  ASSERT_EQ(
    AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &text, &size),
    noErr);
  EXPECT_TRUE(CFEqual(text.outString, CFSTR("Inverted")));
  CFRelease(text.outString);
  AudioUnitParameterValueFromString value{testgain::kGain, CFSTR("-12.5"), 0.0f};
  size = sizeof value;
  ASSERT_EQ(
    AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, &value, &size),
    noErr);
  EXPECT_EQ(value.outValue, -12.5f);
}

TEST_P(AdapterTest, FactoryPresetArrayHoldsTheOnlyReferences)
{
  CFArrayRef presets = nullptr;
  UInt32 size = sizeof presets;
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets, &size),
            noErr);
  // Of the two slots only "Quiet" was filled; Open dropped the other.
  ASSERT_EQ(CFArrayGetCount(presets), 1);
  const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 0));
  EXPECT_EQ(preset->presetNumber, 0);
  EXPECT_TRUE(CFEqual(preset->presetName, CFSTR("Quiet")));
  EXPECT_EQ(CFGetRetainCount(preset->presetName), 1);
  CFRelease(presets);  // the records and their names go with the array: the fixture counts them

  AUPreset current{};
  size = sizeof current;
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &current, &size),
            noErr);
  EXPECT_TRUE(CFEqual(current.presetName, CFSTR("Quiet")));
  CFRelease(current.presetName);
  AudioUnitSetParameter(mUnit, testgain::kGain, kAudioUnitScope_Global, 0, 0.0f, 0);
  const AUPreset quiet{0, nullptr};
  ASSERT_EQ(
    AudioUnitSetProperty(mUnit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, &quiet, sizeof quiet),
    noErr);
  AudioUnitParameterValue gain = 0;
  AudioUnitGetParameter(mUnit, testgain::kGain, kAudioUnitScope_Global, 0, &gain);
  EXPECT_EQ(gain, -20.0f);
}

// Counts the calls a property listener receives.
void CountCall(void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  ++*static_cast<int*>(refCon);
}
void CountOther(void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  *static_cast<int*>(refCon) += 100;
}

TEST_P(AdapterTest, PropertyListenerRules)
{
  int first = 0, second = 0, other = 0;
  AudioUnitAddPropertyListener(mUnit, 49, CountCall, &first);
  AudioUnitAddPropertyListener(mUnit, 49, CountCall, &second);  // same id and procedure: ignored
  AudioUnitAddPropertyListener(mUnit, 49, CountOther, &other);
  const UInt32 one = 1;
  // Listeners hear a set before it is tested, even one that then fails.
  EXPECT_EQ(AudioUnitSetProperty(mUnit, 49, kAudioUnitScope_Global, 0, &one, sizeof one),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(other, 100);
  AudioUnitRemovePropertyListener(mUnit, 49, CountCall);
  AudioUnitRemovePropertyListenerWithUserData(mUnit, 49, CountOther, &first);  // other user data: kept
  AudioUnitSetProperty(mUnit, 49, kAudioUnitScope_Global, 0, &one, sizeof one);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(other, 200);

  int latency = 0;
  AudioUnitAddPropertyListener(mUnit, kAudioUnitProperty_Latency, CountCall, &latency);
  Plug().StoreLatency(480);
  EXPECT_EQ(latency, 1);
  Float64 seconds = 0;
  UInt32 size = sizeof seconds;
  AudioUnitGetProperty(mUnit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &seconds, &size);
  EXPECT_DOUBLE_EQ(seconds, 480.0 / Plug().GetSampleRate());
}

}  // namespace

namespace {

TEST_P(AdapterTest, ViewFactoryIsMadeByName)
{
  std::unique_ptr<platform::NSObject> object = platform::CreateObject("TestGain_View");
  auto* factory = dynamic_cast<iplug::AUViewFactory*>(object.get());
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->description(), "TestGain View");
  EXPECT_EQ(factory->interfaceVersion(), 0u);
  EXPECT_EQ(platform::CreateObject("NoSuch_View"), nullptr);

  // The test plug-in has no editor: no view, but the object is kept.
  EXPECT_EQ(factory->uiViewForAudioUnit(mUnit, NSSize{100, 100}), nullptr);
  EXPECT_EQ(factory->GetPlug(), &Plug());
  // A unit that does not hand out its object leaves the one kept before.
  static const AudioComponentDescription description{platform::FourCC("aufx"), platform::FourCC("None"), 0, 0, 0};
  static AudioComponent mute = RegisterComponent(
    &description,
    [](ComponentParameters* p, Handle) -> ComponentResult {
      const bool lifecycle = p->what == kComponentOpenSelect || p->what == kComponentCloseSelect;
      return lifecycle ? ComponentResult(noErr) : ComponentResult(badComponentSelector);
    },
    nullptr, 1);
  AudioUnit other = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(mute, &other), noErr);
  EXPECT_EQ(factory->uiViewForAudioUnit(other, NSSize{100, 100}), nullptr);
  EXPECT_EQ(factory->GetPlug(), &Plug());
  AudioComponentInstanceDispose(other);
}

}  // namespace
