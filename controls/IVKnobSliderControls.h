#pragma once

// The vector knob (an arc track from an anchor angle, a disc and a pointer) and the vector slider
// (a rounded track filled up to the value, with a handle). Dragging, gearing and the wheel come
// from their drag bases; these add the drawing, the layout, the parameter texts and a value
// read-out that opens a text prompt when the value is editable.

#include <utility>

#include "controls/IControlBases.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/IVectorBase.h"

namespace iplug::igraphics {

// The part the knob and the slider share, over their drag base.
template <class DragBase>
class IVDragControlBase : public DragBase, public IVectorBase
{
public:
  // The arguments after trackSize go to the drag base.
  template <class... BaseArgs>
  IVDragControlBase(const char* label, const IVStyle& style, bool valueIsEditable, bool valueInWidget, float trackSize,
                    BaseArgs&&... baseArgs);

  // A click on the value read-out asks for a value (when it is editable) instead of dragging.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  // Only a press that started a drag moves the value.
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  // Takes the parameter's text with its unit as the value, and its name when no label was given.
  void OnInit() override;
  void Draw(IGraphics& g) override;
  // The widget takes the mouse, and so does the value read-out when the value is editable.
  bool IsHit(float x, float y) const override;
  void SetDirty(bool triggerAction = true, int valIdx = -1) override;

  bool GetValueMouseOver() const { return mValueMouseOver; }

protected:
  void FormatValueText();

  bool mValueMouseOver = false;
};

template <class DragBase>
template <class... BaseArgs>
IVDragControlBase<DragBase>::IVDragControlBase(const char* label, const IVStyle& style, bool valueIsEditable,
                                               bool valueInWidget, float trackSize, BaseArgs&&... baseArgs)
: DragBase(std::forward<BaseArgs>(baseArgs)...), IVectorBase(style, false, valueInWidget)
{
  AttachIControl(this, label);
  mTrackSize = trackSize;
  mShape = EWidgetShape::Ellipse;
  this->DisablePrompt(!valueIsEditable);
  this->mHideCursorOnDrag = mStyle.hideCursor;
  this->mText = mStyle.valueText;
}

extern template class IVDragControlBase<IKnobControlBase>;
extern template class IVDragControlBase<ISliderControlBase>;

// Angles are in degrees, clockwise from 12 o'clock. The value arc runs between the anchor angle
// and the value's angle, so an anchor in the middle gives a bipolar knob.
class IVKnobControl : public IVDragControlBase<IKnobControlBase>
{
public:
  IVKnobControl(const IRECT& bounds, int paramIdx, const char* label = "", const IVStyle& style = kStyleDefault,
                bool valueIsEditable = false, bool valueInWidget = false, float startAngle = -135.f,
                float endAngle = 135.f, float anchorAngle = -135.f, EDirection direction = EDirection::Vertical,
                double gearing = 4.0, float trackSize = 2.f);
  IVKnobControl(const IRECT& bounds, ControlActionFunc action, const char* label = "",
                const IVStyle& style = kStyleDefault, bool valueIsEditable = false, bool valueInWidget = false,
                float startAngle = -135.f, float endAngle = 135.f, float anchorAngle = -135.f,
                EDirection direction = EDirection::Vertical, double gearing = 4.0, float trackSize = 2.f);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnResize() override;
  // The area a full-range drag is measured over, centred in the widget: a wide widget's height
  // (half as wide), else its width (half as high).
  IRECT DragArea() const override;
  void DrawWidget(IGraphics& g) override;
  virtual void DrawIndicatorTrack(IGraphics& g, float angle, float cx, float cy, float radius);
  virtual void DrawPointer(IGraphics& g, float angle, float cx, float cy, float radius);

protected:
  float mKnobGap = 4.f;            // between the arc and the disc
  float mInnerPointerFrac = 0.1f;  // pointer start, of the disc radius
  float mOuterPointerFrac = 1.f;   // pointer end, of the disc radius
  float mPointerThickness = 2.5f;
  float mAngle1;
  float mAngle2;
  float mAnchorAngle;
};

// Vertical values rise upward, horizontal ones grow to the right. The handle size is half the
// handle's side; with only-handle set the track reaches that far past the ends of the value range.
class IVSliderControl : public IVDragControlBase<ISliderControlBase>
{
public:
  IVSliderControl(const IRECT& bounds, int paramIdx, const char* label = "", const IVStyle& style = kStyleDefault,
                  bool valueIsEditable = false, EDirection direction = EDirection::Vertical, bool onlyHandle = false,
                  double gearing = 4.0, float handleSize = 8.f, float trackSize = 2.f);
  IVSliderControl(const IRECT& bounds, ControlActionFunc action, const char* label = "",
                  const IVStyle& style = kStyleDefault, bool valueIsEditable = false,
                  EDirection direction = EDirection::Vertical, bool onlyHandle = false, double gearing = 4.0,
                  float handleSize = 8.f, float trackSize = 2.f);

  void OnResize() override;
  void DrawWidget(IGraphics& g) override;
  // filled: the part of the track up to the value.
  virtual void DrawTrack(IGraphics& g, const IRECT& filled);
  virtual void DrawHandle(IGraphics& g, const IRECT& bounds);

protected:
  // r lengthened along the direction by e at both ends.
  IRECT Lengthened(const IRECT& r, float e) const;

  bool mOnlyHandle;
};

}  // namespace iplug::igraphics
