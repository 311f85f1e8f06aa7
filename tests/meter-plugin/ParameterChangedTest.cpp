#include "PluginFixture.h"
#include "tests/product/ProductFixture.h"
#include "tests/framework/TestPlugin.h"

#include "meter-engine/LevelScales.h"
#include "meter-ui/IBPresetMenuZv.h"
#include "meter-ui/IGraphControl.h"
#include "meter-ui/IVFileSelectorControlHiddenZv.h"

#include <atomic>
#include <cmath>
#include <filesystem>
#include <thread>

using namespace plugin_test;
using iplug::kEditor;
using iplug::kHost;
using iplug::kPresetRecall;

namespace {

// A plug-in whose host can be chosen, whose latency reports are recorded and which can open a
// small editor of the given size.
class Plug : public Vantorelix
{
public:
  using Vantorelix::SetHost;

  void StoreLatency(int samples) override { reported.push_back(samples); }

  void OpenEditor(int width, int height, float scale = 1.f)
  {
    mMakeGraphicsFunc = [this, width, height, scale] {
      return new testing_support::StubGraphics(*this, width, height, 60, scale);
    };
    OpenWindow(nullptr);
  }

  // Sets a parameter as the host or the editor does, then calls the handler.
  void Change(int idx, double value, iplug::ParamChangeSource source = kEditor)
  {
    GetParam(idx)->Set(value);
    ParameterChanged(idx, source, -1);
  }

  bool TakeRefresh()
  {
    const bool raised = Requests().readoutRefresh && Requests().meterRefresh;
    Requests().readoutRefresh = 0;
    Requests().meterRefresh = 0;
    return raised;
  }

  std::vector<int> reported;
};

// The short-term or momentary window as if it had measured `lufs` at its loudest.
void FakeWindowMaximum(SlidingPowerWindow& window, double lufs)
{
  window.maximum = std::exp((lufs + levels::kLoudnessOffset) / 4.342944819);
  window.hasData = 1;
}

}  // namespace

TEST(ParameterChanged, GuardAcceptsOnlyItsSources)
{
  Plug plug;
  plug.TakeRefresh();

  // The host may not change the editor geometry.
  plug.Change(kGuiWidth, 1200, kHost);
  EXPECT_EQ(plug.Settings().guiWidth, 832);
  EXPECT_FALSE(plug.TakeRefresh());
  EXPECT_EQ(plug.Requests().editorResize, 0);

  plug.ParameterChanged(kGuiWidth, kEditor, -1);
  EXPECT_EQ(plug.Settings().guiWidth, 1200);
  EXPECT_EQ(plug.Requests().editorResize, 1);
  EXPECT_TRUE(plug.TakeRefresh());

  // The delegate's relay and unknown sources change nothing.
  plug.GetParam(kLoudness_Target)->Set(-23.0);
  plug.ParameterChanged(kLoudness_Target, iplug::kDelegate, -1);
  plug.ParameterChanged(kLoudness_Target, static_cast<iplug::ParamChangeSource>(7), -1);
  EXPECT_EQ(plug.Settings().loudnessTarget, -18.0);
  EXPECT_FALSE(plug.TakeRefresh());

  // The host reaches only its own parameters; it may automate the others.
  for (int idx : {-1, 189, 229, 250})
  {
    plug.ParameterChanged(idx, kHost, -1);
    EXPECT_FALSE(plug.TakeRefresh()) << idx;
  }
  plug.ParameterChanged(kLoudness_Target, kHost, -1);
  EXPECT_EQ(plug.Settings().loudnessTarget, -23.0);

  // Any id beyond the table from the editor runs only the common end.
  plug.ParameterChanged(250, kEditor, -1);
  EXPECT_TRUE(plug.TakeRefresh());
}

TEST(ParameterChanged, ResetFiresOnceOnAChangeToOne)
{
  Plug plug;
  FillHistory(plug.History(), 5, 1);
  plug.Change(kReset, 1);
  EXPECT_EQ(plug.History().Size(), 0u);

  FillHistory(plug.History(), 5, 1);
  plug.Change(kReset, 1);  // already 1
  plug.Change(kReset, 0);
  EXPECT_EQ(plug.History().Size(), 5u);
}

