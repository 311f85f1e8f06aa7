#pragma once

#include "graphics/IControl.h"

namespace iplug::igraphics {

// The square in the editor's bottom-right corner by which the user resizes or rescales it; the
// graphics object runs the drag once the mouse down has set its resizing flag.
class ICornerResizerControl : public IControl
{
public:
  static constexpr int kCursorSizeNWSE = 5;  // the diagonal resize cursor

  ICornerResizerControl(const IRECT& graphicsBounds, float size, const IColor& color, const IColor& mouseOverColor,
                        const IColor& dragColor);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Back to the size the editor had when the resizer was made, at scale 1.
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnRescale() override;
  void Draw(IGraphics& g) override;

private:
  float mSize;
  bool mMouseOver = false;
  int mPrevCursorType = 0;  // shown before the pointer came over the handle
  IRECT mInitialGraphicsBounds;
  IColor mColor;
  IColor mMouseOverColor;
  IColor mDragColor;
};

}  // namespace iplug::igraphics
