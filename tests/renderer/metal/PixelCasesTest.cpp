// What the GPU back end puts on the drawable for strokes, gradients, stencil strokes, drawing
// without anti-aliasing and flipped images: one table of drawings with the pixels each must give.
#include "renderer/metal/MetalRenderer.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace {
constexpr int kSize = 64;

struct Probe
{
  int x, y;
  std::array<int, 4> rgba;  // straight colour as the drawable holds it; -1: any value
  int tolerance = 3;
};

struct PixelCase
{
  const char* name;
  int flags;
  std::function<void(NVGcontext*)> draw;
  std::vector<Probe> probes;
};

void line(NVGcontext* vg, float x0, float y0, float x1, float y1, float width, int cap, NVGcolor c)
{
  vgBeginPath(vg);
  vgMoveTo(vg, x0, y0);
  vgLineTo(vg, x1, y1);
  vgSetLineCap(vg, cap);
  vgSetStrokeWidth(vg, width);
  vgSetStrokeColor(vg, c);
  vgStroke(vg);
}

void fillRect(NVGcontext* vg, float x, float y, float w, float h, NVGpaint paint)
{
  vgBeginPath(vg);
  vgRect(vg, x, y, w, h);
  vgSetFillPaint(vg, paint);
  vgFill(vg);
}

// A path that crosses itself, stroked half transparent.
void crossing(NVGcontext* vg)
{
  vgBeginPath(vg);
  vgMoveTo(vg, 10, 10);
  vgLineTo(vg, 50, 50);
  vgLineTo(vg, 50, 10);
  vgLineTo(vg, 10, 50);
  vgSetStrokeWidth(vg, 6);
  vgSetStrokeColor(vg, vgColorRGBAf(1, 0, 0, 0.5f));
  vgStroke(vg);
}

const NVGcolor kRed = vgColorRGBA(255, 0, 0, 255);
const NVGcolor kBlue = vgColorRGBA(0, 0, 255, 255);
constexpr int kAA = MNVG_ANTIALIAS;
constexpr std::array<int, 4> kRedPixel{255, 0, 0, 255}, kBluePixel{0, 0, 255, 255}, kNothing{0, 0, 0, 0};

