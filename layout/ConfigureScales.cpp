// Brings the open editor in line with the display settings: which view is visible, the texts
// and colours of the read-outs, and the ranges, captions and colours of scales and bars. Every
// call recomputes everything from the plug-in's setting copies.

#include "graphics/IGraphics.h"
#include "layout/LayoutParts.h"
#include "meter-plugin/DisplayLabels.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IDynaMeterControl.h"
#include "meter-ui/IGraphControl.h"
#include "meter-ui/IMeterControl.h"
#include "meter-ui/IMeterScaleControl.h"
#include "meter-ui/IVPanelControlZv.h"
#include "meter-ui/MeterStyle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

using namespace iplug::igraphics;

namespace {

constexpr int kDialogueGating = static_cast<int>(GateMode::Dial);
constexpr double kNoLevel = -144.1;
constexpr int kDimAlpha = 32;

double Rounded(double level)
{
  return std::floor(level + 0.5);
}

using ScaleLevels = std::array<double, 6>;

// The top, four splits and bottom a scale shows. The range boxes keep them in order, but a stored
// state or a host may not: a top below the bottom, splits outside the two, or ends a fraction of a
// dB apart, which round to one whole dB, and the meters, scales and graph would show nothing or
// zones outside the scale. The ends are shown in order and at least a dB apart, the splits in
// order between them; levels in order stay as they are.
ScaleLevels ShownLevels(ScaleLevels levels)
{
  // A dB apart, their rounded values stay a dB apart whatever the reference offset.
  constexpr double kLeastRange = 1.0;
  const double top = std::max(levels.front(), levels.back());
  const double bottom = std::min({levels.front(), levels.back(), top - kLeastRange});
  levels.front() = top;
  levels.back() = bottom;
  for (size_t i = 1; i + 1 < levels.size(); ++i)
    levels[i] = std::clamp(levels[i], bottom, top);
  std::sort(levels.begin() + 1, levels.end() - 1, std::greater<>());
  return levels;
}

template <class Control>
Control* At(const IGraphics& ui, int index)
{
  return dynamic_cast<Control*>(ui.GetControl(index));
}

void SetText(const IGraphics& ui, int index, const char* text)
{
  if (auto* control = At<IVTextControlZv>(ui, index))
    control->SetStr(text);
}

void SetHidden(const IGraphics& ui, int index, bool hide)
{
  if (IControl* control = ui.GetControl(index))
    control->Hide(hide);
}

void SetTextColour(const IGraphics& ui, int index, const IColor& colour)
{
  if (IControl* control = ui.GetControl(index))
  {
    IText text = control->GetText();
    text.mFGColor = colour;
    control->SetText(text);
    control->SetDirty(true, -1);
  }
}

void SetPanelColour(const IGraphics& ui, int index, const IColor& colour)
{
  if (auto* panel = At<IVPanelControlZv>(ui, index))
  {
    panel->mFillPattern = IPattern(colour);
    panel->SetDirty(false);
  }
}

// The texts that depend on the unit, gating, range and peak modes.
void ApplyReadoutTexts(const IGraphics& ui, const MeterSettings& s, const ReadoutArea& area)
{
  const auto& rows = area.rows;
  WDL_String unit;  // "LUFS", or "LU" with a reference offset
  LoudnessUnitText(s.unitMode, s.refOffset, unit);
  WDL_String dialogueUnit;
  dialogueUnit.SetFormatted(16, "%s%s", kUnitLabels[2], kOffsetSuffixes[s.refOffset == 0.0 ? 0 : 1]);
  const WDL_String peakUnit = PeakUnitText(s.peakMode);
  const bool validRange = s.rangeMode >= 0 && s.rangeMode < static_cast<int>(kRangeCaptions.size());

  SetText(ui, area.preGainUnit, UnitLabel(s.unitMode));
  SetText(ui, area.targetUnit, UnitLabel(s.unitMode));
  SetText(ui, area.limiterUnit, peakUnit.Get());
  if (s.peakMode == 0 || s.peakMode == 1)
    SetText(ui, rows[kReadoutPeak].caption, kPeakCaptions[static_cast<size_t>(s.peakMode)]);
  SetText(ui, rows[kReadoutPeak].unitText, peakUnit.Get());

  if (s.gateMode >= 0 && s.gateMode <= kDialogueGating)
  {
    const bool dialogue = s.gateMode == kDialogueGating;
    SetText(ui, rows[kReadoutIL].caption, dialogue ? "IL DIAL" : "Integrated IL");
    SetText(ui, rows[kReadoutIL].unitText, dialogue ? dialogueUnit.Get() : unit.Get());
    SetHidden(ui, rows[kReadoutIL].secondCaption, !dialogue);
    // The dialogue-presence lamp is fed in "Dial" only: elsewhere it would keep a stale state.
    SetHidden(ui, area.ilSwitchPanel, !dialogue);
    SetText(ui, rows[kReadoutSL].unitText, dialogue ? dialogueUnit.Get() : unit.Get());
    SetText(ui, rows[kReadoutML].caption, dialogue ? "DIAL Percent." : "Momentary ML");
    SetText(ui, rows[kReadoutML].unitText, dialogue ? "%" : unit.Get());
    SetHidden(ui, rows[kReadoutML].secondCaption, dialogue);
    if (validRange)
      SetText(ui, rows[kReadoutRange].caption,
              (dialogue ? kDialogueRangeCaptions : kRangeCaptions)[static_cast<size_t>(s.rangeMode)]);
    SetText(ui, rows[kReadoutRange].unitText, dialogue ? kUnitLabels[2] : UnitLabel(s.unitMode));
  }
  // The low and high ends of the range mean something in LRA mode only.
  if (validRange)
    for (int index : rows[kReadoutRange].sideValues)
      SetHidden(ui, index, s.rangeMode != 0);
}

void ApplyReadoutColours(const IGraphics& ui, const ReadoutColorSet& palette, const ReadoutArea& area)
{
  SetPanelColour(ui, area.areaFrame, Vantorelix::ColorFromWord(palette.base));
  for (int row = 0; row < kReadoutRows; ++row)
  {
    const auto& words = palette.groups[static_cast<size_t>(row)];
    const ReadoutBoxSlots& slots = area.rows[static_cast<size_t>(row)];
    SetPanelColour(ui, slots.boxPanel, Vantorelix::ColorFromWord(words[0]));
    SetPanelColour(ui, slots.valuePanel, Vantorelix::ColorFromWord(words[2]));
    for (int index : {slots.caption, slots.unitText, slots.secondCaption})
      SetTextColour(ui, index, Vantorelix::ColorFromWord(words[1]));
    for (int index : {slots.valueText, slots.sideValues[0], slots.sideValues[1]})
      SetTextColour(ui, index, Vantorelix::ColorFromWord(words[3]));
  }
}

void ConfigureScale(IMeterScaleControl& scale, const WDL_String& caption, double max, double min, int markMode)
{
  using namespace meterstyle;
  scale.SetLook(kTextColor, kScaleTextSize, kZeroMarkColor, kMajorTickColor, kMinorTickColor, caption);
  scale.SetRange(Rounded(max), Rounded(min));
  scale.mScaleMode = markMode;
  scale.SetDirty(true, -1);
}

// A bar for levels shown minus the offset, with the top, four splits and bottom of a scale and
// the over and five zone colours of a colour set; empty until the next refresh.
void ConfigureBar(IMeterControl& bar, const char* caption, double offset, const ScaleLevels& levels,
                  const MeterColorSet& colours)
{
  using namespace meterstyle;
  bar.SetLook(kTextColor, kCaptionSize, WDL_String(caption), kValueSize, WDL_String("---"));
  bar.mOffset = offset;
  bar.mMax = Rounded(levels[0] - offset);
  for (int i = 0; i < 4; ++i)
    bar.mSplits[i] = levels[static_cast<size_t>(i) + 1] - offset;
  bar.mMin = Rounded(levels[5] - offset);
  bar.mRange = bar.mMax - bar.mMin;
  bar.mOverColor = Vantorelix::ColorFromWord(colours.packed[0]);
  for (int z = 0; z < 5; ++z)
  {
    const uint32_t word = colours.packed[static_cast<size_t>(z) + 1];
    bar.mZoneColors[z] = {Vantorelix::ColorFromWord(word), Vantorelix::ColorFromWord(word, kDimAlpha)};
  }
  bar.mHoldLineColor = kAccentColor;
  bar.ComputeZoneFractions();
  bar.mValue = bar.mHold = bar.mAltValue = kNoLevel;
  bar.mShowAlt = 0;
  bar.mOver = 0.0;
  bar.SetDirty(true, -1);
}

void ConfigureDynaMeter(IDynaMeterControl& meter, const MeterSettings& s, const ScaleLevels& levels)
{
  using namespace meterstyle;
  const double offset = s.refOffset;
  const size_t range = s.rangeMode >= 0 && s.rangeMode < 3 ? static_cast<size_t>(s.rangeMode) : 0;
  meter.SetLook(kTextColor, kCaptionSize, WDL_String(kRangeCaptions[range]), kValueSize, WDL_String("---"));
  meter.mOffset = offset;
  meter.mMax = Rounded(levels[0] - offset);
  meter.mMin = Rounded(levels[5] - offset);
  meter.mRange = meter.mMax - meter.mMin;
  const uint32_t band = s.meterColorsA.packed[5];
  meter.mBandColor = Vantorelix::ColorFromWord(band);
  meter.mBackColor = Vantorelix::ColorFromWord(band, kDimAlpha);
  meter.mRatioHighColor = Vantorelix::ColorFromWord(s.meterColorsA.packed[kRatioHighColorIndex]);
  meter.mRatioLowColor = Vantorelix::ColorFromWord(s.meterColorsA.packed[kRatioLowColorIndex]);
  meter.mMarkerColor = kAccentColor;
  meter.mLow = meter.mHigh = meter.mReference = meter.mCentre = 0.0;
  meter.mDynaMode = IDynaMeterControl::kLRA;
  meter.SetDirty(true, -1);
}

// The graph's scale as the loudness scale's, its range and references, and its zone bands in
// the loudness meter's colours.
void ConfigureGraph(IGraphControl& graph, const MeterSettings& s, const ScaleLevels& levels, const WDL_String& caption)
{
  using namespace meterstyle;
  graph.SetLook(kTextColor, kScaleTextSize, kZeroMarkColor, kMajorTickColor, kMinorTickColor, caption);
  graph.SetRange(s.lmScale, levels[0], levels[5], s.refOffset, s.loudnessTarget, s.alerts[kAlertPlrMin].level,
                 s.alerts[kAlertPsrMin].level);
  const double span = graph.RangeTop() - graph.RangeBottom();
  for (int i = 0; i < 4; ++i)
  {
    const double level = levels[static_cast<size_t>(i) + 1] - s.refOffset;
    graph.mZoneLevels[i] = level;
    graph.mZonePositions[i] = span > 0.0 ? (level - graph.RangeBottom()) / span : 0.0;
  }
  // Each zone has an opaque entry and the half-transparent one its band is drawn with.
  for (size_t z = 0; z < 5; ++z)
  {
    const uint32_t word = s.meterColorsA.packed[z + 1];
    graph.mColors[2 * z] = Vantorelix::ColorFromWord(word);
    graph.mColors[2 * z + 1] = Vantorelix::ColorFromWord(word, 128);
  }
  graph.mColors[kGraphPeakColourEntry] = Vantorelix::ColorFromWord(s.meterColorsB.packed[0]);
  for (const GraphColour& c : kGraphColours)
    graph.mColors[static_cast<size_t>(c.entry)] = c.colour;
  graph.mColors[IGraphControl::kMarkerColor] = kAccentColor;
  graph.SetDirty(true, -1);
}

}  // namespace

