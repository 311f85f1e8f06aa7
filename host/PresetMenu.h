#pragma once
// The plug-in's own presets, which its editor's preset menu offers beside the presets the host
// sees: read and chosen in that menu as a person would, with the editor opened for the moment.
// The preset menu is the control whose tooltip names it; its "Factory" sub-menu lists the factory
// presets. The menu is popped up as the platform's, whose items are chosen by name.

#include "platform/AppKit/NSMenu.h"
#include "platform/AudioToolbox/AudioUnit.h"

#include <functional>
#include <string>
#include <vector>

namespace host {

class PresetMenu
{
public:
  // What a preset name given as "Factory/NAME" starts with.
  static constexpr const char* kFactoryPrefix = "Factory/";

  explicit PresetMenu(AudioUnit unit) : mUnit(unit) {}

  // The names of the factory presets; none where the plug-in has no editor or no such menu.
  std::vector<std::string> FactoryPresets() const;
  // Loads the factory preset of that name ("NAME" or "Factory/NAME"); false when the menu offers
  // none of that name, and nothing changed.
  bool ChooseFactoryPreset(const std::string& name) const;

private:
  // Opens the editor and its preset menu, and hands the factory sub-menu to the choice, whose
  // item is chosen (none: the menu is dismissed); false when there was no such sub-menu.
  bool InFactoryMenu(const std::function<NSMenuItem*(NSMenu& factory)>& choose) const;

  AudioUnit mUnit;
};

}  // namespace host
