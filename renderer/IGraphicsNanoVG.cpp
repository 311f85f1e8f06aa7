// Frames, paths, paints, bitmaps and layers of the drawing back end.

#include "renderer/IGraphicsNanoVG.h"

#include "renderer/svg/Transform2D.h"

#include <algorithm>
#include <cmath>

namespace iplug::igraphics {

namespace {
constexpr int kContextFlags = MNVG_ANTIALIAS | MNVG_TRIPLE_BUFFER;

// Blend type 8 ("add"): source alpha onto the destination's alpha.
constexpr int kAddSourceFactor = NVG_SRC_ALPHA;
constexpr int kAddDestinationFactor = NVG_DST_ALPHA;

struct Point
{
  float x, y;
};

// The inverse of a pattern's transform; a singular one has none, and is taken as the identity.
IMatrix Inverted(const IMatrix& m)
{
  const double t[6] = {m.mXX, m.mYX, m.mXY, m.mYY, m.mTX, m.mTY};
  double inverse[6];
  transform2d::Invert(inverse, t);
  return IMatrix(inverse[0], inverse[1], inverse[2], inverse[3], inverse[4], inverse[5]);
}

Point Apply(const IMatrix& m, double x, double y)
{
  const double t[6] = {m.mXX, m.mYX, m.mXY, m.mYY, m.mTX, m.mTY};
  double px, py;
  transform2d::Point(&px, &py, x, y, t);
  return {static_cast<float>(px), static_cast<float>(py)};
}
}  // namespace

// ---- Bitmap ---------------------------------------------------------------------------------

IGraphicsNanoVG::Bitmap::Bitmap(NVGcontext* context, int image, bool shared, float scale)
: mVG(context), mSharedTexture(shared)
{
  int w = 0;
  int h = 0;
  if (image > 0)
  {
    vgGetImageSize(context, image, &w, &h);
  }
  mBitmap = reinterpret_cast<void*>(static_cast<intptr_t>(image));
  mWidth = w;
  mHeight = h;
  mScale = scale;
  mDrawScale = 1.f;
}

IGraphicsNanoVG::Bitmap::Bitmap(IGraphicsNanoVG* owner, NVGcontext* context, int width, int height, float scale,
                                float drawScale)
: mGraphics(owner), mVG(context)
{
  mFBO = mvgCreateFramebuffer(context, width, height, 0);
  // An empty frame over the new target clears it to transparent black.
  mvgBindFramebuffer(mFBO);
  mvgSetClearColor(context, vgColorRGBAf(0.f, 0.f, 0.f, 0.f));
  vgBeginFrame(context, static_cast<float>(width), static_cast<float>(height), 1.f);
  vgEndFrame(context);
  mBitmap = reinterpret_cast<void*>(static_cast<intptr_t>(mFBO ? mFBO->image : 0));
  mWidth = width;
  mHeight = height;
  mScale = scale;
  mDrawScale = drawScale;
}

IGraphicsNanoVG::Bitmap::Bitmap(NVGcontext* context, int width, int height, const unsigned char* pixels, float scale,
                                float drawScale)
: mVG(context)
{
  mBitmap = reinterpret_cast<void*>(static_cast<intptr_t>(vgCreateImageFromPixels(context, width, height, 0, pixels)));
  mWidth = width;
  mHeight = height;
  mScale = scale;
  mDrawScale = drawScale;
}

IGraphicsNanoVG::Bitmap::~Bitmap()
{
  if (mSharedTexture)
  {
    return;
  }
  if (mFBO)
  {
    mGraphics->DeleteFramebuffer(mFBO);
  }
  else if (Image() > 0)
  {
    vgDeleteImage(mVG, Image());
  }
}

// ---- Construction ---------------------------------------------------------------------------

StaticStorage<IFontDataRecord>& IGraphicsNanoVG::FontDataStorage()
{
  static StaticStorage<IFontDataRecord> storage;
  return storage;
}

IGraphicsNanoVG::IGraphicsNanoVG(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
: IGraphics(dlg, w, h, fps, scale)
{
  StaticStorage<IFontDataRecord>::Accessor(FontDataStorage()).Retain();
}

IGraphicsNanoVG::~IGraphicsNanoVG()
{
  StaticStorage<IFontDataRecord>::Accessor fonts(FontDataStorage());
  fonts.Release();
  DeleteQueuedFramebuffers();
  StaticStorage<APIBitmap>::Accessor(mBitmapCache).Clear();
}

// ---- Frames ---------------------------------------------------------------------------------

int IGraphicsNanoVG::WindowPixelWidth() const
{
  return static_cast<int>(static_cast<float>(WindowWidth()) * GetScreenScale());
}

int IGraphicsNanoVG::WindowPixelHeight() const
{
  return static_cast<int>(static_cast<float>(WindowHeight()) * GetScreenScale());
}

void IGraphicsNanoVG::BeginWindowFrame(MNVGframebuffer* target)
{
  mvgBindFramebuffer(target);
  vgBeginFrame(mVG, static_cast<float>(WindowWidth()), static_cast<float>(WindowHeight()), GetScreenScale());
}

void IGraphicsNanoVG::BeginFrame()
{
  mInDraw = true;
  IGraphics::BeginFrame();
  BeginWindowFrame(mMainFrameBuffer);
}

void IGraphicsNanoVG::EndFrame()
{
  vgEndFrame(mVG);
  BeginWindowFrame(nullptr);
  const int presentsBefore = mLayer ? mLayer->presentedCount() : 0;
  if (mMainFrameBuffer)
  {
    CompositeMainFrame(AreaToComposite());
  }
  vgEndFrame(mVG);
  RememberPresent(presentsBefore);
  // With or without a main framebuffer the frame is over: queued deletions may run now.
  mInDraw = false;
  DeleteQueuedFramebuffers();
}

std::optional<IRECTList> IGraphicsNanoVG::AreaToComposite() const
{
  // An offset frame is put where the whole window is drawn again.
  if (!mLayer || GetXTranslation() != 0.f || GetYTranslation() != 0.f)
  {
    return std::nullopt;
  }
  const int age = mLayer->nextDrawableAge();
  if (age < 0)
  {
    return std::nullopt;
  }
  IRECTList area = GetDrawnRECTs();
  const int presents = mLayer->presentedCount();
  for (int present = presents - age + 1; present <= presents; ++present)
  {
    const auto frame = std::find_if(mPresentedFrames.begin(), mPresentedFrames.end(),
                                    [present](const PresentedFrame& f) { return f.present == present; });
    if (frame == mPresentedFrames.end())
    {
      return std::nullopt;
    }
    for (int i = 0; i < frame->rects.Size(); ++i)
    {
      area.Add(frame->rects.Get(i));
    }
  }
  // Apart, so that no pixel is composited twice; on the whole pixels each was drawn on, which at
  // a scale that is not a whole number lie between points.
  MergeDirtyRects(area);
  const float scale = EffectiveScale();
  const float screenScale = GetScreenScale();
  auto onPixels = [&](float at) { return std::round(at * scale) / screenScale; };
  for (int i = 0; i < area.Size(); ++i)
  {
    const IRECT& r = area.Get(i);
    area.Set(i, IRECT(onPixels(r.L), onPixels(r.T), onPixels(r.R), onPixels(r.B)));
  }
  return area;
}

void IGraphicsNanoVG::CompositeMainFrame(const std::optional<IRECTList>& area)
{
  const float w = static_cast<float>(WindowWidth());
  const float h = static_cast<float>(WindowHeight());
  const NVGpaint paint = vgImagePaint(mVG, 0.f, 0.f, w, h, 0.f, mMainFrameBuffer->image, 1.f);
  // The whole window, or each part of it that changed (none: the drawable is shown as it is).
  // Within a part the frame's pixels come out as when the whole window is drawn. They replace
  // what the drawable held: blended onto it, the pixels the frame leaves translucent (between
  // pixels at a scale that is not a whole number) would build up from composite to composite.
  const int parts = area ? area->Size() : 1;
  for (int i = 0; i < parts; ++i)
  {
    vgSave(mVG);
    vgSetCompositeOperation(mVG, NVG_COPY);
    vgResetTransform(mVG);
    vgTranslate(mVG, GetXTranslation(), GetYTranslation());
    if (area)
    {
      const IRECT& r = area->Get(i);
      vgSetScissor(mVG, r.L, r.T, r.W(), r.H());
    }
    vgBeginPath(mVG);
    vgRect(mVG, 0.f, 0.f, w, h);
    vgSetFillPaint(mVG, paint);
    vgFill(mVG);
    vgRestore(mVG);
  }
}

void IGraphicsNanoVG::RememberPresent(int presentsBefore)
{
  constexpr size_t kKept = 3;  // as many as a layer has drawables
  if (!mLayer || mLayer->presentedCount() != presentsBefore + 1)
  {
    mPresentedFrames.clear();
    return;
  }
  mPresentedFrames.push_back({presentsBefore + 1, GetDrawnRECTs()});
  if (mPresentedFrames.size() > kKept)
  {
    mPresentedFrames.pop_front();
  }
}

void IGraphicsNanoVG::ViewCreated(void* layer)
{
  mLayer = static_cast<CAMetalLayer*>(layer);
  mPresentedFrames.clear();
  mVG = mvgCreateContext(mLayer, kContextFlags);
  SetDrawingContextValid(false);
  if (mVG)
  {
    SetDrawingContextValid(true);
  }
}

void IGraphicsNanoVG::ViewDestroyed()
{
  DeleteAllControls();
  {
    // The images go while their context still exists.
    StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
    cache.Clear();
  }
  WDL_MutexLock lock(mFBOMutex);
  DeleteQueuedFramebuffers();
  mvgDeleteFramebuffer(mMainFrameBuffer);
  mMainFrameBuffer = nullptr;
  mPresentedFrames.clear();
  mLayer = nullptr;
  mvgDeleteContext(mVG);
  mVG = nullptr;
  SetDrawingContextValid(false);
}

void IGraphicsNanoVG::DrawAfterResize()
{
  // The frames kept were of the framebuffer that goes.
  mPresentedFrames.clear();
  BeginBackendWork();
  mvgDeleteFramebuffer(mMainFrameBuffer);
  mMainFrameBuffer = nullptr;
  if (mVG)
  {
    mMainFrameBuffer = mvgCreateFramebuffer(mVG, WindowPixelWidth(), WindowPixelHeight(), 0);
  }
  EndBackendWork();
}

void IGraphicsNanoVG::DeleteFramebuffer(MNVGframebuffer* framebuffer)
{
  if (!mInDraw)
  {
    mvgDeleteFramebuffer(framebuffer);
    return;
  }
  // The frame recorded so far may still draw from it.
  WDL_MutexLock lock(mFBOMutex);
  mFBOStack.push(framebuffer);
}

void IGraphicsNanoVG::DeleteQueuedFramebuffers()
{
  WDL_MutexLock lock(mFBOMutex);
  while (!mFBOStack.empty())
  {
    mvgDeleteFramebuffer(mFBOStack.top());
    mFBOStack.pop();
  }
}

// ---- Paints and blending --------------------------------------------------------------------

NVGcolor IGraphicsNanoVG::ToNVGcolor(const IColor& color, const IBlend* blend) const
{
  const float weight = blend ? blend->mWeight : 1.f;
  return vgColorRGBAf(static_cast<float>(color.R) / 255.f, static_cast<float>(color.G) / 255.f,
                      static_cast<float>(color.B) / 255.f, static_cast<float>(color.A) / 255.f * weight);
}

NVGpaint IGraphicsNanoVG::ToNVGpaint(const IPattern& pattern, const IBlend* blend) const
{
  const IPattern::Stop& first = pattern.GetStop(0);
  const IPattern::Stop& last = pattern.GetStop(std::max(pattern.NStops() - 1, 0));
  const NVGcolor inner = ToNVGcolor(first.mColor, blend);
  const NVGcolor outer = ToNVGcolor(last.mColor, blend);
  const IMatrix inverse = Inverted(pattern.mTransform);
  const Point start = Apply(inverse, 0.0, 0.0);
  if (pattern.mType == 2)
  {
    const float radius = static_cast<float>(inverse.mXX);
    return vgRadialGradient(mVG, start.x, start.y, radius * first.mOffset, radius, inner, outer);
  }
  const Point end = Apply(inverse, 0.0, 1.0);
  return vgLinearGradient(mVG, start.x, start.y, end.x, end.y, inner, outer);
}

void IGraphicsNanoVG::ApplyBlendMode(const IBlend* blend)
{
  if (!blend)
  {
    vgSetCompositeOperation(mVG, NVG_SOURCE_OVER);
    return;
  }
  const int method = blend->mMethod;
  if (method >= 0 && method <= 7)
  {
    vgSetCompositeOperation(mVG, method);
  }
  else if (method == 8)
  {
    vgSetBlendFunc(mVG, kAddSourceFactor, kAddDestinationFactor);
  }
  else if (method == 9)
  {
    vgSetCompositeOperation(mVG, NVG_XOR);
  }
}

// ---- Paths ----------------------------------------------------------------------------------

void IGraphicsNanoVG::PathClear()
{
  vgBeginPath(mVG);
}

void IGraphicsNanoVG::PathClose()
{
  vgClosePath(mVG);
}

void IGraphicsNanoVG::PathArc(float cx, float cy, float r, float a1, float a2, int winding)
{
  // Degrees clockwise from 12 o'clock become radians from 3 o'clock.
  constexpr float pi = 3.1415927f;
  vgArc(mVG, cx, cy, r, (a1 - 90.f) / 180.f * pi, (a2 - 90.f) / 180.f * pi, winding == 0 ? NVG_CW : NVG_CCW);
}

void IGraphicsNanoVG::PathMoveTo(float x, float y)
{
  vgMoveTo(mVG, x, y);
}

void IGraphicsNanoVG::PathLineTo(float x, float y)
{
  vgLineTo(mVG, x, y);
}

void IGraphicsNanoVG::PathWindingRule(int winding)
{
  vgSetPathWinding(mVG, winding + 1);
}

void IGraphicsNanoVG::PathBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2)
{
  vgBezierTo(mVG, c1x, c1y, c2x, c2y, x2, y2);
}

void IGraphicsNanoVG::PathQuadTo(float cx, float cy, float x2, float y2)
{
  vgQuadTo(mVG, cx, cy, x2, y2);
}

void IGraphicsNanoVG::AddRectPath(const IRECT& r)
{
  vgRect(mVG, r.L, r.T, r.W(), r.H());
}

void IGraphicsNanoVG::PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options,
                                 const IBlend* blend)
{
  if (options.mCapOption >= 0 && options.mCapOption < 3)
  {
    vgSetLineCap(mVG, options.mCapOption);
  }
  static constexpr int kJoins[3] = {NVG_MITER, NVG_ROUND, NVG_BEVEL};
  if (options.mJoinOption >= 0 && options.mJoinOption < 3)
  {
    vgSetLineJoin(mVG, kJoins[options.mJoinOption]);
  }
  vgSetMiterLimit(mVG, options.mMiterLimit);
  vgSetStrokeWidth(mVG, thickness);
  if (pattern.mType == 0)
  {
    vgSetStrokeColor(mVG, ToNVGcolor(pattern.GetStop(0).mColor, blend));
  }
  else
  {
    vgSetStrokePaint(mVG, ToNVGpaint(pattern, blend));
  }
  vgSetPathWinding(mVG, NVG_CCW);
  ApplyBlendMode(blend);
  vgStroke(mVG);
  vgSetCompositeOperation(mVG, NVG_SOURCE_OVER);
  if (!options.mPreserve)
  {
    vgBeginPath(mVG);
  }
}

