#pragma once

#include "controls/IControlBases.h"
#include "framework/WDLString.h"
#include "meter-ui/IVStyleZv.h"

class IVClickControlHiddenZv : public iplug::igraphics::IControl
{
public:
  IVClickControlHiddenZv(const iplug::igraphics::IRECT& bounds, int actionId)
  : IControl(bounds, -1), mActionId(actionId)
  {
  }

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float, float, const iplug::igraphics::IMouseMod&) override { mMouseMod = {}; }
  void Draw(iplug::igraphics::IGraphics&) override {}

  int mActionId;
  iplug::igraphics::IMouseMod mMouseMod;
};
