#include "tests/renderer/vector/RecordingBackend.h"

#include <algorithm>
#include <cstring>

namespace {
RecordingBackend* self(void* uptr)
{
  return static_cast<RecordingBackend*>(uptr);
}

RecordedCall makeCall(RecordedCall::Kind kind, const NVGpaint* paint, NVGcompositeOperationState op,
                      const NVGscissor* scissor, float fringe)
{
  RecordedCall call{};
  call.kind = kind;
  call.paint = *paint;
  call.op = op;
  call.scissor = *scissor;
  call.fringe = fringe;
  return call;
}

void copyPaths(RecordedCall& call, const NVGpath* paths, int npaths)
{
  for (int i = 0; i < npaths; i++)
  {
    RecordedPath p{paths[i], {}, {}};
    if (paths[i].fill)
      p.fill.assign(paths[i].fill, paths[i].fill + paths[i].nfill);
    if (paths[i].stroke)
      p.stroke.assign(paths[i].stroke, paths[i].stroke + paths[i].nstroke);
    call.paths.push_back(std::move(p));
  }
}

int create(void* uptr)
{
  return self(uptr)->failCreate ? 0 : 1;
}

int createTexture(void* uptr, int type, int w, int h, int flags, const unsigned char* data)
{
  RecordingBackend* b = self(uptr);
  RecordedTexture t{type, w, h, flags, {}};
  t.data.assign(static_cast<size_t>(w) * h * (type == NVG_TEXTURE_RGBA ? 4 : 1), 0);
  if (data)
    std::memcpy(t.data.data(), data, t.data.size());
  const int id = b->nextImage++;
  b->textures[id] = std::move(t);
  return id;
}

int deleteTexture(void* uptr, int image)
{
  RecordingBackend* b = self(uptr);
  b->deletedTextures.push_back(image);
  return b->textures.erase(image) ? 1 : 0;
}

int updateTexture(void* uptr, int image, int x, int y, int w, int h, const unsigned char* data)
{
  RecordingBackend* b = self(uptr);
  auto it = b->textures.find(image);
  if (it == b->textures.end())
    return 0;
  RecordedTexture& t = it->second;
  const int bpp = t.type == NVG_TEXTURE_RGBA ? 4 : 1;
  for (int row = y; row < y + h; row++)
    std::memcpy(&t.data[(static_cast<size_t>(row) * t.w + x) * bpp], &data[(static_cast<size_t>(row) * t.w + x) * bpp],
                static_cast<size_t>(w) * bpp);
  t.uploads++;
  return 1;
}

int getTextureSize(void* uptr, int image, int* w, int* h)
{
  RecordingBackend* b = self(uptr);
  auto it = b->textures.find(image);
  if (it == b->textures.end())
    return 0;
  *w = it->second.w;
  *h = it->second.h;
  return 1;
}

void setViewport(void* uptr, float width, float height, float ratio)
{
  RecordingBackend* b = self(uptr);
  b->viewport[0] = width;
  b->viewport[1] = height;
  b->viewport[2] = ratio;
  b->calls.clear();
  if (b->recordGeometry)
    b->events.push_back("viewport");
}

void cancel(void* uptr)
{
  self(uptr)->events.push_back("cancel");
}

void flush(void* uptr)
{
  if (self(uptr)->recordGeometry)
    self(uptr)->events.push_back("flush");
}

void fill(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
          const float* bounds, const NVGpath* paths, int npaths)
{
  RecordingBackend* b = self(uptr);
  if (!b->recordGeometry)
    return;
  RecordedCall call = makeCall(RecordedCall::Fill, paint, op, scissor, fringe);
  std::copy(bounds, bounds + 4, call.bounds);
  copyPaths(call, paths, npaths);
  b->calls.push_back(std::move(call));
}

void stroke(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
            float strokeWidth, const NVGpath* paths, int npaths)
{
  RecordingBackend* b = self(uptr);
  if (!b->recordGeometry)
    return;
  RecordedCall call = makeCall(RecordedCall::Stroke, paint, op, scissor, fringe);
  call.strokeWidth = strokeWidth;
  copyPaths(call, paths, npaths);
  b->calls.push_back(std::move(call));
}

void triangles(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, const NVGvertex* verts,
               int nverts, float fringe)
{
  RecordingBackend* b = self(uptr);
  if (!b->recordGeometry)
    return;
  RecordedCall call = makeCall(RecordedCall::Triangles, paint, op, scissor, fringe);
  call.verts.assign(verts, verts + nverts);
  b->calls.push_back(std::move(call));
}

void destroy(void* uptr)
{
  self(uptr)->events.push_back("delete");
}
}  // namespace

RecordingBackend::RecordingBackend(int edgeAntiAlias) : edgeAntiAlias(edgeAntiAlias) {}

NVGbackend RecordingBackend::table()
{
  NVGbackend t{};
  t.userPtr = this;
  t.edgeAntiAlias = edgeAntiAlias;
  t.renderCreate = create;
  t.renderCreateTexture = createTexture;
  t.renderDeleteTexture = deleteTexture;
  t.renderUpdateTexture = updateTexture;
  t.renderGetTextureSize = getTextureSize;
  t.renderViewport = setViewport;
  t.renderCancel = cancel;
  t.renderFlush = flush;
  t.renderFill = fill;
  t.renderStroke = stroke;
  t.renderTriangles = triangles;
  t.renderDelete = withDelete ? destroy : nullptr;
  return t;
}
