#include "au-adapter/AUPresetArray.h"

namespace iplug {

namespace {
AUPresetRecord* Record(const void* record)
{
  return static_cast<AUPresetRecord*>(const_cast<void*>(record));
}
}  // namespace

AUPresetRecord* auPresetCreate(CFAllocatorRef allocator, SInt32 number, CFStringRef name)
{
  auto* record = static_cast<AUPresetRecord*>(CFAllocatorAllocate(allocator, sizeof(AUPresetRecord), 0));
  if (!record)
    return nullptr;
  *record = AUPresetRecord{{number, name ? CFStringCreateCopy(allocator, name) : nullptr}, nullptr, allocator, 1};
  return record;
}

const void* auPresetRetain(CFAllocatorRef, const void* record)
{
  if (record)
  {
    CFRetain(Record(record)->mPreset.presetName);
    ++Record(record)->mRefCount;
  }
  return record;
}

void auPresetRelease(CFAllocatorRef, const void* record)
{
  AUPresetRecord* preset = Record(record);
  if (!preset || preset->mRefCount < 1)
    return;
  CFRelease(preset->mPreset.presetName);
  if (--preset->mRefCount == 0)
  {
    preset->mPreset = AUPreset{0, nullptr};
    CFAllocatorDeallocate(preset->mAllocator, preset);
  }
}

CFStringRef auPresetCopyDescription(const void* record)
{
  const AUPreset& preset = Record(record)->mPreset;
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                  int(preset.presetNumber), preset.presetName);
}

Boolean auPresetEqual(const void* a, const void* b)
{
  const AUPreset& left = Record(a)->mPreset;
  const AUPreset& right = Record(b)->mPreset;
  return left.presetNumber == right.presetNumber &&
         CFStringCompare(left.presetName, right.presetName, 0) == kCFCompareEqualTo;
}

const CFArrayCallBacks auPresetArrayCallBacks{0, auPresetRetain, auPresetRelease, auPresetCopyDescription,
                                              auPresetEqual};

}  // namespace iplug
