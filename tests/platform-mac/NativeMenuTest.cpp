#include "graphics/IPopupMenuControl.h"
#include "platform/AppKit/NSMenu.h"
#include "tests/platform-mac/EditorFixture.h"
#include "tests/platform-mac/ScriptedPerson.h"

namespace vtest {
namespace {

// Writes down the index chosen in the menu it opened: -2 for none, -3 before any answer.
struct Chooser : LogControl
{
  using LogControl::LogControl;
  void PopupMenuChosen(IPopupMenu* menu, int) override { chosen = menu ? menu->GetChosenItemIdx() : -2; }
  int chosen = -3;
};

class NativeMenuTest : public EditorTest
{
protected:
  // Item texts A, B (disabled), a separator, C (checked), D (a title), and Sub with x and y.
  static std::unique_ptr<IPopupMenu> Menu(int* calls)
  {
    auto menu = std::make_unique<IPopupMenu>("", std::initializer_list<const char*>{"A"},
                                             [calls](IPopupMenu*) { ++*calls; });
    menu->AddItem("B", IPopupMenu::kAppend, IPopupMenu::Item::kDisabled);
    menu->AddSeparator();
    menu->AddItem("C", IPopupMenu::kAppend, IPopupMenu::Item::kChecked);
    menu->AddItem("D", IPopupMenu::kAppend, IPopupMenu::Item::kTitle);
    menu->AddItem("Sub", new IPopupMenu("", {"x", "y"}));
    return menu;
  }

  IPopupMenu* Choose(IPopupMenu& menu, std::vector<std::string> path)
  {
    person.menuChoice = std::move(path);
    bool isAsync = true;
    IPopupMenu* chosen = delegate.Graphics()->OpenNativeMenu(menu, IRECT(10.3f, 20.6f, 50.2f, 40.1f), isAsync);
    EXPECT_FALSE(isAsync);
    return chosen;
  }

  ScriptedPerson person;
};

TEST_F(NativeMenuTest, TheNativeMenuShowsEachItemAsItsFlagsSayBelowTheControl)
{
  delegate.drawScale = 1.5f;
  Open();
  int calls = 0;
  auto menu = Menu(&calls);
  std::string shown;
  NSPoint at{};
  person.onMenu = [&](NSMenu& nsMenu) {
    at = nsMenu.popUpLocation();
    for (NSInteger i = 0; i < nsMenu.numberOfItems(); ++i)
    {
      const NSMenuItem& item = *nsMenu.itemAtIndex(i);
      shown += item.isSeparatorItem() ? "-" : item.title();
      shown += item.isEnabled() ? "" : " disabled";
      shown += item.state() == NSControlStateValueOn ? " checked" : "";
      shown += item.indentationLevel() ? " indented" : "";
      shown += item.hasSubmenu() ? " >" + item.submenu()->itemAtIndex(1)->title() : "";
      shown += "|";
    }
  };
  Choose(*menu, {});
  EXPECT_EQ(shown, "A|B disabled|-|C checked|D indented|Sub >y|");
  // Scaled to (15, 30, 61, 31) in view points; the menu opens 4 points below.
  EXPECT_EQ(at.x, 15);
  EXPECT_EQ(at.y, 65);
}

TEST_F(NativeMenuTest, ADismissedMenuAnswersNullAndRunsNoFunction)
{
  Open();
  int calls = 0;
  auto menu = Menu(&calls);
  EXPECT_EQ(Choose(*menu, {}), nullptr);
  EXPECT_EQ(Choose(*menu, {"B"}), nullptr);    // disabled: it cannot be chosen
  EXPECT_EQ(Choose(*menu, {"Sub"}), nullptr);  // it opens a sub-menu
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(menu->GetChosenItemIdx(), -1);

  EXPECT_EQ(Choose(*menu, {"C"}), menu.get());
  EXPECT_EQ(menu->GetChosenItemIdx(), 3);  // the separator counts
  EXPECT_EQ(calls, 1);
}

TEST_F(NativeMenuTest, ASubMenuChoiceAnswersTheSubMenuWithTheIndexWithinIt)
{
  Open();
  int calls = 0;
  auto menu = Menu(&calls);
  IPopupMenu* sub = menu->GetItem(5)->GetSubmenu();
  EXPECT_EQ(Choose(*menu, {"Sub", "y"}), sub);
  EXPECT_EQ(sub->GetChosenItemIdx(), 1);
  EXPECT_EQ(menu->GetChosenItemIdx(), -1);
  EXPECT_EQ(calls, 1);  // the sub-menu's copy of the function
}

TEST_F(NativeMenuTest, ItemsAreNumberedAsTheMenuAsks)
{
  Open();
  IPopupMenu menu("", {"One", "Two", "Three"});
  struct Case
  {
    int numbering;
    const char* third;
  };
  for (const Case& c :
       {Case{0, "Three"}, Case{1, "3: Three"}, Case{2, "03: Three"}, Case{3, "003: Three"}, Case{4, "Three"}})
  {
    menu.SetPrefix(c.numbering);
    EXPECT_EQ(Choose(menu, {c.third}), &menu) << c.numbering;
    EXPECT_EQ(menu.GetChosenItemIdx(), 2);
    menu.SetChosenItemIdx(-1);
  }
}

TEST_F(NativeMenuTest, AControlWithoutTheInWindowMenuGetsTheNativeChoice)
{
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  auto* control = new Chooser(IRECT(400, 100, 500, 200), delegate.log);
  g.AddControl(control);
  IPopupMenu menu("", {"a", "b"});
  person.menuChoice = {"b"};
  g.OpenMenu(control, menu, control->GetRECT(), -1);
  EXPECT_EQ(control->chosen, 1);
  person.menuChoice = {};
  g.OpenMenu(control, menu, control->GetRECT(), -1);
  EXPECT_EQ(control->chosen, -2);

  delegate.CloseWindow();
  IGraphicsMac closed(delegate, 100, 100, 60, 1.f);
  bool isAsync = true;
  EXPECT_EQ(closed.OpenNativeMenu(menu, IRECT(0, 0, 10, 10), isAsync), nullptr);
  EXPECT_FALSE(isAsync);
}

TEST_F(NativeMenuTest, AScriptChoosingByNameGetsTheNativeMenuEvenWithTheInWindowOne)
{
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  g.AddPopupMenuControl(IText());
  auto* control = new Chooser(IRECT(400, 100, 500, 200), delegate.log);
  g.AddControl(control);
  IPopupMenu menu("", {"a", "b"});
  person.menuChoice = {"b"};
  person.byName = true;
  g.OpenMenu(control, menu, control->GetRECT(), -1);
  EXPECT_EQ(control->chosen, 1);
  EXPECT_EQ(g.GetPopupMenuControl()->GetState(), IPopupMenuControl::kCollapsed);

  control->chosen = -3;
  person.byName = false;  // a person with the pointer: the menu is drawn in the window
  g.OpenMenu(control, menu, control->GetRECT(), -1);
  EXPECT_EQ(control->chosen, -3);
  EXPECT_NE(g.GetPopupMenuControl()->GetState(), IPopupMenuControl::kCollapsed);
}

}  // namespace
}  // namespace vtest
