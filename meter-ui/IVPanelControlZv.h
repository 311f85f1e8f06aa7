#pragma once

// Filled boxes behind panels, pages and read-out rows: a plain panel, and one whose fill and
// outline follow an on/off value set by its owner.

#include "graphics/IControl.h"

class IVPanelControlZv : public iplug::igraphics::IControl
{
public:
  IVPanelControlZv(const iplug::igraphics::IRECT& bounds, const iplug::igraphics::IColor& fill, bool frame,
                   const iplug::igraphics::IColor& frameColor, float roundness, float frameWidth);

  void Draw(iplug::igraphics::IGraphics& g) override;

  iplug::igraphics::IPattern mFillPattern;
  bool mFrame;
  float mRoundness;  // 0 or less: square corners
  float mFrameWidth;
  iplug::igraphics::IColor mFrameColor;
};

// Never reacts to the mouse.
class IVPanelControlSwitchZv : public iplug::igraphics::IControl
{
public:
  IVPanelControlSwitchZv(const iplug::igraphics::IRECT& bounds, const iplug::igraphics::IColor& offFill,
                         const iplug::igraphics::IColor& onFill, bool drawOutline,
                         const iplug::igraphics::IColor& offOutline, const iplug::igraphics::IColor& onOutline,
                         float roundness);

  void Draw(iplug::igraphics::IGraphics& g) override;

  iplug::igraphics::IPattern mOffPattern;
  iplug::igraphics::IPattern mOnPattern;
  float mRoundness;
  int mDrawOutline;
  iplug::igraphics::IColor mOffOutline;
  iplug::igraphics::IColor mOnOutline;
};
