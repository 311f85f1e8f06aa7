// The in-window popup menu on the recording graphics object (text 8 points a character, 14
// high), with the menu's animation clock in the test's hands.

#include "ControlsFixture.h"
#include "Clocked.h"
#include "graphics/IPopupMenuControl.h"

using namespace vtest;

namespace {
using ClockedPopup = Clocked<IPopupMenuControl>;

// The control that asks for the menu and what it was given back.
class MenuOwner : public IControl
{
public:
  explicit MenuOwner(const IRECT& bounds) : IControl(bounds) {}
  void Draw(IGraphics&) override {}
  void PopupMenuChosen(IPopupMenu* menu, int) override
  {
    ++answers;
    chosenMenu = menu;
    chosen = menu ? menu->GetChosenItemIdx() : -1;
  }
  int answers = 0;
  IPopupMenu* chosenMenu = nullptr;
  int chosen = -2;
};

struct MenuEditor : ControlEditor
{
  MenuEditor(int w = 400, int h = 300, const IRECT& anchor = IRECT(20, 20, 80, 40)) : ControlEditor(w, h)
  {
    popup = new ClockedPopup(-1, IText(14.f));
    g->AddPopupMenuControl(popup);
    owner = Add(new MenuOwner(anchor));
    g->EnableMouseOver(true);
  }

  void Open(IPopupMenu& menu, MenuOwner* asking = nullptr)
  {
    asking = asking ? asking : owner;
    g->OpenMenu(asking, menu, asking->GetRECT(), 0);
  }
  // Moves the clock on and runs one frame's animations.
  void Advance(double ms)
  {
    popup->now += ms;
    IRECTList rects;
    g->IsDirty(rects);
  }
  void Open(IPopupMenu& menu, double settleMs)
  {
    Open(menu);
    Advance(settleMs);
  }
  // Draws the menu alone and answers the item texts drawn.
  std::vector<std::string> DrawnTexts()
  {
    g->Clear();
    popup->Draw(*g);
    std::vector<std::string> texts;
    for (const PaintGraphics::Text& t : g->texts)
    {
      texts.push_back(t.str);
    }
    return texts;
  }
  const IRECT& Cell(int panel, int cell) const { return popup->GetPanel(panel)->mCells[static_cast<size_t>(cell)]; }
  void Hover(const IRECT& r) { g->OnMouseOver(r.MW(), r.MH(), IMouseMod()); }
  void ClickAt(const IRECT& r) { Click(*g, r.MW(), r.MH()); }
  // Hovers a cell that opens a sub-menu and waits for the sub-menu panel to appear.
  void OpenSubmenu(int panel, int cell)
  {
    Hover(Cell(panel, cell));
    Advance(201);
  }

  ClockedPopup* popup = nullptr;
  MenuOwner* owner = nullptr;
};

int Tooltips(const PaintGraphics& g)
{
  return static_cast<int>(std::count(g.log.begin(), g.log.end(), "tooltips"));
}
}  // namespace

TEST(PopupMenuControlTest, OpensChoosesAndClosesOverItsStates)
{
  MenuEditor e;
  IPopupMenu menu("", {"one", "two", "three"});
  const int tooltips = Tooltips(*e.g);
  e.Open(menu);
  EXPECT_EQ(e.popup->GetState(), IPopupMenuControl::kExpanding);
  EXPECT_FALSE(e.popup->IsHidden());
  EXPECT_EQ(Tooltips(*e.g), tooltips + 1) << "tooltips go while the menu shows";
  // From its first frame the menu takes every pointer event.
  EXPECT_EQ(e.g->GetMouseControl(390, 290, false), e.popup);

  e.Advance(50);
  EXPECT_NEAR(e.popup->GetPanel(0)->mBlend.mWeight, 0.5f * 0.95f, 1e-3);
  e.Advance(51);
  EXPECT_EQ(e.popup->GetState(), IPopupMenuControl::kExpanded);
  EXPECT_FLOAT_EQ(e.popup->GetPanel(0)->mBlend.mWeight, 0.95f);

  e.ClickAt(e.Cell(0, 1));
  EXPECT_EQ(e.owner->answers, 1);
  EXPECT_EQ(e.owner->chosenMenu, &menu);
  EXPECT_EQ(e.owner->chosen, 1);
  EXPECT_EQ(e.g->GetControlInPopupMenu(), nullptr);

  const int states[] = {IPopupMenuControl::kFlickering, IPopupMenuControl::kCollapsing, IPopupMenuControl::kIdling,
                        IPopupMenuControl::kCollapsed};
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(e.popup->GetState(), states[i]) << "after " << i * 101 << " ms";
    EXPECT_EQ(e.popup->NPanels(), i < 3 ? 1 : 0);
    e.Advance(101);
  }
  EXPECT_TRUE(e.popup->IsHidden());
  EXPECT_EQ(Tooltips(*e.g), tooltips + 2) << "tooltips come back once the menu has closed";
  EXPECT_NE(e.g->GetMouseControl(390, 290, false), e.popup);
}

