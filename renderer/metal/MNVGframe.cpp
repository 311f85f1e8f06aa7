// Frame recording and submission: draw calls with their vertices, indices and fragment uniforms
// are recorded into the current buffer set, and encoded into one render pass at the flush.
#include "renderer/metal/MNVGcontext.h"
#include "renderer/metal/MetalShaders.h"

#include "renderer/vector/VectorState.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
constexpr float kNoStrokeThreshold = -1.0f;
constexpr float kStencilStrokeThreshold = 1.0f - 0.5f / 255.0f;

// Grows a CPU-visible GPU buffer of `size`-byte elements to hold `count` + n, keeping the used
// part. Returns the first new element's index, or -1.
template <typename T>
int growBuffer(MTLDevice& device, std::shared_ptr<MTLBuffer>& buffer, T*& contents, int& capacity, int& count, int n,
               int minimum, int size)
{
  if (n < 0)
    return -1;
  if (static_cast<long long>(count) + n > capacity)
  {
    const long long cap = std::max<long long>(static_cast<long long>(count) + n, minimum) + capacity / 2;
    if (cap * size > (1LL << 31))
      return -1;
    std::shared_ptr<MTLBuffer> grown = device.newBufferWithLength(static_cast<NSUInteger>(cap * size),
                                                                  MTLResourceStorageModeShared);
    if (!grown)
      return -1;
    if (buffer && count > 0)
      std::memcpy(grown->contents(), buffer->contents(), static_cast<size_t>(count) * size);
    buffer = std::move(grown);
    contents = static_cast<T*>(buffer->contents());
    capacity = static_cast<int>(cap);
  }
  const int offset = count;
  count += n;
  return offset;
}

void copyInverse(float* mat, const float* xform)
{
  float inv[6];
  vgTransformInvert(inv, xform);  // the identity when singular
  std::memset(mat, 0, sizeof(float) * 12);
  mat[0] = inv[0];
  mat[1] = inv[1];
  mat[4] = inv[2];
  mat[5] = inv[3];
  mat[8] = inv[4];
  mat[9] = inv[5];
  mat[10] = 1.0f;
}

void premultiplied(float* out, const NVGcolor& c)
{
  out[0] = c.r * c.a;
  out[1] = c.g * c.a;
  out[2] = c.b * c.a;
  out[3] = c.a;
}

// Vertex and stroke-region counts of a fill or stroke call.
struct PathCounts
{
  int fillVerts = 0;
  int indices = 0;
  int strokeVerts = 0;
};

PathCounts countPaths(const NVGpath* paths, int npaths)
{
  PathCounts c;
  for (int i = 0; i < npaths; i++)
  {
    if (paths[i].nfill >= 3)
    {
      c.fillVerts += paths[i].nfill;
      c.indices += (paths[i].nfill - 2) * 3;
    }
    if (paths[i].nstroke > 0)
      c.strokeVerts += paths[i].nstroke + 2;
  }
  return c;
}

