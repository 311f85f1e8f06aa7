#include "TestPlugin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using iplug::IPlugAPIBase;
using iplug::IPluginConfig;

namespace {

// Two parameters: "Gain" -10..10 set to 5 (normalised 0.75) and "On" (true).
class PresetPlugin : public IPlugAPIBase
{
public:
  PresetPlugin(int nPresets, bool chunks) : IPlugAPIBase(Config(nPresets, chunks), iplug::kAPIAU)
  {
    GetParam(0)->DefineDouble("Gain", 5.0, -10.0, 10.0, 0.1);
    GetParam(1)->DefineBool("On", true);
  }
  int presetsChanged = 0;
  void NotifyHostPresetChanged() override { ++presetsChanged; }

private:
  static IPluginConfig Config(int nPresets, bool chunks)
  {
    IPluginConfig config = testing_support::TestConfig(2);
    config.nPresets = nPresets;
    config.plugDoesChunks = chunks;
    return config;
  }
};

class Bytes
{
public:
  Bytes& Tag(const char* tag)
  {
    for (int i = 0; i < 4; ++i)
      bytes.push_back(static_cast<uint8_t>(tag[i]));
    return *this;
  }
  Bytes& BE(uint32_t v)
  {
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<uint8_t>(v >> shift));
    return *this;
  }
  Bytes& Float(float f)
  {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return BE(v);
  }
  Bytes& Raw(const void* data, size_t n)
  {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
    return *this;
  }
  Bytes& Zeros(size_t n)
  {
    bytes.insert(bytes.end(), n, 0);
    return *this;
  }
  Bytes& Name28(const std::string& name)
  {
    Raw(name.data(), name.size());
    return Zeros(28 - name.size());
  }
  Bytes& LE(int32_t v) { return Raw(&v, 4); }
  Bytes& Doubles(double a, double b)
  {
    Raw(&a, 8);
    return Raw(&b, 8);
  }
  // The start every file and program shares.
  Bytes& Start(uint32_t byteSize, const char* magic, uint32_t version)
  {
    return Tag("CcnK").BE(byteSize).Tag(magic).BE(version).Tag("ZV65").BE(3130);
  }
  std::vector<uint8_t> bytes;
};