TEST(PopupMenuControlTest, AClickTakesTheMenuAsTheClockHasItNotAsTheLastFrameDrewIt)
{
  MenuEditor e;
  IPopupMenu menu("", {"one", "two", "three"});
  e.Open(menu, 50);
  e.ClickAt(e.Cell(0, 1));  // still fading in: the click is not a choice
  EXPECT_EQ(e.owner->answers, 0);
  EXPECT_EQ(e.popup->GetState(), IPopupMenuControl::kExpanding);

  e.popup->now += 51;  // the fade's time is over, but no frame has run since
  e.ClickAt(e.Cell(0, 1));
  EXPECT_EQ(e.owner->answers, 1);
  EXPECT_EQ(e.owner->chosen, 1);
}

TEST(PopupMenuControlTest, ClicksOnItemsThatCannotBeChosenCloseWithoutAChoice)
{
  IPopupMenu* sub = new IPopupMenu("", {"x"});
  IPopupMenu menu;
  menu.AddItem("plain");
  menu.AddSeparator();
  menu.AddItem("Title", IPopupMenu::kAppend, IPopupMenu::Item::kTitle);
  menu.AddItem("off", IPopupMenu::kAppend, IPopupMenu::Item::kDisabled);
  menu.AddItem("more", sub);
  struct Case
  {
    const char* what;
    int cell;  // -1: beside the panel
  };
  for (const Case& k : {Case{"separator", 1}, Case{"title", 2}, Case{"disabled item", 3}, Case{"sub-menu parent", 4},
                        Case{"outside", -1}})
  {
    MenuEditor e;
    e.Open(menu, 101);
    ASSERT_EQ(e.popup->GetPanel(0)->NCells(), 5);
    if (k.cell >= 0)
    {
      e.ClickAt(e.Cell(0, k.cell));
    }
    else
    {
      Click(*e.g, 390, 290);
    }
    EXPECT_EQ(e.owner->answers, 1) << k.what;
    EXPECT_EQ(e.owner->chosenMenu, nullptr) << k.what;
    EXPECT_EQ(menu.GetChosenItemIdx(), -1) << k.what;
    EXPECT_EQ(e.popup->GetState(), IPopupMenuControl::kFlickering) << k.what;
  }
}

