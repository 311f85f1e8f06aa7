// Draws a short string and the atlas's debug view into an image through the drawing callbacks,
// and writes it as a PNG for a person to look at.
#include "AtlasFixture.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <string>

namespace {

// A tiny software renderer for the atlas's vertices: each run of six vertices is an
// axis-aligned quad whose first two vertices are opposite corners; texels are sampled nearest.
struct Canvas
{
  static constexpr int kWidth = 560, kHeight = 700;
  std::vector<uint8_t> rgba = std::vector<uint8_t>(kWidth * kHeight * 4, 0);
  GlyphAtlas* atlas = nullptr;

  Canvas()
  {
    for (size_t i = 0; i < rgba.size(); i += 4)
      rgba[i] = 24, rgba[i + 1] = 24, rgba[i + 2] = 32, rgba[i + 3] = 255;
  }

  static void draw(void* user, const float* xy, const float* st, const uint32_t* colours, int count)
  {
    auto* canvas = static_cast<Canvas*>(user);
    for (int v = 0; v + 5 < count; v += 6)
      canvas->quad(xy + 2 * v, st + 2 * v, colours[v]);
  }

  void quad(const float* xy, const float* st, uint32_t colour)
  {
    int w = 0, h = 0;
    const uint8_t* texels = atlasPixels(atlas, &w, &h);
    const float x0 = std::min(xy[0], xy[2]), x1 = std::max(xy[0], xy[2]);
    const float y0 = std::min(xy[1], xy[3]), y1 = std::max(xy[1], xy[3]);
    for (int py = std::max(0, int(y0)); py < std::min(kHeight, int(y1)); ++py)
    {
      for (int px = std::max(0, int(x0)); px < std::min(kWidth, int(x1)); ++px)
      {
        const float fx = (px + 0.5f - xy[0]) / (xy[2] - xy[0]), fy = (py + 0.5f - xy[1]) / (xy[3] - xy[1]);
        const int tx = std::clamp(int((st[0] + fx * (st[2] - st[0])) * w), 0, w - 1);
        const int ty = std::clamp(int((st[1] + fy * (st[3] - st[1])) * h), 0, h - 1);
        const float a = texels[ty * w + tx] / 255.0f * float(colour >> 24) / 255.0f;
        uint8_t* p = &rgba[(py * kWidth + px) * 4];
        for (int c = 0; c < 3; ++c)
          p[c] = uint8_t(p[c] * (1 - a) + float((colour >> (8 * c)) & 0xff) * a);
      }
    }
  }
};

}  // namespace

TEST(AtlasDebugView, WritesAPngOfAShortString)
{
  Canvas canvas;
  GlyphAtlasParams params = atlasParams();
  params.userPtr = &canvas;
  params.drawVertices = Canvas::draw;
  GlyphAtlas* atlas = canvas.atlas = atlasCreate(&params);
  const int roboto = atlasAddFontFile(atlas, "roboto", kRoboto, 0);
  const int dejavu = atlasAddFontFile(atlas, "dejavu", kDejaVuSans, 0);
  ASSERT_GE(roboto, 0);
  ASSERT_GE(dejavu, 0);

  atlasSetFont(atlas, dejavu);
  atlasSetSize(atlas, 40.0f);
  atlasSetAlign(atlas, ATLAS_ALIGN_LEFT | ATLAS_ALIGN_TOP);
  atlasSetColor(atlas, 0xffffffffu);
  atlasDrawText(atlas, 10, 10, "AVAWAY -23 LUFS \xC3\xA9", nullptr);
  atlasSetFont(atlas, roboto);
  atlasSetSize(atlas, 24.0f);
  atlasSetBlur(atlas, 3.0f);
  atlasSetColor(atlas, 0xff40c0ffu);
  atlasDrawText(atlas, 12, 72, "Short-term -18.4", nullptr);
  atlasSetBlur(atlas, 0.0f);
  atlasDrawText(atlas, 10, 70, "Short-term -18.4", nullptr);
  atlasDrawDebug(atlas, 10, 140);

  // The text area holds lit pixels; the debug view shows the texture's top-left glyphs.
  int lit = 0;
  for (int y = 10; y < 100; ++y)
    for (int x = 10; x < 500; ++x)
      lit += canvas.rgba[(y * Canvas::kWidth + x) * 4] > 128;
  EXPECT_GT(lit, 1000);

  const std::string path = ::testing::TempDir() + "atlas-debug.png";
  ASSERT_NE(stbi_write_png(path.c_str(), Canvas::kWidth, Canvas::kHeight, 4, canvas.rgba.data(), Canvas::kWidth * 4),
            0);
  std::printf("atlas debug view written to %s\n", path.c_str());
  atlasDelete(atlas);
}
