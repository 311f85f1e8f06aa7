#include "ReportsFixture.h"

#include <sys/stat.h>

using namespace reports_test;

namespace {

class ColorFilesTest : public ReportsTest
{
protected:
  WDL_String File(const char* name, const std::string& text)
  {
    WriteFile(Path(name), text);
    return WDL_String(Path(name).c_str());
  }
  std::array<uint32_t, kMeterColorCount>& MeterA() { return plug.Settings().meterColorsA.packed; }
  std::array<uint32_t, kMeterColorCount>& MeterB() { return plug.Settings().meterColorsB.packed; }
  ReadoutColorSet& Readout() { return plug.Settings().readoutColors; }
};

TEST_F(ColorFilesTest, SaveWritesTheFileFormat)
{
  for (int i = 0; i < kMeterColorCount; ++i)
    MeterA()[i] = 0x0A0B00 + i;
  const WDL_String meterPath(Path("a.mcls").c_str());
  plug.SaveMeterColorsA(meterPath);
  EXPECT_EQ(ReadFile(meterPath.Get()), "mcls\n01\n#0A0B00\n#0A0B01\n#0A0B02\n#0A0B03\n#0A0B04\n#0A0B05\n");

  // The read-out file keeps black places for two colours without members, and each group's
  // value colour comes first.
  Readout().base = 0x123456;
  for (int g = 0; g < kReadoutGroupCount; ++g)
    for (int k = 0; k < kReadoutGroupSize; ++k)
      Readout().groups[g][k] = 0xAB0000 + 0x10 * (g + 2) + (k + 1);
  const WDL_String readoutPath(Path("r.gcls").c_str());
  plug.SaveReadoutColors(readoutPath);
  std::string expected = "gcls\n01\n#000000\n#123456\n#000000\n";
  for (int g = 2; g <= 7; ++g)
    for (int k : {4, 1, 2, 3})
    {
      char line[32];
      std::snprintf(line, sizeof line, "#AB00%d%d\n", g, k);
      expected += line;
    }
  EXPECT_EQ(ReadFile(readoutPath.Get()), expected);
}

TEST_F(ColorFilesTest, EachSetRoundTrips)
{
  const WDL_String meterPath(Path("m.mcls").c_str());
  const WDL_String readoutPath(Path("r.gcls").c_str());
  for (int i = 0; i < kMeterColorCount; ++i)
  {
    MeterA()[i] = 0xF1E2D3 - 0x010101 * i;
    MeterB()[i] = 0x102030 * (i + 1);
  }
  Readout().base = 0xFEDCBA;
  for (int g = 0; g < kReadoutGroupCount; ++g)
    for (int k = 0; k < kReadoutGroupSize; ++k)
      Readout().groups[g][k] = 0x9A0000 + 0x100 * g + k;
  const MeterSettings saved = plug.Settings();

  plug.SaveMeterColorsA(meterPath);
  plug.SaveReadoutColors(readoutPath);
  MeterA().fill(0);
  Readout() = ReadoutColorSet{};
  plug.LoadMeterColorsA(meterPath);
  plug.LoadReadoutColors(readoutPath);
  EXPECT_EQ(MeterA(), saved.meterColorsA.packed);
  EXPECT_EQ(Readout().base, saved.readoutColors.base);
  EXPECT_EQ(Readout().groups, saved.readoutColors.groups);

  // The meter sets share their tag: a file of set B loads into set A.
  plug.SaveMeterColorsB(meterPath);
  plug.LoadMeterColorsA(meterPath);
  EXPECT_EQ(MeterA(), saved.meterColorsB.packed);
  MeterB().fill(0);
  plug.LoadMeterColorsB(meterPath);
  EXPECT_EQ(MeterB(), saved.meterColorsB.packed);
}

TEST_F(ColorFilesTest, MeterFileLoadsDefensively)
{
  const std::array<uint32_t, kMeterColorCount> before{0x111111, 0x222222, 0x333333, 0x444444, 0x555555, 0x666666};
  struct Case
  {
    const char* name;
    std::string text;
    std::array<uint32_t, kMeterColorCount> expected;
  };
  const Case cases[] = {
    {"version 07 and extra tag bytes",
     "mclsXYZ\n07\n#AA0001\n#AA0002\n#AA0003\n#AA0004\n#AA0005\n#AA0006\n",
     {0xAA0001, 0xAA0002, 0xAA0003, 0xAA0004, 0xAA0005, 0xAA0006}},
    {"three colour lines",
     "mcls\n01\n#AA0001\n#aa0002\n#AA0003\n",
     {0xAA0001, 0xAA0002, 0xAA0003, 0x444444, 0x555555, 0x666666}},
    {"damaged colours keep theirs, lines without # are black",
     "mcls\n01\nAA0001\n#AA02\n\n#AA00GG\n#AA0005 x\n#AA0006 \r\n",
     {0x000000, 0x222222, 0x000000, 0x444444, 0x555555, 0xAA0006}},
    {"read-out tag", "gcls\n01\n#AA0001\n#AA0002\n#AA0003\n#AA0004\n#AA0005\n#AA0006\n", before},
    {"no version line", "mcls\n#AA0001\n#AA0002\n#AA0003\n#AA0004\n#AA0005\n#AA0006\n", before},
    {"tag only", "mcls\n", before},
    {"empty file", "", before},
    {"short tag", "mcl\n01\n#AA0001\n", before},
    {"a long line is one line",
     "mcls\n01\n#AA0001" + std::string(3000, ' ') + "\n#AA0002\n#AA0003\n#AA0004\n",
     {0xAA0001, 0xAA0002, 0xAA0003, 0xAA0004, 0x555555, 0x666666}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    MeterA() = before;
    plug.LoadMeterColorsA(File("in.mcls", c.text));
    EXPECT_EQ(MeterA(), c.expected);
  }
  MeterA() = before;
  plug.LoadMeterColorsA(WDL_String(Path("missing.mcls").c_str()));
  EXPECT_EQ(MeterA(), before);
  // A FIFO is no colour file: nothing waits for a writer.
  ASSERT_EQ(mkfifo(Path("fifo.mcls").c_str(), 0600), 0);
  plug.LoadMeterColorsA(WDL_String(Path("fifo.mcls").c_str()));
  EXPECT_EQ(MeterA(), before);
}

TEST_F(ColorFilesTest, ReadoutLoaderRefusesMeterFilesAndStopsAtTheEnd)
{
  const ReadoutColorSet before = Readout();
  plug.LoadReadoutColors(File("m.mcls", "mcls\n01\n#AA0001\n#AA0002\n#AA0003\n"));
  EXPECT_EQ(Readout().base, before.base);
  EXPECT_EQ(Readout().groups, before.groups);

  // The black places are dropped; the file ends after the first group's value and first
  // background colour.
  plug.LoadReadoutColors(File("r.gcls", "gcls\n01\n#FFFFFF\n#010203\n#FFFFFF\n#0000A4\n#0000A1\n"));
  EXPECT_EQ(Readout().base, 0x010203u);
  EXPECT_EQ(Readout().groups[0][3], 0x0000A4u);
  EXPECT_EQ(Readout().groups[0][0], 0x0000A1u);
  EXPECT_EQ(Readout().groups[0][1], before.groups[0][1]);
  EXPECT_EQ(Readout().groups[5], before.groups[5]);
}

}  // namespace
