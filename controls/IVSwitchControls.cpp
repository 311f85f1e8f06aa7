#include "controls/IVSwitchControls.h"

#include <algorithm>

#include "controls/EqualCells.h"
#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"

namespace iplug::igraphics {

// ---- Label --------------------------------------------------------------------------------

IVLabelControl::IVLabelControl(const IRECT& bounds, const char* str, const IVStyle& style)
: ITextControl(bounds, str, kTextDefault, IColor(0, 0, 0, 0), false), IVectorBase(style)
{
  AttachIControl(this, str);
  mText = mStyle.valueText;
}

void IVLabelControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  if (mStr.GetLength() > 0)
  {
    if (mStyle.drawShadows && !IsDisabled())
    {
      IText shadow = mStyle.valueText;
      shadow.mFGColor = GetColor(kSH);
      g.DrawText(shadow, mStr.Get(), mRECT.GetTranslated(mStyle.shadowOffset, mStyle.shadowOffset), &mBlend);
    }
    g.DrawText(mStyle.valueText, mStr.Get(), mRECT, &mBlend);
  }
  if (mStyle.drawFrame)
  {
    g.DrawRect(GetColor(kFR), mRECT, &mBlend, mStyle.frameThickness);
  }
}

// ---- Button -------------------------------------------------------------------------------

IVButtonControl::IVButtonControl(const IRECT& bounds, ControlActionFunc action, const char* label, const IVStyle& style,
                                 bool labelInButton, bool valueInButton, EWidgetShape shape)
: IButtonControlBase(bounds, std::move(action)), IVectorBase(style, labelInButton, valueInButton)
{
  AttachIControl(this, label);
  mText = mStyle.valueText;
  mShape = shape;
}

void IVButtonControl::OnResize()
{
  mTargetRECT = LayoutRects(mRECT, true);
  mMouseIsOver = false;
  SetDirty(false);
}

void IVButtonControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawWidget(g);
  DrawLabel(g);
  DrawValue(g, false);
}

void IVButtonControl::DrawWidget(IGraphics& g)
{
  DrawPressableShape(g, mShape, mWidgetBounds, GetValue() != 0.0, mMouseIsOver, IsDisabled());
}

// ---- Switch -------------------------------------------------------------------------------

IVSwitchControl::IVSwitchControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                 bool valueInButton)
: ISwitchControlBase(bounds, paramIdx, RippleClickAction, 2), IVectorBase(style, false, valueInButton)
{
  AttachIControl(this, label);
  mText = mStyle.valueText;
  if (valueInButton)
  {
    mStyle.valueText.mVAlign = EVAlign::Middle;
    mText.mVAlign = EVAlign::Middle;
  }
}

IVSwitchControl::IVSwitchControl(const IRECT& bounds, ControlActionFunc action, const char* label, const IVStyle& style,
                                 int numStates, bool valueInButton)
: IVSwitchControl(bounds, -1, label, style, valueInButton)
{
  SetActionFunction(std::move(action));
  SetNumStates(numStates);
}

void IVSwitchControl::OnMouseOut()
{
  ISwitchControlBase::OnMouseOut();
  SetDirty(false);
}

void IVSwitchControl::OnResize()
{
  mTargetRECT = LayoutRects(mRECT, true);
  mMouseIsOver = false;
  SetDirty(false);
}

void IVSwitchControl::OnInit()
{
  ISwitchControlBase::OnInit();
  if (const IParam* param = GetParam())
  {
    mShownValue = param->Value();
    param->FormatDisplayWithLabel(mValueStr);
    if (mLabelStr.GetLength() == 0)
    {
      SetLabelStr(param->GetName());
    }
  }
}

void IVSwitchControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, false);
}

void IVSwitchControl::SetDirty(bool triggerAction, int valIdx)
{
  IControl::SetDirty(triggerAction, valIdx);
  // A redraw without a new value (a layout, the pointer leaving) keeps the text, so the unit it
  // got on attaching shows until the value first changes.
  const IParam* param = GetParam();
  if (param && param->Value() != mShownValue)
  {
    mShownValue = param->Value();
    param->FormatDisplay(mShownValue, false, mValueStr);
  }
}

void IVSwitchControl::DrawWidget(IGraphics& g)
{
  DrawPressableShape(g, mShape, mWidgetBounds, mMouseDown, mMouseIsOver, IsDisabled());
}

// ---- Toggle -------------------------------------------------------------------------------

IVToggleControl::IVToggleControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                 const char* offText, const char* onText)
: IVSwitchControl(bounds, paramIdx, label, style, true), mOffText(offText ? offText : ""), mOnText(onText ? onText : "")
{
}

