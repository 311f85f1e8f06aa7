#include <gtest/gtest.h>

#include <memory>

#include "graphics/IPopupMenu.h"

using iplug::igraphics::IPopupMenu;

TEST(IPopupMenuTest, BuiltFromTextsHasPlainItemsAndNoChoice)
{
  IPopupMenu menu("Title", 0, false, {"One", "Two", "Three"});
  ASSERT_EQ(menu.NItems(), 3);
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(menu.GetItem(i)->GetFlags(), 0);
    EXPECT_EQ(menu.GetItem(i)->GetTag(), -1);
    EXPECT_EQ(menu.GetItem(i)->GetSubmenu(), nullptr);
  }
  EXPECT_STREQ(menu.GetItemText(2), "Three");
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_EQ(menu.GetChosenItem(), nullptr);
  EXPECT_EQ(menu.GetItem(3), nullptr);
  EXPECT_STREQ(menu.GetRootTitle(), "Title");
}

TEST(IPopupMenuTest, CompletionFormRunsItsFunctionWithTheMenu)
{
  IPopupMenu* seen = nullptr;
  IPopupMenu menu("Menu", {"a", "b"}, [&](IPopupMenu* m) { seen = m; });
  menu.SetChosenItemIdx(1);
  menu.ExecFunction();
  EXPECT_EQ(seen, &menu);
  EXPECT_STREQ(menu.GetChosenItem()->GetText(), "b");
}

TEST(IPopupMenuTest, ThreeLevelTreeIsFreedWithTheRoot)
{
  // Leaks or double frees show up under the address sanitizer.
  auto* leaf = new IPopupMenu("leaf", 0, false, {"x", "y"});
  auto* middle = new IPopupMenu("middle");
  middle->AddItem("to leaf", leaf);
  auto root = std::make_unique<IPopupMenu>("root");
  root->AddItem("to middle", middle);
  root->AddSeparator();
  ASSERT_EQ(root->GetItem(0)->GetSubmenu(), middle);
  EXPECT_TRUE(root->GetItem(1)->GetIsSeparator());
  EXPECT_EQ(middle->GetItem(0)->GetSubmenu(), leaf);
  root->ClearItems();
  EXPECT_EQ(root->NItems(), 0);
  root->AddItem("again", new IPopupMenu("sub", 0, false, {"z"}));
}

TEST(IPopupMenuTest, FlagsSetAndClear)
{
  IPopupMenu menu("m", 0, true, {"a"});
  auto* item = menu.GetItem(0);
  item->SetChecked(true);
  item->SetEnabled(false);
  EXPECT_EQ(item->GetFlags(), IPopupMenu::Item::kChecked | IPopupMenu::Item::kDisabled);
  menu.CheckItem(0, false);
  EXPECT_FALSE(item->GetChecked());
  EXPECT_FALSE(item->GetEnabled());
}
