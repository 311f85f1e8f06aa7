#pragma once

// The graphics context of one open editor window. It owns every attached control (the control
// list, the tag map and the special controls), knows the editor's size and scales, routes input
// to controls, runs the frame cycle and offers drawing operations built on a small set of path
// primitives that a back end implements. Everything platform-bound is a virtual operation that
// the back end or the windowing layer supplies. Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <stack>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/WDLHeapBuf.h"
#include "framework/WDLString.h"
#include "graphics/IBitmap.h"
#include "graphics/IControl.h"
#include "graphics/IGraphicsStructs.h"
#include "graphics/ILayer.h"
#include "graphics/ISVG.h"
#include "graphics/IPopupMenu.h"
#include "graphics/PlatformFont.h"

namespace iplug::igraphics {

class IGEditorDelegate;
class ICornerResizerControl;
class IBubbleControl;
class IPopupMenuControl;
class IFPSDisplayControl;
class ITextEntryControl;
struct IVStyle;

class IGraphics
{
public:
  using IKeyHandlerFunc = std::function<bool(const IKeyPress& key, bool isUp)>;
  using IDisplayTickFunc = std::function<void()>;
  using IUIAppearanceChangedFunc = std::function<void(EUIAppearance)>;
  using IMidiKeyFunc = std::function<void(const IMidiMsg&)>;

  IGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 0, float scale = 1.f);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;
  virtual ~IGraphics();

  // ---- Frame cycle -------------------------------------------------------------------------
  virtual void BeginFrame();
  virtual void ViewCreated(void*) {}
  virtual void ViewDestroyed() {}
  virtual void EndFrame() {}

  // ---- Text --------------------------------------------------------------------------------
  // Writes the box the text occupies and answers its width; an empty or null text measures 0
  // and leaves the rectangle as it was.
  virtual float MeasureText(const IText& text, const char* str, IRECT& bounds) const;

  // ---- Back-end queries --------------------------------------------------------------------
  virtual IColor BackendColorQuery() const = 0;
  virtual void* GetDrawContext() = 0;
  virtual const char* RendererName() const = 0;
  virtual bool SupportsImageExtension(const char* ext) = 0;
  virtual void DrawQuickDropShadow(const IRECT&, const IRECT&, float, float, float, const IBlend*) {}
  virtual bool SupportsPathFill() const { return true; }