void IGraphicsNanoVG::PathFill(const IPattern& pattern, const IFillOptions& options, const IBlend* blend)
{
  if (options.mFillRule == 0)
  {
    vgSetPathWinding(mVG, NVG_SOLID);
  }
  else if (options.mFillRule == 1)
  {
    vgSetPathWinding(mVG, NVG_HOLE);
  }
  if (pattern.mType == 0)
  {
    vgSetFillColor(mVG, ToNVGcolor(pattern.GetStop(0).mColor, blend));
  }
  else
  {
    vgSetFillPaint(mVG, ToNVGpaint(pattern, blend));
  }
  ApplyBlendMode(blend);
  vgFill(mVG);
  vgSetCompositeOperation(mVG, NVG_SOURCE_OVER);
  if (!options.mPreserve)
  {
    vgBeginPath(mVG);
  }
}

void IGraphicsNanoVG::SetTransform(const IMatrix& m)
{
  const float drawScale = GetDrawScale();
  vgResetTransform(mVG);
  vgScale(mVG, drawScale, drawScale);
  if (!mLayers.empty())
  {
    const IRECT& bounds = mLayers.top()->Bounds();
    vgTranslate(mVG, -bounds.L, -bounds.T);
  }
  vgApplyTransform(mVG, static_cast<float>(m.mXX), static_cast<float>(m.mYX), static_cast<float>(m.mXY),
                   static_cast<float>(m.mYY), static_cast<float>(m.mTX), static_cast<float>(m.mTY));
}

