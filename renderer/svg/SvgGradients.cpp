// Gradient definitions and their stops, and the resolution of a paint's gradient reference into
// an SVGGradient of the shape that uses it.

#include "renderer/svg/SvgParser.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

SVGLength svgPercent(float value)
{
  return SVGLength{value, kSVGUnitPercent};
}

// The definition with the given id, newest first; an empty id names none.
SVGGradientData* svgFindGradient(SVGParser* p, const char* id)
{
  if (!*id)
    return nullptr;
  for (SVGGradientData* g = p->gradients; g; g = g->next)
  {
    if (std::strcmp(g->id, id) == 0)
      return g;
  }
  return nullptr;
}

// The first definition along the href chain that has stops; null when the chain breaks, returns
// to a definition already visited, or runs longer than any real document needs (each step is a
// search of every definition, so the bound also keeps crafted chains cheap).
const SVGGradientData* svgFindStops(SVGParser* p, const SVGGradientData* g)
{
  constexpr int kMaxHrefSteps = 64;
  for (int step = 0; g && g->nstops == 0; ++step)
  {
    if (step == kMaxHrefSteps)
      return nullptr;
    g = svgFindGradient(p, g->ref);
  }
  return g;
}

void svgReadGradientAttribute(SVGGradientData* g, const char* name, const char* value)
{
  static constexpr struct
  {
    const char* name;
    SVGGradientSlot slot;
  } kGeometry[] = {{"x1", kSVGSlotX1Cx}, {"cx", kSVGSlotX1Cx}, {"y1", kSVGSlotY1Cy},
                   {"cy", kSVGSlotY1Cy}, {"x2", kSVGSlotX2R},  {"r", kSVGSlotX2R},
                   {"y2", kSVGSlotY2Fx}, {"fx", kSVGSlotY2Fx}, {"fy", kSVGSlotFy}};
  for (const auto& entry : kGeometry)
  {
    if (std::strcmp(name, entry.name) == 0)
    {
      g->geometry[entry.slot] = svgReadLength(value);
      return;
    }
  }
  if (std::strcmp(name, "gradientUnits") == 0)
  {
    g->units = std::strcmp(value, "objectBoundingBox") == 0 ? 1 : 0;
  }
  else if (std::strcmp(name, "gradientTransform") == 0)
  {
    svgReadTransformList(g->xform, value);
  }
  else if (std::strcmp(name, "spreadMethod") == 0)
  {
    if (std::strcmp(value, "pad") == 0)
      g->spread = kSVGSpreadPad;
    else if (std::strcmp(value, "reflect") == 0)
      g->spread = kSVGSpreadReflect;
    else if (std::strcmp(value, "repeat") == 0)
      g->spread = kSVGSpreadRepeat;
  }
  else if (std::strcmp(name, "xlink:href") == 0 && *value)
  {
    svgCopyId(g->ref, value + 1);  // past the "#"
  }
}

}  // namespace

void svgReadGradientAttributes(SVGParser* p, const char** attributes, int8_t kind)
{
  auto* g = static_cast<SVGGradientData*>(std::calloc(1, sizeof(SVGGradientData)));
  if (!g)
    return;
  g->type = kind;
  if (kind == kSVGPaintLinearGradient)
  {
    g->geometry[kSVGSlotX1Cx] = svgPercent(0);
    g->geometry[kSVGSlotY1Cy] = svgPercent(0);
    g->geometry[kSVGSlotX2R] = svgPercent(100);
    g->geometry[kSVGSlotY2Fx] = svgPercent(0);
  }
  else
  {
    g->geometry[kSVGSlotX1Cx] = svgPercent(50);
    g->geometry[kSVGSlotY1Cy] = svgPercent(50);
    g->geometry[kSVGSlotX2R] = svgPercent(50);
  }
  g->units = 1;
  svgTransformIdentity(g->xform);
  // A level of its own, so that presentation attributes written here never reach the shapes.
  svgPushAttributes(p);
  for (int i = 0; attributes[i]; i += 2)
  {
    const char* name = attributes[i];
    const char* value = attributes[i + 1];
    if (std::strcmp(name, "id") == 0)
      svgCopyId(g->id, value);
    else if (!svgApplyAttribute(p, name, value))
      svgReadGradientAttribute(g, name, value);
  }
  svgPopAttributes(p);
  g->next = p->gradients;
  p->gradients = g;
}

