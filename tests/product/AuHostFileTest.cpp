// au-host measuring a file through the product: the report covers the whole file whatever the
// block size, and the audio may come down a pipe from any decoder.

#include "ShellRun.h"
#include "ToneFile.h"

#include "reports/AudioFile.h"
#include "tests/meter-plugin/PluginFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using product_test::Quoted;
using product_test::Shell;

struct Measurement
{
  int status = -1;
  std::string out;
  std::string err;
};

// The settings text inside a state file's encoded chunk; empty when the file holds none.
std::string StateChunkText(const std::string& path)
{
  CFTypeRef state = platform::CreatePropertyListFromXML(plugin_test::ReadFile(path).c_str());
  if (!state)
    return "";
  std::string text;
  if (const auto data = static_cast<CFDataRef>(
        CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), CFSTR("data"))))
    text.assign(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), size_t(CFDataGetLength(data)));
  CFRelease(state);
  return text;
}

// The numbers of a report of "NAME: VALUE" lines, or of one JSON object of such pairs, by name.
std::map<std::string, double> ReportValues(const std::string& report)
{
  std::map<std::string, double> values;
  std::string text;
  for (char c : report)
    if (c != '"')
      text += c == '{' || c == '}' || c == ',' ? '\n' : c;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (const size_t colon = line.rfind(": "); colon != std::string::npos)
    {
      const size_t start = line.find_first_not_of(' '), end = line.find_last_not_of(' ', colon - 1) + 1;
      values[line.substr(start, end - start)] = std::atof(line.c_str() + colon + 2);
    }
  return values;
}

class AuHostFile : public ::testing::Test
{
protected:
  // A mono 48 kHz file: `silence` seconds, then `tone` seconds of 1 kHz at half full scale
  // (-6 dBFS), then `tail` seconds of silence.
  std::string ToneFile(const std::string& name, double silence, double tone, double tail = 0.0, uint16_t bits = 32)
  {
    constexpr uint32_t kRate = 48000;
    const auto start = uint32_t(std::lround(silence * kRate));
    const auto end = start + uint32_t(std::lround(tone * kRate));
    const auto frames = end + uint32_t(std::lround(tail * kRate));
    AudioFileBuffer buffer;
    audioFileInit(&buffer);
    EXPECT_EQ(audioFileAllocate(&buffer, frames, 1, bits, kRate, 0), 0);
    for (uint32_t n = start; n < end; ++n)
      buffer.samples[n] = float(0.5 * std::sin(2.0 * M_PI * 1000.0 * (n - start) / kRate));
    const std::string path = Path(name);
    EXPECT_EQ(audioFileWriteWav(&buffer, path.c_str()), 0);
    audioFileFree(&buffer);
    return path;
  }

  // au-host measure with the arguments, its input redirected as the shell text says (if at all).
  Measurement Measure(const std::string& arguments, const std::string& input = "")
  {
    const std::string errors = Path("stderr.txt");
    Measurement result;
    const auto shell = Shell(input + "HOME=" + Quoted(folder) + " " + Quoted(AU_HOST) + " measure " + arguments +
                             " 2>" + Quoted(errors));
    result.status = shell.status;
    result.out = shell.out;
    result.err = plugin_test::ReadFile(errors);
    return result;
  }

  std::string Path(const std::string& name) const { return folder + "/" + name; }

  std::string folder = plugin_test::TempFolder();
};

