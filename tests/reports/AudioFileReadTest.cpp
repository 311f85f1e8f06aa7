#include "tests/reports/AudioFileFixtures.h"

#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using AudioFileRead = AudioFileTest;

// 16-bit stereo: frame i holds (i, -i) x 256.
Bytes Stereo16(uint32_t frames, uint16_t blockAlign = 4)
{
  Bytes data = Bytes().Id("data").LE(frames * 4, 4);
  for (uint32_t i = 0; i < frames; ++i)
    data.LE(uint16_t(int16_t(i * 256)), 2).LE(uint16_t(int16_t(-int(i) * 256)), 2);
  return Wav(FmtChunk(1, 2, 48000, blockAlign, 16).Append(data));
}

TEST_F(AudioFileRead, WavPcmDeinterleavesAndScales)
{
  // An odd-sized chunk before "fmt " is skipped with its pad byte.
  Bytes chunks = Bytes().Id("junk").LE(3, 4).Raw({1, 2, 3, 0});
  Bytes file = Stereo16(20);
  chunks.data.insert(chunks.data.end(), file.data.begin() + 12, file.data.end());
  ASSERT_EQ(audioFileRead(&mBuffer, Write("a.wav", Wav(chunks)).c_str(), 0, 0, false), 0);
  EXPECT_EQ(mBuffer.ready, 1);
  EXPECT_EQ(audioFileFrames(&mBuffer), 20u);
  EXPECT_EQ(audioFileChannels(&mBuffer), 2);
  EXPECT_EQ(audioFileBits(&mBuffer), 16);
  EXPECT_EQ(audioFileSampleRate(&mBuffer), 48000u);
  EXPECT_EQ(Sample(0, 3), 3 * 256 / 32768.0f);
  EXPECT_EQ(Sample(1, 19), -19 * 256 / 32768.0f);

  const Bytes eightBit = Wav(FmtChunk(1, 1, 8000, 1, 8).Append(Bytes().Id("data").LE(3, 4).Raw({0x80, 0x00, 0xFF, 0})));
  ASSERT_EQ(audioFileRead(&mBuffer, Write("b.wav", eightBit).c_str(), 0, 0, false), 0);
  EXPECT_EQ(Sample(0, 0), 0.0f);
  EXPECT_EQ(Sample(0, 1), -1.0f);
  EXPECT_EQ(Sample(0, 2), 0.9921875f);
}

TEST_F(AudioFileRead, FrameWindowAndInfoOnly)
{
  const std::string path = Write("a.wav", Stereo16(50));
  struct Case
  {
    uint32_t start, max;
    bool infoOnly;
    uint32_t frames;
    uint8_t ready;
    float first;
  };
  for (const Case& c : {Case{100, 0, false, 0, 0, 0}, Case{0, 10, false, 10, 1, 0}, Case{45, 10, false, 5, 1, 45},
                        Case{0, 0, true, 50, 0, 0}})
  {
    ASSERT_EQ(audioFileRead(&mBuffer, path.c_str(), c.start, c.max, c.infoOnly), 0);
    EXPECT_EQ(mBuffer.frames, c.frames) << c.start;
    EXPECT_EQ(mBuffer.ready, c.ready);
    EXPECT_EQ(mBuffer.channels, 2);
    if (c.ready)
      EXPECT_EQ(Sample(0, 0), c.first * 256 / 32768.0f);
    else
      EXPECT_EQ(mBuffer.samples, nullptr);
  }
}

// A file read as a stream, from the file itself (which can seek) or through a pipe (which cannot),
// a few frames at a time; the stream's fields and the frames read, channel after channel.
struct StreamRead
{
  int result = 0;
  AudioFileStream stream{};
  std::vector<std::vector<float>> channels;
};

