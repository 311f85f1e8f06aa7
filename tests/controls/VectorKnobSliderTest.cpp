#include <cmath>
#include <cstdio>

#include "ControlsFixture.h"
#include "controls/IVKnobSliderControls.h"

using namespace vtest;

namespace {
struct Arc
{
  float cx, cy, r, a1, a2;
};

// The arcs stroked on their own (a disc's outline is an arc too, but it is filled).
std::vector<Arc> Arcs(const std::vector<std::string>& log)
{
  std::vector<Arc> arcs;
  for (size_t i = 0; i + 1 < log.size(); ++i)
  {
    Arc a{};
    if (std::sscanf(log[i].c_str(), "arc %g %g %g %g %g", &a.cx, &a.cy, &a.r, &a.a1, &a.a2) == 5 &&
        log[i + 1].rfind("stroke", 0) == 0)
    {
      arcs.push_back(a);
    }
  }
  return arcs;
}

// The last straight segment drawn: "move x y" followed by "line x y".
bool LastLine(const std::vector<std::string>& log, float& x1, float& y1, float& x2, float& y2)
{
  for (size_t i = log.size(); i-- > 1;)
  {
    if (std::sscanf(log[i].c_str(), "line %g %g", &x2, &y2) == 2 &&
        std::sscanf(log[i - 1].c_str(), "move %g %g", &x1, &y1) == 2)
    {
      return true;
    }
  }
  return false;
}

// A slider that keeps the handle squares and filled parts it is asked to draw.
class RecordingSlider : public IVSliderControl
{
public:
  using IVSliderControl::IVSliderControl;
  std::vector<IRECT> handles, filled;

  void DrawTrack(IGraphics& g, const IRECT& f) override
  {
    filled.push_back(f);
    IVSliderControl::DrawTrack(g, f);
  }
  void DrawHandle(IGraphics& g, const IRECT& r) override
  {
    handles.push_back(r);
    IVSliderControl::DrawHandle(g, r);
  }
};

// A knob turning from -135 to 135 degrees.
IVKnobControl* AddKnob(ControlEditor& e, const IRECT& bounds, float anchor, float trackSize)
{
  return e.Add(new IVKnobControl(
    bounds, [](IControl*) {}, "", PlainStyle(), false, false, -135.f, 135.f, anchor, EDirection::Vertical, 4.0,
    trackSize));
}
}  // namespace

TEST(IVKnobControlTest, ArcRunsFromTheAnchorAndThePointerFollowsTheValue)
{
  const struct
  {
    float anchor;
    double value;
    float a1, a2;
  } cases[] = {
    {-135.f, 0.5, -135.f, 0.f}, {-135.f, 0.0, -135.f, -135.f}, {0.f, 0.25, -67.5f, 0.f}, {0.f, 1.0, 0.f, 135.f}};
  for (const auto& tc : cases)
  {
    ControlEditor e;
    auto* knob = AddKnob(e, IRECT(0, 0, 100, 100), tc.anchor, 6.f);
    knob->SetValue(tc.value);
    e.g->Clear();
    knob->Draw(*e.g);
    const auto arcs = Arcs(e.g->log);
    ASSERT_EQ(arcs.size(), 1u) << "anchor " << tc.anchor << " value " << tc.value;
    // The widget is the whole 100 x 100: radius 50 less half the track.
    EXPECT_FLOAT_EQ(arcs[0].cx, 50.f);
    EXPECT_FLOAT_EQ(arcs[0].cy, 50.f);
    EXPECT_FLOAT_EQ(arcs[0].r, 47.f);
    EXPECT_FLOAT_EQ(arcs[0].a1, tc.a1);
    EXPECT_FLOAT_EQ(arcs[0].a2, tc.a2);
  }

  // Half way through -135..135 the pointer stands straight up, from a tenth of the disc's
  // radius (47 - 4) to its rim.
  ControlEditor e;
  auto* knob = AddKnob(e, IRECT(0, 0, 100, 100), -135.f, 6.f);
  knob->SetValue(0.5);
  e.g->Clear();
  knob->Draw(*e.g);
  float x1, y1, x2, y2;
  ASSERT_TRUE(LastLine(e.g->log, x1, y1, x2, y2));
  EXPECT_NEAR(x1, 50.f, 1e-3);
  EXPECT_NEAR(x2, 50.f, 1e-3);
  EXPECT_NEAR(y1, 50.f - 4.3f, 1e-3);
  EXPECT_NEAR(y2, 50.f - 43.f, 1e-3);
  EXPECT_EQ(e.g->paints.back().color, knob->GetColor(kFR));
}

