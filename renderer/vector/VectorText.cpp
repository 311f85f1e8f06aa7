// Text in the vector context: the draw state scaled into the glyph atlas's pixel space, glyph
// quads turned into triangles, the atlas texture kept up to date and moved on to a larger one when
// the atlas is full, and line breaking.
#include "renderer/vector/VectorState.h"

#include "renderer/atlas/GlyphAtlas.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kMaxFontImageSize = 2048;
constexpr int kMaxGlyphBlur = 20;
constexpr int kVertsPerGlyph = 6;

// The atlas sizes glyphs in tenths of a pixel held in 16 bits, and has no glyph below 0.2 pixels.
constexpr float kMinGlyphTenths = 2.0f;
constexpr float kMaxGlyphTenths = 32767.0f;

// The scale from user space to atlas pixels: the transform's average scale rounded to 0.01 and
// capped at 4, times the pixel ratio. 0 when text at this scale cannot be rasterised: such text
// would fail every glyph, and moving the atlas on and resetting it would not help.
float textScale(NVGcontext* ctx)
{
  const NVGdrawState* state = vgGetState(ctx);
  const float avg = vgGetAverageScale(state->xform);
  if (!(avg >= 0.005f))  // rounds to 0, or is not a number
    return 0.0f;
  const float rounded = std::floor(std::min(avg, 4.0f) / 0.01f + 0.5f) * 0.01f;
  const float scale = rounded * ctx->devicePxRatio;
  const float tenths = state->fontSize * scale * 10.0f;
  if (!(scale > 0.0f && tenths >= kMinGlyphTenths && tenths <= kMaxGlyphTenths))
    return 0.0f;
  return scale;
}

// The scale for a text operation with the atlas set up for it, or 0 for no text at all.
float beginText(NVGcontext* ctx)
{
  const NVGdrawState* state = vgGetState(ctx);
  if (state->fontId == -1)
    return 0.0f;
  const float scale = textScale(ctx);
  if (scale == 0.0f)
    return 0.0f;
  atlasSetSize(ctx->fs, state->fontSize * scale);
  atlasSetSpacing(ctx->fs, state->letterSpacing * scale);
  // The atlas caps blur at 20 pixels; capping here keeps huge values clear of its 16-bit sizes.
  atlasSetBlur(ctx->fs, std::clamp(state->fontBlur * scale, 0.0f, static_cast<float>(kMaxGlyphBlur)));
  atlasSetAlign(ctx->fs, state->textAlign);
  atlasSetFont(ctx->fs, state->fontId);
  return scale;
}

const char* stringEnd(const char* string, const char* end)
{
  return end ? end : string + std::strlen(string);
}

void uploadAtlas(NVGcontext* ctx)
{
  int dirty[4];
  if (!atlasTakeDirtyRect(ctx->fs, dirty))
    return;
  const int image = ctx->fontImages[ctx->fontImageIdx];
  if (image == 0)
    return;
  const unsigned char* pixels = atlasPixels(ctx->fs, nullptr, nullptr);
  ctx->params.renderUpdateTexture(ctx->params.userPtr, image, dirty[0], dirty[1], dirty[2] - dirty[0],
                                  dirty[3] - dirty[1], pixels);
}

// Moves on to the next, larger atlas texture and empties the atlas onto it: 1, or 0 when all four
// are in use or no texture could be had.
int growTextAtlas(NVGcontext* ctx)
{
  uploadAtlas(ctx);
  if (ctx->fontImageIdx >= kMaxFontImages - 1)
    return 0;
  int iw = 0, ih = 0;
  int& next = ctx->fontImages[ctx->fontImageIdx + 1];
  if (next != 0)
  {
    vgGetImageSize(ctx, next, &iw, &ih);
  }
  else
  {
    vgGetImageSize(ctx, ctx->fontImages[ctx->fontImageIdx], &iw, &ih);
    if (iw > ih)
      ih *= 2;
    else
      iw *= 2;
    if (iw > kMaxFontImageSize || ih > kMaxFontImageSize)
      iw = ih = kMaxFontImageSize;
    // Without a texture the glyphs would be drawn with no image, as solid boxes.
    next = ctx->params.renderCreateTexture(ctx->params.userPtr, NVG_TEXTURE_ALPHA, iw, ih, 0, nullptr);
    if (next == 0)
      return 0;
  }
  ctx->fontImageIdx++;
  return atlasReset(ctx->fs, iw, ih);
}

