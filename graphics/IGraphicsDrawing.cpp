// Drawing operations of the graphics object, built on the back end's path primitives, and the
// transform stack they use.

#include <cmath>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {
constexpr float kPi = 3.1415927f;

IStrokeOptions DashedStroke(float dashLen)
{
  IStrokeOptions options;
  options.mDash.SetDash(&dashLen, 0.f, 1);
  return options;
}
}  // namespace

void IGraphics::PathRect(const IRECT& r)
{
  PathMoveTo(r.L, r.T);
  PathLineTo(r.R, r.T);
  PathLineTo(r.R, r.B);
  PathLineTo(r.L, r.B);
  PathClose();
}

void IGraphics::PathRoundRect(const IRECT& r, float tl, float tr, float bl, float br)
{
  if (tl <= 0.f && tr <= 0.f && bl <= 0.f && br <= 0.f)
  {
    PathRect(r);
    return;
  }
  PathMoveTo(r.L, r.T + tl);
  PathArc(r.L + tl, r.T + tl, tl, 270.f, 360.f);
  PathArc(r.R - tr, r.T + tr, tr, 0.f, 90.f);
  PathArc(r.R - br, r.B - br, br, 90.f, 180.f);
  PathArc(r.L + bl, r.B - bl, bl, 180.f, 270.f);
  PathClose();
}

void IGraphics::PathRoundRect(const IRECT& r, float cornerRadius)
{
  PathRoundRect(r, cornerRadius, cornerRadius, cornerRadius, cornerRadius);
}

void IGraphics::PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3)
{
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathLineTo(x3, y3);
  PathClose();
}

void IGraphics::PathConvexPolygon(const float* x, const float* y, int npoints)
{
  // Without points there is nothing to read.
  if (npoints < 1)
  {
    return;
  }
  PathMoveTo(x[0], y[0]);
  for (int i = 1; i < npoints; ++i)
  {
    PathLineTo(x[i], y[i]);
  }
  PathClose();
}

void IGraphics::PathCircle(float cx, float cy, float r)
{
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, 0.f, 360.f);
  PathClose();
}

void IGraphics::PathEllipse(float x, float y, float r1, float r2, float angle)
{
  if (r1 <= 0.f || r2 <= 0.f)
  {
    return;
  }
  SaveTransform();
  TransformTranslate(x, y);
  TransformRotate(angle);
  TransformScale(r1, r2);
  PathCircle(0.f, 0.f, 1.f);
  RestoreTransform();
}

void IGraphics::PathEllipse(const IRECT& r)
{
  PathEllipse((r.L + r.R) * 0.5f, (r.T + r.B) * 0.5f, (r.R - r.L) * 0.5f, (r.B - r.T) * 0.5f, 0.f);
}

void IGraphics::DrawBitmapScaledToFit(const IBitmap& bitmap, const IRECT& bounds, const IBlend* blend)
{
  SaveTransform();
  TransformTranslate(bounds.L, bounds.T);
  TransformScale(bounds.W() / static_cast<float>(bitmap.W()), bounds.H() / static_cast<float>(bitmap.H()));
  DrawBitmap(bitmap, IRECT(0.f, 0.f, static_cast<float>(bitmap.W()), static_cast<float>(bitmap.H())), 0, 0, blend);
  RestoreTransform();
}

void IGraphics::DrawBitmapRotated(const IBitmap& bitmap, float cx, float cy, double angle, const IBlend* blend)
{
  const float w = static_cast<float>(bitmap.W()) / bitmap.GetDrawScale();
  const float h = static_cast<float>(bitmap.H()) / bitmap.GetDrawScale();
  SaveTransform();
  TransformTranslate(cx, cy);
  TransformRotate(static_cast<float>(angle));
  DrawBitmap(bitmap, IRECT(-w / 2.f, -h / 2.f, w / 2.f, h / 2.f), 0, 0, blend);
  RestoreTransform();
}

void IGraphics::DrawPoint(const IColor& color, float x, float y, const IBlend* blend)
{
  FillRect(color, IRECT(x, y, x + 1.f, y + 1.f), blend);
}

void IGraphics::DrawLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend,
                         float thickness)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend,
                               float thickness, float dashLen)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(color, thickness, DashedStroke(dashLen), blend);
}

