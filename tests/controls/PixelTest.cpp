// The library's controls drawn through the real drawing back end into a headless view, read back
// as pixels. Text needs a platform font, which the headless view does not load, so only shapes
// and fills are checked here.

#include <gtest/gtest.h>

#include "controls/ISVGControls.h"
#include "controls/ITextControls.h"
#include "controls/IVAreaControls.h"
#include "controls/IVKnobSliderControls.h"
#include "controls/IVSwitchControls.h"
#include "controls/IVTabSwitchControl.h"
#include "controls/IVTrackControls.h"
#include "graphics/IBackgroundControls.h"
#include "tests/support/HeadlessGraphics.h"

using namespace vtest;
using namespace iplug::igraphics;

namespace {
using Rgba = std::array<uint8_t, 4>;

testing::AssertionResult Near(const Rgba& actual, const Rgba& expected, int tolerance = 3)
{
  for (int i = 0; i < 4; ++i)
  {
    if (std::abs(actual[i] - expected[i]) > tolerance)
    {
      return testing::AssertionFailure() << "(" << int(actual[0]) << "," << int(actual[1]) << "," << int(actual[2])
                                         << "," << int(actual[3]) << ") is not (" << int(expected[0]) << ","
                                         << int(expected[1]) << "," << int(expected[2]) << "," << int(expected[3])
                                         << ")";
    }
  }
  return testing::AssertionSuccess();
}

Rgba Opaque(const IColor& c)
{
  return {static_cast<uint8_t>(c.R), static_cast<uint8_t>(c.G), static_cast<uint8_t>(c.B), 255};
}

// A translucent colour over the white panel.
Rgba OverWhite(const IColor& c)
{
  const auto over = [&](int v) { return static_cast<uint8_t>((v * c.A + 255 * (255 - c.A)) / 255); };
  return {over(c.R), over(c.G), over(c.B), 255};
}

// A headless window on a white panel, and a style that draws the shapes without any text.
struct WhitePanel
{
  WhitePanel(int w, int h) : g(delegate, w, h)
  {
    g.OpenWindow(nullptr);
    g.AddPanelBackground(IPattern(kColorWhite));
    style.showLabel = false;
    style.showValue = false;
  }

  HeadlessDelegate delegate{1};
  HeadlessGraphics g;
  IVStyle style;
};
}  // namespace

TEST(ControlPixelsTest, SwitchesAndCaptionDrawTheirStatesInTheStyleColours)
{
  HeadlessDelegate delegate(1);
  delegate.GetParam(0)->DefineEnum("Mode", 0, 3, "", iplug::kFlagsNone, "", {"A", "B", "C"});
  HeadlessGraphics g(delegate, 200, 120);
  g.OpenWindow(nullptr);
  ASSERT_TRUE(g.IsDrawingContextValid());

  IVStyle style;
  style.showLabel = false;
  g.AddPanelBackground(IPattern(kColorWhite));
  auto* tabs = new IVTabSwitchControl(IRECT(10, 10, 190, 40), -1, {"one", "two", "three"}, "", style);
  auto* radio = new IVRadioButtonControl(IRECT(10, 50, 100, 110), -1, {"a", "b", "c"}, "", style, EWidgetShape::Ellipse,
                                         EDirection::Vertical, 12.f);
  auto* caption = new ICaptionControl(IRECT(110, 50, 190, 70), 0, kTextDefault, kColorBlue);
  g.AddControl(tabs);
  g.AddControl(radio);
  g.AddControl(caption);
  tabs->SetValue(0.5);
  radio->SetValue(1.0);
  g.DrawFullFrame();
  EXPECT_TRUE(g.WritePNG(PicturePath("controls-switches-caption.png")));

  const IColor pressed = style.colorSpec.GetColor(kPR), idle = style.colorSpec.GetColor(kFG);
  // Tabs of 60 each; the middle one selected. Each body sits left of its shadow.
  EXPECT_TRUE(Near(g.Pixel(35, 22), Opaque(idle)));
  EXPECT_TRUE(Near(g.Pixel(95, 22), Opaque(pressed)));
  EXPECT_TRUE(Near(g.Pixel(155, 22), Opaque(idle)));
  // Radio rows of 20; buttons centred in a strip 36 wide: the last row's is pressed.
  EXPECT_TRUE(Near(g.Pixel(28, 60), Opaque(idle)));
  EXPECT_TRUE(Near(g.Pixel(28, 100), Opaque(pressed)));
  EXPECT_TRUE(Near(g.Pixel(60, 100), Opaque(kColorWhite))) << "no fill behind the text";
  // The caption's background, and its enum triangle at half weight of black over it.
  EXPECT_TRUE(Near(g.Pixel(130, 60), Opaque(kColorBlue)));
  EXPECT_TRUE(Near(g.Pixel(182, 59), {0, 0, 128, 255}, 4));
}

