// The main thread's share of the work that the audio thread and the parameter handler only
// request, every 20 ms, editor or not. Each request is a byte flag, cleared before its work runs:
// a request raised during that work is served by it or by the next tick, never lost.

#include "graphics/IGraphics.h"
#include "graphics/IPopupMenuControl.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IGraphControl.h"

#include <atomic>

using iplug::igraphics::IControl;
using iplug::igraphics::IGraphics;

namespace {

// Shared by every instance in the process: the automatic check runs once, in the first instance
// whose editor is open while the option is on, and every update icon shows the latest answer.
std::atomic<uint8_t> gUpdateCheckDone{0};
std::atomic<uint8_t> gUpdateAvailable{0};

constexpr const char* kProductName = "Vantorelix";

bool MenuShowing(const IGraphics& ui)
{
  const iplug::igraphics::IPopupMenuControl* menu = ui.GetPopupMenuControl();
  return menu && menu->GetState() != iplug::igraphics::IPopupMenuControl::kCollapsed;
}

// "major.minor.patch" of the running plug-in, as the version-check server compares it.
WDL_String LocalVersion(const iplug::IPluginBase& plug)
{
  const int packed = plug.PackedVersion();
  WDL_String version;
  version.SetFormatted(16, "%d.%d.%d", packed >> 16, (packed >> 8) & 0xff, packed & 0xff);
  return version;
}

}  // namespace

void Vantorelix::IdleTick()
{
  if (mRequests.graphScrollRestore.exchange(0))
    RestoreGraphScroll();
  // Pro Tools hears of a latency change when the audio side has seen it.
  const bool audioAsked = mRequests.latencyReport.exchange(0) != 0;
  if ((GetHost() != iplug::kHostProTools || audioAsked) && mPDCLatency != GetLatency())
    NotifyLatency(*this, mPDCLatency);
  // The request waits, raised, while "WriteAutomationData" is off.
  if (mSettings.writeAutomationData == 1 && mRequests.outputParamWrite.exchange(0))
    WriteOutputParams();
  if (mRequests.autoExport.exchange(0))
    AutoExportFiles();
  if (mRequests.scaleConfiguration.exchange(0))
    ConfigureMeterScales();
  if (mRequests.graphSettings.exchange(0))
    UpdateGraphSettings();

  // The editor's requests wait, raised, until an editor is open and laid out.
  IGraphics* ui = AvailableGraphics();
  if (!mEditorOpen || !mEditorReady || !ui)
    return;
  ServeEditorRequests(*ui);
}

void Vantorelix::ServeResizeRequest(IGraphics& ui)
{
  // A resize would pull the editor from under an open menu: the request waits for it to close.
  if (!MenuShowing(ui) && mRequests.editorResize.exchange(0))
    ui.Resize(EditorWidth(), mSettings.guiHeight, static_cast<float>(mSettings.guiScale), true);
}

void Vantorelix::ServeEditorRequests(IGraphics& ui)
{
  ServeResizeRequest(ui);

  if (mSettings.updateCheck >= 1 && !gUpdateCheckDone.exchange(1))
  {
    // Silent: a failed check only leaves the icon asking for a check of the user's own.
    WDL_String name, url;
    NormaliseProductName(kProductName, name);
    UpdateQueryAddress(name.Get(), url);
    mTransferCode = -1;
    mLastError[0] = '\0';
    gUpdateAvailable = FetchLatestVersion(LocalVersion(*this).Get(), url.Get(), mLastError, mTransferCode) ==
                       kUpdateCheckNewer;
  }
  if (mRequests.infoText.exchange(0))
    BuildInfoText(*this);
  if (mRequests.updateCheck.exchange(0))
  {
    WDL_String name;
    NormaliseProductName(kProductName, name);
    gUpdateAvailable = CheckForUpdate(*this, name.Get(), LocalVersion(*this).Get());
  }

  if (IControl* icon = ui.GetControl(mControlPositions.updateIcon))
  {
    const double shown = gUpdateAvailable ? 1.0 : 0.0;
    if (icon->GetValue() != shown)
    {
      icon->SetValue(shown);
      icon->SetDirty(true);
    }
  }

  if (mRequests.readoutRefresh.exchange(0))
    UpdateReadouts(mActive.exchange(0) != 0);
  auto* graph = dynamic_cast<IGraphControl*>(ui.GetControl(mControlPositions.graph));
  if (mRequests.meterRefresh.exchange(0))
  {
    UpdateMeters();
    if (graph)
      graph->SetDirty(true);
  }
  // A new measurement: the graph starts again at its first point, with no pointer read-out.
  if (mRequests.graphReset.exchange(0) && graph)
  {
    graph->mFrozenCount = 0;
    graph->mViewEnd = 0;
    graph->mPointerActive = false;
    graph->SetDirty(true);
  }
}
