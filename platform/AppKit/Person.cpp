#include "platform/AppKit/Person.h"

#include "platform/Foundation/NSTimer.h"

namespace platform {
namespace {

Person* gPerson = nullptr;  // the main thread's alone

}  // namespace

Person* SetPerson(Person* person)
{
  Person* replaced = gPerson;
  gPerson = person;
  return replaced;
}

Person& CurrentPerson()
{
  static Person nobody;
  return gPerson ? *gPerson : nobody;
}

void AnswerLater(std::function<void()> answer)
{
  NSRunLoop::currentRunLoop().addTimer(NSTimer::timerWithTimeInterval(
                                         0, [answer = std::move(answer)](NSTimer&) { answer(); }, false),
                                       kCFRunLoopCommonModes);
}

}  // namespace platform
