#include "meter-ui/IBSwitchControlZv.h"

#include "graphics/IGraphics.h"

using namespace iplug::igraphics;

void IBSwitchControlZv::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseMod = mod;
  IBSwitchControl::OnMouseDown(x, y, mod);
}

void IBSwitchControlZv::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  mMouseMod = IMouseMod();
  IBSwitchControl::OnMouseUp(x, y, mod);
}

void IBSwitchControlZv::OnMouseOver(float, float, const IMouseMod&)
{
  mHovered = true;
  SetDirty(false, -1);
}

void IBSwitchControlZv::OnMouseOut()
{
  mHovered = false;
  SetDirty(false, -1);
}

void IBSwitchControlZv::Draw(IGraphics& g)
{
  if (!mVisible)
    return;
  if (mHoverHighlight && mHovered)
  {
    const IRECT frame = FrameSize(mBitmap);
    const float cx = mRECT.MW(), cy = mRECT.MH();
    g.FillRoundRect(mHoverColor,
                    IRECT(cx - frame.W() / 2.f, cy - frame.H() / 2.f, cx + frame.W() / 2.f, cy + frame.H() / 2.f), 2.f,
                    &mBlend);
  }
  DrawBitmap(g);
}

void IBPushControlZv::OnMouseDown(float, float, const IMouseMod& mod)
{
  mMouseMod = mod;
  mMouseDown = true;
  SetValue(1.0);
  SetDirty(true, -1);
}

void IBPushControlZv::OnMouseUp(float, float, const IMouseMod&)
{
  mMouseMod = IMouseMod();
  mMouseDown = false;
  SetValue(0.0);
  SetDirty(true, -1);
}