TEST_F(AuHostFile, ReportIsTheSameAtEveryBlockSizeAndHoldsTheLastSamples)
{
  struct Case
  {
    const char* name;
    double silence, tone;
  };
  const Case cases[] = {
    {"a 49 ms tone after half a second of silence", 0.5, 0.049},
    {"a 40 ms file", 0.0, 0.040},
    {"a tone of a second and a bit", 0.2, 1.1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const std::string wav = Quoted(ToneFile("tone.wav", c.silence, c.tone));
    const Measurement reference = Measure(wav + " --block 512");
    ASSERT_EQ(reference.status, 0) << reference.err;
    EXPECT_NE(reference.out.find("OUT:Peak/TP Max: -6.00\n"), std::string::npos) << reference.out;
    for (const char* block : {"1", "64", "100", "4096"})
      EXPECT_EQ(Measure(wav + " --block " + block).out, reference.out) << "--block " << block;
  }
}

// Whatever au-host renders after the file to have the outputs written, the plug-in does not
// measure it: a file reads otherwise than the same file followed by a tenth of a second of
// silence. And the settings are left as they were: the state saved measures the same again.
TEST_F(AuHostFile, NothingAfterTheFileIsMeasured)
{
  const std::string wav = Quoted(ToneFile("tone.wav", 0.0, 1.0));
  const std::string state = Quoted(Path("state.plist"));
  const Measurement file = Measure(wav + " --state-out " + state);
  const Measurement longer = Measure(Quoted(ToneFile("longer.wav", 0.0, 1.0, 0.1)));
  ASSERT_EQ(file.status, 0) << file.err;
  EXPECT_NE(file.out, longer.out);
  EXPECT_EQ(Measure(wav + " --state-in " + state).out, file.out);
}

// A preset name with repeated and trailing spaces comes back byte for byte through a state saved
// and given back, in the dictionary and in the state text inside it.
TEST_F(AuHostFile, PresetNameComesBackByteForByte)
{
  const char* const kName = "Mix  2 ";
  std::string stateText;
  {
    Vantorelix plug;
    plug.GetPreset(0)->SetName(kName);
    CFPropertyListRef state = nullptr;
    ASSERT_EQ(plug.GetState(&state), noErr);
    ASSERT_TRUE(platform::WritePropertyListAsXML(state, stateText));
    CFRelease(state);
  }
  plugin_test::WriteFile(Path("in.plist"), stateText);
  const std::string wav = Quoted(ToneFile("tone.wav", 0.0, 0.1));
  const Measurement run = Measure(wav + " --state-in " + Quoted(Path("in.plist")) + " --state-out " +
                                  Quoted(Path("out.plist")));
  ASSERT_EQ(run.status, 0) << run.err;

  CFTypeRef back = platform::CreatePropertyListFromXML(plugin_test::ReadFile(Path("out.plist")).c_str());
  ASSERT_NE(back, nullptr);
  const auto dictionary = static_cast<CFDictionaryRef>(back);
  char name[64] = "";
  CFStringGetCString(static_cast<CFStringRef>(CFDictionaryGetValue(dictionary, CFSTR("name"))), name, sizeof name,
                     kCFStringEncodingUTF8);
  EXPECT_STREQ(name, kName);
  CFRelease(back);
  EXPECT_NE(StateChunkText(Path("out.plist")).find("<Preset name=\"Mix  2 \">"), std::string::npos);
}

// The state's bytes as au-host saved them, with the wall-clock time of each history point cleared:
// that alone differs from one run to the next.
std::string StateWithoutWallClock(const std::string& plist)
{
  CFTypeRef state = platform::CreatePropertyListFromXML(plugin_test::ReadFile(plist).c_str());
  if (!state)
    return {};
  const auto data = static_cast<CFDataRef>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), CFSTR("data")));
  std::string bytes(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), size_t(CFDataGetLength(data)));
  CFRelease(state);
  // The history's chunk: its tag, size and version, then the count of points and the points.
  const size_t chunk = bytes.find("ZVE0");
  if (chunk == std::string::npos || chunk + 16 > bytes.size())
    return {};
  uint32_t count = 0;
  std::memcpy(&count, &bytes[chunk + 12], 4);
  constexpr size_t kWallFrom = offsetof(LoudnessHistoryPoint, wallHour),
                   kWallTo = offsetof(LoudnessHistoryPoint, marked);
  for (size_t i = 0; i < count && chunk + 16 + (i + 1) * sizeof(LoudnessHistoryPoint) <= bytes.size(); ++i)
    std::fill_n(&bytes[chunk + 16 + i * sizeof(LoudnessHistoryPoint) + kWallFrom], kWallTo - kWallFrom, '\0');
  return bytes;
}

