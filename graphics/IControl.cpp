#include "graphics/IControl.h"

#include <cmath>
#include <stdexcept>

#include "framework/IGraphicsEditorDelegate.h"
#include "framework/IPlugParameter.h"
#include "framework/WDLString.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/IPopupMenu.h"
#include "graphics/IVectorBase.h"
#include "platform/QuartzCore/CABase.h"

namespace iplug::igraphics {

IControl::IControl(const IRECT& bounds, int paramIdx, ControlActionFunc action)
: mRECT(bounds), mTargetRECT(bounds), mActionFunc(std::move(action)), mVals{{paramIdx, 0.0}}
{
}

IControl::IControl(const IRECT& bounds, std::initializer_list<int> params, ControlActionFunc action)
: mRECT(bounds), mTargetRECT(bounds), mActionFunc(std::move(action))
{
  for (int idx : params)
  {
    mVals.push_back({idx, 0.0});
  }
}

IControl::IControl(const IRECT& bounds, ControlActionFunc action) : IControl(bounds, -1, std::move(action)) {}

void IControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (mod.R)
  {
    AskForValue(ValueIndexAt(x, y));
  }
}

void IControl::OnMouseDblClick(float x, float y, const IMouseMod&)
{
  SetValueToDefault(ValueIndexAt(x, y));
}

void IControl::OnMouseOver(float, float, const IMouseMod&)
{
  const bool wasOver = mMouseIsOver;
  mMouseIsOver = true;
  if (!wasOver)
  {
    SetDirty(false);
  }
}

void IControl::OnMouseOut()
{
  const bool wasOver = mMouseIsOver;
  mMouseIsOver = false;
  if (wasOver)
  {
    SetDirty(false);
  }
}

bool IControl::OnGesture(const IGestureInfo& info)
{
  const auto it = mGestureFuncs.find(static_cast<int>(info.type));
  if (it == mGestureFuncs.end())
  {
    return false;
  }
  mLastGesture = info.type;
  it->second(this, info);
  return true;
}

void IControl::AddGestureFunc(EGestureType type, GestureFunc func)
{
  mGestureFuncs.insert_or_assign(static_cast<int>(type), std::move(func));
}

void IControl::DrawHostHighlight(IGraphics& g)
{
  if (mHighlightOn)
  {
    g.FillCircle(mHighlightColor, mTargetRECT.R - 5.f, mTargetRECT.T + 5.f, 2.f);
  }
}

void IControl::SetParamIdx(int paramIdx, int valIdx)
{
  if (valIdx < 0 || valIdx >= NVals())
  {
    throw std::out_of_range("IControl::SetParamIdx: no such value slot");
  }
  mVals[static_cast<size_t>(valIdx)].idx = paramIdx;
}

int IControl::ValueIndexAt(float, float) const
{
  return NVals() == 1 ? 0 : -1;
}

int IControl::FindValIdxForParam(int paramIdx) const
{
  for (int i = 0; i < NVals(); ++i)
  {
    if (mVals[static_cast<size_t>(i)].idx == paramIdx)
    {
      return i;
    }
  }
  return -1;
}

void IControl::SetValue(double value, int valIdx)
{
  mVals[static_cast<size_t>(valIdx)].value = value;
}

void IControl::ValueFromDelegate(double value, int valIdx)
{
  // The user holds the control: what the plug-in reports must not fight the pointer.
  if (mGraphics && mGraphics->ControlIsCaptured(this))
  {
    return;
  }
  if (GetValue(valIdx) == value)
  {
    return;
  }
  SetValue(value, valIdx);
  SetDirty(false);
}

void IControl::ValueFromUserInput(double value, int valIdx)
{
  if (GetValue(valIdx) == value)
  {
    return;
  }
  SetValue(value, valIdx);
  SetDirty(true, valIdx);
}

