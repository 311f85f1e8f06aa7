#pragma once
// Parameter events that a unit sends and a host listens to.
//
// Delivery is synchronous: AUEventListenerNotify calls every matching listener before it returns,
// on the calling thread.

#include "platform/AudioToolbox/AUComponent.h"
#include "platform/CoreFoundation/CFRunLoop.h"

typedef UInt32 AudioUnitEventType;
enum : AudioUnitEventType {
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3,
};

// A listener registered with this parameter id hears every parameter of the unit.
enum : AudioUnitParameterID { kAUParameterListener_AnyParameter = 0xFFFFFFFF };

struct AudioUnitParameter
{
  AudioUnit mAudioUnit;
  AudioUnitParameterID mParameterID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};
static_assert(sizeof(AudioUnitParameter) == 24);

struct AudioUnitProperty
{
  AudioUnit mAudioUnit;
  AudioUnitPropertyID mPropertyID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};
static_assert(sizeof(AudioUnitProperty) == 24);

struct AudioUnitEvent
{
  AudioUnitEventType mEventType;
  union
  {
    AudioUnitParameter mParameter;
    AudioUnitProperty mProperty;
  } mArgument;
};
static_assert(sizeof(AudioUnitEvent) == 32);

typedef struct AUListenerBase* AUEventListenerRef;
// For a value change, value is the parameter's value read back from the unit; else 0.
typedef void (*AUEventListenerProc)(void* refCon, void* object, const AudioUnitEvent* event, UInt64 eventHostTime,
                                    AudioUnitParameterValue value);

extern "C"
{

  // The run loop, mode and intervals are accepted for form; events are delivered at once.
  OSStatus AUEventListenerCreate(AUEventListenerProc proc, void* refCon, CFRunLoopRef runLoop, CFStringRef runLoopMode,
                                 Float32 notificationInterval, Float32 valueChangeGranularity,
                                 AUEventListenerRef* listener);
  // Subscribes the listener to events equal to event (type, unit, id, scope, element).
  OSStatus AUEventListenerAddEventType(AUEventListenerRef listener, void* object, const AudioUnitEvent* event);
  OSStatus AUEventListenerRemoveEventType(AUEventListenerRef listener, void* object, const AudioUnitEvent* event);
  OSStatus AUListenerDispose(AUEventListenerRef listener);
  // Delivers the event to every subscribed listener except sendingListener.
  OSStatus AUEventListenerNotify(AUEventListenerRef sendingListener, void* sendingObject, const AudioUnitEvent* event);

}  // extern "C"
