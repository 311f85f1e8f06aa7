#pragma once

// The loudness dynamics bar: in LRA mode a band from the range's low to its high limit, in PLR
// and PSR mode a band as tall as the ratio, centred on a level and coloured by how the ratio
// compares with a reference ratio, with marker lines for the reference window.

#include "meter-ui/MeterBarBase.h"

class IDynaMeterControl : public MeterBarBase
{
public:
  enum DynaMode { kLRA = 0, kPLR, kPSR };

  explicit IDynaMeterControl(const iplug::igraphics::IRECT& bounds);

  void OnResize() override { LayoutRows(); }
  void Draw(iplug::igraphics::IGraphics& g) override;

  // The band colour for a ratio: the low colour at or below half the reference, the high colour
  // at or above one and a half times it, mixed channel by channel between. A reference of zero
  // has no window: the low colour.
  iplug::igraphics::IColor RatioColor(double ratio) const;

  iplug::igraphics::IColor mBandColor{255, 127, 127, 127};
  iplug::igraphics::IColor mBackColor{32, 127, 127, 127};
  iplug::igraphics::IColor mRatioHighColor{255, 127, 127, 127};
  iplug::igraphics::IColor mRatioLowColor{255, 127, 127, 127};
  iplug::igraphics::IColor mMarkerColor{255, 127, 127, 127};
  double mOffset = 0.0;
  double mMax = 6.0;
  double mMin = -60.0;
  double mRange = 66.0;
  double mLow = 0.0;        // LRA: low limit (absolute level); PLR/PSR: the ratio
  double mHigh = 0.0;       // LRA: high limit (absolute level)
  double mReference = 0.0;  // PLR/PSR: reference ratio
  double mCentre = 0.0;     // PLR/PSR: absolute level the band is centred on
  int mDynaMode = kLRA;
  bool mDynaValid = false;

private:
  double Fraction(double level) const;
  // Whether a level lies within the range, where Fraction need not hold it at an edge.
  bool OnScale(double level) const;
  // A one-pixel line at a level.
  float LineY(double level) const;
  void DrawLRA(iplug::igraphics::IGraphics& g, std::string& readout);
  void DrawRatio(iplug::igraphics::IGraphics& g, std::string& readout);
};
