#pragma once

// The numeric entry box: shows the linked parameter's display text and changes it by vertical
// drag, wheel, a typed value (double click) or a control-click back to the default. The range
// form keeps its level between two neighbouring levels, whichever road sets it.

#include "controls/IControlBases.h"
#include "meter-ui/IVStyleZv.h"

class IVParameterControlZv : public iplug::igraphics::IKnobControlBase
{
public:
  // The styled box.
  IVParameterControlZv(const iplug::igraphics::IRECT& bounds, int paramIdx, const IVStyleZv& style,
                       iplug::igraphics::EDirection direction, bool promptDisabled, bool showLabel, double gearing);
  // The text only, without fill or outline.
  IVParameterControlZv(const iplug::igraphics::IRECT& bounds, int paramIdx, const iplug::igraphics::IText& text,
                       iplug::igraphics::EDirection direction, bool promptDisabled, bool showLabel, double gearing);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const iplug::igraphics::IMouseMod& mod, float delta) override;
  void Draw(iplug::igraphics::IGraphics& g) override;
  void ValueFromUserInput(double value, int valIdx) override;

  // The wheel in whole units (tenths with shift, threes with control) of the plain value.
  void StepValueByUnits(const iplug::igraphics::IMouseMod& mod, int sign);

  double mMouseDownValue = 0.0;  // normalised; accumulates the drag, kept within 0..1
  bool mUnitStepWheel = false;
  iplug::igraphics::IMouseMod mMouseMod;
  bool mDrawBackground;
  IVStyleZv mStyle;
  iplug::igraphics::IPattern mFillPattern;
  bool mShowLabel;
  int mPromptMouseOverIdx = -1;
};

class IVParameterControlRangeZv : public IVParameterControlZv
{
public:
  using IVParameterControlZv::IVParameterControlZv;

  void SetDirty(bool triggerAction = true, int valIdx = -1) override;
  // Keeps the own level within the lower neighbour plus the margin and the upper neighbour
  // minus it (the own limits where there is no neighbour).
  void ConstrainToNeighbours();

  int mOwnParamIdx = -1;
  int mLowerParamIdx = -1;  // -1: none
  int mUpperParamIdx = -1;
  double mMargin = 0.0;  // plain units
};

// A plain value snapped to the parameter's steps and clamped to its range.
double SnapToStep(const iplug::IParam& param, double value);
