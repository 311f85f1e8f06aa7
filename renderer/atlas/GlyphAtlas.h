#pragma once
// The glyph atlas: TrueType fonts rasterised into one single-channel texture held in memory,
// a cache of the glyphs placed in it, and UTF-8 text laid out as textured quads.
//
// A flat interface over plain records. Every operation takes the atlas first; font ids are
// indices into the atlas's font list, -1 meaning none. Failures answer 0, -1 or null.

#include <cstdint>

struct GlyphAtlasFont;

// Bits of GlyphAtlasState::align. Horizontal: left, centre, right; vertical: the rest.
enum GlyphAtlasAlign : int {
  ATLAS_ALIGN_LEFT = 1,
  ATLAS_ALIGN_CENTER = 2,
  ATLAS_ALIGN_RIGHT = 4,
  ATLAS_ALIGN_TOP = 8,
  ATLAS_ALIGN_MIDDLE = 16,
  ATLAS_ALIGN_BOTTOM = 32,
  ATLAS_ALIGN_BASELINE = 64,
};

// Codes handed to the error callback with a value.
enum GlyphAtlasError : int {
  ATLAS_ATLAS_FULL = 1,       // value 0; the callback may reset or grow the atlas
  ATLAS_SCRATCH_FULL = 2,     // value: bytes in use + the rounded request
  ATLAS_STATES_OVERFLOW = 3,  // value 0
  ATLAS_STATES_UNDERFLOW = 4  // value 0
};

// What a glyph lookup must deliver.
enum GlyphBitmapOption : int {
  ATLAS_GLYPH_BITMAP_OPTIONAL = 1,  // metrics only: nothing packed or rasterised
  ATLAS_GLYPH_BITMAP_REQUIRED = 2,  // the bitmap is made when missing
};

enum : uint8_t { ATLAS_ZERO_TOPLEFT = 1 };

constexpr int kAtlasMaxStates = 20;
constexpr int kAtlasMaxFallbacks = 20;
constexpr int kAtlasHashSize = 256;
constexpr int kAtlasVertexCount = 1024;
constexpr int kAtlasScratchSize = 96000;
constexpr int kAtlasMaxBlur = 20;
// Glyph rectangles and skyline nodes hold 16-bit coordinates.
constexpr int kAtlasMaxDimension = 32767;

struct GlyphAtlasParams
{
  int width;
  int height;
  uint8_t flags;  // ATLAS_ZERO_TOPLEFT: origin top-left, y grows downwards
  void* userPtr;
  int (*createTexture)(void* user, int width, int height);
  int (*resizeTexture)(void* user, int width, int height);
  void (*updateTexture)(void* user, int* rect, const uint8_t* pixels);
  void (*drawVertices)(void* user, const float* positions, const float* texCoords, const uint32_t* colours, int count);
  void (*destroy)(void* user);
};

struct GlyphAtlasState
{
  int font;
  int align;
  float size;  // pixel height
  uint32_t colour;
  float blur;     // pixels
  float spacing;  // extra pixels between neighbouring glyphs
};

// One cached glyph. Rectangles include the padding; x0 = y0 = -1 until a bitmap is made.
struct GlyphAtlasGlyph
{
  uint32_t codepoint;
  int index;     // glyph index in the font that rendered it (the font or one of its fallbacks)
  int next;      // next entry of the same hash chain, -1 at the end
  int16_t size;  // tenths of a pixel
  int16_t blur;
  int16_t x0, y0, x1, y1;
  int16_t xadv;  // tenths of a pixel
  int16_t xoff, yoff;
};

// A segment of the skyline over columns x .. x + width - 1; y is the first row still free.
struct SkylineNode
{
  int16_t x, y, width;
};

struct SkylinePacker
{
  int width;
  int height;
  SkylineNode* nodes;
  int nodeCount;
  int nodeCapacity;
};

struct GlyphAtlas
{
  GlyphAtlasParams params;  // width and height always hold the current size
  float inverseWidth, inverseHeight;
  uint8_t* pixels;   // width x height coverage bytes, row-major
  int dirtyRect[4];  // x0, y0, x1, y1 (exclusive); empty is {width, height, 0, 0}
  GlyphAtlasFont** fonts;
  int fontCapacity;
  int fontCount;
  SkylinePacker* packer;
  float vertexPositions[kAtlasVertexCount * 2];
  float vertexTexCoords[kAtlasVertexCount * 2];
  uint32_t vertexColours[kAtlasVertexCount];
  int vertexCount;
  uint8_t* scratch;
  int scratchUsed;
  GlyphAtlasState states[kAtlasMaxStates];
  int stateCount;
  void (*handleError)(void* user, int code, int value);
  void* errorUser;
};

