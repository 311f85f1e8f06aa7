// The GPU back end's context: device objects, pipeline and depth-stencil states, the texture
// table, and the entry points.
#include "renderer/metal/MNVGcontext.h"
#include "renderer/metal/MetalShaders.h"
#include "renderer/vector/VectorState.h"

#include <cstdio>

namespace {
// The process-wide framebuffer that flushed frames render into; null for the layer's drawable.
MNVGframebuffer* sBoundFramebuffer = nullptr;

MNVGcontext_vVantorelix_au* self(void* uptr)
{
  return static_cast<MNVGcontext_vVantorelix_au*>(uptr);
}

// The vector context keeps the back end as its user pointer.
MNVGcontext_vVantorelix_au* backendOf(NVGcontext* ctx)
{
  return self(ctx->params.userPtr);
}

std::shared_ptr<MTLDepthStencilState> stencilState(MTLDevice& device, const MTLStencilDescriptor* front,
                                                   const MTLStencilDescriptor* back)
{
  MTLDepthStencilDescriptor d;
  d.depthCompareFunction = MTLCompareFunctionAlways;
  if (front)
    d.frontFaceStencil = std::make_shared<MTLStencilDescriptor>(*front);
  if (back)
    d.backFaceStencil = std::make_shared<MTLStencilDescriptor>(*back);
  return device.newDepthStencilStateWithDescriptor(d);
}

MTLStencilDescriptor stencil(MTLCompareFunction compare, MTLStencilOperation fail, MTLStencilOperation depthFail,
                             MTLStencilOperation pass)
{
  MTLStencilDescriptor s;
  s.stencilCompareFunction = compare;
  s.stencilFailureOperation = fail;
  s.depthFailureOperation = depthFail;
  s.depthStencilPassOperation = pass;
  return s;
}

// The callback table of the vector context.
int cbCreate(void* uptr)
{
  return self(uptr)->renderCreate();
}
int cbCreateTexture(void* uptr, int type, int w, int h, int imageFlags, const unsigned char* data)
{
  return self(uptr)->renderCreateTexture(type, w, h, imageFlags, data);
}
int cbDeleteTexture(void* uptr, int image)
{
  return self(uptr)->renderDeleteTexture(image);
}
int cbUpdateTexture(void* uptr, int image, int x, int y, int w, int h, const unsigned char* data)
{
  return self(uptr)->renderUpdateTexture(image, x, y, w, h, data);
}
int cbGetTextureSize(void* uptr, int image, int* w, int* h)
{
  return self(uptr)->renderGetTextureSize(image, w, h);
}
void cbViewport(void* uptr, float width, float height, float ratio)
{
  self(uptr)->renderViewport(width, height, ratio);
}
void cbCancel(void* uptr)
{
  self(uptr)->renderCancel();
}
void cbFlush(void* uptr)
{
  self(uptr)->renderFlush();
}
void cbFill(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
            const float* bounds, const NVGpath* paths, int npaths)
{
  self(uptr)->renderFill(paint, op, scissor, fringe, bounds, paths, npaths);
}
void cbStroke(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
              float strokeWidth, const NVGpath* paths, int npaths)
{
  self(uptr)->renderStroke(paint, op, scissor, fringe, strokeWidth, paths, npaths);
}
void cbTriangles(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                 const NVGvertex* verts, int nverts, float fringe)
{
  self(uptr)->renderTriangles(paint, op, scissor, verts, nverts, fringe);
}
void cbDelete(void* uptr)
{
  self(uptr)->renderDelete();
  delete self(uptr);
}
}  // namespace

MNVGcontext_vVantorelix_au::MNVGcontext_vVantorelix_au(CAMetalLayer* layer, int flags) : flags(flags), metalLayer(layer)
{
}

MNVGcontext_vVantorelix_au::~MNVGcontext_vVantorelix_au()
{
  if (semaphore)
    dispatch_release(semaphore);
}

