#include "renderer/atlas/GlyphAtlasFont.h"

#include <cstring>

namespace {

constexpr uint32_t kUtf8Accept = 0;

// UTF-8 decoding automaton: 256 byte classes, then the transitions of the states 0, 12, ... 96
// (pre-multiplied by 12) for each class. State 12 rejects and never leaves.
// clang-format off
constexpr uint8_t kUtf8[364] = {
    // byte classes
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    8, 8, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
    10, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 3, 3, 11, 6, 6, 6, 5, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8,
    // transitions
    0, 12, 24, 36, 60, 96, 84, 12, 12, 12, 48, 72,
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,
    12, 0, 12, 12, 12, 12, 12, 0, 12, 0, 12, 12,
    12, 24, 12, 12, 12, 12, 12, 24, 12, 24, 12, 12,
    12, 12, 12, 12, 12, 12, 12, 24, 12, 12, 12, 12,
    12, 24, 12, 12, 12, 12, 12, 12, 12, 24, 12, 12,
    12, 12, 12, 12, 12, 12, 12, 36, 12, 36, 12, 12,
    12, 36, 12, 12, 12, 12, 12, 36, 12, 36, 12, 12,
    12, 36, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,
};
// clang-format on

uint32_t decodeUtf8(uint32_t* state, uint32_t* codepoint, uint8_t byte)
{
  const uint32_t type = kUtf8[byte];
  *codepoint = *state != kUtf8Accept ? (byte & 0x3fu) | (*codepoint << 6) : (0xffu >> type) & byte;
  *state = kUtf8[256 + *state + type];
  return *state;
}

bool originTopLeft(const GlyphAtlas* atlas)
{
  return (atlas->params.flags & ATLAS_ZERO_TOPLEFT) != 0;
}

float verticalAlignOffset(const GlyphAtlas* atlas, const GlyphAtlasFont* font, int align, int16_t isize)
{
  const float k = float(isize) / 10.0f;
  float offset = 0.0f;
  if (align & ATLAS_ALIGN_TOP)
    offset = font->ascender * k;
  else if (align & ATLAS_ALIGN_MIDDLE)
    offset = (font->ascender + font->descender) / 2.0f * k;
  else if ((align & ATLAS_ALIGN_BOTTOM) && !(align & ATLAS_ALIGN_BASELINE))
    offset = font->descender * k;
  return originTopLeft(atlas) ? offset : -offset;
}

// Kerning and spacing against the previous glyph, the whole-pixel quad of this glyph, and the
// pen moved past it.
void atlasGlyphQuad(const GlyphAtlas* atlas, GlyphAtlasFont* font, int prevGlyphIndex, const GlyphAtlasGlyph* glyph,
                    float scale, float spacing, float* x, float* y, GlyphQuad* quad)
{
  if (prevGlyphIndex != -1)
  {
    const float kern = float(atlasFontKern(font, prevGlyphIndex, glyph->index)) * scale;
    *x += float(int(kern + spacing + 0.5f));
  }
  const float tx0 = float(glyph->x0 + 1), ty0 = float(glyph->y0 + 1);
  const float tx1 = float(glyph->x1 - 1), ty1 = float(glyph->y1 - 1);
  const float xo = float(int16_t(glyph->xoff + 1)), yo = float(int16_t(glyph->yoff + 1));
  const float rx = float(int(*x + xo));
  if (originTopLeft(atlas))
  {
    const float ry = float(int(*y + yo));
    *quad = {rx, ry, 0, 0, rx + tx1 - tx0, ry + ty1 - ty0, 0, 0};
  }
  else
  {
    const float ry = float(int(*y - yo));
    *quad = {rx, ry, 0, 0, rx + tx1 - tx0, ry - ty1 + ty0, 0, 0};
  }
  quad->s0 = tx0 * atlas->inverseWidth;
  quad->t0 = ty0 * atlas->inverseHeight;
  quad->s1 = tx1 * atlas->inverseWidth;
  quad->t1 = ty1 * atlas->inverseHeight;
  *x += float(int(float(glyph->xadv) / 10.0f + 0.5f));
}

// An iterator at (x, y + vertical alignment), without horizontal alignment.
bool startRun(GlyphAtlas* atlas, GlyphIterator* iter, float x, float y, const char* str, const char* end, int option)
{
  std::memset(iter, 0, sizeof *iter);
  GlyphAtlasFont* font = atlasCurrentFont(atlas);
  if (!font)
    return false;
  const GlyphAtlasState* state = atlasCurrentState(atlas);
  iter->isize = atlasToShort(state->size * 10.0f);
  iter->iblur = atlasToShort(state->blur);
  iter->font = font;
  iter->scale = atlasFontPixelScale(font, float(iter->isize) / 10.0f);
  y += verticalAlignOffset(atlas, font, state->align, iter->isize);
  iter->x = iter->nextx = x;
  iter->y = iter->nexty = y;
  iter->spacing = state->spacing;
  iter->str = iter->next = str;
  iter->end = end ? end : str + std::strlen(str);
  iter->prevGlyphIndex = -1;
  iter->bitmapOption = option;
  return true;
}

// Whether the step just taken produced a quad: a codepoint was completed and its glyph found.
// A step that ran out of bytes mid-sequence leaves the previous quad in place.
bool stepMadeQuad(const GlyphIterator& iter)
{
  return iter.utf8state == kUtf8Accept && iter.prevGlyphIndex != -1;
}

void appendVertex(GlyphAtlas* atlas, float x, float y, float s, float t, uint32_t colour)
{
  const int i = atlas->vertexCount++;
  atlas->vertexPositions[2 * i] = x;
  atlas->vertexPositions[2 * i + 1] = y;
  atlas->vertexTexCoords[2 * i] = s;
  atlas->vertexTexCoords[2 * i + 1] = t;
  atlas->vertexColours[i] = colour;
}

// Two triangles covering the quad, flushing first when the vertex buffer has no room.
void appendQuad(GlyphAtlas* atlas, const GlyphQuad& q, uint32_t colour)
{
  if (atlas->vertexCount + 6 > kAtlasVertexCount)
    atlasFlush(atlas);
  appendVertex(atlas, q.x0, q.y0, q.s0, q.t0, colour);
  appendVertex(atlas, q.x1, q.y1, q.s1, q.t1, colour);
  appendVertex(atlas, q.x1, q.y0, q.s1, q.t0, colour);
  appendVertex(atlas, q.x0, q.y0, q.s0, q.t0, colour);
  appendVertex(atlas, q.x0, q.y1, q.s0, q.t1, colour);
  appendVertex(atlas, q.x1, q.y1, q.s1, q.t1, colour);
}

}  // namespace

