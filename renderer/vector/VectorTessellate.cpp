// Flattening of the command buffer into polylines, joins, and the fill and stroke geometry with
// anti-aliasing fringes that goes to the back end.
#include "renderer/vector/VectorState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr float kPi = 3.14159265358979323846264338327f;
constexpr int kMaxBezierLevel = 10;
constexpr float kFillMiterLimit = 2.4f;

float clampf(float a, float lo, float hi)
{
  return a < lo ? lo : (a > hi ? hi : a);
}

float normalize(float* x, float* y)
{
  const float d = std::sqrt((*x) * (*x) + (*y) * (*y));
  if (d > 1e-6f)
  {
    const float id = 1.0f / d;
    *x *= id;
    *y *= id;
  }
  return d;
}

bool pointsEqual(float x1, float y1, float x2, float y2, float tol)
{
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  return dx * dx + dy * dy < tol * tol;
}

NVGpath* lastPath(NVGcontext* ctx)
{
  return ctx->cache->npaths > 0 ? &ctx->cache->paths[ctx->cache->npaths - 1] : nullptr;
}

NVGpoint* lastPoint(NVGcontext* ctx)
{
  return ctx->cache->npoints > 0 ? &ctx->cache->points[ctx->cache->npoints - 1] : nullptr;
}

void addPath(NVGcontext* ctx)
{
  NVGpathCache* cache = ctx->cache;
  if (cache->npaths + 1 > cache->cpaths &&
      !vgResizeArray(cache->paths, cache->cpaths, cache->npaths + 1LL + cache->cpaths / 2))
    return;
  NVGpath* path = &cache->paths[cache->npaths];
  std::memset(path, 0, sizeof(*path));
  path->first = cache->npoints;
  path->winding = NVG_CCW;
  cache->npaths++;
}

void appendPoint(NVGcontext* ctx, float x, float y, unsigned char flags)
{
  NVGpathCache* cache = ctx->cache;
  NVGpath* path = lastPath(ctx);
  if (!path)
    return;
  if (path->count > 0 && cache->npoints > 0)
  {
    NVGpoint* pt = lastPoint(ctx);
    if (pointsEqual(pt->x, pt->y, x, y, ctx->distTol))
    {
      pt->flags |= flags;
      return;
    }
  }
  if (cache->npoints + 1 > cache->cpoints &&
      !vgResizeArray(cache->points, cache->cpoints, cache->npoints + cache->cpoints / 2 + 1LL))
    return;
  NVGpoint* pt = &cache->points[cache->npoints];
  std::memset(pt, 0, sizeof(*pt));
  pt->x = x;
  pt->y = y;
  pt->flags = flags;
  cache->npoints++;
  path->count++;
}

void tesselateBezier(NVGcontext* ctx, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                     int level, unsigned char type)
{
  if (level > kMaxBezierLevel)
    return;
  const float dx = x4 - x1;
  const float dy = y4 - y1;
  const float d2 = std::fabs((x2 - x4) * dy - (y2 - y4) * dx);
  const float d3 = std::fabs((x3 - x4) * dy - (y3 - y4) * dx);
  if ((d2 + d3) * (d2 + d3) < ctx->tessTol * (dx * dx + dy * dy))
  {
    appendPoint(ctx, x4, y4, type);
    return;
  }
  const float x12 = (x1 + x2) * 0.5f, y12 = (y1 + y2) * 0.5f;
  const float x23 = (x2 + x3) * 0.5f, y23 = (y2 + y3) * 0.5f;
  const float x34 = (x3 + x4) * 0.5f, y34 = (y3 + y4) * 0.5f;
  const float x123 = (x12 + x23) * 0.5f, y123 = (y12 + y23) * 0.5f;
  const float x234 = (x23 + x34) * 0.5f, y234 = (y23 + y34) * 0.5f;
  const float x1234 = (x123 + x234) * 0.5f, y1234 = (y123 + y234) * 0.5f;
  tesselateBezier(ctx, x1, y1, x12, y12, x123, y123, x1234, y1234, level + 1, 0);
  tesselateBezier(ctx, x1234, y1234, x234, y234, x34, y34, x4, y4, level + 1, type);
}

