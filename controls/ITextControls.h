#pragma once

// Text controls: a string on a filled background, optionally sized to fit it; an underlined web
// link; a text that toggles between two strings; a parameter's display text that prompts for a
// new value; and a box that shows its own position and size while an editor is laid out.
// Changing a text does not mark the control dirty: the caller (or a subclass) does that.

#include "framework/WDLString.h"
#include "graphics/IControl.h"
#include "graphics/IGraphicsConstants.h"

namespace iplug::igraphics {

class ITextControl : public IControl
{
public:
  ITextControl(const IRECT& bounds, const char* str = "", const IText& text = kTextDefault,
               const IColor& bgColor = kColorTransparent, bool setBoundsBasedOnStr = false);

  void Draw(IGraphics& g) override;
  void OnInit() override;

  // A text equal to the current one changes nothing; otherwise it is stored and, when the
  // control sizes itself to its text, the bounds follow about their centre.
  virtual void SetStr(const char* str);
  // At most maxLength characters (printf rules); a failed format leaves an empty text.
  virtual void SetStrFmt(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  virtual void ClearStr() { SetStr(""); }

  const char* GetStr() const { return mStr.Get(); }
  // Both bounds become the measured size of the text, about the current centre.
  void SetBoundsToStr();

protected:
  WDL_String mStr;
  IColor mBGColor;
  bool mSetBoundsBasedOnStr;
};

// A link: the pointing hand over it, another colour once clicked, and a click opens the address.
class IURLControl : public ITextControl
{
public:
  IURLControl(const IRECT& bounds, const char* label, const char* url, const IText& text = kTextDefault,
              const IColor& bgColor = kColorTransparent, const IColor& mouseOverColor = kColorWhite,
              const IColor& clickedColor = kColorBlue);

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

  static constexpr int kCursorArrow = 0;
  static constexpr int kCursorHand = 11;

protected:
  WDL_String mURLStr;
  IColor mOriginalColor;
  IColor mMOColor;
  IColor mCLColor;
  bool mClicked = false;
};

// Shows the on text above 0.5 and the off text otherwise; a click toggles the value.
class ITextToggleControl : public ITextControl
{
public:
  ITextToggleControl(const IRECT& bounds, int paramIdx, const char* offText, const char* onText,
                     const IText& text = kTextDefault, const IColor& bgColor = kColorTransparent);
  ITextToggleControl(const IRECT& bounds, ControlActionFunc action, const char* offText, const char* onText,
                     const IText& text = kTextDefault, const IColor& bgColor = kColorTransparent);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void SetDirty(bool triggerAction = true, int valIdx = -1) override;

protected:
  WDL_String mOffText;
  WDL_String mOnText;
};

// A parameter's display text, optionally with its unit label; a click prompts for a value, and
// an enumerated parameter shows a small triangle at the right.
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(const IRECT& bounds, int paramIdx, const IText& text = kTextDefault,
                  const IColor& bgColor = kColorTransparent, bool showParamLabel = true);

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnResize() override;

  const IRECT& GetTriangleBounds() const { return mTri; }

protected:
  bool mShowParamLabel;
  IColor mTriangleColor = kColorBlack;
  IColor mTriangleMouseOverColor = kColorWhite;
  IRECT mTri;
};

// A stand-in box for laying out an editor: it shows its position, width and height, and a
// double click edits its caption.
class PlaceHolder : public ITextControl
{
public:
  explicit PlaceHolder(const IRECT& bounds, const char* str = "Place Holder");

  void Draw(IGraphics& g) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnResize() override;
  void TextEntryDone(const char* str, int) override { SetStr(str); }

protected:
  // A filled read-out box placed at (x, y), with the string drawn there.
  void DrawReadout(IGraphics& g, const IText& text, const WDL_String& str, float x, float y, const IBlend& boxBlend);

  IRECT mTextBounds;
  WDL_String mTLHCStr;
  WDL_String mWidthStr;
  WDL_String mHeightStr;
  IText mTLGCText = kTextDefault;
  IText mWidthText = kTextDefault;
  IText mHeightText = IText(14.f, kColorBlack, "Roboto-Regular", EAlign::Center, EVAlign::Middle, 270.f);
};

}  // namespace iplug::igraphics
