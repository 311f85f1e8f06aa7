// Bitmap loading with the per-object cache, fonts handed to the glyph atlas, and text runs.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "framework/WDLString.h"
#include "renderer/IGraphicsNanoVG.h"

namespace iplug::igraphics {

namespace {
constexpr int kLocationFile = 1;
constexpr int kLocationPreloaded = 3;

const char* Extension(const char* name)
{
  const char* dot = std::strrchr(name, '.');
  return dot ? dot + 1 : "";
}
}  // namespace

bool IGraphicsNanoVG::SupportsImageExtension(const char* ext)
{
  std::string lower(ext ? ext : "");
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find("png") != std::string::npos || lower.find("jpg") != std::string::npos ||
         lower.find("jpeg") != std::string::npos;
}

IBitmap IGraphicsNanoVG::LoadBitmap(const char* name, int nFrames, bool framesAreHorizontal, int targetScale)
{
  if (targetScale == 0)
  {
    targetScale = BitmapScale();
  }
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  if (APIBitmap* hit = cache.Find(name, targetScale))
  {
    return IBitmap(hit, nFrames, framesAreHorizontal, name);
  }
  const char* ext = Extension(name);
  WDL_String path;
  int sourceScale = 0;
  const int location = SearchScaledImageResource(name, ext, path, targetScale, sourceScale);
  if (location == 0 || !SupportsImageExtension(ext))
  {
    return IBitmap();
  }
  // Only another scale exists: it may have been loaded for an earlier request already.
  APIBitmap* bitmap = cache.Find(name, sourceScale);
  if (!bitmap)
  {
    bitmap = LoadBackendBitmap(path.Get(), sourceScale, location, ext);
    cache.Add(bitmap, name, sourceScale);
  }
  return IBitmap(bitmap, nFrames, framesAreHorizontal, name);
}

IBitmap IGraphicsNanoVG::LoadBitmap(const char* name, const void* data, int dataSize, int nFrames,
                                    bool framesAreHorizontal, int)
{
  // Encoded bytes are always taken as scale 1, and the bitmap stays in the cache.
  return IBitmap(LoadBackendBitmap(name, data, dataSize, 1), nFrames, framesAreHorizontal, name);
}

APIBitmap* IGraphicsNanoVG::LoadBackendBitmap(const char* path, int scale, int location, const char*)
{
  int image = 0;
  if (location == kLocationFile)
  {
    BeginBackendWork();
    image = vgCreateImageFromFile(mVG, path, 0);
    EndBackendWork();
  }
  return new Bitmap(mVG, image, location == kLocationPreloaded, static_cast<float>(scale));
}

APIBitmap* IGraphicsNanoVG::LoadBackendBitmap(const char* name, const void* data, int dataSize, int scale)
{
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  if (APIBitmap* hit = cache.Find(name, scale))
  {
    return hit;
  }
  BeginBackendWork();
  const int image = vgCreateImageFromMemory(mVG, 0, static_cast<unsigned char*>(const_cast<void*>(data)), dataSize);
  EndBackendWork();
  auto* bitmap = new Bitmap(mVG, image, false, static_cast<float>(scale));
  cache.Add(bitmap, name, scale);
  return bitmap;
}

// ---- Fonts ----------------------------------------------------------------------------------

namespace {
bool AddFontToContext(NVGcontext* vg, const char* fontID, IFontDataRecord& record, bool checked)
{
  auto* bytes = static_cast<unsigned char*>(record.mBytes.Get());
  return vgAddFontFromMemoryAtIndex(vg, fontID, bytes, record.mBytes.GetSize(), record.mFaceIdx, 0, checked) != -1;
}
}  // namespace

bool IGraphicsNanoVG::LoadBackendFont(const char* fontID, PlatformFont* font)
{
  StaticStorage<IFontDataRecord>::Accessor storage(FontDataStorage());
  // Another graphics object read these bytes from the platform already, and its glyph atlas
  // accepted them: only accepted bytes are stored, so they need not be checked again.
  if (IFontDataRecord* stored = storage.Find(fontID, 1.0))
  {
    return AddFontToContext(mVG, fontID, *stored, true);
  }
  std::unique_ptr<IFontDataRecord> record(font->GetFontData());
  if (!record || !record->IsUsable() || !AddFontToContext(mVG, fontID, *record, false))
  {
    return false;
  }
  // The glyph atlas reads the bytes in place: they live as long as any graphics object.
  storage.Add(record.release(), fontID, 1.0);
  return true;
}

bool IGraphicsNanoVG::AddStoredFontData(const char* fontID)
{
  StaticStorage<IFontDataRecord>::Accessor storage(FontDataStorage());
  IFontDataRecord* stored = storage.Find(fontID, 1.0);
  return stored && AddFontToContext(mVG, fontID, *stored, true);
}

// ---- Text -----------------------------------------------------------------------------------

void IGraphicsNanoVG::PrepareText(const IText& text, const char* str, IRECT& bounds, float& x, float& y) const
{
  vgSetFontBlur(mVG, 0.f);
  vgSetFontSize(mVG, text.mSize);
  vgSetFontByName(mVG, text.mFont);
  int align = 0;
  // An alignment outside the three known ones is taken as near (left, top).
  switch (text.mAlign)
  {
    case EAlign::Center:
      align = NVG_ALIGN_CENTER;
      x = bounds.MW();
      break;
    case EAlign::Far:
      align = NVG_ALIGN_RIGHT;
      x = bounds.R;
      break;
    default:
      align = NVG_ALIGN_LEFT;
      x = bounds.L;
      break;
  }
  switch (text.mVAlign)
  {
    case EVAlign::Middle:
      align |= NVG_ALIGN_MIDDLE;
      y = bounds.MH();
      break;
    case EVAlign::Bottom:
      align |= NVG_ALIGN_BOTTOM;
      y = bounds.B;
      break;
    default:
      align |= NVG_ALIGN_TOP;
      y = bounds.T;
      break;
  }
  vgSetTextAlign(mVG, align);
  // A font that is not loaded measures nothing: the text keeps its place, with an empty width.
  float measured[4] = {x, bounds.T, x, bounds.B};
  vgMeasureText(mVG, x, y, str, nullptr, measured);
  bounds = IRECT(measured[0], measured[1], measured[2], measured[3]);
}

float IGraphicsNanoVG::MeasureTextRun(const IText& text, const char* str, IRECT& bounds) const
{
  const IRECT given = bounds;
  float x = 0.f;
  float y = 0.f;
  PrepareText(text, str, bounds, x, y);
  DoMeasureTextRotation(text, given, bounds);
  return bounds.W();
}

void IGraphicsNanoVG::DrawTextRun(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend)
{
  IRECT measured = bounds;
  float x = 0.f;
  float y = 0.f;
  PrepareText(text, str, measured, x, y);
  SaveTransform();
  if (text.mAngle != 0.f)
  {
    double tx = 0.0;
    double ty = 0.0;
    CalculateTextRotation(text, bounds, measured, tx, ty);
    TransformTranslate(static_cast<float>(tx), static_cast<float>(ty));
    TransformRotate(text.mAngle);
  }
  vgSetFillColor(mVG, ToNVGcolor(text.mFGColor, blend));
  ApplyBlendMode(blend);
  vgDrawText(mVG, x, y, str, nullptr);
  vgSetCompositeOperation(mVG, NVG_SOURCE_OVER);
  RestoreTransform();
}

}  // namespace iplug::igraphics
