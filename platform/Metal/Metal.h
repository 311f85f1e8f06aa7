#pragma once
// A CPU imitation of the subset of Metal that the renderer's GPU back end calls: a device, a
// shader library made from a blob, buffers, textures, samplers, pipeline and depth-stencil states,
// command queues and buffers that run their passes when committed, render and blit encoders.
//
// Objects are shared: a std::shared_ptr plays the part of a retained reference. Shader functions
// are C++ functions that a library blob names and that their owner registers by name
// (MTLRegisterVertexFunction, MTLRegisterFragmentFunction), the way a compiled library carries
// its code. Passes run on the committing thread, or on the queue's worker thread once the device
// is switched to it (MTLDevice::setRunsOnWorkerThread).

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef uint64_t NSUInteger;

enum MTLPixelFormat : NSUInteger {
  MTLPixelFormatInvalid = 0,
  MTLPixelFormatR8Unorm = 10,
  MTLPixelFormatRGBA8Unorm = 70,
  MTLPixelFormatBGRA8Unorm = 80,
  MTLPixelFormatStencil8 = 253,
};

enum MTLBlendFactor : NSUInteger {
  MTLBlendFactorZero = 0,
  MTLBlendFactorOne = 1,
  MTLBlendFactorSourceColor = 2,
  MTLBlendFactorOneMinusSourceColor = 3,
  MTLBlendFactorSourceAlpha = 4,
  MTLBlendFactorOneMinusSourceAlpha = 5,
  MTLBlendFactorDestinationColor = 6,
  MTLBlendFactorOneMinusDestinationColor = 7,
  MTLBlendFactorDestinationAlpha = 8,
  MTLBlendFactorOneMinusDestinationAlpha = 9,
  MTLBlendFactorSourceAlphaSaturated = 10,
};

enum MTLColorWriteMask : NSUInteger {
  MTLColorWriteMaskNone = 0,
  MTLColorWriteMaskRed = 8,
  MTLColorWriteMaskGreen = 4,
  MTLColorWriteMaskBlue = 2,
  MTLColorWriteMaskAlpha = 1,
  MTLColorWriteMaskAll = 15,
};

enum MTLCompareFunction : NSUInteger {
  MTLCompareFunctionNever = 0,
  MTLCompareFunctionLess = 1,
  MTLCompareFunctionEqual = 2,
  MTLCompareFunctionLessEqual = 3,
  MTLCompareFunctionGreater = 4,
  MTLCompareFunctionNotEqual = 5,
  MTLCompareFunctionGreaterEqual = 6,
  MTLCompareFunctionAlways = 7,
};

enum MTLStencilOperation : NSUInteger {
  MTLStencilOperationKeep = 0,
  MTLStencilOperationZero = 1,
  MTLStencilOperationReplace = 2,
  MTLStencilOperationIncrementClamp = 3,
  MTLStencilOperationDecrementClamp = 4,
  MTLStencilOperationInvert = 5,
  MTLStencilOperationIncrementWrap = 6,
  MTLStencilOperationDecrementWrap = 7,
};

enum MTLCullMode : NSUInteger {
  MTLCullModeNone = 0,
  MTLCullModeFront = 1,
  MTLCullModeBack = 2,
};

enum MTLWinding : NSUInteger {
  MTLWindingClockwise = 0,
  MTLWindingCounterClockwise = 1,
};

enum MTLPrimitiveType : NSUInteger {
  MTLPrimitiveTypeTriangle = 3,
  MTLPrimitiveTypeTriangleStrip = 4,
};

enum MTLIndexType : NSUInteger {
  MTLIndexTypeUInt16 = 0,
  MTLIndexTypeUInt32 = 1,
};

enum MTLLoadAction : NSUInteger {
  MTLLoadActionDontCare = 0,
  MTLLoadActionLoad = 1,
  MTLLoadActionClear = 2,
};

enum MTLStoreAction : NSUInteger {
  MTLStoreActionDontCare = 0,
  MTLStoreActionStore = 1,
};

enum MTLSamplerMinMagFilter : NSUInteger {
  MTLSamplerMinMagFilterNearest = 0,
  MTLSamplerMinMagFilterLinear = 1,
};

enum MTLSamplerMipFilter : NSUInteger {
  MTLSamplerMipFilterNotMipmapped = 0,
  MTLSamplerMipFilterNearest = 1,
  MTLSamplerMipFilterLinear = 2,
};

