#include "tests/layout/EditorFixture.h"

#include "graphics/IBackgroundControls.h"
#include "meter-ui/IGraphControl.h"
#include "meter-ui/IMeterControl.h"
#include "meter-ui/IMeterScaleControl.h"
#include "meter-ui/IVPanelControlZv.h"

#include <array>
#include <atomic>
#include <string>
#include <thread>

using namespace layout_test;

namespace {

struct Configured : ::testing::Test
{
  void SetUp() override { plug.Open(); }

  IMeterScaleControl& Scale(int which) { return *plug.As<IMeterScaleControl>(Meter(which)); }
  IMeterControl& Bar(int which) { return *plug.As<IMeterControl>(Meter(which)); }
  int Meter(int which) { return plug.ControlPositions().meterPanel[static_cast<size_t>(which)]; }
  void Configure(void (*change)(MeterSettings&))
  {
    change(plug.Settings());
    plug.ConfigureMeterScales();
  }

  MeterEditor plug;
};

}  // namespace

TEST_F(Configured, LoudnessScaleFollowsUnitOffsetAndLevels)
{
  Configure([](MeterSettings& s) {
    s.unitMode = 1;
    s.refOffset = 0.0;
  });
  EXPECT_STREQ(Scale(kLoudnessScale).mCaption.Get(), "LUFS");

  Configure([](MeterSettings& s) {
    s.refOffset = -23.0;
    s.lmLevels.front() = -14.0;
    s.lmLevels.back() = -59.0;
  });
  EXPECT_STREQ(Scale(kLoudnessScale).mCaption.Get(), "LU");
  EXPECT_EQ(Scale(kLoudnessScale).mMax, 9.0);
  EXPECT_EQ(Scale(kLoudnessScale).mMin, -36.0);
  EXPECT_EQ(Scale(kLoudnessScale).mMajorStep, 6.0);  // a range of 45
  EXPECT_EQ(Bar(kSlBar).mMax, 9.0);
  EXPECT_EQ(Bar(kMlBar).mMin, -36.0);
  EXPECT_EQ(Bar(kSlBar).mSplits[1], -18.0 + 23.0);

  // The graph shares the loudness scale's range and zones.
  const IGraphControl& graph = *plug.As<IGraphControl>(plug.ControlPositions().graph);
  EXPECT_EQ(graph.RangeTop(), 9.0);
  EXPECT_EQ(graph.RangeBottom(), -36.0);
  EXPECT_EQ(graph.mZoneLevels[1], -18.0 + 23.0);
  EXPECT_DOUBLE_EQ(graph.mZonePositions[1], (5.0 + 36.0) / 45.0);
  EXPECT_TRUE(SameColour(graph.mColors[IGraphControl::kZone1To2], IColor(128, 0xB6, 0xC0, 0xC5)));
}

TEST_F(Configured, PeakScaleCaptionFollowsThePeakMode)
{
  Configure([](MeterSettings& s) { s.peakMode = 1; });
  EXPECT_STREQ(Scale(kPeakScale).mCaption.Get(), "dBTP");
  EXPECT_STREQ(plug.TextOf(plug.ControlPositions().readout.limiterUnit), "dBTP");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutPeak).caption), "TruePeak Max");
  Configure([](MeterSettings& s) { s.peakMode = 0; });
  EXPECT_STREQ(Scale(kPeakScale).mCaption.Get(), "dBFS");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutPeak).unitText), "dBFS");
}

TEST_F(Configured, ChannelBarsTakeTheRoutingLabels)
{
  Configure([](MeterSettings& s) { s.channelRouting = 0; });
  for (int c = 0; c < 10; ++c)
    EXPECT_EQ(std::string(Bar(kFirstChannelBar + c).mCaption.Get()), std::to_string(c + 1));
  Configure([](MeterSettings& s) { s.channelRouting = 1; });
  EXPECT_STREQ(Bar(kFirstChannelBar).mCaption.Get(), "L");
  EXPECT_STREQ(Bar(kFirstChannelBar + 1).mCaption.Get(), "R");
  EXPECT_STREQ(Bar(kFirstChannelBar + 2).mCaption.Get(), " ");
}

