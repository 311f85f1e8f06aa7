// libFuzzer target: parses arbitrary text and checks the record layout that drawing relies on.
// Run by tools/fuzz.

#include "renderer/svg/SvgParser.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void require(bool condition)
{
  if (!condition)
    __builtin_trap();
}

void checkPaint(const SVGPaint& paint)
{
  require(paint.type <= kSVGPaintRadialGradient);
  if (paint.type == kSVGPaintLinearGradient || paint.type == kSVGPaintRadialGradient)
  {
    const SVGGradient& g = *paint.gradient;
    require(g.nstops > 0 && g.spread <= kSVGSpreadRepeat);
    for (int i = 1; i < g.nstops; ++i)
      require(!(g.stops[i].offset < g.stops[i - 1].offset));
  }
}

void checkImage(const SVGImage& image)
{
  for (const SVGShape* shape = image.shapes; shape; shape = shape->next)
  {
    require(std::memchr(shape->id, '\0', sizeof shape->id) != nullptr);
    require(shape->strokeDashCount >= 0 && shape->strokeDashCount <= kSVGMaxDashes);
    require(shape->paths != nullptr);
    checkPaint(shape->fill);
    checkPaint(shape->stroke);
    for (const SVGPath* path = shape->paths; path; path = path->next)
    {
      require(path->npts >= 4 && (path->npts - 1) % 3 == 0);
      volatile float sum = 0;  // touches every point, so a short array shows up under ASan
      for (int i = 0; i < 2 * path->npts; ++i)
        sum = sum + path->pts[i];
      SVGPath* copy = svgCopyPath(path);
      require(copy && copy->npts == path->npts);
      svgDeletePaths(copy);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  static const char* const kUnits[] = {"px", "pt", "pc", "mm", "cm", "in", "%", "em", "ex", "?"};
  SVGImage* image = svgParseText(text.data(), kUnits[size % 10], 96.0f);
  require(image != nullptr);
  checkImage(*image);
  svgDeleteImage(image);
  return 0;
}
