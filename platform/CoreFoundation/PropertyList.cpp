// The XML form of property lists: read for bundles' Info.plist, written and read for saved state.

#include "platform/CoreFoundation/CFArray.h"
#include "platform/CoreFoundation/CFBundle.h"
#include "platform/CoreFoundation/CFData.h"
#include "platform/CoreFoundation/CFNumber.h"
#include "platform/CoreFoundation/CFObjects.h"
#include "platform/shared/Utf8.h"
#include "platform/shared/XmlNesting.h"
#include "platform/shared/XmlText.h"

#include <tinyxml.h>

#include <cctype>
#include <algorithm>
#include <charconv>
#include <string_view>
#include <string>
#include <vector>
#include <cstring>

namespace platform {
namespace {

constexpr int kMaxNesting = 64;  // elements, "plist" included; deeper documents are refused unparsed

CFTypeRef ParseValue(const TiXmlElement& element);

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 text (white space ignored, "=" ends it) to bytes; false on any other character.
bool DecodeBase64(const char* text, std::vector<UInt8>& bytes)
{
  uint32_t bits = 0;
  int count = 0;
  for (; *text && *text != '='; ++text)
  {
    if (std::isspace(static_cast<unsigned char>(*text)))
      continue;
    const char* found = std::strchr(kBase64, *text);
    if (!found || !*found)
      return false;
    bits = (bits << 6) | uint32_t(found - kBase64);
    if (++count == 4)
    {
      bytes.insert(bytes.end(), {UInt8(bits >> 16), UInt8(bits >> 8), UInt8(bits)});
      bits = 0;
      count = 0;
    }
  }
  if (count == 1)
    return false;
  if (count == 2)
    bytes.push_back(UInt8(bits >> 4));
  if (count == 3)
    bytes.insert(bytes.end(), {UInt8(bits >> 10), UInt8(bits >> 2)});
  return true;
}

std::string EncodeBase64(const UInt8* bytes, size_t size)
{
  std::string text;
  for (size_t i = 0; i < size; i += 3)
  {
    const uint32_t chunk = uint32_t(bytes[i]) << 16 | (i + 1 < size ? uint32_t(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < size ? bytes[i + 2] : 0);
    text += kBase64[chunk >> 18];
    text += kBase64[(chunk >> 12) & 63];
    text += i + 1 < size ? kBase64[(chunk >> 6) & 63] : '=';
    text += i + 2 < size ? kBase64[chunk & 63] : '=';
  }
  return text;
}

const char* TextIn(const TiXmlElement& element)
{
  const char* text = element.GetText();
  return text ? text : "";
}

template <class T>
bool ParseNumber(const char* text, T& value)
{
  const char* end = text + std::strlen(text);
  if (text != end && *text == '+')
    ++text;
  const auto [stop, error] = std::from_chars(text, end, value);
  return error == std::errc() && stop == end && text != end;
}

CFTypeRef ParseDictionary(const TiXmlElement& element)
{
  CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks);
  for (const TiXmlElement* key = element.FirstChildElement(); key; key = key->NextSiblingElement())
  {
    const TiXmlElement* valueElement = key->NextSiblingElement();
    CFTypeRef value = valueElement && key->ValueStr() == "key" ? ParseValue(*valueElement) : nullptr;
    if (!value)
    {
      CFRelease(dictionary);
      return nullptr;
    }
    CFStringRef name = MakeString(xml::PreservedTextOf(*key).c_str());
    CFDictionarySetValue(dictionary, name, value);
    CFRelease(name);
    CFRelease(value);
    key = valueElement;
  }
  return dictionary;
}

CFTypeRef ParseArray(const TiXmlElement& element)
{
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (const TiXmlElement* item = element.FirstChildElement(); item; item = item->NextSiblingElement())
  {
    CFTypeRef value = ParseValue(*item);
    if (!value)
    {
      CFRelease(array);
      return nullptr;
    }
    CFArrayAppendValue(array, value);
    CFRelease(value);
  }
  return array;
}

CFTypeRef ParseValue(const TiXmlElement& element)
{
  const std::string& kind = element.ValueStr();
  if (kind == "dict")
    return ParseDictionary(element);
  if (kind == "array")
    return ParseArray(element);
  if (kind == "string")
    return MakeString(xml::PreservedTextOf(element).c_str());
  if (kind == "data")
  {
    std::vector<UInt8> bytes;
    return DecodeBase64(TextIn(element), bytes) ? CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size())) : nullptr;
  }
  if (kind == "true")
    return kCFBooleanTrue;
  if (kind == "false")
    return kCFBooleanFalse;
  if (kind == "integer")
  {
    long long value = 0;
    return ParseNumber(TextIn(element), value) ? CFNumberCreate(nullptr, kCFNumberLongLongType, &value) : nullptr;
  }
  if (kind == "real")
  {
    double value = 0.0;
    return ParseNumber(TextIn(element), value) ? CFNumberCreate(nullptr, kCFNumberDoubleType, &value) : nullptr;
  }
  return nullptr;
}

// A new element holding a string's text; null for text that is not valid UTF-8, which would not
// read back as it was written.
TiXmlElement* NewStringElement(const char* name, CFTypeRef string)
{
  const std::string_view text = TextOf(static_cast<CFStringRef>(string));
  if (CFGetTypeID(string) != CFStringGetTypeID() || !utf8::IsValid(text))
    return nullptr;
  auto* element = new TiXmlElement(name);
  xml::AppendPreservedText(*element, text);
  return element;
}

