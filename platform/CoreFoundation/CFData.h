#pragma once
// Byte buffers.

#include "platform/CoreFoundation/CFBase.h"

typedef const struct __CFData* CFDataRef;
typedef struct __CFData* CFMutableDataRef;

extern "C"
{

  CFTypeID CFDataGetTypeID(void);
  // Null for a negative length or null bytes with a positive length.
  CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
  // Takes the bytes as they are, without a copy, and frees them with the deallocator when the data
  // goes (kCFAllocatorNull: never). Null as CFDataCreate gives it, and the bytes are then not freed.
  CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length,
                                        CFAllocatorRef bytesDeallocator);
  CFMutableDataRef CFDataCreateMutable(CFAllocatorRef allocator, CFIndex capacity);
  void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length);
  CFIndex CFDataGetLength(CFDataRef data);
  const UInt8* CFDataGetBytePtr(CFDataRef data);

}  // extern "C"
