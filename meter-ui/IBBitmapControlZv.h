#pragma once

#include "graphics/IBackgroundControls.h"

// Shows the frame chosen by its value and ignores the mouse.
class IBBitmapControlZv : public iplug::igraphics::IControl, public iplug::igraphics::IBitmapBase
{
public:
  IBBitmapControlZv(float x, float y, const iplug::igraphics::IBitmap& bitmap);

  void OnMouseDown(float, float, const iplug::igraphics::IMouseMod&) override {}
  void OnMouseUp(float, float, const iplug::igraphics::IMouseMod&) override {}
  void OnMouseDrag(float, float, float, float, const iplug::igraphics::IMouseMod&) override {}
  void OnMouseDblClick(float, float, const iplug::igraphics::IMouseMod&) override {}
  void OnMouseWheel(float, float, const iplug::igraphics::IMouseMod&, float) override {}
  void OnRescale() override { ReloadBitmap(); }
  void Draw(iplug::igraphics::IGraphics& g) override { DrawBitmap(g); }
};