void renderText(NVGcontext* ctx, const NVGvertex* verts, int nverts)
{
  NVGdrawState* state = vgGetState(ctx);
  NVGpaint paint = state->fill;
  paint.image = ctx->fontImages[ctx->fontImageIdx];
  vgMultiplyAlpha(&paint, state->alpha);
  ctx->params.renderTriangles(ctx->params.userPtr, &paint, state->compositeOperation, &state->scissor, verts, nverts,
                              ctx->fringeWidth);
  ctx->drawCallCount++;
  ctx->textTriCount += nverts / 3;
}

// One step of a glyph iterator; a glyph the atlas could not take is tried once more after the
// atlas has moved on, when it could.
bool nextGlyph(NVGcontext* ctx, GlyphIterator* iter, GlyphIterator* prev, GlyphQuad* q)
{
  if (!atlasGlyphIterNext(ctx->fs, iter, q))
    return false;
  if (iter->prevGlyphIndex == -1 && growTextAtlas(ctx))
  {
    *iter = *prev;
    atlasGlyphIterNext(ctx->fs, iter, q);
  }
  *prev = *iter;
  return true;
}

bool isCjk(unsigned int c)
{
  return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3000 && c <= 0x30FF) || (c >= 0x3130 && c <= 0x318F) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xFF00 && c <= 0xFFEF);
}

enum CodepointType {
  kSpace,
  kNewline,
  kChar,
  kCjkChar,
};

// CR LF and LF CR are one line break: the second half of such a pair counts as a space. Only a
// newline can start a pair, so CR LF CR LF still gives two breaks.
CodepointType codepointType(unsigned int c, unsigned int previous, CodepointType previousType)
{
  switch (c)
  {
    case 9:
    case 11:
    case 12:
    case 32:
    case 0xA0: return kSpace;
    case 10: return previous == 13 && previousType == kNewline ? kSpace : kNewline;
    case 13: return previous == 10 && previousType == kNewline ? kSpace : kNewline;
    case 0x85: return kNewline;
    default: return isCjk(c) ? kCjkChar : kChar;
  }
}

float rowOffset(int halign, float breakRowWidth, float rowWidth)
{
  if (halign & NVG_ALIGN_LEFT)
    return 0.0f;
  if (halign & NVG_ALIGN_CENTER)
    return breakRowWidth * 0.5f - rowWidth * 0.5f;
  if (halign & NVG_ALIGN_RIGHT)
    return breakRowWidth - rowWidth;
  return 0.0f;
}

// Walks the wrapped rows of a text box, two at a time, with the line height and the horizontal
// offset of each row; the atlas is told left alignment (keeping the vertical bits) meanwhile.
template <typename RowFn>
void forEachWrappedRow(NVGcontext* ctx, float breakRowWidth, const char* string, const char* end, RowFn&& fn)
{
  NVGdrawState* state = vgGetState(ctx);
  const int oldAlign = state->textAlign;
  const int halign = oldAlign & (NVG_ALIGN_LEFT | NVG_ALIGN_CENTER | NVG_ALIGN_RIGHT);
  const int valign = oldAlign & (NVG_ALIGN_TOP | NVG_ALIGN_MIDDLE | NVG_ALIGN_BOTTOM | NVG_ALIGN_BASELINE);
  float lineh = 0;
  vgFontVerticalMetrics(ctx, nullptr, nullptr, &lineh);
  lineh *= state->lineHeight;
  state->textAlign = NVG_ALIGN_LEFT | valign;
  end = stringEnd(string, end);
  NVGtextRow rows[2];
  int nrows;
  float dy = 0;
  while ((nrows = vgWrapTextRows(ctx, string, end, breakRowWidth, rows, 2)) > 0)
  {
    for (int i = 0; i < nrows; i++)
    {
      fn(rows[i], halign, rowOffset(halign, breakRowWidth, rows[i].width), dy);
      dy += lineh;
    }
    string = rows[nrows - 1].next;
  }
  state->textAlign = oldAlign;
}
}  // namespace

int vgAddFontFromFile(NVGcontext* ctx, const char* name, const char* path)
{
  return vgAddFontFromFileAtIndex(ctx, name, path, 0);
}

