#include "AtlasFixture.h"

#include <cstdlib>

namespace {

GlyphAtlasGlyph* required(GlyphAtlas* atlas, GlyphAtlasFont* font, uint32_t c, int16_t isize, int16_t iblur = 0)
{
  return atlasFindOrRenderGlyph(atlas, font, c, isize, iblur, ATLAS_GLYPH_BITMAP_REQUIRED);
}

int boxWidth(GlyphAtlasFont* font, uint32_t c, int16_t isize)
{
  int advance, x0, y0, x1, y1;
  const int glyph = atlasFontGlyphIndex(font, c);
  atlasFontGlyphMetrics(font, glyph, atlasFontPixelScale(font, isize / 10.0f), &advance, &x0, &y0, &x1, &y1);
  return x1 - x0;
}

bool ringIsEmpty(const GlyphAtlas* atlas, const GlyphAtlasGlyph* g)
{
  const int w = atlas->params.width;
  for (int x = g->x0; x < g->x1; ++x)
    if (atlas->pixels[g->y0 * w + x] || atlas->pixels[(g->y1 - 1) * w + x])
      return false;
  for (int y = g->y0; y < g->y1; ++y)
    if (atlas->pixels[y * w + g->x0] || atlas->pixels[y * w + g->x1 - 1])
      return false;
  return true;
}

}  // namespace

TEST_F(AtlasTest, GlyphSizeBelowTwoTenthsGivesNoGlyph)
{
  const int id = addFont("sans", kDejaVuSans);
  EXPECT_EQ(required(atlas, font(id), 'A', 1), nullptr);
  EXPECT_EQ(atlasFindOrRenderGlyph(atlas, font(id), 'A', 1, 0, ATLAS_GLYPH_BITMAP_OPTIONAL), nullptr);
  EXPECT_EQ(font(id)->glyphCount, 0);
  atlasSetSize(atlas, 0.15f);
  EXPECT_EQ(atlasMeasureText(atlas, 0, 0, "AA", nullptr, nullptr), 0.0f);
}

TEST_F(AtlasTest, RenderedGlyphIsPaddedFramedAndMarkedDirty)
{
  const int id = addFont("sans", kDejaVuSans);
  int rect[4];
  atlasTakeDirtyRect(atlas, rect);
  const GlyphAtlasGlyph* g = required(atlas, font(id), 'A', 400);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->x1 - g->x0, boxWidth(font(id), 'A', 400) + 4);
  EXPECT_TRUE(ringIsEmpty(atlas, g));
  int covered = 0;
  for (int y = g->y0; y < g->y1; ++y)
    for (int x = g->x0; x < g->x1; ++x)
      covered += atlas->pixels[y * 512 + x] == 255;
  EXPECT_GT(covered, 50);
  ASSERT_EQ(atlasTakeDirtyRect(atlas, rect), 1);
  EXPECT_EQ(std::vector<int>(rect, rect + 4), (std::vector<int>{g->x0, g->y0, g->x1, g->y1}));
  EXPECT_GT(g->xadv, 200);  // tenths of a pixel
}

TEST_F(AtlasTest, BlurIsCappedAtTwentyAndNeverBelowZero)
{
  const int id = addFont("sans", kDejaVuSans);
  const GlyphAtlasGlyph* blurred = required(atlas, font(id), 'o', 200, 25);
  ASSERT_NE(blurred, nullptr);
  EXPECT_EQ(blurred->blur, 20);
  EXPECT_EQ(blurred->x1 - blurred->x0, boxWidth(font(id), 'o', 200) + 2 * 22);
  EXPECT_TRUE(ringIsEmpty(atlas, blurred));
  EXPECT_EQ(required(atlas, font(id), 'o', 200, 20), blurred);  // the same cache entry

  // A negative blur would leave the padding negative and the bitmap outside its rectangle.
  const GlyphAtlasGlyph* sharp = required(atlas, font(id), 'o', 200, -5);
  ASSERT_NE(sharp, nullptr);
  EXPECT_EQ(sharp->blur, 0);
  EXPECT_EQ(sharp->x1 - sharp->x0, boxWidth(font(id), 'o', 200) + 4);
}

TEST_F(AtlasTest, SpaceTakesAFourByFourRectangleOfZeros)
{
  const int id = addFont("sans", kDejaVuSans);
  const GlyphAtlasGlyph* g = required(atlas, font(id), ' ', 120);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->x1 - g->x0, 4);
  EXPECT_EQ(g->y1 - g->y0, 4);
  EXPECT_TRUE(ringIsEmpty(atlas, g));
  EXPECT_EQ(atlas->pixels[(g->y0 + 1) * 512 + g->x0 + 1] | atlas->pixels[(g->y0 + 2) * 512 + g->x0 + 2], 0);
}

