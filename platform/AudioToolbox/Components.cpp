// Component registry and instances for both roads: factory blocks and entry routines.

#include "platform/AudioToolbox/AudioComponent.h"
#include "platform/AudioToolbox/AudioUnit.h"
#include "platform/CoreServices/Components.h"

#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <type_traits>

// The records behind the opaque handles.
struct ComponentRecord
{
  ComponentDescription description;
  std::string name;
  UInt32 version;
  AudioComponentFactoryFunction factory;  // one of these two is set
  ComponentRoutine entry;
};

struct ComponentInstanceRecord
{
  ComponentRecord* component;
  AudioComponentPlugInInterface* plugIn;  // factory road
  Handle storage;                         // entry road: what the unit registered
};

namespace {

struct Registry
{
  std::mutex mutex;
  std::deque<ComponentRecord> components;  // never moved, never removed
};

Registry& Components()
{
  static auto* registry = new Registry;  // kept to the very end
  return *registry;
}

ComponentRecord* Register(const ComponentDescription* description, CFStringRef name, UInt32 version,
                          AudioComponentFactoryFunction factory, ComponentRoutine entry)
{
  if (!description || (!factory && !entry))
    return nullptr;
  const char* text = CFStringGetCStringPtr(name, kCFStringEncodingUTF8);
  std::lock_guard<std::mutex> lock(Components().mutex);
  return &Components().components.emplace_back(
    ComponentRecord{*description, text ? text : "", version, factory, entry});
}

bool Matches(OSType wanted, OSType actual)
{
  return wanted == 0 || wanted == actual;
}

// One argument of an entry-road call as a parameter-block slot.
template <class T>
long Slot(T value)
{
  if constexpr (std::is_pointer_v<T>)
  {
    return reinterpret_cast<long>(value);
  }
  else if constexpr (std::is_floating_point_v<T>)
  {
    static_assert(sizeof(T) == 4, "floats travel as 32 bits");
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return static_cast<long>(bits);
  }
  else
  {
    return static_cast<long>(value);
  }
}

ComponentResult CallEntry(ComponentInstanceRecord* instance, SInt16 selector, std::initializer_list<long> slots)
{
  ComponentParameters params{};
  params.what = selector;
  params.paramSize = static_cast<UInt8>(slots.size() * sizeof(long));
  std::copy(slots.begin(), slots.end(), params.params);
  return instance->component->entry(&params, instance->storage);
}

// Reaches the unit's handler for selector with the call's arguments, on either road.
template <class... Args>
OSStatus Call(AudioUnit unit, SInt16 selector, Args... args)
{
  static_assert(sizeof...(Args) <= kComponentMaxParams);
  if (!unit)
    return badComponentInstance;
  if (unit->plugIn)
  {
    AudioComponentMethod method = unit->plugIn->Lookup(selector);
    if (!method)
      return badComponentSelector;
    return reinterpret_cast<OSStatus (*)(void*, Args...)>(method)(unit->plugIn, args...);
  }
  return CallEntry(unit, selector, {Slot(args)...});
}

}  // namespace

Component RegisterComponent(const ComponentDescription* description, ComponentRoutine entry, CFStringRef name,
                            UInt32 version)
{
  return Register(description, name, version, nullptr, entry);
}

AudioComponent AudioComponentRegister(const AudioComponentDescription* description, CFStringRef name, UInt32 version,
                                      AudioComponentFactoryFunction factory)
{
  return Register(description, name, version, factory, nullptr);
}

AudioComponent AudioComponentFindNext(AudioComponent previous, const AudioComponentDescription* description)
{
  std::lock_guard<std::mutex> lock(Components().mutex);
  bool passed = previous == nullptr;
  for (ComponentRecord& component : Components().components)
  {
    if (!passed)
    {
      passed = &component == previous;
      continue;
    }
    const ComponentDescription& own = component.description;
    if (!description || (Matches(description->componentType, own.componentType) &&
                         Matches(description->componentSubType, own.componentSubType) &&
                         Matches(description->componentManufacturer, own.componentManufacturer)))
      return &component;
  }
  return nullptr;
}

OSStatus AudioComponentGetVersion(AudioComponent component, UInt32* version)
{
  if (!component || !version)
    return kAudio_ParamError;
  *version = component->version;
  return 0;
}

OSStatus AudioComponentCopyName(AudioComponent component, CFStringRef* name)
{
  if (!component || !name)
    return kAudio_ParamError;
  *name = CFStringCreateWithCString(nullptr, component->name.c_str(), kCFStringEncodingUTF8);
  return 0;
}

