#include "platform/CoreFoundation/CFData.h"

#include "platform/CoreFoundation/CFObjects.h"

#include <vector>

namespace platform {
namespace {

class Data final : public CFObject {
public:
  static constexpr CFTypeID kType = kTypeData;
  Data(const UInt8* bytes, size_t length, bool isMutable)
    : CFObject(kType), mBytes(bytes, bytes + length), mMutable(isMutable) {}
  bool Equals(const CFObject& other) const override { return mBytes == static_cast<const Data&>(other).mBytes; }

  std::vector<UInt8> mBytes;
  const bool mMutable;
};

}  // namespace
}  // namespace platform

using namespace platform;

CFTypeID CFDataGetTypeID(void) { return Data::kType; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length)
{
  if (length < 0 || (length > 0 && !bytes))
    return nullptr;
  return reinterpret_cast<CFDataRef>(new Data(bytes, static_cast<size_t>(length), false));
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex)
{
  return reinterpret_cast<CFMutableDataRef>(new Data(nullptr, 0, true));
}

void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length)
{
  Data* object = AsMutable<Data>(data);
  if (object && bytes && length > 0)
    object->mBytes.insert(object->mBytes.end(), bytes, bytes + length);
}

CFIndex CFDataGetLength(CFDataRef data)
{
  const Data* object = As<Data>(data);
  return object ? static_cast<CFIndex>(object->mBytes.size()) : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef data)
{
  const Data* object = As<Data>(data);
  return object ? object->mBytes.data() : nullptr;
}
