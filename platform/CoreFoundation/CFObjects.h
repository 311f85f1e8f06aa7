#pragma once
// The object classes behind the references of the object layer. Internal to the platform library.

#include "platform/CoreFoundation/CFObject.h"
#include "platform/CoreFoundation/CFString.h"

#include <string>
#include <string_view>

namespace platform {

class String final : public CFObject {
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
