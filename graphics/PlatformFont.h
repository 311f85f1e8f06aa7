#pragma once

// A font as the windowing layer loads it from a file, from memory or by name, and the record of
// its bytes, names and vertical metrics that the back end hands to the glyph atlas. The graphics
// core only passes the font to the back end and deletes it.

#include <cstdint>

#include "framework/WDLHeapBuf.h"
#include "framework/WDLString.h"

namespace iplug::igraphics {

struct IFontDataRecord
{
  // The chosen face's table directory inside mBytes; null when the bytes are not a font or the
  // face does not exist. Table offsets count from the start of the file, 0 when absent.
  const unsigned char* mData = nullptr;
  uint32_t mHeadLocation = 0;
  uint32_t mNameLocation = 0;
  uint32_t mHheaLocation = 0;
  uint32_t mFdscLocation = 0;
  WDL_String mFamily;
  WDL_String mStyle;
  uint16_t mMacStyle = 0;
  uint16_t mUnitsPerEm = 0;
  int16_t mAscender = 0;
  int16_t mDescender = 0;
  int16_t mLineGap = 0;
  WDL_HeapBuf mBytes{4096};  // the whole font file
  int mFaceIdx = 0;

  // A face with the tables that give its names and metrics.
  bool IsValid() const { return mData && mHeadLocation && mNameLocation && mHheaLocation; }
  // What the glyph atlas can read: a valid face over bytes of its own.
  bool IsUsable() const { return IsValid() && mBytes.GetSize() > 0 && mFaceIdx >= 0; }
};

class PlatformFont
{
public:
  explicit PlatformFont(bool isSystem = false) : mSystem(isSystem) {}
  virtual ~PlatformFont() = default;
  PlatformFont(const PlatformFont&) = delete;
  PlatformFont& operator=(const PlatformFont&) = delete;

  // The platform's descriptor of the font (opaque).
  virtual void* GetDescriptor() = 0;
  // A new record of the font's bytes; the caller owns it.
  virtual IFontDataRecord* GetFontData() = 0;
  // Found by family and style among the installed fonts.
  bool IsSystem() const { return mSystem; }

protected:
  bool mSystem;
};

}  // namespace iplug::igraphics
