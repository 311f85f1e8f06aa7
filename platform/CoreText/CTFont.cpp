#include "platform/CoreText/CTFont.h"

#include "platform/CoreFoundation/CFObjects.h"
#include "platform/CoreGraphics/FontObjects.h"
#include "platform/shared/LateLibrary.h"

#include <fontconfig/fontconfig.h>

#include <mutex>
#include <optional>

using namespace platform;

const CFStringRef kCTFontFamilyNameAttribute = ConstantString("NSFontFamilyAttribute");
const CFStringRef kCTFontStyleNameAttribute = ConstantString("NSFontFaceAttribute");
const CFStringRef kCTFontURLAttribute = ConstantString("NSCTFontFileURLAttribute");

namespace {

class Font final : public CFObject
{
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

class FontDescriptor final : public CFObject
{
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

// The fontconfig calls the search makes. fontconfig and the libraries under it (FreeType, PNG,
// Brotli, ...) took longer to load than the rest of this library, at every start of every
// program that links it, while only a program that draws text searches the catalogue; so it is
// loaded at the first search.
struct FontconfigCalls
{
  decltype(&FcInitLoadConfigAndFonts) initLoadConfigAndFonts;
  decltype(&FcPatternCreate) patternCreate;
  decltype(&FcPatternAddString) patternAddString;
  decltype(&FcObjectSetBuild) objectSetBuild;
  decltype(&FcFontList) fontList;
  decltype(&FcPatternGetString) patternGetString;
  decltype(&FcFontSetDestroy) fontSetDestroy;
  decltype(&FcObjectSetDestroy) objectSetDestroy;
  decltype(&FcPatternDestroy) patternDestroy;
};

std::optional<FontconfigCalls> LoadFontconfig()
{
  const LateLibrary fontconfig("libfontconfig.so.1");
  FontconfigCalls c{};
  if (!fontconfig.Bind("FcInitLoadConfigAndFonts", c.initLoadConfigAndFonts) ||
      !fontconfig.Bind("FcPatternCreate", c.patternCreate) ||
      !fontconfig.Bind("FcPatternAddString", c.patternAddString) ||
      !fontconfig.Bind("FcObjectSetBuild", c.objectSetBuild) || !fontconfig.Bind("FcFontList", c.fontList) ||
      !fontconfig.Bind("FcPatternGetString", c.patternGetString) ||
      !fontconfig.Bind("FcFontSetDestroy", c.fontSetDestroy) ||
      !fontconfig.Bind("FcObjectSetDestroy", c.objectSetDestroy) ||
      !fontconfig.Bind("FcPatternDestroy", c.patternDestroy))
    return std::nullopt;
  return c;
}

// The file of the installed font with exactly this family and style; the first by path when
// several have them, so that the answer does not depend on the catalogue's order.
std::string FindInstalledFont(const std::string& family, const std::string& style)
{
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  static const std::optional<FontconfigCalls> calls = LoadFontconfig();
  if (!calls)
    return {};
  const FontconfigCalls& fc = *calls;
  // Loaded once: the catalogue of a process does not change while it runs.
  static FcConfig* config = fc.initLoadConfigAndFonts();
  if (!config)
    return {};
  FcPattern* pattern = fc.patternCreate();
  fc.patternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  fc.patternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(style.c_str()));
  FcObjectSet* objects = fc.objectSetBuild(FC_FILE, nullptr);
  FcFontSet* fonts = fc.fontList(config, pattern, objects);
  std::string found;
  for (int i = 0; fonts && i < fonts->nfont; i++)
  {
    FcChar8* file = nullptr;
    if (fc.patternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file)
    {
      const std::string path(reinterpret_cast<const char*>(file));
      if (found.empty() || path < found)
        found = path;
    }
  }
  if (fonts)
    fc.fontSetDestroy(fonts);
  fc.objectSetDestroy(objects);
  fc.patternDestroy(pattern);
  return found;
}

CFURLRef InstalledFontURL(CFDictionaryRef attributes)
{
  const std::string_view family = TextOf(
    static_cast<CFStringRef>(CFDictionaryGetValue(attributes, kCTFontFamilyNameAttribute)));
  const std::string_view style = TextOf(
    static_cast<CFStringRef>(CFDictionaryGetValue(attributes, kCTFontStyleNameAttribute)));
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
