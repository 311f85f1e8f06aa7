#pragma once

#include <string>

#include "graphics/IControl.h"

namespace iplug::igraphics {

// The speech bubble that shows a value beside the control being changed: it fades in, stays
// while its control is held and fades out. The graphics object fills and places it (ShowBubble)
// through the fields below.
class IBubbleControl : public IControl
{
public:
  enum EArrowDir { kNorth = 0, kEast, kSouth, kWest };
  enum EState { kHidden = 0, kFadingIn, kShown, kFadingOut };

  IBubbleControl(const IText& text, const IColor& fillColor, const IColor& outlineColor, float roundness);

  void Draw(IGraphics& g) override;
  virtual void DrawBubbleText(IGraphics& g, const IRECT& r);
  // The rounded box with its arrow on the side of mArrowDir, filled and outlined.
  virtual void DrawBubbleShape(IGraphics& g, const IRECT& r);

  // The box the text occupies with the bubble's text style.
  void MeasureBubbleText(const char* str, IRECT& r) const;

  IRECT mMaxBounds;
  uint64_t mTouchId = 0;
  int mDirection = 1;  // 0 above the anchor, 1 right of it
  std::string mStr;
  IRECT mBubbleBounds;
  int mArrowDir = kWest;
  float mPadding = 10.f;
  float mArrowSize = 10.f;
  float mMaxOpacity = 0.95f;
  float mOutlineThickness = 2.f;
  int mState = kHidden;
  IControl* mCaller = nullptr;
  IColor mFillColor;
  IColor mOutlineColor;
  float mRoundness;

private:
  // The opacity by state over one round of the animation clock.
  void Fade();
};

}  // namespace iplug::igraphics
