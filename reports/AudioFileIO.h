#pragma once
// Byte-level access to an audio file shared by the readers and the writers: 64-bit positions,
// little- and big-endian integers, and the chunk search of RIFF and IFF files. Positions count
// from where the file stood when it was taken (a stream opened elsewhere may have been read
// partway). A stream that cannot seek (a pipe) is read forward only: a seek forward reads and
// drops, and its size is unknown until it ends.

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace audiofile {

enum Result : int {
  kOk = 0,
  kCannotOpen = -1,
  kBadChunk = -2,
  kNoFrame = -3,
  kTooLarge = -4,
  kShortAppend = -5,
  kNotAudioFile = -6,
  kUnsupported = -7,
  kIncompatible = -8,
  kNotReady = -9,
  kNoTemporary = -10,
  kNoSamples = -11,
  kAudioBeforeFormat = -12,
  kTooMuchBeforeAudio = -13,
  kInterrupted = -14,
};

constexpr uint64_t kUnknownSize = UINT64_MAX;

// An open file; closed when it goes out of scope, unless it was opened elsewhere.
class File
{
public:
  File(const char* path, const char* mode) : mFile(path && path[0] ? std::fopen(path, mode) : nullptr) {}
  // A stream opened elsewhere (standard input), read from where it stands and left open.
  explicit File(FILE* stream);
  ~File()
  {
    if (mOwned)
      Close();
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  explicit operator bool() const { return mFile != nullptr; }
  FILE* Handle() const { return mFile; }
  void Close()
  {
    if (mFile)
      std::fclose(mFile);
    mFile = nullptr;
  }

  bool Seekable() const { return mSeekable; }
  uint64_t Size() const;  // kUnknownSize for a stream that cannot seek
  uint64_t Tell() const;
  bool Seek(uint64_t position);
  bool Skip(uint64_t bytes) { return Seek(Tell() + bytes); }
  bool Read(void* data, size_t bytes)
  {
    const size_t read = std::fread(data, 1, bytes, mFile);
    mPosition += read;
    return read == bytes;
  }
  bool Write(const void* data, size_t bytes)
  {
    const size_t written = std::fwrite(data, 1, bytes, mFile);
    mPosition += written;
    return written == bytes;
  }
  bool ReadId(char id[4]) { return Read(id, 4); }
  bool Expect(const char* id)
  {
    char read[4];
    return ReadId(read) && std::memcmp(read, id, 4) == 0;
  }
  bool U16(bool bigEndian, uint16_t& value);
  bool U32(bool bigEndian, uint32_t& value);
  bool WriteU32(uint32_t value);  // little-endian

  // From a position at a chunk id, skips chunks (sizes rounded up to even) until the wanted id;
  // true with the file just after that id. Chunks that run past the end fail the search. A
  // stream that cannot seek also fails it at the chunk stopAt, if one is given, and Stopped()
  // then tells: that chunk could not be come back to once skipped. A search that would go on past
  // the limit (LimitSearch) fails too, and Overran() then tells.
  bool FindChunk(const char* id, bool bigEndian, const char* stopAt = nullptr);
  // Goes on to the next chunk, at `next`, as the search does: within the file and the limit.
  bool SkipToChunk(uint64_t next) { return SkipToChunk(next, Size()); }
  bool Stopped() const { return mStopped; }
  void LimitSearch(uint64_t position) { mSearchLimit = position; }
  bool Overran() const { return mOverran; }

private:
  bool SkipToChunk(uint64_t next, uint64_t size);

  FILE* mFile;
  bool mOwned = true;
  bool mSeekable = true;
  bool mStopped = false;
  bool mOverran = false;
  uint64_t mSearchLimit = kUnknownSize;
  uint64_t mBase = 0;      // where the file stood when it was taken
  uint64_t mPosition = 0;  // from mBase
};

}  // namespace audiofile
