#include "controls/IVTrackControls.h"

#include <cmath>

#include "controls/EqualCells.h"
#include "graphics/IGraphics.h"

namespace iplug::igraphics {

// ---- Track base ---------------------------------------------------------------------------

IVTrackControlBase::IVTrackControlBase(const IRECT& bounds, const char* label, const IVStyle& style,
                                       std::initializer_list<int> params, int numSteps, EDirection direction,
                                       std::initializer_list<const char*> trackNames)
: IControl(bounds, params),
  IVectorBase(style),
  mDirection(direction),
  mTrackBounds(params.size()),
  mNSteps(std::max(numSteps, 0))
{
  AttachIControl(this, label);
  mText = mStyle.valueText;
  for (const char* name : trackNames)
  {
    mTrackNames.emplace_back(name ? name : "");
  }
}

void IVTrackControlBase::OnMouseOver(float x, float y, const IMouseMod&)
{
  mMouseOverTrack = ValueIndexAt(x, y);
  SetDirty(false);
}

void IVTrackControlBase::OnMouseOut()
{
  mMouseOverTrack = -1;
  SetDirty(false);
}

void IVTrackControlBase::OnResize()
{
  mTargetRECT = LayoutRects(mRECT, false);
  mMouseIsOver = false;
  MakeTrackRects(mWidgetBounds);
  MakeStepRects(mWidgetBounds, mNSteps);
  SetDirty(false);
}

int IVTrackControlBase::ValueIndexAt(float x, float y) const
{
  for (size_t i = 0; i < mTrackBounds.size(); ++i)
  {
    if (mTrackBounds[i].Contains(x, y))
    {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void IVTrackControlBase::MakeTrackRects(const IRECT& bounds)
{
  const size_t n = static_cast<size_t>(NVals());
  mTrackBounds.resize(n);
  const float p = mTrackPadding;
  for (size_t i = 0; i < n; ++i)
  {
    const float a = static_cast<float>(i) / static_cast<float>(n);
    const float b = static_cast<float>(i + 1) / static_cast<float>(n);
    mTrackBounds[i] = mDirection == EDirection::Horizontal
                        ? IRECT(bounds.L, bounds.T + a * bounds.H() + p, bounds.R, bounds.T + b * bounds.H() - p)
                        : IRECT(bounds.L + a * bounds.W(), bounds.T, bounds.L + b * bounds.W() - p, bounds.B - p);
  }
}

void IVTrackControlBase::MakeStepRects(const IRECT& bounds, int nSteps)
{
  mStepBounds.clear();
  if (nSteps <= 0)
  {
    return;
  }
  const int count = mZeroValueStepHasBounds ? nSteps + 1 : nSteps;
  // Step 0 is the cell for the lowest values: counted from the bottom, or from the right.
  for (int k = 0; k < count; ++k)
  {
    mStepBounds.push_back(EqualCell(bounds, count - 1 - k, count, mDirection));
  }
}

void IVTrackControlBase::DrawBackground(IGraphics& g, const IRECT& r)
{
  g.FillRect(GetColor(kBG), r, &mBlend);
  if (mBaseline <= 0.0)
  {
    return;
  }
  const float b = static_cast<float>(std::clamp(mBaseline, 0.0, 1.0));
  if (mDirection == EDirection::Horizontal)
  {
    const float x = r.L + std::floor(r.W() * b);
    g.DrawLine(GetColor(kSH), x, r.T, x, r.B, &mBlend, 1.f);
  }
  else
  {
    const float y = r.B - r.H() * b;
    g.DrawLine(GetColor(kSH), r.L, y, r.R, y, &mBlend, 1.f);
  }
}

void IVTrackControlBase::DrawWidget(IGraphics& g)
{
  for (int i = 0; i < NVals() && i < static_cast<int>(mTrackBounds.size()); ++i)
  {
    DrawTrack(g, mTrackBounds[static_cast<size_t>(i)], i);
  }
}

IRECT IVTrackControlBase::FilledRect(const IRECT& r, double v) const
{
  const double lo = mBaseline > 0.0 ? std::min(mBaseline, v) : 0.0;
  const double hi = mBaseline > 0.0 ? std::max(mBaseline, v) : v;
  const float l = static_cast<float>(lo), h = static_cast<float>(hi);
  return mDirection == EDirection::Vertical ? IRECT(r.L, r.B - r.H() * h, r.R, r.B - r.H() * l)
                                            : IRECT(r.L + r.W() * l, r.T, r.L + r.W() * h, r.B);
}

void IVTrackControlBase::DrawTrack(IGraphics& g, const IRECT& r, int chIdx)
{
  DrawTrackBackground(g, r, chIdx);
  if (!mTrackNames.empty())
  {
    DrawTrackName(g, r, chIdx);
  }

  const bool vertical = mDirection == EDirection::Vertical;
  const double v = GetValue(chIdx);
  const bool above = mBaseline < v;
  // The value's end of the filled part: the far end, or the near one below the baseline.
  const bool valueAtFarEnd = v >= mBaseline;
  IRECT filled = FilledRect(r, v);

  if (!mStepBounds.empty())
  {
    if (v == 0.0 && mZeroValueStepHasBounds && vertical)
    {
      filled.T = mStepBounds.front().T;
    }
    // The cell spanning the value's end lights instead; edges count, so that a full track still
    // finds its last cell.
    const float pos = vertical ? (valueAtFarEnd ? filled.T : filled.B) : (valueAtFarEnd ? filled.R : filled.L);
    for (const IRECT& step : mStepBounds)
    {
      if (vertical && pos >= step.T && pos <= step.B)
      {
        filled.T = step.T;
        filled.B = step.B;
        break;
      }
      if (!vertical && pos >= step.L && pos <= step.R)
      {
        filled.L = step.L;
        filled.R = step.R;
        break;
      }
    }
    if (mZeroValueStepHasBounds || v > 0.0)
    {
      DrawTrackHandle(g, filled, chIdx, above);
    }
  }
  else
  {
    DrawTrackHandle(g, filled, chIdx, above);
    const float t = mMarkerThickness;
    const IRECT marker = vertical ? (valueAtFarEnd ? IRECT(filled.L, filled.T, filled.R, filled.T + t)
                                                   : IRECT(filled.L, filled.B - t, filled.R, filled.B))
                                  : (valueAtFarEnd ? IRECT(filled.R - t, filled.T, filled.R, filled.B)
                                                   : IRECT(filled.L, filled.T, filled.L + t, filled.B));
    DrawValueMarker(g, marker, chIdx, above);
  }

  if (mStyle.drawFrame && mDrawTrackFrame)
  {
    g.DrawRect(GetColor(kFR), r, &mBlend, mStyle.frameThickness);
  }
}

void IVTrackControlBase::DrawTrackBackground(IGraphics& g, const IRECT& r, int chIdx)
{
  // Other tracks stay clear: filling them with the transparent colour would change nothing.
  if (chIdx == mHighlightedTrack)
  {
    g.FillRect(GetColor(kHL), r, &mBlend);
  }
}

void IVTrackControlBase::DrawTrackName(IGraphics& g, const IRECT& r, int chIdx)
{
  const bool named = chIdx >= 0 && chIdx < static_cast<int>(mTrackNames.size());
  g.DrawText(mText, named ? mTrackNames[static_cast<size_t>(chIdx)].Get() : "", r, &mBlend);
}

void IVTrackControlBase::DrawTrackHandle(IGraphics& g, const IRECT& r, int chIdx, bool)
{
  g.FillRect(GetColor(chIdx == mHighlightedTrack ? kX1 : kFG), r, &mBlend);
  if (chIdx == mMouseOverTrack)
  {
    g.FillRect(GetColor(kHL), r, &mBlend);
  }
}

void IVTrackControlBase::DrawValueMarker(IGraphics& g, const IRECT& r, int, bool)
{
  g.FillRect(GetColor(kFR), r, &mBlend);
}

// ---- Range slider -------------------------------------------------------------------------

IVRangeSliderControl::IVRangeSliderControl(const IRECT& bounds, std::initializer_list<int> params, const char* label,
                                           const IVStyle& style, EDirection direction, float handleSize,
                                           float trackSize)
: IVTrackControlBase(bounds, label, style, params, 0, direction), mHandleSize(handleSize)
{
  mTrackSize = trackSize;
}

void IVRangeSliderControl::MakeTrackRects(const IRECT& bounds)
{
  mTrackBounds.assign(static_cast<size_t>(NVals()), MakeTrackBounds(bounds.GetPadded(-mHandleSize), mDirection));
}

float IVRangeSliderControl::PositionOf(int chIdx, double v) const
{
  const IRECT& t = mTrackBounds[static_cast<size_t>(chIdx)];
  const float f = static_cast<float>(v);
  return mDirection == EDirection::Horizontal ? t.L + t.W() * f : t.B - t.H() * f;
}

IRECT IVRangeSliderControl::GetHandleBounds(int chIdx) const
{
  const IRECT& t = mTrackBounds[static_cast<size_t>(chIdx)];
  const float pos = PositionOf(chIdx, GetValue(chIdx));
  const float o = mStyle.drawShadows && mShape != EWidgetShape::Ellipse ? mStyle.shadowOffset * 0.5f : 0.f;
  const float h = mHandleSize, ts = mTrackSize;
  const bool odd = chIdx % 2 == 1;
  if (mDirection == EDirection::Horizontal)
  {
    const float c = t.MH() + o;
    return odd ? IRECT(pos - h, c - 2.f * h, pos + h, c) : IRECT(pos - h, c + ts, pos + h, c + 2.f * h + ts);
  }
  const float c = t.MW() + o;
  return odd ? IRECT(c + ts, pos - h, c + 2.f * h + ts, pos + h) : IRECT(c - 2.f * h, pos - h, c, pos + h);
}

void IVRangeSliderControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  DrawWidget(g);
}

void IVRangeSliderControl::DrawWidget(IGraphics& g)
{
  if (mTrackBounds.empty())
  {
    return;
  }
  const IRECT& track = mTrackBounds.front();
  DrawTrackBackground(g, track, 0);
  for (int i = 0; i + 1 < NVals(); ++i)
  {
    const float a = PositionOf(i, GetValue(i)), b = PositionOf(i + 1, GetValue(i + 1));
    const float lo = std::min(a, b), hi = std::max(a, b);
    g.FillRect(GetColor(kX1),
               mDirection == EDirection::Horizontal ? IRECT(lo, track.T, hi, track.B) : IRECT(track.L, lo, track.R, hi),
               &mBlend);
  }
  if (mStyle.drawFrame && mDrawTrackFrame)
  {
    g.DrawRect(GetColor(kFR), track, &mBlend, mStyle.frameThickness);
  }
  for (int i = 0; i < NVals(); ++i)
  {
    DrawTrack(g, track, i);
  }
}

void IVRangeSliderControl::DrawTrack(IGraphics& g, const IRECT&, int chIdx)
{
  // Each handle points at the track line.
  const bool odd = chIdx % 2 == 1;
  const float angle = mDirection == EDirection::Horizontal ? (odd ? 180.f : 0.f) : (odd ? 270.f : 90.f);
  const bool over = chIdx == mMouseOverHandle;
  DrawTriangleShape(g, GetHandleBounds(chIdx), over && mMouseDown, over, angle, IsDisabled());
}

void IVRangeSliderControl::OnMouseOver(float x, float y, const IMouseMod&)
{
  mMouseOverHandle = -1;
  for (int i = 0; i < NVals(); ++i)
  {
    if (GetHandleBounds(i).Contains(x, y))
    {
      mMouseOverHandle = i;
      break;
    }
  }
  mMouseOverTrack = ValueIndexAt(x, y);
  SetDirty(false);
}

void IVRangeSliderControl::OnMouseOut()
{
  mMouseOverHandle = -1;
  IVTrackControlBase::OnMouseOut();
}

void IVRangeSliderControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  OnMouseDrag(x, y, 0.f, 0.f, mod);
}

void IVRangeSliderControl::OnMouseUp(float, float, const IMouseMod&)
{
  mMouseDown = false;
  SetDirty(false);
}

void IVRangeSliderControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&)
{
  const int h = mMouseOverHandle;
  if (h < 0 || h >= NVals())
  {
    return;
  }
  // Neighbours set out of order by the host still bound the handle, whichever is lower.
  const auto [lo, hi] = std::minmax({h > 0 ? GetValue(h - 1) : 0.0, h + 1 < NVals() ? GetValue(h + 1) : 1.0});
  // Measured along the track the handle is drawn on, so that it stays under the pointer.
  ValueFromPointer(x, y, mDirection, mTrackBounds[static_cast<size_t>(h)], h, lo, hi);
}

}  // namespace iplug::igraphics