// From the file, its first `skipped` bytes are read before the stream is opened, as another
// program sharing the same open file may have done.
StreamRead ReadStream(AudioFileBuffer& buffer, const std::string& path, bool piped, const char* raw = nullptr,
                      long skipped = 0)
{
  StreamRead read;
  FILE* file = piped ? popen(("tail -c +" + std::to_string(skipped + 1) + " '" + path + "'").c_str(), "r")
                     : std::fopen(path.c_str(), "rb");
  for (long i = 0; i < skipped && !piped; ++i)
    std::fgetc(file);
  read.result = raw ? audioFileStreamOpenRaw(&read.stream, file, 2, 16, 44100, 0, false, false)
                    : audioFileStreamOpen(&read.stream, file);
  while (read.result == 0 && !read.stream.ended)
  {
    read.result = audioFileStreamRead(&read.stream, &buffer, 0, 7);
    read.channels.resize(buffer.channels);
    for (uint32_t c = 0; c < buffer.channels; ++c)
      read.channels[c].insert(read.channels[c].end(), buffer.samples + c * buffer.frames,
                              buffer.samples + (c + 1) * buffer.frames);
  }
  if (piped)
    pclose(file);
  else
    std::fclose(file);
  return read;
}

// Sizes a writer streaming into a pipe leaves unknown count to the end of the file, in whole
// frames; a data chunk that runs past the end is announced longer than it is held. A stream reads
// the same frames from a file and from a pipe, and knows their number in advance only from a file.
TEST_F(AudioFileRead, UnknownSizesAndDataPastTheEnd)
{
  struct Case
  {
    const char* name;
    uint32_t riffSize, dataSize;
    size_t cut;  // bytes taken off the end of 20 frames
    uint64_t announced, present;
  };
  const Case cases[] = {
    {"all ones", 0xFFFFFFFF, 0xFFFFFFFF, 0, 0, 20},
    {"all ones, a partial frame at the end", 0xFFFFFFFF, 0xFFFFFFFF, 3, 0, 19},
    {"data size all ones", 4 + 24 + 8 + 80, 0xFFFFFFFF, 0, 0, 20},
    {"zero", 0, 0, 0, 0, 20},
    {"zero data in a file of known size holds nothing", 4 + 24 + 8 + 80, 0, 0, 0, 0},
    {"data past the end", 4 + 24 + 8 + 80, 80, 10, 20, 17},
    {"a chunk after the data", 4 + 24 + 8 + 80, 76, 0, 19, 19},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Bytes file = Stereo16(20);
    file.data.resize(file.data.size() - c.cut);
    for (int i = 0; i < 4; ++i)
    {
      file.data[4 + i] = uint8_t(c.riffSize >> (8 * i));
      file.data[40 + i] = uint8_t(c.dataSize >> (8 * i));
    }
    const std::string path = Write("a.wav", file);
    for (const bool piped : {false, true})
    {
      SCOPED_TRACE(piped ? "through a pipe" : "from the file");
      const StreamRead read = ReadStream(mBuffer, path, piped);
      ASSERT_EQ(read.result, 0);
      EXPECT_EQ(read.stream.announcedFrames, c.announced);
      EXPECT_EQ(read.stream.frames, piped ? kAudioFileUnknownLength : c.present);
      EXPECT_EQ(read.stream.framesRead, c.present);
      ASSERT_EQ(read.channels.size(), c.present ? 2u : 0u);
      for (uint32_t i = 0; i < c.present; ++i)
        ASSERT_EQ(read.channels[1][i], -int(i) * 256 / 32768.0f) << i;
    }
    if (c.present == 0)
      continue;
    ASSERT_EQ(audioFileRead(&mBuffer, path.c_str(), 0, uint32_t(c.present), false), 0);
    EXPECT_EQ(mBuffer.frames, c.present);
    EXPECT_EQ(Sample(1, uint32_t(c.present - 1)), -int(c.present - 1) * 256 / 32768.0f);
  }
}

