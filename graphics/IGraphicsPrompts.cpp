// Value prompts: a menu of a parameter's display texts or a text entry holding its value, opened
// in the window or by the platform, with the answer brought back to the control that asked; and
// the placement of value bubbles.

#include "framework/IPlugParameter.h"
#include "framework/WDLString.h"
#include "graphics/IBubbleControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"

namespace iplug::igraphics {

void IGraphics::ResetPromptMenu()
{
  mPromptPopupMenu.SetPrefix(0);
  mPromptPopupMenu.SetMultiCheck(false);
  mPromptPopupMenu.ClearItems(true);
}

void IGraphics::AskForValue(IControl* control, const IRECT& bounds, int valIdx)
{
  const IParam* param = control->GetParam(valIdx);
  if (!param)
  {
    return;
  }
  const int nTexts = param->DisplayTextCount();
  const bool useMenu = param->GetKind() == ParamKind::Enum || (param->GetKind() == ParamKind::Bool && nTexts >= 1);
  WDL_String current;
  if (!useMenu)
  {
    param->FormatDisplay(param->Value(), false, current, false);
    if (control->GetPromptShowsParamLabel())
    {
      current.Append(" ");
      current.Append(param->GetLabel());
    }
    OpenTextEntry(control, control->GetText(), bounds, current.Get(), valIdx);
    return;
  }
  param->FormatDisplay(param->Value(), false, current, true);
  ResetPromptMenu();
  for (int i = 0; i < nTexts; ++i)
  {
    const char* text = param->DisplayTextFor(i);
    IPopupMenu::Item* item = mPromptPopupMenu.AddItem(text);
    item->SetChecked(std::strcmp(text, current.Get()) == 0);
  }
  mPromptPopupMenu.SetRootTitle(param->GetName());
  OpenMenu(control, mPromptPopupMenu, bounds, valIdx, false);
}

void IGraphics::OpenTextEntry(IControl* control, const IText& text, const IRECT& bounds, const char* str, int valIdx)
{
  mInTextEntry = control;
  mTextEntryValIdx = valIdx;
  const int paramIdx = valIdx >= 0 ? control->GetParamIdx(valIdx) : -1;
  const int length = control->GetTextEntryLength();
  if (mTextEntryControl)
  {
    mTextEntryControl->OpenTextEntry(paramIdx, text, bounds, length, str);
  }
  else
  {
    OpenNativeTextEntry(paramIdx, text, bounds, length, str);
  }
  control->SetDirty(false);
}

void IGraphics::OpenMenu(IControl* control, IPopupMenu& menu, const IRECT& bounds, int valIdx, bool isContext)
{
  // While the in-window menu is open or closing a new one is refused, before the requester of
  // the open one is forgotten: its answer must still reach it.
  if (mPopupControl && mPopupControl->GetState() != IPopupMenuControl::kCollapsed)
  {
    return;
  }
  ReleaseMouseCapture();
  mInPopupMenu = control;
  mPopupMenuValIdx = valIdx;
  mIsContextMenu = isContext;
  if (mPopupControl && !NativeMenusOnly())
  {
    mPopupControl->OpenMenu(menu, bounds);
    return;
  }
  bool isAsync = false;
  IPopupMenu* result = OpenNativeMenu(menu, bounds, isAsync);
  if (!isAsync)
  {
    ApplyPopupMenuResult(result);
  }
}

void IGraphics::ApplyPopupMenuResult(IPopupMenu* menu)
{
  IControl* owner = mInPopupMenu;
  if (!owner)
  {
    return;
  }
  const int chosen = menu ? menu->GetChosenItemIdx() : -1;
  if (mIsContextMenu)
  {
    owner->ContextItemChosen(chosen);
  }
  else
  {
    owner->PopupMenuChosen(chosen >= 0 ? menu : nullptr, mPopupMenuValIdx);
    // A context menu began no gesture; only a prompt opened by a press ends the one it began.
    EndParamGestures(owner);
  }
  mInPopupMenu = nullptr;
}

void IGraphics::ApplyTextEntryResult(const char* str)
{
  IControl* owner = mInTextEntry;
  if (!owner)
  {
    return;
  }
  const int valIdx = mTextEntryValIdx;
  const IParam* param = valIdx >= 0 && valIdx < owner->NVals() ? owner->GetParam(valIdx) : nullptr;
  if (param)
  {
    // A text that is no value leaves the value as it was.
    if (param->TextHasValue(str))
    {
      owner->ValueFromUserInput(param->ToNormalised(param->ValueFromText(str)), valIdx);
    }
  }
  else
  {
    owner->TextEntryDone(str, valIdx);
  }
  mInTextEntry = nullptr;
}

void IGraphics::ShowContextMenuFor(IControl* control, float x, float y)
{
  ResetPromptMenu();
  control->BuildContextMenu(mPromptPopupMenu);
  if (mPromptPopupMenu.NItems() > 0)
  {
    OpenMenu(control, mPromptPopupMenu, IRECT(x, y, x, y), -1, true);
  }
}

void IGraphics::ShowContextMenuForIdx(int idx, float x, float y)
{
  if (IControl* control = GetControl(idx))
  {
    ShowContextMenuFor(control, x, y);
  }
}

// ---- Value bubbles --------------------------------------------------------------------------

IBubbleControl* IGraphics::ChooseBubble(IControl* control, uint64_t& touchId)
{
  if (mBubbleControls.empty())
  {
    return nullptr;
  }
  if (!mEnableMultiTouch)
  {
    return mBubbleControls.front();
  }
  // Under multi-touch a bubble follows the one pointer that holds the control.
  int holders = 0;
  for (const auto& entry : mCapturedMap)
  {
    if (entry.second == control)
    {
      ++holders;
      touchId = entry.first;
    }
  }
  if (holders != 1)
  {
    return nullptr;
  }
  for (IBubbleControl* bubble : mBubbleControls)
  {
    if (bubble->mTouchId == touchId)
    {
      return bubble;
    }
  }
  static int sRoundRobin = 0;
  IBubbleControl* bubble = mBubbleControls[static_cast<size_t>(sRoundRobin % NBubbles())];
  sRoundRobin = (sRoundRobin + 1) % NBubbles();
  return bubble;
}

void IGraphics::ShowBubble(IControl* control, const char* str, int direction, float x, float y, IRECT minimumBox,
                           uint64_t touchId)
{
  IBubbleControl* bubble = ChooseBubble(control, touchId);
  if (!bubble)
  {
    return;
  }
  if (bubble->mMaxBounds.W() == 0.f)
  {
    bubble->mMaxBounds = GetBounds();
  }
  bubble->mDirection = direction;
  bubble->mTouchId = touchId;
  bubble->mStr = str ? str : "";

  IRECT r;
  bubble->MeasureBubbleText(bubble->mStr.c_str(), r);
  if (!minimumBox.Empty())
  {
    r.R = std::max(r.R, r.L + minimumBox.W());
    r.B = std::max(r.B, r.T + minimumBox.H());
  }
  const float sidePad = bubble->mPadding + bubble->mArrowSize;
  r = r.GetPadded(sidePad, bubble->mPadding, sidePad, bubble->mPadding);
  const float h = r.H() / 2.f, w = r.W();

  IRECT box;
  if (direction == 1)
  {
    box = IRECT(x, y - h, x + w, y + h);
    if (box.R <= bubble->mMaxBounds.R - bubble->mArrowSize - bubble->mPadding)
    {
      bubble->mArrowDir = IBubbleControl::kWest;
    }
    else
    {
      box = box.GetTranslated(control->GetRECT().L - box.R, 0.f);
      bubble->mArrowDir = IBubbleControl::kEast;
    }
  }
  else
  {
    box = IRECT(x - w / 2.f, y - 2.f * h, x + w / 2.f, y);
    if (box.T >= bubble->mMaxBounds.T)
    {
      bubble->mArrowDir = IBubbleControl::kSouth;
    }
    else
    {
      box = box.GetTranslated(0.f, control->GetRECT().H() + box.H());
      bubble->mArrowDir = IBubbleControl::kNorth;
    }
  }
  bubble->mBubbleBounds = box;
  bubble->SetTargetAndDrawRECTs(bubble->GetRECT().Union(box));
  if (bubble->mState == IBubbleControl::kHidden)
  {
    bubble->Hide(false);
    bubble->mState = IBubbleControl::kFadingIn;
    bubble->SetDirty(true);
  }
  if (bubble->mCaller && bubble->mCaller != control)
  {
    bubble->SetTargetAndDrawRECTs(box);
    MarkAllControlsDirty(false);
  }
  bubble->mCaller = control;
}

}  // namespace iplug::igraphics