class TempFolder
{
public:
  TempFolder()
  {
    char pattern[] = "/tmp/vantorelix-presets-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempFolder() { std::filesystem::remove_all(path); }
  std::string File(const char* name) const { return (path / name).string(); }
  std::filesystem::path path;
};

std::vector<uint8_t> ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes)
{
  std::ofstream(path, std::ios::binary)
    .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(Presets, EmptySlotsBecomeNumberedUserPresets)
{
  PresetPlugin plugin(4, false);
  plugin.GetPreset(0)->SetName("my user preset");
  plugin.GetPreset(1)->SetName("user preset 1");
  ASSERT_TRUE(plugin.LoadPresetSlot(3));
  EXPECT_STREQ(plugin.PresetSlotName(3), "user preset 3");
  EXPECT_EQ(plugin.GetCurrentPresetIdx(), 3);
  EXPECT_EQ(plugin.GetPreset(3)->mChunk.Size(), 16);
  EXPECT_STREQ(plugin.PresetSlotName(9), "");
  EXPECT_FALSE(plugin.LoadPresetSlot(9));
  EXPECT_TRUE(plugin.LoadPresetSlotByName("user preset 3"));
  EXPECT_FALSE(plugin.LoadPresetSlotByName(""));

  plugin.DropEmptyPresetSlots();
  EXPECT_EQ(plugin.NPresets(), 1);

  // An empty slot that still holds earlier bytes, as a bank that empties a slot leaves it, holds
  // only the current state once filled.
  PresetPlugin emptied(1, false);
  emptied.GetPreset(0)->mChunk.PutStr("earlier state");
  ASSERT_TRUE(emptied.LoadPresetSlot(0));
  EXPECT_EQ(emptied.GetPreset(0)->mChunk.Size(), 16);
}

TEST(Presets, Builders)
{
  PresetPlugin plugin(5, false);
  plugin.MakePresetFromNamedParams("named", {});
  plugin.MakePreset("values", {-2.0, 0.0});
  plugin.MakePresetFromNamedParams("pairs", {{1, 0.0}, {7, 3.0}});
  const char* blob = "AQID";  // bytes 1, 2, 3
  plugin.MakePresetFromBlob("three", blob, 3);
  plugin.MakePresetFromBlob("two", blob, 2);
  plugin.MakePresetFromBlob("no slot left", blob, 5);

  const auto doubles = [&](int slot) {
    std::vector<double> v(2);
    std::memcpy(v.data(), plugin.GetPreset(slot)->mChunk.GetData(), 16);
    return v;
  };
  EXPECT_EQ(doubles(0), (std::vector<double>{5.0, 1.0}));
  EXPECT_EQ(doubles(1), (std::vector<double>{-2.0, 0.0}));
  EXPECT_EQ(doubles(2), (std::vector<double>{5.0, 0.0}));
  const ByteChunk& three = plugin.GetPreset(3)->mChunk;
  ASSERT_EQ(three.Size(), 3);
  EXPECT_EQ(three.GetData()[2], 3);
  ASSERT_EQ(plugin.GetPreset(4)->mChunk.Size(), 2);
  EXPECT_STREQ(plugin.PresetSlotName(4), "two");

  PresetPlugin padded(1, false);
  padded.MakePresetFromBlob("five", blob, 5);
  const ByteChunk& five = padded.GetPreset(0)->mChunk;
  ASSERT_EQ(five.Size(), 5);
  EXPECT_EQ(five.GetData()[2], 3);
  EXPECT_EQ(five.GetData()[4], 0);
}

TEST(Presets, BankRoundTripAndShortBank)
{
  PresetPlugin plugin(3, true);
  plugin.GetPreset(0)->SetName("first");
  plugin.GetParam(0)->Set(-4.0);
  plugin.LoadPresetSlot(1);  // becomes "user preset 1" with the current state
  ByteChunk bank;
  ASSERT_TRUE(plugin.WritePresetBank(bank));
  const int nameRecords = (4 + 5 + 1) + (4 + 13 + 1) + (4 + 5 + 1);
  EXPECT_EQ(bank.Size(), nameRecords + 16);

  PresetPlugin other(3, true);
  other.LoadPresetSlot(1);  // restored after the read: an unfilled current slot would be filled
  EXPECT_EQ(other.ReadPresetBank(bank, 0), bank.Size());
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_STREQ(other.PresetSlotName(i), plugin.PresetSlotName(i));
    EXPECT_EQ(other.GetPreset(i)->mInitialized, plugin.GetPreset(i)->mInitialized);
  }
  EXPECT_EQ(other.GetParam(0)->Value(), -4.0);

  // A name in an 8-bit character set is read as Latin-1, as from a preset file, and stays the
  // same through every later save and load.
  ByteChunk latin;
  const uint8_t unfilled = 0;
  for (const char* name : {"Caf\xe9", "other"})
  {
    latin.PutStr(name);
    latin.Put(&unfilled);
  }
  PresetPlugin reread(2, true);
  reread.LoadPresetSlot(1);  // the current slot, filled when the read ends
  ASSERT_EQ(reread.ReadPresetBank(latin, 0), latin.Size());
  EXPECT_STREQ(reread.PresetSlotName(0), "Caf\xc3\xa9");
  for (int round = 0; round < 2; ++round)
  {
    ByteChunk saved;
    ASSERT_TRUE(reread.WritePresetBank(saved));
    ASSERT_EQ(reread.ReadPresetBank(saved, 0), saved.Size());
    EXPECT_STREQ(reread.PresetSlotName(0), "Caf\xc3\xa9");
  }

  ByteChunk cut;
  cut.PutBytes(bank.GetData(), 10 + 6);  // ends inside the second name
  PresetPlugin third(3, true);
  third.LoadPresetSlot(1);
  third.GetParam(0)->Set(8.0);
  EXPECT_EQ(third.ReadPresetBank(cut, 0), -1);
  EXPECT_STREQ(third.PresetSlotName(1), "first");
  EXPECT_EQ(third.GetParam(0)->Value(), 5.0);  // the current slot is restored all the same
}

TEST(Presets, FxpBothFormsMatchTheirLayout)
{
  TempFolder folder;
  for (bool chunks : {false, true})
  {
    SCOPED_TRACE(chunks ? "chunk form" : "parameter form");
    PresetPlugin plugin(1, chunks);
    plugin.GetPreset(0)->SetName("A preset name of forty characters, long.");
    const std::string path = folder.File("preset.fxp");
    ASSERT_TRUE(plugin.SavePresetAsFxp(path.c_str()));

    Bytes expected;
    if (chunks)
    {
      Bytes block;
      block.Tag("tffp").LE(65536).Doubles(5.0, 1.0);
      expected.Start(24 + 60, "FPCh", 1)
        .BE(2)
        .Name28("A preset name of forty char")
        .BE(24)
        .Raw(block.bytes.data(), block.bytes.size());
    }
    else
    {
      expected.Start(0, "FxCk", 1).BE(2).Name28("A preset name of forty char").Float(0.75f).Float(1.0f);
    }
    EXPECT_EQ(ReadAll(path), expected.bytes);

    PresetPlugin reader(1, chunks);
    reader.GetParam(0)->Set(-1.0);
    reader.GetParam(1)->Set(0.0);
    ASSERT_TRUE(reader.LoadPresetFromFxp(path.c_str()));
    EXPECT_DOUBLE_EQ(reader.GetParam(0)->Value(), 5.0);
    EXPECT_EQ(reader.GetParam(1)->Value(), 1.0);
    EXPECT_STREQ(reader.PresetSlotName(0), "A preset name of forty char");
    EXPECT_EQ(reader.presetsChanged, 1);
  }
}

