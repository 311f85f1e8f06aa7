#pragma once

#include "graphics/IControl.h"

// Links a parameter to the editor without drawing; its empty bounds are never hit.
class IVParameterControlHiddenZv : public iplug::igraphics::IControl
{
public:
  explicit IVParameterControlHiddenZv(int paramIdx) : IControl(iplug::igraphics::IRECT(0, 0, 0, 0), paramIdx) {}

  void Draw(iplug::igraphics::IGraphics&) override {}
};
