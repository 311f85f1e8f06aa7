#pragma once

// An off-screen picture a control draws into once and paints again while it stays valid.

#include <memory>

#include "graphics/IBitmap.h"
#include "graphics/IGraphicsStructs.h"

namespace iplug::igraphics {

class IControl;

class ILayer
{
public:
  ILayer(APIBitmap* bitmap, const IRECT& layerRect, IControl* control, const IRECT& controlRect)
  : mBitmap(bitmap), mControl(control), mControlRECT(controlRect), mRECT(layerRect)
  {
  }

  void Invalidate() { mInvalid = true; }
  const APIBitmap* GetAPIBitmap() const { return mBitmap.get(); }
  // Hands the picture over to the caller; the layer keeps nothing.
  APIBitmap* ReleaseAPIBitmap() { return mBitmap.release(); }
  IBitmap GetBitmap() const { return IBitmap(mBitmap.get(), 1, false); }
  const IRECT& Bounds() const { return mRECT; }

private:
  friend class IGraphics;

  std::unique_ptr<APIBitmap> mBitmap;
  IControl* mControl;
  IRECT mControlRECT;
  IRECT mRECT;
  bool mInvalid = false;
};

using ILayerPtr = std::unique_ptr<ILayer>;

// A drop shadow: this core reads only the blur size; the back end colours and places it.
struct IShadow
{
  IPattern mPattern;
  float mBlurSize = 0.f;
  float mXOffset = 0.f;
  float mYOffset = 0.f;
  float mOpacity = 1.f;
  bool mDrawForeground = true;
};

}  // namespace iplug::igraphics
