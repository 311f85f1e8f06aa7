#include "platform/CoreFoundation/CFObject.h"

#include <cstdlib>

namespace platform {
namespace {
std::atomic<long> gLiveObjects{0};

struct Allocator
{
  bool allocates;
};
const Allocator kHeapAllocator{true};
const Allocator kNullAllocator{false};
}  // namespace

CFObject::CFObject(CFTypeID type) : mType(type)
{
  gLiveObjects.fetch_add(1, std::memory_order_relaxed);
}

CFObject::~CFObject()
{
  if (!mImmortal)
    gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
}

void CFObject::MakeImmortal()
{
  if (!mImmortal)
  {
    mImmortal = true;
    gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
  }
}

long LiveObjectCount()
{
  return gLiveObjects.load(std::memory_order_relaxed);
}

}  // namespace platform

using platform::ObjectOf;

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = reinterpret_cast<CFAllocatorRef>(&platform::kHeapAllocator);
const CFAllocatorRef kCFAllocatorMalloc = reinterpret_cast<CFAllocatorRef>(&platform::kHeapAllocator);
const CFAllocatorRef kCFAllocatorNull = reinterpret_cast<CFAllocatorRef>(&platform::kNullAllocator);

void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags)
{
  if (allocator == kCFAllocatorNull || size <= 0)
    return nullptr;
  return std::malloc(static_cast<size_t>(size));
}

void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr)
{
  if (allocator != kCFAllocatorNull)
    std::free(ptr);
}

CFTypeRef CFRetain(CFTypeRef object)
{
  if (object)
    ObjectOf(object)->Retain();
  return object;
}

void CFRelease(CFTypeRef object)
{
  if (object && ObjectOf(object)->Release())
    delete ObjectOf(object);
}

CFIndex CFGetRetainCount(CFTypeRef object)
{
  return object ? ObjectOf(object)->RetainCount() : 0;
}

CFTypeID CFGetTypeID(CFTypeRef object)
{
  return object ? ObjectOf(object)->TypeId() : 0;
}

Boolean CFEqual(CFTypeRef a, CFTypeRef b)
{
  if (a == b)
    return true;
  if (!a || !b || ObjectOf(a)->TypeId() != ObjectOf(b)->TypeId())
    return false;
  return ObjectOf(a)->Equals(*ObjectOf(b));
}

CFHashCode CFHash(CFTypeRef object)
{
  return object ? ObjectOf(object)->Hash() : 0;
}
