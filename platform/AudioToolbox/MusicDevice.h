#pragma once
// MIDI into a unit.

#include "platform/AudioToolbox/AUComponent.h"

typedef UInt32 MusicDeviceInstrumentID;
typedef UInt32 MusicDeviceGroupID;
typedef UInt32 NoteInstanceID;

struct NoteParamsControlValue
{
  AudioUnitParameterID mID;
  AudioUnitParameterValue mValue;
};

struct MusicDeviceNoteParams
{
  UInt32 argCount;
  Float32 mPitch;
  Float32 mVelocity;
  NoteParamsControlValue mControls[1];
};

enum : SInt16 {
  kMusicDeviceMIDIEventSelect = 0x0101,
  kMusicDeviceSysExSelect = 0x0102,
  kMusicDevicePrepareInstrumentSelect = 0x0103,
  kMusicDeviceReleaseInstrumentSelect = 0x0104,
  kMusicDeviceStartNoteSelect = 0x0105,
  kMusicDeviceStopNoteSelect = 0x0106,
};

extern "C"
{

  OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame);
  OSStatus MusicDeviceSysEx(AudioUnit unit, const UInt8* data, UInt32 length);
  OSStatus MusicDeviceStartNote(AudioUnit unit, MusicDeviceInstrumentID instrument, MusicDeviceGroupID group,
                                NoteInstanceID* noteInstance, UInt32 offsetSampleFrame,
                                const MusicDeviceNoteParams* params);

}  // extern "C"
