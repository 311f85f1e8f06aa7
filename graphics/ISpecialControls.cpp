#include "graphics/ISpecialControls.h"

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"

namespace iplug::igraphics
{

ICornerResizerControl::ICornerResizerControl(const IRECT& graphicsBounds, float size,
                                             const IColor& color, const IColor& mouseOverColor,
                                             const IColor& dragColor)
: IControl(IRECT(graphicsBounds.R - size, graphicsBounds.B - size, graphicsBounds.R,
                 graphicsBounds.B).GetPadded(-1.f)),
  mSize(size), mInitialGraphicsBounds(graphicsBounds), mColor(color),
  mMouseOverColor(mouseOverColor), mDragColor(dragColor)
{
}

void ICornerResizerControl::OnMouseDown(float, float, const IMouseMod&)
{
  GetUI()->SetResizingInProcess(true);
}

void ICornerResizerControl::OnMouseDblClick(float, float, const IMouseMod&)
{
  GetUI()->Resize(static_cast<int>(mInitialGraphicsBounds.W()),
                  static_cast<int>(mInitialGraphicsBounds.H()), 1.f, true);
}

void ICornerResizerControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (!mMouseOver)
  {
    mPrevCursorType = GetUI()->SetCursorShape(kCursorSizeNWSE);
    mMouseOver = true;
  }
  IControl::OnMouseOver(x, y, mod);
}

void ICornerResizerControl::OnMouseOut()
{
  if (mMouseOver)
  {
    GetUI()->SetCursorShape(mPrevCursorType);
    mMouseOver = false;
  }
  IControl::OnMouseOut();
}

void ICornerResizerControl::Draw(IGraphics& g)
{
  const IColor& color = g.GetResizingInProcess() ? mDragColor
                        : mMouseIsOver               ? mMouseOverColor
                                                     : mColor;
  g.FillTriangle(color, mRECT.L, mRECT.B, mRECT.R, mRECT.T, mRECT.R, mRECT.B);
}

void ICornerResizerControl::OnRescale()
{
  const IGraphics* g = GetUI();
  const float s = mSize / g->GetDrawScale();
  const float w = static_cast<float>(g->Width()), h = static_cast<float>(g->Height());
  SetTargetAndDrawRECTs(IRECT(w - s, h - s, w, h));
}

IBubbleControl::IBubbleControl(const IText& text, const IColor& fillColor,
                               const IColor& outlineColor, float roundness)
: IControl(IRECT()), mFillColor(fillColor), mOutlineColor(outlineColor), mRoundness(roundness)
{
  mText = text;
  mHide = true;
  mIgnoreMouse = true;
}

void IBubbleControl::MeasureBubbleText(const char* str, IRECT& r) const
{
  GetUI()->MeasureText(mText, str, r);
}

ITextEntryControl::ITextEntryControl() : IControl(IRECT())
{
  mHide = true;
}

void ITextEntryControl::OpenTextEntry(int paramIdx, const IText& text, const IRECT& bounds,
                                      int length, const char* str)
{
  mParamIdx = paramIdx;
  mText = text;
  mMaxLength = length;
  mStr = str ? str : "";
  SetTargetAndDrawRECTs(bounds);
  mEditing = true;
  IControl::Hide(false);
}

void ITextEntryControl::Hide(bool hide)
{
  if (hide)
  {
    mEditing = false;
  }
  IControl::Hide(hide);
}

IFPSDisplayControl::IFPSDisplayControl(const IRECT& bounds, int mode, const char* name)
: IControl(bounds), IVectorBase(kStyleDefault), mMode(mode), mName(name ? name : "")
{
}

} // namespace iplug::igraphics
