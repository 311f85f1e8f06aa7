#pragma once
// The person at the screen. Whatever a person answers the window layer (the button pressed in an
// alert, the file or folder chosen in a panel, the colours picked in the colour panel, the item
// chosen in a menu, the keys typed into a text field) is asked of the one Person set here. Tests
// set a scripted one; a live window asks a real person. With none set nobody is there: alerts are
// dismissed, panels and menus cancelled, and nothing is picked or typed.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/AppKit/NSColor.h"

class NSMenu;
class NSMenuItem;
class NSTextField;

namespace platform {

enum class AlertButton { Default, Alternate, Other };

struct AlertQuestion
{
  std::string title;
  std::string message;
  // A button with an empty title is not shown and cannot be pressed.
  std::string defaultButton;
  std::string alternateButton;
  std::string otherButton;
};

struct FileQuestion
{
  bool save = false;
  bool chooseFiles = true;
  bool chooseDirectories = false;
  bool canCreateDirectories = false;
  std::string title;
  std::string directory;                      // where the panel opens; empty: where it opened last
  std::string file;                           // the file name proposed; empty: none
  std::vector<std::string> allowedFileTypes;  // extensions without the dot; empty: any
};

class Person
{
public:
  virtual ~Person() = default;

  virtual AlertButton PressAlertButton(const AlertQuestion&) { return AlertButton::Alternate; }
  // The full path of the file or folder chosen, or nothing for Cancel.
  virtual std::optional<std::string> ChoosePath(const FileQuestion&) { return std::nullopt; }
  // The colours the person moves through, in order, once the colour panel is in front.
  virtual std::vector<NSColor> PickColors(const NSColor&) { return {}; }
  // The item clicked in a menu that popped up (or in one of its sub-menus), or null when the
  // menu is dismissed.
  virtual NSMenuItem* ChooseMenuItem(NSMenu&) { return nullptr; }
  // Whether menus are answered by their items (a script choosing by name) rather than by the
  // pointer: a view then pops up the platform's menus even where it would draw its own.
  virtual bool ChoosesMenuItemsByName() const { return false; }
  // What is typed into a text field that took the keys; "\r" is the return key.
  virtual std::u16string TypeIntoField(const NSTextField&) { return {}; }
};

// Null: nobody is at the screen. The person must outlive its time here. Answers the person it
// replaces (null for nobody), for one who stands in for a moment to hand back to.
Person* SetPerson(Person* person);
Person& CurrentPerson();

// What a person does in a window that does not hold the caller (the colour panel, a text field)
// happens later: on the next pass of the main run loop.
void AnswerLater(std::function<void()> answer);

}  // namespace platform
