#include "platform/CoreFoundation/CFDictionary.h"

#include "platform/CoreFoundation/CFObjects.h"

#include <utility>
#include <vector>

namespace platform {
namespace {

class Dictionary final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeDictionary;

  Dictionary(const CFDictionaryKeyCallBacks* keys, const CFDictionaryValueCallBacks* values, bool isMutable)
  : CFObject(kType), mMutable(isMutable)
  {
    if (keys)
      mKeys = ValueCallbacks{keys->retain, keys->release, keys->equal};
    if (values)
      mValues = ValueCallbacks{values->retain, values->release, values->equal};
  }

  ~Dictionary() override
  {
    for (auto& [key, value] : mPairs)
    {
      mKeys.Release(key);
      mValues.Release(value);
    }
  }

  // Index of the pair whose key equals key, or -1.
  long Find(const void* key) const
  {
    for (size_t i = 0; i < mPairs.size(); ++i)
      if (mKeys.Equal(mPairs[i].first, key))
        return static_cast<long>(i);
    return -1;
  }

  void Set(const void* key, const void* value)
  {
    const void* kept = mValues.Retain(value);
    const long index = Find(key);
    if (index < 0)
    {
      mPairs.emplace_back(mKeys.Retain(key), kept);
      return;
    }
    std::swap(mPairs[static_cast<size_t>(index)].second, kept);
    mValues.Release(kept);
  }

  bool Equals(const CFObject& other) const override
  {
    const auto& that = static_cast<const Dictionary&>(other);
    if (mPairs.size() != that.mPairs.size())
      return false;
    for (const auto& [key, value] : mPairs)
    {
      const long index = that.Find(key);
      if (index < 0 || !mValues.Equal(value, that.mPairs[static_cast<size_t>(index)].second))
        return false;
    }
    return true;
  }

  ValueCallbacks mKeys;
  ValueCallbacks mValues;
  std::vector<std::pair<const void*, const void*>> mPairs;
  const bool mMutable;
};

}  // namespace
}  // namespace platform

using namespace platform;

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks{0,       RetainObject, ReleaseObject, DescribeObject,
                                                             CFEqual, CFHash};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks{0, RetainObject, ReleaseObject, DescribeObject,
                                                                 CFEqual};

CFTypeID CFDictionaryGetTypeID(void)
{
  return Dictionary::kType;
}

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values, CFIndex count,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks)
{
  if (count < 0 || (count > 0 && (!keys || !values)))
    return nullptr;
  auto* dictionary = new Dictionary(keyCallBacks, valueCallBacks, false);
  for (CFIndex i = 0; i < count; ++i)
    dictionary->Set(keys[i], values[i]);
  return reinterpret_cast<CFDictionaryRef>(dictionary);
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex, const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks)
{
  return reinterpret_cast<CFMutableDictionaryRef>(new Dictionary(keyCallBacks, valueCallBacks, true));
}

void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value)
{
  if (Dictionary* object = AsMutable<Dictionary>(dictionary))
    object->Set(key, value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key)
{
  Dictionary* object = AsMutable<Dictionary>(dictionary);
  const long index = object ? object->Find(key) : -1;
  if (index < 0)
    return;
  const auto pair = object->mPairs[static_cast<size_t>(index)];
  object->mPairs.erase(object->mPairs.begin() + index);
  object->mKeys.Release(pair.first);
  object->mValues.Release(pair.second);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary)
{
  const Dictionary* object = As<Dictionary>(dictionary);
  return object ? static_cast<CFIndex>(object->mPairs.size()) : 0;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dictionary, const void* key, const void** value)
{
  const Dictionary* object = As<Dictionary>(dictionary);
  const long index = object ? object->Find(key) : -1;
  if (index < 0)
    return false;
  if (value)
    *value = object->mPairs[static_cast<size_t>(index)].second;
  return true;
}

const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key)
{
  const void* value = nullptr;
  CFDictionaryGetValueIfPresent(dictionary, key, &value);
  return value;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef dictionary, const void* key)
{
  return CFDictionaryGetValueIfPresent(dictionary, key, nullptr);
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys, const void** values)
{
  const Dictionary* object = As<Dictionary>(dictionary);
  if (!object)
    return;
  for (size_t i = 0; i < object->mPairs.size(); ++i)
  {
    if (keys)
      keys[i] = object->mPairs[i].first;
    if (values)
      values[i] = object->mPairs[i].second;
  }
}
