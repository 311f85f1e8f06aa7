#pragma once
// The person at the screen, played by a test: it answers from its script and writes down every
// question it was asked. It stands in while it lives.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/AppKit/NSMenu.h"
#include "platform/AppKit/Person.h"

namespace vtest {

class ScriptedPerson : public platform::Person
{
public:
  ScriptedPerson() { platform::SetPerson(this); }
  ~ScriptedPerson() override { platform::SetPerson(nullptr); }

  platform::AlertButton PressAlertButton(const platform::AlertQuestion& question) override
  {
    alerts.push_back(question);
    if (onAlert)
      onAlert();
    return button;
  }
  std::optional<std::string> ChoosePath(const platform::FileQuestion& question) override
  {
    files.push_back(question);
    return path;
  }
  std::vector<NSColor> PickColors(const NSColor& start) override
  {
    colourStarts.push_back(start);
    return colours;
  }
  // Follows the titles of the script's choice down the sub-menus.
  NSMenuItem* ChooseMenuItem(NSMenu& menu) override
  {
    if (onMenu)
      onMenu(menu);
    NSMenu* level = &menu;
    NSMenuItem* item = nullptr;
    for (const std::string& title : menuChoice)
    {
      item = level ? level->itemWithTitle(title) : nullptr;
      level = item ? item->submenu() : nullptr;
    }
    return item;
  }

  std::u16string TypeIntoField(const NSTextField&) override { return typed; }
  bool ChoosesMenuItemsByName() const override { return byName; }

  // The script.
  platform::AlertButton button = platform::AlertButton::Default;
  std::function<void()> onAlert;
  std::optional<std::string> path;
  std::vector<NSColor> colours;
  std::vector<std::string> menuChoice;  // empty: dismiss the menu
  bool byName = false;                  // menus are chosen by name, not with the pointer
  std::function<void(NSMenu&)> onMenu;
  std::u16string typed;

  // What was asked.
  std::vector<platform::AlertQuestion> alerts;
  std::vector<platform::FileQuestion> files;
  std::vector<NSColor> colourStarts;
};

}  // namespace vtest
