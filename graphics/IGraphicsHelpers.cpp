// Text, bitmap-frame, bitmap-font and line helpers, and the gesture registry.

#include <cmath>
#include <cstring>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {
constexpr float kPi = 3.1415927f;
}

void IGraphics::DrawTextAtPoint(const IText& text, const char* str, float x, float y, const IBlend* blend)
{
  DrawText(text, str, IRECT(x, y, x, y), blend);
}

void IGraphics::CalculateTextRotation(const IText& text, const IRECT& bounds, IRECT& rect, double& tx, double& ty) const
{
  if (text.mAngle == 0.f)
  {
    return;
  }
  const double a = text.mAngle / 180.f * kPi;
  const double c = std::cos(a), s = std::sin(a);
  double l = HUGE_VAL, t = HUGE_VAL, r = -HUGE_VAL, b = -HUGE_VAL;
  for (const auto& [x, y] :
       {std::pair<double, double>{rect.L, rect.T}, {rect.R, rect.T}, {rect.L, rect.B}, {rect.R, rect.B}})
  {
    const double rx = x * c - y * s, ry = x * s + y * c;
    l = std::min(l, rx);
    t = std::min(t, ry);
    r = std::max(r, rx);
    b = std::max(b, ry);
  }
  rect = IRECT(static_cast<float>(l), static_cast<float>(t), static_cast<float>(r), static_cast<float>(b));
  switch (text.mAlign)
  {
    case EAlign::Near: tx = bounds.L - rect.L; break;
    case EAlign::Center: tx = (bounds.L + bounds.R) / 2.0 - (rect.L + rect.R) / 2.0; break;
    case EAlign::Far: tx = bounds.R - rect.R; break;
  }
  switch (text.mVAlign)
  {
    case EVAlign::Top: ty = bounds.T - rect.T; break;
    case EVAlign::Middle: ty = (bounds.T + bounds.B) / 2.0 - (rect.T + rect.B) / 2.0; break;
    case EVAlign::Bottom: ty = bounds.B - rect.B; break;
  }
}

void IGraphics::DoMeasureTextRotation(const IText& text, const IRECT& bounds, IRECT& rect) const
{
  double tx = 0.0, ty = 0.0;
  CalculateTextRotation(text, bounds, rect, tx, ty);
  rect = rect.GetTranslated(static_cast<float>(tx), static_cast<float>(ty));
}

void IGraphics::DrawBitmapFrame(const IBitmap& bitmap, const IRECT& bounds, int frame, const IBlend* blend)
{
  const int frames = std::max(bitmap.N(), 1);
  frame = std::clamp(frame, 1, frames);
  int srcX = 0, srcY = 0;
  if (frames >= 2 && frame >= 2)
  {
    if (bitmap.GetFramesAreHorizontal())
    {
      srcX = (frame - 1) * bitmap.W() / frames;
    }
    else
    {
      srcY = (frame - 1) * bitmap.H() / frames;
    }
  }
  DrawBitmap(bitmap, bounds, srcX, srcY, blend);
}

void IGraphics::DrawBitmapText(const IBitmap& font, const IRECT& bounds, const IText& text, const IBlend* blend,
                               const char* str, bool vCentre, bool multiline, int charWidth, int charHeight,
                               int charOffset)
{
  // A font without character width has no cells to lay out.
  if (!str || !str[0] || charWidth <= 0)
  {
    return;
  }
  const int length = static_cast<int>(std::strlen(str));
  const float rowTop = vCentre ? bounds.T + (bounds.H() - charHeight) / 2.f : bounds.T;
  const float fullWidth = static_cast<float>(length * charWidth);
  float x0 = bounds.L;
  if (text.mAlign == EAlign::Center)
  {
    x0 = bounds.L + (bounds.W() - fullWidth) / 2.f;
  }
  else if (text.mAlign == EAlign::Far)
  {
    x0 = bounds.R - fullWidth;
  }

  // Without wrapping a multiline text is one line of every character; otherwise as many
  // cells as fit side by side, and none fit into bounds narrower than one cell.
  const float width = bounds.W();
  const bool wraps = multiline && !(fullWidth <= width);
  int perLine = length;
  if (!multiline || wraps)
  {
    if (!(width >= static_cast<float>(charWidth)))
    {
      return;
    }
    perLine = static_cast<int>(std::min(width / static_cast<float>(charWidth), static_cast<float>(length)));
  }
  const int lines = wraps ? static_cast<int>(std::min(fullWidth / width, static_cast<float>(length))) + 1 : 1;
  int idx = 0;
  for (int line = 0; line < lines && idx < length; ++line)
  {
    for (int i = 0; i < perLine && idx < length; ++i, ++idx)
    {
      const float l = x0 + static_cast<float>(i * (charWidth + charOffset));
      const IRECT cell(l, rowTop + static_cast<float>(line * charHeight), l + static_cast<float>(charWidth),
                       rowTop + static_cast<float>((line + 1) * charHeight));
      const int code = std::max(static_cast<int>(static_cast<unsigned char>(str[idx])), 32);
      DrawBitmapFrame(font, cell, std::min(code - 31, std::max(font.N(), 1)), blend);
    }
  }
}

