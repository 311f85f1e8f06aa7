// The standard loudness, range and true-peak signals measured end to end through au-host and the
// product bundle, and the product against an independent meter on long mixed material. The
// signals themselves are first proven on that independent meter, so a failure through au-host
// points at the product and not at the fixture.

#include "tests/support/PeerLoudness.h"
#include "tests/support/TestSignals.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using namespace testsignals;
namespace fs = std::filesystem;

// The measurement settings of the broadcast loudness recommendation.
const std::vector<std::string> kEbuSettings = {
  "WFilter Mode=Leq(K)",      "Gating mode=G10",     "ML Integration Time=400",
  "SL Integration Time=3000", "Peak Mode=True Peak", "Loudness Range Mode=LRA",
};
const std::vector<std::string> kFilmFiveSettings = {"Channel Config=4.1/5.0 Ch", "Channel Routing=5.0 Cine"};

std::string Quoted(const std::string& text)
{
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A folder of its own for each test, removed with it; HOME points there so that the plug-in's
// data locations stay inside.
class Scratch
{
public:
  Scratch()
  {
    std::string pattern = (fs::path(testing::TempDir()) / "conformance-XXXXXX").string();
    if (mkdtemp(pattern.data()))
      mPath = pattern;
  }
  ~Scratch()
  {
    std::error_code ignored;
    if (!mPath.empty())
      fs::remove_all(mPath, ignored);
  }
  std::string File(const std::string& name) const { return (mPath / name).string(); }
  bool Ok() const { return !mPath.empty(); }

private:
  fs::path mPath;
};

struct Outcome
{
  int status = -1;
  std::string out;  // stdout
  std::string err;  // stderr
};

Outcome MeasureThroughAuHost(const Scratch& scratch, const std::string& wav, const std::vector<std::string>& settings)
{
  const std::string errors = scratch.File("stderr.txt");
  std::string command = "HOME=" + Quoted(scratch.File("")) + " " + Quoted(AU_HOST) + " --plugin " +
                        Quoted(PRODUCT_BUNDLE) + " measure " + Quoted(wav) + " --json";
  for (const std::string& setting : settings)
    command += " --set " + Quoted(setting);
  command += " 2>" + Quoted(errors);
  Outcome run;
  if (FILE* pipe = popen(command.c_str(), "r"))
  {
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
      run.out.append(buffer, n);
    run.status = WEXITSTATUS(pclose(pipe));
  }
  if (FILE* file = std::fopen(errors.c_str(), "r"))
  {
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, file))
      run.err.append(buffer, n);
    std::fclose(file);
  }
  return run;
}

// The number after "name": in au-host's JSON object; kUnset when absent or not a number.
double JsonNumber(const std::string& json, const std::string& name)
{
  size_t at = json.find("\"" + name + "\"");
  if (at == std::string::npos)
    return kUnset;
  at = json.find(':', at + name.size() + 2);
  if (at == std::string::npos)
    return kUnset;
  at = json.find_first_not_of(" \t\r\n", at + 1);
  if (at == std::string::npos)
    return kUnset;
  double value = kUnset;
  const auto [end, error] = std::from_chars(json.data() + at, json.data() + json.size(), value);
  return error == std::errc() ? value : kUnset;
}

Reading ProductReading(const std::string& json)
{
  return Reading{JsonNumber(json, "OUT:ML"), JsonNumber(json, "OUT:SL"), JsonNumber(json, "OUT:IL"),
                 JsonNumber(json, "OUT:LRA"), JsonNumber(json, "OUT:Peak/TP Max")};
}

struct CaseAtRate
{
  const ConformanceCase* testCase;
  uint32_t rate;
};

void PrintTo(const CaseAtRate& run, std::ostream* out)
{
  *out << run.testCase->name << " at " << run.rate << " Hz";
}

std::vector<CaseAtRate> CasesAtRates()
{
  std::vector<CaseAtRate> runs;
  for (uint32_t rate : ConformanceRates())
    for (const ConformanceCase& testCase : ConformanceCases())
      if (rate == 48000 || rate <= testCase.highestRate)
        runs.push_back({&testCase, rate});
  return runs;
}

