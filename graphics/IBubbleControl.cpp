#include "graphics/IBubbleControl.h"

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"

namespace iplug::igraphics {

IBubbleControl::IBubbleControl(const IText& text, const IColor& fillColor, const IColor& outlineColor, float roundness)
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

}  // namespace iplug::igraphics
