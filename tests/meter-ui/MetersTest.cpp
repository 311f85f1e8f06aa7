// Bar meter, level scale and dynamics meter: what each draws for known levels, drawn into the
// recording graphics object.

#include <algorithm>
#include <cmath>

#include "meter-ui/IDynaMeterControl.h"
#include "meter-ui/IMeterControl.h"
#include "meter-ui/IMeterScaleControl.h"
#include "meter-ui/MeterStyle.h"
#include "tests/meter-ui/MeterUiFixture.h"

namespace vtest {
namespace {

bool SameColor(const IColor& a, const IColor& b)
{
  return a.A == b.A && a.R == b.R && a.G == b.G && a.B == b.B;
}

// The filled rectangles of one colour that have a height.
std::vector<IRECT> FillsOf(const DrawLog& g, const IColor& color)
{
  std::vector<IRECT> out;
  for (const DrawLog::Fill& f : g.fills)
    if (SameColor(f.color, color) && f.rect.H() > 0.f)
      out.push_back(f.rect);
  return out;
}

// Bounds 20 x 200: caption 0..9, over strip 16..25, bar 30..184, value row 191..200.
struct BarMeter : ::testing::Test
{
  MeterEditor editor;
  IMeterControl* meter = editor.Add(new IMeterControl(IRECT(0, 0, 20, 200), 210));

  std::string ValueText()
  {
    editor.DrawOnly(*meter);
    return editor.g->texts.back().str;
  }
};

// Nothing held has no hold line: a fresh meter, a channel that is not measured, silence.
TEST_F(BarMeter, FreshMeterShowsCaptionAndPlaceholderWithoutHoldLine)
{
  editor.DrawOnly(*meter);
  EXPECT_EQ(editor.g->Strings(), (std::vector<std::string>{"xxx", "---"}));
  EXPECT_TRUE(FillsOf(*editor.g, meter->mHoldLineColor).empty());
  for (const auto& zone : meter->mZoneColors)
    EXPECT_TRUE(FillsOf(*editor.g, zone.bright).empty());
  EXPECT_TRUE(FillsOf(*editor.g, meter->mOverColor).empty());

  meter->mValue = meter->mHold = -144.0;
  editor.DrawOnly(*meter);
  EXPECT_TRUE(FillsOf(*editor.g, meter->mHoldLineColor).empty());
  meter->mHold = -143.9;  // the lowest level held is drawn, on the bar's bottom edge
  editor.DrawOnly(*meter);
  const std::vector<IRECT> hold = FillsOf(*editor.g, meter->mHoldLineColor);
  ASSERT_EQ(hold.size(), 1u);
  ExpectRect(hold[0], IRECT(0, 184, 20, 185));
}

TEST_F(BarMeter, ValueRowText)
{
  struct Case
  {
    double offset, value, alt;
    int showAlt;
    const char* text;
  } cases[] = {
    {-23, -20, 0, 0, "+3.0"},    {-23, -23, 0, 0, "0.0"},     {0, -143.9, 0, 0, "-143.9"},
    {0, -143.95, 0, 0, "---"},   {-23, -30, -10, 1, "+13.0"},  // the alternative level, with its own sign
    {-23, -30, -40, 1, "-17.0"},
  };
  for (const Case& c : cases)
  {
    meter->mOffset = c.offset;
    meter->mValue = c.value;
    meter->mAltValue = c.alt;
    meter->mShowAlt = c.showAlt;
    EXPECT_EQ(ValueText(), c.text) << c.value;
  }
}

TEST_F(BarMeter, HoldTextSitsAboveTheHoldLine)
{
  meter->mOffset = -23;
  meter->mHold = -20;  // +3.0 display units, 63/66 up the bar
  editor.DrawOnly(*meter);
  const DrawLog::Text* hold = editor.g->FindText("+3.0");
  ASSERT_NE(hold, nullptr);
  const float lineY = 184.f - 154.f * 63.f / 66.f;
  EXPECT_NEAR(hold->rect.B, lineY + 1.f - 9.f, 1e-3);
  EXPECT_NEAR(hold->rect.T, lineY - 9.f, 1e-3);
  ExpectRect(FillsOf(*editor.g, meter->mHoldLineColor)[0], IRECT(0, lineY, 20, lineY + 1.f));
}

TEST_F(BarMeter, LevelsLightTheZonesFromTheBottom)
{
  meter->mValue = -9;  // in zone 3 (-12 to -6)
  editor.DrawOnly(*meter);
  EXPECT_EQ(FillsOf(*editor.g, meter->mZoneColors[4].bright).size(), 1u);
  EXPECT_EQ(FillsOf(*editor.g, meter->mZoneColors[3].bright).size(), 1u);
  const std::vector<IRECT> zone3 = FillsOf(*editor.g, meter->mZoneColors[2].bright);
  ASSERT_EQ(zone3.size(), 1u);
  EXPECT_FLOAT_EQ(zone3[0].T, 184.f - std::trunc(154.f * 51.f / 66.f));
  EXPECT_TRUE(FillsOf(*editor.g, meter->mZoneColors[1].bright).empty());
  EXPECT_TRUE(FillsOf(*editor.g, meter->mZoneColors[0].bright).empty());
}

TEST_F(BarMeter, LevelsOutsideTheRangeFillAllOrNothingAndStillPrint)
{
  meter->mValue = 10;
  editor.DrawOnly(*meter);
  float top = 184.f;
  for (const auto& zone : meter->mZoneColors)
    for (const IRECT& r : FillsOf(*editor.g, zone.bright))
      top = std::min(top, r.T);
  EXPECT_FLOAT_EQ(top, 30.f);
  EXPECT_EQ(editor.g->texts.back().str, "+10.0");

  meter->mValue = -70;
  editor.DrawOnly(*meter);
  for (const auto& zone : meter->mZoneColors)
    EXPECT_TRUE(FillsOf(*editor.g, zone.bright).empty());
  EXPECT_EQ(editor.g->texts.back().str, "-70.0");
}

TEST_F(BarMeter, SplitsOutsideTheRangeAreClampedToTheBar)
{
  meter->mSplits[0] = 20;
  meter->mSplits[3] = -80;
  meter->ComputeZoneFractions();
  editor.DrawOnly(*meter);
  for (const DrawLog::Fill& f : editor.g->fills)
  {
    EXPECT_GE(f.rect.T, 30.f);
    EXPECT_LE(f.rect.B, 185.f);
  }
}

TEST_F(BarMeter, ZeroRangeDrawsTheTextsOnly)
{
  meter->mMax = meter->mMin = -10;
  meter->mRange = 0;
  meter->ComputeZoneFractions();
  meter->mValue = meter->mHold = -12;
  meter->mOver = 1;
  editor.DrawOnly(*meter);
  EXPECT_EQ(editor.g->Strings(), (std::vector<std::string>{"xxx", "-12.0", "-12.0"}));
  ASSERT_EQ(editor.g->fills.size(), 1u);  // the over strip
  EXPECT_TRUE(SameColor(editor.g->fills[0].color, meter->mOverColor));
}

struct Scale : ::testing::Test
{
  MeterEditor editor;
  IMeterScaleControl* scale = editor.Add(new IMeterScaleControl(IRECT(0, 0, 60, 300)));

