#pragma once
// The older component road: a component is one entry routine that receives every call as a
// selector with its arguments packed in a parameter block, plus per-instance storage.

#include "platform/CoreFoundation/CFBase.h"
#include "platform/CoreFoundation/CFString.h"

typedef SInt32 ComponentResult;
typedef char** Handle;
typedef struct ComponentInstanceRecord* ComponentInstance;
typedef struct ComponentRecord* Component;

enum : SInt16 {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
};

enum : OSStatus {
  badComponentInstance = static_cast<OSStatus>(0x80008001),
  badComponentSelector = static_cast<OSStatus>(0x80008002),
};

enum { kComponentMaxParams = 8 };

// The block handed to an entry routine. params holds the call's arguments in the order of the
// call's own argument list (the unit itself not counted), one pointer-sized slot each: integers
// and pointers converted to long, a float as its 32 bits in the low half of the slot. Open and
// Close carry the component instance in params[0]; CanDo the selector asked about.
struct ComponentParameters
{
  UInt8 flags;
  UInt8 paramSize;  // bytes of params in use
  SInt16 what;      // the selector
  UInt32 padding;
  long params[kComponentMaxParams];
};

typedef ComponentResult (*ComponentRoutine)(ComponentParameters* params, Handle storage);

struct ComponentDescription
{
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
};
static_assert(sizeof(ComponentDescription) == 20);

extern "C"
{

  // Makes an entry routine known as a component; AudioComponentFindNext and
  // AudioComponentInstanceNew then reach it like any other component.
  Component RegisterComponent(const ComponentDescription* description, ComponentRoutine entry, CFStringRef name,
                              UInt32 version);
  // The storage the unit's code registered for an instance; for a unit made by a factory, the
  // plug-in interface block its methods receive.
  Handle GetComponentInstanceStorage(ComponentInstance instance);
  void SetComponentInstanceStorage(ComponentInstance instance, Handle storage);
  // Asks an entry-road instance for its version (selector -4); badComponentInstance otherwise.
  ComponentResult GetComponentVersion(ComponentInstance instance);

}  // extern "C"
