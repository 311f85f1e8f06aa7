// Transform arithmetic, colours, paints and the scissor of the draw state.
#include "renderer/vector/VectorState.h"

#include "renderer/svg/Transform2D.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kPi = 3.14159265358979323846264338327f;

float clampf(float a, float lo, float hi)
{
  return a < lo ? lo : (a > hi ? hi : a);
}

float hue(float h, float m1, float m2)
{
  if (h < 0)
    h += 1;
  if (h > 1)
    h -= 1;
  if (h < 1.0f / 6.0f)
    return m1 + (m2 - m1) * h * 6.0f;
  if (h < 3.0f / 6.0f)
    return m2;
  if (h < 4.0f / 6.0f)
    return m1 + (m2 - m1) * (2.0f / 3.0f - h) * 6.0f;
  return m1;
}

void premultiplyState(NVGcontext* ctx, const float* t)
{
  vgTransformPremultiply(vgGetState(ctx)->xform, t);
}

// A paint is given in the user space current at the time it is set.
void setPaint(NVGcontext* ctx, NVGpaint* dst, const NVGpaint& paint)
{
  *dst = paint;
  vgTransformMultiply(dst->xform, vgGetState(ctx)->xform);
}
}  // namespace

void vgTransformIdentity(float* t)
{
  transform2d::Identity(t);
}

void vgTransformSetTranslate(float* t, float tx, float ty)
{
  t[0] = 1.0f;
  t[1] = 0.0f;
  t[2] = 0.0f;
  t[3] = 1.0f;
  t[4] = tx;
  t[5] = ty;
}

void vgTransformSetScale(float* t, float sx, float sy)
{
  t[0] = sx;
  t[1] = 0.0f;
  t[2] = 0.0f;
  t[3] = sy;
  t[4] = 0.0f;
  t[5] = 0.0f;
}

void vgTransformSetRotate(float* t, float a)
{
  const float cs = std::cos(a), sn = std::sin(a);
  t[0] = cs;
  t[1] = sn;
  t[2] = -sn;
  t[3] = cs;
  t[4] = 0.0f;
  t[5] = 0.0f;
}

void vgTransformSetSkewX(float* t, float a)
{
  vgTransformIdentity(t);
  t[2] = std::tan(a);
}

void vgTransformSetSkewY(float* t, float a)
{
  vgTransformIdentity(t);
  t[1] = std::tan(a);
}

void vgTransformMultiply(float* t, const float* s)
{
  transform2d::Multiply(t, s);
}

void vgTransformPremultiply(float* t, const float* s)
{
  transform2d::Premultiply(t, s);
}

int vgTransformInvert(float* inv, const float* t)
{
  return transform2d::Invert(inv, t) ? 1 : 0;
}

void vgTransformPoint(float* dx, float* dy, const float* t, float sx, float sy)
{
  transform2d::Point(dx, dy, sx, sy, t);
}

float vgDegToRad(float deg)
{
  return deg / 180.0f * kPi;
}
float vgRadToDeg(float rad)
{
  return rad / kPi * 180.0f;
}

float vgGetAverageScale(const float* t)
{
  const float sx = std::sqrt(t[0] * t[0] + t[2] * t[2]);
  const float sy = std::sqrt(t[1] * t[1] + t[3] * t[3]);
  return (sx + sy) * 0.5f;
}

void vgApplyTransform(NVGcontext* ctx, float a, float b, float c, float d, float e, float f)
{
  const float t[6] = {a, b, c, d, e, f};
  premultiplyState(ctx, t);
}

void vgTranslate(NVGcontext* ctx, float x, float y)
{
  float t[6];
  vgTransformSetTranslate(t, x, y);
  premultiplyState(ctx, t);
}

void vgRotate(NVGcontext* ctx, float angle)
{
  float t[6];
  vgTransformSetRotate(t, angle);
  premultiplyState(ctx, t);
}

void vgSkewX(NVGcontext* ctx, float angle)
{
  float t[6];
  vgTransformSetSkewX(t, angle);
  premultiplyState(ctx, t);
}

void vgSkewY(NVGcontext* ctx, float angle)
{
  float t[6];
  vgTransformSetSkewY(t, angle);
  premultiplyState(ctx, t);
}

