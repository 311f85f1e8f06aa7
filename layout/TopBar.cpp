// The window background, the top bar and the match and limiter row.

#include "layout/LayoutParts.h"
#include "meter-plugin/DisplayLabels.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IBBitmapControlZv.h"
#include "meter-ui/IBInfoMenuZv.h"
#include "meter-ui/IBPresetMenuZv.h"
#include "meter-ui/IBSwitchControlZv.h"
#include "meter-ui/IBUpdateControlZv.h"
#include "meter-ui/IVClickControlHiddenMenuZv.h"
#include "meter-ui/IVFileSelectorControlHiddenZv.h"
#include "meter-ui/IVParameterControlZv.h"

#include <numeric>

using namespace iplug::igraphics;

namespace {

const IColor kBoxTextColor(255, 208, 209, 211);
const IText kPreGainText(18.f, kBoxTextColor, "Verdana Bold", EAlign::Center);
const IText kTargetText(14.f, kBoxTextColor, "Verdana Bold", EAlign::Center);
const IText kPresetText(15.f, IColor(255, 159, 160, 161), "Verdana Bold", EAlign::Center);
const IText kUnitSmallText(13.f, IColor(255, 126, 129, 132), "Verdana Normal", EAlign::Near);

// The frame that the match and limiter row's overlay draws round the row.
const IRECT kMatchLimiterFrame(4, 391, 300, 425);

struct Place
{
  float x, y;
};

// How a top-bar or bottom-row control follows the window.
enum class Follow { kNothing, kWidth, kHeight };

void Anchor(LayoutBuilder& b, int index, Follow follow)
{
  b.Move(index, follow == Follow::kWidth, follow == Follow::kHeight);
}

int AddWithTooltip(LayoutBuilder& b, IControl* control, const char* tooltip, int tag = -1)
{
  control->SetTooltip(tooltip);
  return b.Add(control, tag);
}

struct BitmapButton
{
  const char* bitmap;
  Place at;
  int param;
  const char* tooltip;
  bool push;  // sends 1 only while held
  Follow follow;
};

void AddBitmapButton(LayoutBuilder& b, const BitmapButton& button)
{
  const IBitmap bitmap = b.UI().LoadBitmap(button.bitmap, 2);
  IControl* control = button.push
                        ? static_cast<IControl*>(new IBPushControlZv(button.at.x, button.at.y, bitmap, button.param))
                        : new IBSwitchControlZv(button.at.x, button.at.y, bitmap, button.param);
  Anchor(b, AddWithTooltip(b, control, button.tooltip), button.follow);
}

// A value box showing only its text, dragged vertically.
void AddValueBox(LayoutBuilder& b, const IRECT& bounds, int param, const IText& style, const char* tooltip,
                 Follow follow)
{
  auto* box = new IVParameterControlZv(bounds, param, style, EDirection::Vertical, false, false, kBoxGearing);
  Anchor(b, AddWithTooltip(b, box, tooltip), follow);
}

int AddUnit(LayoutBuilder& b, const IRECT& bounds, const char* text, Follow follow)
{
  const int index = b.Add(Label(bounds, text, kUnitSmallText));
  Anchor(b, index, follow);
  return index;
}

// An invisible click area the size of one frame of the button bitmap drawn beneath it.
int AddFileSelector(Vantorelix& plug, LayoutBuilder& b, const char* bitmap, Place at, int preAction, int postAction,
                    const char* extension, const char* tooltip)
{
  const IRECT frame = IBitmapBase::FrameSize(b.UI().LoadBitmap(bitmap, 2)).GetTranslated(at.x, at.y);
  const char* folder = plug.DataFolder() ? plug.DataFolder() : "";
  auto* selector = new IVFileSelectorControlHiddenZv(frame, postAction, IVFileSelectorControlHiddenZv::kSave, folder,
                                                     extension, preAction);
  const int index = AddWithTooltip(b, selector, tooltip);
  Anchor(b, index, Follow::kNothing);
  return index;
}

}  // namespace

IVTextControlZv* Label(const IRECT& bounds, const char* str, const IText& style)
{
  auto* text = new IVTextControlZv(bounds, str, style, kColorTransparent);
  text->SetIgnoreMouse(true);
  return text;
}

