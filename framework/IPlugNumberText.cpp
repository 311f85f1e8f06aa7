#include "framework/IPlugNumberText.h"

#include <algorithm>
#include <charconv>

namespace iplug {

FixedText::FixedText(double value, int precision, bool explicitPlus)
{
  char* start = mText;
  if (explicitPlus && value > 0.0)
    *start++ = '+';
  const auto result = std::to_chars(start, mText + sizeof(mText) - 1, value, std::chars_format::fixed,
                                    std::clamp(precision, 0, 100));
  *(result.ec == std::errc() ? result.ptr : mText) = 0;
}

}  // namespace iplug
