#pragma once
// File URLs: absolute or relative file-system paths.

#include "platform/CoreFoundation/CFBase.h"
#include "platform/CoreFoundation/CFString.h"

typedef const struct __CFURL* CFURLRef;

typedef CFIndex CFURLPathStyle;
enum : CFURLPathStyle { kCFURLPOSIXPathStyle = 0 };

extern "C"
{

  CFTypeID CFURLGetTypeID(void);
  CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef path, CFURLPathStyle style,
                                         Boolean isDirectory);
  CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* path, CFIndex length,
                                                   Boolean isDirectory);
  CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef allocator, CFURLRef url, CFStringRef component,
                                                 Boolean isDirectory);
  CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef allocator, CFURLRef url);
  CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
  CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style);
  // Writes the path with its terminating zero; false when it does not fit.
  Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer, CFIndex maxLength);

}  // extern "C"