TEST_F(AudioFileRead, HostileOrMalformedHeadersAreRefusedAndChangeNothing)
{
  ASSERT_EQ(audioFileRead(&mBuffer, Write("good.wav", Stereo16(8)).c_str(), 0, 0, false), 0);
  const float* before = mBuffer.samples;

  const Bytes fmt = FmtChunk(1, 2, 48000, 4, 16);
  Bytes extensibleShort =
    Bytes().Id("fmt ").LE(18, 4).LE(0xFFFE, 2).LE(2, 2).LE(48000, 4).LE(192000, 4).LE(4, 2).LE(16, 2).LE(0, 2);
  Bytes huge = Bytes().Append(fmt).Id("data").LE(0xFFFFFFF0u, 4).LE(0, 8);
  Bytes pastEnd = Bytes().Id("LIST").LE(0x7FFFFFF0, 4).Append(fmt).Id("data").LE(4, 4).LE(0, 4);
  struct Case
  {
    const char* what;
    Bytes file;
    int result;
  };
  const Case cases[] = {
    {"block align 6 for 16-bit stereo", Stereo16(4, 6), -7},
    {"no data chunk", Wav(fmt), -2},
    {"data larger than the file", Wav(huge), -2},
    {"chunk running past the end", Wav(pastEnd), -2},
    {"fmt shorter than its fields", Wav(Bytes().Id("fmt ").LE(8, 4).LE(1, 2).LE(2, 2).LE(48000, 4)), -2},
    {"extensible fmt without its extension", Wav(extensibleShort), -2},
    {"zero channels", Wav(FmtChunk(1, 0, 48000, 0, 16).Id("data").LE(0, 4)), -2},
    {"zero bits", Wav(FmtChunk(1, 2, 48000, 2, 0).Id("data").LE(0, 4)), -2},
    {"zero sample rate", Wav(FmtChunk(1, 1, 0, 2, 16).Id("data").LE(2, 4).LE(0, 2)), -2},
    {"16-bit floats", Wav(FmtChunk(3, 1, 48000, 2, 16).Id("data").LE(2, 4).LE(0, 2)), -7},
    {"64-bit samples", Wav(FmtChunk(1, 1, 48000, 8, 64).Id("data").LE(8, 4).LE(0, 8)), -7},
    {"compressed", Wav(FmtChunk(2, 1, 48000, 2, 16).Id("data").LE(2, 4).LE(0, 2)), -7},
    {"RIFF but not WAVE", Bytes().Id("RIFF").LE(4, 4).Id("AVI "), -6},
    {"neither RIFF nor FORM", Bytes().Id("OggS").LE(0, 8), -6},
    {"empty file", Bytes(), -6},
  };
  for (const Case& c : cases)
  {
    EXPECT_EQ(audioFileRead(&mBuffer, Write("bad.wav", c.file).c_str(), 0, 0, false), c.result) << c.what;
    EXPECT_EQ(mBuffer.samples, before) << c.what;
    EXPECT_EQ(mBuffer.ready, 1) << c.what;
    EXPECT_EQ(mBuffer.frames, 8u) << c.what;
  }
  EXPECT_EQ(audioFileRead(&mBuffer, "", 0, 0, false), -1);
  EXPECT_EQ(audioFileRead(&mBuffer, Path("missing.wav").c_str(), 0, 0, false), -1);
}

// AIFF around a COMM chunk and an SSND chunk of the given sample bytes.
Bytes Aiff(const char* form, uint16_t channels, uint32_t frames, uint16_t bits, const Bytes& rate, const char* type,
           const Bytes& samples, uint32_t offset = 0)
{
  Bytes comm = Bytes().BE(channels, 2).BE(frames, 4).BE(bits, 2).Append(rate);
  if (type)
    comm.Id(type).Raw({0, 0});
  Bytes body = Bytes()
                 .Id(form)
                 .Id("COMM")
                 .BE(comm.data.size(), 4)
                 .Append(comm)
                 .Id("SSND")
                 .BE(8 + offset + samples.data.size(), 4)
                 .BE(offset, 4)
                 .BE(0, 4);
  body.data.resize(body.data.size() + offset);
  body.Append(samples);
  return Bytes().Id("FORM").BE(body.data.size(), 4).Append(body);
}

const Bytes k44100 = Bytes().Raw({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0});