void MNVGcontext_vVantorelix_au::checkError(const NSError* error, const char* message) const
{
  if (error && (flags & MNVG_DEBUG))
    std::printf("Error occurs after %s: %s\n", message, error->localizedDescription.c_str());
}

int MNVGcontext_vVantorelix_au::renderCreate()
{
  if (!metalLayer)
    return 0;
  std::shared_ptr<MTLDevice> device = metalLayer->device();
  if (!device)
  {
    device = MTLCreateSystemDefaultDevice();
    if (!device)
      return 0;  // a system without a GPU: no context
    metalLayer->setDevice(device);
  }
  metalLayer->setOpaque(false);

  NSError* error = nullptr;
  std::shared_ptr<MTLLibrary> library = device->newLibraryWithData(mnvgShaderLibrary(), mnvgShaderLibrarySize(),
                                                                   &error);
  checkError(error, "init library");
  if (!library)
    return 0;
  vertexFunction = library->newFunctionWithName("vertexShader");
  fragmentFunction = library->newFunctionWithName((flags & MNVG_ANTIALIAS) ? "fragmentShaderAA" : "fragmentShader");
  commandQueue = device->newCommandQueue();

  maxBuffers = (flags & MNVG_TRIPLE_BUFFER) ? 3 : ((flags & MNVG_DOUBLE_BUFFER) ? 2 : 1);
  for (int i = 0; i < maxBuffers; i++)
    cbuffers.push_back(std::make_shared<MNVGbuffers_vVantorelix_au>());
  clearBufferOnFlush = false;
  semaphore = dispatch_semaphore_create(maxBuffers);

  vertexDescriptor = std::make_shared<MTLVertexDescriptor>();
  vertexDescriptor->attributes[0] = {MTLVertexFormatFloat2, offsetof(NVGvertex, x), 0};
  vertexDescriptor->attributes[1] = {MTLVertexFormatFloat2, offsetof(NVGvertex, u), 0};
  vertexDescriptor->layouts[0] = {sizeof(NVGvertex), MTLVertexStepFunctionPerVertex};

  textureId = 0;
  textures.clear();
  pseudoSampler = device->newSamplerStateWithDescriptor(MTLSamplerDescriptor{});
  blendFunc = kMNVGdefaultBlend;

  const MTLStencilDescriptor fillFront = stencil(MTLCompareFunctionAlways, MTLStencilOperationKeep,
                                                 MTLStencilOperationKeep, MTLStencilOperationIncrementWrap);
  const MTLStencilDescriptor fillBack = stencil(MTLCompareFunctionAlways, MTLStencilOperationKeep,
                                                MTLStencilOperationKeep, MTLStencilOperationDecrementWrap);
  const MTLStencilDescriptor fillAA = stencil(MTLCompareFunctionEqual, MTLStencilOperationKeep, MTLStencilOperationKeep,
                                              MTLStencilOperationZero);
  const MTLStencilDescriptor fillRest = stencil(MTLCompareFunctionNotEqual, MTLStencilOperationZero,
                                                MTLStencilOperationZero, MTLStencilOperationZero);
  const MTLStencilDescriptor strokeShape = stencil(MTLCompareFunctionEqual, MTLStencilOperationKeep,
                                                   MTLStencilOperationKeep, MTLStencilOperationIncrementClamp);
  const MTLStencilDescriptor strokeAA = stencil(MTLCompareFunctionEqual, MTLStencilOperationKeep,
                                                MTLStencilOperationKeep, MTLStencilOperationKeep);
  const MTLStencilDescriptor strokeClear = stencil(MTLCompareFunctionAlways, MTLStencilOperationZero,
                                                   MTLStencilOperationZero, MTLStencilOperationZero);
  defaultStencilState = stencilState(*device, nullptr, nullptr);
  fillShapeStencilState = stencilState(*device, &fillFront, &fillBack);
  fillAntiAliasStencilState = stencilState(*device, &fillAA, nullptr);
  fillStencilState = stencilState(*device, &fillRest, nullptr);
  strokeShapeStencilState = stencilState(*device, &strokeShape, nullptr);
  strokeAntiAliasStencilState = stencilState(*device, &strokeAA, nullptr);
  strokeClearStencilState = stencilState(*device, &strokeClear, nullptr);
  return 1;
}

