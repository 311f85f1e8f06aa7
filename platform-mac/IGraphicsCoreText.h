#pragma once

// Platform fonts on CoreText: loaded from a resource file, from an installed family and style,
// or from bytes in memory; the record of a font's bytes with its names and vertical metrics
// read from its tables; and the process-wide cache of font descriptors that native text fields
// size their text with.

#include <cstddef>
#include <cstdint>

#include "framework/WDLString.h"
#include "graphics/PlatformFont.h"
#include "graphics/StaticStorage.h"
#include "platform/CoreText/CTFont.h"

namespace iplug::igraphics {

class CoreTextFont : public PlatformFont
{
public:
  // Takes over the descriptor and the provider. styleName is empty unless the font was found
  // by family and style.
  CoreTextFont(CTFontDescriptorRef descriptor, CGDataProviderRef provider, const char* styleName, bool isSystem);
  ~CoreTextFont() override;

  void* GetDescriptor() override { return const_cast<__CTFontDescriptor*>(mDescriptor); }
  // The record of the face of this font's style (of the first face without a style); an
  // invalid record when no face has the style.
  IFontDataRecord* GetFontData() override;

private:
  CTFontDescriptorRef mDescriptor;
  CGDataProviderRef mProvider;
  WDL_String mStyleName;
};

// Reads the face of a font file into the record: its table locations, names and metrics. Every
// read stays inside the data: a table, name or face that lies outside it counts as absent.
// bytes must stay alive as long as the record refers to them.
void ReadFontDataRecord(IFontDataRecord& record, const unsigned char* bytes, size_t length, int faceIdx);
// The first face whose style name is style; -1 when none has it.
int FindFaceByStyle(const unsigned char* bytes, size_t length, const char* style);

CoreTextFont* LoadCoreTextFontFromFile(const char* fontID, const char* fileName, const char* bundleID,
                                       const char* sharedResourcesName);
// style 1 "Bold", 2 "Italic", anything else "Regular".
CoreTextFont* LoadCoreTextFontByName(const char* fontID, const char* familyName, int style);
CoreTextFont* LoadCoreTextFontFromMemory(const char* fontID, const void* data, int size);

// A cached descriptor and the factor from a point size to the em size of the font.
struct CoreTextFontDescriptor
{
  CoreTextFontDescriptor(CTFontDescriptorRef descriptor, double emRatio);
  ~CoreTextFontDescriptor();
  CoreTextFontDescriptor(const CoreTextFontDescriptor&) = delete;
  CoreTextFontDescriptor& operator=(const CoreTextFontDescriptor&) = delete;

  CTFontDescriptorRef mDescriptor;  // retained
  double mEMRatio;
};

// The cache lives while a platform graphics object does: each one retains it, and the last
// release empties it.
void RetainCoreTextFontCache();
void ReleaseCoreTextFontCache();
// Keeps the first descriptor cached under a font identifier.
void CacheCoreTextFont(const char* fontID, PlatformFont* font);
CoreTextFontDescriptor* GetCachedFontDescriptor(const char* fontID);

}  // namespace iplug::igraphics
