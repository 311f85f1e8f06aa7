#pragma once

// The platform-independent model of a popup or context menu: a title, items that may open
// sub-menus, item flags, the chosen index and a function run with the menu after a choice.
// A menu owns its items and each item owns its sub-menu, so deleting a menu frees the tree.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace iplug::igraphics {

class IPopupMenu
{
public:
  class Item
  {
  public:
    enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

    explicit Item(const char* text, int flags = kNoFlags, int tag = -1);
    Item(const char* text, IPopupMenu* subMenu);  // takes ownership of the sub-menu

    const char* GetText() const { return mText.c_str(); }
    void SetText(const char* text) { mText = text ? text : ""; }
    IPopupMenu* GetSubmenu() const { return mSubmenu.get(); }
    void SetSubmenu(IPopupMenu* subMenu) { mSubmenu.reset(subMenu); }
    int GetFlags() const { return mFlags; }
    void SetFlags(int flags) { mFlags = flags; }
    bool GetEnabled() const { return !(mFlags & kDisabled); }
    bool GetChecked() const { return mFlags & kChecked; }
    bool GetIsTitle() const { return mFlags & kTitle; }
    bool GetIsSeparator() const { return mFlags & kSeparator; }
    void SetEnabled(bool on) { SetFlag(kDisabled, !on); }
    void SetChecked(bool on) { SetFlag(kChecked, on); }
    void SetTitle(bool on) { SetFlag(kTitle, on); }
    int GetTag() const { return mTag; }
    void SetTag(int tag) { mTag = tag; }

  private:
    void SetFlag(int flag, bool on) { mFlags = on ? (mFlags | flag) : (mFlags & ~flag); }

    std::string mText;
    std::unique_ptr<IPopupMenu> mSubmenu;
    int mFlags = kNoFlags;
    int mTag = -1;
  };

  using PopupFunc = std::function<void(IPopupMenu*)>;

  explicit IPopupMenu(const char* rootTitle = "", int prefix = 0, bool canMultiCheck = false,
                      std::initializer_list<const char*> items = {});
  IPopupMenu(const char* rootTitle, std::initializer_list<const char*> items, PopupFunc func = nullptr);

  ~IPopupMenu();

  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Where AddItem puts an item: kAppend at the end, kSorted in case-insensitive order of the
  // item texts (before the equal text the search meets); any other index before that position,
  // a negative one counting as 0 and one past the end appending.
  static constexpr int kAppend = -1;
  static constexpr int kSorted = -2;

  // The menu takes ownership of the item; answers it. A null item is ignored (answers null).
  Item* AddItem(Item* item, int index = kAppend);
  Item* AddItem(const char* text, int index = kAppend, int itemFlags = Item::kNoFlags);
  // The sub-menu (owned by the new item) takes a copy of this menu's function.
  Item* AddItem(const char* text, IPopupMenu* subMenu, int index = kAppend);
  Item* AddItem(const char* text, int index, IPopupMenu* subMenu) { return AddItem(text, subMenu, index); }
  Item* AddSeparator(int index = kAppend);

  // Removes and deletes one item with its sub-menu; nothing for an index outside the list.
  void RemoveItem(int index);
  // Removes every item, last first; deletes them (with their sub-menus) when asked, else the
  // caller must already hold them elsewhere.
  void ClearItems(bool deleteItems = true);

  int NItems() const { return static_cast<int>(mItems.size()); }
  Item* GetItem(int index) const;
  const char* GetItemText(int index) const;
  void SetItemFlags(int index, int flags);
  void CheckItem(int index, bool checked);

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }
  Item* GetChosenItem() const { return GetItem(mChosenItemIdx); }

  int GetPrefix() const { return mPrefix; }
  void SetPrefix(int prefix) { mPrefix = prefix; }
  bool GetCanMultiCheck() const { return mCanMultiCheck; }
  void SetMultiCheck(bool on) { mCanMultiCheck = on; }

  const char* GetRootTitle() const { return mRootTitle.c_str(); }
  void SetRootTitle(const char* title) { mRootTitle = title ? title : ""; }

  void SetFunction(PopupFunc func) { mPopupFunc = std::move(func); }
  PopupFunc GetFunction() const { return mPopupFunc; }
  void ExecFunction()
  {
    if (mPopupFunc)
    {
      mPopupFunc(this);
    }
  }

private:
  // Where a text goes among the items by case-insensitive binary search.
  size_t SortedPosition(const char* text) const;

  int mPrefix = 0;
  int mChosenItemIdx = -1;
  bool mCanMultiCheck = false;
  std::vector<Item*> mItems;  // owned; released by ClearItems(true)
  PopupFunc mPopupFunc;
  std::string mRootTitle;
};

}  // namespace iplug::igraphics
