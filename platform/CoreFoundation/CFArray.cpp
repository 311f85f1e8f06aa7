#include "platform/CoreFoundation/CFArray.h"

#include "platform/CoreFoundation/CFObjects.h"

#include <vector>

namespace platform {

const void* RetainObject(CFAllocatorRef, const void* value)
{
  return CFRetain(value);
}
void ReleaseObject(CFAllocatorRef, const void* value)
{
  CFRelease(value);
}
CFStringRef DescribeObject(const void* value)
{
  return CFCopyDescription(value);
}

namespace {

class Array final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeArray;

  Array(const CFArrayCallBacks* callBacks, bool isMutable) : CFObject(kType), mMutable(isMutable)
  {
    if (callBacks)
      mCallbacks = ValueCallbacks{callBacks->retain, callBacks->release, callBacks->equal};
  }
  ~Array() override { Clear(); }

  void Append(const void* value) { mValues.push_back(mCallbacks.Retain(value)); }
  void Clear()
  {
    for (const void* value : mValues)
      mCallbacks.Release(value);
    mValues.clear();
  }

  bool Equals(const CFObject& other) const override
  {
    const auto& that = static_cast<const Array&>(other);
    if (mValues.size() != that.mValues.size())
      return false;
    for (size_t i = 0; i < mValues.size(); ++i)
      if (!mCallbacks.Equal(mValues[i], that.mValues[i]))
        return false;
    return true;
  }

  ValueCallbacks mCallbacks;
  std::vector<const void*> mValues;
  const bool mMutable;
};

}  // namespace
}  // namespace platform

using namespace platform;

const CFArrayCallBacks kCFTypeArrayCallBacks{0, RetainObject, ReleaseObject, DescribeObject, CFEqual};

CFTypeID CFArrayGetTypeID(void)
{
  return Array::kType;
}

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex count, const CFArrayCallBacks* callBacks)
{
  if (count < 0 || (count > 0 && !values))
    return nullptr;
  auto* array = new Array(callBacks, false);
  for (CFIndex i = 0; i < count; ++i)
    array->Append(values[i]);
  return reinterpret_cast<CFArrayRef>(array);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex, const CFArrayCallBacks* callBacks)
{
  return reinterpret_cast<CFMutableArrayRef>(new Array(callBacks, true));
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value)
{
  if (Array* object = AsMutable<Array>(array))
    object->Append(value);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex index)
{
  Array* object = AsMutable<Array>(array);
  if (!object || index < 0 || index >= static_cast<CFIndex>(object->mValues.size()))
    return;
  const void* value = object->mValues[static_cast<size_t>(index)];
  object->mValues.erase(object->mValues.begin() + index);
  object->mCallbacks.Release(value);
}

CFIndex CFArrayGetCount(CFArrayRef array)
{
  const Array* object = As<Array>(array);
  return object ? static_cast<CFIndex>(object->mValues.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index)
{
  const Array* object = As<Array>(array);
  if (!object || index < 0 || index >= static_cast<CFIndex>(object->mValues.size()))
    return nullptr;
  return object->mValues[static_cast<size_t>(index)];
}
