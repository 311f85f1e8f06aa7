#pragma once

// The second base of every vector-drawn control: a copy of the style, the label and value
// strings, the widget, label and value rectangles the control is laid out into, the click splash,
// and the pressable shapes drawn in the style's colours for the normal, pressed, mouse-over and
// disabled looks. The graphics object restyles every control that has this base.

#include "framework/WDLString.h"
#include "graphics/IGraphicsStructs.h"
#include "graphics/IVStyle.h"

namespace iplug::igraphics {

class IControl;

enum class EWidgetShape : int32_t {
  Rectangle = 0,
  Ellipse,
  Triangle,
  EndsRounded,  // only the two top corners rounded
  AllRounded
};

class IVectorBase
{
public:
  IVectorBase(const IVStyle& style, bool labelInWidget = false, bool valueInWidget = false);
  virtual ~IVectorBase() = default;

  // The owning control calls this from its constructor: it gives the blend, the graphics object
  // and the animation state, and the label to show (null for none).
  void AttachIControl(IControl* control, const char* label);

  virtual void SetStyle(const IVStyle& style) { mStyle = style; }
  // Fills the rectangle with the background colour.
  virtual void DrawBackground(IGraphics& g, const IRECT& r);
  virtual void DrawWidget(IGraphics&) {}
  virtual void DrawLabel(IGraphics& g);
  virtual void DrawValue(IGraphics& g, bool mouseOver);
  // Answers the handle rectangle drawn; a shape past AllRounded draws nothing.
  virtual IRECT DrawPressableShape(IGraphics& g, EWidgetShape shape, const IRECT& bounds, bool pressed, bool mouseOver,
                                   bool disabled);

  IRECT DrawRectShape(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled, bool rtl = true,
                      bool rtr = true, bool rbl = true, bool rbr = true);
  IRECT DrawEllipseShape(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled);
  IRECT DrawTriangleShape(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, float angle, bool disabled);
  // The splash circle, clipped to clip (and to the open layer or the window).
  void FillSplash(IGraphics& g, const IRECT& clip);

  // Splits parent into label, widget and value rectangles by the style and the strings; answers
  // the clickable area (parent less the label row). With a handle, the widget leaves room for
  // the frame and the shadow.
  IRECT LayoutRects(const IRECT& parent, bool hasHandle = false);
  // A slider's track line: the track size either side of the centre line of bounds, along the
  // direction.
  IRECT MakeTrackBounds(const IRECT& bounds, EDirection direction) const;

  const IVStyle& GetStyle() const { return mStyle; }
  const IColor& GetColor(EVColor idx) const { return mStyle.colorSpec.GetColor(idx); }
  void SetLabelStr(const char* str) { mLabelStr.Set(str ? str : ""); }
  void SetValueStr(const char* str) { mValueStr.Set(str ? str : ""); }
  const char* GetLabelStr() const { return mLabelStr.Get(); }
  const char* GetValueStr() const { return mValueStr.Get(); }
  const IRECT& GetWidgetBounds() const { return mWidgetBounds; }
  const IRECT& GetLabelBounds() const { return mLabelBounds; }
  const IRECT& GetValueBounds() const { return mValueBounds; }
  EWidgetShape GetShape() const { return mShape; }
  void SetShape(EWidgetShape shape) { mShape = shape; }

  void SetSplashPoint(float x, float y)
  {
    mSplashX = x;
    mSplashY = y;
  }
  void SetSplashRadius(float radius) { mSplashRadius = radius; }
  float GetSplashX() const { return mSplashX; }
  float GetSplashY() const { return mSplashY; }
  float GetSplashRadius() const { return mSplashRadius; }
  float GetMaxSplashRadius() const { return mMaxSplashRadius; }

protected:
  // Disabled looks darker; the shape fills take this contrast.
  static float Contrast(bool disabled) { return disabled ? -0.25f : 0.f; }
  // The shape's bounds less half the frame and, with shadows, the room for the shadow at the
  // left, right and bottom.
  IRECT HandleBounds(const IRECT& bounds) const;
  const IBlend* Blend() const;
  bool Animating() const;

  IControl* mControl = nullptr;
  IVStyle mStyle;
  bool mLabelInWidget;
  bool mValueInWidget;
  float mSplashRadius = 0.f;
  float mSplashX = 0.f;
  float mSplashY = 0.f;
  float mMaxSplashRadius = 50.f;
  float mTrackSize = 2.f;
  float mValueBoxFrac = 0.66f;  // half the value box's width per measured text width
  IRECT mWidgetBounds;
  IRECT mLabelBounds;
  IRECT mValueBounds;
  WDL_String mLabelStr;
  WDL_String mValueStr;
  EWidgetShape mShape = EWidgetShape::Rectangle;
};

}  // namespace iplug::igraphics
