#include <gtest/gtest.h>

#include "GraphicsFixture.h"
#include "graphics/IBackgroundControls.h"
#include "graphics/IGraphicsConstants.h"

using namespace vtest;

namespace {
struct Strip : APIBitmap
{
  Strip(int w, int h) : APIBitmap(nullptr, w, h, 1.f, 1.f) {}
};
}  // namespace

TEST(BackgroundTest, BitmapFrameFollowsTheValueAndIsCentredUnstretched)
{
  Editor e;
  Strip strip(20, 100);
  auto* c = new IBitmapControl(10, 10, IBitmap(&strip, 5, false, "strip"));
  e.g->AddControl(c);
  EXPECT_EQ(c->GetRECT(), IRECT(10, 10, 30, 30));
  c->SetTargetAndDrawRECTs(IRECT(0, 0, 40, 40));
  struct Case
  {
    double value;
    const char* expected;
  };
  for (const Case& k : {Case{0.0, "bitmap strip 10 10 30 30 src 0 0"}, Case{0.49, "bitmap strip 10 10 30 30 src 0 40"},
                        Case{1.0, "bitmap strip 10 10 30 30 src 0 80"}})
  {
    c->SetValue(k.value);
    e.g->log.clear();
    c->Draw(*e.g);
    EXPECT_EQ(e.g->log, std::vector<std::string>{k.expected}) << k.value;
  }
}

TEST(BackgroundTest, BackgroundsGoToTheFrontAndThePanelIgnoresTheMouse)
{
  Editor e;
  LogControl* first = e.Add("first", IRECT(0, 0, 10, 10));
  e.g->AddPanelBackground(IPattern(kColorRed));
  ASSERT_EQ(e.g->NControls(), 2);
  EXPECT_EQ(e.g->GetControl(1), first);
  EXPECT_EQ(e.g->GetControl(0)->GetRECT(), e.g->GetBounds());
  EXPECT_TRUE(e.g->GetControl(0)->GetIgnoreMouse());
  EXPECT_EQ(e.g->GetMouseControl(200, 200, false), nullptr);
}

TEST(BackgroundTest, SvgBackgroundIsPaintedFromItsKeptLayerUntilTheScaleChanges)
{
  Editor e;
  static char text[] = "<svg width=\"10\" height=\"10\"><rect width=\"5\" height=\"5\"/></svg>";
  e.g->LoadSVGFromMemory("bg.svg", text, sizeof(text) - 1);
  e.g->AddSVGBackground("bg.svg");
  IControl* bg = e.g->GetControl(0);
  auto creates = [&] {
    return std::count_if(e.g->log.begin(), e.g->log.end(),
                         [](const std::string& s) { return s.rfind("create", 0) == 0; });
  };
  e.g->log.clear();
  bg->Draw(*e.g);
  bg->Draw(*e.g);
  EXPECT_EQ(creates(), 1);
  e.g->SetBackingScale(2.f);
  bg->Draw(*e.g);
  EXPECT_EQ(creates(), 2);
}