OSStatus AudioComponentInstanceNew(AudioComponent component, AudioComponentInstance* instance)
{
  if (!component || !instance)
    return kAudio_ParamError;
  *instance = nullptr;
  auto* record = new ComponentInstanceRecord{component, nullptr, nullptr};
  OSStatus status;
  if (component->factory)
  {
    record->plugIn = component->factory(&component->description);
    if (!record->plugIn)
    {
      delete record;
      return kAudioUnitErr_FailedInitialization;
    }
    status = record->plugIn->Open(record->plugIn, record);
    if (status != 0)
      record->plugIn->Close(record->plugIn);
  }
  else
  {
    status = CallEntry(record, kComponentOpenSelect, {Slot(record)});
  }
  if (status != 0)
  {
    delete record;
    return status;
  }
  *instance = record;
  return 0;
}

OSStatus AudioComponentInstanceDispose(AudioComponentInstance instance)
{
  if (!instance)
    return badComponentInstance;
  const OSStatus status = instance->plugIn ? instance->plugIn->Close(instance->plugIn)
                                           : CallEntry(instance, kComponentCloseSelect, {Slot(instance)});
  delete instance;
  return status;
}

Boolean AudioComponentInstanceCanDo(AudioComponentInstance instance, SInt16 selector)
{
  if (!instance)
    return false;
  if (instance->plugIn)
    return instance->plugIn->Lookup(selector) != nullptr;
  return CallEntry(instance, kComponentCanDoSelect, {Slot(selector)}) != 0;
}

Handle GetComponentInstanceStorage(ComponentInstance instance)
{
  if (!instance)
    return nullptr;
  return instance->plugIn ? reinterpret_cast<Handle>(instance->plugIn) : instance->storage;
}

void SetComponentInstanceStorage(ComponentInstance instance, Handle storage)
{
  if (instance)
    instance->storage = storage;
}

ComponentResult GetComponentVersion(ComponentInstance instance)
{
  if (!instance || instance->plugIn)
    return badComponentInstance;
  return CallEntry(instance, kComponentVersionSelect, {});
}

OSStatus AudioUnitInitialize(AudioUnit unit)
{
  return Call(unit, kAudioUnitInitializeSelect);
}

OSStatus AudioUnitUninitialize(AudioUnit unit)
{
  return Call(unit, kAudioUnitUninitializeSelect);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* size, Boolean* writable)
{
  return Call(unit, kAudioUnitGetPropertyInfoSelect, id, scope, element, size, writable);
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* data, UInt32* size)
{
  return Call(unit, kAudioUnitGetPropertySelect, id, scope, element, data, size);
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* data, UInt32 size)
{
  return Call(unit, kAudioUnitSetPropertySelect, id, scope, element, data, size);
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue* value)
{
  return Call(unit, kAudioUnitGetParameterSelect, id, scope, element, value);
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue value, UInt32 bufferOffset)
{
  return Call(unit, kAudioUnitSetParameterSelect, id, scope, element, value, bufferOffset);
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 count)
{
  return Call(unit, kAudioUnitScheduleParametersSelect, events, count);
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element)
{
  return Call(unit, kAudioUnitResetSelect, scope, element);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* refCon)
{
  return Call(unit, kAudioUnitAddPropertyListenerSelect, id, proc, refCon);
}

OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc)
{
  return Call(unit, kAudioUnitRemovePropertyListenerSelect, id, proc);
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* refCon)
{
  return Call(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect, id, proc, refCon);
}

OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon)
{
  return Call(unit, kAudioUnitAddRenderNotifySelect, proc, refCon);
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon)
{
  return Call(unit, kAudioUnitRemoveRenderNotifySelect, proc, refCon);
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timeStamp,
                         UInt32 outputBus, UInt32 frameCount, AudioBufferList* data)
{
  return Call(unit, kAudioUnitRenderSelect, actionFlags, timeStamp, outputBus, frameCount, data);
}

OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame)
{
  return Call(unit, kMusicDeviceMIDIEventSelect, status, data1, data2, offsetSampleFrame);
}

OSStatus MusicDeviceSysEx(AudioUnit unit, const UInt8* data, UInt32 length)
{
  return Call(unit, kMusicDeviceSysExSelect, data, length);
}

OSStatus MusicDeviceStartNote(AudioUnit unit, MusicDeviceInstrumentID instrument, MusicDeviceGroupID group,
                              NoteInstanceID* noteInstance, UInt32 offsetSampleFrame,
                              const MusicDeviceNoteParams* params)
{
  return Call(unit, kMusicDeviceStartNoteSelect, instrument, group, noteInstance, offsetSampleFrame, params);
}
