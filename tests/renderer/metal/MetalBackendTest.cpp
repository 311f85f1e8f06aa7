#include "renderer/metal/MNVGcontext.h"

#include "renderer/atlas/GlyphAtlas.h"
#include "renderer/vector/VectorState.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {
constexpr int kWidth = 128, kHeight = 96;

class MetalBackendTest : public ::testing::Test
{
protected:
  void SetUp() override { create(MNVG_ANTIALIAS | MNVG_TRIPLE_BUFFER); }
  void TearDown() override { mvgDeleteContext(ctx); }

  void create(int flags)
  {
    mvgDeleteContext(ctx);
    layer.setDrawableSize({kWidth, kHeight, 1});
    ctx = mvgCreateContext(&layer, flags);
    ASSERT_NE(ctx, nullptr);
    mtl = static_cast<MNVGcontext_vVantorelix_au*>(ctx->params.userPtr);
  }

  void beginFrame()
  {
    mvgSetClearColor(ctx, vgColorRGBAf(0, 0, 0, 0));
    vgBeginFrame(ctx, kWidth, kHeight, 1);
  }

  void fillRect(float x, float y, float w, float h, NVGcolor c)
  {
    vgBeginPath(ctx);
    vgRect(ctx, x, y, w, h);
    vgSetFillColor(ctx, c);
    vgFill(ctx);
  }

  // RGBA of a presented pixel (the drawable is BGRA).
  std::array<int, 4> pixel(int x, int y) const
  {
    const unsigned char* p = layer.presentedTexture()->texel(x, y);
    return {p[2], p[1], p[0], p[3]};
  }

  // Written beside the test program, so that each build keeps its own picture.
  void savePng(const char* name) const
  {
    const std::string path = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
    std::vector<unsigned char> rgba(kWidth * kHeight * 4);
    for (int y = 0; y < kHeight; y++)
      for (int x = 0; x < kWidth; x++)
      {
        const std::array<int, 4> p = pixel(x, y);
        for (int i = 0; i < 4; i++)
          rgba[(y * kWidth + x) * 4 + i] = static_cast<unsigned char>(p[i]);
      }
    ASSERT_TRUE(stbi_write_png(path.c_str(), kWidth, kHeight, 4, rgba.data(), kWidth * 4));
  }

  CAMetalLayer layer;
  NVGcontext* ctx = nullptr;
  MNVGcontext_vVantorelix_au* mtl = nullptr;
};

NVGpath fringePath(NVGvertex* stroke, int nstroke, NVGvertex* fill, int nfill, int convex)
{
  NVGpath p{};
  p.fill = fill;
  p.nfill = nfill;
  p.stroke = stroke;
  p.nstroke = nstroke;
  p.convex = convex;
  return p;
}
}  // namespace