float polyArea(const NVGpoint* pts, int npts)
{
  float area = 0;
  for (int i = 2; i < npts; i++)
  {
    const NVGpoint* a = &pts[0];
    const NVGpoint* b = &pts[i - 1];
    const NVGpoint* c = &pts[i];
    area += (c->x - a->x) * (b->y - a->y) - (b->x - a->x) * (c->y - a->y);
  }
  return area * 0.5f;
}

void polyReverse(NVGpoint* pts, int npts)
{
  std::reverse(pts, pts + npts);
}

void flattenPaths(NVGcontext* ctx)
{
  NVGpathCache* cache = ctx->cache;
  if (cache->npaths > 0)
    return;

  int i = 0;
  while (i < ctx->ncommands)
  {
    const float* cmd = &ctx->commands[i];
    switch (static_cast<int>(cmd[0]))
    {
      case NVG_MOVETO:
        addPath(ctx);
        appendPoint(ctx, cmd[1], cmd[2], NVG_PT_CORNER);
        i += 3;
        break;
      case NVG_LINETO:
        appendPoint(ctx, cmd[1], cmd[2], NVG_PT_CORNER);
        i += 3;
        break;
      case NVG_BEZIERTO:
        if (const NVGpoint* last = lastPoint(ctx))
          tesselateBezier(ctx, last->x, last->y, cmd[1], cmd[2], cmd[3], cmd[4], cmd[5], cmd[6], 0, NVG_PT_CORNER);
        i += 7;
        break;
      case NVG_CLOSE:
        if (NVGpath* path = lastPath(ctx))
          path->closed = 1;
        i++;
        break;
      case NVG_WINDING:
        if (NVGpath* path = lastPath(ctx))
          path->winding = static_cast<int>(cmd[1]);
        i += 2;
        break;
      default: i++; break;
    }
  }

  cache->bounds[0] = cache->bounds[1] = 1e6f;
  cache->bounds[2] = cache->bounds[3] = -1e6f;

  for (int j = 0; j < cache->npaths; j++)
  {
    NVGpath* path = &cache->paths[j];
    NVGpoint* pts = &cache->points[path->first];
    if (path->count > 0 &&
        pointsEqual(pts[path->count - 1].x, pts[path->count - 1].y, pts[0].x, pts[0].y, ctx->distTol))
    {
      path->count--;
      path->closed = 1;
    }
    if (path->count > 2)
    {
      const float area = polyArea(pts, path->count);
      if ((path->winding == NVG_CCW && area < 0.0f) || (path->winding == NVG_CW && area > 0.0f))
        polyReverse(pts, path->count);
    }
    for (int k = 0; k < path->count; k++)
    {
      NVGpoint* p0 = &pts[k];
      const NVGpoint* p1 = &pts[(k + 1) % path->count];
      p0->dx = p1->x - p0->x;
      p0->dy = p1->y - p0->y;
      p0->len = normalize(&p0->dx, &p0->dy);
      cache->bounds[0] = std::min(cache->bounds[0], p0->x);
      cache->bounds[1] = std::min(cache->bounds[1], p0->y);
      cache->bounds[2] = std::max(cache->bounds[2], p0->x);
      cache->bounds[3] = std::max(cache->bounds[3], p0->y);
    }
  }
}

// ceil(v) limited to lo..hi; a value that is not a number gives lo.
int roundedCount(float v, int lo, int hi)
{
  return static_cast<int>(std::fmin(std::fmax(std::ceil(v), static_cast<float>(lo)), static_cast<float>(hi)));
}

// Divisions of an arc of angle `arc` and radius r so that no chord strays more than tol from it.
int curveDivs(float r, float arc, float tol)
{
  const float da = std::acos(r / (r + tol)) * 2.0f;
  return roundedCount(arc / da, 2, 10000);
}

