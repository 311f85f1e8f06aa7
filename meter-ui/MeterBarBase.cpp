#include "meter-ui/MeterBarBase.h"

#include <algorithm>
#include <cmath>

#include "graphics/IGraphicsConstants.h"

using namespace iplug::igraphics;

MeterBarBase::MeterBarBase(const IRECT& bounds) : IControl(bounds, -1)
{
  LayoutRows();
}

void MeterBarBase::SetLook(const IColor& textColor, int captionSize, const WDL_String& caption, int valueSize,
                           const WDL_String& placeholder)
{
  mBaseCaptionSize = mCaptionSize = captionSize;
  mBaseValueSize = mValueSize = valueSize;
  mCaption.Set(caption.Get());
  mPlaceholder.Set(placeholder.Get());
  mTextColor = mValueColor = textColor;
  mHoldTextColor = kColorWhite;
  BuildTexts();
  mValueRect = IRECT(mRECT.L, mRECT.B - static_cast<float>(valueSize), mRECT.R, mRECT.B);
  SetDirty(true, -1);
}

void MeterBarBase::LayoutRows()
{
  const IRECT& b = mRECT;
  mCaptionRect = IRECT(b.L, b.T, b.R, b.T + 9.f);
  mOverRect = IRECT(b.L, b.T + 16.f, b.R, b.T + 25.f);
  mBarRect = IRECT(b.L, b.T + 30.f, b.R, b.B - 16.f);
  mCaptionSize = mBaseCaptionSize;
  mValueSize = mBaseValueSize;
  mValueRect = IRECT(b.L, b.B - static_cast<float>(mValueSize), b.R, b.B);
  BuildTexts();
}

void MeterBarBase::BuildTexts()
{
  auto text = [](int size, const IColor& color, EAlign align) {
    return IText(static_cast<float>(size), color, "Roboto-Regular", align, EVAlign::Middle, 0.f,
                 DEFAULT_TEXTENTRY_BGCOLOR, DEFAULT_TEXTENTRY_FGCOLOR);
  };
  mCaptionText = text(mCaptionSize, mTextColor, EAlign::Center);
  mValueText = text(mValueSize, mValueColor, EAlign::Far);
  mHoldText = text(mValueSize, mHoldTextColor, EAlign::Far);
}

float MeterBarBase::BarY(double fraction) const
{
  const double h = mBarRect.H();
  const double y = mBarRect.B - std::trunc(fraction * h);
  return static_cast<float>(std::clamp(y, static_cast<double>(mBarRect.T), static_cast<double>(mBarRect.B)));
}
