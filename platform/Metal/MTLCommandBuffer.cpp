// Command queues and buffers, and the blit encoder.
#include "platform/Metal/CAMetalLayer.h"

#include <algorithm>
#include <cstring>

MTLCommandBuffer::MTLCommandBuffer(std::shared_ptr<MTLCommandQueue> queue) : mQueue(std::move(queue)) {}

std::shared_ptr<MTLRenderCommandEncoder> MTLCommandBuffer::renderCommandEncoderWithDescriptor(
  const MTLRenderPassDescriptor& pass)
{
  auto encoder = std::make_shared<MTLRenderCommandEncoder>(pass);
  mPasses.push_back([encoder] { encoder->execute(); });
  return encoder;
}

std::shared_ptr<MTLBlitCommandEncoder> MTLCommandBuffer::blitCommandEncoder()
{
  auto encoder = std::make_shared<MTLBlitCommandEncoder>();
  mPasses.push_back([encoder] { encoder->execute(); });
  return encoder;
}

void MTLCommandBuffer::addCompletedHandler(std::function<void(MTLCommandBuffer*)> handler)
{
  mCompletedHandlers.push_back(std::move(handler));
}

void MTLCommandBuffer::presentDrawable(std::shared_ptr<CAMetalDrawable> drawable)
{
  if (drawable)
    mDrawables.push_back(std::move(drawable));
}

void MTLCommandBuffer::commit()
{
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (mCommitted)
      return;
    mCommitted = true;
  }
  const std::shared_ptr<MTLCommandQueue> queue = mQueue.lock();
  if (queue && queue->device()->runsOnWorkerThread())
    queue->submit(shared_from_this());
  else
    run();
}

void MTLCommandBuffer::run()
{
  for (const auto& pass : mPasses)
    pass();
  for (const auto& drawable : mDrawables)
    drawable->present();
  // The handlers run before waiters are released, so that a waiter sees what they did.
  for (const auto& handler : mCompletedHandlers)
    handler(this);
  std::lock_guard<std::mutex> lock(mMutex);
  mPasses.clear();
  mDrawables.clear();
  mCompletedHandlers.clear();
  mCompleted = true;
  mChanged.notify_all();
}

void MTLCommandBuffer::waitUntilScheduled() {}

void MTLCommandBuffer::waitUntilCompleted()
{
  std::unique_lock<std::mutex> lock(mMutex);
  // A buffer that was never committed never completes: do not wait for it.
  mChanged.wait(lock, [this] { return mCompleted || !mCommitted; });
}

MTLCommandQueue::~MTLCommandQueue()
{
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStopping = true;
    mHeld = false;
  }
  mWake.notify_all();
  // The worker runs what is still pending, then ends.
  if (mWorker.joinable())
    mWorker.join();
}

std::shared_ptr<MTLCommandBuffer> MTLCommandQueue::commandBuffer()
{
  return std::make_shared<MTLCommandBuffer>(shared_from_this());
}

void MTLCommandQueue::holdExecution()
{
  std::lock_guard<std::mutex> lock(mMutex);
  mHeld = true;
}

void MTLCommandQueue::releaseExecution()
{
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mHeld = false;
  }
  mWake.notify_all();
}

void MTLCommandQueue::submit(std::shared_ptr<MTLCommandBuffer> buffer)
{
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mPending.push_back(std::move(buffer));
    if (!mWorker.joinable())
      mWorker = std::thread([this] { workerLoop(); });
  }
  mWake.notify_all();
}

void MTLCommandQueue::workerLoop()
{
  std::unique_lock<std::mutex> lock(mMutex);
  for (;;)
  {
    mWake.wait(lock, [this] { return mStopping || (!mHeld && !mPending.empty()); });
    if (mPending.empty())
      return;  // stopping with nothing left
    std::shared_ptr<MTLCommandBuffer> buffer = std::move(mPending.front());
    mPending.pop_front();
    lock.unlock();
    buffer->run();
    buffer.reset();
    lock.lock();
  }
}

void MTLBlitCommandEncoder::copyFromBuffer(std::shared_ptr<MTLBuffer> source, NSUInteger sourceOffset,
                                           NSUInteger sourceBytesPerRow, NSUInteger, MTLSize sourceSize,
                                           std::shared_ptr<MTLTexture> destination, NSUInteger,
                                           NSUInteger destinationLevel, MTLOrigin destinationOrigin)
{
  mCommands.push_back([=] {
    // Rows that would read past the buffer are left out.
    const NSUInteger rowBytes = sourceSize.width * destination->bytesPerPixel();
    NSUInteger rows = sourceSize.height;
    if (sourceOffset > source->length())
      return;
    const NSUInteger available = source->length() - sourceOffset;
    if (sourceBytesPerRow > 0 && rows > 0 && (rows - 1) * sourceBytesPerRow + rowBytes > available)
      rows = available >= rowBytes ? (available - rowBytes) / sourceBytesPerRow + 1 : 0;
    const auto* bytes = static_cast<const unsigned char*>(source->contents()) + sourceOffset;
    destination->replaceRegion(MTLRegionMake2D(destinationOrigin.x, destinationOrigin.y, sourceSize.width, rows),
                               destinationLevel, bytes, sourceBytesPerRow);
  });
}

void MTLBlitCommandEncoder::generateMipmapsForTexture(std::shared_ptr<MTLTexture>)
{
  // Sampling reads level 0 only, so there is nothing to compute.
}

void MTLBlitCommandEncoder::synchronizeResource(std::shared_ptr<MTLTexture>)
{
  // Texels live in memory the CPU reads directly.
}

void MTLBlitCommandEncoder::execute() const
{
  for (const auto& command : mCommands)
    command();
}
