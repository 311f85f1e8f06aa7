#pragma once
// A plug-in and an editor graphics object that record the hooks the framework calls.

#include "framework/IPlugAPIBase.h"
#include "graphics/IControl.h"
#include "graphics/IGraphics.h"

#include <string>
#include <vector>

namespace testing_support {

using iplug::ParamChangeSource;

constexpr int FourCC(const char (&code)[5])
{
  return code[0] << 24 | code[1] << 16 | code[2] << 8 | code[3];
}

inline iplug::IPluginConfig TestConfig(int nParams, bool hasUI = true)
{
  iplug::IPluginConfig config;
  config.nParams = nParams;
  config.nPresets = 1;
  config.pluginName = "Vantorelix";
  config.productName = "Vantorelix";
  config.mfrName = "Maker";
  config.vendorVersion = 0x00030103;
  config.uniqueID = FourCC("ZV65");
  config.mfrID = FourCC("ZVRQ");
  config.plugDoesChunks = true;
  config.plugHasUI = hasUI;
  config.plugWidth = 832;
  config.plugHeight = 446;
  config.plugMinWidth = 2496;  // given the wrong way round: sorted on construction
  config.plugMaxWidth = 304;
  config.plugMinHeight = 446;
  config.plugMaxHeight = 1338;
  config.bundleID = "com.vantorelix.plugin";
  return config;
}

class TestPlugin : public iplug::IPlugAPIBase
{
public:
  explicit TestPlugin(int nParams, bool hasUI = true) : IPlugAPIBase(TestConfig(nParams, hasUI), iplug::kAPIAU) {}

  std::vector<std::string> log;

  void ParameterChanged(int idx, ParamChangeSource source, int offset) override { Log("changed", idx, source, offset); }
  void ParameterChangedUI(int idx, ParamChangeSource source) override { Log("ui", idx, source); }
  void NotifyHostValueChange(int idx, double normalised) override
  {
    log.push_back("host " + std::to_string(idx) + " " + std::to_string(normalised));
  }
  void IdleTick() override { log.push_back("idle"); }
  void EditorClosed() override { log.push_back("closed"); }
  void HostIdentified() override { log.push_back("identified"); }
  void AfterHostIdentified() override { log.push_back("after identified"); }
  void DeliverSysExToEditor(const iplug::SysExView& msg) override
  {
    log.push_back("sysex " + std::to_string(msg.mSize));
  }

  IPlugQueue<iplug::ParamTuple>& ParamQueue() { return mParamChangeToUIQueue; }
  IPlugQueue<iplug::SysExData>& SysExFromEditor() { return mSysExDataFromEditor; }
  IPlugQueue<iplug::SysExData>& SysExToEditor() { return mSysExDataFromProcessor; }

private:
  template <class... Args>
  void Log(const char* what, Args... args)
  {
    std::string line = what;
    ((line += " " + std::to_string(args)), ...);
    log.push_back(line);
  }
};

// The platform side of an editor: opening the window marks the drawing back end ready and runs
// the layout, as the windowing layer does.
class StubGraphics : public iplug::igraphics::IGraphics
{
public:
  using IGraphics::IGraphics;
  using IRECT = iplug::igraphics::IRECT;
  using IColor = iplug::igraphics::IColor;
  using IText = iplug::igraphics::IText;

  void* OpenWindow(void* parent) override
  {
    GetDelegate()->SetGraphicsAvailable(true);
    GetDelegate()->LayoutUI(this);
    mWindow = parent;
    return parent;
  }
  void CloseWindow() override { mWindow = nullptr; }
  void* GetWindow() override { return mWindow; }
  void CursorPosition(float& x, float& y) const override { x = y = 0.f; }

