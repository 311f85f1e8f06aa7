// au-host run as a person runs it: its output, error line and exit status.

#include "host/Measure.h"
#include "host/PluginBundle.h"
#include "reports/AudioFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome
{
  std::string out;
  int status;
};

// Runs au-host with the arguments; stderr is folded into the output.
Outcome AuHost(const std::string& arguments)
{
  FILE* pipe = popen((std::string(AU_HOST) + " " + arguments + " 2>&1").c_str(), "r");
  Outcome run{"", -1};
  char buffer[1024];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
    run.out.append(buffer, n);
  run.status = WEXITSTATUS(pclose(pipe));
  return run;
}

TEST(AuHost, InfoThroughBothRoads)
{
  for (const char* road : {"", "--entry"})
  {
    const Outcome run = AuHost(std::string("--plugin " TEST_GAIN_BUNDLE " ") + road + " info");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "Name: Vantorelix Test: TestGain\nVersion: 1.2.3\nChannel configurations: 1-1 2-2 3-3 4-4 5-5 6-6 7-7 "
              "8-8 9-9 10-10\n"
              "Parameters: 4\n");
  }
}

// A folder per test and per process, since builds of several checkouts run the same tests at once,
// with a stereo 16-bit WAV of 1000 frames in it.
class AuHostMeasure : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mFolder = std::filesystem::temp_directory_path() /
              ("au-host-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(mFolder);
    AudioFileBuffer buffer;
    audioFileInit(&buffer);
    audioFileAllocate(&buffer, 1000, 2, 16, 48000, 0);
    for (uint32_t i = 0; i < 1000; ++i)
    {
      buffer.samples[i] = float(std::sin(i * 0.05) * 0.5);
      buffer.samples[1000 + i] = float(i % 100) / 200.0f;
    }
    ASSERT_EQ(audioFileWriteWav(&buffer, Path("in.wav").c_str()), 0);
    audioFileFree(&buffer);
  }
  void TearDown() override { std::filesystem::remove_all(mFolder); }
  std::string Path(const std::string& name) const { return (mFolder / name).string(); }
  std::string Measure(const std::string& arguments) const
  {
    return "--plugin " TEST_GAIN_BUNDLE " measure " + Path("in.wav") + " " + arguments;
  }

  std::filesystem::path mFolder;
};

// Reads a WAV file; empty when it cannot be read.
std::vector<float> Samples(const std::string& path)
{
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  std::vector<float> samples;
  if (audioFileRead(&buffer, path.c_str(), 0, 0, false) == 0)
    samples.assign(buffer.samples, buffer.samples + buffer.frames * buffer.channels);
  audioFileFree(&buffer);
  return samples;
}

TEST_F(AuHostMeasure, OutGivesTheFileBackWithTheGainApplied)
{
  for (const char* block : {"512", "100", "1000"})
  {
    const char* polarity = block[0] == '5' ? "Polarity=Inverted" : "Polarity=1";  // by text or by number
    const Outcome run = AuHost(
      Measure(std::string("--block ") + block + " --set Gain=-6 --set " + polarity + " --out " + Path("out.wav")));
    ASSERT_EQ(run.status, 0) << run.out;
    const std::vector<float> in = Samples(Path("in.wav"));
    const std::vector<float> out = Samples(Path("out.wav"));
    ASSERT_EQ(out.size(), in.size());
    const float gain = -std::pow(10.0f, -6.0f / 20.0f);
    for (size_t i = 0; i < in.size(); ++i)
      ASSERT_NEAR(out[i], in[i] * gain, 1.0f / 32768) << "block " << block << " sample " << i;
  }
}

TEST_F(AuHostMeasure, ReadsHeaderlessPcmItIsToldAbout)
{
  const std::vector<float> in = Samples(Path("in.wav"));
  {
    std::FILE* raw = std::fopen(Path("in.raw").c_str(), "wb");  // the same audio, big-endian 16-bit
    for (size_t i = 0; i < 1000; ++i)
      for (size_t c = 0; c < 2; ++c)
      {
        const auto v = int16_t(std::lround(in[c * 1000 + i] * 32768.0f));
        const unsigned char bytes[2] = {uint8_t(uint16_t(v) >> 8), uint8_t(v)};
        std::fwrite(bytes, 1, 2, raw);
      }
    std::fclose(raw);
  }
  const std::string plugin = "--plugin " TEST_GAIN_BUNDLE " measure " + Path("in.raw");
  ASSERT_EQ(AuHost(plugin + " --raw 2:16:48000:be --out " + Path("out.wav")).status, 0);
  const std::vector<float> out = Samples(Path("out.wav"));
  ASSERT_EQ(out.size(), in.size());
  for (size_t i = 0; i < in.size(); ++i)
    ASSERT_NEAR(out[i], in[i], 1.0f / 32768) << i;
  EXPECT_EQ(AuHost(plugin + " --raw 2:12:48000").status, 2);
  EXPECT_EQ(AuHost(plugin).out, "au-host: cannot read " + Path("in.raw") +
                                  ": it is not a WAV or AIFF file (give --raw for headerless PCM)\n");
}

