#pragma once

// A graphics object that records what the core asks of its back end and platform, a delegate
// that records what the core tells the plug-in, and a control that records its events.

#include <memory>
#include <string>
#include <vector>

#include "framework/IGraphicsEditorDelegate.h"
#include "framework/IPlugParameter.h"
#include "framework/IPlugStructs.h"
#include "graphics/IControl.h"
#include "graphics/IGraphics.h"

namespace vtest {
using namespace iplug;
using namespace iplug::igraphics;

class RecordingGraphics : public IGraphics
{
public:
  RecordingGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 0, float scale = 1.f)
  : IGraphics(dlg, w, h, fps, scale)
  {
  }

  std::vector<std::string> log;  // back-end and platform calls, in order
  bool record = true;            // off: only count them (benchmarks)
  long calls = 0;
  std::vector<IRECT> clips;
  IPopupMenu* nativeMenuResult = nullptr;
  bool nativeMenuAsync = false;
  int nativeMenuOpened = 0;
  int nativeTextEntries = 0;
  std::string nativeTextEntryStr;
  float backingScale = 1.f;

  IColor BackendColorQuery() const override { return IColor(); }
  void* GetDrawContext() override { return nullptr; }
  const char* RendererName() const override { return "recording"; }
  bool SupportsImageExtension(const char* ext) override { return std::string(ext) == "png"; }
  void PathClear() override
  {
    Log([&] { return std::string("clear"); });
  }
  void PathClose() override
  {
    Log([&] { return std::string("close"); });
  }
  void PathArc(float cx, float cy, float r, float a1, float a2, int) override
  {
    Log([&] { return "arc " + F(cx) + " " + F(cy) + " " + F(r) + " " + F(a1) + " " + F(a2); });
  }
  void PathMoveTo(float x, float y) override
  {
    Log([&] { return "move " + F(x) + " " + F(y); });
  }
  void PathLineTo(float x, float y) override
  {
    Log([&] { return "line " + F(x) + " " + F(y); });
  }
  void PathBezierTo(float, float, float, float, float x, float y) override
  {
    Log([&] { return std::string("bezier " + F(x) + " " + F(y)); });
  }
  void PathQuadTo(float, float, float x, float y) override
  {
    Log([&] { return std::string("quad " + F(x) + " " + F(y)); });
  }
  void PathStroke(const IPattern&, float thickness, const IStrokeOptions& options, const IBlend*) override
  {
    Log([&] { return "stroke " + F(thickness) + (options.mDash.mCount ? " dashed" : ""); });
  }
  void PathFill(const IPattern&, const IFillOptions&, const IBlend*) override
  {
    Log([&] { return std::string("fill"); });
  }
  void SetTransform(const IMatrix&) override {}
  void SetClipRegion(const IRECT& r) override
  {
    if (record)
    {
      clips.push_back(r);
    }
  }
  void CursorPosition(float& x, float& y) const override { x = y = 0.f; }
  void SetCursorHidden(bool hide, bool) override
  {
    mCursorHidden = hide;
    Log([&] { return std::string(hide ? "hide cursor" : "show cursor"); });
  }
  void WarpCursor(float, float) override {}
  void CloseNativeTextEntry() override {}
  void* OpenWindow(void*) override
  {
    GetDelegate()->SetGraphicsAvailable(true);
    return this;
  }
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  bool ReadClipboardText(std::string&) override { return false; }
  bool WriteClipboardText(const char*) override { return false; }
  void UpdateTooltips() override
  {
    Log([&] { return std::string("tooltips"); });
  }
  int ShowAlert(const char*, const char*, int, AlertCompletionFunc) override { return 0; }
  void AskForFile(std::string&, std::string&, bool, const char*) override {}
  bool AskForFolder(std::string&) override { return false; }
  bool AskForColor(const IColor&, const char*, std::function<void(const IColor&)>) override { return false; }
  bool OpenWebLink(const char*) override { return false; }
  void OpenNativeTextEntry(int, const IText&, const IRECT&, int, const char* str) override
  {
    ++nativeTextEntries;
    nativeTextEntryStr = str;
  }
  IPopupMenu* OpenNativeMenu(IPopupMenu&, const IRECT&, bool& isAsync) override
  {
    ++nativeMenuOpened;
    isAsync = nativeMenuAsync;
    return nativeMenuResult;
  }
  // Bitmaps are plain records; a layer's pixels are a buffer the test provides.
  struct Bitmap : APIBitmap
  {
    Bitmap(int w, int h, float scale, float drawScale) : APIBitmap(nullptr, w, h, scale, drawScale) {}
  };

