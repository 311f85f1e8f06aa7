// libFuzzer target: reads arbitrary bytes as au-host reads its input, as a WAV or AIFF stream a
// stretch at a time, once from a file (which can seek) and once through a pipe (which cannot).
// The two must agree: the same result, format, announced length and samples, bit for bit. Only
// audio before its format is refused through the pipe alone, which cannot go back to it.

#include "reports/AudioFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// What a stream gave: its result, its fields and the bytes of every sample read.
struct Reading
{
  int result = 0;
  AudioFileStream stream{};
  std::vector<uint8_t> samples;
};

Reading ReadAll(FILE* file)
{
  Reading reading;
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  reading.result = audioFileStreamOpen(&reading.stream, file);
  while (reading.result == 0 && !reading.stream.ended)
  {
    reading.result = audioFileStreamRead(&reading.stream, &buffer, 0, 1000);
    const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.samples);
    if (reading.result == 0)
      reading.samples.insert(reading.samples.end(), bytes,
                             bytes + uint64_t(buffer.frames) * buffer.channels * sizeof(float));
  }
  audioFileFree(&buffer);
  return reading;
}

// The whole input waits in the pipe, which is made large enough to hold it, before it is read.
Reading ReadPiped(const uint8_t* data, size_t size)
{
  int ends[2];
  fuzz::Require(pipe(ends) == 0);
  fuzz::Require(size <= 65536 || fcntl(ends[1], F_SETPIPE_SZ, int(size)) >= int(size));
  fuzz::Require(size == 0 || write(ends[1], data, size) == ssize_t(size));
  close(ends[1]);
  FILE* file = fdopen(ends[0], "rb");
  Reading reading = ReadAll(file);
  std::fclose(file);
  return reading;
}

// Streams written by our own writer, whole and with the sizes a writer into a pipe leaves.
void AddSeed(uint16_t channels, uint16_t bits, const char* name, bool openSizes)
{
  AudioFileBuffer seed;
  audioFileInit(&seed);
  fuzz::Require(audioFileAllocate(&seed, 32, channels, bits, 48000, 0) == 0);
  for (uint32_t i = 0; i < 32u * channels; ++i)
    seed.samples[i] = 0.5f * std::sin(0.3f * float(i));
  const std::string path = fuzz::SeedFolder() + "/" + name;
  fuzz::Require(audioFileWriteWav(&seed, path.c_str()) == 0);
  audioFileFree(&seed);
  if (!openSizes)
    return;
  std::vector<uint8_t> bytes = fuzz::ReadFile(path);
  const size_t dataSizeAt = channels > 2 || bits > 16 ? 76 : 40;  // after the extensible format, or the plain
  std::memset(&bytes[4], 0xFF, 4);
  std::memset(&bytes[dataSizeAt], 0xFF, 4);
  fuzz::Require(fuzz::WriteFile(path, bytes.data(), bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
  {
    AddSeed(2, 16, "stereo16.wav", false);
    AddSeed(1, 24, "mono24-open.wav", true);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::string input = fuzz::ScratchPath("input.audio");
  fuzz::Require(fuzz::WriteFile(input, data, size));
  FILE* file = std::fopen(input.c_str(), "rb");
  fuzz::Require(file != nullptr);
  const Reading fromFile = ReadAll(file);
  std::fclose(file);
  const Reading piped = ReadPiped(data, size);
  if (piped.result == -12)
    return 0;
  fuzz::Require(piped.result == fromFile.result);
  if (piped.result != 0)
    return 0;
  const AudioFileStream& a = fromFile.stream;
  const AudioFileStream& b = piped.stream;
  fuzz::Require(a.channels == b.channels && a.bits == b.bits && a.sampleRate == b.sampleRate &&
                a.channelMask == b.channelMask && a.announcedFrames == b.announcedFrames &&
                a.framesRead == b.framesRead && (a.frames == kAudioFileUnknownLength || a.frames == a.framesRead));
  fuzz::Require(fromFile.samples == piped.samples);
  return 0;
}