  IColor BackendColorQuery() const override { return {}; }
  void* GetDrawContext() override { return nullptr; }
  const char* RendererName() const override { return "stub"; }
  bool SupportsImageExtension(const char*) override { return false; }
  void PathClear() override {}
  void PathClose() override {}
  void PathArc(float, float, float, float, float, int) override {}
  void PathMoveTo(float, float) override {}
  void PathLineTo(float, float) override {}
  void PathBezierTo(float, float, float, float, float, float) override {}
  void PathQuadTo(float, float, float, float) override {}
  void PathStroke(const iplug::igraphics::IPattern&, float, const iplug::igraphics::IStrokeOptions&,
                  const iplug::igraphics::IBlend*) override
  {
  }
  void PathFill(const iplug::igraphics::IPattern&, const iplug::igraphics::IFillOptions&,
                const iplug::igraphics::IBlend*) override
  {
  }
  void SetTransform(const iplug::igraphics::IMatrix&) override {}
  void SetClipRegion(const IRECT&) override {}
  void SetCursorHidden(bool, bool) override {}
  void WarpCursor(float, float) override {}
  void CloseNativeTextEntry() override {}
  bool ReadClipboardText(std::string&) override { return false; }
  bool WriteClipboardText(const char*) override { return false; }
  void UpdateTooltips() override {}
  int ShowAlert(const char*, const char*, int, AlertCompletionFunc) override { return 0; }
  void AskForFile(std::string&, std::string&, bool, const char*) override {}
  bool AskForFolder(std::string&) override { return false; }
  bool AskForColor(const IColor&, const char*, std::function<void(const IColor&)>) override { return false; }
  bool OpenWebLink(const char*) override { return false; }
  void OpenNativeTextEntry(int, const IText&, const IRECT&, int, const char*) override {}
  iplug::igraphics::IPopupMenu* OpenNativeMenu(iplug::igraphics::IPopupMenu&, const IRECT&, bool&) override
  {
    return nullptr;
  }
  float MeasureTextRun(const IText&, const char*, IRECT&) const override { return 0.f; }
  void DrawTextRun(const IText&, const char*, const IRECT&, const iplug::igraphics::IBlend*) override {}
  void DrawBitmap(const iplug::igraphics::IBitmap&, const IRECT&, int, int, const iplug::igraphics::IBlend*) override {}
  iplug::igraphics::APIBitmap* CreateBackendBitmap(int, int, float, double) override { return nullptr; }
  iplug::igraphics::APIBitmap* LoadBackendBitmap(const char*, int, int, const char*) override { return nullptr; }
  iplug::igraphics::APIBitmap* LoadBackendBitmap(const char*, const void*, int, int) override { return nullptr; }
  bool LoadBackendFont(const char*, iplug::igraphics::PlatformFont*) override { return false; }
  void ReadLayerPixels(iplug::igraphics::ILayerPtr&, WDL_TypedBuf<uint8_t>&) override {}
  void BlendShadowMask(iplug::igraphics::ILayerPtr&, WDL_TypedBuf<uint8_t>&, const iplug::igraphics::IShadow&) override
  {
  }
  void WriteLayerPixels(iplug::igraphics::ILayerPtr&, WDL_TypedBuf<uint8_t>&) override {}
  int AlphaChannel() const override { return 3; }
  bool FlippedBitmap() const override { return false; }
  iplug::igraphics::PlatformFont* LoadNativeFontFromFile(const char*, const char*) override { return nullptr; }
  iplug::igraphics::PlatformFont* LoadNativeFontFromMemory(const char*, void*, int) override { return nullptr; }
  iplug::igraphics::PlatformFont* LoadNativeFontByName(const char*, const char*, int) override { return nullptr; }
  void CacheNativeFont(const char*, iplug::igraphics::PlatformFont*) override {}

private:
  void* mWindow = nullptr;
};

// A control that remembers what the delegate sent it.
class RecordingControl : public iplug::igraphics::IControl
{
public:
  using IControl::IControl;
  void Draw(iplug::igraphics::IGraphics&) override {}
  void ValueFromDelegate(double value, int valIdx) override
  {
    values.push_back(value);
    IControl::ValueFromDelegate(value, valIdx);
  }
  void MessageFromDelegate(int msgTag, int, const void*) override { messages.push_back(msgTag); }
  void OnMidi(const iplug::IMidiMsg& msg) override { midi.push_back(msg.mStatus); }

  std::vector<double> values;
  std::vector<int> messages;
  std::vector<int> midi;
};

}  // namespace testing_support
