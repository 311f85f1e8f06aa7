#pragma once
// Ordered lists of values, kept alive through the caller's callbacks.

#include "platform/CoreFoundation/CFBase.h"
#include "platform/CoreFoundation/CFString.h"

typedef const struct __CFArray* CFArrayRef;
typedef struct __CFArray* CFMutableArrayRef;

struct CFArrayCallBacks
{
  CFIndex version;
  const void* (*retain)(CFAllocatorRef allocator, const void* value);
  void (*release)(CFAllocatorRef allocator, const void* value);
  CFStringRef (*copyDescription)(const void* value);
  Boolean (*equal)(const void* a, const void* b);
};

extern "C"
{

  // Callbacks for values that are objects of this layer: CFRetain, CFRelease, CFEqual.
  extern const CFArrayCallBacks kCFTypeArrayCallBacks;

  CFTypeID CFArrayGetTypeID(void);
  // Null callbacks: values are stored as plain pointers, neither retained nor released.
  CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex count,
                           const CFArrayCallBacks* callBacks);
  CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks);
  void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
  void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex index);
  CFIndex CFArrayGetCount(CFArrayRef array);
  // Null for an index out of range.
  const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);

}  // extern "C"