int atlasGlyphIterBegin(GlyphAtlas* atlas, GlyphIterator* iter, float x, float y, const char* str, const char* end,
                        int option)
{
  const GlyphAtlasState* state = atlasCurrentState(atlas);
  if (state && !(state->align & ATLAS_ALIGN_LEFT))
  {
    if (state->align & ATLAS_ALIGN_RIGHT)
      x -= atlasMeasureText(atlas, x, y, str, end, nullptr);
    else if (state->align & ATLAS_ALIGN_CENTER)
      x -= atlasMeasureText(atlas, x, y, str, end, nullptr) / 2.0f;
  }
  return startRun(atlas, iter, x, y, str, end, option) ? 1 : 0;
}

int atlasGlyphIterNext(GlyphAtlas* atlas, GlyphIterator* iter, GlyphQuad* quad)
{
  iter->str = iter->next;
  if (iter->next == iter->end)
    return 0;
  for (const char* byte = iter->next; byte != iter->end; ++byte)
  {
    if (decodeUtf8(&iter->utf8state, &iter->codepoint, uint8_t(*byte)) != kUtf8Accept)
      continue;
    iter->x = iter->nextx;
    iter->y = iter->nexty;
    const GlyphAtlasGlyph* glyph = atlasFindOrRenderGlyph(atlas, iter->font, iter->codepoint, iter->isize, iter->iblur,
                                                          iter->bitmapOption);
    if (glyph)
      atlasGlyphQuad(atlas, iter->font, iter->prevGlyphIndex, glyph, iter->scale, iter->spacing, &iter->nextx,
                     &iter->nexty, quad);
    iter->prevGlyphIndex = glyph ? glyph->index : -1;
    iter->next = byte + 1;
    return 1;
  }
  iter->next = iter->end;
  return 1;
}

