#pragma once
// The native menu of an IPopupMenu: one level per menu and sub-menu, built afresh for each
// pop-up, and the hidden receiver that the chosen item reports to.

#include <memory>

#include "graphics/IPopupMenu.h"
#include "platform/AppKit/NSMenu.h"

namespace iplug::igraphics {

// Never shown: it only hears which item was chosen.
class IGraphicsMenuRcvr_vVantorelix_au final : public NSView
{
public:
  void onMenuSelection(NSMenuItem& sender) { nsMenuItem = &sender; }
  // Null until an item is chosen.
  NSMenuItem* menuItem() const { return nsMenuItem; }

private:
  NSMenuItem* nsMenuItem = nullptr;
};

class IGraphicsMenu_vVantorelix_au final : public NSMenu
{
public:
  // One item per item of the menu, in order, numbered as the menu asks (a separator counts);
  // items with sub-menus open menus built the same way.
  void initWithIPopupMenuAndReceiver(IPopupMenu& menu,
                                     const std::shared_ptr<IGraphicsMenuRcvr_vVantorelix_au>& receiver);
  IPopupMenu* iPopupMenu() const { return mIPopupMenu; }

private:
  IPopupMenu* mIPopupMenu = nullptr;  // not owned
};

}  // namespace iplug::igraphics
