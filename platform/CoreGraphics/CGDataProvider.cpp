#include "platform/CoreGraphics/CGDataProvider.h"

#include "platform/CoreGraphics/FontObjects.h"

#include <fstream>

using namespace platform;

CGDataProviderRef CGDataProviderCreateWithURL(CFURLRef url)
{
  const std::string path = PathOf(url);
  std::ifstream file(path, std::ios::binary);
  if (path.empty() || !file)
    return nullptr;
  // Read in large pieces: the editor's fonts are loaded this way each time it opens.
  std::vector<UInt8> bytes;
  char piece[1 << 16];
  while (file.read(piece, sizeof piece) || file.gcount() > 0)
    bytes.insert(bytes.end(), piece, piece + file.gcount());
  if (file.bad())
    return nullptr;
  auto* provider = new DataProvider();
  provider->mOwned = std::move(bytes);
  provider->mURL = static_cast<CFURLRef>(CFRetain(url));
  return reinterpret_cast<CGDataProviderRef>(provider);
}

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData)
{
  if (!data && size > 0)
    return nullptr;
  auto* provider = new DataProvider();
  provider->mInfo = info;
  provider->mData = static_cast<const UInt8*>(data);
  provider->mSize = size;
  provider->mReleaseData = releaseData;
  return reinterpret_cast<CGDataProviderRef>(provider);
}

CFDataRef CGDataProviderCopyData(CGDataProviderRef provider)
{
  const DataProvider* object = As<DataProvider>(provider);
  if (!object)
    return nullptr;
  const std::span<const UInt8> bytes = object->Bytes();
  return CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
}

CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider)
{
  return static_cast<CGDataProviderRef>(CFRetain(provider));
}

void CGDataProviderRelease(CGDataProviderRef provider)
{
  if (provider)
    CFRelease(provider);
}
