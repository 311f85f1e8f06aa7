// The two views beside the read-outs: the bar meters with their scales, and the loudness graph
// with its buttons and toggles. Each is one control group that the display settings show or hide.

#include "graphics/IVStyle.h"
#include "layout/LayoutParts.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IBSwitchControlZv.h"
#include "meter-ui/IDynaMeterControl.h"
#include "meter-ui/IGraphControl.h"
#include "meter-ui/IMeterControl.h"
#include "meter-ui/IMeterScaleControl.h"
#include "meter-ui/IVButtonControlZv.h"
#include "meter-ui/IVPanelControlZv.h"
#include "meter-ui/IVPopupMenuZv.h"

using namespace iplug::igraphics;

namespace {

const IColor kPanelFrame(255, 63, 68, 73);
const IColor kGraphTextColor(255, 208, 209, 211);
// The label of a toggle that is on (and of a button while pressed): lit, as the bitmap buttons'
// highlighted frames are, so that the curves shown can be told from those hidden at a glance.
const IColor kGraphOnColor(255, 110, 190, 255);

// The black rounded panel behind either view.
IControl* ViewBackground(const IRECT& bounds)
{
  return new IVPanelControlZv(bounds, Vantorelix::ColorFromHexAlpha("#000000", 255), true, kPanelFrame, 8.f, 2.f);
}

IText GraphText(float size, const IColor& colour = kGraphTextColor)
{
  return IText(size, colour, "Verdana Normal", EAlign::Center);
}

}  // namespace

void BuildMeterPanel(Vantorelix& plug, LayoutBuilder& b)
{
  IControl* controls[kMeterPanelControls] = {
    ViewBackground(IRECT(324, 54, 800, 424)),
    new IMeterScaleControl(IRECT(338, 56, 500, 422)),
    // The bars carry the action ids of the SL and ML read-outs' click areas.
    new IMeterControl(IRECT(376, 64, 408, 418), kActionResetSlAlerts),
    new IMeterControl(IRECT(416, 64, 448, 418), kActionResetMlAlerts),
    new IDynaMeterControl(IRECT(456, 64, 488, 418)),
    new IMeterScaleControl(IRECT(506, 56, 784, 422)),
  };
  // Ten channel bars, 20 pixels wide on a 24-pixel pitch, inside the right scale.
  for (int i = 0; i < kMeterChannels; ++i)
  {
    const float left = 544.f + 24.f * static_cast<float>(i);
    controls[kFirstChannelBar + i] = new IMeterControl(IRECT(left, 64, left + 20.f, 418), -1);
  }
  for (int i = 0; i < kMeterPanelControls; ++i)
    plug.ControlPositions().meterPanel[static_cast<size_t>(i)] = b.Add(controls[i], plug.LayoutRecords().meterGroup);
}

void BuildGraphPanel(Vantorelix& plug, LayoutBuilder& b)
{
  IGraphics& ui = b.UI();
  EditorControlPositions& positions = plug.ControlPositions();
  std::vector<int>& group = plug.LayoutRecords().graphGroup;
  const IVStyleZv boxStyle = BoxStyle(15.f);
  const IVStyleZv buttonStyle = BoxStyle(15.f, GraphText(15.f, kGraphOnColor));
  const IVStyleZv overlayStyle = BoxStyle(13.f, GraphText(13.f, kGraphOnColor));

  auto add = [&](IControl* control, const char* tooltip) {
    if (tooltip)
      control->SetTooltip(tooltip);
    return b.Add(control, group);
  };
  auto label = [&](const IRECT& bounds, const char* text) {
    return add(Label(bounds, text, GraphText(12.f)), nullptr);
  };

  positions.graphBackground = add(ViewBackground(IRECT(324, 80, 792, 424)), nullptr);
  label(IRECT(322, 56, 358, 76), "Dist");
  const int distribution = add(
    new IVPopupMenuZv(IRECT(356, 56, 400, 76), kDistributionDisplayMode, boxStyle, false, true),
    "Show loudness distribution");
  b.Move(distribution, false, false);
  b.Move(add(new IVPopupMenuZv(IRECT(700, 56, 764, 76), kGraphTimescale, boxStyle, false, true), "Time scale"), false,
         false);

  struct Action
  {
    IRECT bounds;
    int id;
    const char* label;
    const char* tooltip;
  };
  auto action = [&](const Action& a) {
    b.Move(add(new IVButtonControlZv(a.bounds, a.id, buttonStyle, 0, 0, true, true, a.label, a.label), a.tooltip),
           false, false);
  };
  b.Move(label(IRECT(410, 56, 446, 76), "Marker"), false, false);
  action({IRECT(452, 56, 492, 76), kActionSetMarker, "Set", "Set marker"});
  action({IRECT(496, 56, 536, 76), kActionClearMarkers, "Clear", "Clear marker"});
  // Wide enough for the word, which is wider than the 36 pixels the other labels get.
  b.Move(label(IRECT(550, 56, 604, 76), "Memory"), false, false);
  action({IRECT(608, 56, 648, 76), kActionStoreMemory, "Store", "Store IL/SL to memory"});
  action({IRECT(652, 56, 692, 76), kActionClearMemory, "Clear", "Clear IL/SL memory"});

  // The curve toggles, then the overlay toggles, down the right edge of the plot.
  struct Toggle
  {
    int param;
    const char* label;
    const char* tooltip;
  };
  const Toggle toggles[] = {
    {kGraphIL, "IL", "Show IL"},
    {kGraphSL, "SL", "Show SL"},
    {kGraphML, "ML", "Show ML"},
    {kGraphLRA, "LRA", "Show LRA"},
    {kGraphPLR, "PLR", "Show PLR"},
    {kGraphPSR, "PSR", "Show PSR"},
    {kGraphAlertLM, "OvLM", "Show LM alerts"},
    {kGraphAlertPeak, "OvPK", "Show peak alerts"},
    {kGraphAlertRange, "AlLR", "Show dynamic alerts"},
    {kGraphLoudnessTarget, "TgSL", "Show loudness target"},
    {kGraphDialogPresence, "Dial", "Show dialog percentage (Dialog gate mode)"},
    {kGraphStore, "Mem", "Show IL/SL memory"},
  };
  for (size_t i = 0; i < std::size(toggles); ++i)
  {
    const Toggle& t = toggles[i];
    const float top = 80.f + 24.f * static_cast<float>(i);
    const IVStyleZv& style = i < 6 ? buttonStyle : overlayStyle;
    b.Move(
      add(new IVButtonControlZv(IRECT(796, top, 828, top + 20.f), t.param, style, 1, 0, true, true, t.label, t.label),
          t.tooltip),
      true, false);
  }

  b.Move(add(new IBSwitchControlZv(796, 400, ui.LoadBitmap("scroll.png", 2), kGraphScroll), "Run/stop graph"), true,
         true);
  positions.graph = add(new IGraphControl(IRECT(332, 84, 792, 418), kActionGraph), nullptr);
}