TEST(IVKnobControlTest, TrackSizeZeroDrawsNoArcButKeepsDiscAndPointer)
{
  ControlEditor e;
  auto* knob = AddKnob(e, IRECT(0, 0, 60, 60), -135.f, 0.f);
  knob->SetValue(0.7);
  e.g->Clear();
  knob->Draw(*e.g);
  EXPECT_TRUE(Arcs(e.g->log).empty());
  EXPECT_EQ(e.g->FillColors().back(), knob->GetColor(kFG)) << "the disc";
  float x1, y1, x2, y2;
  EXPECT_TRUE(LastLine(e.g->log, x1, y1, x2, y2)) << "the pointer";
}

TEST(IVKnobControlTest, DragAreaIsTheShorterSideHalvedAlongTheLonger)
{
  const struct
  {
    IRECT bounds, area;
  } cases[] = {{IRECT(0, 0, 200, 100), IRECT(75, 0, 125, 100)},
               {IRECT(0, 0, 100, 200), IRECT(0, 75, 100, 125)},
               {IRECT(0, 0, 80, 80), IRECT(0, 20, 80, 60)}};
  for (const auto& tc : cases)
  {
    ControlEditor e(400, 400);
    auto* knob = e.Add(new IVKnobControl(
      tc.bounds, [](IControl*) {}, "", PlainStyle()));
    ExpectRect(knob->DragArea(), tc.area);
  }

  // A full-range drag is the area's height (50 here) times the gearing.
  ControlEditor e(400, 400);
  auto* knob = e.Add(new IVKnobControl(
    IRECT(0, 0, 100, 200), [](IControl*) {}, "", PlainStyle(), false, false, -135.f, 135.f, -135.f,
    EDirection::Vertical, 2.0));
  e.g->OnMouseDown(Mouse(50, 100));
  e.g->OnMouseDrag(Mouse(50, 75, IMouseMod(true), 0, -25));
  e.g->OnMouseUp(Mouse(50, 75));
  EXPECT_NEAR(knob->GetValue(), 0.25, 1e-9);
}

TEST(IVKnobControlTest, ValueReadOutOpensThePromptOnlyWhenEditable)
{
  for (bool editable : {false, true})
  {
    ControlEditor e;
    e.dlg.GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.1, "dB");
    IVStyle style = PlainStyle();
    style.showValue = true;
    auto* knob = e.Add(new IVKnobControl(IRECT(0, 0, 100, 100), 0, "", style, editable, true));
    const IRECT v = knob->GetValueBounds();
    ASSERT_FALSE(v.Empty());
    const double before = knob->GetValue();

    knob->OnMouseOver(v.MW(), v.MH(), IMouseMod());
    EXPECT_EQ(knob->GetValueMouseOver(), editable);
    e.g->OnMouseDown(Mouse(v.MW(), v.MH()));
    e.g->OnMouseDrag(Mouse(v.MW(), v.MH() - 30, IMouseMod(true), 0, -30));
    e.g->OnMouseUp(Mouse(v.MW(), v.MH() - 30));
    EXPECT_EQ(e.g->nativeTextEntries, editable ? 1 : 0) << "editable " << editable;
    EXPECT_EQ(knob->GetValue(), before) << "no drag from the read-out, editable " << editable;
  }

  // Outside the widget, the read-out takes the mouse only when it is editable.
  for (bool editable : {false, true})
  {
    ControlEditor e;
    e.dlg.GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.1, "dB");
    IVStyle style = PlainStyle();
    style.showValue = true;
    auto* knob = e.Add(new IVKnobControl(IRECT(0, 0, 100, 100), 0, "", style, editable));
    const IRECT v = knob->GetValueBounds();
    ASSERT_FALSE(knob->GetWidgetBounds().Contains(v.MW(), v.MH()));
    EXPECT_EQ(knob->IsHit(v.MW(), v.MH()), editable);
  }
}

