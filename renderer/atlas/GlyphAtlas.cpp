#include "renderer/atlas/GlyphAtlasFont.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kInitialFonts = 4;
constexpr int kInitialGlyphs = 256;

bool validSize(int width, int height)
{
  return width > 0 && height > 0 && width <= kAtlasMaxDimension && height <= kAtlasMaxDimension;
}

void setEmptyDirtyRect(GlyphAtlas* atlas)
{
  atlas->dirtyRect[0] = atlas->params.width;
  atlas->dirtyRect[1] = atlas->params.height;
  atlas->dirtyRect[2] = 0;
  atlas->dirtyRect[3] = 0;
}

bool dirtyRectIsEmpty(const GlyphAtlas* atlas)
{
  return atlas->dirtyRect[0] >= atlas->dirtyRect[2] || atlas->dirtyRect[1] >= atlas->dirtyRect[3];
}

void storeSize(GlyphAtlas* atlas, int width, int height)
{
  atlas->params.width = width;
  atlas->params.height = height;
  atlas->inverseWidth = 1.0f / float(width);
  atlas->inverseHeight = 1.0f / float(height);
}

uint8_t* allocatePixels(int width, int height)
{
  return static_cast<uint8_t*>(std::calloc(size_t(width) * size_t(height), 1));
}

// The 2 x 2 block of full coverage in the top-left corner, sampled for solid fills.
void addWhiteRect(GlyphAtlas* atlas)
{
  int x = 0, y = 0;
  if (!atlasPackRect(atlas->packer, 2, 2, &x, &y))
    return;
  for (int row = y; row < y + 2; ++row)
    std::memset(atlas->pixels + size_t(row) * size_t(atlas->params.width) + size_t(x), 0xff, 2);
  atlasMarkDirty(atlas, x, y, x + 2, y + 2);
}

void freeFont(GlyphAtlasFont* font)
{
  std::free(font->glyphs);
  if (font->freeData)
    std::free(font->data);
  std::free(font);
}

void emptyGlyphCache(GlyphAtlasFont* font)
{
  font->glyphCount = 0;
  for (int& head : font->hash)
    head = -1;
}

// Flushes, then makes the zeroed buffer for the new size and resizes the texture. The buffer is
// made before anything changes, so that a failure (null) leaves the atlas with its pixels, size
// and glyphs as they were.
uint8_t* pixelsForNewSize(GlyphAtlas* atlas, int width, int height)
{
  atlasFlush(atlas);
  uint8_t* pixels = allocatePixels(width, height);
  if (pixels && atlas->params.resizeTexture && !atlas->params.resizeTexture(atlas->params.userPtr, width, height))
  {
    std::free(pixels);
    return nullptr;
  }
  return pixels;
}

}  // namespace

GlyphAtlas* atlasCreate(const GlyphAtlasParams* params)
{
  if (!params || !validSize(params->width, params->height))
    return nullptr;
  auto* atlas = static_cast<GlyphAtlas*>(std::calloc(1, sizeof(GlyphAtlas)));
  if (!atlas)
    return nullptr;
  atlas->params = *params;
  atlas->scratch = static_cast<uint8_t*>(std::malloc(kAtlasScratchSize));
  bool made = atlas->scratch != nullptr;
  if (made && params->createTexture)
    made = params->createTexture(params->userPtr, params->width, params->height) != 0;
  if (made)
    made = (atlas->packer = atlasPackerCreate(params->width, params->height));
  if (made)
  {
    atlas->fonts = static_cast<GlyphAtlasFont**>(std::calloc(kInitialFonts, sizeof(GlyphAtlasFont*)));
    atlas->fontCapacity = atlas->fonts ? kInitialFonts : 0;
    made = atlas->fonts != nullptr;
  }
  if (made)
    made = (atlas->pixels = allocatePixels(params->width, params->height));
  if (!made)
  {
    atlasDelete(atlas);
    return nullptr;
  }
  storeSize(atlas, params->width, params->height);
  setEmptyDirtyRect(atlas);
  addWhiteRect(atlas);
  atlasPushState(atlas);
  atlasClearState(atlas);
  return atlas;
}