// Hosts that render offline hand over blocks far longer than 100 ms; the alerts and the history,
// made every 100 ms, come out as they do in short blocks, and so does everything saved.
TEST_F(AuHostFile, AlertsAndHistoryAreTheSameAtEveryBlockSize)
{
  // A minute of a tone whose level changes every 2.5 s, loud enough for the alert at times.
  constexpr uint32_t kRate = 48000, kFrames = 60 * kRate;
  AudioFileBuffer buffer;
  audioFileInit(&buffer);
  ASSERT_EQ(audioFileAllocate(&buffer, kFrames, 1, 32, kRate, 0), 0);
  const double levels[] = {0.05, 0.5, 0.2, 0.02};
  for (uint32_t n = 0; n < kFrames; ++n)
    buffer.samples[n] = float(levels[n / (kRate * 5 / 2) % 4] * std::sin(2.0 * M_PI * 997.0 * n / kRate));
  const std::string minute = Path("minute.wav");
  ASSERT_EQ(audioFileWriteWav(&buffer, minute.c_str()), 0);
  audioFileFree(&buffer);

  struct Case
  {
    std::string file;
    size_t points;
  };
  for (const Case& c : {Case{SAMPLE_WAV, 100}, Case{minute, 600}})
  {
    SCOPED_TRACE(c.file);
    const std::string settings = Quoted(c.file) + " --json --set \"SL Max Mode=On\" --set \"SL Max Level=-22\"" +
                                 " --set \"SL Max Period=3\" --set \"ML Max Mode=Auto\" --set \"ML Max Level=-20\"" +
                                 " --set \"Peak Mode=True Peak\" --state-out ";
    std::string reference, referenceState;
    for (const char* block : {"512", "1", "8192", "65536"})
    {
      SCOPED_TRACE(std::string("--block ") + block);
      const std::string state = Path(std::string("state-") + block + ".plist");
      const Measurement run = Measure(settings + Quoted(state) + " --block " + block);
      ASSERT_EQ(run.status, 0) << run.err;
      const std::string saved = StateWithoutWallClock(state);
      ASSERT_FALSE(saved.empty());
      if (reference.empty())
      {
        reference = run.out;
        referenceState = saved;
        EXPECT_NE(run.out.find("\"OUT:SL Max Alert\": 1.00"), std::string::npos) << run.out;
        uint32_t count = 0;
        std::memcpy(&count, &saved[saved.find("ZVE0") + 12], 4);
        EXPECT_EQ(count, c.points);
        continue;
      }
      EXPECT_EQ(run.out, reference);
      EXPECT_TRUE(saved == referenceState);
    }
  }
}

// With "Sync" and the automatic export on, the file is one take: au-host starts the transport
// with it and stops it at its end, and the take is exported once, whole, when it stops.
TEST_F(AuHostFile, AutomaticExportWritesTheWholeTake)
{
  const std::string data = Path("data");
  const Measurement run = Measure(Quoted(SAMPLE_WAV) + " --set Sync=On --set AutoExportLogCSV=On",
                                  "XDG_DATA_HOME=" + Quoted(data) + " ");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_TRUE(std::filesystem::is_directory(data));
  std::vector<std::string> logs, tables;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(data))
  {
    const std::string name = entry.path().filename().string();
    if (name.rfind("Vantorelix-Log-", 0) == 0 && name.ends_with(".log"))
      logs.push_back(plugin_test::ReadFile(entry.path().string()));
    else if (name.rfind("Vantorelix-LMData-", 0) == 0 && name.ends_with(".csv"))
      tables.push_back(plugin_test::ReadFile(entry.path().string()));
  }
  ASSERT_EQ(logs.size(), 1u);
  ASSERT_EQ(tables.size(), 1u);
  // A point every 100 ms of the ten seconds, from the first frame on.
  const std::vector<std::string> rows = plugin_test::Lines(tables[0]);
  ASSERT_EQ(rows.size(), 101u);
  EXPECT_EQ(rows[1].substr(0, 11), "00:00:00.0,");
  EXPECT_EQ(rows[100].substr(0, 11), "00:00:09.9,");
  EXPECT_NE(logs[0].find("Length:                         00:00:09.9"), std::string::npos) << logs[0];
  const size_t il = run.out.find("OUT:IL: ");
  ASSERT_NE(il, std::string::npos);
  const std::string level = run.out.substr(il + 8, run.out.find('\n', il) - il - 9);  // one decimal of two
  EXPECT_NE(logs[0].find("Integrated Loudness (IL)         : " + level + " "), std::string::npos) << logs[0];
}

