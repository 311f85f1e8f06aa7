#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "controls/IDirBrowseControlBase.h"

using namespace iplug::igraphics;
namespace fs = std::filesystem;

namespace {
struct Browser : IDirBrowseControlBase
{
  using IDirBrowseControlBase::IDirBrowseControlBase;
  void Draw(IGraphics&) override {}
};

// A folder tree of presets with the traps a real one has: hidden names, a backup file, a file
// named only by the extension, an empty folder and a link that leads back up.
class DirBrowseTest : public testing::Test
{
protected:
  void SetUp() override
  {
    char pattern[] = "/tmp/dirbrowse-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    for (const char* file : {"beta.zvp", "Alpha.zvp", ".hidden.zvp", "old.zvp.bak", ".zvp", "notes.txt",
                             "sub/gamma.zvp", "sub/deeper/delta.zvp", ".cache/epsilon.zvp", "other/zeta.zvp"})
    {
      const fs::path path = root / file;
      fs::create_directories(path.parent_path());
      std::ofstream(path) << "x";
    }
    fs::create_directories(root / "empty" / "inner");
    fs::create_directory_symlink(root, root / "sub" / "loop");
  }
  void TearDown() override { fs::remove_all(root); }

  static std::vector<std::string> Texts(const IPopupMenu& menu)
  {
    std::vector<std::string> texts;
    for (int i = 0; i < menu.NItems(); ++i)
    {
      texts.push_back(menu.GetItemText(i));
    }
    return texts;
  }

  fs::path root;
};
}  // namespace

TEST_F(DirBrowseTest, OneFolderFillsTheMenuSortedWithoutHiddenLinkedOrEmptyEntries)
{
  Browser browser(IRECT(), ".zvp", false);
  browser.AddFolder(root.c_str(), "Presets");
  browser.RebuildMenu();
  IPopupMenu& menu = browser.GetMenu();
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"Alpha", "beta", "other", "sub"}));
  IPopupMenu* sub = menu.GetItem(3)->GetSubmenu();
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(Texts(*sub), (std::vector<std::string>{"deeper", "gamma"})) << "the link is not entered";

  // Every leaf's tag finds its own file, whatever order the folder gave them in.
  ASSERT_EQ(browser.GetItems().size(), 5u);
  EXPECT_EQ(browser.NFiles(), 5);
  for (const IPopupMenu::Item* item : browser.GetItems())
  {
    const std::string path = browser.GetFilePath(item->GetTag());
    EXPECT_EQ(fs::path(path).stem(), item->GetText());
    EXPECT_TRUE(fs::exists(path)) << path;
  }
  EXPECT_EQ(browser.GetFilePath(5), nullptr);
}

TEST_F(DirBrowseTest, ExtensionsAndEmptyFoldersShownWhenAsked)
{
  Browser browser(IRECT(), ".zvp", true, true);
  browser.AddFolder((root / "sub").c_str(), "Sub");
  browser.AddFolder((root / "empty").c_str(), "Empty");
  browser.RebuildMenu();
  IPopupMenu& menu = browser.GetMenu();
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"Sub", "Empty"}));
  EXPECT_EQ(menu.GetItem(1)->GetTag(), 1);
  EXPECT_EQ(Texts(*menu.GetItem(0)->GetSubmenu()), (std::vector<std::string>{"deeper", "gamma.zvp"}));
  EXPECT_EQ(Texts(*menu.GetItem(1)->GetSubmenu()), std::vector<std::string>{"inner"});

  browser.RebuildMenu();
  EXPECT_EQ(browser.NFiles(), 2) << "a rebuild starts the file list afresh";
}
