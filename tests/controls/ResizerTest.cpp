#include <functional>

#include "ControlsFixture.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IGraphicsConstants.h"

using namespace vtest;

namespace {
struct ResizerEditor : ControlEditor
{
  ResizerEditor()
  {
    g->EnableMouseOver(true);
    g->AddCornerResizerFor(IGraphics::kResizeSize, false, kColorRed, kColorGreen, kColorBlue, 20.f);
    resizer = g->GetCornerResizer();
  }
  ICornerResizerControl* resizer;
};
}  // namespace

TEST(ICornerResizerControlTest, OnlyTheFirstResizerIsKept)
{
  ResizerEditor e;
  // Attaching rescales it: the square of 20 in the corner.
  EXPECT_EQ(e.resizer->GetRECT(), IRECT(380, 280, 400, 300));
  e.g->AddCornerResizer(new ICornerResizerControl(e.g->GetBounds(), 40.f, kColorRed, kColorRed, kColorRed),
                        IGraphics::kResizeScale);
  EXPECT_EQ(e.g->GetCornerResizer(), e.resizer);
  EXPECT_EQ(e.g->GetResizerMode(), IGraphics::kResizeSize);
}

TEST(ICornerResizerControlTest, DoubleClickRestoresTheInitialSizeAtScaleOne)
{
  ResizerEditor e;
  e.g->Resize(600, 500, 2.f);
  ASSERT_EQ(e.g->Width(), 600);
  e.g->OnMouseDblClick(e.g->Width() - 5.f, e.g->Height() - 5.f, IMouseMod(true));
  EXPECT_EQ(e.g->Width(), 400);
  EXPECT_EQ(e.g->Height(), 300);
  EXPECT_EQ(e.g->GetDrawScale(), 1.f);
}

TEST(ICornerResizerControlTest, CursorIsRestoredExactlyOnLeaving)
{
  ResizerEditor e;
  e.g->SetCursorShape(11);
  e.g->OnMouseOver(390, 290, IMouseMod());
  EXPECT_EQ(e.g->GetCursorType(), ICornerResizerControl::kCursorSizeNWSE);
  e.g->OnMouseOver(392, 292, IMouseMod());  // still over: the kept cursor stays the hand
  e.g->OnMouseOver(100, 100, IMouseMod());
  EXPECT_EQ(e.g->GetCursorType(), 11);
}

TEST(ICornerResizerControlTest, HandleColourFollowsHoverAndDrag)
{
  ResizerEditor e;
  auto drawnColor = [&] {
    e.g->Clear();
    e.resizer->Draw(*e.g);
    return e.g->paints.at(0).color;
  };
  EXPECT_EQ(drawnColor(), kColorRed);
  e.g->OnMouseOver(390, 290, IMouseMod());
  EXPECT_EQ(drawnColor(), kColorGreen);
  EXPECT_EQ(e.g->log,
            (std::vector<std::string>{"clear", "move 380 300", "line 400 280", "line 400 300", "close", "fill"}));
  e.g->OnMouseDown(Mouse(390, 290));
  e.g->OnMouseDrag(Mouse(500, 450, IMouseMod(true), 110, 160));
  EXPECT_EQ(e.g->Width(), 500);
  EXPECT_EQ(e.g->Height(), 450);
  e.g->OnMouseOver(100, 100, IMouseMod());
  EXPECT_EQ(drawnColor(), kColorBlue) << "the drag colour even with the pointer away";
}

TEST(ICornerResizerControlTest, WithoutGraphicsLentToItEveryHandlerDoesNothing)
{
  // A graphics object without a drawing context lends its controls none.
  struct Case
  {
    const char* what;
    std::function<void(IGraphics&)> act;
  };
  const Case cases[] = {
    {"rescale", [](IGraphics& g) { g.GetCornerResizer()->OnRescale(); }},
    {"press and drag",
     [](IGraphics& g) {
       g.OnMouseDown(Mouse(390, 290));
       g.OnMouseDrag(Mouse(500, 450, IMouseMod(true), 110, 160));
       g.OnMouseUp(Mouse(500, 450));
     }},
    {"double click", [](IGraphics& g) { g.OnMouseDblClick(390, 290, IMouseMod(true)); }},
    {"over and out",
     [](IGraphics& g) {
       g.OnMouseOver(390, 290, IMouseMod());
       g.OnMouseOver(100, 100, IMouseMod());
     }},
  };
  for (const Case& k : cases)
  {
    ControlEditor e;
    e.g->EnableMouseOver(true);
    e.dlg.SetGraphicsAvailable(false);
    e.g->AddCornerResizerFor(IGraphics::kResizeSize, false, kColorRed, kColorGreen, kColorBlue,
                             20.f);  // attaching rescales it
    e.g->Resize(500, 400, 1.f);      // and so does every resize
    k.act(*e.g);
    EXPECT_EQ(e.g->GetCornerResizer()->GetRECT(), IRECT(380, 280, 400, 300).GetPadded(-1.f))
      << k.what << ": the handle keeps the bounds it was made with";
    EXPECT_EQ(e.g->Width(), 500) << k.what;
    EXPECT_EQ(e.g->GetDrawScale(), 1.f) << k.what;
    EXPECT_FALSE(e.g->GetResizingInProcess()) << k.what;
  }
}
