#pragma once
// The preset menu button (control tag 3): it keeps the preset file chosen in its load or save
// dialog, which the plug-in's load and save actions read.

#include "framework/WDLString.h"
#include "graphics/IControl.h"

class IBPresetMenuZv : public iplug::igraphics::IControl
{
public:
  static constexpr int kTag = 3;

  explicit IBPresetMenuZv(const iplug::igraphics::IRECT& bounds) : IControl(bounds) {}

  void Draw(iplug::igraphics::IGraphics&) override {}

  WDL_String path;
};