void MNVGcontext_vVantorelix_au::updateRenderPipelineStatesForBlend(const MNVGblend& blend, MTLPixelFormat pixelFormat)
{
  if (pipelineState && stencilOnlyPipelineState && piplelinePixelFormat == pixelFormat && blendFunc == blend)
    return;
  const std::shared_ptr<MTLDevice> device = metalLayer->device();
  MTLRenderPipelineDescriptor d;
  MTLRenderPipelineColorAttachmentDescriptor& colour = d.colorAttachments[0];
  colour.pixelFormat = pixelFormat;
  d.stencilAttachmentPixelFormat = MTLPixelFormatStencil8;
  d.fragmentFunction = fragmentFunction;
  d.vertexFunction = vertexFunction;
  d.vertexDescriptor = vertexDescriptor;
  colour.blendingEnabled = true;
  colour.sourceRGBBlendFactor = blend.srcRGB;
  colour.sourceAlphaBlendFactor = blend.srcAlpha;
  colour.destinationRGBBlendFactor = blend.dstRGB;
  colour.destinationAlphaBlendFactor = blend.dstAlpha;
  blendFunc = blend;

  NSError* error = nullptr;
  pipelineState = device->newRenderPipelineStateWithDescriptor(d, &error);
  checkError(error, "init pipeline state");

  d.fragmentFunction = nullptr;
  colour.writeMask = MTLColorWriteMaskNone;
  stencilOnlyPipelineState = device->newRenderPipelineStateWithDescriptor(d, &error);
  checkError(error, "init pipeline stencil only state");
  piplelinePixelFormat = pixelFormat;
}

MNVGblend MNVGcontext_vVantorelix_au::blendCompositeOperation(NVGcompositeOperationState op)
{
  auto factor = [](int bit, bool* ok) {
    switch (bit)
    {
      case NVG_ZERO: return MTLBlendFactorZero;
      case NVG_ONE: return MTLBlendFactorOne;
      case NVG_SRC_COLOR: return MTLBlendFactorSourceColor;
      case NVG_ONE_MINUS_SRC_COLOR: return MTLBlendFactorOneMinusSourceColor;
      case NVG_DST_COLOR: return MTLBlendFactorDestinationColor;
      case NVG_ONE_MINUS_DST_COLOR: return MTLBlendFactorOneMinusDestinationColor;
      case NVG_SRC_ALPHA: return MTLBlendFactorSourceAlpha;
      case NVG_ONE_MINUS_SRC_ALPHA: return MTLBlendFactorOneMinusSourceAlpha;
      case NVG_DST_ALPHA: return MTLBlendFactorDestinationAlpha;
      case NVG_ONE_MINUS_DST_ALPHA: return MTLBlendFactorOneMinusDestinationAlpha;
      case NVG_SRC_ALPHA_SATURATE: return MTLBlendFactorSourceAlphaSaturated;
      default: *ok = false; return MTLBlendFactorZero;
    }
  };
  bool ok = true;
  const MNVGblend blend = {factor(op.srcRGB, &ok), factor(op.dstRGB, &ok), factor(op.srcAlpha, &ok),
                           factor(op.dstAlpha, &ok)};
  return ok ? blend : kMNVGdefaultBlend;
}

std::shared_ptr<MNVGtexture_vVantorelix_au> MNVGcontext_vVantorelix_au::allocTexture()
{
  std::shared_ptr<MNVGtexture_vVantorelix_au> tex;
  for (const auto& t : textures)
    if (t->id == 0)
    {
      tex = t;
      break;
    }
  if (!tex)
  {
    tex = std::make_shared<MNVGtexture_vVantorelix_au>();
    textures.push_back(tex);
  }
  tex->id = ++textureId;
  return tex;
}

std::shared_ptr<MNVGtexture_vVantorelix_au> MNVGcontext_vVantorelix_au::findTexture(int image) const
{
  for (const auto& t : textures)
    if (t->id == image)
      return t;
  return nullptr;
}

