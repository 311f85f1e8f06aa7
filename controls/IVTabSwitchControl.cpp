#include "controls/IVTabSwitchControl.h"

#include "controls/EqualCells.h"
#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"

namespace iplug::igraphics {

// ---- Tab switch ---------------------------------------------------------------------------

IVTabSwitchControl::IVTabSwitchControl(const IRECT& bounds, int paramIdx, const std::vector<const char*>& options,
                                       const char* label, const IVStyle& style, EWidgetShape shape,
                                       EDirection direction)
: ISwitchControlBase(bounds, paramIdx, RippleClickAction, static_cast<int>(options.size())),
  IVectorBase(style),
  mDirection(direction)
{
  AttachIControl(this, label);
  mShape = shape;
  mStyle.valueText.mAlign = EAlign::Center;
  mStyle.valueText.mVAlign = EVAlign::Middle;
  mText = mStyle.valueText;
  for (const char* option : options)
  {
    mTabLabels.emplace_back(option ? option : "");
  }
}

IVTabSwitchControl::IVTabSwitchControl(const IRECT& bounds, ControlActionFunc action,
                                       const std::vector<const char*>& options, const char* label, const IVStyle& style,
                                       EWidgetShape shape, EDirection direction)
: IVTabSwitchControl(bounds, -1, options, label, style, shape, direction)
{
  SetActionFunction(std::move(action));
}

void IVTabSwitchControl::OnInit()
{
  ISwitchControlBase::OnInit();
  const IParam* param = GetParam();
  if (!param || !mTabLabels.empty())
  {
    return;
  }
  for (int i = 0; i < mNumStates; ++i)
  {
    mTabLabels.emplace_back(param->DisplayTextFor(i));
  }
  if (mLabelStr.GetLength() == 0)
  {
    SetLabelStr(param->GetName());
  }
}

void IVTabSwitchControl::OnResize()
{
  mTargetRECT = LayoutRects(mRECT);
  mMouseIsOver = false;
  mButtons.clear();
  for (int i = 0; i < mNumStates; ++i)
  {
    mButtons.push_back(EqualCell(mWidgetBounds, i, mNumStates, mDirection));
  }
  SetDirty(false);
}

void IVTabSwitchControl::OnMouseDown(float x, float y, const IMouseMod&)
{
  const int idx = ButtonIndexAt(x, y);
  if (idx >= 0)
  {
    // A single state has nowhere to go: it stays at 0 rather than dividing by zero.
    SetValue(mNumStates > 1 ? static_cast<double>(idx) / (mNumStates - 1) : 0.0);
  }
  SetDirty(true);
}

void IVTabSwitchControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mMouseOverButton = ButtonIndexAt(x, y);
  ISwitchControlBase::OnMouseOver(x, y, mod);
  SetDirty(false);
}

void IVTabSwitchControl::OnMouseOut()
{
  mMouseOverButton = -1;
  ISwitchControlBase::OnMouseOut();
  SetDirty(false);
}

void IVTabSwitchControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  DrawWidget(g);
}

void IVTabSwitchControl::DrawWidget(IGraphics& g)
{
  const int n = NButtons();
  const int selected = GetSelectedIdx();
  for (int i = 0; i < n; ++i)
  {
    const IRECT& r = mButtons[static_cast<size_t>(i)];
    DrawButton(g, r, i == selected, i == mMouseOverButton, PositionOf(i, n), ButtonDisabled(i));
    if (const char* text = TabLabel(i))
    {
      g.DrawText(mStyle.valueText, text, r, &mBlend);
    }
  }
}