TEST_F(AudioFileRead, AiffAndAifc)
{
  const Bytes pcm = Bytes().BE(0x4000, 2).BE(0xC000, 2).BE(0x0100, 2).BE(0xFF00, 2);
  ASSERT_EQ(
    audioFileRead(&mBuffer, Write("a.aif", Aiff("AIFF", 2, 2, 16, k44100, nullptr, pcm, 4)).c_str(), 0, 0, false), 0);
  EXPECT_EQ(mBuffer.sampleRate, 44100u);
  EXPECT_EQ(Sample(0, 0), 0.5f);
  EXPECT_EQ(Sample(1, 0), -0.5f);
  EXPECT_EQ(Sample(1, 1), -256 / 32768.0f);

  const Bytes floats = Bytes().BE(0x3F000000, 4).BE(0xBF800000, 4);
  ASSERT_EQ(
    audioFileRead(&mBuffer, Write("b.aifc", Aiff("AIFC", 1, 2, 32, k44100, "fl32", floats)).c_str(), 0, 0, false), 0);
  EXPECT_EQ(Sample(0, 0), 0.5f);
  EXPECT_EQ(Sample(0, 1), -1.0f);
  const Bytes s24 = Bytes().BE(0x800000, 3).BE(0x7FFFFF, 3);
  ASSERT_EQ(audioFileRead(&mBuffer, Write("c.aif", Aiff("AIFF", 1, 2, 24, k44100, nullptr, s24)).c_str(), 0, 0, false),
            0);
  EXPECT_EQ(Sample(0, 0), -1.0f);

  const Bytes infinite = Bytes().Raw({0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0});
  const Bytes quarterHz = Bytes().Raw({0x3F, 0xFD, 0x80, 0, 0, 0, 0, 0, 0, 0});
  struct Case
  {
    const char* what;
    Bytes file;
    int result;
  };
  const Case cases[] = {
    {"compression other than NONE and FL32", Aiff("AIFC", 1, 1, 16, k44100, "ulaw", Bytes().BE(0, 2)), -7},
    {"infinite sample rate", Aiff("AIFF", 1, 1, 16, infinite, nullptr, Bytes().BE(0, 2)), -7},
    {"more frames than the sound chunk holds", Aiff("AIFF", 1, 9, 16, k44100, nullptr, Bytes().BE(0, 2)), -2},
    {"zero channels", Aiff("AIFF", 0, 1, 16, k44100, nullptr, Bytes().BE(0, 2)), -2},
    {"sample rate that rounds to 0", Aiff("AIFF", 1, 1, 16, quarterHz, nullptr, Bytes().BE(0, 2)), -2},
    {"not AIFF", Bytes().Id("FORM").BE(4, 4).Id("8SVX"), -6},
  };
  for (const Case& c : cases)
    EXPECT_EQ(audioFileRead(&mBuffer, Write("bad.aif", c.file).c_str(), 0, 0, false), c.result) << c.what;
}

