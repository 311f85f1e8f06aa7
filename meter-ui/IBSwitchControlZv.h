#pragma once

// The product's bitmap switches: one with a soft highlight behind the bitmap while the pointer
// is over it, and a push button that is on only while held. Both are built as the library's
// bitmap switch is (bounds or position, bitmap, parameter).

#include "controls/IBitmapControls.h"
#include "meter-ui/IVStyleZv.h"

class IBSwitchControlZv : public iplug::igraphics::IBSwitchControl
{
public:
  using IBSwitchControl::IBSwitchControl;

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseOut() override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  iplug::igraphics::IMouseMod mMouseMod;
  bool mVisible = true;
  bool mHoverHighlight = true;
  bool mHovered = false;
  iplug::igraphics::IColor mHoverColor{16, 255, 255, 255};
};

// Sends 1 to its parameter when pressed and 0 when released.
class IBPushControlZv : public PressOnly<iplug::igraphics::IBSwitchControl>
{
public:
  using PressOnly::PressOnly;

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;

  iplug::igraphics::IMouseMod mMouseMod;
};
