// Loading bitmaps, SVG documents, fonts and raw resources by name, through the process-wide
// caches and the search for scaled image variants.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "framework/IPlugPaths.h"
#include "graphics/IGraphics.h"

namespace iplug::igraphics {

namespace {
// The scale tried after `scale` when searching for `target`: the target, then 4, 3, 2, 1
// without the target. 0 when the search is over.
int NextScale(int scale, int target)
{
  int next = scale == target ? (target == 4 ? 3 : 4) : scale - 1;
  if (next == target)
  {
    --next;
  }
  return next >= 1 ? next : 0;
}

// "knob.png" at scale 2 is "knob@2x.png"; scale 1 is the name itself.
std::string ScaledName(const char* name, int scale)
{
  if (scale == 1)
  {
    return name;
  }
  const std::string full(name);
  const size_t slash = full.find_last_of("/\\");
  const size_t dot = full.find_last_of('.');
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string stem = hasExt ? full.substr(0, dot) : full;
  const std::string ext = hasExt ? full.substr(dot) : "";
  return stem + "@" + std::to_string(scale) + "x" + ext;
}

// The text after the last dot, or the whole name when there is none.
const char* Extension(const char* name)
{
  const char* dot = std::strrchr(name, '.');
  return dot ? dot + 1 : name;
}
}  // namespace

int IGraphics::SearchScaledImageResource(const char* name, const char* type, WDL_String& result, int targetScale,
                                         int& sourceScale)
{
  for (sourceScale = targetScale >= 1 ? targetScale : 0; sourceScale >= 1;
       sourceScale = NextScale(sourceScale, targetScale))
  {
    const std::string candidate = ScaledName(name, sourceScale);
    if (LocateResource(candidate.c_str(), type, result, BundleIdentifier(), ModuleHandle(),
                       GetSharedResourcesSubPath()))
    {
      return 1;
    }
  }
  sourceScale = 0;
  return 0;
}

APIBitmap* IGraphics::SearchBitmapInCache(const char* name, int targetScale, int& sourceScale)
{
  StaticStorage<APIBitmap>::Accessor cache(BitmapStorage());
  for (sourceScale = targetScale >= 1 ? targetScale : 0; sourceScale >= 1;
       sourceScale = NextScale(sourceScale, targetScale))
  {
    if (APIBitmap* hit = cache.Find(name, sourceScale))
    {
      return hit;
    }
  }
  return nullptr;
}

IBitmap IGraphics::LoadBitmap(const char* name, int nFrames, bool framesAreHorizontal, int targetScale)
{
  if (targetScale == 0)
  {
    targetScale = BitmapScale();
  }
  StaticStorage<APIBitmap>::Accessor cache(BitmapStorage());
  if (APIBitmap* hit = cache.Find(name, targetScale))
  {
    return IBitmap(hit, nFrames, framesAreHorizontal, name);
  }
  const char* ext = Extension(name);
  if (!SupportsImageExtension(ext))
  {
    return IBitmap();
  }

  // A bitmap loaded here belongs to this call until the cache takes it.
  std::unique_ptr<APIBitmap> loaded;
  APIBitmap* bitmap = nullptr;
  WDL_String path;
  int sourceScale = 0;
  if (const int location = SearchScaledImageResource(name, ext, path, targetScale, sourceScale))
  {
    bitmap = sourceScale != targetScale ? cache.Find(name, sourceScale) : nullptr;
    if (!bitmap)
    {
      loaded.reset(LoadBackendBitmap(path.Get(), sourceScale, location, ext));
      bitmap = loaded.get();
    }
  }
  else
  {
    bitmap = SearchBitmapInCache(name, targetScale, sourceScale);
  }
  return AdoptBitmap(bitmap, std::move(loaded), name, nFrames, framesAreHorizontal, targetScale);
}

IBitmap IGraphics::LoadBitmap(const char* name, const void* data, int dataSize, int nFrames, bool framesAreHorizontal,
                              int targetScale)
{
  if (targetScale == 0)
  {
    targetScale = BitmapScale();
  }
  StaticStorage<APIBitmap>::Accessor cache(BitmapStorage());
  if (APIBitmap* hit = cache.Find(name, targetScale))
  {
    return IBitmap(hit, nFrames, framesAreHorizontal, name);
  }
  int sourceScale = 0;
  APIBitmap* bitmap = SearchBitmapInCache(name, targetScale, sourceScale);
  // Only a bitmap made here may be deleted here: a cached one stays with the cache.
  std::unique_ptr<APIBitmap> loaded;
  if (!bitmap)
  {
    loaded.reset(LoadBackendBitmap(name, data, dataSize, 1));
    bitmap = loaded.get();
  }
  return AdoptBitmap(bitmap, std::move(loaded), name, nFrames, framesAreHorizontal, targetScale);
}

IBitmap IGraphics::AdoptBitmap(APIBitmap* bitmap, std::unique_ptr<APIBitmap> loaded, const char* name, int nFrames,
                               bool framesAreHorizontal, int targetScale)
{
  // Neither a file of any scale nor a cached copy.
  if (!bitmap)
  {
    return IBitmap();
  }
  // A copy at another scale replaces a freshly loaded bitmap, which then goes.
  if (bitmap->GetScale() != static_cast<float>(targetScale))
  {
    return ScaleBitmap(IBitmap(bitmap, nFrames, framesAreHorizontal, name), name, targetScale);
  }
  if (loaded)
  {
    RetainBitmap(IBitmap(loaded.release(), nFrames, framesAreHorizontal, name), name);
  }
  return IBitmap(bitmap, nFrames, framesAreHorizontal, name);
}

IBitmap IGraphics::ScaleBitmap(const IBitmap& in, const char* name, int targetScale)
{
  // The screen scale may be fractional (1.5): it is restored exactly.
  const float screenScale = mScreenScale;
  const float drawScale = mDrawScale;
  mScreenScale = static_cast<float>(targetScale);
  mDrawScale = in.GetDrawScale();

  const IRECT bounds(0.f, 0.f, in.W() / mDrawScale, in.H() / mDrawScale);
  BeginLayer(nullptr, bounds, true);
  DrawBitmap(in, bounds, 0, 0, nullptr);
  ILayerPtr layer = FinishLayer();
  const IBitmap out(layer->ReleaseAPIBitmap(), in.N(), in.GetFramesAreHorizontal(), name);
  RetainBitmap(out, name);

  mScreenScale = screenScale;
  mDrawScale = drawScale;
  return out;
}

void IGraphics::RetainBitmap(const IBitmap& bitmap, const char* name)
{
  StaticStorage<APIBitmap>::Accessor cache(BitmapStorage());
  cache.Add(bitmap.GetAPIBitmap(), name, bitmap.GetScale());
}

void IGraphics::ReleaseBitmap(const IBitmap& bitmap)
{
  StaticStorage<APIBitmap>::Accessor cache(BitmapStorage());
  cache.Remove(bitmap.GetAPIBitmap());
}

IBitmap IGraphics::FindScaledBitmap(const IBitmap& bitmap)
{
  return LoadBitmap(bitmap.GetResourceName(), bitmap.N(), bitmap.GetFramesAreHorizontal(), BitmapScale());
}

int IGraphics::BitmapScale() const
{
  // A scale a hair above a whole number (a scale dragged to 2 may end at 2.000001) is that number.
  constexpr float kSlack = 0.01f;
  return std::max(1, static_cast<int>(std::ceil(EffectiveScale() - kSlack)));
}

WDL_TypedBuf<uint8_t> IGraphics::LoadResource(const char* name, const char* type)
{
  WDL_TypedBuf<uint8_t> bytes;
  WDL_String path;
  if (!LocateResource(name, type, path, BundleIdentifier(), ModuleHandle(), GetSharedResourcesSubPath()))
  {
    return bytes;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.Get(), "rb"), &std::fclose);
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
  {
    return bytes;
  }
  const long size = std::ftell(file.get());
  if (size <= 0 || size > INT32_MAX || std::fseek(file.get(), 0, SEEK_SET) != 0)
  {
    return bytes;
  }
  if (!bytes.Resize(static_cast<int>(size)) || bytes.GetSize() != size ||
      std::fread(bytes.Get(), 1, static_cast<size_t>(size), file.get()) != static_cast<size_t>(size))
  {
    bytes.Resize(0);
  }
  return bytes;
}