// Appends the XML element of one value; false for a value of a type property lists do not hold.
// A data element holds the placeholder: its base64 text is made only as the document is written,
// and data lists the data values in document order.
bool WriteValue(CFTypeRef value, TiXmlElement& parent, const std::string& placeholder, std::vector<CFDataRef>& data)
{
  const CFTypeID type = CFGetTypeID(value);
  TiXmlElement* element = nullptr;
  if (type == CFStringGetTypeID())
  {
    element = NewStringElement("string", value);
    if (!element)
      return false;
  }
  else if (type == CFNumberGetTypeID())
  {
    const auto number = static_cast<CFNumberRef>(value);
    const bool real = CFNumberIsFloatType(number);
    element = new TiXmlElement(real ? "real" : "integer");
    CFStringRef text = CFCopyDescription(number);
    element->LinkEndChild(new TiXmlText(std::string(TextOf(text))));
    CFRelease(text);
  }
  else if (type == CFBooleanGetTypeID())
  {
    element = new TiXmlElement(CFBooleanGetValue(static_cast<CFBooleanRef>(value)) ? "true" : "false");
  }
  else if (type == CFDataGetTypeID())
  {
    data.push_back(static_cast<CFDataRef>(value));
    element = new TiXmlElement("data");
    element->LinkEndChild(new TiXmlText(placeholder));
  }
  else if (type == CFArrayGetTypeID())
  {
    element = new TiXmlElement("array");
    const auto array = static_cast<CFArrayRef>(value);
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i)
      if (!WriteValue(CFArrayGetValueAtIndex(array, i), *element, placeholder, data))
      {
        delete element;
        return false;
      }
  }
  else if (type == CFDictionaryGetTypeID())
  {
    element = new TiXmlElement("dict");
    const auto dictionary = static_cast<CFDictionaryRef>(value);
    std::vector<const void*> keys(size_t(CFDictionaryGetCount(dictionary))), values(keys.size());
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    for (size_t i = 0; i < keys.size(); ++i)
    {
      TiXmlElement* key = NewStringElement("key", keys[i]);
      if (key)
        element->LinkEndChild(key);
      if (!key || !WriteValue(values[i], *element, placeholder, data))
      {
        delete element;
        return false;
      }
    }
  }
  else
  {
    return false;
  }
  parent.LinkEndChild(element);
  return true;
}

// The base64 text of data, written a piece at a time.
bool WriteBase64(CFDataRef data, const PropertyListSink& write)
{
  constexpr size_t kPiece = 3 << 16;  // whole groups of three bytes, so the pieces join up
  const UInt8* bytes = CFDataGetBytePtr(data);
  const auto size = size_t(CFDataGetLength(data));
  for (size_t at = 0; at < size; at += kPiece)
    if (!write(EncodeBase64(bytes + at, std::min(kPiece, size - at))))
      return false;
  return true;
}

// How often a text holds another.
size_t Occurrences(std::string_view text, std::string_view part)
{
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size()))
    ++count;
  return count;
}

}  // namespace

bool WritePropertyListAsXML(CFPropertyListRef list, const PropertyListSink& write)
{
  // The document is printed with a placeholder for each data value's text, one that no other text
  // of the document holds, and written with the data encoded in its place.
  for (unsigned attempt = 0;; ++attempt)
  {
    const std::string placeholder = "PropertyListData" + std::to_string(attempt) + "Placeholder";
    std::vector<CFDataRef> data;
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
    auto* root = new TiXmlElement("plist");
    root->SetAttribute("version", "1.0");
    document.LinkEndChild(root);
    if (!list || !WriteValue(list, *root, placeholder, data))
      return false;
    TiXmlPrinter printer;
    printer.SetIndent("  ");
    document.Accept(&printer);
    const std::string_view printed(printer.CStr(), printer.Size());
    if (Occurrences(printed, placeholder) != data.size())
      continue;
    size_t at = 0;
    for (CFDataRef value : data)
    {
      const size_t mark = printed.find(placeholder, at);
      if (!write(printed.substr(at, mark - at)) || !WriteBase64(value, write))
        return false;
      at = mark + placeholder.size();
    }
    return write(printed.substr(at));
  }
}

bool WritePropertyListAsXML(CFPropertyListRef list, std::string& text)
{
  std::string written;
  if (!WritePropertyListAsXML(list, [&written](std::string_view piece) {
        written.append(piece);
        return true;
      }))
    return false;
  text = std::move(written);
  return true;
}

CFTypeRef CreatePropertyListFromXML(const char* text)
{
  // Only valid UTF-8 is handed to the parser: it steps over a character's bytes without looking,
  // so a sequence cut off by the end would take it past the text.
  if (!text || !utf8::IsValid(text) || !xml::NestingWithinLimit(text, kMaxNesting))
    return nullptr;
  TiXmlDocument document;
  document.Parse(text, nullptr, TIXML_ENCODING_UTF8);
  const TiXmlElement* root = document.RootElement();
  if (document.Error() || !root || root->ValueStr() != "plist" || !root->FirstChildElement() ||
      root->FirstChildElement()->NextSiblingElement())
    return nullptr;
  return ParseValue(*root->FirstChildElement());
}

}  // namespace platform