TEST(ControlPixelsTest, ButtonToggleAndSlideSwitchShowTheirStates)
{
  WhitePanel panel(360, 60);
  HeadlessGraphics& g = panel.g;
  const IVStyle& style = panel.style;
  ASSERT_TRUE(g.IsDrawingContextValid());
  auto* button = new IVButtonControl(IRECT(10, 10, 90, 50), nullptr, "", style);
  auto* toggle = new IVToggleControl(
    IRECT(110, 10, 190, 50), [](IControl*) {}, "", style, "", "", true);
  auto* slide = new IVSlideSwitchControl(
    IRECT(210, 10, 350, 50), [](IControl*) {}, "", style, false, EDirection::Horizontal, 2, 1);
  g.AddControl(button);
  g.AddControl(toggle);
  g.AddControl(slide);
  g.DrawFullFrame();
  EXPECT_TRUE(g.WritePNG(PicturePath("controls-button-toggle-slide.png")));

  const IColor pressed = style.colorSpec.GetColor(kPR), idle = style.colorSpec.GetColor(kFG);
  EXPECT_TRUE(Near(g.Pixel(45, 28), Opaque(idle))) << "the button at rest";
  EXPECT_TRUE(Near(g.Pixel(145, 28), Opaque(pressed))) << "the toggle on";
  // The handle on the right cell; the track shows through the left one.
  const IRECT handle = slide->GetHandleRect();
  EXPECT_GT(handle.L, 270.f);
  EXPECT_TRUE(Near(g.Pixel(static_cast<int>(handle.MW()) - 2, 28), Opaque(idle)));
  // The track is the translucent shadow colour over the white panel.
  EXPECT_TRUE(Near(g.Pixel(240, 28), OverWhite(style.colorSpec.GetColor(kSH))));
}

TEST(ControlPixelsTest, KnobSliderAndRangeSliderShowTheirValues)
{
  WhitePanel panel(360, 100);
  HeadlessGraphics& g = panel.g;
  const IVStyle& style = panel.style;
  ASSERT_TRUE(g.IsDrawingContextValid());
  auto* knob = new IVKnobControl(
    IRECT(10, 10, 90, 90), [](IControl*) {}, "", style);
  auto* slider = new IVSliderControl(
    IRECT(110, 10, 150, 90), [](IControl*) {}, "", style);
  auto* range = new IVRangeSliderControl(IRECT(170, 10, 350, 90), {-1, -1}, "", style);
  g.AddControl(knob);
  g.AddControl(slider);
  g.AddControl(range);
  knob->SetValue(0.5);
  slider->SetValue(0.25);
  range->SetValue(0.25, 0);
  range->SetValue(0.75, 1);
  g.DrawFullFrame();
  EXPECT_TRUE(g.WritePNG(PicturePath("controls-knob-slider-range.png")));

  const IColor value = style.colorSpec.GetColor(kX1), idle = style.colorSpec.GetColor(kFG);
  // Knob centred at (50, 50), arc radius 39: half way, the arc runs from the anchor over the
  // left to the top, and the pointer stands up from the centre.
  EXPECT_TRUE(Near(g.Pixel(11, 50), Opaque(value))) << "arc at the left";
  EXPECT_TRUE(Near(g.Pixel(89, 50), Opaque(kColorWhite))) << "no arc at the right";
  EXPECT_TRUE(Near(g.Pixel(50, 25), Opaque(style.colorSpec.GetColor(kFR)))) << "pointer";
  EXPECT_TRUE(Near(g.Pixel(40, 60), Opaque(idle))) << "disc";
  // Slider track x 128..132, y 18..82, filled up to 66 below its handle.
  EXPECT_TRUE(Near(g.Pixel(130, 79), Opaque(value)));
  EXPECT_TRUE(Near(g.Pixel(130, 30), OverWhite(style.colorSpec.GetColor(kSH)))) << "unfilled track";
  EXPECT_TRUE(Near(g.Pixel(130, 66), Opaque(idle))) << "handle";
  // Range track x 178..342 around y 50: filled only between the handles, at 219 and 301.
  EXPECT_TRUE(Near(g.Pixel(260, 50), Opaque(value)));
  EXPECT_TRUE(Near(g.Pixel(190, 50), Opaque(kColorWhite)));
  EXPECT_TRUE(Near(g.Pixel(219, 62), Opaque(idle))) << "first handle below the track";
  EXPECT_TRUE(Near(g.Pixel(301, 40), Opaque(idle))) << "second handle above it";
}

