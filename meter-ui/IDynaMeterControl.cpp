#include "meter-ui/IDynaMeterControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"
#include "meter-ui/MeterStyle.h"

using namespace iplug::igraphics;

IDynaMeterControl::IDynaMeterControl(const IRECT& bounds) : MeterBarBase(bounds)
{
  SetLook(kColorBlack, 11, WDL_String("xxx"), 9, WDL_String("---"));
  mMax = std::floor(mMax + 0.5);
  mMin = std::floor(mMin + 0.5);
  mRange = mMax - mMin;
  SetDirty(true, -1);
}

double IDynaMeterControl::Fraction(double level) const
{
  return std::clamp((level - mMin - mOffset) / mRange, 0.0, 1.0);
}

bool IDynaMeterControl::OnScale(double level) const
{
  const double f = (level - mMin - mOffset) / mRange;
  return f >= 0.0 && f <= 1.0;
}

float IDynaMeterControl::LineY(double level) const
{
  return static_cast<float>(mBarRect.B - Fraction(level) * mBarRect.H());
}

IColor IDynaMeterControl::RatioColor(double ratio) const
{
  return RatioColour(mRatioHighColor, mRatioLowColor, ratio, mReference);
}

void IDynaMeterControl::DrawLRA(IGraphics& g, std::string& readout)
{
  const double d = mHigh - mLow;
  if (d > 0.0 && RangeUsable(mRange))
  {
    const IRECT band(mBarRect.L, BarY(Fraction(mHigh)), mBarRect.R, BarY(Fraction(mLow)));
    const float s = static_cast<float>(mValueSize);
    g.FillRect(mBandColor, band, &mBlend);
    g.DrawText(mHoldText, LevelText(mHigh - mOffset).c_str(), IRECT(band.L, band.T, band.R, band.T + s));
    g.DrawText(mHoldText, LevelText(mLow - mOffset).c_str(), IRECT(band.L, band.B - s, band.R, band.B));
  }
  readout = LevelText(std::max(d, 0.0));
}

void IDynaMeterControl::DrawRatio(IGraphics& g, std::string& readout)
{
  const double ratio = mLow;
  const double c = mReference;
  readout = LevelText(ratio);
  if (!RangeUsable(mRange))
    return;

  const float s = static_cast<float>(mValueSize);
  g.FillRect(
    RatioColor(ratio),
    IRECT(mBarRect.L, BarY(Fraction(mCentre + ratio / 2.0)), mBarRect.R, BarY(Fraction(mCentre - ratio / 2.0))),
    &mBlend);
  const double top = mCentre + c / 2.0, bottom = mCentre - c / 2.0;
  const float y1 = LineY(top);
  const float y3 = LineY(bottom);
  for (float y : {y1, LineY(mCentre), y3})
    g.FillRect(mMarkerColor, IRECT(mBarRect.L, y, mBarRect.R, y + 1.f), &mBlend);

  // Each label sits inside the window, under the top marker and over the bottom one. A marker off
  // the scale is held at its edge, where its label would stand in the wrong order or on the value
  // row: it goes without one.
  char text[32];
  const IRECT topLabel(mBarRect.L, y1, mBarRect.R, y1 + s);
  if (OnScale(top) && topLabel.B <= mBarRect.B)
  {
    std::snprintf(text, sizeof text, "%.1lf", c * 0.5);
    g.DrawText(mHoldText, text, topLabel);
  }
  const IRECT bottomLabel(mBarRect.L, y3 + 1.f - s, mBarRect.R, y3 + 1.f);
  if (OnScale(bottom) && bottomLabel.T >= mBarRect.T)
  {
    std::snprintf(text, sizeof text, "%.1lf", c * -0.5);
    g.DrawText(mHoldText, text, bottomLabel);
  }
}

void IDynaMeterControl::Draw(IGraphics& g)
{
  g.DrawText(mCaptionText, mCaption.Get(), mCaptionRect);
  g.FillRect(mBackColor, mBarRect, &mBlend);
  if (!mDynaValid)
    return;

  // Without a range no level has a place on the bar: the read-out alone is drawn.

  std::string readout;
  if (mDynaMode == kLRA)
    DrawLRA(g, readout);
  else if (mDynaMode == kPLR || mDynaMode == kPSR)
    DrawRatio(g, readout);
  g.DrawText(mValueText, readout.c_str(), mValueRect);
}
