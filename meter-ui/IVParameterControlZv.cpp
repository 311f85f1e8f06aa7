#include "meter-ui/IVParameterControlZv.h"

#include <algorithm>
#include <cmath>

#include "framework/IGraphicsEditorDelegate.h"
#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"

using namespace iplug::igraphics;

namespace {
// Whether drag and wheel move the parameter by whole steps.
bool HasSteps(const iplug::IParam* param)
{
  return param && param->IsStepped() && param->GetStep() > 0.0 && param->GetMax() - param->GetMin() > 0.0;
}

// The plain value truncated toward zero to a multiple of the step. Values within a millionth of
// a step of a multiple count as on it: -144 over steps of 0.1 is 1439.9999... steps in binary.
double TruncateToStep(double value, double step)
{
  const double steps = value / step;
  const double nearest = std::round(steps);
  return (std::abs(steps - nearest) < 1e-6 ? nearest : std::trunc(steps)) * step;
}
}  // namespace

double SnapToStep(const iplug::IParam& param, double value)
{
  if (param.IsStepped() && param.GetStep() > 0.0)
    value = std::round(value / param.GetStep()) * param.GetStep();
  return std::clamp(value, param.GetMin(), param.GetMax());
}

IVParameterControlZv::IVParameterControlZv(const IRECT& bounds, int paramIdx, const IVStyleZv& style,
                                           EDirection direction, bool promptDisabled, bool showLabel, double gearing)
: IKnobControlBase(bounds, paramIdx, direction, gearing),
  mDrawBackground(true),
  mStyle(style),
  mFillPattern(style.fillColor),
  mShowLabel(showLabel)
{
  mHideCursorOnDrag = true;
  mText = style.text;
  mDisablePrompt = promptDisabled;
}

IVParameterControlZv::IVParameterControlZv(const IRECT& bounds, int paramIdx, const IText& text, EDirection direction,
                                           bool promptDisabled, bool showLabel, double gearing)
: IVParameterControlZv(bounds, paramIdx, kDefaultStyleZv, direction, promptDisabled, showLabel, gearing)
{
  mText = text;
  mDrawBackground = false;
  mFillPattern = IPattern(IColor(255, 0, 0, 0));
}

void IVParameterControlZv::Draw(IGraphics& g)
{
  if (mDrawBackground)
    DrawStyleBackground(g, mRECT, mStyle, mFillPattern, &mBlend);
  const iplug::IParam* param = GetParam();
  if (!param)
    return;
  WDL_String text = ParamDisplayText(*this);
  if (mShowLabel && param->GetLabel()[0])
  {
    text.Append(" ");
    text.Append(param->GetLabel());
  }
  g.DrawText(DimmedWhenDisabled(mText, mDisabled), text.Get(), mRECT);
}

void IVParameterControlZv::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseMod = mod;
  mMouseDown = true;
  mMouseDownValue = GetValue();
  if (mHideCursorOnDrag && mGraphics)
    mGraphics->SetCursorHidden(true, true);
  if (mod.C)
    SetValueToDefault(ValueIndexAt(x, y));
}

void IVParameterControlZv::OnMouseUp(float, float, const IMouseMod&)
{
  mMouseMod = IMouseMod();
  mMouseDown = false;
  if (mHideCursorOnDrag && mGraphics)
    mGraphics->SetCursorHidden(false, true);
}

void IVParameterControlZv::OnMouseDrag(float, float, float dX, float dY, const IMouseMod& mod)
{
  if (mod.C)
    return;
  const double gearing = mod.S ? mGearing * 10.0 : mGearing;
  const IRECT area = DragArea();
  const bool vertical = mDirection == EDirection::Vertical;
  const double extent = vertical ? area.T - area.B : area.R - area.L;
  // The accumulator is kept within 0..1, so reversing past an end moves away from it at once.
  if (extent != 0.0)
  {
    const double change = (vertical ? dY : dX) / extent;
    mMouseDownValue = std::clamp(mMouseDownValue + change / gearing, 0.0, 1.0);
  }

  double value = mMouseDownValue;
  const iplug::IParam* param = GetParam();
  if (HasSteps(param))
  {
    const double span = param->GetMax() - param->GetMin();
    const double plain = TruncateToStep(value * span + param->GetMin(), param->GetStep());
    value = (plain - param->GetMin()) / span;
  }
  SetValue(value);
  SetDirty(true, -1);
}