// Standard input, and WAV files whose sizes a writer streaming into a pipe left unknown (all
// ones or zero): read to their end, they measure as the same audio in a finished file. Standard
// input is measured as it arrives, with nothing copied to a temporary file.
TEST_F(AuHostFile, StandardInputAndUnknownSizes)
{
  const std::string wav = ToneFile("in.wav", 0.1, 0.7, 0.0, 16);
  const Measurement reference = Measure(Quoted(wav));
  ASSERT_EQ(reference.status, 0) << reference.err;
  const std::string temporary = Path("tmp");
  std::filesystem::create_directory(temporary);
  EXPECT_EQ(Measure("-", "cat " + Quoted(wav) + " | TMPDIR=" + Quoted(temporary) + " ").out, reference.out);
  EXPECT_TRUE(std::filesystem::is_empty(temporary));

  std::string bytes = plugin_test::ReadFile(wav);
  const size_t data = bytes.find("data");
  ASSERT_NE(data, std::string::npos);
  for (const uint32_t unknown : {0xFFFFFFFFu, 0u})
  {
    SCOPED_TRACE(unknown);
    std::memcpy(&bytes[4], &unknown, 4);
    std::memcpy(&bytes[data + 4], &unknown, 4);
    const std::string streamed = Path("streamed.wav");
    plugin_test::WriteFile(streamed, bytes);
    EXPECT_EQ(Measure(Quoted(streamed)).out, reference.out);
    EXPECT_EQ(Measure("-", "cat " + Quoted(streamed) + " | ").out, reference.out);
  }
  const Measurement empty = Measure("-", "true | ");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.err,
            "au-host: cannot read standard input: it is not a WAV or AIFF file (give --raw for headerless "
            "PCM)\n");

  // What does not begin as audio is refused from its first bytes: the writer of the 2 GB finds
  // the pipe closed long before its end (it would finish with status 0 had au-host read it all).
  const std::string writer = Path("writer-status.txt");
  const Measurement zeros = Measure(
    "-", "(head -c 2000000000 /dev/zero; echo $? >" + Quoted(writer) + ") | TMPDIR=" + Quoted(temporary) + " ");
  EXPECT_NE(plugin_test::ReadFile(writer), "0\n");
  EXPECT_EQ(zeros.status, 1);
  EXPECT_EQ(zeros.err, empty.err);
  EXPECT_TRUE(std::filesystem::is_empty(temporary));
}

// Any format the decoder reads can be measured through a pipe, as its decoded file would be; so
// is headerless PCM. The processed audio of a stream of unknown length is the same as that of
// the file (a stereo file long enough that the held audio grows more than once).
TEST_F(AuHostFile, DecoderOutputThroughAPipe)
{
  const std::string flac = Path("x.flac");
  const std::string decoded = Path("decoded.wav");
  const std::string ffmpeg = "ffmpeg -hide_banner -loglevel error -y -i ";
  ASSERT_EQ(Shell(ffmpeg + Quoted(ToneFile("in.wav", 0.3, 1.2, 0.0, 16)) + " " + Quoted(flac)).status, 0);
  ASSERT_EQ(Shell(ffmpeg + Quoted(flac) + " " + Quoted(decoded)).status, 0);
  const Measurement reference = Measure(Quoted(decoded));
  ASSERT_EQ(reference.status, 0) << reference.err;
  const Measurement piped = Measure("-", ffmpeg + Quoted(flac) + " -f wav - | ");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.err, "");
  EXPECT_EQ(piped.out, reference.out);
  // An AIFF written into a pipe leaves its sizes and frame count at zero, on the pipe and in a
  // file saved from one.
  const std::string streamedAiff = Path("streamed.aiff");
  ASSERT_EQ(Shell(ffmpeg + Quoted(flac) + " -f aiff - > " + Quoted(streamedAiff)).status, 0);
  for (const Measurement& aiff : {Measure(Quoted(streamedAiff)), Measure("-", "cat " + Quoted(streamedAiff) + " | ")})
  {
    EXPECT_EQ(aiff.status, 0) << aiff.err;
    EXPECT_EQ(aiff.out, reference.out);
  }

  const std::string stereo = Path("stereo.wav");
  ASSERT_EQ(
    Shell("ffmpeg -hide_banner -loglevel error -f lavfi -i 'aevalsrc=0.5*sin(6283*t)|0.25*sin(1885*t):d=3:s=48000' "
          "-c:a pcm_s24le " +
          Quoted(stereo))
      .status,
    0);
  const Measurement byName = Measure(Quoted(stereo) + " --out " + Quoted(Path("by-name.wav")));
  ASSERT_EQ(byName.status, 0) << byName.err;
  const Measurement streamed = Measure(
    "- --out " + Quoted(Path("streamed.wav")),
    "ffmpeg -hide_banner -loglevel error -i " + Quoted(stereo) + " -c:a copy -f wav - | ");
  EXPECT_EQ(streamed.status, 0) << streamed.err;
  EXPECT_EQ(streamed.out, byName.out);
  EXPECT_TRUE(plugin_test::ReadFile(Path("streamed.wav")) == plugin_test::ReadFile(Path("by-name.wav")));

  const std::string raw = Path("stereo.raw");
  ASSERT_EQ(Shell(ffmpeg + Quoted(stereo) + " -f s24le " + Quoted(raw)).status, 0);
  const Measurement rawByName = Measure(Quoted(raw) + " --raw 2:24:48000");
  ASSERT_EQ(rawByName.status, 0) << rawByName.err;
  EXPECT_EQ(rawByName.out, byName.out);
  EXPECT_EQ(Measure("- --raw 2:24:48000", "cat " + Quoted(raw) + " | ").out, byName.out);
}

