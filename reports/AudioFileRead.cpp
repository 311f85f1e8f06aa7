#include "reports/AudioFile.h"
#include "reports/AudioFileIO.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <new>
#include <thread>

using namespace audiofile;

namespace {

// How the stored samples are laid out.
enum class Encoding { kUnsigned8, kSigned8, kSigned16, kSigned24, kSigned32, kFloat32 };

struct Format
{
  Encoding encoding;
  bool bigEndian;
  uint32_t bytesPerSample;
};

uint32_t BytesPerSample(uint32_t bits)
{
  return ((bits - 1) >> 3) + 1;
}

// Sets ready to 0 and waits until no reader holds the buffer.
void BeginReload(AudioFileBuffer* buffer)
{
  buffer->ready.store(0);
  while (buffer->busy.load())
    std::this_thread::yield();
}

void StoreFields(AudioFileBuffer* buffer, uint32_t frames, uint16_t channels, uint16_t bits, uint32_t sampleRate,
                 uint32_t channelMask)
{
  buffer->frames = frames;
  buffer->channels = channels;
  buffer->bits = bits;
  buffer->sampleRate = sampleRate;
  buffer->channelMask = channelMask;
}

// The buffer's block, resized to `bytes` and taken from the buffer, which is left empty and not
// ready; on failure the buffer is left as it was. A stream that keeps nothing of the previous
// stretch reads the next into the same memory, so that a file read stretch by stretch cycles
// through one block instead of taking fresh pages for each stretch.
void* TakeBlock(AudioFileBuffer* buffer, uint64_t bytes)
{
  const uint8_t wasReady = buffer->ready.load();
  BeginReload(buffer);
  void* block = std::realloc(buffer->samples, bytes);
  if (!block)
  {
    buffer->ready.store(wasReady);
    return nullptr;
  }
  buffer->samples = nullptr;
  buffer->frames = 0;
  return block;
}

// Empties the buffer and keeps only the format: what a read of no frames (or of the format
// alone) leaves.
int StoreEmpty(AudioFileBuffer* buffer, uint32_t frames, uint16_t channels, uint16_t bits, uint32_t sampleRate,
               uint32_t channelMask)
{
  BeginReload(buffer);
  std::free(buffer->samples);
  buffer->samples = nullptr;
  StoreFields(buffer, frames, channels, bits, sampleRate, channelMask);
  return kOk;
}

// The byte order is a template argument so that the compiler can read a sample with one load.
template <int Bytes, bool BigEndian>
int32_t Integer(const uint8_t* p)
{
  uint32_t value = 0;
  for (int i = 0; i < Bytes; ++i)
    value |= uint32_t(p[BigEndian ? i : Bytes - 1 - i]) << (8 * (Bytes - 1 - i));
  return static_cast<int32_t>(value << (32 - 8 * Bytes)) >> (32 - 8 * Bytes);  // sign-extended
}

template <Encoding E>
constexpr uint32_t kBytes = E == Encoding::kUnsigned8 || E == Encoding::kSigned8 ? 1
                            : E == Encoding::kSigned16                           ? 2
                            : E == Encoding::kSigned24                           ? 3
                                                                                 : 4;

template <Encoding E, bool BigEndian>
float Decode(const uint8_t* p)
{
  if constexpr (E == Encoding::kUnsigned8)
    return (float(p[0]) - 128.0f) / 128.0f;
  else if constexpr (E == Encoding::kSigned8)
    return float(int8_t(p[0])) / 128.0f;
  else if constexpr (E == Encoding::kSigned16)
    return float(Integer<2, BigEndian>(p)) / 32768.0f;
  else if constexpr (E == Encoding::kSigned24)
    return float(Integer<3, BigEndian>(p)) / 8388608.0f;
  else if constexpr (E == Encoding::kSigned32)
    return float(Integer<4, BigEndian>(p)) / 2147483648.0f;
  else
    return std::bit_cast<float>(static_cast<uint32_t>(Integer<4, BigEndian>(p)));
}

// Channel c of frame i goes to samples[c x stride + i]. Mono and stereo, most files, have their
// channel count fixed at compile time, so that the loop over a frame's channels unrolls.
template <Encoding E, bool BigEndian, uint32_t FixedChannels>
void Deinterleave(const uint8_t* block, float* samples, uint64_t stride, uint32_t frames, uint32_t channels)
{
  const uint32_t n = FixedChannels ? FixedChannels : channels;
  const uint8_t* p = block;
  for (uint32_t i = 0; i < frames; ++i)
    for (uint32_t c = 0; c < n; ++c, p += kBytes<E>)
      samples[c * stride + i] = Decode<E, BigEndian>(p);
}

template <Encoding E, bool BigEndian>
void Deinterleave(const uint8_t* block, float* samples, uint64_t stride, uint32_t frames, uint32_t channels)
{
  if (channels == 1)
    Deinterleave<E, BigEndian, 1>(block, samples, stride, frames, channels);
  else if (channels == 2)
    Deinterleave<E, BigEndian, 2>(block, samples, stride, frames, channels);
  else
    Deinterleave<E, BigEndian, 0>(block, samples, stride, frames, channels);
}

template <Encoding E>
void Deinterleave(const uint8_t* block, float* samples, uint64_t stride, uint32_t frames, uint32_t channels,
                  const Format& format)
{
  if (format.bigEndian)
    Deinterleave<E, true>(block, samples, stride, frames, channels);
  else
    Deinterleave<E, false>(block, samples, stride, frames, channels);
}

void Convert(const uint8_t* block, float* samples, uint64_t stride, uint32_t frames, uint32_t channels,
             const Format& format)
{
  switch (format.encoding)
  {
    case Encoding::kUnsigned8:
      Deinterleave<Encoding::kUnsigned8>(block, samples, stride, frames, channels, format);
      break;
    case Encoding::kSigned8: Deinterleave<Encoding::kSigned8>(block, samples, stride, frames, channels, format); break;
    case Encoding::kSigned16:
      Deinterleave<Encoding::kSigned16>(block, samples, stride, frames, channels, format);
      break;
    case Encoding::kSigned24:
      Deinterleave<Encoding::kSigned24>(block, samples, stride, frames, channels, format);
      break;
    case Encoding::kSigned32:
      Deinterleave<Encoding::kSigned32>(block, samples, stride, frames, channels, format);
      break;
    case Encoding::kFloat32: Deinterleave<Encoding::kFloat32>(block, samples, stride, frames, channels, format); break;
  }
}

// What a reader has found: the format fields and where the wanted frames lie.
struct Layout
{
  Format format;
  uint16_t channels;
  uint16_t bits;
  uint32_t sampleRate;
  uint32_t channelMask;
  uint64_t totalFrames;  // frames in the file (or chunk)
  uint64_t dataEnd;      // the wanted frames must end here or before
  bool wholeFramesOnly;  // raw files: a short read keeps the complete frames
  bool lengthOpen;       // no header gives the length: the audio runs to the end of the file
};

// Why a chunk search failed: a stream that could not go back, one that went on too long, or a
// chunk that is missing or runs past the end.
int SearchFailure(const File& file)
{
  return file.Stopped() ? kAudioBeforeFormat : file.Overran() ? kTooMuchBeforeAudio : kBadChunk;
}

// Where the search for the audio chunk begins: at the first chunk, as every search in a file
// does; a stream that cannot seek goes on after the format chunk, since it cannot go back, as
// the search from the first chunk would.
bool SeekToAudioSearch(File& file, uint64_t formatChunkEnd)
{
  return file.Seekable() ? file.Seek(12) : file.SkipToChunk(formatChunkEnd);
}

// Reads the wanted frames from the file's current position (the first frame of the file) into
// the buffer, replacing its samples.
int LoadFrames(AudioFileBuffer* buffer, File& file, const Layout& layout, uint32_t startFrame, uint32_t maxFrames,
               bool infoOnly)
{
  const uint64_t frameBytes = uint64_t(layout.channels) * layout.format.bytesPerSample;
  uint64_t frames = 0;
  if (layout.totalFrames > startFrame)
  {
    frames = layout.totalFrames - startFrame;
    if (!file.Skip(uint64_t(startFrame) * frameBytes))
      return kBadChunk;
  }
  if (maxFrames != 0 && frames > maxFrames)
    frames = maxFrames;
  if (frames == 0 || infoOnly)
    return StoreEmpty(buffer, uint32_t(frames), layout.channels, layout.bits, layout.sampleRate, layout.channelMask);

  // Frames past the end of the data are a short read: refused before anything is allocated.
  const uint64_t position = file.Tell();
  const uint64_t dataEnd = std::min(layout.dataEnd, file.Size());
  const uint64_t available = dataEnd > position ? (dataEnd - position) / frameBytes : 0;
  if (frames > available)
  {
    if (!layout.wholeFramesOnly)
      return kBadChunk;
    frames = available;
    if (frames == 0)
      return kNoFrame;
  }

  const uint64_t bytes = frames * frameBytes;
  auto* block = static_cast<uint8_t*>(std::malloc(bytes));
  if (!block)
    return kNoTemporary;
  if (!file.Read(block, bytes))
  {
    std::free(block);
    return layout.wholeFramesOnly ? kNoFrame : kBadChunk;
  }
  BeginReload(buffer);
  std::free(buffer->samples);
  buffer->samples = static_cast<float*>(std::malloc(bytes / layout.format.bytesPerSample * sizeof(float)));
  if (!buffer->samples)
  {
    std::free(block);
    StoreFields(buffer, 0, layout.channels, layout.bits, layout.sampleRate, layout.channelMask);
    return kNoSamples;
  }
  Convert(block, buffer->samples, frames, uint32_t(frames), layout.channels, layout.format);
  std::free(block);
  StoreFields(buffer, uint32_t(frames), layout.channels, layout.bits, layout.sampleRate, layout.channelMask);
  buffer->ready.store(1);
  return kOk;
}

// Reads a WAV header into the layout, leaving the file at the first frame.
int ParseWav(File& file, Layout& layout)
{
  uint32_t riffSize, fmtSize, sampleRate, byteRate, channelMask = 0;
  uint16_t tag, channels, blockAlign, bits;
  if (!file.U32(false, riffSize) || !file.Expect("WAVE"))
    return kNotAudioFile;
  if (!file.Seek(12) || !file.FindChunk("fmt ", false, "data") || !file.U32(false, fmtSize))
    return SearchFailure(file);
  const uint64_t fmtEnd = file.Tell() + fmtSize + (fmtSize & 1u);
  if (fmtSize < 16 || !file.U16(false, tag) || !file.U16(false, channels) || !file.U32(false, sampleRate) ||
      !file.U32(false, byteRate) || !file.U16(false, blockAlign) || !file.U16(false, bits))
    return kBadChunk;
  if (tag == 0xFFFE)
  {
    if (fmtSize < 40 || !file.Skip(4) || !file.U32(false, channelMask) || !file.U16(false, tag))
      return kBadChunk;
  }
  if (tag != 1 && tag != 3)
    return kUnsupported;
  // Samples without a rate cannot be measured, played or written back.
  if (bits == 0 || channels == 0 || sampleRate == 0)
    return kBadChunk;
  const uint32_t bytesPerSample = BytesPerSample(bits);
  if (blockAlign != bytesPerSample * channels)
    return kUnsupported;

  Format format{Encoding::kSigned16, false, bytesPerSample};
  if (tag == 3)  // floats come only as 32 bits; anything else would be decoded as integers
    format.encoding = Encoding::kFloat32;
  if ((tag == 3 && bytesPerSample != 4) || bytesPerSample > 4)
    return kUnsupported;
  if (tag == 1)
  {
    static constexpr Encoding kByWidth[] = {Encoding::kUnsigned8, Encoding::kSigned16, Encoding::kSigned24,
                                            Encoding::kSigned32};
    format.encoding = bits <= 8 ? Encoding::kUnsigned8 : kByWidth[bytesPerSample - 1];
  }

  uint32_t dataSize;
  if (!SeekToAudioSearch(file, fmtEnd) || !file.FindChunk("data", false))
    return SearchFailure(file);
  if (!file.U32(false, dataSize))
    return kBadChunk;
  // A writer streaming into a pipe cannot go back to fill in the sizes: it leaves them all ones,
  // or zero, and the data runs to the end of the file.
  const uint64_t dataStart = file.Tell();
  const bool unknownSize = dataSize == 0xFFFFFFFF || (dataSize == 0 && (riffSize == 0 || riffSize == 0xFFFFFFFF));
  const uint64_t fileSize = file.Size();
  const uint64_t dataBytes = !unknownSize ? dataSize : fileSize > dataStart ? fileSize - dataStart : 0;
  layout = Layout{
    format, channels,   bits, sampleRate, channelMask, dataBytes / bytesPerSample / channels, dataStart + dataBytes,
    false,  unknownSize};
  return kOk;
}

// The 80-bit extended float of AIFF headers: a sign bit, a 15-bit exponent biased by 16383 and a
// 64-bit mantissa whose top bit is the integer bit. The mantissa is read as two 32-bit words, so
// the lowest bit of the high word weighs 2^-31 of the integer bit and that of the low word 2^-63.
bool ReadExtended(File& file, double& value)
{
  constexpr uint16_t kSignBit = 0x8000;
  constexpr int kExponentBits = 0x7FFF;  // all set: infinite or not a number
  constexpr int kExponentBias = 16383;
  uint16_t signAndExponent;
  uint32_t high, low;
  if (!file.U16(true, signAndExponent) || !file.U32(true, high) || !file.U32(true, low))
    return false;
  const int exponent = signAndExponent & kExponentBits;
  if (exponent == kExponentBits)
    value = HUGE_VAL;
  else
    value = std::ldexp(double(high), exponent - kExponentBias - 31) +
            std::ldexp(double(low), exponent - kExponentBias - 63);
  if (signAndExponent & kSignBit)
    value = -value;
  return true;
}

// Reads an AIFF or AIFC header into the layout, leaving the file at the first frame.
int ParseAiff(File& file, Layout& layout)
{
  uint32_t formSize, commSize, sampleFrames;
  uint16_t channels, sampleSize;
  double rate;
  char form[4];
  if (!file.U32(true, formSize) || !file.ReadId(form))
    return kNotAudioFile;
  const bool compressed = std::memcmp(form, "AIFC", 4) == 0;
  if (!compressed && std::memcmp(form, "AIFF", 4) != 0)
    return kNotAudioFile;
  if (!file.Seek(12) || !file.FindChunk("COMM", true, "SSND") || !file.U32(true, commSize))
    return SearchFailure(file);
  const uint64_t commEnd = file.Tell() + commSize + (commSize & 1u);
  if (commSize < (compressed ? 22u : 18u) || !file.U16(true, channels) || !file.U32(true, sampleFrames) ||
      !file.U16(true, sampleSize) || !ReadExtended(file, rate))
    return kBadChunk;
  bool isFloat = false;
  if (compressed)
  {
    char type[4];
    if (!file.ReadId(type))
      return kBadChunk;
    isFloat = std::memcmp(type, "FL32", 4) == 0 || std::memcmp(type, "fl32", 4) == 0;
    if (!isFloat && std::memcmp(type, "NONE", 4) != 0)
      return kUnsupported;
  }
  // A rate that does not fit the field (or is not a number) cannot be stored; one that rounds to
  // 0 is no rate at all, like a 0 in a WAV header.
  const bool storableRate = rate + 0.5 >= 0.0 && rate + 0.5 < 4294967296.0;
  if (channels == 0 || sampleSize == 0 || (storableRate && uint32_t(rate + 0.5) == 0))
    return kBadChunk;
  const uint32_t bytesPerSample = BytesPerSample(sampleSize);
  if (!storableRate || (isFloat && bytesPerSample != 4) || bytesPerSample > 4)
    return kUnsupported;
  static constexpr Encoding kByWidth[] = {Encoding::kSigned8, Encoding::kSigned16, Encoding::kSigned24,
                                          Encoding::kSigned32};
  const Format format{isFloat ? Encoding::kFloat32 : kByWidth[bytesPerSample - 1], true, bytesPerSample};

  // A writer streaming into a pipe leaves the form's size, the frame count and the sound chunk's
  // size at zero (or all ones), and the sound data runs to the end of the file.
  const bool streamedForm = formSize == 0 || formSize == 0xFFFFFFFF;
  uint64_t frames = sampleFrames, dataEnd = 0;
  bool unknownSize = false;
  if (sampleFrames > 0 || streamedForm)
  {
    uint32_t ssndSize, offset;
    if (!SeekToAudioSearch(file, commEnd) || !file.FindChunk("SSND", true))
      return SearchFailure(file);
    if (!file.U32(true, ssndSize) || !file.U32(true, offset))
      return kBadChunk;
    unknownSize = streamedForm && (ssndSize == 0 || ssndSize == 0xFFFFFFFF);
    // An offset past the end of the file is damage, whether or not the file can seek there.
    const uint64_t fileSize = file.Size();
    if ((!unknownSize && uint64_t(offset) + 8 > ssndSize) || !file.Skip(4 + uint64_t(offset)) || file.Tell() > fileSize)
      return kBadChunk;
    const uint64_t dataStart = file.Tell();
    dataEnd = !unknownSize ? dataStart - offset - 8 + ssndSize : std::max(fileSize, dataStart);
    if (unknownSize)
      frames = (dataEnd - dataStart) / bytesPerSample / channels;
  }
  layout = Layout{format, channels, sampleSize, uint32_t(rate + 0.5), 0, frames, dataEnd, false, unknownSize};
  return kOk;
}

// Opens a WAV or AIFF file and reads its header, leaving the file at the first frame.
int ParseAudioFile(File& file, Layout& layout)
{
  if (!file)
    return kCannotOpen;
  char id[4] = {};
  if (!file.ReadId(id))
    return kNotAudioFile;
  if (std::memcmp(id, "RIFF", 4) == 0)
    return ParseWav(file, layout);
  if (std::memcmp(id, "FORM", 4) == 0)
    return ParseAiff(file, layout);
  return kNotAudioFile;
}

// Headerless PCM from the file's position to its end.
Layout RawLayout(const File& file, uint16_t channels, uint16_t bits, uint32_t sampleRate, uint32_t channelMask,
                 bool altEncoding, bool bigEndian)
{
  const uint16_t width = bits < 32 ? bits : 32;
  const uint32_t bytesPerSample = BytesPerSample(width);
  static constexpr Encoding kByWidth[] = {Encoding::kSigned8, Encoding::kSigned16, Encoding::kSigned24,
                                          Encoding::kSigned32};
  Format format{kByWidth[bytesPerSample - 1], bigEndian, bytesPerSample};
  if (altEncoding && bytesPerSample == 1)
    format.encoding = Encoding::kUnsigned8;
  if (altEncoding && bytesPerSample == 4)
    format.encoding = Encoding::kFloat32;
  const uint64_t size = file.Size();
  return Layout{format, channels, width, sampleRate, channelMask, size / bytesPerSample / channels, size, true, true};
}

// What a stream may hold before its audio: metadata chunks of a few megabytes are common, and
// beyond this a stream of empty or unknown chunks would be read for ever.
constexpr uint64_t kMostBeforeAudio = uint64_t(64) << 20;

// Writers streaming into a pipe that cannot leave a size open announce nearly 2 GiB of audio
// (0x7F000000 bytes, whole frames of it, and the like) and end where their input does: audio
// announced this long that ends early ran to its writer's end, not past the file's.
constexpr uint64_t kPlaceholderAudioBytes = 0x7E000000;

// Sets the stream up to read the layout's frames from the file's position on.
void StartStream(AudioFileStream* stream, const File& file, const Layout& layout)
{
  const uint64_t frameBytes = uint64_t(layout.channels) * layout.format.bytesPerSample;
  const uint64_t start = file.Tell();
  const uint64_t end = std::min(layout.dataEnd, file.Size());
  const uint64_t held = end == kUnknownSize ? kAudioFileUnknownLength : end > start ? (end - start) / frameBytes : 0;
  const bool placeholder = layout.totalFrames * frameBytes >= kPlaceholderAudioBytes;
  stream->file = file.Handle();
  stream->announcedFrames = layout.lengthOpen || placeholder ? 0 : layout.totalFrames;
  stream->framesLeft = std::min(layout.totalFrames, held);
  stream->frames = file.Seekable() ? stream->framesLeft : kAudioFileUnknownLength;
  stream->framesRead = 0;
  stream->ended = stream->framesLeft == 0;
  stream->sampleRate = layout.sampleRate;
  stream->channelMask = layout.channelMask;
  stream->bits = layout.bits;
  stream->channels = layout.channels;
  stream->encoding = uint8_t(layout.format.encoding);
  stream->bigEndian = layout.format.bigEndian;
  stream->bytesPerSample = layout.format.bytesPerSample;
}

// Reads up to `wanted` bytes into a new block that grows with what arrives, so that what a header
// announces never sizes an allocation by itself. A read that a signal interrupts ends the input
// there, as its end would: the person asked the run to stop.
int ReadUpTo(FILE* file, uint64_t wanted, uint8_t*& block, uint64_t& bytes)
{
  constexpr uint64_t kFirstPiece = uint64_t(1) << 20;
  uint64_t capacity = 0;
  bytes = 0;
  block = nullptr;
  while (bytes < wanted)
  {
    if (bytes == capacity)
    {
      capacity = std::min(wanted, std::max(capacity * 2, kFirstPiece));
      auto* grown = static_cast<uint8_t*>(std::realloc(block, capacity));
      if (!grown)
      {
        std::free(block);
        return kNoTemporary;
      }
      block = grown;
    }
    const size_t asked = size_t(capacity - bytes);
    const size_t got = std::fread(block + bytes, 1, asked, file);
    bytes += got;
    if (got < asked)
      break;
  }
  if (std::ferror(file))
  {
    if (errno != EINTR)
    {
      std::free(block);
      return kBadChunk;
    }
    std::clearerr(file);
  }
  return kOk;
}

}  // namespace