void atlasDelete(GlyphAtlas* atlas)
{
  if (!atlas)
    return;
  if (atlas->params.destroy)
    atlas->params.destroy(atlas->params.userPtr);
  for (int i = 0; i < atlas->fontCount; ++i)
    freeFont(atlas->fonts[i]);
  atlasPackerDelete(atlas->packer);
  std::free(atlas->fonts);
  std::free(atlas->pixels);
  std::free(atlas->scratch);
  std::free(atlas);
}

int atlasAddFontFile(GlyphAtlas* atlas, const char* name, const char* path, int faceIndex)
{
  if (!atlas || !path)
    return -1;
  std::FILE* file = std::fopen(path, "rb");
  if (!file)
    return -1;
  uint8_t* data = nullptr;
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0)
    size = std::ftell(file);
  bool read = size > 0 && size <= INT_MAX && std::fseek(file, 0, SEEK_SET) == 0;
  if (read)
    read = (data = static_cast<uint8_t*>(std::malloc(size_t(size))));
  if (read)
    read = std::fread(data, 1, size_t(size), file) == size_t(size);
  std::fclose(file);
  if (!read)
  {
    std::free(data);
    return -1;
  }
  return atlasAddFontMemory(atlas, name, data, int(size), faceIndex, 1, 0);
}

int atlasAddFontMemory(GlyphAtlas* atlas, const char* name, uint8_t* data, int size, int faceIndex, int freeData,
                       int checked)
{
  // Data handed over with freeData belongs to the atlas from here on, also when it is refused.
  auto refuse = [&] {
    if (freeData)
      std::free(data);
    return -1;
  };
  if (!atlas || !name || !data || size <= 0)
    return refuse();
  if (atlas->fontCount >= atlas->fontCapacity)
  {
    const int capacity = atlas->fontCapacity ? atlas->fontCapacity * 2 : 8;
    auto* fonts = static_cast<GlyphAtlasFont**>(std::realloc(atlas->fonts, sizeof(GlyphAtlasFont*) * size_t(capacity)));
    if (!fonts)
      return refuse();
    atlas->fonts = fonts;
    atlas->fontCapacity = capacity;
  }
  auto* font = static_cast<GlyphAtlasFont*>(std::calloc(1, sizeof(GlyphAtlasFont)));
  if (!font)
    return refuse();
  font->glyphs = static_cast<GlyphAtlasGlyph*>(std::malloc(sizeof(GlyphAtlasGlyph) * kInitialGlyphs));
  if (!font->glyphs)
  {
    std::free(font);
    return refuse();
  }
  font->glyphCapacity = kInitialGlyphs;
  const size_t nameLength = strnlen(name, sizeof font->name - 1);
  std::memcpy(font->name, name, nameLength);
  emptyGlyphCache(font);
  font->data = data;
  font->dataSize = size;
  font->freeData = freeData ? 1 : 0;

  atlas->scratchUsed = 0;
  if (!atlasFontLoad(atlas, font, faceIndex, checked))
  {
    freeFont(font);
    return -1;
  }
  int ascent = 0, descent = 0, lineGap = 0;
  atlasFontVerticalMetrics(font, &ascent, &descent, &lineGap);
  const float height = float(ascent - descent);
  font->ascender = float(ascent) / height;
  font->descender = float(descent) / height;
  font->lineHeight = (height + float(lineGap)) / height;
  atlas->fonts[atlas->fontCount] = font;
  return atlas->fontCount++;
}

int atlasFindFont(GlyphAtlas* atlas, const char* name)
{
  if (!atlas || !name)
    return -1;
  for (int i = 0; i < atlas->fontCount; ++i)
  {
    if (std::strcmp(atlas->fonts[i]->name, name) == 0)
      return i;
  }
  return -1;
}

int atlasAddFallbackFont(GlyphAtlas* atlas, int base, int fallback)
{
  // Lookups index the font list with these ids, so ids of fonts that do not exist are refused.
  if (!atlas || base < 0 || base >= atlas->fontCount || fallback < 0 || fallback >= atlas->fontCount)
    return 0;
  GlyphAtlasFont* font = atlas->fonts[base];
  if (font->fallbackCount >= kAtlasMaxFallbacks)
    return 0;
  font->fallbacks[font->fallbackCount++] = fallback;
  return 1;
}

