#include "graphics/IGraphics.h"

#include <chrono>
#include <cmath>
#include <cstring>

#include "framework/IGraphicsEditorDelegate.h"
#include "framework/IPlugParameter.h"
#include "framework/IPlugStructs.h"
#include "graphics/IBackgroundControls.h"
#include "graphics/IBitmap.h"
#include "graphics/ISVG.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/IBubbleControl.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"

namespace iplug::igraphics {

IGraphics::IGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
: mWidth(w),
  mHeight(h),
  mFPS(fps > 0 ? fps : 60),
  mDrawScale(scale),
  mMinScale(0.5f * scale),
  mMaxScale(2.f * scale),
  mDelegate(&dlg)
{
  StoreEditorSizeInDelegate();
  RetainStaticStorage();
}

IGraphics::~IGraphics()
{
  // The platform part that would show the cursor again is gone by now: it shows it when its
  // window closes.
  mCursorHidden = false;
  DeleteAllControls();
  ReleaseStaticStorage();
}

// ---- Attaching ------------------------------------------------------------------------------

void IGraphics::InitSpecialControl(IControl* control)
{
  control->SetDelegate(mDelegate);
  control->SetGraphics(GraphicsForControls());
  control->OnInit();
  control->OnResize();
  control->OnRescale();
}

IControl* IGraphics::AddControl(IControl* control, int tag, const char* group)
{
  if (tag >= 0 && !mCtrlTags.try_emplace(tag, control).second)
  {
    return nullptr;  // the tag is taken: the caller keeps the control
  }
  InitSpecialControl(control);
  control->SetGroup(group);
  mControls.push_back(control);
  control->OnAttached();
  return control;
}

int IGraphics::GetControlIdx(const IControl* control) const
{
  for (int i = 0; i < NControls(); ++i)
  {
    if (mControls[static_cast<size_t>(i)] == control)
    {
      return i;
    }
  }
  return -1;
}

void IGraphics::AddCornerResizer(ICornerResizerControl* control, int mode, bool layoutOnResize)
{
  if (mCornerResizer)
  {
    delete control;  // only one resizer is kept
    return;
  }
  mCornerResizer.reset(control);
  mGUISizeMode = mode;
  mLayoutOnResize = layoutOnResize;
  InitSpecialControl(control);
}

void IGraphics::AddCornerResizerFor(int mode, bool layoutOnResize, const IColor& color, const IColor& mouseOverColor,
                                    const IColor& dragColor, float size)
{
  AddCornerResizer(new ICornerResizerControl(GetBounds(), size, color, mouseOverColor, dragColor), mode,
                   layoutOnResize);
}

void IGraphics::AddPopupMenuControl(const IText& text, const IRECT& bounds)
{
  if (!mPopupControl)
  {
    AddPopupMenuControl(new IPopupMenuControl(-1, text, bounds));
  }
}

void IGraphics::AddPopupMenuControl(IPopupMenuControl* control)
{
  std::unique_ptr<IPopupMenuControl> owned(control);
  if (!mPopupControl)
  {
    mPopupControl = std::move(owned);
    InitSpecialControl(control);
  }
}

void IGraphics::AddTextEntryControl()
{
  if (!mTextEntryControl)
  {
    AddTextEntryControl(new ITextEntryControl());
  }
}

void IGraphics::AddTextEntryControl(ITextEntryControl* control)
{
  std::unique_ptr<ITextEntryControl> owned(control);
  if (!mTextEntryControl)
  {
    mTextEntryControl = std::move(owned);
    InitSpecialControl(control);
  }
}

void IGraphics::AddBubbleControl(const IText& text)
{
  const IVStyleColors defaults;
  AddBubbleControl(new IBubbleControl(text, defaults.GetColor(kFG), defaults.GetColor(kFR), 5.f));
}

void IGraphics::AddBubbleControl(IBubbleControl* control)
{
  std::unique_ptr<IBubbleControl> owned(control);
  InitSpecialControl(control);
  mBubbleControls.push_back(control);
  owned.release();
}

IBubbleControl* IGraphics::GetBubbleControl(int idx) const
{
  return idx >= 0 && idx < NBubbles() ? mBubbleControls[static_cast<size_t>(idx)] : nullptr;
}

void IGraphics::ShowFrameTimeDisplay(bool enable)
{
  if (enable && !mPerfDisplay)
  {
    mPerfDisplay = std::make_unique<IFPSDisplayControl>(IRECT(10.f, 10.f, 210.f, 60.f), 0, "Frame Time");
    InitSpecialControl(mPerfDisplay.get());
  }
  else if (!enable && mPerfDisplay)
  {
    ClearControlReferences(mPerfDisplay.get());
    mPerfDisplay.reset();
    mMouseOver = nullptr;
    mMouseOverIdx = -1;
  }
  MarkAllControlsDirty(false);
}

void IGraphics::AddBackground(IControl* control)
{
  InitSpecialControl(control);
  mControls.insert(mControls.begin(), control);
  if (mMouseOver)
  {
    mMouseOverIdx = GetControlIdx(mMouseOver);
  }
  control->OnAttached();
}

void IGraphics::AddBitmapBackground(const char* name)
{
  AddBackground(new IBitmapControl(0.f, 0.f, LoadBitmap(name, 1, false)));
}

void IGraphics::AddSVGBackground(const char* name)
{
  AddBackground(new ISVGControl(GetBounds(), LoadSVG(name, "px", 72.f), true));
}

void IGraphics::AddPanelBackground(const IPattern& pattern)
{
  AddBackground(new IPanelControl(GetBounds(), pattern));
}

void IGraphics::RemovePopupMenuControl()
{
  if (mPopupControl)
  {
    ClearControlReferences(mPopupControl.get());
    mPopupControl.reset();
  }
}

void IGraphics::RemoveTextEntryControl()
{
  if (mTextEntryControl)
  {
    ClearControlReferences(mTextEntryControl.get());
    mTextEntryControl.reset();
  }
}

// ---- Removing -------------------------------------------------------------------------------

void IGraphics::ClearControlReferences(IControl* control)
{
  if (ControlIsCaptured(control))
  {
    mCapturedMap.clear();
  }
  if (mMouseOver == control)
  {
    mMouseOver = nullptr;
    mMouseOverIdx = -1;
  }
  if (mInTextEntry == control)
  {
    mInTextEntry = nullptr;
  }
  if (mInPopupMenu == control)
  {
    mInPopupMenu = nullptr;
  }
  // The host must not be left inside a gesture of a control that is going away.
  while (mGesturesBegun.contains(control))
  {
    EndParamGestures(control);
  }
}

void IGraphics::RemoveControl(IControl* control)
{
  const int idx = GetControlIdx(control);
  if (idx < 0)
  {
    return;
  }
  ClearControlReferences(control);
  std::erase_if(mCtrlTags, [control](const auto& entry) { return entry.second == control; });
  mControls.erase(mControls.begin() + idx);
  // The mouse-over index counts list positions, which have just moved.
  if (mMouseOver)
  {
    mMouseOverIdx = GetControlIdx(mMouseOver);
  }
  delete control;
  MarkAllControlsDirty(false);
}

void IGraphics::RemoveControl(int idx)
{
  if (IControl* control = GetControl(idx))
  {
    RemoveControl(control);
  }
}

void IGraphics::RemoveControlWithTag(int tag)
{
  RemoveControl(FindControlByTag(tag));
}

void IGraphics::DeleteAllControls()
{
  mCapturedMap.clear();
  if (mCursorHidden)
  {
    SetCursorHidden(false, true);
  }
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
  // Nothing may point at a deleted control afterwards.
  mInTextEntry = nullptr;
  mInPopupMenu = nullptr;
  // No call into the delegate here: it may be part-way through its own destruction.
  mGesturesBegun.clear();
  mPopupControl.reset();
  mTextEntryControl.reset();
  mCornerResizer.reset();
  mPerfDisplay.reset();
  while (!mBubbleControls.empty())
  {
    delete mBubbleControls.back();
    mBubbleControls.pop_back();
  }
  mCtrlTags.clear();
  while (!mControls.empty())
  {
    delete mControls.back();
    mControls.pop_back();
  }
}

// ---- Iteration ------------------------------------------------------------------------------

void IGraphics::VisitAllControls(const std::function<void(IControl*)>& func)
{
  if (!func)
  {
    throw std::bad_function_call();
  }
  for (IControl* control : mControls)
  {
    func(control);
  }
  for (IControl* special :
       {static_cast<IControl*>(mPerfDisplay.get()), static_cast<IControl*>(mCornerResizer.get()),
        static_cast<IControl*>(mTextEntryControl.get()), static_cast<IControl*>(mPopupControl.get())})
  {
    if (special)
    {
      func(special);
    }
  }
  for (IControl* bubble : mBubbleControls)
  {
    func(bubble);
  }
}

void IGraphics::VisitListedControls(const std::function<void(IControl*)>& func)
{
  if (!func)
  {
    throw std::bad_function_call();
  }
  for (IControl* control : mControls)
  {
    func(control);
  }
}

void IGraphics::VisitGroupControls(const char* group, const std::function<void(IControl*)>& func)
{
  VisitListedControls([&](IControl* control) {
    if (std::strcmp(control->GetGroup(), group) == 0)
    {
      func(control);
    }
  });
}

void IGraphics::VisitParamControls(int paramIdx, const std::function<void(IControl*)>& func)
{
  if (!func)
  {
    throw std::bad_function_call();
  }
  VisitListedControls([&](IControl* control) {
    if (control->IsLinkedToParam(paramIdx))
    {
      func(control);
    }
  });
}

int IGraphics::ParamIdxOfControlAt(int idx) const
{
  const IControl* control = GetControl(idx);
  return control && control->NVals() > 0 ? control->GetParamIdx(0) : -1;
}

void IGraphics::UpdatePeers(IControl* caller, int valIdx)
{
  const int paramIdx = caller->GetParamIdx(valIdx);
  const double value = caller->GetValue(valIdx);
  for (IControl* control : mControls)
  {
    if (control == caller)
    {
      continue;
    }
    const int peerValIdx = control->FindValIdxForParam(paramIdx);
    if (peerValIdx >= 0)
    {
      control->ValueFromDelegate(value, peerValIdx);
    }
  }
}

void IGraphics::AssignParamNameToolTips()
{
  VisitListedControls([](IControl* control) {
    if (const IParam* param = control->GetParam(0))
    {
      control->SetTooltip(param->GetName());
    }
  });
}

void IGraphics::AssignParamNameToolTipsAuto()
{
  VisitListedControls([](IControl* control) {
    const IParam* param = control->GetParam(0);
    if (param && !control->GetTooltip()[0])
    {
      control->SetTooltip(param->GetName());
    }
  });
}

void IGraphics::EnableTooltips(bool enable)
{
  const bool changed = enable != mEnableTooltips;
  mEnableTooltips = enable;
  if (changed)
  {
    UpdateTooltips();
  }
}

void IGraphics::StyleAllVectorControls(const IVStyle& style)
{
  for (IControl* control : mControls)
  {
    if (auto* vectorBase = dynamic_cast<IVectorBase*>(control))
    {
      vectorBase->SetStyle(style);
    }
  }
}

bool IGraphics::ControlIsCaptured(const IControl* control) const
{
  for (const auto& entry : mCapturedMap)
  {
    if (entry.second == control)
    {
      return true;
    }
  }
  return false;
}

void IGraphics::ReleaseMouseCapture()
{
  mCapturedMap.clear();
  if (mCursorHidden)
  {
    SetCursorHidden(false, true);
  }
}

// ---- Resource caches ------------------------------------------------------------------------

StaticStorage<APIBitmap>& BitmapStorage()
{
  static StaticStorage<APIBitmap> storage;
  return storage;
}

StaticStorage<SVGHolder>& SVGStorage()
{
  static StaticStorage<SVGHolder> storage;
  return storage;
}

// The bitmap cache's lock is always taken first, the SVG cache's nested inside it.
void IGraphics::RetainStaticStorage()
{
  StaticStorage<APIBitmap>::Accessor bitmaps(BitmapStorage());
  StaticStorage<SVGHolder>::Accessor svgs(SVGStorage());
  bitmaps.Retain();
  svgs.Retain();
}

void IGraphics::ReleaseStaticStorage()
{
  StaticStorage<APIBitmap>::Accessor bitmaps(BitmapStorage());
  bitmaps.Release();
  StaticStorage<SVGHolder>::Accessor svgs(SVGStorage());
  svgs.Release();
}

// ---- Hit test -------------------------------------------------------------------------------

IControl* IGraphics::FindControlAt(float x, float y, bool mouseOver, int& idx) const
{
  idx = -1;
  if (mPopupControl && mPopupControl->TakesPointer())
  {
    return mPopupControl.get();
  }
  if (mTextEntryControl && mTextEntryControl->EditInProgress())
  {
    return mTextEntryControl.get();
  }
  if (mCornerResizer && mCornerResizer->GetRECT().Contains(x, y))
  {
    return mCornerResizer.get();
  }
  if (mPerfDisplay && mPerfDisplay->GetRECT().Contains(x, y))
  {
    return mPerfDisplay.get();
  }
  if (mouseOver && !mHandleMouseOver)
  {
    return nullptr;
  }
  // The background (index 0) takes no mouse-over.
  const int lowest = mouseOver ? 1 : 0;
  for (int i = NControls() - 1; i >= lowest; --i)
  {
    IControl* control = mControls[static_cast<size_t>(i)];
    const bool allowedWhenDisabled = mouseOver ? control->GetMouseOverWhenDisabled()
                                               : control->GetMouseEventsWhenDisabled();
    if (!control->IsHidden() && !control->GetIgnoreMouse() && (!control->IsDisabled() || allowedWhenDisabled) &&
        control->IsHit(x, y))
    {
      idx = i;
      return control;
    }
  }
  return nullptr;
}

IControl* IGraphics::GetMouseControl(float x, float y, bool capture, bool mouseOver, uint64_t touchId)
{
  if (const auto it = mCapturedMap.find(touchId); it != mCapturedMap.end() && it->second)
  {
    return it->second;
  }
  int idx = -1;
  IControl* control = FindControlAt(x, y, mouseOver, idx);
  if (capture && control)
  {
    if (mEnableMultiTouch && !control->GetWantsMultiTouch() && ControlIsCaptured(control))
    {
      return nullptr;  // already held by another pointer
    }
    mCapturedMap.try_emplace(touchId, control);
  }
  if (mouseOver)
  {
    mMouseOverIdx = idx;
  }
  return control;
}

// ---- Size and scale -------------------------------------------------------------------------

void IGraphics::Resize(int w, int h, float scale, bool needsPlatformResize)
{
  ClampToDelegateLimits(w, h);
  scale = std::min(mMaxScale, std::max(mMinScale, scale));
  if (w == mWidth && h == mHeight && scale == mDrawScale)
  {
    return;
  }
  ApplyResize(w, h, scale, needsPlatformResize);
}

void IGraphics::ResizeInPixels(int w, int h, bool sizeIsPoints, float scale)
{
  scale = std::min(mMaxScale, std::max(mMinScale, scale));
  if (!sizeIsPoints)
  {
    int pw = static_cast<int>(w * scale);
    int ph = static_cast<int>(h * scale);
    ClampToDelegateLimits(pw, ph);
    w = static_cast<int>(pw / scale);
    h = static_cast<int>(ph / scale);
  }
  else
  {
    ClampToDelegateLimits(w, h);
  }
  if (w == mWidth && h == mHeight && scale == mDrawScale)
  {
    return;
  }
  ApplyResize(w, h, scale, true);
}

void IGraphics::ApplyResize(int w, int h, float scale, bool needsPlatformResize)
{
  ReleaseMouseCapture();
  const int bitmapScale = BitmapScale();
  mDrawScale = scale;
  mWidth = w;
  mHeight = h;
  if (mCornerResizer)
  {
    mCornerResizer->OnRescale();
  }
  if (BitmapScale() != bitmapScale)
  {
    // Bitmaps are chosen for the pixels a point takes, which the draw scale changes too.
    ForAllControls(&IControl::OnRescale);
  }
  RequestWindowResize(needsPlatformResize);
  ForAllControls(&IControl::OnResize);
  MarkAllControlsDirty(false);
  DrawAfterResize();
  if (mLayoutOnResize)
  {
    LayoutUIThroughDelegate();
  }
}

void IGraphics::SetBackingScale(float scale)
{
  mScreenScale = scale;
  RequestWindowResize(true);
  ForAllControls(&IControl::OnRescale);
  MarkAllControlsDirty(false);
  DrawAfterResize();
}

int IGraphics::WindowPixels(int points) const
{
  const int drawn = static_cast<int>(points * mDrawScale);
  return static_cast<int>(drawn * WindowBackingScale(static_cast<float>(drawn)));
}

// ---- Keys -----------------------------------------------------------------------------------

bool IGraphics::OnKeyDown(float x, float y, const IKeyPress& key)
{
  return DispatchKey(x, y, key, false);
}

bool IGraphics::OnKeyUp(float x, float y, const IKeyPress& key)
{
  return DispatchKey(x, y, key, true);
}

bool IGraphics::DispatchKey(float x, float y, const IKeyPress& key, bool isUp)
{
  int idx = -1;
  IControl* control = FindControlAt(x, y, false, idx);
  // The background (index 0) never takes keys.
  if (control && idx != 0)
  {
    const bool handled = isUp ? control->OnKeyUp(x, y, key) : control->OnKeyDown(x, y, key);
    if (handled)
    {
      return true;
    }
  }
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, isUp) : false;
}

