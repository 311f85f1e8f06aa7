#pragma once
// Fonts of the window layer's own widgets: a font descriptor at a point size, or the system font.

#include <memory>

#include "platform/CoreText/CTFont.h"

class NSFont
{
public:
  // Null for a null descriptor. The font retains the descriptor.
  static std::shared_ptr<NSFont> fontWithDescriptor(CTFontDescriptorRef descriptor, CGFloat size);
  static std::shared_ptr<NSFont> systemFontOfSize(CGFloat size);
  ~NSFont();
  NSFont(const NSFont&) = delete;
  NSFont& operator=(const NSFont&) = delete;

  CGFloat pointSize() const { return mSize; }
  // Null for the system font.
  CTFontDescriptorRef fontDescriptor() const { return mDescriptor; }

private:
  NSFont(CTFontDescriptorRef descriptor, CGFloat size);

  CTFontDescriptorRef mDescriptor;
  CGFloat mSize;
};