void audioFileInit(AudioFileBuffer* buffer)
{
  buffer->file = nullptr;
  buffer->samples = nullptr;
  buffer->ready.store(0);
  buffer->busy.store(0);
  StoreFields(buffer, 0, 0, 0, 0, 0);
}

void audioFileFree(AudioFileBuffer* buffer)
{
  BeginReload(buffer);
  std::free(buffer->samples);
  buffer->samples = nullptr;
  buffer->frames = 0;
}

int audioFileAllocate(AudioFileBuffer* buffer, uint32_t frames, uint16_t channels, uint16_t bits, uint32_t sampleRate,
                      uint32_t channelMask)
{
  if (channels == 0)
    return kUnsupported;
  BeginReload(buffer);
  std::free(buffer->samples);
  buffer->samples = nullptr;
  if (frames > 0)
  {
    buffer->samples = static_cast<float*>(std::calloc(uint64_t(frames) * channels, sizeof(float)));
    if (!buffer->samples)
    {
      StoreFields(buffer, 0, channels, bits, sampleRate, channelMask);
      return kNoSamples;
    }
  }
  StoreFields(buffer, frames, channels, bits, sampleRate, channelMask);
  buffer->ready.store(1);
  return kOk;
}

int audioFileRead(AudioFileBuffer* buffer, const char* path, uint32_t startFrame, uint32_t maxFrames, bool infoOnly)
{
  File file(path, "rb");
  buffer->file = file.Handle();
  Layout layout{};
  int result = ParseAudioFile(file, layout);
  if (result == kOk)
    result = LoadFrames(buffer, file, layout, startFrame, maxFrames, infoOnly);
  buffer->file = nullptr;
  return result;
}

