// The editor's bitmaps are drawn from the variant painted for the pixels a point takes, so that
// they stay sharp at every scale a user picks, and follow a change of scale.

#include "tests/layout/EditorFixture.h"

#include "graphics/IBackgroundControls.h"

#include <string>

using namespace layout_test;

namespace {

// Every bitmap a control of the editor draws was made for `scale`.
void ExpectBitmapsAtScale(const IGraphics& ui, float scale, const std::string& when)
{
  int bitmaps = 0;
  for (int i = 0; i < ui.NControls(); ++i)
  {
    const auto* holder = dynamic_cast<const IBitmapBase*>(ui.GetControl(i));
    if (!holder || !holder->GetBitmap().IsValid())
      continue;
    ++bitmaps;
    EXPECT_EQ(holder->GetBitmap().GetScale(), scale)
      << when << ": " << holder->GetBitmap().GetResourceName() << " of control " << i;
  }
  EXPECT_GT(bitmaps, 20) << when;
}

struct ScaleCase
{
  double drawScale;
  float bitmapScale;
};

}  // namespace

class EditorBitmaps : public ::testing::TestWithParam<ScaleCase>
{
};

// Fractional scales take the next larger variant, which the GPU draws smaller.
INSTANTIATE_TEST_SUITE_P(Scales, EditorBitmaps,
                         ::testing::Values(ScaleCase{1.0, 1.f}, ScaleCase{1.5, 2.f}, ScaleCase{2.0, 2.f},
                                           ScaleCase{2.5, 3.f}, ScaleCase{3.0, 3.f}),
                         [](const auto& info) {
                           return "Draw" + std::to_string(static_cast<int>(info.param.drawScale * 10));
                         });

TEST_P(EditorBitmaps, AreTheVariantForTheScale)
{
  MeterEditor plug;
  plug.Settings().guiScale = GetParam().drawScale;
  vtest::HeadlessGraphics& ui = plug.Open();
  ExpectBitmapsAtScale(ui, GetParam().bitmapScale, "opened at " + std::to_string(GetParam().drawScale));
}

TEST(EditorBitmapsRescaled, FollowTheNewScale)
{
  MeterEditor plug;
  vtest::HeadlessGraphics& ui = plug.Open();
  ExpectBitmapsAtScale(ui, 1.f, "at scale 1");
  ui.Resize(832, 446, 2.f);
  ExpectBitmapsAtScale(ui, 2.f, "resized to scale 2");
  ui.Resize(832, 446, 1.f);
  ExpectBitmapsAtScale(ui, 1.f, "back at scale 1");
}
