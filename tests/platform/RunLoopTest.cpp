#include "platform/CoreFoundation/CFRunLoop.h"
#include "tests/platform/LiveObjects.h"

#include <string>
#include <vector>

namespace {

class RunLoopTest : public LiveObjects
{
protected:
  void TearDown() override
  {
    platform::RunMainLoop();  // nothing must be left that could fire into a later test
    LiveObjects::TearDown();
  }
};

struct Log
{
  std::vector<std::string> calls;
  int retains = 0;
  int releases = 0;
};

CFRunLoopTimerRef MakeTimer(Log& log, const char* name, CFTimeInterval interval, CFIndex order = 0)
{
  struct Entry
  {
    Log* log;
    const char* name;
  };
  CFRunLoopTimerContext context{0, new Entry{&log, name},
                                [](const void* info) {
                                  ++static_cast<const Entry*>(info)->log->retains;
                                  return info;
                                },
                                [](const void* info) {
                                  auto* entry = static_cast<const Entry*>(info);
                                  ++entry->log->releases;
                                  delete entry;
                                },
                                nullptr};
  auto callout = [](CFRunLoopTimerRef, void* info) {
    auto* entry = static_cast<Entry*>(info);
    entry->log->calls.push_back(entry->name);
  };
  CFRunLoopTimerRef timer = CFRunLoopTimerCreate(kCFAllocatorDefault, CFAbsoluteTimeGetCurrent(), interval, 0, order,
                                                 callout, &context);
  CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);
  return timer;
}

void Stop(CFRunLoopTimerRef timer)
{
  CFRunLoopTimerInvalidate(timer);
  CFRelease(timer);
}

TEST_F(RunLoopTest, RepeatingTimerFiresOncePerIntervalHoweverTheClockIsAdvanced)
{
  struct Case
  {
    CFTimeInterval step;
    int steps;
    size_t firings;
  };
  // The first firing is at creation time; after that one per 20 ms of virtual time.
  for (const Case& c : {Case{0.020, 50, 51}, Case{0.007, 20, 8}, Case{0.100, 3, 16}, Case{512.0 / 48000.0, 94, 51}})
  {
    Log log;
    CFRunLoopTimerRef timer = MakeTimer(log, "tick", 0.020);
    platform::RunMainLoop();
    for (int i = 0; i < c.steps; ++i)
    {
      platform::AdvanceClock(c.step);
      platform::RunMainLoop();
    }
    EXPECT_EQ(log.calls.size(), c.firings) << "step " << c.step;
    Stop(timer);
    EXPECT_EQ(log.retains, 1);
    EXPECT_EQ(log.releases, 1);
  }
}

TEST_F(RunLoopTest, DueTimersFireInTimeThenOrderThenInsertion)
{
  Log log;
  CFRunLoopTimerRef slow = MakeTimer(log, "slow", 0.030, 0);
  CFRunLoopTimerRef late = MakeTimer(log, "late", 0.020, 1);
  CFRunLoopTimerRef early = MakeTimer(log, "early", 0.020, 0);
  platform::AdvanceClock(0.040);
  EXPECT_EQ(platform::RunMainLoop(), 8);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"slow", "early", "late", "early", "late", "slow", "early", "late"}));
  for (CFRunLoopTimerRef timer : {slow, late, early})
    Stop(timer);
}

TEST_F(RunLoopTest, InvalidatedTimerNeverFiresAgainAndLetsGoOfItsInfo)
{
  Log log;
  CFRunLoopTimerRef timer = MakeTimer(log, "tick", 0.020);
  EXPECT_EQ(CFGetRetainCount(timer), 2);  // ours and the run loop's
  platform::RunMainLoop();
  CFRunLoopTimerInvalidate(timer);
  EXPECT_FALSE(CFRunLoopTimerIsValid(timer));
  EXPECT_FALSE(CFRunLoopContainsTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes));
  EXPECT_EQ(log.releases, 1);
  EXPECT_EQ(CFGetRetainCount(timer), 1);
  platform::AdvanceClock(0.1);
  EXPECT_EQ(platform::RunMainLoop(), 0);
  CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);  // an invalid timer is not taken
  EXPECT_EQ(platform::RunMainLoop(), 0);
  CFRelease(timer);
  EXPECT_EQ(log.calls.size(), 1u);
}

TEST_F(RunLoopTest, CalloutMayStopAndReleaseItsOwnTimer)
{
  // The idle timer's owner stops and releases the timer from inside a tick.
  struct Owner
  {
    CFRunLoopTimerRef timer = nullptr;
    int ticks = 0;
  } owner;
  CFRunLoopTimerContext context{0, &owner, nullptr, nullptr, nullptr};
  owner.timer = CFRunLoopTimerCreate(
    nullptr, CFAbsoluteTimeGetCurrent(), 0.020, 0, 0,
    [](CFRunLoopTimerRef, void* info) {
      auto* o = static_cast<Owner*>(info);
      if (++o->ticks == 2)
        Stop(o->timer);
    },
    &context);
  CFRunLoopAddTimer(CFRunLoopGetMain(), owner.timer, kCFRunLoopCommonModes);
  platform::AdvanceClock(0.2);
  EXPECT_EQ(platform::RunMainLoop(), 2);
  EXPECT_EQ(owner.ticks, 2);
}

TEST_F(RunLoopTest, OneShotTimerFiresOnceThenIsInvalid)
{
  Log log;
  CFRunLoopTimerRef timer = MakeTimer(log, "once", 0.0);
  platform::AdvanceClock(1.0);
  EXPECT_EQ(platform::RunMainLoop(), 1);
  EXPECT_FALSE(CFRunLoopTimerIsValid(timer));
  EXPECT_EQ(log.releases, 1);
  CFRelease(timer);
}

TEST_F(RunLoopTest, ClockOnlyMovesForward)
{
  const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
  platform::AdvanceClock(-5.0);
  EXPECT_EQ(CFAbsoluteTimeGetCurrent(), start);
  platform::AdvanceClock(0.25);
  EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent(), start + 0.25);
}

}  // namespace
