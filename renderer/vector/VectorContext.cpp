// Context creation and deletion, the frame cycle, the draw-state stack and composite operations.
#include "renderer/vector/VectorState.h"

#include "renderer/atlas/GlyphAtlas.h"

namespace {
constexpr int kInitCommandsSize = 256;
constexpr int kInitPointsSize = 128;
constexpr int kInitPathsSize = 16;
constexpr int kInitVertsSize = 256;
constexpr int kInitFontImageSize = 512;

NVGpathCache* allocPathCache()
{
  auto* c = static_cast<NVGpathCache*>(std::calloc(1, sizeof(NVGpathCache)));
  if (!c)
    return nullptr;
  const bool ok = vgResizeArray(c->points, c->cpoints, kInitPointsSize) &&
                  vgResizeArray(c->paths, c->cpaths, kInitPathsSize) &&
                  vgResizeArray(c->verts, c->cverts, kInitVertsSize);
  if (!ok)
  {
    std::free(c->points);
    std::free(c->paths);
    std::free(c->verts);
    std::free(c);
    return nullptr;
  }
  return c;
}

void deletePathCache(NVGpathCache* c)
{
  if (!c)
    return;
  std::free(c->points);
  std::free(c->paths);
  std::free(c->verts);
  std::free(c);
}

NVGcompositeOperationState compositeOperationState(int op)
{
  struct Factors
  {
    int s, d;
  };
  static constexpr Factors kTable[] = {
    {NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA},                  // source-over
    {NVG_DST_ALPHA, NVG_ZERO},                           // source-in
    {NVG_ONE_MINUS_DST_ALPHA, NVG_ZERO},                 // source-out
    {NVG_DST_ALPHA, NVG_ONE_MINUS_SRC_ALPHA},            // source-atop
    {NVG_ONE_MINUS_DST_ALPHA, NVG_ONE},                  // destination-over
    {NVG_ZERO, NVG_SRC_ALPHA},                           // destination-in
    {NVG_ZERO, NVG_ONE_MINUS_SRC_ALPHA},                 // destination-out
    {NVG_ONE_MINUS_DST_ALPHA, NVG_SRC_ALPHA},            // destination-atop
    {NVG_ONE, NVG_ONE},                                  // lighter
    {NVG_ONE, NVG_ZERO},                                 // copy
    {NVG_ONE_MINUS_DST_ALPHA, NVG_ONE_MINUS_SRC_ALPHA},  // xor
  };
  Factors f{NVG_ONE, NVG_ZERO};
  if (op >= 0 && op < static_cast<int>(std::size(kTable)))
    f = kTable[op];
  return {f.s, f.d, f.s, f.d};
}

bool textureSize(NVGcontext* ctx, int image, int* w, int* h)
{
  *w = *h = 0;
  return ctx->params.renderGetTextureSize(ctx->params.userPtr, image, w, h) != 0;
}

// After a frame in which text moved on to a larger atlas texture, that texture becomes slot 0.
// Every other texture is either kept (when it is at least as large, so a later growth can reuse
// it) or deleted: none is dropped from the table without being deleted.
void tidyFontImages(NVGcontext* ctx)
{
  if (ctx->fontImageIdx == 0)
    return;
  const int cur = ctx->fontImages[ctx->fontImageIdx];
  if (cur == 0)
    return;
  int iw = 0, ih = 0;
  textureSize(ctx, cur, &iw, &ih);
  int kept[kMaxFontImages] = {cur, 0, 0, 0};
  int nkept = 1;
  for (int i = 0; i < kMaxFontImages; i++)
  {
    const int image = ctx->fontImages[i];
    if (image == 0 || i == ctx->fontImageIdx)
      continue;
    int nw = 0, nh = 0;
    textureSize(ctx, image, &nw, &nh);
    if (nw >= iw && nh >= ih)
      kept[nkept++] = image;
    else
      ctx->params.renderDeleteTexture(ctx->params.userPtr, image);
  }
  std::memcpy(ctx->fontImages, kept, sizeof(kept));
  ctx->fontImageIdx = 0;
}
}  // namespace

NVGcontext* vgCreateContext(const NVGbackend* backend)
{
  auto* ctx = static_cast<NVGcontext*>(std::calloc(1, sizeof(NVGcontext)));
  if (!ctx)
    return nullptr;
  ctx->params = *backend;
  if (!vgResizeArray(ctx->commands, ctx->ccommands, kInitCommandsSize))
    goto error;
  ctx->cache = allocPathCache();
  if (!ctx->cache)
    goto error;
  ctx->nstates = 1;
  vgResetState(ctx);
  ctx->tessTol = 0.25f;
  ctx->distTol = 0.01f;
  ctx->fringeWidth = 1.0f;
  ctx->devicePxRatio = 1.0f;
  if (ctx->params.renderCreate(ctx->params.userPtr) == 0)
    goto error;
  {
    GlyphAtlasParams fontParams{};
    fontParams.width = kInitFontImageSize;
    fontParams.height = kInitFontImageSize;
    fontParams.flags = ATLAS_ZERO_TOPLEFT;
    ctx->fs = atlasCreate(&fontParams);
    if (!ctx->fs)
      goto error;
  }
  ctx->fontImages[0] = ctx->params.renderCreateTexture(ctx->params.userPtr, NVG_TEXTURE_ALPHA, kInitFontImageSize,
                                                       kInitFontImageSize, 0, nullptr);
  if (ctx->fontImages[0] == 0)
    goto error;
  ctx->fontImageIdx = 0;
  return ctx;

error:
  vgDeleteContext(ctx);
  return nullptr;
}

