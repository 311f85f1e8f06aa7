#include "ReportsFixture.h"
#include "tests/product/ProductFixture.h"

#include "reports/AudioFile.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <sys/wait.h>

using namespace reports_test;

namespace {

// A plug-in prepared for stereo at 48 kHz that has measured two seconds of a tone.
class IdleTickTest : public ReportsTest
{
protected:
  void SetUp() override
  {
    product_test::Prepare(plug, 48000.0, 480, 2);
    product_test::Block block(2, 480);
    for (int n = 0; n < 200; ++n)
    {
      for (int i = 0; i < 480; ++i)
        block.in[0][i] = block.in[1][i] = 0.1 * std::sin(2.0 * M_PI * 997.0 * (n * 480 + i) / 48000.0);
      product_test::Process(plug, block);
    }
  }
  double Out(int paramIdx) { return plug.GetParam(paramIdx)->Value(); }
};

TEST_F(IdleTickTest, OutputParametersWaitForWriteAutomationData)
{
  DisplayRequests& requests = plug.Requests();
  requests.outputParamWrite = 1;
  plug.IdleTick();
  EXPECT_EQ(requests.outputParamWrite, 1);
  EXPECT_EQ(Out(kOutSL), -144.0);

  plug.Settings().writeAutomationData = 1;
  plug.IdleTick();
  EXPECT_EQ(requests.outputParamWrite, 0);
  // A stereo tone of amplitude 0.1 reads -20 LUFS once a window is full.
  EXPECT_NEAR(Out(kOutML), -20.0, 0.2);
  EXPECT_NEAR(Out(kOutMLMax), -20.0, 0.2);
  EXPECT_NEAR(Out(kOutPeakMax), -20.0, 0.2);
  EXPECT_GT(Out(kOutIL), -22.0);
}

// "Vantorelix-<kind>-YYYYmmdd-HHMMSS<extension>"
bool IsStampedName(const std::string& name, const std::string& kind, const std::string& extension)
{
  const std::string prefix = "Vantorelix-" + kind + "-";
  const size_t stamp = prefix.size();
  if (name.size() != stamp + 15 + extension.size() || name.compare(0, stamp, prefix) != 0 ||
      name.compare(stamp + 15, std::string::npos, extension) != 0 || name[stamp + 8] != '-')
    return false;
  for (size_t i = stamp; i < stamp + 15; ++i)
    if (i != stamp + 8 && !std::isdigit(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

TEST_F(IdleTickTest, AutomaticExportWritesBothFilesInTheDataFolder)
{
  plug.Requests().autoExport = 1;
  plug.IdleTick();
  EXPECT_EQ(plug.Requests().autoExport, 0);
  int logs = 0, tables = 0;
  for (const auto& entry : std::filesystem::directory_iterator(plug.DataFolder()))
  {
    const std::string name = entry.path().filename().string();
    const std::string text = ReadFile(entry.path().string());
    if (IsStampedName(name, "Log", ".log"))
      logs += text.find("--- Alerts") != std::string::npos;
    else if (IsStampedName(name, "LMData", ".csv"))
      tables += text.rfind("Time,", 0) == 0;
    else
      continue;
    std::filesystem::remove(entry.path());
  }
  EXPECT_EQ(logs, 1);
  EXPECT_EQ(tables, 1);
}

TEST_F(IdleTickTest, EditorRequestsStayRaisedWithoutAnEditor)
{
  DisplayRequests& requests = plug.Requests();
  requests.readoutRefresh = requests.meterRefresh = requests.graphReset = 1;
  plug.Requests().editorResize = 1;
  for (int i = 0; i < 3; ++i)
    plug.IdleTick();
  EXPECT_EQ(requests.readoutRefresh, 1);
  EXPECT_EQ(requests.meterRefresh, 1);
  EXPECT_EQ(requests.graphReset, 1);
  EXPECT_EQ(plug.Requests().editorResize, 1);
}

TEST(IdleTickLatency, ReportsAChangedLatencyToProToolsOnlyOnceTheAudioSideSawIt)
{
  for (const auto& [host, reported] : {std::pair{"Reaper", true}, std::pair{"ProTools", false}})
  {
    SCOPED_TRACE(host);
    Vantorelix plug;
    plug.SetParameterValue(kEnableLimiter, 1.0, true);  // the look-ahead delays the audio
    ASSERT_GT(plug.ChainLatency(), 0);
    plug.IdentifyHost(host, 0);
    plug.IdleTick();
    EXPECT_EQ(plug.GetLatency(), reported ? plug.ChainLatency() : 0);
    // Pro Tools learns it once a block has seen it differ.
    plug.ProcessBlock(nullptr, nullptr, 0);
    plug.IdleTick();
    EXPECT_EQ(plug.GetLatency(), plug.ChainLatency());
  }
}

// au-host turns "WriteAutomationData" on, renders the file and prints every "OUT:" parameter.
TEST(AuHostOutputs, MeasurePrintsEveryOutputParameter)
{
  const std::string folder = TempFolder();
  const std::string wav = folder + "/tone.wav";
  constexpr uint32_t kRate = 48000, kFrames = 3 * kRate;
  AudioFileBuffer tone;
  audioFileInit(&tone);
  ASSERT_EQ(audioFileAllocate(&tone, kFrames, 2, 32, kRate, 3), 0);
  // Amplitude 10^(-23/20) in both channels: -23 LUFS.
  const double amplitude = std::pow(10.0, -23.0 / 20.0);
  for (uint32_t n = 0; n < kFrames; ++n)
    tone.samples[n] = tone.samples[kFrames + n] = float(amplitude * std::sin(2.0 * M_PI * 997.0 * n / kRate));
  ASSERT_EQ(audioFileWriteWav(&tone, wav.c_str()), 0);
  audioFileFree(&tone);

  const std::string command = "HOME='" + folder + "' '" AU_HOST "' measure '" + wav + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_TRUE(pipe);
  std::string out;
  char buffer[4096];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
    out.append(buffer, n);
  ASSERT_EQ(WEXITSTATUS(pclose(pipe)), 0) << out;

  // One "NAME: VALUE" line per output parameter.
  std::map<std::string, double> values;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);)
  {
    const size_t colon = line.rfind(": ");
    if (line.rfind("OUT:", 0) == 0 && colon != std::string::npos)
      values[line.substr(0, colon)] = std::strtod(line.c_str() + colon + 2, nullptr);
  }
  // clang-format off
  const char* names[] = {"OUT:IL", "OUT:SL", "OUT:ML", "OUT:LRA", "OUT:PLR", "OUT:PSR", "OUT:Peak/TP",
                         "OUT:Dialog Percentage", "OUT:Dialog Presence", "OUT:SL Max", "OUT:ML Max",
                         "OUT:LRA Low", "OUT:LRA High", "OUT:Peak/TP Max", "OUT:IL Max Alert",
                         "OUT:SL Max Alert", "OUT:ML Max Alert", "OUT:Peak/TP Max Alert"};
  // clang-format on
  EXPECT_EQ(values.size(), std::size(names)) << out;
  for (const char* name : names)
    EXPECT_TRUE(values.count(name)) << name << "\n" << out;
  for (const char* name : {"OUT:SL", "OUT:ML", "OUT:SL Max", "OUT:ML Max"})
    EXPECT_NEAR(values[name], -23.0, 0.2) << name << "\n" << out;
  // The integrated loudness also holds the blocks measured before the first window was full.
  EXPECT_NEAR(values["OUT:IL"], -23.0, 0.6) << out;
  EXPECT_NEAR(values["OUT:Peak/TP Max"], -23.0, 0.2) << out;
}

}  // namespace