// ---- Text -----------------------------------------------------------------------------------

float IGraphics::MeasureText(const IText& text, const char* str, IRECT& bounds) const
{
  if (!str || !str[0])
  {
    return 0.f;
  }
  return MeasureTextRun(text, str, bounds);
}

// ---- Frame ----------------------------------------------------------------------------------

void IGraphics::BeginFrame()
{
  if (!mPerfDisplay)
  {
    return;
  }
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  const double now = duration<double>(steady_clock::now() - start).count();
  mPerfDisplay->Update(static_cast<float>(now - mPrevTimestamp));
  mPrevTimestamp = now;
}

// ---- Delegate roads -------------------------------------------------------------------------

void IGraphics::StoreEditorSizeInDelegate()
{
  mDelegate->SetEditorSize(mWidth, mHeight);
  mDelegate->SetEditorScale(mDrawScale);
}

IGraphics* IGraphics::GraphicsForControls()
{
  return mDelegate->GetGraphicsAvailable() ? mDelegate->GetUI() : nullptr;
}

void IGraphics::ClampToDelegateLimits(int& w, int& h) const
{
  // A delegate that never set its limits (maximum 0) leaves the size alone rather than
  // collapsing the editor to nothing.
  if (mDelegate->GetMaxWidth() > 0)
  {
    w = std::clamp(w, mDelegate->GetMinWidth(), mDelegate->GetMaxWidth());
  }
  if (mDelegate->GetMaxHeight() > 0)
  {
    h = std::clamp(h, mDelegate->GetMinHeight(), mDelegate->GetMaxHeight());
  }
}

