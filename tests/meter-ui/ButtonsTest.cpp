// The product's buttons, click areas, file selector, colour swatch, corner resizer and static
// bitmap: what they tell the plug-in and what they draw.

#include "framework/IPlugParameter.h"
#include "meter-ui/IBBitmapControlZv.h"
#include "meter-ui/IBCornerResizerControlZv.h"
#include "meter-ui/IVParameterControlHiddenZv.h"
#include "meter-ui/IVButtonControlZv.h"
#include "meter-ui/IVClickButtonControlZv.h"
#include "meter-ui/IVClickControlHiddenZv.h"
#include "meter-ui/IVToggleControlZv.h"
#include "meter-ui/IVColorPickerZv.h"
#include "meter-ui/IVFileSelectorControlHiddenZv.h"
#include "meter-ui/IVPanelControlZv.h"
#include "meter-ui/IVTextControlZv.h"
#include "tests/meter-ui/MeterUiFixture.h"

namespace vtest {
namespace {

enum { kSwitch, kColor };

struct Buttons : ::testing::Test
{
  Buttons()
  {
    editor.dlg.GetParam(kSwitch)->DefineBool("Switch", false);
    editor.dlg.GetParam(kColor)->DefineInt("Color", 0, 0, 0xFFFFFF);
  }
  IParam* Param(int idx) { return editor.dlg.GetParam(idx); }