// Sign changes of one direction component round a closed polyline, ignoring zero components.
int signChanges(const NVGpoint* pts, int count, float NVGpoint::*component)
{
  int changes = 0;
  int first = 0, last = 0;
  for (int i = 0; i < count; i++)
  {
    const float d = pts[i].*component;
    const int sign = d > 1e-6f ? 1 : (d < -1e-6f ? -1 : 0);
    if (sign == 0)
      continue;
    if (first == 0)
      first = sign;
    else if (sign != last)
      changes++;
    last = sign;
  }
  return changes + (first != 0 && last != first ? 1 : 0);
}

// Turning left at every point is not enough for convexity: a pentagram does so too, winding round
// twice. A convex outline winds once, so each direction component changes sign at most twice.
bool windsOnce(const NVGpoint* pts, int count)
{
  return signChanges(pts, count, &NVGpoint::dx) <= 2 && signChanges(pts, count, &NVGpoint::dy) <= 2;
}

void calculateJoins(NVGcontext* ctx, float w, int lineJoin, float miterLimit)
{
  NVGpathCache* cache = ctx->cache;
  const float iw = w > 0.0f ? 1.0f / w : 0.0f;
  for (int i = 0; i < cache->npaths; i++)
  {
    NVGpath* path = &cache->paths[i];
    NVGpoint* pts = &cache->points[path->first];
    int nleft = 0;
    path->nbevel = 0;
    for (int j = 0; j < path->count; j++)
    {
      const NVGpoint* p0 = &pts[(j + path->count - 1) % path->count];
      NVGpoint* p1 = &pts[j];
      const float dlx0 = p0->dy, dly0 = -p0->dx;
      const float dlx1 = p1->dy, dly1 = -p1->dx;
      p1->dmx = (dlx0 + dlx1) * 0.5f;
      p1->dmy = (dly0 + dly1) * 0.5f;
      const float dmr2 = p1->dmx * p1->dmx + p1->dmy * p1->dmy;
      if (dmr2 > 0.000001f)
      {
        const float scale = std::min(1.0f / dmr2, 600.0f);
        p1->dmx *= scale;
        p1->dmy *= scale;
      }
      p1->flags = (p1->flags & NVG_PT_CORNER) ? NVG_PT_CORNER : 0;
      const float cross = p1->dx * p0->dy - p0->dx * p1->dy;
      if (cross > 0.0f)
      {
        nleft++;
        p1->flags |= NVG_PT_LEFT;
      }
      const float limit = std::max(1.01f, std::min(p0->len, p1->len) * iw);
      if (dmr2 * limit * limit < 1.0f)
        p1->flags |= NVG_PR_INNERBEVEL;
      if ((p1->flags & NVG_PT_CORNER) &&
          (dmr2 * miterLimit * miterLimit < 1.0f || lineJoin == NVG_BEVEL || lineJoin == NVG_ROUND))
        p1->flags |= NVG_PT_BEVEL;
      if (p1->flags & (NVG_PT_BEVEL | NVG_PR_INNERBEVEL))
        path->nbevel++;
    }
    path->convex = (nleft == path->count && windsOnce(pts, path->count)) ? 1 : 0;
  }
}

NVGvertex* vset(NVGvertex* vtx, float x, float y, float u, float v)
{
  *vtx = {x, y, u, v};
  return vtx + 1;
}

// The two outer points of a join: the ends of both segments' offsets at an inner bevel, else the
// single mitre point.
void chooseBevel(bool bevel, const NVGpoint* p0, const NVGpoint* p1, float w, float* x0, float* y0, float* x1,
                 float* y1)
{
  if (bevel)
  {
    *x0 = p1->x + p0->dy * w;
    *y0 = p1->y - p0->dx * w;
    *x1 = p1->x + p1->dy * w;
    *y1 = p1->y - p1->dx * w;
  }
  else
  {
    *x0 = *x1 = p1->x + p1->dmx * w;
    *y0 = *y1 = p1->y + p1->dmy * w;
  }
}

