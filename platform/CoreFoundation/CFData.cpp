#include "platform/CoreFoundation/CFData.h"

#include "platform/CoreFoundation/CFObjects.h"

#include <cstring>
#include <vector>

namespace platform {
namespace {

// Bytes of its own, or bytes taken over without a copy and freed by their deallocator.
class Data final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeData;
  Data(const UInt8* bytes, size_t length, bool isMutable)
  : CFObject(kType), mBytes(bytes, bytes + length), mMutable(isMutable)
  {
  }
  Data(const UInt8* adopted, size_t length, CFAllocatorRef deallocator)
  : CFObject(kType), mAdopted(adopted), mAdoptedLength(length), mDeallocator(deallocator), mMutable(false)
  {
  }
  ~Data() override
  {
    if (mAdopted)
      CFAllocatorDeallocate(mDeallocator, const_cast<UInt8*>(mAdopted));
  }
  bool Equals(const CFObject& other) const override
  {
    const auto& data = static_cast<const Data&>(other);
    return Length() == data.Length() && (Length() == 0 || std::memcmp(Bytes(), data.Bytes(), Length()) == 0);
  }
  const UInt8* Bytes() const { return mAdopted ? mAdopted : mBytes.data(); }
  size_t Length() const { return mAdopted ? mAdoptedLength : mBytes.size(); }

  std::vector<UInt8> mBytes;
  const UInt8* mAdopted = nullptr;
  size_t mAdoptedLength = 0;
  CFAllocatorRef mDeallocator = nullptr;
  const bool mMutable;
};

}  // namespace
}  // namespace platform

using namespace platform;

CFTypeID CFDataGetTypeID(void)
{
  return Data::kType;
}

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length)
{
  if (length < 0 || (length > 0 && !bytes))
    return nullptr;
  return reinterpret_cast<CFDataRef>(new Data(bytes, static_cast<size_t>(length), false));
}

CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef, const UInt8* bytes, CFIndex length,
                                      CFAllocatorRef bytesDeallocator)
{
  if (length < 0 || (length > 0 && !bytes))
    return nullptr;
  return reinterpret_cast<CFDataRef>(new Data(bytes, static_cast<size_t>(length), bytesDeallocator));
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
  return object ? static_cast<CFIndex>(object->Length()) : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef data)
{
  const Data* object = As<Data>(data);
  return object ? object->Bytes() : nullptr;
}
