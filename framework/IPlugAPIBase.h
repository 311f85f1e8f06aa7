#pragma once
// The plug-in layer between the plug-in base and a host adapter: the 20 ms idle timer, the
// lock-free queues between host, audio side and editor, the relays by which editor changes reach
// the parameters and the host, and host identification.

#include "framework/IPlugPluginBase.h"
#include "framework/IPlugQueue.h"
#include "framework/IPlugTimer.h"

#include <memory>

namespace iplug {

class IPlugAPIBase : public IPluginBase
{
public:
  static constexpr uint32_t kIdleTimerMs = 20;
  static constexpr int kParamQueueCapacity = 512;
  static constexpr int kMidiQueueCapacity = 32;
  static constexpr int kSysExQueueCapacity = 4;

  IPlugAPIBase(const IPluginConfig& config, PluginApi api);
  ~IPlugAPIBase() override;

  // Starts (or restarts) the idle timer; the host adapter calls it as its constructor's last step.
  void StartIdleTimer();
  // One idle tick: hands queued values and messages to the editor, then runs IdleTick.
  virtual void IdleTimerFired();
  // Sets a parameter from a normalised value and tells the host, and the plug-in when asked.
  void SetParameterValue(int paramIdx, double normalised, bool callParameterChanged);
  // Identifies the host from its name (or bundle identifier) once it is known.
  void IdentifyHost(const char* name, int version);

  // ---- relays from the editor
  void NotifyHostOfAllValues() override;
  void GestureBeginFromEditor(int paramIdx) override { NotifyHostGestureBegin(paramIdx); }
  void SetValueFromEditor(int paramIdx, double normalised, bool callParameterChanged) override;
  void GestureEndFromEditor(int paramIdx) override { NotifyHostGestureEnd(paramIdx); }
  bool ResizeRequestFromEditor(int width, int height, bool needsPlatformResize) override;
  void QueueMidiFromEditor(const IMidiMsg& msg) override { QueueMidiMsgFromUI(msg); }
  void QueueSysExFromEditor(const SysExView& msg) override { QueueSysexMsgFromUI(msg); }
  bool ForwardMessageFromEditor(int msgTag, int ctrlTag, int dataSize, const void* data) override;
  void QueueMidiMsgFromUI(const IMidiMsg& msg) override;
  // A message longer than a SysExData holds is dropped.
  void QueueSysexMsgFromUI(const SysExView& msg) override;

  // True when every parameter's value matches the double stored at startPos + its index (counted
  // in doubles) within 1e-5 in single precision; false when the chunk is too short.
  virtual bool StateEquals(const ByteChunk& chunk, int startPos) const;
  virtual void AfterHostIdentified() {}
  // The editor's graphics object while it can draw, else null.
  igraphics::IGraphics* ActiveGraphics() const;
  // Runs every 20 ms on the main thread, editor or not; the product does its periodic work here.
  virtual void IdleTick() {}
  // Queues a value set by the host or the audio side for the editor (dropped when the queue is full).
  virtual void QueueValueForEditor(int paramIdx, double value, bool normalised);
  virtual void HostIdentified() {}
  virtual bool RequestEditorResize(int /*width*/, int /*height*/) { return false; }
  virtual void NotifyHostGestureBegin(int /*paramIdx*/) {}
  virtual void NotifyHostGestureEnd(int /*paramIdx*/) {}
  virtual void NotifyHostValueChange(int /*paramIdx*/, double /*normalised*/) {}

protected:
  IPlugQueue<ParamTuple> mParamChangeToUIQueue{kParamQueueCapacity};
  IPlugQueue<IMidiMsg> mMidiMsgsFromEditor{kMidiQueueCapacity};
  IPlugQueue<IMidiMsg> mMidiMsgsFromProcessor{kMidiQueueCapacity};
  IPlugQueue<SysExData> mSysExDataFromEditor{kSysExQueueCapacity};
  IPlugQueue<SysExData> mSysExDataFromProcessor{kSysExQueueCapacity};
  SysExData mSysexBuf;  // the adapter pops each message from the editor into it

private:
  std::unique_ptr<Timer> mTimer;
};

}  // namespace iplug