int MNVGcontext_vVantorelix_au::renderCreateTexture(int type, int width, int height, int imageFlags,
                                                    const unsigned char* data)
{
  if (width <= 0 || height <= 0)
    return 0;
  const std::shared_ptr<MTLDevice> device = metalLayer->device();
  MTLTextureDescriptor d = MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(
    type == NVG_TEXTURE_ALPHA ? MTLPixelFormatR8Unorm : MTLPixelFormatRGBA8Unorm, width, height,
    (imageFlags & NVG_IMAGE_GENERATE_MIPMAPS) != 0);
  d.usage = MTLTextureUsageShaderRead | MTLTextureUsageShaderWrite | MTLTextureUsageRenderTarget;
  std::shared_ptr<MTLTexture> texture = device->newTextureWithDescriptor(d);
  if (!texture)
    return 0;
  if (data)
  {
    const NSUInteger bytesPerRow = static_cast<NSUInteger>(width) * (type == NVG_TEXTURE_RGBA ? 4 : 1);
    if (d.storageMode == MTLStorageModePrivate)
    {
      std::shared_ptr<MTLBuffer> staging = device->newBufferWithLength(bytesPerRow * height,
                                                                       MTLResourceStorageModeShared);
      std::memcpy(staging->contents(), data, bytesPerRow * height);
      std::shared_ptr<MTLCommandBuffer> cb = commandQueue->commandBuffer();
      std::shared_ptr<MTLBlitCommandEncoder> blit = cb->blitCommandEncoder();
      blit->copyFromBuffer(staging, 0, bytesPerRow, bytesPerRow * height,
                           MTLSize{static_cast<NSUInteger>(width), static_cast<NSUInteger>(height), 1}, texture, 0, 0,
                           MTLOrigin{0, 0, 0});
      blit->endEncoding();
      cb->commit();
      cb->waitUntilCompleted();
    }
    else
    {
      texture->replaceRegion(MTLRegionMake2D(0, 0, width, height), 0, data, bytesPerRow);
    }
    if (imageFlags & NVG_IMAGE_GENERATE_MIPMAPS)
    {
      std::shared_ptr<MTLCommandBuffer> cb = commandQueue->commandBuffer();
      std::shared_ptr<MTLBlitCommandEncoder> blit = cb->blitCommandEncoder();
      blit->generateMipmapsForTexture(texture);
      blit->endEncoding();
      cb->commit();
      cb->waitUntilCompleted();
    }
  }
  MTLSamplerDescriptor s;
  const bool nearest = (imageFlags & NVG_IMAGE_NEAREST) != 0;
  s.minFilter = s.magFilter = nearest ? MTLSamplerMinMagFilterNearest : MTLSamplerMinMagFilterLinear;
  if (imageFlags & NVG_IMAGE_GENERATE_MIPMAPS)
    s.mipFilter = nearest ? MTLSamplerMipFilterNearest : MTLSamplerMipFilterLinear;
  s.sAddressMode = (imageFlags & NVG_IMAGE_REPEATX) ? MTLSamplerAddressModeRepeat : MTLSamplerAddressModeClampToEdge;
  s.tAddressMode = (imageFlags & NVG_IMAGE_REPEATY) ? MTLSamplerAddressModeRepeat : MTLSamplerAddressModeClampToEdge;

  std::shared_ptr<MNVGtexture_vVantorelix_au> entry = allocTexture();
  entry->type = type;
  entry->flags = imageFlags;
  entry->tex = std::move(texture);
  entry->sampler = device->newSamplerStateWithDescriptor(s);
  return entry->id;
}

int MNVGcontext_vVantorelix_au::renderDeleteTexture(int image)
{
  const std::shared_ptr<MNVGtexture_vVantorelix_au> tex = image > 0 ? findTexture(image) : nullptr;
  if (!tex)
    return 0;
  if (tex->tex && !(tex->flags & NVG_IMAGE_NODELETE))
  {
    tex->tex.reset();
    tex->sampler.reset();
  }
  tex->id = 0;
  tex->flags = 0;
  return 1;
}

