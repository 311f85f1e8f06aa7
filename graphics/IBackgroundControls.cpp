#include "graphics/IBackgroundControls.h"

#include <cmath>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"

namespace iplug::igraphics {

IRECT IBitmapBase::FrameSize(const IBitmap& bitmap)
{
  const int n = std::max(bitmap.N(), 1);
  const float w = static_cast<float>(bitmap.GetFramesAreHorizontal() ? bitmap.W() / n : bitmap.W());
  const float h = static_cast<float>(bitmap.GetFramesAreHorizontal() ? bitmap.H() : bitmap.H() / n);
  return IRECT(0.f, 0.f, w, h);
}

void IBitmapBase::DrawBitmap(IGraphics& g)
{
  const int n = std::max(mBitmap.N(), 1);
  int frame = 1;
  if (n >= 2)
  {
    frame = std::clamp(static_cast<int>((n - 1) * mControl->GetValue() + 0.5) + 1, 1, n);
  }
  const IRECT size = FrameSize(mBitmap);
  const IRECT& bounds = mControl->GetRECT();
  const IRECT dest(bounds.MW() - size.W() / 2.f, bounds.MH() - size.H() / 2.f, bounds.MW() + size.W() / 2.f,
                   bounds.MH() + size.H() / 2.f);
  g.DrawBitmapFrame(mBitmap, dest, frame, &mControl->GetBlend());
}

void IBitmapBase::ReloadBitmap()
{
  IGraphics* g = mControl->GetUI();
  if (!g)
  {
    return;
  }
  const IBitmap scaled = g->FindScaledBitmap(mBitmap);
  if (scaled.IsValid())
  {
    mBitmap = scaled;
  }
}

IBitmapControl::IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx, int blendMode)
: IControl(FrameSize(bitmap).GetTranslated(x, y), paramIdx), IBitmapBase(bitmap, this)
{
  mBlend = IBlend(blendMode, 1.f);
}

ISVGControl::ISVGControl(const IRECT& bounds, const ISVG& svg, bool useLayer)
: IControl(bounds), mUseLayer(useLayer), mSVG(svg)
{
}

void ISVGControl::Draw(IGraphics& g)
{
  if (!mUseLayer)
  {
    g.DrawSVG(mSVG, mRECT, &mBlend);
    return;
  }
  // A moved control or a changed scale makes the kept picture stale.
  if (!g.LayerIsValid(mLayer))
  {
    g.BeginLayer(this, mRECT, true);
    g.DrawSVG(mSVG, mRECT);
    mLayer = g.FinishLayer();
  }
  g.PaintLayer(mLayer, &mBlend);
}

IPanelControl::IPanelControl(const IRECT& bounds, const IPattern& pattern, bool drawFrame)
: IControl(bounds), mPattern(pattern), mDrawFrame(drawFrame)
{
  mIgnoreMouse = true;
}

void IPanelControl::Draw(IGraphics& g)
{
  g.PathClear();
  g.PathRect(mRECT);
  g.PathFill(mPattern);
  if (mDrawFrame)
  {
    g.DrawRect(kColorLightGray, mRECT);
  }
}

}  // namespace iplug::igraphics
