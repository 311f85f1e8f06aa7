#include "reports/AudioFile.h"
#include "reports/AudioFileIO.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace audiofile;

namespace {

constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Bytes per written sample: 16-bit PCM up to 16 bits, 24-bit PCM up to 24, else 32-bit float.
uint32_t ContainerBytes(uint16_t bits) { return bits > 32 ? 4 : bits < 9 ? 2 : (bits + 7u) / 8u; }

float Finite(float sample) { return std::isfinite(sample) ? sample : 0.0f; }

void PutLE(uint8_t* out, uint32_t value, int bytes)
{
  for (int i = 0; i < bytes; ++i)
    out[i] = uint8_t(value >> (8 * i));
}

// The buffer's samples, interleaved in the container width, scaled down as a whole when they
// exceed full scale, followed by a zero pad byte when the size is odd. Empty on allocation failure.
std::vector<uint8_t> Encode(const AudioFileBuffer* buffer, uint32_t bytesPerSample)
{
  const uint64_t dataSize = uint64_t(buffer->frames) * buffer->channels * bytesPerSample;
  std::vector<uint8_t> block;
  try {
    block.resize(dataSize + (dataSize & 1));
  } catch (const std::bad_alloc&) {
    return {};
  }
  const float peak = audioFilePeak(buffer);
  const double gain = peak > 1.0f ? 1.0 / peak : 1.0;
  uint8_t* out = block.data();
  for (uint32_t i = 0; i < buffer->frames; ++i) {
    for (uint32_t c = 0; c < buffer->channels; ++c, out += bytesPerSample) {
      const double s = Finite(buffer->samples[uint64_t(c) * buffer->frames + i]) * gain;
      if (bytesPerSample == 4) {
        PutLE(out, std::bit_cast<uint32_t>(float(s)), 4);
      } else {
        const int shift = bytesPerSample == 3 ? 7 : 15;
        const int64_t limit = bytesPerSample == 3 ? 8388607 : 32767;
        const int64_t v = static_cast<int64_t>(s * 1073741824.0 + double(int64_t{1} << (shift - 1))) >> shift;
        PutLE(out, static_cast<uint32_t>(std::clamp<int64_t>(v, -limit - 1, limit)), int(bytesPerSample));
      }
    }
  }
  return block;
}

bool WriteU16(File& file, uint16_t value)
{
  const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
  return file.Write(bytes, 2);
}

bool WriteHeader(File& file, const AudioFileBuffer* buffer, uint32_t bytesPerSample, uint32_t dataSize)
{
  const bool extensible = buffer->channels > 2 || bytesPerSample > 2;
  const uint32_t blockAlign = buffer->channels * bytesPerSample;
  const uint32_t riffSize = (extensible ? 72 : 36) + dataSize + (dataSize & 1);
  bool ok = file.Write("RIFF", 4) && file.WriteU32(riffSize) && file.Write("WAVEfmt ", 8) &&
            file.WriteU32(extensible ? 40 : 16) && WriteU16(file, extensible ? 0xFFFE : 1) &&
            WriteU16(file, buffer->channels) && file.WriteU32(buffer->sampleRate) &&
            file.WriteU32(buffer->sampleRate * blockAlign) && WriteU16(file, uint16_t(blockAlign)) &&
            WriteU16(file, uint16_t(bytesPerSample * 8));
  if (ok && extensible)
    ok = WriteU16(file, 22) && WriteU16(file, uint16_t(bytesPerSample * 8)) && file.WriteU32(buffer->channelMask) &&
         WriteU16(file, bytesPerSample == 4 ? 3 : 1) && file.Write(kSubFormatTail, sizeof kSubFormatTail) &&
         file.Write("fact", 4) && file.WriteU32(4) && file.WriteU32(buffer->frames);
  return ok && file.Write("data", 4) && file.WriteU32(dataSize);
}

}  // namespace

float audioFilePeak(const AudioFileBuffer* buffer)
{
  if (!buffer->samples)
    return 0.0f;
  float largest = 0.0f, smallest = 0.0f;
  const uint64_t count = uint64_t(buffer->frames) * buffer->channels;
  for (uint64_t i = 0; i < count; ++i) {
    const float sample = Finite(buffer->samples[i]);
    largest = std::max(largest, sample);
    smallest = std::min(smallest, sample);
  }
  return std::max(largest, -smallest);
}

