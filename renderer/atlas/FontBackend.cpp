// The font layer of the glyph atlas. The TrueType rasteriser is compiled here, privately (static
// functions), with its allocator bound to the atlas's scratch arena.
#include "renderer/atlas/GlyphAtlas.h"

#include <cstddef>

void* atlasScratchAlloc(GlyphAtlas* atlas, size_t size);

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_malloc(size, user) atlasScratchAlloc(static_cast<GlyphAtlas*>(user), size)
#define STBTT_free(block, user) ((void)(block), (void)(user))
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_truetype.h>
#pragma GCC diagnostic pop
#undef STB_TRUETYPE_IMPLEMENTATION

#include "renderer/atlas/GlyphAtlasFont.h"
#include "renderer/atlas/TrueTypeTables.h"

namespace {

FontBytes bytesOf(const GlyphAtlasFont* font)
{
  return {font->data, font->dataSize};
}

}  // namespace

int atlasFontLoad(GlyphAtlas* atlas, GlyphAtlasFont* font, int faceIndex, int checked)
{
  // The rasteriser trusts every offset in the file, so the file is checked before it sees it.
  const FontBytes bytes = bytesOf(font);
  const int64_t face = fontFaceOffset(bytes, faceIndex);
  if (face < 0 || (!checked && !fontIsSound(bytes, face)))
    return 0;
  font->info.userdata = atlas;
  if (!stbtt_InitFont(&font->info, font->data, int(face)))
    return 0;
  return fontCharacterMapIsSound(bytes, face, font->info.index_map) ? 1 : 0;
}

void atlasFontVerticalMetrics(GlyphAtlasFont* font, int* ascent, int* descent, int* lineGap)
{
  const FontBytes bytes = bytesOf(font);
  const int hhea = font->info.hhea;
  if (ascent)
    *ascent = bytes.s16(hhea + 4);
  if (descent)
    *descent = bytes.s16(hhea + 6);
  if (lineGap)
    *lineGap = bytes.s16(hhea + 8);
}

float atlasFontPixelScale(GlyphAtlasFont* font, float pixelHeight)
{
  int ascent = 0, descent = 0;
  atlasFontVerticalMetrics(font, &ascent, &descent, nullptr);
  return pixelHeight / float(ascent - descent);
}

int atlasFontGlyphIndex(GlyphAtlasFont* font, uint32_t codepoint)
{
  // A character map may name glyphs the font does not have (or, in 32-bit groups, a negative
  // one, which the rasteriser would use as an offset): those are the missing glyph.
  const int glyph = stbtt_FindGlyphIndex(&font->info, int(codepoint));
  return glyph > 0 && glyph < font->info.numGlyphs ? glyph : 0;
}

int atlasFontGlyphMetrics(GlyphAtlasFont* font, int glyph, float scale, int* advance, int* x0, int* y0, int* x1,
                          int* y1)
{
  // Glyphs past the last full horizontal metric share its advance.
  const FontBytes bytes = bytesOf(font);
  const int metricCount = bytes.u16(font->info.hhea + 34);
  const int metric = glyph < metricCount ? glyph : metricCount - 1;
  *advance = bytes.u16(font->info.hmtx + 4 * int64_t(metric));
  stbtt_GetGlyphBitmapBoxSubpixel(&font->info, glyph, scale, scale, 0.0f, 0.0f, x0, y0, x1, y1);
  return 1;
}

void atlasFontRasterizeGlyph(GlyphAtlasFont* font, uint8_t* out, int width, int height, int stride, float scale,
                             int glyph)
{
  stbtt_MakeGlyphBitmapSubpixel(&font->info, out, width, height, stride, scale, scale, 0.0f, 0.0f, glyph);
}

int atlasFontKern(GlyphAtlasFont* font, int glyph1, int glyph2)
{
  const FontBytes bytes = bytesOf(font);
  const KernPairs pairs = fontKernPairs(bytes, font->info.fontstart);
  const uint32_t key = uint32_t(glyph1) << 16 | uint32_t(glyph2);
  int64_t low = 0, high = pairs.count - 1;
  while (low <= high)
  {
    const int64_t middle = (low + high) / 2;
    const int64_t pair = pairs.offset + 6 * middle;
    const uint32_t candidate = bytes.u32(pair);
    if (candidate == key)
      return bytes.s16(pair + 4);
    if (candidate < key)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return 0;
}