enum MTLSamplerAddressMode : NSUInteger {
  MTLSamplerAddressModeClampToEdge = 0,
  MTLSamplerAddressModeRepeat = 2,
};

enum MTLStorageMode : NSUInteger {
  MTLStorageModeShared = 0,
  MTLStorageModeManaged = 1,
  MTLStorageModePrivate = 2,
};

enum MTLTextureUsage : NSUInteger {
  MTLTextureUsageShaderRead = 1,
  MTLTextureUsageShaderWrite = 2,
  MTLTextureUsageRenderTarget = 4,
};

enum MTLResourceOptions : NSUInteger {
  MTLResourceStorageModeShared = 0,
};

enum MTLVertexFormat : NSUInteger {
  MTLVertexFormatInvalid = 0,
  MTLVertexFormatFloat2 = 29,
  MTLVertexFormatFloat4 = 31,
};

enum MTLVertexStepFunction : NSUInteger {
  MTLVertexStepFunctionPerVertex = 1,
};

struct MTLOrigin
{
  NSUInteger x, y, z;
};

struct MTLSize
{
  NSUInteger width, height, depth;
};

struct MTLRegion
{
  MTLOrigin origin;
  MTLSize size;
};

inline MTLRegion MTLRegionMake2D(NSUInteger x, NSUInteger y, NSUInteger width, NSUInteger height)
{
  return {{x, y, 0}, {width, height, 1}};
}

struct MTLViewport
{
  double originX, originY, width, height, znear, zfar;
};

struct MTLScissorRect
{
  NSUInteger x, y, width, height;
};

struct MTLClearColor
{
  double red, green, blue, alpha;
};

inline MTLClearColor MTLClearColorMake(double r, double g, double b, double a)
{
  return {r, g, b, a};
}

// What a failed creation reports.
struct NSError
{
  std::string localizedDescription;
};

class MTLBuffer;
class MTLTexture;
class MTLSamplerState;
class MTLDevice;
class MTLCommandQueue;
class MTLCommandQueue;
class MTLCommandBuffer;

// ---- Shader functions ----------------------------------------------------------------------

constexpr int kMTLMaxBufferBindings = 8;
constexpr int kMTLMaxTextureBindings = 4;
constexpr int kMTLMaxVertexAttributes = 4;
constexpr int kMTLMaxVaryings = 4;

struct MTLBufferBinding
{
  const MTLBuffer* buffer = nullptr;
  NSUInteger offset = 0;
  const void* contents() const;  // null when nothing is bound
};

// What a shader sees of its stage's bindings.
struct MTLShaderResources
{
  MTLBufferBinding buffers[kMTLMaxBufferBindings];
  const MTLTexture* textures[kMTLMaxTextureBindings] = {};
  const MTLSamplerState* samplers[kMTLMaxTextureBindings] = {};
};

struct MTLVertexIn
{
  float attributes[kMTLMaxVertexAttributes][4];  // fetched through the vertex descriptor
};

struct MTLVertexOut
{
  float position[4];  // clip space
  float varyings[kMTLMaxVaryings];
};

struct MTLFragmentIn
{
  float position[4];  // window coordinates of the pixel centre
  float varyings[kMTLMaxVaryings];
  bool frontFacing;
};

using MTLVertexFunctionBody = void (*)(const MTLVertexIn& in, const MTLShaderResources& resources, MTLVertexOut* out);
// Returns false to discard the fragment; otherwise writes the colour, each channel 0..1.
using MTLFragmentFunctionBody = bool (*)(const MTLFragmentIn& in, const MTLShaderResources& resources, float colour[4]);

// Not Metal: a run of neighbouring fragments of one row, shaded at once. Fragment i lies i pixels
// right of the first (at first.position); its varyings are first.varyings + (start + i) * step.
// first.varyings are those of a pixel start pixels left of the first fragment, one that does not
// depend on where the run begins, so that a fragment's varyings come out the same whatever part
// of its row is drawn.
constexpr int kMTLMaxSpan = 256;

struct MTLFragmentSpan
{
  MTLFragmentIn first;
  float step[kMTLMaxVaryings];
  int start;  // 0..kMTLMaxSpan - count
  int count;  // 1..kMTLMaxSpan
};