TEST(ControlPixelsTest, PadSwatchPlotGroupAndSVGControlsDrawWhereTheirValuesSay)
{
  WhitePanel panel(480, 120);
  HeadlessGraphics& g = panel.g;
  ASSERT_TRUE(g.IsDrawingContextValid());
  const auto svg = [&g](const char* name, const std::string& body, int w, int h) {
    const std::string text = "<svg width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) + "\">" + body +
                             "</svg>";
    return g.LoadSVGFromMemory(name, text.data(), static_cast<int>(text.size()));
  };
  const auto square = [&svg](const char* name, const char* fill) {
    return svg(name, std::string("<rect width=\"10\" height=\"10\" fill=\"") + fill + "\"/>", 10, 10);
  };

  IVStyle style = panel.style;
  style.drawShadows = false;
  IVStyle swatchStyle = style;
  swatchStyle.colorSpec = IVStyleColors({kColorRed, kColorGreen, kColorBlue, kColorYellow, kColorOrange, kColorIndigo,
                                         kColorViolet, kColorGray, kColorBlack});
  auto* pad = new IVXYPadControl(IRECT(10, 10, 110, 110), {-1, -1}, "", style);
  auto* swatch = new IVColorSwatchControl(IRECT(120, 10, 210, 100), "", nullptr, swatchStyle);
  auto* plot = new IVPlotControl(IRECT(220, 10, 310, 110), {{kColorRed, [](double x) { return x * x; }}}, 32, "", style,
                                 true, 0.f, 1.f);
  auto* group = new IVGroupControl(IRECT(215, 5, 315, 115), "", style);
  // A knob image with its pointer at twelve o'clock.
  auto* knob = new ISVGKnobControl(
    IRECT(320, 10, 380, 70), svg("knob.svg", "<rect x=\"9\" width=\"2\" height=\"8\" fill=\"#0000ff\"/>", 20, 20));
  auto* sw = new ISVGSwitchControl(
    IRECT(390, 10, 430, 50), {square("r.svg", "#ff0000"), square("g.svg", "#00ff00"), square("b.svg", "#0000ff")});
  auto* slider = new ISVGSliderControl(IRECT(440, 10, 470, 110),
                                       svg("h.svg", "<rect width=\"20\" height=\"10\"/>", 20, 10),
                                       svg("t.svg", "<rect width=\"10\" height=\"100\" fill=\"#808080\"/>", 10, 100));
  for (IControl* c : std::initializer_list<IControl*>{pad, swatch, plot, group, knob, sw, slider})
  {
    g.AddControl(c);
  }
  pad->SetValue(0.25, 0);
  pad->SetValue(0.75, 1);
  knob->SetValue(0.5);
  sw->SetValue(0.5);
  slider->SetValue(0.0);
  g.DrawFullFrame();
  EXPECT_TRUE(g.WritePNG(PicturePath("controls-pad-swatch-plot-svg.png")));

  EXPECT_TRUE(Near(g.Pixel(35, 35), Opaque(style.colorSpec.GetColor(kFG))))
    << "the pad's handle a quarter across and three quarters up";
  EXPECT_TRUE(Near(g.Pixel(85, 85), Opaque(kColorWhite)));
  EXPECT_TRUE(Near(g.Pixel(135, 25), Opaque(kColorRed))) << "first swatch cell";
  EXPECT_TRUE(Near(g.Pixel(195, 85), Opaque(kColorBlack))) << "ninth swatch cell";
  EXPECT_TRUE(Near(g.Pixel(350, 20), Opaque(kColorBlue))) << "the knob's pointer straight up";
  EXPECT_TRUE(Near(g.Pixel(410, 30), Opaque(kColorGreen))) << "the switch's middle image";
  EXPECT_TRUE(Near(g.Pixel(455, 105), Opaque(kColorBlack))) << "the slider's handle at the bottom";
  EXPECT_TRUE(Near(g.Pixel(455, 15), {128, 128, 128, 255})) << "the track above it";
}
