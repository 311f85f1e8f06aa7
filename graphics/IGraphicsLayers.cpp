// Off-screen layers, the clip that follows them, and the blurred drop shadow made from a layer's
// alpha channel.

#include <cmath>
#include <vector>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

void IGraphics::BeginLayer(IControl* control, const IRECT& r, bool)
{
  const float s = EffectiveScale();
  const IRECT aligned = r.GetPixelAligned(s);
  const int w = static_cast<int>(std::ceil(std::ceil(aligned.W()) * s));
  const int h = static_cast<int>(std::ceil(std::ceil(aligned.H()) * s));
  APIBitmap* bitmap = CreateBackendBitmap(w, h, mScreenScale, mDrawScale);
  EnterLayer(new ILayer(bitmap, aligned, control, control ? control->GetRECT() : IRECT()));
}

ILayerPtr IGraphics::FinishLayer()
{
  return ILayerPtr(LeaveLayer());
}

void IGraphics::EnterLayer(ILayer* layer)
{
  mLayers.push(layer);
  RefreshLayer();
  mTransform = IMatrix();
  SetTransform(mTransform);
  ClipToRegion(layer->Bounds());
  PathClear();
}

ILayer* IGraphics::LeaveLayer()
{
  ILayer* layer = nullptr;
  if (!mLayers.empty())
  {
    layer = mLayers.top();
    mLayers.pop();
  }
  RefreshLayer();
  mTransform = IMatrix();
  SetTransform(mTransform);
  ClipToRegion(mLayers.empty() ? GetBounds() : mLayers.top()->Bounds());
  PathClear();
  return layer;
}

void IGraphics::ResumeLayer(ILayerPtr& layer)
{
  if (layer)
  {
    EnterLayer(layer.release());
  }
}

void IGraphics::ClipToRegion(const IRECT& r)
{
  const IRECT area = mLayers.empty() ? GetBounds() : mLayers.top()->Bounds();
  IRECT clip = area;
  if (!r.Empty())
  {
    const bool overlap = !area.Empty() && r.R >= area.L && area.R > r.L && r.B >= area.T && area.B > r.T;
    clip = overlap ? IRECT(std::max(r.L, area.L), std::max(r.T, area.T), std::min(r.R, area.R), std::min(r.B, area.B))
                   : IRECT();
  }
  SetTransform(IMatrix());
  SetClipRegion(clip);
  SetTransform(mTransform);
}

bool IGraphics::LayerIsValid(const ILayerPtr& layer)
{
  if (!layer || !layer->mBitmap)
  {
    return false;
  }
  if (layer->mControl && layer->mControl->GetRECT() != layer->mControlRECT)
  {
    layer->mControlRECT = layer->mControl->GetRECT();
    layer->Invalidate();
  }
  return !layer->mInvalid && layer->mBitmap->GetDrawScale() == mDrawScale && layer->mBitmap->GetScale() == mScreenScale;
}

void IGraphics::PaintLayer(const ILayerPtr& layer, const IBlend* blend)
{
  SaveTransform();
  mTransform = IMatrix();
  SetTransform(mTransform);
  DrawBitmap(layer->GetBitmap(), layer->Bounds(), 0, 0, blend);
  RestoreTransform();
}

void IGraphics::PaintFittedLayer(const ILayerPtr& layer, const IRECT& bounds, const IBlend* blend)
{
  const IRECT& r = layer->Bounds();
  SaveTransform();
  TransformTranslate(bounds.L, bounds.T);
  TransformScale(bounds.W() / r.W(), bounds.H() / r.H());
  DrawBitmap(layer->GetBitmap(), IRECT(0.f, 0.f, r.W(), r.H()), 0, 0, blend);
  RestoreTransform();
}

void IGraphics::PaintRotatedLayer(const ILayerPtr& layer, double angle)
{
  const IRECT& r = layer->Bounds();
  SaveTransform();
  mTransform = IMatrix();
  SetTransform(mTransform);
  DrawBitmapRotated(layer->GetBitmap(), (r.L + r.R) * 0.5f, (r.T + r.B) * 0.5f, angle);
  RestoreTransform();
}

