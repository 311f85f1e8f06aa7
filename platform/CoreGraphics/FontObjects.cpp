#include "platform/CoreGraphics/FontObjects.h"

#include "platform/CoreFoundation/CFObjects.h"

namespace platform {

DataProvider::~DataProvider()
{
  if (mReleaseData)
    mReleaseData(mInfo, mData, mSize);
  if (mURL)
    CFRelease(mURL);
}

GraphicsFont::GraphicsFont(DataProvider* provider) : CFObject(kType), mProvider(provider)
{
  mProvider->Retain();
}

GraphicsFont::~GraphicsFont()
{
  CFRelease(mProvider);
}

std::string PathOf(CFURLRef url)
{
  if (!url)
    return {};
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  std::string text(TextOf(path));
  if (path)
    CFRelease(path);
  return text;
}

}  // namespace platform
