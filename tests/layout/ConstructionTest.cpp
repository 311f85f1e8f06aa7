#include "tests/layout/EditorFixture.h"

#include "meter-plugin/EditorCallbacks.h"
#include "meter-ui/IBBitmapControlZv.h"
#include "meter-ui/IBCornerResizerControlZv.h"
#include "platform-mac/IGraphicsMac.h"

#include <memory>

using namespace layout_test;

TEST(Construction, CompactEditorShowsTheLeftPartWhateverTheStoredWidth)
{
  MeterEditor plug;
  plug.Settings().layout = 0;
  plug.Settings().guiWidth = 1000;
  plug.Settings().guiHeight = 500;
  plug.Settings().guiScale = 1.5;
  const std::unique_ptr<IGraphics> made(MakeEditorGraphics(plug));
  EXPECT_EQ(made->Width(), 304);
  EXPECT_EQ(made->Height(), 500);
  EXPECT_FLOAT_EQ(made->GetDrawScale(), 1.5f);
  EXPECT_EQ(made->FPS(), 60);
  EXPECT_STREQ(made->BundleIdentifier(), plug.GetBundleID());

  plug.Settings().guiScale = 1.0;
  IGraphics& ui = plug.Open(1000, 500);
  EXPECT_EQ(ui.Width(), 304);
  // The resizer handle sits in the corner of the compact editor.
  const float s = 16.f;
  ExpectRect(ui.GetCornerResizer()->GetRECT(), 304 - s, 500 - s, 304, 500);
}

TEST(Construction, BuildsOnceInItsOrderAndThenOnlyRepositions)
{
  MeterEditor plug;
  IGraphics& ui = plug.Open();
  ASSERT_TRUE(plug.LayoutBuilt());
  EXPECT_TRUE(plug.EditorReady());
  EXPECT_NE(ui.GetTextEntryControl(), nullptr);
  EXPECT_NE(ui.GetPopupMenuControl(), nullptr);
  EXPECT_NE(ui.GetCornerResizer(), nullptr);

  // The parameter holders come first, the text entry, menu and resizer being outside the list.
  const int firstHolders[] = {kGuiScale, kGuiWidth, kGuiHeight, kToggleTooltips, kOnlineUpdateCheck, kOutIL};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(plug.At(i)->GetParamIdx(), firstHolders[i]) << i;
  EXPECT_EQ(plug.At(61)->GetParamIdx(), kColor_BG_ILc + 23);
  ExpectRect(plug.At(0)->GetRECT(), 0, 0, 0, 0);

  // The three controls other code finds by tag.
  EXPECT_EQ(ui.FindControlByTag(3)->GetTooltip(), std::string("Preset menu"));

  const int count = ui.NControls();
  const size_t anchors = plug.LayoutRecords().anchors.size();
  plug.Settings().guiWidth = 1000;
  plug.LayoutUI(&ui);
  EXPECT_EQ(ui.NControls(), count);
  EXPECT_EQ(plug.LayoutRecords().anchors.size(), anchors);
  ExpectRect(plug.At(62)->GetRECT(), 0, 0, 1000, 48);  // the top band followed the stored width
}

TEST(Construction, ScaleLimitsFollowTheScaleParameterNotTheStoredScale)
{
  MeterEditor plug;
  plug.Settings().guiScale = 2.0;
  IGraphics& ui = plug.Open();
  EXPECT_FLOAT_EQ(ui.GetDrawScale(), 2.f);
  EXPECT_FLOAT_EQ(ui.GetMinScale(), 0.5f);
  EXPECT_FLOAT_EQ(ui.GetMaxScale(), 3.f);
}

TEST(Construction, NoDrawingContextNoEditor)
{
  MeterEditor plug;
  ASSERT_TRUE(plug.HasUI());
  vtest::HeadlessGraphics ui(plug, 832, 446);  // its view was never made
  LayoutEditor(plug, ui);
  EXPECT_EQ(ui.NControls(), 0);
  EXPECT_FALSE(plug.HasUI());
  EXPECT_FALSE(plug.LayoutBuilt());
}

