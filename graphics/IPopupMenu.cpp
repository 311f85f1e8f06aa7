#include "graphics/IPopupMenu.h"

namespace iplug::igraphics
{

IPopupMenu::Item::Item(const char* text, int flags, int tag)
: mText(text ? text : ""), mFlags(flags), mTag(tag)
{
}

IPopupMenu::Item::Item(const char* text, IPopupMenu* subMenu)
: mText(text ? text : ""), mSubmenu(subMenu)
{
}

IPopupMenu::IPopupMenu(const char* rootTitle, int prefix, bool canMultiCheck,
                       std::initializer_list<const char*> items)
: mPrefix(prefix), mCanMultiCheck(canMultiCheck), mRootTitle(rootTitle ? rootTitle : "")
{
  for (const char* text : items)
  {
    AddItem(text);
  }
}

IPopupMenu::IPopupMenu(const char* rootTitle, std::initializer_list<const char*> items,
                       PopupFunc func)
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
  // Ownership passes even when listing fails, so the item never leaks.
  std::unique_ptr<Item> owned(item);
  if (index < 0 || index > NItems())
  {
    mItems.push_back(item);
  }
  else
  {
    mItems.insert(mItems.begin() + index, item);
  }
  return owned.release();
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, int index, int itemFlags)
{
  return AddItem(new Item(text, itemFlags), index);
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, IPopupMenu* subMenu, int index)
{
  return AddItem(new Item(text, subMenu), index);
}

IPopupMenu::Item* IPopupMenu::AddSeparator(int index)
{
  return AddItem(new Item("", Item::kSeparator), index);
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

} // namespace iplug::igraphics
