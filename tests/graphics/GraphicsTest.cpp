#include <gtest/gtest.h>

#include "GraphicsFixture.h"
#include "graphics/IBitmap.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"

using namespace vtest;

TEST(IGraphicsTest, FrameRateOfZeroOrLessIsSixty)
{
  TestDelegate dlg;
  for (int fps : {0, -5})
  {
    RecordingGraphics g(dlg, 100, 100, fps);
    EXPECT_EQ(g.FPS(), 60);
  }
  RecordingGraphics g(dlg, 120, 80, 30, 1.5f);
  EXPECT_EQ(g.FPS(), 30);
  EXPECT_EQ(dlg.GetEditorWidth(), 120);
  EXPECT_EQ(dlg.GetEditorHeight(), 80);
  EXPECT_FLOAT_EQ(dlg.GetEditorScale(), 1.5f);
}

TEST(IGraphicsTest, DestroyedWithTheCursorHidden)
{
  TestDelegate dlg;
  auto g = std::make_unique<RecordingGraphics>(dlg, 100, 100);
  g->SetCursorHidden(true, false);
  ASSERT_TRUE(g->CursorIsHidden());
  g.reset();  // without a call into the part of the object that is already gone
}

TEST(IGraphicsTest, AttachRunsInitResizeRescaleThenAttachedAndHandsOverPointers)
{
  Editor e;
  LogControl* c = e.Add("a", IRECT(0, 0, 10, 10), -1, 7);
  EXPECT_EQ(e.log, (std::vector<std::string>{"a init", "a resize", "a rescale", "a attached"}));
  EXPECT_EQ(c->GetUI(), e.g);
  EXPECT_EQ(c->GetDelegate(), &e.dlg);
  EXPECT_EQ(e.g->FindControlByTag(7), c);
  EXPECT_EQ(e.g->GetControl(0), c);
  EXPECT_EQ(e.g->GetControl(1), nullptr);
  EXPECT_THROW(e.g->FindControlByTag(8), std::out_of_range);
}

TEST(IGraphicsTest, DuplicateTagLeavesTheControlWithTheCaller)
{
  Editor e;
  e.Add("first", IRECT(0, 0, 10, 10), -1, 3);
  e.log.clear();
  std::vector<std::string> otherLog;
  auto second = std::make_unique<LogControl>(otherLog, "second", IRECT(0, 0, 10, 10));
  EXPECT_EQ(e.g->AddControl(second.get(), 3), nullptr);
  EXPECT_TRUE(otherLog.empty());  // no OnInit
  EXPECT_EQ(e.g->NControls(), 1);
  // Tag -1 never touches the map: two untagged controls coexist.
  e.Add("u1", IRECT());
  e.Add("u2", IRECT());
  EXPECT_EQ(e.g->NControls(), 3);
}

TEST(IGraphicsTest, ResizeClampsScaleToHalfAndDoubleTheBuildScale)
{
  Editor e;
  e.g->Resize(400, 300, 5.f);
  EXPECT_FLOAT_EQ(e.g->GetDrawScale(), 2.f);
  e.g->Resize(400, 300, 0.1f);
  EXPECT_FLOAT_EQ(e.g->GetDrawScale(), 0.5f);
}

TEST(IGraphicsTest, ResizeClampsToTheDelegateLimitsAndAsksForTheWindow)
{
  Editor e;
  e.dlg.SetSizeConstraints(200, 500, 100, 400);
  e.g->backingScale = 2.f;
  e.Add("a", IRECT(0, 0, 10, 10));
  e.log.clear();
  e.dlg.log.clear();
  e.g->SetLayoutOnResize(true);
  e.g->Resize(900, 50, 1.5f);
  EXPECT_EQ(e.g->Width(), 500);
  EXPECT_EQ(e.g->Height(), 100);
  // 500 x 1.5 = 750 points, twice that in pixels.
  EXPECT_EQ(e.dlg.log, (std::vector<std::string>{"window 1500x300"}));
  // 3 pixels a point instead of 2: the controls take the bitmaps for the new scale.
  EXPECT_EQ(e.log, (std::vector<std::string>{"a rescale", "a resize"}));
  EXPECT_TRUE(e.g->GetControl(0)->IsDirty());
  EXPECT_EQ(e.dlg.layouts, 1);
}