// The colours of a span's fragments, each channel 0..1, in one of three forms: a colour for each
// fragment and whether it is kept; one colour for every fragment, all kept; or a row of RGBA8 or
// BGRA8 texels, one for each fragment, all kept, whose bytes / 255 are the colours (in RGBA order)
// - so that a texture drawn texel for texel needs no conversion on the way.
struct MTLFragmentColours
{
  enum Form {
    PerFragment,
    Uniform,
    Texels,
  } form = PerFragment;
  float colours[kMTLMaxSpan][4];  // Uniform: the colour is colours[0]
  bool kept[kMTLMaxSpan];
  const unsigned char* texels = nullptr;
  MTLPixelFormat texelFormat = MTLPixelFormatInvalid;

  // Puts the first count colours in the per-fragment form.
  void spread(int count);
};

// Gives the colours of the span's fragments.
using MTLFragmentSpanBody = void (*)(const MTLFragmentSpan& span, const MTLShaderResources& resources,
                                     MTLFragmentColours& out);

// Not Metal: a fragment function may come with a specialiser, which the rasteriser calls once per
// draw with the draw's bindings and which returns the body that shades that draw's spans, the way
// a GPU's driver builds a shader for the state it runs with. What that body gives must be what the
// function's own body gives for those bindings, fragment by fragment.
using MTLFragmentSpecialiser = MTLFragmentSpanBody (*)(const MTLShaderResources& resources);

void MTLRegisterVertexFunction(const char* name, MTLVertexFunctionBody body);
void MTLRegisterFragmentFunction(const char* name, MTLFragmentFunctionBody body,
                                 MTLFragmentSpecialiser specialiser = nullptr);

// Samples a texture at normalised coordinates, as a fragment shader's sample() does: R8 gives
// (r, 0, 0, 1); BGRA8 comes back in RGBA order.
void MTLSampleTexture(const MTLTexture& texture, const MTLSamplerState& sampler, float u, float v, float out[4]);

// Samples the count points (u, v) + (from + i) (du, dv) into out[i]. Where the points fall on
// texel centres one texel apart along a row, the texels are read as they are.
void MTLSampleTextureRow(const MTLTexture& texture, const MTLSamplerState& sampler, float u, float v, float du,
                         float dv, int from, int count, float (*out)[4]);

// The first of count texels of one row that count points from (u, v) on in steps of (du, dv) fall
// on the centres of, one texel apart (to within what a GPU's filter weights tell apart), with any
// filter and addressing: the samples are those texels. Null when they do not.
const unsigned char* MTLTexelsAtCentres(const MTLTexture& texture, float u, float v, float du, float dv, int count);

class MTLFunction
{
public:
  std::string name;
  MTLVertexFunctionBody vertex = nullptr;
  MTLFragmentFunctionBody fragment = nullptr;
  MTLFragmentSpecialiser specialiser = nullptr;
};

// A library blob begins with the four bytes "MTLB", then the names of its functions, each
// ended by a NUL byte.
class MTLLibrary
{
public:
  std::shared_ptr<MTLFunction> newFunctionWithName(const std::string& name) const;
  std::vector<std::string> functionNames;
};

// ---- Resources --------------------------------------------------------------------------------

class MTLBuffer
{
public:
  explicit MTLBuffer(NSUInteger length);
  void* contents() { return mBytes.data(); }
  const void* contents() const { return mBytes.data(); }
  NSUInteger length() const { return mBytes.size(); }

private:
  std::vector<unsigned char> mBytes;
};

// Inline: shaders ask for their buffers at every vertex and fragment.
inline const void* MTLBufferBinding::contents() const
{
  return buffer ? static_cast<const unsigned char*>(buffer->contents()) + offset : nullptr;
}

class MTLTextureDescriptor
{
public:
  static MTLTextureDescriptor texture2DDescriptorWithPixelFormat(MTLPixelFormat format, NSUInteger width,
                                                                 NSUInteger height, bool mipmapped);
  MTLPixelFormat pixelFormat = MTLPixelFormatRGBA8Unorm;
  NSUInteger width = 1;
  NSUInteger height = 1;
  NSUInteger mipmapLevelCount = 1;
  NSUInteger usage = MTLTextureUsageShaderRead;
  MTLStorageMode storageMode = MTLStorageModeShared;
};