void IGraphics::RequestWindowResize(bool needsPlatformResize)
{
  const bool resized = mDelegate->ResizeRequestFromEditor(WindowPixels(mWidth), WindowPixels(mHeight),
                                                          needsPlatformResize);
  ResizeNativeView(resized);
}

void IGraphics::LayoutUIThroughDelegate()
{
  mDelegate->LayoutUI(this);
}

void IGraphics::BeginParamGestures(IControl* control)
{
  for (int i = 0; i < control->NVals(); ++i)
  {
    if (control->GetParamIdx(i) >= 0)
    {
      mDelegate->GestureBeginFromEditor(control->GetParamIdx(i));
    }
  }
  ++mGesturesBegun[control];
}

void IGraphics::EndParamGestures(IControl* control)
{
  // Only a gesture that a press began is ended, once.
  const auto it = mGesturesBegun.find(control);
  if (it == mGesturesBegun.end())
  {
    return;
  }
  if (--it->second == 0)
  {
    mGesturesBegun.erase(it);
  }
  for (int i = 0; i < control->NVals(); ++i)
  {
    if (control->GetParamIdx(i) >= 0)
    {
      mDelegate->GestureEndFromEditor(control->GetParamIdx(i));
    }
  }
}

void IGraphics::DelegateMouseDown()
{
  mDelegate->OnMouseDownHook();
}

void IGraphics::DelegateMouseUp()
{
  mDelegate->OnMouseUpHook();
}

void IGraphics::SendQwertyMidi(int status, int note, int velocity, const IMidiKeyFunc& func)
{
  IMidiMsg msg;
  msg.mStatus = static_cast<uint8_t>(status);
  msg.mData1 = static_cast<uint8_t>(note);
  msg.mData2 = static_cast<uint8_t>(velocity);
  mDelegate->QueueMidiFromEditor(msg);
  if (func)
  {
    func(msg);
  }
}

}  // namespace iplug::igraphics
