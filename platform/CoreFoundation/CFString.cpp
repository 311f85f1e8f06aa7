#include "platform/CoreFoundation/CFObjects.h"
#include "platform/shared/Utf8.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

namespace platform {

bool String::Equals(const CFObject& other) const
{
  return mText == static_cast<const String&>(other).mText;
}

CFHashCode String::Hash() const
{
  return std::hash<std::string>{}(mText);
}

std::string String::Description() const
{
  return mText;
}

std::string_view TextOf(CFStringRef string)
{
  const String* object = As<String>(string);
  return object ? std::string_view(object->Text()) : std::string_view();
}

CFStringRef MakeString(std::string text)
{
  return reinterpret_cast<CFStringRef>(new String(std::move(text)));
}

CFStringRef ConstantString(const char* text)
{
  static std::mutex mutex;
  static auto* interned = new std::map<std::string, String*, std::less<>>;  // kept to the very end
  std::lock_guard<std::mutex> lock(mutex);
  auto found = interned->find(std::string_view(text));
  if (found == interned->end())
  {
    auto* string = new String(text);
    string->MakeImmortal();
    found = interned->emplace(text, string).first;
  }
  return reinterpret_cast<CFStringRef>(found->second);
}

namespace {

// Number of UTF-16 code units of valid UTF-8 text, or -1 when the text is not valid UTF-8.
CFIndex Utf16Length(std::string_view text)
{
  CFIndex units = 0;
  uint32_t codePoint = 0;
  for (size_t i = 0, length = 0; i < text.size(); i += length)
  {
    if ((length = utf8::DecodeAt(text, i, codePoint)) == 0)
      return -1;
    units += codePoint >= 0x10000 ? 2 : 1;
  }
  return units;
}

bool IsAscii(std::string_view text)
{
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  return true;
}

bool ValidIn(std::string_view text, CFStringEncoding encoding)
{
  switch (encoding)
  {
    case kCFStringEncodingUTF8: return Utf16Length(text) >= 0;
    case kCFStringEncodingASCII:
    case kCFStringEncodingMacRoman: return IsAscii(text);
    default: return false;
  }
}

// Appends one printf conversion (directive holds e.g. "%-8.3lf") taking its argument from args.
void AppendConversion(std::string& out, const std::string& directive, va_list& args)
{
  char buffer[512];
  const char conversion = directive.back();
  const bool isLong = directive.find('l') != std::string::npos;
  const bool isLongLong = directive.find("ll") != std::string::npos;
  const bool isSize = directive.find('z') != std::string::npos;
  int written = 0;
  switch (conversion)
  {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
      if (isLongLong)
        written = std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, long long));
      else if (isLong)
        written = std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, long));
      else if (isSize)
        written = std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, size_t));
      else
        written = std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, int));
      break;
    case 'c': written = std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, int)); break;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G': written = std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, double)); break;
    case 'p': written = std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, void*)); break;
    case 's':
    {
      const char* text = va_arg(args, const char*);
      const int size = std::snprintf(nullptr, 0, directive.c_str(), text ? text : "(null)");
      std::string formatted(static_cast<size_t>(size > 0 ? size : 0), '\0');
      std::snprintf(formatted.data(), formatted.size() + 1, directive.c_str(), text ? text : "(null)");
      out += formatted;
      return;
    }
    default: out += directive; return;  // unknown conversions are kept as written
  }
  if (written > 0)
    out.append(buffer, std::min<size_t>(static_cast<size_t>(written), sizeof buffer - 1));
}

std::string Format(std::string_view format, va_list& args)
{
  std::string out;
  for (size_t i = 0; i < format.size(); ++i)
  {
    if (format[i] != '%')
    {
      out += format[i];
      continue;
    }
    size_t end = i + 1;
    while (end < format.size() && std::strchr("-+ #0123456789.hlzLjt", format[end]))
      ++end;
    if (end >= format.size())
      break;
    const char conversion = format[end];
    if (conversion == '%')
    {
      out += '%';
    }
    else if (conversion == '@')
    {
      CFStringRef description = CFCopyDescription(va_arg(args, CFTypeRef));
      out += TextOf(description);
      CFRelease(description);
    }
    else
    {
      AppendConversion(out, std::string(format.substr(i, end - i + 1)), args);
    }
    i = end;
  }
  return out;
}

}  // namespace
}  // namespace platform

using namespace platform;

CFTypeID CFStringGetTypeID(void)
{
  return String::kType;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding encoding)
{
  if (!text || !ValidIn(text, encoding))
    return nullptr;
  return MakeString(text);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef string)
{
  const String* object = As<String>(string);
  return object ? MakeString(object->Text()) : nullptr;
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef, CFTypeRef, CFStringRef format, ...)
{
  if (!As<String>(format))
    return nullptr;
  va_list args;
  va_start(args, format);
  std::string text = Format(TextOf(format), args);
  va_end(args);
  return MakeString(std::move(text));
}

CFIndex CFStringGetLength(CFStringRef string)
{
  const CFIndex length = Utf16Length(TextOf(string));
  return length > 0 ? length : 0;
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
  const String* object = As<String>(string);
  if (!object || !buffer || bufferSize <= 0 || !ValidIn(object->Text(), encoding))
    return false;
  const std::string& text = object->Text();
  if (static_cast<uint64_t>(text.size()) + 1 > static_cast<uint64_t>(bufferSize))
    return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding)
{
  const String* object = As<String>(string);
  return object && ValidIn(object->Text(), encoding) ? object->Text().c_str() : nullptr;
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options)
{
  std::string left(TextOf(a)), right(TextOf(b));
  if (options & kCFCompareCaseInsensitive)
  {
    for (char& c : left)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : right)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  const int order = left.compare(right);
  return order < 0 ? kCFCompareLessThan : order > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

CFStringRef CFCopyDescription(CFTypeRef object)
{
  return MakeString(object ? ObjectOf(object)->Description() : std::string("(null)"));
}
