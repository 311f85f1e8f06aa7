// The XML property-list reader behind bundles' Info.plist.

#include "platform/CoreFoundation/CFArray.h"
#include "platform/CoreFoundation/CFBundle.h"
#include "platform/CoreFoundation/CFNumber.h"
#include "platform/CoreFoundation/CFObjects.h"

#include <tinyxml.h>

#include <charconv>
#include <cstring>

namespace platform {
namespace {

constexpr int kMaxDepth = 64;  // nesting beyond this is refused rather than recursed into

CFTypeRef ParseValue(const TiXmlElement& element, int depth);

const char* TextIn(const TiXmlElement& element)
{
  const char* text = element.GetText();
  return text ? text : "";
}

template <class T> bool ParseNumber(const char* text, T& value)
{
  const char* end = text + std::strlen(text);
  if (text != end && *text == '+')
    ++text;
  const auto [stop, error] = std::from_chars(text, end, value);
  return error == std::errc() && stop == end && text != end;
}

CFTypeRef ParseDictionary(const TiXmlElement& element, int depth)
{
  CFMutableDictionaryRef dictionary =
    CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  for (const TiXmlElement* key = element.FirstChildElement(); key; key = key->NextSiblingElement()) {
    const TiXmlElement* valueElement = key->NextSiblingElement();
    CFTypeRef value = valueElement && key->ValueStr() == "key" ? ParseValue(*valueElement, depth + 1) : nullptr;
    if (!value) {
      CFRelease(dictionary);
      return nullptr;
    }
    CFStringRef name = MakeString(TextIn(*key));
    CFDictionarySetValue(dictionary, name, value);
    CFRelease(name);
    CFRelease(value);
    key = valueElement;
  }
  return dictionary;
}

CFTypeRef ParseArray(const TiXmlElement& element, int depth)
{
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (const TiXmlElement* item = element.FirstChildElement(); item; item = item->NextSiblingElement()) {
    CFTypeRef value = ParseValue(*item, depth + 1);
    if (!value) {
      CFRelease(array);
      return nullptr;
    }
    CFArrayAppendValue(array, value);
    CFRelease(value);
  }
  return array;
}

CFTypeRef ParseValue(const TiXmlElement& element, int depth)
{
  if (depth > kMaxDepth)
    return nullptr;
  const std::string& kind = element.ValueStr();
  if (kind == "dict")
    return ParseDictionary(element, depth);
  if (kind == "array")
    return ParseArray(element, depth);
  if (kind == "string")
    return MakeString(TextIn(element));
  if (kind == "true")
    return kCFBooleanTrue;
  if (kind == "false")
    return kCFBooleanFalse;
  if (kind == "integer") {
    long long value = 0;
    return ParseNumber(TextIn(element), value) ? CFNumberCreate(nullptr, kCFNumberLongLongType, &value) : nullptr;
  }
  if (kind == "real") {
    double value = 0.0;
    return ParseNumber(TextIn(element), value) ? CFNumberCreate(nullptr, kCFNumberDoubleType, &value) : nullptr;
  }
  return nullptr;
}

}  // namespace

CFTypeRef CreatePropertyListFromXML(const char* text)
{
  if (!text)
    return nullptr;
  TiXmlDocument document;
  document.Parse(text, nullptr, TIXML_ENCODING_UTF8);
  const TiXmlElement* root = document.RootElement();
  if (document.Error() || !root || root->ValueStr() != "plist" || !root->FirstChildElement() ||
      root->FirstChildElement()->NextSiblingElement())
    return nullptr;
  return ParseValue(*root->FirstChildElement(), 0);
}

}  // namespace platform
