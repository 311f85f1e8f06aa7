#include "au-adapter/IPlugAUEntry.h"

#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace iplug {

namespace {

IPlugAU* PlugOf(void* self)
{
  return std::launder(reinterpret_cast<IPlugAU*>(static_cast<char*>(self) + sizeof(AUInstanceBlock)));
}

OSStatus auPlugInOpen(void* self, AudioComponentInstance instance)
{
  auto* block = static_cast<AUInstanceBlock*>(self);
  IPlugAU* plug = block->mConstruct(static_cast<char*>(self) + sizeof(AUInstanceBlock));
  plug->SetComponentInstance(instance);
  plug->DropEmptyPresetSlots();
  return noErr;
}

OSStatus auPlugInClose(void* self)
{
  static_cast<AUInstanceBlock*>(self)->mDestruct(PlugOf(self));
  std::free(self);
  return noErr;
}

void auPlugInDestruct(IPlugAU* plug)
{
  plug->~IPlugAU();
}

OSStatus auCompInitialize(void* self)
{
  return PlugOf(self)->Initialize();
}
OSStatus auCompUninitialize(void* self)
{
  return PlugOf(self)->Uninitialize();
}

OSStatus auCompGetPropertyInfo(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                               UInt32* size, Boolean* writable)
{
  return PlugOf(self)->GetPropertyInfo(id, scope, element, size, writable);
}

OSStatus auCompGetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                           void* data, UInt32* size)
{
  return PlugOf(self)->GetPropertyValue(id, scope, element, data, size);
}

OSStatus auCompSetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                           const void* data, UInt32 size)
{
  return PlugOf(self)->SetProperty(id, scope, element, data, size);
}

OSStatus auCompGetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                            AudioUnitParameterValue* value)
{
  return PlugOf(self)->GetParameter(id, scope, element, value);
}

OSStatus auCompSetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                            AudioUnitParameterValue value, UInt32 offset)
{
  return PlugOf(self)->SetParameter(id, scope, element, value, offset);
}

OSStatus auCompReset(void* self, AudioUnitScope scope, AudioUnitElement element)
{
  return PlugOf(self)->Reset(scope, element);
}

OSStatus auCompAddPropertyListener(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* data)
{
  return PlugOf(self)->AddPropertyListener(id, proc, data);
}

OSStatus auCompRemovePropertyListener(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc)
{
  return PlugOf(self)->RemovePropertyListener(id, proc);
}

OSStatus auCompRemovePropertyListenerWithUserData(void* self, AudioUnitPropertyID id,
                                                  AudioUnitPropertyListenerProc proc, void* data)
{
  return PlugOf(self)->RemovePropertyListenerWithUserData(id, proc, data);
}

OSStatus auCompRender(void* self, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp, UInt32 bus,
                      UInt32 frames, AudioBufferList* buffers)
{
  return PlugOf(self)->Render(flags, timeStamp, bus, frames, buffers);
}

OSStatus auCompAddRenderNotify(void* self, AURenderCallback proc, void* refCon)
{
  return PlugOf(self)->AddRenderNotify(proc, refCon);
}

OSStatus auCompRemoveRenderNotify(void* self, AURenderCallback proc, void* refCon)
{
  return PlugOf(self)->RemoveRenderNotify(proc, refCon);
}

OSStatus auCompScheduleParameters(void* self, const AudioUnitParameterEvent* events, UInt32 count)
{
  return PlugOf(self)->ScheduleParameters(events, count);
}

template <class F>
AudioComponentMethod Method(F method)
{
  return reinterpret_cast<AudioComponentMethod>(method);
}

AudioComponentMethod auPlugInLookup(SInt16 selector)
{
  switch (selector)
  {
    case kAudioUnitInitializeSelect: return Method(auCompInitialize);
    case kAudioUnitUninitializeSelect: return Method(auCompUninitialize);
    case kAudioUnitGetPropertyInfoSelect: return Method(auCompGetPropertyInfo);
    case kAudioUnitGetPropertySelect: return Method(auCompGetProperty);
    case kAudioUnitSetPropertySelect: return Method(auCompSetProperty);
    case kAudioUnitGetParameterSelect: return Method(auCompGetParameter);
    case kAudioUnitSetParameterSelect: return Method(auCompSetParameter);
    case kAudioUnitResetSelect: return Method(auCompReset);
    case kAudioUnitAddPropertyListenerSelect: return Method(auCompAddPropertyListener);
    case kAudioUnitRemovePropertyListenerSelect: return Method(auCompRemovePropertyListener);
    case kAudioUnitRenderSelect: return Method(auCompRender);
    case kAudioUnitAddRenderNotifySelect: return Method(auCompAddRenderNotify);
    case kAudioUnitRemoveRenderNotifySelect: return Method(auCompRemoveRenderNotify);
    case kAudioUnitScheduleParametersSelect: return Method(auCompScheduleParameters);
    case kAudioUnitRemovePropertyListenerWithUserDataSelect: return Method(auCompRemovePropertyListenerWithUserData);
    default: return nullptr;
  }
}

// Argument i of a parameter block, as the type the call declares.
template <class T>
T Arg(const ComponentParameters* params, int i)
{
  const long slot = params->params[i];
  if constexpr (std::is_pointer_v<T>)
  {
    return reinterpret_cast<T>(slot);
  }
  else if constexpr (std::is_floating_point_v<T>)
  {
    const auto bits = static_cast<uint32_t>(slot);
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  else
  {
    return static_cast<T>(slot);
  }
}

// The selectors the component entry says it handles: the MIDI selectors are answered too but
// not announced.
bool CanDo(long selector)
{
  return (selector >= 1 && selector <= 7) || (selector >= 9 && selector <= 11) || (selector >= 14 && selector <= 17);
}

}  // namespace

