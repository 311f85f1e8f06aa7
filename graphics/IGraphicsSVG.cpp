// Drawing a parsed SVG document: its outlines as paths, each sub-path's winding found by a ray
// test, its paints as patterns.

#include <cmath>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {
IPattern PatternFromPaint(const SVGPaint& paint, float opacity)
{
  const int alpha = std::clamp(static_cast<int>(std::lround(opacity * 255.f)), 0, 255);
  if (paint.type == kSVGPaintColor)
  {
    const uint32_t c = paint.color;
    return IPattern(IColor(alpha, c & 255, (c >> 8) & 255, (c >> 16) & 255));
  }
  if ((paint.type == kSVGPaintLinearGradient || paint.type == kSVGPaintRadialGradient) && paint.gradient)
  {
    const SVGGradient& g = *paint.gradient;
    IPattern pattern;
    pattern.mType = paint.type == kSVGPaintLinearGradient ? 1 : 2;
    pattern.mExtend = g.spread < 3 ? 1 + g.spread : 1;
    pattern.mNStops = 0;
    for (int i = 0; i < g.nstops; ++i)
    {
      const uint32_t c = g.stops[i].color;
      pattern.AddStop(IColor(255, c & 255, (c >> 8) & 255, (c >> 16) & 255), g.stops[i].offset);
    }
    pattern.mTransform = IMatrix(g.xform[0], g.xform[1], g.xform[2], g.xform[3], g.xform[4], g.xform[5]);
    return pattern;
  }
  return IPattern(IColor(alpha, 0, 0, 0));
}

// An outline is a start point followed by whole cubic segments; anything else is not drawn.
bool WellFormed(const SVGPath& path)
{
  return path.pts && path.npts >= 1 && (path.npts - 1) % 3 == 0;
}

// How many edges of the shape's other outlines (each taken as the polygon through every third
// point) a ray from path's start point towards its top-left corner crosses.
int RayCrossings(const SVGShape& shape, const SVGPath& path)
{
  const double px = path.pts[0], py = path.pts[1];
  const double dx = (path.bounds[0] - 1.0) - px, dy = (path.bounds[1] - 1.0) - py;
  int crossings = 0;
  for (const SVGPath* other = shape.paths; other; other = other->next)
  {
    if (other == &path || other->npts < 4 || !WellFormed(*other))
    {
      continue;
    }
    const int nCorners = (other->npts - 1) / 3;
    for (int c = 0; c < nCorners; ++c)
    {
      const int a = c * 3, b = ((c + 1) % nCorners) * 3;
      const double ax = other->pts[a * 2], ay = other->pts[a * 2 + 1];
      const double ex = other->pts[b * 2] - ax, ey = other->pts[b * 2 + 1] - ay;
      const double det = dx * ey - dy * ex;
      if (std::abs(det) < 1e-8)
      {
        continue;
      }
      const double wx = ax - px, wy = ay - py;
      const double t = (wx * ey - wy * ex) / det;
      const double s = (wx * dy - wy * dx) / det;
      if (s >= 0.0 && s < 1.0 && t >= 0.0)
      {
        ++crossings;
      }
    }
  }
  return crossings;
}
}  // namespace

void IGraphics::DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* blend)
{
  // A document without extent has no scale to fit.
  if (!svg.IsValid() || !(svg.W() > 0.f) || !(svg.H() > 0.f))
  {
    return;
  }
  const float s = std::min(bounds.W() / svg.W(), bounds.H() / svg.H());
  SaveTransform();
  TransformTranslate(bounds.L, bounds.T);
  TransformScale(s, s);
  DrawSVGShapes(*svg.mImage, blend);
  RestoreTransform();
}

void IGraphics::DrawSVGRotated(const ISVG& svg, float cx, float cy, float width, float height, double angle,
                               const IBlend* blend)
{
  SaveTransform();
  TransformTranslate(cx, cy);
  TransformRotate(static_cast<float>(angle));
  DrawSVG(svg, IRECT(-width / 2.f, -height / 2.f, width / 2.f, height / 2.f), blend);
  RestoreTransform();
}

void IGraphics::DrawSVGShapes(const SVGImage& image, const IBlend* blend)
{
  for (const SVGShape* shape = image.shapes; shape; shape = shape->next)
  {
    if (!(shape->flags & kSVGFlagsVisible))
    {
      continue;
    }
    PathClear();
    for (const SVGPath* path = shape->paths; path; path = path->next)
    {
      if (!WellFormed(*path))
      {
        continue;
      }
      const float* p = path->pts;
      PathMoveTo(p[0], p[1]);
      for (int i = 1; i < path->npts; i += 3)
      {
        const float* q = p + i * 2;
        PathBezierTo(q[0], q[1], q[2], q[3], q[4], q[5]);
      }
      if (path->closed)
      {
        PathClose();
      }
      PathWindingRule(RayCrossings(*shape, *path) % 2 == 1 ? 1 : 0);
    }

    if (shape->fill.type != kSVGPaintNone)
    {
      PathFill(PatternFromPaint(shape->fill, shape->opacity), IFillOptions(2, shape->stroke.type != kSVGPaintNone),
               blend);
    }
    if (shape->stroke.type != kSVGPaintNone)
    {
      IStrokeOptions options;
      options.mMiterLimit = shape->miterLimit;
      options.mCapOption = shape->strokeLineCap < 3 ? shape->strokeLineCap : 0;
      options.mJoinOption = shape->strokeLineJoin < 3 ? shape->strokeLineJoin : 0;
      options.mDash.SetDash(shape->strokeDashArray, shape->strokeDashOffset, shape->strokeDashCount);
      PathStroke(PatternFromPaint(shape->stroke, shape->opacity), shape->strokeWidth, options, blend);
    }
  }
}

}  // namespace iplug::igraphics
