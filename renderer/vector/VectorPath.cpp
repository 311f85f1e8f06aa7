// Path commands: recorded in a flat float buffer, points already in transformed coordinates.
#include "renderer/vector/VectorState.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kPi = 3.14159265358979323846264338327f;
constexpr float kKappa90 = 0.5522848f;  // length of a cubic's control arm for a quarter circle

float signf(float a)
{
  return a >= 0.0f ? 1.0f : -1.0f;
}

bool pointsEqual(float x1, float y1, float x2, float y2, float tol)
{
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  return dx * dx + dy * dy < tol * tol;
}

float distancePointToSegment(float x, float y, float px, float py, float qx, float qy)
{
  const float pqx = qx - px;
  const float pqy = qy - py;
  float dx = x - px;
  float dy = y - py;
  const float d = pqx * pqx + pqy * pqy;
  float t = pqx * dx + pqy * dy;
  if (d > 0)
    t /= d;
  t = std::clamp(t, 0.0f, 1.0f);
  dx = px + t * pqx - x;
  dy = py + t * pqy - y;
  return dx * dx + dy * dy;
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

// Appends whole commands, transforming their points by the current transform. An append that
// cannot grow the buffer is dropped whole.
void appendCommands(NVGcontext* ctx, float* vals, int nvals)
{
  if (ctx->ncommands + nvals > ctx->ccommands)
  {
    const long long needed = static_cast<long long>(ctx->ncommands) + nvals;
    if (!vgResizeArray(ctx->commands, ctx->ccommands, needed + ctx->ccommands / 2))
      return;
  }
  const int first = static_cast<int>(vals[0]);
  if (first != NVG_CLOSE && first != NVG_WINDING)
  {
    ctx->commandx = vals[nvals - 2];
    ctx->commandy = vals[nvals - 1];
  }
  const float* xform = vgGetState(ctx)->xform;
  int i = 0;
  while (i < nvals)
  {
    int npoints = 0;
    int step = 1;
    switch (static_cast<int>(vals[i]))
    {
      case NVG_MOVETO:
      case NVG_LINETO:
        npoints = 1;
        step = 3;
        break;
      case NVG_BEZIERTO:
        npoints = 3;
        step = 7;
        break;
      case NVG_WINDING: step = 2; break;
      default: break;
    }
    for (int p = 0; p < npoints; p++)
    {
      float* pt = &vals[i + 1 + 2 * p];
      vgTransformPoint(&pt[0], &pt[1], xform, pt[0], pt[1]);
    }
    i += step;
  }
  std::memcpy(&ctx->commands[ctx->ncommands], vals, static_cast<size_t>(nvals) * sizeof(float));
  ctx->ncommands += nvals;
}
}  // namespace

void vgBeginPath(NVGcontext* ctx)
{
  ctx->ncommands = 0;
  ctx->cache->npoints = 0;
  ctx->cache->npaths = 0;
}

void vgMoveTo(NVGcontext* ctx, float x, float y)
{
  float vals[] = {NVG_MOVETO, x, y};
  appendCommands(ctx, vals, 3);
}

void vgLineTo(NVGcontext* ctx, float x, float y)
{
  float vals[] = {NVG_LINETO, x, y};
  appendCommands(ctx, vals, 3);
}

void vgBezierTo(NVGcontext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y)
{
  float vals[] = {NVG_BEZIERTO, c1x, c1y, c2x, c2y, x, y};
  appendCommands(ctx, vals, 7);
}

void vgQuadTo(NVGcontext* ctx, float cx, float cy, float x, float y)
{
  const float x0 = ctx->commandx;
  const float y0 = ctx->commandy;
  float vals[] = {NVG_BEZIERTO,
                  x0 + 2.0f / 3.0f * (cx - x0),
                  y0 + 2.0f / 3.0f * (cy - y0),
                  x + 2.0f / 3.0f * (cx - x),
                  y + 2.0f / 3.0f * (cy - y),
                  x,
                  y};
  appendCommands(ctx, vals, 7);
}