// A file is read a stretch at a time: blocks that straddle two stretches come out whole, and a
// file cut short is rendered up to its end, with a warning.
TEST_F(AuHostMeasure, LongFilesAreReadInStretches)
{
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  audioFileAllocate(&buffer, 200000, 1, 16, 48000, 0);
  for (uint32_t i = 0; i < 200000; ++i)
    buffer.samples[i] = float(std::sin(i * 0.01) * 0.5);
  ASSERT_EQ(audioFileWriteWav(&buffer, Path("long.wav").c_str()), 0);
  audioFileFree(&buffer);
  const std::string measure = "--plugin " TEST_GAIN_BUNDLE " measure ";
  ASSERT_EQ(AuHost(measure + Path("long.wav") + " --block 999 --out " + Path("out.wav")).status, 0);
  EXPECT_EQ(Samples(Path("out.wav")), Samples(Path("long.wav")));

  std::filesystem::resize_file(Path("long.wav"), 44 + 2 * 199999);  // the last frame is missing
  const Outcome cut = AuHost(measure + Path("long.wav") + " --out " + Path("cut.wav"));
  EXPECT_EQ(cut.status, 0);
  EXPECT_EQ(cut.out.substr(0, cut.out.find('\n') + 1),
            "au-host: warning: " + Path("long.wav") +
              ": its audio data runs past the end of the file; measuring the 199999 frames it holds\n");
  std::vector<float> held = Samples(Path("out.wav"));
  held.pop_back();
  EXPECT_EQ(Samples(Path("cut.wav")), held);
}

TEST_F(AuHostMeasure, OneIdleTickPer20MillisecondsOfAudioWhateverTheBlockSize)
{
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  audioFileAllocate(&buffer, 48000, 1, 16, 48000, 0);  // one second
  ASSERT_EQ(audioFileWriteWav(&buffer, Path("second.wav").c_str()), 0);
  audioFileFree(&buffer);
  for (const char* block : {"64", "512", "4096"})
  {
    // Ticks at 0, 20, ... 1000 ms: the first when the plug-in starts its timer.
    const Outcome run = AuHost("--plugin " TEST_GAIN_BUNDLE " measure " + Path("second.wav") + " --block " + block);
    EXPECT_EQ(run.out, "OUT:Ticks: 51.00\n") << "block " << block;
  }
}

TEST_F(AuHostMeasure, StateFilesCarryTheSettings)
{
  ASSERT_EQ(AuHost(Measure("--set Gain=-12 --set Mute=on --state-out " + Path("state.plist"))).status, 0);
  ASSERT_EQ(AuHost(Measure("--state-in " + Path("state.plist") + " --set Mute=off --out " + Path("out.wav"))).status,
            0);
  const std::vector<float> in = Samples(Path("in.wav"));
  const std::vector<float> out = Samples(Path("out.wav"));
  ASSERT_EQ(out.size(), in.size());
  EXPECT_NEAR(out[10], in[10] * std::pow(10.0f, -12.0f / 20.0f), 1.0f / 32768);  // Gain from the state file
}