TEST(PopupMenuControlTest, SubmenuOpensBesideItsCellAndItsChoiceReturnsTheSubmenu)
{
  MenuEditor e;
  IPopupMenu* sub = new IPopupMenu("", {"alpha", "beta"});
  IPopupMenu menu("", {"first"});
  menu.AddItem("second", sub);
  menu.AddItem("third");
  e.Open(menu, 101);

  e.Hover(e.Cell(0, 1));
  ASSERT_EQ(e.popup->NPanels(), 2);
  EXPECT_EQ(e.popup->GetState(), IPopupMenuControl::kSubMenuAppearing);
  EXPECT_EQ(e.g->GetMouseControl(390, 290, false), e.popup);
  e.Advance(150);
  EXPECT_EQ(e.popup->GetPanel(1)->mBlend.mWeight, 0.f) << "the panel appears at 90 %";
  e.Advance(51);
  EXPECT_EQ(e.popup->GetState(), IPopupMenuControl::kExpanded);
  const IRECT& parent = e.Cell(0, 1);
  const IPopupMenuControl::MenuPanel& subPanel = *e.popup->GetPanel(1);
  EXPECT_NEAR(subPanel.mTargetRECT.L, parent.R + 5, 1e-3) << "beside the cell, on the right";
  EXPECT_NEAR(subPanel.mTargetRECT.T, parent.T - 5, 1e-3);

  // Moving over a plain item of the root closes the sub-menu again; back on the parent it shows.
  e.Hover(e.Cell(0, 2));
  EXPECT_FALSE(e.popup->GetPanel(1)->mShouldDraw);
  e.OpenSubmenu(0, 1);
  EXPECT_TRUE(e.popup->GetPanel(1)->mShouldDraw);
  EXPECT_EQ(e.popup->NPanels(), 2) << "the sub-menu's panel is kept, not built again";

  e.Hover(e.Cell(1, 1));
  e.ClickAt(e.Cell(1, 1));
  EXPECT_EQ(e.owner->chosenMenu, sub);
  EXPECT_EQ(e.owner->chosen, 1);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

TEST(PopupMenuControlTest, LongListScrollsOneItemPerHoverAndItsArrowsChooseNothing)
{
  MenuEditor e(832, 446);
  IPopupMenu menu;
  for (int i = 0; i < 60; ++i)
  {
    menu.AddItem(("Item " + std::to_string(i)).c_str());
  }
  e.Open(menu, 101);
  IPopupMenuControl::MenuPanel& panel = *e.popup->GetPanel(0);
  ASSERT_TRUE(panel.mScroller);
  // From 15 (margin and padding) to 441, cells of 14 plus a gap of 2.
  ASSERT_EQ(panel.NCells(), 26);
  EXPECT_EQ(panel.mCells.front().T, 15.f);
  EXPECT_LE(panel.mCells.back().B, 441.f);

  const IRECT last = panel.mCells.back(), first = panel.mCells.front();
  for (int expected : {1, 2, 3})
  {
    e.Hover(last);
    EXPECT_EQ(panel.mScrollItemOffset, expected);
  }
  e.Hover(first);
  EXPECT_EQ(panel.mScrollItemOffset, 2);
  e.Hover(panel.mCells[5]);
  EXPECT_EQ(panel.mScrollItemOffset, 2) << "cells between the arrows do not scroll";
  for (int i = 0; i < 100; ++i)
  {
    e.Hover(last);
  }
  EXPECT_EQ(panel.mScrollItemOffset, 60 - 26) << "no further than the last item";
  EXPECT_FALSE(panel.ShowsDownArrow(25));
  EXPECT_TRUE(panel.ShowsUpArrow(0));

  const std::vector<std::string> texts = e.DrawnTexts();
  ASSERT_EQ(texts.size(), 25u) << "the top cell shows an arrow";
  EXPECT_EQ(texts.front(), "Item 35");
  EXPECT_EQ(texts.back(), "Item 59");
  e.ClickAt(first);
  EXPECT_EQ(e.owner->chosenMenu, nullptr) << "an arrow cell stands for no item";
}

TEST(PopupMenuControlTest, EditorTooSmallForThreeCellsStillScrollsWithThree)
{
  MenuEditor e(300, 30, IRECT(10, 5, 50, 15));
  IPopupMenu menu("", {"a", "b", "c", "d", "e"});
  e.Open(menu, 101);
  IPopupMenuControl::MenuPanel& panel = *e.popup->GetPanel(0);
  ASSERT_TRUE(panel.mScroller);
  EXPECT_EQ(panel.NCells(), 3);
  e.Hover(panel.mCells.back());
  EXPECT_EQ(panel.mScrollItemOffset, 1);
  EXPECT_EQ(e.DrawnTexts(), std::vector<std::string>{"c"}) << "arrows above and below";
  e.ClickAt(panel.mCells[1]);
  EXPECT_EQ(e.owner->chosen, 2);
}

TEST(PopupMenuControlTest, PlacementFollowsTheAnchorsHalfOfTheEditor)
{
  // 832 x 446; the five-item menu's cells are 28 + 8 x 5 = 68 wide and its content 78 high.
  struct Case
  {
    const char* what;
    IRECT anchor;
    bool submenus;
    int dir;
    IRECT panel;  // the root panel: content plus padding 5
    bool opensRight;
  };
  const Case cases[] = {
    {"left half, fits below", IRECT(20, 20, 80, 40), false, IPopupMenuControl::kBelow, IRECT(16, 40, 94, 128), true},
    {"right half with sub-menus: centred below", IRECT(700, 100, 760, 120), true, IPopupMenuControl::kBelow,
     IRECT(696, 120, 774, 208), false},
    {"right half with sub-menus near the bottom: centred above", IRECT(700, 400, 760, 420), true,
     IPopupMenuControl::kAbove, IRECT(696, 312, 774, 400), false},
    {"right half, room neither above nor below: on the left side", IRECT(700, 96, 760, 740), false,
     IPopupMenuControl::kLeft, IRECT(622, 348, 700, 436), true},
  };
  for (const Case& k : cases)
  {
    MenuEditor e(832, 446, k.anchor);
    IPopupMenu menu("", {"aaaaa", "b", "c", "d", "e"});
    if (k.submenus)
    {
      menu.GetItem(4)->SetSubmenu(new IPopupMenu("", {"x"}));
    }
    e.Open(menu, 101);
    EXPECT_EQ(e.popup->GetCalloutDirection(), k.dir) << k.what;
    ExpectRect(e.popup->GetPanel(0)->mTargetRECT, k.panel, k.what);
    if (k.submenus)
    {
      EXPECT_FALSE(e.popup->SubmenusOpenToTheRight()) << k.what;
      e.OpenSubmenu(0, 4);
      EXPECT_LE(e.popup->GetPanel(1)->mTargetRECT.R, e.popup->GetPanel(0)->mTargetRECT.L)
        << k.what << ": the sub-menu opens to the left";
    }
  }
}

TEST(PopupMenuControlTest, EmptyMenuOpensAnEmptyPanelAtItsAnchor)
{
  // No items: the content is the bare cell, 28 wide and 0 high, placed like any menu.
  struct Case
  {
    IRECT anchor;
    IRECT panel;
  };
  const Case cases[] = {
    {IRECT(20, 20, 80, 40), IRECT(36, 40, 74, 50)},
    {IRECT(300, 200, 360, 220), IRECT(316, 220, 354, 230)},
    {IRECT(320, 260, 380, 280), IRECT(336, 280, 374, 290)},
  };
  for (const Case& k : cases)
  {
    MenuEditor e(400, 300, k.anchor);
    IPopupMenu menu;
    e.Open(menu, 101);
    ASSERT_EQ(e.popup->NPanels(), 1);
    EXPECT_EQ(e.popup->GetPanel(0)->NCells(), 0);
    ExpectRect(e.popup->GetPanel(0)->mTargetRECT, k.panel, "panel");
    ExpectRect(e.popup->GetRECT(), k.panel.GetPadded(10.f), "drawn with its shadow");
    e.ClickAt(k.panel);
    EXPECT_EQ(e.owner->answers, 1);
    EXPECT_EQ(e.owner->chosenMenu, nullptr) << "a click on it chooses nothing";
  }
}

TEST(PopupMenuControlTest, OpeningWhileAMenuIsOpenOrClosingIsIgnored)
{
  MenuEditor e;
  auto* other = e.Add(new MenuOwner(IRECT(200, 200, 250, 220)));
  IPopupMenu first("", {"a", "b"}), second("", {"c"});
  e.Open(first, 101);
  e.Open(second, other);
  EXPECT_EQ(e.popup->GetMenu(), &first);
  EXPECT_EQ(e.g->GetControlInPopupMenu(), e.owner) << "the first asker still gets the answer";
  e.ClickAt(e.Cell(0, 0));
  EXPECT_EQ(e.owner->chosen, 0);

  e.Open(second, other);  // while it closes
  EXPECT_EQ(e.popup->GetMenu(), &first);
  e.Advance(101);
  e.Advance(101);
  e.Advance(101);
  e.Open(second, other);
  EXPECT_EQ(e.popup->GetMenu(), &second);
  EXPECT_EQ(other->answers, 0);
}

TEST(PopupMenuControlTest, LosingFocusClosesTheMenuWithoutAChoice)
{
  MenuEditor e;
  IPopupMenu menu("", {"a", "b"});
  e.Open(menu, 101);
  e.Hover(e.Cell(0, 1));
  e.g->OnFocusLost();
  EXPECT_EQ(e.owner->answers, 1);
  EXPECT_EQ(e.owner->chosenMenu, nullptr);
  EXPECT_FALSE(e.popup->TakesPointer());
}

TEST(PopupMenuControlTest, LeavingASubmenuParentClosesEveryLevelOpenedFromIt)
{
  MenuEditor e;
  IPopupMenu* deepest = new IPopupMenu("", {"x"});
  IPopupMenu* middle = new IPopupMenu("", {"m"});
  middle->AddItem("deeper", deepest);
  IPopupMenu menu("", {"plain"});
  menu.AddItem("more", middle);
  e.Open(menu, 101);
  e.OpenSubmenu(0, 1);
  e.Hover(e.Cell(1, 1));
  e.Advance(201);
  ASSERT_EQ(e.popup->NPanels(), 3);
  EXPECT_TRUE(e.popup->GetPanel(2)->mShouldDraw);

  e.Hover(e.Cell(0, 0));
  EXPECT_TRUE(e.popup->GetPanel(0)->mShouldDraw);
  EXPECT_FALSE(e.popup->GetPanel(1)->mShouldDraw);
  EXPECT_FALSE(e.popup->GetPanel(2)->mShouldDraw) << "no panel is left floating";
  e.ClickAt(e.Cell(0, 0));
  EXPECT_EQ(e.owner->chosenMenu, &menu);
  EXPECT_EQ(e.owner->chosen, 0);
}
