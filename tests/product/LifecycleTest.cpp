// Construction order, the settings file, reset and activation, the editor-open flag and
// destruction of the product object.

#include "tests/product/ProductFixture.h"

#include "platform/CoreFoundation/CFBase.h"

#include <malloc.h>
#include <sys/stat.h>

namespace {

using namespace product_test;
namespace fs = std::filesystem;

std::string DataFolder()
{
  return Vantorelix().DataFolder();
}

TEST(Lifecycle, MakesTheDataFolderAndItsAUFolderInAFreshHome)
{
  Vantorelix plug;
  const fs::path data = plug.DataFolder();
  EXPECT_EQ(data, fs::path(std::getenv("HOME")) / ".local/share/Vantorelix");
  EXPECT_TRUE(fs::is_directory(data));
  EXPECT_EQ(fs::path(plug.AUFolder()), data / "AU");
  EXPECT_TRUE(fs::is_directory(data / "AU"));
  struct stat info;
  ASSERT_EQ(stat(plug.AUFolder(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0777u);  // whatever the process's creation mask
}

TEST(Lifecycle, SettingsFileDecidesWhetherAnEditorIsOffered)
{
  const std::string ini = DataFolder() + "/plugin.ini";
  struct Case
  {
    const char* text;
    bool hasUI;
  };
  const Case cases[] = {
    {nullptr, true},  // no file
    {"HasUI=0\n", false},
    {"[GUI]\r\nHasUI=0\r\n", false},  // the section line is a line like any other
    {"HasUI= 0\n", false},            // blanks before the number are allowed
    {"HasUI = 0\n", true},            // but not before "="
    {" HasUI=0\n", true},             // the key starts the line
    {"HasUI=2\n", true},
    {"HasUI=0\nHasUI=1\n", true},  // the last line wins
    {"HasUI=1\nHasUI=0", false},
    {"HasUI=x\n", true},
    {"OtherHasUI=0\n", true},
    {"HasUI=4294967296\n", true},  // a number that does not fit is none
    {"HasUI=-99999999999\n", true},
    {"HasUI=+0\n", false},
  };
  for (const Case& c : cases)
  {
    fs::remove(ini);
    if (c.text)
      WriteText(ini, c.text);
    EXPECT_EQ(Vantorelix().HasUI(), c.hasUI) << (c.text ? c.text : "no file");
  }
  // A long comment line stays one line, however long.
  WriteText(ini, "#" + std::string(2046, 'x') + "HasUI=0\n");
  EXPECT_TRUE(Vantorelix().HasUI());
  // A FIFO is no settings file: nothing waits for a writer.
  fs::remove(ini);
  ASSERT_EQ(mkfifo(ini.c_str(), 0600), 0);
  EXPECT_TRUE(Vantorelix().HasUI());
  fs::remove(ini);
}

TEST(Lifecycle, DefaultPresetSetsTheEditorGeometryBeforeTheFirstEditor)
{
  WriteText(Vantorelix().AUFolder() + std::string("/default.zvp"),
            "<?xml version=\"1.0\" ?>\n<PresetXMLTree version=\"1\"><PluginVendor>Zorvalinde</PluginVendor>"
            "<PluginName>Vantorelix</PluginName><PluginVersion>v3.1.3</PluginVersion><Preset name=\"Mine\">"
            "<Parameter><Param name=\"GUI Width\" val=\"1200\" /><Param name=\"GUI Layout\" val=\"0\" />"
            "</Parameter></Preset></PresetXMLTree>\n");
  Vantorelix plug;
  EXPECT_EQ(plug.GetParam(kGuiWidth)->Value(), 1200.0);
  EXPECT_EQ(plug.Settings().guiWidth, 1200);
  EXPECT_EQ(plug.Settings().layout, 0);
  EXPECT_EQ(plug.Settings().guiHeight, 446);
}

TEST(Lifecycle, ChainIsPreparedForTheProcessorAtConstruction)
{
  Vantorelix plug;
  ASSERT_NE(plug.Engine(), nullptr);
  EXPECT_EQ(plug.Chain().sampleRate, plug.GetSampleRate());
  EXPECT_EQ(plug.Chain().blockSize, plug.GetBlockSize());
  EXPECT_EQ(plug.Chain().nInputs, 10);
  EXPECT_EQ(plug.Chain().nOutputs, 10);
}

// A block of noise so that the measurement holds something a rebuild or reset would clear.
void Measure(Vantorelix& plug)
{
  Block block(2, plug.GetBlockSize());
  FillNoise(block.in[0], 0.5, 1);
  Process(plug, block);
  ASSERT_EQ(plug.History().Size(), 1u);
}

TEST(Lifecycle, ResetRebuildsOnlyOnAChangedRateOrBlockSize)
{
  Vantorelix plug;
  const LoudnessEngine* constructed = plug.Engine();
  plug.MarkChannelsConnected(iplug::kInput, 0, 2, true);
  plug.MarkChannelsConnected(iplug::kOutput, 0, 2, true);
  Measure(plug);
  plug.ResetProcessing();  // the rate and block size the constructor prepared
  EXPECT_EQ(plug.Engine(), constructed);
  EXPECT_EQ(plug.History().Size(), 1u);
  EXPECT_GT(plug.Engine()->samplePeakMax, 0.0);

  plug.ResizeScratchBuffers(1024);  // block size alone
  plug.ResetProcessing();
  EXPECT_EQ(plug.Chain().blockSize, 1024);
  EXPECT_EQ(plug.History().Size(), 0u);
  EXPECT_EQ(plug.Engine()->samplePeakMax, 0.0);

  Measure(plug);
  plug.SetSampleRate(96000.0);  // rate alone
  plug.ResetProcessing();
  EXPECT_EQ(plug.Chain().sampleRate, 96000.0);
  EXPECT_EQ(plug.History().Size(), 0u);
  EXPECT_EQ(plug.Engine()->momentary.hopLength, 9600);
}

TEST(Lifecycle, ChainThatCannotBeBuiltKeepsThePreviousOne)
{
  Vantorelix plug;
  Prepare(plug, 48000.0, 512, 2);
  Measure(plug);
  const LoudnessEngine* before = plug.Engine();
  plug.SetSampleRate(5.0);  // no 100 ms hop fits: the engine refuses the rate
  plug.ResetProcessing();
  EXPECT_EQ(plug.Engine(), before);
  EXPECT_EQ(plug.Chain().sampleRate, 48000.0);  // so the next reset tries again
  EXPECT_EQ(plug.History().Size(), 1u);
  EXPECT_FALSE(plug.PrepareDsp());

  plug.SetSampleRate(44100.0);
  plug.ResetProcessing();
  EXPECT_EQ(plug.Chain().sampleRate, 44100.0);
  EXPECT_EQ(plug.Engine()->momentary.hopLength, 4410);
}

TEST(Lifecycle, LatencyIsReportedOnceTheHostIsKnown)
{
  Vantorelix plug;
  plug.Settings().enableLimiter = 1;
  plug.SetSampleRate(48000.0);
  plug.ResetProcessing();
  EXPECT_EQ(plug.ChainLatency(), 127);
  EXPECT_EQ(plug.GetLatency(), 0);  // host not identified: nothing reported

  plug.IdentifyHost("com.apple.logic10", 0);
  plug.SetSampleRate(44100.0);
  plug.ResetProcessing();
  EXPECT_EQ(plug.GetLatency(), 127);

  plug.Settings().enableLimiter = 0;
  plug.SetSampleRate(48000.0);
  plug.ResetProcessing();
  EXPECT_EQ(plug.GetLatency(), 0);
}

TEST(Lifecycle, ActivationResetsOnlyForItsHostWithSyncOn)
{
  struct Case
  {
    const char* host;
    int sync;
    bool active;
    bool resets;
  };
  const Case cases[] = {
    {"WaveLab 11", 1, true, true},           {"WaveLab 11", 1, false, false},       {"WaveLab 11", 0, true, false},
    {"WaveLab Elements 11", 1, true, false}, {"com.apple.logic10", 1, true, false},
  };
  for (const Case& c : cases)
  {
    Vantorelix plug;
    plug.IdentifyHost(c.host, 0);
    plug.MarkChannelsConnected(iplug::kInput, 0, 2, true);
    Measure(plug);
    plug.Settings().sync = c.sync;
    plug.SetActive(c.active);
    EXPECT_EQ(plug.History().Size(), c.resets ? 0u : 1u) << c.host << " sync " << c.sync << " " << c.active;
  }
}

class EditorCounter : public Vantorelix
{
public:
  void DeliverValueToEditor(int paramIdx, double value, bool normalised) override
  {
    EXPECT_FALSE(IsEditorOpen());  // the values arrive before the flag is set
    EXPECT_EQ(value, GetParam(paramIdx)->GetNormalised());
    EXPECT_TRUE(normalised);
    ++delivered;
  }
  int delivered = 0;
};

TEST(Lifecycle, OpeningTheEditorSendsEveryValueThenSetsTheFlag)
{
  EditorCounter plug;
  plug.GetParam(kPreGain)->Set(4.5);
  plug.EditorOpened();
  EXPECT_EQ(plug.delivered, 189);
  EXPECT_TRUE(plug.IsEditorOpen());
  plug.EditorClosed();
  EXPECT_FALSE(plug.IsEditorOpen());
}

// Bytes held from the heap and in mapped blocks (the histories' storage is mapped).
size_t HeapInUse()
{
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Fifty objects made and destroyed, with measurement, histories whose clear the graph deferred,
// and a changed chain, leave the heap and the platform objects as they were.
TEST(Lifecycle, ConstructAndDestroyLeaksNothing)
{
  auto cycle = [] {
    Vantorelix plug;
    Prepare(plug, 48000.0, 256, 2);
    Block block(2, 256);
    FillNoise(block.in[0], 0.3, 7);
    for (int i = 0; i < 20; ++i)
      Process(plug, block);
    plug.History().inUse = 1;
    plug.Memory().AppendCopy(plug.History().At(0));
    plug.History().Clear();  // deferred: the points stay, marked for the graph to clear
    EXPECT_EQ(plug.History().clearPending, 1);
  };
  cycle();  // first use of the process-wide tables
  [[maybe_unused]] const size_t heap = HeapInUse();
  const long objects = platform::LiveObjectCount();
  for (int i = 0; i < 50; ++i)
    cycle();
  EXPECT_EQ(platform::LiveObjectCount(), objects);
#if !defined(__SANITIZE_ADDRESS__)
  // The allocator's per-thread caches count as in use and fill up over the first cycles, so a few
  // kilobytes may stay; a leaked list, engine or history would be megabytes. Small leaks are
  // caught by the address sanitizer's leak check at exit.
  EXPECT_LT(HeapInUse(), heap + 64 * 1024);
#endif
}

}  // namespace
