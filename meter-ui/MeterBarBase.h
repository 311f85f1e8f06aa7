#pragma once

// What the bar meter and the dynamics meter share: a caption row at the top, a bar area, a value
// row at the bottom, and the caption, value and hold text styles. Neither links a parameter:
// the scale configuration styles them and the idle feed writes their levels.

#include "framework/WDLString.h"
#include "graphics/IControl.h"

class MeterBarBase : public iplug::igraphics::IControl
{
public:
  explicit MeterBarBase(const iplug::igraphics::IRECT& bounds);

  // Text colour and sizes, caption and the text shown while nothing is measured.
  void SetLook(const iplug::igraphics::IColor& textColor, int captionSize, const WDL_String& caption, int valueSize,
               const WDL_String& placeholder);

  iplug::igraphics::IRECT mCaptionRect;
  iplug::igraphics::IRECT mOverRect;
  iplug::igraphics::IRECT mBarRect;
  iplug::igraphics::IRECT mValueRect;
  WDL_String mCaption{"xxx"};
  WDL_String mPlaceholder{"---"};
  int mCaptionSize = 11;  // in use
  int mValueSize = 9;
  int mBaseCaptionSize = 11;  // as set
  int mBaseValueSize = 9;
  iplug::igraphics::IColor mTextColor{255, 0, 0, 0};
  iplug::igraphics::IText mCaptionText;
  iplug::igraphics::IColor mValueColor{255, 0, 0, 0};
  iplug::igraphics::IColor mHoldTextColor{255, 255, 255, 255};
  iplug::igraphics::IText mValueText;
  iplug::igraphics::IText mHoldText;

protected:
  // The rows from the bounds, the sizes as set, and the text styles rebuilt.
  void LayoutRows();
  void BuildTexts();
  // Whether levels can be placed on the bar: a range of zero (or not a number) places nothing.
  static bool RangeUsable(double range) { return range > 0.0; }
  // The y of a fraction of the bar: truncated to whole pixels and kept inside the bar.
  float BarY(double fraction) const;
};