IVStyleZv BoxStyle(float textSize, const IText& valueText)
{
  IVStyleZv style;
  style.drawFrame = true;
  style.roundness = 4.f;
  style.frameThickness = 1.f;
  style.fillColor = IColor(255, 19, 19, 19);
  style.frameColor = IColor(255, 63, 68, 73);
  style.text = IText(textSize, IColor(255, 208, 209, 211), "Verdana Normal", EAlign::Center, EVAlign::Middle);
  style.valueText = valueText;
  return style;
}

const char* UnitLabel(int unitMode)
{
  return unitMode >= 0 && unitMode < static_cast<int>(kUnitLabels.size()) ? kUnitLabels[unitMode] : kUnitLabels[0];
}

WDL_String PeakUnitText(int peakMode)
{
  WDL_String text;
  if (peakMode == 0 || peakMode == 1)
    text.SetFormatted(16, "%s%s", kUnitLabels[0], peakMode == 0 ? kOffsetSuffixes[0] : kTruePeakSuffix);
  return text;
}

void BuildWindowBackground(LayoutBuilder& b)
{
  struct Band
  {
    float top, bottom;
    IColor colour;
    bool anchorTop;  // the bands below the read-outs keep their distance to the bottom edge
  };
  // Built for the base width: repositioning stretches them to the stored one.
  constexpr float w = 832.f;
  const Band bands[] = {{0, 48, IColor(255, 38, 37, 36), false},
                        {48, 49, IColor(255, 128, 129, 130), false},
                        {49, 427, IColor(255, 20, 19, 18), false},
                        {427, 428, IColor(255, 128, 129, 130), true},
                        {428, 446, IColor(255, 38, 37, 36), true}};
  for (const Band& band : bands)
  {
    const int index = b.Add(new IPanelControl(IRECT(0, band.top, w, band.bottom), band.colour, false));
    const bool stretchesDown = band.top >= 49;
    b.Resize(index, false, band.anchorTop, true, stretchesDown);
  }
}

