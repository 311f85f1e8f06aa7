#include "graphics/ISpecialControls.h"

#include <algorithm>
#include <cstdio>
#include <utility>

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
    g->Resize(static_cast<int>(mInitialGraphicsBounds.W()),
              static_cast<int>(mInitialGraphicsBounds.H()), 1.f, true);
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
  const IColor& color = g.GetResizingInProcess() ? mDragColor
                        : mMouseIsOver               ? mMouseOverColor
                                                     : mColor;
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

IBubbleControl::IBubbleControl(const IText& text, const IColor& fillColor,
                               const IColor& outlineColor, float roundness)
: IControl(IRECT()), mFillColor(fillColor), mOutlineColor(outlineColor), mRoundness(roundness)
{
  mText = text;
  mHide = true;
  mIgnoreMouse = true;
  mBlend = IBlend(0, 0.f);
  SetActionFunction([](IControl* control) {
    control->SetAnimation([](IControl* c) { static_cast<IBubbleControl*>(c)->Fade(); }, 200);
  });
  SetAnimationEndActionFunction([](IControl* control) {
    auto* bubble = static_cast<IBubbleControl*>(control);
    if (bubble->mState == kShown)
    {
      bubble->SetAnimation([](IControl* c) { static_cast<IBubbleControl*>(c)->Fade(); }, 1000);
    }
  });
}

void IBubbleControl::Fade()
{
  const double p = GetAnimationProgress();
  if (p <= 1.0)
  {
    const float progress = static_cast<float>(p);
    if (mState == kFadingIn)
    {
      mBlend.mWeight = progress * mMaxOpacity;
    }
    else if (mState == kFadingOut)
    {
      mBlend.mWeight = (1.f - progress) * mMaxOpacity;
    }
    return;
  }
  switch (mState)
  {
    case kFadingIn:
      mBlend.mWeight = mMaxOpacity;
      mState = kShown;
      AnimationEnded();
      break;
    case kShown:
      // Held on by the pointer that moves its control: another round; let go: fade out.
      if (!GetUI()->ControlIsCaptured(mCaller))
      {
        mBlend.mWeight = mMaxOpacity;
        mState = kFadingOut;
      }
      SetDirty(true);
      break;
    case kFadingOut:
      mBlend.mWeight = 0.f;
      IControl::Hide(true);
      mState = kHidden;
      mTouchId = 0;
      SetDirty(false);
      AnimationEnded();
      break;
    default: AnimationEnded(); break;
  }
}

void IBubbleControl::Draw(IGraphics& g)
{
  const IRECT inner = mBubbleBounds.GetPadded(-mPadding);
  g.DrawQuickDropShadow(inner, mBubbleBounds, 2.f, mRoundness, 10.f, &mBlend);
  DrawBubbleShape(g, inner);
  DrawBubbleText(g, inner);
}

void IBubbleControl::DrawBubbleText(IGraphics& g, const IRECT& r)
{
  if (!mStr.empty())
  {
    g.DrawText(mText, mStr.c_str(), r, &mBlend);
  }
}

void IBubbleControl::DrawBubbleShape(IGraphics& g, const IRECT& r)
{
  const float rad = mRoundness, a = mArrowSize, cx = r.MW(), cy = r.MH();
  g.PathClear();
  g.PathMoveTo(r.L, r.T + rad);
  g.PathArc(r.L + rad, r.T + rad, rad, 270.f, 360.f);
  if (mArrowDir == kNorth)
  {
    g.PathLineTo(cx - a / 2.f, r.T);
    g.PathLineTo(cx, r.T - a);
    g.PathLineTo(cx + a / 2.f, r.T);
  }
  g.PathArc(r.R - rad, r.T + rad, rad, 0.f, 90.f);
  if (mArrowDir == kEast)
  {
    g.PathLineTo(r.R, cy - a / 2.f);
    g.PathLineTo(r.R + a, cy);
    g.PathLineTo(r.R, cy + a / 2.f);
  }
  g.PathArc(r.R - rad, r.B - rad, rad, 90.f, 180.f);
  if (mArrowDir == kSouth)
  {
    g.PathLineTo(cx + a / 2.f, r.B);
    g.PathLineTo(cx, r.B + a);
    g.PathLineTo(cx - a / 2.f, r.B);
  }
  g.PathArc(r.L + rad, r.B - rad, rad, 180.f, 270.f);
  if (mArrowDir == kWest)
  {
    g.PathLineTo(r.L, cy + a / 2.f);
    g.PathLineTo(r.L - a, cy);
    g.PathLineTo(r.L, cy - a / 2.f);
  }
  g.PathClose();
  IFillOptions keep;
  keep.mPreserve = true;
  g.PathFill(IPattern(mFillColor), keep, &mBlend);
  g.PathStroke(IPattern(mOutlineColor), mOutlineThickness, IStrokeOptions(), &mBlend);
}

