// The loudness graph: its range set-up, what the mouse reports and scrolls, and what it draws
// from histories that are short, long, cleared meanwhile or cross midnight.

#include <algorithm>
#include <cmath>
#include <functional>

#include "tests/meter-ui/GraphFixture.h"

namespace vtest {
namespace {

using Command = IGraphControl::GraphCommand;

TEST(GraphRange, ScaleStepsBinsAndTarget)
{
  IGraphControl graph(IRECT(0, 0, 400, 300), kActionGraph);
  graph.SetRange(0, 6, -60, 0, -18, 12, 12);
  EXPECT_EQ(graph.RangeTop(), 6);
  EXPECT_EQ(graph.RangeBottom(), -60);
  EXPECT_EQ(graph.LabelStep(), 12);
  EXPECT_EQ(graph.MinorStep(), 6);
  EXPECT_EQ(graph.BinCount(), 66);
  EXPECT_DOUBLE_EQ(graph.TargetPosition(), 42.0 / 66.0);

  // The offset comes off before rounding to whole dB; the span picks the steps.
  struct Case
  {
    double max, min, offset;
    double top, bottom, label, minor;
  };
  for (const Case& c : {Case{-10.4, -54.6, 0, -10, -55, 6, 3}, Case{0, -44, 0, 0, -44, 3, 1},
                        Case{-23 + 9.5, -23 - 36, -23, 10, -36, 6, 3}})
  {
    graph.SetRange(0, c.max, c.min, c.offset, -23, 12, 12);
    EXPECT_EQ(graph.RangeTop(), c.top) << c.max;
    EXPECT_EQ(graph.RangeBottom(), c.bottom) << c.max;
    EXPECT_EQ(graph.LabelStep(), c.label) << c.max;
    EXPECT_EQ(graph.MinorStep(), c.minor) << c.max;
  }
  // Less than one dB between the ends: no bins, and no division by a zero span.
  graph.SetRange(0, -20.2, -20.6, 0, -23, 12, 12);
  EXPECT_EQ(graph.BinCount(), 0);
  EXPECT_TRUE(std::isfinite(graph.TargetPosition()));
}

// ---- mouse -----------------------------------------------------------------------------------

struct GraphMouse : ::testing::Test
{
  GraphMouse()
  {
    FillGraphHistory(*g.live, 1000);
    // The plug-in's side of command 1: the view stops at the newest entry.
    g.editor.dlg.onAction = [this](int id) {
      if (id != kActionGraph)
        return;
      g.commands.push_back(g.graph->mCommand);
      if (g.graph->mCommand == IGraphControl::kViewMoved)
      {
        g.graph->mRunning = 0;
        g.graph->mFrozenCount = g.graph->mViewEnd = 1000;
      }
    };
  }
  void Stop(double factor, int frozen, int viewEnd)
  {
    g.graph->mRunning = 0;
    g.graph->mTimeScaleFactor = factor;
    g.graph->mFrozenCount = frozen;
    g.graph->mViewEnd = viewEnd;
  }
  float X() const { return g.graph->PlotArea().MW(); }
  float Y() const { return g.graph->PlotArea().MH(); }