TEST_F(MetalBackendTest, SmokeTestRendersRealPixels)
{
  // White shapes on opaque black: the red channel is the coverage.
  mvgSetClearColor(ctx, vgColorRGBAf(0, 0, 0, 1));
  vgBeginFrame(ctx, kWidth, kHeight, 1);
  const NVGcolor white = vgColorRGBA(255, 255, 255, 255);
  fillRect(8, 8, 16, 16, white);      // integer-aligned
  fillRect(32.5f, 8, 16, 16, white);  // half-way into its edge columns
  // A pentagram: its centre winds twice and is filled under the nonzero rule.
  vgBeginPath(ctx);
  for (int i = 0; i < 5; i++)
  {
    const float a = i * 4 * 3.14159265f / 5;
    const float x = 95 + 28 * std::sin(a), y = 48 - 28 * std::cos(a);
    i == 0 ? vgMoveTo(ctx, x, y) : vgLineTo(ctx, x, y);
  }
  vgClosePath(ctx);
  vgSetFillColor(ctx, white);
  vgFill(ctx);
  // Half-transparent red over opaque blue.
  fillRect(8, 40, 32, 32, vgColorRGBA(0, 0, 255, 255));
  fillRect(16, 48, 16, 16, vgColorRGBAf(1, 0, 0, 0.5f));
  // Text at whole pixels.
  vgAddFontFromFile(ctx, "sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  vgSetFontSize(ctx, 20);
  vgSetFillColor(ctx, white);
  vgDrawText(ctx, 50, 80, "W", nullptr);
  vgEndFrame(ctx);
  ASSERT_NE(layer.presentedTexture(), nullptr);
  savePng("metal-smoke.png");

  EXPECT_EQ(pixel(8, 16), (std::array<int, 4>{255, 255, 255, 255}));
  EXPECT_EQ(pixel(23, 23), (std::array<int, 4>{255, 255, 255, 255}));
  EXPECT_EQ(pixel(7, 16), (std::array<int, 4>{0, 0, 0, 255}));
  EXPECT_EQ(pixel(24, 16), (std::array<int, 4>{0, 0, 0, 255}));
  EXPECT_NEAR(pixel(32, 16)[0], 128, 2);
  EXPECT_NEAR(pixel(48, 16)[0], 128, 2);
  EXPECT_EQ(pixel(40, 16)[0], 255);
  EXPECT_EQ(pixel(95, 48)[0], 255);          // the star's centre
  EXPECT_EQ(pixel(95, 27)[0], 255);          // a tip
  EXPECT_EQ(pixel(95 + 24, 48 - 12)[0], 0);  // a notch between two tips
  const std::array<int, 4> purple = pixel(24, 56);
  EXPECT_NEAR(purple[0], 128, 1);
  EXPECT_EQ(purple[1], 0);
  EXPECT_NEAR(purple[2], 128, 1);
  EXPECT_EQ(purple[3], 255);

  // The glyph's pixels are the atlas coverage, texel for texel.
  GlyphIterator it;
  GlyphQuad q;
  atlasGlyphIterBegin(ctx->fs, &it, 50, 80, "W", nullptr, ATLAS_GLYPH_BITMAP_REQUIRED);
  ASSERT_TRUE(atlasGlyphIterNext(ctx->fs, &it, &q));
  int aw = 0, ah = 0;
  const unsigned char* coverage = atlasPixels(ctx->fs, &aw, &ah);
  int inked = 0;
  for (int y = static_cast<int>(q.y0); y < static_cast<int>(q.y1); y++)
    for (int x = static_cast<int>(q.x0); x < static_cast<int>(q.x1); x++)
    {
      const int tx = static_cast<int>(q.s0 * aw) + (x - static_cast<int>(q.x0));
      const int ty = static_cast<int>(q.t0 * ah) + (y - static_cast<int>(q.y0));
      const int expected = coverage[ty * aw + tx];
      EXPECT_NEAR(pixel(x, y)[0], expected, 1) << x << "," << y;
      inked += expected > 0;
    }
  EXPECT_GT(inked, 20);
}

TEST_F(MetalBackendTest, ScissorGradientAndImagePaintsShadeTheirPixels)
{
  mvgSetClearColor(ctx, vgColorRGBAf(0, 0, 0, 1));
  vgBeginFrame(ctx, kWidth, kHeight, 1);
  vgSetScissor(ctx, 8, 8, 16, 16);
  fillRect(0, 0, 40, 40, vgColorRGBA(255, 255, 255, 255));
  vgResetScissor(ctx);
  vgBeginPath(ctx);
  vgRect(ctx, 48, 8, 64, 8);
  vgSetFillPaint(ctx, vgLinearGradient(ctx, 48, 0, 112, 0, vgColorRGBA(0, 0, 0, 255), vgColorRGBA(255, 255, 255, 255)));
  vgFill(ctx);
  // Red, green / blue, white, each texel drawn 8 x 8.
  const unsigned char texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
  const int image = vgCreateImageFromPixels(ctx, 2, 2, NVG_IMAGE_NEAREST, texels);
  vgBeginPath(ctx);
  vgRect(ctx, 48, 24, 16, 16);
  vgSetFillPaint(ctx, vgImagePaint(ctx, 48, 24, 16, 16, 0, image, 1));
  vgFill(ctx);
  vgEndFrame(ctx);

  const std::array<int, 4> white{255, 255, 255, 255}, black{0, 0, 0, 255};
  const struct
  {
    int x, y;
    std::array<int, 4> rgba;
  } cases[] = {
    {8, 8, white},
    {23, 23, white},
    {7, 16, black},
    {24, 16, black},
    {16, 30, black},  // scissor
    {48, 12, black},
    {111, 12, white},  // gradient ends
    {50, 26, {255, 0, 0, 255}},
    {61, 26, {0, 255, 0, 255}},
    {50, 37, {0, 0, 255, 255}},
    {61, 37, white},
  };
  for (const auto& c : cases)
    for (int i = 0; i < 4; i++)
      EXPECT_NEAR(pixel(c.x, c.y)[i], c.rgba[i], 4) << c.x << "," << c.y << " channel " << i;
  EXPECT_NEAR(pixel(80, 12)[0], 128, 4);  // half-way along the gradient
}

// A part of a picture drawn again under a scissor on pixel edges, as a partial redraw does: every
// pixel inside comes out as in the whole picture, whatever edge of the shapes the scissor's edges
// cross, and every pixel outside is left as it was.
TEST_F(MetalBackendTest, APictureRedrawnUnderAScissorMatchesItInsideAndIsUntouchedOutside)
{
  const NVGcolor background = vgColorRGBA(30, 60, 90, 255);
  auto draw = [&](const float* clip) {
    mvgSetClearColor(ctx, background);
    vgBeginFrame(ctx, kWidth, kHeight, 1);
    if (clip)
      vgSetScissor(ctx, clip[0], clip[1], clip[2], clip[3]);
    vgBeginPath(ctx);
    vgCircle(ctx, 40.3f, 41.7f, 29.45f);
    vgSetFillPaint(
      ctx, vgLinearGradient(ctx, 10, 10, 70, 70, vgColorRGBA(250, 200, 20, 160), vgColorRGBA(20, 120, 250, 230)));
    vgFill(ctx);
    vgBeginPath(ctx);
    vgRoundedRect(ctx, 60.2f, 20.6f, 50.3f, 40.9f, 6.3f);
    vgSetStrokeColor(ctx, vgColorRGBA(255, 255, 255, 127));
    vgSetStrokeWidth(ctx, 1.3f);
    vgStroke(ctx);
    vgEndFrame(ctx);
    std::vector<std::array<int, 4>> pixels;
    for (int y = 0; y < kHeight; y++)
      for (int x = 0; x < kWidth; x++)
        pixels.push_back(pixel(x, y));
    return pixels;
  };
  const std::vector<std::array<int, 4>> whole = draw(nullptr);
  const float clip[4] = {23, 17, 61, 37};
  const std::vector<std::array<int, 4>> part = draw(clip);
  const std::array<int, 4> cleared{30, 60, 90, 255};
  for (int y = 0; y < kHeight; y++)
    for (int x = 0; x < kWidth; x++)
    {
      const bool inside = x >= 23 && x < 84 && y >= 17 && y < 54;
      ASSERT_EQ(part[static_cast<size_t>(y * kWidth + x)],
                inside ? whole[static_cast<size_t>(y * kWidth + x)] : cleared)
        << x << "," << y << (inside ? " inside" : " outside");
    }
}

TEST_F(MetalBackendTest, AnImageDrawnTexelForTexelIsBlendedTexelForTexel)
{
  // 16 x 8 texels, opaque, transparent and two partial alphas in turn, with no colour channel
  // above alpha: valid both as straight and as premultiplied colour.
  constexpr int kW = 16, kH = 8;
  unsigned char texels[kW * kH * 4];
  auto texel = [&](int x, int y) { return texels + (y * kW + x) * 4; };
  for (int y = 0; y < kH; y++)
    for (int x = 0; x < kW; x++)
    {
      static constexpr unsigned char kAlpha[4] = {255, 0, 128, 64};
      unsigned char* t = texel(x, y);
      t[3] = kAlpha[(x + y) % 4];
      t[0] = std::min<unsigned char>(static_cast<unsigned char>(x * 16), t[3]);
      t[1] = std::min<unsigned char>(static_cast<unsigned char>(y * 32), t[3]);
      t[2] = std::min<unsigned char>(200, t[3]);
    }
  const std::array<int, 4> background{40, 80, 120, 255};
  mvgSetClearColor(ctx, vgColorRGBA(40, 80, 120, 255));
  vgBeginFrame(ctx, kWidth, kHeight, 1);
  // Straight colour from row 10, premultiplied from row 30: at whole pixels, cut by a scissor
  // after 10 columns; and half a pixel along, uncut.
  const struct
  {
    int flags;
    float top;
  } kinds[] = {{0, 10}, {NVG_IMAGE_PREMULTIPLIED, 30}};
  for (const auto& kind : kinds)
  {
    const int image = vgCreateImageFromPixels(ctx, kW, kH, kind.flags, texels);
    vgSetScissor(ctx, 20, kind.top, 10, kH);
    vgBeginPath(ctx);
    vgRect(ctx, 20, kind.top, kW, kH);
    vgSetFillPaint(ctx, vgImagePaint(ctx, 20, kind.top, kW, kH, 0, image, 1));
    vgFill(ctx);
    vgResetScissor(ctx);
    vgBeginPath(ctx);
    vgRect(ctx, 60.5f, kind.top, kW, kH);
    vgSetFillPaint(ctx, vgImagePaint(ctx, 60.5f, kind.top, kW, kH, 0, image, 1));
    vgFill(ctx);
  }
  vgEndFrame(ctx);
  savePng("metal-image-texels.png");

  for (const auto& kind : kinds)
  {
    const bool premultiplied = kind.flags != 0;
    const int top = static_cast<int>(kind.top);
    // Source-over of colour c of alpha a (0..255) on the background, channel by channel.
    auto over = [&](const float c[4], int channel) {
      const float a = c[3] / 255.0f;
      return channel == 3 ? 255.0f : c[channel] * (premultiplied ? 1.0f : a) + background[channel] * (1.0f - a);
    };
    for (int y = 0; y < kH; y++)
      for (int x = 0; x < kW; x++)
      {
        const std::string where = std::to_string(x) + "," + std::to_string(y) + (premultiplied ? " premultiplied" : "");
        float c[4];
        for (int i = 0; i < 4; i++)
          c[i] = texel(x, y)[i];
        for (int i = 0; i < 4; i++)
        {
          if (x < 10)
            EXPECT_NEAR(pixel(20 + x, top + y)[i], over(c, i), 1) << where << " channel " << i;
          else
            EXPECT_EQ(pixel(20 + x, top + y)[i], background[i]) << where << " channel " << i;
        }
        if (x + 1 == kW)
          continue;
        // Inside the shifted copy each pixel is the mean of two texels (premultiplied after, for
        // straight colour).
        float mean[4];
        for (int i = 0; i < 4; i++)
          mean[i] = (c[i] + texel(x + 1, y)[i]) / 2.0f;
        for (int i = 0; i < 4; i++)
          EXPECT_NEAR(pixel(61 + x, top + y)[i], over(mean, i), 2) << where << " channel " << i;
      }
  }
}

TEST_F(MetalBackendTest, ConvexPathIsOneFillWithoutQuadOthersUseTheStencil)
{
  beginFrame();
  fillRect(0, 0, 10, 10, vgColorRGBf(1, 1, 1));
  ASSERT_EQ(mtl->buffers->ncalls, 1);
  EXPECT_EQ(mtl->buffers->calls[0].type, MNVG_CONVEXFILL);
  EXPECT_EQ(mtl->buffers->calls[0].triangleCount, 0);

  vgBeginPath(ctx);
  vgRect(ctx, 0, 0, 10, 10);
  vgRect(ctx, 20, 0, 10, 10);
  vgFill(ctx);
  ASSERT_EQ(mtl->buffers->ncalls, 2);
  const MNVGcall& fill = mtl->buffers->calls[1];
  EXPECT_EQ(fill.type, MNVG_FILL);
  EXPECT_EQ(fill.triangleCount, 4);
  EXPECT_EQ(fill.indexCount, 2 * 2 * 3);
  const NVGvertex* quad = &mtl->buffers->verts[fill.triangleOffset];
  EXPECT_EQ(quad[0].x, 30);  // right, bottom first
  EXPECT_EQ(quad[0].y, 10);
  EXPECT_EQ(quad[3].x, 0);
  EXPECT_EQ(quad[3].u, 0.5f);
  vgCancelFrame(ctx);
}

// A wide area under a zigzag (a level curve over time) with a hole in it: the stencil takes it
// in trapezoids rather than a fan, and each pixel still gets the colour once, or not at all in
// the hole and above the teeth.
TEST_F(MetalBackendTest, ZigzagAreaWithAHoleIsFilledOnceWhereverItCovers)
{
  beginFrame();
  vgBeginPath(ctx);
  vgMoveTo(ctx, 4, 36);
  for (int k = 1; k <= 30; k++)
    vgLineTo(ctx, 4.f + 4 * k, k % 2 ? 24.f : 36.f);  // tips up at odd k
  vgLineTo(ctx, 124, 90);
  vgLineTo(ctx, 4, 90);
  vgClosePath(ctx);
  vgRect(ctx, 40, 50, 40, 20);
  vgSetPathWinding(ctx, NVG_HOLE);
  vgSetFillColor(ctx, vgColorRGBAf(1, 0, 0, 0.5f));
  vgFill(ctx);
  ASSERT_EQ(mtl->buffers->ncalls, 1);
  EXPECT_GT(mtl->buffers->calls[0].indexCount, 6 * 30) << "trapezoids, six indices an edge";
  vgEndFrame(ctx);

  for (int x = 6; x < 122; x++)
  {
    EXPECT_EQ(pixel(x, 20)[3], 0) << x;  // above every tip
    if (x != 40 && x != 79)              // the hole's edges are partly covered
    {
      EXPECT_EQ(pixel(x, 60)[3], x > 40 && x < 79 ? 0 : 128) << x;
    }
    EXPECT_EQ(pixel(x, 80)[3], 128) << x;
  }
  // Halfway down the teeth: inside under a tip, outside over a valley.
  EXPECT_EQ(pixel(8, 30)[3], 128);
  EXPECT_EQ(pixel(12, 30)[3], 0);
}

TEST_F(MetalBackendTest, FringesJoinIntoOneStripAndShortFillsAreSkipped)
{
  beginFrame();
  NVGvertex a[4] = {{0, 0, 0, 1}, {1, 0, 1, 1}, {2, 0, 0, 1}, {3, 0, 1, 1}};
  NVGvertex b[6] = {{10, 0, 0, 1}, {11, 0, 1, 1}, {12, 0, 0, 1}, {13, 0, 1, 1}, {14, 0, 0, 1}, {15, 0, 1, 1}};
  NVGvertex two[2] = {{0, 0, 0.5f, 1}, {1, 1, 0.5f, 1}};
  const NVGpath paths[2] = {fringePath(a, 4, two, 2, 1), fringePath(b, 6, nullptr, 0, 1)};
  const float bounds[4] = {0, 0, 15, 1};
  NVGpaint paint{};
  vgSetPaintColor(&paint, vgColorRGBf(1, 1, 1));
  NVGscissor scissor{};
  scissor.extent[0] = scissor.extent[1] = -1;
  mtl->renderFill(&paint, {NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA, NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA}, &scissor, 1, bounds,
                  paths, 2);
  const MNVGcall& call = mtl->buffers->calls[0];
  EXPECT_EQ(call.indexCount, 0);  // 2 fill vertices make no triangle
  const int regionStart = call.triangleOffset + 4;
  EXPECT_EQ(mtl->buffers->nverts - regionStart, 4 + 2 + 6 + 2);
  EXPECT_EQ(call.strokeOffset, regionStart + 1);
  EXPECT_EQ(call.strokeCount, 12);
  const NVGvertex* strip = &mtl->buffers->verts[regionStart];
  EXPECT_EQ(strip[0].x, 0);   // the first vertex repeated
  EXPECT_EQ(strip[5].x, 3);   // the last vertex repeated
  EXPECT_EQ(strip[6].x, 10);  // the next path starts with its first vertex twice
  EXPECT_EQ(strip[7].x, 10);

  // A paint without scissor has a unit scissor and a zero matrix.
  const MNVGfragUniforms* u = mtl->fragUniformAtIndex(call.uniformOffset);
  EXPECT_EQ(u->scissorExt[0], 1.0f);
  EXPECT_EQ(u->scissorScale[1], 1.0f);
  EXPECT_EQ(u->scissorMat[0], 0.0f);
  EXPECT_EQ(u->strokeThr, -1.0f);
  EXPECT_EQ(u->type, MNVG_SHADER_FILLGRAD);
  vgCancelFrame(ctx);
}

TEST_F(MetalBackendTest, CallsWhoseImageHasNoTextureAreDropped)
{
  beginFrame();
  const int image = vgCreateImageFromPixels(ctx, 1, 1, 0, std::array<unsigned char, 4>{}.data());
  vgDeleteImage(ctx, image);
  vgBeginPath(ctx);
  vgRect(ctx, 0, 0, 10, 10);
  const NVGpaint gone = vgImagePaint(ctx, 0, 0, 10, 10, 0, image, 1);
  vgSetFillPaint(ctx, gone);
  vgSetStrokePaint(ctx, gone);
  vgFill(ctx);
  vgStroke(ctx);
  EXPECT_EQ(mtl->buffers->ncalls, 0);
  vgCancelFrame(ctx);
}

TEST(MetalBackend, BlendTableWithInvalidFactorsFallingBackWhole)
{
  const MNVGblend sourceOver = MNVGcontext_vVantorelix_au::blendCompositeOperation({2, 128, 2, 128});
  EXPECT_EQ(sourceOver, kMNVGdefaultBlend);
  const MNVGblend all = MNVGcontext_vVantorelix_au::blendCompositeOperation({4, 32, 256, 1024});
  EXPECT_EQ(all.srcRGB, MTLBlendFactorSourceColor);
  EXPECT_EQ(all.dstRGB, MTLBlendFactorOneMinusDestinationColor);
  EXPECT_EQ(all.srcAlpha, MTLBlendFactorDestinationAlpha);
  EXPECT_EQ(all.dstAlpha, MTLBlendFactorSourceAlphaSaturated);
  const MNVGblend others = MNVGcontext_vVantorelix_au::blendCompositeOperation({1, 8, 16, 512});
  EXPECT_EQ(others.srcRGB, MTLBlendFactorZero);
  EXPECT_EQ(others.dstRGB, MTLBlendFactorOneMinusSourceColor);
  EXPECT_EQ(others.srcAlpha, MTLBlendFactorDestinationColor);
  EXPECT_EQ(others.dstAlpha, MTLBlendFactorOneMinusDestinationAlpha);
  EXPECT_EQ(MNVGcontext_vVantorelix_au::blendCompositeOperation({1, 3, 64, 128}), kMNVGdefaultBlend);
}

TEST_F(MetalBackendTest, BufferSetsFollowTheFlagsAndCreationNeedsALayer)
{
  EXPECT_EQ(mvgCreateContext(nullptr, MNVG_ANTIALIAS), nullptr);  // deleted again, nothing leaks
  const int cases[][2] = {{0x3001, 3}, {0x2001, 3}, {0x1001, 2}, {0x0001, 1}};
  for (const auto& c : cases)
  {
    create(c[0]);
    EXPECT_EQ(mtl->maxBuffers, c[1]) << std::hex << c[0];
    EXPECT_EQ(mtl->cbuffers.size(), static_cast<size_t>(c[1]));
  }
  EXPECT_FALSE(layer.isOpaque());
  EXPECT_NE(layer.device(), nullptr);
}

TEST_F(MetalBackendTest, TextureIdsAreNeverReusedButEntriesAre)
{
  int ids[5];
  for (int& id : ids)
    id = vgCreateImageFromPixels(ctx, 1, 1, 0, nullptr);
  EXPECT_EQ(ids[4], 5 + 1);  // the atlas texture took id 1
  const size_t entries = mtl->textures.size();
  vgDeleteImage(ctx, ids[4]);
  EXPECT_EQ(vgCreateImageFromPixels(ctx, 1, 1, 0, nullptr), 7);
  EXPECT_EQ(mtl->textures.size(), entries);

  // An image that does not own its texture leaves it in place when deleted.
  auto texture = mtl->findTexture(7)->tex;
  const int shared = mvgCreateImageFromTexture(ctx, texture, NVG_IMAGE_NODELETE);
  auto entry = mtl->findTexture(shared);
  vgDeleteImage(ctx, shared);
  EXPECT_EQ(entry->id, 0);
  EXPECT_EQ(entry->tex, texture);
  vgDeleteImage(ctx, 7);
  EXPECT_EQ(mtl->findTexture(7), nullptr);
}

TEST_F(MetalBackendTest, FramebuffersClearPremultipliedAndReadBack)
{
  MNVGframebuffer* fb = mvgCreateFramebuffer(ctx, 8, 4, 0);
  ASSERT_NE(fb, nullptr);
  EXPECT_EQ(mtl->findTexture(fb->image)->flags, NVG_IMAGE_PREMULTIPLIED);
  mvgBindFramebuffer(fb);
  mvgSetClearColor(ctx, vgColorRGBAf(1, 0, 0, 0.5f));
  EXPECT_EQ(mtl->clearColor.red, 0.5);
  EXPECT_EQ(mtl->clearColor.alpha, 0.5);
  vgBeginFrame(ctx, 8, 4, 1);
  fillRect(4, 0, 4, 4, vgColorRGBA(0, 255, 0, 255));
  vgEndFrame(ctx);
  unsigned char pixels[8 * 4 * 4];
  mvgCopyImagePixels(ctx, fb->image, 0, 0, 8, 4, pixels);
  EXPECT_NEAR(pixels[0], 128, 1);
  EXPECT_NEAR(pixels[3], 128, 1);
  EXPECT_EQ(pixels[(1 * 8 + 5) * 4 + 1], 255);
  EXPECT_EQ(layer.presentedCount(), 0);  // nothing went to the screen
  mvgBindFramebuffer(nullptr);
  mvgDeleteFramebuffer(fb);
  mvgDeleteFramebuffer(nullptr);
}

// Frames run on the queue's worker thread from here on.
class MetalInFlightTest : public MetalBackendTest
{
protected:
  void SetUp() override
  {
    device->setRunsOnWorkerThread(true);
    layer.setDevice(device);
    MetalBackendTest::SetUp();
  }

  void frame()
  {
    beginFrame();
    fillRect(0, 0, 10, 10, vgColorRGBf(1, 1, 1));
    vgEndFrame(ctx);
  }

  std::shared_ptr<MTLDevice> device = MTLCreateSystemDefaultDevice();
};

TEST_F(MetalInFlightTest, ThreeBufferSetsBlockTheFourthFrameUntilOneCompletes)
{
  std::shared_ptr<MTLCommandQueue> queue = mvgGetCommandQueue(ctx);
  queue->holdExecution();
  for (int i = 0; i < 3; i++)
    frame();
  std::atomic<bool> begun{false};
  std::thread fourth([&] {
    vgBeginFrame(ctx, kWidth, kHeight, 1);
    begun = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(begun.load());
  queue->releaseExecution();
  fourth.join();
  EXPECT_TRUE(begun.load());
  vgCancelFrame(ctx);  // returns its set at once
  frame();
  EXPECT_NE(layer.presentedTexture(), nullptr);
}

TEST_F(MetalInFlightTest, DeletingTheContextWaitsForFramesInFlight)
{
  std::shared_ptr<MTLCommandQueue> queue = mvgGetCommandQueue(ctx);
  queue->holdExecution();
  frame();
  frame();
  std::thread gpu([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    queue->releaseExecution();
  });
  mvgDeleteContext(ctx);
  ctx = nullptr;
  gpu.join();
  EXPECT_EQ(layer.presentedCount(), 2);
}

TEST_F(MetalBackendTest, NonsenseSizesAndPositionsDrawNothing)
{
  vgBeginFrame(ctx, -5, 10, 1);  // an empty frame is dropped at the flush
  fillRect(0, 0, 10, 10, vgColorRGBf(1, 1, 1));
  vgEndFrame(ctx);
  EXPECT_EQ(layer.presentedCount(), 0);

  beginFrame();
  vgScale(ctx, std::nanf(""), 1);
  fillRect(0, 0, 10, 10, vgColorRGBf(1, 1, 1));
  vgEndFrame(ctx);
  ASSERT_EQ(layer.presentedCount(), 1);
  EXPECT_EQ(pixel(5, 5)[3], 0);
}
