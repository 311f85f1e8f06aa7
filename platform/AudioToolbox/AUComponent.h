#pragma once
// The calls a host makes on an audio unit, their selectors, records and status codes.

#include "platform/AudioToolbox/AudioComponent.h"
#include "platform/CoreAudio/CoreAudioTypes.h"

typedef AudioComponentInstance AudioUnit;
typedef UInt32 AudioUnitPropertyID;
typedef UInt32 AudioUnitScope;
typedef UInt32 AudioUnitElement;
typedef UInt32 AudioUnitParameterID;
typedef Float32 AudioUnitParameterValue;
typedef UInt32 AudioUnitRenderActionFlags;

enum : AudioUnitScope {
  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,
};

enum : AudioUnitRenderActionFlags {
  kAudioUnitRenderAction_PreRender = 1u << 2,
  kAudioUnitRenderAction_PostRender = 1u << 3,
  kAudioUnitRenderAction_OutputIsSilence = 1u << 4,
};

enum : OSStatus {
  kAudio_ParamError = -50,
  kAudio_MemFullError = -108,
  coreFoundationUnknownErr = -4960,
  kAudioUnitErr_InvalidProperty = -10879,
  kAudioUnitErr_InvalidParameter = -10878,
  kAudioUnitErr_InvalidElement = -10877,
  kAudioUnitErr_NoConnection = -10876,
  kAudioUnitErr_FailedInitialization = -10875,
  kAudioUnitErr_TooManyFramesToProcess = -10874,
  kAudioUnitErr_FormatNotSupported = -10868,
  kAudioUnitErr_Uninitialized = -10867,
  kAudioUnitErr_InvalidScope = -10866,
  kAudioUnitErr_PropertyNotWritable = -10865,
  kAudioUnitErr_CannotDoInCurrentContext = -10863,
  kAudioUnitErr_InvalidPropertyValue = -10851,
  kAudioUnitErr_PropertyNotInUse = -10850,
  kAudioUnitErr_Initialized = -10849,
};

enum : SInt16 {
  kAudioUnitInitializeSelect = 1,
  kAudioUnitUninitializeSelect = 2,
  kAudioUnitGetPropertyInfoSelect = 3,
  kAudioUnitGetPropertySelect = 4,
  kAudioUnitSetPropertySelect = 5,
  kAudioUnitGetParameterSelect = 6,
  kAudioUnitSetParameterSelect = 7,
  kAudioUnitResetSelect = 9,
  kAudioUnitAddPropertyListenerSelect = 10,
  kAudioUnitRemovePropertyListenerSelect = 11,
  kAudioUnitRenderSelect = 14,
  kAudioUnitAddRenderNotifySelect = 15,
  kAudioUnitRemoveRenderNotifySelect = 16,
  kAudioUnitScheduleParametersSelect = 17,
  kAudioUnitRemovePropertyListenerWithUserDataSelect = 18,
};

typedef OSStatus (*AURenderCallback)(void* refCon, AudioUnitRenderActionFlags* actionFlags,
                                     const AudioTimeStamp* timeStamp, UInt32 busNumber, UInt32 frameCount,
                                     AudioBufferList* data);
typedef void (*AudioUnitPropertyListenerProc)(void* refCon, AudioUnit unit, AudioUnitPropertyID id,
                                              AudioUnitScope scope, AudioUnitElement element);

// A unit's render entry that can be called directly with its own storage (fast dispatch).
typedef OSStatus (*AudioUnitRenderProc)(void* self, AudioUnitRenderActionFlags* actionFlags,
                                        const AudioTimeStamp* timeStamp, UInt32 outputBus, UInt32 frameCount,
                                        AudioBufferList* data);

typedef UInt32 AUParameterEventType;
enum : AUParameterEventType {
  kParameterEvent_Immediate = 1,
  kParameterEvent_Ramped = 2,
};

struct AudioUnitParameterEvent
{
  AudioUnitScope scope;
  AudioUnitElement element;
  AudioUnitParameterID parameter;
  AUParameterEventType eventType;
  union
  {
    struct
    {
      SInt32 startBufferOffset;
      UInt32 durationInFrames;
      AudioUnitParameterValue startValue;
      AudioUnitParameterValue endValue;
    } ramp;
    struct
    {
      UInt32 bufferOffset;
      AudioUnitParameterValue value;
    } immediate;
  } eventValues;
};
static_assert(sizeof(AudioUnitParameterEvent) == 32);

extern "C"
{

  // Each call reaches the unit's method for its selector (factory road) or its entry routine with
  // the arguments packed (entry road). A null unit gives badComponentInstance; a selector the unit
  // does not handle gives badComponentSelector.
  OSStatus AudioUnitInitialize(AudioUnit unit);
  OSStatus AudioUnitUninitialize(AudioUnit unit);
  OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                    AudioUnitElement element, UInt32* size, Boolean* writable);
  OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                void* data, UInt32* size);
  OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                const void* data, UInt32 size);
  OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue* value);
  OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset);
  OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 count);
  OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element);
  OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                        void* refCon);
  OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc);
  OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                       AudioUnitPropertyListenerProc proc, void* refCon);
  OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon);
  OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon);
  OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timeStamp,
                           UInt32 outputBus, UInt32 frameCount, AudioBufferList* data);

}  // extern "C"