  MeterEditor editor;
  const IRECT bounds{10, 10, 60, 30};
};

TEST_F(Buttons, UnlinkedButtonFiresItsActionOncePerPressAndHoldsTheValue)
{
  for (int id : {224, -1})
  {
    editor.dlg.actions.clear();
    auto* button = editor.Add(new IVButtonControlZv(bounds, id, kDefaultStyleZv, 0, 0, true, false, nullptr, nullptr));
    editor.g->OnMouseDown(Mouse(30, 20));
    EXPECT_EQ(button->GetValue(), 1.0);
    EXPECT_TRUE(button->mPressed);
    editor.g->OnMouseUp(Mouse(30, 20));
    EXPECT_EQ(button->GetValue(), 0.0);
    if (id == -1)
    {
      EXPECT_TRUE(editor.dlg.actions.empty());
    }
    else
    {
      ASSERT_EQ(editor.dlg.actions.size(), 1u);
      EXPECT_EQ(editor.dlg.actions[0].id, 224);
      EXPECT_EQ(editor.dlg.actions[0].source, kEditor);
      EXPECT_EQ(editor.dlg.actions[0].offset, -1);
      editor.g->OnMouseDblClick(30, 20, IMouseMod(true));  // the second press of a double click
      EXPECT_EQ(editor.dlg.actions.size(), 2u);
    }
    editor.g->OnMouseUp(Mouse(30, 20));
    editor.g->RemoveControl(button);
  }
}

TEST_F(Buttons, LinkedButtonTogglesItsParameter)
{
  editor.Add(new IVButtonControlZv(bounds, kSwitch, kDefaultStyleZv, 1, 0, true, false, nullptr, nullptr));
  Click(*editor.g, 30, 20);
  EXPECT_EQ(Param(kSwitch)->Value(), 1.0);
  Click(*editor.g, 30, 20);
  EXPECT_EQ(Param(kSwitch)->Value(), 0.0);
  EXPECT_TRUE(editor.dlg.actions.empty());
}

TEST_F(Buttons, LabelsAndTheirStyles)
{
  IVStyleZv style;
  style.valueText.mFGColor = IColor(255, 0, 200, 0);
  auto* button = editor.Add(new IVButtonControlZv(bounds, 5, style, 0, 0, true, true, "Run", "Stop"));
  button->SetDisabled(true);
  editor.DrawOnly(*button);
  ASSERT_EQ(editor.g->texts.size(), 1u);
  EXPECT_EQ(editor.g->texts[0].str, "Run");
  EXPECT_EQ(editor.g->texts[0].color.A, 127);
  button->SetValue(1.0);
  editor.DrawOnly(*button);
  EXPECT_EQ(editor.g->texts[0].str, "Stop");
  EXPECT_EQ(editor.g->texts[0].color.A, 255);
  EXPECT_EQ(editor.g->texts[0].color.G, 200);

  button->mVisible = false;
  editor.DrawOnly(*button);
  EXPECT_TRUE(editor.g->log.empty());
}

TEST_F(Buttons, ClickButtonFiresOnEveryClickIncludingDoubleClicks)
{
  auto* button = editor.Add(new IVClickButtonControlZv(bounds, 230, kDefaultStyleZv, "Reset"));
  editor.g->OnMouseDown(Mouse(30, 20));
  EXPECT_EQ(button->GetValue(), 1.0);
  editor.g->OnMouseUp(Mouse(30, 20));
  EXPECT_EQ(button->GetValue(), 0.0);
  editor.g->OnMouseDblClick(30, 20, IMouseMod(true));
  EXPECT_EQ(editor.dlg.Ids(), (std::vector<int>{230, 230}));
  editor.DrawOnly(*button);
  EXPECT_EQ(editor.g->Strings(), std::vector<std::string>{"Reset"});
}

TEST_F(Buttons, ToggleShowsXOnlyWhenOnAndNothingWithoutBackground)
{
  auto* toggle = editor.Add(new IVToggleControlZv(bounds, kSwitch, kDefaultStyleZv));
  Click(*editor.g, 30, 20);
  EXPECT_EQ(Param(kSwitch)->Value(), 1.0);
  editor.DrawOnly(*toggle);
  EXPECT_EQ(editor.g->Strings(), std::vector<std::string>{"X"});
  toggle->mDrawBackground = false;
  editor.DrawOnly(*toggle);
  EXPECT_TRUE(editor.g->log.empty());
}

TEST_F(Buttons, HiddenClickAreaAndPanelSwitch)
{
  editor.Add(new IVPanelControlSwitchZv(bounds, IColor(255, 1, 1, 1), IColor(255, 2, 2, 2), true, IColor(255, 3, 3, 3),
                                        IColor(255, 4, 4, 4), 3.f));
  Click(*editor.g, 30, 20);  // the panel ignores the mouse
  auto* area = editor.Add(new IVClickControlHiddenZv(bounds, 212));
  Click(*editor.g, 30, 20);
  EXPECT_EQ(editor.dlg.Ids(), std::vector<int>{212});
  editor.DrawOnly(*area);
  EXPECT_TRUE(editor.g->log.empty());
}

TEST_F(Buttons, PanelsDrawPlainOrRoundedBoxes)
{
  struct Case
  {
    float roundness;
    bool frame;
    std::vector<std::string> ops;
  } cases[] = {
    {0.f, false, {"clear", "move 10 10", "line 60 10", "line 60 30", "line 10 30", "close", "fill"}},
    {8.f, true, {}},
  };
  for (const Case& c : cases)
  {
    IVPanelControlZv panel(bounds, IColor(255, 0, 0, 0), c.frame, IColor(255, 9, 9, 9), c.roundness, 2.f);
    editor.DrawOnly(panel);
    if (!c.ops.empty())
    {
      EXPECT_EQ(editor.g->log, c.ops);
      continue;
    }
    const std::vector<std::string>& log = editor.g->log;
    auto isArc = [](const std::string& op) { return op.rfind("arc", 0) == 0; };
    EXPECT_EQ(std::count_if(log.begin(), log.end(), isArc), 8);  // four corners, fill and outline
    EXPECT_EQ(log.back(), "stroke 2");
  }
}

TEST_F(Buttons, TextControlIgnoresAnUnchangedText)
{
  auto* text = editor.Add(new IVTextControlZv(bounds, "-23.0"));
  text->SetClean();
  text->SetStr("-23.0");
  EXPECT_FALSE(text->IsDirty());
  text->SetStr("-22.9");
  EXPECT_TRUE(text->IsDirty());
  EXPECT_STREQ(text->GetStr(), "-22.9");
}

TEST_F(Buttons, FileSelectorRunsTheDialogBetweenItsActions)
{
  auto* selector = editor.Add(new IVFileSelectorControlHiddenZv(bounds, 207, 0, "/start/", "mcls", 206));
  std::vector<std::string> seen;  // the file name each action finds
  editor.dlg.onAction = [&](int) { seen.push_back(selector->mFileName.Get()); };

  selector->mFileName.Set("/old/choice.mcls");
  editor.g->fileAnswers = {""};  // cancelled
  Click(*editor.g, 30, 20);
  EXPECT_EQ(editor.dlg.Ids(), (std::vector<int>{206, 207}));
  EXPECT_EQ(seen, (std::vector<std::string>{"", ""}));  // emptied before the pre-action
  EXPECT_STREQ(selector->mFolder.Get(), "/start/");

  editor.g->fileAnswers = {"/home/u/colours/set.mcls", "/home/u/other.mcls"};
  Click(*editor.g, 30, 20);
  EXPECT_EQ(seen.back(), "/home/u/colours/set.mcls");
  Click(*editor.g, 30, 20);
  EXPECT_EQ(editor.g->dialogFolders, (std::vector<std::string>{"/start/", "/start/", "/home/u/colours/"}));
  EXPECT_STREQ(selector->mFolder.Get(), "/home/u/");
}

TEST_F(Buttons, FileSelectorWithAnUnknownActionDoesNothing)
{
  editor.Add(new IVFileSelectorControlHiddenZv(bounds, 207, 2, nullptr, nullptr, 206));
  Click(*editor.g, 30, 20);
  EXPECT_TRUE(editor.dlg.actions.empty());
  EXPECT_TRUE(editor.g->dialogFolders.empty());
}

struct Swatch : Buttons
{
  IVColorPickerZv* swatch = editor.Add(new IVColorPickerZv(bounds, kColor, kDefaultStyleZv, "Color"));
};

TEST_F(Swatch, TypedHexColours)
{
  struct Case
  {
    const char* text;
    double packed;
  } cases[] = {{"#A1b2C3", 0xA1B2C3}, {"A1B2C3", 0}, {"#0a0b0c", 0x0A0B0C}};
  for (const Case& c : cases)
  {
    Param(kColor)->Set(0x123456);
    editor.dlg.actions.clear();
    swatch->TextEntryDone(c.text, -1);
    EXPECT_EQ(Param(kColor)->Value(), c.packed) << c.text;
    EXPECT_EQ(Param(kColor)->PreviousValue(), 0x123456) << c.text;
    EXPECT_EQ(editor.dlg.Ids(), std::vector<int>{kColor});
  }
}

TEST_F(Swatch, OptionClickOffersLowerCaseHexWithLeadingZeros)
{
  Param(kColor)->Set(0x0A0B0C);
  Click(*editor.g, 30, 20, IMouseMod(true, false, false, false, true));
  EXPECT_EQ(editor.g->nativeTextEntryStr, "#0a0b0c");
  editor.g->ApplyTextEntryResult("#FFFFFF");
  EXPECT_EQ(Param(kColor)->Value(), 0xFFFFFF);
}

TEST_F(Swatch, ShiftClickComplements)
{
  Param(kColor)->Set(0xFFFFFF);
  const IMouseMod shift(true, false, true);
  Click(*editor.g, 30, 20, shift);
  EXPECT_EQ(Param(kColor)->Value(), 0);
  Click(*editor.g, 30, 20, shift);
  EXPECT_EQ(Param(kColor)->Value(), 0xFFFFFF);
  EXPECT_EQ(editor.dlg.Ids(), (std::vector<int>{kColor, kColor}));
}

TEST_F(Swatch, PickedColourTakesEffectAtOnce)
{
  Param(kColor)->Set(0x102030);
  Click(*editor.g, 30, 20);
  EXPECT_EQ(editor.g->colorShown.R, 0x10);
  EXPECT_EQ(editor.g->colorShown.B, 0x30);
  editor.dlg.actions.clear();
  swatch->SetClean();
  editor.g->colorCompletion(IColor(7, 0xAB, 0xCD, 0xEF));
  EXPECT_EQ(Param(kColor)->Value(), 0xABCDEF);
  EXPECT_EQ(editor.dlg.Ids(), std::vector<int>{kColor});  // the plug-in applies it now
  EXPECT_TRUE(swatch->IsDirty());

  // A pick after the swatch has gone stores nothing and touches nothing.
  auto completion = editor.g->colorCompletion;
  editor.g->RemoveControl(swatch);
  completion(IColor(255, 1, 2, 3));
  EXPECT_EQ(Param(kColor)->Value(), 0xABCDEF);
}

TEST_F(Swatch, DrawsTheColourWithAReadableCaption)
{
  // The complement where it stands out; black or white on greys and muted colours near the
  // middle, whose complement is nearly the swatch's own colour.
  struct Case
  {
    int fill;
    int caption;
  } cases[] = {
    {0x10F080, 0xEF0F7F}, {0xFFFFFF, 0x000000}, {0x000000, 0xFFFFFF}, {0xFF382D, 0x00C7D2},
    {0x808689, 0x000000}, {0x919898, 0x000000}, {0x5F85A7, 0xFFFFFF}, {0x7F7F7F, 0xFFFFFF},
  };
  for (const Case& c : cases)
  {
    Param(kColor)->Set(c.fill);
    editor.g->texts.clear();
    editor.DrawOnly(*swatch);
    ASSERT_EQ(editor.g->texts.size(), 1u);
    EXPECT_EQ(editor.g->texts[0].str, "Color");
    const IColor t = editor.g->texts[0].color;
    EXPECT_EQ((t.R << 16) | (t.G << 8) | t.B, c.caption) << std::hex << c.fill;
  }
}

struct Resizer : ::testing::Test
{
  // A 10-pixel handle of two stacked frames.
  IBCornerResizerControlZv* Make(int sizeCommit, int sizeReset, int scaleCommit, int scaleReset)
  {
    auto* resizer = new IBCornerResizerControlZv(IBitmap(&handle, 2, false, "resizer"), IRECT(0, 0, 400, 300),
                                                 sizeCommit, sizeReset, scaleCommit, scaleReset, 0.f, 0.f);
    editor.g->AddControl(resizer);
    editor.dlg.actions.clear();
    return resizer;
  }

