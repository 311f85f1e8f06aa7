#pragma once
// The records that carry audio between a host and a unit: time stamps, buffer lists and stream
// formats.

#include "platform/CoreFoundation/CFBase.h"

#include <cstddef>

struct SMPTETime
{
  SInt16 mSubframes;
  SInt16 mSubframeDivisor;
  UInt32 mCounter;
  UInt32 mType;
  UInt32 mFlags;
  SInt16 mHours;
  SInt16 mMinutes;
  SInt16 mSeconds;
  SInt16 mFrames;
};
static_assert(sizeof(SMPTETime) == 24);

typedef UInt32 AudioTimeStampFlags;
enum : AudioTimeStampFlags {
  kAudioTimeStampSampleTimeValid = 1u << 0,
  kAudioTimeStampHostTimeValid = 1u << 1,
  kAudioTimeStampRateScalarValid = 1u << 2,
  kAudioTimeStampWordClockTimeValid = 1u << 3,
  kAudioTimeStampSMPTETimeValid = 1u << 4,
};

struct AudioTimeStamp
{
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  SMPTETime mSMPTETime;
  AudioTimeStampFlags mFlags;
  UInt32 mReserved;
};
static_assert(sizeof(AudioTimeStamp) == 64);

struct AudioBuffer
{
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
};
static_assert(sizeof(AudioBuffer) == 16);

// A list of buffers; it is allocated with room for mNumberBuffers entries, of which the record
// declares one. Use AudioBufferListSize to allocate one.
struct AudioBufferList
{
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
};
static_assert(sizeof(AudioBufferList) == 24);

// Bytes needed for a buffer list of count buffers.
constexpr size_t AudioBufferListSize(UInt32 count)
{
  return offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * (count > 0 ? count : 1);
}

typedef UInt32 AudioFormatID;
typedef UInt32 AudioFormatFlags;
enum : AudioFormatID { kAudioFormatLinearPCM = platform::FourCC("lpcm") };
enum : AudioFormatFlags {
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsBigEndian = 1u << 1,
  kAudioFormatFlagIsSignedInteger = 1u << 2,
  kAudioFormatFlagIsPacked = 1u << 3,
  kAudioFormatFlagIsAlignedHigh = 1u << 4,
  kAudioFormatFlagIsNonInterleaved = 1u << 5,
};

struct AudioStreamBasicDescription
{
  Float64 mSampleRate;
  AudioFormatID mFormatID;
  AudioFormatFlags mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
};
static_assert(sizeof(AudioStreamBasicDescription) == 40);

typedef UInt32 AudioChannelLayoutTag;