TEST_F(AuHostMeasure, RefusesBadRequestsAndWritesNothing)
{
  struct Case
  {
    std::string arguments;
    std::string line;
  };
  const Case cases[] = {
    {"--set Gain=40", "au-host: value 40 of \"Gain\" is out of range (-60 to 12)"},
    {"--set Gain=loud", "au-host: \"loud\" is not a number, which \"Gain\" needs"},
    {"--set Gain=+-5", "au-host: \"+-5\" is not a number, which \"Gain\" needs"},
    {"--set Polarity=0.5", "au-host: value 0.5 of \"Polarity\" is not a whole number (0 to 1)"},
    {"--set Nope=1", "au-host: unknown parameter \"Nope\" (au-host list-params shows the names)"},
    {"--set Polarity=Sideways", "au-host: \"Sideways\" is not a value of \"Polarity\" (Normal, Inverted)"},
    {"--preset Loud", "au-host: unknown preset \"Loud\" (au-host list-presets shows the names and numbers)"},
    {"--preset 1", "au-host: unknown preset \"1\" (au-host list-presets shows the names and numbers)"},
    {"--state-in " + Path("missing.plist"), "au-host: cannot read the state file " + Path("missing.plist")},
    {"--state-out " + Path("no/folder.plist"), "au-host: cannot write the state file " + Path("no/folder.plist")},
  };
  for (const Case& c : cases)
  {
    const Outcome run = AuHost(Measure(c.arguments + " --out " + Path("out.wav")));
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_EQ(run.out, c.line + "\n") << c.arguments;
    EXPECT_FALSE(std::filesystem::exists(Path("out.wav"))) << c.arguments;
  }
  const Outcome run = AuHost("--plugin " TEST_GAIN_BUNDLE " measure " + Path("missing.wav"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "au-host: cannot read " + Path("missing.wav") + ": cannot open it\n");
  EXPECT_EQ(AuHost(Measure("--block 0")).status, 2);
  EXPECT_EQ(AuHost(Measure("--preset Quiet --json")).out, "{\"OUT:Ticks\": 2.00}\n");
}

// The rate in a file header is the file's word only: rates nothing can be measured at are refused
// in one line, before anything is sized by them.
TEST_F(AuHostMeasure, RefusesSampleRatesItCannotMeasure)
{
  const struct
  {
    uint32_t rate;
    std::string line;
  } cases[] = {
    {0, "au-host: cannot read " + Path("rate.wav") + ": its header is damaged"},
    {1, "au-host: the plug-in does not run at a sample rate of 1 Hz (status -10868)"},
    {7999, "au-host: the plug-in does not run at a sample rate of 7999 Hz (status -10868)"},
    {100000000, "au-host: the plug-in does not run at a sample rate of 100000000 Hz (status -10868)"},
    {1380000000, "au-host: the plug-in does not run at a sample rate of 1380000000 Hz (status -10868)"},
  };
  for (const auto& c : cases)
  {
    AudioFileBuffer buffer;
    audioFileInit(&buffer);
    ASSERT_EQ(audioFileAllocate(&buffer, 100, 1, 16, 48000, 0), 0);
    ASSERT_EQ(audioFileWriteWav(&buffer, Path("rate.wav").c_str()), 0);
    audioFileFree(&buffer);
    std::fstream file(Path("rate.wav"), std::ios::binary | std::ios::in | std::ios::out);
    const uint8_t rate[4] = {uint8_t(c.rate), uint8_t(c.rate >> 8), uint8_t(c.rate >> 16), uint8_t(c.rate >> 24)};
    file.seekp(24).write(reinterpret_cast<const char*>(rate), 4);  // the header's sample rate
    file.close();
    const Outcome run = AuHost("--plugin " TEST_GAIN_BUNDLE " measure " + Path("rate.wav") + " --out " +
                               Path("out.wav"));
    EXPECT_EQ(run.status, 1) << c.rate;
    EXPECT_EQ(run.out, c.line + "\n");
    EXPECT_FALSE(std::filesystem::exists(Path("out.wav"))) << c.rate;
  }
}

// A header's channel count is the plug-in's to refuse before any audio is read by it: a header
// of 65535 8-bit channels followed by endless zeros is refused at once, having read next to
// nothing, rather than sizing a read of 65536 such frames (4.3 GB).
TEST_F(AuHostMeasure, RefusesAChannelCountBeforeReadingAudio)
{
  const std::string errors = Path("errors.txt");
  FILE* pipe = popen((std::string(AU_HOST) + " --plugin " TEST_GAIN_BUNDLE " measure - 2>" + errors).c_str(), "w");
  const uint8_t header[44] = {'R',  'I',  'F',  'F',  0xFF, 0xFF, 0xFF, 0xFF, 'W',  'A',  'V',  'E',  'f',  'm',  't',
                              ' ',  16,   0,    0,    0,    1,    0,    0xFF, 0xFF, 0x80, 0xBB, 0,    0,    0x80, 0x44,
                              0xB5, 0xBB, 0xFF, 0xFF, 8,    0,    'd',  'a',  't',  'a',  0xFF, 0xFF, 0xFF, 0xFF};
  const auto previous = std::signal(SIGPIPE, SIG_IGN);  // au-host leaves while it is written to
  const std::vector<char> zeros(1 << 16);
  size_t written = std::fwrite(header, 1, sizeof header, pipe);
  constexpr size_t kMost = size_t(256) << 20;
  while (written < kMost && std::fwrite(zeros.data(), 1, zeros.size(), pipe) == zeros.size())
    written += zeros.size();
  const int status = WEXITSTATUS(pclose(pipe));
  std::signal(SIGPIPE, previous);
  EXPECT_EQ(status, 1);
  std::ifstream in(errors);
  const std::string line(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(line, "au-host: the plug-in does not take 65535 channel(s)\n");
  EXPECT_LT(written, size_t(8) << 20);
}

// Frames are counted in 64 bits from the file through the playback to --out: a file played from
// near the end of 32-bit frame counts is measured and written whole.
TEST_F(AuHostMeasure, PlaysPastFourBillionFrames)
{
  host::PluginBundle bundle;
  ASSERT_TRUE(bundle.Open(TEST_GAIN_BUNDLE, false)) << bundle.Error();
  host::Instance instance(bundle.Component());
  ASSERT_EQ(instance.Status(), noErr);
  host::MeasureOptions options;
  options.file = Path("in.wav");
  options.out = Path("out.wav");
  options.block = 256;
  options.firstFrame = (uint64_t(1) << 32) - 300;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(host::Measure(instance.Unit(), options), "");
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(Samples(Path("out.wav")), Samples(Path("in.wav")));
}

// The plug-in's integrated loudness and loudness range hold the last hour: a longer input is
// measured to its end, and one line says what those two then cover. Silence at the lowest rate
// the plug-in takes, played through unmeasured ("Play" off), so that an hour passes quickly: the
// line follows the length alone.
TEST_F(AuHostMeasure, SaysWhenTheInputOutlastsTheLoudnessHour)
{
  constexpr uint64_t kHourBytes = uint64_t(3600) * 8000 * 2;
  const std::string silence = Path("silence.raw");
  for (const uint64_t bytes : {kHourBytes, kHourBytes + 1600})
  {
    std::ofstream(silence).close();
    std::filesystem::resize_file(silence, bytes);
    const Outcome run = AuHost("--plugin " PRODUCT_BUNDLE " measure " + silence +
                               " --raw 1:16:8000 --block 65536 --set Play=0 --json");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find('{')), bytes == kHourBytes
                                                      ? ""
                                                      : "au-host: note: " + silence +
                                                          " is longer than an hour; integrated "
                                                          "loudness and loudness range cover its last hour\n");
  }
}

