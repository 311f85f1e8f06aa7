#pragma once
// Byte-level access to an audio file shared by the readers and the writers: 64-bit positions,
// little- and big-endian integers, and the chunk search of RIFF and IFF files.

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
};

// An open file; closed when it goes out of scope.
class File {
public:
  File(const char* path, const char* mode) : mFile(path && path[0] ? std::fopen(path, mode) : nullptr) {}
  ~File() { Close(); }
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

  uint64_t Size() const;
  uint64_t Tell() const;
  bool Seek(uint64_t position);
  bool Skip(uint64_t bytes) { return Seek(Tell() + bytes); }
  bool Read(void* data, size_t bytes) { return std::fread(data, 1, bytes, mFile) == bytes; }
  bool Write(const void* data, size_t bytes) { return std::fwrite(data, 1, bytes, mFile) == bytes; }
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
  // true with the file just after that id. Chunks that run past the end fail the search.
  bool FindChunk(const char* id, bool bigEndian);

private:
  FILE* mFile;
};

}  // namespace audiofile
