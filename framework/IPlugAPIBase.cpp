#include "framework/IPlugAPIBase.h"

#include "framework/IPlugHostIdentification.h"

#include <cmath>
#include <cstring>

namespace iplug {

IPlugAPIBase::IPlugAPIBase(const IPluginConfig& config, PluginApi api) : IPluginBase(config.nParams, config.nPresets)
{
  SetIdentity(config.pluginName, config.productName, config.mfrName, config.uniqueID, config.mfrID,
              config.vendorVersion, config.plugDoesChunks, config.plugHasUI, api, config.bundleID);
  SetEditorSize(config.plugWidth, config.plugHeight);
  SetSizeConstraints(config.plugMinWidth, config.plugMaxWidth, config.plugMinHeight, config.plugMaxHeight);
  SetHost("Unknown", kHostUninit, 0);
}

IPlugAPIBase::~IPlugAPIBase()
{
  if (mTimer)
    mTimer->Stop();
}

void IPlugAPIBase::StartIdleTimer()
{
  mTimer = Timer::Create([this](Timer&) { IdleTimerFired(); }, kIdleTimerMs);
}

void IPlugAPIBase::IdleTimerFired()
{
  if (HasUI())
  {
    ParamTuple tuple;
    while (mParamChangeToUIQueue.Pop(tuple))
      DeliverValueToEditor(tuple.idx, tuple.value, false);
    IMidiMsg msg;
    while (mMidiMsgsFromProcessor.Pop(msg))
      DeliverMidiToEditor(msg);
    SysExData sysex;
    while (mSysExDataFromProcessor.Pop(sysex))
      DeliverSysExToEditor(SysExView{sysex.mOffset, sysex.mSize, sysex.mData});
  }
  IdleTick();
}

void IPlugAPIBase::QueueValueForEditor(int paramIdx, double value, bool normalised)
{
  const IParam* param = GetParam(paramIdx);
  if (param && normalised)
    value = param->FromNormalised(value);
  mParamChangeToUIQueue.Push(ParamTuple{paramIdx, value});
}

void IPlugAPIBase::SetParameterValue(int paramIdx, double normalised, bool callParameterChanged)
{
  if (IParam* param = GetParam(paramIdx))
    param->SetNormalised(normalised);
  NotifyHostValueChange(paramIdx, normalised);
  if (callParameterChanged)
    ParameterChanged(paramIdx, kEditor, -1);
}

void IPlugAPIBase::SetValueFromEditor(int paramIdx, double normalised, bool callParameterChanged)
{
  SetParameterValue(paramIdx, normalised, callParameterChanged);
  // A second write makes the previous value equal the new one: the editor's change is settled.
  if (IParam* param = GetParam(paramIdx))
    param->SetNormalised(normalised);
  ParameterChangedUI(paramIdx, kEditor);
}

void IPlugAPIBase::NotifyHostOfAllValues()
{
  for (int i = 0; i < NParams(); ++i)
    NotifyHostValueChange(i, GetParam(i)->GetNormalised());
}

bool IPlugAPIBase::ResizeRequestFromEditor(int width, int height, bool needsPlatformResize)
{
  return needsPlatformResize ? RequestEditorResize(width, height) : true;
}

bool IPlugAPIBase::ForwardMessageFromEditor(int msgTag, int ctrlTag, int dataSize, const void* data)
{
  return MessageReceived(msgTag, ctrlTag, dataSize, data);
}

void IPlugAPIBase::QueueMidiMsgFromUI(const IMidiMsg& msg)
{
  mMidiMsgsFromEditor.Push(msg);
}

void IPlugAPIBase::QueueSysexMsgFromUI(const SysExView& msg)
{
  if (msg.mSize < 0 || msg.mSize > SysExData::kMaxSize)
    return;
  SysExData data;
  data.mOffset = msg.mOffset;
  data.mSize = msg.mSize;
  if (msg.mData)
    std::memcpy(data.mData, msg.mData, static_cast<size_t>(msg.mSize));
  mSysExDataFromEditor.Push(data);
}

bool IPlugAPIBase::StateEquals(const ByteChunk& chunk, int startPos) const
{
  const int64_t begin = int64_t{startPos} * static_cast<int64_t>(sizeof(double));
  const int64_t end = begin + int64_t{NParams()} * static_cast<int64_t>(sizeof(double));
  if (NParams() == 0)
    return true;
  if (startPos < 0 || end > chunk.Size())
    return false;
  int pos = static_cast<int>(begin);
  for (int i = 0; i < NParams(); ++i)
  {
    double stored = 0.0;
    pos = chunk.Get(&stored, pos);
    const double a = static_cast<float>(GetParam(i)->Value());
    const double b = static_cast<float>(stored);
    if (!(std::abs(a - b) < 1e-5))
      return false;
  }
  return true;
}

igraphics::IGraphics* IPlugAPIBase::ActiveGraphics() const
{
  return GetGraphicsAvailable() ? GetUI() : nullptr;
}

void IPlugAPIBase::IdentifyHost(const char* name, int version)
{
  SetHost(name, LookUpHost(name), version);
  HostIdentified();
  AfterHostIdentified();
}

}  // namespace iplug