void IControl::SetDirty(bool triggerAction, int valIdx)
{
  if (NVals() == 1)
  {
    valIdx = 0;
  }
  ForValIdx(valIdx, [&](int i) { SetValue(std::clamp(GetValue(i), 0.0, 1.0), i); });
  mDirty = true;

  if (!triggerAction)
  {
    return;
  }
  ForValIdx(valIdx, [&](int i) {
    if (GetParamIdx(i) < 0)
    {
      return;
    }
    SendValueToDelegate(i);
    if (mGraphics)
    {
      mGraphics->UpdatePeers(this, i);
    }
  });
  if (mActionFunc)
  {
    mActionFunc(this);
  }
}

bool IControl::IsDirty()
{
  if (mAnimationFunc)
  {
    Animate();
    return true;
  }
  return mDirty;
}

void IControl::SetPosition(float x, float y)
{
  x = std::max(x, 0.f);
  y = std::max(y, 0.f);
  const float hitOffsetX = mTargetRECT.L - mRECT.L;
  const float hitOffsetY = mTargetRECT.T - mRECT.T;
  mRECT = IRECT(x, y, x + mRECT.W(), y + mRECT.H());
  mMouseIsOver = false;
  OnResize();
  mTargetRECT = IRECT(x + hitOffsetX, y + hitOffsetY, x + hitOffsetX + mTargetRECT.W(),
                      y + hitOffsetY + mTargetRECT.H());
  mMouseIsOver = false;
}

void IControl::SetSize(float w, float h)
{
  w = std::max(w, 0.f);
  h = std::max(h, 0.f);
  mRECT = mTargetRECT = IRECT(mRECT.L, mRECT.T, mRECT.L + w, mRECT.T + h);
  mMouseIsOver = false;
  OnResize();
}

void IControl::Hide(bool hide)
{
  mHideChanged = mHideChanged || hide != mHide;
  mHide = hide;
  SetDirty(false);
}

void IControl::SetDisabled(bool disable)
{
  mBlend.mWeight = disable ? 0.25f : 1.f;
  mDisabled = disable;
  SetDirty(false);
}

void IControl::ValueFromPointer(float x, float y, EDirection dir, const IRECT& bounds, int valIdx, double lo, double hi)
{
  const bool vertical = dir == EDirection::Vertical;
  const float extent = vertical ? bounds.H() : bounds.W();
  // A zero-extent range has no position to read; dividing by it would send NaN to the host.
  if (!(extent > 0.f))
  {
    return;
  }
  double v;
  if (vertical)
  {
    y = std::clamp(y, bounds.T, bounds.B);
    v = 1.0 - (y - bounds.T) / extent;
  }
  else
  {
    x = std::clamp(x, bounds.L, bounds.R);
    v = (x - bounds.L) / extent;
  }
  v = std::clamp(std::round(v / 0.001) * 0.001, lo, hi);
  ForValIdx(valIdx, [&](int i) { SetValue(v, i); });
  SetDirty(true, valIdx);
}

void IControl::AnimationEnded()
{
  mAnimationFunc = nullptr;
  SetDirty(false);
  if (mAnimationEndActionFunc)
  {
    // A copy: the function may replace itself while it runs.
    const ControlActionFunc endFunc = mAnimationEndActionFunc;
    endFunc(this);
  }
}

void IControl::AskForValue(const IRECT& bounds, int valIdx)
{
  if (mGraphics)
  {
    mGraphics->AskForValue(this, bounds, valIdx);
  }
}

void IControl::StartAnimation(int durationMs, bool forward)
{
  mAnimationStartMs = AnimationClockMs();
  mAnimationDuration = durationMs;
  mAnimationForward = forward;
}

double IControl::GetAnimationProgress() const
{
  if (!mAnimationFunc)
  {
    return 0.0;
  }
  const double progress = (AnimationClockMs() - mAnimationStartMs) / mAnimationDuration;
  return mAnimationForward ? progress : 1.0 - progress;
}

double IControl::AnimationClockMs() const
{
  return CACurrentMediaTime() * 1000.0;
}