void vgScale(NVGcontext* ctx, float x, float y)
{
  float t[6];
  vgTransformSetScale(t, x, y);
  premultiplyState(ctx, t);
}

void vgResetTransform(NVGcontext* ctx)
{
  vgTransformIdentity(vgGetState(ctx)->xform);
}

void vgGetTransform(NVGcontext* ctx, float* xform)
{
  if (xform)
    std::memcpy(xform, vgGetState(ctx)->xform, sizeof(float) * 6);
}

NVGcolor vgColorRGB(unsigned char r, unsigned char g, unsigned char b)
{
  return vgColorRGBA(r, g, b, 255);
}

NVGcolor vgColorRGBA(unsigned char r, unsigned char g, unsigned char b, unsigned char a)
{
  return vgColorRGBAf(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}

NVGcolor vgColorRGBf(float r, float g, float b)
{
  return vgColorRGBAf(r, g, b, 1.0f);
}

NVGcolor vgColorRGBAf(float r, float g, float b, float a)
{
  NVGcolor color;
  color.r = r;
  color.g = g;
  color.b = b;
  color.a = a;
  return color;
}

NVGcolor vgColorTransAlpha(NVGcolor c, unsigned char a)
{
  return vgColorTransAlphaf(c, a / 255.0f);
}

NVGcolor vgColorTransAlphaf(NVGcolor c, float a)
{
  c.a = a;
  return c;
}

NVGcolor vgColorMix(NVGcolor c0, NVGcolor c1, float u)
{
  const float ct = clampf(u, 0.0f, 1.0f);
  const float oneminu = 1.0f - ct;
  NVGcolor cint;
  for (int i = 0; i < 4; i++)
    cint.rgba[i] = c0.rgba[i] * oneminu + c1.rgba[i] * ct;
  return cint;
}

NVGcolor vgColorHSL(float h, float s, float l)
{
  return vgColorHSLA(h, s, l, 255);
}

NVGcolor vgColorHSLA(float h, float s, float l, unsigned char a)
{
  h = std::fmod(h, 1.0f);
  if (h < 0.0f)
    h += 1.0f;
  s = clampf(s, 0.0f, 1.0f);
  l = clampf(l, 0.0f, 1.0f);
  const float m2 = l <= 0.5f ? (l * (1 + s)) : (l + s - l * s);
  const float m1 = 2 * l - m2;
  return vgColorRGBAf(clampf(hue(h + 1.0f / 3.0f, m1, m2), 0.0f, 1.0f), clampf(hue(h, m1, m2), 0.0f, 1.0f),
                      clampf(hue(h - 1.0f / 3.0f, m1, m2), 0.0f, 1.0f), a / 255.0f);
}

void vgSetPaintColor(NVGpaint* p, NVGcolor color)
{
  std::memset(p, 0, sizeof(*p));
  vgTransformIdentity(p->xform);
  p->radius = 0.0f;
  p->feather = 1.0f;
  p->innerColor = color;
  p->outerColor = color;
}

void vgMultiplyAlpha(NVGpaint* p, float alpha)
{
  p->innerColor.a *= alpha;
  p->outerColor.a *= alpha;
}

NVGpaint vgLinearGradient(NVGcontext*, float sx, float sy, float ex, float ey, NVGcolor icol, NVGcolor ocol)
{
  constexpr float large = 1e5f;
  NVGpaint p{};
  float dx = ex - sx;
  float dy = ey - sy;
  const float d = std::sqrt(dx * dx + dy * dy);
  if (d > 0.0001f)
  {
    dx /= d;
    dy /= d;
  }
  else
  {
    dx = 0;
    dy = 1;
  }
  p.xform[0] = dy;
  p.xform[1] = -dx;
  p.xform[2] = dx;
  p.xform[3] = dy;
  p.xform[4] = sx - dx * large;
  p.xform[5] = sy - dy * large;
  p.extent[0] = large;
  p.extent[1] = large + d * 0.5f;
  p.radius = 0.0f;
  p.feather = std::max(1.0f, d);
  p.innerColor = icol;
  p.outerColor = ocol;
  return p;
}

NVGpaint vgRoundedBoxGradient(NVGcontext*, float x, float y, float w, float h, float r, float f, NVGcolor icol,
                              NVGcolor ocol)
{
  NVGpaint p{};
  vgTransformSetTranslate(p.xform, x + w * 0.5f, y + h * 0.5f);
  p.extent[0] = w * 0.5f;
  p.extent[1] = h * 0.5f;
  p.radius = r;
  p.feather = std::max(1.0f, f);
  p.innerColor = icol;
  p.outerColor = ocol;
  return p;
}

NVGpaint vgRadialGradient(NVGcontext*, float cx, float cy, float inr, float outr, NVGcolor icol, NVGcolor ocol)
{
  const float r = (inr + outr) * 0.5f;
  NVGpaint p{};
  vgTransformSetTranslate(p.xform, cx, cy);
  p.extent[0] = r;
  p.extent[1] = r;
  p.radius = r;
  p.feather = std::max(1.0f, outr - inr);
  p.innerColor = icol;
  p.outerColor = ocol;
  return p;
}

NVGpaint vgImagePaint(NVGcontext*, float ox, float oy, float ex, float ey, float angle, int image, float alpha)
{
  NVGpaint p{};
  vgTransformSetRotate(p.xform, angle);
  p.xform[4] = ox;
  p.xform[5] = oy;
  p.extent[0] = ex;
  p.extent[1] = ey;
  p.image = image;
  p.innerColor = p.outerColor = vgColorRGBAf(1, 1, 1, alpha);
  return p;
}

void vgSetFillColor(NVGcontext* ctx, NVGcolor color)
{
  vgSetPaintColor(&vgGetState(ctx)->fill, color);
}
void vgSetStrokeColor(NVGcontext* ctx, NVGcolor color)
{
  vgSetPaintColor(&vgGetState(ctx)->stroke, color);
}
void vgSetFillPaint(NVGcontext* ctx, NVGpaint paint)
{
  setPaint(ctx, &vgGetState(ctx)->fill, paint);
}
void vgSetStrokePaint(NVGcontext* ctx, NVGpaint paint)
{
  setPaint(ctx, &vgGetState(ctx)->stroke, paint);
}

void vgSetScissor(NVGcontext* ctx, float x, float y, float w, float h)
{
  NVGdrawState* state = vgGetState(ctx);
  w = std::max(0.0f, w);
  h = std::max(0.0f, h);
  vgTransformSetTranslate(state->scissor.xform, x + w * 0.5f, y + h * 0.5f);
  vgTransformMultiply(state->scissor.xform, state->xform);
  state->scissor.extent[0] = w * 0.5f;
  state->scissor.extent[1] = h * 0.5f;
}

void vgIntersectScissor(NVGcontext* ctx, float x, float y, float w, float h)
{
  NVGdrawState* state = vgGetState(ctx);
  if (state->scissor.extent[0] < 0)
  {
    vgSetScissor(ctx, x, y, w, h);
    return;
  }
  // The previous scissor, as an axis-aligned rectangle in the current user space.
  float pxform[6], invxform[6];
  std::memcpy(pxform, state->scissor.xform, sizeof(pxform));
  const float ex = state->scissor.extent[0];
  const float ey = state->scissor.extent[1];
  vgTransformInvert(invxform, state->xform);
  vgTransformMultiply(pxform, invxform);
  const float tex = ex * std::fabs(pxform[0]) + ey * std::fabs(pxform[2]);
  const float tey = ex * std::fabs(pxform[1]) + ey * std::fabs(pxform[3]);
  const float minx = std::max(pxform[4] - tex, x);
  const float miny = std::max(pxform[5] - tey, y);
  const float maxx = std::min(pxform[4] + tex, x + w);
  const float maxy = std::min(pxform[5] + tey, y + h);
  vgSetScissor(ctx, minx, miny, std::max(0.0f, maxx - minx), std::max(0.0f, maxy - miny));
}

void vgResetScissor(NVGcontext* ctx)
{
  NVGdrawState* state = vgGetState(ctx);
  std::memset(state->scissor.xform, 0, sizeof(state->scissor.xform));
  state->scissor.extent[0] = -1.0f;
  state->scissor.extent[1] = -1.0f;
}