// The stencil pass of a concave fill may split a path into any triangles whose signed coverage
// adds up to its winding number. A fan from the first vertex is one such split, but along a long
// zigzag outline (a level curve over time) every triangle reaches back across the shape, and the
// stencil is written many times over. Trapezoids from each edge to one horizontal line are
// another. A triangle costs a setup per row it spans as well as its pixels, so the line that
// keeps the many short edges' trapezoids low is best: a curve's top above the whole area under
// it is covered by one wide rectangle, and the thin slices between the curve and the line above
// take it back. Returns the line whose trapezoids cost least, or NaN when the fan costs less.
float trapezoidBase(const NVGpath& p)
{
  constexpr double kRowCost = 16.0;  // a row's setup, in pixels written
  const NVGvertex* v = p.fill;
  const int n = p.nfill;
  double top = v[0].y, bottom = v[0].y, width = 0.0, weighted = 0.0;
  for (int i = 0; i < n; i++)
  {
    const NVGvertex& a = v[i];
    const NVGvertex& b = v[(i + 1) % n];
    const double dx = std::fabs(static_cast<double>(b.x) - a.x);
    top = std::min(top, static_cast<double>(a.y));
    bottom = std::max(bottom, static_cast<double>(a.y));
    width += dx;
    weighted += dx * (static_cast<double>(a.y) + b.y) * 0.5;
  }
  if (!(width > 0.0))
    return std::numeric_limits<float>::quiet_NaN();
  // Candidate lines: the path's top and bottom, and the mean height of its edges weighted by their
  // widths, which lies between the upper and the lower outline of a band.
  const float bases[3] = {static_cast<float>(top), static_cast<float>(bottom), static_cast<float>(weighted / width)};
  double costs[3] = {}, fan = 0.0;
  for (int i = 0; i < n; i++)
  {
    const NVGvertex& a = v[i];
    const NVGvertex& b = v[(i + 1) % n];
    const double dx = std::fabs(static_cast<double>(b.x) - a.x);
    if (dx > 0.0)
      for (int k = 0; k < 3; k++)
      {
        const double da = std::fabs(static_cast<double>(a.y) - bases[k]);
        const double db = std::fabs(static_cast<double>(b.y) - bases[k]);
        costs[k] += dx * (da + db) * 0.5 + 2.0 * kRowCost * std::max(da, db);
      }
    const double cross = (static_cast<double>(a.x) - v[0].x) * (static_cast<double>(b.y) - v[0].y) -
                         (static_cast<double>(b.x) - v[0].x) * (static_cast<double>(a.y) - v[0].y);
    if (cross != 0.0)
    {
      const double rows = std::max({static_cast<double>(v[0].y), static_cast<double>(a.y), static_cast<double>(b.y)}) -
                          std::min({static_cast<double>(v[0].y), static_cast<double>(a.y), static_cast<double>(b.y)});
      fan += std::fabs(cross) * 0.5 + kRowCost * rows;
    }
  }
  const int best = static_cast<int>(std::min_element(costs, costs + 3) - costs);
  return costs[best] < fan ? bases[best] : std::numeric_limits<float>::quiet_NaN();
}

// Copies every path's fringe or stroke into one strip: each repeats its first and last vertex so
// that consecutive strips join through degenerate triangles.
void copyStrokes(NVGvertex* dst, const NVGpath* paths, int npaths)
{
  for (int i = 0; i < npaths; i++)
  {
    const NVGpath& p = paths[i];
    if (p.nstroke <= 0)
      continue;
    *dst++ = p.stroke[0];
    std::memcpy(dst, p.stroke, sizeof(NVGvertex) * p.nstroke);
    dst += p.nstroke;
    *dst++ = p.stroke[p.nstroke - 1];
  }
}

// No scissor: a zero matrix, which takes every point to the middle of a unit extent.
void withoutScissor(MNVGfragUniforms& u)
{
  std::memset(u.scissorMat, 0, sizeof(u.scissorMat));
  u.scissorExt[0] = u.scissorExt[1] = 1.0f;
  u.scissorScale[0] = u.scissorScale[1] = 1.0f;
}
}  // namespace

void MNVGbuffers_vVantorelix_au::reset()
{
  {
    std::lock_guard<std::mutex> lock(mutex);
    commandBuffer.reset();
    image = 0;
  }
  nindexes = nverts = ncalls = nuniforms = 0;
  isBusy.store(false, std::memory_order_release);
}

std::shared_ptr<MTLCommandBuffer> MNVGbuffers_vVantorelix_au::inFlightFor(int target)
{
  if (!isBusy.load(std::memory_order_acquire))
    return nullptr;
  std::lock_guard<std::mutex> lock(mutex);
  return image == target ? commandBuffer : nullptr;
}

MNVGcall* MNVGcontext_vVantorelix_au::allocCall()
{
  if (!buffers)
    return nullptr;
  std::vector<MNVGcall>& calls = buffers->calls;
  if (buffers->ncalls >= static_cast<int>(calls.size()))
  {
    const size_t ccalls = std::max(buffers->ncalls + 1, 128) + calls.size() / 2;
    try
    {
      calls.resize(ccalls);
    }
    catch (const std::bad_alloc&)
    {
      return nullptr;
    }
  }
  MNVGcall* call = &calls[buffers->ncalls++];
  std::memset(call, 0, sizeof(*call));
  return call;
}

void MNVGcontext_vVantorelix_au::dropCall()
{
  if (buffers && buffers->ncalls > 0)
    buffers->ncalls--;
}

