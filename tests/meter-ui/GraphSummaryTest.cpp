// The summary's blocks, which let the overview take a run of points in one pixel column whole.
#include "tests/meter-ui/GraphFixture.h"

#include <gtest/gtest.h>

using namespace vtest;

namespace {

GraphHistorySummary Summarised(LoudnessHistory& history)
{
  GraphHistorySummary s;
  s.Update(history, history.Size());
  return s;
}

}  // namespace

TEST(GraphSummaryBlocks, KeepTheFirstExtremesAndTheTravelAsPointsArrive)
{
  LoudnessHistory history;
  // Two points share the lowest and two the highest SL: the first of each is kept.
  FillGraphHistory(history, 100, Clock(12, 0, 0), [](int i, int32_t t) {
    LoudnessHistoryPoint p = GraphPoint(t, i == 10 || i == 20 ? -40.0 : i == 30 || i == 40 ? -5.0 : -23.0);
    p.mlLevel = i == 70 ? -50.0 : -23.0;
    p.plr = i == 50 ? 15.0 : 10.0;
    p.marked = i == 90;
    return p;
  });
  GraphHistorySummary s;
  s.Update(history, history.Size());
  const GraphBlockSummary& first = s.Blocks()[0];
  EXPECT_EQ(first.travel, 63);
  EXPECT_EQ(first.lowestSl, -4000);
  EXPECT_EQ(first.lowestSlAt, 10);
  EXPECT_EQ(first.highestSl, -500);
  EXPECT_EQ(first.highestSlAt, 30);
  EXPECT_EQ(first.plr, 1500);
  EXPECT_EQ(first.flags, 0);
  const GraphBlockSummary& second = s.Blocks()[1];
  EXPECT_EQ(second.travel, 35);  // 36 points so far
  EXPECT_EQ(second.lowestMlAt, 70 - 64);
  EXPECT_EQ(second.flags, GraphPointSummary::kMarked);
  EXPECT_EQ(second.tenths, Clock(12, 0, 6, 4));
  EXPECT_EQ(second.firstTenths[0], 90 - 64);  // the mark's time after the block's first point

  // The block that was filling up is summarised again with its new points.
  FillGraphHistory(history, 40, Clock(12, 0, 10));
  s.Update(history, history.Size());
  EXPECT_EQ(s.Blocks()[1].travel, 63);
  EXPECT_EQ(s.Blocks()[1].lowestMlAt, 70 - 64);
  EXPECT_EQ(s.Blocks()[2].travel, 11);
}

TEST(GraphSummaryBlocks, ARunWhoseClockStepsBackCrossesMidnightOrLeapsIsNotTakenWhole)
{
  struct Case
  {
    const char* name;
    int32_t start;
    int jumpAt;  // the clock jumps by `jump` at this point; -1: never
    int32_t jump, travel;
  };
  const Case cases[] = {
    {"ordered", Clock(12, 0, 0), -1, 0, 63},
    {"clock steps back", Clock(12, 0, 0), 30, -600, -1},
    {"midnight", Clock(23, 59, 59, 5), -1, 0, -1},
    {"two hours forward", Clock(8, 0, 0), 30, Clock(2, 0, 0), -1},  // beyond what the offsets hold
  };
  for (const Case& c : cases)
  {
    LoudnessHistory history;
    FillGraphHistory(history, 64, c.start,
                     [&](int i, int32_t t) { return GraphPoint(c.jumpAt >= 0 && i >= c.jumpAt ? t + c.jump : t); });
    EXPECT_EQ(Summarised(history).Blocks()[0].travel, c.travel) << c.name;
  }
}