TEST(ParameterChanged, GainMatchingFromTheShortTermMaximum)
{
  Plug plug;
  FakeWindowMaximum(plug.Engine()->shortTerm, -23.0);
  FillHistory(plug.History(), 5, 1);
  plug.Change(kMatchSL, 1);
  EXPECT_NEAR(plug.GetParam(kPreGain)->Value(), 4.3, 1e-9);
  EXPECT_NEAR(plug.Settings().preGain, 4.3, 1e-9);
  EXPECT_EQ(plug.History().Size(), 0u);  // the measurement starts again

  // A repeated 1 does nothing; the result is clamped to the parameter's range.
  FakeWindowMaximum(plug.Engine()->shortTerm, -140.0);
  plug.Change(kMatchSL, 1);
  EXPECT_NEAR(plug.GetParam(kPreGain)->Value(), 4.3, 1e-9);
  plug.Change(kMatchSL, 0);
  plug.Change(kMatchSL, 1);
  EXPECT_EQ(plug.GetParam(kPreGain)->Value(), 60.0);
}

// A recalled project with a Match switch on must not drive the gain from an empty window.
TEST(ParameterChanged, GainMatchingSkipsEmptyWindows)
{
  for (int match : {kMatchIL, kMatchSL, kMatchML})
  {
    Plug plug;
    FillHistory(plug.History(), 5, 1);
    plug.Change(match, 1, kPresetRecall);
    EXPECT_EQ(plug.Settings().match[match - kMatchIL], 1) << match;
    EXPECT_EQ(plug.GetParam(kPreGain)->Value(), 0.0) << match;
    EXPECT_EQ(plug.History().Size(), 5u) << match;
  }
}

TEST(ParameterChanged, LimiterLatencyIsReportedOnlyToSomeHosts)
{
  struct Case
  {
    iplug::HostId host;
    bool reported;
  };
  for (const Case c : {Case{21, true}, Case{7, true}, Case{46, true}, Case{1, false}, Case{9, false}, Case{31, false}})
  {
    Plug plug;
    plug.SetHost("host", c.host, 0);
    plug.Change(kEnableLimiter, 1);
    EXPECT_EQ(plug.ChainLatency(), 127) << c.host;
    EXPECT_EQ(plug.reported, c.reported ? std::vector<int>{127} : std::vector<int>{}) << c.host;
    plug.Change(kEnableLimiter, 0);
    EXPECT_EQ(plug.ChainLatency(), 0);
  }
}

TEST(ParameterChanged, PairedAlertGroupsAreRewrittenTogether)
{
  Plug plug;
  for (AlertState& alert : plug.Settings().alerts)
  {
    alert.count = 3;
    alert.active = 1;
    alert.seconds = 2.0;
  }
  plug.GetParam(kIL_Min_Mode)->Set(1);
  plug.Change(kIL_Min_Mode + 14, 5.0);  // "IL Max Period"
  const AlertState& ilMin = plug.Settings().alerts[kAlertIlMin];
  const AlertState& ilMax = plug.Settings().alerts[kAlertIlMax];
  EXPECT_EQ(ilMin.mode, AlertMode::On);
  EXPECT_EQ(ilMax.period, 5.0);
  for (const AlertState* alert : {&ilMin, &ilMax})
  {
    EXPECT_EQ(alert->count, 0u);
    EXPECT_EQ(alert->active, 0);
    EXPECT_EQ(alert->seconds, 0.0);
  }
  EXPECT_EQ(plug.Settings().alerts[kAlertSlMin].count, 3u);  // another group
  EXPECT_EQ(ilMax.kind, 1u);
}

TEST(ParameterChanged, GraphSettingsAreReadTogether)
{
  Plug plug;
  for (int i = kGraphTimescale; i <= kGraphPSR; ++i)
    plug.GetParam(i)->Set(1);
  plug.ParameterChanged(kGraphIL, kEditor, -1);
  for (int i = 0; i < kGraphSettingCount; ++i)
    EXPECT_EQ(plug.Settings().graph[i], 1) << i;
}

