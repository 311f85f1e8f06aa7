// The product's bitmap switches: the hover highlight and the push button's 1-then-0.

#include "framework/IPlugParameter.h"
#include "meter-ui/IBSwitchControlZv.h"
#include "tests/meter-ui/MeterUiFixture.h"

namespace vtest {
namespace {

struct BitmapSwitches : ::testing::Test
{
  BitmapSwitches() { editor.dlg.GetParam(0)->DefineBool("Run", false); }

  RecordingGraphics::Bitmap strip{10, 20, 1.f, 1.f};  // two stacked frames of 10 x 10
  MeterEditor editor;
};

TEST_F(BitmapSwitches, PushSendsOneThenZeroForEveryPress)
{
  editor.Add(new IBPushControlZv(IRECT(10, 10, 30, 30), IBitmap(&strip, 2, false, "push"), 0));
  Click(*editor.g, 20, 20);
  editor.g->OnMouseDblClick(20, 20, IMouseMod(true));
  editor.g->OnMouseUp(Mouse(20, 20));
  EXPECT_EQ(editor.dlg.log, (std::vector<std::string>{"begin 0", "set 0 1.0000", "set 0 0.0000", "end 0", "begin 0",
                                                      "set 0 1.0000", "set 0 0.0000", "end 0"}));
}

TEST_F(BitmapSwitches, HighlightOnlyWhileHoveredAndEnabled)
{
  auto* button = editor.Add(new IBSwitchControlZv(IRECT(10, 10, 30, 30), IBitmap(&strip, 2, false, "run"), 0));
  auto drawn = [&] {
    editor.DrawOnly(*button);
    return editor.g->log;
  };
  const std::vector<std::string> plain = drawn();
  EXPECT_EQ(plain, std::vector<std::string>{"bitmap run 15 15 25 25 src 0 0"});

  button->OnMouseOver(20, 20, IMouseMod());
  EXPECT_TRUE(button->mHovered);
  std::vector<std::string> hovered = drawn();
  ASSERT_GT(hovered.size(), 2u);
  EXPECT_EQ(hovered[hovered.size() - 2], "fill");
  EXPECT_EQ(hovered.back(), plain.back());

  button->mHoverHighlight = false;
  EXPECT_EQ(drawn(), plain);
  button->mHoverHighlight = true;
  button->OnMouseOut();
  EXPECT_EQ(drawn(), plain);

  Click(*editor.g, 20, 20);
  EXPECT_EQ(editor.dlg.GetParam(0)->Value(), 1.0);
}

}  // namespace
}  // namespace vtest
