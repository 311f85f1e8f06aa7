#pragma once

// The product's drawn push button that fires an editor action or switches a linked parameter.

#include "controls/IControlBases.h"
#include "framework/WDLString.h"
#include "meter-ui/IVStyleZv.h"

// Holds value 1 while pressed. Linked, it toggles its parameter like a two-state switch.
class IVButtonControlZv : public PressOnly<iplug::igraphics::ISwitchControlBase>
{
public:
  // linked non-zero: id is a parameter index; else an editor action id (-1: none). The byte is
  // passed by the layout and not consulted.
  IVButtonControlZv(const iplug::igraphics::IRECT& bounds, int id, const IVStyleZv& style, int linked, uint8_t unused,
                    bool visible, bool showLabels, const char* labelOff, const char* labelOn);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  iplug::igraphics::IMouseMod mMouseMod;
  bool mPressed = false;
  IVStyleZv mStyle;
  iplug::igraphics::IPattern mFillPattern;
  int mActionId;
  bool mLinked;
  bool mVisible;
  bool mShowLabels;
  WDL_String mLabelOff;
  WDL_String mLabelOn;
};
