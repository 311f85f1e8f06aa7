#pragma once

#include "controls/IControlBases.h"
#include "framework/WDLString.h"
#include "meter-ui/IVStyleZv.h"

// A check box showing "X" while on; a click toggles the linked parameter.
class IVToggleControlZv : public iplug::igraphics::ISwitchControlBase
{
public:
  IVToggleControlZv(const iplug::igraphics::IRECT& bounds, int paramIdx, const IVStyleZv& style);

  void Draw(iplug::igraphics::IGraphics& g) override;

  bool mDrawBackground = true;  // off: nothing at all is drawn
  IVStyleZv mStyle;
  iplug::igraphics::IPattern mFillPattern;
};
