#pragma once
// Parses SVG text for a test and walks the resulting records as vectors.

#include "renderer/svg/SvgImage.h"

#include <memory>
#include <string>
#include <vector>

struct SvgImageDeleter
{
  void operator()(SVGImage* image) const { svgDeleteImage(image); }
};
using SvgImagePtr = std::unique_ptr<SVGImage, SvgImageDeleter>;

inline SvgImagePtr parseSvg(std::string text, const char* units = "px", float dpi = 96.0f)
{
  return SvgImagePtr(svgParseText(text.data(), units, dpi));
}

inline std::vector<const SVGShape*> shapesOf(const SVGImage& image)
{
  std::vector<const SVGShape*> out;
  for (const SVGShape* s = image.shapes; s; s = s->next)
    out.push_back(s);
  return out;
}

inline std::vector<const SVGPath*> pathsOf(const SVGShape& shape)
{
  std::vector<const SVGPath*> out;
  for (const SVGPath* p = shape.paths; p; p = p->next)
    out.push_back(p);
  return out;
}

// The only shape of a one-element picture drawn in a 100 x 100 view, where output units equal
// user units.
inline SvgImagePtr parseInView(const std::string& body, const char* units = "px", float dpi = 96.0f)
{
  return parseSvg("<svg width=\"100\" height=\"100\" viewBox=\"0 0 100 100\">" + body + "</svg>", units, dpi);
}

struct Point
{
  float x, y;
};

inline Point pointOf(const SVGPath& path, int i)
{
  return {path.pts[2 * i], path.pts[2 * i + 1]};
}