NVGvertex* roundJoin(NVGvertex* dst, const NVGpoint* p0, const NVGpoint* p1, float lw, float rw, float lu, float ru,
                     int ncap)
{
  const float dlx0 = p0->dy, dly0 = -p0->dx;
  const float dlx1 = p1->dy, dly1 = -p1->dx;
  const bool inner = (p1->flags & NVG_PR_INNERBEVEL) != 0;
  if (p1->flags & NVG_PT_LEFT)
  {
    float lx0, ly0, lx1, ly1;
    chooseBevel(inner, p0, p1, lw, &lx0, &ly0, &lx1, &ly1);
    const float a0 = std::atan2(-dly0, -dlx0);
    float a1 = std::atan2(-dly1, -dlx1);
    if (a1 > a0)
      a1 -= kPi * 2;
    dst = vset(dst, lx0, ly0, lu, 1);
    dst = vset(dst, p1->x - dlx0 * rw, p1->y - dly0 * rw, ru, 1);
    const int n = roundedCount(((a0 - a1) / kPi) * ncap, 2, ncap);
    for (int i = 0; i < n; i++)
    {
      const float u = static_cast<float>(i) / static_cast<float>(n - 1);
      const float a = a0 + u * (a1 - a0);
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
      dst = vset(dst, p1->x + std::cos(a) * rw, p1->y + std::sin(a) * rw, ru, 1);
    }
    dst = vset(dst, lx1, ly1, lu, 1);
    dst = vset(dst, p1->x - dlx1 * rw, p1->y - dly1 * rw, ru, 1);
  }
  else
  {
    float rx0, ry0, rx1, ry1;
    chooseBevel(inner, p0, p1, -rw, &rx0, &ry0, &rx1, &ry1);
    const float a0 = std::atan2(dly0, dlx0);
    float a1 = std::atan2(dly1, dlx1);
    if (a1 < a0)
      a1 += kPi * 2;
    dst = vset(dst, p1->x + dlx0 * lw, p1->y + dly0 * lw, lu, 1);
    dst = vset(dst, rx0, ry0, ru, 1);
    const int n = roundedCount(((a1 - a0) / kPi) * ncap, 2, ncap);
    for (int i = 0; i < n; i++)
    {
      const float u = static_cast<float>(i) / static_cast<float>(n - 1);
      const float a = a0 + u * (a1 - a0);
      dst = vset(dst, p1->x + std::cos(a) * lw, p1->y + std::sin(a) * lw, lu, 1);
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
    }
    dst = vset(dst, p1->x + dlx1 * lw, p1->y + dly1 * lw, lu, 1);
    dst = vset(dst, rx1, ry1, ru, 1);
  }
  return dst;
}

NVGvertex* bevelJoin(NVGvertex* dst, const NVGpoint* p0, const NVGpoint* p1, float lw, float rw, float lu, float ru)
{
  const float dlx0 = p0->dy, dly0 = -p0->dx;
  const float dlx1 = p1->dy, dly1 = -p1->dx;
  const bool inner = (p1->flags & NVG_PR_INNERBEVEL) != 0;
  const bool bevel = (p1->flags & NVG_PT_BEVEL) != 0;
  if (p1->flags & NVG_PT_LEFT)
  {
    float lx0, ly0, lx1, ly1;
    chooseBevel(inner, p0, p1, lw, &lx0, &ly0, &lx1, &ly1);
    dst = vset(dst, lx0, ly0, lu, 1);
    dst = vset(dst, p1->x - dlx0 * rw, p1->y - dly0 * rw, ru, 1);
    if (bevel)
    {
      dst = vset(dst, lx0, ly0, lu, 1);
      dst = vset(dst, p1->x - dlx0 * rw, p1->y - dly0 * rw, ru, 1);
      dst = vset(dst, lx1, ly1, lu, 1);
      dst = vset(dst, p1->x - dlx1 * rw, p1->y - dly1 * rw, ru, 1);
    }
    else
    {
      const float rx0 = p1->x - p1->dmx * rw;
      const float ry0 = p1->y - p1->dmy * rw;
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
      dst = vset(dst, p1->x - dlx0 * rw, p1->y - dly0 * rw, ru, 1);
      dst = vset(dst, rx0, ry0, ru, 1);
      dst = vset(dst, rx0, ry0, ru, 1);
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
      dst = vset(dst, p1->x - dlx1 * rw, p1->y - dly1 * rw, ru, 1);
    }
    dst = vset(dst, lx1, ly1, lu, 1);
    dst = vset(dst, p1->x - dlx1 * rw, p1->y - dly1 * rw, ru, 1);
  }
  else
  {
    float rx0, ry0, rx1, ry1;
    chooseBevel(inner, p0, p1, -rw, &rx0, &ry0, &rx1, &ry1);
    dst = vset(dst, p1->x + dlx0 * lw, p1->y + dly0 * lw, lu, 1);
    dst = vset(dst, rx0, ry0, ru, 1);
    if (bevel)
    {
      dst = vset(dst, p1->x + dlx0 * lw, p1->y + dly0 * lw, lu, 1);
      dst = vset(dst, rx0, ry0, ru, 1);
      dst = vset(dst, p1->x + dlx1 * lw, p1->y + dly1 * lw, lu, 1);
      dst = vset(dst, rx1, ry1, ru, 1);
    }
    else
    {
      const float lx0 = p1->x + p1->dmx * lw;
      const float ly0 = p1->y + p1->dmy * lw;
      dst = vset(dst, p1->x + dlx0 * lw, p1->y + dly0 * lw, lu, 1);
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
      dst = vset(dst, lx0, ly0, lu, 1);
      dst = vset(dst, lx0, ly0, lu, 1);
      dst = vset(dst, p1->x + dlx1 * lw, p1->y + dly1 * lw, lu, 1);
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
    }
    dst = vset(dst, p1->x + dlx1 * lw, p1->y + dly1 * lw, lu, 1);
    dst = vset(dst, rx1, ry1, ru, 1);
  }
  return dst;
}

