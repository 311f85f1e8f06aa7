#include "platform/AppKit/NSMenu.h"

#include <algorithm>

#include "platform/AppKit/Person.h"

std::shared_ptr<NSMenuItem> NSMenuItem::separatorItem()
{
  auto item = std::make_shared<NSMenuItem>("", nullptr, "");
  item->mSeparator = true;
  return item;
}

NSMenuItem::NSMenuItem(std::string title, Action action, std::string keyEquivalent)
: mTitle(std::move(title)), mAction(std::move(action)), mKeyEquivalent(std::move(keyEquivalent))
{
}

void NSMenuItem::SendAction()
{
  const std::shared_ptr<NSResponder> target = mTarget.lock();
  if (target && mAction)
    mAction(*this);
}

NSMenuItem* NSMenu::addItemWithTitle(const std::string& title, NSMenuItem::Action action,
                                     const std::string& keyEquivalent)
{
  addItem(std::make_shared<NSMenuItem>(title, std::move(action), keyEquivalent));
  return mItems.back().get();
}

void NSMenu::addItem(std::shared_ptr<NSMenuItem> item)
{
  if (!item || item->mMenu)
    return;
  item->mMenu = this;
  mItems.push_back(std::move(item));
}

void NSMenu::setSubmenu(std::shared_ptr<NSMenu> menu, NSMenuItem* item)
{
  if (!item || item->mMenu != this || !menu)
    return;
  menu->mSupermenu = this;
  item->mSubmenu = std::move(menu);
}

NSMenuItem* NSMenu::itemAtIndex(NSInteger index) const
{
  return index >= 0 && index < numberOfItems() ? mItems[static_cast<size_t>(index)].get() : nullptr;
}

NSMenuItem* NSMenu::itemWithTitle(const std::string& title) const
{
  const auto found = std::find_if(mItems.begin(), mItems.end(),
                                  [&](const auto& item) { return item->title() == title; });
  return found == mItems.end() ? nullptr : found->get();
}

NSInteger NSMenu::indexOfItem(const NSMenuItem* item) const
{
  const auto found = std::find_if(mItems.begin(), mItems.end(), [&](const auto& held) { return held.get() == item; });
  return found == mItems.end() ? -1 : found - mItems.begin();
}

bool NSMenu::CanChoose(const NSMenuItem& item) const
{
  const NSMenu* holder = item.menu();
  const NSMenu* root = holder;
  while (root && root != this)
    root = root->supermenu();
  if (!root || item.isSeparatorItem() || item.hasSubmenu() || !item.hasAction())
    return false;
  return holder->autoenablesItems() || item.isEnabled();
}

bool NSMenu::popUpMenuPositioningItem(NSMenuItem*, NSPoint location, NSView*)
{
  mPopUpLocation = location;
  NSMenuItem* chosen = platform::CurrentPerson().ChooseMenuItem(*this);
  if (!chosen || !CanChoose(*chosen))
    return false;
  chosen->SendAction();
  return true;
}