std::string RunName(const testing::TestParamInfo<CaseAtRate>& info)
{
  std::string name = info.param.testCase->name + "_" + std::to_string(info.param.rate);
  for (char& c : name)
    if (c == '-')
      c = '_';
  return name;
}

class Conformance : public testing::TestWithParam<CaseAtRate>
{
protected:
  // Renders the case and writes it as a float WAV file; returns its path.
  std::string WriteCase()
  {
    const CaseAtRate& run = GetParam();
    Audio audio;
    if (!scratch.Ok() || !RenderCase(*run.testCase, run.rate, audio))
      return {};
    const std::string path = scratch.File(run.testCase->name + ".wav");
    return audio.Write(path) == 0 ? path : std::string();
  }
  bool FilmFive() const { return GetParam().testCase->kind == ConformanceCase::Kind::Surround; }

  Scratch scratch;
};

TEST_P(Conformance, SignalReadsAsExpectedOnLibebur128)
{
  const std::string path = WriteCase();
  ASSERT_FALSE(path.empty());
  Audio written;
  ASSERT_EQ(written.Read(path), 0);
  PeerReading peer;
  const std::span<const Speaker> speakers = FilmFive() ? std::span<const Speaker>(kFilmFive)
                                                       : std::span<const Speaker>();
  ASSERT_TRUE(
    MeasureWithEbur128(written, speakers, GetParam().testCase->kind == ConformanceCase::Kind::TruePeak, peer));
  EXPECT_EQ(Mismatches(GetParam().testCase->expected, peer.last), "");
}

TEST_P(Conformance, ProductMeasuresWithinTolerance)
{
  const std::string path = WriteCase();
  ASSERT_FALSE(path.empty());
  std::vector<std::string> settings = kEbuSettings;
  if (FilmFive())
    settings.insert(settings.end(), kFilmFiveSettings.begin(), kFilmFiveSettings.end());
  const Outcome run = MeasureThroughAuHost(scratch, path, settings);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Mismatches(GetParam().testCase->expected, ProductReading(run.out)), "") << run.out;
}

INSTANTIATE_TEST_SUITE_P(Cases, Conformance, testing::ValuesIn(CasesAtRates()), RunName);

// Two minutes of the bundled speech sample, noise, tone chords and silence at changing levels.
class MixedMaterial : public testing::Test
{
protected:
  void SetUp() override
  {
    const char* source = std::getenv("VANTORELIX_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(speech.Read((fs::path(source) / "samples/speech-over-tones.wav").string()), 0);
    ASSERT_TRUE(scratch.Ok());
    ASSERT_TRUE(RenderMixedProgramme(speech, 120.0, 24, programme));
    path = scratch.File("mixed.wav");
    ASSERT_EQ(programme.Write(path), 0);
    ASSERT_TRUE(MeasureWithEbur128(programme, {}, false, peer));
  }

  Scratch scratch;
  Audio speech, programme;
  std::string path;
  PeerReading peer;
};

TEST_F(MixedMaterial, SpansLoudAndQuietWithoutClipping)
{
  float peak = 0.0f;
  for (uint16_t c = 0; c < programme.Channels(); ++c)
    for (uint32_t n = 0; n < programme.Frames(); ++n)
      peak = std::max(peak, std::fabs(programme.Channel(c)[n]));
  EXPECT_LT(peak, 1.0f);
  EXPECT_GT(peer.last.range, 6.0);
  EXPECT_GT(peer.last.integrated, -40.0);
  EXPECT_LT(peer.last.integrated, -10.0);
}

TEST_F(MixedMaterial, ProductAgreesWithLibebur128)
{
  const Outcome run = MeasureThroughAuHost(scratch, path, kEbuSettings);
  ASSERT_EQ(run.status, 0) << run.err;
  const Reading expected{kUnset, kUnset, peer.last.integrated, peer.last.range};
  EXPECT_EQ(Mismatches(expected, ProductReading(run.out)), "") << run.out;
}

}  // namespace
