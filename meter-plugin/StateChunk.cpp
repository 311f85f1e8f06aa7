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

} // namespace

bool AppendStateContainer(ByteChunk& chunk, const Writer& writeText, const Writer& writeHistories)
{
  const int start = chunk.Size();
  const auto fail = [&] {
    chunk.Resize(start);
    return false;
  };
  if (!PutTag(chunk, "RIFF") || !PutU32(chunk, 0) || !PutU32(chunk, kContainerVersion) ||
      !PutTag(chunk, "ZVCM") || !PutTag(chunk, "ZVCS") || !PutU32(chunk, 0) || !PutU32(chunk, kTextVersion))
    return fail();
  if (!writeText(chunk) || !EndSubChunk(chunk, start + 20))
    return fail();
  if (writeHistories)
  {
    const int historyPos = chunk.Size();
    if (!PutTag(chunk, "ZVE0") || !PutU32(chunk, 0) || !PutU32(chunk, kHistoryVersion) ||
        !writeHistories(chunk) || !EndSubChunk(chunk, historyPos + 4))
      return fail();
  }
  if (!EndSubChunk(chunk, start + 4))
    return fail();
  return true;
}

} // namespace statechunk

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

// Appends the records of a stored list that the chunk holds completely, as far as the list has
// room, and moves the cursor past the count's records. False when the chunk ends inside them.
bool ReadPoints(const ByteChunk& chunk, int64_t& cursor, int32_t count, LoudnessHistory& list)
{
  if (count <= 0)
    return true;
  const int64_t available = (chunk.Size() - cursor) / kRecordSize;
  const int64_t complete = std::min<int64_t>(count, available);
  LoudnessHistoryPoint point;
  for (int64_t i = 0; i < complete; ++i)
  {
    std::memcpy(&point, chunk.GetData() + cursor + i * kRecordSize, kRecordSize);
    if (!list.AppendCopy(point))
      break;
  }
  cursor += int64_t{count} * kRecordSize;
  return count <= available;
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

} // namespace

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
  const int64_t p = startPos;
  const int64_t n = chunk.Size();
  if (n == 0 || p < 0 || p + 4 > n || !TagAt(chunk, p, "RIFF"))
    return startPos;
  if (p + 12 > n)
    return -1;
  const uint32_t riffSize = U32At(chunk, p + 4);
  if (U32At(chunk, p + 8) != statechunk::kContainerVersion || !TagAt(chunk, p + 12, "ZVCM"))
    return startPos + 12;
  if (!TagAt(chunk, p + 16, "ZVCS"))
    return startPos + 16;
  if (p + 28 > n)
    return -1;
  const uint32_t textSize = U32At(chunk, p + 20);
  if (textSize == 0 || U32At(chunk, p + 24) != statechunk::kTextVersion)
    return startPos + 28;

  // Everything that could refuse the container is checked before the first value changes.
  const int64_t q = p + 24 + textSize + (textSize & 1);
  const bool hasHistories = TagAt(chunk, q, "ZVE0");
  if (hasHistories && q + 12 > n)
    return -1;
  const bool readsHistories = hasHistories && U32At(chunk, q + 4) != 0 &&
                              U32At(chunk, q + 8) == statechunk::kHistoryVersion;
  const int64_t end = !hasHistories ? q : !readsHistories ? q + 12 : p + 8 + riffSize + (riffSize & 1);
  if (end > INT_MAX)
    return -1;
  // A preset the preset menu loads changes only what presets set: the editor's size, the graph's
  // settings and the like stay as the user has them.
  if (ReadStateXml(*this, chunk, static_cast<int>(p + 28), mPresetStore.loading ? KeyTable() : nullptr) == 0)
    return startPos;
  if (readsHistories)
    ReadHistories(chunk, static_cast<int>(q + 12));
  return static_cast<int>(end);
}

void Vantorelix::ReadHistories(const ByteChunk& chunk, int countPos)
{
  WDL_MutexLock lock(mMutex);
  mHistory.Clear();
  mMemory.Clear();
  int64_t cursor = countPos;
  int32_t count = 0;
  if (chunk.Get(&count, static_cast<int>(cursor)) < 0)
    return;
  cursor += 4;
  if (!ReadPoints(chunk, cursor, count, mHistory) || cursor + 4 > chunk.Size())
    return;
  chunk.Get(&count, static_cast<int>(cursor));
  cursor += 4;
  ReadPoints(chunk, cursor, count, mMemory);
}