void IGraphics::DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                             const IBlend* blend, float thickness)
{
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRect(const IColor& color, const IRECT& bounds, const IBlend* blend, float thickness)
{
  PathClear();
  PathRect(bounds);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius, const IBlend* blend,
                              float thickness)
{
  PathClear();
  PathRoundRect(bounds, cornerRadius);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRoundRectCorners(const IColor& color, const IRECT& bounds, float tl, float tr, float bl, float br,
                                     const IBlend* blend, float thickness)
{
  PathClear();
  PathRoundRect(bounds, tl, tr, bl, br);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2, const IBlend* blend,
                        float thickness)
{
  PathClear();
  PathArc(cx, cy, r, a1, a2);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend, float thickness)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawEllipse(const IColor& color, const IRECT& bounds, const IBlend* blend, float thickness)
{
  PathClear();
  PathEllipse(bounds);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawEllipseAt(const IColor& color, float x, float y, float r1, float r2, float angle,
                              const IBlend* blend, float thickness)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawConvexPolygon(const IColor& color, const float* x, const float* y, int npoints, const IBlend* blend,
                                  float thickness)
{
  if (npoints < 1)
  {
    return;
  }
  PathClear();
  PathConvexPolygon(x, y, npoints);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* blend, float thickness,
                               float dashLen)
{
  PathClear();
  PathRect(bounds);
  PathStroke(color, thickness, DashedStroke(dashLen), blend);
}

void IGraphics::FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                             const IBlend* blend)
{
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillRect(const IColor& color, const IRECT& bounds, const IBlend* blend)
{
  FillRectWithPattern(color, bounds, blend);
}

void IGraphics::FillRectWithPattern(const IPattern& pattern, const IRECT& bounds, const IBlend* blend)
{
  PathClear();
  PathRect(bounds);
  PathFill(pattern, IFillOptions(), blend);
}

void IGraphics::FillRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius, const IBlend* blend)
{
  PathClear();
  PathRoundRect(bounds, cornerRadius);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillRoundRectCorners(const IColor& color, const IRECT& bounds, float tl, float tr, float bl, float br,
                                     const IBlend* blend)
{
  PathClear();
  PathRoundRect(bounds, tl, tr, bl, br);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillEllipse(const IColor& color, const IRECT& bounds, const IBlend* blend)
{
  PathClear();
  PathEllipse(bounds);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillEllipseAt(const IColor& color, float x, float y, float r1, float r2, float angle,
                              const IBlend* blend)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2, const IBlend* blend)
{
  PathClear();
  PathMoveTo(cx, cy);
  PathArc(cx, cy, r, a1, a2);
  PathClose();
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillConvexPolygon(const IColor& color, const float* x, const float* y, int npoints, const IBlend* blend)
{
  if (npoints < 1)
  {
    return;
  }
  PathClear();
  PathConvexPolygon(x, y, npoints);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::DrawGrid(const IColor& color, const IRECT& bounds, float gridSizeH, float gridSizeV,
                         const IBlend* blend, float thickness)
{
  PathClear();
  if (gridSizeH > 1.f)
  {
    for (float x = bounds.L + gridSizeH; x < bounds.R; x += gridSizeH)
    {
      PathMoveTo(x, bounds.T);
      PathLineTo(x, bounds.B);
    }
  }
  if (gridSizeV > 1.f)
  {
    for (float y = bounds.T + gridSizeV; y < bounds.B; y += gridSizeV)
    {
      PathMoveTo(bounds.L, y);
      PathLineTo(bounds.R, y);
    }
  }
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawPlot(const IColor& color, const IRECT& bounds, const float* normYPoints, int nPoints,
                         const float* normXPoints, const IBlend* blend, float thickness)
{
  if (nPoints < 1)
  {
    return;
  }
  const float w = bounds.W(), h = bounds.H();
  PathClear();
  PathMoveTo(bounds.L, bounds.B - h * normYPoints[0]);
  for (int i = 1; i < nPoints; ++i)
  {
    const float x = normXPoints ? bounds.L + w * normXPoints[i] : bounds.L + (w / static_cast<float>(nPoints - 1)) * i;
    PathLineTo(x, bounds.B - h * normYPoints[i]);
  }
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend)
{
  if (!str || !str[0])
  {
    return;
  }
  DrawTextRun(text, str, bounds, blend);
}

void IGraphics::RestoreTransform()
{
  if (mTransformStates.empty())
  {
    return;
  }
  mTransform = mTransformStates.top();
  mTransformStates.pop();
  SetTransform(mTransform);
}

void IGraphics::ResetTransform(bool clearStack)
{
  if (clearStack)
  {
    mTransformStates = {};
  }
  mTransform = IMatrix();
  SetTransform(mTransform);
}

void IGraphics::TransformTranslate(float x, float y)
{
  mTransform.mTX += x * mTransform.mXX + y * mTransform.mXY;
  mTransform.mTY += x * mTransform.mYX + y * mTransform.mYY;
  SetTransform(mTransform);
}

void IGraphics::TransformScale(float x, float y)
{
  mTransform.mXX *= x;
  mTransform.mYX *= x;
  mTransform.mXY *= y;
  mTransform.mYY *= y;
  SetTransform(mTransform);
}

void IGraphics::TransformRotate(float degrees)
{
  const float a = degrees / 180.f * kPi;
  const double c = std::cos(a), s = std::sin(a);
  const IMatrix m = mTransform;
  mTransform.mXX = c * m.mXX + s * m.mXY;
  mTransform.mYX = c * m.mYX + s * m.mYY;
  mTransform.mXY = c * m.mXY - s * m.mXX;
  mTransform.mYY = c * m.mYY - s * m.mYX;
  SetTransform(mTransform);
}

void IGraphics::TransformSkew(float xDegrees, float yDegrees)
{
  const double xs = std::tan(xDegrees * kPi / 180.f);
  const double ys = std::tan(yDegrees * kPi / 180.f);
  TransformMatrix(IMatrix(1.0, ys, xs, 1.0, 0.0, 0.0));
}

void IGraphics::TransformMatrix(const IMatrix& m)
{
  mTransform.Transform(m);
  SetTransform(mTransform);
}

}  // namespace iplug::igraphics
