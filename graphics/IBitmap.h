#pragma once

// Images as the graphics core sees them. An APIBitmap is one back-end image; exactly one owner
// deletes it: the bitmap cache once it is cached, else whoever made it. An IBitmap is a plain
// value that refers to an APIBitmap without owning it.

#include <string>

#include "graphics/StaticStorage.h"

namespace iplug::igraphics {

class APIBitmap
{
public:
  APIBitmap() = default;
  APIBitmap(void* bitmap, int w, int h, float scale, float drawScale)
  : mBitmap(bitmap), mWidth(w), mHeight(h), mScale(scale), mDrawScale(drawScale)
  {
  }
  APIBitmap(const APIBitmap&) = delete;
  APIBitmap& operator=(const APIBitmap&) = delete;
  virtual ~APIBitmap() = default;

  void* GetBitmap() const { return mBitmap; }
  int GetWidth() const { return mWidth; }            // pixels
  int GetHeight() const { return mHeight; }          // pixels
  float GetScale() const { return mScale; }          // the pixel density the image was made for
  float GetDrawScale() const { return mDrawScale; }  // the editor zoom it was made at

protected:
  void* mBitmap = nullptr;
  int mWidth = 0;
  int mHeight = 0;
  float mScale = 0.f;
  float mDrawScale = 0.f;
};

// A picture as controls hold it: a film strip of frames over one APIBitmap, sized in points.
class IBitmap
{
public:
  IBitmap() = default;
  IBitmap(APIBitmap* bitmap, int frames, bool framesAreHorizontal, const char* name = "")
  : mBitmap(bitmap),
    mW(bitmap ? static_cast<int>(bitmap->GetWidth() / bitmap->GetScale()) : 0),
    mH(bitmap ? static_cast<int>(bitmap->GetHeight() / bitmap->GetScale()) : 0),
    mN(frames),
    mFramesAreHorizontal(framesAreHorizontal),
    mResourceName(name ? name : "")
  {
  }

  APIBitmap* GetAPIBitmap() const { return mBitmap; }
  bool IsValid() const { return mBitmap != nullptr; }
  int W() const { return mW; }
  int H() const { return mH; }
  int N() const { return mN; }
  bool GetFramesAreHorizontal() const { return mFramesAreHorizontal; }
  float GetScale() const { return mBitmap ? mBitmap->GetScale() : 0.f; }
  float GetDrawScale() const { return mBitmap ? mBitmap->GetDrawScale() : 0.f; }
  const char* GetResourceName() const { return mResourceName.c_str(); }

private:
  APIBitmap* mBitmap = nullptr;
  int mW = 0;
  int mH = 0;
  int mN = 0;
  bool mFramesAreHorizontal = false;
  std::string mResourceName;
};

// The process-wide cache of loaded bitmaps, counted by the graphics objects alive.
StaticStorage<APIBitmap>& BitmapStorage();

}  // namespace iplug::igraphics
