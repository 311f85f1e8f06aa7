#include "meter-ui/IBUpdateControlZv.h"

#include "framework/IGraphicsEditorDelegate.h"
#include "graphics/IGraphics.h"

using namespace iplug::igraphics;

namespace {

constexpr const char* kNoUpdateTip = "Click to check for updates";
constexpr const char* kUpdateTip = "Update available";

}  // namespace

IBUpdateControlZv::IBUpdateControlZv(float x, float y, const IBitmap& bitmap, int actionId)
: IControl(FrameSize(bitmap).GetTranslated(x, y)), IBitmapBase(bitmap, this), mActionId(actionId)
{
  SetTooltip(kNoUpdateTip);
}

void IBUpdateControlZv::OnMouseDown(float, float, const IMouseMod&)
{
  if (mActionId != -1 && GetDelegate())
    GetDelegate()->ParameterChanged(mActionId, iplug::kEditor, -1);
}

// The tooltip is set with the frame, so that what the pointer is told matches what is drawn.
void IBUpdateControlZv::Draw(IGraphics& g)
{
  const bool updateAvailable = GetValue() > 0.0;
  const IRECT frame = FrameSize(mBitmap);
  g.DrawBitmapFrame(mBitmap, mRECT.GetCentredInside(frame.W(), frame.H()), updateAvailable ? 2 : 1, &mBlend);
  SetTooltip(updateAvailable ? kUpdateTip : kNoUpdateTip);
}