TEST(EditorActions, SizeAndScaleActions)
{
  struct Case
  {
    int action;
    int width, height;
    float scale;
    int wantWidth, wantHeight;
    double wantScale;
    bool resize;
  };
  const Case cases[] = {
    {kActionDefaultEditorSize, 1000, 600, 1.f, 832, 446, 1.0, true},
    {kActionTakeEditorSize, 304, 500, 1.f, 832, 500, 1.0, true},
    {kActionTakeEditorSize, 1200, 700, 1.f, 1200, 700, 1.0, true},
    {kActionTakeGuiScale, 832, 446, 1.5f, 832, 446, 1.5, false},
    {kActionDefaultGuiScale, 832, 446, 1.5f, 832, 446, 1.0, true},
    {kActionMinimumGuiScale, 832, 446, 1.f, 832, 446, 0.5, true},
  };
  for (const Case& c : cases)
  {
    Plug plug;
    plug.OpenEditor(c.width, c.height, c.scale);
    if (c.action == kActionDefaultGuiScale)
      plug.Change(kGuiScale, 2.0);
    plug.Requests().editorResize = 0;
    plug.ParameterChanged(c.action, kEditor, -1);
    EXPECT_EQ(plug.Settings().guiWidth, c.wantWidth) << c.action;
    EXPECT_EQ(plug.Settings().guiHeight, c.wantHeight) << c.action;
    EXPECT_EQ(plug.GetParam(kGuiWidth)->Value(), c.wantWidth) << c.action;
    EXPECT_EQ(plug.GetParam(kGuiHeight)->Value(), c.wantHeight) << c.action;
    EXPECT_NEAR(plug.Settings().guiScale, c.wantScale, 1e-9) << c.action;
    EXPECT_NEAR(plug.GetParam(kGuiScale)->Value(), c.wantScale, 1e-9) << c.action;
    EXPECT_EQ(plug.Requests().editorResize, c.resize ? 1 : 0) << c.action;
  }

  // Without an editor they do nothing; the fixed scale steps need none.
  Plug plug;
  plug.ParameterChanged(kActionDefaultEditorSize, kEditor, -1);
  EXPECT_EQ(plug.Requests().editorResize, 0);
  for (auto [step, scale] : {std::pair{4, 1.5}, {10, 3.0}, {0, 0.5}})
  {
    plug.GetExtraParam(kFixedGuiScale)->Set(step);
    plug.ParameterChanged(kFixedGuiScale, kEditor, -1);
    EXPECT_NEAR(plug.GetParam(kGuiScale)->Value(), scale, 1e-9) << step;
    EXPECT_EQ(plug.Requests().editorResize, 1);
  }
}

TEST(EditorActions, MarkersAndMemory)
{
  Plug plug;
  plug.ParameterChanged(kActionSetMarker, kEditor, -1);  // empty history: nothing to mark
  FillHistory(plug.History(), 10, 1);
  for (size_t i = 0; i < 10; ++i)
    plug.History().At(i).marked = 0;
  plug.ParameterChanged(kActionSetMarker, kEditor, -1);
  EXPECT_EQ(plug.History().At(9).marked, 1);
  EXPECT_EQ(plug.History().At(8).marked, 0);

  FillHistory(plug.Memory(), 3, 50);
  plug.ParameterChanged(kActionStoreMemory, kEditor, -1);
  ASSERT_EQ(plug.Memory().Size(), 10u);
  EXPECT_EQ(std::memcmp(plug.Memory().Data(), plug.History().Data(), 10 * sizeof(LoudnessHistoryPoint)), 0);

  plug.ParameterChanged(kActionClearMarkers, kEditor, -1);
  EXPECT_EQ(plug.History().At(9).marked, 0);

  // While the graph draws the memory, its clear is deferred and the points are appended.
  plug.Memory().inUse = 1;
  plug.ParameterChanged(kActionStoreMemory, kEditor, -1);
  EXPECT_EQ(plug.Memory().clearPending, 1);
  EXPECT_EQ(plug.Memory().Size(), 20u);
  plug.Memory().inUse = 0;
  plug.ParameterChanged(kActionClearMemory, kEditor, -1);
  EXPECT_EQ(plug.Memory().Size(), 0u);
}

