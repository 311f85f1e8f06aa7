#pragma once

// A parsed SVG document as controls hold it: a pointer into the process-wide SVG cache, which
// owns the image. Null when loading failed.

#include "graphics/StaticStorage.h"
#include "renderer/svg/SvgImage.h"

namespace iplug::igraphics {

struct ISVG
{
  SVGImage* mImage = nullptr;

  ISVG() = default;
  explicit ISVG(SVGImage* image) : mImage(image) {}

  bool IsValid() const { return mImage != nullptr; }
  float W() const { return mImage ? mImage->width : 0.f; }
  float H() const { return mImage ? mImage->height : 0.f; }
};

// The SVG cache's entry: owns one parsed image.
struct SVGHolder
{
  explicit SVGHolder(SVGImage* image) : mImage(image) {}
  SVGHolder(const SVGHolder&) = delete;
  SVGHolder& operator=(const SVGHolder&) = delete;
  ~SVGHolder() { svgDeleteImage(mImage); }

  SVGImage* mImage;
};

// The process-wide cache of parsed SVG documents, counted by the graphics objects alive.
StaticStorage<SVGHolder>& SVGStorage();

}  // namespace iplug::igraphics
