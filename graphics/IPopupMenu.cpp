#include "graphics/IPopupMenu.h"

#include <strings.h>

#include <algorithm>

namespace iplug::igraphics {

IPopupMenu::Item::Item(const char* text, int flags, int tag) : mText(text ? text : ""), mFlags(flags), mTag(tag) {}

IPopupMenu::Item::Item(const char* text, IPopupMenu* subMenu) : mText(text ? text : ""), mSubmenu(subMenu) {}

IPopupMenu::IPopupMenu(const char* rootTitle, int prefix, bool canMultiCheck, std::initializer_list<const char*> items)
: mPrefix(prefix), mCanMultiCheck(canMultiCheck), mRootTitle(rootTitle ? rootTitle : "")
{
  for (const char* text : items)
  {
    AddItem(text);
  }
}

IPopupMenu::IPopupMenu(const char* rootTitle, std::initializer_list<const char*> items, PopupFunc func)
: IPopupMenu(rootTitle, 0, false, items)
{
  mPopupFunc = std::move(func);
}

IPopupMenu::~IPopupMenu()
{
  ClearItems(true);
}

IPopupMenu::Item* IPopupMenu::AddItem(Item* item, int index)
{
  if (!item)
  {
    return nullptr;  // a listed null would break every later walk over the items
  }
  // Ownership passes even when listing fails, so the item never leaks.
  std::unique_ptr<Item> owned(item);
  size_t pos = mItems.size();
  if (index == kSorted)
  {
    pos = SortedPosition(item->GetText());
  }
  else if (index != kAppend)
  {
    pos = std::min(static_cast<size_t>(std::max(index, 0)), mItems.size());
  }
  mItems.insert(mItems.begin() + static_cast<ptrdiff_t>(pos), item);
  return owned.release();
}

size_t IPopupMenu::SortedPosition(const char* text) const
{
  size_t lo = 0, hi = mItems.size();
  while (lo < hi)
  {
    const size_t mid = (lo + hi) / 2;
    const int order = strcasecmp(text, mItems[mid]->GetText());
    if (order > 0)
    {
      lo = mid + 1;
    }
    else if (order < 0)
    {
      hi = mid;
    }
    else
    {
      return mid;
    }
  }
  return lo;
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, int index, int itemFlags)
{
  return AddItem(new Item(text, itemFlags), index);
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, IPopupMenu* subMenu, int index)
{
  if (subMenu)
  {
    subMenu->SetFunction(mPopupFunc);
  }
  return AddItem(new Item(text, subMenu), index);
}

IPopupMenu::Item* IPopupMenu::AddSeparator(int index)
{
  return AddItem(new Item("", Item::kSeparator), index);
}

void IPopupMenu::RemoveItem(int index)
{
  if (Item* item = GetItem(index))
  {
    mItems.erase(mItems.begin() + index);
    delete item;
  }
}

void IPopupMenu::ClearItems(bool deleteItems)
{
  while (!mItems.empty())
  {
    if (deleteItems)
    {
      delete mItems.back();
    }
    mItems.pop_back();
  }
  mItems.shrink_to_fit();
}

IPopupMenu::Item* IPopupMenu::GetItem(int index) const
{
  return index >= 0 && index < NItems() ? mItems[static_cast<size_t>(index)] : nullptr;
}

const char* IPopupMenu::GetItemText(int index) const
{
  const Item* item = GetItem(index);
  return item ? item->GetText() : "";
}

void IPopupMenu::SetItemFlags(int index, int flags)
{
  if (Item* item = GetItem(index))
  {
    item->SetFlags(flags);
  }
}

void IPopupMenu::CheckItem(int index, bool checked)
{
  if (Item* item = GetItem(index))
  {
    item->SetChecked(checked);
  }
}

}  // namespace iplug::igraphics