TEST(EditorActions, AlertResetsKeepTheSettings)
{
  Plug plug;
  for (AlertState& alert : plug.Settings().alerts)
    alert = AlertState{4, 1.5, 1, 1, alert.kind, AlertMode::On, -20.0, 3.0};
  plug.ParameterChanged(kActionResetIlAlerts, kEditor, -1);
  for (AlertIndex i : {kAlertIlMin, kAlertIlMax, kAlertIlDialMin, kAlertIlDialMax})
  {
    const AlertState& alert = plug.Settings().alerts[i];
    EXPECT_EQ(alert.count, 0u);
    EXPECT_EQ(alert.active, 0);
    EXPECT_EQ(alert.mode, AlertMode::On);
    EXPECT_EQ(alert.level, -20.0);
    EXPECT_EQ(alert.period, 3.0);
  }
  EXPECT_EQ(plug.Settings().alerts[kAlertSlMin].count, 4u);
}

// The peak resets forget the channel meters' maxima only: PLR and the history go on reading the
// sample-peak and true-peak maxima of the measurement.
TEST(EditorActions, PeakResetsClearTheChannelMeterMaxima)
{
  for (int32_t peakMode : {0, 1})
    for (int action : {kActionResetPeakAlerts, kActionResetPeakAlerts2})
    {
      Plug plug;
      LoudnessEngine& engine = *plug.Engine();
      const double frames[2][kMeterChannels] = {{0.5, -0.25}, {0.125, 0.0}};
      engine.ProcessPeaks(ChannelConfigTable[0].enabled, peakMode, frames, 2);
      plug.Settings().alerts[kAlertPeakMax].active = 1;
      plug.Settings().alerts[kAlertTpMax].count = 3;
      const double samplePeakMax = engine.samplePeakMax, truePeakMax = engine.TruePeakMax();
      const double hold = engine.ballistics[0].holdLevel;
      ASSERT_GT(engine.ballistics[0].inputMax, 0.1) << peakMode;

      plug.ParameterChanged(action, kEditor, -1);
      for (const PeakBallistics& meter : engine.ballistics)
      {
        EXPECT_EQ(meter.inputMax, 0.0) << peakMode << " " << action;
        EXPECT_EQ(meter.holdMax, 0.0) << peakMode << " " << action;
        EXPECT_EQ(meter.rawMax, 0.0) << peakMode << " " << action;
      }
      EXPECT_EQ(engine.ballistics[0].holdLevel, hold);
      EXPECT_EQ(engine.samplePeakMax, samplePeakMax) << peakMode;
      EXPECT_EQ(engine.TruePeakMax(), truePeakMax) << peakMode;
      EXPECT_EQ(plug.Settings().alerts[kAlertPeakMax].active, 0);
      EXPECT_EQ(plug.Settings().alerts[kAlertTpMax].count, 0u);

      // The meters take up their maxima again from the next frame on.
      engine.ProcessPeaks(ChannelConfigTable[0].enabled, peakMode, frames + 1, 1);
      EXPECT_GT(engine.ballistics[0].inputMax, 0.0) << peakMode;
    }
}

TEST(EditorActions, DefaultMeterColoursArePushed)
{
  Plug plug;
  plug.Change(kColor_MeterPeakLED_lmc + 2, 0x123456);
  plug.ParameterChanged(kActionDefaultMeterColorsA, kEditor, -1);
  EXPECT_EQ(plug.GetParam(kColor_MeterPeakLED_lmc + 2)->Value(), 0xB6C0C5);
  EXPECT_EQ(plug.Settings().meterColorsA.packed[2], 0xB6C0C5u);
}