TEST(IGraphicsTest, BitmapScaleIsThePixelsAPointTakesRoundedUp)
{
  struct Case
  {
    float screen, draw;
    int bitmap;
  };
  for (const Case& c : {Case{1, 1, 1}, Case{1, 0.5f, 1}, Case{1, 1.5f, 2}, Case{1, 2.000001f, 2}, Case{2, 1, 2},
                        Case{2, 1.5f, 3}, Case{1.5f, 1, 2}})
  {
    Editor e;
    e.g->SetBackingScale(c.screen);
    e.g->Resize(400, 300, c.draw);
    EXPECT_EQ(e.g->BitmapScale(), c.bitmap) << c.screen << " x " << c.draw;
  }
}

TEST(IGraphicsTest, UnchangedResizeDoesNothing)
{
  Editor e;
  e.Add("a", IRECT(0, 0, 10, 10));
  e.g->OnMouseDown(Mouse(5, 5));
  e.g->SetLayoutOnResize(true);
  e.log.clear();
  e.dlg.log.clear();
  e.g->log.clear();
  e.g->Resize(400, 300, 1.f);
  EXPECT_TRUE(e.log.empty());
  EXPECT_TRUE(e.dlg.log.empty());
  EXPECT_TRUE(e.g->log.empty());
  EXPECT_TRUE(e.g->ControlIsCaptured());
  EXPECT_EQ(e.dlg.layouts, 0);
}

TEST(IGraphicsTest, DeleteAllControlsGoesFromLastToFirstAndClearsEveryOwner)
{
  Editor e;
  e.Add("a", IRECT(0, 0, 10, 10), -1, 1);
  e.Add("b", IRECT(0, 0, 10, 10));
  e.Add("c", IRECT(20, 20, 30, 30));
  e.g->EnableMouseOver(true);
  e.g->OnMouseOver(25, 25, IMouseMod());
  e.g->OnMouseDown(Mouse(5, 5));
  e.log.clear();
  e.g->DeleteAllControls();
  EXPECT_EQ(e.log, (std::vector<std::string>{"c deleted", "b deleted", "a deleted"}));
  EXPECT_EQ(e.g->GetMouseOver(), nullptr);
  EXPECT_EQ(e.g->GetMouseOverIdx(), -1);
  EXPECT_FALSE(e.g->ControlIsCaptured());
  EXPECT_EQ(e.g->NControls(), 0);
  EXPECT_THROW(e.g->FindControlByTag(1), std::out_of_range);
}

TEST(IGraphicsTest, RemovingByTagClearsCaptureAndMouseOverLikeRemovingByPointer)
{
  Editor e;
  e.Add("bg", IRECT(0, 0, 400, 300));
  e.Add("a", IRECT(0, 0, 10, 10), 0, 5);
  e.g->EnableMouseOver(true);
  e.g->OnMouseOver(5, 5, IMouseMod());
  e.g->OnMouseDown(Mouse(5, 5));
  ASSERT_EQ(e.g->GetMouseOverIdx(), 1);
  e.g->RemoveControlWithTag(5);
  EXPECT_EQ(e.g->GetMouseOver(), nullptr);
  EXPECT_EQ(e.g->GetMouseOverIdx(), -1);
  EXPECT_FALSE(e.g->ControlIsCaptured());
  EXPECT_EQ(e.g->NControls(), 1);
  // The gesture the press began is ended for the host.
  EXPECT_EQ(e.dlg.log, (std::vector<std::string>{"begin 0", "end 0"}));
  // A later mouse up must not reach the deleted control.
  e.g->OnMouseUp(Mouse(5, 5));
  EXPECT_THROW(e.g->RemoveControlWithTag(5), std::out_of_range);
}