  // ---- Bitmaps and layers (back end) --------------------------------------------------------
  virtual void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY,
                          const IBlend* blend = nullptr) = 0;
  virtual APIBitmap* CreateBackendBitmap(int width, int height, float scale, double drawScale) = 0;
  virtual APIBitmap* LoadBackendBitmap(const char* path, int scale, int location, const char* ext) = 0;
  virtual APIBitmap* LoadBackendBitmap(const char* name, const void* data, int dataSize, int scale) = 0;
  virtual bool LoadBackendFont(const char* fontID, PlatformFont* font) = 0;
  // Makes the top layer, or the window when no layer is open, the render target.
  virtual void RefreshLayer() {}
  virtual void ReadLayerPixels(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& data) = 0;
  virtual void BlendShadowMask(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& mask, const IShadow& shadow) = 0;
  virtual void WriteLayerPixels(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& data) = 0;
  // Byte index of the alpha channel inside a pixel, and whether layer rows run bottom-up.
  virtual int AlphaChannel() const = 0;
  virtual bool FlippedBitmap() const = 0;

  // ---- Platform fonts (windowing layer); each load answers an owned font or null ------------
  virtual PlatformFont* LoadNativeFontFromFile(const char* fontID, const char* fileName) = 0;
  virtual PlatformFont* LoadNativeFontFromMemory(const char* fontID, void* data, int size) = 0;
  virtual PlatformFont* LoadNativeFontByName(const char* fontID, const char* family, int style) = 0;
  virtual void CacheNativeFont(const char* fontID, PlatformFont* font) = 0;
  // Adds the font that another graphics object loaded under the ID, from what the back end and
  // the windowing layer keep of it; false when they keep none, and the font is then read.
  virtual bool LoadStoredFont(const char*) { return false; }

  // ---- Path primitives ---------------------------------------------------------------------
  virtual void PathClear() = 0;
  virtual void PathClose() = 0;
  virtual void PathArc(float cx, float cy, float r, float a1, float a2, int winding = 0) = 0;
  virtual void PathMoveTo(float x, float y) = 0;
  virtual void PathLineTo(float x, float y) = 0;
  virtual void PathWindingRule(int) {}
  virtual void PathBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) = 0;
  virtual void PathQuadTo(float cx, float cy, float x2, float y2) = 0;
  virtual void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options = IStrokeOptions(),
                          const IBlend* blend = nullptr) = 0;
  virtual void PathFill(const IPattern& pattern, const IFillOptions& options = IFillOptions(),
                        const IBlend* blend = nullptr) = 0;
  virtual void SetTransform(const IMatrix& m) = 0;
  virtual void EndRegion(const IRECT&) {}  // after a control's Draw, with its clip
  virtual void SetClipRegion(const IRECT& r) = 0;

  // ---- Platform ----------------------------------------------------------------------------
  virtual void AttachNativeView(void*, const IRECT&) {}
  virtual void DetachNativeView(void*) {}
  virtual void CursorPosition(float& x, float& y) const = 0;
  virtual void SetCursorHidden(bool hide, bool lock) = 0;
  virtual void WarpCursor(float x, float y) = 0;
  virtual int SetCursorShape(int cursorType)
  {
    const int previous = mCursorType;
    mCursorType = cursorType;
    return previous;
  }
  virtual void CloseNativeTextEntry() = 0;
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool EditorIsOpen() { return GetWindow() != nullptr; }
  virtual bool ReadClipboardText(std::string& str) = 0;
  virtual bool WriteClipboardText(const char* str) = 0;
  virtual void UpdateTooltips() = 0;
  // Hears the answer of a message box; may be empty.
  using AlertCompletionFunc = std::function<void(int result)>;
  virtual int ShowAlert(const char* text, const char* caption, int type, AlertCompletionFunc completion) = 0;
  // The chosen path is written into fileName, which stays empty when the user cancels.
  virtual void AskForFile(std::string& fileName, std::string& path, bool save, const char* extensions) = 0;
  virtual bool AskForFolder(std::string& folder) = 0;
  virtual bool AskForColor(const IColor& color, const char* title, std::function<void(const IColor&)> func) = 0;
  virtual bool OpenWebLink(const char* url) = 0;
  virtual const char* PlatformName() const { return ""; }
  virtual bool ShowInFileBrowser(const char*, bool /*select*/) { return false; }
  virtual void* ModuleHandle() const { return nullptr; }
  virtual void SetNativeContext(void* context) { mPlatformContext = context; }
  virtual const char* BundleIdentifier() const { return ""; }
  virtual void BeginBackendWork() {}
  virtual void EndBackendWork() {}
  virtual void OpenNativeTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                                   const char* str) = 0;
  virtual IPopupMenu* OpenNativeMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) = 0;
  // Whether the platform's menus serve even with the in-window menu attached: where menus are
  // chosen by their items rather than with the pointer.
  virtual bool NativeMenusOnly() const { return false; }
  virtual float WindowBackingScale(float) const { return 1.f; }
  virtual void ResizeNativeView(bool) {}
  virtual void DrawAfterResize() {}
  virtual bool UsesDarkAppearance() const { return false; }

  virtual bool IsDrawingContextValid() const { return false; }
  virtual void SetDrawingContextValid(bool) {}
  bool DrawContextReady() const { return IsDrawingContextValid(); }
  void SetDrawContextReady(bool ready) { SetDrawingContextValid(ready); }

  virtual float MeasureTextRun(const IText& text, const char* str, IRECT& bounds) const = 0;
  virtual void DrawTextRun(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend) = 0;
  virtual float EffectiveScale() const { return mScreenScale * mDrawScale; }

  // ---- Drawing operations built on the path primitives -------------------------------------
  // Each starts a new path; strokes use default stroke options, fills default fill options.
  // Fits the document into bounds keeping its aspect, at the top-left corner.
  virtual void DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* blend = nullptr);
  virtual void DrawSVGRotated(const ISVG& svg, float cx, float cy, float width, float height, double angle,
                              const IBlend* blend = nullptr);
  virtual void DrawBitmapScaledToFit(const IBitmap& bitmap, const IRECT& bounds, const IBlend* blend = nullptr);
  virtual void DrawBitmapRotated(const IBitmap& bitmap, float cx, float cy, double angle,
                                 const IBlend* blend = nullptr);
  virtual void DrawPoint(const IColor& color, float x, float y, const IBlend* blend = nullptr);
  virtual void DrawLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend = nullptr,
                        float thickness = 1.f);
  virtual void DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2,
                              const IBlend* blend = nullptr, float thickness = 1.f, float dashLen = 2.f);
  virtual void DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                            const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawRect(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius = 5.f,
                             const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawRoundRectCorners(const IColor& color, const IRECT& bounds, float tl, float tr, float bl, float br,
                                    const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                       const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend = nullptr,
                          float thickness = 1.f);
  virtual void DrawEllipse(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr,
                           float thickness = 1.f);
  virtual void DrawEllipseAt(const IColor& color, float x, float y, float r1, float r2, float angle,
                             const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawConvexPolygon(const IColor& color, const float* x, const float* y, int npoints,
                                 const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr,
                              float thickness = 1.f, float dashLen = 2.f);
  virtual void FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                            const IBlend* blend = nullptr);
  virtual void FillRect(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr);
  virtual void FillRectWithPattern(const IPattern& pattern, const IRECT& bounds, const IBlend* blend = nullptr);
  virtual void FillRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius = 5.f,
                             const IBlend* blend = nullptr);
  virtual void FillRoundRectCorners(const IColor& color, const IRECT& bounds, float tl, float tr, float bl, float br,
                                    const IBlend* blend = nullptr);
  virtual void FillCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend = nullptr);
  virtual void FillEllipse(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr);
  virtual void FillEllipseAt(const IColor& color, float x, float y, float r1, float r2, float angle,
                             const IBlend* blend = nullptr);
  virtual void FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                       const IBlend* blend = nullptr);
  virtual void FillConvexPolygon(const IColor& color, const float* x, const float* y, int npoints,
                                 const IBlend* blend = nullptr);
  virtual void DrawGrid(const IColor& color, const IRECT& bounds, float gridSizeH, float gridSizeV,
                        const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawPlot(const IColor& color, const IRECT& bounds, const float* normYPoints, int nPoints,
                        const float* normXPoints = nullptr, const IBlend* blend = nullptr, float thickness = 1.f);

  // Path helpers: add to the current path without clearing it.
  void PathRect(const IRECT& bounds);
  void PathRoundRect(const IRECT& bounds, float tl, float tr, float bl, float br);
  void PathRoundRect(const IRECT& bounds, float cornerRadius);
  void PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3);
  void PathConvexPolygon(const float* x, const float* y, int npoints);
  void PathCircle(float cx, float cy, float r);
  void PathEllipse(float x, float y, float r1, float r2, float angle = 0.f);
  void PathEllipse(const IRECT& bounds);

  // The transform stack: every change ends with SetTransform.
  void SaveTransform() { mTransformStates.push(mTransform); }
  void RestoreTransform();
  void TransformTranslate(float x, float y);
  void TransformScale(float sx, float sy);
  void TransformScale(float s) { TransformScale(s, s); }
  void TransformRotate(float degrees);
  void TransformSkew(float xDegrees, float yDegrees);
  void TransformMatrix(const IMatrix& m);
  void ResetTransform(bool clearStack);
  const IMatrix& GetTransform() const { return mTransform; }

  // Text: nothing for an empty or null string.
  void DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend = nullptr);
  // The text's alignment places it around the point.
  void DrawTextAtPoint(const IText& text, const char* str, float x, float y, const IBlend* blend = nullptr);
  // For a rotated text: the bounding box of rect turned by the text's angle, and the offset
  // that aligns it in bounds.
  void CalculateTextRotation(const IText& text, const IRECT& bounds, IRECT& rect, double& tx, double& ty) const;
  void DoMeasureTextRotation(const IText& text, const IRECT& bounds, IRECT& rect) const;

  // Bitmap helpers. Frames are 1-based and clamped to the strip.
  void DrawBitmapFrame(const IBitmap& bitmap, const IRECT& bounds, int frame, const IBlend* blend = nullptr);
  // A string drawn with a bitmap whose frames are the characters from the space on.
  void DrawBitmapText(const IBitmap& font, const IRECT& bounds, const IText& text, const IBlend* blend, const char* str,
                      bool vCentre = true, bool multiline = false, int charWidth = 6, int charHeight = 12,
                      int charOffset = 0);

  // Line helpers: x and y are fractions of the bounds (y measured from the bottom); angles are
  // degrees, 0 up, clockwise.
  void DrawVerticalLine(const IColor& color, const IRECT& bounds, float x, const IBlend* blend = nullptr,
                        float thickness = 1.f);
  void DrawVerticalLine(const IColor& color, float xi, float yLo, float yHi, const IBlend* blend,
                        float thickness = 1.f);
  void DrawHorizontalLine(const IColor& color, const IRECT& bounds, float y, const IBlend* blend = nullptr,
                          float thickness = 1.f);
  void DrawHorizontalLine(const IColor& color, float yi, float xLo, float xHi, const IBlend* blend,
                          float thickness = 1.f);
  void DrawRadialLine(const IColor& color, float cx, float cy, float angle, float rMin, float rMax,
                      const IBlend* blend = nullptr, float thickness = 1.f);
  void PathRadialLine(float cx, float cy, float angle, float rMin, float rMax);

  // ---- Gestures ----------------------------------------------------------------------------
  virtual void RegisterGestureType(EGestureType type) { mRegisteredGestures.push_back(type); }
  void AttachGestureRecognizerToRegion(const IRECT& bounds, EGestureType type, GestureFunc func);
  void ClearGestureRegions();
  bool RespondsToGesture(float x, float y);
  void OnGestureRecognized(const IGestureInfo& info);

  // ---- Frame cycle -------------------------------------------------------------------------
  // Runs the per-frame function and the animations, then adds the bounds (grown by 0.75) of
  // every dirty control; answers whether there is anything to draw.
  bool IsDirty(IRECTList& rects);
  // Draws one frame of the rectangles: snapped outward to whole pixels and merged, or their
  // union in draw-union mode.
  void DrawDirtyRects(IRECTList& rects);
  void SetDrawUnionMode(bool on);
  // Merges snapped dirty rectangles in place: contained ones are dropped, overlapping ones cut
  // apart and neighbours sharing an edge fused. Every pixel of the input stays covered.
  static void MergeDirtyRects(IRECTList& rects);
  const IRECT& GetClipRECT() const { return mClipRECT; }
  // The rectangles the frame being drawn (or drawn last) has drawn, in graphics coordinates on
  // whole pixels.
  const IRECTList& GetDrawnRECTs() const { return mDrawnRECTs; }

  // ---- Layers ------------------------------------------------------------------------------
  // Opens a layer over r (aligned outward to whole pixels) and makes it the render target.
  // Every layer can be kept, so cacheable changes nothing with this back-end interface.
  void BeginLayer(IControl* control, const IRECT& r, bool cacheable = false);
  // Closes the top layer and hands it to the caller.
  ILayerPtr FinishLayer();
  void EnterLayer(ILayer* layer);
  ILayer* LeaveLayer();
  void ResumeLayer(ILayerPtr& layer);
  // Whether a kept layer can be painted again unchanged: its control has not moved and the
  // scales are those it was made at.
  bool LayerIsValid(const ILayerPtr& layer);
  void PaintLayer(const ILayerPtr& layer, const IBlend* blend = nullptr);
  void PaintFittedLayer(const ILayerPtr& layer, const IRECT& bounds, const IBlend* blend = nullptr);
  void PaintRotatedLayer(const ILayerPtr& layer, double angle);
  // Turns the layer's alpha channel into its blurred drop shadow.
  void ApplyLayerDropShadow(ILayerPtr& layer, const IShadow& shadow);
  void ClipToRegion(const IRECT& r);
  void WriteLayerPixelsTo(ILayerPtr& layer, WDL_TypedBuf<uint8_t>& data) { WriteLayerPixels(layer, data); }

  // One blur pass over rows of alpha bytes (4 bytes a pixel), written transposed: row i,
  // pixel j goes to out[i * 4 + j * outStride]. Pixels outside a row count as 0.
  static void BlurSwap(uint8_t* out, const uint8_t* in, const uint8_t* kernel, int width, int height, int outStride,
                       int inStride, int kernelSize, uint32_t norm);

  // ---- Resources ---------------------------------------------------------------------------
  // A bitmap for the target scale (0: BitmapScale()): from the bitmap cache, else from the
  // best scaled variant file ("name@2x.png" and so on), redrawn to the target scale when only
  // another scale exists. The empty bitmap when nothing is found.
  virtual IBitmap LoadBitmap(const char* name, int nFrames = 1, bool framesAreHorizontal = false, int targetScale = 0);
  // The same from encoded image bytes, always taken as scale 1.
  virtual IBitmap LoadBitmap(const char* name, const void* data, int dataSize, int nFrames = 1,
                             bool framesAreHorizontal = false, int targetScale = 0);
  // Redraws a bitmap at another scale through a layer and caches the copy.
  virtual IBitmap ScaleBitmap(const IBitmap& in, const char* name, int targetScale);
  // The bitmap cache takes ownership of the bitmap's APIBitmap.
  virtual void RetainBitmap(const IBitmap& bitmap, const char* name);
  // Removes and deletes the cache entry holding the bitmap's APIBitmap; nothing when none does.
  virtual void ReleaseBitmap(const IBitmap& bitmap);
  // The whole content of a located resource file; empty when not found or unreadable.
  virtual WDL_TypedBuf<uint8_t> LoadResource(const char* name, const char* type);
  // A parsed document from the SVG cache or a resource file of type "svg"; null on failure.
  virtual ISVG LoadSVG(const char* name, const char* units = "px", float dpi = 72.f);
  // The same from text in memory; dataSize <= 0 reads up to the first NUL. Null data is refused.
  virtual ISVG LoadSVGFromMemory(const char* name, const void* data, int dataSize, const char* units = "px",
                                 float dpi = 72.f);
  virtual bool LoadFont(const char* fontID, const char* fileNameOrResID);
  virtual bool LoadFont(const char* fontID, void* data, int dataSize);
  bool LoadFont(const char* fontID, const char* familyName, int style);
  // The same resource (name, frames, strip direction) at the current BitmapScale().
  IBitmap FindScaledBitmap(const IBitmap& bitmap);
  // The scale of the bitmap variant that draws sharp: the pixels a point takes on the screen at
  // the editor's draw scale, rounded up to a whole number (at least 1).
  int BitmapScale() const;

  // Tries the target scale, then 4, 3, 2, 1 without the target; answers the location (> 0)
  // with the path and the scale found, or 0.
  int SearchScaledImageResource(const char* name, const char* type, WDL_String& result, int targetScale,
                                int& sourceScale);
  APIBitmap* SearchBitmapInCache(const char* name, int targetScale, int& sourceScale);

  // ---- Controls ----------------------------------------------------------------------------
  // Attaches a control at the end of the list and takes ownership. With a tag that is already
  // in use the call returns null and the caller keeps the control.
  IControl* AddControl(IControl* control, int tag = -1, const char* group = "");

  // The control under a tag; throws std::out_of_range for a tag that is not attached.
  IControl* FindControlByTag(int tag) const { return mCtrlTags.at(tag); }

  int NControls() const { return static_cast<int>(mControls.size()); }
  IControl* GetControl(int idx) const
  {
    return idx >= 0 && idx < NControls() ? mControls[static_cast<size_t>(idx)] : nullptr;
  }
  int GetControlIdx(const IControl* control) const;

  // Special controls stay outside the control list. A second corner resizer is deleted.
  void AddCornerResizer(ICornerResizerControl* control, int mode, bool layoutOnResize = false);
  void AddCornerResizerFor(int mode, bool layoutOnResize, const IColor& color, const IColor& mouseOverColor,
                           const IColor& dragColor, float size);
  void AddPopupMenuControl(const IText& text, const IRECT& bounds = IRECT());
  // Takes ownership; a second popup menu control is deleted.
  void AddPopupMenuControl(IPopupMenuControl* control);
  void AddTextEntryControl();
  // Takes ownership; a second text entry control is deleted.
  void AddTextEntryControl(ITextEntryControl* control);
  void AddBubbleControl(const IText& text);
  void AddBubbleControl(IBubbleControl* control);
  void ShowFrameTimeDisplay(bool enable);
  // Backgrounds go to the front of the control list (index 0), behind every other control.
  void AddBitmapBackground(const char* name);
  void AddSVGBackground(const char* name);
  void AddPanelBackground(const IPattern& pattern);
  void RemovePopupMenuControl();
  void RemoveTextEntryControl();

  void RemoveControl(int idx);
  void RemoveControl(IControl* control);
  void RemoveControlWithTag(int tag);
  void DeleteAllControls();

  ICornerResizerControl* GetCornerResizer() const { return mCornerResizer.get(); }
  IPopupMenuControl* GetPopupMenuControl() const { return mPopupControl.get(); }
  ITextEntryControl* GetTextEntryControl() const { return mTextEntryControl.get(); }
  IFPSDisplayControl* GetFPSDisplay() const { return mPerfDisplay.get(); }
  int NBubbles() const { return static_cast<int>(mBubbleControls.size()); }
  IBubbleControl* GetBubbleControl(int idx) const;

  // ---- Iteration ---------------------------------------------------------------------------
  // The control list, then the FPS display, corner resizer, text entry, popup menu and bubbles.
  // An empty function object throws std::bad_function_call.
  void VisitAllControls(const std::function<void(IControl*)>& func);
  void VisitListedControls(const std::function<void(IControl*)>& func);
  void VisitGroupControls(const char* group, const std::function<void(IControl*)>& func);
  void VisitParamControls(int paramIdx, const std::function<void(IControl*)>& func);

  template <class... Args, class... Passed>
  void ForAllControls(void (IControl::*method)(Args...), Passed... args)
  {
    VisitAllControls([&](IControl* c) { (c->*method)(args...); });
  }

  template <class... Args, class... Passed>
  void ForMatchingControls(void (IControl::*method)(Args...), int paramIdx, Passed... args)
  {
    VisitAllControls([&](IControl* c) {
      if (c->FindValIdxForParam(paramIdx) >= 0)
      {
        (c->*method)(args...);
      }
    });
  }

  void HideParamControls(int paramIdx, bool hide) { ForMatchingControls(&IControl::Hide, paramIdx, hide); }
  void DisableParamControls(int paramIdx, bool disable)
  {
    ForMatchingControls(&IControl::SetDisabled, paramIdx, disable);
  }
  void SetParamControlsDirty(int paramIdx, bool triggerAction, int valIdx)
  {
    ForMatchingControls(&IControl::SetDirty, paramIdx, triggerAction, valIdx);
  }
  void HighlightParamControls(int paramIdx, bool on, int colourIdx)
  {
    ForMatchingControls(&IControl::SetHostHighlight, paramIdx, on, colourIdx);
  }
  int ParamIdxOfControlAt(int idx) const;
  void MarkAllControlsDirty(bool triggerAction = false) { ForAllControls(&IControl::SetDirty, triggerAction, -1); }
  void MarkAllControlsClean() { ForAllControls(&IControl::SetClean); }
  void IdleAllControls() { ForAllControls(&IControl::OnIdle); }

  // Every other listed control linked to the caller's parameter of slot valIdx takes the
  // caller's value.
  void UpdatePeers(IControl* caller, int valIdx);
  void AssignParamNameToolTips();
  void AssignParamNameToolTipsAuto();
  void EnableTooltips(bool enable);
  bool TooltipsEnabled() const { return mEnableTooltips; }
  void StyleAllVectorControls(const IVStyle& style);
  void AppearanceChanged(EUIAppearance appearance)
  {
    if (mAppearanceChangedFunc)
    {
      mAppearanceChangedFunc(appearance);
    }
  }

  // ---- Size and scale ----------------------------------------------------------------------
  void Resize(int w, int h, float scale, bool needsPlatformResize = true);
  void ResizeInPixels(int w, int h, bool sizeIsPoints, float scale);
  void SetBackingScale(float scale);
  void SetLayoutOnResize(bool on) { mLayoutOnResize = on; }
  bool GetLayoutOnResize() const { return mLayoutOnResize; }

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int WindowWidth() const { return static_cast<int>(mWidth * mDrawScale); }
  int WindowHeight() const { return static_cast<int>(mHeight * mDrawScale); }
  int FPS() const { return mFPS; }
  float GetScreenScale() const { return mScreenScale; }
  float GetDrawScale() const { return mDrawScale; }
  float GetTotalScale() const { return EffectiveScale(); }
  float GetMinScale() const { return mMinScale; }
  float GetMaxScale() const { return mMaxScale; }
  void SetScaleConstraints(float lo, float hi)
  {
    mMinScale = lo;
    mMaxScale = hi;
  }
  IRECT GetBounds() const { return IRECT(0.f, 0.f, static_cast<float>(mWidth), static_cast<float>(mHeight)); }

  // ---- Input -------------------------------------------------------------------------------
  enum EResizeMode { kResizeScale = 0, kResizeSize = 1 };

  // Pointer events take one entry per pointer; the mouse is pointer 0. A pointer stays with the
  // control that took it on mouse down until its mouse up.
  void OnMouseDown(const std::vector<IMouseInfo>& points);
  void OnMouseUp(const std::vector<IMouseInfo>& points);
  void OnMouseDrag(const std::vector<IMouseInfo>& points);
  bool OnMouseDblClick(float x, float y, const IMouseMod& mod);
  bool OnMouseOver(float x, float y, const IMouseMod& mod);
  void OnMouseOut();
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta);
  void OnTouchCancelled(const std::vector<IMouseInfo>& points);
  void OnDrop(const char* path, float x, float y);
  void OnFocusLost();
  // The control under the point takes the key, else the key handler; true when used.
  bool OnKeyDown(float x, float y, const IKeyPress& key);
  bool OnKeyUp(float x, float y, const IKeyPress& key);
  void StoreParamIdxAt(float x, float y);
  int TakeStoredParamIdx();
  void EndDragResize();
  // Plays notes from the letter keys (base note 48; Z and X change the octave).
  void SetQwertyMidiKeyHandlerFunc(IMidiKeyFunc func = nullptr);

  void MoveControl(int idx, float x, float y);
  void ResizeControl(int idx, float w, float h);
  void SetControlBounds(int idx, const IRECT& r);

  void ReleaseMouseCapture();
  bool ControlIsCaptured() const { return !mCapturedMap.empty(); }
  bool ControlIsCaptured(const IControl* control) const;
  int NCapturedControls() const { return static_cast<int>(mCapturedMap.size()); }
  void GetMouseDownPoint(float& x, float& y) const
  {
    x = mMouseDownX;
    y = mMouseDownY;
  }
  IControl* GetControlInTextEntry() const { return mInTextEntry; }
  // The entry was closed without its text: nobody waits for an answer any more.
  void ClearInTextEntryControl() { mInTextEntry = nullptr; }
  IControl* GetControlInPopupMenu() const { return mInPopupMenu; }
  IControl* GetMouseOver() const { return mMouseOver; }
  int GetMouseOverIdx() const { return mMouseOverIdx; }
  void SetMouseOverIdx(int idx) { mMouseOverIdx = idx; }
  void EnableMouseOver(bool enable) { mHandleMouseOver = enable; }
  bool MouseOverEnabled() const { return mHandleMouseOver; }
  void EnableMultiTouch(bool enable) { mEnableMultiTouch = enable; }
  bool MultiTouchEnabled() const { return mEnableMultiTouch; }
  bool GetResizingInProcess() const { return mResizingInProcess; }
  void SetResizingInProcess(bool on) { mResizingInProcess = on; }
  int GetResizerMode() const { return mGUISizeMode; }
  void SetResizerMode(int mode) { mGUISizeMode = mode; }
  bool CursorIsHidden() const { return mCursorHidden; }
  bool CursorIsLocked() const { return mCursorLock; }
  // Whether the last mouse event came from a tablet pen, which is never held or moved.
  void SetTabletInput(bool tablet) { mTabletInput = tablet; }
  int GetCursorType() const { return mCursorType; }

  void SetKeyHandlerFunc(IKeyHandlerFunc func) { mKeyHandlerFunc = std::move(func); }
  void SetDisplayTickFunc(IDisplayTickFunc func) { mDisplayTickFunc = std::move(func); }
  void SetUIAppearanceChangedFunc(IUIAppearanceChangedFunc func) { mAppearanceChangedFunc = std::move(func); }

  // ---- Prompts -----------------------------------------------------------------------------
  // Opens a menu of the parameter's display texts or a text entry holding its value.
  void AskForValue(IControl* control, const IRECT& bounds, int valIdx);
  void OpenTextEntry(IControl* control, const IText& text, const IRECT& bounds, const char* str, int valIdx);
  // Shows the menu in the in-window popup control when attached, else through the platform.
  void OpenMenu(IControl* control, IPopupMenu& menu, const IRECT& bounds, int valIdx, bool isContext = false);
  // Ends the open menu: the owner receives the chosen menu (null when nothing was chosen).
  void ApplyPopupMenuResult(IPopupMenu* menu);
  // Ends the open text entry: a linked value is parsed, rounded, clamped and set; otherwise the
  // owner receives the raw text.
  void ApplyTextEntryResult(const char* str);
  void ShowContextMenuFor(IControl* control, float x, float y);
  void ShowContextMenuForIdx(int idx, float x, float y);
  void ShowBubble(IControl* control, const char* str, int direction, float x, float y, IRECT minimumBox,
                  uint64_t touchId = 0);

  // ---- Misc --------------------------------------------------------------------------------
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  void* GetPlatformContext() const { return mPlatformContext; }
  const char* GetSharedResourcesSubPath() const { return mSharedResourcesSubPath.c_str(); }
  void SetSharedResourcesSubPath(const char* name) { mSharedResourcesSubPath = name ? name : ""; }
  float GetXTranslation() const { return mXTranslation; }
  float GetYTranslation() const { return mYTranslation; }
  void SetTranslation(float x, float y)
  {
    mXTranslation = x;
    mYTranslation = y;
  }
  IPopupMenu& GetPromptMenu() { return mPromptPopupMenu; }

  // The control under a point, searched from the top of the list down (see the input road).
  // With capture the pointer touchId is given to the control; with mouseOver the found index is
  // stored as the mouse-over index.
  IControl* GetMouseControl(float x, float y, bool capture, bool mouseOver = false, uint64_t touchId = 0);