void IGraphicsNanoVG::SetClipRegion(const IRECT& r)
{
  vgSetScissor(mVG, r.L, r.T, r.W(), r.H());
}

// ---- Dotted lines and shadows ---------------------------------------------------------------

void IGraphicsNanoVG::StrokeDashes(const IColor& color, const IBlend* blend, float thickness)
{
  PathStroke(IPattern(color), thickness, IStrokeOptions(), blend);
}

void IGraphicsNanoVG::DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend,
                                     float thickness, float dashLen)
{
  // A dash of no length would never reach the end of the line.
  if (!(dashLen > 0.f))
  {
    return;
  }
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  const float n = std::roundf(std::sqrt(dx * dx + dy * dy) / dashLen);
  if (!(n < 2e6f))
  {
    return;
  }
  PathClear();
  PathMoveTo(x1, y1);
  const int dashes = static_cast<int>(n);
  for (int i = 1; i < dashes; i += 2)
  {
    const float t0 = static_cast<float>(i) / n;
    const float t1 = static_cast<float>(i + 1) / n;
    PathLineTo(x1 + dx * t0, y1 + dy * t0);
    PathMoveTo(x1 + dx * t1, y1 + dy * t1);
  }
  StrokeDashes(color, blend, thickness);
}

void IGraphicsNanoVG::DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* blend, float thickness,
                                     float dashLen)
{
  if (!(dashLen > 0.f))
  {
    return;
  }
  const float nx = std::ceil(bounds.W() / (2.f * dashLen));
  const float ny = std::ceil(bounds.H() / (2.f * dashLen));
  if (!(nx < 2e6f && ny < 2e6f))
  {
    return;
  }
  const int stepsX = static_cast<int>(nx);
  const int stepsY = static_cast<int>(ny);
  auto clampX = [&](float x) { return std::clamp(x, bounds.L, bounds.R); };
  auto clampY = [&](float y) { return std::clamp(y, bounds.T, bounds.B); };
  float x = bounds.L;
  float y = bounds.T;
  // One side: steps of a dash drawn and a gap moved, in the direction (sx, sy).
  auto side = [&](int steps, float sx, float sy) {
    for (int i = 0; i < steps; ++i)
    {
      x = clampX(x + sx * dashLen);
      y = clampY(y + sy * dashLen);
      PathLineTo(x, y);
      x = clampX(x + sx * dashLen);
      y = clampY(y + sy * dashLen);
      PathMoveTo(x, y);
    }
  };
  PathClear();
  PathMoveTo(x, y);
  side(stepsX, 1.f, 0.f);
  side(stepsY, 0.f, 1.f);
  side(stepsX, -1.f, 0.f);
  side(stepsY, 0.f, -1.f);
  StrokeDashes(color, blend, thickness);
}