void vgClosePath(NVGcontext* ctx)
{
  float vals[] = {NVG_CLOSE};
  appendCommands(ctx, vals, 1);
}

void vgSetPathWinding(NVGcontext* ctx, int dir)
{
  float vals[] = {NVG_WINDING, static_cast<float>(dir)};
  appendCommands(ctx, vals, 2);
}

void vgArc(NVGcontext* ctx, float cx, float cy, float r, float a0, float a1, int dir)
{
  constexpr int kMaxSegments = 5;
  if (!std::isfinite(a0) || !std::isfinite(a1))
    return;  // no sweep to divide
  float da = a1 - a0;
  if (dir == NVG_CW)
  {
    if (std::fabs(da) >= kPi * 2)
      da = kPi * 2;
    else
      while (da < 0.0f)
        da += kPi * 2;
  }
  else
  {
    if (std::fabs(da) >= kPi * 2)
      da = -kPi * 2;
    else
      while (da > 0.0f)
        da -= kPi * 2;
  }
  const int ndivs = std::clamp(static_cast<int>(std::fabs(da) / (kPi * 0.5f) + 0.5f), 1, kMaxSegments);
  const float hda = (da / static_cast<float>(ndivs)) / 2.0f;
  float kappa = std::fabs(4.0f / 3.0f * (1.0f - std::cos(hda)) / std::sin(hda));
  if (dir == NVG_CCW)
    kappa = -kappa;

  float vals[3 + kMaxSegments * 7];
  int nvals = 0;
  float px = 0, py = 0, ptanx = 0, ptany = 0;
  for (int i = 0; i <= ndivs; i++)
  {
    const float a = a0 + da * (static_cast<float>(i) / static_cast<float>(ndivs));
    const float dx = std::cos(a);
    const float dy = std::sin(a);
    const float x = cx + dx * r;
    const float y = cy + dy * r;
    const float tanx = -dy * r * kappa;
    const float tany = dx * r * kappa;
    if (i == 0)
    {
      vals[nvals++] = static_cast<float>(ctx->ncommands > 0 ? NVG_LINETO : NVG_MOVETO);
      vals[nvals++] = x;
      vals[nvals++] = y;
    }
    else
    {
      vals[nvals++] = NVG_BEZIERTO;
      vals[nvals++] = px + ptanx;
      vals[nvals++] = py + ptany;
      vals[nvals++] = x - tanx;
      vals[nvals++] = y - tany;
      vals[nvals++] = x;
      vals[nvals++] = y;
    }
    px = x;
    py = y;
    ptanx = tanx;
    ptany = tany;
  }
  appendCommands(ctx, vals, nvals);
}

void vgArcTo(NVGcontext* ctx, float x1, float y1, float x2, float y2, float radius)
{
  if (ctx->ncommands == 0)
    return;
  const float x0 = ctx->commandx;
  const float y0 = ctx->commandy;
  const float tol = ctx->distTol;
  if (pointsEqual(x0, y0, x1, y1, tol) || pointsEqual(x1, y1, x2, y2, tol) ||
      distancePointToSegment(x1, y1, x0, y0, x2, y2) < tol * tol || radius < tol)
  {
    vgLineTo(ctx, x1, y1);
    return;
  }
  float dx0 = x0 - x1, dy0 = y0 - y1;
  float dx1 = x2 - x1, dy1 = y2 - y1;
  normalize(&dx0, &dy0);
  normalize(&dx1, &dy1);
  // Rounding can take the cosine of nearly parallel directions past 1.
  const float a = std::acos(std::clamp(dx0 * dx1 + dy0 * dy1, -1.0f, 1.0f));
  const float d = radius / std::tan(a / 2.0f);
  if (d > 10000.0f)
  {
    vgLineTo(ctx, x1, y1);
    return;
  }
  float cx, cy, a0, a1;
  int dir;
  if (dx1 * dy0 - dx0 * dy1 > 0.0f)
  {
    cx = x1 + dx0 * d + dy0 * radius;
    cy = y1 + dy0 * d + -dx0 * radius;
    a0 = std::atan2(dx0, -dy0);
    a1 = std::atan2(-dx1, dy1);
    dir = NVG_CW;
  }
  else
  {
    cx = x1 + dx0 * d + -dy0 * radius;
    cy = y1 + dy0 * d + dx0 * radius;
    a0 = std::atan2(-dx0, dy0);
    a1 = std::atan2(dx1, -dy1);
    dir = NVG_CCW;
  }
  vgArc(ctx, cx, cy, radius, a0, a1, dir);
}