int vgAddFontFromFileAtIndex(NVGcontext* ctx, const char* name, const char* path, int fontIndex)
{
  return atlasAddFontFile(ctx->fs, name, path, fontIndex);
}

int vgAddFontFromMemory(NVGcontext* ctx, const char* name, unsigned char* data, int ndata, int freeData)
{
  return vgAddFontFromMemoryAtIndex(ctx, name, data, ndata, 0, freeData, 0);
}

int vgAddFontFromMemoryAtIndex(NVGcontext* ctx, const char* name, unsigned char* data, int ndata, int fontIndex,
                               int freeData, int checked)
{
  return atlasAddFontMemory(ctx->fs, name, data, ndata, fontIndex, freeData, checked);
}

int vgFindFont(NVGcontext* ctx, const char* name)
{
  return name ? atlasFindFont(ctx->fs, name) : -1;
}

int vgAddFallbackFontId(NVGcontext* ctx, int baseFont, int fallbackFont)
{
  if (baseFont == -1 || fallbackFont == -1)
    return 0;
  return atlasAddFallbackFont(ctx->fs, baseFont, fallbackFont);
}

int vgAddFallbackFont(NVGcontext* ctx, const char* baseFont, const char* fallbackFont)
{
  return vgAddFallbackFontId(ctx, vgFindFont(ctx, baseFont), vgFindFont(ctx, fallbackFont));
}

void vgSetFontSize(NVGcontext* ctx, float size)
{
  vgGetState(ctx)->fontSize = size;
}
void vgSetFontBlur(NVGcontext* ctx, float blur)
{
  vgGetState(ctx)->fontBlur = blur;
}
void vgSetTextLetterSpacing(NVGcontext* ctx, float spacing)
{
  vgGetState(ctx)->letterSpacing = spacing;
}
void vgSetTextLineHeight(NVGcontext* ctx, float lineHeight)
{
  vgGetState(ctx)->lineHeight = lineHeight;
}
void vgSetTextAlign(NVGcontext* ctx, int align)
{
  vgGetState(ctx)->textAlign = align;
}
void vgSetFontById(NVGcontext* ctx, int font)
{
  vgGetState(ctx)->fontId = font;
}
void vgSetFontByName(NVGcontext* ctx, const char* font)
{
  vgGetState(ctx)->fontId = vgFindFont(ctx, font);
}

float vgDrawText(NVGcontext* ctx, float x, float y, const char* string, const char* end)
{
  const float scale = beginText(ctx);
  if (scale == 0.0f)
    return x;
  const float invscale = 1.0f / scale;
  end = stringEnd(string, end);
  const long long cverts = std::max<long long>(2, end - string) * kVertsPerGlyph;
  NVGvertex* verts = vgAllocTempVerts(ctx, cverts);
  if (!verts)
    return x;

  const float* xform = vgGetState(ctx)->xform;
  GlyphIterator iter, prevIter;
  GlyphQuad q;
  atlasGlyphIterBegin(ctx->fs, &iter, x * scale, y * scale, string, end, ATLAS_GLYPH_BITMAP_REQUIRED);
  prevIter = iter;
  int nverts = 0;
  while (atlasGlyphIterNext(ctx->fs, &iter, &q))
  {
    if (iter.prevGlyphIndex == -1)
    {
      // The atlas is full: draw what uses the current texture, then move on to a larger one.
      if (nverts != 0)
      {
        renderText(ctx, verts, nverts);
        nverts = 0;
      }
      if (!growTextAtlas(ctx))
        break;
      iter = prevIter;
      atlasGlyphIterNext(ctx->fs, &iter, &q);
      if (iter.prevGlyphIndex == -1)
        break;
    }
    prevIter = iter;
    if (nverts + kVertsPerGlyph > cverts)
      continue;
    float c[8];
    vgTransformPoint(&c[0], &c[1], xform, q.x0 * invscale, q.y0 * invscale);
    vgTransformPoint(&c[2], &c[3], xform, q.x1 * invscale, q.y0 * invscale);
    vgTransformPoint(&c[4], &c[5], xform, q.x1 * invscale, q.y1 * invscale);
    vgTransformPoint(&c[6], &c[7], xform, q.x0 * invscale, q.y1 * invscale);
    verts[nverts++] = {c[0], c[1], q.s0, q.t0};
    verts[nverts++] = {c[4], c[5], q.s1, q.t1};
    verts[nverts++] = {c[2], c[3], q.s1, q.t0};
    verts[nverts++] = {c[0], c[1], q.s0, q.t0};
    verts[nverts++] = {c[6], c[7], q.s0, q.t1};
    verts[nverts++] = {c[4], c[5], q.s1, q.t1};
  }
  uploadAtlas(ctx);
  renderText(ctx, verts, nverts);
  return iter.nextx * invscale;
}

