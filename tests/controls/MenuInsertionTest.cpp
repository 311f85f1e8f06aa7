#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/IPopupMenu.h"

using namespace iplug::igraphics;

namespace {
std::vector<std::string> Texts(const IPopupMenu& menu)
{
  std::vector<std::string> texts;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    texts.push_back(menu.GetItemText(i));
  }
  return texts;
}
}  // namespace

TEST(IPopupMenuInsertionTest, SortedInsertionIgnoresCase)
{
  IPopupMenu menu;
  for (const char* text : {"beta", "Alpha", "gamma", "", "ALPHA"})
  {
    menu.AddItem(text, IPopupMenu::kSorted);
  }
  // An equal text goes before the equal item the search meets.
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"", "ALPHA", "Alpha", "beta", "gamma"}));
}

TEST(IPopupMenuInsertionTest, IndexedInsertionClampsToTheList)
{
  struct Case
  {
    int index;
    std::vector<std::string> expected;
  };
  for (const Case& k : {Case{IPopupMenu::kAppend, {"a", "b", "x"}}, Case{1, {"a", "x", "b"}}, Case{-7, {"x", "a", "b"}},
                        Case{9, {"a", "b", "x"}}})
  {
    IPopupMenu menu("", {"a", "b"});
    menu.AddItem("x", k.index);
    EXPECT_EQ(Texts(menu), k.expected) << k.index;
  }
}

TEST(IPopupMenuInsertionTest, NullItemIsIgnoredAndLaterInsertionsStillWork)
{
  for (int index : {IPopupMenu::kAppend, IPopupMenu::kSorted, 0, 1})
  {
    IPopupMenu menu("", {"b", "d"});
    EXPECT_EQ(menu.AddItem(static_cast<IPopupMenu::Item*>(nullptr), index), nullptr) << index;
    menu.AddItem("c", IPopupMenu::kSorted);
    menu.AddItem("a", IPopupMenu::kSorted);
    EXPECT_EQ(Texts(menu), (std::vector<std::string>{"a", "b", "c", "d"})) << index;
  }
}

TEST(IPopupMenuInsertionTest, SubMenuInheritsTheChosenItemFunction)
{
  int calls = 0;
  IPopupMenu menu("", {}, [&](IPopupMenu*) { ++calls; });
  auto* sub = new IPopupMenu();
  IPopupMenu::Item* item = menu.AddItem("sub", 0, sub);
  EXPECT_EQ(item->GetSubmenu(), sub);
  EXPECT_EQ(item->GetTag(), -1);
  EXPECT_EQ(item->GetFlags(), 0);
  sub->ExecFunction();
  EXPECT_EQ(calls, 1);
}
