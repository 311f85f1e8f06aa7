#include "controls/ISVGControls.h"

#include <algorithm>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

// ---- Button -------------------------------------------------------------------------------

ISVGButtonControl::ISVGButtonControl(const IRECT& bounds, ControlActionFunc action, const ISVG& offImage,
                                     const ISVG& onImage)
: IButtonControlBase(bounds, std::move(action)), mOffImage(offImage), mOnImage(onImage)
{
}

void ISVGButtonControl::Draw(IGraphics& g)
{
  g.DrawSVG(GetValue() > 0.5 ? mOnImage : mOffImage, mRECT, &mBlend);
}

// ---- Knob ---------------------------------------------------------------------------------

ISVGKnobControl::ISVGKnobControl(const IRECT& bounds, const ISVG& image, int paramIdx)
: IKnobControlBase(bounds, paramIdx, EDirection::Vertical, 4.0), mImage(image)
{
}

void ISVGKnobControl::Draw(IGraphics& g)
{
  const double angle = mStartAngle + (mEndAngle - mStartAngle) * GetValue();
  g.DrawSVGRotated(mImage, mRECT.MW(), mRECT.MH(), mRECT.W(), mRECT.H(), angle, &mBlend);
}

void ISVGKnobControl::SetSVG(const ISVG& image)
{
  mImage = image;
  SetDirty(false);
}

// ---- Switch -------------------------------------------------------------------------------

ISVGSwitchControl::ISVGSwitchControl(const IRECT& bounds, std::initializer_list<ISVG> images, int paramIdx,
                                     ControlActionFunc action)
: ISwitchControlBase(bounds, paramIdx, std::move(action), static_cast<int>(images.size())), mImages(images)
{
}

void ISVGSwitchControl::Draw(IGraphics& g)
{
  // A linked parameter may have more states than there are images.
  const int idx = GetSelectedIdx();
  if (idx >= 0 && idx < static_cast<int>(mImages.size()))
  {
    g.DrawSVG(mImages[static_cast<size_t>(idx)], mRECT, &mBlend);
  }
}

// ---- Slider -------------------------------------------------------------------------------

ISVGSliderControl::ISVGSliderControl(const IRECT& bounds, const ISVG& handleImage, const ISVG& trackImage, int paramIdx,
                                     EDirection direction, double gearing)
: ISliderControlBase(bounds, paramIdx, direction, gearing, 0.f), mHandleImage(handleImage), mTrackImage(trackImage)
{
}

void ISVGSliderControl::OnResize()
{
  ISliderControlBase::OnResize();
  // Without the extent of both images there are no proportions to lay out by: the track takes
  // the draw bounds and the handle has no size.
  if (!(mTrackImage.W() > 0.f && mTrackImage.H() > 0.f && mHandleImage.W() > 0.f && mHandleImage.H() > 0.f))
  {
    mTrackImageBounds = mRECT;
    mHandleBounds = mDirection == EDirection::Vertical ? IRECT(mRECT.L, mRECT.T, mRECT.R, mRECT.T)
                                                       : IRECT(mRECT.R, mRECT.T, mRECT.R, mRECT.B);
    return;
  }
  const float trackAspect = mTrackImage.W() / mTrackImage.H();
  const float handleAspect = mHandleImage.W() / mHandleImage.H();
  const float ratio = mHandleImage.H() / mTrackImage.H();
  IRECT& track = mTrackImageBounds;
  if (mDirection == EDirection::Vertical)
  {
    const float h = mRECT.H();
    track = mRECT.GetCentredInside(trackAspect * h, h);
    const float handleH = ratio * h;
    const IRECT handle = mRECT.GetCentredInside(handleAspect * handleH, handleH);
    mHandleBounds = handle.GetTranslated(0.f, track.T - handle.T);
    mTrackBounds = IRECT(track.L, track.T + mHandleBounds.H(), track.R, track.B);
  }
  else
  {
    const float w = mRECT.W();
    track = mRECT.GetCentredInside(w, w / trackAspect);
    const float handleH = ratio * track.H();
    const IRECT handle = track.GetCentredInside(handleAspect * handleH, handleH);
    mHandleBounds = handle.GetTranslated(track.R - handle.R, 0.f);
    mTrackBounds = IRECT(track.L + mHandleBounds.W(), track.T, track.R, track.B);
  }
}

IRECT ISVGSliderControl::GetHandleBounds(double value) const
{
  if (value < 0.0)
  {
    value = GetValue();
  }
  const auto away = static_cast<float>(1.0 - value);
  if (mDirection == EDirection::Vertical)
  {
    return mHandleBounds.GetTranslated(0.f, away * mTrackBounds.H());
  }
  return mHandleBounds.GetTranslated(-away * mTrackBounds.W(), 0.f);
}

void ISVGSliderControl::Draw(IGraphics& g)
{
  g.DrawSVG(mTrackImage, mTrackImageBounds, &mBlend);
  g.DrawSVG(mHandleImage, GetHandleBounds(), &mBlend);
}

}  // namespace iplug::igraphics