void BuildTopBar(Vantorelix& plug, LayoutBuilder& b)
{
  IGraphics& ui = b.UI();
  const MeterSettings& s = plug.Settings();

  Anchor(b, b.Add(new IBBitmapControlZv(0, 0, ui.LoadBitmap("ovl_top.png", 1))), Follow::kNothing);
  Anchor(b, b.Add(new IBBitmapControlZv(0, 368, ui.LoadBitmap("ovl_matchlimiter.png", 1))), Follow::kHeight);

  const WDL_String dataFolder(plug.DataFolder());
  auto* presets = new IBPresetMenuZv(&plug, IRECT(552, 13, 811, 36), IRECT(552, 13, 811, 36), 0, 0, kPresetText,
                                     ui.LoadBitmap("button_previous.png", 2), 0, 0, ui.LoadBitmap("button_next.png", 2),
                                     kActionLoadPresetFile, kActionSavePresetFile, kActionSaveDefaultPreset,
                                     kActionRebuildUserPresets, -1, -1, &plug.PresetStore(), &dataFolder, "zvp", 28,
                                     false, false, IRECT(556, 13, 784, 36));
  Anchor(b, AddWithTooltip(b, presets, "Preset menu", IBPresetMenuZv::kTag), Follow::kNothing);
  Anchor(b,
         AddWithTooltip(b, new IVClickControlHiddenMenuZv(IRECT(40, 0, 120, 16), -1, kActionDumpPresets, -1, -1),
                        nullptr, 0),
         Follow::kWidth);
  const std::string changelog = IBInfoMenuZv::ChangelogLink();
  auto* pluginMenu = new IBInfoMenuZv(&plug, 8, 13, ui.LoadBitmap("pluginmenu.png", 2), kActionInfoText,
                                      kActionUpdateCheck, &dataFolder, changelog.c_str(), kToggleTooltips,
                                      kOnlineUpdateCheck, -1, kActionDefaultEditorSize, kActionDefaultGuiScale,
                                      kActionMinimumGuiScale, {}, {}, {}, plug.ExtraParams(), plug.ExtraParamBaseId());
  Anchor(b, AddWithTooltip(b, pluginMenu, "Plugin info and options", 1), Follow::kNothing);

  auto* update = new IBUpdateControlZv(141, 13, ui.LoadBitmap("iconupdateavailable.png", 2), kActionUpdateCheck);
  plug.ControlPositions().updateIcon = b.Add(update);
  Anchor(b, plug.ControlPositions().updateIcon, Follow::kNothing);

  const BitmapButton transport[] = {
    {"full_compact_state.png", {155, 10}, kGuiLayout, "Show graph/meters", false, Follow::kNothing},
    {"play.png", {189, 8}, kPlay, "Start/stop metering", false, Follow::kNothing},
    {"reset.png", {224, 8}, kReset, "Resets measurement", true, Follow::kNothing},
    {"trans_sync.png", {259, 8}, kSync, "Sync measurement with DAW start/stop", false, Follow::kNothing},
    {"write.png", {309, 10}, kWriteAutomationData, "Enable export of automation data", false, Follow::kNothing},
  };
  for (const BitmapButton& button : transport)
    AddBitmapButton(b, button);

  AddValueBox(b, IRECT(342, 18, 402, 42), kPreGain, kPreGainText, "Adds pre-gain to audio", Follow::kNothing);
  ReadoutArea& readout = plug.ControlPositions().readout;
  readout.preGainUnit = AddUnit(b, IRECT(403, 30, 433, 42), UnitLabel(s.unitMode), Follow::kNothing);

  AddBitmapButton(b,
                  {"meter_graph.png", {417, 10}, kDisplayMode, "Toggles graph/meter display", false, Follow::kNothing});
  AddBitmapButton(b, {"settings.png", {450, 10}, kSetup, "Show setup pages", false, Follow::kNothing});

  EditorControlPositions& positions = plug.ControlPositions();
  positions.csvExport = AddFileSelector(plug, b, "save_rec.png", {484, 10}, kActionCsvFileName, kActionExportCsv, "csv",
                                        "Export measurement to file (.csv)");
  positions.logExport = AddFileSelector(plug, b, "save_log.png", {518, 10}, kActionLogFileName, kActionExportLog, "log",
                                        "Export measurement summary (.log)");

  const int bottomRowStart = ui.NControls();
  const BitmapButton match[] = {
    {"button_setil.png", {8, 397}, kMatchIL, "Match IL with loudness target level", true, Follow::kHeight},
    {"button_setsl.png", {41, 397}, kMatchSL, "Match SL Max. with loudness target level", true, Follow::kHeight},
    {"button_setml.png", {74, 397}, kMatchML, "Match ML Max. with loudness target level", true, Follow::kHeight},
  };
  for (const BitmapButton& button : match)
    AddBitmapButton(b, button);
  AddValueBox(b, IRECT(108, 395, 153, 421), kLoudness_Target, kTargetText, "Loudness target for gain matching",
              Follow::kHeight);
  readout.targetUnit = AddUnit(b, IRECT(157, 407, 187, 419), UnitLabel(s.unitMode), Follow::kHeight);
  AddBitmapButton(b, {"button_lim.png", {192, 397}, kEnableLimiter, "Enable Peak/TP Limiter", false, Follow::kHeight});
  AddValueBox(b, IRECT(224, 395, 269, 421), kPeak_Limit, kTargetText, "Peak/TP limiter ceiling", Follow::kHeight);
  readout.limiterUnit = AddUnit(b, IRECT(273, 407, 303, 419), PeakUnitText(s.peakMode).Get(), Follow::kHeight);

  // Each unit fits the row's frame with whichever text the modes give it.
  std::vector<int> bottomRow(static_cast<size_t>(ui.NControls() - bottomRowStart));
  std::iota(bottomRow.begin(), bottomRow.end(), bottomRowStart);
  FitLabels(ui, bottomRow,
            {{readout.targetUnit, {kUnitLabels.begin(), kUnitLabels.end()}},
             {readout.limiterUnit, {PeakUnitText(0).Get(), PeakUnitText(1).Get()}}},
            kMatchLimiterFrame);
}
