// The point buffer every outline is built in, sub-paths and shapes made from it, and curve
// bounds. An outline is a start point followed by cubic segments.

#include "renderer/svg/SvgParser.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t kMaxBufferPoints = 1 << 24;  // far above any drawing; stops runaway growth

// Appends a move (1 point) or a segment (3 points) whole or not at all, so that the buffer
// always holds a start point plus three points per segment.
void svgAddPoints(SVGParser* p, const float* xy, int32_t count)
{
  if (p->npts + count > p->cpts)
  {
    const int64_t needed = static_cast<int64_t>(p->npts) + count;
    if (needed > kMaxBufferPoints)
      return;
    int64_t capacity = p->cpts > 0 ? p->cpts : 8;
    while (capacity < needed)
      capacity *= 2;
    capacity = std::min<int64_t>(capacity, kMaxBufferPoints);
    auto* grown = static_cast<float*>(std::realloc(p->pts, static_cast<size_t>(capacity) * 2 * sizeof(float)));
    if (!grown)
      return;
    p->pts = grown;
    p->cpts = static_cast<int32_t>(capacity);
  }
  std::memcpy(p->pts + 2 * p->npts, xy, static_cast<size_t>(count) * 2 * sizeof(float));
  p->npts += count;
}

// Bounds of the segments of a point list (start point, then three per segment), each point
// first mapped through t when one is given.
void svgCurveListBounds(float* bounds, const float* pts, int32_t npts, const float* t, bool first)
{
  for (int32_t i = 0; i + 3 < npts; i += 3)
  {
    float curve[8];
    for (int k = 0; k < 4; ++k)
    {
      const float x = pts[2 * (i + k)], y = pts[2 * (i + k) + 1];
      if (t)
        svgTransformPoint(&curve[2 * k], &curve[2 * k + 1], x, y, t);
      else
        svgSetPoint(&curve[2 * k], x, y);
    }
    float segment[4];
    svgBezierBounds(segment, curve);
    svgUnionBounds(bounds, segment, first && i == 0);
  }
}

// Copies the buffer into a new path of the shape being built, in picture coordinates.
void svgMakePath(SVGParser* p, bool closed)
{
  if (closed)
    svgLineTo(p, p->pts[0], p->pts[1]);
  auto* path = static_cast<SVGPath*>(std::calloc(1, sizeof(SVGPath)));
  if (!path)
    return;
  path->pts = static_cast<float*>(std::malloc(static_cast<size_t>(p->npts) * 2 * sizeof(float)));
  if (!path->pts)
  {
    std::free(path);
    return;
  }
  const float* xform = svgTopAttributes(p)->xform;
  for (int32_t i = 0; i < p->npts; ++i)
  {
    svgTransformPoint(&path->pts[2 * i], &path->pts[2 * i + 1], p->pts[2 * i], p->pts[2 * i + 1], xform);
  }
  path->npts = p->npts;
  path->closed = closed ? 1 : 0;
  svgCurveListBounds(path->bounds, path->pts, path->npts, nullptr, true);
  path->next = p->plist;
  p->plist = path;
}

// Bounds of every segment of a shape after mapping its points through t.
void svgTransformedBounds(float* bounds, const SVGShape* shape, const float* t)
{
  std::fill(bounds, bounds + 4, 0.0f);
  for (const SVGPath* path = shape->paths; path; path = path->next)
  {
    svgCurveListBounds(bounds, path->pts, path->npts, t, path == shape->paths);
  }
}

SVGPaint svgMakePaint(SVGParser* p, const SVGShape* shape, uint8_t source, uint32_t color, float opacity,
                      const char* gradientId)
{
  SVGPaint paint{};
  if (source == kSVGSourceColor)
  {
    paint.type = kSVGPaintColor;
    paint.color = color | static_cast<uint32_t>(opacity * 255.0f) << 24;
  }
  else if (source == kSVGSourceGradient)
  {
    float inverse[6], localBounds[4];
    svgTransformInvert(inverse, svgTopAttributes(p)->xform);
    svgTransformedBounds(localBounds, shape, inverse);
    uint8_t type = kSVGPaintNone;
    paint.gradient = svgResolveGradient(p, gradientId, localBounds, &type);
    if (paint.gradient)
      paint.type = type;
  }
  return paint;
}

}  // namespace

void svgSetPoint(float* point, float x, float y)
{
  point[0] = x;
  point[1] = y;
}

void svgUnionBounds(float* bounds, const float* other, bool first)
{
  if (first)
  {
    std::copy(other, other + 4, bounds);
    return;
  }
  bounds[0] = std::min(bounds[0], other[0]);
  bounds[1] = std::min(bounds[1], other[1]);
  bounds[2] = std::max(bounds[2], other[2]);
  bounds[3] = std::max(bounds[3], other[3]);
}

void svgMoveTo(SVGParser* p, float x, float y)
{
  if (p->npts > 0)
  {
    p->pts[2 * p->npts - 2] = x;
    p->pts[2 * p->npts - 1] = y;
    return;
  }
  const float xy[2] = {x, y};
  svgAddPoints(p, xy, 1);
}