void IGraphicsNanoVG::DrawQuickDropShadow(const IRECT& innerBounds, const IRECT& outerBounds, float xyDrop,
                                          float roundness, float blur, const IBlend* blend)
{
  const NVGpaint paint = vgRoundedBoxGradient(mVG, innerBounds.L + xyDrop, innerBounds.T + xyDrop, innerBounds.W(),
                                              innerBounds.H(), roundness, blur, ToNVGcolor(IColor(128, 0, 0, 0), blend),
                                              ToNVGcolor(IColor(0, 0, 0, 0)));
  vgBeginPath(mVG);
  AddRectPath(outerBounds);
  vgSetFillPaint(mVG, paint);
  vgSetCompositeOperation(mVG, NVG_SOURCE_OVER);
  vgFill(mVG);
  vgBeginPath(mVG);
}

// ---- Bitmaps and layers ---------------------------------------------------------------------

void IGraphicsNanoVG::DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend)
{
  const auto* api = static_cast<const Bitmap*>(bitmap.GetAPIBitmap());
  if (!api)
  {
    return;
  }
  // The image's pixels span its size in points times both scales it was made at (a layer's
  // pixels carry the draw scale as well); the paint covers the whole image, in pixels, and maps
  // them onto points.
  const float pixelsPerPoint = api->GetScale() * api->GetDrawScale();
  const float pointsPerPixel = 1.f / pixelsPerPoint;
  NVGpaint paint{};
  vgTransformSetScale(paint.xform, pointsPerPixel, pointsPerPixel);
  paint.xform[4] = dest.L - static_cast<float>(srcX);
  paint.xform[5] = dest.T - static_cast<float>(srcY);
  paint.extent[0] = static_cast<float>(api->GetWidth());
  paint.extent[1] = static_cast<float>(api->GetHeight());
  paint.image = api->Image();
  paint.radius = 0.f;
  paint.feather = 0.f;
  const float alpha = blend ? blend->mWeight : 1.f;
  paint.innerColor = paint.outerColor = vgColorRGBAf(1.f, 1.f, 1.f, alpha);
  vgBeginPath(mVG);
  AddRectPath(dest);
  vgSetFillPaint(mVG, paint);
  ApplyBlendMode(blend);
  vgFill(mVG);
  vgSetCompositeOperation(mVG, NVG_SOURCE_OVER);
  vgBeginPath(mVG);
}

