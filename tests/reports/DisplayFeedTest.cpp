// The live display of an open editor: read-out texts, alert counters and lamps, meter levels,
// and the idle hook that serves them, with the real layout on the headless graphics.

#include "LoopbackServer.h"
#include "tests/layout/EditorFixture.h"
#include "tests/product/ProductFixture.h"

#include "graphics/IPopupMenuControl.h"
#include "meter-ui/IBUpdateControlZv.h"
#include "meter-ui/IDynaMeterControl.h"
#include "meter-ui/IGraphControl.h"
#include "meter-ui/IMeterControl.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace layout_test;
using reports_test::LoopbackServer;

namespace {

constexpr double kPowerOfMinus20 = 0.01;  // mean square of -20 LUFS + 0.691

// An editor on a plug-in whose automatic update check stays off unless a test wants it.
class FeedEditor : public MeterEditor
{
public:
  FeedEditor() { Settings().updateCheck = 0; }

  LoudnessEngine& E() { return *Engine(); }
  AlertState& Alert(AlertIndex a) { return Settings().alerts[a]; }
  const char* Value(int row) { return TextOf(Row(row).valueText); }
  const char* Second(int row) { return TextOf(Row(row).secondCaption); }
  double Lamp(int row) { return At(Row(row).led)->GetValue(); }
  IMeterControl& Bar(int position) { return *As<IMeterControl>(ControlPositions().meterPanel[position]); }
};

TEST(DisplayFeed, ReadoutTexts)
{
  struct Case
  {
    const char* label;
    std::function<void(FeedEditor&)> setup;
    std::function<std::string(FeedEditor&)> text;
    const char* expected;
  };
  const auto il = [](FeedEditor& p) { return p.Value(kReadoutIL); };
  const auto silence = [](FeedEditor& p) {
    return p.Value(kReadoutSL) + std::string("|") + p.Second(kReadoutSL) + "|" + p.Value(kReadoutML) + "|" +
           p.Second(kReadoutML);
  };
  const Case cases[] = {
    {"IL against the reference",
     [](FeedEditor& p) {
       p.Settings().refOffset = -23.0;
       p.E().integratedGate.integrated = -23.691;
       p.E().integratedGate.full = 1;
     },
     il, "+0.0"},
    {"IL before any gated block", [](FeedEditor& p) { p.E().integratedGate.integrated = -20.0; }, il, "---"},
    {"IL of silence",
     [](FeedEditor& p) {
       p.E().integratedGate.integrated = -144.0;
       p.E().integratedGate.full = 1;
     },
     il, "-inf"},
    // A power at the floor is no level; just above it, it is one.
    {"SL and ML of silence", [](FeedEditor&) {}, silence, "-inf|-inf|-inf|-inf"},
    {"SL and ML just above silence",
     [](FeedEditor& p) {
       p.E().shortTerm.mean = p.E().shortTerm.maximum = 4.7e-15;
       p.E().momentary.mean = p.E().momentary.maximum = 4.7e-15;
     },
     silence, "-143.3|-143.3 Max|-143.3|-143.3 Max"},
    {"SL maximum", [](FeedEditor& p) { p.E().shortTerm.maximum = kPowerOfMinus20; },
     [](FeedEditor& p) { return p.Second(kReadoutSL); }, "-20.0 Max"},
    {"SL of silence with the speech gate", [](FeedEditor& p) { p.Settings().gateMode = 3; },
     [](FeedEditor& p) { return p.Value(kReadoutSL); }, "-inf"},
    {"peak of silence", [](FeedEditor&) {}, [](FeedEditor& p) { return p.Value(kReadoutPeak); }, "-inf"},
    {"alert counter beyond 999", [](FeedEditor& p) { p.Alert(kAlertIlMax).count = 1500; },
     [](FeedEditor& p) { return p.TextOf(p.Row(kReadoutIL).sideValues[0]); }, " 999"},
    {"peak counter of the true-peak alert",
     [](FeedEditor& p) {
       p.Settings().peakMode = 1;
       p.Alert(kAlertTpMax).count = 7;
       p.Alert(kAlertPeakMax).count = 3;
     },
     [](FeedEditor& p) { return p.TextOf(p.Row(kReadoutPeak).sideValues[0]); }, " 7"},
    {"time code",
     [](FeedEditor& p) {
       p.Settings().timerMode = 1;
       p.Transport().mSamplePos = 90.25 * 48000.0;
       p.ProcessBlock(nullptr, nullptr, 0);
     },
     [](FeedEditor& p) { return p.Value(kReadoutTime); }, " 00:01:30.2"},
    {"PSR before the short-term window is full",
     [](FeedEditor& p) {
       p.Settings().rangeMode = 2;
       p.E().psr = 9.0;
     },
     [](FeedEditor& p) { return p.Value(kReadoutRange); }, "---"},
    {"PSR once it is full",
     [](FeedEditor& p) {
       p.Settings().rangeMode = 2;
       p.E().psr = 9.04;
       p.E().shortTerm.full = 1;
     },
     [](FeedEditor& p) { return p.Value(kReadoutRange); }, "+9.0"},
    {"PLR beside PSR",
     [](FeedEditor& p) {
       p.Settings().rangeMode = 1;
       p.E().plr = 12.691;
       p.E().psr = 8.0;
       p.E().shortTerm.full = 1;
     },
     [](FeedEditor& p) { return p.Value(kReadoutRange) + std::string("|") + p.Second(kReadoutRange); },
     "+12.0|+8.0 PSR"},
    {"dialogue share without speech",
     [](FeedEditor& p) {
       p.Settings().gateMode = 3;
       p.E().gateMode = GateMode::Dial;
     },
     [](FeedEditor& p) { return p.Value(kReadoutML); }, "---"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.label);
    FeedEditor plug;
    product_test::Prepare(plug, 48000.0, 480, 2);
    plug.Open();
    c.setup(plug);
    plug.UpdateReadouts(true);
    EXPECT_EQ(c.text(plug), c.expected);
  }
}

TEST(DisplayFeed, TimerKeepsItsTextWhileNotMeasuring)
{
  FeedEditor plug;
  product_test::Prepare(plug, 48000.0, 480, 2);
  plug.Open();
  plug.Settings().timerMode = 1;
  plug.Transport().mSamplePos = 48000.0 * 3725.5;
  plug.ProcessBlock(nullptr, nullptr, 0);
  plug.UpdateReadouts(true);
  EXPECT_STREQ(plug.Value(kReadoutTime), " 01:02:05.5");
  plug.Transport().mSamplePos = 0.0;
  plug.ProcessBlock(nullptr, nullptr, 0);
  plug.UpdateReadouts(false);
  EXPECT_STREQ(plug.Value(kReadoutTime), " 01:02:05.5");
}

// Ten seconds in blocks of 10 ms, whose lengths in seconds add up to a little less than ten,
// the last of them followed by a block that measures nothing before the idle hook comes: the
// time shown is the one the measurement stopped at.
TEST(DisplayFeed, ElapsedTimeStopsAtTheLastMeasuredFrame)
{
  FeedEditor plug;
  product_test::Prepare(plug, 48000.0, 480, 2);
  plug.Open();
  product_test::Block block(2, 480);
  for (int i = 0; i < 1000; ++i)
    product_test::Process(plug, block);
  plug.Settings().play = 0;
  product_test::Process(plug, block);
  plug.IdleTick();
  EXPECT_STREQ(plug.Value(kReadoutTime), " 00:00:10.0");
}

TEST(DisplayFeed, FormatValueAndRangeLamp)
{
  FeedEditor plug;
  plug.Open();
  const int text = plug.Row(kReadoutSL).valueText;
  const struct
  {
    bool valid;
    const char* unit;
    int precision;
    double value, offset, floor;
    const char* expected;
  } texts[] = {
    {false, nullptr, 1, 0.0, 0.0, -143.9, "---"},
    {true, nullptr, 1, -144.0, 0.0, -143.9, "-inf"},
    {true, nullptr, 1, -143.9, 0.0, -143.9, "-143.9"},
    {true, nullptr, 1, 0.0, 0.0, -143.9, "+0.0"},
    {true, "Max", 1, -14.2, 0.0, -143.9, "-14.2 Max"},
    {true, nullptr, 1, -20.0, -23.0, -143.9, "+3.0"},
    {true, "", 0, 45.4, 0.0, -1.0, "45 "},
  };
  for (const auto& t : texts)
  {
    plug.FormatValue(text, t.valid, t.unit, t.precision, t.value, t.offset, t.floor);
    EXPECT_STREQ(plug.TextOf(text), t.expected) << t.expected;
  }

  const int lamp = plug.Row(kReadoutSL).led;
  const struct
  {
    bool valid;
    double value, expected;
  } lamps[] = {{false, -30.0, 0.0},      {true, -30.0, 1.0},       {true, 5.0, 1.0 / 3.0},
               {true, -10.0, 2.0 / 3.0}, {true, -20.0, 2.0 / 3.0}, {true, 0.0, 2.0 / 3.0}};
  for (const auto& l : lamps)
  {
    plug.SetRangeLamp(lamp, l.valid, l.value, -20.0, 0.0);
    EXPECT_DOUBLE_EQ(plug.At(lamp)->GetValue(), l.expected) << l.value;
  }
}

TEST(DisplayFeed, AlertLamps)
{
  constexpr double kLow = 1.0 / 3.0, kWithin = 2.0 / 3.0;
  FeedEditor plug;
  product_test::Prepare(plug, 48000.0, 480, 2);
  plug.Open();
  AlertState& low = plug.Alert(kAlertSlMin);
  AlertState& high = plug.Alert(kAlertSlMax);
  const auto refresh = [&] {
    plug.UpdateReadouts(false);
    return plug.Lamp(kReadoutSL);
  };

  EXPECT_EQ(refresh(), 0.0) << "both alerts off";
  // Neither in Auto and none latched: the lamp stays as it was.
  low.mode = high.mode = AlertMode::On;
  plug.At(plug.Row(kReadoutSL).led)->SetValue(kWithin);
  EXPECT_DOUBLE_EQ(refresh(), kWithin);
  // On: a low violation latches the lamp at 1/3 until the user clears the alert.
  low.active = 1;
  EXPECT_DOUBLE_EQ(refresh(), kLow);
  EXPECT_EQ(low.latched, 1);
  low.active = 0;
  high.active = 1;
  EXPECT_DOUBLE_EQ(refresh(), kLow);
  low.ClearRunState();
  high.ClearRunState();
  // Auto follows the alerts: a raised high alert shows as 1.0, none as within limits.
  low.mode = high.mode = AlertMode::Auto;
  high.active = 1;
  EXPECT_DOUBLE_EQ(refresh(), 1.0);
  high.active = 0;
  EXPECT_DOUBLE_EQ(refresh(), kWithin);
  EXPECT_EQ(high.latched, 0);

  // A single alert: the peak lamp, and the range lamp that waits for data.
  plug.Alert(kAlertPeakMax).mode = AlertMode::Auto;
  plug.Alert(kAlertPeakMax).active = 1;
  plug.Settings().rangeMode = 2;
  plug.Alert(kAlertPsrMin).mode = AlertMode::Auto;
  refresh();
  EXPECT_DOUBLE_EQ(plug.Lamp(kReadoutPeak), kLow);
  EXPECT_EQ(plug.Lamp(kReadoutRange), 0.0) << "no PSR before the short-term window is full";
  plug.E().shortTerm.full = 1;
  refresh();
  EXPECT_DOUBLE_EQ(plug.Lamp(kReadoutRange), kWithin);
}

TEST(DisplayFeed, MeterLevels)
{
  FeedEditor plug;
  product_test::Prepare(plug, 48000.0, 480, 2);
  plug.Open();
  plug.Settings().rangeMode = 2;
  plug.UpdateMeters();
  // Silence is no level on any bar, as on the read-outs.
  for (int bar : {kSlBar, kMlBar})
  {
    EXPECT_DOUBLE_EQ(plug.Bar(bar).mValue, -144.0);
    EXPECT_DOUBLE_EQ(plug.Bar(bar).mHold, -144.0);
    EXPECT_EQ(plug.Bar(bar).mShowAlt, 0);
  }
  EXPECT_DOUBLE_EQ(plug.Bar(kFirstChannelBar).mValue, -144.0);
  EXPECT_EQ(plug.Bar(kFirstChannelBar).mShowAlt, 1);
  auto& dyna = *plug.As<IDynaMeterControl>(plug.ControlPositions().meterPanel[kDynaMeter]);
  EXPECT_FALSE(dyna.mDynaValid) << "PSR before the short-term window is full";
  EXPECT_EQ(dyna.mDynaMode, IDynaMeterControl::kPSR);

  // A channel over its alert level lights the over strip only while the alert is on, and only
  // strictly above the level.
  PeakBallistics& channel = plug.E().ballistics[0];
  AlertState& alert = plug.Alert(kAlertPeakMax);
  alert.level = -6.0;
  const struct
  {
    AlertMode mode;
    double peakDb;
    double over;
  } cases[] = {
    {AlertMode::Off, 0.0, 0.0}, {AlertMode::On, 0.0, 1.0}, {AlertMode::Auto, -6.0, 0.0}, {AlertMode::Auto, -5.9, 1.0}};
  for (const auto& c : cases)
  {
    alert.mode = c.mode;
    channel.holdMax = channel.inputMax = std::pow(10.0, c.peakDb / 20.0);
    plug.UpdateMeters();
    EXPECT_EQ(plug.Bar(kFirstChannelBar).mOver, c.over) << c.peakDb;
    EXPECT_EQ(plug.Bar(kFirstChannelBar + 1).mOver, 0.0);
  }
}

TEST(DisplayFeed, ReadoutsRaisedWithoutAnEditorAreServedOnceItIsLaidOut)
{
  FeedEditor plug;
  product_test::Prepare(plug, 48000.0, 480, 2);
  plug.Requests().readoutRefresh = 1;
  plug.IdleTick();
  EXPECT_EQ(plug.Requests().readoutRefresh, 1);

  plug.Open();
  ASSERT_TRUE(plug.EditorReady());
  EXPECT_STREQ(plug.Value(kReadoutSL), "---") << "as laid out";
  plug.IdleTick();
  EXPECT_EQ(plug.Requests().readoutRefresh, 0);
  EXPECT_STREQ(plug.Value(kReadoutSL), "-inf");
}

TEST(DisplayFeed, GraphStartsAgainAfterAMeasurementReset)
{
  FeedEditor plug;
  plug.Open();
  auto& graph = *plug.As<IGraphControl>(plug.ControlPositions().graph);
  graph.mFrozenCount = 50;
  graph.mViewEnd = 40;
  graph.mPointerActive = true;
  plug.Requests().graphReset = 1;
  plug.IdleTick();
  EXPECT_EQ(plug.Requests().graphReset, 0);
  EXPECT_EQ(graph.mFrozenCount, 0);
  EXPECT_EQ(graph.mViewEnd, 0);
  EXPECT_FALSE(graph.mPointerActive);
}

// Headless graphics that keep the captions of the alerts they are asked to show.
class AlertCaptions : public vtest::HeadlessGraphics
{
public:
  using HeadlessGraphics::HeadlessGraphics;
  int ShowAlert(const char*, const char* caption, int, AlertCompletionFunc) override
  {
    captions.push_back(caption);
    return 0;
  }
  std::vector<std::string> captions;
};

TEST(DisplayFeed, InfoTextAndManualCheckAreShownOncePerRequest)
{
  int port = 0;
  const int closed = reports_test::BoundLoopbackSocket(false, port);  // refuses: the check fails at once
  ASSERT_NE(port, 0);
  setenv("VANTORELIX_UPDATE_SERVER", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
  FeedEditor plug;
  AlertCaptions* ui = nullptr;
  plug.mMakeGraphicsFunc = [&] {
    ui = new AlertCaptions(plug, plug.EditorWidth(), plug.Settings().guiHeight);
    plug.ui = ui;
    return ui;
  };
  plug.Requests().infoText = 1;
  plug.Requests().updateCheck = 1;
  plug.IdleTick();
  plug.Open();
  plug.IdleTick();
  plug.IdleTick();
  ASSERT_TRUE(ui);
  EXPECT_EQ(ui->captions, (std::vector<std::string>{"About", "Check for update"}));
  unsetenv("VANTORELIX_UPDATE_SERVER");
  close(closed);
}

// The audio thread measures and raises its requests while the main thread serves them: every
// value the display reads crosses between the two by an atomic flag or under the plug-in mutex.
TEST(DisplayFeed, RefreshesWhileTheAudioThreadMeasures)
{
  FeedEditor plug;
  product_test::Prepare(plug, 48000.0, 480, 2);
  plug.Settings().timerMode = 1;
  plug.Open();
  std::atomic<bool> done{false};
  std::thread audio([&] {
    product_test::Block block(2, 480);
    for (int n = 0; n < 300; ++n)
    {
      for (int i = 0; i < 480; ++i)
        block.in[0][static_cast<size_t>(i)] = 0.1 * std::sin(2.0 * M_PI * 997.0 * (n * 480 + i) / 48000.0);
      product_test::Process(plug, block);
    }
    done = true;
  });
  while (!done)
    plug.IdleTick();
  audio.join();
  plug.IdleTick();
  EXPECT_STREQ(plug.Value(kReadoutPeak), "-20.0");
}

// The menu's animation clock in the test's hands.
class ClockedMenu : public iplug::igraphics::IPopupMenuControl
{
public:
  using IPopupMenuControl::IPopupMenuControl;
  double AnimationClockMs() const override { return now; }
  double now = 0.0;
};

TEST(DisplayFeed, CompactResizeWaitsForAnOpenMenu)
{
  FeedEditor plug;
  vtest::HeadlessGraphics& ui = plug.Open(1000, 500);
  ui.RemovePopupMenuControl();
  auto* menu = new ClockedMenu(-1, IText(14.f));
  ui.AddPopupMenuControl(menu);
  IPopupMenu choices("", {"one", "two"});
  ui.OpenMenu(plug.At(plug.Row(kReadoutIL).valueText), choices, IRECT(20, 20, 80, 40), 0);
  ASSERT_NE(menu->GetState(), IPopupMenuControl::kCollapsed);

  plug.Settings().layout = 0;
  plug.Requests().editorResize = 1;
  plug.IdleTick();
  EXPECT_EQ(plug.Requests().editorResize, 1);
  EXPECT_EQ(ui.Width(), 1000);

  menu->CloseMenu();
  for (int i = 0; i < 10 && menu->GetState() != IPopupMenuControl::kCollapsed; ++i)
  {
    menu->now += 101;
    IRECTList rects;
    ui.IsDirty(rects);
  }
  plug.IdleTick();
  EXPECT_EQ(plug.Requests().editorResize, 0);
  EXPECT_EQ(ui.Width(), 304) << "the compact editor, whatever the stored width";
  EXPECT_EQ(ui.Height(), 500);
}

// Every test runs in a process of its own under CTest, so this one sees the process's first
// automatic check.
TEST(DisplayFeed, AutomaticCheckRunsOncePerProcessAndIconsFollowTheLastCheck)
{
  LoopbackServer newer({200, "9.0.0"});
  ASSERT_TRUE(newer.Running());
  setenv("VANTORELIX_UPDATE_SERVER", newer.Address().c_str(), 1);
  FeedEditor first, second;
  first.Settings().updateCheck = second.Settings().updateCheck = 1;
  first.Open();
  second.Open();
  const auto icon = [](FeedEditor& p) { return p.At(p.ControlPositions().updateIcon)->GetValue(); };

  first.IdleTick();
  second.IdleTick();
  EXPECT_EQ(newer.Requests().size(), 1u);
  EXPECT_EQ(icon(first), 1.0);
  EXPECT_EQ(icon(second), 1.0) << "the answer is the process's";

  LoopbackServer same({200, "3.1.3"});
  setenv("VANTORELIX_UPDATE_SERVER", same.Address().c_str(), 1);
  second.Requests().updateCheck = 1;
  second.IdleTick();
  EXPECT_EQ(same.Requests().size(), 1u);
  EXPECT_EQ(icon(second), 0.0) << "an up-to-date answer takes the icon back on the same tick";
  unsetenv("VANTORELIX_UPDATE_SERVER");
}

TEST(DisplayFeed, MetersAfterAMeasuredTone)
{
  FeedEditor plug;
  product_test::Prepare(plug, 48000.0, 480, 2);
  plug.Settings().refOffset = 0.0;
  vtest::HeadlessGraphics& ui = plug.Open();
  // Four seconds of a 997 Hz tone of amplitude 0.1 (-20 LUFS) on the left, half of it on the right.
  product_test::Block block(2, 480);
  for (int n = 0; n < 400; ++n)
  {
    for (int i = 0; i < 480; ++i)
    {
      const double x = 0.1 * std::sin(2.0 * M_PI * 997.0 * (n * 480 + i) / 48000.0);
      block.in[0][static_cast<size_t>(i)] = x;
      block.in[1][static_cast<size_t>(i)] = 0.5 * x;
    }
    product_test::Process(plug, block);
    plug.IdleTick();
  }
  ui.DrawFullFrame();
  ASSERT_TRUE(ui.WritePNG(vtest::PicturePath("display-feed-tone.png")));

  EXPECT_NEAR(plug.Bar(kFirstChannelBar).mValue, -20.0, 0.2);
  EXPECT_NEAR(plug.Bar(kFirstChannelBar + 1).mValue, -26.0, 0.2);
  EXPECT_NEAR(plug.Bar(kSlBar).mValue, -22.0, 0.2);  // the two channels summed, K-weighted
  EXPECT_STREQ(plug.Value(kReadoutPeak), "-20.0");
}

}  // namespace