float vgMeasureText(NVGcontext* ctx, float x, float y, const char* string, const char* end, float* bounds)
{
  const float scale = beginText(ctx);
  if (scale == 0.0f)
    return 0.0f;
  const float invscale = 1.0f / scale;
  const float width = atlasMeasureText(ctx->fs, x * scale, y * scale, string, end, bounds);
  if (bounds)
  {
    atlasLineExtent(ctx->fs, y * scale, &bounds[1], &bounds[3]);
    for (int i = 0; i < 4; i++)
      bounds[i] *= invscale;
  }
  return width * invscale;
}

void vgFontVerticalMetrics(NVGcontext* ctx, float* ascender, float* descender, float* lineh)
{
  const float scale = beginText(ctx);
  if (scale == 0.0f)
    return;
  const float invscale = 1.0f / scale;
  atlasVerticalMetrics(ctx->fs, ascender, descender, lineh);
  for (float* metric : {ascender, descender, lineh})
    if (metric)
      *metric *= invscale;
}

int vgGlyphPositions(NVGcontext* ctx, float x, float y, const char* string, const char* end,
                     NVGglyphPosition* positions, int maxPositions)
{
  end = stringEnd(string, end);
  if (string == end || maxPositions <= 0)
    return 0;
  const float scale = beginText(ctx);
  if (scale == 0.0f)
    return 0;
  const float invscale = 1.0f / scale;
  GlyphIterator iter, prevIter;
  GlyphQuad q{};
  atlasGlyphIterBegin(ctx->fs, &iter, x * scale, y * scale, string, end, ATLAS_GLYPH_BITMAP_OPTIONAL);
  prevIter = iter;
  int npos = 0;
  while (npos < maxPositions && nextGlyph(ctx, &iter, &prevIter, &q))
  {
    NVGglyphPosition& p = positions[npos++];
    p.str = iter.str;
    p.x = iter.x * invscale;
    p.minx = std::min(iter.x, q.x0) * invscale;
    p.maxx = std::max(iter.nextx, q.x1) * invscale;
  }
  return npos;
}

