#include <functional>

#include "ControlsFixture.h"
#include "controls/IVSwitchControls.h"

using namespace vtest;

namespace {
// A slide switch whose animation clock the test sets.
class ClockedSlideSwitch : public IVSlideSwitchControl
{
public:
  using IVSlideSwitchControl::IVSlideSwitchControl;
  double now = 0.0;

protected:
  double AnimationClockMs() const override { return now; }
};
}  // namespace

TEST(IVSlideSwitchControlTest, ClickSlidesOverTheAnimationAndHostChangeJumps)
{
  ControlEditor e;
  int ended = 0;
  auto* c = e.Add(new ClockedSlideSwitch(
    IRECT(0, 0, 100, 20), [&](IControl*) { ++ended; }, "", PlainStyle(), false, EDirection::Horizontal, 2, 0));
  const IRECT w = c->GetWidgetBounds();
  const float half = w.W() / 2.f;
  const IRECT cell0(w.L, w.T, w.L + half, w.B), cell1(w.L + half, w.T, w.R, w.B);
  ExpectRect(c->GetHandleRect(), cell0, "at rest on cell 0");

  c->now = 1000.0;
  c->OnMouseDown(w.MW(), w.MH(), IMouseMod(true));
  EXPECT_EQ(c->GetValue(), 1.0);
  ASSERT_TRUE(c->GetAnimationFunction());
  EXPECT_EQ(c->GetAnimationDuration(), 100.0);
  c->OnMouseUp(w.MW(), w.MH(), IMouseMod(true));

  c->now = 1050.0;
  c->Animate();
  ExpectRect(c->GetHandleRect(), IRECT(w.L + half / 2, w.T, w.L + half * 1.5f, w.B), "half way at 50 ms");
  EXPECT_EQ(ended, 0);
  c->now = 1101.0;
  c->Animate();
  EXPECT_FALSE(c->GetAnimationFunction());
  ExpectRect(c->GetHandleRect(), cell1, "on cell 1 once ended");
  EXPECT_EQ(ended, 1) << "the user's action runs when the slide ends";

  c->ValueFromDelegate(0.0);
  EXPECT_FALSE(c->GetAnimationFunction());
  ExpectRect(c->GetHandleRect(), cell0, "a host change jumps");
}

TEST(IVSlideSwitchControlTest, InitialStateAboveOneIsAStateIndex)
{
  ControlEditor e;
  const struct
  {
    int states, initial;
    double value;
  } cases[] = {{3, 0, 0.0},  {3, 1, 1.0}, {3, 2, 1.0}, {5, 2, 0.5},
               {5, 3, 0.75}, {5, 9, 1.0}, {1, 4, 1.0}, {4, -1, 0.0}};
  for (const auto& tc : cases)
  {
    auto* c = e.Add(new IVSlideSwitchControl(
      IRECT(0, 0, 100, 20), [](IControl*) {}, "", PlainStyle(), false, EDirection::Vertical, tc.states, tc.initial));
    EXPECT_DOUBLE_EQ(c->GetValue(), tc.value) << tc.states << " states, initial " << tc.initial;
    const IRECT& h = c->GetHandleRect();
    EXPECT_TRUE(h.W() > 0.f && h.H() > 0.f && c->GetWidgetBounds().Contains(h.MW(), h.MH()))
      << "the handle sits inside the track";
  }
}

TEST(IVSlideSwitchControlTest, VerticalCellsAndValueInHandle)
{
  ControlEditor e;
  IVStyle style = PlainStyle();
  style.showValue = true;
  e.dlg.GetParam(0)->DefineEnum("Mode", 0, 4, "", kFlagsNone, "", {"A", "B", "C", "D"});
  auto* c = e.Add(new IVSlideSwitchControl(IRECT(0, 0, 40, 80), 0, "", style, true, EDirection::Vertical));
  EXPECT_EQ(c->NStates(), 4);
  // The host sets the parameter, then tells the control.
  e.dlg.GetParam(0)->Set(2.0);
  c->ValueFromDelegate(2.0 / 3.0);
  const IRECT w = c->GetWidgetBounds();
  const float h = w.H() / 4.f;
  ExpectRect(c->GetHandleRect(), IRECT(w.L, w.T + 2 * h, w.R, w.T + 3 * h), "third cell");
  ExpectRect(c->GetValueBounds(), c->GetHandleRect(), "the value rides in the handle");
  EXPECT_STREQ(c->GetValueStr(), "C");
}

TEST(IVToggleControlTest, ShowsOnOrOffTextAndAnEmptyTextShowsNothing)
{
  ControlEditor e;
  auto* c = e.Add(new IVToggleControl(
    IRECT(0, 0, 80, 30), [](IControl*) {}, "", PlainStyle(), "off", "", false));
  e.g->Clear();
  c->DrawValue(*e.g, false);
  ASSERT_EQ(e.g->texts.size(), 1u);
  EXPECT_EQ(e.g->texts[0].str, "off");

  Click(*e.g, c->GetWidgetBounds().MW(), c->GetWidgetBounds().MH());
  EXPECT_EQ(c->GetValue(), 1.0);
  e.g->Clear();
  c->DrawValue(*e.g, true);
  EXPECT_TRUE(e.g->texts.empty()) << "the empty on text draws nothing";
  EXPECT_EQ(e.g->FillColors(), std::vector<IColor>{c->GetColor(kHL)}) << "mouse-over fill";

  auto* on = e.Add(new IVToggleControl(
    IRECT(0, 40, 80, 70), [](IControl*) {}, "", PlainStyle(), "off", "on", true));
  EXPECT_EQ(on->GetValue(), 1.0);
}

