#include "platform-mac/KeyTranslation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace iplug;
using namespace iplug::igraphics;

constexpr auto kNone = NSEventModifierFlags(0);

NSEvent Key(unsigned short keyCode, std::u16string ignoringModifiers, NSEventModifierFlags flags = kNone)
{
  return NSEvent::keyEventWithType(NSEventTypeKeyDown, flags, nullptr, ignoringModifiers, ignoringModifiers, keyCode);
}

TEST(KeyTranslation, KeyPressesAsTheControlsSeeThem)
{
  struct Case
  {
    const char* what;
    NSEvent event;
    int vk;
    std::string text;
    bool shift, command, option;
  };
  const Case cases[] = {
    {"a", Key(0, u"a"), 65, "a", false, false, false},
    {"shift-a", Key(0, u"A", NSEventModifierFlagShift), 65, "A", true, false, false},
    {"command-option-z", Key(6, u"z", NSEventModifierFlagCommand | NSEventModifierFlagOption), 90, "z", false, true,
     true},
    {"control is not in the record", Key(0, u"a", NSEventModifierFlagControl), 65, "a", false, false, false},
    {"digit", Key(18, u"1"), 49, "1", false, false, false},
    {"comma: no code, shift dropped", Key(43, u",", NSEventModifierFlagShift), 0, ",", false, false, false},
    {"return", Key(36, u"\r"), 13, "\r", false, false, false},
    {"escape", Key(53, u"\x1b"), 27, "\x1b", false, false, false},
    {"space", Key(49, u" "), 32, " ", false, false, false},
    {"tab", Key(48, u"\t"), 9, "\t", false, false, false},
    {"shift-tab is back-tab, no code", Key(48, u"\x19", NSEventModifierFlagShift), 0, "\x19", false, false, false},
    {"command-shift-tab is tab", Key(48, u"\x19", NSEventModifierFlagShift | NSEventModifierFlagCommand), 9, "\x19",
     true, true, false},
    {"keypad enter is not return", Key(76, u"\x03"), 0x800D, "\x03", false, false, false},
    {"keypad 7", Key(89, u"7"), 103, "7", false, false, false},
    {"keypad 9 after the gap", Key(92, u"9"), 105, "9", false, false, false},
    {"backspace", Key(51, u"\x7f"), 8, "\x7f", false, false, false},
    {"left arrow", Key(123, u"\uF702"), 37, "\xEF\x9C\x82", false, false, false},
    {"F1 by its key", Key(122, u"\uF704"), 112, "\xEF\x9C\x84", false, false, false},
    {"F17 by its character", Key(64, u"\uF714"), 128, "\xEF\x9C\x94", false, false, false},
    {"F24 by its character", Key(90, u"\uF71B"), 135, "\xEF\x9C\x9B", false, false, false},
    {"dead key", Key(32, u""), 32 + 1024, "", false, false, false},
    {"e acute: two bytes, no letter in the C classes", Key(14, u"\u00e9"), 0, "\xC3\xA9", false, false, false},
    {"unit above 255 is no code", Key(14, u"\u0101", NSEventModifierFlagShift), 0, "\xC4\x81", false, false, false},
    {"two characters: no text", Key(14, u"ab"), 65, "", false, false, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    const IKeyPress key = MakeKeyPress(c.event);
    EXPECT_EQ(key.VK, c.vk);
    EXPECT_EQ(std::string(key.utf8), c.text);
    EXPECT_EQ(key.S, c.shift);
    EXPECT_EQ(key.C, c.command);
    EXPECT_EQ(key.A, c.option);
  }
}

TEST(KeyTranslation, FlagsCarryEveryModifierAndTheValidity)
{
  int flags = 0;
  EXPECT_EQ(TranslateKey(Key(0, u"a", NSEventModifierFlagControl | NSEventModifierFlagShift), flags), 65);
  EXPECT_EQ(flags, kKeyCodeValid | kKeyShift | kKeyControl);
  EXPECT_EQ(TranslateKey(Key(43, u",", NSEventModifierFlagShift | NSEventModifierFlagOption), flags), ',');
  EXPECT_EQ(flags, kKeyOption);
}

}  // namespace
