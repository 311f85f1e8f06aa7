#pragma once

// The drawing back end of the graphics object: every path, fill, stroke, bitmap, layer and text
// operation of the graphics core becomes a call into one vector context, which renders through
// the GPU back end. A frame is drawn into an off-screen main framebuffer the size of the window
// in pixels and composited onto the view's drawable at its end. Layers are further off-screen
// framebuffers. The windowing layer derives from this class and supplies the Metal layer.

#include <deque>
#include <optional>
#include <stack>

#include "framework/WDLMutex.h"
#include "graphics/IGraphics.h"
#include "renderer/metal/MetalRenderer.h"

namespace iplug::igraphics {

class IGraphicsNanoVG : public IGraphics
{
public:
  // One back-end image: loaded, made from pixels, or the target of a layer's framebuffer.
  class Bitmap : public APIBitmap
  {
  public:
    // Wraps an existing image; a shared one belongs to someone else and outlives the bitmap.
    Bitmap(NVGcontext* context, int image, bool shared, float scale);
    // A cleared layer framebuffer of width x height pixels.
    Bitmap(IGraphicsNanoVG* owner, NVGcontext* context, int width, int height, float scale, float drawScale);
    // An image of width x height RGBA pixels.
    Bitmap(NVGcontext* context, int width, int height, const unsigned char* pixels, float scale, float drawScale);
    ~Bitmap() override;

    int Image() const { return static_cast<int>(reinterpret_cast<intptr_t>(GetBitmap())); }
    MNVGframebuffer* GetFBO() const { return mFBO; }

  private:
    IGraphicsNanoVG* mGraphics = nullptr;
    NVGcontext* mVG;
    MNVGframebuffer* mFBO = nullptr;
    bool mSharedTexture = false;
  };

  IGraphicsNanoVG(IGEditorDelegate& dlg, int w, int h, int fps = 0, float scale = 1.f);
  ~IGraphicsNanoVG() override;

  void BeginFrame() override;
  // layer: the CAMetalLayer the view draws into.
  void ViewCreated(void* layer) override;
  void ViewDestroyed() override;
  void EndFrame() override;

  void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend = nullptr) override;
  // Nothing for a dash length that is not positive.
  void DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend = nullptr,
                      float thickness = 1.f, float dashLen = 2.f) override;
  void DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr, float thickness = 1.f,
                      float dashLen = 2.f) override;

  IColor BackendColorQuery() const override { return IColor(255, 0, 0, 0); }
  void* GetDrawContext() override { return mVG; }
  const char* RendererName() const override { return "NanoVG | Metal"; }
  // Bitmaps are cached per graphics object instead.
  void RetainBitmap(const IBitmap&, const char*) override {}
  void ReleaseBitmap(const IBitmap&) override {}
  bool SupportsImageExtension(const char* ext) override;
  void DrawQuickDropShadow(const IRECT& innerBounds, const IRECT& outerBounds, float xyDrop, float roundness,
                           float blur, const IBlend* blend) override;

  void ReadLayerPixels(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& data) override;
  void BlendShadowMask(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& mask, const IShadow& shadow) override;
  void WriteLayerPixels(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& data) override;
  void RefreshLayer() override;

  void PathClear() override;
  void PathClose() override;
  void PathArc(float cx, float cy, float r, float a1, float a2, int winding = 0) override;
  void PathMoveTo(float x, float y) override;
  void PathLineTo(float x, float y) override;
  void PathWindingRule(int winding) override;
  void PathBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override;
  void PathQuadTo(float cx, float cy, float x2, float y2) override;
  void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options = IStrokeOptions(),
                  const IBlend* blend = nullptr) override;
  void PathFill(const IPattern& pattern, const IFillOptions& options = IFillOptions(),
                const IBlend* blend = nullptr) override;
  void SetTransform(const IMatrix& m) override;
  void SetClipRegion(const IRECT& r) override;

  void DrawAfterResize() override;

  IBitmap LoadBitmap(const char* name, int nFrames = 1, bool framesAreHorizontal = false, int targetScale = 0) override;
  // Encoded bytes, cached under the name at scale 1 and owned by the cache.
  IBitmap LoadBitmap(const char* name, const void* data, int dataSize, int nFrames = 1,
                     bool framesAreHorizontal = false, int targetScale = 0) override;
  bool IsDrawingContextValid() const override { return mContextValid; }
  void SetDrawingContextValid(bool valid) override { mContextValid = valid; }
  APIBitmap* LoadBackendBitmap(const char* path, int scale, int location, const char* ext) override;
  APIBitmap* LoadBackendBitmap(const char* name, const void* data, int dataSize, int scale) override;
  APIBitmap* CreateBackendBitmap(int width, int height, float scale, double drawScale) override;
  bool LoadBackendFont(const char* fontID, PlatformFont* font) override;
  int AlphaChannel() const override { return 3; }
  bool FlippedBitmap() const override { return false; }
  float MeasureTextRun(const IText& text, const char* str, IRECT& bounds) const override;
  void DrawTextRun(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend) override;

  // Deletes a layer framebuffer at once, or after the frame that may still draw from it.
  void DeleteFramebuffer(MNVGframebuffer* framebuffer);

protected:
  NVGcolor ToNVGcolor(const IColor& color, const IBlend* blend = nullptr) const;
  NVGpaint ToNVGpaint(const IPattern& pattern, const IBlend* blend) const;
  void ApplyBlendMode(const IBlend* blend);
  void AddRectPath(const IRECT& r);
  void DeleteQueuedFramebuffers();
  // Binds the framebuffer (null: the drawable) and begins a frame over the whole window.
  void BeginWindowFrame(MNVGframebuffer* target);
  int WindowPixelWidth() const;
  int WindowPixelHeight() const;
  // Sets the text state and alignment, and measures the text into bounds; answers the
  // drawing point.
  void PrepareText(const IText& text, const char* str, IRECT& bounds, float& x, float& y) const;

  // The store of the font bytes the vector core reads in place, shared by every graphics
  // object of the process; the last one to go empties it.
  static StaticStorage<IFontDataRecord>& FontDataStorage();
  // Adds the font bytes stored under the ID to the vector core; false when none are stored.
  bool AddStoredFontData(const char* fontID);

  NVGcontext* mVG = nullptr;
  MNVGframebuffer* mMainFrameBuffer = nullptr;

private:
  // Strokes the current path as a solid line of default stroke options.
  void StrokeDashes(const IColor& color, const IBlend* blend, float thickness);
  // The parts of the window, in its coordinates and apart from each other, whose pixels the
  // drawable the frame goes to lacks: what this frame drew and what the frames presented since
  // the drawable's own drew. None when that is not known: the whole window then.
  std::optional<IRECTList> AreaToComposite() const;
  void CompositeMainFrame(const std::optional<IRECTList>& area);
  // After the frame: what it drew, when it was presented as the layer's next frame.
  void RememberPresent(int presentsBefore);

  // A frame presented from the main framebuffer: the layer's count of presents with it, and the
  // rectangles it drew. The last few, newest last; emptied whenever one may be missing.
  struct PresentedFrame
  {
    int present;
    IRECTList rects;
  };
  std::deque<PresentedFrame> mPresentedFrames;
  CAMetalLayer* mLayer = nullptr;

  bool mInDraw = false;
  WDL_Mutex mFBOMutex;
  std::stack<MNVGframebuffer*, std::deque<MNVGframebuffer*>> mFBOStack;
  StaticStorage<APIBitmap> mBitmapCache;
  bool mContextValid = false;
};

}  // namespace iplug::igraphics