int MNVGcontext_vVantorelix_au::allocVerts(int n)
{
  return growBuffer(*metalLayer->device(), buffers->vertBuffer, buffers->verts, buffers->cverts, buffers->nverts, n,
                    4096, static_cast<int>(sizeof(NVGvertex)));
}

int MNVGcontext_vVantorelix_au::allocIndexes(int n)
{
  return growBuffer(*metalLayer->device(), buffers->indexBuffer, buffers->indexes, buffers->cindexes, buffers->nindexes,
                    n, 4096, indexSize);
}

int MNVGcontext_vVantorelix_au::allocFragUniforms(int n)
{
  const int block = growBuffer(*metalLayer->device(), buffers->uniformBuffer, buffers->uniforms, buffers->cuniforms,
                               buffers->nuniforms, n, 128, fragSize);
  return block < 0 ? -1 : block * fragSize;
}

MNVGfragUniforms* MNVGcontext_vVantorelix_au::fragUniformAtIndex(int offset)
{
  return reinterpret_cast<MNVGfragUniforms*>(buffers->uniforms + offset);
}

bool MNVGcontext_vVantorelix_au::imageDrawable(int image) const
{
  if (image == 0)
    return true;
  const std::shared_ptr<MNVGtexture_vVantorelix_au> tex = findTexture(image);
  return tex && tex->tex;
}

bool MNVGcontext_vVantorelix_au::convertPaintForFrag(MNVGfragUniforms* frag, const NVGpaint* paint,
                                                     const NVGscissor* scissor, float width, float fringe,
                                                     float strokeThr)
{
  std::memset(frag, 0, sizeof(*frag));
  premultiplied(frag->innerCol, paint->innerColor);
  premultiplied(frag->outerCol, paint->outerColor);
  if (scissor->extent[0] < -0.5f || scissor->extent[1] < -0.5f)
  {
    withoutScissor(*frag);
  }
  else
  {
    const float* x = scissor->xform;
    copyInverse(frag->scissorMat, x);
    frag->scissorExt[0] = scissor->extent[0];
    frag->scissorExt[1] = scissor->extent[1];
    frag->scissorScale[0] = std::sqrt(x[0] * x[0] + x[2] * x[2]) / fringe;
    frag->scissorScale[1] = std::sqrt(x[1] * x[1] + x[3] * x[3]) / fringe;
  }
  frag->extent[0] = paint->extent[0];
  frag->extent[1] = paint->extent[1];
  frag->strokeMult = (width * 0.5f + fringe * 0.5f) / fringe;
  frag->strokeThr = strokeThr;

  if (paint->image == 0)
  {
    frag->type = MNVG_SHADER_FILLGRAD;
    frag->radius = paint->radius;
    frag->feather = paint->feather;
    copyInverse(frag->paintMat, paint->xform);
    return true;
  }
  const std::shared_ptr<MNVGtexture_vVantorelix_au> tex = findTexture(paint->image);
  if (!tex)
    return false;
  if (tex->flags & NVG_IMAGE_FLIPY)
  {
    // Flip about half the image height, in the paint's own space.
    float m1[6], m2[6];
    vgTransformSetTranslate(m1, 0.0f, frag->extent[1] * 0.5f);
    vgTransformMultiply(m1, paint->xform);
    vgTransformSetScale(m2, 1.0f, -1.0f);
    vgTransformMultiply(m2, m1);
    vgTransformSetTranslate(m1, 0.0f, -frag->extent[1] * 0.5f);
    vgTransformMultiply(m1, m2);
    copyInverse(frag->paintMat, m1);
  }
  else
  {
    copyInverse(frag->paintMat, paint->xform);
  }
  frag->type = MNVG_SHADER_FILLIMG;
  if (tex->type == NVG_TEXTURE_RGBA)
    frag->texType = (tex->flags & NVG_IMAGE_PREMULTIPLIED) ? MNVG_TEXTYPE_PREMULTIPLIED : MNVG_TEXTYPE_RGBA;
  else
    frag->texType = MNVG_TEXTYPE_ALPHA;
  return true;
}

