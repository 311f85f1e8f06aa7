#include "platform/AppKit/NSFont.h"

NSFont::NSFont(CTFontDescriptorRef descriptor, CGFloat size) : mDescriptor(descriptor), mSize(size)
{
  if (mDescriptor)
    CFRetain(mDescriptor);
}

NSFont::~NSFont()
{
  if (mDescriptor)
    CFRelease(mDescriptor);
}

std::shared_ptr<NSFont> NSFont::fontWithDescriptor(CTFontDescriptorRef descriptor, CGFloat size)
{
  return descriptor ? std::shared_ptr<NSFont>(new NSFont(descriptor, size)) : nullptr;
}

std::shared_ptr<NSFont> NSFont::systemFontOfSize(CGFloat size)
{
  return std::shared_ptr<NSFont>(new NSFont(nullptr, size));
}
