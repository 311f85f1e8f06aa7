#include "PluginFixture.h"

#include "meter-plugin/DisplayLabels.h"

using iplug::igraphics::IColor;

TEST(DisplayDefaults, ColorsFromHexTexts)
{
  const std::pair<const char*, IColor> cases[] = {
    {"#FF382D", IColor(255, 255, 56, 45)},
    {"#ff382d", IColor(255, 255, 56, 45)},
    {"#232323xyz", IColor(255, 0x23, 0x23, 0x23)},  // reading stops at the first non-hex character
    {"#1FF382D", IColor(255, 255, 56, 45)},         // only the low 24 bits make the colour
    {"#FFFFFFFFFFFFFFFFFFFF", IColor(255, 255, 255, 255)},
    {"FF382D", IColor(255, 0, 0, 0)},
    {"", IColor(255, 0, 0, 0)},
    {"#", IColor(255, 0, 0, 0)},
    {nullptr, IColor(255, 0, 0, 0)},
  };
  for (const auto& [text, color] : cases)
    EXPECT_EQ(Vantorelix::ColorFromHex(text), color) << (text ? text : "null");

  EXPECT_EQ(Vantorelix::ColorFromHexAlpha("#000000", 255), IColor(255, 0, 0, 0));
  EXPECT_EQ(Vantorelix::ColorFromHexAlpha("x20A0FF", 64), IColor(64, 0x20, 0xA0, 0xFF));
  EXPECT_EQ(Vantorelix::ColorFromHexAlpha("", 10), IColor(10, 0, 0, 0));
  EXPECT_EQ(Vantorelix::PackColor(IColor(17, 0xFF, 0x38, 0x2D)), 0xFF382Du);
}

TEST(DisplayDefaults, PackedWordsAndAlertRecords)
{
  Vantorelix plug;
  const MeterSettings& s = plug.Settings();
  EXPECT_EQ(s.meterColorsA.packed[0], 0xFF382Du);
  EXPECT_EQ(s.meterColorsB.packed[0], 0xFF382Du);
  EXPECT_EQ(s.meterColorsA.colors[5], IColor(255, 0x20, 0x50, 0x79));
  EXPECT_EQ(s.readoutColors.base, 0x232323u);
  EXPECT_EQ(s.readoutColors.groups[5][3], 0xD7D7D7u);
  EXPECT_EQ(s.alerts[kAlertIlMin].kind, 0u);
  EXPECT_EQ(s.alerts[kAlertPeakMax].kind, 1u);
  EXPECT_EQ(s.alerts[kAlertPeakMax].level, s.maxPeakTarget);
  EXPECT_EQ(s.alerts[kAlertTpMax].mode, AlertMode::Auto);
  EXPECT_EQ(s.alerts[kAlertDialogMin].level, 15.0);
}

TEST(DisplayDefaults, LoudnessUnitText)
{
  WDL_String text;
  LoudnessUnitText(1, -23.0, text);
  EXPECT_STREQ(text.Get(), "LU");
  LoudnessUnitText(1, 0.0, text);
  EXPECT_STREQ(text.Get(), "LUFS");
  LoudnessUnitText(0, 0.0, text);
  EXPECT_STREQ(text.Get(), "dBFS");
  LoudnessUnitText(7, 0.0, text);
  EXPECT_STREQ(text.Get(), "dBFS");
}
