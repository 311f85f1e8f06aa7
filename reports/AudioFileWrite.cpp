#include "reports/AudioFile.h"
#include "reports/AudioFileIO.h"

#include <sys/types.h>
#include <unistd.h>

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
uint32_t ContainerBytes(uint16_t bits)
{
  return bits > 32 ? 4 : bits < 9 ? 2 : (bits + 7u) / 8u;
}

float Finite(float sample)
{
  return std::isfinite(sample) ? sample : 0.0f;
}

void PutLE(uint8_t* out, uint32_t value, int bytes)
{
  for (int i = 0; i < bytes; ++i)
    out[i] = uint8_t(value >> (8 * i));
}

// One sample, already scaled, in the container width.
void EncodeSample(double s, uint32_t bytesPerSample, uint8_t* out)
{
  if (bytesPerSample == 4)
  {
    PutLE(out, std::bit_cast<uint32_t>(float(s)), 4);
  }
  else
  {
    const int shift = bytesPerSample == 3 ? 7 : 15;
    const int64_t limit = bytesPerSample == 3 ? 8388607 : 32767;
    const int64_t v = static_cast<int64_t>(s * 1073741824.0 + double(int64_t{1} << (shift - 1))) >> shift;
    PutLE(out, static_cast<uint32_t>(std::clamp<int64_t>(v, -limit - 1, limit)), int(bytesPerSample));
  }
}

// The buffer's samples, interleaved in the container width, scaled down as a whole when they
// exceed full scale, followed by a zero pad byte when the size is odd. Empty on allocation failure.
std::vector<uint8_t> Encode(const AudioFileBuffer* buffer, uint32_t bytesPerSample)
{
  const uint64_t dataSize = uint64_t(buffer->frames) * buffer->channels * bytesPerSample;
  std::vector<uint8_t> block;
  try
  {
    block.resize(dataSize + (dataSize & 1));
  }
  catch (const std::bad_alloc&)
  {
    return {};
  }
  const float peak = audioFilePeak(buffer);
  const double gain = peak > 1.0f ? 1.0 / peak : 1.0;
  uint8_t* out = block.data();
  for (uint32_t i = 0; i < buffer->frames; ++i)
    for (uint32_t c = 0; c < buffer->channels; ++c, out += bytesPerSample)
      EncodeSample(Finite(buffer->samples[uint64_t(c) * buffer->frames + i]) * gain, bytesPerSample, out);
  return block;
}

bool WriteU16(File& file, uint16_t value)
{
  const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
  return file.Write(bytes, 2);
}

// What a WAV header says of its samples.
struct WavLayout
{
  uint16_t channels;
  uint32_t sampleRate;
  uint32_t channelMask;
  uint32_t bytesPerSample;

  bool Extensible() const { return channels > 2 || bytesPerSample > 2; }
  uint32_t HeaderBytes() const { return Extensible() ? 80 : 44; }
  uint32_t BlockAlign() const { return channels * bytesPerSample; }
  // The header holds the frame size in 16 bits and the byte rate in 32: a file that cannot say
  // its own layout would read back as something else.
  bool Writable() const
  {
    return channels > 0 && sampleRate > 0 && BlockAlign() <= 0xFFFFu &&
           uint64_t(sampleRate) * BlockAlign() <= 0xFFFFFFFFu;
  }
  // The most frames whose RIFF size fits 32 bits.
  uint64_t MostFrames() const { return 4294967222u / BlockAlign(); }
};

WavLayout LayoutOf(uint16_t channels, uint16_t bits, uint32_t sampleRate, uint32_t channelMask)
{
  return WavLayout{channels, sampleRate, channelMask, ContainerBytes(bits)};
}