int vgWrapTextRows(NVGcontext* ctx, const char* string, const char* end, float breakRowWidth, NVGtextRow* rows,
                   int maxRows)
{
  if (maxRows <= 0)
    return 0;
  end = stringEnd(string, end);
  if (string == end)
    return 0;
  const float scale = beginText(ctx);
  if (scale == 0.0f)
    return 0;
  const float invscale = 1.0f / scale;
  const float limit = breakRowWidth * scale;

  // The row being built; positions are in atlas pixels from the row's start pen x.
  const char* rowStart = nullptr;
  const char* rowEnd = nullptr;
  float rowStartX = 0, rowWidth = 0, rowMinX = 0, rowMaxX = 0;
  // The last word start (pen x and quad left are absolute) and the last break point.
  const char* wordStart = nullptr;
  float wordStartX = 0, wordMinX = 0;
  const char* breakEnd = nullptr;
  float breakWidth = 0, breakMaxX = 0;
  unsigned int pcodepoint = 0;
  CodepointType ptype = kSpace;
  int nrows = 0;

  auto emit = [&](const char* start, const char* rowEndAt, float width, float minx, float maxx, const char* next) {
    rows[nrows++] = {start, rowEndAt, next, width * invscale, minx * invscale, maxx * invscale};
    return nrows >= maxRows;
  };
  // Starts a row at the glyph the iterator has just returned, or at the word start.
  auto startRow = [&](const char* start, float startX, float minX, const char* endAt, float nextx, float quadRight) {
    rowStart = start;
    rowStartX = startX;
    rowEnd = endAt;
    rowWidth = nextx - rowStartX;
    rowMinX = minX - rowStartX;
    rowMaxX = quadRight - rowStartX;
    breakEnd = rowStart;
    breakWidth = 0;
    breakMaxX = 0;
  };

  GlyphIterator iter, prevIter;
  GlyphQuad q{};
  atlasGlyphIterBegin(ctx->fs, &iter, 0, 0, string, end, ATLAS_GLYPH_BITMAP_OPTIONAL);
  prevIter = iter;
  while (nextGlyph(ctx, &iter, &prevIter, &q))
  {
    const CodepointType type = codepointType(iter.codepoint, pcodepoint, ptype);
    const bool isChar = type == kChar || type == kCjkChar;
    if (type == kNewline)
    {
      if (emit(rowStart ? rowStart : iter.str, rowEnd ? rowEnd : iter.str, rowWidth, rowMinX, rowMaxX, iter.next))
        return nrows;
      breakEnd = rowStart;
      breakWidth = breakMaxX = 0;
      rowStart = rowEnd = nullptr;
      rowWidth = rowMinX = rowMaxX = 0;
    }
    else if (!rowStart)
    {
      if (isChar)
      {
        startRow(iter.str, iter.x, q.x0, iter.next, iter.nextx, q.x1);
        wordStart = iter.str;
        wordStartX = iter.x;
        wordMinX = q.x0;
      }
    }
    else
    {
      const float nextWidth = iter.nextx - rowStartX;
      if (isChar)
      {
        rowEnd = iter.next;
        rowWidth = iter.nextx - rowStartX;
        rowMaxX = q.x1 - rowStartX;
      }
      if (((ptype == kChar || ptype == kCjkChar) && type == kSpace) || type == kCjkChar)
      {
        breakEnd = iter.str;
        breakWidth = rowWidth;
        breakMaxX = rowMaxX;
      }
      if ((ptype == kSpace && isChar) || type == kCjkChar)
      {
        wordStart = iter.str;
        wordStartX = iter.x;
        wordMinX = q.x0;
      }
      if (isChar && nextWidth > limit)
      {
        if (breakEnd == rowStart)
        {
          // A single word longer than the row: break before this glyph.
          if (emit(rowStart, iter.str, rowWidth, rowMinX, rowMaxX, iter.str))
            return nrows;
          startRow(iter.str, iter.x, q.x0, iter.next, iter.nextx, q.x1);
          wordStart = iter.str;
          wordStartX = iter.x;
          wordMinX = q.x0;
        }
        else
        {
          // Break at the last break point; the word in progress starts the next row, its extent
          // measured from its own start.
          if (emit(rowStart, breakEnd, breakWidth, rowMinX, breakMaxX, wordStart))
            return nrows;
          startRow(wordStart, wordStartX, wordMinX, iter.next, iter.nextx, q.x1);
        }
      }
    }
    pcodepoint = iter.codepoint;
    ptype = type;
  }
  if (rowStart)
    emit(rowStart, rowEnd, rowWidth, rowMinX, rowMaxX, end);
  return nrows;
}

void vgDrawWrappedText(NVGcontext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end)
{
  if (vgGetState(ctx)->fontId == -1)
    return;
  forEachWrappedRow(ctx, breakRowWidth, string, end, [&](const NVGtextRow& row, int halign, float dx, float dy) {
    if (halign != 0)
      vgDrawText(ctx, x + dx, y + dy, row.start, row.end);
  });
}

void vgMeasureWrappedText(NVGcontext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end,
                          float* bounds)
{
  if (vgGetState(ctx)->fontId == -1 || textScale(ctx) == 0.0f)
  {
    if (bounds)
      bounds[0] = bounds[1] = bounds[2] = bounds[3] = 0.0f;
    return;
  }
  float minx = x, maxx = x, miny = y, maxy = y;
  float rminy = 0, rmaxy = 0;
  {
    const float scale = beginText(ctx);
    atlasLineExtent(ctx->fs, 0, &rminy, &rmaxy);
    rminy /= scale;
    rmaxy /= scale;
  }
  forEachWrappedRow(ctx, breakRowWidth, string, end, [&](const NVGtextRow& row, int, float dx, float dy) {
    minx = std::min(minx, x + row.minx + dx);
    maxx = std::max(maxx, x + row.maxx + dx);
    miny = std::min(miny, y + dy + rminy);
    maxy = std::max(maxy, y + dy + rmaxy);
  });
  if (bounds)
  {
    bounds[0] = minx;
    bounds[1] = miny;
    bounds[2] = maxx;
    bounds[3] = maxy;
  }
}
