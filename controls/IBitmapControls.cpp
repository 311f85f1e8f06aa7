#include "controls/IBitmapControls.h"

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {
// One frame of the bitmap with its top-left corner at (x, y).
IRECT FrameAt(const IBitmap& bitmap, float x, float y)
{
  return IBitmapBase::FrameSize(bitmap).GetTranslated(x, y);
}

// One frame of the bitmap centred in bounds.
IRECT FrameIn(const IBitmap& bitmap, const IRECT& bounds)
{
  const IRECT size = IBitmapBase::FrameSize(bitmap);
  return bounds.GetCentredInside(size.W(), size.H());
}
}  // namespace

// ---- Switch -------------------------------------------------------------------------------

IBSwitchControl::IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx)
: IBSwitchControl(FrameAt(bitmap, x, y), bitmap, paramIdx)
{
}

IBSwitchControl::IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx)
: ISwitchControlBase(FrameIn(bitmap, bounds), paramIdx), IBitmapBase(bitmap, this)
{
}

void IBSwitchControl::OnMouseDown(float, float, const IMouseMod&)
{
  const int n = mBitmap.N();
  double value = GetValue() + (n >= 2 ? 1.0 / (n - 1) : 1.0);
  if (value > 1.001)
  {
    value = 0.0;
  }
  SetValue(value);
  SetDirty(true);
}

// ---- Button -------------------------------------------------------------------------------

IBButtonControl::IBButtonControl(float x, float y, const IBitmap& bitmap, ControlActionFunc action)
: IBButtonControl(FrameAt(bitmap, x, y), bitmap, std::move(action))
{
}

IBButtonControl::IBButtonControl(const IRECT& bounds, const IBitmap& bitmap, ControlActionFunc action)
: IButtonControlBase(FrameIn(bitmap, bounds), std::move(action)), IBitmapBase(bitmap, this)
{
}

// ---- Slider -------------------------------------------------------------------------------

namespace {
IRECT SliderBounds(float x, float y, float trackLength, const IBitmap& handle, EDirection direction)
{
  const IRECT frame = IBitmapBase::FrameSize(handle);
  return direction == EDirection::Vertical ? IRECT(x, y, x + frame.W(), y + trackLength)
                                           : IRECT(x, y, x + trackLength, y + frame.H());
}

float HandleSize(const IBitmap& handle, EDirection direction)
{
  return static_cast<float>(direction == EDirection::Vertical ? handle.H() : handle.W());
}
}  // namespace

IBSliderControl::IBSliderControl(float x, float y, float trackLength, const IBitmap& handleBitmap,
                                 const IBitmap& trackBitmap, int paramIdx, EDirection direction, double gearing)
: IBSliderControl(SliderBounds(x, y, trackLength, handleBitmap, direction), handleBitmap, trackBitmap, paramIdx,
                  direction, gearing)
{
}

IBSliderControl::IBSliderControl(const IRECT& bounds, const IBitmap& handleBitmap, const IBitmap& trackBitmap,
                                 int paramIdx, EDirection direction, double gearing)
: ISliderControlBase(bounds, paramIdx, direction, gearing, HandleSize(handleBitmap, direction)),
  IBitmapBase(handleBitmap, this),
  mTrackBitmap(trackBitmap)
{
}

void IBSliderControl::OnResize()
{
  ISliderControlBase::OnResize();
  if (mTrackBitmap.IsValid())
  {
    mTrackBounds = FrameIn(mTrackBitmap, mRECT);
  }
  else
  {
    // Without a track image the handle runs in a strip of its own width (or height).
    const IRECT frame = FrameSize(mBitmap);
    mTrackBounds = mDirection == EDirection::Vertical
                     ? IRECT(mRECT.MW() - frame.W() / 2.f, mRECT.T, mRECT.MW() + frame.W() / 2.f, mRECT.B)
                     : IRECT(mRECT.L, mRECT.MH() - frame.H() / 2.f, mRECT.R, mRECT.MH() + frame.H() / 2.f);
  }
}

IRECT IBSliderControl::GetHandleBounds(double value) const
{
  if (value < 0.0)
  {
    value = GetValue();
  }
  const IRECT frame = FrameSize(mBitmap);
  const IRECT& t = mTrackBounds;
  if (mDirection == EDirection::Vertical)
  {
    return frame.GetTranslated(t.L, t.T + static_cast<float>((t.H() - frame.H()) * (1.0 - value)));
  }
  return frame.GetTranslated(t.L + static_cast<float>((t.W() - frame.W()) * value), t.T);
}

void IBSliderControl::Draw(IGraphics& g)
{
  if (mTrackBitmap.IsValid())
  {
    g.DrawBitmap(mTrackBitmap, FrameIn(mTrackBitmap, mRECT), 0, 0, &mBlend);
  }
  g.DrawBitmapFrame(mBitmap, GetHandleBounds(), 1, &mBlend);
}

// ---- Text ---------------------------------------------------------------------------------

IBTextControl::IBTextControl(const IRECT& bounds, const IBitmap& font, const IText& text, const char* str,
                             int charWidth, int charHeight, int charOffset, bool multiLine, bool vCentre, int blendMode)
: ITextControl(bounds, str, text, kColorTransparent, false),
  IBitmapBase(font, this),
  mCharWidth(charWidth),
  mCharHeight(charHeight),
  mCharOffset(charOffset),
  mMultiLine(multiLine),
  mVCentre(vCentre)
{
  mBlend = IBlend(blendMode, 1.f);
}

void IBTextControl::Draw(IGraphics& g)
{
  g.DrawBitmapText(mBitmap, mRECT, mText, &mBlend, mStr.Get(), mVCentre, mMultiLine, mCharWidth, mCharHeight,
                   mCharOffset);
}

// ---- Knobs --------------------------------------------------------------------------------

IBKnobControl::IBKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx, EDirection direction,
                             double gearing)
: IBKnobControl(FrameAt(bitmap, x, y), bitmap, paramIdx, direction, gearing)
{
}

IBKnobControl::IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx, EDirection direction,
                             double gearing)
: IKnobControlBase(bounds, paramIdx, direction, gearing), IBitmapBase(bitmap, this)
{
}

void IBKnobRotaterControl::Draw(IGraphics& g)
{
  g.DrawBitmapRotated(mBitmap, mRECT.MW(), mRECT.MH(), GetValue() * 260.0 - 130.0, &mBlend);
}

}  // namespace iplug::igraphics
