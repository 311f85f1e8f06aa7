#pragma once
// Images as the window layer holds them: here only their size in points, which is all that the
// cursors made from images need.

#include "platform/Foundation/NSGeometry.h"

class NSImage
{
public:
  explicit NSImage(NSSize size) : mSize(size) {}  // initWithSize:
  NSSize size() const { return mSize; }

private:
  NSSize mSize;
};
