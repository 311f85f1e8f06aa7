#include "renderer/atlas/GlyphAtlas.h"

#include <cmath>

namespace {

// One recursive pass forth and back along a line of n texels, in fixed point: z carries 7
// fractional bits, alpha 16. Both ends of the line come out 0.
void blurLine(uint8_t* p, int n, int step, int alpha)
{
  int z = 0;
  for (int k = 1; k < n; ++k)
  {
    z += (alpha * ((p[k * step] << 7) - z)) >> 16;
    p[k * step] = uint8_t(z >> 7);
  }
  p[(n - 1) * step] = 0;
  z = 0;
  for (int k = n - 2; k >= 0; --k)
  {
    z += (alpha * ((p[k * step] << 7) - z)) >> 16;
    p[k * step] = uint8_t(z >> 7);
  }
  p[0] = 0;
}

void atlasBlurColumns(uint8_t* pixels, int width, int height, int stride, int alpha)
{
  for (int x = 0; x < width; ++x)
    blurLine(pixels + x, height, stride, alpha);
}

void atlasBlurRows(uint8_t* pixels, int width, int height, int stride, int alpha)
{
  for (int y = 0; y < height; ++y)
    blurLine(pixels + y * stride, width, 1, alpha);
}

}  // namespace

void atlasBlur(uint8_t* pixels, int width, int height, int stride, int blur)
{
  if (width <= 0 || height <= 0 || blur < 1)
    return;
  const float sigma = float(blur) * 0.57735f;
  const int alpha = int((1.0f - std::exp(-2.3f / (sigma + 1.0f))) * 65536.0f);
  atlasBlurColumns(pixels, width, height, stride, alpha);
  atlasBlurRows(pixels, width, height, stride, alpha);
  atlasBlurColumns(pixels, width, height, stride, alpha);
  atlasBlurRows(pixels, width, height, stride, alpha);
}
