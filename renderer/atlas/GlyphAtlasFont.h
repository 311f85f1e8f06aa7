#pragma once
// The atlas's inside: its font record, the thin font layer over the TrueType rasteriser, and the
// helpers its sources share. Only the atlas's own sources (and its tests) need this header;
// clients use GlyphAtlas.h.

#include "renderer/atlas/GlyphAtlas.h"

#include <cstddef>

#include <stb/stb_truetype.h>

struct GlyphAtlasFont
{
  stbtt_fontinfo info;  // its userdata is the atlas, whose scratch arena the rasteriser uses
  char name[64];
  uint8_t* data;
  int dataSize;
  uint8_t freeData;
  float ascender;  // fractions of ascent - descent
  float descender;
  float lineHeight;
  GlyphAtlasGlyph* glyphs;
  int glyphCapacity;
  int glyphCount;
  int hash[kAtlasHashSize];
  int fallbacks[kAtlasMaxFallbacks];
  int fallbackCount;
};

// Checks the font at the face index and hands it to the rasteriser: 1, or 0 for a font that is
// malformed, unsupported or not there. With checked set, the tables and outlines of bytes that
// passed this check before are not walked again.
int atlasFontLoad(GlyphAtlas* atlas, GlyphAtlasFont* font, int faceIndex, int checked);
void atlasFontVerticalMetrics(GlyphAtlasFont* font, int* ascent, int* descent, int* lineGap);
float atlasFontPixelScale(GlyphAtlasFont* font, float pixelHeight);
int atlasFontGlyphIndex(GlyphAtlasFont* font, uint32_t codepoint);
int atlasFontGlyphMetrics(GlyphAtlasFont* font, int glyph, float scale, int* advance, int* x0, int* y0, int* x1,
                          int* y1);
void atlasFontRasterizeGlyph(GlyphAtlasFont* font, uint8_t* out, int width, int height, int stride, float scale,
                             int glyph);
int atlasFontKern(GlyphAtlasFont* font, int glyph1, int glyph2);

// The rasteriser's allocator: blocks from the atlas's scratch arena, rewound as a whole.
void* atlasScratchAlloc(GlyphAtlas* atlas, size_t size);

// The current state's font, or null when the id is out of range or the font has no data.
GlyphAtlasFont* atlasCurrentFont(GlyphAtlas* atlas);
GlyphAtlasState* atlasCurrentState(GlyphAtlas* atlas);
void atlasReportError(GlyphAtlas* atlas, int code, int value);
void atlasMarkDirty(GlyphAtlas* atlas, int x0, int y0, int x1, int y1);

// Sizes, blurs and glyph measures are held in 16 bits; values beyond that range saturate
// instead of wrapping.
int16_t atlasToShort(float value);

SkylinePacker* atlasPackerCreate(int width, int height);
void atlasPackerDelete(SkylinePacker* packer);
void atlasPackerReset(SkylinePacker* packer, int width, int height);
// Appends a node at the right end; 0 when the node array cannot grow.
int atlasPackerAppend(SkylinePacker* packer, SkylineNode node);