int audioFileReadRaw(AudioFileBuffer* buffer, const char* path, uint32_t startFrame, uint32_t maxFrames,
                     uint16_t channels, uint16_t bits, uint32_t sampleRate, uint32_t channelMask, bool altEncoding,
                     bool bigEndian)
{
  if (channels == 0 || bits == 0)
    return kUnsupported;
  File file(path, "rb");
  if (!file)
    return kCannotOpen;
  buffer->file = file.Handle();
  const Layout layout = RawLayout(file, channels, bits, sampleRate, channelMask, altEncoding, bigEndian);
  const int result = LoadFrames(buffer, file, layout, startFrame, maxFrames, false);
  buffer->file = nullptr;
  return result;
}

float* audioFileChannel(AudioFileBuffer* buffer, uint32_t channel, bool lock)
{
  // The fields are read only while busy is held and ready is set, so a reload cannot change them
  // under the reader; a release hands back the pointer it still held.
  auto samples = [buffer, channel]() -> float* {
    if (!buffer->samples || channel >= buffer->channels)
      return nullptr;
    return buffer->samples + uint64_t(channel) * buffer->frames;
  };
  if (buffer->busy.load())
  {
    float* held = buffer->ready.load() ? samples() : nullptr;
    if (!lock || !held)
      buffer->busy.store(0);
    return held;
  }
  if (!lock)
    return nullptr;
  buffer->busy.store(1);
  float* taken = buffer->ready.load() ? samples() : nullptr;
  if (!taken)
    buffer->busy.store(0);
  return taken;
}

