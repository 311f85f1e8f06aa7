#pragma once
// The editor side of a plug-in: it owns the parameters and the editor size with its limits, and
// declares the hooks through which values, messages and MIDI travel between plug-in and editor.
// Everything here runs on the main thread; parameter values are atomic, so the audio side may
// read them meanwhile.

#include "framework/ByteChunk.h"
#include "framework/IPlugConstants.h"
#include "framework/IPlugParameter.h"
#include "framework/IPlugStructs.h"
#include "framework/WDLPtrList.h"

namespace iplug {

struct IKeyPress;

class IEditorDelegate
{
public:
  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  // ---- parameters (null for an index outside the list)
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  int NParams() const { return mParams.GetSize(); }

  // ---- editor size in points, and the limits a resize is clamped to
  int GetEditorWidth() const { return mEditorWidth; }
  int GetEditorHeight() const { return mEditorHeight; }
  void SetEditorSize(int width, int height);
  // Each minimum becomes the smaller and each maximum the larger of the two values given.
  void SetSizeConstraints(int widthLo, int widthHi, int heightLo, int heightHi);
  int GetMinWidth() const { return mMinWidth; }
  int GetMaxWidth() const { return mMaxWidth; }
  int GetMinHeight() const { return mMinHeight; }
  int GetMaxHeight() const { return mMaxHeight; }

  // ---- editor lifecycle
  virtual void* OpenWindow(void* parent);
  virtual void CloseWindow();
  // Sends every parameter's normalised value to the editor.
  virtual void EditorOpened();
  virtual void EditorClosed() {}

  // ---- change notifications
  virtual void ParameterChanged(int paramIdx, ParamChangeSource source, int sampleOffset);
  virtual void ParameterChanged(int /*paramIdx*/) {}
  virtual void ParameterChangedUI(int /*paramIdx*/, ParamChangeSource /*source*/) {}
  // Tells the plug-in and the editor side about every parameter, in index order.
  virtual void ParametersReset(ParamChangeSource source);
  virtual void MidiMsgReceivedUI(const IMidiMsg& /*msg*/) {}
  virtual void SysexMsgReceivedUI(const SysExView& /*msg*/) {}
  virtual bool MessageReceived(int /*msgTag*/, int /*ctrlTag*/, int /*dataSize*/, const void* /*data*/)
  {
    return false;
  }
  // Sends every parameter's normalised value to the editor after a state restore.
  virtual void StateRestored();
  virtual bool KeyDown(const IKeyPress& /*key*/) { return false; }
  virtual bool KeyUp(const IKeyPress& /*key*/) { return false; }

  // ---- plug-in to editor
  virtual void DeliverControlValue(int /*ctrlTag*/, double /*normalised*/) {}
  virtual void DeliverControlMessage(int ctrlTag, int msgTag, int dataSize, const void* data);
  virtual void SendArbitraryMsgFromDelegate(int msgTag, int dataSize, const void* data);
  virtual void DeliverMidiToEditor(const IMidiMsg& msg) { MidiMsgReceivedUI(msg); }
  virtual void DeliverSysExToEditor(const SysExView& msg) { SysexMsgReceivedUI(msg); }
  virtual void DeliverValueToEditor(int paramIdx, double value, bool normalised);

  // ---- editor to plug-in and host
  virtual void NotifyHostOfAllValues() {}
  virtual void GestureBeginFromEditor(int paramIdx) = 0;
  // Sets the parameter from a normalised value, then tells the editor side (source editor).
  virtual void SetValueFromEditor(int paramIdx, double normalised, bool callParameterChanged);
  virtual void GestureEndFromEditor(int paramIdx) = 0;
  virtual bool ResizeRequestFromEditor(int /*width*/, int /*height*/, bool /*needsPlatformResize*/) { return false; }
  virtual void QueueMidiFromEditor(const IMidiMsg& /*msg*/) {}
  virtual void QueueSysExFromEditor(const SysExView& /*msg*/) {}
  virtual bool ForwardMessageFromEditor(int /*msgTag*/, int /*ctrlTag*/, int /*dataSize*/, const void* /*data*/)
  {
    return false;
  }
  virtual void QueueMidiMsgFromUI(const IMidiMsg& /*msg*/) {}
  virtual void QueueSysexMsgFromUI(const SysExView& /*msg*/) {}

  // ---- editor state
  virtual bool SerializeEditorState(ByteChunk& /*chunk*/) const { return true; }
  virtual int UnserializeEditorState(const ByteChunk& /*chunk*/, int startPos) { return startPos; }
  virtual void SetBackingScale(float /*scale*/) {}

private:
  void DeliverAllValuesToEditor();

  WDL_PtrList<IParam> mParams;
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  int mMinWidth = 0;
  int mMaxWidth = 0;
  int mMinHeight = 0;
  int mMaxHeight = 0;
};

}  // namespace iplug
