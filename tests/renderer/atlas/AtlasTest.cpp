#include "AtlasFixture.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// What the texture callbacks were asked to do.
struct TextureLog
{
  int creates = 0, resizes = 0, updates = 0, destroys = 0;
  int allowResize = 1;
  std::vector<std::vector<int>> updatedRects;

  static TextureLog& of(void* user) { return *static_cast<TextureLog*>(user); }
  GlyphAtlasParams params()
  {
    GlyphAtlasParams p = atlasParams();
    p.userPtr = this;
    p.createTexture = [](void* u, int, int) { return ++of(u).creates, 1; };
    p.resizeTexture = [](void* u, int, int) { return ++of(u).resizes, of(u).allowResize; };
    p.updateTexture = [](void* u, int* r, const uint8_t*) {
      ++of(u).updates;
      of(u).updatedRects.push_back({r[0], r[1], r[2], r[3]});
    };
    p.destroy = [](void* u) { ++of(u).destroys; };
    return p;
  }
};

std::vector<int> skyline(const GlyphAtlas* atlas)
{
  std::vector<int> nodes;
  for (int i = 0; i < atlas->packer->nodeCount; ++i)
  {
    const SkylineNode& n = atlas->packer->nodes[i];
    nodes.insert(nodes.end(), {n.x, n.y, n.width});
  }
  return nodes;
}

}  // namespace

TEST_F(AtlasTest, StateStackHoldsTwentyAndReportsMisuse)
{
  ErrorLog log;
  atlasSetErrorCallback(atlas, ErrorLog::record, &log);
  EXPECT_EQ(atlas->stateCount, 1);
  atlasSetSize(atlas, 30.0f);
  for (int i = 0; i < 19; ++i)
    atlasPushState(atlas);
  EXPECT_EQ(atlas->stateCount, 20);
  EXPECT_EQ(atlas->states[19].size, 30.0f);  // a push copies the current state
  atlasSetSize(atlas, 40.0f);
  atlasPushState(atlas);
  EXPECT_EQ(atlas->stateCount, 20);
  EXPECT_EQ(atlas->states[19].size, 40.0f);
  for (int i = 0; i < 19; ++i)
    atlasPopState(atlas);
  atlasPopState(atlas);
  EXPECT_EQ(atlas->stateCount, 1);
  EXPECT_EQ(atlas->states[0].size, 30.0f);
  EXPECT_EQ(log.errors, (std::vector<std::pair<int, int>>{{ATLAS_STATES_OVERFLOW, 0}, {ATLAS_STATES_UNDERFLOW, 0}}));

  atlasClearState(atlas);
  const GlyphAtlasState& state = atlas->states[0];
  EXPECT_EQ(state.font, 0);
  EXPECT_EQ(state.align, ATLAS_ALIGN_LEFT | ATLAS_ALIGN_BASELINE);
  EXPECT_EQ(state.size, 12.0f);
  EXPECT_EQ(state.colour, 0xffffffffu);
}

TEST_F(AtlasTest, FirstDirtyRectIsTheWhiteRectangle)
{
  int rect[4] = {-1, -1, -1, -1};
  ASSERT_EQ(atlasTakeDirtyRect(atlas, rect), 1);
  EXPECT_EQ(std::vector<int>(rect, rect + 4), (std::vector<int>{0, 0, 2, 2}));
  const uint8_t* pixels = atlasPixels(atlas, nullptr, nullptr);
  EXPECT_EQ(pixels[0] & pixels[1] & pixels[512] & pixels[513], 255);
  EXPECT_EQ(pixels[2] | pixels[1024], 0);
  EXPECT_EQ(atlasTakeDirtyRect(atlas, rect), 0);
  EXPECT_EQ(rect[2], 2);  // untouched
  EXPECT_EQ(skyline(atlas), (std::vector<int>{0, 2, 2, 2, 0, 510}));
}

