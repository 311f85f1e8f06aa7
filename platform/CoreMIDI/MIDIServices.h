#pragma once
// MIDI packet lists: packets of bytes that share a time stamp, laid one after another.

#include "platform/CoreFoundation/CFBase.h"

#include <cstddef>

typedef UInt64 MIDITimeStamp;
typedef unsigned long ByteCount;
typedef UInt8 Byte;

#pragma pack(push, 4)
// A packet occupies its header and length bytes of data; the next packet starts at the following
// 4-byte boundary (MIDIPacketNext).
struct MIDIPacket
{
  MIDITimeStamp timeStamp;
  UInt16 length;
  Byte data[256];
};
struct MIDIPacketList
{
  UInt32 numPackets;
  MIDIPacket packet[1];
};
#pragma pack(pop)
static_assert(sizeof(MIDIPacket) == 268);
static_assert(sizeof(MIDIPacketList) == 272);

// Bytes of a packet list able to hold the given packets' data bytes, each packet at most 256.
constexpr ByteCount MIDIPacketListSizeFor(ByteCount packets, ByteCount dataBytes)
{
  return offsetof(MIDIPacketList, packet) + packets * (offsetof(MIDIPacket, data) + 3) + dataBytes;
}

extern "C"
{

  // Empties the list; returns where the first packet goes.
  MIDIPacket* MIDIPacketListInit(MIDIPacketList* list);
  // Adds count bytes at time. They join current when it has the same time stamp and room for them
  // (a packet holds at most 256 bytes); otherwise they start a new packet after it. Returns the
  // packet that holds them, or null (list unchanged) when listSize bytes cannot hold them or
  // count is 0 or above 256.
  MIDIPacket* MIDIPacketListAdd(MIDIPacketList* list, ByteCount listSize, MIDIPacket* current, MIDITimeStamp time,
                                ByteCount count, const Byte* data);

}  // extern "C"

inline MIDIPacket* MIDIPacketNext(const MIDIPacket* packet)
{
  const auto end = reinterpret_cast<uintptr_t>(&packet->data[packet->length]);
  return reinterpret_cast<MIDIPacket*>((end + 3) & ~uintptr_t{3});
}
