#pragma once
// The objects behind data providers, graphics fonts, fonts and font descriptors. Internal to
// the platform library.

#include "platform/CoreFoundation/CFObject.h"
#include "platform/CoreGraphics/CGDataProvider.h"

#include <span>
#include <string>
#include <vector>

namespace platform {

class DataProvider final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeDataProvider;
  DataProvider() : CFObject(kType) {}
  ~DataProvider() override;

  std::span<const UInt8> Bytes() const
  {
    return mData ? std::span<const UInt8>(mData, mSize) : std::span<const UInt8>(mOwned);
  }

  std::vector<UInt8> mOwned;  // a file read whole
  CFURLRef mURL = nullptr;    // where it was read from, retained
  // Bytes handed over by the caller, and how they are given back.
  void* mInfo = nullptr;
  const UInt8* mData = nullptr;
  size_t mSize = 0;
  CGDataProviderReleaseDataCallback mReleaseData = nullptr;
};

class GraphicsFont final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeGraphicsFont;
  explicit GraphicsFont(DataProvider* provider);
  ~GraphicsFont() override;

  DataProvider* mProvider;  // retained
};

// The file system path of a file URL; empty for anything else.
std::string PathOf(CFURLRef url);

}  // namespace platform
