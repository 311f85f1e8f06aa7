// Platform fonts: the three loaders, the font-data record read from a font's tables, and the
// descriptor cache.

#include "platform-mac/IGraphicsCoreText.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "framework/IPlugPaths.h"
#include "platform/shared/FourCC.h"
#include "platform/shared/Utf8.h"

namespace iplug::igraphics {

namespace {
using fourcc::Code;

// Big-endian reads of font data; callers check with Has before they read.
class FontBytes
{
public:
  FontBytes(const unsigned char* bytes, size_t length) : mBytes(bytes), mLength(length) {}

  bool Has(uint64_t offset, uint64_t size) const { return offset <= mLength && size <= mLength - offset; }
  uint16_t U16(uint64_t offset) const { return static_cast<uint16_t>(mBytes[offset] << 8 | mBytes[offset + 1]); }
  int16_t S16(uint64_t offset) const { return static_cast<int16_t>(U16(offset)); }
  uint32_t U32(uint64_t offset) const { return uint32_t(U16(offset)) << 16 | U16(offset + 2); }
  const unsigned char* At(uint64_t offset) const { return mBytes + offset; }

private:
  const unsigned char* mBytes;
  size_t mLength;
};

// Where a table lies; absent (offset 0) when it does not fit in the data.
struct Table
{
  uint32_t offset = 0;
  uint32_t length = 0;
};

// The start of the face's table directory, or -1 when there is no such face.
int64_t FaceOffset(const FontBytes& font, int faceIdx)
{
  if (faceIdx < 0 || !font.Has(0, 4))
  {
    return -1;
  }
  const uint32_t tag = font.U32(0);
  if (tag == 0x31000000 || tag == 0x00010000 || tag == Code("OTTO") || tag == Code("typ1"))
  {
    return faceIdx == 0 ? 0 : -1;
  }
  if (tag != Code("ttcf") || !font.Has(0, 12))
  {
    return -1;
  }
  const uint32_t version = font.U32(4);
  const uint64_t entry = 12 + 4 * uint64_t(faceIdx);
  if ((version != 0x00010000 && version != 0x00020000) || font.U32(8) <= uint32_t(faceIdx) || !font.Has(entry, 4))
  {
    return -1;
  }
  return font.U32(entry);
}

// UTF-16 big-endian to UTF-8, up to the first NUL; a lone surrogate becomes U+FFFD.
std::string FromUTF16BE(const FontBytes& font, uint64_t offset, uint32_t length)
{
  std::string out;
  for (uint64_t i = 0; i + 1 < length; i += 2)
  {
    uint32_t c = font.U16(offset + i);
    if (c == 0)
    {
      break;
    }
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < length)
    {
      const uint32_t low = font.U16(offset + i + 2);
      if (low >= 0xDC00 && low < 0xE000)
      {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    utf8::Append(out, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
  }
  return out;
}

// The string of the first name record of the platform, encoding and language with that name
// id; records and strings outside the table are passed over.
std::string ReadNameRecord(const FontBytes& font, const Table& name, uint16_t platform, uint16_t encoding,
                           uint16_t language, uint16_t nameID)
{
  const uint64_t end = uint64_t(name.offset) + name.length;
  const uint16_t count = font.U16(name.offset + 2);
  const uint64_t storage = uint64_t(name.offset) + font.U16(name.offset + 4);
  for (uint32_t i = 0; i < count; ++i)
  {
    const uint64_t record = uint64_t(name.offset) + 6 + 12 * uint64_t(i);
    if (record + 12 > end)
    {
      break;
    }
    if (font.U16(record) != platform || font.U16(record + 2) != encoding || font.U16(record + 4) != language ||
        font.U16(record + 6) != nameID)
    {
      continue;
    }
    const uint32_t length = font.U16(record + 8);
    const uint64_t offset = storage + font.U16(record + 10);
    if (offset + length > end)
    {
      continue;
    }
    if (platform == 3)
    {
      return FromUTF16BE(font, offset, length);
    }
    const char* text = reinterpret_cast<const char*>(font.At(offset));
    return std::string(text, strnlen(text, length));
  }
  return {};
}

std::string ReadName(const FontBytes& font, const Table& name, uint16_t nameID)
{
  constexpr uint16_t kWindows = 3, kUnicodeBMP = 1, kEnglishUS = 1033;
  constexpr uint16_t kMacintosh = 1, kRoman = 0, kEnglish = 0;
  std::string text = ReadNameRecord(font, name, kWindows, kUnicodeBMP, kEnglishUS, nameID);
  return text.empty() ? ReadNameRecord(font, name, kMacintosh, kRoman, kEnglish, nameID) : text;
}
}  // namespace

void ReadFontDataRecord(IFontDataRecord& record, const unsigned char* bytes, size_t length, int faceIdx)
{
  record.mData = nullptr;
  record.mHeadLocation = record.mNameLocation = record.mHheaLocation = record.mFdscLocation = 0;
  record.mFamily.Set("");
  record.mStyle.Set("");
  record.mMacStyle = record.mUnitsPerEm = 0;
  record.mAscender = record.mDescender = record.mLineGap = 0;
  record.mFaceIdx = faceIdx;

  const FontBytes font(bytes, length);
  const int64_t face = FaceOffset(font, faceIdx);
  if (face < 0 || !font.Has(uint64_t(face), 12))
  {
    return;
  }
  record.mData = font.At(uint64_t(face));
  // The least of each table that the reads below need.
  struct Wanted
  {
    uint32_t tag;
    uint32_t minLength;
    Table table;
  } wanted[] = {{Code("head"), 46, {}}, {Code("name"), 6, {}}, {Code("hhea"), 10, {}}, {Code("fdsc"), 0, {}}};
  const uint16_t nTables = font.U16(uint64_t(face) + 4);
  for (uint32_t i = 0; i < nTables; ++i)
  {
    const uint64_t entry = uint64_t(face) + 12 + 16 * uint64_t(i);
    if (!font.Has(entry, 16))
    {
      break;
    }
    const uint32_t tag = font.U32(entry);
    const Table table{font.U32(entry + 8), font.U32(entry + 12)};
    for (Wanted& w : wanted)
    {
      if (w.tag == tag && w.table.offset == 0 && font.Has(table.offset, table.length) && table.length >= w.minLength)
      {
        w.table = table;
      }
    }
  }
  const Table& head = wanted[0].table;
  const Table& name = wanted[1].table;
  const Table& hhea = wanted[2].table;
  record.mHeadLocation = head.offset;
  record.mNameLocation = name.offset;
  record.mHheaLocation = hhea.offset;
  record.mFdscLocation = wanted[3].table.offset;
  if (!record.IsValid())
  {
    return;
  }
  record.mUnitsPerEm = font.U16(head.offset + 18);
  record.mMacStyle = font.U16(head.offset + 44);
  record.mFamily.Set(ReadName(font, name, 1).c_str());
  record.mStyle.Set(ReadName(font, name, 2).c_str());
  record.mAscender = font.S16(hhea.offset + 4);
  record.mDescender = font.S16(hhea.offset + 6);
  record.mLineGap = font.S16(hhea.offset + 8);
}

int FindFaceByStyle(const unsigned char* bytes, size_t length, const char* style)
{
  IFontDataRecord face;
  for (int idx = 0;; ++idx)
  {
    ReadFontDataRecord(face, bytes, length, idx);
    if (!face.IsValid())
    {
      return -1;
    }
    if (face.mStyle.GetLength() > 0 && std::strcmp(face.mStyle.Get(), style) == 0)
    {
      return idx;
    }
  }
}

// ---- CoreTextFont ---------------------------------------------------------------------------

CoreTextFont::CoreTextFont(CTFontDescriptorRef descriptor, CGDataProviderRef provider, const char* styleName,
                           bool isSystem)
: PlatformFont(isSystem), mDescriptor(descriptor), mProvider(provider), mStyleName(styleName)
{
}

CoreTextFont::~CoreTextFont()
{
  CGDataProviderRelease(mProvider);
  if (mDescriptor)
  {
    CFRelease(mDescriptor);
  }
}

IFontDataRecord* CoreTextFont::GetFontData()
{
  auto record = std::make_unique<IFontDataRecord>();
  CFDataRef data = CGDataProviderCopyData(mProvider);
  if (!data)
  {
    return record.release();
  }
  const unsigned char* bytes = CFDataGetBytePtr(data);
  const CFIndex length = CFDataGetLength(data);
  const int face = mStyleName.GetLength() > 0 ? FindFaceByStyle(bytes, static_cast<size_t>(length), mStyleName.Get())
                                              : 0;
  // No face of the wanted style: the record stays empty rather than naming face -1.
  if (face >= 0 && length > 0 && length <= INT32_MAX)
  {
    auto* copy = static_cast<unsigned char*>(record->mBytes.Resize(static_cast<int>(length)));
    if (copy && record->mBytes.GetSize() == length)
    {
      std::memcpy(copy, bytes, static_cast<size_t>(length));
      ReadFontDataRecord(*record, copy, static_cast<size_t>(length), face);
    }
  }
  CFRelease(data);
  return record.release();
}

// ---- Loaders --------------------------------------------------------------------------------

namespace {
// A font of the provider's bytes; takes over the provider. Null when they are not a font.
CoreTextFont* FontFromProvider(CGDataProviderRef provider)
{
  CGFontRef graphicsFont = CGFontCreateWithDataProvider(provider);
  CTFontRef font = graphicsFont ? CTFontCreateWithGraphicsFont(graphicsFont, 0.0, nullptr, nullptr) : nullptr;
  CTFontDescriptorRef descriptor = font ? CTFontCopyFontDescriptor(font) : nullptr;
  if (font)
  {
    CFRelease(font);
  }
  CGFontRelease(graphicsFont);
  if (!descriptor)
  {
    CGDataProviderRelease(provider);
    return nullptr;
  }
  return new CoreTextFont(descriptor, provider, "", false);
}

CFStringRef MakeText(const char* text)
{
  return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
}
}  // namespace

CoreTextFont* LoadCoreTextFontFromFile(const char*, const char* fileName, const char* bundleID,
                                       const char* sharedResourcesName)
{
  WDL_String path;
  if (!LocateResource(fileName, "ttf", path, bundleID, nullptr, sharedResourcesName))
  {
    return nullptr;
  }
  CFStringRef text = MakeText(path.Get());
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, text, kCFURLPOSIXPathStyle, false);
  CFRelease(text);
  CGDataProviderRef provider = url ? CGDataProviderCreateWithURL(url) : nullptr;
  if (url)
  {
    CFRelease(url);
  }
  return provider ? FontFromProvider(provider) : nullptr;
}

CoreTextFont* LoadCoreTextFontByName(const char*, const char* familyName, int style)
{
  if (!familyName)
  {
    return nullptr;
  }
  const char* styleName = style == 1 ? "Bold" : style == 2 ? "Italic" : "Regular";
  CFStringRef family = MakeText(familyName);
  CFStringRef styleText = MakeText(styleName);
  const void* keys[] = {kCTFontFamilyNameAttribute, kCTFontStyleNameAttribute};
  const void* values[] = {family, styleText};
  CFDictionaryRef attributes = CFDictionaryCreate(nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks,
                                                  &kCFTypeDictionaryValueCallBacks);
  CTFontDescriptorRef descriptor = CTFontDescriptorCreateWithAttributes(attributes);
  CFRelease(attributes);
  CFRelease(styleText);
  CFRelease(family);
  CFTypeRef url = descriptor ? CTFontDescriptorCopyAttribute(descriptor, kCTFontURLAttribute) : nullptr;
  CGDataProviderRef provider = url ? CGDataProviderCreateWithURL(static_cast<CFURLRef>(url)) : nullptr;
  if (url)
  {
    CFRelease(url);
  }
  if (!provider)
  {
    if (descriptor)
    {
      CFRelease(descriptor);
    }
    return nullptr;
  }
  return new CoreTextFont(descriptor, provider, styleName, true);
}

CoreTextFont* LoadCoreTextFontFromMemory(const char*, const void* data, int size)
{
  if (!data || size <= 0)
  {
    return nullptr;
  }
  void* copy = std::malloc(static_cast<size_t>(size));
  if (!copy)
  {
    return nullptr;
  }
  std::memcpy(copy, data, static_cast<size_t>(size));
  CGDataProviderRef provider = CGDataProviderCreateWithData(
    nullptr, copy, static_cast<size_t>(size),
    [](void*, const void* bytes, size_t) { std::free(const_cast<void*>(bytes)); });
  return FontFromProvider(provider);
}

// ---- Descriptor cache -----------------------------------------------------------------------

CoreTextFontDescriptor::CoreTextFontDescriptor(CTFontDescriptorRef descriptor, double emRatio)
: mDescriptor(static_cast<CTFontDescriptorRef>(CFRetain(descriptor))), mEMRatio(emRatio)
{
}

CoreTextFontDescriptor::~CoreTextFontDescriptor()
{
  if (mDescriptor)
  {
    CFRelease(mDescriptor);
  }
}

namespace {
StaticStorage<CoreTextFontDescriptor>& FontDescriptorCache()
{
  static StaticStorage<CoreTextFontDescriptor> cache;
  return cache;
}
}  // namespace

void RetainCoreTextFontCache()
{
  StaticStorage<CoreTextFontDescriptor>::Accessor(FontDescriptorCache()).Retain();
}

void ReleaseCoreTextFontCache()
{
  StaticStorage<CoreTextFontDescriptor>::Accessor(FontDescriptorCache()).Release();
}

void CacheCoreTextFont(const char* fontID, PlatformFont* font)
{
  StaticStorage<CoreTextFontDescriptor>::Accessor cache(FontDescriptorCache());
  if (cache.Find(fontID, 1.0))
  {
    return;
  }
  const std::unique_ptr<IFontDataRecord> record(font->GetFontData());
  const int height = int(record->mAscender) - int(record->mDescender);
  // A font without metrics keeps its point size.
  const double emRatio = record->IsValid() && height != 0 ? double(record->mUnitsPerEm) / height : 1.0;
  cache.Add(new CoreTextFontDescriptor(static_cast<CTFontDescriptorRef>(font->GetDescriptor()), emRatio), fontID, 1.0);
}

CoreTextFontDescriptor* GetCachedFontDescriptor(const char* fontID)
{
  return StaticStorage<CoreTextFontDescriptor>::Accessor(FontDescriptorCache()).Find(fontID, 1.0);
}

}  // namespace iplug::igraphics
