#include "platform-mac/IGraphicsMenu.h"

#include <cstdio>
#include <string>

namespace iplug::igraphics {
namespace {

// "1: ", "01: " or "001: " before item number n under numbering 1, 2 or 3; nothing otherwise.
std::string NumberPrefix(int numbering, int n)
{
  static constexpr const char* kFormats[] = {"%1d: ", "%02d: ", "%03d: "};
  if (numbering < 1 || numbering > 3)
    return {};
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, kFormats[numbering - 1], n);
  return prefix;
}

}  // namespace

void IGraphicsMenu_vVantorelix_au::initWithIPopupMenuAndReceiver(
  IPopupMenu& menu, const std::shared_ptr<IGraphicsMenuRcvr_vVantorelix_au>& receiver)
{
  initWithTitle("");
  setAutoenablesItems(false);
  for (int i = 0; i < menu.NItems(); ++i)
  {
    const IPopupMenu::Item& item = *menu.GetItem(i);
    const std::string title = NumberPrefix(menu.GetPrefix(), i + 1) + item.GetText();
    if (item.GetIsSeparator())
    {
      addItem(NSMenuItem::separatorItem());
      continue;
    }
    NSMenuItem* nsItem;
    if (IPopupMenu* subMenu = item.GetSubmenu())
    {
      nsItem = addItemWithTitle(title, nullptr, "");
      auto nsSubMenu = std::make_shared<IGraphicsMenu_vVantorelix_au>();
      nsSubMenu->initWithIPopupMenuAndReceiver(*subMenu, receiver);
      setSubmenu(std::move(nsSubMenu), nsItem);
    }
    else
    {
      IGraphicsMenuRcvr_vVantorelix_au* hears = receiver.get();
      nsItem = addItemWithTitle(
        title, [hears](NSMenuItem& sender) { hears->onMenuSelection(sender); }, "");
      nsItem->setTarget(receiver);
    }
    nsItem->setIndentationLevel(item.GetIsTitle() ? 1 : 0);
    nsItem->setEnabled(item.GetEnabled());
    nsItem->setState(item.GetChecked() ? NSControlStateValueOn : NSControlStateValueOff);
  }
  mIPopupMenu = &menu;
}

}  // namespace iplug::igraphics
