#include "AtlasFixture.h"

#include "renderer/atlas/TrueTypeTables.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

void put16(std::vector<uint8_t>& bytes, int64_t at, unsigned value)
{
  bytes[at] = uint8_t(value >> 8);
  bytes[at + 1] = uint8_t(value);
}

void put32(std::vector<uint8_t>& bytes, int64_t at, uint32_t value)
{
  put16(bytes, at, value >> 16);
  put16(bytes, at + 2, value & 0xffff);
}

FontBytes view(const std::vector<uint8_t>& bytes)
{
  return {bytes.data(), int64_t(bytes.size())};
}

FontTable table(const std::vector<uint8_t>& bytes, const char* tag)
{
  return fontFindTable(view(bytes), 0, tag);
}

// Offset of the outline of the first glyph whose contour count satisfies the test.
int64_t findOutline(const std::vector<uint8_t>& bytes, bool (*wanted)(int contours))
{
  const FontBytes font = view(bytes);
  const FontTable loca = table(bytes, "loca"), glyf = table(bytes, "glyf");
  const unsigned glyphs = font.u16(table(bytes, "maxp").offset + 4);
  for (unsigned g = 0; g < glyphs; ++g)
  {  // the test fonts use long loca offsets
    const int64_t start = font.u32(loca.offset + 4 * g), end = font.u32(loca.offset + 4 * g + 4);
    if (end > start && wanted(font.s16(glyf.offset + start)))
      return glyf.offset + start;
  }
  return -1;
}

// The character map the rasteriser picked for these bytes.
int64_t chosenCharacterMap(std::vector<uint8_t> bytes)
{
  GlyphAtlasParams params = atlasParams();
  GlyphAtlas* atlas = atlasCreate(&params);
  const int id = atlasAddFontMemory(atlas, "probe", bytes.data(), int(bytes.size()), 0, 0, 0);
  const int64_t chosen = id >= 0 ? atlas->fonts[id]->info.index_map : -1;
  atlasDelete(atlas);
  return chosen;
}

// Moves the rasteriser off the full-range maps, onto the basic-plane segment map.
void dropFullRangeMaps(std::vector<uint8_t>& bytes)
{
  const FontTable cmap = table(bytes, "cmap");
  const FontBytes font = view(bytes);
  for (unsigned i = 0; i < font.u16(cmap.offset + 2); ++i)
  {
    const int64_t record = cmap.offset + 4 + 8 * i;
    if (font.u16(cmap.offset + font.u32(record + 4)) == 12)
      put16(bytes, record, 1);
  }
}

}  // namespace

TEST_F(AtlasTest, FontListGrowsPastFourAndKeepsIds)
{
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(addFont(("font" + std::to_string(i)).c_str(), kDejaVuSans), i);
  EXPECT_EQ(atlas->fontCapacity, 8);
  EXPECT_EQ(atlasFindFont(atlas, "font4"), 4);
  EXPECT_EQ(atlasFindFont(atlas, "font0"), 0);
  EXPECT_EQ(atlasFindFont(atlas, "Font0"), -1);
  EXPECT_EQ(atlasFindFont(atlas, nullptr), -1);
}

TEST_F(AtlasTest, LongNameIsStoredAsItsFirst63Characters)
{
  const std::string name(70, 'n');
  const int id = addFont(name.c_str(), kDejaVuSans);
  EXPECT_EQ(std::strlen(font(id)->name), 63u);
  EXPECT_EQ(atlasFindFont(atlas, name.c_str()), -1);
  EXPECT_EQ(atlasFindFont(atlas, name.substr(0, 63).c_str()), id);
}

TEST_F(AtlasTest, FallbackListHoldsTwentyExistingFonts)
{
  const int base = addFont("base", kRoboto), other = addFont("other", kDejaVuSans);
  for (int i = 0; i < kAtlasMaxFallbacks; ++i)
    EXPECT_EQ(atlasAddFallbackFont(atlas, base, other), 1);
  EXPECT_EQ(atlasAddFallbackFont(atlas, base, other), 0);
  // Ids of fonts that do not exist would be used as indices on every lookup.
  EXPECT_EQ(atlasAddFallbackFont(atlas, other, 2), 0);
  EXPECT_EQ(atlasAddFallbackFont(atlas, 7, base), 0);
  EXPECT_EQ(atlasAddFallbackFont(atlas, other, -1), 0);
  EXPECT_EQ(font(other)->fallbackCount, 0);
}