NVGvertex* buttCapStart(NVGvertex* dst, const NVGpoint* p, float dx, float dy, float w, float d, float aa, float u0,
                        float u1)
{
  const float px = p->x - dx * d;
  const float py = p->y - dy * d;
  const float dlx = dy, dly = -dx;
  dst = vset(dst, px + dlx * w - dx * aa, py + dly * w - dy * aa, u0, 0);
  dst = vset(dst, px - dlx * w - dx * aa, py - dly * w - dy * aa, u1, 0);
  dst = vset(dst, px + dlx * w, py + dly * w, u0, 1);
  dst = vset(dst, px - dlx * w, py - dly * w, u1, 1);
  return dst;
}

NVGvertex* buttCapEnd(NVGvertex* dst, const NVGpoint* p, float dx, float dy, float w, float d, float aa, float u0,
                      float u1)
{
  const float px = p->x + dx * d;
  const float py = p->y + dy * d;
  const float dlx = dy, dly = -dx;
  dst = vset(dst, px + dlx * w, py + dly * w, u0, 1);
  dst = vset(dst, px - dlx * w, py - dly * w, u1, 1);
  dst = vset(dst, px + dlx * w + dx * aa, py + dly * w + dy * aa, u0, 0);
  dst = vset(dst, px - dlx * w + dx * aa, py - dly * w + dy * aa, u1, 0);
  return dst;
}

NVGvertex* roundCapStart(NVGvertex* dst, const NVGpoint* p, float dx, float dy, float w, int ncap, float u0, float u1)
{
  const float px = p->x, py = p->y;
  const float dlx = dy, dly = -dx;
  for (int i = 0; i < ncap; i++)
  {
    const float a = static_cast<float>(i) / static_cast<float>(ncap - 1) * kPi;
    const float ax = std::cos(a) * w, ay = std::sin(a) * w;
    dst = vset(dst, px - dlx * ax - dx * ay, py - dly * ax - dy * ay, u0, 1);
    dst = vset(dst, px, py, 0.5f, 1);
  }
  dst = vset(dst, px + dlx * w, py + dly * w, u0, 1);
  dst = vset(dst, px - dlx * w, py - dly * w, u1, 1);
  return dst;
}

