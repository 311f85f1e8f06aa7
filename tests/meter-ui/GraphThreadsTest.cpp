// The graph against the audio thread: drawing while points are appended and the measurement is
// reset, and a pointer over the graph while the audio thread holds the plug-in's lock.

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "meter-plugin/Vantorelix.h"
#include "tests/meter-ui/GraphFixture.h"

namespace vtest {
namespace {

TEST(GraphThreads, DrawsWhileTheAudioThreadAppendsAndResets)
{
  GraphEditor g;
  IGraphControl& graph = *g.graph;
  graph.mTimeScaleFactor = 0.333;
  graph.mShowSL = graph.mShowML = graph.mShowLRA = graph.mShowLoudnessAlerts = 1;
  graph.mDistributionMode = 2;
  graph.UpdateLayout();
  g.editor.g->record = false;

  std::atomic<bool> stop{false};
  std::atomic<int> resets{0};
  std::thread audio([&] {
    int32_t t = Clock(12, 0, 0);
    for (int n = 1; !stop; ++n)
    {
      {
        WDL_MutexLock hold(g.lock);
        if (n % 700 == 0)
        {
          g.live->Clear();  // a transport start while the editor may be drawing
          ++resets;
        }
        else
          g.live->AppendCopy(GraphPoint(t++, -20 - n % 7));
      }
      std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
  });
  for (int frame = 0; frame < 400 || resets < 3; ++frame)
  {
    g.Draw();
    if (frame % 50 == 0)
      graph.OnMouseOver(graph.PlotArea().MW(), graph.PlotArea().MH(), IMouseMod());
  }
  stop = true;
  audio.join();
  g.Draw();
  EXPECT_EQ(g.live->clearPending, 0);
  EXPECT_EQ(g.live->inUse, 0);
}

// A plug-in with an editor whose graph is handed the histories.
class EditorPlug : public Vantorelix
{
public:
  EditorPlug()
  {
    mMakeGraphicsFunc = [this] { return new DrawLog(*this, 832, 446, 0, 1.f); };
    OpenWindow(nullptr);
    graph = new IGraphControl(IRECT(332, 84, 792, 418), kActionGraph);
    GetUI()->AddControl(graph);
    ControlPositions().graph = GetUI()->GetControlIdx(graph);
    UpdateGraphSettings();
  }
  IGraphControl* graph = nullptr;
};

TEST(GraphThreads, PointerOverTheGraphNeverWaitsForThePluginLock)
{
  EditorPlug plug;
  plug.Requests().meterRefresh = 0;
  std::promise<void> locked, release;
  std::thread audio([&] {
    WDL_MutexLock hold(plug.PluginMutex());
    locked.set_value();
    release.get_future().wait();
  });
  locked.get_future().wait();
  const IRECT& plot = plug.graph->PlotArea();
  auto moved = std::async(std::launch::async, [&] { plug.graph->OnMouseOver(plot.MW(), plot.MH(), IMouseMod()); });
  const bool done = moved.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  release.set_value();
  audio.join();
  moved.wait();
  EXPECT_TRUE(done);
  EXPECT_TRUE(plug.graph->mPointerActive);
  EXPECT_EQ(plug.Requests().meterRefresh, 1);
}

}  // namespace
}  // namespace vtest
