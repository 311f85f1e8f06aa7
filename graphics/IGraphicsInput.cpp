// Input dispatch: pointer, wheel, drop, focus and key events routed to controls, the corner
// resizer's drag, the computer-keyboard MIDI handler and control placement.

#include "graphics/IGraphics.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"

namespace iplug::igraphics {

void IGraphics::OnMouseDown(const std::vector<IMouseInfo>& points)
{
  if (points.size() == 1)
  {
    mMouseDownX = points[0].x;
    mMouseDownY = points[0].y;
  }
  for (const IMouseInfo& point : points)
  {
    IControl* control = GetMouseControl(point.x, point.y, true, false, point.ms.touchID);
    if (!control)
    {
      continue;
    }
    const int valIdx = std::max(control->ValueIndexAt(point.x, point.y), 0);
    const int paramIdx = valIdx < control->NVals() ? control->GetParamIdx(valIdx) : -1;
    if (!control->GetWantsRightClick() && paramIdx >= 0 && point.ms.R)
    {
      ReleaseMouseCapture();
      ShowContextMenuFor(control, point.x, point.y);
      return;
    }
    BeginParamGestures(control);
    DelegateMouseDown();
    control->OnMouseDown(point.x, point.y, point.ms);
  }
}

void IGraphics::OnMouseUp(const std::vector<IMouseInfo>& points)
{
  for (const IMouseInfo& point : points)
  {
    const auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end())
    {
      continue;
    }
    IControl* control = it->second;
    control->OnMouseUp(point.x, point.y, point.ms);
    DelegateMouseUp();
    EndParamGestures(control);
    mCapturedMap.erase(point.ms.touchID);
  }
  if (mResizingInProcess)
  {
    EndDragResize();
  }
  if (points.size() == 1 && points[0].ms.touchID == 0)
  {
    const IMouseInfo& point = points[0];
    IControl* control = GetMouseControl(point.x, point.y, false, true);
    if (control != mMouseOver && mMouseOver)
    {
      mMouseOver->OnMouseOut();
    }
    mMouseOver = control;
    if (control)
    {
      control->OnMouseOver(point.x, point.y, point.ms);
    }
  }
}

void IGraphics::OnMouseDrag(const std::vector<IMouseInfo>& points)
{
  if (mResizingInProcess && points.size() == 1)
  {
    const IMouseInfo& point = points[0];
    if (mGUISizeMode == kResizeSize)
    {
      Resize(static_cast<int>(point.x), static_cast<int>(point.y), mDrawScale, true);
    }
    else if (mGUISizeMode == kResizeScale)
    {
      const float scale = std::min(point.x * mDrawScale / mMouseDownX, point.y * mDrawScale / mMouseDownY);
      Resize(mWidth, mHeight, scale, true);
    }
    return;
  }
  for (const IMouseInfo& point : points)
  {
    const auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end() || (point.dX == 0.f && point.dY == 0.f))
    {
      continue;
    }
    IControl* control = it->second;
    if (mTextEntryControl && mTextEntryControl->EditInProgress() && control != mTextEntryControl.get())
    {
      continue;
    }
    control->OnMouseDrag(point.x, point.y, point.dX, point.dY, point.ms);
  }
}

bool IGraphics::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  IControl* control = GetMouseControl(x, y, true, false, mod.touchID);
  if (!control)
  {
    return false;
  }
  if (control->GetMouseDblAsSingleClick())
  {
    OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, mod}});
  }
  else
  {
    control->OnMouseDblClick(x, y, mod);
    ReleaseMouseCapture();
  }
  return true;
}

bool IGraphics::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  IControl* control = GetMouseControl(x, y, false, true);
  if (control != mMouseOver && mMouseOver)
  {
    mMouseOver->OnMouseOut();
  }
  mMouseOver = control;
  if (control)
  {
    control->OnMouseOver(x, y, mod);
  }
  return control != nullptr;
}

void IGraphics::OnMouseOut()
{
  mCursorType = SetCursorShape(0);
  ForAllControls(&IControl::OnMouseOut);
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
}

void IGraphics::OnMouseWheel(float x, float y, const IMouseMod& mod, float delta)
{
  if (IControl* control = GetMouseControl(x, y, false))
  {
    control->OnMouseWheel(x, y, mod, delta);
  }
}