  void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend*) override
  {
    Log([&] {
      return std::string("bitmap ") + bitmap.GetResourceName() + " " + F(dest.L) + " " + F(dest.T) + " " + F(dest.R) +
             " " + F(dest.B) + " src " + std::to_string(srcX) + " " + std::to_string(srcY);
    });
  }
  APIBitmap* CreateBackendBitmap(int w, int h, float scale, double drawScale) override
  {
    Log([&] { return "create " + std::to_string(w) + "x" + std::to_string(h); });
    return new Bitmap(w, h, scale, static_cast<float>(drawScale));
  }
  APIBitmap* LoadBackendBitmap(const char* path, int scale, int, const char*) override
  {
    Log([&] { return std::string("load ") + path + " @" + std::to_string(scale); });
    return new Bitmap(64 * scale, 32 * scale, static_cast<float>(scale), 1.f);
  }
  APIBitmap* LoadBackendBitmap(const char* name, const void*, int, int scale) override
  {
    Log([&] { return std::string("load memory ") + name; });
    return new Bitmap(64 * scale, 32 * scale, static_cast<float>(scale), 1.f);
  }
  bool LoadBackendFont(const char* fontID, PlatformFont*) override
  {
    Log([&] { return std::string("backend font ") + fontID; });
    return acceptFonts;
  }
  void ReadLayerPixels(ILayerPtr&, WDL_TypedBuf<uint8_t>& data) override
  {
    data.Resize(static_cast<int>(layerPixels.size()));
    if (!layerPixels.empty())
    {
      std::copy(layerPixels.begin(), layerPixels.end(), data.Get());
    }
  }
  void BlendShadowMask(ILayerPtr&, WDL_TypedBuf<uint8_t>& mask, const IShadow&) override
  {
    shadowMask.assign(mask.Get(), mask.Get() + mask.GetSize());
  }
  void WriteLayerPixels(ILayerPtr&, WDL_TypedBuf<uint8_t>&) override {}
  int AlphaChannel() const override { return 3; }
  bool FlippedBitmap() const override { return false; }
  PlatformFont* LoadNativeFontFromFile(const char* fontID, const char*) override { return NativeFont(fontID); }
  PlatformFont* LoadNativeFontFromMemory(const char* fontID, void*, int) override { return NativeFont(fontID); }
  PlatformFont* LoadNativeFontByName(const char* fontID, const char*, int) override { return NativeFont(fontID); }
  void CacheNativeFont(const char* fontID, PlatformFont*) override
  {
    Log([&] { return std::string("cache font ") + fontID; });
  }
  PlatformFont* NativeFont(const char* fontID)
  {
    Log([&] { return std::string("native font ") + fontID; });
    return nativeFontsExist ? new CountedFont(liveFonts) : nullptr;
  }
  // Counts the platform fonts alive, so a test sees that the core deletes them.
  struct CountedFont : PlatformFont
  {
    explicit CountedFont(int& live) : mLive(live) { ++mLive; }
    ~CountedFont() override { --mLive; }
    void* GetDescriptor() override { return nullptr; }
    IFontDataRecord* GetFontData() override { return nullptr; }
    int& mLive;
  };
  int liveFonts = 0;

  std::vector<uint8_t> layerPixels;
  std::vector<uint8_t> shadowMask;
  bool acceptFonts = true;
  bool nativeFontsExist = true;

  const char* BundleIdentifier() const override { return bundleID.c_str(); }
  std::string bundleID;

  float WindowBackingScale(float) const override { return backingScale; }
  void ResizeNativeView(bool) override
  {
    Log([&] { return std::string("resize view"); });
  }
  void DrawAfterResize() override
  {
    Log([&] { return std::string("draw after resize"); });
  }
  void BeginFrame() override
  {
    IGraphics::BeginFrame();
    Log([&] { return std::string("begin frame"); });
  }
  void EndFrame() override
  {
    Log([&] { return std::string("end frame"); });
  }
  float MeasureTextRun(const IText&, const char* str, IRECT& bounds) const override
  {
    // Eight points per character, one line of 14.
    const float w = 8.f * static_cast<float>(std::string(str).size());
    bounds = IRECT(bounds.L, bounds.T, bounds.L + w, bounds.T + 14.f);
    return w;
  }
  void DrawTextRun(const IText&, const char* str, const IRECT&, const IBlend*) override
  {
    Log([&] { return std::string("text ") + str; });
  }

  template <class MakeEntry>
  void Log(MakeEntry make)
  {
    ++calls;
    if (record)
    {
      log.push_back(make());
    }
  }

  static std::string F(float v)
  {
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%g", v);
    return buf;
  }
};

