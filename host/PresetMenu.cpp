#include "host/PresetMenu.h"

#include "host/EditorHost.h"
#include "platform/AppKit/Person.h"
#include "platform/CoreFoundation/CFRunLoop.h"

namespace host {
namespace {

// The tooltip of the preset menu's button begins so.
constexpr const char* kPresetMenuTooltip = "Preset menu";

// Answers the one menu that pops up by its items, for the moment it is in place.
class MenuChooser : public platform::Person
{
public:
  explicit MenuChooser(std::function<NSMenuItem*(NSMenu&)> choose) : mChoose(std::move(choose))
  {
    platform::SetPerson(this);
  }
  ~MenuChooser() override { platform::SetPerson(nullptr); }
  MenuChooser(const MenuChooser&) = delete;
  MenuChooser& operator=(const MenuChooser&) = delete;

  bool ChoosesMenuItemsByName() const override { return true; }
  NSMenuItem* ChooseMenuItem(NSMenu& menu) override { return mChoose(menu); }

private:
  std::function<NSMenuItem*(NSMenu&)> mChoose;
};

}  // namespace

bool PresetMenu::InFactoryMenu(const std::function<NSMenuItem*(NSMenu& factory)>& choose) const
{
  EditorHost editor(mUnit);
  if (!editor.Open().empty())
    return false;
  const std::optional<NSPoint> button = editor.FindByTooltip(kPresetMenuTooltip);
  if (!button)
    return false;
  bool found = false;
  MenuChooser chooser([&](NSMenu& menu) -> NSMenuItem* {
    const NSMenuItem* factory = menu.itemWithTitle("Factory");
    if (!factory || !factory->submenu())
      return nullptr;
    found = true;
    return choose(*factory->submenu());
  });
  editor.Click(*button);
  platform::RunMainLoop();  // what the choice left for the next pass
  return found;
}

std::vector<std::string> PresetMenu::FactoryPresets() const
{
  std::vector<std::string> names;
  InFactoryMenu([&](NSMenu& factory) -> NSMenuItem* {
    for (NSInteger i = 0; i < factory.numberOfItems(); ++i)
      if (const NSMenuItem* item = factory.itemAtIndex(i); item && !item->isSeparatorItem())
        names.push_back(item->title());
    return nullptr;
  });
  return names;
}

bool PresetMenu::ChooseFactoryPreset(const std::string& name) const
{
  const std::string prefix = kFactoryPrefix;
  const std::string title = name.rfind(prefix, 0) == 0 ? name.substr(prefix.size()) : name;
  bool chosen = false;
  InFactoryMenu([&](NSMenu& factory) {
    NSMenuItem* item = factory.itemWithTitle(title);
    chosen = item != nullptr;
    return item;
  });
  return chosen;
}

}  // namespace host