void MNVGcontext_vVantorelix_au::renderViewport(float width, float height, float devicePixelRatio)
{
  // A frame left open is dropped rather than waited for: its set would never come back.
  if (buffers)
    renderCancel();
  // Sizes that are negative or not a number give an empty frame, which the flush drops.
  auto pixels = [devicePixelRatio](float points) {
    const double p = static_cast<double>(points) * devicePixelRatio;
    return p >= 1.0 ? static_cast<unsigned>(std::lround(std::min(p, 16384.0))) : 0u;
  };
  viewPortSize[0] = pixels(width);
  viewPortSize[1] = pixels(height);
  dispatch_semaphore_wait(semaphore, DISPATCH_TIME_FOREVER);
  for (const auto& set : cbuffers)
    if (!set->isBusy.load(std::memory_order_acquire))
    {
      buffers = set;
      break;
    }
  if (!buffers)
  {
    // No set although the semaphore said one was free: record nothing rather than share one.
    dispatch_semaphore_signal(semaphore);
    return;
  }
  buffers->isBusy.store(true, std::memory_order_release);
  if (!buffers->viewSizeBuffer)
    buffers->viewSizeBuffer = metalLayer->device()->newBufferWithLength(sizeof(float) * 2,
                                                                        MTLResourceStorageModeShared);
  auto* viewSize = static_cast<float*>(buffers->viewSizeBuffer->contents());
  viewSize[0] = width;
  viewSize[1] = height;
}

void MNVGcontext_vVantorelix_au::renderCancel()
{
  if (!buffers)
    return;
  buffers->reset();
  buffers.reset();
  dispatch_semaphore_signal(semaphore);
}

void MNVGcontext_vVantorelix_au::renderFill(const NVGpaint* paint, NVGcompositeOperationState op,
                                            const NVGscissor* scissor, float fringe, const float* bounds,
                                            const NVGpath* paths, int npaths)
{
  if (!imageDrawable(paint->image))
    return;
  MNVGcall* call = allocCall();
  if (!call)
    return;
  call->type = MNVG_FILL;
  call->triangleCount = 4;
  call->image = paint->image;
  call->blendFunc = blendCompositeOperation(op);
  if (npaths == 1 && paths[0].convex)
  {
    call->type = MNVG_CONVEXFILL;
    call->triangleCount = 0;
  }
  PathCounts counts = countPaths(paths, npaths);
  // Per path: the line its stencil trapezoids go down to, or NaN for a fan.
  fillBases.assign(static_cast<size_t>(std::max(npaths, 0)), std::numeric_limits<float>::quiet_NaN());
  if (call->type == MNVG_FILL)
    for (int i = 0; i < npaths; i++)
      if (paths[i].nfill >= 3 && !std::isnan(fillBases[i] = trapezoidBase(paths[i])))
      {
        // A foot on the line for each vertex, and two triangles per edge instead of one per
        // vertex after the second.
        counts.fillVerts += paths[i].nfill;
        counts.indices += paths[i].nfill * 6 - (paths[i].nfill - 2) * 3;
      }
  const int vertOffset = allocVerts(counts.fillVerts + counts.strokeVerts + call->triangleCount);
  const int indexOffset = vertOffset < 0 ? -1 : allocIndexes(counts.indices);
  const int uniformOffset = indexOffset < 0 ? -1 : allocFragUniforms(1);
  if (uniformOffset < 0)
  {
    dropCall();
    return;
  }
  call->indexOffset = indexOffset;
  call->indexCount = counts.indices;
  const int strokeStart = vertOffset + counts.fillVerts + call->triangleCount;
  call->strokeOffset = strokeStart + 1;
  call->strokeCount = counts.strokeVerts - 2;

  int vert = vertOffset;
  uint32_t* index = buffers->indexes + indexOffset;
  for (int i = 0; i < npaths; i++)
  {
    const NVGpath& p = paths[i];
    if (p.nfill < 3)
      continue;
    std::memcpy(&buffers->verts[vert], p.fill, sizeof(NVGvertex) * p.nfill);
    const float base = fillBases[static_cast<size_t>(i)];
    if (std::isnan(base))
    {
      for (int j = 2; j < p.nfill; j++)
      {
        *index++ = static_cast<uint32_t>(vert);
        *index++ = static_cast<uint32_t>(vert + j - 1);
        *index++ = static_cast<uint32_t>(vert + j);
      }
      vert += p.nfill;
      continue;
    }
    // Vertex j's foot on the line is vertex n + j; edge (j, k) is the quad j, k, foot k, foot j.
    const int n = p.nfill;
    for (int j = 0; j < n; j++)
      buffers->verts[vert + n + j] = {p.fill[j].x, base, 0.5f, 1.0f};
    for (int j = 0; j < n; j++)
    {
      const auto at = static_cast<uint32_t>(vert + j);
      const auto next = static_cast<uint32_t>(vert + (j + 1) % n);
      const auto foot = at + static_cast<uint32_t>(n), nextFoot = next + static_cast<uint32_t>(n);
      for (uint32_t k : {at, next, nextFoot, at, nextFoot, foot})
        *index++ = k;
    }
    vert += 2 * n;
  }
  copyStrokes(&buffers->verts[strokeStart], paths, npaths);

  if (call->type == MNVG_FILL)
  {
    // The bounding quad that covers and resets the stencilled area.
    call->triangleOffset = vertOffset + counts.fillVerts;
    NVGvertex* quad = &buffers->verts[call->triangleOffset];
    quad[0] = {bounds[2], bounds[3], 0.5f, 1.0f};
    quad[1] = {bounds[2], bounds[1], 0.5f, 1.0f};
    quad[2] = {bounds[0], bounds[3], 0.5f, 1.0f};
    quad[3] = {bounds[0], bounds[1], 0.5f, 1.0f};
  }
  call->uniformOffset = uniformOffset;
  convertPaintForFrag(fragUniformAtIndex(uniformOffset), paint, scissor, fringe, fringe, kNoStrokeThreshold);
}

