#include "PluginFixture.h"

#include <sys/stat.h>
#include <tinyxml.h>

using namespace plugin_test;

namespace {

std::string StateXmlOf(const Vantorelix& plug)
{
  ByteChunk chunk;
  EXPECT_TRUE(plug.WriteStateXml(plug, chunk));
  uint32_t length = 0;
  chunk.Get(&length, 0);
  EXPECT_EQ(int64_t{length} + 4, chunk.Size());
  return Bytes(chunk).substr(4);
}

std::string Nested(const std::string& open, int depth)
{
  std::string text;
  for (int i = 0; i < depth; ++i)
    text += open;
  return text;
}

}  // namespace

TEST(StateXml, FreshPluginGoldenDocument)
{
  Vantorelix plug;
  EXPECT_EQ(StateXmlOf(plug), ReadFile(SourcePath("tests/meter-plugin/fixtures/fresh-state.xml")));

  plug.GetParam(kPeak_Limit)->Set(-0.0);
  plug.GetParam(kPreGain)->Set(-12.3456789);
  const std::string text = StateXmlOf(plug);
  EXPECT_NE(text.find("<Param name=\"Max Peak Target Level\" val=\"-0.000000\" />\n"), std::string::npos);
  EXPECT_NE(text.find("<Param name=\"PreGain\" val=\"-12.345679\" />\n"), std::string::npos);
}

// The state text is written straight, not printed from a tree: a slot name holding what XML
// escapes must come out as the XML printer writes it, and read back unchanged.
TEST(StateXml, SlotNamesAreWrittenAsTheXmlPrinterWritesThem)
{
  for (const char* name : {"Plain name", "Say \"hi\"", "It's", "\"Both'", "a&b <c> &amp;", "tab\tnew\nline\r",
                           "\x01\x1F\x7F", "Caf\xC3\xA9", ""})
  {
    Vantorelix plug;
    plug.GetPreset(0)->SetName(name);
    TiXmlElement preset("Preset");
    preset.SetAttribute("name", name);
    TiXmlPrinter printer;
    preset.Accept(&printer);
    std::string line = printer.Str();
    line.replace(line.find(" />"), 3, ">");
    EXPECT_NE(StateXmlOf(plug).find("\n    " + line), std::string::npos) << name;

    ByteChunk chunk;
    ASSERT_TRUE(plug.WriteStateXml(plug, chunk));
    Vantorelix target;
    EXPECT_EQ(target.ReadStateXml(target, chunk, 0), chunk.Size()) << name;
    EXPECT_STREQ(target.PresetSlotName(0), name);
  }
}

// Parameter lines likewise, for names that are and are not plain text, up to the longest name.
TEST(StateXml, ParameterLinesAreWrittenAsTheXmlPrinterWritesThem)
{
  for (const char* name : {"Plain", "Say \"hi\"", "It's", "a&b <c>", "tab\tend", "Thirty-one characters, all plain",
                           "Thirty-one & <escaped> \"chars\"", ""})
  {
    Vantorelix plug;
    plug.GetParam(kPreGain)->DefineDouble(name, -1.5, -24.0, 24.0, 0.1);
    TiXmlElement param("Param");
    param.SetAttribute("name", plug.GetParam(kPreGain)->GetName());
    param.SetAttribute("val", "-1.500000");
    TiXmlPrinter printer;
    param.Accept(&printer);
    EXPECT_NE(StateXmlOf(plug).find("\n            " + std::string(printer.Str())), std::string::npos) << name;
  }
}

TEST(StateXml, RoundTripRestoresValuesAndSlotName)
{
  Vantorelix source;
  source.GetParam(kLoudness_Target)->Set(-23.0);
  source.GetParam(kColor_BG_ILc)->Set(0x123456);
  source.GetPreset(0)->SetName("Mine");
  ByteChunk chunk;
  ASSERT_TRUE(source.WriteStateXml(source, chunk));

  Vantorelix target;
  EXPECT_EQ(target.ReadStateXml(target, chunk, 0), chunk.Size());
  EXPECT_EQ(Values(target), Values(source));
  EXPECT_STREQ(target.PresetSlotName(0), "Mine");
}