void svgReadGradientStop(SVGParser* p, const char** attributes)
{
  svgPushAttributes(p);
  SVGAttributeState* a = svgTopAttributes(p);
  a->stopColor = 0;
  a->stopOpacity = 1;
  a->stopOffset = 0;
  svgApplyStyleAttribute(p, attributes);
  const SVGGradientStop stop{a->stopColor | static_cast<uint32_t>(a->stopOpacity * 255.0f) << 24, a->stopOffset};
  svgPopAttributes(p);

  SVGGradientData* g = p->gradients;
  if (!g)
    return;  // a stop outside every gradient belongs to none
  const size_t count = static_cast<size_t>(g->nstops);
  auto* stops = static_cast<SVGGradientStop*>(std::realloc(g->stops, (count + 1) * sizeof(SVGGradientStop)));
  if (!stops)
    return;
  g->stops = stops;
  // After every stop of the same offset, so that equal offsets keep document order.
  const auto* at = std::upper_bound(stops, stops + count, stop.offset,
                                    [](float offset, const SVGGradientStop& s) { return offset < s.offset; });
  const auto index = static_cast<size_t>(at - stops);
  std::memmove(stops + index + 1, stops + index, (count - index) * sizeof(SVGGradientStop));
  stops[index] = stop;
  ++g->nstops;
}

SVGGradient* svgResolveGradient(SVGParser* p, const char* id, const float* localBounds, uint8_t* paintType)
{
  const SVGGradientData* def = svgFindGradient(p, id);
  if (!def)
    return nullptr;
  const SVGGradientData* withStops = svgFindStops(p, def);
  if (!withStops)
    return nullptr;

  float ox, oy, sw, sh;
  if (def->units == 1)
  {
    ox = localBounds[0];
    oy = localBounds[1];
    sw = localBounds[2] - localBounds[0];
    sh = localBounds[3] - localBounds[1];
  }
  else
  {
    ox = p->viewMinx;
    oy = p->viewMiny;
    sw = p->viewWidth;
    sh = p->viewHeight;
  }
  const float sl = std::sqrt(sw * sw + sh * sh) / 1.4142135f;
  const SVGLength* geometry = def->geometry;
  float xform[6];
  float fx = 0, fy = 0;
  if (def->type == kSVGPaintLinearGradient)
  {
    const float x1 = svgConvertToPixels(p, geometry[kSVGSlotX1Cx], ox, sw);
    const float y1 = svgConvertToPixels(p, geometry[kSVGSlotY1Cy], oy, sh);
    const float x2 = svgConvertToPixels(p, geometry[kSVGSlotX2R], ox, sw);
    const float y2 = svgConvertToPixels(p, geometry[kSVGSlotY2Fx], oy, sh);
    const float dx = x2 - x1, dy = y2 - y1;
    const float unitToUser[6] = {dy, -dx, dx, dy, x1, y1};  // (0, 0) -> start, (0, 1) -> end
    std::copy(unitToUser, unitToUser + 6, xform);
  }
  else
  {
    const float cx = svgConvertToPixels(p, geometry[kSVGSlotX1Cx], ox, sw);
    const float cy = svgConvertToPixels(p, geometry[kSVGSlotY1Cy], oy, sh);
    const float r = svgConvertToPixels(p, geometry[kSVGSlotX2R], 0, sl);
    const float focalX = svgConvertToPixels(p, geometry[kSVGSlotY2Fx], ox, sw);
    const float focalY = svgConvertToPixels(p, geometry[kSVGSlotFy], oy, sh);
    const float unitToUser[6] = {r, 0, 0, r, cx, cy};
    std::copy(unitToUser, unitToUser + 6, xform);
    if (r != 0)
    {
      fx = focalX / r;
      fy = focalY / r;
    }
  }
  svgTransformMultiply(xform, def->xform);
  svgTransformMultiply(xform, svgTopAttributes(p)->xform);

  const auto nstops = static_cast<size_t>(withStops->nstops);
  auto* gradient = static_cast<SVGGradient*>(std::malloc(sizeof(SVGGradient) + nstops * sizeof(SVGGradientStop)));
  if (!gradient)
    return nullptr;
  std::copy(xform, xform + 6, gradient->xform);
  gradient->spread = def->spread;
  gradient->fx = fx;
  gradient->fy = fy;
  gradient->nstops = withStops->nstops;
  gradient->stops = reinterpret_cast<SVGGradientStop*>(gradient + 1);
  std::copy(withStops->stops, withStops->stops + nstops, gradient->stops);
  *paintType = static_cast<uint8_t>(def->type);
  return gradient;
}

void svgDeleteGradients(SVGGradientData* gradients)
{
  while (gradients)
  {
    SVGGradientData* next = gradients->next;
    std::free(gradients->stops);
    std::free(gradients);
    gradients = next;
  }
}