TEST_F(Configured, SplitsAreKeptExactAndBarsStartEmpty)
{
  Bar(kSlBar).mValue = -20.0;
  Bar(kFirstChannelBar).mHold = -3.0;
  Configure([](MeterSettings& s) {
    s.refOffset = 0.0;
    s.lmLevels = {0.4, -9.0, -18.5, -24.0, -30.0, -36.6};
  });
  IMeterControl& sl = Bar(kSlBar);
  EXPECT_EQ(sl.mSplits[1], -18.5);
  EXPECT_EQ(sl.mMax, 0.0);
  EXPECT_EQ(sl.mMin, -37.0);
  EXPECT_DOUBLE_EQ(sl.mZoneFractions[2], (-18.5 + 37.0) / 37.0);
  EXPECT_EQ(sl.mValue, -144.1);
  EXPECT_EQ(Bar(kFirstChannelBar).mHold, -144.1);
}

TEST_F(Configured, ExactlyOneViewIsShown)
{
  // The setup pages are built elsewhere; stand-ins show which page is visible.
  IGraphics& ui = *plug.ui;
  EditorLayoutRecords& records = plug.LayoutRecords();
  records.setupBackground = ui.NControls();
  ui.AddControl(new IPanelControl(IRECT(0, 0, 10, 10), IColor(255, 0, 0, 0)));
  for (auto& page : records.setupPages)
  {
    page.push_back(ui.NControls());
    ui.AddControl(new IPanelControl(IRECT(0, 0, 10, 10), IColor(255, 0, 0, 0)));
  }
  struct Case
  {
    int setup, page, displayMode;
    bool meters, graph, background;
    int shownPage;  // -1: none
  } cases[] = {
    {0, 0, 0, true, false, false, -1}, {0, 0, 1, false, true, false, -1}, {1, 2, 1, false, false, true, 2},
    {1, 6, 0, false, false, true, 6},  {1, 7, 0, false, false, true, -1},
  };
  for (const Case& c : cases)
  {
    plug.Settings().setup = c.setup;
    plug.Settings().setupPage = c.page;
    plug.Settings().displayMode = c.displayMode;
    plug.ConfigureMeterScales();
    const std::string where = "setup " + std::to_string(c.setup) + " page " + std::to_string(c.page);
    for (int index : records.meterGroup)
      EXPECT_EQ(plug.At(index)->IsHidden(), !c.meters) << where;
    for (int index : records.graphGroup)
      EXPECT_EQ(plug.At(index)->IsHidden(), !c.graph) << where;
    EXPECT_EQ(plug.At(records.setupBackground)->IsHidden(), !c.background) << where;
    for (int p = 0; p < kSetupPageCount; ++p)
      EXPECT_EQ(plug.At(records.setupPages[static_cast<size_t>(p)][0])->IsHidden(), p != c.shownPage) << where << p;
  }
}

TEST_F(Configured, GatingAndUnitsRelabelTheReadouts)
{
  Configure([](MeterSettings& s) {
    s.gateMode = 3;
    s.refOffset = 0.0;
    s.rangeMode = 0;
  });
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutIL).caption), "IL DIAL");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutIL).unitText), "LKFS");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutSL).unitText), "LKFS");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutML).caption), "DIAL Percent.");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutML).unitText), "%");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutRange).caption), "LRA DIAL");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutRange).unitText), "LK");
  EXPECT_FALSE(plug.At(plug.Row(kReadoutIL).secondCaption)->IsHidden());
  EXPECT_TRUE(plug.At(plug.Row(kReadoutML).secondCaption)->IsHidden());
  EXPECT_FALSE(plug.At(plug.Row(kReadoutRange).sideValues[1])->IsHidden());

  Configure([](MeterSettings& s) {
    s.gateMode = 1;
    s.unitMode = 2;
    s.refOffset = -24.0;
    s.rangeMode = 1;
  });
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutIL).caption), "Integrated IL");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutIL).unitText), "LK");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutML).caption), "Momentary ML");
  EXPECT_STREQ(plug.TextOf(plug.Row(kReadoutRange).caption), "PLR");
  EXPECT_STREQ(plug.TextOf(plug.ControlPositions().readout.preGainUnit), "LK");
  EXPECT_STREQ(plug.TextOf(plug.ControlPositions().readout.targetUnit), "LK");
  EXPECT_TRUE(plug.At(plug.Row(kReadoutIL).secondCaption)->IsHidden());
  EXPECT_FALSE(plug.At(plug.Row(kReadoutML).secondCaption)->IsHidden());
  EXPECT_TRUE(plug.At(plug.Row(kReadoutRange).sideValues[0])->IsHidden());
  EXPECT_TRUE(plug.At(plug.Row(kReadoutRange).sideValues[1])->IsHidden());
}

