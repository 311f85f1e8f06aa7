#pragma once
// An invisible area of the editor: a click fires its action id. It also owns a menu of up to three
// items, each mapped to an action id of its own, which nothing in this editor fills.

#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"

class IVClickControlHiddenMenuZv : public iplug::igraphics::IControl
{
public:
  IVClickControlHiddenMenuZv(const iplug::igraphics::IRECT& bounds, int clickId, int item1Id, int item2Id, int item3Id);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void PopupMenuChosen(iplug::igraphics::IPopupMenu* menu, int valIdx) override;
  void Draw(iplug::igraphics::IGraphics&) override {}

  iplug::igraphics::IPopupMenu& Menu() { return mMenu; }

private:
  int mClickId;
  int mItemIds[3];
  iplug::igraphics::IPopupMenu mMenu;
  int mItemPositions[3] = {-1, -1, -1};
};
