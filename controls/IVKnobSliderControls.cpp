#include "controls/IVKnobSliderControls.h"

#include <algorithm>
#include <cmath>

#include "framework/IPlugParameter.h"
#include "graphics/IGraphics.h"

namespace iplug::igraphics {

// ---- Shared part --------------------------------------------------------------------------

template <class DragBase>
void IVDragControlBase<DragBase>::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (mStyle.showValue && mValueBounds.Contains(x, y))
  {
    if (!this->GetPromptDisabled())
    {
      this->AskForValue(mValueBounds, 0);
    }
    return;
  }
  DragBase::OnMouseDown(x, y, mod);
}

template <class DragBase>
void IVDragControlBase<DragBase>::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  DragBase::OnMouseUp(x, y, mod);
  SetDirty(true);
}

template <class DragBase>
void IVDragControlBase<DragBase>::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  if (this->mMouseDown)
  {
    DragBase::OnMouseDrag(x, y, dX, dY, mod);
  }
}

template <class DragBase>
void IVDragControlBase<DragBase>::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (mStyle.showValue && !this->GetPromptDisabled())
  {
    mValueMouseOver = mValueBounds.Contains(x, y);
  }
  IControl::OnMouseOver(x, y, mod);
  SetDirty(false);
}

template <class DragBase>
void IVDragControlBase<DragBase>::OnMouseOut()
{
  mValueMouseOver = false;
  IControl::OnMouseOut();
}

template <class DragBase>
void IVDragControlBase<DragBase>::OnInit()
{
  FormatValueText();
  if (const IParam* param = this->GetParam(); param && mLabelStr.GetLength() == 0)
  {
    SetLabelStr(param->GetName());
  }
}

template <class DragBase>
void IVDragControlBase<DragBase>::Draw(IGraphics& g)
{
  DrawBackground(g, this->mRECT);
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, mValueMouseOver);
}

template <class DragBase>
bool IVDragControlBase<DragBase>::IsHit(float x, float y) const
{
  return (!this->GetPromptDisabled() && mValueBounds.Contains(x, y)) || mWidgetBounds.Contains(x, y);
}

template <class DragBase>
void IVDragControlBase<DragBase>::SetDirty(bool triggerAction, int valIdx)
{
  IControl::SetDirty(triggerAction, valIdx);
  FormatValueText();
}

template <class DragBase>
void IVDragControlBase<DragBase>::FormatValueText()
{
  if (const IParam* param = this->GetParam())
  {
    param->FormatDisplayWithLabel(mValueStr);
  }
}

template class IVDragControlBase<IKnobControlBase>;
template class IVDragControlBase<ISliderControlBase>;

// ---- Knob ---------------------------------------------------------------------------------

IVKnobControl::IVKnobControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                             bool valueIsEditable, bool valueInWidget, float startAngle, float endAngle,
                             float anchorAngle, EDirection direction, double gearing, float trackSize)
: IVDragControlBase(label, style, valueIsEditable, valueInWidget, trackSize, bounds, paramIdx, direction, gearing),
  mAngle1(startAngle),
  mAngle2(endAngle),
  mAnchorAngle(anchorAngle)
{
}

IVKnobControl::IVKnobControl(const IRECT& bounds, ControlActionFunc action, const char* label, const IVStyle& style,
                             bool valueIsEditable, bool valueInWidget, float startAngle, float endAngle,
                             float anchorAngle, EDirection direction, double gearing, float trackSize)
: IVDragControlBase(label, style, valueIsEditable, valueInWidget, trackSize, bounds, std::move(action), direction,
                    gearing),
  mAngle1(startAngle),
  mAngle2(endAngle),
  mAnchorAngle(anchorAngle)
{
}

void IVKnobControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  IVDragControlBase::OnMouseDown(x, y, mod);
  SetDirty(false);
}

void IVKnobControl::OnResize()
{
  mTargetRECT = LayoutRects(mRECT, false);
  mMouseIsOver = false;
  SetDirty(false);
}

IRECT IVKnobControl::DragArea() const
{
  const float w = mWidgetBounds.W(), h = mWidgetBounds.H();
  return w > h ? mWidgetBounds.GetCentredInside(h / 2.f, h) : mWidgetBounds.GetCentredInside(w, w / 2.f);
}

