// The meter panel's controls with known levels drawn through the drawing back end: the zones,
// levels, hold lines, the dynamics band and the scales' zero marks, probed in the picture (also
// written as meter-panel.png beside the test program).

#include <array>
#include <cstdlib>

#include <gtest/gtest.h>

#include "meter-ui/IDynaMeterControl.h"
#include "meter-ui/IMeterControl.h"
#include "meter-ui/IMeterScaleControl.h"
#include "meter-ui/IVPanelControlZv.h"
#include "meter-ui/MeterStyle.h"
#include "tests/support/HeadlessGraphics.h"

namespace vtest {
namespace {
using namespace iplug::igraphics;
using Rgba = std::array<uint8_t, 4>;

testing::AssertionResult Near(const Rgba& actual, const IColor& expected, int tolerance = 3)
{
  const int want[3] = {expected.R, expected.G, expected.B};
  for (int i = 0; i < 3; ++i)
    if (std::abs(actual[i] - want[i]) > tolerance)
      return testing::AssertionFailure() << "(" << int(actual[0]) << "," << int(actual[1]) << "," << int(actual[2])
                                         << ") is not (" << want[0] << "," << want[1] << "," << want[2] << ")";
  return testing::AssertionSuccess();
}

// A colour at its alpha over the black panel.
IColor OverBlack(const IColor& c)
{
  auto f = [&c](int v) { return v * c.A / 255; };
  return IColor(255, f(c.R), f(c.G), f(c.B));
}

// Bars 244 high: the bar area runs from 30 to 228, three pixels a unit over 6..-60, so the level
// L sits at row 228 - 3 (L + 60).
constexpr int Row(double level)
{
  return static_cast<int>(228 - 3 * (level + 60));
}

class MeterPanelPixels : public testing::Test
{
protected:
  void SetUp() override
  {
    g.OpenWindow(nullptr);
    g.AddControl(new IVPanelControlZv(g.GetBounds(), IColor(255, 0, 0, 0), false, IColor(255, 0, 0, 0), 0.f, 0.f));
    loudScale = Add(new IMeterScaleControl(IRECT(0, 0, 60, 260)));
    sl = Bar(IRECT(62, 0, 82, 244), 210, "SL", -27, -12);
    ml = Bar(IRECT(86, 0, 106, 244), 211, "ML", -3, 0);
    dyna = Add(new IDynaMeterControl(IRECT(110, 0, 130, 244)));
    dyna->SetLook(meterstyle::kTextColor, meterstyle::kCaptionSize, WDL_String("LRA"), meterstyle::kValueSize,
                  WDL_String("---"));
    dyna->mBandColor = IColor(255, 90, 160, 220);
    dyna->mLow = -30;
    dyna->mHigh = -18;
    dyna->mDynaValid = true;
    peakScale = Add(new IMeterScaleControl(IRECT(135, 0, 195, 260)));
    for (IMeterScaleControl* scale : {loudScale, peakScale})
      scale->SetLook(meterstyle::kTextColor, meterstyle::kScaleTextSize, meterstyle::kZeroMarkColor,
                     meterstyle::kMajorTickColor, meterstyle::kMinorTickColor, WDL_String("LUFS"));
    for (int i = 0; i < 10; ++i)
    {
      const float x = 200.f + 19.f * static_cast<float>(i);
      channels[i] = Bar(IRECT(x, 0, x + 16.f, 244), -1, "C", -57 + 6 * i, -51 + 6 * i);
    }
    g.DrawFullFrame();
  }

  template <class C>
  C* Add(C* control)
  {
    g.AddControl(control);
    return control;
  }

  IMeterControl* Bar(const IRECT& r, int tag, const char* caption, double value, double hold)
  {
    IMeterControl* bar = Add(new IMeterControl(r, tag));
    bar->SetLook(meterstyle::kTextColor, meterstyle::kCaptionSize, WDL_String(caption), meterstyle::kValueSize,
                 WDL_String("---"));
    bar->mHoldLineColor = meterstyle::kAccentColor;
    bar->mValue = value;
    bar->mHold = hold;
    return bar;
  }

