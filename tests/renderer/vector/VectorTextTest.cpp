#include "tests/renderer/vector/VectorFixture.h"

#include "renderer/atlas/GlyphAtlas.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {
const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class VectorTextTest : public VectorTest
{
protected:
  void SetUp() override
  {
    VectorTest::SetUp();
    ASSERT_EQ(vgAddFontFromFile(ctx, "sans", kFont), 0);
    vgSetFontSize(ctx, 20);
  }

  std::vector<RecordedCall> textCalls() const
  {
    std::vector<RecordedCall> calls;
    for (const RecordedCall& c : backend.calls)
      if (c.kind == RecordedCall::Triangles)
        calls.push_back(c);
    return calls;
  }

  size_t glyphsDrawn() const
  {
    size_t n = 0;
    for (const RecordedCall& c : textCalls())
      n += c.verts.size() / 6;
    return n;
  }

  float atlasSize() const { return ctx->fs->states[ctx->fs->stateCount - 1].size; }

  std::vector<std::string> rows(const char* text, float width)
  {
    NVGtextRow r[16];
    const int n = vgWrapTextRows(ctx, text, nullptr, width, r, 16);
    std::vector<std::string> out;
    for (int i = 0; i < n; i++)
      out.emplace_back(r[i].start, r[i].end);
    return out;
  }
};
}  // namespace