const PixelCase kCases[] = {
  {"stroke width",
   kAA,
   [](NVGcontext* vg) { line(vg, 10, 20.5f, 50, 20.5f, 5, NVG_BUTT, kRed); },
   {{30, 18, kRedPixel}, {30, 22, kRedPixel}, {30, 24, kNothing}, {30, 16, kNothing}}},
  {"butt cap ends at the end point",
   kAA,
   [](NVGcontext* vg) { line(vg, 10, 20.5f, 50, 20.5f, 4, NVG_BUTT, kRed); },
   {{10, 20, kRedPixel}, {8, 20, kNothing}, {50, 20, kNothing}}},
  {"square cap reaches half the width beyond",
   kAA,
   [](NVGcontext* vg) { line(vg, 10, 20.5f, 50, 20.5f, 4, NVG_SQUARE, kRed); },
   {{8, 20, kRedPixel}, {8, 19, kRedPixel}, {51, 20, kRedPixel}, {53, 20, kNothing}}},
  {"round cap is rounded",
   kAA,
   [](NVGcontext* vg) { line(vg, 10, 20.5f, 50, 20.5f, 8, NVG_ROUND, kRed); },
   {{7, 20, kRedPixel}, {6, 17, {-1, -1, -1, -1}}, {6, 16, kNothing}, {55, 20, kNothing}}},
  {"hairline fades instead of thinning",
   kAA,
   [](NVGcontext* vg) { line(vg, 10, 30.5f, 50, 30.5f, 0.5f, NVG_BUTT, kRed); },
   {{30, 30, {255, 0, 0, 64}, 8}, {30, 32, kNothing}}},
  {"box gradient: inner colour inside, outer beyond the feather",
   kAA,
   [](NVGcontext* vg) {
     fillRect(vg, 0, 0, kSize, kSize, vgRoundedBoxGradient(vg, 16, 16, 32, 32, 4, 8, kRed, kBlue));
   },
   {{32, 32, kRedPixel}, {2, 2, kBluePixel}, {16, 32, {143, 0, 112, 255}, 4}}},
  {"radial gradient from the centre out",
   kAA,
   [](NVGcontext* vg) { fillRect(vg, 0, 0, kSize, kSize, vgRadialGradient(vg, 32, 32, 4, 24, kRed, kBlue)); },
   {{32, 32, kRedPixel}, {32 + 14, 32, {128, 0, 128, 255}, 12}, {1, 1, kBluePixel}}},
  {"crossing stroke overlaps itself", kAA, crossing, {{30, 30, {255, 0, 0, 191}, 6}, {50, 30, {255, 0, 0, 128}, 6}}},
  {"stencil stroke covers its crossing once",
   kAA | MNVG_STENCIL_STROKES,
   crossing,
   {{30, 30, {255, 0, 0, 128}, 6}, {50, 30, {255, 0, 0, 128}, 6}}},
  {"anti-aliased edge covers part of a pixel",
   kAA,
   [](NVGcontext* vg) { fillRect(vg, 10, 10, 10.25f, 20, vgLinearGradient(vg, 0, 0, 0, 1, kRed, kRed)); },
   {{15, 15, kRedPixel}, {20, 15, {255, 0, 0, 64}, 24}}},
  {"without anti-aliasing a pixel is in or out",
   0,
   [](NVGcontext* vg) { fillRect(vg, 10, 10, 10.25f, 20, vgLinearGradient(vg, 0, 0, 0, 1, kRed, kRed)); },
   {{15, 15, kRedPixel}, {19, 15, kRedPixel}, {20, 15, kNothing}}},
  {"flipped image shows its last row on top",
   kAA,
   [](NVGcontext* vg) {
     // Two rows: red above blue.
     const unsigned char pixels[] = {255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255};
     const int image = vgCreateImageFromPixels(vg, 2, 2, NVG_IMAGE_FLIPY | NVG_IMAGE_NEAREST, pixels);
     fillRect(vg, 0, 0, 32, 32, vgImagePaint(vg, 0, 0, 32, 32, 0, image, 1));
   },
   {{8, 4, kBluePixel}, {8, 28, kRedPixel}}},
  {"image the right way up",
   kAA,
   [](NVGcontext* vg) {
     const unsigned char pixels[] = {255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255};
     const int image = vgCreateImageFromPixels(vg, 2, 2, NVG_IMAGE_NEAREST, pixels);
     fillRect(vg, 0, 0, 32, 32, vgImagePaint(vg, 0, 0, 32, 32, 0, image, 1));
   },
   {{8, 4, kRedPixel}, {8, 28, kBluePixel}}},
};

TEST(MetalPixels, EveryCaseGivesItsPixels)
{
  for (const PixelCase& c : kCases)
  {
    CAMetalLayer layer;
    layer.setDrawableSize({kSize, kSize, 1});
    NVGcontext* vg = mvgCreateContext(&layer, c.flags);
    ASSERT_NE(vg, nullptr) << c.name;
    mvgSetClearColor(vg, vgColorRGBAf(0, 0, 0, 0));
    vgBeginFrame(vg, kSize, kSize, 1);
    c.draw(vg);
    vgEndFrame(vg);
    const std::shared_ptr<MTLTexture> drawable = layer.presentedTexture();
    ASSERT_TRUE(drawable) << c.name;
    for (const Probe& p : c.probes)
    {
      // BGRA, premultiplied: turned back into straight RGBA.
      const unsigned char* t = drawable->texel(p.x, p.y);
      const int a = t[3];
      const auto straight = [a](int v) { return a ? (v * 255 + a / 2) / a : 0; };
      const std::array<int, 4> got{straight(t[2]), straight(t[1]), straight(t[0]), a};
      for (int i = 0; i < 4; i++)
      {
        // Colour channels of an almost transparent pixel carry no information.
        if (p.rgba[i] < 0 || (i < 3 && (a < 16 || p.rgba[3] == 0)))
          continue;
        EXPECT_NEAR(got[i], p.rgba[i], p.tolerance) << c.name << " at " << p.x << "," << p.y << " channel " << i;
      }
    }
    mvgDeleteContext(vg);
  }
}
}  // namespace
