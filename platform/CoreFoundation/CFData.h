#pragma once
// Byte buffers.

#include "platform/CoreFoundation/CFBase.h"

typedef const struct __CFData* CFDataRef;
typedef struct __CFData* CFMutableDataRef;

extern "C" {

CFTypeID CFDataGetTypeID(void);
// Null for a negative length or null bytes with a positive length.
CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
CFMutableDataRef CFDataCreateMutable(CFAllocatorRef allocator, CFIndex capacity);
void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length);
CFIndex CFDataGetLength(CFDataRef data);
const UInt8* CFDataGetBytePtr(CFDataRef data);

}  // extern "C"