// A sample that is not a finite number is measured as silence, with a warning that counts such
// samples: a 4 s tone with one infinity reads as the tone with a 0 there. Random bytes taken as
// floats hold infinities and not-a-numbers galore, and still give a report of numbers.
TEST_F(AuHostFile, SamplesThatAreNotFiniteAreSilenceAndCounted)
{
  std::string bytes = plugin_test::ReadFile(ToneFile("tone.wav", 0.0, 4.0));
  const size_t frame200 = bytes.find("data") + 8 + 200 * 4;
  std::memset(&bytes[frame200], 0, 4);
  plugin_test::WriteFile(Path("zero.wav"), bytes);
  const float infinity = INFINITY;
  std::memcpy(&bytes[frame200], &infinity, 4);
  plugin_test::WriteFile(Path("inf.wav"), bytes);

  const Measurement reference = Measure(Quoted(Path("zero.wav")));
  ASSERT_EQ(reference.status, 0) << reference.err;
  const Measurement measured = Measure(Quoted(Path("inf.wav")));
  EXPECT_EQ(measured.status, 0);
  EXPECT_EQ(measured.out, reference.out);
  EXPECT_EQ(measured.err,
            "au-host: warning: " + Path("inf.wav") + ": 1 sample is not a finite number; measured as silence\n");

  std::string noise(96002 * 4, '\0');  // 48001 frames: the last block ends on a part of four
  uint32_t seed = 1;
  for (char& byte : noise)
    byte = char((seed = seed * 1664525u + 1013904223u) >> 24);
  std::memcpy(&noise[noise.size() - 8], &infinity, 4);  // the last frame, alone in its block's last four
  std::memcpy(&noise[noise.size() - 4], &infinity, 4);
  plugin_test::WriteFile(Path("noise.raw"), noise);
  size_t notFinite = 0;
  for (size_t at = 0; at < noise.size(); at += 4)
  {
    float sample;
    std::memcpy(&sample, &noise[at], 4);
    notFinite += !std::isfinite(sample);
  }
  const Measurement random = Measure(Quoted(Path("noise.raw")) + " --raw 2:32:48000:float --json");
  EXPECT_EQ(random.status, 0) << random.err;
  EXPECT_NE(random.err.find(": " + std::to_string(notFinite) + " samples are not finite numbers"), std::string::npos)
    << notFinite << " expected: " << random.err;
  EXPECT_EQ(random.out.find("null"), std::string::npos) << random.out;
}

// A file cut short: the frames it holds are measured, with a warning; the partial frame at the
// cut is left out.
TEST_F(AuHostFile, DataPastTheEndIsMeasuredUpToTheEnd)
{
  const std::string whole = plugin_test::ReadFile(ToneFile("whole.wav", 0.0, 0.5, 0.0, 16));
  const size_t data = whole.find("data") + 8;
  constexpr size_t kHeld = 12000;  // frames of two bytes
  const std::string cut = Path("cut.wav");
  plugin_test::WriteFile(cut, whole.substr(0, data + 2 * kHeld + 1));
  std::string held = whole.substr(0, data + 2 * kHeld);
  const uint32_t dataSize = 2 * kHeld, riffSize = uint32_t(held.size() - 8);
  std::memcpy(&held[4], &riffSize, 4);
  std::memcpy(&held[data - 4], &dataSize, 4);
  plugin_test::WriteFile(Path("held.wav"), held);

  const Measurement reference = Measure(Quoted(Path("held.wav")));
  ASSERT_EQ(reference.status, 0) << reference.err;
  const Measurement measured = Measure(Quoted(cut));
  EXPECT_EQ(measured.status, 0);
  EXPECT_EQ(measured.out, reference.out);
  EXPECT_EQ(measured.err, "au-host: warning: " + cut +
                            ": its audio data runs past the end of the file; measuring the 12000 frames it holds\n");
  const Measurement piped = Measure("-", "cat " + Quoted(cut) + " | ");
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, reference.out);
  EXPECT_EQ(piped.err,
            "au-host: warning: standard input: its audio data runs past the end of the file; measuring "
            "the 12000 frames it holds\n");
}