void IGraphics::BlurSwap(uint8_t* out, const uint8_t* in, const uint8_t* kernel, int width, int height, int outStride,
                         int inStride, int kernelSize, uint32_t norm)
{
  const int full = 2 * kernelSize + 1;
  int run = 0;
  uint8_t last = 0;
  const auto check = [&](uint8_t v) {
    run = v == last ? std::min(run + 1, full) : 1;
    last = v;
  };
  const auto store = [&](uint8_t* dst, uint32_t sum) {
    *dst = static_cast<uint8_t>(std::min<uint32_t>(255, sum / norm));
  };

  for (int i = 0; i < height; ++i, in += inStride)
  {
    const auto value = [in](int j) -> uint32_t { return in[j * 4]; };
    const auto result = [&](int j) { return out + i * 4 + j * outStride; };
    // Where the kernel reaches past either end of the row, only pixels inside it count.
    const auto boundedSum = [&](int j) {
      uint32_t sum = kernel[0] * value(j);
      for (int k = 1; k < kernelSize; ++k)
      {
        if (j - k >= 0)
        {
          sum += kernel[k] * value(j - k);
        }
        if (j + k < width)
        {
          sum += kernel[k] * value(j + k);
        }
      }
      return sum;
    };

    const int middleFirst = kernelSize - 1;
    const int middleLast = width - kernelSize;
    for (int j = 0; j < std::min(middleFirst, width); ++j)
    {
      store(result(j), boundedSum(j));
    }
    if (middleFirst <= middleLast)
    {
      for (int j = 0; j <= 2 * kernelSize - 3; ++j)
      {
        check(static_cast<uint8_t>(value(j)));
      }
      for (int j = middleFirst; j <= middleLast; ++j)
      {
        check(static_cast<uint8_t>(value(j + kernelSize - 1)));
        if (run == full)
        {
          *result(j) = static_cast<uint8_t>(value(j));  // a flat stretch blurs to itself
          continue;
        }
        uint32_t sum = kernel[0] * value(j);
        for (int k = 1; k < kernelSize; ++k)
        {
          sum += kernel[k] * (value(j - k) + value(j + k));
        }
        store(result(j), sum);
      }
    }
    for (int j = std::max(middleLast + 1, middleFirst); j < width; ++j)
    {
      store(result(j), boundedSum(j));
    }
  }
}

void IGraphics::ApplyLayerDropShadow(ILayerPtr& layer, const IShadow& shadow)
{
  WDL_TypedBuf<uint8_t> pixels;
  ReadLayerPixels(layer, pixels);
  const int size = pixels.GetSize();
  if (size == 0 || !layer || !layer->mBitmap)
  {
    return;
  }
  WDL_TypedBuf<uint8_t> columns;
  if (!columns.Resize(size) || columns.GetSize() != size)
  {
    return;
  }
  const bool flipped = FlippedBitmap();
  const float scale = layer->mBitmap->GetScale() * layer->mBitmap->GetDrawScale();
  const float blurSize = std::max(1.f, shadow.mBlurSize * scale + 1.f);
  const int kernelSize = static_cast<int>(std::ceil(blurSize));
  const float c = 4.5f / (blurSize * blurSize);
  std::vector<uint8_t> kernel(static_cast<size_t>(kernelSize));
  uint32_t norm = 0;
  for (int i = 0; i < kernelSize; ++i)
  {
    kernel[static_cast<size_t>(i)] = static_cast<uint8_t>(std::round(255.f * std::exp(-static_cast<float>(i * i) * c)));
    norm += kernel[static_cast<size_t>(i)] * (i == 0 ? 1u : 2u);
  }

  const int width = layer->mBitmap->GetWidth();
  const int height = layer->mBitmap->GetHeight();
  // The pixel buffer must hold exactly the layer's pixels; anything else cannot be walked safely.
  if (width <= 0 || height <= 0 || static_cast<int64_t>(width) * height * 4 != size)
  {
    return;
  }
  const int pixelStep = size / width;
  const int rowBytes = size / height;
  const int rowStride = flipped ? -rowBytes : rowBytes;
  const int a = AlphaChannel();
  uint8_t* first = pixels.Get() + (flipped ? static_cast<ptrdiff_t>(height - 1) * rowBytes : 0);
  BlurSwap(columns.Get() + a, first + a, kernel.data(), width, height, pixelStep, rowStride, kernelSize, norm);
  BlurSwap(pixels.Get() + a, columns.Get() + a, kernel.data(), height, width, rowBytes, pixelStep, kernelSize, norm);
  BlendShadowMask(layer, pixels, shadow);
}

}  // namespace iplug::igraphics
