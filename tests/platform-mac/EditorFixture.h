#pragma once
// An editor opened as a host opens it: a window of the stand-in whose content view is the host's
// own (it writes down the keys that reach it), the editor delegate's OpenWindow into it, and a
// control that writes down what the graphics core hands it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/IGraphicsEditorDelegate.h"
#include "graphics/IControl.h"
#include "platform-mac/IGraphicsMac.h"
#include "platform-mac/IGraphicsView.h"

namespace vtest {

using namespace iplug;
using namespace iplug::igraphics;

using Log = std::vector<std::string>;

class LogControl : public IControl
{
public:
  LogControl(const IRECT& bounds, Log& log) : IControl(bounds), mLog(log) {}

  void OnMouseDown(float x, float y, const IMouseMod& mod) override { Note("down", x, y, mod); }
  void OnMouseUp(float x, float y, const IMouseMod& mod) override { Note("up", x, y, mod); }
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override
  {
    Note("drag", x, y, mod);
    mLog.back() += " by " + Number(dX) + "," + Number(dY);
  }
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override { Note("double", x, y, mod); }
  void OnMouseOut() override { mLog.push_back("out"); }
  void OnDrop(const char* path) override { mLog.push_back(std::string("drop ") + path); }
  void Draw(IGraphics& g) override
  {
    ++mDraws;
    g.FillRect(IColor(255, 40, 160, 220), GetRECT());
  }

  int mDraws = 0;

private:
  static std::string Number(float v) { return std::to_string(static_cast<int>(v)); }
  void Note(const char* what, float x, float y, const IMouseMod& mod)
  {
    mLog.push_back(std::string(what) + " " + Number(x) + "," + Number(y) + (mod.L ? " L" : "") + (mod.R ? " R" : "") +
                   (mod.S ? " S" : "") + (mod.C ? " C" : "") + (mod.A ? " A" : ""));
  }

  Log& mLog;
};

// Makes 832 by 446 editors at the draw scale asked for; the layout puts a background panel and
// one control at (100, 100, 300, 200). The two parameters are for the tests that prompt for
// values, which define them.
class EditorDelegate : public IGEditorDelegate
{
public:
  EditorDelegate() : IGEditorDelegate(2)
  {
    mMakeGraphicsFunc = [this] { return new IGraphicsMac(*this, 832, 446, 60, drawScale); };
    mLayoutFunc = [this](IGraphics* graphics) {
      ++layouts;
      graphics->AddPanelBackground(IPattern(IColor(255, 30, 30, 34)));
      control = new LogControl(IRECT(100.f, 100.f, 300.f, 200.f), log);
      graphics->AddControl(control);
    };
  }
  void GestureBeginFromEditor(int) override {}
  void GestureEndFromEditor(int) override {}
  IGraphicsMac* Graphics() const { return static_cast<IGraphicsMac*>(GetUI()); }

  float drawScale = 1.f;
  int layouts = 0;
  Log log;
  LogControl* control = nullptr;
};

// The host's own view: the keys its plug-in's view passes on end here.
class HostView : public NSView
{
public:
  void keyDown(const NSEvent& event) override { keys.push_back(event.keyCode()); }
  std::vector<int> keys;
};

class EditorTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    window = std::make_shared<NSWindow>(NSMakeRect(50, 50, 2000, 1000));
    host = std::make_shared<HostView>();
    window->setContentView(host);
    window->makeKeyAndOrderFront();
  }

  void TearDown() override { delegate.CloseWindow(); }

  IGraphicsView_vVantorelix_au* Open()
  {
    return static_cast<IGraphicsView_vVantorelix_au*>(delegate.OpenWindow(host.get()));
  }

  // A point of graphics coordinates in the window's coordinates.
  NSPoint InWindow(const NSView& view, float x, float y) const
  {
    const float scale = delegate.drawScale;
    return view.convertPointToView(NSMakePoint(x * scale, y * scale), nullptr);
  }

  void Mouse(NSEventType type, float x, float y, NSInteger clickCount = 1,
             NSEventModifierFlags flags = NSEventModifierFlags(0))
  {
    const NSPoint at = InWindow(*delegate.Graphics()->GetView(), x, y);
    window->sendEvent(NSEvent::mouseEventWithType(type, at, flags, window.get(), clickCount));
  }

  // Moves the virtual clock on by one frame of the editor and runs what came due.
  static void Tick()
  {
    platform::AdvanceClock(1.0 / 60.0);
    platform::RunMainLoop();
  }

  EditorDelegate delegate;
  std::shared_ptr<NSWindow> window;
  std::shared_ptr<HostView> host;
};

}  // namespace vtest
