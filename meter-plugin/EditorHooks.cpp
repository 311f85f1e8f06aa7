// What a settings change tells the open graph.

#include "graphics/IGraphics.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IGraphControl.h"

#include <algorithm>
#include <iterator>

namespace {

// The width of the graph for each "Graph Timescale" step, in units of 30 s ("20 min" is 40).
constexpr double kGraphTimeScaleTable[] = {0.333, 0.5, 1, 2, 4, 6, 8, 10, 20, 40, 60, 120, 240, 360, 480, 600, 1200, 2880};

} // namespace

double Vantorelix::GraphTimeFactor(int step)
{
  return step >= 0 && step < static_cast<int>(std::size(kGraphTimeScaleTable)) ? kGraphTimeScaleTable[step] : 1.0;
}

void Vantorelix::UpdateGraphSettings()
{
  IGraphControl* graph = ControlAt<IGraphControl>(mControlPositions.graph);
  if (!graph)
    return;
  graph->SetHistories(&mHistory, &mMemory, &mMutex);
  std::copy(mSettings.graph.begin(), mSettings.graph.end(), graph->settings);
  graph->scroll = mSettings.graph[kGraphScroll - kGraphTimescale];
  graph->timeFactor = GraphTimeFactor(mSettings.graph[0]);
  graph->SetDirty(false);
}
