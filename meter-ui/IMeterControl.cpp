#include "meter-ui/IMeterControl.h"

#include <algorithm>
#include <cmath>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"
#include "meter-ui/MeterStyle.h"

using namespace iplug::igraphics;

IMeterControl::IMeterControl(const IRECT& bounds, int tag) : MeterBarBase(bounds), mTag(tag)
{
  SetLook(kColorBlack, 11, WDL_String("xxx"), 9, WDL_String("---"));
  mMax = std::floor(mMax + 0.5);
  mMin = std::floor(mMin + 0.5);
  mRange = mMax - mMin;
  ComputeZoneFractions();
  SetDirty(true, -1);
}

void IMeterControl::OnResize()
{
  LayoutRows();
  SetDirty(false, -1);
}

void IMeterControl::ComputeZoneFractions()
{
  mZoneFractions[0] = 1.0;
  for (int i = 0; i < 4; ++i)
    mZoneFractions[i + 1] = RangeUsable(mRange) ? (mSplits[i] - mMin) / mRange : 0.0;
  mZoneFractions[5] = 0.0;
}

double IMeterControl::Fraction(double level) const
{
  return std::clamp((level - mMin - mOffset) / mRange, 0.0, 1.0);
}

void IMeterControl::Draw(IGraphics& g)
{
  g.DrawText(mCaptionText, mCaption.Get(), mCaptionRect);
  if (mOver > 0.5)
    g.FillRect(mOverColor, mOverRect, &mBlend);

  const float left = mBarRect.L;
  const float right = mBarRect.R;
  // Without a range no level has a place on the bar: the texts alone are drawn.
  const bool usable = RangeUsable(mRange);
  float holdY = mBarRect.B;
  if (usable)
  {
    const double h = mBarRect.H();
    // Zone k runs from fraction k (its lower edge) to fraction k - 1.
    auto fill = [&](const IColor& color, double lower, double upper) {
      g.FillRect(color, IRECT(left, BarY(upper), right, BarY(lower)), &mBlend);
    };
    for (int k = 1; k <= 5; ++k)
      fill(mZoneColors[k - 1].dim, mZoneFractions[k], mZoneFractions[k - 1]);

    // The level lights the zones from the bottom up to where it lies.
    const double f = Fraction(mValue);
    fill(mZoneColors[4].bright, 0.0, std::min(f, mZoneFractions[4]));
    for (int k = 4; k >= 1 && f >= mZoneFractions[k]; --k)
      fill(mZoneColors[k - 1].bright, mZoneFractions[k], std::min(f, mZoneFractions[k - 1]));

    holdY = static_cast<float>(mBarRect.B - h * Fraction(mHold));
  }

  // Nothing held (a bar of a channel not measured, or silence) has neither hold line nor text.
  if (mHold >= kLowestShownLevel)
  {
    if (usable)
      g.FillRect(mHoldLineColor, IRECT(left, holdY, right, holdY + 1.f), &mBlend);
    const float r = mValueRect.H();
    g.DrawText(mHoldText, LevelText(mHold - mOffset).c_str(), IRECT(left, holdY - r, right, holdY + 1.f - r));
  }

  const std::string value = mValue < kLowestShownLevel ? std::string(mPlaceholder.Get())
                                                       : LevelText((mShowAlt ? mAltValue : mValue) - mOffset);
  g.DrawText(mValueText, value.c_str(), mValueRect);
}