void MNVGcontext_vVantorelix_au::renderStroke(const NVGpaint* paint, NVGcompositeOperationState op,
                                              const NVGscissor* scissor, float fringe, float strokeWidth,
                                              const NVGpath* paths, int npaths)
{
  if (!imageDrawable(paint->image))
    return;
  MNVGcall* call = allocCall();
  if (!call)
    return;
  call->type = MNVG_STROKE;
  call->image = paint->image;
  call->blendFunc = blendCompositeOperation(op);
  const PathCounts counts = countPaths(paths, npaths);
  const bool stencilStrokes = (flags & MNVG_STENCIL_STROKES) != 0;
  const int vertOffset = allocVerts(counts.fillVerts + counts.strokeVerts);
  const int uniformOffset = vertOffset < 0 ? -1 : allocFragUniforms(stencilStrokes ? 2 : 1);
  if (uniformOffset < 0)
  {
    dropCall();
    return;
  }
  call->strokeOffset = vertOffset + 1;
  call->strokeCount = counts.strokeVerts - 2;
  copyStrokes(&buffers->verts[vertOffset], paths, npaths);
  call->uniformOffset = uniformOffset;
  convertPaintForFrag(fragUniformAtIndex(uniformOffset), paint, scissor, strokeWidth, fringe, kNoStrokeThreshold);
  if (stencilStrokes)
    convertPaintForFrag(fragUniformAtIndex(uniformOffset + fragSize), paint, scissor, strokeWidth, fringe,
                        kStencilStrokeThreshold);
}

void MNVGcontext_vVantorelix_au::renderTriangles(const NVGpaint* paint, NVGcompositeOperationState op,
                                                 const NVGscissor* scissor, const NVGvertex* verts, int nverts,
                                                 float fringe)
{
  if (!imageDrawable(paint->image))
    return;
  MNVGcall* call = allocCall();
  if (!call)
    return;
  call->type = MNVG_TRIANGLES;
  call->image = paint->image;
  call->blendFunc = blendCompositeOperation(op);
  const int vertOffset = allocVerts(nverts);
  const int uniformOffset = vertOffset < 0 ? -1 : allocFragUniforms(1);
  if (uniformOffset < 0)
  {
    dropCall();
    return;
  }
  call->triangleOffset = vertOffset;
  call->triangleCount = nverts;
  if (nverts > 0)
    std::memcpy(&buffers->verts[vertOffset], verts, sizeof(NVGvertex) * nverts);
  call->uniformOffset = uniformOffset;
  MNVGfragUniforms* frag = fragUniformAtIndex(uniformOffset);
  convertPaintForFrag(frag, paint, scissor, 1.0f, fringe, kNoStrokeThreshold);
  frag->type = MNVG_SHADER_IMG;
}

