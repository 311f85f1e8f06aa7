#pragma once

// The mouse behaviour of the library's interactive controls, with the drawing left to the
// vector, SVG and bitmap variants built on them: a momentary button, an n-state switch, a knob
// driven by dragging and the wheel, and a slider measured along a track.

#include <vector>

#include "graphics/IControl.h"

namespace iplug::igraphics {

// Pressing sets the value to 1 and runs the action; the value falls back to 0 when the click
// animation ends.
class IButtonControlBase : public IControl
{
public:
  IButtonControlBase(const IRECT& bounds, ControlActionFunc action);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void AnimationEnded() override;
};

// Each click steps to the next state and wraps round; single states can be shown disabled.
class ISwitchControlBase : public IControl
{
public:
  ISwitchControlBase(const IRECT& bounds, int paramIdx = -1, ControlActionFunc action = nullptr, int numStates = 2);

  // A linked parameter decides the number of states: one per whole step of its range.
  void OnInit() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;

  void DisableAllStates(bool disable);
  void DisableState(int state, bool disable);
  // False for a state out of range.
  bool IsStateDisabled(int state) const;

  int NStates() const { return mNumStates; }
  // The state value 0 selects: int(value x (states - 1) + 0.5).
  int GetSelectedIdx() const;

protected:
  void SetNumStates(int numStates);

  int mNumStates = 0;
  std::vector<bool> mStateDisabled;  // one flag per state
  bool mMouseDown = false;
};

// A rotary control: dragging along the direction moves the value by the drag distance over the
// drag area's extent divided by the gearing (ten times finer with shift or control held); the
// wheel moves it by 0.01 (0.001 fine). A stepped parameter's value snaps to its steps (cut
// towards zero) while the drag keeps the unsnapped position.
class IKnobControlBase : public IControl
{
public:
  IKnobControlBase(const IRECT& bounds, int paramIdx = -1, EDirection direction = EDirection::Vertical,
                   double gearing = 4.0);
  IKnobControlBase(const IRECT& bounds, ControlActionFunc action, EDirection direction = EDirection::Vertical,
                   double gearing = 4.0);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta) override;

  // The rectangle whose height (or width) a full-range drag covers.
  virtual IRECT DragArea() const { return mTargetRECT; }

  void SetGearing(double gearing) { mGearing = gearing; }
  double GetGearing() const { return mGearing; }
  bool IsMouseDown() const { return mMouseDown; }

protected:
  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  double mGearing;
  bool mMouseDown = false;
  double mMouseDragValue = 0.0;
};

// A slider along a track rectangle. A click on a continuous parameter's slider moves the value
// to the pointer; dragging moves it by gearing as the knob does, or follows the pointer for a
// touch and for a continuous slider that keeps the cursor shown.
class ISliderControlBase : public IControl
{
public:
  ISliderControlBase(const IRECT& bounds, int paramIdx = -1, EDirection direction = EDirection::Vertical,
                     double gearing = 4.0, float handleSize = 0.f);
  ISliderControlBase(const IRECT& bounds, ControlActionFunc action, EDirection direction = EDirection::Vertical,
                     double gearing = 4.0, float handleSize = 0.f);

  void OnResize() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta) override;

  const IRECT& GetTrack() const { return mTrackBounds; }
  bool IsMouseDown() const { return mMouseDown; }

protected:
  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  IRECT mTrackBounds;
  float mHandleSize;
  double mGearing;
  bool mMouseDown = false;
  double mMouseDragValue = 0.0;
};

}  // namespace iplug::igraphics
