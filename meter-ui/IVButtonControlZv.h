#pragma once

// The product's drawn buttons: a push button that fires an editor action or switches a linked
// parameter, a caption button that fires an action, a check box, and an invisible click area
// that fires an action.

#include "controls/IControlBases.h"
#include "framework/WDLString.h"
#include "meter-ui/IVStyleZv.h"

// Holds value 1 while pressed. Linked, it toggles its parameter like a two-state switch.
class IVButtonControlZv : public PressOnly<iplug::igraphics::ISwitchControlBase>
{
public:
  // linked non-zero: id is a parameter index; else an editor action id (-1: none). The byte is
  // passed by the layout and not consulted.
  IVButtonControlZv(const iplug::igraphics::IRECT& bounds, int id, const IVStyleZv& style,
                    int linked, uint8_t unused, bool visible, bool showLabels,
                    const char* labelOff, const char* labelOn);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  iplug::igraphics::IMouseMod mMouseMod;
  bool mPressed = false;
  IVStyleZv mStyle;
  iplug::igraphics::IPattern mFillPattern;
  int mActionId;
  bool mLinked;
  uint8_t mUnused;
  bool mVisible;
  bool mShowLabels;
  WDL_String mLabelOff;
  WDL_String mLabelOn;
};

// Fires its action on every press, a double click counting as a second press; it has no
// pressed look.
class IVClickButtonControlZv : public PressOnly<iplug::igraphics::IControl>
{
public:
  IVClickButtonControlZv(const iplug::igraphics::IRECT& bounds, int actionId,
                         const IVStyleZv& style, const char* label);

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void Draw(iplug::igraphics::IGraphics& g) override;

  int mActionId;  // -1: none
  iplug::igraphics::IMouseMod mMouseMod;
  bool mDrawBackground = true;
  IVStyleZv mStyle;
  iplug::igraphics::IPattern mFillPattern;
  WDL_String mLabel;
};

// A check box showing "X" while on; a click toggles the linked parameter.
class IVToggleControlZv : public iplug::igraphics::ISwitchControlBase
{
public:
  IVToggleControlZv(const iplug::igraphics::IRECT& bounds, int paramIdx, const IVStyleZv& style);

  void Draw(iplug::igraphics::IGraphics& g) override;

  bool mDrawBackground = true;  // off: nothing at all is drawn
  IVStyleZv mStyle;
  iplug::igraphics::IPattern mFillPattern;
};

class IVClickControlHiddenZv : public iplug::igraphics::IControl
{
public:
  IVClickControlHiddenZv(const iplug::igraphics::IRECT& bounds, int actionId)
  : IControl(bounds, -1), mActionId(actionId)
  {
  }

  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float, float, const iplug::igraphics::IMouseMod&) override { mMouseMod = {}; }
  void Draw(iplug::igraphics::IGraphics&) override {}

  int mActionId;
  iplug::igraphics::IMouseMod mMouseMod;
};