APIBitmap* IGraphicsNanoVG::CreateBackendBitmap(int width, int height, float scale, double drawScale)
{
  // Making the framebuffer runs a frame of its own, so the open one is closed around it.
  if (mInDraw)
  {
    vgEndFrame(mVG);
  }
  // The scale stays as given, fractional ones too: a layer is valid while it matches the screen
  // scale, and its pixels map onto points by it.
  APIBitmap* bitmap = new Bitmap(this, mVG, width, height, scale, static_cast<float>(drawScale));
  if (mInDraw)
  {
    BeginWindowFrame(mMainFrameBuffer);
  }
  return bitmap;
}

void IGraphicsNanoVG::RefreshLayer()
{
  vgEndFrame(mVG);
  if (mLayers.empty())
  {
    BeginWindowFrame(mMainFrameBuffer);
    return;
  }
  const ILayer* layer = mLayers.top();
  const auto* bitmap = static_cast<const Bitmap*>(layer->GetAPIBitmap());
  mvgBindFramebuffer(bitmap->GetFBO());
  // The frame spans the layer's whole framebuffer, so that points map onto its pixels at the
  // screen scale exactly, fractional scales included (the layer's bounds in points are not
  // always a whole number of its pixels).
  const float screenScale = GetScreenScale();
  vgBeginFrame(mVG, static_cast<float>(bitmap->GetWidth()) / screenScale,
               static_cast<float>(bitmap->GetHeight()) / screenScale, screenScale);
}

