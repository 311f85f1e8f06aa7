#pragma once

// A control whose animation clock the test sets, so that fades and blinks run in test time.

#include "graphics/IControl.h"

namespace vtest {

template <class Control>
class Clocked : public Control
{
public:
  using Control::Control;
  double now = 0.0;

protected:
  double AnimationClockMs() const override { return now; }
};

}  // namespace vtest