TEST(EditorActions, RebuildUserPresetsInNameOrder)
{
  const std::string home = TempFolder();
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  Plug plug;
  const std::string folder = plug.DataFolder();
  ASSERT_EQ(folder, home + "/Vantorelix");
  plug.OpenEditor(832, 446);
  plug.SavePresetFile((folder + "/b.zvp").c_str(), "B");
  plug.SavePresetFile((folder + "/a.zvp").c_str(), "A");
  plug.SavePresetFile((folder + "/c.zvp.bak").c_str(), "C");
  WriteFile(folder + "/e.zvp", "not a preset");
  std::filesystem::create_directory(folder + "/d.zvp");
  plug.ParameterChanged(kActionRebuildUserPresets, kEditor, -1);
  unsetenv("XDG_DATA_HOME");
  ASSERT_EQ(plug.UserPresets().GetSize(), 3);
  EXPECT_STREQ(plug.UserPresets().Get(0)->mName, "A");
  EXPECT_STREQ(plug.UserPresets().Get(1)->mName, "B");
  EXPECT_STREQ(plug.UserPresets().Get(2)->mName, "C");

  // Unchanged, the folder is not read again: the records stay. A preset file written, added or
  // removed since is seen at the next rebuild.
  const iplug::IPreset* first = plug.UserPresets().Get(0);
  plug.ParameterChanged(kActionRebuildUserPresets, kEditor, -1);
  EXPECT_EQ(plug.UserPresets().Get(0), first);
  const auto rebuilt = [&] {
    plug.ParameterChanged(kActionRebuildUserPresets, kEditor, -1);
    std::string names;
    for (int i = 0; i < plug.UserPresets().GetSize(); ++i)
      names += std::string(plug.UserPresets().Get(i)->mName) + ",";
    return names;
  };
  plug.SavePresetFile((folder + "/a.zvp").c_str(), "Longer name");
  EXPECT_EQ(rebuilt(), "Longer name,B,C,");
  plug.SavePresetFile((folder + "/f.zvp").c_str(), "F");
  EXPECT_EQ(rebuilt(), "Longer name,B,C,F,");
  std::filesystem::remove(folder + "/b.zvp");
  EXPECT_EQ(rebuilt(), "Longer name,C,F,");
}

// Recalling a preset runs every parameter through the handler. The nine engine settings set the
// engine up again only when their value changed: sent again unchanged, as a recall or a host's
// automation does, they keep the running measurement. "Channel Config" and "Timer Mode" restart
// the measurement at every recall, so a whole recall still starts afresh.
TEST(ParameterChanged, UnchangedEngineSettingsKeepTheMeasurement)
{
  for (iplug::ParamChangeSource source : {kPresetRecall, kHost})
    for (int idx : {kGate_mode, kSL_IntWindow, kML_IntWindow, kWFilterMode, kWFilterLCFreq, kWFilterLCSlope,
                    kWFilterHCFreq, kWFilterHCSlope, kMeasurementMode, kChannelConfig, kTimerMode})
    {
      Plug plug;
      FillHistory(plug.History(), 5, 1);
      FakeWindowMaximum(plug.Engine()->shortTerm, -23.0);
      const iplug::IParam* param = plug.GetParam(idx);
      ASSERT_NE(param, nullptr);
      plug.Change(idx, param->Value(), source);
      const bool restarts = idx == kChannelConfig || idx == kTimerMode;
      EXPECT_EQ(plug.Engine()->shortTerm.hasData, restarts ? 0 : 1) << idx << " from " << source;
      EXPECT_EQ(plug.History().Size(), restarts ? 0u : 5u) << idx << " from " << source;
    }

  Plug plug;
  FillHistory(plug.History(), 5, 1);
  FakeWindowMaximum(plug.Engine()->shortTerm, -23.0);
  plug.ParametersReset(kPresetRecall);
  EXPECT_EQ(plug.History().Size(), 0u);
  EXPECT_FALSE(plug.Engine()->shortTerm.hasData);

  // A new value sets the engine up again: a new weighting measures with the new filters from a
  // new engine, and so does a new window length.
  plug.Change(kWFilterMode, 2, kHost);
  EXPECT_EQ(plug.Settings().weightingMode, 2);
  FakeWindowMaximum(plug.Engine()->shortTerm, -23.0);
  plug.Change(kWFilterMode, 1, kHost);
  EXPECT_FALSE(plug.Engine()->shortTerm.hasData);
  FakeWindowMaximum(plug.Engine()->shortTerm, -23.0);
  plug.Change(kSL_IntWindow, 10000.0, kHost);
  EXPECT_FALSE(plug.Engine()->shortTerm.hasData);
  EXPECT_EQ(plug.Engine()->shortTerm.length, 441000);  // 10 s at 44.1 kHz
}

namespace {

// An editor whose layout attached a graph, a preset menu and the two export selectors.
struct EditorWithControls
{
  Plug plug;
  IGraphControl* graph = nullptr;
  IBPresetMenuZv* menu = nullptr;
  IVFileSelectorControlHiddenZv* csv = nullptr;
  IVFileSelectorControlHiddenZv* log = nullptr;

