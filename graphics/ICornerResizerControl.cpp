#include "graphics/ICornerResizerControl.h"

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"

namespace iplug::igraphics {

ICornerResizerControl::ICornerResizerControl(const IRECT& graphicsBounds, float size, const IColor& color,
                                             const IColor& mouseOverColor, const IColor& dragColor)
: IControl(IRECT(graphicsBounds.R - size, graphicsBounds.B - size, graphicsBounds.R, graphicsBounds.B).GetPadded(-1.f)),
  mSize(size),
  mInitialGraphicsBounds(graphicsBounds),
  mColor(color),
  mMouseOverColor(mouseOverColor),
  mDragColor(dragColor)
{
}

// Every handler reaches the graphics object only when it lends itself to its controls: one
// without a drawing context lends none, and the handle then has nothing to resize.

void ICornerResizerControl::OnMouseDown(float, float, const IMouseMod&)
{
  if (IGraphics* g = GetUI())
  {
    g->SetResizingInProcess(true);
  }
}

void ICornerResizerControl::OnMouseDblClick(float, float, const IMouseMod&)
{
  if (IGraphics* g = GetUI())
  {
    g->Resize(static_cast<int>(mInitialGraphicsBounds.W()), static_cast<int>(mInitialGraphicsBounds.H()), 1.f, true);
  }
}

void ICornerResizerControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  IGraphics* g = GetUI();
  if (!mMouseOver && g)
  {
    mPrevCursorType = g->SetCursorShape(kCursorSizeNWSE);
    mMouseOver = true;
  }
  IControl::OnMouseOver(x, y, mod);
}

void ICornerResizerControl::OnMouseOut()
{
  IGraphics* g = GetUI();
  if (mMouseOver && g)
  {
    g->SetCursorShape(mPrevCursorType);
    mMouseOver = false;
  }
  IControl::OnMouseOut();
}

void ICornerResizerControl::Draw(IGraphics& g)
{
  const IColor& color = g.GetResizingInProcess() ? mDragColor : mMouseIsOver ? mMouseOverColor : mColor;
  g.FillTriangle(color, mRECT.L, mRECT.B, mRECT.R, mRECT.T, mRECT.R, mRECT.B);
}

void ICornerResizerControl::OnRescale()
{
  const IGraphics* g = GetUI();
  if (!g)
  {
    return;
  }
  const float s = mSize / g->GetDrawScale();
  const float w = static_cast<float>(g->Width()), h = static_cast<float>(g->Height());
  SetTargetAndDrawRECTs(IRECT(w - s, h - s, w, h));
}

}  // namespace iplug::igraphics