class TestDelegate : public IGEditorDelegate
{
public:
  explicit TestDelegate(int nParams = 4) : IGEditorDelegate(nParams) {}

  std::vector<std::string> log;
  int layouts = 0;
  bool allowResize = true;

  void GestureBeginFromEditor(int paramIdx) override { log.push_back("begin " + std::to_string(paramIdx)); }
  void GestureEndFromEditor(int paramIdx) override { log.push_back("end " + std::to_string(paramIdx)); }
  void SetValueFromEditor(int paramIdx, double normalised, bool callChanged) override
  {
    IGEditorDelegate::SetValueFromEditor(paramIdx, normalised, callChanged);
    char buf[64];
    std::snprintf(buf, sizeof(buf), "set %d %.4f", paramIdx, normalised);
    log.push_back(buf);
  }
  bool ResizeRequestFromEditor(int w, int h, bool) override
  {
    log.push_back("window " + std::to_string(w) + "x" + std::to_string(h));
    return allowResize;
  }
  void QueueMidiFromEditor(const IMidiMsg& msg) override
  {
    log.push_back("midi " + std::to_string(msg.mStatus) + " " + std::to_string(msg.mData1) + " " +
                  std::to_string(msg.mData2));
  }
  void LayoutUI(IGraphics*) override { ++layouts; }
};

// Records every event it receives into a log shared by the test.
class LogControl : public IControl
{
public:
  LogControl(std::vector<std::string>& log, const char* name, const IRECT& bounds, int paramIdx = -1)
  : IControl(bounds, paramIdx), mLog(log), mName(name)
  {
  }
  ~LogControl() override { mLog.push_back(mName + " deleted"); }

  void Draw(IGraphics&) override { mLog.push_back(mName + " draw"); }
  void OnInit() override { mLog.push_back(mName + " init"); }
  void OnResize() override { mLog.push_back(mName + " resize"); }
  void OnRescale() override { mLog.push_back(mName + " rescale"); }
  void OnAttached() override { mLog.push_back(mName + " attached"); }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override
  {
    mLog.push_back(mName + " down");
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(float, float, const IMouseMod&) override { mLog.push_back(mName + " up"); }
  void OnMouseDrag(float, float, float, float, const IMouseMod&) override { mLog.push_back(mName + " drag"); }
  void OnMouseOver(float x, float y, const IMouseMod& mod) override
  {
    mLog.push_back(mName + " over");
    IControl::OnMouseOver(x, y, mod);
  }
  void OnMouseOut() override
  {
    mLog.push_back(mName + " out");
    IControl::OnMouseOut();
  }
  bool OnKeyDown(float, float, const IKeyPress&) override
  {
    mLog.push_back(mName + " key");
    return takesKeys;
  }
  void PopupMenuChosen(IPopupMenu* menu, int valIdx) override
  {
    mLog.push_back(mName + " chosen " + std::to_string(menu ? menu->GetChosenItemIdx() : -1));
    IControl::PopupMenuChosen(menu, valIdx);
  }
  void ContextItemChosen(int idx) override { mLog.push_back(mName + " context " + std::to_string(idx)); }
  void TextEntryDone(const char* str, int) override { mLog.push_back(mName + " text " + str); }
  void BuildContextMenu(IPopupMenu& menu) override
  {
    for (const std::string& item : contextItems)
    {
      menu.AddItem(item.c_str());
    }
  }

  bool takesKeys = false;
  std::vector<std::string> contextItems;

private:
  std::vector<std::string>& mLog;
  std::string mName;
};

// A delegate and an open editor of 400 x 300 points built through the delegate's own road.
struct Editor
{
  explicit Editor(float scale = 1.f, int w = 400, int h = 300)
  {
    dlg.mMakeGraphicsFunc = [this, scale, w, h] { return new RecordingGraphics(dlg, w, h, 0, scale); };
    dlg.OpenWindow(nullptr);
    g = static_cast<RecordingGraphics*>(dlg.GetUI());
  }

  LogControl* Add(const char* name, const IRECT& bounds, int paramIdx = -1, int tag = -1)
  {
    auto* control = new LogControl(log, name, bounds, paramIdx);
    g->AddControl(control, tag);
    return control;
  }

  std::vector<std::string> log;
  TestDelegate dlg;
  RecordingGraphics* g = nullptr;
};

inline std::vector<IMouseInfo> Mouse(float x, float y, IMouseMod mod = IMouseMod(true), float dx = 0.f, float dy = 0.f)
{
  return {IMouseInfo{x, y, dx, dy, mod}};
}

}  // namespace vtest