TEST_F(Configured, DialoguePresenceLampShowsUnderTheDialogueGateOnly)
{
  const int lamp = plug.ControlPositions().readout.ilSwitchPanel;
  plug.At(lamp)->SetValue(1.0);  // lit while dialogue was present
  struct Case
  {
    int gateMode;
    bool shown;
  };
  // In order: a gating mode above 3 changes nothing, so the lamp keeps what it had.
  const Case cases[] = {{3, true}, {0, false}, {5, false}, {3, true}, {5, true}, {1, false}, {2, false}};
  for (const Case& c : cases)
  {
    plug.Settings().gateMode = c.gateMode;
    plug.ConfigureMeterScales();
    EXPECT_EQ(plug.At(lamp)->IsHidden(), !c.shown) << "gating mode " << c.gateMode;
  }
}

TEST_F(Configured, ReadoutRowsTakeTheirPaletteGroup)
{
  Configure([](MeterSettings& s) {
    s.readoutColors.base = 0x102030;
    for (uint32_t r = 0; r < 6; ++r)
      s.readoutColors.groups[r] = {0x010000u * (r + 1), 0x000100u * (r + 1), 0x000001u * (r + 1), 0x010101u * (r + 1)};
  });
  const ReadoutArea& area = plug.ControlPositions().readout;
  EXPECT_TRUE(SameColour(plug.As<IVPanelControlZv>(area.areaFrame)->mFillPattern.GetStop(0).mColor,
                         IColor(255, 0x10, 0x20, 0x30)));
  for (int r = 0; r < 6; ++r)
  {
    const ReadoutBoxSlots& row = plug.Row(r);
    const int k = r + 1;
    EXPECT_TRUE(
      SameColour(plug.As<IVPanelControlZv>(row.boxPanel)->mFillPattern.GetStop(0).mColor, IColor(255, k, 0, 0)));
    EXPECT_TRUE(
      SameColour(plug.As<IVPanelControlZv>(row.valuePanel)->mFillPattern.GetStop(0).mColor, IColor(255, 0, 0, k)));
    for (int label : {row.caption, row.unitText})
      EXPECT_TRUE(SameColour(plug.At(label)->GetText().mFGColor, IColor(255, 0, k, 0))) << r;
    EXPECT_TRUE(SameColour(plug.At(row.valueText)->GetText().mFGColor, IColor(255, k, k, k))) << r;
    if (row.sideValues[0] >= 0)
    {
      EXPECT_TRUE(SameColour(plug.At(row.sideValues[0])->GetText().mFGColor, IColor(255, k, k, k))) << r;
    }
    if (row.secondCaption >= 0)
    {
      EXPECT_TRUE(SameColour(plug.At(row.secondCaption)->GetText().mFGColor, IColor(255, 0, k, 0))) << r;
    }
  }
}

TEST_F(Configured, OffTheEditorThreadOnlyTheIdleTickConfigures)
{
  Configure([](MeterSettings& s) { s.peakMode = 0; });
  plug.Requests().scaleConfiguration = 0;
  plug.Settings().peakMode = 1;
  std::thread host([this] { plug.ConfigureMeterScales(); });
  host.join();
  EXPECT_STREQ(Scale(kPeakScale).mCaption.Get(), "dBFS");
  EXPECT_EQ(plug.Requests().scaleConfiguration, 1);
  plug.IdleTick();
  EXPECT_STREQ(Scale(kPeakScale).mCaption.Get(), "dBTP");
  EXPECT_EQ(plug.Requests().scaleConfiguration, 0);
}

