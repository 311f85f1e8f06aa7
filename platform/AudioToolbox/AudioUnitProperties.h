#pragma once
// Property ids of audio units and the records they exchange.

#include "platform/AudioToolbox/AUComponent.h"
#include "platform/CoreFoundation/CFString.h"
#include "platform/CoreFoundation/CFURL.h"

struct MIDIPacketList;

enum : AudioUnitPropertyID {
  kAudioUnitProperty_ClassInfo = 0,
  kAudioUnitProperty_MakeConnection = 1,
  kAudioUnitProperty_SampleRate = 2,
  kAudioUnitProperty_ParameterList = 3,
  kAudioUnitProperty_ParameterInfo = 4,
  kAudioUnitProperty_FastDispatch = 5,
  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_ElementCount = 11,
  kAudioUnitProperty_Latency = 12,
  kAudioUnitProperty_SupportedNumChannels = 13,
  kAudioUnitProperty_MaximumFramesPerSlice = 14,
  kAudioUnitProperty_ParameterValueStrings = 16,
  kAudioUnitProperty_AudioChannelLayout = 19,
  kAudioUnitProperty_TailTime = 20,
  kAudioUnitProperty_BypassEffect = 21,
  kAudioUnitProperty_LastRenderError = 22,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioUnitProperty_FactoryPresets = 24,
  kAudioUnitProperty_HostCallbacks = 27,
  kAudioUnitProperty_CurrentPreset = 28,
  kAudioUnitProperty_ElementName = 30,
  kAudioUnitProperty_CocoaUI = 31,
  kAudioUnitProperty_SupportedChannelLayoutTags = 32,
  kAudioUnitProperty_ParameterStringFromValue = 33,
  kAudioUnitProperty_ParameterIDName = 34,
  kAudioUnitProperty_ParameterClumpName = 35,
  kAudioUnitProperty_PresentPreset = 36,
  kAudioUnitProperty_OfflineRender = 37,
  kAudioUnitProperty_ParameterValueFromString = 38,
  kAudioUnitProperty_AUHostIdentifier = 46,
  kAudioUnitProperty_MIDIOutputCallbackInfo = 47,
  kAudioUnitProperty_MIDIOutputCallback = 48,
  kMusicDeviceProperty_InstrumentCount = 1000,
};

// Selectors of the fast-dispatch property (its element names the entry asked for).
enum : AudioUnitElement {
  kAudioUnitGetParameterSelect_FastDispatch = kAudioUnitGetParameterSelect,
  kAudioUnitSetParameterSelect_FastDispatch = kAudioUnitSetParameterSelect,
  kAudioUnitRenderSelect_FastDispatch = kAudioUnitRenderSelect,
};

struct AudioUnitConnection
{
  AudioUnit sourceAudioUnit;
  UInt32 sourceOutputNumber;
  UInt32 destInputNumber;
};
static_assert(sizeof(AudioUnitConnection) == 16);

struct AURenderCallbackStruct
{
  AURenderCallback inputProc;
  void* inputProcRefCon;
};
static_assert(sizeof(AURenderCallbackStruct) == 16);

struct AUChannelInfo
{
  SInt16 inChannels;
  SInt16 outChannels;
};
static_assert(sizeof(AUChannelInfo) == 4);

struct AUPreset
{
  SInt32 presetNumber;
  CFStringRef presetName;
};
static_assert(sizeof(AUPreset) == 16);

struct AudioUnitCocoaViewInfo
{
  CFURLRef mCocoaAUViewBundleLocation;
  CFStringRef mCocoaAUViewClass[1];
};
static_assert(sizeof(AudioUnitCocoaViewInfo) == 16);

typedef UInt32 AudioUnitParameterUnit;
enum : AudioUnitParameterUnit {
  kAudioUnitParameterUnit_Generic = 0,
  kAudioUnitParameterUnit_Indexed = 1,
  kAudioUnitParameterUnit_Boolean = 2,
  kAudioUnitParameterUnit_Percent = 3,
  kAudioUnitParameterUnit_Seconds = 4,
  kAudioUnitParameterUnit_SampleFrames = 5,
  kAudioUnitParameterUnit_Phase = 6,
  kAudioUnitParameterUnit_Rate = 7,
  kAudioUnitParameterUnit_Hertz = 8,
  kAudioUnitParameterUnit_Cents = 9,
  kAudioUnitParameterUnit_RelativeSemiTones = 10,
  kAudioUnitParameterUnit_MIDINoteNumber = 11,
  kAudioUnitParameterUnit_MIDIController = 12,
  kAudioUnitParameterUnit_Decibels = 13,
  kAudioUnitParameterUnit_LinearGain = 14,
  kAudioUnitParameterUnit_Degrees = 15,
  kAudioUnitParameterUnit_Pan = 18,
  kAudioUnitParameterUnit_Meters = 19,
  kAudioUnitParameterUnit_AbsoluteCents = 20,
  kAudioUnitParameterUnit_Octaves = 21,
  kAudioUnitParameterUnit_BPM = 22,
  kAudioUnitParameterUnit_Beats = 23,
  kAudioUnitParameterUnit_Milliseconds = 24,
  kAudioUnitParameterUnit_Ratio = 25,
  kAudioUnitParameterUnit_CustomUnit = 26,
};

