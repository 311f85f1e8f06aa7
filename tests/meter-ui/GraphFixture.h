#pragma once

// A loudness graph at its place in the full editor, with histories filled from a few lines of
// synthetic measurement, and the paths it drew split out of the recording.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "meter-plugin/MeterParamId.h"
#include "meter-ui/IGraphControl.h"
#include "tests/meter-ui/MeterUiFixture.h"

namespace vtest {

// Tenths of a second of a clock time.
constexpr int32_t Clock(int h, int m, int s, int tenths = 0)
{
  return ((h * 60 + m) * 60 + s) * 10 + tenths;
}

// A point at that time of day with every level at `level` and no flags.
inline LoudnessHistoryPoint GraphPoint(int32_t tenths, double level = -23.0)
{
  LoudnessHistoryPoint p;
  std::memset(&p, 0, sizeof p);
  tenths %= kTenthsPerDay;
  p.timerHours = static_cast<uint32_t>(tenths / 36000);
  p.timerMinutes = static_cast<uint32_t>(tenths / 600 % 60);
  p.timerSeconds = static_cast<uint32_t>(tenths / 10 % 60);
  p.timerTenths = static_cast<uint32_t>(tenths % 10);
  p.peakMode = 1;
  p.ilShown = p.integratedLoudness = p.slLevel = p.mlLevel = level;
  p.rangeShown = 6.0;
  p.rangeLow = level - 4;
  p.rangeHigh = level + 2;
  p.plr = p.psr = 10.0;
  p.samplePeakPeriodMax = p.truePeakPeriodMax = -3.0;
  return p;
}

// n points, one every tenth of a second from `start`, made by `make`(index, time).
template <class Make>
void FillGraphHistory(LoudnessHistory& history, int n, int32_t start, Make make)
{
  for (int i = 0; i < n; ++i)
    history.AppendCopy(make(i, start + i));
}

inline void FillGraphHistory(LoudnessHistory& history, int n, int32_t start = Clock(12, 0, 0))
{
  FillGraphHistory(history, n, start, [](int, int32_t t) { return GraphPoint(t); });
}

// One path of the recording: its operations from "clear" to the stroke or fill that ends it.
struct RecordedPath
{
  std::vector<std::string> ops;
  std::string end;  // "stroke <thickness>" or "fill"

  int Points() const
  {
    int n = 0;
    for (const std::string& op : ops)
      n += op.rfind("move", 0) == 0 || op.rfind("line", 0) == 0 || op.rfind("bezier", 0) == 0;
    return n;
  }
};

inline std::vector<RecordedPath> Paths(const std::vector<std::string>& log)
{
  std::vector<RecordedPath> paths;
  RecordedPath current;
  for (const std::string& op : log)
  {
    if (op == "clear")
      current = {};
    else if (op.rfind("stroke", 0) == 0 || op == "fill")
    {
      current.end = op;
      paths.push_back(current);
      current = {};
    }
    else
      current.ops.push_back(op);
  }
  return paths;
}

// The curves (paths of more than two points) ended by a stroke of that thickness.
inline std::vector<RecordedPath> CurvesIn(const std::vector<std::string>& log, const char* thickness)
{
  std::vector<RecordedPath> found;
  for (const RecordedPath& p : Paths(log))
    if (p.end == std::string("stroke ") + thickness && p.Points() > 2)
      found.push_back(p);
  return found;
}

struct GraphEditor
{
  GraphEditor()
  {
    graph = editor.Add(new IGraphControl(IRECT(332, 84, 792, 418), kActionGraph));
    graph->SetHistories(live.get(), memory.get(), &lock);
    editor.dlg.onAction = [this](int id) {
      if (id == kActionGraph)
        commands.push_back(graph->mCommand);
    };
  }

  void Draw() { editor.DrawOnly(*graph); }
  std::vector<RecordedPath> DrawnPaths()
  {
    Draw();
    return Paths(editor.g->log);
  }
  std::vector<RecordedPath> Curves(const char* thickness) { return CurvesIn(editor.g->log, thickness); }

  MeterEditor editor{832, 446};
  std::unique_ptr<LoudnessHistory> live = std::make_unique<LoudnessHistory>();
  std::unique_ptr<LoudnessHistory> memory = std::make_unique<LoudnessHistory>();
  WDL_Mutex lock;
  IGraphControl* graph = nullptr;
  std::vector<int> commands;  // graph commands reported, in order
};

}  // namespace vtest
