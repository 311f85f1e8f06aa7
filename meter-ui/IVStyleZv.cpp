#include "meter-ui/IVStyleZv.h"

#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"

using namespace iplug::igraphics;

void DrawBoxBackground(IGraphics& g, const IRECT& r, const IPattern& fill, float roundness, bool frame,
                       const IColor& frameColor, float frameWidth, const IBlend* frameBlend)
{
  if (g.SupportsPathFill())
  {
    g.PathClear();
    g.PathRoundRect(r, roundness > 0.f ? roundness : 0.f);
    g.PathFill(fill);
  }
  else
  {
    g.FillRect(fill.GetStop(0).mColor, r);
  }
  if (!frame)
    return;
  if (roundness > 0.f)
    g.DrawRoundRect(frameColor, r, roundness, frameBlend, frameWidth);
  else
    g.DrawRect(frameColor, r, frameBlend, frameWidth);
}

IText DimmedWhenDisabled(IText text, bool disabled)
{
  if (disabled)
    text.mFGColor.A /= 2;
  return text;
}

WDL_String ParamDisplayText(const IControl& control)
{
  WDL_String text;
  if (const iplug::IParam* param = control.GetParam())
    param->FormatDisplay(control.GetValue(), true, text, true);
  return text;
}
