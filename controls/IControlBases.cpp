#include "controls/IControlBases.h"

#include <algorithm>
#include <cmath>

#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {
bool FineMode(const IMouseMod& mod)
{
  return mod.S || mod.C;
}

// The parameter behind slot 0 when it moves in steps over a range, else null.
const IParam* SteppedParam(const IControl& control)
{
  const IParam* param = control.GetParam(0);
  const bool stepped = param && param->IsStepped() && param->GetStep() > 0.0 && param->GetMax() - param->GetMin() > 0.0;
  return stepped ? param : nullptr;
}

// A value in the parameter's units moved onto its grid of steps, as a normalised value. The grid
// is counted from zero, as the parameter rounds its own value, so that control and parameter
// agree on a range that does not start on a step; a value is cut towards zero. A remainder a hair
// short of a whole step is the rounding of a value that lies on a step (0.3 by 0.1), which keeps
// its place instead of dropping a step.
double SnapToStep(const IParam& param, double value)
{
  const double lo = param.GetMin(), step = param.GetStep();
  double rest = std::fmod(value, step);
  if (std::abs(rest) > step * (1.0 - 1e-9))
  {
    rest = 0.0;
  }
  return (value - rest - lo) / (param.GetMax() - lo);
}

// Moves the drag position by the pointer's movement along the direction over r's extent (up and
// right raise it) with the gearing, and answers the value to set: the position, snapped to a
// stepped parameter's steps.
double DragValue(const IControl& control, double& dragValue, EDirection direction, const IRECT& r, float dX, float dY,
                 double gearing, const IMouseMod& mod)
{
  const bool vertical = direction == EDirection::Vertical;
  const float delta = vertical ? dY : dX;
  const float span = vertical ? r.T - r.B : r.R - r.L;
  if (span != 0.f)
  {
    const double g = FineMode(mod) ? gearing * 10.0 : gearing;
    // In double: a float quotient would leave a drag onto a step a hair short of it.
    dragValue = std::clamp(dragValue + (static_cast<double>(delta) / span) / g, 0.0, 1.0);
  }
  const IParam* param = SteppedParam(control);
  if (!param)
  {
    return dragValue;
  }
  return SnapToStep(*param, dragValue * (param->GetMax() - param->GetMin()) + param->GetMin());
}

// The value after a wheel turn: one step of a stepped parameter, else a small fixed amount.
double WheelValue(const IControl& control, const IMouseMod& mod, float delta)
{
  const IParam* param = SteppedParam(control);
  if (!param || delta == 0.f)
  {
    return control.GetValue() + delta * (FineMode(mod) ? 0.001 : 0.01);
  }
  const double lo = param->GetMin(), hi = param->GetMax(), step = param->GetStep();
  const double v = control.GetValue() * (hi - lo) + lo + (delta > 0.f ? step : -step);
  return SnapToStep(*param, std::clamp(v, lo, hi));
}

// Hides the cursor for a drag, or shows it again, when the control hides it while dragging.
void HideCursorForDrag(const IControl& control, bool hidesCursor, bool hide)
{
  IGraphics* g = control.GetUI();
  if (hidesCursor && g)
  {
    g->SetCursorHidden(hide, true);
  }
}
}  // namespace

// ---- Button -------------------------------------------------------------------------------

IButtonControlBase::IButtonControlBase(const IRECT& bounds, ControlActionFunc action)
: IControl(bounds, -1, std::move(action))
{
  mDblAsSingleClick = true;
}

void IButtonControlBase::OnMouseDown(float, float, const IMouseMod&)
{
  SetValue(1.0);
  SetDirty(true);
}

void IButtonControlBase::AnimationEnded()
{
  SetValue(0.0);
  IControl::AnimationEnded();
}

// ---- Switch -------------------------------------------------------------------------------

ISwitchControlBase::ISwitchControlBase(const IRECT& bounds, int paramIdx, ControlActionFunc action, int numStates)
: IControl(bounds, paramIdx, std::move(action))
{
  SetNumStates(numStates);
  mDblAsSingleClick = true;
  SetDirty(false);
}

void ISwitchControlBase::SetNumStates(int numStates)
{
  mNumStates = numStates;
  // States added later start enabled; the flags always cover every state.
  mStateDisabled.resize(static_cast<size_t>(std::max(numStates, 0)), false);
}

void ISwitchControlBase::OnInit()
{
  if (const IParam* param = GetParam(0))
  {
    SetNumStates(static_cast<int>(param->GetMax() - param->GetMin()) + 1);
  }
}