TEST_F(AtlasTest, KerningComesFromTheKernTableOnly)
{
  const int dejavu = addFont("dejavu", kDejaVuSans), roboto = addFont("roboto", kRoboto);
  const auto kern = [&](int id, char a, char b) {
    GlyphAtlasFont* f = font(id);
    return atlasFontKern(f, atlasFontGlyphIndex(f, a), atlasFontGlyphIndex(f, b));
  };
  EXPECT_LT(kern(dejavu, 'A', 'V'), 0);
  EXPECT_EQ(atlasFontKern(font(dejavu), 0, 0), 0);  // a pair the table does not list
  EXPECT_EQ(kern(roboto, 'A', 'V'), 0);             // its pairs are only in positioning tables
}

TEST_F(AtlasTest, VerticalMetricsAreFractionsOfTheFontHeight)
{
  const int id = addFont("dejavu", kDejaVuSans);
  int ascent = 0, descent = 0, lineGap = 0;
  atlasFontVerticalMetrics(font(id), &ascent, &descent, &lineGap);
  const float height = float(ascent - descent);
  EXPECT_FLOAT_EQ(font(id)->ascender, ascent / height);
  EXPECT_FLOAT_EQ(font(id)->descender, descent / height);
  EXPECT_LT(font(id)->descender, 0.0f);
  EXPECT_FLOAT_EQ(font(id)->lineHeight, (height + lineGap) / height);
}

TEST_F(AtlasTest, FontsThatCannotBeReadAreNotAdded)
{
  EXPECT_EQ(atlasAddFontFile(atlas, "none", "/nonexistent/font.ttf", 0), -1);
  EXPECT_EQ(atlasAddFontFile(atlas, "dir", "/usr/share/fonts", 0), -1);
  EXPECT_EQ(atlasAddFontFile(atlas, "face", kDejaVuSans, 1), -1);
  EXPECT_EQ(atlasAddFontFile(atlas, "face", kDejaVuSans, -1), -1);
  EXPECT_EQ(atlasAddFontFile(atlas, nullptr, kDejaVuSans, 0), -1);
  EXPECT_EQ(atlas->fontCount, 0);
  EXPECT_EQ(addFont("ok", kDejaVuSans), 0);  // the list is still usable
}

TEST(AtlasFontData, GlyphIdsOutsideTheFontAreTheMissingGlyph)
{
  std::vector<uint8_t> bytes = readFile(kDejaVuSans);
  const int64_t map = chosenCharacterMap(bytes);
  ASSERT_EQ(view(bytes).u16(map), 12);
  const uint32_t firstCharacter = view(bytes).u32(map + 16);
  const uint32_t lastCharacter = view(bytes).u32(map + 20);
  put32(bytes, map + 24, 0xc0000000u);  // the first group's first glyph
  GlyphAtlasParams params = atlasParams();
  GlyphAtlas* atlas = atlasCreate(&params);
  const int id = atlasAddFontMemory(atlas, "sans", bytes.data(), int(bytes.size()), 0, 0, 0);
  ASSERT_GE(id, 0);
  EXPECT_EQ(atlasFontGlyphIndex(atlas->fonts[id], firstCharacter), 0);
  EXPECT_EQ(atlasFontGlyphIndex(atlas->fonts[id], lastCharacter), 0);
  atlasSetFont(atlas, id);
  const std::string text(1, char(firstCharacter));
  EXPECT_GT(atlasDrawText(atlas, 0, 20, text.c_str(), nullptr), 0.0f);  // drawn as the missing glyph
  atlasDelete(atlas);
}

