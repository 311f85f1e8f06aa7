#include <cmath>

#include "ControlsFixture.h"
#include "controls/ISVGControls.h"

using namespace vtest;

namespace {
// Records which document each SVG draw asks for, where, and under which transform.
class SVGRecordingGraphics : public PaintGraphics
{
public:
  using PaintGraphics::PaintGraphics;

  struct Drawn
  {
    const SVGImage* image;
    IRECT bounds;
    IMatrix transform;
  };
  std::vector<Drawn> drawn;

  void DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend*) override
  {
    drawn.push_back({svg.mImage, bounds, GetTransform()});
  }
};

struct SVGEditor
{
  SVGEditor()
  {
    dlg.mMakeGraphicsFunc = [this] { return new SVGRecordingGraphics(dlg, 400, 300, 0, 1.f); };
    dlg.OpenWindow(nullptr);
    g = static_cast<SVGRecordingGraphics*>(dlg.GetUI());
  }

  // A document w x h holding one rectangle; the name keeps the cache entries apart.
  ISVG Doc(const char* name, int w, int h)
  {
    const std::string text = "<svg width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
                             "\"><rect width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
                             "\"/></svg>";
    return g->LoadSVGFromMemory(name, text.data(), static_cast<int>(text.size()));
  }

  template <class C>
  C* Add(C* control)
  {
    g->AddControl(control);
    return control;
  }

  TestDelegate dlg;
  SVGRecordingGraphics* g = nullptr;
};
}  // namespace

TEST(ISVGSwitchControlTest, ShowsOneImagePerStateAndTheButtonItsOnImageAboveHalf)
{
  SVGEditor e;
  const ISVG a = e.Doc("a.svg", 10, 10), b = e.Doc("b.svg", 10, 10), c = e.Doc("c.svg", 10, 10);
  auto* sw = e.Add(new ISVGSwitchControl(IRECT(5, 5, 45, 45), {a, b, c}));
  auto* button = e.Add(new ISVGButtonControl(IRECT(50, 5, 90, 45), nullptr, a, b));
  EXPECT_EQ(sw->NStates(), 3);
  const struct
  {
    IControl* control;
    double value;
    ISVG expected;
  } cases[] = {{sw, 0.0, a},     {sw, 0.5, b},     {sw, 1.0, c},      {sw, 0.2, a},
               {button, 0.0, a}, {button, 0.5, a}, {button, 0.51, b}, {button, 1.0, b}};
  for (const auto& tc : cases)
  {
    e.g->drawn.clear();
    tc.control->SetValue(tc.value);
    tc.control->Draw(*e.g);
    ASSERT_EQ(e.g->drawn.size(), 1u);
    EXPECT_EQ(e.g->drawn[0].image, tc.expected.mImage) << "value " << tc.value;
    EXPECT_EQ(e.g->drawn[0].bounds, tc.control->GetRECT());
  }
}

TEST(ISVGKnobControlTest, TurnsFromMinus135To135AndIsUnrotatedAtHalf)
{
  SVGEditor e;
  auto* knob = e.Add(new ISVGKnobControl(IRECT(20, 40, 60, 100), e.Doc("k.svg", 10, 10)));
  const auto drawnAt = [&](double value) {
    e.g->drawn.clear();
    knob->SetValue(value);
    knob->Draw(*e.g);
    EXPECT_EQ(e.g->drawn.size(), 1u);
    // Turned about the centre, at the size of the draw bounds.
    ExpectRect(e.g->drawn.at(0).bounds, IRECT(-20, -30, 20, 30));
    return e.g->drawn.at(0).transform;
  };
  EXPECT_EQ(drawnAt(0.5), IMatrix(1, 0, 0, 1, 40, 70));
  const double c135 = std::cos(135.0 * std::acos(-1.0) / 180.0);
  const IMatrix low = drawnAt(0.0), high = drawnAt(1.0);
  EXPECT_NEAR(low.mXX, c135, 1e-6);
  EXPECT_NEAR(high.mXX, c135, 1e-6);
  EXPECT_NEAR(low.mYX, -high.mYX, 1e-6) << "the two ends turn opposite ways";
  EXPECT_NEAR(std::abs(low.mYX), -c135, 1e-6);
  EXPECT_EQ(high, IMatrix(high.mXX, high.mYX, high.mXY, high.mYY, 40, 70));
}

TEST(ISVGSliderControlTest, HandleMeetsEachEndOfTheTrack)
{
  SVGEditor e;
  // Vertical: a 1:10 track and a 2:1 handle a tenth of its height.
  auto* up = e.Add(new ISVGSliderControl(IRECT(0, 0, 40, 200), e.Doc("vh.svg", 20, 10), e.Doc("vt.svg", 10, 100)));
  // Horizontal: a 10:1 track and a 1:2 handle twice its height.
  auto* across = e.Add(new ISVGSliderControl(IRECT(0, 0, 200, 40), e.Doc("hh.svg", 10, 20), e.Doc("ht.svg", 100, 10),
                                             -1, EDirection::Horizontal));
  const struct
  {
    ISVGSliderControl* slider;
    IRECT trackImage, dragTrack, atOne, atZero;
  } cases[] = {
    {up, IRECT(10, 0, 30, 200), IRECT(10, 20, 30, 200), IRECT(0, 0, 40, 20), IRECT(0, 180, 40, 200)},
    {across, IRECT(0, 10, 200, 30), IRECT(20, 10, 200, 30), IRECT(180, 0, 200, 40), IRECT(0, 0, 20, 40)},
  };
  for (const auto& tc : cases)
  {
    ExpectRect(tc.slider->GetTrackImageBounds(), tc.trackImage, "track image");
    ExpectRect(tc.slider->GetTrack(), tc.dragTrack, "drag range");
    ExpectRect(tc.slider->GetHandleBounds(1.0), tc.atOne, "value 1");
    ExpectRect(tc.slider->GetHandleBounds(0.0), tc.atZero, "value 0");

    tc.slider->SetValue(0.0);
    e.g->drawn.clear();
    tc.slider->Draw(*e.g);
    ASSERT_EQ(e.g->drawn.size(), 2u);
    ExpectRect(e.g->drawn[0].bounds, tc.trackImage, "track drawn first");
    ExpectRect(e.g->drawn[1].bounds, tc.atZero, "then the handle at the value");
  }

  // A click at the top of the drag range is the value 1.
  up->OnMouseDown(20, 20, IMouseMod(true));
  EXPECT_DOUBLE_EQ(up->GetValue(), 1.0);
}

TEST(ISVGSliderControlTest, ImagesWithoutExtentLeaveTheHandleOnTheDrawBounds)
{
  SVGEditor e;
  auto* slider = e.Add(new ISVGSliderControl(IRECT(0, 0, 40, 200), ISVG(), e.Doc("t.svg", 0, 0)));
  const IRECT h = slider->GetHandleBounds(0.5);
  EXPECT_TRUE(std::isfinite(h.L) && std::isfinite(h.T) && std::isfinite(h.R) && std::isfinite(h.B));
  EXPECT_TRUE(slider->GetRECT().Contains(h.L, h.T));
  ExpectRect(slider->GetTrackImageBounds(), slider->GetRECT());
}