uint32_t audioFileFrames(const AudioFileBuffer* buffer)
{
  return buffer->frames;
}
uint32_t audioFileSampleRate(const AudioFileBuffer* buffer)
{
  return buffer->sampleRate;
}
uint16_t audioFileBits(const AudioFileBuffer* buffer)
{
  return buffer->bits;
}
uint16_t audioFileChannels(const AudioFileBuffer* buffer)
{
  return buffer->channels;
}

int audioFileStreamOpen(AudioFileStream* stream, FILE* file)
{
  File input(file);
  input.LimitSearch(kMostBeforeAudio);
  Layout layout{};
  const int result = ParseAudioFile(input, layout);
  if (result == kOk)
    StartStream(stream, input, layout);
  // A header cut short by a signal (the person asked the run to stop) is no damage.
  return result != kOk && file && std::ferror(file) && errno == EINTR ? kInterrupted : result;
}

int audioFileStreamOpenRaw(AudioFileStream* stream, FILE* file, uint16_t channels, uint16_t bits, uint32_t sampleRate,
                           uint32_t channelMask, bool altEncoding, bool bigEndian)
{
  if (channels == 0 || bits == 0)
    return kUnsupported;
  File input(file);
  if (!input)
    return kCannotOpen;
  StartStream(stream, input, RawLayout(input, channels, bits, sampleRate, channelMask, altEncoding, bigEndian));
  return kOk;
}

