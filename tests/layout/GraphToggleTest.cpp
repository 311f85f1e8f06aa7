// The graph's curve and overlay toggles: each shows whether it is on, and what it switches is
// drawn on the plot in colours that read there. The graph drawn with a toggle on and with it off
// differs at the toggle and on the plot; the pictures stay beside the test program.

#include "tests/layout/EditorFixture.h"

#include <cmath>
#include <cstring>
#include <map>
#include <string>

using namespace layout_test;

namespace {

// As a host's change reaches the plug-in and then the editor's controls.
void Show(MeterEditor& plug, int param, double value)
{
  SetFromHost(plug, param, value);
  plug.DeliverValueToEditor(param, value, false);
}

// 30 s of measurement with something for every toggle to show: moving levels, a loudness range,
// PLR and PSR, speech now and then, and alerts of each kind.
LoudnessHistoryPoint Point(int i, double shift)
{
  LoudnessHistoryPoint p;
  std::memset(&p, 0, sizeof p);
  const int tenths = 12 * 36000 + i;
  p.timerHours = static_cast<uint32_t>(tenths / 36000);
  p.timerMinutes = static_cast<uint32_t>(tenths / 600 % 60);
  p.timerSeconds = static_cast<uint32_t>(tenths / 10 % 60);
  p.timerTenths = static_cast<uint32_t>(tenths % 10);
  p.peakMode = 1;
  p.slLevel = -20.0 + 6.0 * std::sin(i / 25.0) + shift;
  p.mlLevel = p.slLevel + 4.0 * std::sin(i / 3.0);
  p.ilShown = p.integratedLoudness = -15.0 + shift;
  p.rangeLow = -31.0;
  p.rangeHigh = -25.0;
  p.plr = 14.0;
  p.psr = 5.0;
  p.dialoguePresent = (i / 40) % 2;
  p.alertActive[kAlertCount] = 1;  // the loudness range is valid
  const bool alerting = i % 50 < 5;
  p.alertActive[kAlertSlMax] = alerting && i % 100 < 50;
  p.alertActive[kAlertSlMin] = alerting && i % 100 >= 50;
  p.alertActive[kAlertTpMax] = i % 70 < 3;
  p.alertActive[kAlertLraMin] = i % 60 >= 30 && i % 60 < 34;
  return p;
}

using Picture = std::vector<std::array<uint8_t, 4>>;

Picture Draw(vtest::HeadlessGraphics& ui)
{
  ui.DrawFullFrame();
  Picture picture;
  const int w = static_cast<int>(ui.Layer().drawableSize().width);
  const int h = static_cast<int>(ui.Layer().drawableSize().height);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      picture.push_back(ui.Pixel(x, y));
  return picture;
}

// What changed in a rectangle between two pictures: how many pixels, the largest change of a
// channel, and the share of the changed pixels that took the one colour most of them took.
struct Change
{
  int pixels = 0;
  int largest = 0;
  double commonest = 0.0;
};

Change Compare(const Picture& before, const Picture& after, int width, const IRECT& r, float scale)
{
  Change c;
  std::map<std::array<uint8_t, 4>, int> colours;
  for (int y = static_cast<int>(r.T * scale); y < static_cast<int>(r.B * scale); ++y)
    for (int x = static_cast<int>(r.L * scale); x < static_cast<int>(r.R * scale); ++x)
    {
      const auto& a = before[static_cast<size_t>(y * width + x)];
      const auto& b = after[static_cast<size_t>(y * width + x)];
      if (a == b)
        continue;
      ++c.pixels;
      ++colours[b];
      for (int k = 0; k < 3; ++k)
        c.largest = std::max(c.largest, std::abs(a[k] - b[k]));
    }
  int most = 0;
  for (const auto& [colour, n] : colours)
    most = std::max(most, n);
  c.commonest = c.pixels ? static_cast<double>(most) / c.pixels : 0.0;
  return c;
}

struct Toggle
{
  int param;
  const char* name;
  IRECT button;
  bool band;  // a band over the plot, through which the zones and the grid must show
};

}  // namespace

class GraphToggles : public ::testing::TestWithParam<double>
{
};

INSTANTIATE_TEST_SUITE_P(Scales, GraphToggles, ::testing::Values(1.0, 2.0));

TEST_P(GraphToggles, ShowTheirStateAndWhatTheySwitch)
{
  const float scale = static_cast<float>(GetParam());
  MeterEditor plug;
  plug.Settings().guiScale = GetParam();
  plug.Settings().displayMode = 1;
  for (int i = 0; i < 300; ++i)
  {
    plug.History().AppendCopy(Point(i, 0.0));
    plug.Memory().AppendCopy(Point(i, -9.0));
  }
  vtest::HeadlessGraphics& ui = plug.Open();
  const int width = static_cast<int>(ui.Layer().drawableSize().width);
  Show(plug, kGraphTimescale, 2);  // "30 s": the whole history across the plot
  Show(plug, kLoudness_Target, -28);
  const Toggle toggles[] = {
    {kGraphIL, "IL", IRECT(796, 80, 828, 100), false},
    {kGraphSL, "SL", IRECT(796, 104, 828, 124), false},
    {kGraphML, "ML", IRECT(796, 128, 828, 148), false},
    {kGraphLRA, "LRA", IRECT(796, 152, 828, 172), true},
    {kGraphPLR, "PLR", IRECT(796, 176, 828, 196), true},
    {kGraphPSR, "PSR", IRECT(796, 200, 828, 220), true},
    {kGraphAlertLM, "OvLM", IRECT(796, 224, 828, 244), false},
    {kGraphAlertPeak, "OvPK", IRECT(796, 248, 828, 268), false},
    {kGraphAlertRange, "AlLR", IRECT(796, 272, 828, 292), false},
    {kGraphLoudnessTarget, "TgSL", IRECT(796, 296, 828, 316), false},
    {kGraphDialogPresence, "Dial", IRECT(796, 320, 828, 340), true},
    {kGraphStore, "Mem", IRECT(796, 344, 828, 364), false},
  };
  const IRECT plot(362, 94, 786, 398);
  for (const Toggle& t : toggles)
  {
    // Everything else off, so that nothing covers what this toggle switches.
    for (const Toggle& other : toggles)
      Show(plug, other.param, 0);
    if (t.param == kGraphStore)
      Show(plug, kGraphSL, 1);  // the memory is drawn as a second SL curve
    const Picture off = Draw(ui);
    Show(plug, t.param, 1);
    const Picture on = Draw(ui);
    const std::string name = std::string("graph-") + t.name + "-on-" + std::to_string(static_cast<int>(scale)) +
                             "x.png";
    ui.WritePNG(vtest::PicturePath(name.c_str()));
    EXPECT_GT(Compare(off, on, width, t.button, scale).pixels, 0) << t.name << ": its toggle looks the same on and off";
    const Change drawn = Compare(off, on, width, plot, scale);
    EXPECT_GT(drawn.pixels, 0) << t.name << ": the plot shows nothing of it";
    // A line or curve stands out from the dark plot; a band tints it, and the zones and the grid
    // show through it in several colours rather than one.
    EXPECT_GE(drawn.largest, t.band ? 40 : 100) << t.name << ": what it shows barely stands out from the plot";
    if (t.band)
    {
      EXPECT_LT(drawn.commonest, 0.9) << t.name << ": its band hides the zones and the grid";
    }
  }
}
