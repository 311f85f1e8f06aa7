#pragma once
// Menus: items with a title, an action sent to a target, an enabled flag, a state (the check
// mark), an indentation level and perhaps a sub-menu; separators. A menu popped up at a point of
// a view asks the person (platform/AppKit/Person.h) and returns once they chose or dismissed.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/AppKit/NSView.h"

class NSMenu;

typedef NSInteger NSControlStateValue;
enum : NSControlStateValue { NSControlStateValueMixed = -1, NSControlStateValueOff = 0, NSControlStateValueOn = 1 };

class NSMenuItem
{
public:
  using Action = std::function<void(NSMenuItem& sender)>;

  static std::shared_ptr<NSMenuItem> separatorItem();
  NSMenuItem(std::string title, Action action, std::string keyEquivalent);
  NSMenuItem(const NSMenuItem&) = delete;
  NSMenuItem& operator=(const NSMenuItem&) = delete;

  const std::string& title() const { return mTitle; }
  const std::string& keyEquivalent() const { return mKeyEquivalent; }
  bool isSeparatorItem() const { return mSeparator; }
  bool hasAction() const { return mAction != nullptr; }
  // The action is sent only while the target lives.
  void setTarget(std::weak_ptr<NSResponder> target) { mTarget = std::move(target); }
  bool isEnabled() const { return mEnabled; }
  void setEnabled(bool enabled) { mEnabled = enabled; }
  NSControlStateValue state() const { return mState; }
  void setState(NSControlStateValue state) { mState = state; }
  NSInteger indentationLevel() const { return mIndentation; }
  void setIndentationLevel(NSInteger level) { mIndentation = level; }
  // The menu that holds the item, and the one it opens.
  NSMenu* menu() const { return mMenu; }
  NSMenu* submenu() const { return mSubmenu.get(); }
  bool hasSubmenu() const { return mSubmenu != nullptr; }

private:
  friend class NSMenu;
  void SendAction();

  std::string mTitle;
  Action mAction;
  std::string mKeyEquivalent;
  std::weak_ptr<NSResponder> mTarget;
  bool mSeparator = false;
  bool mEnabled = true;
  NSControlStateValue mState = NSControlStateValueOff;
  NSInteger mIndentation = 0;
  NSMenu* mMenu = nullptr;
  std::shared_ptr<NSMenu> mSubmenu;
};

class NSMenu
{
public:
  NSMenu() = default;
  virtual ~NSMenu() = default;
  NSMenu(const NSMenu&) = delete;
  NSMenu& operator=(const NSMenu&) = delete;

  void initWithTitle(const std::string& title) { mTitle = title; }
  const std::string& title() const { return mTitle; }
  // With autoenabling, an item is enabled when it has an action; without, by its own flag.
  void setAutoenablesItems(bool on) { mAutoenables = on; }
  bool autoenablesItems() const { return mAutoenables; }

  // An item without an action when action is empty.
  NSMenuItem* addItemWithTitle(const std::string& title, NSMenuItem::Action action, const std::string& keyEquivalent);
  void addItem(std::shared_ptr<NSMenuItem> item);
  // The menu opens from an item of this menu.
  void setSubmenu(std::shared_ptr<NSMenu> menu, NSMenuItem* item);
  NSInteger numberOfItems() const { return static_cast<NSInteger>(mItems.size()); }
  // Null outside the list.
  NSMenuItem* itemAtIndex(NSInteger index) const;
  NSMenuItem* itemWithTitle(const std::string& title) const;
  // -1 for an item this menu does not hold.
  NSInteger indexOfItem(const NSMenuItem* item) const;
  NSMenu* supermenu() const { return mSupermenu; }

  // Pops up with its top left at a point of the view's coordinates. Only an item of this menu or
  // of its sub-menus that is enabled, has an action and opens no sub-menu can be chosen; its
  // action is sent before the call returns. True when an item was chosen.
  bool popUpMenuPositioningItem(NSMenuItem* item, NSPoint location, NSView* view);
  // Where the menu last popped up, in the view's coordinates.
  NSPoint popUpLocation() const { return mPopUpLocation; }

private:
  bool CanChoose(const NSMenuItem& item) const;

  std::string mTitle;
  std::vector<std::shared_ptr<NSMenuItem>> mItems;
  NSMenu* mSupermenu = nullptr;
  bool mAutoenables = true;
  NSPoint mPopUpLocation = {0, 0};
};