// Each case damages a sound font in one place that the rasteriser would otherwise read past
// the end of the data, loop on or stop at.
TEST(AtlasFontData, MalformedFontsAreRefused)
{
  const std::vector<uint8_t> sound = readFile(kDejaVuSans);
  ASSERT_GT(sound.size(), 100000u);
  std::vector<uint8_t> segmentMapped = sound;
  dropFullRangeMaps(segmentMapped);
  ASSERT_EQ(view(sound).u16(chosenCharacterMap(sound)), 12);
  ASSERT_EQ(view(segmentMapped).u16(chosenCharacterMap(segmentMapped)), 4);
  const FontTable hhea = table(sound, "hhea"), kern = table(sound, "kern"), loca = table(sound, "loca");
  const struct
  {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
  } cases[] = {
    {"truncated file", [](auto& b) { b.resize(b.size() / 2); }},
    {"table directory longer than the file", [](auto& b) { put16(b, 4, 0xffff); }},
    {"table past the end", [](auto& b) { put32(b, 12 + 12, uint32_t(b.size())); }},
    {"no advance widths", [&](auto& b) { put16(b, hhea.offset + 34, 0); }},
    {"zero font height",
     [&](auto& b) {
       put16(b, hhea.offset + 4, 0);
       put16(b, hhea.offset + 6, 0);
     }},
    {"glyph location past the outlines", [&](auto& b) { put32(b, loca.offset + 8, 0x7fffffff); }},
    {"instructions past the glyph",
     [](auto& b) {
       const int64_t g = findOutline(b, [](int c) { return c > 0; });
       put16(b, g + 10 + 2 * int64_t(view(b).s16(g)), 0xffff);
     }},
    {"inverted glyph box",  // bitmaps are sized from it
     [](auto& b) {
       const int64_t g = findOutline(b, [](int c) { return c > 0; });
       put16(b, g + 6, uint16_t(view(b).s16(g + 2) - 1));
     }},
    {"outline points outside the glyph box",
     [](auto& b) {
       const int64_t g = findOutline(b, [](int c) { return c > 0; });
       put16(b, g + 8, uint16_t(view(b).s16(g + 4)));
     }},
    {"composite glyph containing itself",
     [](auto& b) {
       const int64_t g = findOutline(b, [](int c) { return c < 0; });
       const FontBytes font = view(b);
       const FontTable loca = table(b, "loca"), glyf = table(b, "glyf");
       for (unsigned i = 0;; ++i)
       {
         if (glyf.offset + font.u32(loca.offset + 4 * i) == g)
         {
           put16(b, g + 12, i);
           break;
         }
       }
     }},
    {"kerning pairs past the table", [&](auto& b) { put16(b, kern.offset + 10, 0xffff); }},
    {"full-range map with groups past the table", [](auto& b) { put32(b, chosenCharacterMap(b) + 12, 0x10000000); }},
    {"segment map whose search fields disagree",
     [](auto& b) {
       dropFullRangeMaps(b);
       put16(b, chosenCharacterMap(b) + 8, 0xfffe);
     }},
    {"character map of an unknown format", [](auto& b) { put16(b, chosenCharacterMap(b), 2); }},
    {"outlines in the compact format", [](auto& b) { std::memcpy(b.data(), "OTTO", 4); }},
    {"collection directory past the end",
     [](auto& b) {
       b.assign({'t', 't', 'c', 'f', 0, 1, 0, 0, 0x10, 0, 0, 0});
     }},
  };
  GlyphAtlasParams params = atlasParams();
  GlyphAtlas* atlas = atlasCreate(&params);
  for (const auto& c : cases)
  {
    std::vector<uint8_t> bytes = sound;
    c.damage(bytes);
    // Owned copies: a refused font's data must still be freed.
    auto* data = static_cast<uint8_t*>(std::malloc(bytes.size()));
    std::memcpy(data, bytes.data(), bytes.size());
    EXPECT_EQ(atlasAddFontMemory(atlas, c.what, data, int(bytes.size()), 0, 1, 0), -1) << c.what;
  }
  EXPECT_EQ(atlas->fontCount, 0);
  atlasDelete(atlas);
}