  EditorWithControls()
  {
    plug.OpenEditor(832, 446);
    auto& ui = *plug.GetUI();
    const iplug::igraphics::IRECT bounds(0, 0, 10, 10);
    graph = static_cast<IGraphControl*>(ui.AddControl(new IGraphControl(bounds, kActionGraph)));
    menu = static_cast<IBPresetMenuZv*>(ui.AddControl(
      new IBPresetMenuZv(&plug, bounds, bounds, 0, 0, iplug::igraphics::IText(), iplug::igraphics::IBitmap(), 0, 0,
                         iplug::igraphics::IBitmap(), kActionLoadPresetFile, kActionSavePresetFile,
                         kActionSaveDefaultPreset, kActionRebuildUserPresets, -1, -1, &plug.PresetStore(), nullptr,
                         "zvp", 28, false, false, bounds),
      IBPresetMenuZv::kTag));
    csv = static_cast<IVFileSelectorControlHiddenZv*>(ui.AddControl(
      new IVFileSelectorControlHiddenZv(bounds, kActionExportCsv, 1, nullptr, "csv", kActionCsvFileName)));
    log = static_cast<IVFileSelectorControlHiddenZv*>(ui.AddControl(
      new IVFileSelectorControlHiddenZv(bounds, kActionExportLog, 1, nullptr, "log", kActionLogFileName)));
    plug.ControlPositions().graph = ui.GetControlIdx(graph);
    plug.ControlPositions().csvExport = ui.GetControlIdx(csv);
    plug.ControlPositions().logExport = ui.GetControlIdx(log);
    plug.UpdateGraphSettings();
  }

  void Graph(int command)
  {
    graph->mCommand = command;
    plug.ParameterChanged(kActionGraph, kEditor, -1);
  }
};

}  // namespace

TEST(EditorActions, GraphCommands)
{
  EditorWithControls editor;
  Plug& plug = editor.plug;
  IGraphControl& graph = *editor.graph;
  EXPECT_EQ(graph.History(), &plug.History());

  // 1: dragged by hand, the view stops following and stays at the newest point.
  FillHistory(plug.History(), 7, 1);
  editor.Graph(IGraphControl::kViewMoved);
  EXPECT_EQ(plug.GetParam(kGraphScroll)->Value(), 0.0);
  EXPECT_EQ(graph.mRunning, 0);
  EXPECT_EQ(graph.mFrozenCount, 7);
  EXPECT_EQ(graph.mViewEnd, 7);

  // 2 and 3: the time scale steps, stopping at both ends; "20 min" shows 20 minutes.
  plug.Change(kGraphTimescale, 8);
  editor.Graph(IGraphControl::kLongerTimescale);
  EXPECT_EQ(plug.GetParam(kGraphTimescale)->Value(), 9.0);
  EXPECT_EQ(graph.mTimeScaleFactor * 30.0, 20.0 * 60.0);
  plug.Change(kGraphTimescale, 17);
  editor.Graph(IGraphControl::kLongerTimescale);
  EXPECT_EQ(plug.Settings().graph[0], 17);
  EXPECT_EQ(graph.mTimeScaleFactor, 2880.0);
  plug.Change(kGraphTimescale, 0);
  editor.Graph(IGraphControl::kShorterTimescale);
  EXPECT_EQ(plug.Settings().graph[0], 0);

  // 4 to 7: the loudness range, rounded to whole dB first.
  struct Case
  {
    int command;
    double top, bottom, wantTop, wantBottom;
  };
  const Case cases[] = {
    {IGraphControl::kRangeUp, -10.0, -30.0, -9.0, -29.0},
    {IGraphControl::kRangeUp, 23.6, -30.2, 24.0, -30.0},  // at the top: rounded, not moved
    {IGraphControl::kRangeDown, -10.0, -96.0, -10.0, -96.0},
    {IGraphControl::kRangeDown, -10.0, -30.0, -11.0, -31.0},
    {IGraphControl::kRangeWider, -10.0, -30.0, -9.0, -31.0},
    {IGraphControl::kRangeNarrower, -10.0, -22.0, -10.0, -22.0},
    {IGraphControl::kRangeNarrower, -10.0, -23.0, -11.0, -22.0},
  };
  for (const Case& c : cases)
  {
    plug.Change(kMaxVal_lm, c.top);
    plug.Change(kMinVal_lm, c.bottom);
    editor.Graph(c.command);
    EXPECT_EQ(plug.Settings().lmLevels.front(), c.wantTop) << c.command << " " << c.top;
    EXPECT_EQ(plug.Settings().lmLevels.back(), c.wantBottom) << c.command << " " << c.top;
    if (c.wantTop != std::floor(c.top + 0.5))
    {
      EXPECT_EQ(plug.GetParam(kMaxVal_lm)->Value(), c.wantTop);
      EXPECT_EQ(plug.GetParam(kMinVal_lm)->Value(), c.wantBottom);
    }
  }

  // 0 and 8 change nothing but ask for a refresh.
  for (int command : {IGraphControl::kNone, IGraphControl::kPointerOver})
  {
    plug.TakeRefresh();
    editor.Graph(command);
    EXPECT_TRUE(plug.TakeRefresh());
    EXPECT_EQ(plug.Settings().graph[0], 0);
  }
}

