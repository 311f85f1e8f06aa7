#pragma once
// The invisible file selector behind the export and colour-file buttons: it offers a file name
// in its dialog and keeps the path the user chose, which the plug-in's action then reads.

#include "framework/WDLString.h"
#include "graphics/IControl.h"

class IVFileSelectorControlHiddenZv : public iplug::igraphics::IControl
{
public:
  explicit IVFileSelectorControlHiddenZv(const iplug::igraphics::IRECT& bounds) : IControl(bounds) {}

  void Draw(iplug::igraphics::IGraphics&) override {}

  WDL_String fileName;  // offered in the save dialog
  WDL_String path;      // chosen in the dialog; empty when the user cancelled
};
