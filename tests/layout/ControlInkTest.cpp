// Every control a person can click shows ink where it lies, in every view and on every setup
// page, at the scales a user picks: its rectangle in the drawn picture holds more than one colour.
// A button whose control draws nothing and whose artwork is missing from the overlay shows here.

#include "tests/layout/EditorFixture.h"

#include <set>
#include <string>

using namespace layout_test;

namespace {

// How many colours the pixels of a rectangle (in points) hold, counting up to two.
int Colours(const vtest::HeadlessGraphics& ui, const IRECT& r, float scale)
{
  const IRECT px(r.L * scale, r.T * scale, r.R * scale, r.B * scale);
  std::set<std::array<uint8_t, 4>> seen;
  for (int y = static_cast<int>(px.T); y < static_cast<int>(px.B) && seen.size() < 2; ++y)
    for (int x = static_cast<int>(px.L); x < static_cast<int>(px.R) && seen.size() < 2; ++x)
      seen.insert(ui.Pixel(x, y));
  return static_cast<int>(seen.size());
}

void ExpectClickableControlsInked(MeterEditor& plug, float scale, const std::string& view)
{
  vtest::HeadlessGraphics& ui = *plug.ui;
  ui.DrawFullFrame();
  const std::string picture = "control-ink-" + view + "-" + std::to_string(static_cast<int>(scale)) + "x.png";
  ui.WritePNG(vtest::PicturePath(picture.c_str()));
  for (int i = 0; i < ui.NControls(); ++i)
  {
    const IControl* c = ui.GetControl(i);
    // What lies outside the window (the compact layout's width cuts the top bar) is not seen.
    const IRECT r = c->GetRECT().Intersect(ui.GetBounds());
    if (c->IsHidden() || c->GetIgnoreMouse() || r.Empty())
      continue;
    EXPECT_GT(Colours(ui, r, scale), 1) << view << " at scale " << scale << ": control " << i << " at (" << r.L << ", "
                                        << r.T << ", " << r.R << ", " << r.B << ") shows nothing";
  }
}

}  // namespace

class ClickableControls : public ::testing::TestWithParam<double>
{
};

INSTANTIATE_TEST_SUITE_P(Scales, ClickableControls, ::testing::Values(1.0, 2.0));

TEST_P(ClickableControls, ShowInkInEveryViewAndOnEveryPage)
{
  const float scale = static_cast<float>(GetParam());
  MeterEditor plug;
  plug.Settings().guiScale = GetParam();
  plug.Open();
  ExpectClickableControlsInked(plug, scale, "meters");
  SetFromHost(plug, kDisplayMode, 1);
  ExpectClickableControlsInked(plug, scale, "graph");
  SetFromHost(plug, kSetup, 1);
  for (int page = 0; page < kSetupPageCount; ++page)
  {
    SetFromHost(plug, kSetupPage, page);
    ExpectClickableControlsInked(plug, scale, "page" + std::to_string(page));
  }
}

TEST_P(ClickableControls, ShowInkInTheCompactLayout)
{
  MeterEditor plug;
  plug.Settings().guiScale = GetParam();
  plug.Settings().layout = 0;
  plug.Open();
  ExpectClickableControlsInked(plug, static_cast<float>(GetParam()), "compact");
}