IVToggleControl::IVToggleControl(const IRECT& bounds, ControlActionFunc action, const char* label, const IVStyle& style,
                                 const char* offText, const char* onText, bool initialState)
: IVSwitchControl(bounds, std::move(action), label, style, 2, true),
  mOffText(offText ? offText : ""),
  mOnText(onText ? onText : "")
{
  SetValue(initialState ? 1.0 : 0.0);
}

void IVToggleControl::DrawWidget(IGraphics& g)
{
  DrawPressableShape(g, mShape, mWidgetBounds, GetValue() > 0.5, mMouseIsOver, IsDisabled());
}

void IVToggleControl::DrawValue(IGraphics& g, bool mouseOver)
{
  if (mouseOver)
  {
    g.FillRect(GetColor(kHL), mValueBounds, &mBlend);
  }
  const WDL_String& text = GetValue() > 0.5 ? mOnText : mOffText;
  if (text.GetLength() > 0)
  {
    g.DrawText(mStyle.valueText, text.Get(), mValueBounds, &mBlend);
  }
}

// ---- Slide switch -------------------------------------------------------------------------

IVSlideSwitchControl::IVSlideSwitchControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                           bool valueInButton, EDirection direction)
: IVSwitchControl(bounds, paramIdx, label, style, valueInButton), mDirection(direction)
{
  InstallSlideAction();
}

IVSlideSwitchControl::IVSlideSwitchControl(const IRECT& bounds, ControlActionFunc action, const char* label,
                                           const IVStyle& style, bool valueInButton, EDirection direction,
                                           int numStates, int initialState)
: IVSwitchControl(bounds, nullptr, label, style, numStates, valueInButton), mDirection(direction)
{
  // A state index past 1 would otherwise be clamped to the last state.
  const double value = initialState > 1 && numStates > 1 ? static_cast<double>(initialState) / (numStates - 1)
                                                         : static_cast<double>(initialState);
  SetValue(std::clamp(value, 0.0, 1.0));
  InstallSlideAction();
  SetAnimationEndActionFunction(std::move(action));
}

void IVSlideSwitchControl::InstallSlideAction()
{
  SetActionFunction([this](IControl*) {
    SetAnimation(
      [this](IControl*) {
        const double p = GetAnimationProgress();
        const float t = static_cast<float>(std::min(p, 1.0));
        const auto lerp = [t](float a, float b) { return a + (b - a) * t; };
        mHandleRect = IRECT(lerp(mStartRect.L, mEndRect.L), lerp(mStartRect.T, mEndRect.T),
                            lerp(mStartRect.R, mEndRect.R), lerp(mStartRect.B, mEndRect.B));
        if (mValueInWidget)
        {
          mValueBounds = mHandleRect;
        }
        if (p > 1.0)
        {
          AnimationEnded();
        }
      },
      kSlideMs);
  });
}

void IVSlideSwitchControl::OnResize()
{
  IVSwitchControl::OnResize();
  UpdateRects();
}

void IVSlideSwitchControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawWidget(g);
  DrawLabel(g);
  if (!GetAnimationFunction())
  {
    DrawValue(g, false);
  }
}

void IVSlideSwitchControl::SetDirty(bool triggerAction, int valIdx)
{
  IVSwitchControl::SetDirty(triggerAction, valIdx);
  // While the handle slides, its rectangles belong to the animation.
  if (!GetAnimationFunction())
  {
    UpdateRects();
  }
}

void IVSlideSwitchControl::AnimationEnded()
{
  UpdateRects();
  IVSwitchControl::AnimationEnded();
}

void IVSlideSwitchControl::DrawWidget(IGraphics& g)
{
  DrawTrack(g, mWidgetBounds);
}

void IVSlideSwitchControl::DrawTrack(IGraphics& g, const IRECT& bounds)
{
  const float radius = std::min(mHandleRect.W(), mHandleRect.H()) * 0.5f * mStyle.roundness;
  g.FillRoundRect(GetColor(kSH), bounds, radius);
  DrawPressableShape(g, mShape, mHandleRect, mMouseDown, mMouseIsOver, IsDisabled());
}

IRECT IVSlideSwitchControl::Cell(int idx) const
{
  return EqualCell(mWidgetBounds, idx, std::max(mNumStates, 1), mDirection);
}

void IVSlideSwitchControl::UpdateRects()
{
  const int n = std::max(mNumStates, 1);
  const int i = std::clamp(GetSelectedIdx(), 0, n - 1);
  mStartRect = mHandleRect = Cell(i);
  mEndRect = Cell((i + 1) % n);
  if (mValueInWidget)
  {
    mValueBounds = mHandleRect;
  }
}

}  // namespace iplug::igraphics