void ISwitchControlBase::OnMouseDown(float, float, const IMouseMod&)
{
  double value = 0.0;
  if (mNumStates == 2)
  {
    value = GetValue() == 0.0 ? 1.0 : 0.0;
  }
  else if (mNumStates > 2)
  {
    value = GetValue() + 1.0 / (mNumStates - 1);
    if (value > 1.0000000000000002)
    {
      value = 0.0;
    }
  }
  SetValue(value);
  mMouseDown = true;
  SetDirty(true);
}

void ISwitchControlBase::OnMouseUp(float, float, const IMouseMod&)
{
  mMouseDown = false;
  SetDirty(false);
}

void ISwitchControlBase::DisableAllStates(bool disable)
{
  std::fill(mStateDisabled.begin(), mStateDisabled.end(), disable);
  SetDirty(false);
}

void ISwitchControlBase::DisableState(int state, bool disable)
{
  if (state >= 0 && state < static_cast<int>(mStateDisabled.size()))
  {
    mStateDisabled[static_cast<size_t>(state)] = disable;
  }
  SetDirty(false);
}

bool ISwitchControlBase::IsStateDisabled(int state) const
{
  return state >= 0 && state < static_cast<int>(mStateDisabled.size()) && mStateDisabled[static_cast<size_t>(state)];
}

int ISwitchControlBase::GetSelectedIdx() const
{
  return static_cast<int>(GetValue() * (mNumStates - 1) + 0.5);
}

// ---- Knob ---------------------------------------------------------------------------------

IKnobControlBase::IKnobControlBase(const IRECT& bounds, int paramIdx, EDirection direction, double gearing)
: IControl(bounds, paramIdx), mDirection(direction), mGearing(gearing)
{
}

IKnobControlBase::IKnobControlBase(const IRECT& bounds, ControlActionFunc action, EDirection direction, double gearing)
: IControl(bounds, std::move(action)), mDirection(direction), mGearing(gearing)
{
}

void IKnobControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  mMouseDragValue = GetValue();
  HideCursorForDrag(*this, mHideCursorOnDrag, true);
  if (mod.R)
  {
    AskForValue(ValueIndexAt(x, y));
  }
}

void IKnobControlBase::OnMouseUp(float, float, const IMouseMod&)
{
  HideCursorForDrag(*this, mHideCursorOnDrag, false);
  mMouseDown = false;
  SetDirty(false);
}

void IKnobControlBase::OnMouseDrag(float, float, float dX, float dY, const IMouseMod& mod)
{
  SetValue(DragValue(*this, mMouseDragValue, mDirection, DragArea(), dX, dY, mGearing, mod));
  SetDirty(true);
}

void IKnobControlBase::OnMouseWheel(float, float, const IMouseMod& mod, float delta)
{
  SetValue(WheelValue(*this, mod, delta));
  SetDirty(true);
}

// ---- Slider -------------------------------------------------------------------------------

ISliderControlBase::ISliderControlBase(const IRECT& bounds, int paramIdx, EDirection direction, double gearing,
                                       float handleSize)
: IControl(bounds, paramIdx), mDirection(direction), mHandleSize(handleSize), mGearing(gearing)
{
}

ISliderControlBase::ISliderControlBase(const IRECT& bounds, ControlActionFunc action, EDirection direction,
                                       double gearing, float handleSize)
: IControl(bounds, std::move(action)), mDirection(direction), mHandleSize(handleSize), mGearing(gearing)
{
}

void ISliderControlBase::OnResize()
{
  mTargetRECT = mRECT;
  mMouseIsOver = false;
  mTrackBounds = mRECT;
  SetDirty(false);
}

void ISliderControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  if (!SteppedParam(*this))
  {
    ValueFromPointer(x, y, mDirection, mTrackBounds);
  }
  mMouseDragValue = GetValue();
  HideCursorForDrag(*this, mHideCursorOnDrag, true);
  if (mod.R)
  {
    AskForValue(ValueIndexAt(x, y));
  }
}

void ISliderControlBase::OnMouseUp(float, float, const IMouseMod&)
{
  HideCursorForDrag(*this, mHideCursorOnDrag, false);
  mMouseDown = false;
  SetDirty(false);
}

void ISliderControlBase::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  if (mod.touchID != 0 || (!mHideCursorOnDrag && !SteppedParam(*this)))
  {
    ValueFromPointer(x, y, mDirection, mTrackBounds);
    return;
  }
  SetValue(DragValue(*this, mMouseDragValue, mDirection, mTrackBounds, dX, dY, mGearing, mod));
  SetDirty(true);
}

void ISliderControlBase::OnMouseWheel(float, float, const IMouseMod& mod, float delta)
{
  SetValue(WheelValue(*this, mod, delta));
  SetDirty(true);
}

}  // namespace iplug::igraphics
