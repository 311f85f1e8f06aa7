#include "ControlsFixture.h"
#include "controls/IBitmapControls.h"

using namespace vtest;

namespace {
struct Strip : APIBitmap
{
  Strip(int w, int h) : APIBitmap(nullptr, w, h, 1.f, 1.f) {}
};
}  // namespace

TEST(IBSwitchControlTest, ClicksStepByTheFrameCountAndWrap)
{
  struct Case
  {
    int frames;
    std::vector<double> values;
  };
  for (const Case& k : {Case{3, {0.5, 1.0, 0.0, 0.5}}, Case{1, {1.0, 0.0, 1.0}}})
  {
    ControlEditor e;
    Strip strip(20, 20 * k.frames);
    auto* c = e.Add(new IBSwitchControl(10, 10, IBitmap(&strip, k.frames, false, "sw")));
    EXPECT_EQ(c->GetRECT(), IRECT(10, 10, 30, 30));
    for (double expected : k.values)
    {
      Click(*e.g, 15, 15);
      EXPECT_EQ(c->GetValue(), expected) << k.frames << " frames";
    }
  }
}

TEST(IBSwitchControlTest, NewScreenScaleReplacesTheImageAndKeepsTheValue)
{
  ControlEditor e;
  const IBitmap bitmap = e.g->LoadBitmap("sw.png", "bytes", 5, 2, true);
  ASSERT_TRUE(bitmap.IsValid());
  auto* c = e.Add(new IBSwitchControl(IRECT(0, 0, 100, 100), bitmap));
  c->SetValue(1.0);
  e.g->SetBackingScale(2.f);
  e.g->Clear();
  c->Draw(*e.g);
  EXPECT_EQ(c->GetValue(), 1.0);
  ASSERT_EQ(e.g->log.size(), 1u);
  EXPECT_EQ(e.g->log[0], "bitmap sw.png 34 34 66 66 src 32 0") << "the second frame, centred";
}

TEST(IBSliderControlTest, HandleRunsAlongTheTrackWithOrWithoutATrackImage)
{
  ControlEditor e;
  Strip handle(10, 6);
  Strip track(4, 80);
  auto* plain = e.Add(new IBSliderControl(IRECT(0, 0, 20, 100), IBitmap(&handle, 1, false, "h")));
  auto* tracked = e.Add(
    new IBSliderControl(IRECT(50, 0, 70, 100), IBitmap(&handle, 1, false, "h"), IBitmap(&track, 1, false, "t")));
  auto* across = e.Add(
    new IBSliderControl(100, 0, 50, IBitmap(&handle, 1, false, "h"), IBitmap(), -1, EDirection::Horizontal));
  EXPECT_EQ(plain->GetTrack(), IRECT(5, 0, 15, 100)) << "a strip one handle wide";
  EXPECT_EQ(tracked->GetTrack(), IRECT(58, 10, 62, 90)) << "the track image, centred";
  EXPECT_EQ(across->GetRECT(), IRECT(100, 0, 150, 6));

  EXPECT_EQ(plain->GetHandleBounds(0.0), IRECT(5, 94, 15, 100));
  EXPECT_EQ(plain->GetHandleBounds(1.0), IRECT(5, 0, 15, 6));
  EXPECT_EQ(across->GetHandleBounds(0.0), IRECT(100, 0, 110, 6));
  EXPECT_EQ(across->GetHandleBounds(1.0), IRECT(140, 0, 150, 6));

  tracked->SetValue(0.5);
  tracked->Draw(*e.g);
  EXPECT_EQ(e.g->log, (std::vector<std::string>{"bitmap t 58 10 62 90 src 0 0", "bitmap h 58 47 68 53 src 0 0"}));
}

TEST(ISVGControlTest, KeptLayerIsReusedUntilTheBoundsChange)
{
  ControlEditor e;
  static char text[] = "<svg width=\"10\" height=\"10\"><rect width=\"5\" height=\"5\"/></svg>";
  const ISVG svg = e.g->LoadSVGFromMemory("doc.svg", text, sizeof(text) - 1);
  auto* c = e.Add(new ISVGControl(IRECT(0, 0, 50, 50), svg, true));
  auto creates = [&] {
    return std::count_if(e.g->log.begin(), e.g->log.end(),
                         [](const std::string& s) { return s.rfind("create", 0) == 0; });
  };
  c->Draw(*e.g);
  c->Draw(*e.g);
  EXPECT_EQ(creates(), 1);
  c->SetTargetAndDrawRECTs(IRECT(10, 10, 60, 60));
  c->Draw(*e.g);
  EXPECT_EQ(creates(), 2);
}
