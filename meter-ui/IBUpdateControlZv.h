#pragma once
// The update icon of the top bar: a two-frame picture, the second frame showing that a newer
// version exists (value 1). The idle hook sets the value from the last update check; a click
// asks the plug-in for a check of its own, through the action id the icon carries.

#include "graphics/IBackgroundControls.h"

class IBUpdateControlZv : public iplug::igraphics::IControl, public iplug::igraphics::IBitmapBase
{
public:
  // The icon is one frame of the picture, its top-left corner at (x, y). An action id of -1
  // sends nothing.
  IBUpdateControlZv(float x, float y, const iplug::igraphics::IBitmap& bitmap, int actionId);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  // A double click is one click: its first press has already asked for the check.
  void OnMouseDblClick(float, float, const iplug::igraphics::IMouseMod&) override {}
  void OnRescale() override { ReloadBitmap(); }
  void Draw(iplug::igraphics::IGraphics& g) override;

private:
  int mActionId;
};
