#pragma once
// The editor delegate bound to the graphics layer: it makes the editor's graphics object through
// the plug-in's callbacks, owns it while the editor is open, relays values, messages, MIDI and
// keys to its controls, and remembers the editor's size and scale across a close.

#include "framework/IPlugEditorDelegate.h"

#include <functional>

namespace iplug::igraphics {

class IGraphics;

class IGEditorDelegate : public IEditorDelegate
{
public:
  using MakeGraphicsFunc = std::function<IGraphics*()>;
  using LayoutFunc = std::function<void(IGraphics* graphics)>;

  explicit IGEditorDelegate(int nParams);
  ~IGEditorDelegate() override;

  // The plug-in stores these once, at construction.
  MakeGraphicsFunc mMakeGraphicsFunc;
  LayoutFunc mLayoutFunc;

  // Closes an open editor (keeping its size), makes a new one and opens its view in the parent.
  // Null when no graphics object could be made.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;

  void DeliverValueToEditor(int paramIdx, double value, bool normalised) override;
  void DeliverControlValue(int ctrlTag, double normalised) override;
  void DeliverControlMessage(int ctrlTag, int msgTag, int dataSize, const void* data) override;
  void DeliverMidiToEditor(const IMidiMsg& msg) override;
  // Keys go to the control under the pointer, or to the graphics object's key handler.
  bool KeyDown(const IKeyPress& key) override { return ForwardKey(key, false); }
  bool KeyUp(const IKeyPress& key) override { return ForwardKey(key, true); }
  // Width, height (32-bit ints) and draw scale (32-bit float) of the open or last editor.
  bool SerializeEditorState(ByteChunk& chunk) const override;
  // Reads a size written by SerializeEditorState: applies it to an open editor, or remembers it
  // for the next one. A short chunk returns -1 and changes nothing.
  int UnserializeEditorState(const ByteChunk& chunk, int startPos) override;
  void SetBackingScale(float scale) override;

  virtual IGraphics* CreateGraphics();
  virtual void LayoutUI(IGraphics* graphics);

  // The graphics core calls these on every handled mouse down (before the control gets it) and
  // on every captured mouse up. Plug-ins may override them.
  virtual void OnMouseDownHook() {}
  virtual void OnMouseUpHook() {}

  IGraphics* GetUI() const { return mGraphics; }
  // The draw scale the graphics object stores beside the editor size when it is made.
  void SetEditorScale(float scale) { mEditorScale = scale; }
  float GetEditorScale() const { return mEditorScale; }
  // Set by the platform graphics class when it opens its window and the drawing back end is ready.
  void SetGraphicsAvailable(bool available) { mGraphicsAvailable = available; }
  bool GetGraphicsAvailable() const { return mGraphicsAvailable; }

protected:
  // The graphics object only when it may be used for drawing-related calls.
  IGraphics* AvailableGraphics() const { return mGraphicsAvailable ? mGraphics : nullptr; }

private:
  void CloseGraphics();
  bool ForwardKey(const IKeyPress& key, bool isUp);

  IGraphics* mGraphics = nullptr;
  int mRememberedWidth = 0;
  int mRememberedHeight = 0;
  float mRememberedScale = 0.f;
  float mEditorScale = 1.f;
  bool mSizeRemembered = false;
  bool mClosing = false;
  bool mGraphicsAvailable = false;
};

}  // namespace iplug::igraphics