// Texels of mip level 0, rows packed. Sampling reads level 0 only; mip levels are counted but not
// kept, since the back end's images are drawn near their own size.
class MTLTexture
{
public:
  explicit MTLTexture(const MTLTextureDescriptor& descriptor);
  NSUInteger width() const { return mWidth; }
  NSUInteger height() const { return mHeight; }
  MTLPixelFormat pixelFormat() const { return mFormat; }
  NSUInteger mipmapLevelCount() const { return mMipmapLevels; }
  MTLStorageMode storageMode() const { return mStorageMode; }
  NSUInteger bytesPerPixel() const { return mBytesPerPixel; }

  // Regions outside the texture are clipped; rows of the caller's bytes are bytesPerRow apart.
  void replaceRegion(MTLRegion region, NSUInteger level, const void* bytes, NSUInteger bytesPerRow);
  void getBytes(void* bytes, NSUInteger bytesPerRow, MTLRegion region, NSUInteger level) const;

  unsigned char* texel(NSUInteger x, NSUInteger y) { return &mTexels[(y * mWidth + x) * bytesPerPixel()]; }
  const unsigned char* texel(NSUInteger x, NSUInteger y) const { return &mTexels[(y * mWidth + x) * bytesPerPixel()]; }

private:
  MTLPixelFormat mFormat;
  NSUInteger mWidth, mHeight, mMipmapLevels;
  MTLStorageMode mStorageMode;
  NSUInteger mBytesPerPixel;
  std::vector<unsigned char> mTexels;
};

class MTLSamplerDescriptor
{
public:
  MTLSamplerMinMagFilter minFilter = MTLSamplerMinMagFilterNearest;
  MTLSamplerMinMagFilter magFilter = MTLSamplerMinMagFilterNearest;
  MTLSamplerMipFilter mipFilter = MTLSamplerMipFilterNotMipmapped;
  MTLSamplerAddressMode sAddressMode = MTLSamplerAddressModeClampToEdge;
  MTLSamplerAddressMode tAddressMode = MTLSamplerAddressModeClampToEdge;
};

class MTLSamplerState
{
public:
  explicit MTLSamplerState(const MTLSamplerDescriptor& d) : descriptor(d) {}
  const MTLSamplerDescriptor descriptor;
};

// ---- Pipeline and depth-stencil states ------------------------------------------------------------

class MTLStencilDescriptor
{
public:
  MTLCompareFunction stencilCompareFunction = MTLCompareFunctionAlways;
  MTLStencilOperation stencilFailureOperation = MTLStencilOperationKeep;
  MTLStencilOperation depthFailureOperation = MTLStencilOperationKeep;
  MTLStencilOperation depthStencilPassOperation = MTLStencilOperationKeep;
  uint32_t readMask = 0xFF;
  uint32_t writeMask = 0xFF;
};

class MTLDepthStencilDescriptor
{
public:
  MTLCompareFunction depthCompareFunction = MTLCompareFunctionAlways;
  bool depthWriteEnabled = false;
  // Null: no stencil test on that face.
  std::shared_ptr<MTLStencilDescriptor> frontFaceStencil;
  std::shared_ptr<MTLStencilDescriptor> backFaceStencil;
};

class MTLDepthStencilState
{
public:
  explicit MTLDepthStencilState(const MTLDepthStencilDescriptor& d);
  MTLStencilDescriptor front, back;
};

struct MTLVertexAttributeDescriptor
{
  MTLVertexFormat format = MTLVertexFormatInvalid;
  NSUInteger offset = 0;
  NSUInteger bufferIndex = 0;
};

struct MTLVertexBufferLayoutDescriptor
{
  NSUInteger stride = 0;
  MTLVertexStepFunction stepFunction = MTLVertexStepFunctionPerVertex;
};

class MTLVertexDescriptor
{
public:
  MTLVertexAttributeDescriptor attributes[kMTLMaxVertexAttributes];
  MTLVertexBufferLayoutDescriptor layouts[kMTLMaxBufferBindings];
};

struct MTLRenderPipelineColorAttachmentDescriptor
{
  MTLPixelFormat pixelFormat = MTLPixelFormatInvalid;
  bool blendingEnabled = false;
  MTLBlendFactor sourceRGBBlendFactor = MTLBlendFactorOne;
  MTLBlendFactor sourceAlphaBlendFactor = MTLBlendFactorOne;
  MTLBlendFactor destinationRGBBlendFactor = MTLBlendFactorZero;
  MTLBlendFactor destinationAlphaBlendFactor = MTLBlendFactorZero;
  NSUInteger writeMask = MTLColorWriteMaskAll;
};

