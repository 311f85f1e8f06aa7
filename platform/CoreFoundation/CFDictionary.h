#pragma once
// Key-value maps, kept in insertion order, with the caller's callbacks for keys and values.

#include "platform/CoreFoundation/CFBase.h"
#include "platform/CoreFoundation/CFString.h"

typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef;

struct CFDictionaryKeyCallBacks
{
  CFIndex version;
  const void* (*retain)(CFAllocatorRef allocator, const void* value);
  void (*release)(CFAllocatorRef allocator, const void* value);
  CFStringRef (*copyDescription)(const void* value);
  Boolean (*equal)(const void* a, const void* b);
  CFHashCode (*hash)(const void* value);
};

struct CFDictionaryValueCallBacks
{
  CFIndex version;
  const void* (*retain)(CFAllocatorRef allocator, const void* value);
  void (*release)(CFAllocatorRef allocator, const void* value);
  CFStringRef (*copyDescription)(const void* value);
  Boolean (*equal)(const void* a, const void* b);
};

extern "C"
{

  // Callbacks for keys and values that are objects of this layer: CFRetain, CFRelease, CFEqual, CFHash.
  extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
  extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;

  CFTypeID CFDictionaryGetTypeID(void);
  CFDictionaryRef CFDictionaryCreate(CFAllocatorRef allocator, const void** keys, const void** values, CFIndex count,
                                     const CFDictionaryKeyCallBacks* keyCallBacks,
                                     const CFDictionaryValueCallBacks* valueCallBacks);
  CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                                   const CFDictionaryValueCallBacks* valueCallBacks);
  // Adds the pair, or replaces the value of an equal key.
  void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value);
  void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key);
  CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary);
  // Null when the key is absent.
  const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key);
  Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dictionary, const void* key, const void** value);
  Boolean CFDictionaryContainsKey(CFDictionaryRef dictionary, const void* key);
  // Fills keys and values (either may be null) in insertion order.
  void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys, const void** values);

}  // extern "C"
