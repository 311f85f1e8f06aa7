#include "meter-ui/IVClickButtonControlZv.h"

#include "graphics/IGraphics.h"
#include "meter-ui/EditorAction.h"

using namespace iplug::igraphics;

IVClickButtonControlZv::IVClickButtonControlZv(const IRECT& bounds, int actionId, const IVStyleZv& style,
                                               const char* label)
: PressOnly(bounds, -1), mActionId(actionId), mStyle(style), mFillPattern(style.fillColor), mLabel(label ? label : "")
{
  mText = style.text;
  mDblAsSingleClick = true;
}

void IVClickButtonControlZv::OnMouseDown(float, float, const IMouseMod& mod)
{
  mMouseMod = mod;
  FireEditorAction(*this, mActionId);
  SetValue(1.0);
  SetDirty(true, -1);
}

void IVClickButtonControlZv::OnMouseUp(float, float, const IMouseMod&)
{
  mMouseMod = IMouseMod();
  SetValue(0.0);
  SetDirty(true, -1);
}

void IVClickButtonControlZv::Draw(IGraphics& g)
{
  if (mDrawBackground)
    DrawStyleBackground(g, mRECT, mStyle, mFillPattern, &mBlend);
  g.DrawText(mText, mLabel.Get(), mRECT);
}
