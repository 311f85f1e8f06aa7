#pragma once

// A swatch showing one packed colour parameter (0xRRGGBB): a click opens the colour chooser, an
// option-click a hexadecimal text entry, a shift-click stores the complement. It keeps no colour
// of its own: every draw reads the parameter.

#include "framework/WDLString.h"
#include "graphics/IControl.h"
#include "meter-ui/IVStyleZv.h"

class IVColorPickerZv : public PressOnly<iplug::igraphics::IControl>
{
public:
  IVColorPickerZv(const iplug::igraphics::IRECT& bounds, int colorParamIdx, const IVStyleZv& style, const char* label);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float, float, const iplug::igraphics::IMouseMod&) override { mMouseMod = {}; }
  // "#" and hexadecimal digits; a text without the "#" stores black.
  void TextEntryDone(const char* str, int valIdx) override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  iplug::igraphics::IMouseMod mMouseMod;
  bool mDrawBackground = true;
  IVStyleZv mStyle;
  iplug::igraphics::IPattern mFillPattern;
  WDL_String mLabel;
  int mColorParamIdx;

private:
  // The parameter's value as a packed colour; 0 without the parameter.
  int PackedColor() const;
  // Stores the colour in the parameter and tells the plug-in, which applies it.
  void ApplyColor(int packed);
};