TEST_F(AtlasTest, SizesOutsideTheSixteenBitRangeAreRefused)
{
  const std::pair<int, int> sizes[] = {{0, 512}, {512, -1}, {40000, 512}};
  for (const auto& [w, h] : sizes)
  {
    GlyphAtlasParams params = atlasParams(w, h);
    EXPECT_EQ(atlasCreate(&params), nullptr);
    EXPECT_EQ(atlasReset(atlas, w, h), 0);
  }
  EXPECT_EQ(atlasGrow(atlas, 40000, 512), 0);
  int w = 0, h = 0;
  atlasGetSize(atlas, &w, &h);
  EXPECT_EQ(w, 512);
  EXPECT_EQ(h, 512);
}

TEST_F(AtlasTest, ResetEmptiesGlyphCachesAndKeepsFonts)
{
  const int id = addFont("sans", kDejaVuSans);
  GlyphAtlasGlyph* glyph = atlasFindOrRenderGlyph(atlas, font(id), 'A', 200, 0, ATLAS_GLYPH_BITMAP_REQUIRED);
  ASSERT_NE(glyph, nullptr);
  ASSERT_EQ(atlasReset(atlas, 1024, 256), 1);
  EXPECT_EQ(atlasFindFont(atlas, "sans"), id);
  EXPECT_EQ(font(id)->glyphCount, 0);
  int w = 0, h = 0;
  const uint8_t* pixels = atlasPixels(atlas, &w, &h);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 256);
  EXPECT_FLOAT_EQ(atlas->inverseWidth, 1.0f / 1024);
  int rect[4];
  ASSERT_EQ(atlasTakeDirtyRect(atlas, rect), 1);
  EXPECT_EQ(std::vector<int>(rect, rect + 4), (std::vector<int>{0, 0, 2, 2}));
  EXPECT_EQ(pixels[1024 * 2 + 5], 0);

  glyph = atlasFindOrRenderGlyph(atlas, font(id), 'A', 200, 0, ATLAS_GLYPH_BITMAP_REQUIRED);
  ASSERT_NE(glyph, nullptr);
  EXPECT_EQ(font(id)->glyphCount, 1);
  EXPECT_EQ(atlasTakeDirtyRect(atlas, rect), 1);  // rendered again
}

TEST_F(AtlasTest, GrowKeepsGlyphsAndMarksTheUsedArea)
{
  const int id = addFont("sans", kDejaVuSans);
  GlyphAtlasGlyph* glyph = atlasFindOrRenderGlyph(atlas, font(id), 'W', 300, 0, ATLAS_GLYPH_BITMAP_REQUIRED);
  ASSERT_NE(glyph, nullptr);
  const GlyphAtlasGlyph before = *glyph;
  const std::vector<uint8_t> old(atlas->pixels, atlas->pixels + 512 * 512);

  EXPECT_EQ(atlasGrow(atlas, 100, 100), 1);  // smaller: nothing changes
  EXPECT_EQ(atlas->params.width, 512);

  ASSERT_EQ(atlasGrow(atlas, 1024, 600), 1);
  EXPECT_EQ(atlas->params.width, 1024);
  EXPECT_EQ(atlas->params.height, 600);
  for (int row = 0; row < 512; ++row)
  {
    ASSERT_EQ(std::memcmp(atlas->pixels + row * 1024, old.data() + row * 512, 512), 0) << row;
    ASSERT_EQ(atlas->pixels[row * 1024 + 700], 0);
  }
  EXPECT_EQ(skyline(atlas).back(), 512);  // a node over the new columns
  EXPECT_EQ(atlas->packer->width, 1024);
  int rect[4];
  ASSERT_EQ(atlasTakeDirtyRect(atlas, rect), 1);
  EXPECT_EQ(std::vector<int>(rect, rect + 4), (std::vector<int>{0, 0, 512, before.y1}));

  glyph = atlasFindOrRenderGlyph(atlas, font(id), 'W', 300, 0, ATLAS_GLYPH_BITMAP_REQUIRED);
  EXPECT_EQ(font(id)->glyphCount, 1);
  EXPECT_EQ(glyph->x0, before.x0);
  EXPECT_EQ(atlasTakeDirtyRect(atlas, rect), 0);  // found, not rendered again
}