void IGraphics::DrawVerticalLine(const IColor& color, const IRECT& bounds, float x, const IBlend* blend,
                                 float thickness)
{
  x = std::clamp(x, 0.f, 1.f);
  const float xi = bounds.L + std::trunc(bounds.W() * x);
  DrawVerticalLine(color, xi, bounds.T, bounds.B, blend, thickness);
}

void IGraphics::DrawVerticalLine(const IColor& color, float xi, float yLo, float yHi, const IBlend* blend,
                                 float thickness)
{
  DrawLine(color, xi, yLo, xi, yHi, blend, thickness);
}

void IGraphics::DrawHorizontalLine(const IColor& color, const IRECT& bounds, float y, const IBlend* blend,
                                   float thickness)
{
  y = std::clamp(y, 0.f, 1.f);
  const float yi = bounds.B - std::trunc(bounds.H() * y);
  DrawHorizontalLine(color, yi, bounds.L, bounds.R, blend, thickness);
}

void IGraphics::DrawHorizontalLine(const IColor& color, float yi, float xLo, float xHi, const IBlend* blend,
                                   float thickness)
{
  DrawLine(color, xLo, yi, xHi, yi, blend, thickness);
}

namespace {
void RadialPoints(float cx, float cy, float angle, float rMin, float rMax, float pts[4])
{
  const float a = (angle - 90.f) / 180.f * kPi;
  const float c = std::cos(a), s = std::sin(a);
  pts[0] = cx + c * rMin;
  pts[1] = cy + s * rMin;
  pts[2] = cx + c * rMax;
  pts[3] = cy + s * rMax;
}
}  // namespace

void IGraphics::DrawRadialLine(const IColor& color, float cx, float cy, float angle, float rMin, float rMax,
                               const IBlend* blend, float thickness)
{
  float p[4];
  RadialPoints(cx, cy, angle, rMin, rMax, p);
  DrawLine(color, p[0], p[1], p[2], p[3], blend, thickness);
}

void IGraphics::PathRadialLine(float cx, float cy, float angle, float rMin, float rMax)
{
  float p[4];
  RadialPoints(cx, cy, angle, rMin, rMax, p);
  PathMoveTo(p[0], p[1]);
  PathLineTo(p[2], p[3]);
}

// ---- Gestures -------------------------------------------------------------------------------

void IGraphics::AttachGestureRecognizerToRegion(const IRECT& bounds, EGestureType type, GestureFunc func)
{
  mGestureRegions.Add(bounds);
  RegisterGestureType(type);
  mGestureRegionFuncs.try_emplace(mGestureRegions.Size() - 1, std::move(func));
}

void IGraphics::ClearGestureRegions()
{
  mGestureRegions.Clear();
  mGestureRegionFuncs.clear();
}

IControl* IGraphics::GestureControlAt(float x, float y) const
{
  int idx = -1;
  IControl* control = FindControlAt(x, y, false, idx);
  return control && control->HasGestures() && !control->GetAnimationFunction() ? control : nullptr;
}

bool IGraphics::RespondsToGesture(float x, float y)
{
  if (GestureControlAt(x, y))
  {
    return true;
  }
  for (int i = 0; i < mGestureRegions.Size(); ++i)
  {
    if (mGestureRegions.Get(i).Contains(x, y))
    {
      return true;
    }
  }
  return false;
}

void IGraphics::OnGestureRecognized(const IGestureInfo& info)
{
  if (IControl* control = GestureControlAt(info.x, info.y))
  {
    control->OnGesture(info);
    return;
  }
  for (int i = 0; i < mGestureRegions.Size(); ++i)
  {
    if (mGestureRegions.Get(i).Contains(info.x, info.y))
    {
      const auto it = mGestureRegionFuncs.find(i);
      if (it != mGestureRegionFuncs.end() && it->second)
      {
        it->second(nullptr, info);
      }
      return;
    }
  }
}

}  // namespace iplug::igraphics
