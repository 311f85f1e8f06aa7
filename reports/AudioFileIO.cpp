#include "reports/AudioFileIO.h"

#include <sys/types.h>

#include <algorithm>

namespace audiofile {

File::File(FILE* stream) : mFile(stream), mOwned(false)
{
  const off_t here = stream ? ftello(stream) : -1;
  mSeekable = here >= 0 && fseeko(stream, here, SEEK_SET) == 0;
  mBase = mSeekable ? uint64_t(here) : 0;
}

uint64_t File::Size() const
{
  if (!mSeekable)
    return kUnknownSize;
  const off_t here = ftello(mFile);
  if (here < 0 || fseeko(mFile, 0, SEEK_END) != 0)
    return 0;
  const off_t end = ftello(mFile);
  fseeko(mFile, here, SEEK_SET);
  return end < off_t(mBase) ? 0 : static_cast<uint64_t>(end) - mBase;
}

uint64_t File::Tell() const
{
  return mPosition;
}

bool File::Seek(uint64_t position)
{
  if (!mSeekable)
  {
    if (position < mPosition)
      return false;
    char dropped[4096];
    while (position > mPosition)
      if (!Read(dropped, size_t(std::min<uint64_t>(position - mPosition, sizeof dropped))))
        return false;
    return true;
  }
  if (position > static_cast<uint64_t>(INT64_MAX) - mBase ||
      fseeko(mFile, static_cast<off_t>(mBase + position), SEEK_SET) != 0)
    return false;
  mPosition = position;
  return true;
}

bool File::U16(bool bigEndian, uint16_t& value)
{
  uint8_t bytes[2];
  if (!Read(bytes, 2))
    return false;
  value = bigEndian ? uint16_t(bytes[0] << 8 | bytes[1]) : uint16_t(bytes[1] << 8 | bytes[0]);
  return true;
}

bool File::U32(bool bigEndian, uint32_t& value)
{
  uint8_t b[4];
  if (!Read(b, 4))
    return false;
  value = bigEndian ? uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]
                    : uint32_t(b[3]) << 24 | uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0];
  return true;
}

bool File::WriteU32(uint32_t value)
{
  const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
  return Write(bytes, 4);
}

bool File::FindChunk(const char* id, bool bigEndian, const char* stopAt)
{
  const uint64_t size = Size();
  char read[4];
  mStopped = mOverran = false;
  if (!ReadId(read))
    return false;
  while (std::memcmp(read, id, 4) != 0)
  {
    mStopped = !mSeekable && stopAt && std::memcmp(read, stopAt, 4) == 0;
    if (mStopped)
      return false;
    uint32_t chunkSize;
    if (!U32(bigEndian, chunkSize))
      return false;
    if (!SkipToChunk(Tell() + chunkSize + (chunkSize & 1u), size) || !ReadId(read))
      return false;
  }
  return true;
}

bool File::SkipToChunk(uint64_t next, uint64_t size)
{
  mOverran = next > mSearchLimit;
  return !mOverran && next <= size && Seek(next);
}

}  // namespace audiofile
