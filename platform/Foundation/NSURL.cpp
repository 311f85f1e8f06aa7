#include "platform/Foundation/NSURL.h"

#include <cctype>
#include <cstring>

namespace {

bool IsHex(char c)
{
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsURLText(const std::string& text)
{
  static constexpr const char* kAllowed = "-._~:/?#[]@!$&'()*+,;=";
  for (size_t i = 0; i < text.size(); ++i)
  {
    const char c = text[i];
    if (c == '%')
    {
      if (i + 2 >= text.size() || !IsHex(text[i + 1]) || !IsHex(text[i + 2]))
        return false;
      i += 2;
    }
    else if (!std::isalnum(static_cast<unsigned char>(c)) && (c == '\0' || !std::strchr(kAllowed, c)))
    {
      return false;
    }
  }
  return true;
}

}  // namespace

std::shared_ptr<NSURL> NSURL::URLWithString(const std::string& text)
{
  if (!IsURLText(text))
    return nullptr;
  return std::shared_ptr<NSURL>(new NSURL(text, false));
}

std::shared_ptr<NSURL> NSURL::fileURLWithPath(const std::string& path)
{
  if (path.empty())
    return nullptr;
  return std::shared_ptr<NSURL>(new NSURL(path, true));
}
