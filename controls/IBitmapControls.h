#pragma once

// Controls drawn from a multi-frame bitmap instead of vector shapes: each is a behaviour base
// (switch, button, slider, text, knob) with the bitmap part that picks the frame for the value.
// After a change of screen scale each reloads its image and keeps its value.

#include "controls/IControlBases.h"
#include "controls/ITextControls.h"
#include "graphics/IBackgroundControls.h"

namespace iplug::igraphics {

// A click advances one frame of the strip and wraps past the last; the frame count, not the
// switch's two states, sets the step.
class IBSwitchControl : public ISwitchControlBase, public IBitmapBase
{
public:
  IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx = -1);
  IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = -1);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { ReloadBitmap(); }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
};

class IBButtonControl : public IButtonControlBase, public IBitmapBase
{
public:
  IBButtonControl(float x, float y, const IBitmap& bitmap, ControlActionFunc action);
  IBButtonControl(const IRECT& bounds, const IBitmap& bitmap, ControlActionFunc action);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { ReloadBitmap(); }
};

// A handle image moving along a track; the track image, when given, is drawn behind it.
class IBSliderControl : public ISliderControlBase, public IBitmapBase
{
public:
  IBSliderControl(float x, float y, float trackLength, const IBitmap& handleBitmap,
                  const IBitmap& trackBitmap = IBitmap(), int paramIdx = -1,
                  EDirection direction = EDirection::Vertical, double gearing = 4.0);
  IBSliderControl(const IRECT& bounds, const IBitmap& handleBitmap, const IBitmap& trackBitmap = IBitmap(),
                  int paramIdx = -1, EDirection direction = EDirection::Vertical, double gearing = 4.0);

  void Draw(IGraphics& g) override;
  void OnRescale() override { ReloadBitmap(); }
  void OnResize() override;

  // Where the handle stands for value (a negative value: the current one).
  IRECT GetHandleBounds(double value = -1.0) const;

protected:
  IBitmap mTrackBitmap;
};

// A string drawn with a bitmap font whose frames are the characters.
class IBTextControl : public ITextControl, public IBitmapBase
{
public:
  IBTextControl(const IRECT& bounds, const IBitmap& font, const IText& text = kTextDefault, const char* str = "",
                int charWidth = 6, int charHeight = 12, int charOffset = 0, bool multiLine = true, bool vCentre = true,
                int blendMode = 0);

  void Draw(IGraphics& g) override;
  void OnRescale() override { ReloadBitmap(); }

protected:
  int mCharWidth;
  int mCharHeight;
  int mCharOffset;
  bool mMultiLine;
  bool mVCentre;
};

// A knob shown as the frame of a strip that matches its value.
class IBKnobControl : public IKnobControlBase, public IBitmapBase
{
public:
  IBKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx = -1, EDirection direction = EDirection::Vertical,
                double gearing = 4.0);
  IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = -1,
                EDirection direction = EDirection::Vertical, double gearing = 4.0);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { ReloadBitmap(); }
};

// A knob shown as one image turned from -130 degrees at 0 to +130 at 1.
class IBKnobRotaterControl : public IBKnobControl
{
public:
  using IBKnobControl::IBKnobControl;

  void Draw(IGraphics& g) override;
};

}  // namespace iplug::igraphics