void IControl::SetHostHighlight(bool on, int colourIdx)
{
  switch (colourIdx)
  {
    case 0: mHighlightColor = kColorRed; break;
    case 1: mHighlightColor = kColorBlue; break;
    case 2: mHighlightColor = kColorGreen; break;
    case 3: mHighlightColor = kColorYellow; break;
    default: break;
  }
  mHighlightOn = on;
  SetDirty(false);
}

void FlashClickActionFunc(IControl* control)
{
  control->SetAnimation(TimedAnimation, 100);
}

void TimedAnimation(IControl* control)
{
  if (control->GetAnimationProgress() > 1.0)
  {
    control->AnimationEnded();
  }
}

void RippleClickAction(IControl* control)
{
  auto* vectorBase = dynamic_cast<IVectorBase*>(control);
  IGraphics* g = control->GetUI();
  if (vectorBase && g)
  {
    float x, y;
    g->GetMouseDownPoint(x, y);
    vectorBase->SetSplashPoint(x, y);
  }
  control->SetAnimation(RippleAnimation, 100);
}

void RippleAnimation(IControl* control)
{
  const double progress = control->GetAnimationProgress();
  if (progress > 1.0)
  {
    control->AnimationEnded();
    return;
  }
  if (auto* vectorBase = dynamic_cast<IVectorBase*>(control))
  {
    vectorBase->SetSplashRadius(static_cast<float>(progress) * vectorBase->GetMaxSplashRadius());
  }
  control->SetDirty(false);
}

const IParam* IControl::GetParam(int valIdx) const
{
  if (valIdx < 0 || valIdx >= NVals())
  {
    return nullptr;  // a control built with an empty list has no slot at all
  }
  const int paramIdx = GetParamIdx(valIdx);
  return mDelegate && paramIdx >= 0 ? mDelegate->GetParam(paramIdx) : nullptr;
}

void IControl::SendValueToDelegate(int valIdx)
{
  if (mDelegate)
  {
    mDelegate->SetValueFromEditor(GetParamIdx(valIdx), GetValue(valIdx), true);
  }
}

void IControl::SetValueToDefault(int valIdx)
{
  if (NVals() == 1)
  {
    valIdx = 0;
  }
  ForValIdx(valIdx, [&](int i) {
    if (const IParam* param = GetParam(i))
    {
      SetValue(param->ToNormalised(param->GetDefault()), i);
    }
  });
  SetDirty(true, valIdx);
}

void IControl::PopupMenuChosen(IPopupMenu* menu, int valIdx)
{
  if (!menu || valIdx < 0 || mDisablePrompt)
  {
    return;
  }
  if (const IParam* param = GetParam(valIdx))
  {
    ValueFromUserInput(param->ToNormalised(menu->GetChosenItemIdx()), valIdx);
  }
}

void IControl::AskForValue(int valIdx)
{
  if (valIdx < 0 || mDisablePrompt)
  {
    return;
  }
  const IParam* param = GetParam(valIdx);
  if (!param)
  {
    return;
  }
  const IRECT bounds = param->DisplayTextCount() > 0
                         ? mRECT
                         : IRECT(mRECT.MW() - 20.f, mRECT.MH() - 8.f, mRECT.MW() + 20.f, mRECT.MH() + 8.f);
  AskForValue(bounds, valIdx);
  SetDirty(false);
}

namespace {
void ShowValueBubble(IControl* control, int direction, float x, float y)
{
  const IParam* param = control->GetParam(0);
  IGraphics* g = control->GetUI();
  if (!param || !g)
  {
    return;
  }
  WDL_String display;
  param->FormatDisplayWithLabel(display);
  g->ShowBubble(control, display.Get(), direction, x, y, IRECT(0.f, 0.f, 50.f, 30.f));
}
}  // namespace

void BubbleRightAction(IControl* control)
{
  ShowValueBubble(control, 1, control->GetRECT().R, control->GetRECT().MH());
}

void BubbleAboveAction(IControl* control)
{
  ShowValueBubble(control, 0, control->GetRECT().MW(), control->GetRECT().T);
}

}  // namespace iplug::igraphics