protected:
  // Hands a control its delegate and graphics pointer and runs OnInit, OnResize and OnRescale.
  void InitSpecialControl(IControl* control);
  // Attaches a control at list index 0.
  void AddBackground(IControl* control);
  // Forgets a control that is about to go: capture, mouse-over, text-entry and popup owner.
  void ClearControlReferences(IControl* control);
  // The hit test without side effects; idx receives the list index (-1 for special controls).
  IControl* FindControlAt(float x, float y, bool mouseOver, int& idx) const;
  bool DispatchKey(float x, float y, const IKeyPress& key, bool isUp);
  void Draw(const IRECT& rect, float scale);
  void DrawControl(IControl* control, const IRECT& rect, float scale);
  // A hidden control draws nothing, but for the background, which paints behind everything.
  bool DrawsNothing(const IControl* control) const
  {
    return control->IsHidden() && (mControls.empty() || mControls.front() != control);
  }
  void ApplyResize(int w, int h, float scale, bool needsPlatformResize);
  // Window size in pixels for a size in points: draw scale, then the platform's backing scale.
  int WindowPixels(int points) const;
  // Hands a platform font to the back end and caches it there when accepted; deletes it.
  bool LoadPlatformFont(const char* fontID, PlatformFont* font);
  // The end of both bitmap loads: bitmap is cached or was just loaded (then held by loaded);
  // it is redrawn when its scale is not the target, else a loaded one goes into the cache.
  IBitmap AdoptBitmap(APIBitmap* bitmap, std::unique_ptr<APIBitmap> loaded, const char* name, int nFrames,
                      bool framesAreHorizontal, int targetScale);

  // The paths of a parsed document, filled and stroked shape by shape.
  void DrawSVGShapes(const SVGImage& image, const IBlend* blend);
  // The control under a point that takes gestures now, if any.
  IControl* GestureControlAt(float x, float y) const;
  void ResetPromptMenu();
  // The bubble for a control: the first one, or under multi-touch the one of its pointer.
  IBubbleControl* ChooseBubble(IControl* control, uint64_t& touchId);

  // The bitmap and SVG caches' counts follow the graphics objects alive.
  static void RetainStaticStorage();
  static void ReleaseStaticStorage();

  // The roads to the editor delegate.
  void StoreEditorSizeInDelegate();
  IGraphics* GraphicsForControls();
  void ClampToDelegateLimits(int& w, int& h) const;
  // Asks the delegate for a window of the current size and passes its answer to the platform.
  void RequestWindowResize(bool needsPlatformResize);
  void LayoutUIThroughDelegate();
  void BeginParamGestures(IControl* control);
  void EndParamGestures(IControl* control);
  void DelegateMouseDown();
  void DelegateMouseUp();
  // Queues a message built by the keyboard handler for the processor, then hands it to func.
  void SendQwertyMidi(int status, int note, int velocity, const IMidiKeyFunc& func);

  std::vector<IControl*> mControls;  // owned, in attach order; index 0 is the background
  std::unordered_map<int, IControl*> mCtrlTags;
  std::unique_ptr<ICornerResizerControl> mCornerResizer;
  std::vector<IBubbleControl*> mBubbleControls;  // owned
  std::unique_ptr<IPopupMenuControl> mPopupControl;
  std::unique_ptr<IFPSDisplayControl> mPerfDisplay;
  std::unique_ptr<ITextEntryControl> mTextEntryControl;
  IPopupMenu mPromptPopupMenu;
  std::string mSharedResourcesSubPath;
  int mCursorType = 0;
  int mWidth;
  int mHeight;
  int mFPS;
  float mScreenScale = 1.f;
  float mDrawScale;
  std::vector<EGestureType> mRegisteredGestures;
  IRECTList mGestureRegions;
  std::unordered_map<int, GestureFunc> mGestureRegionFuncs;
  std::unordered_map<uint64_t, IControl*> mCapturedMap;
  std::unordered_map<IControl*, int> mGesturesBegun;  // host gestures open per pressed control
  IControl* mMouseOver = nullptr;
  IControl* mInTextEntry = nullptr;
  IControl* mInPopupMenu = nullptr;
  void* mPlatformContext = nullptr;
  bool mIsContextMenu = false;
  int mTextEntryValIdx = -1;
  int mPopupMenuValIdx = -1;
  int mMouseOverIdx = -1;
  float mMouseDownX = -1.f;
  float mMouseDownY = -1.f;
  float mMinScale;
  float mMaxScale;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = false;  // draw the union of the dirty rectangles in one pass
  bool mEnableTooltips = false;
  bool mResizingInProcess = false;
  bool mLayoutOnResize = false;
  bool mEnableMultiTouch = false;
  int mGUISizeMode = 0;  // corner-resizer drag: 0 rescales, 1 resizes
  double mPrevTimestamp = 0.0;
  IKeyHandlerFunc mKeyHandlerFunc;
  IDisplayTickFunc mDisplayTickFunc;
  IUIAppearanceChangedFunc mAppearanceChangedFunc;
  IGEditorDelegate* mDelegate;
  bool mCursorHidden = false;
  bool mCursorLock = false;
  bool mTabletInput = false;
  float mCursorX = -1.f;  // the stored pointer position, graphics coordinates
  float mCursorY = -1.f;
  float mXTranslation = 0.f;  // drawing offset applied when the frame is composited
  float mYTranslation = 0.f;
  IRECT mClipRECT;
  IRECTList mDrawnRECTs;
  std::stack<ILayer*> mLayers;  // open layers; the top one is the render target
  IMatrix mTransform;
  std::stack<IMatrix> mTransformStates;
};

}  // namespace iplug::igraphics