  std::vector<const DrawLog::Line*> LinesOf(const IColor& color, float width)
  {
    std::vector<const DrawLog::Line*> out;
    for (const DrawLog::Line& l : editor.g->lines)
      if (SameColor(l.color, color) && l.width == width)
        out.push_back(&l);
    return out;
  }
};

TEST_F(Scale, DefaultScale)
{
  scale->SetLook(kColorBlack, 10, IColor(255, 1, 2, 3), IColor(255, 4, 5, 6), IColor(255, 7, 8, 9), WDL_String("LUFS"));
  editor.DrawOnly(*scale);
  EXPECT_EQ(editor.g->Strings(),
            (std::vector<std::string>{"-12.0", "-24.0", "-36.0", "-48.0", "+6.0", "-60.0", "0.0", "LUFS"}));
  EXPECT_EQ(LinesOf(scale->mMinorColor, 1.f).size(), 12u);  // 6, 0, -6 ... -60
  EXPECT_EQ(LinesOf(scale->mMajorColor, 1.5f).size(), 6u);
  const auto zero = LinesOf(scale->mZeroColor, 1.5f);
  ASSERT_EQ(zero.size(), 1u);
  // Tick area 38..280: 0 lies 6/66 of it below the top.
  EXPECT_FLOAT_EQ(zero[0]->y1, 280.f - std::trunc(242.f * 60.f / 66.f));
  // Labels right-aligned 4 pixels left of the ticks and centred on their line.
  const DrawLog::Text* top = editor.g->FindText("+6.0");
  ExpectRect(top->rect, IRECT(0, 33, 26, 43));
  ExpectRect(editor.g->FindText("LUFS")->rect, IRECT(0, 285, 26, 300));
}

TEST_F(Scale, NarrowRangeMarksEveryUnitAndLabelsEveryThird)
{
  scale->SetRange(0, -36);
  editor.DrawOnly(*scale);
  EXPECT_EQ(LinesOf(scale->mMinorColor, 1.f).size(), 37u);
  const std::vector<std::string> labels = editor.g->Strings();
  EXPECT_EQ(std::vector<std::string>(labels.begin(), labels.begin() + 3),
            (std::vector<std::string>{"-3.0", "-6.0", "-9.0"}));
  EXPECT_EQ(labels.size(), 11u + 2u + 1u + 1u);  // -3..-33, both ends, zero, caption
}

TEST_F(Scale, TableModeShowsTheTableMarksInsideTheRange)
{
  scale->SetRange(9, -36);
  scale->mScaleMode = IMeterScaleControl::kEBU;
  editor.DrawOnly(*scale);
  EXPECT_EQ(editor.g->Strings(), (std::vector<std::string>{"+9.0", "+6.0", "+3.0", "0.0", "-3.0", "-6.0", "-9.0",
                                                           "-18.0", "-23.0", "-27.0", "-36.0", "dBFS"}));
  EXPECT_EQ(LinesOf(scale->mZeroColor, 1.5f).size(), 11u);
}

TEST_F(Scale, ZeroRangeOrSpacingDrawsNoMarks)
{
  scale->SetRange(-10, -10);
  editor.DrawOnly(*scale);
  EXPECT_EQ(editor.g->Strings(), (std::vector<std::string>{"dBFS"}));

  scale->SetRange(6, -60);
  scale->mMinorStep = 0.5;  // no whole-unit spacing: no minor ticks, the rest as usual
  editor.DrawOnly(*scale);
  EXPECT_TRUE(LinesOf(scale->mMinorColor, 1.f).empty());
  EXPECT_EQ(editor.g->Strings().size(), 8u);
}

// Bounds 20 x 200: bar 30..184, value rows of 9.
struct DynaMeter : ::testing::Test
{
  MeterEditor editor;
  IDynaMeterControl* dyna = editor.Add(new IDynaMeterControl(IRECT(0, 0, 20, 200)));