NVGvertex* roundCapEnd(NVGvertex* dst, const NVGpoint* p, float dx, float dy, float w, int ncap, float u0, float u1)
{
  const float px = p->x, py = p->y;
  const float dlx = dy, dly = -dx;
  dst = vset(dst, px + dlx * w, py + dly * w, u0, 1);
  dst = vset(dst, px - dlx * w, py - dly * w, u1, 1);
  for (int i = 0; i < ncap; i++)
  {
    const float a = static_cast<float>(i) / static_cast<float>(ncap - 1) * kPi;
    const float ax = std::cos(a) * w, ay = std::sin(a) * w;
    dst = vset(dst, px, py, 0.5f, 1);
    dst = vset(dst, px - dlx * ax + dx * ay, py - dly * ax + dy * ay, u0, 1);
  }
  return dst;
}

// The cap at the start (at p0) or the end (at p1) of the open segment p0-p1.
NVGvertex* cap(NVGvertex* dst, const NVGpoint* p0, const NVGpoint* p1, bool start, int lineCap, float w, float aa,
               int ncap, float u0, float u1)
{
  float dx = p1->x - p0->x, dy = p1->y - p0->y;
  normalize(&dx, &dy);
  const NVGpoint* p = start ? p0 : p1;
  if (lineCap == NVG_ROUND)
    return start ? roundCapStart(dst, p, dx, dy, w, ncap, u0, u1) : roundCapEnd(dst, p, dx, dy, w, ncap, u0, u1);
  if (lineCap != NVG_BUTT && lineCap != NVG_SQUARE)
    return dst;
  // A butt cap ends half a fringe short of the point, a square one half a width beyond it.
  const float d = lineCap == NVG_SQUARE ? w - aa : -aa * 0.5f;
  return start ? buttCapStart(dst, p, dx, dy, w, d, aa, u0, u1) : buttCapEnd(dst, p, dx, dy, w, d, aa, u0, u1);
}

void expandStroke(NVGcontext* ctx, float w, float fringe, int lineCap, int lineJoin, float miterLimit)
{
  NVGpathCache* cache = ctx->cache;
  const float aa = fringe;
  float u0 = 0.0f, u1 = 1.0f;
  const int ncap = curveDivs(w, kPi, ctx->tessTol);
  w += aa * 0.5f;
  if (aa == 0.0f)  // no alpha gradient across the stroke
    u0 = u1 = 0.5f;

  calculateJoins(ctx, w, lineJoin, miterLimit);

  long long cverts = 0;
  for (int i = 0; i < cache->npaths; i++)
  {
    const NVGpath* path = &cache->paths[i];
    if (lineJoin == NVG_ROUND)
      cverts += (path->count + path->nbevel * (ncap + 2LL) + 1) * 2;
    else
      cverts += (path->count + path->nbevel * 5LL + 1) * 2;
    if (!path->closed)
      cverts += lineCap == NVG_ROUND ? (ncap * 2LL + 2) * 2 : 12;
  }
  NVGvertex* verts = vgAllocTempVerts(ctx, cverts);
  if (!verts)
    return;

  for (int i = 0; i < cache->npaths; i++)
  {
    NVGpath* path = &cache->paths[i];
    const NVGpoint* pts = &cache->points[path->first];
    path->fill = nullptr;
    path->nfill = 0;
    path->stroke = verts;
    path->nstroke = 0;
    const bool loop = path->closed != 0;
    // A path needs two points for a direction: a lone point has no stroke.
    if (path->count < 2)
      continue;
    NVGvertex* dst = verts;
    const NVGpoint* p0;
    const NVGpoint* p1;
    int s, e;
    if (loop)
    {
      p0 = &pts[path->count - 1];
      p1 = &pts[0];
      s = 0;
      e = path->count;
    }
    else
    {
      p0 = &pts[0];
      p1 = &pts[1];
      s = 1;
      e = path->count - 1;
    }
    if (!loop)
      dst = cap(dst, p0, p1, true, lineCap, w, aa, ncap, u0, u1);
    for (int j = s; j < e; j++)
    {
      if (p1->flags & (NVG_PT_BEVEL | NVG_PR_INNERBEVEL))
      {
        if (lineJoin == NVG_ROUND)
          dst = roundJoin(dst, p0, p1, w, w, u0, u1, ncap);
        else
          dst = bevelJoin(dst, p0, p1, w, w, u0, u1);
      }
      else
      {
        dst = vset(dst, p1->x + p1->dmx * w, p1->y + p1->dmy * w, u0, 1);
        dst = vset(dst, p1->x - p1->dmx * w, p1->y - p1->dmy * w, u1, 1);
      }
      p0 = p1++;
    }
    if (loop)
    {
      dst = vset(dst, verts[0].x, verts[0].y, u0, 1);
      dst = vset(dst, verts[1].x, verts[1].y, u1, 1);
    }
    else
    {
      dst = cap(dst, p0, p1, false, lineCap, w, aa, ncap, u0, u1);
    }
    path->nstroke = static_cast<int>(dst - verts);
    verts = dst;
  }
}