typedef UInt32 AudioUnitParameterOptions;
enum : AudioUnitParameterOptions {
  kAudioUnitParameterFlag_CFNameRelease = 1u << 4,
  kAudioUnitParameterFlag_DisplaySquareRoot = 0x00010000,
  kAudioUnitParameterFlag_DisplaySquared = 0x00020000,
  kAudioUnitParameterFlag_DisplayCubed = 0x00030000,
  kAudioUnitParameterFlag_DisplayCubeRoot = 0x00040000,
  kAudioUnitParameterFlag_DisplayExponential = 0x00050000,
  kAudioUnitParameterFlag_HasClump = 1u << 20,
  kAudioUnitParameterFlag_ValuesHaveStrings = 1u << 21,
  kAudioUnitParameterFlag_DisplayLogarithmic = 1u << 22,
  kAudioUnitParameterFlag_IsHighResolution = 1u << 23,
  kAudioUnitParameterFlag_NonRealTime = 1u << 24,
  kAudioUnitParameterFlag_HasCFNameString = 1u << 27,
  kAudioUnitParameterFlag_IsElementMeta = 1u << 29,
  kAudioUnitParameterFlag_IsReadable = 1u << 30,
  kAudioUnitParameterFlag_IsWritable = 1u << 31,
};

struct AudioUnitParameterInfo
{
  char name[52];
  CFStringRef unitName;
  UInt32 clumpID;
  CFStringRef cfNameString;
  AudioUnitParameterUnit unit;
  AudioUnitParameterValue minValue;
  AudioUnitParameterValue maxValue;
  AudioUnitParameterValue defaultValue;
  AudioUnitParameterOptions flags;
};
static_assert(sizeof(AudioUnitParameterInfo) == 104);

struct AudioUnitParameterStringFromValue
{
  AudioUnitParameterID inParamID;
  const AudioUnitParameterValue* inValue;
  CFStringRef outString;
};
static_assert(sizeof(AudioUnitParameterStringFromValue) == 24);

struct AudioUnitParameterValueFromString
{
  AudioUnitParameterID inParamID;
  CFStringRef inString;
  AudioUnitParameterValue outValue;
};
static_assert(sizeof(AudioUnitParameterValueFromString) == 24);

// For ParameterIDName (inID: a parameter) and ParameterClumpName (inID: a clump).
enum : SInt32 { kAudioUnitParameterName_Full = -1 };
struct AudioUnitParameterNameInfo
{
  UInt32 inID;
  SInt32 inDesiredLength;
  CFStringRef outName;
};
static_assert(sizeof(AudioUnitParameterNameInfo) == 16);

// The host's transport, asked for by the unit during render. Each returns a status.
typedef OSStatus (*HostCallback_GetBeatAndTempo)(void* hostUserData, Float64* currentBeat, Float64* currentTempo);
typedef OSStatus (*HostCallback_GetMusicalTimeLocation)(void* hostUserData, UInt32* deltaSampleOffsetToNextBeat,
                                                        Float32* timeSigNumerator, UInt32* timeSigDenominator,
                                                        Float64* currentMeasureDownBeat);
typedef OSStatus (*HostCallback_GetTransportState)(void* hostUserData, Boolean* isPlaying,
                                                   Boolean* transportStateChanged, Float64* currentSampleInTimeLine,
                                                   Boolean* isCycling, Float64* cycleStartBeat, Float64* cycleEndBeat);
typedef OSStatus (*HostCallback_GetTransportState2)(void* hostUserData, Boolean* isPlaying, Boolean* isRecording,
                                                    Boolean* transportStateChanged, Float64* currentSampleInTimeLine,
                                                    Boolean* isCycling, Float64* cycleStartBeat, Float64* cycleEndBeat);

struct HostCallbackInfo
{
  void* hostUserData;
  HostCallback_GetBeatAndTempo beatAndTempoProc;
  HostCallback_GetMusicalTimeLocation musicalTimeLocationProc;
  HostCallback_GetTransportState transportStateProc;
  HostCallback_GetTransportState2 transportStateProc2;
};
static_assert(sizeof(HostCallbackInfo) == 40);

struct AUNumVersion
{
  UInt8 nonRelRev;
  UInt8 stage;
  UInt8 minorAndBugRev;
  UInt8 majorRev;
};
static_assert(sizeof(AUNumVersion) == 4);

struct AUHostIdentifier
{
  CFStringRef hostName;
  AUNumVersion hostVersion;
};
static_assert(sizeof(AUHostIdentifier) == 16);

typedef OSStatus (*AUMIDIOutputCallback)(void* userData, const AudioTimeStamp* timeStamp, UInt32 midiOutNum,
                                         const MIDIPacketList* packets);

struct AUMIDIOutputCallbackStruct
{
  AUMIDIOutputCallback midiOutputCallback;
  void* userData;
};
static_assert(sizeof(AUMIDIOutputCallbackStruct) == 16);
