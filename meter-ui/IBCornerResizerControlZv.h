#pragma once

// The product's corner resizer, which reports size and scale changes to the plug-in through
// editor actions.

#include "graphics/IBackgroundControls.h"
#include "graphics/ICornerResizerControl.h"

// A plain drag resizes and a drag with the control key rescales (when both are offered); a
// double click goes back to the default size or scale.
class IBCornerResizerControlZv : public iplug::igraphics::ICornerResizerControl, public iplug::igraphics::IBitmapBase
{
public:
  enum Mode { kNone = -1, kSizeAndScale = 0, kSizeOnly = 1, kScaleOnly = 2 };

  // An id of -1 leaves that action out; the ids offered decide the mode.
  IBCornerResizerControlZv(const iplug::igraphics::IBitmap& bitmap, const iplug::igraphics::IRECT& bounds,
                           int sizeCommitId, int sizeResetId, int scaleCommitId, int scaleResetId, float offsetX,
                           float offsetY);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnRescale() override;
  void OnResize() override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  int mSizeCommitId;
  int mSizeResetId;
  int mScaleCommitId;
  int mScaleResetId;
  int mMode;
  float mOffsetX;
  float mOffsetY;

private:
  // Whether this gesture changes the scale rather than the size.
  bool Scales(const iplug::igraphics::IMouseMod& mod) const;
};
