#include "framework/IPlugQueue.h"
#include "framework/IPlugStructs.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Queue, HoldsItsCapacityAndRefusesMore)
{
  IPlugQueue<iplug::ParamTuple> queue(512);
  for (int i = 0; i < 512; ++i)
    ASSERT_TRUE(queue.Push({i, i * 0.5}));
  EXPECT_FALSE(queue.Push({512, 0.0}));
  EXPECT_EQ(queue.ElementsAvailable(), 512);

  iplug::ParamTuple tuple;
  ASSERT_TRUE(queue.Pop(tuple));
  EXPECT_EQ(tuple.idx, 0);
  EXPECT_TRUE(queue.Push({513, 0.0}));  // one pop frees one slot, across the wrap
  EXPECT_EQ(queue.ElementsAvailable(), 512);

  for (int expected = 1; expected <= 511; ++expected)
  {
    ASSERT_TRUE(queue.Pop(tuple));
    ASSERT_EQ(tuple.idx, expected);
  }
  ASSERT_TRUE(queue.Pop(tuple));
  EXPECT_EQ(tuple.idx, 513);
  EXPECT_FALSE(queue.Pop(tuple));
  EXPECT_EQ(queue.ElementsAvailable(), 0);
}

TEST(Queue, TwoThreadsKeepOrderAndLoseNothing)
{
  constexpr int kCount = 200000;
  IPlugQueue<iplug::ParamTuple> queue(32);
  std::thread producer([&] {
    for (int i = 0; i < kCount; ++i)
    {
      while (!queue.Push({i, static_cast<double>(i)}))
        std::this_thread::yield();
    }
  });
  int expected = 0;
  bool ordered = true;
  while (expected < kCount)
  {
    iplug::ParamTuple tuple;
    if (!queue.Pop(tuple))
    {
      std::this_thread::yield();
      continue;
    }
    ordered = ordered && tuple.idx == expected && tuple.value == expected;
    ++expected;
  }
  producer.join();
  EXPECT_TRUE(ordered);
  EXPECT_EQ(queue.ElementsAvailable(), 0);
}

}  // namespace