  GraphEditor g;
  const IMouseMod none{};
  const IMouseMod shift{false, false, true};
  const IMouseMod control{false, false, false, true};
};

TEST_F(GraphMouse, FirstEqualMoveChoosesNoDirectionAndTheNextDecides)
{
  g.graph->OnMouseDown(X(), Y(), none);
  g.graph->OnMouseDrag(X() + 3, Y() + 3, 3, 3, none);
  EXPECT_TRUE(g.commands.empty());
  g.graph->OnMouseDrag(X() + 4, Y() + 7, 1, 4, none);     // vertical, pointer moving down
  g.graph->OnMouseDrag(X() + 30, Y() + 5, 26, -2, none);  // stays vertical
  EXPECT_EQ(g.commands, (std::vector<int>{Command::kRangeUp, Command::kRangeDown}));

  // A new press chooses again: sideways stops the graph, and the same move already scrolls.
  g.commands.clear();
  g.graph->OnMouseUp(X(), Y(), none);
  g.graph->OnMouseDown(X(), Y(), none);
  g.graph->OnMouseDrag(X() + 5, Y(), 5, 1, none);
  EXPECT_EQ(g.commands, std::vector<int>{Command::kViewMoved});
  EXPECT_EQ(g.graph->mRunning, 0);
  EXPECT_EQ(g.graph->mViewEnd, 1000 - 5);
}

TEST_F(GraphMouse, StoppedViewScrollsByTheFactorWithinItsLimits)
{
  struct Case
  {
    double factor;
    int frozen, viewEnd;
    float dX;
    bool inDistribution;
    int want;
  };
  const Case cases[] = {
    {2, 1000, 1000, 5, false, 1000 - 4 * 5},  // dragging right goes back 2 x factor a pixel
    {2, 1000, 980, -10, false, 1000},         // never past the frozen end
    {2, 1000, 500, 400, false, 4},            // never below twice the step
    {0.333, 1000, 500, 600, false, 2},        // at least 2
    {0.5, 1000, 500, 3, true, 503},           // the distribution strip scrolls the other way
    {120, 100, 100, 1, false, 240},           // a history shorter than the lowest end
  };
  for (const Case& c : cases)
  {
    Stop(c.factor, c.frozen, c.viewEnd);
    g.graph->mDistributionMode = c.inDistribution ? 2 : 0;
    g.graph->UpdateLayout();
    const IRECT& r = c.inDistribution ? g.graph->DistributionStrip() : g.graph->PlotArea();
    g.graph->OnMouseDrag(r.MW(), r.MH(), c.dX, 0, none);
    EXPECT_EQ(g.graph->mViewEnd, c.want) << c.factor << " " << c.dX;
  }
  EXPECT_TRUE(g.commands.empty());
}

TEST_F(GraphMouse, WheelReportsOrScrolls)
{
  struct Case
  {
    bool running;
    IMouseMod mod;
    float d;
    std::vector<int> commands;
    int viewEnd;  // after, for a stopped view at 900
  };
  const Case cases[] = {
    {true, none, 1, {Command::kLongerTimescale}, 900},
    {true, none, -2, {Command::kShorterTimescale}, 900},
    {true, none, 0, {}, 900},
    {true, shift, 1, {Command::kRangeWider}, 900},
    {true, shift, -1, {Command::kRangeNarrower}, 900},
    {true, shift, 0, {}, 900},
    {true, control, 1, {Command::kViewMoved}, 1000},
    {false, control, 2, {}, 900 - 8 * 2 * 4},
    {false, control, -1, {}, 932},
  };
  for (const Case& c : cases)
  {
    g.commands.clear();
    Stop(2, 1000, 900);
    g.graph->mRunning = c.running;
    g.graph->OnMouseWheel(X(), Y(), c.mod, c.d);
    EXPECT_EQ(g.commands, c.commands) << c.running << " " << c.d;
    EXPECT_EQ(g.graph->mViewEnd, c.viewEnd) << c.running << " " << c.d;
  }
}

TEST_F(GraphMouse, PointerOverThePlotShowsTheReadoutUntilItLeaves)
{
  g.graph->mTimeScaleFactor = 0.333;
  g.graph->OnMouseOver(X(), Y(), none);
  EXPECT_TRUE(g.graph->mPointerActive);
  EXPECT_EQ(g.commands, std::vector<int>{Command::kPointerOver});
  g.Draw();
  EXPECT_NE(g.editor.g->FindText("IL: -23.0"), nullptr);

  g.graph->OnMouseOut();
  EXPECT_FALSE(g.graph->mPointerActive);
  g.Draw();
  EXPECT_EQ(g.editor.g->FindText("IL: -23.0"), nullptr);

  // Over the scale, outside the plot: no read-out and no report.
  g.commands.clear();
  g.graph->OnMouseOver(340, Y(), none);
  EXPECT_FALSE(g.graph->mPointerActive);
  EXPECT_TRUE(g.commands.empty());
}

// ---- drawing ---------------------------------------------------------------------------------

struct GraphDrawing : ::testing::Test
{
  GraphDrawing()
  {
    graph().mTimeScaleFactor = 0.333;  // "10 s": every entry, 100 of them
    graph().mShowML = 1;
  }
  IGraphControl& graph() { return *g.graph; }
  bool AnyText(const char* prefix)
  {
    const auto strings = g.editor.g->Strings();
    return std::any_of(strings.begin(), strings.end(),
                       [prefix](const std::string& s) { return s.rfind(prefix, 0) == 0; });
  }
  // The overview's curve: the path stroked at 1 px whose points lie in the strip.
  RecordedPath OverviewCurve()
  {
    for (const RecordedPath& p : Paths(g.editor.g->log))
    {
      float x = 0, y = 0;
      if (p.end == "stroke 1" && p.Points() > 2 && std::sscanf(p.ops.front().c_str(), "move %f %f", &x, &y) == 2 &&
          y > graph().OverviewStrip().T)
        return p;
    }
    return {};
  }
  void PointAt(float x)
  {
    graph().mPointerActive = true;
    graph().OnMouseUp(x, graph().PlotArea().MH(), IMouseMod());
  }

