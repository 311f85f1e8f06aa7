#include "platform/AppKit/NSCursor.h"
#include "platform/CoreGraphics/CGDisplay.h"
#include "tests/platform-mac/EditorFixture.h"

namespace vtest {
namespace {

class CursorTest : public EditorTest
{
protected:
  void TearDown() override
  {
    platform::SetPrivateCursorsAvailable(true);
    EditorTest::TearDown();
  }

  static std::string Shown() { return NSCursor::currentCursor()->name(); }

  void Drag(float x, float y, NSEventSubtype subtype = NSEventSubtypeMouseEvent)
  {
    const NSPoint at = InWindow(*delegate.Graphics()->GetView(), x, y);
    window->sendEvent(
      NSEvent::mouseEventWithType(NSEventTypeLeftMouseDragged, at, NSEventModifierFlags(0), window.get())
        .setSubtype(subtype));
  }
};

TEST_F(CursorTest, EachTypeShowsItsCursorAndTheArrowWhereAPrivateOneIsMissing)
{
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  struct Case
  {
    int type;
    const char* withPrivate;
    const char* without;
  };
  const Case cases[] = {
    {0, "arrowCursor", "arrowCursor"},
    {1, "IBeamCursor", "IBeamCursor"},
    {2, "busyButClickableCursor", "arrowCursor"},
    {3, "crosshairCursor", "crosshairCursor"},
    {4, "_windowResizeNorthCursor", "resizeUpCursor"},
    {5, "_windowResizeNorthWestSouthEastCursor", "arrowCursor"},
    {6, "_windowResizeNorthEastSouthWestCursor", "arrowCursor"},
    {7, "_windowResizeEastWestCursor", "resizeLeftRightCursor"},
    {8, "_windowResizeNorthSouthCursor", "resizeUpDownCursor"},
    {10, "operationNotAllowedCursor", "operationNotAllowedCursor"},
    {11, "pointingHandCursor", "pointingHandCursor"},
    {12, "busyButClickableCursor", "arrowCursor"},
    {14, "arrowCursor", "arrowCursor"},
    {-1, "arrowCursor", "arrowCursor"},
  };
  for (bool available : {true, false})
  {
    platform::SetPrivateCursorsAvailable(available);
    for (const Case& c : cases)
    {
      g.SetCursorShape(c.type);
      EXPECT_EQ(Shown(), available ? c.withPrivate : c.without) << c.type << (available ? " with" : " without");
      EXPECT_EQ(g.GetCursorType(), c.type);
    }
  }
}

TEST_F(CursorTest, HelpModeEndsWithTheNextShapeButNotWithHelpAgain)
{
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  g.SetCursorShape(13);
  EXPECT_TRUE(NSCursor::helpCursorShown());
  g.SetCursorShape(13);
  EXPECT_TRUE(NSCursor::helpCursorShown());
  EXPECT_EQ(Shown(), "_helpCursor");
  g.SetCursorShape(0);
  EXPECT_FALSE(NSCursor::helpCursorShown());
  EXPECT_EQ(Shown(), "arrowCursor");

  platform::SetPrivateCursorsAvailable(false);  // no help cursor, no help mode to ask about
  g.SetCursorShape(13);
  EXPECT_EQ(Shown(), "arrowCursor");
}

TEST_F(CursorTest, TheMoveCursorIsBuiltOnceAndTheShapeIsKeptWithoutAView)
{
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  g.SetCursorShape(9);
  NSCursor* move = NSCursor::currentCursor();
  EXPECT_EQ(move->name(), "");
  EXPECT_EQ(move->hotSpot().x, 0);
  EXPECT_EQ(move->image()->size().width, 0);
  g.SetCursorShape(0);
  g.SetCursorShape(9);
  EXPECT_EQ(NSCursor::currentCursor(), move);

  IGraphicsMac closed(delegate, 100, 100, 60, 1.f);
  EXPECT_EQ(closed.SetCursorShape(3), 0);
  EXPECT_EQ(closed.SetCursorShape(11), 3);
  EXPECT_EQ(NSCursor::currentCursor(), move);  // nothing to show it in
}

TEST_F(CursorTest, ALockedDragReportsEachMoveFromTheLockPointAndPutsTheCursorBack)
{
  delegate.drawScale = 2.f;
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  Mouse(NSEventTypeLeftMouseDown, 100, 100);
  const CGPoint lockPoint = platform::PointerLocation();
  g.SetCursorHidden(true, true);
  g.SetCursorHidden(true, true);  // hiding twice changes nothing
  EXPECT_EQ(platform::CursorHideCount(), 1);
  EXPECT_TRUE(g.CursorIsLocked());

  const int moves = platform::CursorMoveCount();
  Drag(103, 98);
  Drag(101, 100);
  EXPECT_EQ(delegate.log, (Log{"down 100,100 L", "drag 103,98 L by 3,-2", "drag 101,100 L by 1,0"}));
  EXPECT_EQ(platform::CursorMoveCount(), moves + 2);
  EXPECT_EQ(platform::PointerLocation().x, lockPoint.x);
  EXPECT_EQ(platform::PointerLocation().y, lockPoint.y);
  EXPECT_TRUE(platform::MouseAndCursorAssociated());
  float x = 0, y = 0;
  g.CursorPosition(x, y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 100);

  // A pen is never held: its drags move on from where it is.
  Drag(110, 100, NSEventSubtypeTabletPoint);
  Drag(112, 101, NSEventSubtypeTabletPoint);
  EXPECT_EQ(delegate.log.back(), "drag 112,101 L by 2,1");
  EXPECT_EQ(platform::CursorMoveCount(), moves + 2);
  g.WarpCursor(10, 10);
  EXPECT_EQ(platform::CursorMoveCount(), moves + 2);

  g.SetCursorHidden(false, false);
  g.SetCursorHidden(false, false);  // showing a shown cursor changes nothing
  EXPECT_EQ(platform::CursorHideCount(), 0);
  EXPECT_FALSE(g.CursorIsLocked());
  Drag(120, 100);
  EXPECT_EQ(delegate.log.back(), "drag 120,100 L by 8,-1");
  EXPECT_EQ(platform::CursorMoveCount(), moves + 2);

  g.SetCursorHidden(true, true);
  delegate.CloseWindow();  // the editor closing mid-drag gives the cursor back
  EXPECT_EQ(platform::CursorHideCount(), 0);
}

TEST_F(CursorTest, WarpingMovesTheSystemCursorToTheGraphicsPointWhichBecomesTheLockPoint)
{
  delegate.drawScale = 2.f;
  Open();
  IGraphicsMac& g = *delegate.Graphics();
  Mouse(NSEventTypeMouseMoved, 10, 10);
  g.WarpCursor(50, 60);
  float x = 0, y = 0;
  g.CursorPosition(x, y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 60);
  EXPECT_TRUE(platform::MouseAndCursorAssociated());

  // A control that warps the hidden cursor holds it at the new point from then on.
  g.SetCursorHidden(true, true);
  g.WarpCursor(70, 80);
  Mouse(NSEventTypeLeftMouseDown, 150, 150);
  Drag(155, 150);
  EXPECT_EQ(delegate.log.back(), "drag 155,150 L by 85,70");
  g.CursorPosition(x, y);
  EXPECT_EQ(x, 70);
  EXPECT_EQ(y, 80);
}

}  // namespace
}  // namespace vtest