// Each case is a state text or a preset file; refused ones must change nothing at all.
TEST(StateXml, ReaderValidationTable)
{
  struct Case
  {
    const char* what;
    std::function<void(PresetDoc&)> edit;
    bool stateAccepted;
    bool fileAccepted;
    double preGain;  // after an accepted read
  };
  const Case cases[] = {
    {"valid", [](PresetDoc&) {}, true, true, 4.5},
    {"wrong vendor", [](PresetDoc& d) { d.vendor = "<PluginVendor>Other</PluginVendor>"; }, false, false, 0},
    {"vendor without text", [](PresetDoc& d) { d.vendor = "<PluginVendor/>"; }, false, false, 0},
    {"earlier product name", [](PresetDoc& d) { d.name = "<PluginName>Vantorelyx</PluginName>"; }, false, true, 4.5},
    {"other product name", [](PresetDoc& d) { d.name = "<PluginName>Vantorelixx</PluginName>"; }, false, false, 0},
    {"no version element", [](PresetDoc& d) { d.version = ""; }, false, false, 0},
    {"name not first attribute", [](PresetDoc& d) { d.presetOpen = "<Preset id=\"1\" name=\"Mine\">"; }, false, false,
     0},
    {"no parameters", [](PresetDoc& d) { d.params = "<!-- none -->"; }, false, false, 0},
    {"non-Param after three Params",
     [](PresetDoc& d) {
       d.params =
         "<Param name=\"PreGain\" val=\"1\"/><Param name=\"Sync\" val=\"1\"/>"
         "<Param name=\"Play\" val=\"0\"/><Value name=\"Reset\" val=\"1\"/>";
     },
     false, false, 0},
    {"duplicates: the last wins",
     [](PresetDoc& d) { d.params = "<Param name=\"PreGain\" val=\"1\"/><Param name=\"PreGain\" val=\"2\"/>"; }, true,
     true, 2.0},
    {"missing val gives 0",
     [](PresetDoc& d) { d.params = "<Param name=\"PreGain\"/><Param name=\"Loudness Target Level\"/>"; }, true, true,
     0},
    {"unknown and nameless skipped",
     [](PresetDoc& d) {
       d.params =
         "<Param name=\"Nope\" val=\"3\"/><Param val=\"3\"/><Param name=\"\" val=\"3\"/>"
         "<Param name=\"pregain\" val=\"3\"/><Param name=\"PreGain\" val=\"-7.25\"/>";
     },
     true, true, -7.25},
    {"out of range clamps", [](PresetDoc& d) { d.params = "<Param name=\"PreGain\" val=\"1e9\"/>"; }, true, true, 60.0},
    {"not a number", [](PresetDoc& d) { d.params = "<Param name=\"PreGain\" val=\"abc\"/>"; }, true, true, 0.0},
    // Nesting this deep would exhaust the parser's stack.
    {"deeply nested", [](PresetDoc& d) { d.params = Nested("<Param>", 100000); }, false, false, 0},
    {"nested behind quoted markup", [](PresetDoc& d) { d.params = Nested("<Param name=\"/>\">", 100000); }, false,
     false, 0},
  };

  const std::string folder = TempFolder();
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    PresetDoc doc;
    c.edit(doc);
    const std::string text = doc.Text();

    Vantorelix plug;
    plug.GetParam(kLoudness_Target)->Set(-30.0);
    plug.GetParam(kGraphPSR)->Set(1.0);
    const std::vector<double> before = Values(plug);
    const ByteChunk chunk = StateText(text);
    const int read = plug.ReadStateXml(plug, chunk, 0);
    EXPECT_EQ(read, c.stateAccepted ? chunk.Size() : 0);
    if (c.stateAccepted)
    {
      EXPECT_DOUBLE_EQ(plug.GetParam(kPreGain)->Value(), c.preGain);
      EXPECT_EQ(plug.GetParam(kGraphPSR)->Value(), 1.0);  // not in the text: kept
    }
    else
    {
      EXPECT_EQ(Values(plug), before);
    }

    const std::string path = folder + "/case.zvp";
    WriteFile(path, text);
    Vantorelix filePlug;
    WDL_String name;
    EXPECT_EQ(filePlug.LoadPresetFile(path.c_str(), &name, false, false, false, nullptr), c.fileAccepted);
    if (c.fileAccepted)
    {
      EXPECT_STREQ(name.Get(), "Mine");
      EXPECT_DOUBLE_EQ(filePlug.GetParam(kPreGain)->Value(), c.preGain);
    }
  }
}

TEST(StateXml, StepsRoundHalfAwayFromZero)
{
  Vantorelix plug;
  PresetDoc doc;
  doc.params =
    "<Param name=\"SetupPage\" val=\"2.5\"/><Param name=\"GUI Width\" val=\"-5\"/>"
    "<Param name=\"Channel Routing\" val=\"-0.5\"/><Param name=\"SL Integration Time\" val=\"400.5\"/>";
  const ByteChunk chunk = StateText(doc.Text());
  ASSERT_GT(plug.ReadStateXml(plug, chunk, 0), 0);
  EXPECT_EQ(plug.GetParam(kSetupPage)->Value(), 3.0);
  EXPECT_EQ(plug.GetParam(kGuiWidth)->Value(), 304.0);
  EXPECT_EQ(plug.GetParam(kChannelRouting)->Value(), 0.0);
  EXPECT_EQ(plug.GetParam(kSL_IntWindow)->Value(), 400.5);  // real values are not stepped
}