  GraphEditor g;
};

TEST_F(GraphDrawing, TooFewEntriesDrawOnlyFramesScaleAndZones)
{
  graph().mTimeScaleFactor = 4;  // every 4th entry: 8 are needed
  FillGraphHistory(*g.live, 7);
  const auto paths = g.DrawnPaths();
  EXPECT_TRUE(g.Curves("1.5").empty());
  EXPECT_FALSE(AnyText("12:"));
  const float overviewTop = graph().OverviewStrip().T;
  for (const auto& f : g.editor.g->fills)
    EXPECT_LT(f.rect.T, overviewTop);

  g.live->AppendCopy(GraphPoint(Clock(12, 0, 0, 7)));
  g.Draw();
  EXPECT_TRUE(AnyText("12:00:00"));
}

TEST_F(GraphDrawing, TenSecondViewDrawsAHundredPointCurveAcrossThePlot)
{
  FillGraphHistory(*g.live, 100);
  g.Draw();
  const auto strokes = g.Curves("1.5");
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_EQ(strokes[0].Points(), 100);
  // The newest entry at the right edge, the oldest a tenth of a second from the left edge.
  const IRECT& plot = graph().PlotArea();
  float lastX = 0, firstX = 0;
  std::sscanf(strokes[0].ops.back().c_str(), "line %f", &lastX);
  EXPECT_FLOAT_EQ(lastX, plot.R);
  std::sscanf(strokes[0].ops.front().c_str(), "move %f", &firstX);
  EXPECT_NEAR(firstX, plot.L + plot.W() / 100, 0.01);
}

TEST_F(GraphDrawing, CurveOfFewerThanFourPointsIsNotDrawn)
{
  FillGraphHistory(*g.live, 3);
  g.Draw();
  EXPECT_TRUE(g.Curves("1.5").empty());
  g.live->AppendCopy(GraphPoint(Clock(12, 0, 0, 3)));
  g.Draw();
  EXPECT_EQ(g.Curves("1.5").size(), 1u);
}

TEST_F(GraphDrawing, ReadoutOnlyStrictlyInsideThePlot)
{
  FillGraphHistory(*g.live, 200);
  const IRECT& plot = graph().PlotArea();
  for (float x : {plot.L, plot.R})
  {
    PointAt(x);
    g.Draw();
    EXPECT_FALSE(AnyText("Time:")) << x;
  }
  PointAt(plot.L + 1);
  g.Draw();
  EXPECT_TRUE(AnyText("Time: 12:00:10"));
}

TEST_F(GraphDrawing, ReadoutLinesByRangePeakModeGateAndMemory)
{
  struct Case
  {
    double lra;
    uint32_t peakMode, gateMode;
    bool memory;
    std::vector<std::string> lines;  // after the time
  };
  // clang-format off
  const Case cases[] = {
    {-144.0, 1, 1, false, {"IL: -23.0", "SL: -23.0", "ML: -23.0", "LRA: -", "PLR: 10.0", "PSR: 10.0", "TP: -3.0"}},
    {NAN, 0, 3, false, {"ILD: -23.0", "SL: -23.0", "ML: -23.0", "LRAD: -", "PLR: 10.0", "PSR: 10.0", "PK: -3.0"}},
    {-150.0, 1, 1, true, {"IL: -23.0/-23.0", "SL: -23.0/-23.0", "ML: -23.0/-23.0", "LRA: -/-", "PLR: 10.0/10.0",
                          "PSR: 10.0/10.0", "TP: -3.0/-3.0"}},
    {NAN, 0, 3, true, {"ILD: -23.0/-23.0", "SL: -23.0/-23.0", "ML: -23.0/-23.0", "LRA:D -/-", "PLR: 10.0/10.0",
                       "PSR: 10.0/10.0", "PK: -3.0/-3.0"}},
    {5.5, 2, 1, false, {"IL: -23.0", "SL: -23.0", "ML: -23.0", "LRA: 5.5", "PLR: 10.0", "PSR: 10.0"}},
  };
  // clang-format on
  for (const Case& c : cases)
  {
    g.live->Clear();
    g.memory->Clear();
    FillGraphHistory(*g.live, 200, Clock(12, 0, 0), [&c](int, int32_t t) {
      LoudnessHistoryPoint p = GraphPoint(t);
      p.rangeShown = c.lra;
      p.peakMode = c.peakMode;
      p.gateMode = c.gateMode;
      return p;
    });
    if (c.memory)
      FillGraphHistory(*g.memory, 200);
    PointAt(graph().PlotArea().MW());
    g.Draw();
    auto strings = g.editor.g->Strings();
    const auto time = std::find_if(strings.begin(), strings.end(),
                                   [](const std::string& s) { return s.rfind("Time:", 0) == 0; });
    ASSERT_NE(time, strings.end());
    EXPECT_EQ(std::vector<std::string>(time + 1, strings.end()), c.lines) << c.lra;
  }
}

TEST_F(GraphDrawing, ClearAskedForDuringADrawWaitsUntilItIsDone)
{
  FillGraphHistory(*g.live, 100);
  bool cleared = false;
  struct ClearingLog : DrawLog
  {
    using DrawLog::DrawLog;
    std::function<void()> onLine;
    void DrawLine(const IColor& c, float x1, float y1, float x2, float y2, const IBlend* b, float w) override
    {
      if (onLine)
        std::exchange(onLine, nullptr)();
      DrawLog::DrawLine(c, x1, y1, x2, y2, b, w);
    }
  } g2(g.editor.dlg, 832, 446, 0, 1.f);
  g2.onLine = [&] {
    g.live->Clear();  // the first scale line: long before the curve
    cleared = true;
  };
  graph().Draw(g2);
  EXPECT_TRUE(cleared);
  ASSERT_EQ(CurvesIn(g2.log, "1.5").size(), 1u);
  EXPECT_EQ(CurvesIn(g2.log, "1.5")[0].Points(), 100);  // the curve still had every entry
  EXPECT_EQ(g.live->Size(), 0u);
  EXPECT_EQ(g.live->clearPending, 0);
}

TEST_F(GraphDrawing, HistoryAcrossMidnightKeepsItsOlderHalf)
{
  graph().mTimeScaleFactor = 1;  // "30 s", labels every 5 s
  FillGraphHistory(*g.live, 300, Clock(23, 59, 45));
  g.Draw();
  const auto curves = g.Curves("1.5");
  ASSERT_EQ(curves.size(), 1u);
  EXPECT_EQ(curves[0].Points(), 300);
  for (const char* label : {"23:59:50", "23:59:55", "00:00:00", "00:00:05", "00:00:10"})
    EXPECT_TRUE(AnyText(label)) << label;
  // The overview's curve spans the strip: the midnight entries are not squeezed to one end.
  const RecordedPath overview = OverviewCurve();
  ASSERT_FALSE(overview.ops.empty());
  float first = 0, last = 0;
  std::sscanf(overview.ops.front().c_str(), "move %f", &first);
  std::sscanf(overview.ops.back().c_str(), "line %f", &last);
  const IRECT& strip = graph().OverviewStrip();
  EXPECT_LT(first, strip.L + 2);
  EXPECT_GT(last, strip.R - 2);
}

TEST_F(GraphDrawing, OverviewOfALongHistoryHasAtMostTwoPointsPerColumnAndMergedMarks)
{
  graph().mShowSL = 1;
  graph().mShowLoudnessAlerts = 1;
  graph().mShowPLR = 1;
  FillGraphHistory(*g.live, 36000, Clock(10, 0, 0), [](int i, int32_t t) {
    LoudnessHistoryPoint p = GraphPoint(t, -30 + 10 * std::sin(i * 0.01));
    p.alertActive[kAlertSlMax] = i % 2;  // every other entry
    p.marked = i == 20000;
    return p;
  });
  g.Draw();
  const IRECT& strip = graph().OverviewStrip();
  int alertFills = 0, markerFills = 0, bandFills = 0;
  const int points = OverviewCurve().Points();
  for (const auto& f : g.editor.g->fills)
  {
    if (f.rect.T < strip.T)
      continue;
    alertFills += f.color == graph().mColors[IGraphControl::kMaxAlertColor];
    markerFills += f.color == graph().mColors[IGraphControl::kMarkerColor];
    bandFills += f.color.A < 255 && f.rect.H() < strip.H();
  }
  EXPECT_LE(points, 2 * static_cast<int>(strip.W()));
  EXPECT_GT(points, static_cast<int>(strip.W()));
  EXPECT_EQ(alertFills, 1);  // one run across the whole strip
  EXPECT_EQ(markerFills, 1);
  EXPECT_LE(bandFills, static_cast<int>(strip.W()) + 1);
}

TEST_F(GraphDrawing, LongViewMarksReachTheirOuterEntriesAndEndInTheOrderTheyCame)
{
  graph().mTimeScaleFactor = 2880;  // "24 hr": a few hundred entries share a pixel
  graph().mShowLoudnessAlerts = 1;
  constexpr int n = 100000;
  FillGraphHistory(*g.live, n, Clock(10, 0, 0), [](int i, int32_t t) {
    LoudnessHistoryPoint p = GraphPoint(t);
    p.alertActive[kAlertSlMax] = (i >= 1000 && i <= 1002) || i == 40000 || i == 60000;
    p.alertActive[kAlertSlMin] = i == 40005 || i == 60010;
    return p;
  });
  g.Draw();
  const IRECT& plot = graph().PlotArea();
  const int newest = n - n % 2880 - 1;  // the view ends on a whole step
  auto x = [&](int i) { return plot.R - plot.W() * static_cast<float>(newest - i) / (2880 * 300); };
  std::vector<DrawLog::Fill> maxRuns, order;
  for (const auto& f : g.editor.g->fills)
    if (f.rect.T == plot.T && f.rect.B < plot.B)
    {
      const bool max = f.color == graph().mColors[IGraphControl::kMaxAlertColor];
      if (max)
        maxRuns.push_back(f);
      if (max || f.color == graph().mColors[IGraphControl::kMinAlertColor])
        order.push_back(f);
    }
  ASSERT_EQ(maxRuns.size(), 3u);
  EXPECT_NEAR(maxRuns[0].rect.L, x(1000) - 1, 1e-3);
  EXPECT_NEAR(maxRuns[0].rect.R, x(1002) + 1, 1e-3);
  // The run at 40000 ends when the one at 60000 begins, before the later minimum run does.
  ASSERT_EQ(order.size(), 5u);
  EXPECT_NEAR(order[1].rect.L, x(40000) - 1, 1e-3);
  EXPECT_EQ(order[1].color, graph().mColors[IGraphControl::kMaxAlertColor]);
  EXPECT_NEAR(order[2].rect.L, x(40005) - 1, 1e-3);
  EXPECT_EQ(order[2].color, graph().mColors[IGraphControl::kMinAlertColor]);
}

TEST_F(GraphDrawing, RunBegunAgainIsNotJoinedToTheOneBefore)
{
  // A restored history of 10 s, then a measurement whose clock starts again at the same time.
  FillGraphHistory(*g.live, 100, Clock(0, 0, 0), [](int, int32_t t) { return GraphPoint(t, -30.0); });
  FillGraphHistory(*g.live, 50, Clock(0, 0, 0), [](int i, int32_t t) { return GraphPoint(t, -20.0 + i % 3); });
  g.Draw();
  const auto curves = g.Curves("1.5");
  ASSERT_EQ(curves.size(), 1u);
  EXPECT_EQ(curves[0].Points(), 50);  // the new run only
  float previous = -1.f;
  for (const std::string& op : curves[0].ops)
  {
    char kind[16];
    float x = 0, y = 0;
    ASSERT_EQ(std::sscanf(op.c_str(), "%15s %f %f", kind, &x, &y), 3);
    EXPECT_GE(x, previous) << "the curve steps back in time";
    EXPECT_LT(y, graph().PlotArea().B - graph().PlotArea().H() * 34.0 / 66.0) << "a point of the earlier run";
    previous = x;
  }
  // The overview's curve, too, holds the new run only, from its left end.
  const RecordedPath overview = OverviewCurve();
  ASSERT_GT(overview.Points(), 2);
  float x0 = 0, y0 = 0;
  std::sscanf(overview.ops.front().c_str(), "move %f %f", &x0, &y0);
  EXPECT_NEAR(x0, graph().OverviewStrip().L + 1, 1.f);
}

TEST_F(GraphDrawing, DistributionPeaksAtTheLevelMeasured)
{
  // A steady -21 on a 0 .. -36 scale: every count falls into bin 15, whose point must sit at -21.
  FillGraphHistory(*g.live, 200, Clock(12, 0, 0), [](int, int32_t t) { return GraphPoint(t, -21.0); });
  graph().mDistributionMode = 2;
  graph().SetRange(0, 0, -36, 0, -18, 12, 12);
  graph().UpdateLayout();
  g.Draw();
  const IRECT& area = graph().DistributionArea();
  float peakX = area.R, peakY = 0;
  for (const RecordedPath& p : Paths(g.editor.g->log))
  {
    if (p.end != "stroke 2")
      continue;
    for (const std::string& op : p.ops)
    {
      char kind[16];
      float x = 0, y = 0;
      if (std::sscanf(op.c_str(), "%15s %f %f", kind, &x, &y) == 3 && x < peakX)
        peakX = x, peakY = y;
    }
  }
  ASSERT_LT(peakX, area.R) << "no distribution curve";
  EXPECT_NEAR(peakY, area.B - area.H() * 15.0 / 36.0, 0.01);
}

TEST_F(GraphDrawing, DistributionAndBandsStaySoundAtZeroReferencesAndEmptyBins)
{
  FillGraphHistory(*g.live, 200, Clock(12, 0, 0), [](int, int32_t t) { return GraphPoint(t, -200.0); });
  graph().mDistributionMode = 2;  // SL, every value below the range
  graph().mShowPLR = graph().mShowPSR = 1;
  graph().SetRange(0, 6, -60, 0, -18, 0, 0);
  graph().UpdateLayout();
  g.Draw();
  auto noNaN = [this] {
    for (const std::string& op : g.editor.g->log)
      if (op.find("nan") != std::string::npos)
        return false;
    return true;
  };
  for (const auto& p : Paths(g.editor.g->log))
    EXPECT_NE(p.end, "stroke 2") << "a distribution curve without counts";
  EXPECT_TRUE(noNaN());

  graph().SetRange(0, -20.2, -20.6, 0, -23, 12, 12);  // no bins, and a zero span
  g.Draw();
  EXPECT_TRUE(noNaN());
}

}  // namespace
}  // namespace vtest