void IVKnobControl::DrawWidget(IGraphics& g)
{
  const float side = std::min(mWidgetBounds.W(), mWidgetBounds.H());
  const float cx = mWidgetBounds.MW(), cy = mWidgetBounds.MH();
  const float radius = side * 0.5f - mTrackSize * 0.5f;
  const float diameter = std::max(1.f, 2.f * (radius - mKnobGap));
  const IRECT knob = mWidgetBounds.GetCentredInside(diameter);
  const float angle = mAngle1 + (mAngle2 - mAngle1) * static_cast<float>(GetValue());

  DrawIndicatorTrack(g, angle, cx, cy, radius);
  DrawPressableShape(g, EWidgetShape::Ellipse, knob, mMouseDown, mMouseIsOver, IsDisabled());
  DrawPointer(g, angle, cx, cy, knob.W() / 2.f);
}

void IVKnobControl::DrawIndicatorTrack(IGraphics& g, float angle, float cx, float cy, float radius)
{
  if (mTrackSize > 0.f)
  {
    g.DrawArc(GetColor(kX1), cx, cy, radius, std::min(angle, mAnchorAngle), std::max(angle, mAnchorAngle), &mBlend,
              mTrackSize);
  }
}

void IVKnobControl::DrawPointer(IGraphics& g, float angle, float cx, float cy, float radius)
{
  // 0 degrees points up.
  const float a = (angle - 90.f) / 180.f * 3.1415927f;
  const float c = std::cos(a), s = std::sin(a);
  const float d1 = mInnerPointerFrac * radius, d2 = mOuterPointerFrac * radius;
  g.DrawLine(GetColor(kFR), cx + c * d1, cy + s * d1, cx + c * d2, cy + s * d2, &mBlend, mPointerThickness);
}

// ---- Slider -------------------------------------------------------------------------------

IVSliderControl::IVSliderControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                 bool valueIsEditable, EDirection direction, bool onlyHandle, double gearing,
                                 float handleSize, float trackSize)
: IVDragControlBase(label, style, valueIsEditable, false, trackSize, bounds, paramIdx, direction, gearing, handleSize),
  mOnlyHandle(onlyHandle)
{
}

IVSliderControl::IVSliderControl(const IRECT& bounds, ControlActionFunc action, const char* label, const IVStyle& style,
                                 bool valueIsEditable, EDirection direction, bool onlyHandle, double gearing,
                                 float handleSize, float trackSize)
: IVDragControlBase(label, style, valueIsEditable, false, trackSize, bounds, std::move(action), direction, gearing,
                    handleSize),
  mOnlyHandle(onlyHandle)
{
}

void IVSliderControl::OnResize()
{
  mTargetRECT = LayoutRects(mRECT, false);
  mMouseIsOver = false;
  mTrackBounds = MakeTrackBounds(mWidgetBounds.GetPadded(-mHandleSize), mDirection);
  SetDirty(false);
}

void IVSliderControl::DrawWidget(IGraphics& g)
{
  const IRECT& t = mTrackBounds;
  const float v = static_cast<float>(GetValue());
  const bool vertical = mDirection == EDirection::Vertical;
  const IRECT filled = vertical ? IRECT(t.L, t.B - t.H() * v, t.R, t.B) : IRECT(t.L, t.T, t.L + t.W() * v, t.B);
  if (mTrackSize > 0.f)
  {
    DrawTrack(g, filled);
  }

  // The shadow moves a square handle down and right; keep it centred on the track line.
  const float o = mStyle.drawShadows && mShape != EWidgetShape::Ellipse ? mStyle.shadowOffset * 0.5f : 0.f;
  const float cx = vertical ? filled.MW() + o : filled.R;
  const float cy = vertical ? filled.T : filled.MH() + o;
  const float h = mHandleSize;
  if (h > 0.f)
  {
    DrawHandle(g, IRECT(cx - h, cy - h, cx + h, cy + h));
  }
}

IRECT IVSliderControl::Lengthened(const IRECT& r, float e) const
{
  return mDirection == EDirection::Vertical ? r.GetPadded(0.f, e, 0.f, e) : r.GetPadded(e, 0.f, e, 0.f);
}

void IVSliderControl::DrawTrack(IGraphics& g, const IRECT& filled)
{
  const float e = mOnlyHandle ? mHandleSize : 0.f;
  const IRECT whole = Lengthened(mTrackBounds, e);
  const float radius = std::min(mTrackBounds.W(), mTrackBounds.H()) * 0.5f * mStyle.roundness;
  g.FillRoundRect(GetColor(kSH), whole, radius, &mBlend);
  g.FillRoundRect(GetColor(kX1), Lengthened(filled, e), radius, &mBlend);
  if (mStyle.drawFrame)
  {
    g.DrawRoundRect(GetColor(kFR), whole, radius, &mBlend, mStyle.frameThickness);
  }
}

void IVSliderControl::DrawHandle(IGraphics& g, const IRECT& bounds)
{
  DrawPressableShape(g, mShape, bounds, mMouseDown, mMouseIsOver, IsDisabled());
}

}  // namespace iplug::igraphics