TEST_F(Configured, ScaleLevelsOutOfOrderOrCloserThanADbStillGiveAScale)
{
  // From a stored state or a host, which the range boxes do not guard.
  struct Case
  {
    const char* name;
    std::array<double, 6> levels;
    double max, min;
    std::array<double, 4> splits;
  };
  const Case cases[] = {
    {"reversed", {-60, -50, -40, -30, -20, 0}, 0, -60, {-20, -30, -40, -50}},
    {"splits beyond the ends", {-14, -9, -18, -24, -30, -59}, -14, -59, {-14, -18, -24, -30}},
    {"all equal", {-20, -20, -20, -20, -20, -20}, -20, -21, {-20, -20, -20, -20}},
    {"within half a dB", {0, -0.1, -0.2, -0.3, -0.4, -0.5}, 0, -1, {-0.1, -0.2, -0.3, -0.4}},
  };
  for (const Case& c : cases)
  {
    plug.Settings().refOffset = 0.0;
    plug.Settings().lmLevels = c.levels;
    plug.Settings().peakLevels = c.levels;
    plug.ConfigureMeterScales();
    for (int meter : {kLoudnessScale, kPeakScale})
    {
      EXPECT_EQ(Scale(meter).mMax, c.max) << c.name;
      EXPECT_EQ(Scale(meter).mMin, c.min) << c.name;
    }
    for (int meter : {kSlBar, kFirstChannelBar})
    {
      EXPECT_EQ(Bar(meter).mMax, c.max) << c.name;
      EXPECT_EQ(Bar(meter).mMin, c.min) << c.name;
      for (size_t i = 0; i < 4; ++i)
        EXPECT_DOUBLE_EQ(Bar(meter).mSplits[i], c.splits[i]) << c.name;
    }
    const IGraphControl& graph = *plug.As<IGraphControl>(plug.ControlPositions().graph);
    EXPECT_EQ(graph.RangeTop(), c.max) << c.name;
    EXPECT_EQ(graph.RangeBottom(), c.min) << c.name;
    for (double position : graph.mZonePositions)
      EXPECT_TRUE(position >= 0.0 && position <= 1.0) << c.name << ": " << position;
  }
}

// A host that automates the graph settings on its own thread while the editor draws: the graph
// takes them at the idle tick, on the editor's thread, never while it may be drawing.
TEST_F(Configured, GraphSettingsFromTheHostWaitForTheIdleTick)
{
  Configure([](MeterSettings& s) { s.displayMode = 1; });
  IGraphControl& graph = *plug.As<IGraphControl>(plug.ControlPositions().graph);
  const auto setFromHost = [this](int idx, double value) {
    plug.GetParam(idx)->Set(value);
    plug.ParameterChanged(idx, iplug::kHost, 0);
  };
  const double factor = graph.mTimeScaleFactor;
  const float left = graph.PlotArea().L;
  std::thread([&] {
    setFromHost(kGraphTimescale, 17);
    setFromHost(kDistributionDisplayMode, 0);
  }).join();
  EXPECT_EQ(graph.mTimeScaleFactor, factor);
  EXPECT_EQ(graph.PlotArea().L, left);
  plug.IdleTick();
  EXPECT_EQ(graph.mTimeScaleFactor, Vantorelix::GraphTimeFactor(17));
  EXPECT_NE(graph.PlotArea().L, left);

  std::atomic<bool> done{false};
  std::thread host([&] {
    for (int i = 0; i < 300; ++i)
      setFromHost(kGraphTimescale + i % kGraphSettingCount, i % 2);
    done = true;
  });
  while (!done)
  {
    plug.IdleTick();
    plug.ui->DrawFrame();
  }
  host.join();
  plug.IdleTick();
  EXPECT_EQ(graph.mTimeScaleFactor,
            Vantorelix::GraphTimeFactor(static_cast<int>(plug.GetParam(kGraphTimescale)->Value())));
}