TEST(IGraphicsTest, BitmapCacheLivesWhileAnyGraphicsObjectDoes)
{
  TestDelegate dlg;
  auto count = [] { return StaticStorage<APIBitmap>::Accessor(BitmapStorage()).Count(); };
  const int before = count();
  auto first = std::make_unique<RecordingGraphics>(dlg, 10, 10);
  auto second = std::make_unique<RecordingGraphics>(dlg, 10, 10);
  EXPECT_EQ(count(), before + 2);
  {
    StaticStorage<APIBitmap>::Accessor bitmaps(BitmapStorage());
    bitmaps.Add(new APIBitmap(nullptr, 4, 4, 1.f, 1.f), "knob.png", 1.0);
  }
  first.reset();
  EXPECT_EQ(count(), before + 1);
  EXPECT_NE(StaticStorage<APIBitmap>::Accessor(BitmapStorage()).Find("knob.png", 1.0), nullptr);
  second.reset();
  EXPECT_EQ(count(), before);
  if (before == 0)
  {
    EXPECT_EQ(StaticStorage<APIBitmap>::Accessor(BitmapStorage()).NEntries(), 0);
  }
}

TEST(IGraphicsTest, CornerResizerIsKeptOnceAndFrameTimeDisplayIsSpecial)
{
  Editor e;
  e.g->AddCornerResizerFor(1, true, IColor(), IColor(), IColor(), 20.f);
  ICornerResizerControl* first = e.g->GetCornerResizer();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetRECT(), IRECT(380, 280, 400, 300));
  e.g->AddCornerResizerFor(0, false, IColor(), IColor(), IColor(), 10.f);
  EXPECT_EQ(e.g->GetCornerResizer(), first);
  EXPECT_EQ(e.g->GetResizerMode(), 1);
  e.g->ShowFrameTimeDisplay(true);
  ASSERT_NE(e.g->GetFPSDisplay(), nullptr);
  EXPECT_EQ(e.g->GetFPSDisplay()->GetRECT(), IRECT(10, 10, 210, 60));
  EXPECT_EQ(e.g->NControls(), 0);
  int visited = 0;
  e.g->VisitAllControls([&](IControl*) { ++visited; });
  EXPECT_EQ(visited, 2);
  EXPECT_THROW(e.g->VisitAllControls(nullptr), std::bad_function_call);
  e.g->ShowFrameTimeDisplay(false);
  EXPECT_EQ(e.g->GetFPSDisplay(), nullptr);
}

TEST(IGraphicsTest, GroupAndParameterVisitsAndTooltips)
{
  Editor e;
  e.Add("a", IRECT(), 2);
  auto* b = new LogControl(e.log, "b", IRECT(), 2);
  e.g->AddControl(b, -1, "meters");
  e.Add("c", IRECT(), 3);
  std::vector<IControl*> seen;
  e.g->VisitGroupControls("meters", [&](IControl* c) { seen.push_back(c); });
  EXPECT_EQ(seen, std::vector<IControl*>{b});
  int linked = 0;
  e.g->VisitParamControls(2, [&](IControl*) { ++linked; });
  EXPECT_EQ(linked, 2);
  e.g->HideParamControls(2, true);
  EXPECT_TRUE(b->IsHidden());
  EXPECT_FALSE(e.g->GetControl(2)->IsHidden());
  EXPECT_EQ(e.g->ParamIdxOfControlAt(2), 3);
  EXPECT_EQ(e.g->ParamIdxOfControlAt(9), -1);
  // A control built with an empty parameter list has no slot to read.
  struct Slotless : IControl
  {
    Slotless() : IControl(IRECT(0, 0, 5, 5), std::initializer_list<int>{}) {}
    void Draw(IGraphics&) override {}
  };
  IControl* slotless = e.g->AddControl(new Slotless);
  EXPECT_EQ(slotless->GetParam(0), nullptr);
  EXPECT_EQ(e.g->ParamIdxOfControlAt(3), -1);
  e.dlg.GetParam(2)->DefineDouble("Level", 0.0, 0.0, 1.0, 0.0);
  e.dlg.GetParam(3)->DefineDouble("Range", 0.0, 0.0, 1.0, 0.0);
  e.g->GetControl(2)->SetTooltip("mine");
  e.g->AssignParamNameToolTipsAuto();
  EXPECT_STREQ(b->GetTooltip(), "Level");
  EXPECT_STREQ(e.g->GetControl(2)->GetTooltip(), "mine");
  e.g->AssignParamNameToolTips();
  EXPECT_STREQ(e.g->GetControl(2)->GetTooltip(), "Range");
  e.g->log.clear();
  e.g->EnableTooltips(true);
  e.g->EnableTooltips(true);
  EXPECT_EQ(e.g->log, (std::vector<std::string>{"tooltips"}));
}
