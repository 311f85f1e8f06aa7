#include "graphics/IFPSDisplayControl.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"

namespace iplug::igraphics {

IFPSDisplayControl::IFPSDisplayControl(const IRECT& bounds, int mode, const char* name)
: IControl(bounds), IVectorBase(kStyleDefault), mMode(mode), mName(name ? name : "")
{
  AttachIControl(this, name);
  mStyle.colorSpec.SetColor(kBG, kColorWhite);
  const IColor& ink = GetColor(kFR);
  mText = IText(14.f, ink, "Roboto-Regular", EAlign::Near, EVAlign::Bottom);
  mTitleText = IText(14.f, ink, "Roboto-Regular", EAlign::Near, EVAlign::Top);
  mMainText = IText(18.f, ink, "Roboto-Regular", EAlign::Far, EVAlign::Top);
  mSecondText = IText(15.f, ink, "Roboto-Regular", EAlign::Far, EVAlign::Bottom);
}

void IFPSDisplayControl::OnMouseDown(float, float, const IMouseMod&)
{
  mMode = (mMode + 1) % kNumModes;
  SetDirty(false);
}

void IFPSDisplayControl::Draw(IGraphics& g)
{
  float sum = 0.f;
  for (const float t : mBuffer)
  {
    sum += t;
  }
  const float avg = sum / static_cast<float>(kNumDataPoints);

  g.FillRect(GetColor(kBG), mRECT);
  g.DrawRect(kColorBlack, mRECT, nullptr, 1.f);
  const IRECT plot = mRECT.GetPadded(-2.f);
  g.PathClear();
  g.PathMoveTo(plot.L, plot.B);
  for (int i = 0; i < kNumDataPoints; ++i)
  {
    // Oldest at the left: the entry after the newest is the oldest.
    const float t = mBuffer[(mWritePos + 1 + i) % kNumDataPoints];
    // The value and the top of the scale for the mode.
    const auto [v, top] = mMode == kFPS            ? std::pair(std::min(1.f / (t + 0.00001f), 80.f), 80.f)
                          : mMode == kMilliseconds ? std::pair(std::min(t * 1000.f, 20.f), 20.f)
                                                   : std::pair(std::min(t, 100.f), 100.f);
    const float x = plot.L + static_cast<float>(i) / (kNumDataPoints - 1) * plot.W();
    g.PathLineTo(x, plot.B - v / top * plot.H());
  }
  g.PathLineTo(mRECT.R, mRECT.B);
  g.PathFill(IPattern(GetColor(kFG)));

  const char* renderer = g.RendererName();
  if (renderer && renderer[0])
  {
    g.DrawText(mTitleText, renderer, plot);
  }
  if (!mName.empty())
  {
    g.DrawText(mText, mName.c_str(), plot);
  }
  char str[32];
  switch (mMode)
  {
    case kFPS:
      std::snprintf(str, sizeof(str), "%.2f FPS", 1.f / avg);
      g.DrawText(mMainText, str, plot);
      std::snprintf(str, sizeof(str), "%.2f ms", avg * 1000.f);
      g.DrawText(mSecondText, str, plot);
      break;
    case kMilliseconds:
      std::snprintf(str, sizeof(str), "%.2f ms", avg * 1000.f);
      g.DrawText(mMainText, str, plot);
      break;
    default:
      std::snprintf(str, sizeof(str), "%.1f %%", avg);
      g.DrawText(mMainText, str, plot);
      break;
  }
}

}  // namespace iplug::igraphics
