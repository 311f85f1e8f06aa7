#pragma once

// A value box for a list parameter: it shows the current entry, opens the list on a click and
// steps through the entries with the wheel.

#include "graphics/IControl.h"
#include "meter-ui/IVStyleZv.h"

class IVPopupMenuZv : public iplug::igraphics::IControl
{
public:
  IVPopupMenuZv(const iplug::igraphics::IRECT& bounds, int paramIdx, const IVStyleZv& style, bool wheel, bool visible);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  // A wheel step up selects the entry above (the previous one), a step down the next one.
  void OnMouseWheel(float x, float y, const iplug::igraphics::IMouseMod& mod, float delta) override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  bool mWheel;
  bool mVisible;
  bool mDrawBackground = true;
  IVStyleZv mStyle;
  iplug::igraphics::IPattern mFillPattern;
};
