#include "meter-ui/IMeterScaleControl.h"

#include <algorithm>
#include <cmath>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"
#include "meter-ui/MeterStyle.h"

using namespace iplug::igraphics;

IMeterScaleControl::IMeterScaleControl(const IRECT& bounds) : IControl(bounds, -1)
{
  SetLook(kColorBlack, 10, kColorBlack, kColorGray, kColorGray, WDL_String("dBFS"));
  SetRange(std::floor(6.0 + 0.5), std::floor(-60.0 + 0.5));
  SetDirty(true, -1);
}

void IMeterScaleControl::SetLook(const IColor& labelColor, int textSize, const IColor& zeroColor,
                                 const IColor& majorColor, const IColor& minorColor, const WDL_String& caption)
{
  mLabelColor = labelColor;
  mZeroColor = zeroColor;
  mMajorColor = majorColor;
  mMinorColor = minorColor;
  mBaseTextSize = mTextSize = textSize;
  mCaption.Set(caption.Get());
  OnResize();
  SetDirty(true, -1);
}

void IMeterScaleControl::SetRange(double max, double min)
{
  mMax = max;
  mMin = min;
  mRange = max - min;
  const ScaleSteps steps = ScaleStepsFor(mRange);
  mMajorStep = steps.label;
  mMinorStep = steps.minor;
}

void IMeterScaleControl::BuildText()
{
  mLabelText = IText(static_cast<float>(mTextSize), mLabelColor, "Roboto-Regular", EAlign::Far, EVAlign::Middle);
}

void IMeterScaleControl::OnResize()
{
  mTextSize = mBaseTextSize;
  BuildText();
  mBoundsCopy = mRECT;
  mTickRect = IRECT(mRECT.L + 30.f, mRECT.T + 38.f, mRECT.R, mRECT.B - 20.f);
  SetDirty(false, -1);
}

void IMeterScaleControl::DrawMark(IGraphics& g, double level, const IColor& color, float width, bool label)
{
  const double f = std::clamp((level - mMin) / mRange, 0.0, 1.0);
  const double h = mTickRect.H();
  const float y = static_cast<float>(
    std::clamp(mTickRect.B - std::trunc(f * h), static_cast<double>(mTickRect.T), static_cast<double>(mTickRect.B)));
  g.DrawLine(color, mTickRect.L, y, mTickRect.R, y, nullptr, width);
  if (label)
  {
    const float half = static_cast<float>(mTextSize) / 2.f;
    g.DrawText(mLabelText, LevelText(level).c_str(), IRECT(mBoundsCopy.L, y - half, mTickRect.L - 4.f, y + half));
  }
}

void IMeterScaleControl::DrawTicks(IGraphics& g, double from, double to, double step, const IColor& color, float width,
                                   bool label)
{
  // A spacing below one unit has no whole-unit marks (and would divide by zero).
  const long every = static_cast<long>(std::trunc(step));
  if (every < 1)
    return;
  for (double v = from; v >= to; v -= 1.0)
    if (static_cast<long>(std::trunc(v)) % every == 0)
      DrawMark(g, v, color, width, label);
}

void IMeterScaleControl::Draw(IGraphics& g)
{
  // Without a range no level has a place on the scale: the caption alone is drawn.
  if (mRange > 0.0 && std::isfinite(mMax) && std::isfinite(mMin))
  {
    if (mScaleMode == kStd)
    {
      DrawTicks(g, mMax, mMin, mMinorStep, mMinorColor, 1.f, false);
      DrawTicks(g, mMax - mMajorStep, mMin + mMajorStep, mMajorStep, mMajorColor, 1.5f, true);
      DrawMark(g, mMax, mMajorColor, 1.5f, true);
      DrawMark(g, mMin, mMajorColor, 1.5f, true);
      if (mMin <= 0.0 && 0.0 <= mMax)
        DrawMark(g, 0.0, mZeroColor, 1.5f, true);
    }
    else
    {
      for (double level : FixedScaleMarks(mScaleMode))
        if (level >= mMin && level <= mMax)
          DrawMark(g, level, mZeroColor, 1.5f, true);
    }
  }

  const int s = mTextSize;
  const int h = s / 2;
  g.DrawText(mLabelText, mCaption.Get(),
             IRECT(mBoundsCopy.L, mTickRect.B + static_cast<float>(h), mTickRect.L - 4.f,
                   mTickRect.B + static_cast<float>(s + 2 * h)));
}