  HeadlessDelegate delegate;
  HeadlessGraphics g{delegate, 400, 260};
  IMeterScaleControl* loudScale = nullptr;
  IMeterScaleControl* peakScale = nullptr;
  IMeterControl* sl = nullptr;
  IMeterControl* ml = nullptr;
  IDynaMeterControl* dyna = nullptr;
  IMeterControl* channels[10] = {};
};

TEST_F(MeterPanelPixels, ZonesLevelsAndHoldLines)
{
  ASSERT_TRUE(g.WritePNG(PicturePath("meter-panel.png")));
  const IColor navy = sl->mZoneColors[4].bright;
  const IColor dimBlue = OverBlack(sl->mZoneColors[3].dim);

  // SL at -27: lit in the bottom zone up to its level, the zones above it dim; hold at -12.
  EXPECT_TRUE(Near(g.Pixel(72, Row(-27) + 1), navy));
  EXPECT_TRUE(Near(g.Pixel(72, 220), navy));
  EXPECT_TRUE(Near(g.Pixel(72, Row(-27) - 2), OverBlack(sl->mZoneColors[4].dim)));
  EXPECT_TRUE(Near(g.Pixel(72, Row(-18)), dimBlue));
  EXPECT_TRUE(Near(g.Pixel(72, Row(-12)), meterstyle::kAccentColor));

  // ML at -3: the yellow zone lit from -6 up to -3, dim above; green and blue below; hold at 0.
  EXPECT_TRUE(Near(g.Pixel(96, Row(-4)), ml->mZoneColors[1].bright));
  EXPECT_TRUE(Near(g.Pixel(96, Row(-2)), OverBlack(ml->mZoneColors[1].dim)));
  EXPECT_TRUE(Near(g.Pixel(96, Row(-9)), ml->mZoneColors[2].bright));
  EXPECT_TRUE(Near(g.Pixel(96, Row(-18)), ml->mZoneColors[3].bright));
  EXPECT_TRUE(Near(g.Pixel(96, Row(0)), meterstyle::kAccentColor));
  EXPECT_TRUE(Near(g.Pixel(96, Row(3)), OverBlack(ml->mZoneColors[0].dim)));

  // Dynamics: the band between -18 and -30 over the grey background.
  EXPECT_TRUE(Near(g.Pixel(120, Row(-24)), dyna->mBandColor));
  EXPECT_TRUE(Near(g.Pixel(120, Row(-12)), OverBlack(dyna->mBackColor)));
  EXPECT_TRUE(Near(g.Pixel(120, Row(-36)), OverBlack(dyna->mBackColor)));

  // Channel bars rise by six units each, their hold lines six units higher still.
  for (int i = 0; i < 10; ++i)
  {
    const int x = 208 + 19 * i;
    const double level = -57 + 6 * i;
    EXPECT_FALSE(Near(g.Pixel(x, Row(level) + 1), IColor(255, 0, 0, 0), 20)) << i;  // lit
    EXPECT_TRUE(Near(g.Pixel(x, Row(level + 6)), meterstyle::kAccentColor)) << i;
    EXPECT_LT(g.Pixel(x, Row(level + 3))[0] + g.Pixel(x, Row(level + 3))[1] + g.Pixel(x, Row(level + 3))[2], 100)
      << i;  // dim above the level
  }
  // Space between the bars stays black.
  EXPECT_TRUE(Near(g.Pixel(217, 150), IColor(255, 0, 0, 0)));

  // The scales' zero marks: tick area 38..240 over 66 units, 0 six units below the top.
  for (int x : {50, 185})
    EXPECT_GT(g.Pixel(x, 240 - 183)[0], 120) << x;  // 1.5 wide about the row's top edge
}

}  // namespace
}  // namespace vtest