// Names are UTF-8 wherever they go: a cut never splits a character, and the 8-bit name of a
// file that is not UTF-8 is read as Latin-1.
TEST(Presets, NamesStayUtf8)
{
  iplug::IPreset preset;
  std::string accents;
  for (int i = 0; i < 300; ++i)
    accents += "\xC3\xA9";
  preset.SetName(accents.c_str());
  EXPECT_EQ(std::string(preset.mName), accents.substr(0, 254));

  TempFolder folder;
  const std::string path = folder.File("named.fxp");
  PresetPlugin plugin(1, false);
  plugin.GetPreset(0)->SetName("Twenty-six characters long\xC3\xA9");
  ASSERT_TRUE(plugin.SavePresetAsFxp(path.c_str()));
  std::vector<uint8_t> file = ReadAll(path);
  PresetPlugin reader(1, false);
  ASSERT_TRUE(reader.LoadPresetFromFxp(path.c_str()));
  EXPECT_STREQ(reader.PresetSlotName(0), "Twenty-six characters long");

  const char latin1[] = "Caf\xE9";
  std::copy(latin1, latin1 + sizeof latin1, file.begin() + 28);
  WriteAll(path, file);
  ASSERT_TRUE(reader.LoadPresetFromFxp(path.c_str()));
  EXPECT_STREQ(reader.PresetSlotName(0), "Caf\xC3\xA9");
}

TEST(Presets, FxbBothFormsMatchTheirLayout)
{
  TempFolder folder;
  for (bool chunks : {false, true})
  {
    SCOPED_TRACE(chunks ? "chunk form" : "parameter form");
    PresetPlugin plugin(2, chunks);
    plugin.MakePresetFromNamedParams("Loud", {{0, 10.0}});
    plugin.MakePresetFromNamedParams("Quiet", {{0, -10.0}, {1, 0.0}});
    const std::string path = folder.File("bank.fxb");
    ASSERT_TRUE(plugin.SaveBankAsFxb(path.c_str()));

    Bytes expected;
    if (chunks)
    {
      Bytes block;
      block.Tag("tffp").LE(65536);
      block.LE(4).Raw("Loud", 4).Zeros(0).Raw("\1", 1).Doubles(10.0, 1.0);
      block.LE(5).Raw("Quiet", 5).Raw("\1", 1).Doubles(-10.0, 0.0);
      expected.Start(static_cast<uint32_t>(block.bytes.size()) + 160, "FBCh", 2)
        .BE(2)
        .BE(0)
        .Zeros(124)
        .BE(static_cast<uint32_t>(block.bytes.size()))
        .Raw(block.bytes.data(), block.bytes.size());
    }
    else
    {
      expected.Start(0, "FxBk", 2).BE(2).BE(0).Zeros(124);
      expected.Start(0, "FxCk", 1).BE(2).Name28("Loud").Float(1.0f).Float(1.0f);
      expected.Start(0, "FxCk", 1).BE(2).Name28("Quiet").Float(0.0f).Float(0.0f);
    }
    EXPECT_EQ(ReadAll(path), expected.bytes);

    PresetPlugin reader(2, chunks);
    ASSERT_TRUE(reader.LoadBankFromFxb(path.c_str()));
    EXPECT_STREQ(reader.PresetSlotName(1), "Quiet");
    EXPECT_TRUE(reader.GetPreset(1)->mInitialized);
    EXPECT_EQ(reader.GetCurrentPresetIdx(), 0);
    EXPECT_DOUBLE_EQ(reader.GetParam(0)->Value(), 10.0);  // current program 0 restored
  }
}