void svgCubicTo(SVGParser* p, float c1x, float c1y, float c2x, float c2y, float x, float y)
{
  const float xy[6] = {c1x, c1y, c2x, c2y, x, y};
  svgAddPoints(p, xy, 3);
}

void svgLineTo(SVGParser* p, float x, float y)
{
  if (p->npts == 0)
    return;  // a line needs a point to start from
  const float px = p->pts[2 * p->npts - 2], py = p->pts[2 * p->npts - 1];
  const float dx = (x - px) / 3.0f, dy = (y - py) / 3.0f;
  svgCubicTo(p, px + dx, py + dy, x - dx, y - dy, x, y);
}

void svgFinishSubpath(SVGParser* p, bool closed)
{
  if (p->npts >= 4)
    svgMakePath(p, closed);
  p->npts = 0;  // the next outline starts from an empty buffer
}

void svgFinishShape(SVGParser* p)
{
  if (!p->plist)
    return;
  auto* shape = static_cast<SVGShape*>(std::calloc(1, sizeof(SVGShape)));
  if (!shape)
  {
    svgDeletePaths(p->plist);  // never let them join the next element's shape
    p->plist = nullptr;
    return;
  }
  const SVGAttributeState* a = svgTopAttributes(p);
  std::memcpy(shape->id, a->id, sizeof shape->id);
  const float* t = a->xform;
  const float scale = (std::sqrt(t[0] * t[0] + t[2] * t[2]) + std::sqrt(t[1] * t[1] + t[3] * t[3])) * 0.5f;
  shape->strokeWidth = a->strokeWidth * scale;
  shape->strokeDashOffset = a->strokeDashOffset * scale;
  shape->strokeDashCount = static_cast<int8_t>(a->strokeDashCount);
  for (int i = 0; i < a->strokeDashCount; ++i)
    shape->strokeDashArray[i] = a->strokeDashArray[i] * scale;
  shape->strokeLineJoin = a->strokeLineJoin;
  shape->strokeLineCap = a->strokeLineCap;
  shape->miterLimit = a->miterLimit;
  shape->fillRule = a->fillRule;
  shape->opacity = a->opacity;

  shape->paths = p->plist;
  p->plist = nullptr;
  for (const SVGPath* path = shape->paths; path; path = path->next)
  {
    svgUnionBounds(shape->bounds, path->bounds, path == shape->paths);
  }
  shape->fill = svgMakePaint(p, shape, a->hasFill, a->fillColor, a->fillOpacity, a->fillGradient);
  shape->stroke = svgMakePaint(p, shape, a->hasStroke, a->strokeColor, a->strokeOpacity, a->strokeGradient);
  if (a->visible)
    shape->flags = kSVGFlagsVisible;

  if (p->shapesTail)
    p->shapesTail->next = shape;
  else
    p->image->shapes = shape;
  p->shapesTail = shape;
}

void svgBezierBounds(float* bounds, const float* curve)
{
  const float* p0 = curve;
  const float* p1 = curve + 2;
  const float* p2 = curve + 4;
  const float* p3 = curve + 6;
  bounds[0] = std::min(p0[0], p3[0]);
  bounds[1] = std::min(p0[1], p3[1]);
  bounds[2] = std::max(p0[0], p3[0]);
  bounds[3] = std::max(p0[1], p3[1]);
  auto inside = [bounds](const float* q) {
    return q[0] >= bounds[0] && q[0] <= bounds[2] && q[1] >= bounds[1] && q[1] <= bounds[3];
  };
  if (inside(p1) && inside(p2))
    return;
  for (int axis = 0; axis < 2; ++axis)
  {
    const double v0 = p0[axis], v1 = p1[axis], v2 = p2[axis], v3 = p3[axis];
    const double a = -3.0 * v0 + 9.0 * v1 - 9.0 * v2 + 3.0 * v3;
    const double b = 6.0 * v0 - 12.0 * v1 + 6.0 * v2;
    const double c = 3.0 * v1 - 3.0 * v0;
    double roots[2];
    int count = 0;
    if (std::fabs(a) < 1e-12)
    {
      if (std::fabs(b) > 1e-12)
        roots[count++] = -c / b;
    }
    else
    {
      const double discriminant = b * b - 4.0 * a * c;
      if (discriminant > 1e-12)
      {
        roots[count++] = (-b + std::sqrt(discriminant)) / (2.0 * a);
        roots[count++] = (-b - std::sqrt(discriminant)) / (2.0 * a);
      }
    }
    for (int i = 0; i < count; ++i)
    {
      const double t = roots[i];
      if (!(t > 1e-12 && t < 0.999999999999))
        continue;
      const double u = 1.0 - t;
      const auto value = static_cast<float>(u * u * u * v0 + 3.0 * u * u * t * v1 + 3.0 * u * t * t * v2 +
                                            t * t * t * v3);
      bounds[axis] = std::min(bounds[axis], value);
      bounds[axis + 2] = std::max(bounds[axis + 2], value);
    }
  }
}

void svgDeletePaths(SVGPath* path)
{
  while (path)
  {
    SVGPath* next = path->next;
    std::free(path->pts);
    std::free(path);
    path = next;
  }
}