TEST_F(AtlasTest, MetricsOnlyEntryGetsItsBitmapInPlace)
{
  const int id = addFont("sans", kDejaVuSans);
  const GlyphAtlasGlyph* measured = atlasFindOrRenderGlyph(atlas, font(id), 'g', 160, 0, ATLAS_GLYPH_BITMAP_OPTIONAL);
  ASSERT_NE(measured, nullptr);
  EXPECT_EQ(measured->x0, -1);
  EXPECT_EQ(measured->y0, -1);
  const int xadv = measured->xadv;
  const GlyphAtlasGlyph* drawn = required(atlas, font(id), 'g', 160);
  EXPECT_EQ(drawn, measured);
  EXPECT_GE(drawn->x0, 0);
  EXPECT_EQ(drawn->xadv, xadv);
  EXPECT_EQ(font(id)->glyphCount, 1);
  EXPECT_EQ(drawn->next, -1);
  // Other sizes share the chain and get their own entries.
  EXPECT_NE(required(atlas, font(id), 'g', 161), drawn);
  EXPECT_EQ(font(id)->glyphCount, 2);
}

TEST_F(AtlasTest, MissingCodepointsGoToFallbacksThenTheMissingGlyph)
{
  const int roboto = addFont("roboto", kRoboto), dejavu = addFont("dejavu", kDejaVuSans);
  const uint32_t snowman = 0x2603, umbrella = 0x2602;
  ASSERT_EQ(atlasFontGlyphIndex(font(roboto), snowman), 0);
  ASSERT_NE(atlasFontGlyphIndex(font(dejavu), umbrella), 0);

  const GlyphAtlasGlyph* missing = required(atlas, font(roboto), snowman, 120);
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing->index, 0);

  ASSERT_EQ(atlasAddFallbackFont(atlas, roboto, dejavu), 1);
  const GlyphAtlasGlyph* fallback = required(atlas, font(roboto), umbrella, 120);
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(fallback->index, atlasFontGlyphIndex(font(dejavu), umbrella));
  EXPECT_EQ(font(dejavu)->glyphCount, 0);  // cached under the font asked for
}

TEST_F(AtlasTest, FullAtlasAsksTheCallbackAndRetriesOnce)
{
  makeAtlas(atlasParams(64, 64));
  const int id = addFont("sans", kDejaVuSans);
  EXPECT_EQ(required(atlas, font(id), 'M', 1000), nullptr);  // larger than the atlas, no callback

  // A callback that moves to a fresh atlas, after which the glyph is packed again.
  struct Reset
  {
    GlyphAtlas* atlas;
    int calls = 0;
    static void onError(void* user, int code, int value)
    {
      auto* self = static_cast<Reset*>(user);
      EXPECT_EQ(code, ATLAS_ATLAS_FULL);
      EXPECT_EQ(value, 0);
      ++self->calls;
      atlasReset(self->atlas, 64, 64);
    }
  } reset{atlas};
  // A metrics-only entry, then an atlas filled up without a callback.
  ASSERT_NE(atlasFindOrRenderGlyph(atlas, font(id), 'a', 300, 0, ATLAS_GLYPH_BITMAP_OPTIONAL), nullptr);
  int placed = 0;
  while (required(atlas, font(id), 'A' + placed, 300))
    ++placed;
  EXPECT_GT(placed, 0);
  // Completing the entry needs room; the callback's reset empties the cache under it, so the
  // glyph must land in a new entry, not in one that no longer exists.
  atlasSetErrorCallback(atlas, Reset::onError, &reset);
  const GlyphAtlasGlyph* a = required(atlas, font(id), 'a', 300);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(reset.calls, 1);
  EXPECT_GE(a->x0, 0);
  EXPECT_EQ(font(id)->glyphCount, 1);
  EXPECT_EQ(required(atlas, font(id), 'a', 300), a);
  EXPECT_EQ(reset.calls, 1);
}

namespace {

struct PackCase
{
  const char* what;
  std::vector<SkylineNode> nodes;
  int w, h;
  int fits, x, y;
  std::vector<int> after;  // the skyline after placing, x / y / width per node
};

}  // namespace