void MNVGcontext_vVantorelix_au::updateStencilTextureToSize(NSUInteger width, NSUInteger height)
{
  std::shared_ptr<MTLTexture>& stencil = buffers->stencilTexture;
  if (stencil && (stencil->width() < width || stencil->height() < height))
    stencil.reset();
  if (stencil)
    return;
  MTLTextureDescriptor d = MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatStencil8, width,
                                                                                    height, false);
  d.usage = MTLTextureUsageRenderTarget;
  d.storageMode = MTLStorageModePrivate;
  stencil = metalLayer->device()->newTextureWithDescriptor(d);
}

std::shared_ptr<MTLRenderCommandEncoder> MNVGcontext_vVantorelix_au::renderCommandEncoderWithColorTexture(
  std::shared_ptr<MTLTexture> colorTexture)
{
  MTLRenderPassDescriptor pass = MTLRenderPassDescriptor::renderPassDescriptor();
  pass.colorAttachments[0].clearColor = clearColor;
  pass.colorAttachments[0].loadAction = clearBufferOnFlush ? MTLLoadActionClear : MTLLoadActionLoad;
  pass.colorAttachments[0].storeAction = MTLStoreActionStore;
  pass.colorAttachments[0].texture = std::move(colorTexture);
  clearBufferOnFlush = false;
  pass.stencilAttachment.clearStencil = 0;
  pass.stencilAttachment.loadAction = MTLLoadActionClear;
  pass.stencilAttachment.storeAction = MTLStoreActionDontCare;
  pass.stencilAttachment.texture = buffers->stencilTexture;

  std::shared_ptr<MTLRenderCommandEncoder> encoder = buffers->commandBuffer->renderCommandEncoderWithDescriptor(pass);
  encoder->setCullMode(MTLCullModeBack);
  encoder->setFrontFacingWinding(MTLWindingCounterClockwise);
  encoder->setStencilReferenceValue(0);
  encoder->setViewport(
    {0.0, 0.0, static_cast<double>(viewPortSize[0]), static_cast<double>(viewPortSize[1]), 0.0, 1.0});
  encoder->setVertexBuffer(buffers->vertBuffer, 0, 0);
  encoder->setVertexBuffer(buffers->viewSizeBuffer, 0, 1);
  encoder->setFragmentBuffer(buffers->uniformBuffer, 0, 0);
  return encoder;
}

void MNVGcontext_vVantorelix_au::setUniforms(int uniformOffset, int image)
{
  renderEncoder->setFragmentBufferOffset(static_cast<NSUInteger>(uniformOffset), 0);
  const std::shared_ptr<MNVGtexture_vVantorelix_au> tex = image != 0 ? findTexture(image) : nullptr;
  renderEncoder->setFragmentTexture(tex ? tex->tex : pseudoTexture, 0);
  renderEncoder->setFragmentSamplerState(tex ? tex->sampler : pseudoSampler, 0);
}