bool WriteHeader(File& file, const WavLayout& layout, uint32_t frames)
{
  const bool extensible = layout.Extensible();
  const uint32_t bytesPerSample = layout.bytesPerSample;
  const uint32_t blockAlign = layout.BlockAlign();
  const uint32_t dataSize = frames * blockAlign;
  const uint32_t riffSize = (extensible ? 72 : 36) + dataSize + (dataSize & 1);
  bool ok = file.Write("RIFF", 4) && file.WriteU32(riffSize) && file.Write("WAVEfmt ", 8) &&
            file.WriteU32(extensible ? 40 : 16) && WriteU16(file, extensible ? 0xFFFE : 1) &&
            WriteU16(file, layout.channels) && file.WriteU32(layout.sampleRate) &&
            file.WriteU32(layout.sampleRate * blockAlign) && WriteU16(file, uint16_t(blockAlign)) &&
            WriteU16(file, uint16_t(bytesPerSample * 8));
  if (ok && extensible)
    ok = WriteU16(file, 22) && WriteU16(file, uint16_t(bytesPerSample * 8)) && file.WriteU32(layout.channelMask) &&
         WriteU16(file, bytesPerSample == 4 ? 3 : 1) && file.Write(kSubFormatTail, sizeof kSubFormatTail) &&
         file.Write("fact", 4) && file.WriteU32(4) && file.WriteU32(frames);
  return ok && file.Write("data", 4) && file.WriteU32(dataSize);
}

}  // namespace