TEST(Construction, ReopeningKeepsOneRecordPerControl)
{
  MeterEditor plug;
  plug.Open();
  const size_t anchors = plug.LayoutRecords().anchors.size();
  const size_t meters = plug.LayoutRecords().meterGroup.size();
  plug.CloseWindow();
  EXPECT_FALSE(plug.EditorReady());
  plug.Open(1000, 600);
  EXPECT_EQ(plug.LayoutRecords().anchors.size(), anchors);
  EXPECT_EQ(plug.LayoutRecords().meterGroup.size(), meters);
  // 5 bands, the 25 records of the top bar and bottom row, 21 from the graph panel.
  EXPECT_EQ(anchors, 5u + 25u + 21u);
}

TEST(Construction, OpeningReportsNoSizeOrScaleChange)
{
  MeterEditor plug;
  plug.Settings().guiScale = 1.1;
  plug.GetParam(kGuiScale)->Set(1.1);
  plug.Open();
  // A scale report would store the float draw scale, 1.100000023841858.
  EXPECT_EQ(plug.GetParam(kGuiScale)->Value(), 1.1);
  EXPECT_EQ(plug.Settings().guiScale, 1.1);
}

TEST(Construction, EveryBitmapIsFoundWithItsFrames)
{
  MeterEditor plug;
  plug.Open();
  // The update icon and the read-out lamps: one frame in size.
  ExpectRect(plug.At(plug.ControlPositions().updateIcon)->GetRECT(), 141, 13, 153, 36);
  ExpectRect(plug.At(plug.Row(kReadoutIL).led)->GetRECT(), 30, 92, 40, 102);
  const char* names[] = {"ovl_top.png",
                         "ovl_matchlimiter.png",
                         "button_previous.png",
                         "button_next.png",
                         "pluginmenu.png",
                         "iconupdateavailable.png",
                         "full_compact_state.png",
                         "play.png",
                         "reset.png",
                         "trans_sync.png",
                         "write.png",
                         "meter_graph.png",
                         "settings.png",
                         "save_rec.png",
                         "save_log.png",
                         "button_setil.png",
                         "button_setsl.png",
                         "button_setml.png",
                         "button_lim.png",
                         "readoutLED.png",
                         "scroll.png",
                         "button_resize.png"};
  for (const char* name : names)
    EXPECT_TRUE(plug.ui->LoadBitmap(name, 2).IsValid()) << name;

  // A bitmap that cannot be found gives an empty control, not a division by zero.
  const IBitmap missing = plug.ui->LoadBitmap("no-such-picture.png", 0);
  EXPECT_FALSE(missing.IsValid());
  IBBitmapControlZv lamp(30, 92, missing);
  ExpectRect(lamp.GetRECT(), 30, 92, 30, 92);
}

TEST(Construction, AnEditorWithoutItsPicturesStillBuildsAndDraws)
{
  // A graphics object that looks for its resources in a bundle nobody installed.
  class Unbundled : public vtest::HeadlessGraphics
  {
  public:
    using HeadlessGraphics::HeadlessGraphics;
    const char* BundleIdentifier() const override { return "com.example.nowhere"; }
  };
  MeterEditor plug;
  plug.mMakeGraphicsFunc = [&plug] {
    plug.ui = new Unbundled(plug, 832, 446);
    return plug.ui;
  };
  vtest::HeadlessGraphics& ui = plug.Open();
  ASSERT_TRUE(plug.LayoutBuilt());
  EXPECT_FALSE(ui.LoadBitmap("play.png", 2).IsValid());
  ExpectRect(plug.At(plug.Row(kReadoutSL).led)->GetRECT(), 30, 194, 30, 194);
  ui.DrawFullFrame();
  EXPECT_EQ(ui.Pixel(600, 20)[0], 38);  // the top band is drawn all the same
}
