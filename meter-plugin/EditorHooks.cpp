// The plug-in's side of its editor: the construction callbacks, the bracket round a build, and
// what a settings change tells the open graph.

#include "graphics/IGraphics.h"
#include "meter-plugin/EditorCallbacks.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IGraphControl.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <utility>

namespace {

// The width of the graph for each "Graph Timescale" step, in units of 30 s ("20 min" is 40).
constexpr double kGraphTimeScaleTable[] = {0.333, 0.5, 1,   2,   4,   6,   8,   10,   20,
                                           40,    60,  120, 240, 360, 480, 600, 1200, 2880};

}  // namespace

void Vantorelix::InitPlugControls()
{
  mMakeGraphicsFunc = [this] { return MakeEditorGraphics(*this); };
  mLayoutFunc = [this](iplug::igraphics::IGraphics* ui) {
    if (ui)
      LayoutEditor(*this, *ui);
  };
}

void Vantorelix::BeginEditorBuild()
{
  mEditorThread = std::this_thread::get_id();
  mEditorReady = 0;
}

void Vantorelix::FinishEditorBuild()
{
  mLayoutBuilt = 1;
  ConfigureMeterScales();
  UpdateGraphSettings();
  mEditorReady = 1;
}

double Vantorelix::GraphTimeFactor(int step)
{
  return step >= 0 && step < static_cast<int>(std::size(kGraphTimeScaleTable)) ? kGraphTimeScaleTable[step] : 1.0;
}

void Vantorelix::UpdateGraphSettings()
{
  const std::thread::id editorThread = mEditorThread.load();
  if (editorThread != std::thread::id() && std::this_thread::get_id() != editorThread)
  {
    // The editor may be drawing the graph: its thread does the work at its next idle tick.
    mRequests.graphSettings = 1;
    return;
  }
  IGraphControl* graph = ControlAt<IGraphControl>(mControlPositions.graph);
  if (!graph)
    return;
  graph->SetHistories(&mHistory, &mMemory, &mMutex);
  // A host thread may be storing new settings meanwhile; each is read whole.
  const auto setting = [this](int paramIdx) {
    return std::atomic_ref(mSettings.graph[static_cast<size_t>(paramIdx - kGraphTimescale)])
      .load(std::memory_order_relaxed);
  };
  graph->mTimeScaleFactor = GraphTimeFactor(setting(kGraphTimescale));
  const std::pair<int32_t IGraphControl::*, int> switches[] = {
    {&IGraphControl::mShowIL, kGraphIL},
    {&IGraphControl::mShowSL, kGraphSL},
    {&IGraphControl::mShowML, kGraphML},
    {&IGraphControl::mShowLRA, kGraphLRA},
    {&IGraphControl::mShowPLR, kGraphPLR},
    {&IGraphControl::mShowPSR, kGraphPSR},
    {&IGraphControl::mShowLoudnessAlerts, kGraphAlertLM},
    {&IGraphControl::mShowPeakAlerts, kGraphAlertPeak},
    {&IGraphControl::mShowRangeAlerts, kGraphAlertRange},
    {&IGraphControl::mShowTarget, kGraphLoudnessTarget},
    {&IGraphControl::mShowDialogue, kGraphDialogPresence},
    {&IGraphControl::mShowMemory, kGraphStore},
    {&IGraphControl::mDistributionMode, kDistributionDisplayMode}};
  for (const auto& [member, paramIdx] : switches)
    graph->*member = setting(paramIdx);
  graph->UpdateLayout();
  graph->mRunning = setting(kGraphScroll);
  if (graph->mRunning == 0)
    graph->mFrozenCount = graph->mViewEnd = HistorySize();
  graph->SetDirty(true, -1);
}
