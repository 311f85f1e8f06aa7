// Tooltips of the editor view while the in-window menu shows: they go when it opens and come
// back once it has closed.

#include "graphics/IPopupMenuControl.h"
#include "tests/controls/Clocked.h"
#include "tests/platform-mac/EditorFixture.h"

namespace vtest {
namespace {

TEST_F(EditorTest, TooltipsGoWhileTheInWindowMenuShowsAndComeBackOnceItHasClosed)
{
  IGraphicsView_vVantorelix_au* view = Open();
  IGraphicsMac& g = *delegate.Graphics();
  auto* popup = new Clocked<IPopupMenuControl>();
  g.AddPopupMenuControl(popup);
  g.EnableTooltips(true);
  const size_t shown = view->toolTipRects().size();
  ASSERT_GT(shown, 0u);

  IPopupMenu menu("", {"one", "two"});
  g.OpenMenu(delegate.control, menu, delegate.control->GetRECT(), 0);
  EXPECT_TRUE(view->toolTipRects().empty());
  IRECTList rects;
  popup->now = 101;
  g.IsDirty(rects);
  ASSERT_TRUE(popup->GetExpanded());

  popup->CloseMenu();
  for (int step = 1; step <= 3; ++step)
  {
    popup->now += 101;
    g.IsDirty(rects);
    EXPECT_EQ(view->toolTipRects().empty(), step < 3) << "after " << step * 101 << " ms";
  }
  EXPECT_EQ(popup->GetState(), IPopupMenuControl::kCollapsed);
  EXPECT_EQ(view->toolTipRects().size(), shown);
}

}  // namespace
}  // namespace vtest
