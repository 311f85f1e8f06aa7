#include "framework/ByteChunk.h"
#include "framework/WDLHeapBuf.h"
#include "framework/WDLMutex.h"
#include "framework/WDLPtrList.h"
#include "framework/WDLString.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

namespace {

// A size whose allocation (the size plus half of it again) is beyond what a buffer can hold, so
// the growth fails deterministically without asking the allocator.
constexpr int kUnallocatable = 1500000000;

TEST(HeapBuf, AllocationFollowsGranularityRule)
{
  struct Case
  {
    int granul;
    int from;
    int to;
    bool shrink;
    int alloc;
  };
  const Case cases[] = {
    {128, 0, 10, true, 138},       {4096, 0, 10, true, 4000},     // blocks end 96 bytes short of a page
    {4096, 10, 4000, true, 4000},                                 // still fits: no new block
    {4096, 10, 5000, true, 8096},  {4096, 3000, 10, true, 4000},  // threshold max(1, min(4000 - 4 * 4096, 2000)) = 1
    {128, 1000, 100, true, 228},                                  // below half of 1500 allocated: shrinks to 100 + 128
    {128, 1000, 100, false, 1500}, {4096, 10, 0, true, 0},       {4096, 10, 0, false, 4000},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.granul << ": " << c.from << " -> " << c.to);
    WDL_HeapBuf buf(c.granul);
    buf.Resize(c.from);
    void* block = buf.Resize(c.to, c.shrink);
    EXPECT_EQ(buf.GetAllocated(), c.alloc);
    EXPECT_EQ(buf.GetSize(), c.to);
    EXPECT_EQ(block == nullptr, c.to == 0);
  }
}

TEST(HeapBuf, SameSizeKeepsBlockAndContentsSurviveGrowth)
{
  WDL_HeapBuf buf(128);
  char* block = static_cast<char*>(buf.Resize(10));
  std::memcpy(block, "0123456789", 10);
  EXPECT_EQ(buf.Resize(10, true), block);

  char* grown = static_cast<char*>(buf.Resize(100000));
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(std::string(grown, 10), "0123456789");
}

TEST(HeapBuf, FailedGrowthKeepsBlockAndSize)
{
  WDL_HeapBuf buf(128);
  char* block = static_cast<char*>(buf.Resize(4));
  std::memcpy(block, "abcd", 4);
  EXPECT_EQ(buf.Resize(kUnallocatable), block);
  EXPECT_EQ(buf.GetSize(), 4);
  EXPECT_EQ(std::string(static_cast<char*>(buf.Get()), 4), "abcd");

  WDL_TypedBuf<double> typed;
  EXPECT_EQ(typed.Resize(INT_MAX / 4), nullptr);  // byte count beyond 32 bits
  EXPECT_EQ(typed.GetSize(), 0);
}

TEST(HeapBuf, CopiesAreIndependent)
{
  WDL_TypedBuf<int> a;
  a.Add(1);
  a.Add(2);
  WDL_TypedBuf<int> b = a;
  b.Get()[0] = 7;
  EXPECT_EQ(a.Get()[0], 1);
  EXPECT_EQ(b.GetSize(), 2);
}

int gDestroyOrder[3];
int gDestroyed = 0;
WDL_PtrList<int>* gListUnderDestruction = nullptr;
int gSizeSeen[3];

void RecordDestroy(int* item)
{
  gSizeSeen[gDestroyed] = gListUnderDestruction->GetSize();
  gDestroyOrder[gDestroyed++] = *item;
  delete item;
}

TEST(PtrList, GetAddDelete)
{
  WDL_PtrList<int> list;
  EXPECT_EQ(list.Get(0), nullptr);
  int a = 1, b = 2, c = 3;
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Get(3), nullptr);
  list.Delete(0);
  ASSERT_EQ(list.GetSize(), 2);
  EXPECT_EQ(list.Get(0), &b);
  EXPECT_EQ(list.Get(1), &c);
  list.Delete(5);  // outside: nothing happens
  EXPECT_EQ(list.GetSize(), 2);
}

TEST(PtrList, EmptyDestroysFromLastToFirstAndShortensAtOnce)
{
  WDL_PtrList<int> list;
  list.Add(new int(1));
  list.Add(nullptr);
  list.Add(new int(2));
  list.Add(new int(3));
  gListUnderDestruction = &list;
  gDestroyed = 0;
  list.Empty(true, RecordDestroy);
  EXPECT_EQ(list.GetSize(), 0);
  ASSERT_EQ(gDestroyed, 3);
  EXPECT_EQ(gDestroyOrder[0], 3);
  EXPECT_EQ(gDestroyOrder[1], 2);
  EXPECT_EQ(gDestroyOrder[2], 1);
  EXPECT_EQ(gSizeSeen[0], 3);
  EXPECT_EQ(gSizeSeen[2], 0);

  list.Add(new int(4));
  list.Delete(0, true);  // plain delete
  EXPECT_EQ(list.GetSize(), 0);
}

TEST(String, UnsetReadsEmpty)
{
  WDL_String s;
  ASSERT_NE(s.Get(), nullptr);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
}

