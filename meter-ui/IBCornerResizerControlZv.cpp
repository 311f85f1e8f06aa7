#include "meter-ui/IBCornerResizerControlZv.h"

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"
#include "meter-ui/EditorAction.h"

using namespace iplug::igraphics;

namespace {
int ModeOf(int sizeCommit, int sizeReset, int scaleCommit, int scaleReset)
{
  const bool size = sizeCommit != -1 && sizeReset != -1;
  const bool noSize = sizeCommit == -1 && sizeReset == -1;
  const bool scale = scaleCommit != -1 && scaleReset != -1;
  const bool noScale = scaleCommit == -1 && scaleReset == -1;
  if (size && scale)
    return IBCornerResizerControlZv::kSizeAndScale;
  if (size && noScale)
    return IBCornerResizerControlZv::kSizeOnly;
  if (noSize && scale)
    return IBCornerResizerControlZv::kScaleOnly;
  return IBCornerResizerControlZv::kNone;
}
}  // namespace

IBCornerResizerControlZv::IBCornerResizerControlZv(const IBitmap& bitmap, const IRECT& bounds, int sizeCommitId,
                                                   int sizeResetId, int scaleCommitId, int scaleResetId, float offsetX,
                                                   float offsetY)
: ICornerResizerControl(bounds, static_cast<float>(bitmap.W()), kColorTransparent, kColorTransparent,
                        kColorTransparent),
  IBitmapBase(bitmap, this),
  mSizeCommitId(sizeCommitId),
  mSizeResetId(sizeResetId),
  mScaleCommitId(scaleCommitId),
  mScaleResetId(scaleResetId),
  mMode(ModeOf(sizeCommitId, sizeResetId, scaleCommitId, scaleResetId)),
  mOffsetX(offsetX),
  mOffsetY(offsetY)
{
  const float s = static_cast<float>(bitmap.W());
  mRECT = mTargetRECT = IRECT(bounds.R - s + 1.f, bounds.B - s + 1.f, bounds.R - 1.f, bounds.B - 1.f);
}

bool IBCornerResizerControlZv::Scales(const IMouseMod& mod) const
{
  return mMode == kScaleOnly || (mMode == kSizeAndScale && mod.C);
}

void IBCornerResizerControlZv::OnMouseDown(float, float, const IMouseMod& mod)
{
  if (mMode != kNone)
    mGraphics->SetResizerMode(Scales(mod) ? IGraphics::kResizeScale : IGraphics::kResizeSize);
  mGraphics->SetResizingInProcess(true);
}

void IBCornerResizerControlZv::OnMouseDblClick(float, float, const IMouseMod& mod)
{
  if (mMode == kNone)
    return;
  const bool scales = Scales(mod);
  mGraphics->SetResizerMode(scales ? IGraphics::kResizeScale : IGraphics::kResizeSize);
  FireEditorAction(*this, scales ? mScaleResetId : mSizeResetId);
}

// The graphics object also calls this when the control is attached and when the plug-in
// resizes the editor itself; only a drag of this handle is the user's new size or scale.
void IBCornerResizerControlZv::OnRescale()
{
  ReloadBitmap();
  if (mMode == kNone || !mGraphics->GetResizingInProcess())
    return;
  FireEditorAction(*this, mGraphics->GetResizerMode() == IGraphics::kResizeScale ? mScaleCommitId : mSizeCommitId);
}

void IBCornerResizerControlZv::OnResize()
{
  const float s = static_cast<float>(mBitmap.W());
  const float w = static_cast<float>(mGraphics->Width());
  const float h = static_cast<float>(mGraphics->Height());
  mRECT = IRECT(w - s, h - s, w, h);
  mTargetRECT = mRECT;
}

void IBCornerResizerControlZv::Draw(IGraphics& g)
{
  const int frame = mMouseIsOver || g.GetResizingInProcess() ? 2 : 1;
  g.DrawBitmapFrame(mBitmap, mRECT.GetTranslated(mOffsetX, mOffsetY), frame, &mBlend);
}
