#include "meter-ui/IVButtonControlZv.h"

#include "graphics/IGraphics.h"
#include "meter-ui/EditorAction.h"

using namespace iplug::igraphics;

IVButtonControlZv::IVButtonControlZv(const IRECT& bounds, int id, const IVStyleZv& style, int linked,
                                     uint8_t /*unused*/, bool visible, bool showLabels, const char* labelOff,
                                     const char* labelOn)
: PressOnly(bounds, linked ? id : -1, nullptr, 2),
  mStyle(style),
  mFillPattern(style.fillColor),
  mActionId(id),
  mLinked(linked != 0),
  mVisible(visible),
  mShowLabels(showLabels),
  mLabelOff(labelOff ? labelOff : ""),
  mLabelOn(labelOn ? labelOn : "")
{
  mText = style.text;
  mDisablePrompt = true;
}

void IVButtonControlZv::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseMod = mod;
  mPressed = true;
  if (mLinked)
  {
    ISwitchControlBase::OnMouseDown(x, y, mod);
    return;
  }
  FireEditorAction(*this, mActionId);
  SetValue(1.0, 0);
  SetDirty(true, -1);
}

void IVButtonControlZv::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  mMouseMod = IMouseMod();
  mPressed = false;
  if (mLinked)
  {
    ISwitchControlBase::OnMouseUp(x, y, mod);
    return;
  }
  SetValue(0.0, 0);
  SetDirty(true, -1);
}

void IVButtonControlZv::Draw(IGraphics& g)
{
  if (!mVisible)
    return;
  DrawStyleBackground(g, mRECT, mStyle, mFillPattern, &mBlend);
  if (mShowLabels)
  {
    if (GetValue() > 0.0)
      g.DrawText(mStyle.valueText, mLabelOn.Get(), mRECT);
    else
      g.DrawText(DimmedWhenDisabled(mText, mDisabled), mLabelOff.Get(), mRECT);
  }
  else if (GetParam())
  {
    g.DrawText(DimmedWhenDisabled(mText, mDisabled), ParamDisplayText(*this).Get(), mRECT);
  }
}
