#pragma once
// Immutable text strings, held as UTF-8.

#include "platform/CoreFoundation/CFBase.h"

typedef UInt32 CFStringEncoding;
enum : CFStringEncoding {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUTF8 = 0x08000100,
};

typedef CFOptionFlags CFStringCompareFlags;
enum : CFStringCompareFlags {
  kCFCompareCaseInsensitive = 1,
};

extern "C"
{

  CFTypeID CFStringGetTypeID(void);
  // Null when text is null or not valid in the encoding (UTF-8 or ASCII).
  CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text, CFStringEncoding encoding);
  CFStringRef CFStringCreateCopy(CFAllocatorRef allocator, CFStringRef string);
  // printf-style formatting; "%@" inserts the description of an object (a string's own text).
  CFStringRef CFStringCreateWithFormat(CFAllocatorRef allocator, CFTypeRef formatOptions, CFStringRef format, ...);
  // Length in UTF-16 code units.
  CFIndex CFStringGetLength(CFStringRef string);
  // Copies the text with its terminating zero; false (buffer untouched) when it does not fit or
  // cannot be expressed in the encoding.
  Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
  // The string's own UTF-8 (or ASCII, when it is plain ASCII) text, or null.
  const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding);
  CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options);
  // A description of any object: a string's text, a number's value, otherwise its type.
  CFStringRef CFCopyDescription(CFTypeRef object);

}  // extern "C"

namespace platform {
// An interned string that lives for the whole process; CFRetain and CFRelease leave it alone.
CFStringRef ConstantString(const char* text);
}  // namespace platform

#define CFSTR(text) platform::ConstantString("" text)
