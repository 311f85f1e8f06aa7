#pragma once
// The object classes behind the references of the object layer. Internal to the platform library.

#include "platform/CoreFoundation/CFObject.h"
#include "platform/CoreFoundation/CFString.h"

#include <string>
#include <string_view>

namespace platform {

class String final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeString;
  explicit String(std::string text) : CFObject(kType), mText(std::move(text)) {}
  const std::string& Text() const { return mText; }
  bool Equals(const CFObject& other) const override;
  CFHashCode Hash() const override;
  std::string Description() const override;

private:
  const std::string mText;
};

// The text of a string reference; empty for null or another type.
std::string_view TextOf(CFStringRef string);
// A new string (count 1) holding text.
CFStringRef MakeString(std::string text);

}  // namespace platform

namespace platform {

// How a container keeps its values alive and compares them: the caller's callbacks, where a
// missing callback means plain pointers (no retain, no release, identity).
struct ValueCallbacks
{
  const void* (*retain)(CFAllocatorRef, const void*) = nullptr;
  void (*release)(CFAllocatorRef, const void*) = nullptr;
  Boolean (*equal)(const void*, const void*) = nullptr;

  const void* Retain(const void* value) const { return retain ? retain(nullptr, value) : value; }
  void Release(const void* value) const
  {
    if (release)
      release(nullptr, value);
  }
  bool Equal(const void* a, const void* b) const { return a == b || (equal && a && b && equal(a, b)); }
};

// Callbacks of objects of this layer.
const void* RetainObject(CFAllocatorRef, const void* value);
void ReleaseObject(CFAllocatorRef, const void* value);
CFStringRef DescribeObject(const void* value);

}  // namespace platform
