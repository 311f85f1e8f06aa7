#include "tests/support/HeadlessGraphics.h"

#include <filesystem>
#include <vector>

#include "platform-mac/IGraphicsCoreText.h"
#include "platform/CoreFoundation/CFBundle.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace vtest {
using namespace iplug::igraphics;

std::string PicturePath(const char* name)
{
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

bool WritePicture(const std::string& path, int w, int h, const uint8_t* rgba)
{
  return stbi_write_png(path.c_str(), w, h, 4, rgba, w * 4) != 0;
}

namespace {
// The plug-in bundle the build made, registered once, so that resources are found in it as
// the plug-in finds them.
void RegisterPluginBundle()
{
  static const bool registered = [] {
    CFStringRef path = CFStringCreateWithCString(nullptr, VANTORELIX_BUNDLE, kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
    const bool created = CFBundleCreate(nullptr, url) != nullptr;
    CFRelease(url);
    CFRelease(path);
    return created;
  }();
  (void)registered;
}
}  // namespace

HeadlessGraphics::HeadlessGraphics(IGEditorDelegate& dlg, int w, int h, float scale, float screenScale)
: IGraphicsNanoVG(dlg, w, h, 0, scale), mBackingScale(screenScale)
{
  RegisterPluginBundle();
  RetainCoreTextFontCache();
}

HeadlessGraphics::~HeadlessGraphics()
{
  CloseWindow();
  ReleaseCoreTextFontCache();
}

void* HeadlessGraphics::OpenWindow(void*)
{
  if (mOpen)
  {
    return &mLayer;
  }
  ViewCreated(&mLayer);
  mOpen = true;
  SetBackingScale(mBackingScale);
  GetDelegate()->SetGraphicsAvailable(IsDrawingContextValid());
  LayoutUIThroughDelegate();
  return &mLayer;
}

void HeadlessGraphics::CloseWindow()
{
  if (!mOpen)
  {
    return;
  }
  ViewDestroyed();
  GetDelegate()->SetGraphicsAvailable(false);
  mOpen = false;
}

void HeadlessGraphics::DrawAfterResize()
{
  IGraphicsNanoVG::DrawAfterResize();
  mLayer.setDrawableSize(
    {static_cast<NSUInteger>(WindowPixelWidth()), static_cast<NSUInteger>(WindowPixelHeight()), 1});
}

bool HeadlessGraphics::DrawFrame()
{
  IRECTList rects;
  if (!IsDirty(rects))
  {
    return false;
  }
  MarkAllControlsClean();
  DrawDirtyRects(rects);
  return true;
}

void HeadlessGraphics::DrawFullFrame()
{
  MarkAllControlsDirty(false);
  DrawFrame();
}

std::array<uint8_t, 4> HeadlessGraphics::Pixel(int x, int y) const
{
  const std::shared_ptr<MTLTexture> texture = mLayer.presentedTexture();
  if (!texture || x < 0 || y < 0 || static_cast<NSUInteger>(x) >= texture->width() ||
      static_cast<NSUInteger>(y) >= texture->height())
  {
    return {0, 0, 0, 0};
  }
  // The drawable holds BGRA.
  const unsigned char* p = texture->texel(static_cast<NSUInteger>(x), static_cast<NSUInteger>(y));
  return {p[2], p[1], p[0], p[3]};
}

bool HeadlessGraphics::WritePNG(const std::string& path) const
{
  const std::shared_ptr<MTLTexture> texture = mLayer.presentedTexture();
  if (!texture)
  {
    return false;
  }
  const int w = static_cast<int>(texture->width());
  const int h = static_cast<int>(texture->height());
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  for (int y = 0; y < h; ++y)
  {
    for (int x = 0; x < w; ++x)
    {
      const std::array<uint8_t, 4> p = Pixel(x, y);
      std::copy(p.begin(), p.end(), rgba.begin() + (static_cast<size_t>(y) * w + x) * 4);
    }
  }
  return WritePicture(path, w, h, rgba.data());
}

PlatformFont* HeadlessGraphics::LoadNativeFontFromFile(const char* fontID, const char* fileName)
{
  return LoadCoreTextFontFromFile(fontID, fileName, BundleIdentifier(), GetSharedResourcesSubPath());
}

PlatformFont* HeadlessGraphics::LoadNativeFontFromMemory(const char* fontID, void* data, int size)
{
  return LoadCoreTextFontFromMemory(fontID, data, size);
}

PlatformFont* HeadlessGraphics::LoadNativeFontByName(const char* fontID, const char* family, int style)
{
  return LoadCoreTextFontByName(fontID, family, style);
}

void HeadlessGraphics::CacheNativeFont(const char* fontID, PlatformFont* font)
{
  CacheCoreTextFont(fontID, font);
}

}  // namespace vtest