GlyphAtlasState* atlasCurrentState(GlyphAtlas* atlas)
{
  return atlas && atlas->stateCount > 0 ? &atlas->states[atlas->stateCount - 1] : nullptr;
}

GlyphAtlasFont* atlasCurrentFont(GlyphAtlas* atlas)
{
  const GlyphAtlasState* state = atlasCurrentState(atlas);
  if (!state || state->font < 0 || state->font >= atlas->fontCount)
    return nullptr;
  GlyphAtlasFont* font = atlas->fonts[state->font];
  return font->data ? font : nullptr;
}

void atlasReportError(GlyphAtlas* atlas, int code, int value)
{
  if (atlas->handleError)
    atlas->handleError(atlas->errorUser, code, value);
}

void atlasPushState(GlyphAtlas* atlas)
{
  if (!atlas)
    return;
  if (atlas->stateCount >= kAtlasMaxStates)
  {
    atlasReportError(atlas, ATLAS_STATES_OVERFLOW, 0);
    return;
  }
  if (atlas->stateCount > 0)
    atlas->states[atlas->stateCount] = atlas->states[atlas->stateCount - 1];
  ++atlas->stateCount;
}

void atlasPopState(GlyphAtlas* atlas)
{
  if (!atlas)
    return;
  if (atlas->stateCount <= 1)
  {
    atlasReportError(atlas, ATLAS_STATES_UNDERFLOW, 0);
    return;
  }
  --atlas->stateCount;
}

template <typename T>
void setField(GlyphAtlas* atlas, T GlyphAtlasState::*field, T value)
{
  if (GlyphAtlasState* state = atlasCurrentState(atlas))
    state->*field = value;
}

void atlasClearState(GlyphAtlas* atlas)
{
  if (GlyphAtlasState* state = atlasCurrentState(atlas))
    *state = {0, ATLAS_ALIGN_LEFT | ATLAS_ALIGN_BASELINE, 12.0f, 0xffffffffu, 0.0f, 0.0f};
}

void atlasSetSize(GlyphAtlas* atlas, float size)
{
  setField(atlas, &GlyphAtlasState::size, size);
}

void atlasSetColor(GlyphAtlas* atlas, uint32_t colour)
{
  setField(atlas, &GlyphAtlasState::colour, colour);
}

void atlasSetSpacing(GlyphAtlas* atlas, float spacing)
{
  setField(atlas, &GlyphAtlasState::spacing, spacing);
}

void atlasSetBlur(GlyphAtlas* atlas, float blur)
{
  setField(atlas, &GlyphAtlasState::blur, blur);
}

void atlasSetAlign(GlyphAtlas* atlas, int align)
{
  setField(atlas, &GlyphAtlasState::align, align);
}

void atlasSetFont(GlyphAtlas* atlas, int font)
{
  setField(atlas, &GlyphAtlasState::font, font);
}

void atlasSetErrorCallback(GlyphAtlas* atlas, void (*callback)(void* user, int code, int value), void* user)
{
  if (!atlas)
    return;
  atlas->handleError = callback;
  atlas->errorUser = user;
}

void atlasGetSize(GlyphAtlas* atlas, int* width, int* height)
{
  if (!atlas)
    return;
  *width = atlas->params.width;
  *height = atlas->params.height;
}

const uint8_t* atlasPixels(GlyphAtlas* atlas, int* width, int* height)
{
  if (width)
    *width = atlas->params.width;
  if (height)
    *height = atlas->params.height;
  return atlas->pixels;
}

void atlasMarkDirty(GlyphAtlas* atlas, int x0, int y0, int x1, int y1)
{
  int* rect = atlas->dirtyRect;
  if (x0 < rect[0])
    rect[0] = x0;
  if (y0 < rect[1])
    rect[1] = y0;
  if (x1 > rect[2])
    rect[2] = x1;
  if (y1 > rect[3])
    rect[3] = y1;
}

