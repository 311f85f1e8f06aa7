// The editor's two construction callbacks: the graphics object for the stored size, and the
// layout that fills it once and repositions it on every later call.

#include "graphics/IGraphics.h"
#include "layout/LayoutParts.h"
#include "meter-plugin/EditorCallbacks.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IBCornerResizerControlZv.h"
#include "meter-ui/IVParameterControlHiddenZv.h"
#include "platform-mac/IGraphicsMac.h"

#include <algorithm>
#include <vector>

using namespace iplug::igraphics;

namespace {

constexpr int kCompactWidth = 304;

// The parameters linked to the editor by invisible holders, so that a change from the host or a
// preset reaches the editor although no visible control shows them: editor size and scale,
// tooltips, the update-check option, the output values, the meter and read-out colours.
std::vector<int> HolderParameters()
{
  std::vector<int> params{kGuiScale, kGuiWidth, kGuiHeight, kToggleTooltips, kOnlineUpdateCheck};
  for (int p = kOutIL; p <= kOutPeakMaxAlert; ++p)
    params.push_back(p);
  for (int p = kColor_MeterPeakLED_lmc; p < kColor_MeterPeakLED_lmc + kMeterColorCount; ++p)
    params.push_back(p);
  for (int p = kColor_MeterPeakLED_pkc; p < kExportDecimalFormat; ++p)
    params.push_back(p);
  return params;
}

void LoadFonts(IGraphics& ui)
{
  static constexpr const char* kFonts[][2] = {{"Roboto-Regular", "Roboto-Regular.ttf"},
                                              {"Verdana Normal", "verdana.ttf"},
                                              {"Verdana Bold", "verdanab.ttf"},
                                              {"Repet Normal", "Repetition-Scrolling.ttf"}};
  for (const auto& font : kFonts)
    ui.LoadFont(font[0], font[1]);
}

}  // namespace

int Vantorelix::FullWidth() const
{
  return std::max(mSettings.guiWidth, kBaseWidth);
}

int Vantorelix::EditorWidth() const
{
  return mSettings.layout == 1 ? FullWidth() : kCompactWidth;
}

IGraphics* MakeEditorGraphics(Vantorelix& plug)
{
  const MeterSettings& s = plug.Settings();
  auto* ui = new IGraphicsMac(plug, plug.EditorWidth(), s.guiHeight, static_cast<int>(Vantorelix::kEditorFrameRate),
                              static_cast<float>(s.guiScale));
  ui->SetBundleID(plug.GetBundleID());
  ui->SetSharedResourcesSubPath("Vantorelix");
  return ui;
}

void LayoutEditor(Vantorelix& plug, IGraphics& ui)
{
  if (!ui.DrawContextReady())
  {
    plug.SetHasUI(false);
    return;
  }
  if (ui.NControls() > 0)
  {
    plug.RepositionControls();
    return;
  }
  plug.BeginEditorBuild();

  LoadFonts(ui);
  ui.AddTextEntryControl();
  ui.AddPopupMenuControl(kTextDefault, IRECT());
  ui.EnableMouseOver(true);
  ui.EnableMultiTouch(false);
  // The resizer chooses between resizing and rescaling at every mouse down.
  ui.AddCornerResizer(
    new IBCornerResizerControlZv(ui.LoadBitmap("button_resize.png", 2), ui.GetBounds(), kActionTakeEditorSize,
                                 kActionDefaultEditorSize, kActionTakeGuiScale, kActionDefaultGuiScale, 0.f, 0.f),
    IGraphics::kResizeScale, true);
  const iplug::IParam& scale = *plug.GetParam(kGuiScale);
  ui.SetScaleConstraints(static_cast<float>(std::min(scale.GetMin(), scale.GetMax())),
                         static_cast<float>(std::max(scale.GetMin(), scale.GetMax())));

  // Every record of an earlier editor named controls that are gone.
  plug.ClearControlGroups();
  plug.LayoutRecords().anchors.clear();
  plug.ControlPositions() = EditorControlPositions{};

  LayoutBuilder builder(ui, plug.LayoutRecords());
  for (int param : HolderParameters())
    builder.Add(new IVParameterControlHiddenZv(param));
  BuildWindowBackground(builder);
  BuildTopBar(plug, builder);
  BuildReadoutArea(plug, builder);
  BuildMeterPanel(plug, builder);
  BuildGraphPanel(plug, builder);
  BuildSetupPages(plug, builder);

  plug.RepositionControls();
  plug.FinishEditorBuild();
}