void IVParameterControlZv::OnMouseDblClick(float x, float y, const IMouseMod&)
{
  if (mDisablePrompt || !mGraphics)
    return;
  mPromptMouseOverIdx = mGraphics->GetMouseOverIdx();
  mGraphics->AskForValue(this, mRECT, ValueIndexAt(x, y));
}

void IVParameterControlZv::ValueFromUserInput(double value, int valIdx)
{
  if (!mGraphics)
  {
    IControl::ValueFromUserInput(value, valIdx);
    return;
  }
  const int previous = mGraphics->GetMouseOverIdx();
  mGraphics->SetMouseOverIdx(mPromptMouseOverIdx);
  IControl::ValueFromUserInput(value, valIdx);
  mGraphics->SetMouseOverIdx(previous);
}

void IVParameterControlZv::OnMouseWheel(float, float, const IMouseMod& mod, float delta)
{
  mMouseMod = mod;
  if (mUnitStepWheel)
  {
    StepValueByUnits(mod, delta > 0.f ? 1 : -1);
  }
  else
  {
    const double factor = mod.C ? 0.1 : mod.S ? 0.001 : 0.01;
    double value = GetValue() + delta * factor;
    const iplug::IParam* param = GetParam();
    // A stepped parameter moves by exactly one step, whatever the size of the delta.
    if (HasSteps(param) && delta != 0.f)
    {
      const double span = param->GetMax() - param->GetMin();
      double plain = GetValue() * span + param->GetMin();
      plain += delta > 0.f ? param->GetStep() : -param->GetStep();
      plain = std::round(std::clamp(plain, param->GetMin(), param->GetMax()) * 1000.0) / 1000.0;
      value = (plain - param->GetMin()) / span;
    }
    SetValue(value);
  }
  SetDirty(true, -1);
  mMouseMod = IMouseMod();
}

void IVParameterControlZv::StepValueByUnits(const IMouseMod& mod, int sign)
{
  const iplug::IParam* param = GetParam();
  if (!param)
    return;
  double plain = param->FromNormalised(GetValue());
  double step = 1.0;
  if (mod.C)
  {
    plain = std::round(plain / 3.0) * 3.0;
    step = 3.0;
  }
  else if (mod.S)
  {
    plain = std::round(plain * 10.0) / 10.0;
    step = 0.1;
  }
  else
  {
    plain = std::round(plain);
  }
  plain = SnapToStep(*param, plain + step * sign);
  SetValue(std::clamp(param->ToNormalised(plain), 0.0, 1.0));
}

void IVParameterControlRangeZv::SetDirty(bool triggerAction, int valIdx)
{
  ConstrainToNeighbours();
  IVParameterControlZv::SetDirty(triggerAction, valIdx);
}

void IVParameterControlRangeZv::ConstrainToNeighbours()
{
  const IGEditorDelegate* dlg = GetDelegate();
  const iplug::IParam* own = dlg ? dlg->GetParam(mOwnParamIdx) : nullptr;
  if (!own)
    return;
  const iplug::IParam* lower = dlg->GetParam(mLowerParamIdx);
  const iplug::IParam* upper = dlg->GetParam(mUpperParamIdx);
  const double lo = lower ? lower->Value() + mMargin : own->GetMin();
  const double hi = upper ? upper->Value() - mMargin : own->GetMax();
  const double plain = SnapToStep(*own, own->FromNormalised(GetValue()));
  const double kept = SnapToStep(*own, std::min(hi, std::max(lo, plain)));
  SetValue(std::clamp(own->ToNormalised(kept), 0.0, 1.0));
}
