#pragma once

// A graphics object with a view of its own instead of a window: it makes the Metal layer the
// view would make (drawable size = editor size x scale), draws through the real back end, and
// reads back what was presented, the pixels a window would show. Tests, benchmarks and pictures
// draw through it. Dialogs and menus answer "nothing chosen"; the clipboard is a text of its own.

#include <array>
#include <cstdint>
#include <string>

#include "framework/IGraphicsEditorDelegate.h"
#include "platform/Metal/CAMetalLayer.h"
#include "renderer/IGraphicsNanoVG.h"

namespace vtest {

// A file beside the running test program, so that each build keeps its own pictures.
std::string PicturePath(const char* name);
// Writes w x h RGBA pixels as a PNG file.
bool WritePicture(const std::string& path, int w, int h, const uint8_t* rgba);

// An editor delegate without parameters, for graphics that need nothing of a plug-in.
class HeadlessDelegate : public iplug::igraphics::IGEditorDelegate
{
public:
  explicit HeadlessDelegate(int nParams = 0) : IGEditorDelegate(nParams) {}
  void GestureBeginFromEditor(int) override {}
  void GestureEndFromEditor(int) override {}
};

class HeadlessGraphics : public iplug::igraphics::IGraphicsNanoVG
{
public:
  // screenScale is the backing scale the view would report.
  HeadlessGraphics(iplug::igraphics::IGEditorDelegate& dlg, int w, int h, float scale = 1.f, float screenScale = 1.f);
  ~HeadlessGraphics() override;

  // One tick of the view's timer: the dirty controls are marked clean and drawn; answers whether
  // anything was drawn.
  bool DrawFrame();
  // Marks every control dirty and draws them all.
  void DrawFullFrame();
  // RGBA of a presented pixel; transparent black outside the drawable or before any frame.
  std::array<uint8_t, 4> Pixel(int x, int y) const;
  // Writes the presented drawable as an RGBA PNG; false when nothing was presented or the file
  // cannot be written.
  bool WritePNG(const std::string& path) const;
  CAMetalLayer& Layer() { return mLayer; }
  // What was copied last, or what is to be pasted.
  std::string clipboard;

  // The view: the layer and the back end's context; then the delegate lays out the editor.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override { return mOpen ? &mLayer : nullptr; }
  // The plug-in's bundle, whose resources hold the editor's fonts and pictures.
  const char* BundleIdentifier() const override { return "com.zorvalinde.audiounit.Vantorelix"; }
  void DrawAfterResize() override;
  float WindowBackingScale(float) const override { return mBackingScale; }
  const char* PlatformName() const override { return "headless"; }

  // Fonts are the platform's: from the resource folders, memory or the installed families.
  iplug::igraphics::PlatformFont* LoadNativeFontFromFile(const char* fontID, const char* fileName) override;
  iplug::igraphics::PlatformFont* LoadNativeFontFromMemory(const char* fontID, void* data, int size) override;
  iplug::igraphics::PlatformFont* LoadNativeFontByName(const char* fontID, const char* family, int style) override;
  void CacheNativeFont(const char* fontID, iplug::igraphics::PlatformFont* font) override;

  void CursorPosition(float& x, float& y) const override { x = y = 0.f; }
  void SetCursorHidden(bool hide, bool) override { mCursorHidden = hide; }
  void WarpCursor(float, float) override {}
  void CloseNativeTextEntry() override {}
  bool ReadClipboardText(std::string& text) override
  {
    text = clipboard;
    return !clipboard.empty();
  }
  bool WriteClipboardText(const char* text) override
  {
    clipboard = text;
    return true;
  }
  void UpdateTooltips() override {}
  int ShowAlert(const char*, const char*, int, AlertCompletionFunc) override { return 0; }
  void AskForFile(std::string&, std::string&, bool, const char*) override {}
  bool AskForFolder(std::string&) override { return false; }
  bool AskForColor(const iplug::igraphics::IColor&, const char*,
                   std::function<void(const iplug::igraphics::IColor&)>) override
  {
    return false;
  }
  bool OpenWebLink(const char*) override { return false; }
  void OpenNativeTextEntry(int, const iplug::igraphics::IText&, const iplug::igraphics::IRECT&, int,
                           const char*) override
  {
  }
  iplug::igraphics::IPopupMenu* OpenNativeMenu(iplug::igraphics::IPopupMenu&, const iplug::igraphics::IRECT&,
                                               bool& isAsync) override
  {
    isAsync = false;
    return nullptr;
  }

private:
  CAMetalLayer mLayer;
  float mBackingScale;
  bool mOpen = false;
};

}  // namespace vtest
