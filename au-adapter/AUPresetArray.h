#pragma once
// The factory-preset array handed to the host: reference-counted preset records whose first two
// fields read as an AUPreset, kept alive by the array's callbacks.

#include "platform/AudioToolbox/AudioUnitProperties.h"
#include "platform/CoreFoundation/CFArray.h"

namespace iplug {

struct AUPresetRecord
{
  AUPreset mPreset;  // number and name (a copy, may be null)
  void* mReserved;   // kept zero
  CFAllocatorRef mAllocator;
  intptr_t mRefCount;
};

// A record with count 1, or null when the allocator gives no memory.
AUPresetRecord* auPresetCreate(CFAllocatorRef allocator, SInt32 number, CFStringRef name);
const void* auPresetRetain(CFAllocatorRef allocator, const void* record);
void auPresetRelease(CFAllocatorRef allocator, const void* record);
CFStringRef auPresetCopyDescription(const void* record);
Boolean auPresetEqual(const void* a, const void* b);

extern const CFArrayCallBacks auPresetArrayCallBacks;

}  // namespace iplug
