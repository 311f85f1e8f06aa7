// au-host editor: the product's editor opened through the host's road while the sample renders,
// clicked as a person clicks it, and its last frame written as a picture.

#include "Picture.h"
#include "ShellRun.h"
#include "ToneFile.h"

#include "reports/AudioFile.h"

#include "tests/meter-plugin/PluginFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using product_test::Colour;
using product_test::Picture;
using product_test::Quoted;
using product_test::Read;
using product_test::Shell;
using product_test::ShellRun;

::testing::AssertionResult Bright(const Colour& c)
{
  if (c[0] > 120 && c[1] > 120 && c[2] > 120)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "not bright: " << int(c[0]) << "," << int(c[1]) << "," << int(c[2]);
}

::testing::AssertionResult Dark(const Colour& c)
{
  if (c[0] < 60 && c[1] < 60 && c[2] < 60)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "not dark: " << int(c[0]) << "," << int(c[1]) << "," << int(c[2]);
}

class AuHostEditor : public ::testing::Test
{
protected:
  // au-host with the arguments and the update check pointed at a closed port; stderr is kept
  // apart from the report.
  ShellRun Run(const std::string& arguments)
  {
    const std::string errors = Path("stderr.txt");
    ShellRun run = Shell("HOME=" + Quoted(home) + " VANTORELIX_UPDATE_SERVER=http://127.0.0.1:9 " + Quoted(AU_HOST) +
                         " " + arguments + " 2>" + Quoted(errors));
    err = plugin_test::ReadFile(errors);
    std::filesystem::remove(errors);
    return run;
  }

  std::string Path(const std::string& name) const { return folder + "/" + name; }

  std::string folder = plugin_test::TempFolder();
  std::string home = folder + ".home";  // apart from the pictures
  std::string err;
};

// The layout points probed: inside the meters' panel, where the graph and a setup page also show.
constexpr int kPanelX = 700, kPanelY = 240;
// The graph button, and the setup button that opens the first setup page.
const char* const kGraphButton = "425,18";
const char* const kSetupButton = "458,18";

TEST_F(AuHostEditor, PicturesFollowTheClicksAndTheReportIsMeasuresOwn)
{
  const std::string sample = Quoted(SAMPLE_WAV);
  const ShellRun measured = Run("measure " + sample);
  ASSERT_EQ(measured.status, 0) << err;

  struct Case
  {
    const char* name;
    std::string clicks;
  };
  const Case cases[] = {{"meters", ""},
                        {"graph", std::string(" --click ") + kGraphButton},
                        {"setup", std::string(" --click ") + kSetupButton},
                        // The "Unit" popup of the first setup page opens its menu.
                        {"menu", std::string(" --click ") + kSetupButton + " --click 540,219"}};
  std::vector<Picture> pictures;
  for (const Case& c : cases)
  {
    const std::string png = Path(std::string(c.name) + ".png");
    const ShellRun run = Run("editor " + sample + " --png " + Quoted(png) + c.clicks);
    ASSERT_EQ(run.status, 0) << c.name << ": " << err;
    EXPECT_EQ(run.out, measured.out) << c.name;
    EXPECT_EQ(err, "") << c.name;
    pictures.push_back(Read(png));
    ASSERT_EQ(pictures.back().width, 832) << c.name;
    ASSERT_EQ(pictures.back().height, 446) << c.name;
  }
  const Picture& meters = pictures[0];
  const Picture& graph = pictures[1];
  const Picture& setup = pictures[2];
  const Picture& menu = pictures[3];
  // The meters followed the audio: the short-term bar stands above the empty scale's floor.
  EXPECT_NE(meters.At(390, 300), meters.At(390, 150));
  // The graph button swaps the meters for the graph; the setup button lays its light page over both.
  EXPECT_NE(graph.At(kPanelX, kPanelY), meters.At(kPanelX, kPanelY));
  EXPECT_TRUE(Dark(meters.At(kPanelX, kPanelY)));
  EXPECT_TRUE(Bright(setup.At(kPanelX, kPanelY)));
  EXPECT_FALSE(Bright(graph.At(kPanelX, kPanelY)));
  // The menu has faded in fully: its panel is white, not the page seen through it.
  const Colour panel = menu.At(565, 250);
  EXPECT_TRUE(panel[0] > 230 && panel[1] > 230 && panel[2] > 230)
    << int(panel[0]) << "," << int(panel[1]) << "," << int(panel[2]);
  // The read-outs are the same in all three: only the clicked panel changed.
  EXPECT_EQ(graph.At(100, 105), meters.At(100, 105));
  EXPECT_EQ(setup.At(100, 105), meters.At(100, 105));
}

