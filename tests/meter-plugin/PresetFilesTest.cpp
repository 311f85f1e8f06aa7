#include "PluginFixture.h"

#include <filesystem>

#include <tinyxml.h>

using namespace plugin_test;

namespace {

// Records what the plug-in is told after a load.
class RecordingPlugin : public Vantorelix
{
public:
  void ParameterChanged(int, iplug::ParamChangeSource source, int) override
  {
    if (source == iplug::kPresetRecall)
      ++recalls;
  }
  void NotifyHostPresetChanged() override { ++hostNotified; }

  int recalls = 0;
  int hostNotified = 0;
};

}  // namespace

TEST(PresetFiles, SaveThenLoadAppliesAndStoresTheSlot)
{
  const std::string folder = TempFolder();
  const std::string path = folder + "/Loud.zvp";
  Vantorelix source;
  source.GetParam(kLoudness_Target)->Set(-23.0);
  source.GetParam(kGuiWidth)->Set(1200);
  ASSERT_TRUE(source.SavePresetFile(path.c_str(), "Loud"));
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
  EXPECT_EQ(Lines(ReadFile(path)).at(0), "<?xml version=\"1.0\" ?>");

  RecordingPlugin plug;
  plug.GetParam(kRefOffset)->Set(-10.0);  // keyed: back to its default, then from the file
  WDL_String name;
  ASSERT_TRUE(plug.LoadPresetFile(path.c_str(), &name, false, false, false, nullptr));
  EXPECT_STREQ(name.Get(), "Loud");
  EXPECT_EQ(Values(plug), Values(source));
  EXPECT_STREQ(plug.PresetSlotName(0), "Loud");
  EXPECT_EQ(plug.recalls, plug.NParams());  // recalled through the slot, once per parameter
  EXPECT_EQ(plug.hostNotified, 1);

  // The slot now holds this state: loading it elsewhere gives the same values.
  Vantorelix other;
  ASSERT_GT(other.ReadState(plug.GetPreset(0)->mChunk, 0), 0);
  EXPECT_EQ(Values(other), Values(source));
}

// Preset files are read as 8-bit text: a Latin-1 name becomes UTF-8 before it goes anywhere, so
// the state saved after it reads back; a name that already is UTF-8 (as ours write it) is kept.
TEST(PresetFiles, EightBitNamesBecomeUtf8AndTheStateReadsBack)
{
  const std::string folder = TempFolder();
  const struct
  {
    const char* written;
    const char* read;
  } cases[] = {
    {"Caf\xE9", "Caf\xC3\xA9"}, {"Caf\xC3\xA9", "Caf\xC3\xA9"}, {"\xC5ngstr\xF6m", "\xC3\x85ngstr\xC3\xB6m"}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.read);
    PresetDoc doc;
    doc.presetOpen = std::string("<Preset name=\"") + c.written + "\">";
    const std::string path = folder + "/eight-bit.zvp";
    WriteFile(path, doc.Text());

    Vantorelix plug;
    WDL_String name;
    ASSERT_TRUE(plug.LoadPresetFile(path.c_str(), &name, false, false, false, nullptr));
    EXPECT_STREQ(name.Get(), c.read);
    EXPECT_STREQ(plug.PresetSlotName(0), c.read);

    ByteChunk state;
    ASSERT_TRUE(plug.WriteState(state));
    Vantorelix restored;
    ASSERT_GT(restored.ReadState(state, 0), 0);
    EXPECT_STREQ(restored.PresetSlotName(0), c.read);
    EXPECT_EQ(Values(restored), Values(plug));
  }
}

TEST(PresetFiles, KeyedParametersMissingFromAFileFallToTheirDefaults)
{
  const std::string folder = TempFolder();
  const std::string path = folder + "/partial.zvp";
  PresetDoc doc;
  doc.params = "<Param name=\"PreGain\" val=\"3\"/>";
  WriteFile(path, doc.Text());

  Vantorelix plug;
  plug.GetParam(kLoudness_Target)->Set(-30.0);  // keyed
  plug.GetParam(kGraphPSR)->Set(1.0);           // not keyed
  ASSERT_TRUE(plug.LoadPresetFile(path.c_str(), nullptr, false, false, false, nullptr));
  EXPECT_EQ(plug.GetParam(kLoudness_Target)->Value(), -18.0);
  EXPECT_EQ(plug.GetParam(kGraphPSR)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(kPreGain)->Value(), 3.0);
}