void vgDeleteContext(NVGcontext* ctx)
{
  if (!ctx)
    return;
  std::free(ctx->commands);
  deletePathCache(ctx->cache);
  atlasDelete(ctx->fs);
  for (int& image : ctx->fontImages)
  {
    if (image != 0)
      ctx->params.renderDeleteTexture(ctx->params.userPtr, image);
    image = 0;
  }
  if (ctx->params.renderDelete)
    ctx->params.renderDelete(ctx->params.userPtr);
  std::free(ctx);
}

void vgBeginFrame(NVGcontext* ctx, float windowWidth, float windowHeight, float devicePixelRatio)
{
  ctx->nstates = 1;
  vgResetState(ctx);
  ctx->tessTol = 0.25f / devicePixelRatio;
  ctx->distTol = 0.01f / devicePixelRatio;
  ctx->fringeWidth = 1.0f / devicePixelRatio;
  ctx->devicePxRatio = devicePixelRatio;
  ctx->params.renderViewport(ctx->params.userPtr, windowWidth, windowHeight, devicePixelRatio);
  ctx->drawCallCount = 0;
  ctx->fillTriCount = 0;
  ctx->strokeTriCount = 0;
  ctx->textTriCount = 0;
}

void vgCancelFrame(NVGcontext* ctx)
{
  ctx->params.renderCancel(ctx->params.userPtr);
}

void vgEndFrame(NVGcontext* ctx)
{
  ctx->params.renderFlush(ctx->params.userPtr);
  tidyFontImages(ctx);
}

void vgSave(NVGcontext* ctx)
{
  if (ctx->nstates >= kMaxStates)
    return;
  if (ctx->nstates > 0)
    ctx->states[ctx->nstates] = ctx->states[ctx->nstates - 1];
  ctx->nstates++;
}

void vgRestore(NVGcontext* ctx)
{
  if (ctx->nstates <= 1)
    return;
  ctx->nstates--;
}

void vgResetState(NVGcontext* ctx)
{
  NVGdrawState* state = vgGetState(ctx);
  std::memset(state, 0, sizeof(*state));
  vgSetPaintColor(&state->fill, vgColorRGBA(255, 255, 255, 255));
  vgSetPaintColor(&state->stroke, vgColorRGBA(0, 0, 0, 255));
  state->compositeOperation = compositeOperationState(NVG_SOURCE_OVER);
  state->shapeAntiAlias = 1;
  state->strokeWidth = 1.0f;
  state->miterLimit = 10.0f;
  state->lineCap = NVG_BUTT;
  state->lineJoin = NVG_MITER;
  state->alpha = 1.0f;
  vgTransformIdentity(state->xform);
  state->scissor.extent[0] = -1.0f;
  state->scissor.extent[1] = -1.0f;
  state->fontSize = 16.0f;
  state->letterSpacing = 0.0f;
  state->lineHeight = 1.0f;
  state->fontBlur = 0.0f;
  state->textAlign = NVG_ALIGN_LEFT | NVG_ALIGN_BASELINE;
  state->fontId = 0;
}

void vgSetShapeAntiAlias(NVGcontext* ctx, int enabled)
{
  vgGetState(ctx)->shapeAntiAlias = enabled;
}
void vgSetStrokeWidth(NVGcontext* ctx, float width)
{
  vgGetState(ctx)->strokeWidth = width;
}
void vgSetMiterLimit(NVGcontext* ctx, float limit)
{
  vgGetState(ctx)->miterLimit = limit;
}
void vgSetLineCap(NVGcontext* ctx, int cap)
{
  vgGetState(ctx)->lineCap = cap;
}
void vgSetLineJoin(NVGcontext* ctx, int join)
{
  vgGetState(ctx)->lineJoin = join;
}
void vgSetGlobalAlpha(NVGcontext* ctx, float alpha)
{
  vgGetState(ctx)->alpha = alpha;
}

void vgSetCompositeOperation(NVGcontext* ctx, int op)
{
  vgGetState(ctx)->compositeOperation = compositeOperationState(op);
}

void vgSetBlendFunc(NVGcontext* ctx, int sfactor, int dfactor)
{
  vgSetBlendFuncSeparate(ctx, sfactor, dfactor, sfactor, dfactor);
}

void vgSetBlendFuncSeparate(NVGcontext* ctx, int srcRGB, int dstRGB, int srcAlpha, int dstAlpha)
{
  vgGetState(ctx)->compositeOperation = {srcRGB, dstRGB, srcAlpha, dstAlpha};
}

void vgGetImageSize(NVGcontext* ctx, int image, int* w, int* h)
{
  ctx->params.renderGetTextureSize(ctx->params.userPtr, image, w, h);
}