AudioComponentPlugInInterface* AUFactory(PlugCreator create, size_t plugSize)
{
  void* memory = std::malloc(sizeof(AUInstanceBlock) + plugSize);
  if (!memory)
    return nullptr;
  auto* block = new (memory) AUInstanceBlock{
    {auPlugInOpen, auPlugInClose, auPlugInLookup, nullptr}, create, auPlugInDestruct, {nullptr, nullptr}};
  return &block->mInterface;
}

ComponentResult IPlugAU::ComponentEntry(ComponentParameters* p, IPlugAU* plug, IPlugAU* (*create)(void*))
{
  if (p->what == kComponentOpenSelect)
  {
    IPlugAU* created = create(nullptr);
    created->DropEmptyPresetSlots();
    created->mCI = Arg<AudioComponentInstance>(p, 0);
    SetComponentInstanceStorage(created->mCI, reinterpret_cast<Handle>(created));
    return noErr;
  }
  if (p->what == kComponentCanDoSelect)
    return CanDo(p->params[0]);
  if (!plug)
    return badComponentInstance;
  switch (p->what)
  {
    case kComponentCloseSelect:
      for (BusDirection direction : {kInput, kOutput})
        for (BusChannels& bus : plug->mBusChannels[direction])
        {
          bus.mConnected = false;
          bus.mNHostChannels = -1;
        }
      for (InputConnection& connection : plug->mInputConnections)
        connection = InputConnection{};
      delete plug;
      return noErr;
    case kComponentVersionSelect: return plug->PackedVersion();
    case kAudioUnitInitializeSelect: return plug->Initialize();
    case kAudioUnitUninitializeSelect: return plug->Uninitialize();
    case kAudioUnitGetPropertyInfoSelect:
      return plug->GetPropertyInfo(Arg<UInt32>(p, 0), Arg<UInt32>(p, 1), Arg<UInt32>(p, 2), Arg<UInt32*>(p, 3),
                                   Arg<Boolean*>(p, 4));
    case kAudioUnitGetPropertySelect:
      return plug->GetPropertyValue(Arg<UInt32>(p, 0), Arg<UInt32>(p, 1), Arg<UInt32>(p, 2), Arg<void*>(p, 3),
                                    Arg<UInt32*>(p, 4));
    case kAudioUnitSetPropertySelect:
      return plug->SetProperty(Arg<UInt32>(p, 0), Arg<UInt32>(p, 1), Arg<UInt32>(p, 2), Arg<const void*>(p, 3),
                               Arg<UInt32>(p, 4));
    case kAudioUnitGetParameterSelect:
      return plug->GetParameter(Arg<UInt32>(p, 0), Arg<UInt32>(p, 1), Arg<UInt32>(p, 2), Arg<Float32*>(p, 3));
    case kAudioUnitSetParameterSelect:
      return plug->SetParameter(Arg<UInt32>(p, 0), Arg<UInt32>(p, 1), Arg<UInt32>(p, 2), Arg<Float32>(p, 3),
                                Arg<UInt32>(p, 4));
    case kAudioUnitResetSelect: return plug->Reset(Arg<UInt32>(p, 0), Arg<UInt32>(p, 1));
    case kAudioUnitAddPropertyListenerSelect:
      return plug->AddPropertyListener(Arg<UInt32>(p, 0), Arg<AudioUnitPropertyListenerProc>(p, 1), Arg<void*>(p, 2));
    case kAudioUnitRemovePropertyListenerSelect:
      return plug->RemovePropertyListener(Arg<UInt32>(p, 0), Arg<AudioUnitPropertyListenerProc>(p, 1));
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return plug->RemovePropertyListenerWithUserData(Arg<UInt32>(p, 0), Arg<AudioUnitPropertyListenerProc>(p, 1),
                                                      Arg<void*>(p, 2));
    case kAudioUnitRenderSelect:
      return plug->Render(Arg<AudioUnitRenderActionFlags*>(p, 0), Arg<const AudioTimeStamp*>(p, 1), Arg<UInt32>(p, 2),
                          Arg<UInt32>(p, 3), Arg<AudioBufferList*>(p, 4));
    case kAudioUnitAddRenderNotifySelect: return plug->AddRenderNotify(Arg<AURenderCallback>(p, 0), Arg<void*>(p, 1));
    case kAudioUnitRemoveRenderNotifySelect:
      return plug->RemoveRenderNotify(Arg<AURenderCallback>(p, 0), Arg<void*>(p, 1));
    case kAudioUnitScheduleParametersSelect:
      return plug->ScheduleParameters(Arg<const AudioUnitParameterEvent*>(p, 0), Arg<UInt32>(p, 1));
    case kMusicDeviceMIDIEventSelect:
      return plug->MidiEvent(Arg<UInt32>(p, 0), Arg<UInt32>(p, 1), Arg<UInt32>(p, 2), Arg<UInt32>(p, 3));
    case kMusicDeviceSysExSelect: return plug->SysEx(Arg<const UInt8*>(p, 0), Arg<UInt32>(p, 1));
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
    case kMusicDeviceStopNoteSelect: return noErr;
    case kMusicDeviceStartNoteSelect:
    {
      auto* noteInstance = Arg<NoteInstanceID*>(p, 2);
      const auto* note = Arg<const MusicDeviceNoteParams*>(p, 4);
      if (noteInstance && note)
        *noteInstance = NoteInstanceID(note->mPitch);
      return noErr;
    }
    default: return badComponentSelector;
  }
}

}  // namespace iplug