int MNVGcontext_vVantorelix_au::renderUpdateTexture(int image, int x, int y, int width, int height,
                                                    const unsigned char* data)
{
  const std::shared_ptr<MNVGtexture_vVantorelix_au> tex = image > 0 ? findTexture(image) : nullptr;
  if (!tex || !tex->tex)
    return 0;
  const long long tw = static_cast<long long>(tex->tex->width());
  const long long th = static_cast<long long>(tex->tex->height());
  // The region must lie inside the texture: the bytes come from a whole-image buffer.
  if (x < 0 || y < 0 || width < 0 || height < 0 || x + static_cast<long long>(width) > tw ||
      y + static_cast<long long>(height) > th)
    return 0;
  const NSUInteger bytesPerRow = static_cast<NSUInteger>(tw) * (tex->type == NVG_TEXTURE_RGBA ? 4 : 1);
  const unsigned char* start = data + y * bytesPerRow + static_cast<NSUInteger>(x) * tex->tex->bytesPerPixel();
  tex->tex->replaceRegion(MTLRegionMake2D(x, y, width, height), 0, start, bytesPerRow);
  return 1;
}

int MNVGcontext_vVantorelix_au::renderGetTextureSize(int image, int* width, int* height)
{
  const std::shared_ptr<MNVGtexture_vVantorelix_au> tex = image > 0 ? findTexture(image) : nullptr;
  if (!tex || !tex->tex)
    return 0;
  *width = static_cast<int>(tex->tex->width());
  *height = static_cast<int>(tex->tex->height());
  return 1;
}

void MNVGcontext_vVantorelix_au::waitForImage(int image)
{
  for (const auto& set : cbuffers)
    if (std::shared_ptr<MTLCommandBuffer> cb = set->inFlightFor(image))
    {
      cb->waitUntilCompleted();
      return;
    }
}

void MNVGcontext_vVantorelix_au::renderDelete()
{
  // Frames may still be in flight: their completion handlers must be done before the sets and the
  // semaphore go. The queue runs frames in the order they were committed, so the last one is done
  // when all are. (A set's own buffer would not do: its handler lets the set go before it signals
  // the semaphore, and a set seen free may still have its signal to give.)
  if (lastFrame)
    lastFrame->waitUntilCompleted();
  lastFrame.reset();
  cbuffers.clear();
  buffers.reset();
  textures.clear();
  commandQueue.reset();
  renderEncoder.reset();
  defaultStencilState.reset();
  fillShapeStencilState.reset();
  fillAntiAliasStencilState.reset();
  fillStencilState.reset();
  strokeShapeStencilState.reset();
  strokeAntiAliasStencilState.reset();
  strokeClearStencilState.reset();
  fragmentFunction.reset();
  vertexFunction.reset();
  pipelineState.reset();
  stencilOnlyPipelineState.reset();
  pseudoSampler.reset();
  pseudoTexture.reset();
  vertexDescriptor.reset();
  if (metalLayer)
    metalLayer->setDevice(nullptr);
  metalLayer = nullptr;
}

NVGcontext* mvgCreateContext(CAMetalLayer* layer, int flags)
{
  auto* mtl = new MNVGcontext_vVantorelix_au(layer, flags);
  NVGbackend params{};
  params.userPtr = mtl;
  params.edgeAntiAlias = (flags & MNVG_ANTIALIAS) ? 1 : 0;
  params.renderCreate = cbCreate;
  params.renderCreateTexture = cbCreateTexture;
  params.renderDeleteTexture = cbDeleteTexture;
  params.renderUpdateTexture = cbUpdateTexture;
  params.renderGetTextureSize = cbGetTextureSize;
  params.renderViewport = cbViewport;
  params.renderCancel = cbCancel;
  params.renderFlush = cbFlush;
  params.renderFill = cbFill;
  params.renderStroke = cbStroke;
  params.renderTriangles = cbTriangles;
  params.renderDelete = cbDelete;
  // On failure the context deletes the back end through renderDelete.
  return vgCreateContext(&params);
}

