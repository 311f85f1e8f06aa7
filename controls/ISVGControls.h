#pragma once

// Controls drawn from parsed SVG documents instead of vector shapes or bitmaps: a button with an
// off and an on image, a knob that turns its image, a switch with one image per state, and a
// slider made of a track image and a handle image laid out by their aspect ratios. The documents
// live in the SVG cache; the controls hold references to them.

#include <initializer_list>
#include <vector>

#include "controls/IControlBases.h"
#include "graphics/ISVG.h"

namespace iplug::igraphics {

// Shows the on image while value 0 is above 0.5.
class ISVGButtonControl : public IButtonControlBase
{
public:
  ISVGButtonControl(const IRECT& bounds, ControlActionFunc action, const ISVG& offImage, const ISVG& onImage);

  void Draw(IGraphics& g) override;

protected:
  ISVG mOffImage;
  ISVG mOnImage;
};

// The image turned from the start angle at 0 to the end angle at 1, degrees clockwise.
class ISVGKnobControl : public IKnobControlBase
{
public:
  ISVGKnobControl(const IRECT& bounds, const ISVG& image, int paramIdx = -1);

  void Draw(IGraphics& g) override;
  void SetSVG(const ISVG& image);

protected:
  ISVG mImage;
  float mStartAngle = -135.f;
  float mEndAngle = 135.f;
};

// One state per image.
class ISVGSwitchControl : public ISwitchControlBase
{
public:
  ISVGSwitchControl(const IRECT& bounds, std::initializer_list<ISVG> images, int paramIdx = -1,
                    ControlActionFunc action = nullptr);

  void Draw(IGraphics& g) override;

protected:
  std::vector<ISVG> mImages;
};

// The track image fills the draw bounds along the direction; the handle image keeps its size
// relative to the track image. The drag range is the track less one handle length, so the handle
// stays on the track at both ends.
class ISVGSliderControl : public ISliderControlBase
{
public:
  ISVGSliderControl(const IRECT& bounds, const ISVG& handleImage, const ISVG& trackImage, int paramIdx = -1,
                    EDirection direction = EDirection::Vertical, double gearing = 4.0);

  void OnResize() override;
  void Draw(IGraphics& g) override;

  // Where the handle is drawn for a value; a negative value means the current one.
  IRECT GetHandleBounds(double value = -1.0) const;
  const IRECT& GetTrackImageBounds() const { return mTrackImageBounds; }

protected:
  IRECT mTrackImageBounds;
  IRECT mHandleBounds;  // the handle at value 1
  ISVG mHandleImage;
  ISVG mTrackImage;
};

}  // namespace iplug::igraphics