TEST(IVSwitchControlTest, LinkedParameterTextsAndWidgetOnlyHits)
{
  ControlEditor e;
  e.dlg.GetParam(1)->DefineBool("Bypass", false, "", kFlagsNone, "", "Off", "On");
  auto* c = e.Add(new IVSwitchControl(IRECT(0, 0, 100, 60), 1));
  EXPECT_STREQ(c->GetLabelStr(), "Bypass");
  EXPECT_STREQ(c->GetValueStr(), "Off");
  EXPECT_FALSE(c->IsHit(50, 2)) << "the label row does not take the mouse";
  const IRECT w = c->GetWidgetBounds();
  ASSERT_TRUE(c->IsHit(w.MW(), w.MH()));
  Click(*e.g, w.MW(), w.MH());
  EXPECT_EQ(c->GetValue(), 1.0);
  EXPECT_EQ(e.dlg.GetParam(1)->Value(), 1.0);
  EXPECT_STREQ(c->GetValueStr(), "On");

  auto* steps = e.Add(new IVSwitchControl(
    IRECT(0, 100, 100, 160), [](IControl*) {}, "Steps", PlainStyle(), 3));
  const IRECT sw = steps->GetWidgetBounds();
  for (double expected : {0.5, 1.0, 0.0})
  {
    Click(*e.g, sw.MW(), sw.MH());
    EXPECT_DOUBLE_EQ(steps->GetValue(), expected);
  }
}

TEST(IVSwitchControlTest, UnitShowsFromAttachingUntilTheValueFirstChanges)
{
  struct Case
  {
    const char* what;
    std::function<void(ControlEditor&, IVSwitchControl&)> act;
    const char* shown;
  };
  const Case cases[] = {
    {"attached", [](ControlEditor&, IVSwitchControl&) {}, "Low dB"},
    {"editor resized", [](ControlEditor& e, IVSwitchControl&) { e.g->Resize(500, 400, 2.f); }, "Low dB"},
    {"pointer over and out",
     [](ControlEditor& e, IVSwitchControl& c) {
       e.g->OnMouseOver(c.GetWidgetBounds().MW(), c.GetWidgetBounds().MH(), IMouseMod());
       e.g->OnMouseOut();
     },
     "Low dB"},
    {"clicked",
     [](ControlEditor& e, IVSwitchControl& c) { Click(*e.g, c.GetWidgetBounds().MW(), c.GetWidgetBounds().MH()); },
     "Mid"},
    {"set by the host",
     [](ControlEditor& e, IVSwitchControl&) {
       e.dlg.GetParam(1)->Set(2.0);
       e.dlg.DeliverValueToEditor(1, 2.0, false);
     },
     "High"},
  };
  for (const Case& k : cases)
  {
    ControlEditor e;
    e.g->EnableMouseOver(true);
    e.dlg.GetParam(1)->DefineEnum("Band", 0, 3, "dB", kFlagsNone, "", {"Low", "Mid", "High"});
    auto* c = e.Add(new IVSwitchControl(IRECT(0, 0, 100, 60), 1));
    k.act(e, *c);
    EXPECT_STREQ(c->GetValueStr(), k.shown) << k.what;
  }
}

TEST(IVButtonControlTest, PressedWhileValueSetAndLabelDrawsShadowThenText)
{
  ControlEditor e;
  int actions = 0;
  IVStyle style = PlainStyle();
  auto* b = e.Add(new IVButtonControl(
    IRECT(0, 0, 60, 30), [&](IControl*) { ++actions; }, "Go", style));
  Click(*e.g, b->GetWidgetBounds().MW(), b->GetWidgetBounds().MH());
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(b->GetValue(), 1.0);
  e.g->Clear();
  b->DrawWidget(*e.g);
  EXPECT_EQ(e.g->FillColors().back(), b->GetColor(kPR));
  b->AnimationEnded();
  EXPECT_EQ(b->GetValue(), 0.0);

  IVStyle shadowed;
  auto* label = e.Add(new IVLabelControl(IRECT(0, 50, 100, 70), "Level", shadowed));
  e.g->Clear();
  label->Draw(*e.g);
  ASSERT_EQ(e.g->texts.size(), 2u);
  EXPECT_EQ(e.g->texts[0].color, shadowed.colorSpec.GetColor(kSH));
  ExpectRect(e.g->texts[0].bounds, IRECT(0, 50, 100, 70).GetTranslated(3, 3), "shadow offset");
  EXPECT_EQ(e.g->texts[1].color, shadowed.valueText.mFGColor);
  label->SetDisabled(true);
  label->SetStr("");
  e.g->Clear();
  label->Draw(*e.g);
  EXPECT_TRUE(e.g->texts.empty());
}
