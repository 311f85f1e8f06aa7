#pragma once
// The parts of the editor that the layout builds itself, in the order it builds them, and the
// texts they and the scale configuration share.

#include "framework/WDLString.h"
#include "layout/LayoutBuilder.h"
#include "meter-ui/IVStyleZv.h"
#include "meter-ui/IVTextControlZv.h"

#include <map>
#include <string>
#include <vector>

class Vantorelix;

// The size the editor is laid out for; a larger window moves and stretches the anchored controls.
inline constexpr int kBaseWidth = 832;
inline constexpr int kBaseHeight = 446;
// A value box's value is dragged vertically, four box heights for the whole range.
inline constexpr double kBoxGearing = 4.0;

// The five bands of the window background, each stretching with the window.
void BuildWindowBackground(LayoutBuilder& builder);
// The overlays, the top bar and the match and limiter row at the bottom left.
void BuildTopBar(Vantorelix& plug, LayoutBuilder& builder);
// The six read-out boxes on the left.
void BuildReadoutArea(Vantorelix& plug, LayoutBuilder& builder);
// The meter panel: the bar meters and their scales, one control group.
void BuildMeterPanel(Vantorelix& plug, LayoutBuilder& builder);
// The graph panel: the graph with its buttons and toggles, one control group.
void BuildGraphPanel(Vantorelix& plug, LayoutBuilder& builder);
// The page selector and the seven setup pages, each page one control group.
void BuildSetupPages(Vantorelix& plug, LayoutBuilder& builder);

// A text that never takes the mouse, on a transparent background.
IVTextControlZv* Label(const iplug::igraphics::IRECT& bounds, const char* str, const iplug::igraphics::IText& style);
// The style's size, or the largest one below it in half points at which each text is at most the
// width; a size at which a text is no longer comfortably read is the smallest it gives.
float FittingSize(const iplug::igraphics::IGraphics& ui, iplug::igraphics::IText style,
                  const std::vector<std::string>& texts, float width);
// Every text a label may show, by the label's position in the control list.
using LabelTexts = std::map<int, std::vector<std::string>>;
// Gives each text label of a group the width its widest text needs (the text it has, when the
// list names none), as far as the controls beside it and the frames round it allow, and a
// slightly smaller text where that is still too narrow. A frame given here bounds every label as
// a frame control round it would. Run once the group is built.
void FitLabels(iplug::igraphics::IGraphics& ui, const std::vector<int>& group, const LabelTexts& texts = {},
               const iplug::igraphics::IRECT& frame = {});
// The dark rounded box of the value boxes, menus and buttons, with light centred text of the size.
IVStyleZv BoxStyle(float textSize, const iplug::igraphics::IText& valueText = iplug::igraphics::IVStyle{}.valueText);
// "dB", "LU" or "LK" for a unit mode (the first for one outside the table).
const char* UnitLabel(int unitMode);
// The unit of a peak level: "dBFS" for sample peaks, "dBTP" for true peaks, empty otherwise.
WDL_String PeakUnitText(int peakMode);