// A clear deferred while the graph drew the list removes only the points it held then.
TEST(EditorActions, DeferredClearKeepsLaterPoints)
{
  EditorWithControls editor;
  Plug& plug = editor.plug;
  FillHistory(plug.History(), 4, 1);
  FillHistory(plug.Memory(), 3, 50);
  plug.Memory().inUse = 1;
  plug.ParameterChanged(kActionStoreMemory, kEditor, -1);
  EXPECT_EQ(plug.Memory().clearPending, 1);
  plug.Memory().inUse = 0;
  editor.graph->Draw(*plug.GetUI());
  ASSERT_EQ(plug.Memory().Size(), 4u);
  EXPECT_EQ(plug.Memory().clearPending, 0);
  EXPECT_EQ(std::memcmp(plug.Memory().Data(), plug.History().Data(), 4 * sizeof(LoudnessHistoryPoint)), 0);
}

TEST(EditorActions, PresetFilesAndExportNames)
{
  const std::string folder = TempFolder();
  EditorWithControls editor;
  Plug& plug = editor.plug;

  // Saved under the file's name without folder and extension.
  for (auto [file, name] : {std::pair{"/My.Preset.zvp", "My.Preset"}, {"/Name", "Name"}, {"/.hidden", ".hidden"}})
  {
    editor.menu->mChosenFile.Set((folder + file).c_str());
    plug.ParameterChanged(kActionSavePresetFile, kEditor, -1);
    EXPECT_NE(ReadFile(folder + file).find(std::string("<Preset name=\"") + name + "\">"), std::string::npos) << file;
  }

  plug.Change(kLoudness_Target, -30.0);
  editor.menu->mChosenFile.Set((folder + "/My.Preset.zvp").c_str());
  plug.ParameterChanged(kActionLoadPresetFile, kEditor, -1);
  EXPECT_EQ(plug.GetParam(kLoudness_Target)->Value(), -18.0);
  EXPECT_STREQ(plug.PresetSlotName(0), "My.Preset");

  plug.ParameterChanged(kActionCsvFileName, kEditor, -1);
  plug.ParameterChanged(kActionLogFileName, kEditor, -1);
  const std::string csvName = editor.csv->mFileName.Get();
  EXPECT_EQ(csvName.rfind("Vantorelix-LMData-", 0), 0u) << csvName;
  EXPECT_EQ(csvName.size(), std::string("Vantorelix-LMData-20261209-235959").size());
  EXPECT_EQ(std::string(editor.log->mFileName.Get()).rfind("Vantorelix-Log-", 0), 0u);

  // Exports go to the chosen path only: a cancelled dialog leaves no name and writes nothing.
  editor.csv->mFileName.Set("");
  plug.ParameterChanged(kActionExportCsv, kEditor, -1);
  EXPECT_FALSE(std::filesystem::exists(csvName));
  editor.csv->mFileName.Set((folder + "/out.csv").c_str());
  plug.ParameterChanged(kActionExportCsv, kEditor, -1);
  EXPECT_TRUE(std::filesystem::exists(folder + "/out.csv"));
}

