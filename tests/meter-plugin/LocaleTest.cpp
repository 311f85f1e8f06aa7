#include "PluginFixture.h"

#include <clocale>
#include <cstdlib>

using namespace plugin_test;

namespace {

// A process locale whose decimal separator is a comma, made for the test when the system has
// the tools; restored to "C" afterwards.
class CommaLocale
{
public:
  explicit CommaLocale(const std::string& folder)
  {
    const std::string command = "localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
      return;
    setenv("LOCPATH", folder.c_str(), 1);
    active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale()
  {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
  }

  bool active = false;
};

}  // namespace

TEST(NumberLocale, DocumentsAndDumpIgnoreTheProcessLocale)
{
  const std::string folder = TempFolder();
  CommaLocale locale(folder);
  if (!locale.active)
    GTEST_SKIP() << "no locale with a decimal comma could be made";
  char probe[16];
  std::snprintf(probe, sizeof(probe), "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5");

  Vantorelix plug;
  plug.GetParam(kLoudness_Target)->Set(-23.5);
  ByteChunk chunk;
  ASSERT_TRUE(plug.WriteStateXml(plug, chunk));
  EXPECT_NE(Bytes(chunk).find("val=\"-23.500000\""), std::string::npos);

  PresetDoc doc;
  doc.params = "<Param name=\"PreGain\" val=\"4.25\"/>";
  const ByteChunk text = StateText(doc.Text());
  ASSERT_GT(plug.ReadStateXml(plug, text, 0), 0);
  EXPECT_EQ(plug.GetParam(kPreGain)->Value(), 4.25);

  plug.DumpPresetsAsSource(PresetParamKeys, folder.c_str());
  EXPECT_NE(ReadFile(folder + "/preset.txt").find("kLoudness_Target,\t\t\t\t-23.5,"), std::string::npos);
}