void IGraphics::OnTouchCancelled(const std::vector<IMouseInfo>& points)
{
  for (const IMouseInfo& point : points)
  {
    const auto it = mCapturedMap.find(point.ms.touchID);
    if (it != mCapturedMap.end())
    {
      it->second->OnTouchCancelled(point.x, point.y, point.ms);
      mCapturedMap.erase(it);
    }
  }
}

void IGraphics::OnDrop(const char* path, float x, float y)
{
  if (IControl* control = GetMouseControl(x, y, false))
  {
    control->OnDrop(path);
  }
}

void IGraphics::OnFocusLost()
{
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
  ReleaseMouseCapture();
  // A hidden menu or entry left open would take the next click or the next keys: end the menu
  // with nothing chosen and drop the entry's text.
  if (mPopupControl)
  {
    mPopupControl->CloseMenu();
  }
  if (mTextEntryControl && mTextEntryControl->EditInProgress())
  {
    mTextEntryControl->DismissEdit();
  }
}

void IGraphics::StoreParamIdxAt(float x, float y)
{
  int idx = -1;
  const IControl* control = FindControlAt(x, y, false, idx);
  mLastClickedParam = control && control->NVals() > 0 ? control->GetParamIdx(0) : -1;
}

int IGraphics::TakeStoredParamIdx()
{
  const int idx = mLastClickedParam;
  mLastClickedParam = -1;
  return idx;
}

void IGraphics::EndDragResize()
{
  mResizingInProcess = false;
  if (mGUISizeMode == kResizeScale)
  {
    ForAllControls(&IControl::OnRescale);
  }
  MarkAllControlsDirty(false);
}

// ---- Computer-keyboard MIDI -----------------------------------------------------------------

namespace {
// Shared by every editor of the process, as the physical keyboard is.
struct QwertyKeyboard
{
  int base = 48;
  bool held[128] = {};
};

QwertyKeyboard& Qwerty()
{
  static QwertyKeyboard keyboard;
  return keyboard;
}

int QwertyNoteOffset(int vk)
{
  static const char kKeys[] = "AWSEDFTGYHUJKOL";
  for (int i = 0; kKeys[i]; ++i)
  {
    if (vk == kKeys[i])
    {
      return i;
    }
  }
  return -1;
}
}  // namespace

void IGraphics::SetQwertyMidiKeyHandlerFunc(IMidiKeyFunc func)
{
  mKeyHandlerFunc = [this, func](const IKeyPress& key, bool isUp) {
    QwertyKeyboard& keyboard = Qwerty();
    const auto send = [&](int status, int note, int velocity) { SendQwertyMidi(status, note, velocity, func); };
    if (key.VK == 'Z' || key.VK == 'X')
    {
      if (!isUp)
      {
        keyboard.base = key.VK == 'Z' ? std::clamp(keyboard.base, 36, 108) - 12
                                      : std::clamp(keyboard.base, 12, 84) + 12;
        // The held notes end with the octave: forget them too, so the next press sounds.
        for (int note = 0; note < 128; ++note)
        {
          if (keyboard.held[note])
          {
            keyboard.held[note] = false;
            send(128, note, 0);
          }
        }
      }
      return true;
    }
    const int offset = QwertyNoteOffset(key.VK);
    if (offset < 0)
    {
      return true;
    }
    const int note = keyboard.base + offset;
    if (!isUp && !keyboard.held[note])
    {
      keyboard.held[note] = true;
      send(144, note, 127);
    }
    else if (isUp && keyboard.held[note])
    {
      keyboard.held[note] = false;
      send(128, note, 0);
    }
    return true;
  };
}

// ---- Control placement ----------------------------------------------------------------------

void IGraphics::MoveControl(int idx, float x, float y)
{
  if (IControl* control = GetControl(idx))
  {
    control->SetPosition(x, y);
    if (!control->IsHidden())
    {
      MarkAllControlsDirty(false);
    }
  }
}

void IGraphics::ResizeControl(int idx, float w, float h)
{
  if (IControl* control = GetControl(idx))
  {
    control->SetSize(w, h);
    if (!control->IsHidden())
    {
      MarkAllControlsDirty(false);
    }
  }
}

void IGraphics::SetControlBounds(int idx, const IRECT& r)
{
  if (IControl* control = GetControl(idx))
  {
    control->SetTargetAndDrawRECTs(r);
    if (!control->IsHidden())
    {
      MarkAllControlsDirty(false);
    }
  }
}

}  // namespace iplug::igraphics