TEST(SkylinePacker, PlacesOnTheLowestFarEdge)
{
  // clang-format off
  const PackCase cases[] = {
    {"fresh atlas after the white rectangle: far edge 12 beats 14",
     {{0, 2, 2}, {2, 0, 510}}, 10, 12, 1, 2, 0, {0, 2, 2, 2, 12, 10, 12, 0, 500}},
    {"equal far edges on equal widths: the leftmost",
     {{0, 0, 40}, {40, 20, 20}, {60, 0, 40}}, 10, 10, 1, 0, 0, {0, 10, 10, 10, 0, 30, 40, 20, 20, 60, 0, 40}},
    {"equal far edges: the narrower node",
     {{0, 0, 40}, {40, 20, 20}, {60, 0, 30}, {90, 20, 10}}, 10, 10, 1, 60, 0,
     {0, 0, 40, 40, 20, 20, 60, 10, 10, 70, 0, 20, 90, 20, 10}},
    {"spanning nodes rests on the highest and swallows the covered ones",
     {{0, 5, 10}, {10, 0, 10}, {20, 30, 80}}, 18, 10, 1, 0, 5, {0, 15, 18, 18, 0, 2, 20, 30, 80}},
    {"merging with a neighbour of the same height",
     {{0, 10, 10}, {10, 0, 90}}, 10, 10, 1, 10, 0, {0, 10, 20, 20, 0, 80}},
    {"far edge exactly at the bottom only on a narrower node",
     {{0, 0, 100}}, 10, 100, 0, 0, 0, {0, 0, 100}},
    {"too wide", {{0, 0, 100}}, 101, 1, 0, 0, 0, {0, 0, 100}},
    {"too tall where it is wide enough", {{0, 0, 50}, {50, 95, 50}}, 60, 10, 0, 0, 0, {0, 0, 50, 50, 95, 50}},
  };
  // clang-format on
  for (const PackCase& c : cases)
  {
    SkylinePacker* packer = atlasPackerCreate(100, 100);
    packer->nodeCount = int(c.nodes.size());
    std::copy(c.nodes.begin(), c.nodes.end(), packer->nodes);
    if (c.nodes.back().x + c.nodes.back().width == 512)
      packer->width = 512, packer->height = 512;
    int x = -1, y = -1;
    EXPECT_EQ(atlasPackRect(packer, c.w, c.h, &x, &y), c.fits) << c.what;
    if (c.fits)
    {
      EXPECT_EQ(x, c.x) << c.what;
      EXPECT_EQ(y, c.y) << c.what;
    }
    std::vector<int> after;
    for (int i = 0; i < packer->nodeCount; ++i)
      after.insert(after.end(), {packer->nodes[i].x, packer->nodes[i].y, packer->nodes[i].width});
    EXPECT_EQ(after, c.after) << c.what;
    atlasPackerDelete(packer);
  }
}

TEST(GlyphBlur, SpreadsLessAsTheRadiusGrowsAndClearsTheBorder)
{
  // A 9 x 9 block of full coverage in a 21 x 21 rectangle, blurred with two radii.
  const auto blurred = [](int radius) {
    std::vector<uint8_t> pixels(21 * 25, 7);  // stride 25: columns past the rectangle stay
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 21; ++x)
        pixels[y * 25 + x] = (x >= 6 && x < 15 && y >= 6 && y < 15) ? 255 : 0;
    atlasBlur(pixels.data(), 21, 21, 25, radius);
    return pixels;
  };
  const std::vector<uint8_t> narrow = blurred(1), wide = blurred(20);
  for (const auto* p : {&narrow, &wide})
  {
    for (int i = 0; i < 21; ++i)
    {
      EXPECT_EQ((*p)[i], 0);
      EXPECT_EQ((*p)[20 * 25 + i], 0);
      EXPECT_EQ((*p)[i * 25], 0);
      EXPECT_EQ((*p)[i * 25 + 20], 0);
      EXPECT_EQ((*p)[i * 25 + 22], 7);
    }
    EXPECT_GT((*p)[10 * 25 + 3], 0);  // coverage spread outside the block
    EXPECT_LT((*p)[10 * 25 + 10], 255);
    EXPECT_NEAR((*p)[10 * 25 + 7], (*p)[10 * 25 + 13], 40);  // roughly symmetric
  }
  // A small radius keeps a steeper edge: more coverage stays inside, less spreads out.
  EXPECT_GT(narrow[10 * 25 + 10], wide[10 * 25 + 10]);
  EXPECT_LT(narrow[10 * 25 + 2], wide[10 * 25 + 2]);
}
