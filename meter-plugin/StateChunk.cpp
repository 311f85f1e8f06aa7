#include "meter-plugin/StateChunk.h"

#include "meter-plugin/Vantorelix.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace statechunk {
namespace {

bool PutTag(ByteChunk& chunk, const char* tag)
{
  const int size = chunk.Size();
  return chunk.PutBytes(tag, 4) == size + 4;
}

bool PutU32(ByteChunk& chunk, uint32_t value)
{
  const int size = chunk.Size();
  return chunk.Put(&value) == size + 4;
}

// Stores the size of the chunk whose size field is at sizePos (the bytes after the field), and
// pads the chunk to an even length.
bool EndSubChunk(ByteChunk& chunk, int sizePos)
{
  const auto size = static_cast<uint32_t>(chunk.Size() - (sizePos + 4));
  std::memcpy(chunk.GetData() + sizePos, &size, 4);
  const uint8_t pad = 0;
  const int end = chunk.Size();
  return !(size & 1) || chunk.Put(&pad) == end + 1;
}

}  // namespace

bool AppendStateContainer(ByteChunk& chunk, const Writer& writeText, const Writer& writeHistories)
{
  const int start = chunk.Size();
  const auto fail = [&] {
    chunk.Resize(start);
    return false;
  };
  if (!PutTag(chunk, "RIFF") || !PutU32(chunk, 0) || !PutU32(chunk, kContainerVersion) || !PutTag(chunk, "ZVCM") ||
      !PutTag(chunk, "ZVCS") || !PutU32(chunk, 0) || !PutU32(chunk, kTextVersion))
    return fail();
  if (!writeText(chunk) || !EndSubChunk(chunk, start + 20))
    return fail();
  if (writeHistories)
  {
    const int historyPos = chunk.Size();
    if (!PutTag(chunk, "ZVE0") || !PutU32(chunk, 0) || !PutU32(chunk, kHistoryVersion) || !writeHistories(chunk) ||
        !EndSubChunk(chunk, historyPos + 4))
      return fail();
  }
  if (!EndSubChunk(chunk, start + 4))
    return fail();
  return true;
}

}  // namespace statechunk

namespace {

using statechunk::kRecordSize;

bool TagAt(const ByteChunk& chunk, int64_t pos, const char* tag)
{
  return pos >= 0 && pos + 4 <= chunk.Size() && !std::memcmp(chunk.GetData() + pos, tag, 4);
}

// The caller has checked that the four bytes lie inside the chunk.
uint32_t U32At(const ByteChunk& chunk, int64_t pos)
{
  uint32_t value = 0;
  std::memcpy(&value, chunk.GetData() + pos, 4);
  return value;
}

// Where a history chunk's two stored lists lie, from its first count on: both counts are whole,
// not negative, and every record they count lies within the chunk, or the chunk is refused.
bool FindStoredLists(const ByteChunk& chunk, int64_t countPos, statechunk::StoredLists& lists)
{
  int64_t cursor = countPos;
  const auto find = [&](statechunk::StoredList& list) {
    if (cursor + 4 > chunk.Size())
      return false;
    const auto count = static_cast<int32_t>(U32At(chunk, cursor));
    list.pos = cursor + 4;
    if (count < 0 || count > (chunk.Size() - list.pos) / kRecordSize)
      return false;
    list.count = count;
    cursor = list.pos + int64_t{count} * kRecordSize;
    return true;
  };
  return find(lists.history) && find(lists.memory);
}

// Appends a stored list's records, as far as the list has room.
void ReadPoints(const ByteChunk& chunk, const statechunk::StoredList& stored, LoudnessHistory& list)
{
  LoudnessHistoryPoint point;
  for (int64_t i = 0; i < stored.count; ++i)
  {
    std::memcpy(&point, chunk.GetData() + stored.pos + i * kRecordSize, kRecordSize);
    if (!list.AppendCopy(point))
      break;
  }
}

bool PutPoints(ByteChunk& chunk, const LoudnessHistory& list)
{
  const int64_t count = list.Size() >= statechunk::kMinSavedPoints ? static_cast<int64_t>(list.Size()) : 0;
  const int64_t bytes = count * kRecordSize;
  const int size = chunk.Size();
  if (int64_t{size} + 4 + bytes > INT_MAX)
    return false;
  const auto stored = static_cast<uint32_t>(count);
  return chunk.Put(&stored) == size + 4 &&
         (count == 0 || chunk.PutBytes(list.Data(), static_cast<int>(bytes)) == size + 4 + bytes);
}

// Where a readable container's state text and stored lists lie.
struct ContainerParts
{
  int textPos = 0;
  bool readsHistories = false;
  statechunk::StoredLists lists;
};

// Finds the container at startPos and checks everything in it that could refuse it, its state
// text aside, without changing anything. Returns the container's end, with its parts (an end lies
// past the start), or else what reading gives when nothing is read: startPos where no container
// starts, -1 for one refused.
int FindContainerParts(const ByteChunk& chunk, int startPos, ContainerParts& parts)
{
  const int64_t p = startPos;
  const int64_t n = chunk.Size();
  if (n == 0 || p < 0 || p + 4 > n || !TagAt(chunk, p, "RIFF"))
    return startPos;
  // From here on a container this reader does not know, or one that ends before what it announces,
  // is refused whole (-1): reading on from a position inside it would report a state restored
  // whose settings were never read.
  if (p + 28 > n)
    return -1;
  const uint32_t riffSize = U32At(chunk, p + 4);
  const uint32_t textSize = U32At(chunk, p + 20);
  if (U32At(chunk, p + 8) != statechunk::kContainerVersion || !TagAt(chunk, p + 12, "ZVCM") ||
      !TagAt(chunk, p + 16, "ZVCS") || textSize == 0 || U32At(chunk, p + 24) != statechunk::kTextVersion)
    return -1;

  // A history chunk of another version, or of size 0, is skipped: its lists stay as they are.
  const int64_t q = p + 24 + textSize + (textSize & 1);
  const bool hasHistories = TagAt(chunk, q, "ZVE0");
  if (hasHistories && q + 12 > n)
    return -1;
  parts.readsHistories = hasHistories && U32At(chunk, q + 4) != 0 && U32At(chunk, q + 8) == statechunk::kHistoryVersion;
  if (parts.readsHistories && !FindStoredLists(chunk, q + 12, parts.lists))
    return -1;
  const int64_t end = !hasHistories ? q : !parts.readsHistories ? q + 12 : p + 8 + riffSize + (riffSize & 1);
  if (end > INT_MAX)
    return -1;
  parts.textPos = static_cast<int>(p + 28);
  return static_cast<int>(end);
}

}  // namespace