void IBubbleControl::MeasureBubbleText(const char* str, IRECT& r) const
{
  GetUI()->MeasureText(mText, str, r);
}

IFPSDisplayControl::IFPSDisplayControl(const IRECT& bounds, int mode, const char* name)
: IControl(bounds), IVectorBase(kStyleDefault), mMode(mode), mName(name ? name : "")
{
  AttachIControl(this, name);
  mStyle.colorSpec.SetColor(kBG, kColorWhite);
  const IColor& ink = GetColor(kFR);
  mText = IText(14.f, ink, "Roboto-Regular", EAlign::Near, EVAlign::Bottom);
  mTitleText = IText(14.f, ink, "Roboto-Regular", EAlign::Near, EVAlign::Top);
  mMainText = IText(18.f, ink, "Roboto-Regular", EAlign::Far, EVAlign::Top);
  mSecondText = IText(15.f, ink, "Roboto-Regular", EAlign::Far, EVAlign::Bottom);
}

void IFPSDisplayControl::OnMouseDown(float, float, const IMouseMod&)
{
  mMode = (mMode + 1) % kNumModes;
  SetDirty(false);
}

void IFPSDisplayControl::Draw(IGraphics& g)
{
  float sum = 0.f;
  for (const float t : mBuffer)
  {
    sum += t;
  }
  const float avg = sum / static_cast<float>(kNumDataPoints);

  g.FillRect(GetColor(kBG), mRECT);
  g.DrawRect(kColorBlack, mRECT, nullptr, 1.f);
  const IRECT plot = mRECT.GetPadded(-2.f);
  g.PathClear();
  g.PathMoveTo(plot.L, plot.B);
  for (int i = 0; i < kNumDataPoints; ++i)
  {
    // Oldest at the left: the entry after the newest is the oldest.
    const float t = mBuffer[(mReadPos + 1 + i) % kNumDataPoints];
    // The value and the top of the scale for the mode.
    const auto [v, top] =
      mMode == kFPS            ? std::pair(std::min(1.f / (t + 0.00001f), 80.f), 80.f)
      : mMode == kMilliseconds ? std::pair(std::min(t * 1000.f, 20.f), 20.f)
                               : std::pair(std::min(t, 100.f), 100.f);
    const float x = plot.L + static_cast<float>(i) / (kNumDataPoints - 1) * plot.W();
    g.PathLineTo(x, plot.B - v / top * plot.H());
  }
  g.PathLineTo(mRECT.R, mRECT.B);
  g.PathFill(IPattern(GetColor(kFG)));

  const char* renderer = g.RendererName();
  if (renderer && renderer[0])
  {
    g.DrawText(mTitleText, renderer, plot);
  }
  if (!mName.empty())
  {
    g.DrawText(mText, mName.c_str(), plot);
  }
  char str[32];
  switch (mMode)
  {
    case kFPS:
      std::snprintf(str, sizeof(str), "%.2f FPS", 1.f / avg);
      g.DrawText(mMainText, str, plot);
      std::snprintf(str, sizeof(str), "%.2f ms", avg * 1000.f);
      g.DrawText(mSecondText, str, plot);
      break;
    case kMilliseconds:
      std::snprintf(str, sizeof(str), "%.2f ms", avg * 1000.f);
      g.DrawText(mMainText, str, plot);
      break;
    default:
      std::snprintf(str, sizeof(str), "%.1f %%", avg);
      g.DrawText(mMainText, str, plot);
      break;
  }
}

} // namespace iplug::igraphics
