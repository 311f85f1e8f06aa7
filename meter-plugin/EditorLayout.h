#pragma once
// What the editor's layout records about the controls it attaches, for the code that updates,
// moves, shows and hides them later. Every control is named by its position in the graphics
// object's control list (-1: not attached); positions stay valid while the editor is open,
// since no control is removed from an open editor.

#include <array>
#include <cstdint>
#include <vector>

// How one control follows the window when it grows from the base editor of 832 x 446.
struct ControlAnchor
{
  int32_t controlIndex = -1;
  uint8_t resizable = 0;   // 1: edges of the rectangle follow; 0: the top-left point does
  float x = 0.f, y = 0.f;  // move records: the point at creation
  uint8_t moveX = 0, moveY = 0;
  float left = 0.f, top = 0.f, right = 0.f, bottom = 0.f;  // resize records: the base rectangle
  uint8_t anchorLeft = 0, anchorTop = 0, anchorRight = 0, anchorBottom = 0;
};

// The read-out boxes, top to bottom in the left column, then the right column.
enum ReadoutRow : int {
  kReadoutIL = 0,
  kReadoutSL,
  kReadoutML,
  kReadoutTime,
  kReadoutRange,
  kReadoutPeak,
  kReadoutRows
};

// One read-out box:
// - caption: the box title ("Integrated IL").
// - valueText: the big value.
// - secondCaption: the caption of the box's second line (IL, SL, ML, Range), shown or hidden by
//   gating mode.
// - unitText: the unit of the box ("LUFS", "dBTP"), relabelled by the scale configuration; for
//   Time the time format.
// - sideValues: the small value fields beside the second line: the alert counters of IL, SL and
//   Peak, and the low and high ends of the loudness range for Range (shown in LRA mode only).
// - led: the alert lamp.
struct ReadoutBoxSlots
{
  int boxPanel = -1;
  int valuePanel = -1;
  int caption = -1;
  int valueText = -1;
  int secondCaption = -1;
  int unitText = -1;
  std::array<int, 2> sideValues{-1, -1};
  int led = -1;
};

struct ReadoutArea
{
  int areaFrame = -1;
  // The dialogue-presence lamp: the outline over the IL value, shown under the dialogue gate only.
  int ilSwitchPanel = -1;
  std::array<ReadoutBoxSlots, kReadoutRows> rows{};
  // The unit texts beside the pre-gain, loudness-target and limiter-ceiling boxes.
  int preGainUnit = -1;
  int targetUnit = -1;
  int limiterUnit = -1;
};

inline constexpr int kMeterPanelControls = 16;
inline constexpr int kSetupPageCount = 7;

// The meter panel in creation order.
enum MeterPanelControl : int {
  kMeterBackground = 0,
  kLoudnessScale,
  kSlBar,
  kMlBar,
  kDynaMeter,
  kPeakScale,
  kFirstChannelBar,
};

// Positions in the editor's control list of the controls that other code finds again.
struct EditorControlPositions
{
  int csvExport = -1;
  int logExport = -1;
  int readoutColorsLoad = -1;
  int readoutColorsSave = -1;
  int meterColorsALoad = -1;
  int meterColorsASave = -1;
  int meterColorsBLoad = -1;
  int meterColorsBSave = -1;
  int updateIcon = -1;
  int graphBackground = -1;
  int graph = -1;
  std::array<int, kMeterPanelControls> meterPanel{};
  ReadoutArea readout;

  EditorControlPositions() { meterPanel.fill(-1); }
};

// The lists that show or hide a whole view at once, and the anchor table.
struct EditorLayoutRecords
{
  std::vector<ControlAnchor> anchors;
  std::vector<int> meterGroup;
  std::vector<int> graphGroup;
  std::array<std::vector<int>, kSetupPageCount> setupPages;
  int setupBackground = -1;  // the setup page selector, shown with the setup view whatever the page
};

// The groups that are shown and hidden as one; the setup pages in page-selector order.
enum class ControlGroup : int {
  kMeterPanel = 0,
  kGraphPanel,
  kSetupBackground,
  kSetupMain1,
  kSetupMain2,
  kSetupAlerts1,
  kSetupAlerts2,
  kSetupGui1,
  kSetupGui2,
  kSetupMisc,
};
