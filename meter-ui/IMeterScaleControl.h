#pragma once

// The vertical level scale beside the bar meters: tick lines across a tick area, labels in a
// column to their left and the unit caption below. Marks are computed from the range or taken
// from one of three fixed tables.

#include "framework/WDLString.h"
#include "graphics/IControl.h"

class IMeterScaleControl : public iplug::igraphics::IControl
{
public:
  enum ScaleMarkMode { kStd = 0, kEBU, kBS1770, kKSystem };

  explicit IMeterScaleControl(const iplug::igraphics::IRECT& bounds);

  void SetLook(const iplug::igraphics::IColor& labelColor, int textSize, const iplug::igraphics::IColor& zeroColor,
               const iplug::igraphics::IColor& majorColor, const iplug::igraphics::IColor& minorColor,
               const WDL_String& caption);
  // Sets the range and the mark spacing that goes with it.
  void SetRange(double max, double min);

  void OnResize() override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  iplug::igraphics::IRECT mTickRect;
  iplug::igraphics::IRECT mBoundsCopy;
  int mBaseTextSize = 10;
  int mTextSize = 10;
  iplug::igraphics::IColor mLabelColor{255, 0, 0, 0};
  iplug::igraphics::IText mLabelText;
  iplug::igraphics::IColor mMajorColor{255, 127, 127, 127};
  iplug::igraphics::IColor mMinorColor{255, 127, 127, 127};
  iplug::igraphics::IColor mZeroColor{255, 0, 0, 0};
  double mMax = 6.0;
  double mMin = -60.0;
  double mRange = 66.0;
  double mMajorStep = 12.0;
  double mMinorStep = 6.0;
  WDL_String mCaption{"dBFS"};
  int mScaleMode = kStd;

private:
  void BuildText();
  void DrawMark(iplug::igraphics::IGraphics& g, double level, const iplug::igraphics::IColor& color, float width,
                bool label);
  // Marks at every whole unit from `from` down to `to` whose integer part is a multiple of step.
  void DrawTicks(iplug::igraphics::IGraphics& g, double from, double to, double step,
                 const iplug::igraphics::IColor& color, float width, bool label);
};
