#pragma once
// Text of a number that does not depend on the process locale: the same characters as printf's
// "%.*f" (or "%+.*f" with explicitPlus) gives in the "C" locale.

namespace iplug {

class FixedText
{
public:
  FixedText(double value, int precision, bool explicitPlus = false);
  const char* Get() const { return mText; }

private:
  char mText[512];
};

}  // namespace iplug