ISVG IGraphics::LoadSVG(const char* name, const char* units, float dpi)
{
  StaticStorage<SVGHolder>::Accessor cache(SVGStorage());
  if (SVGHolder* hit = cache.Find(name, 1.0))
  {
    return ISVG(hit->mImage);
  }
  WDL_TypedBuf<uint8_t> bytes = LoadResource(name, "svg");
  if (bytes.GetSize() == 0)
  {
    return ISVG();
  }
  return LoadSVGFromMemory(name, bytes.Get(), bytes.GetSize(), units, dpi);
}

ISVG IGraphics::LoadSVGFromMemory(const char* name, const void* data, int dataSize, const char* units, float dpi)
{
  if (!data)
  {
    return ISVG();
  }
  StaticStorage<SVGHolder>::Accessor cache(SVGStorage());
  if (SVGHolder* hit = cache.Find(name, 1.0))
  {
    return ISVG(hit->mImage);
  }
  // The parser works in place on a terminated copy; a size of 0 or less means NUL-terminated text.
  const char* text = static_cast<const char*>(data);
  const size_t length = dataSize > 0 ? strnlen(text, static_cast<size_t>(dataSize)) : std::strlen(text);
  std::string copy(text, length);
  SVGImage* image = svgParseText(copy.data(), units, dpi);
  if (!image)
  {
    return ISVG();
  }
  cache.Add(new SVGHolder(image), name, 1.0);
  return ISVG(image);
}

bool IGraphics::LoadPlatformFont(const char* fontID, PlatformFont* font)
{
  const std::unique_ptr<PlatformFont> owned(font);
  if (!owned)
  {
    return false;
  }
  const bool ok = LoadBackendFont(fontID, owned.get());
  if (ok)
  {
    CacheNativeFont(fontID, owned.get());
  }
  return ok;
}

bool IGraphics::LoadFont(const char* fontID, const char* fileNameOrResID)
{
  // Every editor opened loads its fonts: those the process holds already are not read again.
  return LoadStoredFont(fontID) || LoadPlatformFont(fontID, LoadNativeFontFromFile(fontID, fileNameOrResID));
}

bool IGraphics::LoadFont(const char* fontID, void* data, int dataSize)
{
  return LoadPlatformFont(fontID, LoadNativeFontFromMemory(fontID, data, dataSize));
}

bool IGraphics::LoadFont(const char* fontID, const char* familyName, int style)
{
  return LoadPlatformFont(fontID, LoadNativeFontByName(fontID, familyName, style));
}

}  // namespace iplug::igraphics
