#include "platform/CoreGraphics/CGFont.h"

#include "platform/CoreGraphics/FontObjects.h"
#include "platform/shared/FourCC.h"

using namespace platform;

namespace {

using fourcc::Code;

// A single font (TrueType, OpenType, old Apple TrueType and PostScript tags) or a collection,
// with room for the header that follows the tag.
bool LooksLikeFont(std::span<const UInt8> bytes)
{
  if (bytes.size() < 12)
    return false;
  const UInt32 tag = UInt32(bytes[0]) << 24 | UInt32(bytes[1]) << 16 | UInt32(bytes[2]) << 8 | bytes[3];
  return tag == 0x00010000 || tag == Code("OTTO") || tag == Code("true") || tag == Code("typ1") ||
         tag == Code("ttcf") || tag == 0x31000000;
}

}  // namespace

CGFontRef CGFontCreateWithDataProvider(CGDataProviderRef provider)
{
  DataProvider* source = As<DataProvider>(provider);
  if (!source || !LooksLikeFont(source->Bytes()))
    return nullptr;
  return reinterpret_cast<CGFontRef>(new GraphicsFont(source));
}

CGFontRef CGFontRetain(CGFontRef font)
{
  return static_cast<CGFontRef>(const_cast<void*>(CFRetain(font)));
}

void CGFontRelease(CGFontRef font)
{
  if (font)
    CFRelease(font);
}