  RecordingGraphics::Bitmap handle{10, 20, 1.f, 1.f};
  MeterEditor editor;
};

TEST_F(Resizer, SizeAndScaleIds)
{
  IBCornerResizerControlZv* resizer = Make(200, 201, 202, 203);
  EXPECT_EQ(resizer->mMode, IBCornerResizerControlZv::kSizeAndScale);
  ExpectRect(resizer->GetRECT(), IRECT(390, 290, 400, 300));

  const IMouseMod ctrl(true, false, false, true);
  resizer->OnMouseDown(390, 290, IMouseMod(true));
  EXPECT_EQ(editor.g->GetResizerMode(), IGraphics::kResizeSize);
  EXPECT_TRUE(editor.g->GetResizingInProcess());
  resizer->OnRescale();
  resizer->OnMouseDown(390, 290, ctrl);
  EXPECT_EQ(editor.g->GetResizerMode(), IGraphics::kResizeScale);
  resizer->OnRescale();
  resizer->OnMouseDblClick(390, 290, IMouseMod(true));
  resizer->OnMouseDblClick(390, 290, ctrl);
  EXPECT_EQ(editor.dlg.Ids(), (std::vector<int>{200, 202, 201, 203}));
}

TEST_F(Resizer, ReportsOnlyADragOfItsHandle)
{
  auto* resizer = new IBCornerResizerControlZv(IBitmap(&handle, 2, false, "resizer"), IRECT(0, 0, 400, 300), 200, 201,
                                               202, 203, 0.f, 0.f);
  editor.g->AddControl(resizer);
  editor.g->Resize(500, 400, 1.f);
  EXPECT_TRUE(editor.dlg.actions.empty());
  resizer->OnMouseDown(490, 390, IMouseMod(true));
  resizer->OnRescale();
  EXPECT_EQ(editor.dlg.Ids(), std::vector<int>{200});
}

TEST_F(Resizer, ModeFollowsTheIdsGiven)
{
  struct Case
  {
    int ids[4];
    int mode;
    int dragMode;     // resize mode after a plain mouse down
    int doubleClick;  // action fired by a plain double click
  } cases[] = {
    {{-1, -1, 202, 203}, IBCornerResizerControlZv::kScaleOnly, IGraphics::kResizeScale, 203},
    {{200, 201, -1, -1}, IBCornerResizerControlZv::kSizeOnly, IGraphics::kResizeSize, 201},
    {{200, -1, 202, 203}, IBCornerResizerControlZv::kNone, IGraphics::kResizeSize, -1},
  };
  for (const Case& c : cases)
  {
    editor.g->DeleteAllControls();
    IBCornerResizerControlZv* resizer = Make(c.ids[0], c.ids[1], c.ids[2], c.ids[3]);
    EXPECT_EQ(resizer->mMode, c.mode);
    editor.dlg.actions.clear();
    editor.g->SetResizerMode(IGraphics::kResizeSize);
    resizer->OnMouseDown(390, 290, IMouseMod(true, false, false, true));
    EXPECT_EQ(editor.g->GetResizerMode(), c.dragMode);
    resizer->OnMouseDblClick(390, 290, IMouseMod(true));
    resizer->OnRescale();
    if (c.doubleClick < 0)
      EXPECT_TRUE(editor.dlg.actions.empty());
    else
      EXPECT_EQ(editor.dlg.Ids().front(), c.doubleClick);
  }
}

TEST_F(Resizer, DrawsTheSecondFrameWhileHoveredOrDragged)
{
  IBCornerResizerControlZv* resizer = Make(200, 201, 202, 203);
  editor.DrawOnly(*resizer);
  EXPECT_EQ(editor.g->log.back(), "bitmap resizer 390 290 400 300 src 0 0");
  editor.g->SetResizingInProcess(true);
  editor.DrawOnly(*resizer);
  EXPECT_EQ(editor.g->log.back(), "bitmap resizer 390 290 400 300 src 0 10");
}

TEST(StaticBitmap, ValueChoosesTheFrame)
{
  RecordingGraphics::Bitmap strip(10, 40, 1.f, 1.f);  // four stacked frames of 10 x 10
  MeterEditor editor;
  auto* bitmap = editor.Add(new IBBitmapControlZv(5, 5, IBitmap(&strip, 4, false, "leds")));
  ExpectRect(bitmap->GetRECT(), IRECT(5, 5, 15, 15));
  bitmap->SetValue(1.0);
  editor.DrawOnly(*bitmap);
  EXPECT_EQ(editor.g->log.back(), "bitmap leds 5 5 15 15 src 0 30");
  bitmap->SetValue(0.0);
  editor.DrawOnly(*bitmap);
  EXPECT_EQ(editor.g->log.back(), "bitmap leds 5 5 15 15 src 0 0");
  Click(*editor.g, 10, 10);
  EXPECT_TRUE(editor.dlg.log.empty());
  editor.g->RemoveControl(bitmap);
}

TEST(HiddenParameter, NeverDrawsAndIsNeverHit)
{
  MeterEditor editor;
  auto* hidden = editor.Add(new IVParameterControlHiddenZv(0));
  EXPECT_EQ(hidden->GetParamIdx(), 0);
  EXPECT_EQ(editor.g->GetMouseControl(0, 0, false), nullptr);
  editor.DrawOnly(*hidden);
  EXPECT_TRUE(editor.g->log.empty());
}

}  // namespace
}  // namespace vtest
