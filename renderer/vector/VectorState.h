// The records behind the opaque NVGcontext, shared by the vector context's source files (and by
// tests that look at the state they leave).
#pragma once

#include "renderer/vector/VectorContext.h"

#include <cstdlib>
#include <cstring>
#include <iterator>

struct GlyphAtlas;

constexpr int kMaxStates = 32;
constexpr int kMaxFontImages = 4;

struct NVGdrawState
{
  NVGcompositeOperationState compositeOperation;
  int shapeAntiAlias;
  NVGpaint fill;
  NVGpaint stroke;
  float strokeWidth;
  float miterLimit;
  int lineJoin;
  int lineCap;
  float alpha;
  float xform[6];
  NVGscissor scissor;
  float fontSize;
  float letterSpacing;
  float lineHeight;
  float fontBlur;
  int textAlign;
  int fontId;
};

enum NVGpointFlags : unsigned char {
  NVG_PT_CORNER = 0x01,
  NVG_PT_LEFT = 0x02,
  NVG_PT_BEVEL = 0x04,
  NVG_PR_INNERBEVEL = 0x08,
};

struct NVGpoint
{
  float x, y;
  float dx, dy;
  float len;
  float dmx, dmy;
  unsigned char flags;
};

struct NVGpathCache
{
  NVGpoint* points;
  int npoints;
  int cpoints;
  NVGpath* paths;
  int npaths;
  int cpaths;
  NVGvertex* verts;
  int nverts;
  int cverts;
  float bounds[4];
};

enum NVGcommands {
  NVG_MOVETO = 0,
  NVG_LINETO = 1,
  NVG_BEZIERTO = 2,
  NVG_CLOSE = 3,
  NVG_WINDING = 4,
};

struct NVGcontext
{
  NVGbackend params;
  float* commands;
  int ccommands;
  int ncommands;
  float commandx, commandy;
  NVGdrawState states[kMaxStates];
  int nstates;
  NVGpathCache* cache;
  float tessTol;
  float distTol;
  float fringeWidth;
  float devicePxRatio;
  GlyphAtlas* fs;
  int fontImages[kMaxFontImages];
  int fontImageIdx;
  int drawCallCount;
  int fillTriCount;
  int strokeTriCount;
  int textTriCount;
};

// Resizes a heap array of trivially copyable records to `capacity` elements. On failure the array
// and its capacity are left as they were and false is returned, so callers can drop the one item
// that did not fit and go on.
template <typename T>
bool vgResizeArray(T*& array, int& capacity, long long newCapacity)
{
  if (newCapacity <= 0 || newCapacity > (1LL << 31) - 1)
    return false;
  void* grown = std::realloc(static_cast<void*>(array), static_cast<size_t>(newCapacity) * sizeof(T));
  if (!grown)
    return false;
  array = static_cast<T*>(grown);
  capacity = static_cast<int>(newCapacity);
  return true;
}

inline NVGdrawState* vgGetState(NVGcontext* ctx)
{
  return &ctx->states[ctx->nstates - 1];
}

// Average scale of a transform: the mean length of its two axis vectors.
float vgGetAverageScale(const float* t);

// Grows the path cache's vertex array to hold at least `count` vertices (a multiple of 256);
// null when that fails.
NVGvertex* vgAllocTempVerts(NVGcontext* ctx, long long count);

void vgSetPaintColor(NVGpaint* p, NVGcolor color);
void vgMultiplyAlpha(NVGpaint* p, float alpha);
