#pragma once

// A multi-state switch drawn as a row or column of equal buttons, one per state, each with an
// optional text; clicking a button selects its state. The radio-button variant draws a small
// button at the left of each row, followed by the row's text.

#include <algorithm>
#include <vector>

#include "controls/IControlBases.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics {

class IVTabSwitchControl : public ISwitchControlBase, public IVectorBase
{
public:
  // A button's place in the row, which decides its rounded corners.
  enum class TabPosition { First = 0, Middle, Last };

  IVTabSwitchControl(const IRECT& bounds, int paramIdx = -1, const std::vector<const char*>& options = {},
                     const char* label = "", const IVStyle& style = kStyleDefault,
                     EWidgetShape shape = EWidgetShape::Rectangle, EDirection direction = EDirection::Horizontal);
  IVTabSwitchControl(const IRECT& bounds, ControlActionFunc action, const std::vector<const char*>& options,
                     const char* label = "", const IVStyle& style = kStyleDefault,
                     EWidgetShape shape = EWidgetShape::Rectangle, EDirection direction = EDirection::Horizontal);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnResize() override;
  // Without texts of its own the switch takes the linked parameter's display texts, and its
  // name as the label when none was given.
  void OnInit() override;
  void Draw(IGraphics& g) override;
  // Only the buttons take the mouse, not the label row.
  bool IsHit(float x, float y) const override { return ButtonIndexAt(x, y) >= 0; }

  void DrawWidget(IGraphics& g) override;
  virtual void DrawButton(IGraphics& g, const IRECT& r, bool pressed, bool mouseOver, TabPosition position,
                          bool disabled);
  // The button under a point, -1 for none.
  virtual int ButtonIndexAt(float x, float y) const;

  // The text of the selected state, empty when that state has none.
  const char* SelectedLabel() const;
  const IRECT& GetButtonRect(int idx) const { return mButtons.at(static_cast<size_t>(idx)); }

protected:
  static TabPosition PositionOf(int idx, int count)
  {
    return idx == count - 1 ? TabPosition::Last : idx == 0 ? TabPosition::First : TabPosition::Middle;
  }
  // Whether button idx draws disabled: the whole control or that state.
  bool ButtonDisabled(int idx) const { return IsDisabled() || IsStateDisabled(idx); }
  int NButtons() const { return std::min(mNumStates, static_cast<int>(mButtons.size())); }
  const char* TabLabel(int idx) const
  {
    return idx >= 0 && idx < static_cast<int>(mTabLabels.size()) ? mTabLabels[static_cast<size_t>(idx)].Get() : nullptr;
  }

  int mMouseOverButton = -1;
  std::vector<IRECT> mButtons;  // one per state, laid out by OnResize
  std::vector<WDL_String> mTabLabels;
  EDirection mDirection;
};

class IVRadioButtonControl : public IVTabSwitchControl
{
public:
  IVRadioButtonControl(const IRECT& bounds, int paramIdx = -1, const std::vector<const char*>& options = {},
                       const char* label = "", const IVStyle& style = kStyleDefault,
                       EWidgetShape shape = EWidgetShape::Ellipse, EDirection direction = EDirection::Vertical,
                       float buttonSize = 10.f);
  IVRadioButtonControl(const IRECT& bounds, ControlActionFunc action, const std::vector<const char*>& options,
                       const char* label = "", const IVStyle& style = kStyleDefault,
                       EWidgetShape shape = EWidgetShape::Ellipse, EDirection direction = EDirection::Vertical,
                       float buttonSize = 10.f);

  void DrawWidget(IGraphics& g) override;
  int ButtonIndexAt(float x, float y) const override;

  // Where row idx draws its button, and its text. A text runs on past its row up to the next
  // row's button in a horizontal control, keeping from it half the space a button keeps from
  // its own text, so that a long name has the room its neighbour leaves it.
  IRECT ButtonRect(int idx) const;
  IRECT TextRect(int idx) const;

  // With this on, only the button at the left of a row answers the mouse, not its text.
  void SetOnlyButtonsRespondToMouse(bool only) { mOnlyButtonsRespondToMouse = only; }

protected:
  // The strip at the left of a row that holds its button.
  IRECT ButtonArea(const IRECT& row) const { return IRECT(row.L, row.T, row.L + mButtonAreaWidth, row.B); }
  void AlignTextLeft();

  float mButtonSize;
  float mButtonAreaWidth;
  bool mOnlyButtonsRespondToMouse = false;
};

}  // namespace iplug::igraphics
