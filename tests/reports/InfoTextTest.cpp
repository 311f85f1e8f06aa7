#include "AlertFixture.h"
#include "tests/meter-plugin/PluginFixture.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace reports_test;
using plugin_test::Lines;

namespace {

// Whether the text has the shape: 'a' stands for a letter, '0' for a digit, '_' for a digit or a
// blank; any other character for itself.
bool HasShape(const std::string& text, const std::string& shape)
{
  if (text.size() != shape.size())
    return false;
  for (size_t i = 0; i < text.size(); ++i)
  {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool ok = shape[i] == 'a'   ? std::isalpha(c) != 0
                    : shape[i] == '0' ? std::isdigit(c) != 0
                    : shape[i] == '_' ? std::isdigit(c) != 0 || c == ' '
                                      : text[i] == shape[i];
    if (!ok)
      return false;
  }
  return true;
}

// The text of one "About" alert, its build lines checked and left out (they change with every
// build).
std::vector<std::string> AboutLines(PlugWithEditor& plug)
{
  plug.alerts.clear();
  IMPlugPaths().BuildInfoText(plug);
  EXPECT_EQ(plug.alerts.size(), 1u);
  if (plug.alerts.empty())
    return {};
  const Alert& alert = plug.alerts.back();
  EXPECT_EQ(alert.caption, "About");
  EXPECT_EQ(alert.type, 0);
  EXPECT_EQ(alert.text.back(), '\n');
  std::vector<std::string> lines = Lines(alert.text);
  if (lines.size() < 5)
    return lines;
  EXPECT_TRUE(HasShape(lines[3], "Build date: aaa _0 0000")) << lines[3];
  EXPECT_TRUE(HasShape(lines[4], "Build time: 00:00:00")) << lines[4];
  lines.erase(lines.begin() + 3, lines.begin() + 5);
  return lines;
}

TEST(InfoText, DescribesTheRunningInstance)
{
  PlugWithEditor plug;
  plug.OpenEditor();
  plug.SetHost("Logic Pro", 21, 0);
  plug.SetSampleRate(48000.0);
  plug.StoreLatency(128);
  plug.ResizeScratchBuffers(512);
  plug.MarkChannelsConnected(iplug::kInput, 0, 2, true);
  plug.MarkChannelsConnected(iplug::kOutput, 0, 2, true);

  const std::vector<std::string> expected = {
    "Manufacturer: Zorvalinde",
    "Plugin name: Vantorelix",
    "Version: 3.1.3",
    "",
    "Format: AU x64 (INTEL, NANOVG, METAL)",
    "Host: Logic Pro",
    "Channels: 2-2 (10-10)",
    "Plugin delay: 128 smp (2.7 ms)",
    "Sample Rate: 48000.00 Hz",
    "Block Size: 512 smp",
    "",
    "Trademarks:",
    "VST/VST3: Steinberg Media Technologies GmbH",
    "AAX: Avid Technology Inc.",
    "AU: Apple Inc.",
  };
  EXPECT_EQ(AboutLines(plug), expected);
}

TEST(InfoText, HostNamesDelayAndRate)
{
  const struct
  {
    iplug::HostId host;
    double sampleRate;
    int latency;
    const char* hostLine;
    const char* delayLine;
    const char* rateLine;
  } cases[] = {
    {1, 44100.0, 0, "Host: Reaper", "Plugin delay: 0 smp (0.0 ms)", "Sample Rate: 44100.00 Hz"},
    {67, 96000.0, 4800, "Host: DDMF MetaPlugin", "Plugin delay: 4800 smp (50.0 ms)", "Sample Rate: 96000.00 Hz"},
    {0, 44100.0, 64, "Host: Unknown", "Plugin delay: 64 smp (1.5 ms)", "Sample Rate: 44100.00 Hz"},
    {-1, 44100.0, 64, "Host: Unknown", "Plugin delay: 64 smp (1.5 ms)", "Sample Rate: 44100.00 Hz"},
    {68, 44100.0, 64, "Host: Unknown", "Plugin delay: 64 smp (1.5 ms)", "Sample Rate: 44100.00 Hz"},
    // No sample rate from the host yet: the delay in time is unknown, not a division by zero.
    {21, 0.0, 128, "Host: Logic Pro", "Plugin delay: 128 smp (0.0 ms)", "Sample Rate: 0.00 Hz"},
  };
  PlugWithEditor plug;
  plug.OpenEditor();
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.host);
    plug.SetHost("", c.host, 0);
    plug.SetSampleRate(c.sampleRate);
    plug.StoreLatency(c.latency);
    const std::vector<std::string> lines = AboutLines(plug);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[5], c.hostLine);
    EXPECT_EQ(lines[7], c.delayLine);
    EXPECT_EQ(lines[8], c.rateLine);
  }
}

TEST(InfoText, NothingShownWithoutAnEditor)
{
  PlugWithEditor plug;
  IMPlugPaths().BuildInfoText(plug);
  EXPECT_TRUE(plug.alerts.empty());
}

}  // namespace
