#pragma once

// The simple vector-drawn controls: a text label, a momentary button, an n-state switch, a
// two-state toggle showing an on or off text, and a switch whose handle slides from one state's
// cell to the next.

#include <limits>

#include "controls/IControlBases.h"
#include "controls/ITextControls.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics {

// A string in the style's value text, with the style's shadow and frame.
class IVLabelControl : public ITextControl, public IVectorBase
{
public:
  IVLabelControl(const IRECT& bounds, const char* str = "", const IVStyle& style = kStyleDefault);

  void Draw(IGraphics& g) override;
};

// Pressed while its click animation runs.
class IVButtonControl : public IButtonControlBase, public IVectorBase
{
public:
  IVButtonControl(const IRECT& bounds, ControlActionFunc action = RippleClickAction, const char* label = "",
                  const IVStyle& style = kStyleDefault, bool labelInButton = true, bool valueInButton = true,
                  EWidgetShape shape = EWidgetShape::Rectangle);

  void OnResize() override;
  void Draw(IGraphics& g) override;
  // Only the widget takes the mouse, not the label or value areas.
  bool IsHit(float x, float y) const override { return mWidgetBounds.Contains(x, y); }
  void DrawWidget(IGraphics& g) override;
};

// Each click steps to the next state; a linked parameter's display text is the value shown.
class IVSwitchControl : public ISwitchControlBase, public IVectorBase
{
public:
  IVSwitchControl(const IRECT& bounds, int paramIdx = -1, const char* label = "", const IVStyle& style = kStyleDefault,
                  bool valueInButton = false);
  IVSwitchControl(const IRECT& bounds, ControlActionFunc action, const char* label = "",
                  const IVStyle& style = kStyleDefault, int numStates = 2, bool valueInButton = false);

  void OnMouseOut() override;
  void OnResize() override;
  // Takes the parameter's text with its unit as the value, and its name when no label was given.
  void OnInit() override;
  void Draw(IGraphics& g) override;
  bool IsHit(float x, float y) const override { return mWidgetBounds.Contains(x, y); }
  // A new value of the parameter becomes the value text, without the unit.
  void SetDirty(bool triggerAction = true, int valIdx = -1) override;
  void DrawWidget(IGraphics& g) override;

private:
  double mShownValue = std::numeric_limits<double>::quiet_NaN();  // the value text's value
};

// Two states, showing the on text above 0.5 and the off text otherwise, inside the button.
class IVToggleControl : public IVSwitchControl
{
public:
  IVToggleControl(const IRECT& bounds, int paramIdx = -1, const char* label = "", const IVStyle& style = kStyleDefault,
                  const char* offText = "OFF", const char* onText = "ON");
  IVToggleControl(const IRECT& bounds, ControlActionFunc action, const char* label = "",
                  const IVStyle& style = kStyleDefault, const char* offText = "OFF", const char* onText = "ON",
                  bool initialState = false);

  void DrawWidget(IGraphics& g) override;
  // An empty text draws nothing.
  void DrawValue(IGraphics& g, bool mouseOver) override;

protected:
  WDL_String mOffText;
  WDL_String mOnText;
};

// A track of one cell per state with a handle over the selected cell. A click slides the handle
// to the next cell over kSlideMs; a change from the host moves it at once.
class IVSlideSwitchControl : public IVSwitchControl
{
public:
  static constexpr int kSlideMs = 100;

  IVSlideSwitchControl(const IRECT& bounds, int paramIdx = -1, const char* label = "",
                       const IVStyle& style = kStyleDefault, bool valueInButton = false,
                       EDirection direction = EDirection::Horizontal);
  // The action runs when the slide ends. An initial state above 1 is a state index, else it is
  // taken as the normalised value.
  IVSlideSwitchControl(const IRECT& bounds, ControlActionFunc action, const char* label = "",
                       const IVStyle& style = kStyleDefault, bool valueInButton = false,
                       EDirection direction = EDirection::Horizontal, int numStates = 2, int initialState = 0);

  void OnResize() override;
  void Draw(IGraphics& g) override;
  void SetDirty(bool triggerAction = true, int valIdx = -1) override;
  void AnimationEnded() override;
  void DrawWidget(IGraphics& g) override;
  virtual void DrawTrack(IGraphics& g, const IRECT& bounds);

  const IRECT& GetHandleRect() const { return mHandleRect; }

protected:
  // Places the handle on the selected state's cell and aims the slide at the cell after it.
  void UpdateRects();
  IRECT Cell(int idx) const;
  void InstallSlideAction();

  IRECT mStartRect;
  IRECT mEndRect;
  IRECT mHandleRect;
  EDirection mDirection;
};

}  // namespace iplug::igraphics
