#pragma once
// Core types of the object layer: reference-counted objects with retain/release, type ids,
// allocators, and comparison results.

#include <cstddef>
#include <cstdint>

typedef unsigned char Boolean;
typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef SInt32 OSStatus;
typedef SInt16 OSErr;
typedef uint16_t UniChar;

enum : OSStatus { noErr = 0 };

typedef long CFIndex;
typedef unsigned long CFOptionFlags;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef const void* CFTypeRef;
typedef CFTypeRef CFPropertyListRef;

typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef const struct __CFAllocator* CFAllocatorRef;

enum : CFIndex { kCFNotFound = -1 };

typedef CFIndex CFComparisonResult;
enum : CFComparisonResult {
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1,
};

extern "C"
{

  // Allocators: the default one uses the C heap, as kCFAllocatorMalloc does (malloc and free);
  // kCFAllocatorNull allocates nothing and frees nothing.
  extern const CFAllocatorRef kCFAllocatorDefault;
  extern const CFAllocatorRef kCFAllocatorSystemDefault;
  extern const CFAllocatorRef kCFAllocatorMalloc;
  extern const CFAllocatorRef kCFAllocatorNull;
  void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
  void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr);

  // Every object starts with a count of 1; CFRelease of the last reference destroys it.
  // Retaining or releasing a null reference does nothing.
  CFTypeRef CFRetain(CFTypeRef object);
  void CFRelease(CFTypeRef object);
  CFIndex CFGetRetainCount(CFTypeRef object);
  CFTypeID CFGetTypeID(CFTypeRef object);
  Boolean CFEqual(CFTypeRef a, CFTypeRef b);
  CFHashCode CFHash(CFTypeRef object);

}  // extern "C"

namespace platform {
// A four-character code as a 32-bit integer whose most significant byte is the first character.
constexpr FourCharCode FourCC(const char (&code)[5])
{
  return (FourCharCode(UInt8(code[0])) << 24) | (FourCharCode(UInt8(code[1])) << 16) |
         (FourCharCode(UInt8(code[2])) << 8) | FourCharCode(UInt8(code[3]));
}

// Objects alive now (made and not yet destroyed), constants excluded: a test compares it with
// the count before it ran to find leaks.
long LiveObjectCount();
}  // namespace platform
