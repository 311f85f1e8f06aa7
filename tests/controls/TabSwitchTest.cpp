#include "ControlsFixture.h"
#include "controls/IVTabSwitchControl.h"

using namespace vtest;

namespace {
const std::vector<const char*> kSeven = {"a", "b", "c", "d", "e", "f", "g"};
}  // namespace

TEST(IVTabSwitchControlTest, ButtonsSplitTheWidgetAndAClickSelectsOne)
{
  ControlEditor e;
  int actions = 0;
  auto* c = e.Add(new IVTabSwitchControl(
    IRECT(0, 0, 280, 60), [&](IControl*) { ++actions; }, kSeven, "Mode"));
  // The label row (14 high) comes off the top; no value row is reserved for an empty value.
  EXPECT_EQ(c->GetButtonRect(0), IRECT(0, 14, 40, 60));
  EXPECT_EQ(c->GetButtonRect(6), IRECT(240, 14, 280, 60));
  EXPECT_FALSE(c->IsHit(100, 5)) << "the label strip does not take the mouse";

  c->SetValue(0.5);
  EXPECT_EQ(c->GetSelectedIdx(), 3);
  EXPECT_STREQ(c->SelectedLabel(), "d");

  Click(*e.g, 250, 30);
  EXPECT_EQ(c->GetValue(), 1.0);
  EXPECT_EQ(actions, 1);
  c->OnMouseDown(100, 5, IMouseMod(true));
  EXPECT_EQ(c->GetValue(), 1.0) << "outside every button the value stays";
  EXPECT_EQ(actions, 2) << "but the action still runs";
}

TEST(IVTabSwitchControlTest, LinkedParameterGivesTextsAndName)
{
  ControlEditor e;
  e.dlg.GetParam(0)->DefineEnum("Mode", 0, 3, "", kFlagsNone, "", {"Off", "Low", "High"});
  auto* c = e.Add(new IVTabSwitchControl(IRECT(0, 0, 90, 44), 0, {}, "", kStyleDefault, EWidgetShape::Rectangle,
                                         EDirection::Vertical));
  EXPECT_EQ(c->NStates(), 3);
  EXPECT_STREQ(c->GetLabelStr(), "Mode");
  c->SetValue(1.0);
  EXPECT_STREQ(c->SelectedLabel(), "High");
  EXPECT_EQ(c->GetButtonRect(1), IRECT(0, 24, 90, 34)) << "stacked below the label";

  auto* given = e.Add(new IVTabSwitchControl(IRECT(0, 50, 90, 90), 0, {"x"}, "Given"));
  given->SetValue(1.0);
  EXPECT_STREQ(given->GetLabelStr(), "Given");
  EXPECT_STREQ(given->SelectedLabel(), "") << "state 2 has no text of its own";
}

TEST(IVTabSwitchControlTest, SingleStateClickStaysAtZero)
{
  ControlEditor e;
  auto* c = e.Add(new IVTabSwitchControl(IRECT(0, 0, 40, 40), -1, {"only"}));
  Click(*e.g, 20, 30);
  EXPECT_EQ(c->GetValue(), 0.0);
}

TEST(IVTabSwitchControlTest, EndsRoundedTabsRoundTheOuterCornersOnly)
{
  ControlEditor e;
  IVStyle style;
  style.drawFrame = false;
  style.drawShadows = false;
  style.showLabel = false;
  style.roundness = 1.f;
  auto* c = e.Add(
    new IVTabSwitchControl(IRECT(0, 0, 90, 20), -1, {"a", "b", "c"}, "", style, EWidgetShape::EndsRounded));
  c->DrawWidget(*e.g);
  const std::vector<std::string> expected = {
    // First: top-left rounded.
    "clear", "move 0 10", "arc 10 10 10 270 360", "arc 30 0 0 0 90", "arc 30 20 0 90 180", "arc 0 20 0 180 270",
    "close", "fill", "text a",
    // Middle: square.
    "clear", "move 30 0", "line 60 0", "line 60 20", "line 30 20", "close", "fill", "text b",
    // Last: top-right rounded.
    "clear", "move 60 0", "arc 60 0 0 270 360", "arc 80 10 10 0 90", "arc 90 20 0 90 180", "arc 60 20 0 180 270",
    "close", "fill", "text c"};
  EXPECT_EQ(e.g->log, expected);
}

TEST(IVRadioButtonControlTest, RowsOrOnlyTheirButtonsTakeTheMouse)
{
  ControlEditor e;
  IVStyle style;
  style.showLabel = false;
  auto* c = e.Add(new IVRadioButtonControl(IRECT(0, 0, 100, 70), -1, kSeven, "", style, EWidgetShape::Ellipse,
                                           EDirection::Vertical, 10.f));
  c->SetValue(0.5);
  EXPECT_EQ(c->GetSelectedIdx(), 3);
  EXPECT_EQ(c->ButtonIndexAt(80, 35), 3);
  c->SetOnlyButtonsRespondToMouse(true);
  EXPECT_EQ(c->ButtonIndexAt(80, 35), -1);
  EXPECT_EQ(c->ButtonIndexAt(29, 35), 3) << "the button area is three buttons wide";

  e.g->Clear();
  c->DrawWidget(*e.g);
  // The selected row's text in the pressed colour, the others in the first extra colour.
  ASSERT_EQ(e.g->texts.size(), 7u);
  for (size_t i = 0; i < e.g->texts.size(); ++i)
  {
    EXPECT_EQ(e.g->texts[i].color, style.colorSpec.GetColor(i == 3 ? kPR : kX1)) << i;
    EXPECT_EQ(e.g->texts[i].bounds.L, 30.f) << "after the button area";
    EXPECT_EQ(e.g->texts[i].bounds.R, 100.f) << "rows one above the other";
  }
}

// Side by side, a row's text runs on up to the next row's button, half the button's margin
// short of it; the last row's text ends with its row.
TEST(IVRadioButtonControlTest, TextsSideBySideReachTowardsTheNextButton)
{
  ControlEditor e;
  IVStyle style;
  style.showLabel = false;
  auto* c = e.Add(new IVRadioButtonControl(IRECT(0, 0, 180, 20), -1, {"a", "b", "c"}, "", style, EWidgetShape::Ellipse,
                                           EDirection::Horizontal, 10.f));
  // Rows of 60; buttons 10 wide, 10 in from their row's left.
  EXPECT_EQ(c->ButtonRect(1), IRECT(70, 5, 80, 15));
  EXPECT_EQ(c->TextRect(0), IRECT(30, 0, 65, 20));
  EXPECT_EQ(c->TextRect(1), IRECT(90, 0, 125, 20));
  EXPECT_EQ(c->TextRect(2), IRECT(150, 0, 180, 20));
  e.g->Clear();
  c->DrawWidget(*e.g);
  ASSERT_EQ(e.g->texts.size(), 3u);
  EXPECT_EQ(e.g->texts[1].bounds, c->TextRect(1));
}
