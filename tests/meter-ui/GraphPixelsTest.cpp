// The loudness graph drawn through the drawing back end from five minutes of synthetic
// measurement (also written as loudness-graph.png beside the test program): zone bands, the SL
// curve, the LRA band, the IL and target lines and the overview, probed where they belong.

#include <array>
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "meter-plugin/MeterParamId.h"
#include "meter-ui/IGraphControl.h"
#include "meter-ui/IVPanelControlZv.h"
#include "meter-ui/MeterStyle.h"
#include "tests/meter-ui/GraphFixture.h"
#include "tests/support/HeadlessGraphics.h"

namespace vtest {
namespace {

using Rgba = std::array<uint8_t, 4>;

// SL wanders around -23 by +-6 dB over the five minutes; IL sits at -23.
LoudnessHistoryPoint Synthetic(int i, int32_t t)
{
  LoudnessHistoryPoint p = GraphPoint(t, -23.0);
  p.slLevel = -23.0 + 6.0 * std::sin(i * 0.004);
  p.mlLevel = p.slLevel + 3.0 * std::sin(i * 0.05);
  p.rangeLow = -30.0;
  p.rangeHigh = -18.0;
  p.alertActive[kAlertCount] = 1;  // LRA measured
  p.marked = i == 1500;
  return p;
}

int Brightness(const Rgba& c)
{
  return c[0] + c[1] + c[2];
}

TEST(GraphPixels, FiveMinutesOfMeasurement)
{
  HeadlessDelegate delegate;
  HeadlessGraphics g(delegate, 480, 340);
  g.OpenWindow(nullptr);
  ASSERT_TRUE(g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf"));
  g.AddControl(new IVPanelControlZv(g.GetBounds(), IColor(255, 0, 0, 0), false, IColor(255, 0, 0, 0), 0.f, 0.f));
  auto* graph = new IGraphControl(IRECT(10, 10, 470, 330), kActionGraph);
  g.AddControl(graph);
  LoudnessHistory live;
  WDL_Mutex lock;
  FillGraphHistory(live, 3000, Clock(14, 30, 0), Synthetic);
  graph->SetHistories(&live, nullptr, &lock);
  graph->SetLook(meterstyle::kTextColor, 10, meterstyle::kAccentColor, meterstyle::kMajorTickColor,
                 meterstyle::kMinorTickColor, WDL_String("LUFS"));
  graph->SetRange(0, -5, -47, 0, -23, 12, 12);  // 42 dB: labels every 3 dB
  graph->mTimeScaleFactor = 10;                 // "5 min"
  graph->mShowSL = graph->mShowML = graph->mShowIL = graph->mShowLRA = graph->mShowTarget = 1;
  graph->mColors[IGraphControl::kTargetColor] = IColor(255, 230, 230, 0);
  graph->mDistributionMode = 2;
  graph->UpdateLayout();
  g.DrawFullFrame();
  ASSERT_TRUE(g.WritePNG(PicturePath("loudness-graph.png")));

  const IRECT plot = graph->PlotArea();
  auto yOf = [&](double level) { return static_cast<int>(plot.B - plot.H() * (level + 47) / 42); };
  const int x = static_cast<int>(plot.R - plot.W() / 2);  // 2.5 minutes back: entry 1500

  // The SL fill reaches from the bottom up to the curve: at -21.5 dB the plot is filled where
  // the curve crests (-17) and not where it dips (-29).
  auto xOf = [&](int entry) { return static_cast<int>(plot.R - plot.W() * (2999 - entry) / 3000.0); };
  const Rgba crest = g.Pixel(xOf(1964), yOf(-21.5));
  const Rgba trough = g.Pixel(xOf(2749), yOf(-21.5));
  EXPECT_GT(crest[2], trough[2] + 15) << "blue SL fill under the curve";
  // The IL line at -23 in green across the plot (the target at -23 lies under it).
  const Rgba il = g.Pixel(static_cast<int>(plot.L + 20), yOf(-23));
  EXPECT_GT(il[1], 150);
  // The LRA band lightens the plot between -30 and -18 against the same place outside it.
  EXPECT_GT(Brightness(g.Pixel(static_cast<int>(plot.L + 5), yOf(-26))),
            Brightness(g.Pixel(static_cast<int>(plot.L + 5), yOf(-40))));
  // The marker line at entry 1500, and the overview's view window over its whole width.
  const Rgba marker = g.Pixel(x, static_cast<int>(plot.T + 5));
  EXPECT_GT(marker[1], 150);
  const IRECT strip = graph->OverviewStrip();
  const Rgba window = g.Pixel(static_cast<int>(strip.MW()), static_cast<int>(strip.T + 3));
  EXPECT_GT(window[2], 20) << "accent-tinted view window";
}

}  // namespace
}  // namespace vtest
