#pragma once

#include "controls/IControlBases.h"
#include "framework/WDLString.h"
#include "meter-ui/IVStyleZv.h"

// Fires its action on every press, a double click counting as a second press; it has no
// pressed look.
class IVClickButtonControlZv : public PressOnly<iplug::igraphics::IControl>
{
public:
  IVClickButtonControlZv(const iplug::igraphics::IRECT& bounds, int actionId, const IVStyleZv& style,
                         const char* label);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  int mActionId;  // -1: none
  iplug::igraphics::IMouseMod mMouseMod;
  bool mDrawBackground = true;
  IVStyleZv mStyle;
  iplug::igraphics::IPattern mFillPattern;
  WDL_String mLabel;
};
