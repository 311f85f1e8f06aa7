#include "meter-engine/MeasurementRecords.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ChannelWeights, LabelRules)
{
  struct Case
  {
    const char* label;
    double weight;
  };
  const Case cases[] = {
    {"LFE", 0.25}, {" ", 1.0},  {"L", 1.0},  {"R", 1.0},  {"C", 1.0},  {"L1", 1.0}, {"L5", 1.0},
    {"R3", 1.0},   {"Lt", 1.0}, {"Rt", 1.0}, {"1", 1.0},  {"10", 1.0}, {"Ls", 2.0}, {"Rs", 2.0},
    {"S", 2.0},    {"Cs", 2.0}, {"Sl", 2.0}, {"Sr", 2.0}, {"Lc", 2.0}, {"Rc", 2.0}, {"Lr", 2.0},
    {"Rr", 2.0},   {"Lb", 2.0}, {"Rb", 2.0}, {"Lh", 2.0}, {"Rh", 2.0}, {"Ch", 2.0}, {"L6", 2.0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChannelWeightForLabel(c.label, 0.25, 2.0), c.weight) << c.label;
}

TEST(ChannelWeights, BroadcastTableFor51Itu)
{
  ChannelWeightTable broadcast;
  FillChannelWeightTable(broadcast, 0.0, 1.189207);
  ASSERT_STREQ(ChannelLayoutTable[15].name, "5.1 ITU");
  const double expected[10] = {1.0, 1.0, 1.0, 0.0, 1.189207, 1.189207, 1.0, 1.0, 1.0, 1.0};
  for (int ch = 0; ch < 10; ++ch)
    EXPECT_EQ(broadcast[15][ch], expected[ch]) << ch;
  for (const auto& layout : ChannelLayoutTable)
    for (const char* label : layout.labels)
      ASSERT_NE(label, nullptr) << layout.name;
}

TEST(ChannelConfig, CountsMatchTheEnabledChannels)
{
  for (const auto& row : ChannelConfigTable)
  {
    uint32_t enabled = 0;
    for (uint8_t e : row.enabled)
      enabled += e;
    EXPECT_EQ(enabled, row.count) << row.name;
  }
  EXPECT_EQ(ChannelConfigTable[2].enabled[0], 0);
  EXPECT_EQ(ChannelConfigTable[2].enabled[1], 1);
}

TEST(FrameCounter, PeriodsAndWrap)
{
  FrameCounter meter, history;
  meter.Prepare(50, 48000.0);
  history.Prepare(100, 44100.0);
  EXPECT_EQ(meter.period, 2400);
  EXPECT_EQ(history.period, 4410);
  EXPECT_FALSE(meter.Advance(2000));
  EXPECT_TRUE(meter.Advance(2000));
  EXPECT_EQ(meter.count, 1600);
}

TEST(LoudnessHistory, AppendCopiesAndClearWaitsWhileInUse)
{
  LoudnessHistory history;
  LoudnessHistoryPoint point;
  std::memset(&point, 0xA5, sizeof point);
  point.ilShown = -23.0;
  ASSERT_TRUE(history.AppendCopy(point));
  ASSERT_TRUE(history.AppendCopy(point));
  EXPECT_EQ(std::memcmp(&history.At(1), &point, sizeof point), 0);

  history.inUse = 1;
  history.Clear();
  EXPECT_EQ(history.Size(), 2u);
  EXPECT_EQ(history.clearPending, 1);
  history.inUse = 0;
  history.Clear();
  EXPECT_EQ(history.Size(), 0u);
  EXPECT_EQ(history.clearPending, 0);
  EXPECT_EQ(history.capacity, 864000u);
}

}  // namespace
