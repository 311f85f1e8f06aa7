#include "meter-ui/IVToggleControlZv.h"

#include "graphics/IGraphics.h"
#include "meter-ui/EditorAction.h"

using namespace iplug::igraphics;

IVToggleControlZv::IVToggleControlZv(const IRECT& bounds, int paramIdx, const IVStyleZv& style)
: ISwitchControlBase(bounds, paramIdx, nullptr, 2), mStyle(style), mFillPattern(style.fillColor)
{
}

void IVToggleControlZv::Draw(IGraphics& g)
{
  if (!mDrawBackground)
    return;
  DrawStyleBackground(g, mRECT, mStyle, mFillPattern, &mBlend);
  if (GetValue() > 0.0)
    g.DrawText(mStyle.text, "X", mRECT);
}