// A glyph's screen rectangle (x0, y0)-(x1, y1) and texture rectangle (s0, t0)-(s1, t1) in 0..1.
struct GlyphQuad
{
  float x0, y0, s0, t0, x1, y1, s1, t1;
};

// A position in a string being laid out. A copy is a complete saved position.
struct GlyphIterator
{
  float x, y;          // pen position of the glyph just returned
  float nextx, nexty;  // pen position of the next glyph
  float scale;         // font units to pixels
  float spacing;
  uint32_t codepoint;
  int16_t isize, iblur;
  GlyphAtlasFont* font;
  int prevGlyphIndex;  // -1 after a glyph that could not be found or placed
  const char* str;     // first byte of the glyph just returned
  const char* next;    // first byte not yet decoded
  const char* end;
  uint32_t utf8state;
  int bitmapOption;
};

// Atlas, fonts and text state.
GlyphAtlas* atlasCreate(const GlyphAtlasParams* params);
void atlasDelete(GlyphAtlas* atlas);
int atlasAddFontFile(GlyphAtlas* atlas, const char* name, const char* path, int faceIndex);
// checked: the same bytes, unchanged, were added at the same face index before (to this or
// another atlas), so that walking every outline again can be skipped.
int atlasAddFontMemory(GlyphAtlas* atlas, const char* name, uint8_t* data, int size, int faceIndex, int freeData,
                       int checked);
int atlasFindFont(GlyphAtlas* atlas, const char* name);
int atlasAddFallbackFont(GlyphAtlas* atlas, int base, int fallback);
void atlasPushState(GlyphAtlas* atlas);
void atlasPopState(GlyphAtlas* atlas);
void atlasClearState(GlyphAtlas* atlas);
void atlasSetSize(GlyphAtlas* atlas, float size);
void atlasSetColor(GlyphAtlas* atlas, uint32_t colour);
void atlasSetSpacing(GlyphAtlas* atlas, float spacing);
void atlasSetBlur(GlyphAtlas* atlas, float blur);
void atlasSetAlign(GlyphAtlas* atlas, int align);
void atlasSetFont(GlyphAtlas* atlas, int font);
void atlasSetErrorCallback(GlyphAtlas* atlas, void (*callback)(void* user, int code, int value), void* user);
void atlasGetSize(GlyphAtlas* atlas, int* width, int* height);
const uint8_t* atlasPixels(GlyphAtlas* atlas, int* width, int* height);
int atlasTakeDirtyRect(GlyphAtlas* atlas, int* rect);
void atlasFlush(GlyphAtlas* atlas);
int atlasReset(GlyphAtlas* atlas, int width, int height);
int atlasGrow(GlyphAtlas* atlas, int width, int height);

// Glyph cache, packer and blur.
GlyphAtlasGlyph* atlasFindOrRenderGlyph(GlyphAtlas* atlas, GlyphAtlasFont* font, uint32_t codepoint, int16_t isize,
                                        int16_t iblur, int option);
int atlasPackRect(SkylinePacker* packer, int width, int height, int* x, int* y);
void atlasBlur(uint8_t* pixels, int width, int height, int stride, int blur);

// Text layout and drawing. str must not be null; end null means up to the terminating NUL.
int atlasGlyphIterBegin(GlyphAtlas* atlas, GlyphIterator* iter, float x, float y, const char* str, const char* end,
                        int option);
int atlasGlyphIterNext(GlyphAtlas* atlas, GlyphIterator* iter, GlyphQuad* quad);
float atlasMeasureText(GlyphAtlas* atlas, float x, float y, const char* str, const char* end, float* bounds);
void atlasLineExtent(GlyphAtlas* atlas, float y, float* miny, float* maxy);
void atlasVerticalMetrics(GlyphAtlas* atlas, float* ascender, float* descender, float* lineHeight);
float atlasDrawText(GlyphAtlas* atlas, float x, float y, const char* str, const char* end);
void atlasDrawDebug(GlyphAtlas* atlas, float x, float y);
