#include "meter-ui/IVPanelControlZv.h"

#include "meter-ui/IVStyleZv.h"

using namespace iplug::igraphics;

IVPanelControlZv::IVPanelControlZv(const IRECT& bounds, const IColor& fill, bool frame, const IColor& frameColor,
                                   float roundness, float frameWidth)
: IControl(bounds, -1),
  mFillPattern(fill),
  mFrame(frame),
  mRoundness(roundness),
  mFrameWidth(frameWidth),
  mFrameColor(frameColor)
{
}

void IVPanelControlZv::Draw(IGraphics& g)
{
  DrawBoxBackground(g, mRECT, mFillPattern, mRoundness, mFrame, mFrameColor, mFrameWidth, &mBlend);
}

IVPanelControlSwitchZv::IVPanelControlSwitchZv(const IRECT& bounds, const IColor& offFill, const IColor& onFill,
                                               bool drawOutline, const IColor& offOutline, const IColor& onOutline,
                                               float roundness)
: IControl(bounds, -1),
  mOffPattern(offFill),
  mOnPattern(onFill),
  mRoundness(roundness),
  mDrawOutline(drawOutline),
  mOffOutline(offOutline),
  mOnOutline(onOutline)
{
  SetIgnoreMouse(true);
}

void IVPanelControlSwitchZv::Draw(IGraphics& g)
{
  const bool on = GetValue() > 0.0;
  DrawBoxBackground(g, mRECT, on ? mOnPattern : mOffPattern, mRoundness, mDrawOutline != 0,
                    on ? mOnOutline : mOffOutline, 1.f, nullptr);
}
