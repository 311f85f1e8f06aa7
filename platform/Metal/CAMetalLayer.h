#pragma once
// The view's GPU layer: it hands out drawables of its drawable size, whose textures the renderer
// draws into, and keeps the one presented last so that the window (or a test) can show it.

#include "platform/Metal/Metal.h"

class CAMetalLayer;

class CAMetalDrawable : public std::enable_shared_from_this<CAMetalDrawable>
{
public:
  CAMetalDrawable(std::shared_ptr<MTLTexture> texture, CAMetalLayer* layer)
  : mTexture(std::move(texture)), mLayer(layer)
  {
  }
  std::shared_ptr<MTLTexture> texture() const { return mTexture; }
  void present();

private:
  std::shared_ptr<MTLTexture> mTexture;
  CAMetalLayer* mLayer;
};

class CAMetalLayer
{
public:
  std::shared_ptr<MTLDevice> device() const;
  void setDevice(std::shared_ptr<MTLDevice> device);
  bool isOpaque() const { return mOpaque; }
  void setOpaque(bool opaque) { mOpaque = opaque; }
  MTLPixelFormat pixelFormat() const { return MTLPixelFormatBGRA8Unorm; }
  MTLSize drawableSize() const;
  void setDrawableSize(MTLSize size);
  bool presentsWithTransaction() const { return mPresentsWithTransaction; }
  void setPresentsWithTransaction(bool on) { mPresentsWithTransaction = on; }

  // A drawable of the drawable size whose texture no one holds any more (null without a device
  // or with an empty size). The layer keeps up to three textures and hands them out in turn.
  std::shared_ptr<CAMetalDrawable> nextDrawable();

  // The texture of the drawable presented last, null before the first.
  std::shared_ptr<MTLTexture> presentedTexture() const;
  int presentedCount() const;
  void drawablePresented(std::shared_ptr<MTLTexture> texture);

  // Not Metal: how many presents ago the contents of the drawable that nextDrawable would hand out
  // now were presented (1: the frame before the last), so that a renderer need only draw again
  // what changed since; -1 when they are no presented frame (a new texture, or one drawn but not
  // presented) or cannot be foreseen (the device runs passes on its worker thread, where frames
  // in flight free textures at any time).
  int nextDrawableAge() const;

private:
  // The pool texture nextDrawable hands out now, or the pool's end for a new one.
  size_t nextInPool() const;

  mutable std::mutex mMutex;
  std::shared_ptr<MTLDevice> mDevice;
  MTLSize mDrawableSize = {0, 0, 1};
  bool mOpaque = true;
  bool mPresentsWithTransaction = false;
  std::shared_ptr<MTLTexture> mPresented;
  int mPresentedCount = 0;
  std::vector<std::shared_ptr<MTLTexture>> mPool;
  std::vector<int> mPresentedAt;  // per pool texture: the present that showed its contents, or -1
};