bool Vantorelix::WriteStateChunk(ByteChunk& chunk) const
{
  return AppendStateContainer(
    chunk, [&](ByteChunk& out) { return WriteStateXml(*this, out); },
    [&](ByteChunk& out) { return AppendHistories(out); });
}

bool Vantorelix::AppendHistories(ByteChunk& chunk) const
{
  // Grow the chunk before taking the lock, so the audio thread waits only for the copy.
  int64_t expected = 0;
  {
    WDL_MutexLock lock(mMutex);
    expected = 8 + int64_t{kRecordSize} * static_cast<int64_t>(mHistory.Size() + mMemory.Size());
  }
  const int size = chunk.Size();
  if (size + expected <= INT_MAX && chunk.Resize(static_cast<int>(size + expected)) == size + expected)
    chunk.Resize(size);

  WDL_MutexLock lock(mMutex);
  return PutPoints(chunk, mHistory) && PutPoints(chunk, mMemory);
}

int Vantorelix::ReadStateChunk(const ByteChunk& chunk, int startPos)
{
  ContainerParts parts;
  const int end = FindContainerParts(chunk, startPos, parts);
  if (end <= startPos)
    return end;
  // A preset the preset menu loads changes only what presets set: the editor's size, the graph's
  // settings and the like stay as the user has them.
  if (ReadStateXml(*this, chunk, parts.textPos, mPresetStore.loading ? KeyTable() : nullptr) == 0)
    return -1;
  if (parts.readsHistories)
    ReadHistories(chunk, parts.lists);
  return end;
}

bool Vantorelix::CanReadState(const ByteChunk& chunk, int startPos) const
{
  ContainerParts parts;
  const int end = FindContainerParts(chunk, startPos, parts);
  return end <= startPos ? end >= 1 : CanReadStateXml(*this, chunk, parts.textPos);
}

void Vantorelix::ReadHistories(const ByteChunk& chunk, const statechunk::StoredLists& lists)
{
  WDL_MutexLock lock(mMutex);
  mHistory.Clear();
  mMemory.Clear();
  ReadPoints(chunk, lists.history, mHistory);
  ReadPoints(chunk, lists.memory, mMemory);
}
