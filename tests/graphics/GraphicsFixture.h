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

namespace vtest
{
using namespace iplug;
using namespace iplug::igraphics;

class RecordingGraphics : public IGraphics
{
public:
  RecordingGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 0, float scale = 1.f)
  : IGraphics(dlg, w, h, fps, scale) {}

  std::vector<std::string> log;  // back-end and platform calls, in order
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
  void PathClear() override { log.push_back("clear"); }
  void PathClose() override { log.push_back("close"); }
  void PathArc(float cx, float cy, float r, float a1, float a2, int) override
  {
    log.push_back("arc " + F(cx) + " " + F(cy) + " " + F(r) + " " + F(a1) + " " + F(a2));
  }
  void PathMoveTo(float x, float y) override { log.push_back("move " + F(x) + " " + F(y)); }
  void PathLineTo(float x, float y) override { log.push_back("line " + F(x) + " " + F(y)); }
  void PathBezierTo(float, float, float, float, float x, float y) override
  {
    log.push_back("bezier " + F(x) + " " + F(y));
  }
  void PathQuadTo(float, float, float x, float y) override
  {
    log.push_back("quad " + F(x) + " " + F(y));
  }
  void PathStroke(const IPattern&, float thickness, const IStrokeOptions& options,
                  const IBlend*) override
  {
    log.push_back("stroke " + F(thickness) + (options.mDash.mCount ? " dashed" : ""));
  }
  void PathFill(const IPattern&, const IFillOptions&, const IBlend*) override
  {
    log.push_back("fill");
  }
  void SetTransform(const IMatrix&) override {}
  void SetClipRegion(const IRECT& r) override { clips.push_back(r); }
  void CursorPosition(float& x, float& y) const override { x = y = 0.f; }
  void SetCursorHidden(bool hide, bool) override
  {
    mCursorHidden = hide;
    log.push_back(hide ? "hide cursor" : "show cursor");
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
  void UpdateTooltips() override { log.push_back("tooltips"); }
  int ShowAlert(const char*, const char*, int) override { return 0; }
  void AskForFile(std::string&, std::string&, bool, const char*) override {}
  bool AskForFolder(std::string&) override { return false; }
  bool AskForColor(const IColor&, const char*, std::function<void(const IColor&)>) override
  {
    return false;
  }
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
  float WindowBackingScale(float) const override { return backingScale; }
  void ResizeNativeView(bool) override { log.push_back("resize view"); }
  void DrawAfterResize() override { log.push_back("draw after resize"); }
  void BeginFrame() override
  {
    IGraphics::BeginFrame();
    log.push_back("begin frame");
  }
  void EndFrame() override { log.push_back("end frame"); }
  float MeasureTextRun(const IText&, const char* str, IRECT& bounds) const override
  {
    // Eight points per character, one line of 14.
    const float w = 8.f * static_cast<float>(std::string(str).size());
    bounds = IRECT(bounds.L, bounds.T, bounds.L + w, bounds.T + 14.f);
    return w;
  }
  void DrawTextRun(const IText&, const char* str, const IRECT&, const IBlend*) override
  {
    log.push_back(std::string("text ") + str);
  }

  using IGraphics::ClampToDelegateLimits;

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

  void GestureBeginFromEditor(int paramIdx) override
  {
    log.push_back("begin " + std::to_string(paramIdx));
  }
  void GestureEndFromEditor(int paramIdx) override
  {
    log.push_back("end " + std::to_string(paramIdx));
  }
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
    log.push_back("midi " + std::to_string(msg.mStatus) + " " + std::to_string(msg.mData1) + " "
                  + std::to_string(msg.mData2));
  }
  void LayoutUI(IGraphics*) override { ++layouts; }
};

// Records every event it receives into a log shared by the test.
class LogControl : public IControl
{
public:
  LogControl(std::vector<std::string>& log, const char* name, const IRECT& bounds,
             int paramIdx = -1)
  : IControl(bounds, paramIdx), mLog(log), mName(name) {}
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
  void OnMouseDrag(float, float, float, float, const IMouseMod&) override
  {
    mLog.push_back(mName + " drag");
  }
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
  void ContextItemChosen(int idx) override
  {
    mLog.push_back(mName + " context " + std::to_string(idx));
  }
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
    dlg.mMakeGraphicsFunc = [this, scale, w, h] {
      return new RecordingGraphics(dlg, w, h, 0, scale);
    };
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

inline std::vector<IMouseInfo> Mouse(float x, float y, IMouseMod mod = IMouseMod(true),
                                     float dx = 0.f, float dy = 0.f)
{
  return {IMouseInfo{x, y, dx, dy, mod}};
}

} // namespace vtest
