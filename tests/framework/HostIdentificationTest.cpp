#include "framework/IPlugHostIdentification.h"

#include <gtest/gtest.h>

namespace {

TEST(HostIdentification, FirstMatchingPatternInTableOrder)
{
  const std::pair<const char*, iplug::HostId> cases[] = {
    {"com.apple.LOGIC10", 21},
    {"Ableton Live 11", 9},
    {"Steinberg VST Live", 58},   // not "live"
    {"WaveLab Elements 12", 32},  // not "wavelab"
    {"WaveLab Pro", 31},
    {"KV_ElementFX host", 52},
    {"reaper with cubase in its name", 1},  // two rows match: the earlier one wins
    {"com.uaudio.luna", 56},
    {"Some Standalone App", 24},
    {"www browser", 35},
    {"unheard-of host", 0},
    {"", 0},
    {nullptr, 0},
  };
  for (const auto& [name, id] : cases)
    EXPECT_EQ(iplug::LookUpHost(name), id) << (name ? name : "(null)");
}

}  // namespace