void vgRect(NVGcontext* ctx, float x, float y, float w, float h)
{
  float vals[] = {NVG_MOVETO, x, y, NVG_LINETO, x, y + h, NVG_LINETO, x + w, y + h, NVG_LINETO, x + w, y, NVG_CLOSE};
  appendCommands(ctx, vals, static_cast<int>(std::size(vals)));
}

void vgRoundedRect(NVGcontext* ctx, float x, float y, float w, float h, float r)
{
  vgRoundedRectCorners(ctx, x, y, w, h, r, r, r, r);
}

void vgRoundedRectCorners(NVGcontext* ctx, float x, float y, float w, float h, float radTopLeft, float radTopRight,
                          float radBottomRight, float radBottomLeft)
{
  if (radTopLeft < 0.1f && radTopRight < 0.1f && radBottomRight < 0.1f && radBottomLeft < 0.1f)
  {
    vgRect(ctx, x, y, w, h);
    return;
  }
  const float halfw = std::fabs(w) * 0.5f;
  const float halfh = std::fabs(h) * 0.5f;
  const float rxBL = std::min(radBottomLeft, halfw) * signf(w), ryBL = std::min(radBottomLeft, halfh) * signf(h);
  const float rxBR = std::min(radBottomRight, halfw) * signf(w), ryBR = std::min(radBottomRight, halfh) * signf(h);
  const float rxTR = std::min(radTopRight, halfw) * signf(w), ryTR = std::min(radTopRight, halfh) * signf(h);
  const float rxTL = std::min(radTopLeft, halfw) * signf(w), ryTL = std::min(radTopLeft, halfh) * signf(h);
  constexpr float k = 1.0f - kKappa90;
  // clang-format off
  float vals[] = {
      NVG_MOVETO, x, y + ryTL,
      NVG_LINETO, x, y + h - ryBL,
      NVG_BEZIERTO, x, y + h - ryBL * k, x + rxBL * k, y + h, x + rxBL, y + h,
      NVG_LINETO, x + w - rxBR, y + h,
      NVG_BEZIERTO, x + w - rxBR * k, y + h, x + w, y + h - ryBR * k, x + w, y + h - ryBR,
      NVG_LINETO, x + w, y + ryTR,
      NVG_BEZIERTO, x + w, y + ryTR * k, x + w - rxTR * k, y, x + w - rxTR, y,
      NVG_LINETO, x + rxTL, y,
      NVG_BEZIERTO, x + rxTL * k, y, x, y + ryTL * k, x, y + ryTL,
      NVG_CLOSE};
  // clang-format on
  appendCommands(ctx, vals, static_cast<int>(std::size(vals)));
}

void vgEllipse(NVGcontext* ctx, float cx, float cy, float rx, float ry)
{
  constexpr float K = kKappa90;
  float vals[] = {NVG_MOVETO,  cx - rx, cy,      NVG_BEZIERTO, cx - rx,     cy + ry * K, cx - rx * K,
                  cy + ry,     cx,      cy + ry, NVG_BEZIERTO, cx + rx * K, cy + ry,     cx + rx,
                  cy + ry * K, cx + rx, cy,      NVG_BEZIERTO, cx + rx,     cy - ry * K, cx + rx * K,
                  cy - ry,     cx,      cy - ry, NVG_BEZIERTO, cx - rx * K, cy - ry,     cx - rx,
                  cy - ry * K, cx - rx, cy,      NVG_CLOSE};
  appendCommands(ctx, vals, static_cast<int>(std::size(vals)));
}

void vgCircle(NVGcontext* ctx, float cx, float cy, float r)
{
  vgEllipse(ctx, cx, cy, r, r);
}
