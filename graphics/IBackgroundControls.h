#pragma once

// The control-library classes the graphics object can put behind everything else: a bitmap, an
// SVG document drawn through a kept layer, and a pattern-filled panel.

#include "graphics/IBitmap.h"
#include "graphics/IControl.h"
#include "graphics/ILayer.h"
#include "graphics/ISVG.h"

namespace iplug::igraphics {

// The bitmap part of bitmap-drawn controls: draws the frame of a strip that matches value 0.
class IBitmapBase
{
public:
  IBitmapBase(const IBitmap& bitmap, IControl* control) : mBitmap(bitmap), mControl(control) {}
  virtual ~IBitmapBase() = default;

  // The frame for value 0 (1-based), centred unstretched in the control's draw bounds.
  void DrawBitmap(IGraphics& g);
  // Width and height of one frame, in points.
  static IRECT FrameSize(const IBitmap& bitmap);
  // The same picture again for the current bitmap scale; one that cannot be found at this
  // scale is kept rather than lost.
  void ReloadBitmap();
  const IBitmap& GetBitmap() const { return mBitmap; }

protected:
  IBitmap mBitmap;
  IControl* mControl;
};

class IBitmapControl : public IControl, public IBitmapBase
{
public:
  IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx = -1, int blendMode = 0);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { ReloadBitmap(); }
};

class ISVGControl : public IControl
{
public:
  ISVGControl(const IRECT& bounds, const ISVG& svg, bool useLayer = false);

  void Draw(IGraphics& g) override;

private:
  bool mUseLayer;
  ILayerPtr mLayer;
  ISVG mSVG;
};

class IPanelControl : public IControl
{
public:
  IPanelControl(const IRECT& bounds, const IPattern& pattern, bool drawFrame = false);

  void Draw(IGraphics& g) override;

private:
  IPattern mPattern;
  bool mDrawFrame;
};

}  // namespace iplug::igraphics
