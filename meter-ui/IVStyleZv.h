#pragma once

// The style the product's vector widgets share, and the box background they all draw: a fill,
// rounded or square, and an optional outline.

#include "framework/WDLString.h"
#include "graphics/IControl.h"
#include "graphics/IGraphicsStructs.h"

namespace iplug::igraphics {
class IGraphics;
}

struct IVStyleZv
{
  bool drawFrame = true;
  float roundness = 0.f;  // 0 or less: square corners
  float frameThickness = 1.f;
  iplug::igraphics::IColor fillColor{255, 0, 0, 0};
  iplug::igraphics::IColor frameColor{255, 200, 200, 200};
  iplug::igraphics::IText text{14.f, iplug::igraphics::IColor(255, 0, 0, 0), "Roboto-Regular",
                               iplug::igraphics::EAlign::Center, iplug::igraphics::EVAlign::Bottom};
  iplug::igraphics::IText valueText = text;
};

inline const IVStyleZv kDefaultStyleZv{};

// The rectangle filled with the pattern (through a path, rounded, when the back end fills paths;
// else with the pattern's colour), then outlined when frame is set.
void DrawBoxBackground(iplug::igraphics::IGraphics& g, const iplug::igraphics::IRECT& r,
                       const iplug::igraphics::IPattern& fill, float roundness, bool frame,
                       const iplug::igraphics::IColor& frameColor, float frameWidth,
                       const iplug::igraphics::IBlend* frameBlend);

// The same with a widget style's corners and outline.
inline void DrawStyleBackground(iplug::igraphics::IGraphics& g, const iplug::igraphics::IRECT& r,
                                const IVStyleZv& style, const iplug::igraphics::IPattern& fill,
                                const iplug::igraphics::IBlend* frameBlend)
{
  DrawBoxBackground(g, r, fill, style.roundness, style.drawFrame, style.frameColor, style.frameThickness, frameBlend);
}

// The text style with its colour's alpha halved while the control is disabled.
iplug::igraphics::IText DimmedWhenDisabled(iplug::igraphics::IText text, bool disabled);

// The display text of a control's linked parameter for the value the control holds (which
// may differ from the parameter's while it is constrained); empty without a parameter.
WDL_String ParamDisplayText(const iplug::igraphics::IControl& control);

// A widget base whose press is all it reacts to: drags, wheel turns and double clicks as a
// gesture of their own do nothing.
template <class Base>
class PressOnly : public Base
{
public:
  using Base::Base;
  void OnMouseDrag(float, float, float, float, const iplug::igraphics::IMouseMod&) override {}
  void OnMouseDblClick(float, float, const iplug::igraphics::IMouseMod&) override {}
  void OnMouseWheel(float, float, const iplug::igraphics::IMouseMod&, float) override {}
};