void Vantorelix::ConfigureMeterScales()
{
  const std::thread::id editorThread = mEditorThread.load();
  if (editorThread == std::thread::id())
    return;  // no editor was ever laid out
  if (std::this_thread::get_id() != editorThread)
  {
    // The editor may be drawing: its thread does the work at its next idle tick.
    mRequests.scaleConfiguration = 1;
    return;
  }
  IGraphics* ui = AvailableGraphics();
  if (!ui || !mLayoutBuilt || ui->NControls() == 0)
    return;
  const MeterSettings& s = mSettings;

  ui->EnableTooltips(s.tooltips >= 1);
  ShowControlGroup(ControlGroup::kMeterPanel, true);
  ShowControlGroup(ControlGroup::kGraphPanel, true);
  ShowControlGroup(ControlGroup::kSetupBackground, true);
  for (int page = 0; page < kSetupPageCount; ++page)
    ShowControlGroup(static_cast<ControlGroup>(static_cast<int>(ControlGroup::kSetupMain1) + page), true);
  if (s.setup != 0)
  {
    ShowControlGroup(ControlGroup::kSetupBackground, false);
    if (s.setupPage >= 0 && s.setupPage < kSetupPageCount)
      ShowControlGroup(static_cast<ControlGroup>(static_cast<int>(ControlGroup::kSetupMain1) + s.setupPage), false);
  }
  else
    ShowControlGroup(s.displayMode != 0 ? ControlGroup::kGraphPanel : ControlGroup::kMeterPanel, false);

  ApplyReadoutTexts(*ui, s, mControlPositions.readout);
  ApplyReadoutColours(*ui, s.readoutColors, mControlPositions.readout);

  WDL_String unit;
  LoudnessUnitText(s.unitMode, s.refOffset, unit);
  const ScaleLevels loudness = ShownLevels(s.lmLevels);
  const ScaleLevels peak = ShownLevels(s.peakLevels);
  const auto& meters = mControlPositions.meterPanel;
  if (auto* scale = At<IMeterScaleControl>(*ui, meters[kLoudnessScale]))
    ConfigureScale(*scale, unit, loudness[0] - s.refOffset, loudness[5] - s.refOffset, s.lmScale);
  if (auto* bar = At<IMeterControl>(*ui, meters[kSlBar]))
    ConfigureBar(*bar, "SL", s.refOffset, loudness, s.meterColorsA);
  if (auto* bar = At<IMeterControl>(*ui, meters[kMlBar]))
    ConfigureBar(*bar, "ML", s.refOffset, loudness, s.meterColorsA);
  if (auto* dyna = At<IDynaMeterControl>(*ui, meters[kDynaMeter]))
    ConfigureDynaMeter(*dyna, s, loudness);
  if (auto* scale = At<IMeterScaleControl>(*ui, meters[kPeakScale]))
    ConfigureScale(*scale, PeakUnitText(s.peakMode), peak[0], peak[5], s.peakScale);
  const bool knownRouting = s.channelRouting >= 0 && s.channelRouting < static_cast<int>(ChannelLayoutTable.size());
  for (int c = 0; c < kMeterChannels; ++c)
    if (auto* bar = At<IMeterControl>(*ui, meters[static_cast<size_t>(kFirstChannelBar + c)]))
      ConfigureBar(*bar, knownRouting ? ChannelLayoutTable[static_cast<size_t>(s.channelRouting)].labels[c] : " ", 0.0,
                   peak, s.meterColorsB);
  if (auto* graph = At<IGraphControl>(*ui, mControlPositions.graph))
    ConfigureGraph(*graph, s, loudness, unit);
}
