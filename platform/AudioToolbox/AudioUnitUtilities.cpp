#include "platform/AudioToolbox/AudioUnitUtilities.h"

#include <algorithm>
#include <mutex>
#include <vector>

struct AUListenerBase
{
  AUEventListenerProc proc;
  void* refCon;
  std::vector<AudioUnitEvent> events;  // what it listens to
};

namespace {

struct Listeners
{
  std::mutex mutex;
  std::vector<AUListenerBase*> all;
};

Listeners& Registered()
{
  static auto* listeners = new Listeners;  // kept to the very end
  return *listeners;
}

bool Same(const AudioUnitEvent& a, const AudioUnitEvent& b)
{
  return a.mEventType == b.mEventType && a.mArgument.mParameter.mAudioUnit == b.mArgument.mParameter.mAudioUnit &&
         a.mArgument.mParameter.mParameterID == b.mArgument.mParameter.mParameterID &&
         a.mArgument.mParameter.mScope == b.mArgument.mParameter.mScope &&
         a.mArgument.mParameter.mElement == b.mArgument.mParameter.mElement;
}

// Whether a subscription hears an event: the same in every field, where a parameter
// subscription for any parameter hears every parameter id.
bool Hears(const AudioUnitEvent& subscription, const AudioUnitEvent& event)
{
  if (subscription.mEventType != kAudioUnitEvent_PropertyChange &&
      subscription.mArgument.mParameter.mParameterID == kAUParameterListener_AnyParameter)
  {
    AudioUnitEvent any = event;
    any.mArgument.mParameter.mParameterID = kAUParameterListener_AnyParameter;
    return Same(subscription, any);
  }
  return Same(subscription, event);
}

}  // namespace

OSStatus AUEventListenerCreate(AUEventListenerProc proc, void* refCon, CFRunLoopRef, CFStringRef, Float32, Float32,
                               AUEventListenerRef* listener)
{
  if (!proc || !listener)
    return kAudio_ParamError;
  *listener = new AUListenerBase{proc, refCon, {}};
  std::lock_guard<std::mutex> lock(Registered().mutex);
  Registered().all.push_back(*listener);
  return 0;
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef listener, void*, const AudioUnitEvent* event)
{
  if (!listener || !event)
    return kAudio_ParamError;
  std::lock_guard<std::mutex> lock(Registered().mutex);
  listener->events.push_back(*event);
  return 0;
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef listener, void*, const AudioUnitEvent* event)
{
  if (!listener || !event)
    return kAudio_ParamError;
  std::lock_guard<std::mutex> lock(Registered().mutex);
  std::erase_if(listener->events, [event](const AudioUnitEvent& own) { return Same(own, *event); });
  return 0;
}

OSStatus AUListenerDispose(AUEventListenerRef listener)
{
  if (!listener)
    return kAudio_ParamError;
  {
    std::lock_guard<std::mutex> lock(Registered().mutex);
    std::erase(Registered().all, listener);
  }
  delete listener;
  return 0;
}

OSStatus AUEventListenerNotify(AUEventListenerRef sendingListener, void*, const AudioUnitEvent* event)
{
  if (!event)
    return kAudio_ParamError;
  struct Delivery
  {
    AUEventListenerProc proc;
    void* refCon;
  };
  std::vector<Delivery> deliveries;
  {
    std::lock_guard<std::mutex> lock(Registered().mutex);
    for (AUListenerBase* listener : Registered().all)
      if (listener != sendingListener &&
          std::any_of(listener->events.begin(), listener->events.end(),
                      [event](const AudioUnitEvent& subscription) { return Hears(subscription, *event); }))
        deliveries.push_back({listener->proc, listener->refCon});
  }
  AudioUnitParameterValue value = 0;
  if (event->mEventType == kAudioUnitEvent_ParameterValueChange && !deliveries.empty())
  {
    const AudioUnitParameter& parameter = event->mArgument.mParameter;
    AudioUnitGetParameter(parameter.mAudioUnit, parameter.mParameterID, parameter.mScope, parameter.mElement, &value);
  }
  for (const Delivery& delivery : deliveries)
    delivery.proc(delivery.refCon, nullptr, event, 0, value);
  return 0;
}
