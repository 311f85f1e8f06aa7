// libFuzzer target: reads arbitrary bytes as a WAV or AIFF file, first for its format only, then
// whole. When the file is read, the samples written as a WAV file must read back in the same
// format: as many frames and channels, at the same rate.

#include "reports/AudioFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cmath>
#include <string>

namespace {

// Buffers are freed whatever the test's outcome.
struct Buffer
{
  Buffer() { audioFileInit(&buffer); }
  ~Buffer() { audioFileFree(&buffer); }
  AudioFileBuffer buffer;
};

// A short sweep on every channel, written by our own writer in the given format.
void AddSeed(uint16_t channels, uint16_t bits, uint32_t sampleRate, const char* name)
{
  Buffer seed;
  constexpr uint32_t kFrames = 48;
  fuzz::Require(audioFileAllocate(&seed.buffer, kFrames, channels, bits, sampleRate, 0) == 0);
  for (uint32_t c = 0; c < channels; ++c)
  {
    float* samples = audioFileChannel(&seed.buffer, c, true);
    for (uint32_t i = 0; i < kFrames; ++i)
      samples[i] = 0.5f * std::sin(0.01f * float(i * i) + float(c));
    audioFileChannel(&seed.buffer, c, false);
  }
  const std::string path = fuzz::SeedFolder() + "/" + name;
  fuzz::Require(audioFileWriteWav(&seed.buffer, path.c_str()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
  {
    AddSeed(1, 16, 44100, "mono16.wav");
    AddSeed(2, 24, 48000, "stereo24.wav");
    AddSeed(6, 32, 96000, "surround-float.wav");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::string input = fuzz::ScratchPath("input.audio"), written = fuzz::ScratchPath("written.wav");
  fuzz::Require(fuzz::WriteFile(input, data, size));
  Buffer info, read, reread;
  if (audioFileRead(&info.buffer, input.c_str(), 0, 0, true) != 0)
    return 0;
  if (audioFileRead(&read.buffer, input.c_str(), 0, 0, false) != 0)
    return 0;
  const AudioFileBuffer& in = read.buffer;
  fuzz::Require(info.buffer.channels == in.channels && info.buffer.sampleRate == in.sampleRate);
  const int wrote = audioFileWriteWav(&in, written.c_str());
  if (wrote == -7)  // a frame or byte rate too large for a WAV header
    return 0;
  fuzz::Require(wrote == 0);
  fuzz::Require(audioFileRead(&reread.buffer, written.c_str(), 0, 0, false) == 0);
  const AudioFileBuffer& out = reread.buffer;
  fuzz::Require(out.frames == in.frames && out.channels == in.channels && out.sampleRate == in.sampleRate);
  return 0;
}