TEST(PresetFiles, RefusedFilesAndValidation)
{
  const std::string folder = TempFolder();
  RecordingPlugin plug;
  plug.GetParam(kLoudness_Target)->Set(-30.0);

  // A missing file still resets the keyed parameters, and the plug-in hears about it.
  EXPECT_FALSE(plug.LoadPresetFile((folder + "/none.zvp").c_str(), nullptr, false, false, false, nullptr));
  EXPECT_EQ(plug.GetParam(kLoudness_Target)->Value(), -18.0);
  EXPECT_EQ(plug.recalls, plug.NParams());
  EXPECT_EQ(plug.hostNotified, 0);

  // Validating changes nothing, also for a good file.
  const std::string path = folder + "/good.zvp";
  PresetDoc doc;
  doc.params = "<Param name=\"Loudness Target Level\" val=\"-24\"/>";
  WriteFile(path, doc.Text());
  plug.GetParam(kLoudness_Target)->Set(-30.0);
  WDL_String name;
  EXPECT_TRUE(plug.LoadPresetFile(path.c_str(), &name, false, true, false, nullptr));
  EXPECT_STREQ(name.Get(), "Mine");
  EXPECT_EQ(plug.GetParam(kLoudness_Target)->Value(), -30.0);
  EXPECT_FALSE(plug.LoadPresetFile(nullptr, nullptr, false, true, false, nullptr));
  // A file far larger than any preset is not read.
  WriteFile(path, doc.Text() + std::string(17 << 20, ' '));
  EXPECT_FALSE(plug.LoadPresetFile(path.c_str(), nullptr, false, true, false, nullptr));

  // Saving where no file can be made fails and leaves nothing behind.
  EXPECT_FALSE(plug.SavePresetFile((folder + "/no/such/folder/x.zvp").c_str(), "x"));
  EXPECT_FALSE(plug.SavePresetFile("", "x"));
}

TEST(PresetFiles, DataElementIsReadOnlyWhenAsked)
{
  const std::string folder = TempFolder();
  const std::string path = folder + "/data.zvp";
  std::string text = PresetDoc().Text();
  text.insert(text.find("<Preset "), "<Data>payload</Data>");
  WriteFile(path, text);
  Vantorelix plug;
  WDL_String data("before");
  ASSERT_TRUE(plug.LoadPresetFile(path.c_str(), nullptr, false, true, false, &data));
  EXPECT_STREQ(data.Get(), "before");
  ASSERT_TRUE(plug.LoadPresetFile(path.c_str(), nullptr, false, true, true, &data));
  EXPECT_STREQ(data.Get(), "payload");
}

TEST(PresetFiles, DefaultPresetReplacesTheDeclaredDefaults)
{
  const std::string folder = TempFolder();
  Vantorelix saver;
  saver.GetParam(kGuiWidth)->Set(1200);
  ASSERT_TRUE(saver.SaveDefaultPreset(folder.c_str()));
  ASSERT_TRUE(std::filesystem::exists(folder + "/default.zvp"));

  RecordingPlugin plug;
  EXPECT_TRUE(plug.LoadDefaultPreset(folder.c_str()));
  EXPECT_EQ(plug.GetParam(kGuiWidth)->Value(), 1200.0);
  EXPECT_STREQ(plug.PresetSlotName(0), "Init");
  EXPECT_EQ(plug.recalls, 0);  // construction takes the values itself
  EXPECT_EQ(plug.hostNotified, 0);

  Vantorelix none;
  EXPECT_FALSE(none.LoadDefaultPreset((folder + "/missing").c_str()));
  EXPECT_EQ(Values(none), Values(Vantorelix()));
}

TEST(PresetFiles, PresetRecordFromAFile)
{
  const std::string folder = TempFolder();
  const std::string path = folder + "/record.zvp";
  PresetDoc doc;
  doc.presetOpen = "<Preset name=\"" + std::string(300, 'n') + "\">";
  doc.name = "<PluginName>Vantorelyx</PluginName>";
  doc.params = "<Param name=\"SetupPage\" val=\"2.5\"/><Param name=\"PreGain\" val=\"1e9\"/>";
  WriteFile(path, doc.Text());

  Vantorelix plug;
  plug.GetParam(kLoudness_Target)->Set(-30.0);
  std::vector<double> values(plug.NParams(), kUnsetPresetValue);
  WDL_String name;
  const IXMLPreset reader;
  ASSERT_TRUE(reader.ReadPresetFile(plug, path.c_str(), values.data(), &name));
  EXPECT_EQ(values[kSetupPage], 2.5);  // as written: rounding waits for the recall
  EXPECT_EQ(values[kPreGain], 1e9);
  EXPECT_EQ(values[kLoudness_Target], -18.0);
  EXPECT_EQ(values[kGraphPSR], kUnsetPresetValue);

  iplug::IPreset record;
  ASSERT_TRUE(plug.LoadPresetRecord(record, path.c_str()));
  EXPECT_TRUE(record.mInitialized);
  EXPECT_EQ(std::string(record.mName), std::string(255, 'n'));
  plug.ClearPresetChunk(record, 0);
  ASSERT_TRUE(plug.LoadPresetSlot(0));
  EXPECT_EQ(plug.GetParam(kSetupPage)->Value(), 3.0);
  EXPECT_EQ(plug.GetParam(kPreGain)->Value(), 60.0);
  EXPECT_EQ(plug.GetParam(kLoudness_Target)->Value(), -18.0);

  // A refused file leaves the array alone.
  std::vector<double> untouched(plug.NParams(), 7.0);
  EXPECT_FALSE(reader.ReadPresetFile(plug, (folder + "/none.zvp").c_str(), untouched.data(), nullptr));
  EXPECT_EQ(untouched, std::vector<double>(plug.NParams(), 7.0));
}

