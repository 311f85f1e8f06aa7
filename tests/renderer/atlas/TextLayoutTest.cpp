#include "AtlasFixture.h"

#include <cstring>
#include <string>

namespace {

// Steps through a string and records, per step, the codepoint completed (or -1 for a step that
// produced nothing) until the iterator reports the end.
std::vector<long> codepoints(GlyphAtlas* atlas, const std::string& text)
{
  GlyphIterator iter;
  EXPECT_EQ(
    atlasGlyphIterBegin(atlas, &iter, 0, 0, text.data(), text.data() + text.size(), ATLAS_GLYPH_BITMAP_OPTIONAL), 1);
  std::vector<long> steps;
  GlyphQuad quad{};
  while (atlasGlyphIterNext(atlas, &iter, &quad))
    steps.push_back(iter.utf8state == 0 ? long(iter.codepoint) : -1);
  return steps;
}

struct VertexLog
{
  std::vector<int> flushes;
  std::vector<float> positions;
  std::vector<uint32_t> colours;
  GlyphAtlasParams params(uint8_t flags = ATLAS_ZERO_TOPLEFT)
  {
    GlyphAtlasParams p = atlasParams(512, 512, flags);
    p.userPtr = this;
    p.drawVertices = [](void* user, const float* xy, const float*, const uint32_t* colours, int count) {
      auto* self = static_cast<VertexLog*>(user);
      self->flushes.push_back(count);
      self->positions.insert(self->positions.end(), xy, xy + 2 * count);
      self->colours.insert(self->colours.end(), colours, colours + count);
    };
    return p;
  }
};

}  // namespace

class TextLayoutTest : public AtlasTest
{
protected:
  void SetUp() override
  {
    AtlasTest::SetUp();
    roboto = addFont("roboto", kRoboto);
    dejavu = addFont("dejavu", kDejaVuSans);
    atlasSetFont(atlas, roboto);
    atlasSetSize(atlas, 20.0f);
  }
  float k() const { return 20.0f; }
  int roboto = -1, dejavu = -1;
};