TEST(Presets, DamagedOrForeignFilesChangeNothing)
{
  TempFolder folder;
  PresetPlugin source(2, true);
  source.LoadPresetSlot(0);
  const std::string fxp = folder.File("good.fxp"), fxb = folder.File("good.fxb");
  ASSERT_TRUE(source.SavePresetAsFxp(fxp.c_str()));
  ASSERT_TRUE(source.SaveBankAsFxb(fxb.c_str()));

  const auto variant = [&](const std::string& from, const char* name, auto change) {
    std::vector<uint8_t> bytes = ReadAll(from);
    change(bytes);
    const std::string path = folder.File(name);
    WriteAll(path, bytes);
    return path;
  };
  const std::string cases[] = {
    variant(fxp, "foreign.fxp", [](auto& b) { b[19] = 'X'; }),  // another plug-in's id
    variant(fxp, "short-state.fxp", [](auto& b) { b.resize(b.size() - 4); }),
    variant(fxp, "header-only.fxp", [](auto& b) { b.resize(20); }),
    variant(fxp, "unknown-form.fxp", [](auto& b) { b[8] = 'Q'; }),
    variant(fxb, "short-bank.fxb", [](auto& b) { b.resize(b.size() - 4); }),
    folder.File("missing.fxp"),
  };
  for (const std::string& path : cases)
  {
    SCOPED_TRACE(path);
    PresetPlugin plugin(2, true);
    plugin.GetPreset(0)->SetName("kept");
    plugin.GetParam(0)->Set(-7.0);
    const bool isBank = path.ends_with(".fxb");
    EXPECT_FALSE(isBank ? plugin.LoadBankFromFxb(path.c_str()) : plugin.LoadPresetFromFxp(path.c_str()));
    EXPECT_EQ(plugin.GetParam(0)->Value(), -7.0);
    EXPECT_STREQ(plugin.PresetSlotName(0), "kept");
    EXPECT_FALSE(plugin.GetPreset(1)->mInitialized);
    EXPECT_EQ(plugin.presetsChanged, 0);
  }

  // A parameter-form file that ends early sets only what it holds.
  PresetPlugin params(1, false);
  const std::string plain = folder.File("plain.fxp");
  params.SavePresetAsFxp(plain.c_str());
  const std::string cut = variant(plain, "cut.fxp", [](auto& b) { b.resize(b.size() - 4); });
  PresetPlugin reader(1, false);
  reader.GetParam(0)->Set(0.0);
  reader.GetParam(1)->Set(0.0);
  EXPECT_TRUE(reader.LoadPresetFromFxp(cut.c_str()));
  EXPECT_DOUBLE_EQ(reader.GetParam(0)->Value(), 5.0);
  EXPECT_EQ(reader.GetParam(1)->Value(), 0.0);
}

TEST(Presets, EveryOperationToleratesAnEmptyList)
{
  TempFolder folder;
  PresetPlugin plugin(2, true);
  plugin.DropEmptyPresetSlots();
  ASSERT_EQ(plugin.NPresets(), 0);
  EXPECT_FALSE(plugin.LoadPresetSlot(0));
  plugin.StoreStateInCurrentPreset("x");
  plugin.MakePresetsFromState("x", 2);
  plugin.MakePreset("x", {1.0, 1.0});
  ByteChunk bank;
  EXPECT_TRUE(plugin.WritePresetBank(bank));
  EXPECT_EQ(bank.Size(), 0);
  EXPECT_EQ(plugin.ReadPresetBank(bank, 0), 0);
  const std::string fxp = folder.File("p.fxp"), fxb = folder.File("b.fxb"), dump = folder.File("d.txt");
  EXPECT_TRUE(plugin.SavePresetAsFxp(fxp.c_str()));
  EXPECT_TRUE(plugin.SaveBankAsFxb(fxb.c_str()));
  EXPECT_TRUE(plugin.LoadPresetFromFxp(fxp.c_str()));
  EXPECT_TRUE(plugin.LoadBankFromFxb(fxb.c_str()));
  plugin.DumpPresetBlobSource(dump.c_str());
  const std::vector<uint8_t> text = ReadAll(dump);
  EXPECT_EQ(std::string(text.begin(), text.end()), "MakePresetFromBlob(\"\", \"\", 0);\n");
}

TEST(Presets, SourceDumps)
{
  TempFolder folder;
  PresetPlugin plugin(1, false);
  plugin.MakePresetFromNamedParams("Init", {{0, -2.5}});
  plugin.LoadPresetSlot(0);
  const std::string path = folder.File("preset.txt");
  plugin.DumpPresetSource(path.c_str());
  const char* names[] = {"kGain", "kOn"};
  plugin.DumpPresetNamedSource(path.c_str(), names);
  plugin.DumpPresetBlobSource(path.c_str());
  const std::vector<uint8_t> text = ReadAll(path);
  EXPECT_EQ(std::string(text.begin(), text.end()),
            "MakePreset(\"Init\", -2.500000, true);\n"
            "  MakePresetFromNamedParams(\"Init\", 2,\n    kGain, -2.500000,\n    kOn, true);\n"
            "MakePresetFromBlob(\"Init\", \"AAAAAAAABMAAAAAAAADwPw==\", 16);\n");
}

}  // namespace
