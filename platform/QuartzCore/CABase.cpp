#include "platform/QuartzCore/CABase.h"

CFTimeInterval CACurrentMediaTime(void)
{
  return CFAbsoluteTimeGetCurrent();
}