TEST(IVKnobControlTest, ParameterTextsFollowTheValue)
{
  ControlEditor e;
  e.dlg.GetParam(2)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.1, "dB");
  auto* knob = e.Add(new IVKnobControl(IRECT(0, 0, 100, 120), 2));
  EXPECT_STREQ(knob->GetLabelStr(), "Gain");
  EXPECT_STREQ(knob->GetValueStr(), "0.0 dB");
  knob->SetValue(0.5);
  const IRECT w = knob->GetWidgetBounds();
  e.g->OnMouseWheel(w.MW(), w.MH(), IMouseMod(), 1.f);
  EXPECT_STREQ(knob->GetValueStr(), "0.2 dB");
  EXPECT_NEAR(e.dlg.GetParam(2)->Value(), 0.2, 1e-9);

  auto* named = e.Add(new IVSliderControl(IRECT(200, 0, 240, 120), 2, "Mine"));
  EXPECT_STREQ(named->GetLabelStr(), "Mine");
  EXPECT_STREQ(named->GetValueStr(), "0.2 dB");
}

TEST(IVSliderControlTest, HandleSitsOnTheFilledPartsEnd)
{
  const struct
  {
    EDirection dir;
    double value;
    float x, y;  // handle centre
  } cases[] = {  // 40 x 200 widget less the handle size 8: track x 16..24, y 8..192.
               {EDirection::Vertical, 0.0, 20.f, 192.f},
               {EDirection::Vertical, 1.0, 20.f, 8.f},
               {EDirection::Vertical, 0.5, 20.f, 100.f},
               // 200 x 40: track x 8..192, y 16..24.
               {EDirection::Horizontal, 0.0, 8.f, 20.f},
               {EDirection::Horizontal, 0.25, 54.f, 20.f},
               {EDirection::Horizontal, 1.0, 192.f, 20.f}};
  for (const auto& tc : cases)
  {
    ControlEditor e;
    const bool vertical = tc.dir == EDirection::Vertical;
    auto* s = e.Add(new RecordingSlider(
      vertical ? IRECT(0, 0, 40, 200) : IRECT(0, 0, 200, 40), [](IControl*) {}, "", PlainStyle(), false, tc.dir, false,
      4.0, 8.f, 4.f));
    s->SetValue(tc.value);
    s->Draw(*e.g);
    ASSERT_EQ(s->handles.size(), 1u);
    ExpectRect(s->handles[0], IRECT(tc.x - 8, tc.y - 8, tc.x + 8, tc.y + 8), vertical ? "vertical" : "horizontal");
    ASSERT_EQ(s->filled.size(), 1u);
    EXPECT_NEAR(vertical ? s->filled[0].H() : s->filled[0].W(), 184.0 * tc.value, 1e-3);
  }
}

TEST(IVSliderControlTest, TrackColoursAndOnlyHandleExtension)
{
  for (bool onlyHandle : {false, true})
  {
    ControlEditor e;
    IVStyle style = PlainStyle();
    style.drawFrame = true;
    auto* s = e.Add(new IVSliderControl(
      IRECT(0, 0, 40, 200), [](IControl*) {}, "", style, false, EDirection::Vertical, onlyHandle, 4.0, 8.f, 4.f));
    s->SetValue(0.5);
    e.g->Clear();
    s->DrawTrack(*e.g, IRECT(16, 100, 24, 192));
    const float ext = onlyHandle ? 8.f : 0.f;
    // Whole track, filled part, frame: each a rectangle path.
    const std::vector<std::string> expected = {"move 16 " + RecordingGraphics::F(8 - ext),
                                               "move 16 " + RecordingGraphics::F(100 - ext),
                                               "move 16 " + RecordingGraphics::F(8 - ext)};
    std::vector<std::string> moves;
    for (const std::string& entry : e.g->log)
    {
      if (entry.rfind("move", 0) == 0)
      {
        moves.push_back(entry);
      }
    }
    EXPECT_EQ(moves, expected) << "only handle " << onlyHandle;
    ASSERT_EQ(e.g->paints.size(), 3u);
    EXPECT_EQ(e.g->paints[0].color, s->GetColor(kSH));
    EXPECT_EQ(e.g->paints[1].color, s->GetColor(kX1));
    EXPECT_FALSE(e.g->paints[2].fill);
    EXPECT_EQ(e.g->paints[2].color, s->GetColor(kFR));
  }
}

TEST(IVSliderControlTest, TrackSizeZeroDrawsOnlyTheHandle)
{
  ControlEditor e;
  auto* s = e.Add(new RecordingSlider(
    IRECT(0, 0, 40, 200), [](IControl*) {}, "", PlainStyle(), false, EDirection::Vertical, false, 4.0, 8.f, 0.f));
  s->Draw(*e.g);
  EXPECT_TRUE(s->filled.empty());
  EXPECT_EQ(s->handles.size(), 1u);
}
