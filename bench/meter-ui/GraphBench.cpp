// The loudness graph over a full day of history (864,000 entries, alert flags on one in ten)
// drawn through the drawing back end on the opaque panel it sits on in the editor: 100 frames at
// "10 s", at "24 hr" and stopped half-way back at "10 s". Reported per frame: the time, the
// drawing calls the graph made, and those that landed in the overview strip (at most about twice
// its width).
#include "meter-plugin/MeterParamId.h"
#include "meter-ui/IGraphControl.h"
#include "meter-ui/IVPanelControlZv.h"
#include "tests/support/HeadlessGraphics.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>

namespace {
using namespace iplug::igraphics;
using vtest::HeadlessDelegate;
using vtest::HeadlessGraphics;

// Counts the drawing calls, and those inside the overview strip.
class CountingGraphics : public HeadlessGraphics
{
public:
  using HeadlessGraphics::HeadlessGraphics;
  IRECT strip;
  long calls = 0, stripCalls = 0;

  int depth = 0;  // the core draws some shapes through others: count the outermost call only

  void Count(float y)
  {
    if (depth > 0)
      return;
    ++calls;
    stripCalls += y >= strip.T && y <= strip.B;
  }
  template <class Draw>
  void Outer(float y, Draw draw)
  {
    Count(y);
    ++depth;
    draw();
    --depth;
  }
  void FillRect(const IColor& c, const IRECT& r, const IBlend* b) override
  {
    Outer(r.T, [&] { HeadlessGraphics::FillRect(c, r, b); });
  }
  void DrawRect(const IColor& c, const IRECT& r, const IBlend* b, float w) override
  {
    Outer(r.T, [&] { HeadlessGraphics::DrawRect(c, r, b, w); });
  }
  void DrawLine(const IColor& c, float x1, float y1, float x2, float y2, const IBlend* b, float w) override
  {
    Outer(y1, [&] { HeadlessGraphics::DrawLine(c, x1, y1, x2, y2, b, w); });
  }
  void FillConvexPolygon(const IColor& c, const float* x, const float* y, int n, const IBlend* b) override
  {
    Outer(-1.f, [&] { HeadlessGraphics::FillConvexPolygon(c, x, y, n, b); });
  }
  void PathStroke(const IPattern& p, float t, const IStrokeOptions& o, const IBlend* b) override
  {
    Outer(-1.f, [&] { HeadlessGraphics::PathStroke(p, t, o, b); });
  }
  void PathFill(const IPattern& p, const IFillOptions& o, const IBlend* b) override
  {
    Outer(-1.f, [&] { HeadlessGraphics::PathFill(p, o, b); });
  }
  void DrawTextRun(const IText& t, const char* s, const IRECT& r, const IBlend* b) override
  {
    Outer(r.T, [&] { HeadlessGraphics::DrawTextRun(t, s, r, b); });
  }
};

// The graph's own share of a frame, without the back end's rasterising.
class TimedGraph : public IGraphControl
{
public:
  using IGraphControl::IGraphControl;
  double seconds = 0.0;
  void Draw(IGraphics& g) override
  {
    const auto start = std::chrono::steady_clock::now();
    IGraphControl::Draw(g);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
};

const LoudnessHistory& DayOfHistory()
{
  static const std::unique_ptr<LoudnessHistory> history = [] {
    auto h = std::make_unique<LoudnessHistory>();
    for (uint32_t i = 0; i < LoudnessHistory::kCapacity; ++i)
    {
      LoudnessHistoryPoint p;
      std::memset(&p, 0, sizeof p);
      const uint32_t t = (i + 36000 * 6) % 864000;  // from 06:00 to 06:00 the next day
      p.timerHours = t / 36000;
      p.timerMinutes = t / 600 % 60;
      p.timerSeconds = t / 10 % 60;
      p.timerTenths = t % 10;
      p.peakMode = 1;
      p.slLevel = -23.0 + 8.0 * std::sin(i * 0.0003) + 2.0 * std::sin(i * 0.05);
      p.mlLevel = p.slLevel + 3.0 * std::sin(i * 0.3);
      p.ilShown = -23.0;
      p.rangeShown = 8.0;
      p.rangeLow = -29.0;
      p.rangeHigh = -19.0;
      p.plr = 9.0 + 3.0 * std::sin(i * 0.001);
      p.psr = 7.0;
      p.alertActive[kAlertCount] = 1;
      if (i % 10 == 0)
        p.alertActive[i % 20 == 0 ? kAlertSlMax : kAlertTpMax] = 1;
      p.marked = i % 36000 == 0;
      h->AppendCopy(p);
    }
    return h;
  }();
  return *history;
}

void Frames(benchmark::State& state, double factor, bool stopped)
{
  HeadlessDelegate delegate;
  CountingGraphics g(delegate, 460, 334);
  g.OpenWindow(nullptr);
  g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
  // Without it the window would hold translucent pixels that each frame blends onto the screen.
  g.AddControl(new IVPanelControlZv(g.GetBounds(), IColor(255, 0, 0, 0), false, IColor(255, 0, 0, 0), 0.f, 0.f));
  auto* graph = new TimedGraph(IRECT(0, 0, 460, 334), kActionGraph);
  g.AddControl(graph);
  auto& history = const_cast<LoudnessHistory&>(DayOfHistory());
  WDL_Mutex lock;
  graph->SetHistories(&history, nullptr, &lock);
  graph->mTimeScaleFactor = factor;
  graph->mShowSL = graph->mShowML = graph->mShowIL = graph->mShowLRA = graph->mShowPLR = 1;
  graph->mShowLoudnessAlerts = graph->mShowPeakAlerts = graph->mShowTarget = 1;
  graph->mDistributionMode = 2;
  graph->UpdateLayout();
  if (stopped)
  {
    graph->mRunning = 0;
    graph->mFrozenCount = static_cast<int32_t>(history.Size());
    graph->mViewEnd = graph->mFrozenCount / 2;
  }
  g.strip = graph->OverviewStrip();
  g.DrawFullFrame();  // the first frame reads the whole history once
  g.calls = g.stripCalls = 0;
  graph->seconds = 0.0;
  for (auto _ : state)
  {
    graph->SetDirty(false);
    g.DrawFrame();
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["calls/frame"] = static_cast<double>(g.calls) / frames;
  state.counters["overview calls/frame"] = static_cast<double>(g.stripCalls) / frames;
  state.counters["graph ms/frame"] = graph->seconds * 1000.0 / frames;
  state.counters["strip width"] = graph->OverviewStrip().W();
}

void BM_Graph10s(benchmark::State& state)
{
  Frames(state, 0.333, false);
}
void BM_Graph24hr(benchmark::State& state)
{
  Frames(state, 2880, false);
}
void BM_GraphStoppedMidway(benchmark::State& state)
{
  Frames(state, 0.333, true);
}

BENCHMARK(BM_Graph10s)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Graph24hr)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphStoppedMidway)->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