  void SetRatio(int mode, double ratio, double reference, double centre)
  {
    dyna->mDynaMode = mode;
    dyna->mLow = ratio;
    dyna->mReference = reference;
    dyna->mCentre = centre;
    dyna->mDynaValid = true;
  }
};

TEST_F(DynaMeter, NotValidShowsCaptionAndBackgroundOnly)
{
  dyna->mHigh = -10;
  dyna->mLow = -20;
  editor.DrawOnly(*dyna);
  EXPECT_EQ(editor.g->Strings(), (std::vector<std::string>{"xxx"}));
  ASSERT_EQ(editor.g->fills.size(), 1u);
  ExpectRect(editor.g->fills[0].rect, IRECT(0, 30, 20, 184));
}

TEST_F(DynaMeter, LoudnessRangeBandWithItsLimits)
{
  dyna->mDynaValid = true;
  dyna->mLow = dyna->mHigh = -20;
  editor.DrawOnly(*dyna);
  EXPECT_EQ(editor.g->Strings(), (std::vector<std::string>{"xxx", "0.0"}));
  EXPECT_EQ(editor.g->fills.size(), 1u);

  dyna->mOffset = -23;
  dyna->mLow = -30;
  dyna->mHigh = -22.5;
  editor.DrawOnly(*dyna);
  EXPECT_EQ(editor.g->Strings(), (std::vector<std::string>{"xxx", "+0.5", "-7.0", "+7.5"}));
  const std::vector<IRECT> band = FillsOf(*editor.g, dyna->mBandColor);
  ASSERT_EQ(band.size(), 1u);
  EXPECT_FLOAT_EQ(editor.g->FindText("+0.5")->rect.T, band[0].T);
  EXPECT_FLOAT_EQ(editor.g->FindText("-7.0")->rect.B, band[0].B);
}

TEST_F(DynaMeter, RatioColourFollowsTheReferenceWindow)
{
  dyna->mRatioLowColor = IColor(255, 0, 0, 200);
  dyna->mRatioHighColor = IColor(255, 200, 100, 0);
  struct Case
  {
    double ratio, reference;
    IColor color;
  } cases[] = {
    {10, 10, IColor(255, 100, 50, 100)},  // channel-wise mean
    {15, 10, dyna->mRatioHighColor},     {30, 10, dyna->mRatioHighColor}, {5, 10, dyna->mRatioLowColor},
    {1, 10, dyna->mRatioLowColor},       {8, 0, dyna->mRatioLowColor},  // no window
  };
  for (const Case& c : cases)
  {
    dyna->mReference = c.reference;
    EXPECT_TRUE(SameColor(dyna->RatioColor(c.ratio), c.color)) << c.ratio << " " << c.reference;
  }
}

// The meter's band and the graph's PLR and PSR bands take their colour from this one mix.
TEST(RatioColour, ChannelsAreCutToAWholeLevelAndARatioThatIsNoNumberTakesTheLowColour)
{
  const IColor high(255, 255, 255, 255), low(0, 0, 0, 0);
  EXPECT_TRUE(SameColor(RatioColour(high, low, 10, 10), IColor(127, 127, 127, 127)));  // 127.5 each
  EXPECT_TRUE(SameColor(RatioColour(high, low, NAN, 10), low));
  EXPECT_TRUE(SameColor(RatioColour(high, low, 20, -10), low));  // no window
}

TEST_F(DynaMeter, RatioBandMarkersAndSignedReadout)
{
  SetRatio(IDynaMeterControl::kPLR, 8, 10, -20);
  editor.DrawOnly(*dyna);
  EXPECT_EQ(editor.g->Strings(), (std::vector<std::string>{"xxx", "5.0", "-5.0", "+8.0"}));
  EXPECT_EQ(FillsOf(*editor.g, dyna->mMarkerColor).size(), 4u);  // grey band and three lines

  // The read-out carries the number's own sign, one only.
  for (const auto& [ratio, shown] : {std::pair{0.0, "0.0"}, std::pair{-0.7, "-0.7"}, std::pair{3.1, "+3.1"}})
  {
    SetRatio(IDynaMeterControl::kPSR, ratio, 10, -20);
    editor.DrawOnly(*dyna);
    EXPECT_EQ(editor.g->texts.back().str, shown);
  }
}

// A marker held at an edge of the scale goes without its label; a label whose marker is on the
// scale stays inside the bar (30..184), never on the value row (191..200), top label above the
// bottom one.
TEST_F(DynaMeter, MarkerLabelsStayInsideTheBarInTheirOrder)
{
  const struct
  {
    const char* label;
    double centre;
    std::vector<std::string> texts;
  } cases[] = {
    {"centre far below the scale", -143.3, {"xxx", "-0.7"}},
    {"centre far above the scale", 12.0, {"xxx", "-0.7"}},
    {"top marker too near the floor for its label", -64.5, {"xxx", "-0.7"}},
    {"only the top marker on the scale", -56.0, {"xxx", "5.0", "-0.7"}},
    {"only the bottom marker on the scale", 4.0, {"xxx", "-5.0", "-0.7"}},
    {"both on the scale", -20.0, {"xxx", "5.0", "-5.0", "-0.7"}},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.label);
    SetRatio(IDynaMeterControl::kPLR, -0.7, 10, c.centre);
    editor.DrawOnly(*dyna);
    EXPECT_EQ(editor.g->Strings(), c.texts);
    const DrawLog::Text* top = editor.g->FindText("5.0");
    const DrawLog::Text* bottom = editor.g->FindText("-5.0");
    for (const DrawLog::Text* label : {top, bottom})
    {
      if (label)
      {
        EXPECT_TRUE(label->rect.T >= 30.f && label->rect.B <= 184.f) << label->str << " at " << label->rect.T;
      }
    }
    if (top && bottom)
    {
      EXPECT_LT(top->rect.T, bottom->rect.T);
    }
  }
}

TEST_F(DynaMeter, ZeroRangeKeepsTheReadoutWithoutBand)
{
  dyna->mMax = dyna->mMin = -10;
  dyna->mRange = 0;
  SetRatio(IDynaMeterControl::kPLR, 8, 10, -20);
  editor.DrawOnly(*dyna);
  EXPECT_EQ(editor.g->Strings(), (std::vector<std::string>{"xxx", "+8.0"}));
  EXPECT_EQ(editor.g->fills.size(), 1u);
}

}  // namespace
}  // namespace vtest