void MNVGcontext_vVantorelix_au::clipToScissor(int uniformOffset)
{
  MNVGfragUniforms& u = *fragUniformAtIndex(uniformOffset);
  const auto* view = static_cast<const float*>(buffers->viewSizeBuffer->contents());
  MTLScissorRect rect{0, 0, viewPortSize[0], viewPortSize[1]};
  // Upright: each axis of the view maps to the same axis of the scissor (without a scissor the
  // matrix is zero).
  if (u.scissorMat[1] == 0.0f && u.scissorMat[4] == 0.0f && u.scissorMat[0] != 0.0f && u.scissorMat[5] != 0.0f)
  {
    NSUInteger* origin[2] = {&rect.x, &rect.y};
    NSUInteger* size[2] = {&rect.width, &rect.height};
    for (int axis = 0; axis < 2; axis++)
    {
      // The mask is above 0 where |m p + t| < extent + 0.5 / scale. Positions stray from the
      // pixel centres by less than 15/16 of the snap, so a pixel whose centre lies where the mask
      // is at most 1/16 of the snap is masked to 0 by the fragment functions and is left out: so
      // are those just outside a scissor on pixel edges, and a fill's spans stay inside it.
      const double m = u.scissorMat[axis * 5], t = u.scissorMat[8 + axis];
      const double reach = u.scissorExt[axis] + (0.5 - kMNVGScissorSnap / 16.0) / u.scissorScale[axis];
      const double ratio = viewPortSize[axis] / static_cast<double>(view[axis]);
      const double a = (-reach - t) / m * ratio, b = (reach - t) / m * ratio;
      if (!std::isfinite(a) || !std::isfinite(b))
        continue;
      // The pixels whose centres lie strictly between.
      const double pixels = viewPortSize[axis];
      const double first = std::clamp(std::floor(std::min(a, b) - 0.5) + 1.0, 0.0, pixels);
      const double end = std::clamp(std::ceil(std::max(a, b) - 0.5), first, pixels);
      *origin[axis] = static_cast<NSUInteger>(first);
      *size[axis] = static_cast<NSUInteger>(end - first);
    }
    // Where the mask is 1 at every pixel the rectangle lets through, as it is inside a scissor on
    // pixel edges, the draw is shaded as one without a scissor: the same colours, without the
    // mask worked out at each fragment.
    double pixelsPerUnit[2], first[2], last[2];
    for (int axis = 0; axis < 2; axis++)
    {
      pixelsPerUnit[axis] = viewPortSize[axis] / static_cast<double>(view[axis]);
      first[axis] = (static_cast<double>(*origin[axis]) + 0.5) / pixelsPerUnit[axis];
      last[axis] = (static_cast<double>(*origin[axis] + *size[axis]) - 0.5) / pixelsPerUnit[axis];
    }
    if (rect.width > 0 && rect.height > 0 && mnvgScissorIsOneBetween(u, first, last, pixelsPerUnit))
      withoutScissor(u);
  }
  renderEncoder->setScissorRect(rect);
}

void MNVGcontext_vVantorelix_au::convexFill(const MNVGcall& call)
{
  setUniforms(call.uniformOffset, call.image);
  renderEncoder->setRenderPipelineState(pipelineState);
  if (call.indexCount > 0)
    renderEncoder->drawIndexedPrimitives(MTLPrimitiveTypeTriangle, call.indexCount, MTLIndexTypeUInt32,
                                         buffers->indexBuffer, static_cast<NSUInteger>(call.indexOffset) * indexSize);
  if (call.strokeCount > 0)
    renderEncoder->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
}

void MNVGcontext_vVantorelix_au::fill(const MNVGcall& call)
{
  // Coverage into the stencil: front faces count up, back faces down.
  renderEncoder->setCullMode(MTLCullModeNone);
  renderEncoder->setDepthStencilState(fillShapeStencilState);
  renderEncoder->setRenderPipelineState(stencilOnlyPipelineState);
  if (call.indexCount > 0)
    renderEncoder->drawIndexedPrimitives(MTLPrimitiveTypeTriangle, call.indexCount, MTLIndexTypeUInt32,
                                         buffers->indexBuffer, static_cast<NSUInteger>(call.indexOffset) * indexSize);
  renderEncoder->setCullMode(MTLCullModeBack);

  renderEncoder->setRenderPipelineState(pipelineState);
  setUniforms(call.uniformOffset, call.image);
  if ((flags & MNVG_ANTIALIAS) && call.strokeCount > 0)
  {
    // The fringe, only outside the filled area.
    renderEncoder->setDepthStencilState(fillAntiAliasStencilState);
    renderEncoder->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
  }
  // The covered area, clearing the stencil behind it.
  renderEncoder->setDepthStencilState(fillStencilState);
  renderEncoder->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.triangleOffset, call.triangleCount);
  renderEncoder->setDepthStencilState(defaultStencilState);
}

