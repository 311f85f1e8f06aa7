#include "meter-ui/IVPopupMenuZv.h"

#include <algorithm>
#include <cmath>

#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"

using namespace iplug::igraphics;

IVPopupMenuZv::IVPopupMenuZv(const IRECT& bounds, int paramIdx, const IVStyleZv& style, bool wheel, bool visible)
: IControl(bounds, paramIdx), mWheel(wheel), mVisible(visible), mStyle(style), mFillPattern(style.fillColor)
{
  mText = style.text;
  mDisablePrompt = false;
  mDblAsSingleClick = true;
}

void IVPopupMenuZv::OnMouseDown(float, float, const IMouseMod&)
{
  AskForValue(0);
}

void IVPopupMenuZv::OnMouseWheel(float, float, const IMouseMod&, float delta)
{
  const iplug::IParam* param = GetParam();
  if (!mWheel || !param)
    return;
  const double span = param->GetMax() - param->GetMin();
  // A list of one entry has nowhere to step to.
  if (!(span > 0.0))
    return;
  const double entry = std::trunc(param->Value()) - std::trunc(delta);
  SetValue(std::clamp((entry - param->GetMin()) / span, 0.0, 1.0), 0);
  SetDirty(true, -1);
}

void IVPopupMenuZv::Draw(IGraphics& g)
{
  if (!mVisible)
    return;
  if (mDrawBackground)
    DrawStyleBackground(g, mRECT, mStyle, mFillPattern, &mBlend);
  if (GetParam())
    g.DrawText(mText, ParamDisplayText(*this).Get(), mRECT);
}