// A stream keeps the frames it is told to keep ahead of those it reads next; AIFF and headerless
// PCM come through a pipe as from the file. A stream that cannot seek refuses audio before the
// format, which it could not come back to, and a file takes it.
TEST_F(AudioFileRead, StreamKeepsFramesAndRefusesAudioBeforeItsFormat)
{
  FILE* file = std::fopen(Write("a.wav", Stereo16(20)).c_str(), "rb");
  AudioFileStream stream{};
  ASSERT_EQ(audioFileStreamOpen(&stream, file), 0);
  ASSERT_EQ(audioFileStreamRead(&stream, &mBuffer, 0, 5), 0);
  ASSERT_EQ(audioFileStreamRead(&stream, &mBuffer, 2, 4), 0);
  ASSERT_EQ(mBuffer.frames, 6u);
  for (uint32_t i = 0; i < 6; ++i)
    EXPECT_EQ(Sample(1, i), -int(i + 3) * 256 / 32768.0f) << i;
  // Keeping nothing, the next stretch takes the place of the last.
  ASSERT_EQ(audioFileStreamRead(&stream, &mBuffer, 0, 7), 0);
  std::fclose(file);
  ASSERT_EQ(mBuffer.frames, 7u);
  for (uint32_t i = 0; i < 7; ++i)
    EXPECT_EQ(Sample(1, i), -int(i + 9) * 256 / 32768.0f) << i;

  const Bytes pcm = Bytes().BE(0x4000, 2).BE(0xC000, 2).BE(0x0100, 2).BE(0xFF00, 2);
  const std::string aiff = Write("a.aif", Aiff("AIFF", 2, 2, 16, k44100, nullptr, pcm, 4));
  const std::string raw = Write("a.raw", Bytes().LE(0x4000, 2).LE(0xC000, 2).LE(0x0100, 2));
  for (const auto& [path, rawFormat] : {std::pair{aiff, false}, std::pair{raw, true}})
  {
    SCOPED_TRACE(path);
    const StreamRead fromFile = ReadStream(mBuffer, path, false, rawFormat ? "raw" : nullptr);
    const StreamRead piped = ReadStream(mBuffer, path, true, rawFormat ? "raw" : nullptr);
    ASSERT_EQ(fromFile.result, 0);
    ASSERT_EQ(piped.result, 0);
    EXPECT_EQ(piped.channels, fromFile.channels);
    EXPECT_EQ(fromFile.stream.framesRead, rawFormat ? 1u : 2u);
    EXPECT_EQ(piped.channels[0][0], 0.5f);
  }

  Bytes dataFirst = Bytes().Id("data").LE(4, 4).LE(0x40004000, 4).Append(FmtChunk(1, 2, 48000, 4, 16));
  Bytes ssndFirst = Bytes()
                      .Id("AIFF")
                      .Id("SSND")
                      .BE(12, 4)
                      .BE(0, 8)
                      .BE(0x40004000, 4)
                      .Id("COMM")
                      .BE(18, 4)
                      .BE(2, 2)
                      .BE(1, 4)
                      .BE(16, 2)
                      .Append(k44100);
  for (const Bytes& bytes : {Wav(dataFirst), Bytes().Id("FORM").BE(ssndFirst.data.size(), 4).Append(ssndFirst)})
  {
    const std::string path = Write("first.bin", bytes);
    EXPECT_EQ(ReadStream(mBuffer, path, true).result, -12);
    const StreamRead fromFile = ReadStream(mBuffer, path, false);
    ASSERT_EQ(fromFile.result, 0);
    EXPECT_EQ(fromFile.channels[1], std::vector<float>{0.5f});
  }
}