// State files that once crashed au-host or made it read past their end are refused in one line.
TEST_F(AuHostMeasure, RefusesHostileStateFiles)
{
  std::string deep = "<plist>";
  for (int i = 0; i < 40000; ++i)
    deep += "<array>";
  for (const std::string& text : {deep, std::string("<plist><string>x\xF0")})
  {
    std::ofstream(Path("state.plist"), std::ios::binary) << text;
    const Outcome run = AuHost(Measure("--state-in " + Path("state.plist")));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "au-host: the state file " + Path("state.plist") + " is not a property list\n");
  }
  // Only a regular file is read: a device never ends and a FIFO would wait for a writer.
  ASSERT_EQ(mkfifo(Path("fifo.plist").c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), Path("fifo.plist")})
  {
    const Outcome run = AuHost(Measure("--state-in " + path));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "au-host: cannot read the state file " + path + "\n");
  }
}

TEST(AuHost, ListsParametersAndPresets)
{
  EXPECT_EQ(AuHost("--plugin " TEST_GAIN_BUNDLE " list-params").out,
            "0: Gain = 0.0 [-60.0 .. 12.0]\n1: Mute = off [off .. on]\n2: Polarity = Normal [Normal .. Inverted]\n"
            "3: OUT:Ticks = 0 [0 .. 1000000000]\n");
  EXPECT_EQ(AuHost("--plugin " TEST_GAIN_BUNDLE " --entry list-presets").out, "0: Quiet\n");
}

TEST(AuHost, HelpPrintsTheUsageAndSucceeds)
{
  for (const char* arguments : {"--help", "-h", "measure --help", "--plugin /nonexistent -h"})
  {
    const Outcome run = AuHost(arguments);
    EXPECT_EQ(run.status, 0) << arguments;
    EXPECT_EQ(run.out.rfind("usage: au-host [--plugin BUNDLE]", 0), 0u) << arguments << ": " << run.out;
  }
  // On stdout: nothing is left when stdout goes nowhere.
  EXPECT_EQ(AuHost("--help >/dev/null").out, "");
}

TEST(AuHost, ErrorsNameTheCause)
{
  struct Case
  {
    std::string arguments;
    int status;
    std::string firstLine;
  };
  const Case cases[] = {
    {"--plugin /nonexistent info", 1,
     "au-host: cannot read the plug-in bundle /nonexistent (no valid Contents/Info.plist)"},
    {"--plugin " TEST_GAIN_BUNDLE " frobnicate", 2, "au-host: unknown command \"frobnicate\""},
    {"--plugin", 2, "au-host: --plugin needs a value"},
    {"", 2, "au-host: no command given"},
  };
  for (const Case& c : cases)
  {
    const Outcome run = AuHost(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), c.firstLine) << c.arguments;
  }
}

}  // namespace