float atlasMeasureText(GlyphAtlas* atlas, float x, float y, const char* str, const char* end, float* bounds)
{
  GlyphIterator iter;
  if (!startRun(atlas, &iter, x, y, str, end, ATLAS_GLYPH_BITMAP_OPTIONAL))
    return 0.0f;
  float minx = x, maxx = x, miny = iter.y, maxy = iter.y;
  const bool topLeft = originTopLeft(atlas);
  GlyphQuad q{};
  while (atlasGlyphIterNext(atlas, &iter, &q))
  {
    if (!stepMadeQuad(iter))
      continue;
    const float top = topLeft ? q.y0 : q.y1, bottom = topLeft ? q.y1 : q.y0;
    if (q.x0 < minx)
      minx = q.x0;
    if (q.x1 > maxx)
      maxx = q.x1;
    if (top < miny)
      miny = top;
    if (bottom > maxy)
      maxy = bottom;
  }
  const float advance = iter.nextx - x;
  const int align = atlasCurrentState(atlas)->align;
  if (!(align & ATLAS_ALIGN_LEFT))
  {
    const float shift = (align & ATLAS_ALIGN_RIGHT) ? advance : (align & ATLAS_ALIGN_CENTER) ? advance / 2.0f : 0.0f;
    minx -= shift;
    maxx -= shift;
  }
  if (bounds)
  {
    bounds[0] = minx;
    bounds[1] = miny;
    bounds[2] = maxx;
    bounds[3] = maxy;
  }
  return advance;
}

void atlasLineExtent(GlyphAtlas* atlas, float y, float* miny, float* maxy)
{
  const GlyphAtlasFont* font = atlasCurrentFont(atlas);
  if (!font)
    return;
  const GlyphAtlasState* state = atlasCurrentState(atlas);
  const int16_t isize = atlasToShort(state->size * 10.0f);
  const float k = float(isize) / 10.0f;
  y += verticalAlignOffset(atlas, font, state->align, isize);
  if (originTopLeft(atlas))
  {
    *miny = y - font->ascender * k;
    *maxy = *miny + font->lineHeight * k;
  }
  else
  {
    *maxy = y + font->descender * k;
    *miny = *maxy - font->lineHeight * k;
  }
}

void atlasVerticalMetrics(GlyphAtlas* atlas, float* ascender, float* descender, float* lineHeight)
{
  const GlyphAtlasFont* font = atlasCurrentFont(atlas);
  if (!font)
    return;
  const float k = float(atlasToShort(atlasCurrentState(atlas)->size * 10.0f)) / 10.0f;
  if (ascender)
    *ascender = font->ascender * k;
  if (descender)
    *descender = font->descender * k;
  if (lineHeight)
    *lineHeight = font->lineHeight * k;
}

float atlasDrawText(GlyphAtlas* atlas, float x, float y, const char* str, const char* end)
{
  GlyphIterator iter;
  if (!atlasGlyphIterBegin(atlas, &iter, x, y, str, end, ATLAS_GLYPH_BITMAP_REQUIRED))
    return x;
  const uint32_t colour = atlasCurrentState(atlas)->colour;
  GlyphQuad q{};
  while (atlasGlyphIterNext(atlas, &iter, &q))
  {
    if (stepMadeQuad(iter))
      appendQuad(atlas, q, colour);
  }
  atlasFlush(atlas);
  return iter.nextx;
}

void atlasDrawDebug(GlyphAtlas* atlas, float x, float y)
{
  const float w = float(atlas->params.width), h = float(atlas->params.height);
  const float u = w == 0.0f ? 0.0f : 1.0f / w, v = h == 0.0f ? 0.0f : 1.0f / h;
  // Background and texture are appended together, so room for both is made first.
  if (atlas->vertexCount + 12 > kAtlasVertexCount)
    atlasFlush(atlas);
  appendQuad(atlas, {x, y, u, v, x + w, y + h, u, v}, 0x0fffffffu);
  appendQuad(atlas, {x, y, 0.0f, 0.0f, x + w, y + h, 1.0f, 1.0f}, 0xffffffffu);
  const SkylinePacker* packer = atlas->packer;
  for (int i = 0; i < packer->nodeCount; ++i)
  {
    const SkylineNode& node = packer->nodes[i];
    const float left = x + float(node.x), top = y + float(node.y);
    appendQuad(atlas, {left, top, u, v, left + float(node.width), top + 1.0f, u, v}, 0xc00000ffu);
  }
  atlasFlush(atlas);
}