void IVTabSwitchControl::DrawButton(IGraphics& g, const IRECT& r, bool pressed, bool mouseOver, TabPosition position,
                                    bool disabled)
{
  const bool first = position == TabPosition::First, last = position == TabPosition::Last;
  const bool horizontal = mDirection == EDirection::Horizontal;
  switch (mShape)
  {
    case EWidgetShape::EndsRounded:
      if (horizontal)
      {
        DrawRectShape(g, r, pressed, mouseOver, disabled, first, last, false, false);
      }
      else
      {
        DrawRectShape(g, r, pressed, mouseOver, disabled, false, first, false, last);
      }
      break;
    case EWidgetShape::AllRounded:
      if (horizontal)
      {
        DrawRectShape(g, r, pressed, mouseOver, disabled, true, true, false, false);
      }
      else
      {
        DrawRectShape(g, r, pressed, mouseOver, disabled, false, true, false, true);
      }
      break;
    default: DrawPressableShape(g, mShape, r, pressed, mouseOver, disabled); break;
  }
}

int IVTabSwitchControl::ButtonIndexAt(float x, float y) const
{
  for (int i = 0; i < NButtons(); ++i)
  {
    if (mButtons[static_cast<size_t>(i)].Contains(x, y))
    {
      return i;
    }
  }
  return -1;
}

const char* IVTabSwitchControl::SelectedLabel() const
{
  const char* text = TabLabel(GetSelectedIdx());
  return text ? text : "";
}

// ---- Radio buttons ------------------------------------------------------------------------

IVRadioButtonControl::IVRadioButtonControl(const IRECT& bounds, int paramIdx, const std::vector<const char*>& options,
                                           const char* label, const IVStyle& style, EWidgetShape shape,
                                           EDirection direction, float buttonSize)
: IVTabSwitchControl(bounds, paramIdx, options, label, style, shape, direction),
  mButtonSize(buttonSize),
  mButtonAreaWidth(buttonSize * 3.f)
{
  AlignTextLeft();
}

IVRadioButtonControl::IVRadioButtonControl(const IRECT& bounds, ControlActionFunc action,
                                           const std::vector<const char*>& options, const char* label,
                                           const IVStyle& style, EWidgetShape shape, EDirection direction,
                                           float buttonSize)
: IVTabSwitchControl(bounds, std::move(action), options, label, style, shape, direction),
  mButtonSize(buttonSize),
  mButtonAreaWidth(buttonSize * 3.f)
{
  AlignTextLeft();
}

void IVRadioButtonControl::AlignTextLeft()
{
  mStyle.valueText.mAlign = EAlign::Near;
  mStyle.valueText.mVAlign = EVAlign::Middle;
  mText.mAlign = EAlign::Near;
  mText.mVAlign = EVAlign::Middle;
}

IRECT IVRadioButtonControl::ButtonRect(int idx) const
{
  const float size = std::max(1.f, mButtonSize);
  return ButtonArea(mButtons[static_cast<size_t>(idx)]).GetCentredInside(size, size);
}

IRECT IVRadioButtonControl::TextRect(int idx) const
{
  const IRECT& row = mButtons[static_cast<size_t>(idx)];
  float right = row.R;
  if (mDirection == EDirection::Horizontal && idx + 1 < NButtons())
  {
    const IRECT next = ButtonRect(idx + 1);
    right = next.L - (next.L - mButtons[static_cast<size_t>(idx) + 1].L) / 2.f;
  }
  return IRECT(row.L + mButtonAreaWidth, row.T, right, row.B);
}

void IVRadioButtonControl::DrawWidget(IGraphics& g)
{
  const int n = NButtons();
  const int selected = GetSelectedIdx();
  for (int i = 0; i < n; ++i)
  {
    DrawButton(g, ButtonRect(i), i == selected, i == mMouseOverButton, TabPosition::Middle, ButtonDisabled(i));
    if (const char* text = TabLabel(i))
    {
      IText style = mStyle.valueText;
      style.mFGColor = GetColor(i == selected ? kPR : kX1);
      g.DrawText(style, text, TextRect(i), &mBlend);
    }
  }
}

int IVRadioButtonControl::ButtonIndexAt(float x, float y) const
{
  if (!mOnlyButtonsRespondToMouse)
  {
    return IVTabSwitchControl::ButtonIndexAt(x, y);
  }
  for (int i = 0; i < NButtons(); ++i)
  {
    if (ButtonArea(mButtons[static_cast<size_t>(i)]).Contains(x, y))
    {
      return i;
    }
  }
  return -1;
}

}  // namespace iplug::igraphics