TEST(String, SetAppendInsertWithLimits)
{
  WDL_String s;
  s.Set("hello world", 5);
  EXPECT_STREQ(s.Get(), "hello");
  s.Append(", there", 3);
  EXPECT_STREQ(s.Get(), "hello, t");
  s.Insert("[x]", 0);
  EXPECT_STREQ(s.Get(), "[x]hello, t");
  s.Insert("!", 100);  // past the end: at the end
  EXPECT_STREQ(s.Get(), "[x]hello, t!");
  s.Set("long text that shrinks");
  s.Set("ab");
  EXPECT_STREQ(s.Get(), "ab");
  EXPECT_EQ(s.GetLength(), 2);
  s.Set("");
  EXPECT_STREQ(s.Get(), "");
}

TEST(String, SetAtOffsetPastEndIsClampedToTheEnd)
{
  WDL_String s("abc");
  s.SetAt(10, "xy", 2, 0);
  EXPECT_STREQ(s.Get(), "abcxy");
  EXPECT_EQ(s.GetLength(), 5);
  s.SetAt(1, "Z", 1, 99);  // the kept tail cannot exceed what follows the offset
  EXPECT_STREQ(s.Get(), "aZbcxy");
  s.SetAt(-1, "Q", 1, 0);
  EXPECT_STREQ(s.Get(), "aZbcxy");
}

TEST(String, WritesFromItsOwnText)
{
  WDL_String s("0123456789");
  s.Set(s.Get() + 4);
  EXPECT_STREQ(s.Get(), "456789");

  const std::string base(137, 'a');  // the self-append outgrows the block
  s.Set((base + "b").c_str());
  s.Append(s.Get());
  EXPECT_EQ(std::string(s.Get()), base + "b" + base + "b");

  s.Set("abcdef");
  s.Insert(s.Get() + 2, 3);  // source lies in the tail that moves
  EXPECT_STREQ(s.Get(), "abccdefdef");
  s.Insert(s.Get(), 1, 2);
  EXPECT_STREQ(s.Get(), "aabbccdefdef");
}

TEST(String, Formatted)
{
  WDL_String s;
  s.SetFormatted(32, "%s", std::string(40, 'x').c_str());
  EXPECT_EQ(std::string(s.Get()), std::string(32, 'x'));

  s.SetFormatted(100, "v%d", 3);  // reserves 101 bytes; the append must follow the text
  s.AppendFormatted(32, ".%d.%d", 1, 3);
  EXPECT_STREQ(s.Get(), "v3.1.3");
  s.AppendFormatted(2, "%s", "abcdef");
  EXPECT_STREQ(s.Get(), "v3.1.3ab");

  s.SetFormatted(INT_MAX - 1, "%s", "lost");  // cannot allocate: the old text stays
  EXPECT_STREQ(s.Get(), "v3.1.3ab");
}

TEST(ByteChunk, PutGetRoundTripAndShortReads)
{
  ByteChunk chunk;
  const int32_t i = -7;
  const double d = 2.5;
  chunk.Put(&i);
  chunk.Put(&d);
  ASSERT_EQ(chunk.Size(), 12);

  int32_t i2 = 0;
  double d2 = 0.0;
  EXPECT_EQ(chunk.Get(&i2, 0), 4);
  EXPECT_EQ(chunk.Get(&d2, 4), 12);
  EXPECT_EQ(i2, -7);
  EXPECT_EQ(d2, 2.5);

  d2 = 9.0;
  EXPECT_EQ(chunk.Get(&d2, 5), -1);
  EXPECT_EQ(chunk.Get(&d2, -1), -1);
  EXPECT_EQ(chunk.Get(&d2, INT_MAX - 2), -1);
  EXPECT_EQ(d2, 9.0);

  ByteChunk copy;
  copy.PutChunk(chunk);
  EXPECT_EQ(copy.Size(), 12);
  EXPECT_EQ(std::memcmp(copy.GetData(), chunk.GetData(), 12), 0);
}

TEST(ByteChunk, Strings)
{
  auto chunkOf = [](int32_t length, const std::string& bytes) {
    ByteChunk c;
    c.Put(&length);
    c.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    return c;
  };
  struct Case
  {
    const char* what;
    ByteChunk chunk;
    int pos;
    const char* text;
  };
  const Case cases[] = {
    {"whole", chunkOf(3, "abc"), 7, "abc"},
    {"stops at zero", chunkOf(4, std::string("ab\0d", 4)), 8, "ab"},
    {"empty", chunkOf(0, ""), 4, ""},
    {"negative length", chunkOf(-5, "xyz"), -1, "old"},  // would step backwards
    {"bytes past end", chunkOf(10, "abc"), -1, "old"},
    {"length past end",
     [] {
       ByteChunk c;
       c.PutBytes("ab", 2);
       return c;
     }(),
     -1, "old"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    WDL_String text("old");
    EXPECT_EQ(c.chunk.GetStr(text, 0), c.pos);
    EXPECT_STREQ(text.Get(), c.text);
  }

  ByteChunk written;
  written.PutStr("name");
  WDL_String text;
  EXPECT_EQ(written.GetStr(text, 0), 8);
  EXPECT_STREQ(text.Get(), "name");
}

TEST(Mutex, RecursiveAndExclusive)
{
  WDL_Mutex mutex;
  int counter = 0;
  {
    WDL_MutexLock outer(mutex);
    WDL_MutexLock inner(mutex);  // the holder may take it again
    ++counter;
  }
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int k = 0; k < 1000; ++k)
      {
        WDL_MutexLock lock(mutex);
        ++counter;
      }
    });
  for (auto& thread : threads)
    thread.join();
  EXPECT_EQ(counter, 4001);
}

}  // namespace