void IGraphicsNanoVG::ReadLayerPixels(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& data)
{
  const APIBitmap* bitmap = layer->GetAPIBitmap();
  const int64_t size = int64_t{bitmap->GetWidth()} * bitmap->GetHeight() * 4;
  if (size > INT32_MAX)
  {
    return;
  }
  data.Resize(static_cast<int>(size));
  if (data.GetSize() < size)
  {
    return;
  }
  ILayer* open = layer.release();
  // Entering the layer flushes the frame drawn into it so far.
  EnterLayer(open);
  mvgCopyImagePixels(mVG, static_cast<const Bitmap*>(bitmap)->Image(), 0, 0, bitmap->GetWidth(), bitmap->GetHeight(),
                     data.Get());
  layer.reset(LeaveLayer());
}

void IGraphicsNanoVG::WriteLayerPixels(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& data)
{
  const APIBitmap* bitmap = layer->GetAPIBitmap();
  if (data.GetSize() < int64_t{bitmap->GetWidth()} * bitmap->GetHeight() * 4)
  {
    return;
  }
  Bitmap pixels(mVG, bitmap->GetWidth(), bitmap->GetHeight(), data.Get(), bitmap->GetScale(), bitmap->GetDrawScale());
  const IBitmap image(&pixels, 1, false);
  const IRECT bounds = layer->Bounds();
  EnterLayer(layer.release());
  DrawBitmap(image, bounds, 0, 0, nullptr);
  layer.reset(LeaveLayer());
}