int audioFileStreamRead(AudioFileStream* stream, AudioFileBuffer* buffer, uint32_t keptFrames, uint32_t maxFrames)
{
  const uint32_t channels = stream->channels;
  const uint64_t frameBytes = uint64_t(channels) * stream->bytesPerSample;
  const auto wanted = uint32_t(std::min<uint64_t>(maxFrames, stream->framesLeft));
  uint8_t* block = nullptr;
  uint64_t bytes = 0;
  if (const int result = ReadUpTo(stream->file, wanted * frameBytes, block, bytes); result != kOk)
    return result;
  const auto read = uint32_t(bytes / frameBytes);
  stream->framesRead += read;
  stream->framesLeft -= read;
  stream->ended = read < maxFrames || stream->framesLeft == 0;

  keptFrames = std::min(keptFrames, buffer->channels == channels ? buffer->frames : 0u);
  const uint64_t frames = uint64_t(keptFrames) + read;
  const uint64_t sampleBytes = std::max<uint64_t>(frames * channels * sizeof(float), 1);
  auto* samples = static_cast<float*>(keptFrames > 0 ? std::malloc(sampleBytes) : TakeBlock(buffer, sampleBytes));
  if (!samples)
  {
    std::free(block);
    return kNoSamples;
  }
  for (uint32_t c = 0; c < channels && keptFrames > 0; ++c)
    std::copy_n(buffer->samples + (c + 1) * uint64_t(buffer->frames) - keptFrames, keptFrames, samples + c * frames);
  const Format format{Encoding(stream->encoding), stream->bigEndian, stream->bytesPerSample};
  Convert(block, samples + keptFrames, frames, read, channels, format);
  std::free(block);
  BeginReload(buffer);
  std::free(buffer->samples);
  buffer->samples = samples;
  StoreFields(buffer, uint32_t(frames), stream->channels, stream->bits, stream->sampleRate, stream->channelMask);
  buffer->ready.store(1);
  return kOk;
}
