#pragma once
// Text between the adapter and the object layer, always UTF-8.

#include "platform/CoreFoundation/CFString.h"

#include <string>

namespace iplug {

// A new string (the caller releases it); an absent text gives the empty string.
inline CFStringRef MakeCFString(const char* text)
{
  return CFStringCreateWithCString(nullptr, text ? text : "", kCFStringEncodingUTF8);
}

// The string's text; empty for null or another object.
inline std::string Utf8(CFTypeRef text)
{
  const char* direct = CFStringGetCStringPtr(static_cast<CFStringRef>(text), kCFStringEncodingUTF8);
  return direct ? direct : "";
}

}  // namespace iplug