TEST_F(AuHostEditor, SizeAndScaleResizeTheEditorAndClicksFollowTheScale)
{
  // A second of audio: what is looked at here is the editor's size, not the meters, and the
  // largest editors are slow to draw in a sanitizer build.
  const std::string sample = Quoted(product_test::WriteTone(Path("tone.wav"), 1.0, 2));
  struct Case
  {
    std::string arguments;
    int width, height;
    int probeX, probeY;  // in the picture's pixels: inside the panel the graph button changes
  };
  const Case cases[] = {
    {"--size 1000x600", 1000, 600, kPanelX, kPanelY},
    {"--scale 1.5", 1248, 669, kPanelX * 3 / 2, kPanelY * 3 / 2},
    // Whole pixels where size times scale is whole, not one short of them.
    {"--size 1000x600 --scale 0.8", 800, 480, kPanelX * 4 / 5, kPanelY * 4 / 5},
    // Clamped as the corner resizer clamps: the full editor is never narrower than its base,
    // never larger than three base editors.
    {"--size 100x100", 832, 446, kPanelX, kPanelY},
    {"--size 3000x2000", 2496, 1338, kPanelX, kPanelY},
  };
  for (const Case& c : cases)
  {
    const std::string before = Path("before.png"), after = Path("after.png");
    ASSERT_EQ(Run("editor " + sample + " --png " + Quoted(before) + " " + c.arguments).status, 0) << err;
    ASSERT_EQ(
      Run("editor " + sample + " --png " + Quoted(after) + " " + c.arguments + " --click " + kGraphButton).status, 0)
      << err;
    const Picture meters = Read(before), graph = Read(after);
    EXPECT_EQ(meters.width, c.width) << c.arguments;
    EXPECT_EQ(meters.height, c.height) << c.arguments;
    EXPECT_EQ(graph.width, c.width) << c.arguments;
    EXPECT_NE(graph.At(c.probeX, c.probeY), meters.At(c.probeX, c.probeY)) << c.arguments;
  }
}

TEST_F(AuHostEditor, BadRequestsFailOnOneLineAndLeaveNoPicture)
{
  const std::string sample = Quoted(SAMPLE_WAV);
  const std::string editor = "editor " + sample + " --png " + Quoted(Path("out.png"));
  const std::string size = "--size needs WIDTHxHEIGHT in whole points from 1 to 10000, not ";
  const std::string scale = "--scale needs a number above 0 and at most 10, not ";
  const std::string click = "--click needs X,Y in editor coordinates, not ";
  struct Case
  {
    std::string arguments;
    std::string error;
  };
  const Case cases[] = {
    {editor + " --click 10", click + "\"10\""},
    {editor + " --click 10,-1", click + "\"10,-1\""},
    {editor + " --click inf,10", click + "\"inf,10\""},
    {editor + " --size 800x", size + "\"800x\""},
    {editor + " --size 0x400", size + "\"0x400\""},
    {editor + " --size 1e3x600", size + "\"1e3x600\""},
    {editor + " --size 99999999999x600", size + "\"99999999999x600\""},
    {editor + " --scale big", scale + "\"big\""},
    {editor + " --scale 0", scale + "\"0\""},
    {editor + " --scale nan", scale + "\"nan\""},
    {editor + " --scale 1.5x", scale + "\"1.5x\""},
    {editor + " --click 832,10", "--click 832,10 lies outside the editor of 832x446"},
    {editor + " --scale 2 --click 10,446", "--click 10,446 lies outside the editor of 832x446"},
    {"editor " + sample + " --png " + Quoted(Path("no/such/folder/out.png")),
     "cannot write " + Path("no/such/folder/out.png") + ": cannot create it"},
    {"editor " + Quoted(Path("missing.wav")) + " --png " + Quoted(Path("out.png")),
     "cannot read " + Path("missing.wav") + ": cannot open it"},
  };
  for (const Case& c : cases)
  {
    const ShellRun run = Run(c.arguments);
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_EQ(err, "au-host: " + c.error + "\n") << c.arguments;
    EXPECT_EQ(run.out, "") << c.arguments;
    // Not the picture, nor a part of one.
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << c.arguments;
  }
}

