#pragma once
// The test gain plug-in opened in this process through either road, as a host opens it, with the
// object layer's live-object count checked when the test ends.

#include "tests/test-plugin/TestGain.h"

#include "au-adapter/IPlugAUEntry.h"

#include <gtest/gtest.h>

AudioComponent GainComponent(bool entryRoad);

class AdapterTest : public ::testing::TestWithParam<bool>
{
protected:
  void SetUp() override
  {
    platform::SetMainBundle(nullptr);
    mBaseline = platform::LiveObjectCount();
    ASSERT_EQ(AudioComponentInstanceNew(GainComponent(EntryRoad()), &mUnit), noErr);
  }
  void TearDown() override
  {
    EXPECT_EQ(AudioComponentInstanceDispose(mUnit), noErr);
    platform::SetMainBundle(nullptr);
    EXPECT_EQ(platform::LiveObjectCount(), mBaseline) << "objects leaked";
  }

  bool EntryRoad() const { return GetParam(); }
  // The plug-in object, fetched as the view factory does.
  testgain::TestGain& Plug()
  {
    iplug::IPlugAU* plug = nullptr;
    UInt32 size = sizeof plug;
    EXPECT_EQ(AudioUnitGetProperty(mUnit, iplug::IPlugAU::kPlugObjectProperty, kAudioUnitScope_Global, 0, &plug, &size),
              noErr);
    return static_cast<testgain::TestGain&>(*plug);
  }
  OSStatus SetFormat(AudioUnitScope scope, UInt32 channels, Float64 rate = 48000.0)
  {
    const AudioStreamBasicDescription format{
      rate,
      kAudioFormatLinearPCM,
      kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved,
      4,
      1,
      4,
      channels,
      32,
      0};
    return AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof format);
  }

  AudioUnit mUnit = nullptr;
  long mBaseline = 0;
};
