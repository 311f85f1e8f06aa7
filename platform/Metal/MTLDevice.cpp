// Device, library and shader functions, resources, states and the layer.
#include "platform/Metal/CAMetalLayer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>

namespace {
struct FunctionRegistry
{
  std::mutex mutex;
  std::map<std::string, MTLFunction> functions;
};

FunctionRegistry& registry()
{
  static FunctionRegistry r;
  return r;
}

void registerFunction(const char* name, MTLVertexFunctionBody vertex, MTLFragmentFunctionBody fragment,
                      MTLFragmentSpecialiser specialiser)
{
  FunctionRegistry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.functions[name] = MTLFunction{name, vertex, fragment, specialiser};
}

bool renderable(MTLPixelFormat format)
{
  return format == MTLPixelFormatR8Unorm || format == MTLPixelFormatRGBA8Unorm || format == MTLPixelFormatBGRA8Unorm;
}
}  // namespace

void MTLRegisterVertexFunction(const char* name, MTLVertexFunctionBody body)
{
  registerFunction(name, body, nullptr, nullptr);
}

void MTLRegisterFragmentFunction(const char* name, MTLFragmentFunctionBody body, MTLFragmentSpecialiser specialiser)
{
  registerFunction(name, nullptr, body, specialiser);
}

std::shared_ptr<MTLFunction> MTLLibrary::newFunctionWithName(const std::string& name) const
{
  if (std::find(functionNames.begin(), functionNames.end(), name) == functionNames.end())
    return nullptr;
  FunctionRegistry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.functions.find(name);
  return it == r.functions.end() ? nullptr : std::make_shared<MTLFunction>(it->second);
}

MTLBuffer::MTLBuffer(NSUInteger length) : mBytes(length, 0) {}

MTLTextureDescriptor MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormat format, NSUInteger width,
                                                                              NSUInteger height, bool mipmapped)
{
  MTLTextureDescriptor d;
  d.pixelFormat = format;
  d.width = width;
  d.height = height;
  if (mipmapped)
    for (NSUInteger size = std::max(width, height); size > 1; size /= 2)
      d.mipmapLevelCount++;
  return d;
}

MTLTexture::MTLTexture(const MTLTextureDescriptor& d)
: mFormat(d.pixelFormat),
  mWidth(d.width),
  mHeight(d.height),
  mMipmapLevels(d.mipmapLevelCount),
  mStorageMode(d.storageMode),
  mBytesPerPixel((d.pixelFormat == MTLPixelFormatRGBA8Unorm || d.pixelFormat == MTLPixelFormatBGRA8Unorm) ? 4 : 1),
  mTexels(d.width * d.height * mBytesPerPixel, 0)
{
}

void MTLTexture::replaceRegion(MTLRegion region, NSUInteger level, const void* bytes, NSUInteger bytesPerRow)
{
  if (level != 0 || region.origin.x >= mWidth || region.origin.y >= mHeight)
    return;
  const NSUInteger w = std::min(region.size.width, mWidth - region.origin.x);
  const NSUInteger h = std::min(region.size.height, mHeight - region.origin.y);
  const auto* src = static_cast<const unsigned char*>(bytes);
  for (NSUInteger row = 0; row < h; row++)
    std::memcpy(texel(region.origin.x, region.origin.y + row), src + row * bytesPerRow, w * bytesPerPixel());
}

void MTLTexture::getBytes(void* bytes, NSUInteger bytesPerRow, MTLRegion region, NSUInteger level) const
{
  if (level != 0 || region.origin.x >= mWidth || region.origin.y >= mHeight)
    return;
  const NSUInteger w = std::min(region.size.width, mWidth - region.origin.x);
  const NSUInteger h = std::min(region.size.height, mHeight - region.origin.y);
  auto* dst = static_cast<unsigned char*>(bytes);
  for (NSUInteger row = 0; row < h; row++)
    std::memcpy(dst + row * bytesPerRow, texel(region.origin.x, region.origin.y + row), w * bytesPerPixel());
}

MTLDepthStencilState::MTLDepthStencilState(const MTLDepthStencilDescriptor& d)
{
  if (d.frontFaceStencil)
    front = *d.frontFaceStencil;
  if (d.backFaceStencil)
    back = *d.backFaceStencil;
}

namespace {
std::atomic<bool> gHasGPU{true};
}

void platform::SetSystemHasGPU(bool on)
{
  gHasGPU = on;
}

std::shared_ptr<MTLDevice> MTLCreateSystemDefaultDevice()
{
  return gHasGPU ? std::make_shared<MTLDevice>() : nullptr;
}

std::shared_ptr<MTLLibrary> MTLDevice::newLibraryWithData(const void* bytes, size_t size, NSError** error)
{
  static NSError invalidLibrary{"Invalid library file"};
  const auto* p = static_cast<const char*>(bytes);
  if (!p || size < 4 || std::memcmp(p, "MTLB", 4) != 0)
  {
    if (error)
      *error = &invalidLibrary;
    return nullptr;
  }
  auto library = std::make_shared<MTLLibrary>();
  for (size_t i = 4; i < size;)
  {
    const size_t len = strnlen(p + i, size - i);
    if (len > 0)
      library->functionNames.emplace_back(p + i, len);
    i += len + 1;
  }
  if (error)
    *error = nullptr;
  return library;
}