// The meters as silence and a clipped square wave leave them, PSR below the loudness bars: the
// band's centre far below and far above the scale, a negative ratio. The reference labels (white)
// of markers off the scale would stand between the bar and its value row, or under the bar's top
// edge; none shows. The eight channels that are not measured draw no hold line along the floor.
TEST_F(AuHostEditor, MetersOfSilenceAndOfASquareWaveShowNoLabelOffTheScaleNorAFloorRule)
{
  constexpr uint32_t kRate = 48000, kFrames = 4 * kRate;  // the short-term window full
  const struct
  {
    const char* name;
    float (*sample)(uint32_t n);
  } cases[] = {{"silence", [](uint32_t) { return 0.0f; }},
               {"square", [](uint32_t n) { return (n / 240) % 2 ? 0.99f : -0.99f; }}};
  // The dynamics bar (456..488) and its rows: bar 94..402 under the zero mark, value row from 409.
  const auto ink = [](const Picture& p, int top, int bottom, bool (*is)(const Colour&)) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 456; x < 488; ++x)
        count += is(p.At(x, y)) ? 1 : 0;
    return count;
  };
  const auto white = [](const Colour& c) { return c[0] > 150 && c[1] > 150 && c[2] > 150; };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    AudioFileBuffer buffer;
    audioFileInit(&buffer);
    ASSERT_EQ(audioFileAllocate(&buffer, kFrames, 2, 16, kRate, 0), 0);
    for (uint32_t n = 0; n < 2 * kFrames; ++n)
      buffer.samples[n] = c.sample(n % kFrames);
    const std::string wav = Path(std::string(c.name) + ".wav"), png = Path(std::string(c.name) + ".png");
    ASSERT_EQ(audioFileWriteWav(&buffer, wav.c_str()), 0);
    audioFileFree(&buffer);
    ASSERT_EQ(Run("editor " + Quoted(wav) + " --png " + Quoted(png)).status, 0) << err;
    const Picture picture = Read(png);
    ASSERT_EQ(picture.width, 832);
    EXPECT_EQ(ink(picture, 403, 408, white), 0) << "between the bar and the value row";
    EXPECT_EQ(ink(picture, 96, 105, white), 0) << "under the bar's top edge";
    EXPECT_GT(ink(picture, 409, 418, [](const Colour& c) { return c[0] > 90 && c[1] > 90 && c[2] > 90; }), 0)
      << "the read-out";
    // The hold lines' violet along the floor of the unmeasured channels' bars.
    int floorRule = 0;
    for (int x = 600; x < 780; ++x)
      for (int y = 398; y < 405; ++y)
        floorRule += picture.At(x, y)[0] > 120 && picture.At(x, y)[1] < 80 && picture.At(x, y)[2] > 150 ? 1 : 0;
    EXPECT_EQ(floorRule, 0);
  }
}

// The editor's export buttons clicked in a picture run: their save dialogs take the files given,
// and without one the run says in one line that no file was chosen, and goes on.
TEST_F(AuHostEditor, ExportButtonsTakeTheFilesGivenOrSayNoneWasChosen)
{
  const std::string tone = Quoted(product_test::WriteTone(Path("tone.wav"), 0.5, 2));
  const std::string picture = " --png " + Quoted(Path("out.png"));
  const char* const kCsvButton = " --click 499,26";
  const char* const kLogButton = " --click 533,26";

  ShellRun run = Run("editor " + tone + picture + kCsvButton + kLogButton);
  EXPECT_EQ(run.status, 0) << err;
  EXPECT_EQ(err,
            "au-host: no file chosen for the .csv export (give --csv FILE)\n"
            "au-host: no file chosen for the .log export (give --log FILE)\n");

  const std::string csv = Path("clicked.csv"), log = Path("given.log");
  run = Run("editor " + tone + picture + kCsvButton + " --csv " + Quoted(csv) + " --log " + Quoted(log));
  EXPECT_EQ(run.status, 0) << err;
  EXPECT_EQ(err, "");
  EXPECT_NE(plugin_test::ReadFile(csv).find("Time,IL"), std::string::npos);
  EXPECT_NE(plugin_test::ReadFile(log).find("Integrated Loudness (IL)"), std::string::npos);

  const std::pair<const char*, const char*> misnamed[] = {
    {" --csv table.txt", "--csv needs a file name ending in .csv"},
    {" --log summary", "--log needs a file name ending in .log"}};
  for (const auto& [option, error] : misnamed)
  {
    run = Run("editor " + tone + picture + option);
    EXPECT_EQ(run.status, 2) << option;
    EXPECT_EQ(err.substr(0, err.find('\n')), std::string("au-host: ") + error);
  }
}

}  // namespace