void expandFill(NVGcontext* ctx, float w, int lineJoin, float miterLimit)
{
  NVGpathCache* cache = ctx->cache;
  const float aa = ctx->fringeWidth;
  const bool fringe = w > 0.0f;

  calculateJoins(ctx, w, lineJoin, miterLimit);

  long long cverts = 0;
  for (int i = 0; i < cache->npaths; i++)
  {
    const NVGpath* path = &cache->paths[i];
    cverts += path->count + path->nbevel + 1;
    if (fringe)
      cverts += (path->count + path->nbevel * 5LL + 1) * 2;
  }
  NVGvertex* verts = vgAllocTempVerts(ctx, cverts);
  if (!verts)
    return;

  const bool convex = cache->npaths == 1 && cache->paths[0].convex;
  for (int i = 0; i < cache->npaths; i++)
  {
    NVGpath* path = &cache->paths[i];
    const NVGpoint* pts = &cache->points[path->first];
    const float woff = 0.5f * aa;

    NVGvertex* dst = verts;
    path->fill = dst;
    if (fringe)
    {
      for (int j = 0; j < path->count; j++)
      {
        const NVGpoint* p0 = &pts[(j + path->count - 1) % path->count];
        const NVGpoint* p1 = &pts[j];
        if (p1->flags & NVG_PT_BEVEL)
        {
          const float dlx0 = p0->dy, dly0 = -p0->dx;
          const float dlx1 = p1->dy, dly1 = -p1->dx;
          if (p1->flags & NVG_PT_LEFT)
          {
            dst = vset(dst, p1->x + p1->dmx * woff, p1->y + p1->dmy * woff, 0.5f, 1);
          }
          else
          {
            dst = vset(dst, p1->x + dlx0 * woff, p1->y + dly0 * woff, 0.5f, 1);
            dst = vset(dst, p1->x + dlx1 * woff, p1->y + dly1 * woff, 0.5f, 1);
          }
        }
        else
        {
          dst = vset(dst, p1->x + p1->dmx * woff, p1->y + p1->dmy * woff, 0.5f, 1);
        }
      }
    }
    else
    {
      for (int j = 0; j < path->count; j++)
        dst = vset(dst, pts[j].x, pts[j].y, 0.5f, 1);
    }
    path->nfill = static_cast<int>(dst - verts);
    verts = dst;

    path->stroke = nullptr;
    path->nstroke = 0;
    if (fringe && path->count > 0)
    {
      float lw = w + woff;
      const float rw = w - woff;
      float lu = 0;
      const float ru = 1;
      // A lone convex path only needs the outer half of the fringe, and so no stencil.
      if (convex)
      {
        lw = woff;
        lu = 0.5f;
      }
      dst = verts;
      path->stroke = dst;
      for (int j = 0; j < path->count; j++)
      {
        const NVGpoint* p0 = &pts[(j + path->count - 1) % path->count];
        const NVGpoint* p1 = &pts[j];
        if (p1->flags & (NVG_PT_BEVEL | NVG_PR_INNERBEVEL))
        {
          dst = bevelJoin(dst, p0, p1, lw, rw, lu, ru);
        }
        else
        {
          dst = vset(dst, p1->x + p1->dmx * lw, p1->y + p1->dmy * lw, lu, 1);
          dst = vset(dst, p1->x - p1->dmx * rw, p1->y - p1->dmy * rw, ru, 1);
        }
      }
      // Close the strip.
      dst = vset(dst, verts[0].x, verts[0].y, lu, 1);
      dst = vset(dst, verts[1].x, verts[1].y, ru, 1);
      path->nstroke = static_cast<int>(dst - verts);
      verts = dst;
    }
  }
}

