#include "graphics/IVectorBase.h"

#include <cmath>

#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"

namespace iplug::igraphics {

IVectorBase::IVectorBase(const IVStyle& style, bool labelInWidget, bool valueInWidget)
: mLabelInWidget(labelInWidget), mValueInWidget(valueInWidget)
{
  SetStyle(style);
}

void IVectorBase::AttachIControl(IControl* control, const char* label)
{
  mControl = control;
  SetLabelStr(label);
}

const IBlend* IVectorBase::Blend() const
{
  return mControl ? &mControl->GetBlend() : nullptr;
}

bool IVectorBase::Animating() const
{
  return mControl && mControl->GetAnimationFunction();
}

void IVectorBase::DrawBackground(IGraphics& g, const IRECT& r)
{
  g.FillRect(GetColor(kBG), r, Blend());
}

void IVectorBase::DrawLabel(IGraphics& g)
{
  if (mLabelBounds.H() == 0.f)
  {
    return;
  }
  if (mStyle.showLabel && mLabelStr.GetLength() > 0)
  {
    g.DrawText(mStyle.labelText, mLabelStr.Get(), mLabelBounds, Blend());
  }
}

void IVectorBase::DrawValue(IGraphics& g, bool mouseOver)
{
  if (mouseOver)
  {
    g.FillRect(kColorTranslucent, mValueBounds);
  }
  if (mStyle.showValue && mValueStr.GetLength() > 0)
  {
    g.DrawText(mStyle.valueText, mValueStr.Get(), mValueBounds, Blend());
  }
}

IRECT IVectorBase::DrawPressableShape(IGraphics& g, EWidgetShape shape, const IRECT& bounds, bool pressed,
                                      bool mouseOver, bool disabled)
{
  switch (shape)
  {
    case EWidgetShape::Rectangle:
    case EWidgetShape::AllRounded: return DrawRectShape(g, bounds, pressed, mouseOver, disabled);
    case EWidgetShape::EndsRounded:
      return DrawRectShape(g, bounds, pressed, mouseOver, disabled, true, true, false, false);
    case EWidgetShape::Ellipse: return DrawEllipseShape(g, bounds, pressed, mouseOver, disabled);
    case EWidgetShape::Triangle: return DrawTriangleShape(g, bounds, pressed, mouseOver, mStyle.angle, disabled);
  }
  return bounds;
}

IRECT IVectorBase::HandleBounds(const IRECT& bounds) const
{
  IRECT handle = bounds;
  if (mStyle.drawFrame)
  {
    handle = handle.GetPadded(-0.5f * mStyle.frameThickness);
  }
  if (mStyle.drawShadows)
  {
    const float so = mStyle.shadowOffset;
    handle = IRECT(handle.L + so, handle.T, handle.R - so, handle.B - so);
  }
  return handle;
}

IRECT IVectorBase::DrawRectShape(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled,
                                 bool rtl, bool rtr, bool rbl, bool rbr)
{
  const float so = mStyle.shadowOffset;
  const float c = Contrast(disabled);
  const IBlend* blend = Blend();
  const IRECT handle = HandleBounds(bounds);
  const IRECT inner = handle.GetPadded(-so);
  IRECT shadow = handle.GetTranslated(so, so);
  const float r = std::min(handle.W(), handle.H()) * 0.5f * mStyle.roundness;
  const float tl = rtl ? r : 0.f, tr = rtr ? r : 0.f, bl = rbl ? r : 0.f, br = rbr ? r : 0.f;
  auto fill = [&](EVColor color, const IRECT& rect, bool withContrast) {
    if (withContrast)
    {
      g.FillRoundRectCorners(GetColor(color).WithContrast(c), rect, tl, tr, bl, br);
    }
    else
    {
      g.FillRoundRectCorners(GetColor(color), rect, tl, tr, bl, br, blend);
    }
  };

  if (pressed)
  {
    shadow = IRECT(handle.L + so, handle.T + so, handle.R, handle.B);
    if (mStyle.emboss)
    {
      fill(kPR, handle, false);
      fill(kSH, handle, false);
      fill(kFG, shadow, true);
      fill(kPR, inner, false);
    }
    else
    {
      fill(kPR, handle, true);
    }
    if (Animating())
    {
      FillSplash(g, handle);
    }
  }
  else
  {
    if (mStyle.drawShadows)
    {
      fill(kSH, shadow, false);
    }
    if (mStyle.emboss)
    {
      fill(kPR, handle, true);
      fill(kSH, shadow, true);
      fill(kFG, inner, true);
    }
    else
    {
      fill(kFG, handle, true);
    }
    if (mouseOver)
    {
      fill(kHL, mStyle.emboss ? inner : handle, false);
    }
  }

  if (mStyle.drawFrame)
  {
    g.DrawRoundRectCorners(GetColor(kFR), handle, tl, tr, bl, br, blend, mStyle.frameThickness);
  }
  return handle;
}

IRECT IVectorBase::DrawEllipseShape(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled)
{
  const float so = mStyle.shadowOffset;
  const float c = Contrast(disabled);
  const IBlend* blend = Blend();
  const IRECT inner = bounds.GetPadded(-so);
  IRECT shadow = bounds.GetTranslated(so, so);

  if (!pressed && !disabled && mStyle.drawShadows)
  {
    g.FillEllipse(GetColor(kSH), shadow, blend);
  }

  if (pressed)
  {
    if (mStyle.emboss)
    {
      shadow = IRECT(bounds.L + so, bounds.T + so, bounds.R, bounds.B);
      g.FillEllipse(GetColor(kPR), bounds, blend);
      g.FillEllipse(GetColor(kSH), bounds, blend);
      g.FillEllipse(GetColor(kFG).WithContrast(c), shadow);
      g.FillEllipse(GetColor(kPR).WithContrast(c), inner);
    }
    else
    {
      g.FillEllipse(GetColor(kPR).WithContrast(c), bounds);
    }
    if (Animating())
    {
      FillSplash(g, bounds);
    }
  }
  else if (mStyle.emboss)
  {
    g.FillEllipse(GetColor(kPR).WithContrast(c), bounds);
    g.FillEllipse(GetColor(kSH).WithContrast(c), shadow);
    g.FillEllipse(GetColor(kFG).WithContrast(c), inner);
    if (mouseOver)
    {
      g.FillEllipse(GetColor(kHL), inner, blend);
    }
  }
  else
  {
    g.FillEllipse(GetColor(kFG).WithContrast(c), bounds);
    if (mouseOver)
    {
      g.FillEllipse(GetColor(kHL), bounds, blend);
    }
  }

  if (mStyle.drawFrame)
  {
    g.DrawEllipse(GetColor(kFR), bounds, blend, mStyle.frameThickness);
  }
  return bounds;
}

IRECT IVectorBase::DrawTriangleShape(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, float angle,
                                     bool disabled)
{
  const float so = mStyle.shadowOffset;
  const IBlend* blend = Blend();
  const IRECT handle = HandleBounds(bounds);

  // Apex up: bottom-left, top-centre, bottom-right, turned about the centre.
  const float cx = handle.MW(), cy = handle.MH();
  const float px[3] = {handle.L - cx, 0.f, handle.R - cx};
  const float py[3] = {handle.B - cy, handle.T - cy, handle.B - cy};
  const float rad = angle / 180.f * 3.1415927f;
  const float cosA = std::cos(rad), sinA = std::sin(rad);
  float x[3], y[3];
  for (int i = 0; i < 3; ++i)
  {
    x[i] = cosA * px[i] - sinA * py[i] + cx;
    y[i] = sinA * px[i] + cosA * py[i] + cy;
  }
  auto fill = [&](const IColor& color, float dx, float dy, const IBlend* b) {
    g.FillTriangle(color, x[0] + dx, y[0] + dy, x[1] + dx, y[1] + dy, x[2] + dx, y[2] + dy, b);
  };

  if (!pressed && mStyle.drawShadows)
  {
    fill(GetColor(kSH), so, so, blend);
  }
  fill(GetColor(pressed ? kPR : kFG).WithContrast(Contrast(disabled)), 0.f, 0.f, nullptr);
  if (mouseOver)
  {
    fill(GetColor(kHL), 0.f, 0.f, blend);
  }
  if (pressed && Animating())
  {
    FillSplash(g, handle);
  }
  if (mStyle.drawFrame)
  {
    g.DrawTriangle(GetColor(kFR), x[0], y[0], x[1], y[1], x[2], y[2], blend, mStyle.frameThickness);
  }
  return handle;
}

void IVectorBase::FillSplash(IGraphics& g, const IRECT& clip)
{
  g.ClipToRegion(clip);
  g.FillCircle(GetColor(kHL), mSplashX, mSplashY, mSplashRadius);
  g.ClipToRegion(IRECT());
}

IRECT IVectorBase::LayoutRects(const IRECT& parent, bool hasHandle)
{
  const IGraphics* g = mControl ? mControl->GetUI() : nullptr;
  auto measure = [g](const IText& text, const WDL_String& str) {
    IRECT r;
    if (g)
    {
      g->MeasureText(text, str.Get(), r);
    }
    return r;
  };

  IRECT clickable = parent;
  if (!mLabelInWidget)
  {
    if (mStyle.showLabel && mLabelStr.GetLength() > 0)
    {
      const IRECT text = measure(mStyle.labelText, mLabelStr);
      mLabelBounds = IRECT(parent.L, parent.T, parent.R, parent.T + text.H()).GetCentredInside(text.W(), text.H());
    }
    else
    {
      mLabelBounds = IRECT();
    }
    if (mLabelBounds.H() != 0.f)
    {
      clickable.T += mLabelBounds.H();
    }
  }

  const float frac = mStyle.widgetFrac;
  if (!mStyle.showValue || mValueInWidget)
  {
    mWidgetBounds = clickable.GetScaledAboutCentre(frac);
  }
  else
  {
    const IRECT text = measure(mStyle.valueText, mValueStr);
    const float v = text.W() * mValueBoxFrac, t = text.H();
    const float cx = clickable.MW();
    switch (mStyle.valueText.mVAlign)
    {
      case EVAlign::Top:
        mValueBounds = IRECT(cx - v, clickable.T, cx + v, clickable.T + t);
        mWidgetBounds = IRECT(clickable.L, clickable.T + t, clickable.R, clickable.B).GetScaledAboutCentre(frac);
        break;
      case EVAlign::Bottom:
        mValueBounds = IRECT(cx - v, clickable.B - t, cx + v, clickable.B);
        mWidgetBounds = IRECT(clickable.L, clickable.T, clickable.R, clickable.B - t).GetScaledAboutCentre(frac);
        break;
      case EVAlign::Middle:
        mValueBounds = IRECT(cx - v, clickable.MH() - t / 2.f, cx + v, clickable.MH() + t / 2.f);
        mWidgetBounds = clickable.GetScaledAboutCentre(frac);
        break;
    }
  }

  if (hasHandle)
  {
    mWidgetBounds = HandleBounds(clickable).GetScaledAboutCentre(frac);
  }
  if (mLabelInWidget)
  {
    mLabelBounds = mWidgetBounds;
  }
  if (mValueInWidget)
  {
    mValueBounds = mWidgetBounds;
  }
  return clickable;
}

IRECT IVectorBase::MakeTrackBounds(const IRECT& bounds, EDirection direction) const
{
  const float t = mTrackSize;
  return direction == EDirection::Vertical ? IRECT(bounds.MW() - t, bounds.T, bounds.MW() + t, bounds.B)
                                           : IRECT(bounds.L, bounds.MH() - t, bounds.R, bounds.MH() + t);
}

}  // namespace iplug::igraphics