TEST(PresetFiles, SlotZeroStartsAsInit)
{
  Vantorelix plug;
  ASSERT_EQ(plug.NPresets(), 1);
  EXPECT_TRUE(plug.GetPreset(0)->mInitialized);
  EXPECT_STREQ(plug.PresetSlotName(0), "Init");
  plug.GetParam(kPreGain)->Set(5.0);
  ASSERT_TRUE(plug.LoadPresetSlot(0));
  EXPECT_EQ(Values(plug), Values(Vantorelix()));
}

TEST(PresetFiles, SourceDumpOfTheKeyedParameters)
{
  const std::string folder = TempFolder();
  Vantorelix plug;
  plug.GetParam(kLoudness_Target)->Set(-23.0);
  plug.GetParam(kUnitMode)->Set(1);
  plug.DumpPresetsAsSource(PresetParamKeys, folder.c_str());
  const std::vector<std::string> lines = Lines(ReadFile(folder + "/preset.txt"));
  ASSERT_EQ(lines.size(), 3u + 111u + 1u);
  EXPECT_EQ(lines[0], "mmax_presets++;");
  EXPECT_EQ(lines[1], "MakePresetFromNamedParams(\"xxx\",");
  EXPECT_EQ(lines[2], "\t\t\t\t\t\t\t111,");
  EXPECT_EQ(lines[3], "\t\t\t\t\t\t\tkUnitMode,\t\t\t\t1,");
  EXPECT_EQ(lines[10], "\t\t\t\t\t\t\tkLoudness_Target,\t\t\t\t-23.0,");
  EXPECT_EQ(lines[3 + 67], "\t\t\t\t\t\t\tkColor_MeterPeakLED_lmc,\t\t\t\t16726061,");
  EXPECT_EQ(lines[113], "\t\t\t\t\t\t\tkColor_BG_Readoutc,\t\t\t\t2302755");
  EXPECT_EQ(lines[114], "\t\t\t\t\t\t\t);");
  for (size_t i = 3; i < 113; ++i)
    EXPECT_EQ(lines[i].back(), ',') << i;

  const PresetParamKey none[] = {{nullptr, -1, 0, nullptr}};
  plug.DumpPresetsAsSource(none, folder.c_str());
  EXPECT_EQ(ReadFile(folder + "/preset.txt"),
            "mmax_presets++;\nMakePresetFromNamedParams(\"xxx\",\n\t\t\t\t\t\t\t0\n\t\t\t\t\t\t\t);\n");
}

// Whatever name and data text is saved comes back byte for byte, in the state text and in preset
// files, whatever the XML library's process-wide white-space switch is set to by other code.
TEST(PresetFiles, NamesAndDataComeBackByteForByte)
{
  const char* const texts[] = {"Mix  2 ", " lead", "a\tb\nc", "   ", "one space", "x ]]> y "};
  const std::string path = TempFolder() + "/p.zvp";
  for (const bool condense : {true, false})
  {
    TiXmlBase::SetCondenseWhiteSpace(condense);
    for (const char* text : texts)
    {
      SCOPED_TRACE("\"" + std::string(text) + "\"" + (condense ? ", condensing" : ""));
      Vantorelix source;
      source.GetPreset(0)->SetName(text);
      ByteChunk chunk;
      ASSERT_TRUE(source.WriteStateXml(source, chunk));
      Vantorelix target;
      ASSERT_EQ(target.ReadStateXml(target, chunk, 0), chunk.Size());
      EXPECT_STREQ(target.PresetSlotName(0), text);

      ASSERT_TRUE(IXMLPreset().SavePresetFile(source, path.c_str(), text, true, text));
      WDL_String name, data;
      ASSERT_TRUE(target.LoadPresetFile(path.c_str(), &name, false, true, true, &data));
      EXPECT_STREQ(name.Get(), text);
      EXPECT_STREQ(data.Get(), text);
    }
  }
  TiXmlBase::SetCondenseWhiteSpace(true);  // the library's default
}
