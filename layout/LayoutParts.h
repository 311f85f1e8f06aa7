#pragma once
// The parts of the editor that the layout builds itself, in the order it builds them, and the
// texts they and the scale configuration share.

#include "framework/WDLString.h"
#include "layout/LayoutBuilder.h"
#include "meter-ui/IVTextControlZv.h"

#include <vector>

class Vantorelix;

// The five bands of the window background, each stretching with the window.
void BuildWindowBackground(LayoutBuilder& builder);
// The overlays, the top bar and the match and limiter row at the bottom left.
void BuildTopBar(Vantorelix& plug, LayoutBuilder& builder);
// The six read-out boxes on the left.
void BuildReadoutArea(Vantorelix& plug, LayoutBuilder& builder);

// A text that never takes the mouse, on a transparent background.
IVTextControlZv* Label(const iplug::igraphics::IRECT& bounds, const char* str,
                       const iplug::igraphics::IText& style);
// Gives each text label of a group the width its text needs, as far as the controls beside it
// allow, and a slightly smaller text where that is still too narrow. Run once the group is built.
void FitLabels(iplug::igraphics::IGraphics& ui, const std::vector<int>& group);
// "dB", "LU" or "LK" for a unit mode (the first for one outside the table).
const char* UnitLabel(int unitMode);
// The unit of a peak level: "dBFS" for sample peaks, "dBTP" for true peaks, empty otherwise.
WDL_String PeakUnitText(int peakMode);
