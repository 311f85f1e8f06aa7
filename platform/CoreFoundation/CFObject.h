#pragma once
// The C++ object behind every reference of the object layer. Internal to the platform library.

#include "platform/CoreFoundation/CFBase.h"

#include <atomic>
#include <string>

namespace platform {

enum TypeId : CFTypeID {
  kTypeString = 1,
  kTypeNumber,
  kTypeBoolean,
  kTypeData,
  kTypeArray,
  kTypeDictionary,
  kTypeURL,
  kTypeBundle,
  kTypeRunLoop,
  kTypeRunLoopTimer,
  kTypeDataProvider,
  kTypeGraphicsFont,
  kTypeFont,
  kTypeFontDescriptor,
};

class CFObject
{
public:
  explicit CFObject(CFTypeID type);
  virtual ~CFObject();
  CFObject(const CFObject&) = delete;
  CFObject& operator=(const CFObject&) = delete;

  CFTypeID TypeId() const { return mType; }
  void Retain()
  {
    if (!mImmortal)
      mRefs.fetch_add(1, std::memory_order_relaxed);
  }
  // True when that was the last reference.
  bool Release() { return !mImmortal && mRefs.fetch_sub(1, std::memory_order_acq_rel) == 1; }
  CFIndex RetainCount() const { return mRefs.load(std::memory_order_relaxed); }
  // Constants live for the whole process and are not counted as live objects.
  void MakeImmortal();

  virtual bool Equals(const CFObject& other) const { return this == &other; }
  virtual CFHashCode Hash() const { return reinterpret_cast<CFHashCode>(this); }
  virtual std::string Description() const { return "<object of type " + std::to_string(mType) + ">"; }

private:
  const CFTypeID mType;
  std::atomic<CFIndex> mRefs{1};
  bool mImmortal = false;
};

inline CFObject* ObjectOf(CFTypeRef ref)
{
  return static_cast<CFObject*>(const_cast<void*>(ref));
}

// The object behind a reference when it is of type T (identified by T::kType), else null.
template <class T>
T* As(CFTypeRef ref)
{
  CFObject* object = ObjectOf(ref);
  return object && object->TypeId() == T::kType ? static_cast<T*>(object) : nullptr;
}

// The object behind a reference to a mutable container of type T, else null (an immutable one is
// never changed).
template <class T>
T* AsMutable(CFTypeRef ref)
{
  T* object = As<T>(ref);
  return object && object->mMutable ? object : nullptr;
}

}  // namespace platform
