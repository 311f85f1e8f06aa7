#pragma once
// Components made by a factory function, and instances of any component.

#include "platform/CoreFoundation/CFBase.h"
#include "platform/CoreFoundation/CFString.h"
#include "platform/CoreServices/Components.h"

typedef ComponentDescription AudioComponentDescription;
typedef Component AudioComponent;
typedef ComponentInstance AudioComponentInstance;

typedef OSStatus (*AudioComponentMethod)(void* self, ...);

// The head of the block a factory returns; the unit's own data may follow it.
struct AudioComponentPlugInInterface
{
  OSStatus (*Open)(void* self, AudioComponentInstance instance);
  OSStatus (*Close)(void* self);
  AudioComponentMethod (*Lookup)(SInt16 selector);
  void* reserved;
};

typedef AudioComponentPlugInInterface* (*AudioComponentFactoryFunction)(const AudioComponentDescription* description);

extern "C"
{

  AudioComponent AudioComponentRegister(const AudioComponentDescription* description, CFStringRef name, UInt32 version,
                                        AudioComponentFactoryFunction factory);
  // The next registered component after previous (null: the first) matching the description, where
  // a zero type, subtype or manufacturer matches any.
  AudioComponent AudioComponentFindNext(AudioComponent previous, const AudioComponentDescription* description);
  OSStatus AudioComponentGetVersion(AudioComponent component, UInt32* version);
  // The name, retained for the caller.
  OSStatus AudioComponentCopyName(AudioComponent component, CFStringRef* name);

  // Opens an instance: a factory component's block is made and opened; an entry component gets the
  // Open selector. On failure nothing is left open and *instance is null.
  OSStatus AudioComponentInstanceNew(AudioComponent component, AudioComponentInstance* instance);
  // Closes the instance (Close of the block, or the Close selector) and frees it.
  OSStatus AudioComponentInstanceDispose(AudioComponentInstance instance);
  // Whether the instance handles the selector: its Lookup gives a method, or its CanDo says so.
  Boolean AudioComponentInstanceCanDo(AudioComponentInstance instance, SInt16 selector);

}  // extern "C"
