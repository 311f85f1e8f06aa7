#include "platform/CoreText/CTFont.h"

#include "platform/CoreFoundation/CFObjects.h"
#include "platform/CoreGraphics/FontObjects.h"

#include <fontconfig/fontconfig.h>

#include <mutex>

using namespace platform;

const CFStringRef kCTFontFamilyNameAttribute = ConstantString("NSFontFamilyAttribute");
const CFStringRef kCTFontStyleNameAttribute = ConstantString("NSFontFaceAttribute");
const CFStringRef kCTFontURLAttribute = ConstantString("NSCTFontFileURLAttribute");

namespace {

class Font final : public CFObject {
public:
  static constexpr CFTypeID kType = kTypeFont;
  Font(GraphicsFont* graphicsFont, double size) : CFObject(kType), mGraphicsFont(graphicsFont), mSize(size)
  {
    mGraphicsFont->Retain();
  }
  ~Font() override { CFRelease(mGraphicsFont); }

  GraphicsFont* mGraphicsFont;
  double mSize;
};

class FontDescriptor final : public CFObject {
public:
  static constexpr CFTypeID kType = kTypeFontDescriptor;
  explicit FontDescriptor(CFDictionaryRef attributes) : CFObject(kType), mAttributes(attributes) {}
  ~FontDescriptor() override { CFRelease(mAttributes); }

  CFDictionaryRef mAttributes;  // retained
};

CFDictionaryRef MakeAttributes(const void** keys, const void** values, CFIndex count)
{
  return CFDictionaryCreate(nullptr, keys, values, count, &kCFTypeDictionaryKeyCallBacks,
                            &kCFTypeDictionaryValueCallBacks);
}

// The file of the installed font with exactly this family and style; the first by path when
// several have them, so that the answer does not depend on the catalogue's order.
std::string FindInstalledFont(const std::string& family, const std::string& style)
{
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  // Loaded once: the catalogue of a process does not change while it runs.
  static FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config)
    return {};
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(style.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* fonts = FcFontList(config, pattern, objects);
  std::string found;
  for (int i = 0; fonts && i < fonts->nfont; i++)
  {
    FcChar8* file = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file)
    {
      const std::string path(reinterpret_cast<const char*>(file));
      if (found.empty() || path < found)
        found = path;
    }
  }
  if (fonts)
    FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

CFURLRef InstalledFontURL(CFDictionaryRef attributes)
{
  const std::string_view family = TextOf(static_cast<CFStringRef>(CFDictionaryGetValue(attributes, kCTFontFamilyNameAttribute)));
  const std::string_view style = TextOf(static_cast<CFStringRef>(CFDictionaryGetValue(attributes, kCTFontStyleNameAttribute)));
  if (family.empty() || style.empty())
    return nullptr;
  const std::string path = FindInstalledFont(std::string(family), std::string(style));
  if (path.empty())
    return nullptr;
  CFStringRef text = MakeString(path);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, text, kCFURLPOSIXPathStyle, false);
  CFRelease(text);
  return url;
}

}  // namespace

CTFontRef CTFontCreateWithGraphicsFont(CGFontRef graphicsFont, CGFloat size, const CGAffineTransform*,
                                       CTFontDescriptorRef)
{
  GraphicsFont* source = As<GraphicsFont>(graphicsFont);
  return source ? reinterpret_cast<CTFontRef>(new Font(source, size)) : nullptr;
}

CTFontDescriptorRef CTFontCopyFontDescriptor(CTFontRef font)
{
  const Font* object = As<Font>(font);
  if (!object)
    return nullptr;
  CFURLRef url = object->mGraphicsFont->mProvider->mURL;
  const void* keys[] = {kCTFontURLAttribute};
  const void* values[] = {url};
  return reinterpret_cast<CTFontDescriptorRef>(new FontDescriptor(MakeAttributes(keys, values, url ? 1 : 0)));
}

CTFontDescriptorRef CTFontDescriptorCreateWithAttributes(CFDictionaryRef attributes)
{
  if (!attributes)
    return nullptr;
  return reinterpret_cast<CTFontDescriptorRef>(new FontDescriptor(static_cast<CFDictionaryRef>(CFRetain(attributes))));
}

CFTypeRef CTFontDescriptorCopyAttribute(CTFontDescriptorRef descriptor, CFStringRef attribute)
{
  const FontDescriptor* object = As<FontDescriptor>(descriptor);
  if (!object || !attribute)
    return nullptr;
  if (CFTypeRef value = CFDictionaryGetValue(object->mAttributes, attribute))
    return CFRetain(value);
  if (CFStringCompare(attribute, kCTFontURLAttribute, 0) == kCFCompareEqualTo)
    return InstalledFontURL(object->mAttributes);
  return nullptr;
}
