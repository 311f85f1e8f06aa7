// libFuzzer target: headless PCM. The first two bytes choose the layout (channels, sample width,
// encoding, byte order), the rest is the file, read whole and then from a frame on. A read holds
// every complete frame the file has, and no more.

#include "reports/AudioFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <string>

namespace {

struct Buffer
{
  Buffer() { audioFileInit(&buffer); }
  ~Buffer() { audioFileFree(&buffer); }
  AudioFileBuffer buffer;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
  {
    // Stereo floats: two frames of a quiet tone, one infinity and one not-a-number.
    const unsigned char seed[] = {0x31, 0x01, 0, 0, 0, 0x3d, 0, 0, 0, 0xbd, 0, 0, 0x80, 0x7f, 0, 0, 0xc0, 0x7f};
    fuzz::Require(fuzz::WriteFile(fuzz::SeedFolder() + "/stereo-float.raw", seed, sizeof seed));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 2)
    return 0;
  static const std::string input = fuzz::ScratchPath("input.raw");
  const uint16_t channels = uint16_t(1 + (data[0] & 0x0F));
  const uint16_t bits = uint16_t(8 * (1 + (data[0] >> 4 & 3)));
  const bool altEncoding = data[1] & 1, bigEndian = data[1] & 2;
  const uint32_t start = data[1] >> 2;
  fuzz::Require(fuzz::WriteFile(input, data + 2, size - 2));
  const uint64_t frames = (size - 2) / (uint64_t(channels) * bits / 8);
  Buffer whole, part;
  const int read = audioFileReadRaw(&whole.buffer, input.c_str(), 0, 0, channels, bits, 48000, 0, altEncoding,
                                    bigEndian);
  fuzz::Require(read == 0 || frames == 0);
  if (read == 0)
    fuzz::Require(whole.buffer.frames == frames);
  const int readPart = audioFileReadRaw(&part.buffer, input.c_str(), start, 3, channels, bits, 48000, 0, altEncoding,
                                        bigEndian);
  if (readPart == 0 && part.buffer.frames > 0)
    fuzz::Require(start + part.buffer.frames <= frames && part.buffer.frames <= 3);
  return 0;
}