TEST(StateXml, BadLengthsAreRefused)
{
  Vantorelix plug;
  const std::vector<double> before = Values(plug);
  ByteChunk zero = StateText("");
  EXPECT_EQ(plug.ReadStateXml(plug, zero, 0), 0);
  ByteChunk beyond = StateText(PresetDoc().Text());
  beyond.Resize(beyond.Size() - 1);
  EXPECT_EQ(plug.ReadStateXml(plug, beyond, 0), 0);
  EXPECT_EQ(plug.ReadStateXml(plug, beyond, -4), 0);
  EXPECT_EQ(plug.ReadStateXml(plug, beyond, beyond.Size() - 2), 0);
  const uint32_t huge = 0xFFFFFFF0u;
  std::memcpy(beyond.GetData(), &huge, 4);
  EXPECT_EQ(plug.ReadStateXml(plug, beyond, 0), 0);
  EXPECT_EQ(Values(plug), before);
}

// Our documents are some 12 KB; one past a megabyte is refused unparsed, as the state text or as a
// preset file, since the parser would take some twelve times its size. A preset file that is a
// FIFO (one named default.zvp is read at every creation) is refused without waiting for a writer.
TEST(StateXml, DocumentsPastAMegabyteAndFilesThatAreNotRegularAreRefused)
{
  Vantorelix plug;
  const std::vector<double> before = Values(plug);
  const std::string folder = TempFolder();
  const std::string path = folder + "/p.zvp";
  WDL_String name;
  for (const size_t params : {size_t{20000}, size_t{33000}})  // some 0.66 and 1.09 MB
  {
    PresetDoc doc;
    doc.params.clear();
    for (size_t i = 0; i < params; ++i)
      doc.params += "<Param name=\"PreGain\" val=\"1\" />";
    const bool read = params == 20000;
    EXPECT_EQ(plug.ReadStateXml(plug, StateText(doc.Text()), 0) > 0, read) << params;
    WriteFile(path, doc.Text());
    EXPECT_EQ(plug.LoadPresetFile(path.c_str(), &name, false, true, false, nullptr), read) << params;
  }
  plug.GetParam(kPreGain)->Set(before[kPreGain]);
  EXPECT_EQ(Values(plug), before);

  const std::string fifo = folder + "/default.zvp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(plug.LoadDefaultPreset(folder.c_str()));
  EXPECT_FALSE(plug.LoadPresetFile(fifo.c_str(), &name, false, true, false, nullptr));
  std::filesystem::remove_all(folder);
}

// Closing tags inside markup that the parser skips (comments, CDATA, processing instructions,
// declarations) must not hide the nesting that follows: as the state text or as a preset file (the
// default preset is read at every creation), such a document is refused unparsed.
TEST(StateXml, MarkupThatHidesNestingIsRefused)
{
  const std::string depth = Nested("<Param>", 200000);
  const std::string hostile[] = {
    "<!--" + Nested("</Param>", 200000) + "-->" + depth,
    "<![CDATA[" + Nested("</Param>", 200000) + "]]>" + depth,
    "<?skip " + Nested("</", 200000) + "?>" + depth,
    "<!ENTITY " + Nested("</", 200000) + ">" + depth,
  };
  const std::string path = TempFolder() + "/hostile.zvp";
  Vantorelix plug;
  const std::vector<double> before = Values(plug);
  WDL_String name;
  for (const std::string& params : hostile)
  {
    SCOPED_TRACE(params.substr(0, 12));
    PresetDoc doc;
    doc.params = params;
    EXPECT_EQ(plug.ReadStateXml(plug, StateText(doc.Text()), 0), 0);
    WriteFile(path, doc.Text());
    EXPECT_FALSE(plug.LoadPresetFile(path.c_str(), &name, false, true, false, nullptr));
  }
  EXPECT_EQ(Values(plug), before);
  std::filesystem::remove(path);

  // Tags inside a comment are no parameters, and the document around them still reads.
  PresetDoc doc;
  doc.params = "<!-- <Param name=\"PreGain\" val=\"9\"/> --><Param name=\"PreGain\" val=\"4.5\"/>";
  const ByteChunk chunk = StateText(doc.Text());
  EXPECT_EQ(plug.ReadStateXml(plug, chunk, 0), chunk.Size());
  EXPECT_EQ(plug.GetParam(kPreGain)->Value(), 4.5);
}

// A text that ends inside a character must not take the parser past its end; an 8-bit text, as
// versions that copied names from Latin-1 files wrote it, reads as Latin-1.
TEST(StateXml, TextThatIsNotUtf8)
{
  Vantorelix plug;
  const std::vector<double> before = Values(plug);
  for (const char* cut : {"<a>x\xF0", "<a>x\xE2\x82", "<a>\xC3"})
  {
    const ByteChunk chunk = StateText(cut);
    EXPECT_EQ(plug.ReadStateXml(plug, chunk, 0), 0) << cut;
  }
  EXPECT_EQ(Values(plug), before);

  PresetDoc doc;
  doc.presetOpen = "<Preset name=\"Caf\xE9\">";
  const ByteChunk latin1 = StateText(doc.Text());
  ASSERT_EQ(plug.ReadStateXml(plug, latin1, 0), latin1.Size());
  EXPECT_STREQ(plug.PresetSlotName(0), "Caf\xC3\xA9");
  EXPECT_EQ(plug.GetParam(kPreGain)->Value(), 4.5);
}
