#include <gtest/gtest.h>

#include "GraphicsFixture.h"
#include "graphics/IBubbleControl.h"
#include "graphics/ITextEntryControl.h"

using namespace vtest;

namespace {
struct PromptEditor : Editor
{
  PromptEditor()
  {
    dlg.GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.5, "dB", kFlagStepped);
    dlg.GetParam(1)->DefineEnum("Mode", 1, 3, "", kFlagsNone, "", {"Off", "Low", "High"});
    dlg.GetParam(2)->DefineBool("Bypass", false);
    dlg.GetParam(3)->DefineEnum("Bare", 0, 3);
  }
};

const IMouseMod kRight(false, true);
}  // namespace

TEST(PromptTest, TypedValueIsRoundedToTheStepAndClamped)
{
  PromptEditor e;
  LogControl* c = e.Add("c", IRECT(100, 100, 140, 120), 0);
  c->DisablePrompt(false);
  c->SetPromptShowsParamLabel(true);
  c->SetWantsRightClick(true);
  e.g->OnMouseDown(Mouse(110, 110, kRight));  // the control takes the right click itself
  EXPECT_EQ(e.g->nativeTextEntries, 1);
  EXPECT_EQ(e.g->nativeTextEntryStr, "0.0 dB");
  EXPECT_EQ(e.g->GetControlInTextEntry(), c);
  e.g->ApplyTextEntryResult("1.3");
  EXPECT_DOUBLE_EQ(c->GetValue(), 11.5 / 20.0);
  EXPECT_EQ(e.g->GetControlInTextEntry(), nullptr);
  e.g->OpenTextEntry(c, c->GetText(), c->GetRECT(), "", 0);
  e.g->ApplyTextEntryResult("99");
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.0);
}

TEST(PromptTest, PromptIsOffByDefaultAndNeedsAParameter)
{
  PromptEditor e;
  LogControl* c = e.Add("c", IRECT(0, 0, 10, 10), 0);
  c->SetWantsRightClick(true);
  e.g->OnMouseDown(Mouse(5, 5, kRight));
  EXPECT_EQ(e.g->nativeTextEntries, 0);
  LogControl* bare = e.Add("bare", IRECT(20, 0, 30, 10));
  bare->DisablePrompt(false);
  bare->AskForValue(0);
  EXPECT_EQ(e.g->nativeTextEntries, 0);
}

TEST(PromptTest, EnumMenuChecksTheCurrentItemAndAppliesTheChoice)
{
  PromptEditor e;
  LogControl* c = e.Add("c", IRECT(0, 0, 40, 20), 1);
  c->DisablePrompt(false);
  c->SetWantsRightClick(true);
  IPopupMenu& menu = e.g->GetPromptMenu();
  e.g->nativeMenuResult = &menu;
  menu.SetChosenItemIdx(-1);
  e.g->nativeMenuAsync = true;
  e.g->OnMouseDown(Mouse(5, 5, kRight));
  ASSERT_EQ(menu.NItems(), 3);
  EXPECT_STREQ(menu.GetRootTitle(), "Mode");
  EXPECT_FALSE(menu.GetItem(0)->GetChecked());
  EXPECT_TRUE(menu.GetItem(1)->GetChecked());
  EXPECT_EQ(e.g->GetControlInPopupMenu(), c);
  e.dlg.log.clear();
  menu.SetChosenItemIdx(2);
  e.g->ApplyPopupMenuResult(&menu);
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.0);
  EXPECT_EQ(e.g->GetControlInPopupMenu(), nullptr);
  // The press began the gesture; the applied result ends it.
  EXPECT_EQ(e.dlg.log, (std::vector<std::string>{"set 1 1.0000", "end 1"}));
}

TEST(PromptTest, FormOfThePromptFollowsTheParameterKind)
{
  PromptEditor e;
  LogControl* boolean = e.Add("b", IRECT(0, 0, 10, 10), 2);
  LogControl* bare = e.Add("e", IRECT(20, 0, 30, 10), 3);
  boolean->DisablePrompt(false);
  bare->DisablePrompt(false);
  e.g->nativeMenuAsync = true;
  boolean->AskForValue(0);  // a bool with texts: a menu
  EXPECT_EQ(e.g->nativeMenuOpened, 1);
  bare->AskForValue(0);  // an enum without texts: the empty menu
  EXPECT_EQ(e.g->nativeMenuOpened, 2);
  EXPECT_EQ(e.g->GetPromptMenu().NItems(), 0);
}

TEST(PromptTest, DismissalReportsNullOrMinusOne)
{
  PromptEditor e;
  LogControl* c = e.Add("c", IRECT(0, 0, 40, 20), 1);
  e.g->nativeMenuAsync = true;
  IPopupMenu menu("m", 0, false, {"a"});
  e.g->OpenMenu(c, menu, IRECT(), 0, false);
  e.g->ApplyPopupMenuResult(nullptr);
  e.g->OpenMenu(c, menu, IRECT(), -1, true);
  e.g->ApplyPopupMenuResult(&menu);  // nothing chosen
  e.g->ApplyPopupMenuResult(&menu);  // no owner any more: ignored
  EXPECT_EQ(std::vector<std::string>(e.log.end() - 2, e.log.end()),
            (std::vector<std::string>{"c chosen -1", "c context -1"}));
}

TEST(PromptTest, InWindowTextEntryReplacesThePlatformField)
{
  PromptEditor e;
  LogControl* c = e.Add("c", IRECT(0, 0, 40, 20));
  e.g->AddTextEntryControl();
  e.g->OpenTextEntry(c, IText(), IRECT(0, 0, 40, 20), "abc", 0);
  EXPECT_EQ(e.g->nativeTextEntries, 0);
  EXPECT_TRUE(e.g->GetTextEntryControl()->EditInProgress());
  EXPECT_EQ(e.g->GetTextEntryControl()->GetStr(), "abc");
  e.g->ApplyTextEntryResult("typed");
  EXPECT_EQ(e.log.back(), "c text typed");
}

TEST(PromptTest, BubblePlacementTable)
{
  struct Case
  {
    int direction;
    float x, y;
    IRECT expected;
    int arrow;
  };
  // Text "12345" measures 40 x 14; the minimum box raises it to 50 x 30; padding 10 and arrow 10
  // make it 90 x 50.
  const IRECT control(300, 100, 360, 130);
  for (const Case& k : {Case{1, 360, 115, IRECT(360, 90, 450, 140), IBubbleControl::kWest},
                        Case{1, 360 + 20, 115, IRECT(210, 90, 300, 140), IBubbleControl::kEast},
                        Case{0, 330, 100, IRECT(285, 50, 375, 100), IBubbleControl::kSouth},
                        Case{0, 330, 30, IRECT(285, 60, 375, 110), IBubbleControl::kNorth}})
  {
    Editor e(1.f, 470, 300);
    LogControl* c = e.Add("c", control);
    e.g->AddBubbleControl(IText());
    e.g->ShowBubble(c, "12345", k.direction, k.x, k.y, IRECT(0, 0, 50, 30));
    const IBubbleControl* bubble = e.g->GetBubbleControl(0);
    EXPECT_EQ(bubble->mBubbleBounds, k.expected) << k.direction << " " << k.x << "," << k.y;
    EXPECT_EQ(bubble->mArrowDir, k.arrow);
    EXPECT_FALSE(bubble->IsHidden());
    EXPECT_EQ(bubble->mState, 1);
  }
}
