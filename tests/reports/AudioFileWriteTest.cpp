#include "tests/reports/AudioFileFixtures.h"

#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <cstring>
#include <algorithm>
#include <limits>
#include <vector>

namespace {

using AudioFileWrite = AudioFileTest;

uint32_t LE32(const std::vector<uint8_t>& bytes, size_t at)
{
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}
uint16_t LE16(const std::vector<uint8_t>& bytes, size_t at)
{
  return uint16_t(bytes[at] | bytes[at + 1] << 8);
}

// Fills the buffer with a different value in every frame and channel, within -1 .. 1.
void Fill(AudioFileBuffer& buffer, uint32_t frames, uint16_t channels, uint16_t bits)
{
  ASSERT_EQ(audioFileAllocate(&buffer, frames, channels, bits, 48000, channels > 2 ? 0x3F : 0), 0);
  for (uint32_t c = 0; c < channels; ++c)
    for (uint32_t i = 0; i < frames; ++i)
      buffer.samples[c * frames + i] = float(std::sin(0.37 * i + c) * 0.99);
}

TEST_F(AudioFileWrite, RoundTripsWithinOneStepOfTheWrittenWidth)
{
  struct Case
  {
    uint16_t bits, channels;
    uint16_t writtenBits;
    bool extensible;
    uint16_t subFormat;
  };
  const Case cases[] = {
    {8, 1, 16, false, 0},  // 8-bit buffers are written as 16-bit
    {16, 2, 16, false, 0}, {24, 2, 24, true, 1}, {24, 6, 24, true, 1}, {32, 1, 32, true, 3},  // 32 bits go out as float
    {20, 3, 24, true, 1},
  };
  for (const Case& c : cases)
  {
    Fill(mBuffer, 257, c.channels, c.bits);
    const std::vector<float> original(mBuffer.samples, mBuffer.samples + 257 * c.channels);
    const std::string path = Path("out.wav");
    ASSERT_EQ(audioFileWriteWav(&mBuffer, path.c_str()), 0);

    const std::vector<uint8_t> bytes = Contents(path);
    const uint32_t blockAlign = c.channels * c.writtenBits / 8;
    const uint32_t dataSize = 257 * blockAlign;
    const uint32_t header = c.extensible ? 80 : 44;
    ASSERT_EQ(bytes.size(), header + dataSize + (dataSize & 1)) << c.bits;
    EXPECT_EQ(LE32(bytes, 4), header - 8 + dataSize + (dataSize & 1));
    EXPECT_EQ(LE32(bytes, 16), c.extensible ? 40u : 16u);
    EXPECT_EQ(LE16(bytes, 20), c.extensible ? 0xFFFE : 1);
    EXPECT_EQ(LE16(bytes, 32), blockAlign);
    EXPECT_EQ(LE16(bytes, 34), c.writtenBits);
    if (c.extensible)
    {
      EXPECT_EQ(LE16(bytes, 44), c.subFormat);
      EXPECT_EQ(std::memcmp(&bytes[60], "fact", 4), 0);
      EXPECT_EQ(LE32(bytes, 68), 257u);
    }
    EXPECT_EQ(LE32(bytes, header - 4), dataSize);

    ASSERT_EQ(audioFileRead(&mBuffer, path.c_str(), 0, 0, false), 0);
    ASSERT_EQ(mBuffer.frames, 257u);
    EXPECT_EQ(mBuffer.bits, c.writtenBits);
    const float step = c.writtenBits == 32 ? 0.0f : std::ldexp(1.0f, 1 - c.writtenBits);
    for (size_t i = 0; i < original.size(); ++i)
      ASSERT_NEAR(mBuffer.samples[i], original[i], step) << c.bits << " sample " << i;
  }
}

TEST_F(AudioFileWrite, ScalesClippedBuffersAndWritesNonNumbersAsZero)
{
  ASSERT_EQ(audioFileAllocate(&mBuffer, 4, 1, 16, 44100, 0), 0);
  const float in[] = {2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 0.5f};
  std::memcpy(mBuffer.samples, in, sizeof in);
  EXPECT_EQ(audioFilePeak(&mBuffer), 2.0f);
  ASSERT_EQ(audioFileWriteWav(&mBuffer, Path("a.wav").c_str()), 0);
  std::vector<uint8_t> bytes = Contents(Path("a.wav"));
  EXPECT_EQ(int16_t(LE16(bytes, 44)), 32767);  // full scale after halving
  EXPECT_EQ(int16_t(LE16(bytes, 46)), -16384);
  EXPECT_EQ(int16_t(LE16(bytes, 48)), 0);
  EXPECT_EQ(int16_t(LE16(bytes, 50)), 8192);

  // One mono 24-bit frame: 3 data bytes and a pad byte.
  ASSERT_EQ(audioFileAllocate(&mBuffer, 1, 1, 24, 44100, 0), 0);
  mBuffer.samples[0] = -1.0f;
  ASSERT_EQ(audioFileWriteWav(&mBuffer, Path("b.wav").c_str()), 0);
  bytes = Contents(Path("b.wav"));
  EXPECT_EQ(bytes.size(), 84u);
  EXPECT_EQ(LE32(bytes, 4), 72u + 3 + 1);
  EXPECT_EQ(LE32(bytes, 76), 3u);
  EXPECT_EQ((std::vector<uint8_t>(bytes.begin() + 80, bytes.end())), (std::vector<uint8_t>{0x00, 0x00, 0x80, 0x00}));

  // No frames: the header alone.
  ASSERT_EQ(audioFileAllocate(&mBuffer, 0, 2, 16, 44100, 0), 0);
  ASSERT_EQ(audioFileWriteWav(&mBuffer, Path("c.wav").c_str()), 0);
  bytes = Contents(Path("c.wav"));
  EXPECT_EQ(bytes.size(), 44u);
  EXPECT_EQ(LE32(bytes, 4), 36u);
}

TEST_F(AudioFileWrite, RefusesWhatItCannotWrite)
{
  EXPECT_EQ(audioFileWriteWav(&mBuffer, Path("a.wav").c_str()), -7);  // no channels
  mBuffer.frames = 10;
  EXPECT_EQ(audioFileWriteWav(&mBuffer, Path("a.wav").c_str()), -9);  // not ready
  Fill(mBuffer, 10, 2, 16);
  EXPECT_EQ(audioFileWriteWav(&mBuffer, ""), -1);
  EXPECT_EQ(audioFileWriteWav(&mBuffer, Path("missing/a.wav").c_str()), -1);
  EXPECT_FALSE(std::filesystem::exists(Path("a.wav")));

  // Frames wider than the header's 16-bit field, and a byte rate beyond 32 bits: refused, not
  // written with a header that reads back as another layout.
  AudioFileBuffer wide{};
  ASSERT_EQ(audioFileAllocate(&wide, 0, 40000, 16, 44100, 0), 0);
  EXPECT_EQ(audioFileWriteWav(&wide, Path("a.wav").c_str()), -7);
  AudioFileBuffer fast{};
  ASSERT_EQ(audioFileAllocate(&fast, 0, 10000, 32, 200000, 0), 0);
  EXPECT_EQ(audioFileWriteWav(&fast, Path("a.wav").c_str()), -7);
  audioFileFree(&wide);
  audioFileFree(&fast);
  EXPECT_FALSE(std::filesystem::exists(Path("a.wav")));

  // A write that fails part-way (here: a file size limit) leaves no file behind.
  Fill(mBuffer, 1000, 2, 16);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1000;
  setrlimit(RLIMIT_FSIZE, &small);
  const int result = audioFileWriteWav(&mBuffer, Path("big.wav").c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(result, -4);
  EXPECT_FALSE(std::filesystem::exists(Path("big.wav")));
}

TEST_F(AudioFileWrite, AppendContinuesTheDataAndPatchesTheSizes)
{
  for (uint16_t channels : {2, 6})
  {
    Fill(mBuffer, 100, channels, 24);
    const std::string path = Path("a.wav");
    ASSERT_EQ(audioFileWriteWav(&mBuffer, path.c_str()), 0);
    const float first = mBuffer.samples[0];
    ASSERT_EQ(audioFileAllocate(&mBuffer, 3, channels, 24, 48000, 0), 0);
    mBuffer.samples[2] = 0.5f;
    ASSERT_EQ(audioFileAppendWav(&mBuffer, path.c_str()), 0);

    const std::vector<uint8_t> bytes = Contents(path);
    const uint32_t dataSize = 103 * channels * 3;
    EXPECT_EQ(bytes.size(), 80 + dataSize + (dataSize & 1));
    EXPECT_EQ(LE32(bytes, 4), 72 + dataSize + (dataSize & 1));
    EXPECT_EQ(LE32(bytes, 68), 103u);  // the fact chunk
    ASSERT_EQ(audioFileRead(&mBuffer, path.c_str(), 0, 0, false), 0);
    EXPECT_EQ(mBuffer.frames, 103u);
    EXPECT_NEAR(mBuffer.samples[0], first, 1e-6);
    EXPECT_NEAR(mBuffer.samples[102], 0.5f, 1e-6);
  }
}

TEST_F(AudioFileWrite, AppendRefusesAnotherFormatOrATrailingChunkAndChangesNothing)
{
  Fill(mBuffer, 10, 2, 16);
  const std::string path = Path("a.wav");
  ASSERT_EQ(audioFileWriteWav(&mBuffer, path.c_str()), 0);
  const std::vector<uint8_t> written = Contents(path);
  Bytes trailing;
  trailing.data = written;
  trailing.Id("LIST").LE(4, 4).Id("INFO");
  const std::string eightBit = Write("b.wav", Wav(FmtChunk(1, 2, 48000, 2, 8).Id("data").LE(2, 4).LE(0, 2)));

  struct Case
  {
    const char* what;
    std::string path;
    uint32_t rate;
    int result;
  };
  const Case cases[] = {
    {"another sample rate", path, 44100, -8},
    {"an 8-bit file", eightBit, 48000, -8},
    {"a chunk after the data", Write("c.wav", trailing), 48000, -8},
    {"not a WAV file", Write("d.wav", Bytes().Id("FORM").LE(0, 8)), 48000, -6},
    {"no such file", Path("missing.wav"), 48000, -1},
  };
  for (const Case& c : cases)
  {
    mBuffer.sampleRate = c.rate;
    const std::vector<uint8_t> before = Contents(c.path);
    EXPECT_EQ(audioFileAppendWav(&mBuffer, c.path.c_str()), c.result) << c.what;
    EXPECT_EQ(Contents(c.path), before) << c.what;
  }
  mBuffer.ready = 0;
  EXPECT_EQ(audioFileAppendWav(&mBuffer, path.c_str()), -9);
}

// A file written a block at a time as its audio is made ends byte for byte as the whole buffer
// written at once, scaled down as a whole when it clips; one never finished leaves nothing.
TEST_F(AudioFileWrite, StreamedFileEqualsTheWholeBufferWritten)
{
  struct Case
  {
    uint16_t bits, channels;
    float gain;
  };
  const Case cases[] = {{16, 2, 1.0f}, {16, 1, 3.0f}, {24, 6, 1.0f}, {24, 3, 2.5f}, {32, 2, 1.0f}, {32, 1, 4.0f}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::to_string(c.bits) + " bits, " + std::to_string(c.channels) + " channels, gain " +
                 std::to_string(c.gain));
    constexpr uint32_t kFrames = 40001;  // more than one stretch of the finishing pass
    Fill(mBuffer, kFrames, c.channels, c.bits);
    for (uint32_t i = 0; i < kFrames * c.channels; ++i)
      mBuffer.samples[i] *= c.gain;
    mBuffer.samples[7] = std::numeric_limits<float>::quiet_NaN();
    ASSERT_EQ(audioFileWriteWav(&mBuffer, Path("whole.wav").c_str()), 0);
    std::filesystem::remove(Path("streamed.wav"));

    AudioFileWriter writer;
    ASSERT_EQ(writer.Open(Path("streamed.wav").c_str(), c.channels, c.bits, 48000, mBuffer.channelMask), 0);
    for (uint32_t done = 0, block = 1; done < kFrames; done += block, block = block * 3 % 20011)
    {
      block = std::min(block, kFrames - done);
      std::vector<const float*> channels;
      for (uint32_t ch = 0; ch < c.channels; ++ch)
        channels.push_back(mBuffer.samples + ch * kFrames + done);
      ASSERT_EQ(writer.Write(channels.data(), block), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(Path("streamed.wav")));
    ASSERT_EQ(writer.Finish(), 0);
    EXPECT_EQ(Contents(Path("streamed.wav")), Contents(Path("whole.wav")));
    EXPECT_FALSE(std::filesystem::exists(Path("streamed.wav.partial")));
  }

  {
    AudioFileWriter dropped;
    ASSERT_EQ(dropped.Open(Path("dropped.wav").c_str(), 2, 16, 48000, 0), 0);
  }
  EXPECT_FALSE(std::filesystem::exists(Path("dropped.wav.partial")));
  AudioFileWriter writer;
  EXPECT_EQ(writer.Open(Path("wide.wav").c_str(), 40000, 32, 48000, 0), -7);
  EXPECT_EQ(writer.Open(Path("no/folder.wav").c_str(), 2, 16, 48000, 0), -1);
}

}  // namespace
