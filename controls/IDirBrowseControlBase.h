#pragma once

// The base of controls that offer the files found in one or more folders as a popup menu: it
// scans the folders for files with one extension, builds a menu tree that mirrors the folders
// with the entries sorted case-insensitively, and keeps the full path of every file found. An
// item's tag is the index of its file's path, so a choice in the sorted menu finds its file.

#include <vector>

#include "framework/WDLString.h"
#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"

namespace iplug::igraphics {

class IDirBrowseControlBase : public IControl
{
public:
  IDirBrowseControlBase(const IRECT& bounds, const char* extension, bool showFileExtensions = true,
                        bool showEmptySubmenus = false);

  void AddFolder(const char* path, const char* label);
  int FolderCount() const { return static_cast<int>(mPaths.size()); }

  // Scans every folder again: one folder fills the menu directly, several give one sub-menu
  // each under its label.
  void RebuildMenu();
  // Scans one folder into menu, and its sub-folders into sorted sub-menus. Hidden names are
  // skipped, and linked folders are not entered, so that a link back up cannot loop.
  void ScanFolder(const char* path, IPopupMenu& menu);
  // Appends every item of the menu tree without a sub-menu, depth first, in menu order.
  void CollectLeafItems(const IPopupMenu& menu);
  // Removes and deletes the items whose sub-menu holds nothing.
  static void RemoveEmptySubmenus(IPopupMenu& menu);

  IPopupMenu& GetMenu() { return mMainMenu; }
  // The full path of the file behind a menu item's tag; null for a tag that names no file.
  const char* GetFilePath(int tag) const;
  int NFiles() const { return static_cast<int>(mFiles.size()); }
  const std::vector<IPopupMenu::Item*>& GetItems() const { return mItems; }

protected:
  // Whether a file name ends in the extension after at least one character of its own.
  bool MatchesExtension(const char* name) const;

  bool mShowEmptySubmenus;
  bool mShowFileExtensions;
  int mSelectedIndex = -1;
  IPopupMenu mMainMenu;
  std::vector<WDL_String> mPaths;
  std::vector<WDL_String> mPathLabels;
  std::vector<WDL_String> mFiles;         // in the order found
  std::vector<IPopupMenu::Item*> mItems;  // the menu's leaves, held by the menu
  WDL_String mExtension;
};

}  // namespace iplug::igraphics