class MTLRenderPipelineDescriptor
{
public:
  std::shared_ptr<MTLFunction> vertexFunction;
  std::shared_ptr<MTLFunction> fragmentFunction;
  std::shared_ptr<MTLVertexDescriptor> vertexDescriptor;
  MTLRenderPipelineColorAttachmentDescriptor colorAttachments[1];
  MTLPixelFormat stencilAttachmentPixelFormat = MTLPixelFormatInvalid;
};

class MTLRenderPipelineState
{
public:
  explicit MTLRenderPipelineState(const MTLRenderPipelineDescriptor& d) : descriptor(d) {}
  const MTLRenderPipelineDescriptor descriptor;
};

// ---- Device ---------------------------------------------------------------------------------------

class MTLDevice : public std::enable_shared_from_this<MTLDevice>
{
public:
  // Null, with the error, for a blob that is not a library.
  std::shared_ptr<MTLLibrary> newLibraryWithData(const void* bytes, size_t size, NSError** error);
  std::shared_ptr<MTLCommandQueue> newCommandQueue();
  std::shared_ptr<MTLSamplerState> newSamplerStateWithDescriptor(const MTLSamplerDescriptor& d);
  std::shared_ptr<MTLDepthStencilState> newDepthStencilStateWithDescriptor(const MTLDepthStencilDescriptor& d);
  // Null, with the error, without a vertex function or with a colour format it cannot render to.
  std::shared_ptr<MTLRenderPipelineState> newRenderPipelineStateWithDescriptor(const MTLRenderPipelineDescriptor& d,
                                                                               NSError** error);
  // Null for an empty size.
  std::shared_ptr<MTLTexture> newTextureWithDescriptor(const MTLTextureDescriptor& d);
  std::shared_ptr<MTLBuffer> newBufferWithLength(NSUInteger length, NSUInteger options);

  // Not Metal: how committed command buffers run. Off (the default): at once, on the thread that
  // commits. On: in order on each queue's worker thread, so that frames can be in flight.
  void setRunsOnWorkerThread(bool on) { mWorkerThread = on; }
  bool runsOnWorkerThread() const { return mWorkerThread; }

private:
  bool mWorkerThread = false;
};

// Null while the system is made to have no GPU (see platform::SetSystemHasGPU).
std::shared_ptr<MTLDevice> MTLCreateSystemDefaultDevice();

namespace platform {
// Not Metal: plays a system without a Metal device (on by default).
void SetSystemHasGPU(bool on);
}  // namespace platform

// ---- Command buffers and encoders --------------------------------------------------------------

struct MTLRenderPassColorAttachmentDescriptor
{
  std::shared_ptr<MTLTexture> texture;
  MTLLoadAction loadAction = MTLLoadActionDontCare;
  MTLStoreAction storeAction = MTLStoreActionDontCare;
  MTLClearColor clearColor = {0, 0, 0, 1};
};

struct MTLRenderPassStencilAttachmentDescriptor
{
  std::shared_ptr<MTLTexture> texture;
  MTLLoadAction loadAction = MTLLoadActionDontCare;
  MTLStoreAction storeAction = MTLStoreActionDontCare;
  uint32_t clearStencil = 0;
};

class MTLRenderPassDescriptor
{
public:
  static MTLRenderPassDescriptor renderPassDescriptor() { return {}; }
  MTLRenderPassColorAttachmentDescriptor colorAttachments[1];
  MTLRenderPassStencilAttachmentDescriptor stencilAttachment;
};

struct MTLRenderCommand;