void mvgDeleteContext(NVGcontext* ctx)
{
  vgDeleteContext(ctx);
}

void mvgBindFramebuffer(MNVGframebuffer* framebuffer)
{
  sBoundFramebuffer = framebuffer;
}

MNVGframebuffer* mvgBoundFramebuffer()
{
  return sBoundFramebuffer;
}

MNVGframebuffer* mvgCreateFramebuffer(NVGcontext* ctx, int width, int height, int imageFlags)
{
  auto* fb = static_cast<MNVGframebuffer*>(std::calloc(1, sizeof(MNVGframebuffer)));
  if (!fb)
    return nullptr;
  fb->ctx = ctx;
  fb->image = ctx->params.renderCreateTexture(ctx->params.userPtr, NVG_TEXTURE_RGBA, width, height,
                                              imageFlags | NVG_IMAGE_PREMULTIPLIED, nullptr);
  fb->unused = 0;
  return fb;
}

void mvgDeleteFramebuffer(MNVGframebuffer* framebuffer)
{
  if (!framebuffer)
    return;
  if (framebuffer->image > 0)
    framebuffer->ctx->params.renderDeleteTexture(framebuffer->ctx->params.userPtr, framebuffer->image);
  // A framebuffer that is deleted while bound must not be rendered into.
  if (sBoundFramebuffer == framebuffer)
    sBoundFramebuffer = nullptr;
  std::free(framebuffer);
}

void mvgSetClearColor(NVGcontext* ctx, NVGcolor color)
{
  MNVGcontext_vVantorelix_au* mtl = backendOf(ctx);
  const double a = color.a;
  mtl->clearColor = MTLClearColorMake(color.r * a, color.g * a, color.b * a, a);
  mtl->clearBufferOnFlush = true;
}

std::shared_ptr<MTLCommandQueue> mvgGetCommandQueue(NVGcontext* ctx)
{
  return backendOf(ctx)->commandQueue;
}

std::shared_ptr<MTLDevice> mvgGetDevice(NVGcontext* ctx)
{
  MNVGcontext_vVantorelix_au* mtl = backendOf(ctx);
  return mtl->metalLayer ? mtl->metalLayer->device() : nullptr;
}

int mvgCreateImageFromTexture(NVGcontext* ctx, std::shared_ptr<MTLTexture> texture, int imageFlags)
{
  if (!texture)
    return 0;
  std::shared_ptr<MNVGtexture_vVantorelix_au> entry = backendOf(ctx)->allocTexture();
  entry->type = NVG_TEXTURE_RGBA;
  entry->tex = std::move(texture);
  entry->flags = imageFlags;
  return entry->id;
}

std::shared_ptr<MTLTexture> mvgGetImageTexture(NVGcontext* ctx, int image)
{
  MNVGcontext_vVantorelix_au* mtl = backendOf(ctx);
  const std::shared_ptr<MNVGtexture_vVantorelix_au> tex = image > 0 ? mtl->findTexture(image) : nullptr;
  if (!tex)
    return nullptr;
  mtl->waitForImage(image);
  return tex->tex;
}

void mvgCopyImagePixels(NVGcontext* ctx, int image, int x, int y, int width, int height, void* data)
{
  MNVGcontext_vVantorelix_au* mtl = backendOf(ctx);
  const std::shared_ptr<MNVGtexture_vVantorelix_au> tex = image > 0 ? mtl->findTexture(image) : nullptr;
  if (!tex || !tex->tex || x < 0 || y < 0 || width <= 0 || height <= 0)
    return;
  // Rows are packed at the region's width, so a buffer of width x height pixels is enough.
  const NSUInteger bytesPerRow = static_cast<NSUInteger>(width) * tex->tex->bytesPerPixel();
  mtl->waitForImage(image);
  tex->tex->getBytes(data, bytesPerRow, MTLRegionMake2D(x, y, width, height), 0);
}