TEST_F(VectorTextTest, DrawTextEmitsTwoTrianglesPerGlyphAndUploadsTheAtlas)
{
  const float end = vgDrawText(ctx, 10, 50, "Hello", nullptr);
  ASSERT_EQ(textCalls().size(), 1u);
  const RecordedCall call = textCalls()[0];
  EXPECT_EQ(call.verts.size(), 5u * 6);
  EXPECT_EQ(call.paint.image, ctx->fontImages[0]);
  EXPECT_GT(end, 10 + 5 * 5.0f);
  const RecordedTexture& atlas = backend.textures.at(ctx->fontImages[0]);
  EXPECT_GT(atlas.uploads, 0);
  EXPECT_TRUE(std::any_of(atlas.data.begin() + 512 * 4, atlas.data.end(), [](unsigned char b) { return b != 0; }));

  // An empty string still makes one (empty) call and leaves the pen where it was.
  backend.calls.clear();
  const char* s = "abc";
  EXPECT_EQ(vgDrawText(ctx, 7, 50, s, s), 7);
  ASSERT_EQ(textCalls().size(), 1u);
  EXPECT_TRUE(textCalls()[0].verts.empty());

  // No font: nothing at all.
  backend.calls.clear();
  vgSetFontById(ctx, -1);
  EXPECT_EQ(vgDrawText(ctx, 3, 50, "Hello", nullptr), 3);
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(VectorTextTest, TextThatCannotBeRasterisedLeavesTheAtlasAlone)
{
  struct Case
  {
    const char* what;
    float scale, size;
  };
  const Case cases[] = {
    {"transform scale below 0.005", 0.004f, 20},
    {"glyph under a fifth of a pixel", 1, 0.1f},
    {"glyph beyond 16-bit tenths of a pixel", 4, 1000},
    {"not a number", 1, std::nanf("")},
  };
  for (const Case& c : cases)
  {
    vgBeginFrame(ctx, 100, 100, 1);
    vgScale(ctx, c.scale, c.scale);
    vgSetFontSize(ctx, c.size);
    const size_t textures = backend.textures.size();
    EXPECT_EQ(vgDrawText(ctx, 5, 5, "Hello", nullptr), 5) << c.what;
    float bounds[4] = {1, 2, 3, 4};
    EXPECT_EQ(vgMeasureText(ctx, 0, 0, "Hello", nullptr, bounds), 0) << c.what;
    EXPECT_EQ(bounds[3], 4) << c.what;
    NVGtextRow row;
    EXPECT_EQ(vgWrapTextRows(ctx, "Hello", nullptr, 100, &row, 1), 0) << c.what;
    EXPECT_TRUE(textCalls().empty()) << c.what;
    EXPECT_EQ(ctx->fontImageIdx, 0) << c.what;
    EXPECT_EQ(backend.textures.size(), textures) << c.what;
  }
}

TEST_F(VectorTextTest, TextScaleIsCappedAtFourTimesTheFontSize)
{
  vgScale(ctx, 10, 10);
  vgDrawText(ctx, 0, 0, "A", nullptr);
  EXPECT_FLOAT_EQ(atlasSize(), 20 * 4);
  // The quad is stretched by the transform back to the full size: 10 x, not 4 x.
  const std::vector<RecordedCall> calls = textCalls();
  const std::vector<NVGvertex>& v = calls.at(0).verts;
  float minx = 1e9f, maxx = -1e9f;
  for (const NVGvertex& p : v)
  {
    minx = std::min(minx, p.x);
    maxx = std::max(maxx, p.x);
  }
  EXPECT_GT(maxx - minx, 100);  // an "A" at 200 px

  vgBeginFrame(ctx, 100, 100, 2);
  vgSetFontSize(ctx, 20);
  vgScale(ctx, 0.5f, 0.5f);
  vgDrawText(ctx, 0, 0, "A", nullptr);
  EXPECT_FLOAT_EQ(atlasSize(), 20);  // 0.5 x the pixel ratio 2
}

TEST_F(VectorTextTest, AtlasGrowsToFourTexturesThenStopsAndTheLastOneIsKept)
{
  const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (float size : {300.0f, 310.0f})  // two sizes are two sets of glyphs
  {
    vgSetFontSize(ctx, size);
    vgDrawText(ctx, 0, 300, text.c_str(), nullptr);
  }
  EXPECT_EQ(ctx->fontImageIdx, 3);
  const int expected[4][2] = {{512, 512}, {1024, 512}, {1024, 1024}, {2048, 1024}};
  for (int i = 0; i < 4; i++)
  {
    int w = 0, h = 0;
    vgGetImageSize(ctx, ctx->fontImages[i], &w, &h);
    EXPECT_EQ(w, expected[i][0]) << i;
    EXPECT_EQ(h, expected[i][1]) << i;
  }
  EXPECT_EQ(backend.textures.size(), 4u);
  EXPECT_LT(glyphsDrawn(), 2 * text.size());  // a string stopped when the last texture was full
  // Each texture's glyphs were drawn with that texture.
  EXPECT_EQ(textCalls().front().paint.image, ctx->fontImages[0]);
  EXPECT_EQ(textCalls().back().paint.image, ctx->fontImages[3]);

  const int last = ctx->fontImages[3];
  vgEndFrame(ctx);
  EXPECT_EQ(ctx->fontImages[0], last);
  EXPECT_EQ(ctx->fontImageIdx, 0);
  EXPECT_EQ(backend.textures.size(), 1u);
}

TEST_F(VectorTextTest, LineBreaks)
{
  struct Case
  {
    const char* text;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
    {"ab\r\ncd", {"ab", "cd"}},     {"ab\n\rcd", {"ab", "cd"}},
    {"ab\r\rcd", {"ab", "", "cd"}}, {"ab\r\n\r\ncd", {"ab", "", "cd"}},  // an empty line between two CR LF breaks stays
    {"ab\n\ncd", {"ab", "", "cd"}}, {"  lead", {"lead"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(rows(c.text, 1000), c.rows) << c.text;
}

TEST_F(VectorTextTest, WrappingBreaksAtSpacesThenInsideLongWordsAndBetweenCjk)
{
  EXPECT_EQ(rows("one two three", 60), (std::vector<std::string>{"one", "two", "three"}));
  const std::vector<std::string> word = rows("abcdefghijklmnop", 50);
  ASSERT_GT(word.size(), 1u);
  std::string joined;
  for (const std::string& r : word)
    joined += r;
  EXPECT_EQ(joined, "abcdefghijklmnop");  // broken between characters, nothing lost

  // CJK text (10 px a character in a font without it) breaks between any two characters, where
  // a Latin word would have moved to the next row whole.
  EXPECT_EQ(rows("ab cdcd", 45), (std::vector<std::string>{"ab", "cdcd"}));
  EXPECT_EQ(rows("ab \xe4\xb8\xad\xe6\x96\x87\xe4\xb8\xad\xe6\x96\x87", 45),
            (std::vector<std::string>{"ab \xe4\xb8\xad", "\xe6\x96\x87\xe4\xb8\xad\xe6\x96\x87"}));
}

TEST_F(VectorTextTest, WrappedRowExtentIsMeasuredFromItsOwnStart)
{
  NVGtextRow r[4];
  const char* text = "aaaa bbbb";
  ASSERT_EQ(vgWrapTextRows(ctx, text, nullptr, 60, r, 4), 2);
  EXPECT_EQ(std::string(r[1].start, r[1].end), "bbbb");
  EXPECT_GT(r[1].minx, -2.0f);
  EXPECT_LT(r[1].minx, 3.0f);
  EXPECT_NEAR(r[1].maxx, r[1].width, 3.0f);

  float bounds[4];
  vgMeasureWrappedText(ctx, 10, 20, 60, text, nullptr, bounds);
  EXPECT_GT(bounds[0], 8.0f);  // the second row does not reach left of the box
  EXPECT_LT(bounds[2], 10 + 60.0f);
  EXPECT_LT(bounds[1], 20.0f);
  EXPECT_GT(bounds[3], 20.0f + 20);  // two lines
}

TEST_F(VectorTextTest, WrappedTextAlignment)
{
  const char* text = "ab ab ab";
  vgSetTextAlign(ctx, NVG_ALIGN_CENTER);
  vgDrawWrappedText(ctx, 0, 20, 200, text, nullptr);
  const std::vector<RecordedCall> calls = textCalls();
  ASSERT_EQ(calls.size(), 1u);
  float minx = 1e9f, maxx = -1e9f;
  for (const NVGvertex& v : calls[0].verts)
  {
    minx = std::min(minx, v.x);
    maxx = std::max(maxx, v.x);
  }
  EXPECT_NEAR((minx + maxx) / 2, 100, 3);
  EXPECT_EQ(vgGetState(ctx)->textAlign, NVG_ALIGN_CENTER);  // restored

  backend.calls.clear();
  vgSetTextAlign(ctx, NVG_ALIGN_BASELINE);  // no horizontal bit: nothing drawn
  vgDrawWrappedText(ctx, 0, 20, 200, text, nullptr);
  EXPECT_TRUE(backend.calls.empty());
}

TEST_F(VectorTextTest, MeasuringAndGlyphPositions)
{
  float bounds[4];
  const float advance = vgMeasureText(ctx, 10, 50, "Hello", nullptr, bounds);
  EXPECT_NEAR(advance, vgDrawText(ctx, 10, 50, "Hello", nullptr) - 10, 0.01f);
  EXPECT_LE(bounds[0], 11);
  EXPECT_NEAR(bounds[2], 10 + advance, 3);
  float ascender = 0, descender = 0, lineh = 0;
  vgFontVerticalMetrics(ctx, &ascender, &descender, &lineh);
  EXPECT_NEAR(bounds[1], 50 - ascender, 0.01f);
  EXPECT_NEAR(bounds[3], 50 - ascender + lineh, 0.01f);
  EXPECT_LT(descender, 0);

  NVGglyphPosition pos[8];
  const char* s = "Hello";
  ASSERT_EQ(vgGlyphPositions(ctx, 10, 50, s, nullptr, pos, 8), 5);
  EXPECT_EQ(vgGlyphPositions(ctx, 10, 50, s, nullptr, pos, 3), 3);
  EXPECT_EQ(pos[0].str, s);
  EXPECT_EQ(pos[0].x, 10);
  EXPECT_GT(pos[2].x, pos[1].x);
}

TEST_F(VectorTextTest, FontsByNameAndFallbacks)
{
  EXPECT_EQ(vgFindFont(ctx, "sans"), 0);
  EXPECT_EQ(vgFindFont(ctx, nullptr), -1);
  EXPECT_EQ(vgFindFont(ctx, "serif"), -1);
  EXPECT_EQ(vgAddFontFromFile(ctx, "missing", "/nonexistent.ttf"), -1);
  EXPECT_EQ(vgAddFallbackFont(ctx, "sans", "serif"), 0);
  EXPECT_EQ(vgAddFallbackFontId(ctx, 0, -1), 0);
  EXPECT_EQ(vgAddFallbackFontId(ctx, 0, 0), 1);
  vgSetFontByName(ctx, "serif");
  EXPECT_EQ(vgGetState(ctx)->fontId, -1);
  vgSetFontByName(ctx, "sans");
  EXPECT_EQ(vgGetState(ctx)->fontId, 0);
}
