#pragma once

// A vertical bar meter: caption, over strip, five coloured zones with the level lit from the
// bottom, a hold line with the held level above it, and the current level in the value row.
// It has no click handler of its own; it only lays out and draws what its writers set.

#include "meter-ui/MeterBarBase.h"

class IMeterControl : public MeterBarBase
{
public:
  IMeterControl(const iplug::igraphics::IRECT& bounds, int tag);

  void OnResize() override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  // The zone edges as fractions of the bar, from the range and splits.
  void ComputeZoneFractions();

  struct ZoneColors
  {
    iplug::igraphics::IColor bright;
    iplug::igraphics::IColor dim;  // the bright colour at alpha 32
  };

  iplug::igraphics::IColor mOverColor{255, 255, 0, 0};
  ZoneColors mZoneColors[5] = {{{255, 255, 0, 0}, {32, 255, 0, 0}},
                               {{255, 255, 255, 0}, {32, 255, 255, 0}},
                               {{255, 0, 255, 0}, {32, 0, 255, 0}},
                               {{255, 0, 0, 255}, {32, 0, 0, 255}},
                               {{255, 0, 0, 128}, {32, 0, 0, 128}}};
  iplug::igraphics::IColor mHoldLineColor{255, 127, 127, 127};
  double mOffset = 0.0;  // levels are shown as level minus offset
  double mMax = 6.0;     // range and splits in display units
  double mSplits[4] = {0.0, -6.0, -12.0, -24.0};
  double mMin = -60.0;
  double mRange = 66.0;
  double mValue = -144.1;
  double mHold = -144.1;
  double mAltValue = -144.1;
  int mShowAlt = 0;  // non-zero: the value row prints mAltValue
  double mOver = 0.0;
  double mZoneFractions[6] = {};  // zone edges, top (1.0) to bottom (0.0)
  int mTag;

private:
  double Fraction(double level) const;
};