// A loaded colour file writes the mirrors; only the parameters that differ are pushed.
TEST(EditorActions, ColourFileLoadsPushTheChangedParameters)
{
  const std::string folder = TempFolder();
  EditorWithControls editor;
  Plug& plug = editor.plug;
  auto& ui = *plug.GetUI();
  auto* load = static_cast<IVFileSelectorControlHiddenZv*>(ui.AddControl(new IVFileSelectorControlHiddenZv(
    iplug::igraphics::IRECT(0, 0, 1, 1), kActionLoadMeterColorsA, 0, nullptr, "mcls", -1)));
  plug.ControlPositions().meterColorsALoad = ui.GetControlIdx(load);

  plug.ParameterChanged(kActionLoadMeterColorsA, kEditor, -1);  // nothing chosen: nothing done
  WriteFile(folder + "/set.mcls", "mcls\n01\n#FF382D\n#FF382D\n#010203\n#5F85A7\n#386B95\n#205079\n");
  load->mFileName.Set((folder + "/set.mcls").c_str());
  plug.ParameterChanged(kActionLoadMeterColorsA, kEditor, -1);
  EXPECT_EQ(plug.Settings().meterColorsA.packed[2], 0x010203u);
  EXPECT_EQ(plug.GetParam(kColor_MeterPeakLED_lmc + 2)->Value(), 0x010203);
  EXPECT_EQ(plug.GetParam(kColor_MeterPeakLED_lmc + 3)->Value(), 0x5F85A7);
}

// The alert and meter-maximum resets clicked while blocks are measured: both sides touch the
// alert records and the channel meters under the plug-in mutex.
TEST(EditorActions, AlertResetsWhileBlocksAreMeasured)
{
  Plug plug;
  product_test::Prepare(plug, 48000.0, 480, 2);
  for (AlertState& alert : plug.Settings().alerts)
    alert.mode = AlertMode::On;
  std::atomic<bool> done{false};
  std::thread audio([&] {
    product_test::Block block(2, 480, 0.9);
    while (!done)
      product_test::Process(plug, block);
  });
  for (int click = 0; click < 200; ++click)
    for (int action = kActionResetIlAlerts; action <= kActionResetPeakAlerts2; ++action)
      plug.ParameterChanged(action, kEditor, -1);
  done = true;
  audio.join();
  plug.ParameterChanged(kActionResetPeakAlerts, kEditor, -1);
  EXPECT_EQ(plug.Engine()->ballistics[0].inputMax, 0.0);
}

// The host's thread sets plain, engine and alert parameters and restores whole states while
// blocks are measured: the settings the measurement reads and the alert records it advances are
// written under the plug-in mutex, so each block sees them whole and an alert change clears the
// alert's run state for good. ThreadSanitizer runs this suite.
TEST(ParameterChanged, HostChangesAndRestoresWhileBlocksAreMeasured)
{
  Plug plug;
  product_test::Prepare(plug, 48000.0, 480, 2);
  Plug source;
  source.Change(kPreGain, 6.0, kHost);
  source.Change(kGate_mode, 3.0, kHost);
  source.Change(kIL_Min_Mode, 1.0, kHost);
  ByteChunk state;
  ASSERT_TRUE(source.WriteState(state));

  const int slMaxMode = kIL_Min_Mode + 3 * 6;  // the short-term maximum alert's triple

  std::atomic<bool> done{false};
  std::thread audio([&] {
    product_test::Block block(2, 480, 0.9);
    while (!done)
      product_test::Process(plug, block);
  });
  for (int round = 0; round < 20; ++round)
  {
    plug.Change(kPreGain, round % 2 ? -3.0 : 3.0, kHost);
    plug.Change(kGate_mode, round % 3, kHost);
    plug.Change(kSL_IntWindow, round % 2 ? 2000.0 : 3000.0, kHost);
    plug.Change(slMaxMode, 1.0, kHost);
    plug.Change(slMaxMode + 1, round % 2 ? -60.0 : -50.0, kHost);
    ASSERT_EQ(plug.ReadState(state, 0), state.Size());
  }
  done = true;
  audio.join();
  EXPECT_EQ(plug.Settings().preGain, 6.0);
  EXPECT_EQ(plug.Settings().gateMode, 3);
}