TEST(AtlasCallbacks, TextureCallbacksFollowTheAtlas)
{
  TextureLog log;
  GlyphAtlasParams params = log.params();
  GlyphAtlas* atlas = atlasCreate(&params);
  ASSERT_NE(atlas, nullptr);
  EXPECT_EQ(log.creates, 1);
  atlasFlush(atlas);
  EXPECT_EQ(log.updatedRects, (std::vector<std::vector<int>>{{0, 0, 2, 2}}));

  log.allowResize = 0;
  EXPECT_EQ(atlasReset(atlas, 256, 256), 0);
  EXPECT_EQ(atlasGrow(atlas, 1024, 1024), 0);
  EXPECT_EQ(atlas->params.width, 512);
  EXPECT_EQ(skyline(atlas), (std::vector<int>{0, 2, 2, 2, 0, 510}));
  log.allowResize = 1;
  EXPECT_EQ(atlasReset(atlas, 256, 256), 1);
  EXPECT_EQ(log.resizes, 3);
  atlasDelete(atlas);
  EXPECT_EQ(log.destroys, 1);

  params.createTexture = [](void*, int, int) { return 0; };
  EXPECT_EQ(atlasCreate(&params), nullptr);
}

// The pixels are reallocated on reset; when that fails the atlas must stay whole: its old
// buffer, size, packer and glyphs, so that the next glyph still draws.
TEST_F(AtlasTest, ResetThatCannotAllocateKeepsTheAtlas)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the address-space limit that makes the allocation fail stops the sanitiser";
#else
  const int id = addFont("sans", kDejaVuSans);
  ASSERT_NE(atlasFindOrRenderGlyph(atlas, font(id), 'A', 200, 0, ATLAS_GLYPH_BITMAP_REQUIRED), nullptr);
  const std::vector<int> nodes = skyline(atlas);

  long pages = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  ASSERT_EQ(std::fscanf(statm, "%ld", &pages), 1);
  std::fclose(statm);
  rlimit saved{};
  getrlimit(RLIMIT_AS, &saved);
  rlimit limited = saved;
  limited.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (64u << 20);
  ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
  const int result = atlasReset(atlas, 30000, 30000);
  setrlimit(RLIMIT_AS, &saved);

  EXPECT_EQ(result, 0);
  EXPECT_EQ(atlas->params.width, 512);
  EXPECT_EQ(atlas->params.height, 512);
  ASSERT_NE(atlas->pixels, nullptr);
  EXPECT_EQ(skyline(atlas), nodes);
  EXPECT_EQ(font(id)->glyphCount, 1);
  atlasSetFont(atlas, id);
  EXPECT_GT(atlasDrawText(atlas, 0, 0, "AB", nullptr), 0.0f);
#endif
}

TEST_F(AtlasTest, ScratchArenaRoundsRequestsAndReportsWhenFull)
{
  ErrorLog log;
  atlasSetErrorCallback(atlas, ErrorLog::record, &log);
  atlas->scratchUsed = 0;
  auto* first = static_cast<uint8_t*>(atlasScratchAlloc(atlas, 1));
  auto* second = static_cast<uint8_t*>(atlasScratchAlloc(atlas, 17));
  EXPECT_EQ(second - first, 16);
  EXPECT_EQ(atlas->scratchUsed, 48);
  EXPECT_EQ(atlasScratchAlloc(atlas, kAtlasScratchSize - 48 + 1), nullptr);
  EXPECT_EQ(atlasScratchAlloc(atlas, SIZE_MAX), nullptr);  // no wrap-around of the sum
  EXPECT_NE(atlasScratchAlloc(atlas, kAtlasScratchSize - 48), nullptr);
  EXPECT_EQ(atlas->scratchUsed, kAtlasScratchSize);
  EXPECT_EQ(log.errors, (std::vector<std::pair<int, int>>{{ATLAS_SCRATCH_FULL, kAtlasScratchSize + 16},
                                                          {ATLAS_SCRATCH_FULL, INT32_MAX}}));
}
