#include "renderer/atlas/GlyphAtlasFont.h"

#include <cstdlib>
#include <cstring>

namespace {

unsigned hashCodepoint(uint32_t a)
{
  a += ~(a << 15);
  a ^= (a >> 10);
  a += (a << 3);
  a ^= (a >> 6);
  a += ~(a << 11);
  a ^= (a >> 16);
  return a & (kAtlasHashSize - 1);
}

int findEntry(const GlyphAtlasFont* font, uint32_t codepoint, int16_t isize, int16_t iblur)
{
  for (int i = font->hash[hashCodepoint(codepoint)]; i != -1; i = font->glyphs[i].next)
  {
    const GlyphAtlasGlyph& glyph = font->glyphs[i];
    if (glyph.codepoint == codepoint && glyph.size == isize && glyph.blur == iblur)
      return i;
  }
  return -1;
}

int appendEntry(GlyphAtlasFont* font, uint32_t codepoint, int16_t isize, int16_t iblur)
{
  if (font->glyphCount >= font->glyphCapacity)
  {
    const int capacity = font->glyphCapacity ? font->glyphCapacity * 2 : 8;
    auto* glyphs = static_cast<GlyphAtlasGlyph*>(
      std::realloc(font->glyphs, sizeof(GlyphAtlasGlyph) * size_t(capacity)));
    if (!glyphs)
      return -1;
    font->glyphs = glyphs;
    font->glyphCapacity = capacity;
  }
  const int entry = font->glyphCount++;
  GlyphAtlasGlyph& glyph = font->glyphs[entry];
  std::memset(&glyph, 0, sizeof glyph);
  glyph.codepoint = codepoint;
  glyph.size = isize;
  glyph.blur = iblur;
  unsigned chain = hashCodepoint(codepoint);
  glyph.next = font->hash[chain];
  font->hash[chain] = entry;
  return entry;
}

// The font's own glyph, else the first fallback that has one, else the font's missing glyph.
int glyphIndexWithFallbacks(GlyphAtlas* atlas, GlyphAtlasFont* font, uint32_t codepoint, GlyphAtlasFont** renderingFont)
{
  *renderingFont = font;
  int glyph = atlasFontGlyphIndex(font, codepoint);
  for (int i = 0; glyph == 0 && i < font->fallbackCount; ++i)
  {
    GlyphAtlasFont* fallback = atlas->fonts[font->fallbacks[i]];
    const int index = atlasFontGlyphIndex(fallback, codepoint);
    if (index != 0)
    {
      glyph = index;
      *renderingFont = fallback;
    }
  }
  return glyph;
}

// The outermost ring of a glyph rectangle stays empty so that sampling never bleeds into a
// neighbour.
void clearFrame(uint8_t* pixels, int stride, int width, int height)
{
  std::memset(pixels, 0, size_t(width));
  std::memset(pixels + size_t(height - 1) * size_t(stride), 0, size_t(width));
  for (int y = 0; y < height; ++y)
  {
    pixels[size_t(y) * size_t(stride)] = 0;
    pixels[size_t(y) * size_t(stride) + size_t(width - 1)] = 0;
  }
}

}  // namespace

GlyphAtlasGlyph* atlasFindOrRenderGlyph(GlyphAtlas* atlas, GlyphAtlasFont* font, uint32_t codepoint, int16_t isize,
                                        int16_t iblur, int option)
{
  if (isize < 2)
    return nullptr;
  // A negative blur would shrink the padding below the glyph and write outside its rectangle.
  if (iblur < 0)
    iblur = 0;
  if (iblur > kAtlasMaxBlur)
    iblur = kAtlasMaxBlur;
  const int pad = iblur + 2;
  const bool required = option == ATLAS_GLYPH_BITMAP_REQUIRED;
  atlas->scratchUsed = 0;

  // A metrics-only entry is completed in place when its bitmap is first needed.
  int entry = findEntry(font, codepoint, isize, iblur);
  if (entry >= 0)
  {
    const GlyphAtlasGlyph& cached = font->glyphs[entry];
    if (!required || (cached.x0 >= 0 && cached.y0 >= 0))
      return &font->glyphs[entry];
  }

  GlyphAtlasFont* renderingFont = nullptr;
  const int glyphIndex = glyphIndexWithFallbacks(atlas, font, codepoint, &renderingFont);
  const float scale = atlasFontPixelScale(renderingFont, float(isize) / 10.0f);
  int advance = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  atlasFontGlyphMetrics(renderingFont, glyphIndex, scale, &advance, &x0, &y0, &x1, &y1);
  const int gw = x1 - x0 + 2 * pad, gh = y1 - y0 + 2 * pad;

  int gx = -1, gy = -1;
  if (required && !atlasPackRect(atlas->packer, gw, gh, &gx, &gy))
  {
    if (!atlas->handleError)
      return nullptr;
    atlasReportError(atlas, ATLAS_ATLAS_FULL, 0);
    if (!atlasPackRect(atlas->packer, gw, gh, &gx, &gy))
      return nullptr;
    // The callback may have reset the atlas, which empties the cache under the entry.
    entry = findEntry(font, codepoint, isize, iblur);
  }
  if (entry < 0)
    entry = appendEntry(font, codepoint, isize, iblur);
  if (entry < 0)
    return nullptr;

  GlyphAtlasGlyph* glyph = &font->glyphs[entry];
  glyph->index = glyphIndex;
  glyph->x0 = int16_t(gx);
  glyph->y0 = int16_t(gy);
  glyph->x1 = atlasToShort(float(gx + gw));
  glyph->y1 = atlasToShort(float(gy + gh));
  glyph->xadv = atlasToShort(scale * float(advance) * 10.0f);
  glyph->xoff = atlasToShort(float(x0 - pad));
  glyph->yoff = atlasToShort(float(y0 - pad));
  if (!required)
    return glyph;

  const size_t stride = size_t(atlas->params.width);
  uint8_t* rect = atlas->pixels + size_t(gy) * stride + size_t(gx);
  atlasFontRasterizeGlyph(renderingFont, rect + size_t(pad) * stride + size_t(pad), x1 - x0, y1 - y0, int(stride),
                          scale, glyphIndex);
  clearFrame(rect, int(stride), gw, gh);
  if (iblur > 0)
  {
    atlas->scratchUsed = 0;
    atlasBlur(rect, gw, gh, int(stride), iblur);
  }
  atlasMarkDirty(atlas, gx, gy, gx + gw, gy + gh);
  return glyph;
}