bool antiAliased(NVGcontext* ctx)
{
  return ctx->params.edgeAntiAlias && vgGetState(ctx)->shapeAntiAlias;
}
}  // namespace

NVGvertex* vgAllocTempVerts(NVGcontext* ctx, long long count)
{
  NVGpathCache* cache = ctx->cache;
  if (count > cache->cverts && !vgResizeArray(cache->verts, cache->cverts, (count + 0xff) & ~0xffLL))
    return nullptr;
  return cache->verts;
}

void vgFill(NVGcontext* ctx)
{
  NVGdrawState* state = vgGetState(ctx);
  NVGpaint fillPaint = state->fill;

  flattenPaths(ctx);
  expandFill(ctx, antiAliased(ctx) ? ctx->fringeWidth : 0.0f, NVG_MITER, kFillMiterLimit);

  vgMultiplyAlpha(&fillPaint, state->alpha);
  ctx->params.renderFill(ctx->params.userPtr, &fillPaint, state->compositeOperation, &state->scissor, ctx->fringeWidth,
                         ctx->cache->bounds, ctx->cache->paths, ctx->cache->npaths);

  for (int i = 0; i < ctx->cache->npaths; i++)
  {
    const NVGpath* path = &ctx->cache->paths[i];
    ctx->fillTriCount += path->nfill - 2;
    ctx->fillTriCount += path->nstroke - 2;
    ctx->drawCallCount += 2;
  }
}

void vgStroke(NVGcontext* ctx)
{
  NVGdrawState* state = vgGetState(ctx);
  const float scale = vgGetAverageScale(state->xform);
  float strokeWidth = clampf(state->strokeWidth * scale, 0.0f, 200.0f);
  NVGpaint strokePaint = state->stroke;

  if (strokeWidth < ctx->fringeWidth)
  {
    // A hairline fades rather than thins: its coverage goes into the alpha.
    const float alpha = clampf(strokeWidth / ctx->fringeWidth, 0.0f, 1.0f);
    vgMultiplyAlpha(&strokePaint, alpha * alpha);
    strokeWidth = ctx->fringeWidth;
  }
  vgMultiplyAlpha(&strokePaint, state->alpha);

  flattenPaths(ctx);
  expandStroke(ctx, strokeWidth * 0.5f, antiAliased(ctx) ? ctx->fringeWidth : 0.0f, state->lineCap, state->lineJoin,
               state->miterLimit);

  ctx->params.renderStroke(ctx->params.userPtr, &strokePaint, state->compositeOperation, &state->scissor,
                           ctx->fringeWidth, strokeWidth, ctx->cache->paths, ctx->cache->npaths);

  for (int i = 0; i < ctx->cache->npaths; i++)
  {
    ctx->strokeTriCount += ctx->cache->paths[i].nstroke - 2;
    ctx->drawCallCount++;
  }
}

void vgDumpPathCache(NVGcontext* ctx)
{
  const NVGpathCache* cache = ctx->cache;
  std::printf("Dumping %d cached paths\n", cache->npaths);
  for (int i = 0; i < cache->npaths; i++)
  {
    const NVGpath* path = &cache->paths[i];
    std::printf(" - Path %d\n", i);
    if (path->nfill)
    {
      std::printf("   - fill: %d\n", path->nfill);
      for (int j = 0; j < path->nfill; j++)
        std::printf("%f\t%f\n", path->fill[j].x, path->fill[j].y);
    }
    if (path->nstroke)
    {
      std::printf("   - stroke: %d\n", path->nstroke);
      for (int j = 0; j < path->nstroke; j++)
        std::printf("%f\t%f\n", path->stroke[j].x, path->stroke[j].y);
    }
  }
}