TEST_F(TextLayoutTest, Utf8IsDecodedAndAnInvalidByteEndsTheString)
{
  const struct
  {
    std::string text;
    std::vector<long> steps;
  } cases[] = {
    {"A\xC3\xA9", {'A', 0xE9}},
    {"\xE2\x82\xAC\xF0\x9F\x98\x80", {0x20AC, 0x1F600}},
    {"A\xC0\x80"
     "BC",
     {'A', -1}},  // overlong lead byte: nothing after it
    {"\xED\xA0\x80"
     "B",
     {-1}},  // a surrogate
    {"\xF4\x90\x80\x80"
     "B",
     {-1}},  // beyond U+10FFFF
    {"A\x80"
     "B",
     {'A', -1}},                     // a lone continuation byte
    {"AB\xE2\x82", {'A', 'B', -1}},  // cut inside a sequence
    {"", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(codepoints(atlas, c.text), c.steps) << c.text;
}

TEST_F(TextLayoutTest, TruncatedSequenceLeavesTheQuadAndPreviousGlyph)
{
  const char text[] = "A\xC3";
  GlyphIterator iter;
  ASSERT_EQ(atlasGlyphIterBegin(atlas, &iter, 10, 50, text, nullptr, ATLAS_GLYPH_BITMAP_REQUIRED), 1);
  GlyphQuad quad{};
  ASSERT_EQ(atlasGlyphIterNext(atlas, &iter, &quad), 1);
  const GlyphQuad first = quad;
  const int previous = iter.prevGlyphIndex;
  EXPECT_NE(previous, -1);
  ASSERT_EQ(atlasGlyphIterNext(atlas, &iter, &quad), 1);
  EXPECT_EQ(std::memcmp(&quad, &first, sizeof quad), 0);
  EXPECT_EQ(iter.prevGlyphIndex, previous);
  EXPECT_EQ(iter.next, iter.end);
  EXPECT_EQ(atlasGlyphIterNext(atlas, &iter, &quad), 0);
}

TEST_F(TextLayoutTest, SpacingIsAddedBetweenGlyphsOnly)
{
  GlyphAtlasFont* f = font(roboto);
  ASSERT_EQ(atlasFontKern(f, atlasFontGlyphIndex(f, 'H'), atlasFontGlyphIndex(f, 'I')), 0);
  const float plain = atlasMeasureText(atlas, 0, 0, "HI", nullptr, nullptr);
  atlasSetSpacing(atlas, 2.0f);
  EXPECT_EQ(atlasMeasureText(atlas, 0, 0, "HI", nullptr, nullptr), plain + 2.0f);
  const char* pair = "HI";
  EXPECT_EQ(atlasMeasureText(atlas, 0, 0, "H", nullptr, nullptr),
            atlasMeasureText(atlas, 0, 0, pair, pair + 1, nullptr));
}

TEST_F(TextLayoutTest, KerningPullsPairsTogether)
{
  atlasSetFont(atlas, dejavu);
  atlasSetSize(atlas, 100.0f);
  const float a = atlasMeasureText(atlas, 0, 0, "A", nullptr, nullptr);
  const float v = atlasMeasureText(atlas, 0, 0, "V", nullptr, nullptr);
  EXPECT_LT(atlasMeasureText(atlas, 0, 0, "AV", nullptr, nullptr), a + v);
}

TEST_F(TextLayoutTest, AlignmentMovesTheStart)
{
  const char* text = "Level";
  const float advance = atlasMeasureText(atlas, 0, 0, text, nullptr, nullptr);
  float ascender = 0, descender = 0, lineHeight = 0;
  atlasVerticalMetrics(atlas, &ascender, &descender, &lineHeight);
  EXPECT_GT(ascender, 0.0f);
  EXPECT_LT(descender, 0.0f);
  const struct
  {
    int align;
    float dx, dy;
  } cases[] = {
    {ATLAS_ALIGN_LEFT | ATLAS_ALIGN_BASELINE, 0, 0},
    {0, 0, 0},
    {ATLAS_ALIGN_CENTER, -advance / 2, 0},
    {ATLAS_ALIGN_RIGHT, -advance, 0},
    {ATLAS_ALIGN_LEFT | ATLAS_ALIGN_RIGHT, 0, 0},
    {ATLAS_ALIGN_TOP, 0, ascender},
    {ATLAS_ALIGN_MIDDLE, 0, (ascender + descender) / 2},
    {ATLAS_ALIGN_BOTTOM, 0, descender},
    {ATLAS_ALIGN_BOTTOM | ATLAS_ALIGN_BASELINE, 0, 0},
    {ATLAS_ALIGN_TOP | ATLAS_ALIGN_BOTTOM, 0, ascender},
  };
  for (const auto& c : cases)
  {
    atlasSetAlign(atlas, c.align);
    GlyphIterator iter;
    ASSERT_EQ(atlasGlyphIterBegin(atlas, &iter, 100, 50, text, nullptr, ATLAS_GLYPH_BITMAP_OPTIONAL), 1);
    EXPECT_FLOAT_EQ(iter.x, 100 + c.dx) << c.align;
    EXPECT_FLOAT_EQ(iter.y, 50 + c.dy) << c.align;
    float bounds[4];
    atlasMeasureText(atlas, 100, 50, text, nullptr, bounds);
    EXPECT_NEAR(bounds[0], 100 + c.dx, 3.0f) << c.align;  // glyph side bearing
  }
}

TEST_F(TextLayoutTest, LineExtentFollowsTheOrigin)
{
  float ascender = 0, descender = 0, lineHeight = 0;
  atlasVerticalMetrics(atlas, &ascender, &descender, &lineHeight);
  float miny = 0, maxy = 0;
  atlasSetAlign(atlas, ATLAS_ALIGN_LEFT | ATLAS_ALIGN_TOP);
  atlasLineExtent(atlas, 30, &miny, &maxy);
  EXPECT_FLOAT_EQ(miny, 30);
  EXPECT_FLOAT_EQ(maxy, 30 + lineHeight);

  VertexLog log;
  makeAtlas(log.params(0));
  atlasSetFont(atlas, addFont("roboto", kRoboto));
  atlasSetSize(atlas, 20.0f);
  atlasLineExtent(atlas, 30, &miny, &maxy);
  EXPECT_FLOAT_EQ(maxy, 30 + descender);
  EXPECT_FLOAT_EQ(miny, maxy - lineHeight);
  // Measured bounds run upwards on a bottom-left origin too.
  float bounds[4];
  atlasMeasureText(atlas, 0, 100, "Ag", nullptr, bounds);
  EXPECT_LT(bounds[1], 100);
  EXPECT_GT(bounds[3], 100);
}

TEST_F(TextLayoutTest, EmptyStringMeasuresAsAPointAtTheAlignedOrigin)
{
  atlasSetAlign(atlas, ATLAS_ALIGN_CENTER | ATLAS_ALIGN_TOP);
  float ascender = 0;
  atlasVerticalMetrics(atlas, &ascender, nullptr, nullptr);
  float bounds[4] = {};
  EXPECT_EQ(atlasMeasureText(atlas, 7, 9, "", nullptr, bounds), 0.0f);
  EXPECT_EQ(std::vector<float>(bounds, bounds + 4), (std::vector<float>{7, 9 + ascender, 7, 9 + ascender}));
  GlyphIterator iter;
  ASSERT_EQ(atlasGlyphIterBegin(atlas, &iter, 0, 0, "", nullptr, ATLAS_GLYPH_BITMAP_REQUIRED), 1);
  GlyphQuad quad;
  EXPECT_EQ(atlasGlyphIterNext(atlas, &iter, &quad), 0);
}

TEST_F(TextLayoutTest, WithoutAUsableFontEveryOperationIsNeutral)
{
  atlasSetFont(atlas, 9);
  float bounds[4] = {1, 2, 3, 4}, value = 5;
  EXPECT_EQ(atlasMeasureText(atlas, 3, 4, "x", nullptr, bounds), 0.0f);
  EXPECT_EQ(bounds[0], 1.0f);
  EXPECT_EQ(atlasDrawText(atlas, 3, 4, "x", nullptr), 3.0f);
  atlasLineExtent(atlas, 0, &value, &value);
  atlasVerticalMetrics(atlas, &value, &value, &value);
  EXPECT_EQ(value, 5.0f);
  GlyphIterator iter;
  iter.x = 99;
  EXPECT_EQ(atlasGlyphIterBegin(atlas, &iter, 0, 0, "x", nullptr, ATLAS_GLYPH_BITMAP_REQUIRED), 0);
  EXPECT_EQ(iter.x, 0.0f);  // zeroed
  EXPECT_EQ(atlasGlyphIterBegin(nullptr, &iter, 0, 0, "x", nullptr, ATLAS_GLYPH_BITMAP_REQUIRED), 0);
  atlasSetFont(atlas, -1);
  EXPECT_EQ(atlasDrawText(atlas, 3, 4, "x", nullptr), 3.0f);
}

TEST(AtlasDrawing, TwoHundredGlyphsFlushOnceInTheMiddleAndOnceAtTheEnd)
{
  VertexLog log;
  GlyphAtlasParams params = log.params();
  GlyphAtlas* atlas = atlasCreate(&params);
  const int id = atlasAddFontFile(atlas, "sans", kRoboto, 0);
  atlasSetFont(atlas, id);
  atlasSetColor(atlas, 0x11223344u);
  const std::string text(200, 'x');
  const float advance = atlasMeasureText(atlas, 5, 20, text.c_str(), nullptr, nullptr);
  EXPECT_FLOAT_EQ(atlasDrawText(atlas, 5, 20, text.c_str(), nullptr), 5 + advance);
  EXPECT_EQ(log.flushes, (std::vector<int>{1020, 180}));
  EXPECT_EQ(log.colours.front(), 0x11223344u);
  EXPECT_EQ(log.colours.back(), 0x11223344u);
  EXPECT_EQ(atlas->vertexCount, 0);
  // Two triangles per glyph over whole pixels: corners (x0, y0), (x1, y1), (x1, y0).
  EXPECT_EQ(log.positions[0], float(int(log.positions[0])));
  EXPECT_EQ(log.positions[4], log.positions[2]);
  EXPECT_EQ(log.positions[5], log.positions[1]);
  atlasDelete(atlas);
}

TEST(AtlasDrawing, DebugViewDrawsTextureAndSkyline)
{
  VertexLog log;
  GlyphAtlasParams params = log.params();
  GlyphAtlas* atlas = atlasCreate(&params);
  atlasDrawDebug(atlas, 0, 0);
  const int nodes = atlas->packer->nodeCount;
  EXPECT_EQ(log.flushes, (std::vector<int>{12 + 6 * nodes}));
  EXPECT_EQ(log.colours[0], 0x0fffffffu);
  EXPECT_EQ(log.colours[6], 0xffffffffu);
  EXPECT_EQ(log.colours[12], 0xc00000ffu);
  EXPECT_EQ(log.positions[2 * 12 + 1], 2.0f);  // the first node's bar starts at its height
  atlasDelete(atlas);
}