int atlasTakeDirtyRect(GlyphAtlas* atlas, int* rect)
{
  if (!atlas || dirtyRectIsEmpty(atlas))
    return 0;
  std::memcpy(rect, atlas->dirtyRect, sizeof atlas->dirtyRect);
  setEmptyDirtyRect(atlas);
  return 1;
}

void atlasFlush(GlyphAtlas* atlas)
{
  if (!dirtyRectIsEmpty(atlas))
  {
    if (atlas->params.updateTexture)
      atlas->params.updateTexture(atlas->params.userPtr, atlas->dirtyRect, atlas->pixels);
    setEmptyDirtyRect(atlas);
  }
  if (atlas->vertexCount > 0)
  {
    if (atlas->params.drawVertices)
      atlas->params.drawVertices(atlas->params.userPtr, atlas->vertexPositions, atlas->vertexTexCoords,
                                 atlas->vertexColours, atlas->vertexCount);
    atlas->vertexCount = 0;
  }
}

int atlasReset(GlyphAtlas* atlas, int width, int height)
{
  if (!atlas || !validSize(width, height))
    return 0;
  uint8_t* pixels = pixelsForNewSize(atlas, width, height);
  if (!pixels)
    return 0;
  atlasPackerReset(atlas->packer, width, height);
  std::free(atlas->pixels);
  atlas->pixels = pixels;
  storeSize(atlas, width, height);
  setEmptyDirtyRect(atlas);
  for (int i = 0; i < atlas->fontCount; ++i)
    emptyGlyphCache(atlas->fonts[i]);
  addWhiteRect(atlas);
  return 1;
}

int atlasGrow(GlyphAtlas* atlas, int width, int height)
{
  if (!atlas)
    return 0;
  const int oldWidth = atlas->params.width, oldHeight = atlas->params.height;
  if (width < oldWidth)
    width = oldWidth;
  if (height < oldHeight)
    height = oldHeight;
  if (width == oldWidth && height == oldHeight)
    return 1;
  if (!validSize(width, height))
    return 0;
  uint8_t* pixels = pixelsForNewSize(atlas, width, height);
  if (!pixels)
    return 0;
  for (int row = 0; row < oldHeight; ++row)
    std::memcpy(pixels + size_t(row) * size_t(width), atlas->pixels + size_t(row) * size_t(oldWidth), size_t(oldWidth));
  std::free(atlas->pixels);
  atlas->pixels = pixels;

  SkylinePacker* packer = atlas->packer;
  if (width > packer->width)  // without room for the node the new columns stay unused
    atlasPackerAppend(packer, {int16_t(packer->width), 0, int16_t(width - packer->width)});
  packer->width = width;
  packer->height = height;
  int highest = 0;
  for (int i = 0; i < packer->nodeCount; ++i)
  {
    if (packer->nodes[i].y > highest)
      highest = packer->nodes[i].y;
  }
  // Everything that may hold glyphs is uploaded again to the larger texture.
  atlas->dirtyRect[0] = 0;
  atlas->dirtyRect[1] = 0;
  atlas->dirtyRect[2] = oldWidth;
  atlas->dirtyRect[3] = highest;
  storeSize(atlas, width, height);
  return 1;
}

void* atlasScratchAlloc(GlyphAtlas* atlas, size_t size)
{
  const uint64_t request = size < uint64_t(INT_MAX) ? size : uint64_t(INT_MAX);
  const int64_t needed = int64_t(atlas->scratchUsed) + int64_t((request + 15) & ~uint64_t(15));
  if (needed > kAtlasScratchSize)
  {
    atlasReportError(atlas, ATLAS_SCRATCH_FULL, needed < INT_MAX ? int(needed) : INT_MAX);
    return nullptr;
  }
  void* block = atlas->scratch + atlas->scratchUsed;
  atlas->scratchUsed = int(needed);
  return block;
}

int16_t atlasToShort(float value)
{
  if (!(value > float(INT16_MIN)))
    return value != value ? 0 : INT16_MIN;
  if (value >= float(INT16_MAX))
    return INT16_MAX;
  return int16_t(value);
}
