#include "tests/layout/EditorFixture.h"

#include "meter-ui/IBSwitchControlZv.h"

#include <algorithm>
#include <vector>

using namespace layout_test;

namespace {

std::vector<IRECT> Rects(const MeterEditor& plug)
{
  std::vector<IRECT> rects;
  for (int i = 0; i < plug.ui->NControls(); ++i)
    rects.push_back(plug.At(i)->GetRECT());
  return rects;
}

}  // namespace

TEST(Reposition, BaseSizeLeavesEveryControlWhereItWasBuilt)
{
  MeterEditor plug;
  plug.Open();
  const std::vector<IRECT> built = Rects(plug);
  plug.Settings().guiWidth = 1000;
  plug.Settings().guiHeight = 600;
  plug.RepositionControls();
  plug.Settings().guiWidth = 832;
  plug.Settings().guiHeight = 446;
  plug.RepositionControls();
  const std::vector<IRECT> back = Rects(plug);
  ASSERT_EQ(back.size(), built.size());
  for (size_t i = 0; i < built.size(); ++i)
    EXPECT_TRUE(back[i] == built[i]) << i;
}

TEST(Reposition, LargerEditorStretchesTheBandsMovesTheBottomRowAndGrowsTheViews)
{
  MeterEditor plug;
  plug.Open(1000, 600);
  // The five bands follow the holders.
  ExpectRect(plug.At(62)->GetRECT(), 0, 0, 1000, 48);
  ExpectRect(plug.At(63)->GetRECT(), 0, 48, 1000, 49);
  ExpectRect(plug.At(64)->GetRECT(), 0, 49, 1000, 581);
  ExpectRect(plug.At(65)->GetRECT(), 0, 581, 1000, 582);
  ExpectRect(plug.At(66)->GetRECT(), 0, 582, 1000, 600);

  // The bottom row and its overlay moved down by 154; the top bar stayed.
  EXPECT_NE(plug.StartingAt(8, 551), nullptr);    // "Match IL"
  EXPECT_NE(plug.StartingAt(224, 549), nullptr);  // the limiter ceiling box
  EXPECT_NE(plug.StartingAt(0, 522), nullptr);    // the bottom overlay
  EXPECT_NE(plug.StartingAt(189, 8), nullptr);    // "Play"
  EXPECT_EQ(plug.StartingAt(8, 397), nullptr);

  const EditorControlPositions& at = plug.ControlPositions();
  ExpectRect(plug.At(at.graph)->GetRECT(), 332, 84, 960, 572);
  ExpectRect(plug.At(at.graphBackground)->GetRECT(), 324, 80, 960, 578);
  ExpectRect(plug.At(at.meterPanel[kMeterBackground])->GetRECT(), 324, 54, 800, 578);
  ExpectRect(plug.At(at.meterPanel[kSlBar])->GetRECT(), 376, 64, 408, 572);
  ExpectRect(plug.At(at.meterPanel[kFirstChannelBar + 9])->GetRECT(), 760, 64, 780, 572);

  // The graph's toggles and run/stop button follow the width, the buttons above the plot stay.
  const std::vector<int>& graph = plug.LayoutRecords().graphGroup;
  ExpectRect(plug.At(graph[10])->GetRECT(), 964, 80, 996, 100);
  ExpectRect(plug.At(graph[22])->GetRECT(), 964, 554, 996, 574);
  ExpectRect(plug.At(graph[5])->GetRECT(), 452, 56, 492, 76);
  EXPECT_STREQ(plug.At(graph[19])->GetTooltip(), "Show loudness target");
  // The read-out area does not move.
  ExpectRect(plug.At(plug.Row(kReadoutPeak).boxPanel)->GetRECT(), 154, 268, 288, 360);
}

TEST(Groups, PanelsAreConsecutiveAndShownOrHiddenAsOne)
{
  MeterEditor plug;
  IGraphics& ui = plug.Open();
  const EditorLayoutRecords& records = plug.LayoutRecords();
  const EditorControlPositions& at = plug.ControlPositions();
  ASSERT_EQ(records.meterGroup.size(), 16u);
  ASSERT_EQ(records.graphGroup.size(), 24u);
  for (size_t i = 0; i < 16; ++i)
  {
    EXPECT_EQ(records.meterGroup[i], at.meterPanel[i]);
    EXPECT_EQ(records.meterGroup[i], records.meterGroup[0] + static_cast<int>(i));
  }
  for (size_t i = 0; i < 24; ++i)
    EXPECT_EQ(records.graphGroup[i], records.meterGroup[15] + 1 + static_cast<int>(i));
  EXPECT_EQ(at.graphBackground, records.graphGroup.front());
  EXPECT_EQ(at.graph, records.graphGroup.back());
  EXPECT_EQ(records.graphGroup.back() + 1, records.setupBackground);  // the setup pages follow

  auto hidden = [&] {
    std::vector<int> indices;
    for (int i = 0; i < ui.NControls(); ++i)
      if (ui.GetControl(i)->IsHidden())
        indices.push_back(i);
    return indices;
  };
  plug.ShowControlGroup(ControlGroup::kMeterPanel, false);
  plug.ShowControlGroup(ControlGroup::kGraphPanel, false);
  const std::vector<int> others = hidden();  // read-out lines the display settings hide
  std::vector<int> expected = others;
  expected.insert(expected.end(), records.graphGroup.begin(), records.graphGroup.end());
  std::sort(expected.begin(), expected.end());
  plug.ShowControlGroup(ControlGroup::kGraphPanel, true);
  EXPECT_EQ(hidden(), expected);
  plug.ShowControlGroup(ControlGroup::kGraphPanel, false);
  EXPECT_EQ(hidden(), others);
}