void MNVGcontext_vVantorelix_au::stroke(const MNVGcall& call)
{
  if (call.strokeCount < 1)
    return;
  if (!(flags & MNVG_STENCIL_STROKES))
  {
    setUniforms(call.uniformOffset, call.image);
    renderEncoder->setRenderPipelineState(pipelineState);
    renderEncoder->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
    return;
  }
  // Each pixel once: the stroke where the stencil is clear, then its fringes, then clear again.
  setUniforms(call.uniformOffset + fragSize, call.image);
  renderEncoder->setDepthStencilState(strokeShapeStencilState);
  renderEncoder->setRenderPipelineState(pipelineState);
  renderEncoder->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
  setUniforms(call.uniformOffset, call.image);
  renderEncoder->setDepthStencilState(strokeAntiAliasStencilState);
  renderEncoder->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
  renderEncoder->setDepthStencilState(strokeClearStencilState);
  renderEncoder->setRenderPipelineState(stencilOnlyPipelineState);
  renderEncoder->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
  renderEncoder->setDepthStencilState(defaultStencilState);
}

void MNVGcontext_vVantorelix_au::triangles(const MNVGcall& call)
{
  setUniforms(call.uniformOffset, call.image);
  renderEncoder->setRenderPipelineState(pipelineState);
  renderEncoder->drawPrimitives(MTLPrimitiveTypeTriangle, call.triangleOffset, call.triangleCount);
}

void MNVGcontext_vVantorelix_au::renderFlush()
{
  if (!buffers)
    return;
  if (viewPortSize[0] == 0 || viewPortSize[1] == 0)
  {
    renderCancel();
    return;
  }
  // The target: the bound framebuffer's image when it is this context's, else a drawable.
  std::shared_ptr<MTLTexture> target;
  std::shared_ptr<CAMetalDrawable> drawable;
  MNVGframebuffer* framebuffer = mvgBoundFramebuffer();
  int image = 0;
  if (framebuffer && framebuffer->ctx && framebuffer->ctx->params.userPtr == this)
  {
    image = framebuffer->image;
    const std::shared_ptr<MNVGtexture_vVantorelix_au> tex = image > 0 ? findTexture(image) : nullptr;
    target = tex ? tex->tex : nullptr;
  }
  else
  {
    drawable = metalLayer->nextDrawable();
    target = drawable ? drawable->texture() : nullptr;
  }
  if (!target)
  {
    // Nothing to render into: the frame goes as if cancelled.
    renderCancel();
    return;
  }

  std::shared_ptr<MNVGbuffers_vVantorelix_au> set = buffers;
  std::shared_ptr<MTLCommandBuffer> commandBuffer = commandQueue->commandBuffer();
  {
    std::lock_guard<std::mutex> lock(set->mutex);
    set->commandBuffer = commandBuffer;
    set->image = image;
  }
  commandBuffer->enqueue();
  dispatch_semaphore_t frameSemaphore = semaphore;
  // The handler shares the set, so that the set outlives the frame however the context goes.
  commandBuffer->addCompletedHandler([set, frameSemaphore](MTLCommandBuffer*) {
    set->reset();
    dispatch_semaphore_signal(frameSemaphore);
  });

  const NSUInteger width = framebuffer && image ? target->width() : viewPortSize[0];
  const NSUInteger height = framebuffer && image ? target->height() : viewPortSize[1];
  if (width > 0 && height > 0)
  {
    updateStencilTextureToSize(width, height);
    renderEncoder = renderCommandEncoderWithColorTexture(target);
    for (int i = 0; i < set->ncalls; i++)
    {
      const MNVGcall& call = set->calls[i];
      updateRenderPipelineStatesForBlend(call.blendFunc, target->pixelFormat());
      clipToScissor(call.uniformOffset);
      switch (call.type)
      {
        case MNVG_FILL: fill(call); break;
        case MNVG_CONVEXFILL: convexFill(call); break;
        case MNVG_STROKE: stroke(call); break;
        case MNVG_TRIANGLES: triangles(call); break;
        default: break;
      }
    }
    renderEncoder->endEncoding();
    renderEncoder.reset();
  }
  if (drawable && !metalLayer->presentsWithTransaction())
    commandBuffer->presentDrawable(drawable);
  if (image)
    commandBuffer->blitCommandEncoder()->synchronizeResource(target);
  buffers.reset();
  commandBuffer->commit();
  lastFrame = commandBuffer;
  if (drawable && metalLayer->presentsWithTransaction())
  {
    commandBuffer->waitUntilScheduled();
    drawable->present();
  }
}