// The same bytes give the same answer from the file and through a pipe: a file read partway is
// read from where it stands, a sound chunk whose offset runs past the end is damaged either way,
// the placeholder sizes of a writer streaming into a pipe are no cut, and a stream refuses to read
// more before its audio than any real file holds, however it announces it.
TEST_F(AudioFileRead, StreamGivesOneAnswerFromTheFileAndThroughAPipe)
{
  const Bytes pcm = Bytes().BE(0x4000, 2).BE(0xC000, 2);
  Bytes offsetPastEnd = Aiff("AIFF", 2, 1, 16, k44100, nullptr, pcm, 64);
  offsetPastEnd.data.resize(offsetPastEnd.data.size() - 40);
  // A streaming writer's AIFF: form, frame count and sound chunk sized for 0x7F000000 bytes.
  Bytes placeholderAiff = Aiff("AIFF", 2, 0x7F000000 / 4, 16, k44100, nullptr, pcm);
  for (int i = 0; i < 4; ++i)
  {
    placeholderAiff.data[4 + i] = uint8_t(0x7F000050u >> (24 - 8 * i));
    placeholderAiff.data[placeholderAiff.data.size() - 16 + i] = uint8_t(0x7F000008u >> (24 - 8 * i));
  }
  Bytes placeholderWav = Stereo16(3);
  for (int i = 0; i < 4; ++i)
    placeholderWav.data[40 + i] = uint8_t(0x7FFFF000u >> (8 * i));
  const Bytes fmt = FmtChunk(1, 2, 48000, 4, 16);
  const Bytes bigChunk = Bytes().Append(fmt).Id("LIST").LE(65 << 20, 4).LE(0, 8).Id("data").LE(4, 4).LE(0, 4);
  Bytes prefixed = Bytes().Raw({'j', 'u', 'n', 'k', 0, 0, 0, 0, 1}).Append(Stereo16(3));
  Bytes longFormat = Stereo16(1);
  longFormat.data[16 + 3] = 0x10;  // the format chunk announces 256 MB
  struct Case
  {
    const char* what;
    Bytes file;
    long skipped;
    int result;
    uint64_t announced, read;
  };
  const Case cases[] = {
    {"a file read partway", prefixed, 9, 0, 3, 3},
    {"a sound chunk offset past the end", offsetPastEnd, 0, -2, 0, 0},
    {"a streaming writer's AIFF", placeholderAiff, 0, 0, 0, 1},
    {"a streaming writer's WAV", placeholderWav, 0, 0, 0, 3},
    {"65 MB of metadata before the audio", Wav(bigChunk), 0, -13, 0, 0},
    {"a format chunk longer than that", longFormat, 0, -13, 0, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    const std::string path = Write("a.bin", c.file);
    const StreamRead fromFile = ReadStream(mBuffer, path, false, nullptr, c.skipped);
    const StreamRead piped = ReadStream(mBuffer, path, true, nullptr, c.skipped);
    EXPECT_EQ(fromFile.result, c.result);
    EXPECT_EQ(piped.result, c.result);
    if (c.result != 0)
      continue;
    EXPECT_EQ(piped.channels, fromFile.channels);
    for (const StreamRead* read : {&fromFile, &piped})
    {
      EXPECT_EQ(read->stream.announcedFrames, c.announced);
      EXPECT_EQ(read->stream.framesRead, c.read);
    }
  }

  // Endless empty chunks through a pipe are refused once the bound is passed.
  const std::string header = Write("header.wav", Bytes().Id("RIFF").LE(0xFFFFFFFF, 4).Id("WAVE").Append(fmt));
  FILE* zeros = popen(("cat '" + header + "' /dev/zero").c_str(), "r");
  AudioFileStream stream{};
  EXPECT_EQ(audioFileStreamOpen(&stream, zeros), -13);
  pclose(zeros);
}

// A read that a signal interrupts (Ctrl-C while a slow pipe is awaited) ends the input with the
// frames that came before it, as the end of the file would; a header it cuts short is told apart
// from a damaged one.
TEST_F(AudioFileRead, InterruptedStreamEndsWithWhatItRead)
{
  struct sigaction wake = {}, previous = {};
  wake.sa_handler = [](int) {};
  sigemptyset(&wake.sa_mask);  // no SA_RESTART: the blocked read fails with EINTR
  sigaction(SIGALRM, &wake, &previous);
  Bytes file = Stereo16(5);
  for (int i = 0; i < 4; ++i)
    file.data[40 + i] = 0xFF;  // the length left open: the reader waits for more
  for (const size_t sent : {file.data.size(), size_t(30)})
  {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(write(ends[1], file.data.data(), sent), ssize_t(sent));
    FILE* input = fdopen(ends[0], "rb");
    AudioFileStream stream{};
    itimerval timer = {{0, 0}, {0, 100000}};
    setitimer(ITIMER_REAL, &timer, nullptr);
    if (sent < 44)
    {
      EXPECT_EQ(audioFileStreamOpen(&stream, input), -14);
    }
    else
    {
      ASSERT_EQ(audioFileStreamOpen(&stream, input), 0);
      EXPECT_EQ(audioFileStreamRead(&stream, &mBuffer, 0, 100), 0);
      EXPECT_TRUE(stream.ended);
      EXPECT_EQ(stream.framesRead, 5u);
      EXPECT_EQ(mBuffer.frames, 5u);
    }
    timer = {};
    setitimer(ITIMER_REAL, &timer, nullptr);
    std::fclose(input);
    close(ends[1]);
  }
  sigaction(SIGALRM, &previous, nullptr);
}

TEST_F(AudioFileRead, RawPcmEncodings)
{
  struct Case
  {
    Bytes file;
    uint16_t channels, bits;
    bool alt, bigEndian;
    std::vector<float> expected;
  };
  const Case cases[] = {
    {Bytes().Raw({0x80, 0x7F, 0x00}), 1, 8, false, false, {-1.0f, 127 / 128.0f, 0.0f}},
    {Bytes().Raw({0x80, 0x00}), 1, 8, true, false, {0.0f, -1.0f}},
    {Bytes().BE(0x4000, 2).BE(0x8000, 2), 2, 16, false, true, {0.5f, -1.0f}},
    {Bytes().LE(0x400000, 3).LE(0xC00000, 3).Raw({1}), 1, 24, false, false, {0.5f, -0.5f}},  // partial frame dropped
    {Bytes().BE(0x3F000000, 4), 1, 32, true, true, {0.5f}},
    {Bytes().LE(0x40000000, 4), 1, 48, false, false, {0.5f}},  // wider than 32 reads as 32
  };
  for (const Case& c : cases)
  {
    ASSERT_EQ(audioFileReadRaw(&mBuffer, Write("a.raw", c.file).c_str(), 0, 0, c.channels, c.bits, 44100, 0, c.alt,
                               c.bigEndian),
              0);
    ASSERT_EQ(mBuffer.frames * mBuffer.channels, c.expected.size());
    for (uint32_t i = 0; i < c.expected.size(); ++i)
      EXPECT_EQ(Sample(i % c.channels, i / c.channels), c.expected[i]) << i;
    EXPECT_LE(mBuffer.bits, 32);
  }
  // Less than one frame is empty audio, not an error.
  EXPECT_EQ(
    audioFileReadRaw(&mBuffer, Write("b.raw", Bytes().Raw({1, 2, 3})).c_str(), 0, 0, 2, 16, 44100, 0, false, false), 0);
  EXPECT_EQ(mBuffer.frames, 0u);
  EXPECT_EQ(mBuffer.ready, 0);
  EXPECT_EQ(audioFileReadRaw(&mBuffer, Path("a.raw").c_str(), 0, 0, 0, 16, 44100, 0, false, false), -7);
}

TEST_F(AudioFileRead, ChannelHandshake)
{
  ASSERT_EQ(audioFileAllocate(&mBuffer, 4, 2, 16, 48000, 0), 0);
  EXPECT_EQ(audioFileChannel(&mBuffer, 1, true), mBuffer.samples + 4);
  EXPECT_EQ(mBuffer.busy, 1);
  EXPECT_EQ(audioFileChannel(&mBuffer, 0, true), mBuffer.samples);  // the holder asks again
  EXPECT_EQ(audioFileChannel(&mBuffer, 2, true), nullptr);
  EXPECT_EQ(mBuffer.busy, 0);
  EXPECT_EQ(audioFileAllocate(&mBuffer, 4, 0, 16, 48000, 0), -7);

  // A reader thread sees either the old or the new contents whole, never a half-replaced set.
  Bytes quarter, half;
  for (int i = 0; i < 256; ++i)
  {
    quarter.LE(0x2000, 2);
    half.LE(0xC000, 2);
  }
  const std::string files[] = {Write("quarter.raw", quarter), Write("half.raw", half)};
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0}, seen{0};
  std::thread reader([&] {
    while (!stop)
    {
      if (const float* samples = audioFileChannel(&mBuffer, 0, true))
      {
        ++seen;
        for (uint32_t i = 1; i < audioFileFrames(&mBuffer); ++i)
          torn += samples[i] != samples[0];
      }
      audioFileChannel(&mBuffer, 0, false);
    }
  });
  for (int round = 0; round < 400 || (seen < 20 && round < 200000); ++round)
    ASSERT_EQ(audioFileReadRaw(&mBuffer, files[round % 2].c_str(), 0, 0, 1, 16, 48000, 0, false, false), 0);
  stop = true;
  reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(seen, 0);
}

}  // namespace