// Records a render pass; it runs when its command buffer is committed.
class MTLRenderCommandEncoder
{
public:
  explicit MTLRenderCommandEncoder(const MTLRenderPassDescriptor& pass);
  ~MTLRenderCommandEncoder();
  void setRenderPipelineState(std::shared_ptr<MTLRenderPipelineState> state);
  void setDepthStencilState(std::shared_ptr<MTLDepthStencilState> state);
  void setCullMode(MTLCullMode mode);
  void setFrontFacingWinding(MTLWinding winding);
  void setStencilReferenceValue(uint32_t value);
  void setViewport(MTLViewport viewport);
  // Only pixels inside the rectangle are drawn; without one, the whole target.
  void setScissorRect(MTLScissorRect rect);
  void setVertexBuffer(std::shared_ptr<MTLBuffer> buffer, NSUInteger offset, NSUInteger index);
  void setFragmentBuffer(std::shared_ptr<MTLBuffer> buffer, NSUInteger offset, NSUInteger index);
  void setFragmentBufferOffset(NSUInteger offset, NSUInteger index);
  void setFragmentTexture(std::shared_ptr<MTLTexture> texture, NSUInteger index);
  void setFragmentSamplerState(std::shared_ptr<MTLSamplerState> sampler, NSUInteger index);
  void drawPrimitives(MTLPrimitiveType type, NSUInteger vertexStart, NSUInteger vertexCount);
  void drawIndexedPrimitives(MTLPrimitiveType type, NSUInteger indexCount, MTLIndexType indexType,
                             std::shared_ptr<MTLBuffer> indexBuffer, NSUInteger indexBufferOffset);
  void endEncoding() {}

  // Runs the recorded pass (called by the command buffer).
  void execute() const;

private:
  MTLRenderCommand& add(int kind);

  MTLRenderPassDescriptor mPass;
  std::vector<MTLRenderCommand> mCommands;
  std::vector<MTLViewport> mViewports;        // set by the Viewport commands, which hold their number
  std::vector<MTLScissorRect> mScissorRects;  // the same for the ScissorRect commands
};

class MTLBlitCommandEncoder
{
public:
  void copyFromBuffer(std::shared_ptr<MTLBuffer> source, NSUInteger sourceOffset, NSUInteger sourceBytesPerRow,
                      NSUInteger sourceBytesPerImage, MTLSize sourceSize, std::shared_ptr<MTLTexture> destination,
                      NSUInteger destinationSlice, NSUInteger destinationLevel, MTLOrigin destinationOrigin);
  void generateMipmapsForTexture(std::shared_ptr<MTLTexture> texture);
  void synchronizeResource(std::shared_ptr<MTLTexture> texture);
  void endEncoding() {}

  void execute() const;

private:
  std::vector<std::function<void()>> mCommands;
};

class CAMetalDrawable;

class MTLCommandBuffer : public std::enable_shared_from_this<MTLCommandBuffer>
{
public:
  explicit MTLCommandBuffer(std::shared_ptr<MTLCommandQueue> queue);
  std::shared_ptr<MTLRenderCommandEncoder> renderCommandEncoderWithDescriptor(const MTLRenderPassDescriptor& pass);
  std::shared_ptr<MTLBlitCommandEncoder> blitCommandEncoder();
  void addCompletedHandler(std::function<void(MTLCommandBuffer*)> handler);
  void presentDrawable(std::shared_ptr<CAMetalDrawable> drawable);
  void enqueue() {}
  void commit();
  void waitUntilScheduled();
  void waitUntilCompleted();

  // Runs every encoder in order, then presents and calls the completion handlers.
  void run();

private:
  // Not owned: the queue's worker holds command buffers, and must never hold the last reference
  // to its own queue. A buffer committed after its queue has gone runs at once.
  std::weak_ptr<MTLCommandQueue> mQueue;
  std::vector<std::function<void()>> mPasses;
  std::vector<std::function<void(MTLCommandBuffer*)>> mCompletedHandlers;
  std::vector<std::shared_ptr<CAMetalDrawable>> mDrawables;
  mutable std::mutex mMutex;
  std::condition_variable mChanged;
  bool mCommitted = false;
  bool mCompleted = false;
};

class MTLCommandQueue : public std::enable_shared_from_this<MTLCommandQueue>
{
public:
  explicit MTLCommandQueue(std::shared_ptr<MTLDevice> device) : mDevice(std::move(device)) {}
  ~MTLCommandQueue();
  std::shared_ptr<MTLCommandBuffer> commandBuffer();
  std::shared_ptr<MTLDevice> device() const { return mDevice; }

  // Not Metal: while held, committed command buffers wait on the worker thread, as frames pile up
  // behind a busy GPU.
  void holdExecution();
  void releaseExecution();

  void submit(std::shared_ptr<MTLCommandBuffer> buffer);

private:
  void workerLoop();

  std::shared_ptr<MTLDevice> mDevice;
  std::mutex mMutex;
  std::condition_variable mWake;
  std::deque<std::shared_ptr<MTLCommandBuffer>> mPending;
  std::thread mWorker;
  bool mHeld = false;
  bool mStopping = false;
};