float audioFilePeak(const AudioFileBuffer* buffer)
{
  if (!buffer->samples)
    return 0.0f;
  float largest = 0.0f, smallest = 0.0f;
  const uint64_t count = uint64_t(buffer->frames) * buffer->channels;
  for (uint64_t i = 0; i < count; ++i)
  {
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
  const WavLayout layout = LayoutOf(buffer->channels, buffer->bits, buffer->sampleRate, buffer->channelMask);
  if (!layout.Writable())
    return kUnsupported;
  if (buffer->frames > layout.MostFrames())
    return kTooLarge;
  File file(path, "wb");
  if (!file)
    return kCannotOpen;
  bool ok = WriteHeader(file, layout, buffer->frames);
  if (ok && buffer->frames > 0)
  {
    const std::vector<uint8_t> block = Encode(buffer, layout.bytesPerSample);
    if (block.empty())
    {
      file.Close();
      std::remove(path);
      return kNoTemporary;
    }
    ok = file.Write(block.data(), block.size());
  }
  ok = std::fflush(file.Handle()) == 0 && ok;
  file.Close();
  if (!ok)
  {
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
  if (buffer->frames > 0)
  {
    const std::vector<uint8_t> block = Encode(buffer, bytesPerSample);
    if (block.empty())
      return kNoTemporary;
    const size_t bytes = std::fwrite(block.data(), 1, size_t(buffer->frames) * blockAlign, file.Handle());
    written = uint32_t(bytes / blockAlign);
  }
  const int result = written == buffer->frames ? kOk : kShortAppend;

  const uint32_t addedBytes = written * blockAlign;
  uint32_t newRiffSize = riffSize + addedBytes;
  if (newRiffSize & 1)
  {
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

namespace {

// Frames converted at a time when a streamed file is finished.
constexpr uint32_t kStretchFrames = 16384;

std::string PartialPath(const std::string& path)
{
  return path + ".partial";
}

}  // namespace

AudioFileWriter::~AudioFileWriter()
{
  Drop();
}

void AudioFileWriter::Drop()
{
  if (!mFile)
    return;
  std::fclose(mFile);
  mFile = nullptr;
  std::remove(PartialPath(mPath).c_str());
}

int AudioFileWriter::Open(const char* path, uint16_t channels, uint16_t bits, uint32_t sampleRate, uint32_t channelMask)
{
  Drop();
  const WavLayout layout = LayoutOf(channels, bits, sampleRate, channelMask);
  if (!layout.Writable())
    return kUnsupported;
  if (!path || !path[0])
    return kCannotOpen;
  mPath = path;
  // Read back and written over when finished.
  mFile = std::fopen(PartialPath(mPath).c_str(), "w+b");
  if (!mFile)
    return kCannotOpen;
  mChannels = channels;
  mBits = bits;
  mSampleRate = sampleRate;
  mChannelMask = channelMask;
  mFrames = 0;
  mPeak = 0.0f;
  mStretch.resize(size_t(kStretchFrames) * channels * sizeof(float));
  if (fseeko(mFile, layout.HeaderBytes(), SEEK_SET) != 0)
  {
    Drop();
    return kCannotOpen;
  }
  return kOk;
}

int AudioFileWriter::Write(const float* const* channels, uint32_t frames)
{
  const WavLayout layout = LayoutOf(mChannels, mBits, mSampleRate, mChannelMask);
  if (!mFile || mFrames + frames > layout.MostFrames())
    return kTooLarge;
  for (uint32_t done = 0; done < frames;)
  {
    const uint32_t count = std::min(frames - done, kStretchFrames);
    uint8_t* out = mStretch.data();
    for (uint32_t i = done; i < done + count; ++i)
      for (uint32_t c = 0; c < mChannels; ++c, out += sizeof(float))
      {
        const float sample = Finite(channels[c][i]);
        mPeak = std::max(mPeak, std::fabs(sample));
        PutLE(out, std::bit_cast<uint32_t>(sample), 4);
      }
    if (std::fwrite(mStretch.data(), 1, size_t(out - mStretch.data()), mFile) != size_t(out - mStretch.data()))
      return kTooLarge;
    done += count;
  }
  mFrames += frames;
  return kOk;
}

int AudioFileWriter::Finish()
{
  if (!mFile)
    return kTooLarge;
  const WavLayout layout = LayoutOf(mChannels, mBits, mSampleRate, mChannelMask);
  const double gain = mPeak > 1.0f ? 1.0 / mPeak : 1.0;
  const uint64_t header = layout.HeaderBytes();
  const uint64_t samples = mFrames * mChannels;
  const uint64_t dataSize = samples * layout.bytesPerSample;
  bool ok = true;
  // Each stretch is written no further on than it was read from, so none is overwritten unread.
  const uint64_t stretch = uint64_t(kStretchFrames) * mChannels;
  for (uint64_t done = 0; ok && (gain != 1.0 || layout.bytesPerSample != 4) && done < samples; done += stretch)
  {
    const auto count = size_t(std::min(stretch, samples - done));
    ok = fseeko(mFile, off_t(header + done * sizeof(float)), SEEK_SET) == 0 &&
         std::fread(mStretch.data(), sizeof(float), count, mFile) == count;
    for (size_t i = 0; ok && i < count; ++i)
    {
      const uint8_t* in = &mStretch[i * sizeof(float)];
      const uint32_t bits = in[0] | in[1] << 8 | in[2] << 16 | uint32_t(in[3]) << 24;
      EncodeSample(double(std::bit_cast<float>(bits)) * gain, layout.bytesPerSample,
                   &mStretch[i * layout.bytesPerSample]);
    }
    ok = ok && fseeko(mFile, off_t(header + done * layout.bytesPerSample), SEEK_SET) == 0 &&
         std::fwrite(mStretch.data(), layout.bytesPerSample, count, mFile) == count;
  }
  const uint8_t pad = 0;
  ok = ok && std::fflush(mFile) == 0 && ftruncate(fileno(mFile), off_t(header + dataSize)) == 0 &&
       fseeko(mFile, off_t(header + dataSize), SEEK_SET) == 0 &&
       ((dataSize & 1) == 0 || std::fwrite(&pad, 1, 1, mFile) == 1);
  ok = ok && fseeko(mFile, 0, SEEK_SET) == 0;
  if (ok)
  {
    File file(mFile);
    ok = WriteHeader(file, layout, uint32_t(mFrames)) && std::fflush(mFile) == 0;
  }
  if (!ok)
  {
    Drop();
    return kTooLarge;
  }
  const bool closed = std::fclose(mFile) == 0;
  mFile = nullptr;
  if (!closed || std::rename(PartialPath(mPath).c_str(), mPath.c_str()) != 0)
  {
    std::remove(PartialPath(mPath).c_str());
    return kTooLarge;
  }
  return kOk;
}
