#include "platform/CoreMIDI/MIDIServices.h"

#include <cstring>

namespace {
constexpr ByteCount kMaxPacketData = sizeof(MIDIPacket::data);
constexpr ByteCount kPacketHeader = offsetof(MIDIPacket, data);
}  // namespace

MIDIPacket* MIDIPacketListInit(MIDIPacketList* list)
{
  list->numPackets = 0;
  return &list->packet[0];
}

MIDIPacket* MIDIPacketListAdd(MIDIPacketList* list, ByteCount listSize, MIDIPacket* current, MIDITimeStamp time,
                              ByteCount count, const Byte* data)
{
  if (!list || !current || !data || count == 0 || count > kMaxPacketData)
    return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(list);
  const uintptr_t end = start + listSize;
  if (list->numPackets > 0 && current->timeStamp == time && current->length + count <= kMaxPacketData)
  {
    if (reinterpret_cast<uintptr_t>(&current->data[current->length]) + count > end)
      return nullptr;
    std::memcpy(&current->data[current->length], data, count);
    current->length = static_cast<UInt16>(current->length + count);
    return current;
  }
  MIDIPacket* packet = list->numPackets == 0 ? current : MIDIPacketNext(current);
  if (reinterpret_cast<uintptr_t>(packet) + kPacketHeader + count > end)
    return nullptr;
  packet->timeStamp = time;
  packet->length = static_cast<UInt16>(count);
  std::memcpy(packet->data, data, count);
  ++list->numPackets;
  return packet;
}