std::shared_ptr<MTLCommandQueue> MTLDevice::newCommandQueue()
{
  return std::make_shared<MTLCommandQueue>(shared_from_this());
}

std::shared_ptr<MTLSamplerState> MTLDevice::newSamplerStateWithDescriptor(const MTLSamplerDescriptor& d)
{
  return std::make_shared<MTLSamplerState>(d);
}

std::shared_ptr<MTLDepthStencilState> MTLDevice::newDepthStencilStateWithDescriptor(const MTLDepthStencilDescriptor& d)
{
  return std::make_shared<MTLDepthStencilState>(d);
}

std::shared_ptr<MTLRenderPipelineState> MTLDevice::newRenderPipelineStateWithDescriptor(
  const MTLRenderPipelineDescriptor& d, NSError** error)
{
  static NSError noVertexFunction{"No vertex function"};
  static NSError badFormat{"Unsupported colour attachment pixel format"};
  NSError* failure = nullptr;
  if (!d.vertexFunction || !d.vertexFunction->vertex)
    failure = &noVertexFunction;
  else if (!renderable(d.colorAttachments[0].pixelFormat))
    failure = &badFormat;
  if (error)
    *error = failure;
  return failure ? nullptr : std::make_shared<MTLRenderPipelineState>(d);
}

std::shared_ptr<MTLTexture> MTLDevice::newTextureWithDescriptor(const MTLTextureDescriptor& d)
{
  // Sizes are bounded as a GPU bounds them, so that their product cannot overflow.
  constexpr NSUInteger kMaxDimension = 16384;
  if (d.width == 0 || d.height == 0 || d.width > kMaxDimension || d.height > kMaxDimension)
    return nullptr;
  return std::make_shared<MTLTexture>(d);
}

std::shared_ptr<MTLBuffer> MTLDevice::newBufferWithLength(NSUInteger length, NSUInteger)
{
  return length ? std::make_shared<MTLBuffer>(length) : nullptr;
}

void CAMetalDrawable::present()
{
  if (mLayer)
    mLayer->drawablePresented(mTexture);
}

std::shared_ptr<MTLDevice> CAMetalLayer::device() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mDevice;
}

void CAMetalLayer::setDevice(std::shared_ptr<MTLDevice> device)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mDevice = std::move(device);
}

MTLSize CAMetalLayer::drawableSize() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mDrawableSize;
}

void CAMetalLayer::setDrawableSize(MTLSize size)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mDrawableSize = size;
}

size_t CAMetalLayer::nextInPool() const
{
  for (size_t i = 0; i < mPool.size(); i++)
    if (mPool[i].use_count() == 1 && mPool[i]->width() == mDrawableSize.width &&
        mPool[i]->height() == mDrawableSize.height)
      return i;
  return mPool.size();
}

std::shared_ptr<CAMetalDrawable> CAMetalLayer::nextDrawable()
{
  constexpr size_t kMaxDrawables = 3;
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mDevice)
    return nullptr;
  // Textures of another size are dropped; one that only the pool holds is free again.
  for (size_t i = mPool.size(); i-- > 0;)
    if (mPool[i]->width() != mDrawableSize.width || mPool[i]->height() != mDrawableSize.height)
    {
      mPool.erase(mPool.begin() + static_cast<std::ptrdiff_t>(i));
      mPresentedAt.erase(mPresentedAt.begin() + static_cast<std::ptrdiff_t>(i));
    }
  if (const size_t i = nextInPool(); i < mPool.size())
  {
    mPresentedAt[i] = -1;  // drawn into from now on
    return std::make_shared<CAMetalDrawable>(mPool[i], this);
  }
  MTLTextureDescriptor d = MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(pixelFormat(), mDrawableSize.width,
                                                                                    mDrawableSize.height, false);
  d.usage = MTLTextureUsageRenderTarget;
  std::shared_ptr<MTLTexture> texture = mDevice->newTextureWithDescriptor(d);
  if (!texture)
    return nullptr;
  if (mPool.size() < kMaxDrawables)
  {
    mPool.push_back(texture);
    mPresentedAt.push_back(-1);
  }
  return std::make_shared<CAMetalDrawable>(texture, this);
}

int CAMetalLayer::nextDrawableAge() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mDevice || mDevice->runsOnWorkerThread())
    return -1;
  const size_t i = nextInPool();
  return i < mPool.size() && mPresentedAt[i] >= 0 ? mPresentedCount - mPresentedAt[i] : -1;
}

std::shared_ptr<MTLTexture> CAMetalLayer::presentedTexture() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mPresented;
}

int CAMetalLayer::presentedCount() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mPresentedCount;
}

void CAMetalLayer::drawablePresented(std::shared_ptr<MTLTexture> texture)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mPresentedCount++;
  for (size_t i = 0; i < mPool.size(); i++)
    if (mPool[i] == texture)
      mPresentedAt[i] = mPresentedCount;
  mPresented = std::move(texture);
}