void IGraphicsNanoVG::BlendShadowMask(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& mask, const IShadow& shadow)
{
  const APIBitmap* bitmap = layer->GetAPIBitmap();
  const int width = bitmap->GetWidth();
  const int height = bitmap->GetHeight();
  if (mask.GetSize() < int64_t{width} * height * 4)
  {
    return;
  }
  const IRECT bounds = layer->Bounds();
  ILayer* target = layer.release();
  if (!shadow.mDrawForeground)
  {
    EnterLayer(target);
    vgSetBlendFunc(mVG, NVG_ZERO, NVG_ZERO);
    vgBeginPath(mVG);
    AddRectPath(bounds);
    vgSetFillColor(mVG, ToNVGcolor(IColor(0, 0, 0, 0)));
    vgFill(mVG);
    LeaveLayer();
  }
  const float scale = bitmap->GetScale();
  Bitmap maskBitmap(mVG, width, height, mask.Get(), scale, bitmap->GetDrawScale());
  const IBitmap maskImage(&maskBitmap, 1, false);
  // The shadow is drawn in a layer of its own and then put behind the layer's content.
  ILayer shadowLayer(CreateBackendBitmap(width, height, scale, bitmap->GetDrawScale()), bounds, nullptr, IRECT());

  SaveTransform();
  EnterLayer(target);
  EnterLayer(&shadowLayer);
  DrawBitmap(maskImage, bounds, 0, 0, nullptr);
  vgBeginPath(mVG);
  AddRectPath(bounds);
  vgTranslate(mVG, -shadow.mXOffset, -shadow.mYOffset);
  const IBlend sourceIn(1, 1.f);
  PathFill(shadow.mPattern, IFillOptions(), &sourceIn);
  LeaveLayer();
  const IBlend behind(4, std::clamp(shadow.mOpacity, 0.f, 1.f));
  DrawBitmap(shadowLayer.GetBitmap(), bounds.GetTranslated(shadow.mXOffset, shadow.mYOffset), 0, 0, &behind);
  layer.reset(LeaveLayer());
  RestoreTransform();
}

}  // namespace iplug::igraphics
