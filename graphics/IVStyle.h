#pragma once

// The style record shared by the vector-drawn controls: which parts they draw, how, in which
// nine colours and with which label and value text styles.

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "graphics/IGraphicsStructs.h"

namespace iplug::igraphics {

enum EVColor {
  kBG = 0,  // background
  kFG,      // widget fill when not pressed
  kPR,      // fill when pressed
  kFR,      // frame
  kHL,      // highlight: mouse-over fill and click splash
  kSH,      // shadow
  kX1,      // extra colours
  kX2,
  kX3,
  kNumVColors
};

struct IVStyleColors
{
  static constexpr IColor kDefaults[kNumVColors] = {
    IColor(0, 0, 0, 0),      IColor(255, 200, 200, 200), IColor(255, 240, 240, 240),
    IColor(255, 70, 70, 70), IColor(10, 0, 0, 0),        IColor(60, 0, 0, 0),
    IColor(255, 0, 0, 0),    IColor(255, 0, 255, 0),     IColor(255, 0, 0, 255)};

  IColor mColors[kNumVColors];

  // Entry i of the list becomes colour i; colours past the list keep their defaults.
  IVStyleColors(std::initializer_list<IColor> colors = {})
  {
    std::copy(std::begin(kDefaults), std::end(kDefaults), mColors);
    std::copy_n(colors.begin(), std::min<size_t>(colors.size(), kNumVColors), mColors);
  }

  const IColor& GetColor(EVColor idx) const { return mColors[idx]; }
  void SetColor(EVColor idx, const IColor& c) { mColors[idx] = c; }
};

struct IVStyle
{
  bool hideCursor = true;
  bool showLabel = true;
  bool showValue = true;
  bool drawFrame = true;
  bool drawShadows = true;
  bool emboss = false;
  float roundness = 0.f;
  float frameThickness = 1.f;
  float shadowOffset = 3.f;
  float widgetFrac = 1.f;
  float angle = 0.f;
  IVStyleColors colorSpec;
  IText labelText{19.f, IColor(255, 0, 0, 0), "Roboto-Regular", EAlign::Center, EVAlign::Top};
  IText valueText{14.f, IColor(255, 0, 0, 0), "Roboto-Regular", EAlign::Center, EVAlign::Bottom};
};

}  // namespace iplug::igraphics
