#include "meter-ui/IBUpdateControlZv.h"
#include "tests/framework/TestPlugin.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace iplug::igraphics;

namespace {

// An editor that records where bitmaps are drawn from and to.
class BitmapRecordingGraphics : public testing_support::StubGraphics
{
public:
  using StubGraphics::StubGraphics;

  struct Drawn
  {
    IRECT dest;
    int srcX, srcY;
  };

  void DrawBitmap(const IBitmap&, const IRECT& dest, int srcX, int srcY, const IBlend*) override
  {
    drawn.push_back({dest, srcX, srcY});
  }

  std::vector<Drawn> drawn;
};

class UpdateIconTest : public ::testing::Test
{
protected:
  UpdateIconTest()
  {
    plug.mMakeGraphicsFunc = [this] { return ui = new BitmapRecordingGraphics(plug, 832, 446, 60); };
    plug.OpenWindow(&window);
    // Two 20 x 20 frames, one above the other.
    icon = static_cast<IBUpdateControlZv*>(
      ui->AddControl(new IBUpdateControlZv(141.f, 13.f, IBitmap(&picture, 2, false), 191)));
    plug.log.clear();
  }
  int Fired(int actionId) const
  {
    const std::string entry = "changed " + std::to_string(actionId) + " " + std::to_string(iplug::kEditor) + " -1";
    return static_cast<int>(std::count(plug.log.begin(), plug.log.end(), entry));
  }

  APIBitmap picture{nullptr, 20, 40, 1.f, 1.f};
  testing_support::TestPlugin plug{1};
  int window = 0;
  BitmapRecordingGraphics* ui = nullptr;
  IBUpdateControlZv* icon = nullptr;
};

TEST_F(UpdateIconTest, FrameAndTooltipFollowTheValue)
{
  EXPECT_EQ(icon->GetRECT(), IRECT(141.f, 13.f, 161.f, 33.f));
  EXPECT_STREQ(icon->GetTooltip(), "Click to check for updates");
  const struct
  {
    double value;
    int srcY;
    const char* tooltip;
  } cases[] = {{1.0, 20, "Update available"}, {0.0, 0, "Click to check for updates"}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.value);
    ui->drawn.clear();
    icon->SetValue(c.value);
    icon->Draw(*ui);
    ASSERT_EQ(ui->drawn.size(), 1u);
    EXPECT_EQ(ui->drawn[0].dest, icon->GetRECT());
    EXPECT_EQ(ui->drawn[0].srcX, 0);
    EXPECT_EQ(ui->drawn[0].srcY, c.srcY);
    EXPECT_STREQ(icon->GetTooltip(), c.tooltip);
  }
}

TEST_F(UpdateIconTest, ClickAsksForACheckOnce)
{
  const IMouseMod mod;
  ui->OnMouseDown({IMouseInfo{150.f, 20.f, 0.f, 0.f, mod}});
  ui->OnMouseUp({IMouseInfo{150.f, 20.f, 0.f, 0.f, mod}});
  EXPECT_EQ(Fired(191), 1);
  // The second press of a double click reaches the icon as a double click: no second request,
  // and the icon keeps its frame.
  icon->SetValue(1.0);
  ui->OnMouseDblClick(150.f, 20.f, mod);
  EXPECT_EQ(Fired(191), 1);
  EXPECT_EQ(icon->GetValue(), 1.0);
  EXPECT_EQ(plug.log.size(), 1u);
}

TEST(UpdateIcon, WithoutAnActionIdAClickSendsNothing)
{
  testing_support::TestPlugin plug{1};
  APIBitmap picture{nullptr, 20, 40, 1.f, 1.f};
  IBUpdateControlZv icon(0.f, 0.f, IBitmap(&picture, 2, false), -1);
  icon.SetDelegate(&plug);
  icon.OnMouseDown(5.f, 5.f, IMouseMod());
  EXPECT_TRUE(plug.log.empty());
}

}  // namespace
