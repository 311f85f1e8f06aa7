#include "controls/IDirBrowseControlBase.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <string>

namespace iplug::igraphics {

namespace {
struct DirCloser
{
  void operator()(DIR* dir) const { closedir(dir); }
};

enum class EntryKind { Folder, File, Other };

// What an entry is, without following a link to a folder: a link that loops back up would
// otherwise be scanned without end. A link to a file still counts as the file.
EntryKind KindOf(const std::string& path, unsigned char type)
{
  struct stat st;
  if (type == DT_UNKNOWN)
  {
    if (lstat(path.c_str(), &st) != 0)
    {
      return EntryKind::Other;
    }
    type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_UNKNOWN;
  }
  switch (type)
  {
    case DT_DIR: return EntryKind::Folder;
    case DT_REG: return EntryKind::File;
    case DT_LNK: return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
    default: return EntryKind::Other;
  }
}
}  // namespace

IDirBrowseControlBase::IDirBrowseControlBase(const IRECT& bounds, const char* extension, bool showFileExtensions,
                                             bool showEmptySubmenus)
: IControl(bounds),
  mShowEmptySubmenus(showEmptySubmenus),
  mShowFileExtensions(showFileExtensions),
  mExtension(extension ? extension : "")
{
}

void IDirBrowseControlBase::AddFolder(const char* path, const char* label)
{
  mPaths.emplace_back(path ? path : "");
  mPathLabels.emplace_back(label ? label : "");
}

const char* IDirBrowseControlBase::GetFilePath(int tag) const
{
  return tag >= 0 && tag < NFiles() ? mFiles[static_cast<size_t>(tag)].Get() : nullptr;
}

void IDirBrowseControlBase::RebuildMenu()
{
  mFiles.clear();
  mItems.clear();
  mMainMenu.ClearItems();
  mMainMenu.SetChosenItemIdx(-1);
  mSelectedIndex = -1;

  if (mPaths.size() == 1)
  {
    ScanFolder(mPaths[0].Get(), mMainMenu);
  }
  else
  {
    for (size_t i = 0; i < mPaths.size(); ++i)
    {
      auto* subMenu = new IPopupMenu();
      mMainMenu.AddItem(mPathLabels[i].Get(), subMenu)->SetTag(static_cast<int>(i));
      ScanFolder(mPaths[i].Get(), *subMenu);
    }
  }
  CollectLeafItems(mMainMenu);
}

bool IDirBrowseControlBase::MatchesExtension(const char* name) const
{
  const size_t n = std::strlen(name), e = static_cast<size_t>(mExtension.GetLength());
  return e > 0 && n > e && std::strcmp(name + n - e, mExtension.Get()) == 0;
}

void IDirBrowseControlBase::ScanFolder(const char* path, IPopupMenu& menu)
{
  if (std::unique_ptr<DIR, DirCloser> dir{opendir(path)})
  {
    while (const dirent* entry = readdir(dir.get()))
    {
      const char* name = entry->d_name;
      if (name[0] == '.')
      {
        continue;
      }
      const std::string fullPath = std::string(path) + "/" + name;
      switch (KindOf(fullPath, entry->d_type))
      {
        case EntryKind::Folder:
        {
          auto* subMenu = new IPopupMenu();
          menu.AddItem(name, subMenu, IPopupMenu::kSorted);
          ScanFolder(fullPath.c_str(), *subMenu);
          break;
        }
        case EntryKind::File:
        {
          if (!MatchesExtension(name))
          {
            break;
          }
          const std::string label(name,
                                  mShowFileExtensions ? std::strlen(name) : std::strlen(name) - mExtension.GetLength());
          menu.AddItem(new IPopupMenu::Item(label.c_str(), IPopupMenu::Item::kNoFlags, NFiles()), IPopupMenu::kSorted);
          mFiles.emplace_back(fullPath.c_str());
          break;
        }
        case EntryKind::Other: break;
      }
    }
  }
  if (!mShowEmptySubmenus)
  {
    RemoveEmptySubmenus(menu);
  }
}

void IDirBrowseControlBase::CollectLeafItems(const IPopupMenu& menu)
{
  for (int i = 0; i < menu.NItems(); ++i)
  {
    IPopupMenu::Item* item = menu.GetItem(i);
    if (const IPopupMenu* subMenu = item->GetSubmenu())
    {
      CollectLeafItems(*subMenu);
    }
    else
    {
      mItems.push_back(item);
    }
  }
}

void IDirBrowseControlBase::RemoveEmptySubmenus(IPopupMenu& menu)
{
  for (int i = menu.NItems() - 1; i >= 0; --i)
  {
    const IPopupMenu* subMenu = menu.GetItem(i)->GetSubmenu();
    if (subMenu && subMenu->NItems() == 0)
    {
      menu.RemoveItem(i);
    }
  }
}

}  // namespace iplug::igraphics