// The measured values are read back whatever the user's "WriteAutomationData", and the state
// saved keeps the setting the user made.
TEST_F(AuHostFile, OutputsAreReadWithoutChangingWriteAutomationData)
{
  const std::string wav = Quoted(ToneFile("tone.wav", 0.0, 1.0));
  const struct
  {
    const char* set;
    const char* saved;
  } cases[] = {
    {"", "0.000000"}, {"--set WriteAutomationData=Off", "0.000000"}, {"--set WriteAutomationData=On", "1.000000"}};
  std::string report;
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.set);
    const Measurement run = Measure(wav + " " + c.set + " --state-out " + Quoted(Path("state.plist")));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_GT(ReportValues(run.out)["OUT:IL"], -20.0);  // a tone at -6 dBFS, measured
    if (!report.empty())
    {
      EXPECT_EQ(run.out, report);
    }
    report = run.out;
    EXPECT_NE(StateChunkText(Path("state.plist"))
                .find(std::string("<Param name=\"WriteAutomationData\" val=\"") + c.saved + "\" />"),
              std::string::npos);
  }
}

// A file with more channels than "Channel Config" measures is measured on the first ones, and
// one line on stderr says so and names the setting that takes them all.
TEST_F(AuHostFile, ChannelsBeyondTheConfigurationAreNamed)
{
  const std::string six = Quoted(product_test::WriteTone(Path("six.wav"), 0.2, 6));
  const struct
  {
    std::string arguments, err;
  } cases[] = {
    {six, "au-host: warning: " + Path("six.wav") +
            " has 6 channels but \"Channel Config\" (Stereo) measures 2; --set \"Channel Config=5.1/6.0 Ch\" "
            "measures them all\n"},
    {six + " --set \"Channel Config=Left\"",
     "au-host: warning: " + Path("six.wav") +
       " has 6 channels but \"Channel Config\" (Left) measures 1; --set \"Channel Config=5.1/6.0 Ch\" measures "
       "them all\n"},
    {six + " --set \"Channel Config=5.1/6.0 Ch\"", ""},
    {six + " --set \"Channel Config=9.1/10.0 Ch\"", ""},
    {Quoted(product_test::WriteTone(Path("two.wav"), 0.2, 2)), ""},
  };
  for (const auto& c : cases)
  {
    const Measurement run = Measure(c.arguments);
    EXPECT_EQ(run.status, 0) << c.arguments;
    EXPECT_EQ(run.err, c.err) << c.arguments;
  }
}

// The exports of the editor's CSV and LOG buttons, made from the command line: the CSV holds a
// row for each of the history's points, ten a second, and the log's statistics are the report's.
TEST_F(AuHostFile, ExportsWriteTheHistoryAndALogThatAgreesWithTheReport)
{
  const std::string csv = Path("sample.csv"), log = Path("sample.log");
  const Measurement run = Measure(Quoted(SAMPLE_WAV) + " --json --csv " + Quoted(csv) + " --log " + Quoted(log));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  std::istringstream rows(plugin_test::ReadFile(csv));
  std::string header, row, last;
  std::getline(rows, header);
  EXPECT_EQ(header.rfind("Time,IL (dBFS),SL (dBFS),", 0), 0u) << header;
  int points = 0;
  for (; std::getline(rows, row); ++points)
    last = row;
  EXPECT_EQ(points, 100);
  EXPECT_EQ(last.rfind("00:00:09.9,", 0), 0u) << last;

  std::map<std::string, double> report = ReportValues(run.out);
  const std::string logText = plugin_test::ReadFile(log);
  const size_t from = logText.find("--- Statistics"), to = logText.find("--- Alerts");
  ASSERT_LT(from, to) << logText;
  std::map<std::string, double> statistics = ReportValues(logText.substr(from, to - from));
  const std::pair<const char*, const char*> pairs[] = {
    {"Integrated Loudness (IL)", "OUT:IL"},
    {"Max Short Term Loudness (Max SL)", "OUT:SL Max"},
    {"Max Momentary Loudness (Max ML)", "OUT:ML Max"},
    {"Loudness Range (LRA)", "OUT:LRA"},
    {"PLR", "OUT:PLR"},
    {"Peak Max", "OUT:Peak/TP Max"},
  };
  for (const auto& [line, output] : pairs)
  {
    ASSERT_TRUE(statistics.count(line)) << line;
    EXPECT_DOUBLE_EQ(statistics[line], report[output]) << line;
  }
}

}  // namespace
