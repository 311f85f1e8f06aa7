// The basic shapes: rect, circle, ellipse, line, polyline and polygon, each turned into one
// outline of cubic segments.

#include "renderer/svg/SvgParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float kKappa = 0.5522848f;  // control distance of a quarter circle of radius 1
constexpr float kOneMinusKappa = 0.44771522f;

enum class Axis { X, Y };

// A coordinate along one axis: percentages are of the view box on that axis, from its origin.
float svgCoordinate(const SVGParser* p, const char* value, Axis axis)
{
  return axis == Axis::X ? svgConvertToPixels(p, svgReadLength(value), p->viewMinx, p->viewWidth)
                         : svgConvertToPixels(p, svgReadLength(value), p->viewMiny, p->viewHeight);
}

// A size along one axis (no origin); radii take the absolute value.
float svgExtent(const SVGParser* p, const char* value, float reference)
{
  return svgConvertToPixels(p, svgReadLength(value), 0.0f, reference);
}

// Offers each attribute to the presentation reader, then to the element's own reader.
template <typename ReadOwn>
void svgReadElementAttributes(SVGParser* p, const char** attributes, ReadOwn readOwn)
{
  for (int i = 0; attributes[i]; i += 2)
  {
    if (!svgApplyAttribute(p, attributes[i], attributes[i + 1]))
      readOwn(attributes[i], attributes[i + 1]);
  }
}

void svgFinishElement(SVGParser* p, bool closed)
{
  svgFinishSubpath(p, closed);
  svgFinishShape(p);
}

void svgAddEllipse(SVGParser* p, float cx, float cy, float rx, float ry)
{
  const float kx = rx * kKappa, ky = ry * kKappa;
  svgMoveTo(p, cx + rx, cy);
  svgCubicTo(p, cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
  svgCubicTo(p, cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
  svgCubicTo(p, cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
  svgCubicTo(p, cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
  svgFinishElement(p, true);
}

bool svgIs(const char* name, const char* expected)
{
  return std::strcmp(name, expected) == 0;
}

}  // namespace

void svgParseRect(SVGParser* p, const char** attributes)
{
  float x = 0, y = 0, w = 0, h = 0, rx = -1, ry = -1;  // a negative radius is one not given
  svgReadElementAttributes(p, attributes, [&](const char* name, const char* value) {
    if (svgIs(name, "x"))
      x = svgCoordinate(p, value, Axis::X);
    else if (svgIs(name, "y"))
      y = svgCoordinate(p, value, Axis::Y);
    else if (svgIs(name, "width"))
      w = svgExtent(p, value, p->viewWidth);
    else if (svgIs(name, "height"))
      h = svgExtent(p, value, p->viewHeight);
    else if (svgIs(name, "rx"))
      rx = std::fabs(svgExtent(p, value, p->viewWidth));
    else if (svgIs(name, "ry"))
      ry = std::fabs(svgExtent(p, value, p->viewHeight));
  });
  if (rx < 0 && ry > 0)
    rx = ry;
  if (ry < 0 && rx > 0)
    ry = rx;
  rx = std::min(std::max(rx, 0.0f), w / 2);
  ry = std::min(std::max(ry, 0.0f), h / 2);
  // A rectangle without area draws nothing; a negative size is an error, not a mirror image.
  if (!(w > 0 && h > 0))
    return;
  if (rx < 0.00001f || ry < 0.0001f)
  {
    svgMoveTo(p, x, y);
    svgLineTo(p, x + w, y);
    svgLineTo(p, x + w, y + h);
    svgLineTo(p, x, y + h);
  }
  else
  {
    const float q = kOneMinusKappa;
    svgMoveTo(p, x + rx, y);
    svgLineTo(p, x + w - rx, y);
    svgCubicTo(p, x + w - rx * q, y, x + w, y + ry * q, x + w, y + ry);
    svgLineTo(p, x + w, y + h - ry);
    svgCubicTo(p, x + w, y + h - ry * q, x + w - rx * q, y + h, x + w - rx, y + h);
    svgLineTo(p, x + rx, y + h);
    svgCubicTo(p, x + rx * q, y + h, x, y + h - ry * q, x, y + h - ry);
    svgLineTo(p, x, y + ry);
    svgCubicTo(p, x, y + ry * q, x + rx * q, y, x + rx, y);
  }
  svgFinishElement(p, true);
}

void svgParseCircle(SVGParser* p, const char** attributes)
{
  float cx = 0, cy = 0, r = 0;
  svgReadElementAttributes(p, attributes, [&](const char* name, const char* value) {
    if (svgIs(name, "cx"))
      cx = svgCoordinate(p, value, Axis::X);
    else if (svgIs(name, "cy"))
      cy = svgCoordinate(p, value, Axis::Y);
    else if (svgIs(name, "r"))
      r = std::fabs(svgExtent(p, value, svgActualLength(p)));
  });
  if (r > 0)
    svgAddEllipse(p, cx, cy, r, r);
}

void svgParseEllipse(SVGParser* p, const char** attributes)
{
  float cx = 0, cy = 0, rx = 0, ry = 0;
  svgReadElementAttributes(p, attributes, [&](const char* name, const char* value) {
    if (svgIs(name, "cx"))
      cx = svgCoordinate(p, value, Axis::X);
    else if (svgIs(name, "cy"))
      cy = svgCoordinate(p, value, Axis::Y);
    else if (svgIs(name, "rx"))
      rx = std::fabs(svgExtent(p, value, p->viewWidth));
    else if (svgIs(name, "ry"))
      ry = std::fabs(svgExtent(p, value, p->viewHeight));
  });
  if (rx > 0 && ry > 0)
    svgAddEllipse(p, cx, cy, rx, ry);
}

void svgParseLine(SVGParser* p, const char** attributes)
{
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  svgReadElementAttributes(p, attributes, [&](const char* name, const char* value) {
    if (svgIs(name, "x1"))
      x1 = svgCoordinate(p, value, Axis::X);
    else if (svgIs(name, "y1"))
      y1 = svgCoordinate(p, value, Axis::Y);
    else if (svgIs(name, "x2"))
      x2 = svgCoordinate(p, value, Axis::X);
    else if (svgIs(name, "y2"))
      y2 = svgCoordinate(p, value, Axis::Y);
  });
  svgMoveTo(p, x1, y1);
  svgLineTo(p, x2, y2);
  svgFinishElement(p, false);
}

void svgReadPointList(SVGParser* p, const char** attributes, bool closed)
{
  const char* points = "";
  svgReadElementAttributes(p, attributes, [&](const char* name, const char* value) {
    if (svgIs(name, "points"))
      points = value;
  });
  auto isSeparator = [](char c) { return c == ',' || svgIsSpace(c); };
  float pair[2];
  int count = 0;
  bool first = true;
  auto add = [&](const char* item) {
    pair[count++] = static_cast<float>(svgStringToDouble(item));
    if (count < 2)
      return;
    if (first)
      svgMoveTo(p, pair[0], pair[1]);
    else
      svgLineTo(p, pair[0], pair[1]);
    first = false;
    count = 0;
  };
  for (const char* s = points;;)
  {
    const char* start = s;
    while (isSeparator(*s))
      ++s;
    char item[64] = "";
    if (!*s)
    {
      if (s != start)
        add(item);  // trailing blanks still end in one empty item, read as 0
      break;
    }
    if (svgIsNumberStart(*s))
      s = svgScanNumber(s, item);
    else
      ++s;  // any other character is an item that reads as 0
    add(item);
  }
  svgFinishElement(p, closed);
}