int audioFileWriteWav(const AudioFileBuffer* buffer, const char* path)
{
  if (!buffer->ready.load() && buffer->frames > 0)
    return kNotReady;
  if (buffer->channels == 0 || buffer->sampleRate == 0)
    return kUnsupported;
  const uint32_t bytesPerSample = ContainerBytes(buffer->bits);
  const uint32_t blockAlign = buffer->channels * bytesPerSample;
  // The header holds the frame size in 16 bits and the byte rate in 32: a file that cannot say
  // its own layout would read back as something else.
  if (blockAlign > 0xFFFFu || uint64_t(buffer->sampleRate) * blockAlign > 0xFFFFFFFFu)
    return kUnsupported;
  if (buffer->frames > 4294967222u / blockAlign)
    return kTooLarge;
  const uint32_t dataSize = buffer->frames * blockAlign;
  File file(path, "wb");
  if (!file)
    return kCannotOpen;
  bool ok = WriteHeader(file, buffer, bytesPerSample, dataSize);
  if (ok && dataSize > 0) {
    const std::vector<uint8_t> block = Encode(buffer, bytesPerSample);
    if (block.empty()) {
      file.Close();
      std::remove(path);
      return kNoTemporary;
    }
    ok = file.Write(block.data(), block.size());
  }
  ok = std::fflush(file.Handle()) == 0 && ok;
  file.Close();
  if (!ok) {
    std::remove(path);
    return kTooLarge;
  }
  return kOk;
}

int audioFileAppendWav(const AudioFileBuffer* buffer, const char* path)
{
  if (!buffer->ready.load())
    return kNotReady;
  if (buffer->channels == 0 || buffer->sampleRate == 0)
    return kUnsupported;
  File file(path, "r+b");
  if (!file)
    return kCannotOpen;
  const uint32_t bytesPerSample = ContainerBytes(buffer->bits);
  const uint32_t blockAlign = buffer->channels * bytesPerSample;

  uint32_t riffSize, fmtSize, sampleRate, byteRate;
  uint16_t tag, channels, fileBlockAlign, bits;
  if (!file.Expect("RIFF") || !file.U32(false, riffSize) || !file.Expect("WAVE"))
    return kNotAudioFile;
  if (!file.Seek(12) || !file.FindChunk("fmt ", false) || !file.U32(false, fmtSize) || !file.U16(false, tag) ||
      !file.U16(false, channels) || !file.U32(false, sampleRate) || !file.U32(false, byteRate) ||
      !file.U16(false, fileBlockAlign) || !file.U16(false, bits))
    return kBadChunk;
  const uint32_t fileBytesPerSample = (uint32_t(bits ? bits : 1) - 1) / 8 + 1;
  if (channels != buffer->channels || sampleRate != buffer->sampleRate ||
      uint64_t(byteRate) != uint64_t(blockAlign) * sampleRate || fileBlockAlign != blockAlign ||
      fileBytesPerSample != bytesPerSample)
    return kIncompatible;
  const bool extensible = tag == 0xFFFE;
  if (extensible && (!file.Skip(8) || !file.U16(false, tag)))
    return kBadChunk;
  // Float data only as 32 bits, integers only as 16 or 24: what the writer makes.
  if (!((tag == 3 && bytesPerSample == 4) || (tag == 1 && (bytesPerSample == 2 || bytesPerSample == 3))))
    return kIncompatible;

  uint32_t dataSize;
  if (!file.Seek(12) || !file.FindChunk("fmt ", false) || !file.Seek(file.Tell() - 4) ||
      !file.FindChunk("data", false) || !file.U32(false, dataSize))
    return kIncompatible;
  // Samples go right after the existing ones: that is only safe when nothing follows them and
  // they end on a whole frame.
  const uint64_t dataStart = file.Tell();
  const uint64_t dataEnd = dataStart + dataSize;
  const uint64_t fileSize = file.Size();
  if (fileSize < dataEnd || fileSize > dataEnd + (dataSize & 1) || dataSize % blockAlign != 0)
    return kIncompatible;
  if (dataSize & 1)
    riffSize -= 1;  // the old pad byte is overwritten
  const uint32_t existingFrames = dataSize / blockAlign;
  if (!file.Seek(dataEnd))
    return kBadChunk;
  if (riffSize > 4294967294u || buffer->frames > (4294967294u - riffSize) / blockAlign)
    return kTooLarge;

  uint32_t written = 0;
  if (buffer->frames > 0) {
    const std::vector<uint8_t> block = Encode(buffer, bytesPerSample);
    if (block.empty())
      return kNoTemporary;
    const size_t bytes = std::fwrite(block.data(), 1, size_t(buffer->frames) * blockAlign, file.Handle());
    written = uint32_t(bytes / blockAlign);
  }
  const int result = written == buffer->frames ? kOk : kShortAppend;

  const uint32_t addedBytes = written * blockAlign;
  uint32_t newRiffSize = riffSize + addedBytes;
  if (newRiffSize & 1) {
    const uint8_t pad = 0;
    ++newRiffSize;
    if (file.Seek(dataEnd + addedBytes))
      file.Write(&pad, 1);
  }
  if (file.Seek(4))
    file.WriteU32(newRiffSize);
  const uint32_t frames = existingFrames + written;
  if (extensible && file.Seek(12) && file.FindChunk("fact", false) && file.Skip(4))
    file.WriteU32(frames);
  if (file.Seek(12) && file.FindChunk("data", false))
    file.WriteU32(frames * blockAlign);
  return result;
}
