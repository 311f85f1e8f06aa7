// An editor opened on a stored state whose editor settings are odd, as a damaged or hand-edited
// session file holds them: it opens at a size and scale the editor can have, and draws.

#include "tests/layout/EditorFixture.h"

#include "framework/ByteChunk.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace layout_test;

namespace {

struct Stored
{
  const char* param;
  const char* value;
};

// Writes the value text in place of the stored one, padded with spaces to the same length so that
// the chunk's sizes stay right (the reader ignores what follows a number).
::testing::AssertionResult Replace(ByteChunk& chunk, const std::string& key, const std::string& value)
{
  uint8_t* begin = chunk.GetData();
  uint8_t* end = begin + chunk.Size();
  uint8_t* at = std::search(begin, end, key.begin(), key.end());
  if (at == end)
    return ::testing::AssertionFailure() << "no " << key;
  at += key.size();
  uint8_t* close = std::find(at, end, '"');
  if (static_cast<size_t>(close - at) < value.size())
    return ::testing::AssertionFailure() << value << " is longer than the stored text";
  std::fill(at, close, ' ');
  std::memcpy(at, value.data(), value.size());
  return ::testing::AssertionSuccess();
}

struct Case
{
  const char* name;
  std::vector<Stored> values;
  int width, height;
  float scale;
};

class OddState : public ::testing::TestWithParam<Case>
{
};

}  // namespace

TEST_P(OddState, OpensAnEditorOfValidSizeThatDraws)
{
  const Case& c = GetParam();
  ByteChunk chunk;
  {
    MeterEditor source;
    ASSERT_TRUE(source.WriteState(chunk));
  }
  for (const Stored& s : c.values)
    ASSERT_TRUE(Replace(chunk, std::string("<Param name=\"") + s.param + "\" val=\"", s.value));

  MeterEditor plug;
  ASSERT_GT(plug.ReadState(chunk, 0), 0) << c.name;
  vtest::HeadlessGraphics& ui = plug.OpenAsStored();
  EXPECT_EQ(ui.Width(), c.width) << c.name;
  EXPECT_EQ(ui.Height(), c.height) << c.name;
  EXPECT_FLOAT_EQ(ui.GetDrawScale(), c.scale) << c.name;
  ui.DrawFullFrame();
  // The right end of the top bar is drawn where the window ends: nothing was cut off.
  const auto bar = ui.Pixel(static_cast<int>((static_cast<float>(c.width) - 6.f) * c.scale),
                            static_cast<int>(30 * c.scale));
  EXPECT_NEAR(bar[0], 38, 3) << c.name;
  EXPECT_TRUE(ui.WritePNG(vtest::PicturePath((std::string("odd-state-") + c.name + ".png").c_str())));
}

// Values beyond a parameter's range are clamped to it (not-a-number to its minimum); the full
// editor is never narrower than the base editor.
INSTANTIATE_TEST_SUITE_P(
  Settings, OddState,
  ::testing::Values(
    Case{"zero_size", {{"GUI Width", "0"}, {"GUI Height", "0"}}, 832, 446, 1.f},
    Case{"narrow_full_layout", {{"GUI Width", "400"}}, 832, 446, 1.f},
    Case{"enormous_size", {{"GUI Width", "1e300"}, {"GUI Height", "1e9"}}, 2496, 1338, 1.f},
    Case{"size_not_a_number", {{"GUI Width", "nan"}, {"GUI Height", "inf"}}, 832, 1338, 1.f},
    Case{"scale_zero", {{"GUI Scale", "0"}}, 832, 446, 0.5f},
    Case{"scale_negative", {{"GUI Scale", "-4"}}, 832, 446, 0.5f},
    Case{"scale_huge", {{"GUI Scale", "1e300"}}, 832, 446, 3.f},
    Case{"scale_not_a_number", {{"GUI Scale", "nan"}}, 832, 446, 0.5f},
    Case{"unknown_layout_and_page", {{"GUI Layout", "7"}, {"Setup", "1"}, {"SetupPage", "99"}}, 832, 446, 1.f},
    Case{"negative_page", {{"Setup", "1"}, {"SetupPage", "-3"}}, 832, 446, 1.f},
    Case{"graph_time_scale_beyond_the_table", {{"DisplayMode", "1"}, {"Graph Timescale", "1e9"}}, 832, 446, 1.f},
    Case{"graph_time_scale_negative", {{"DisplayMode", "1"}, {"Graph Timescale", "-2"}}, 832, 446, 1.f},
    Case{"scale_levels_reversed",
         {{"LM Max Level", "-60"}, {"LM Min Level", "0"}, {"Peak MMax Level", "-60"}},
         832,
         446,
         1.f},
    Case{
      "colours_out_of_range",
      {{"LMC1", "-1"}, {"PKC6", "nan"}, {"RVC24", "1e12"}, {"RVC12", "-99999999"}, {"Setup", "1"}, {"SetupPage", "4"}},
      832,
      446,
      1.f}),
  [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(OddState, PresetNameOfInvalidUtf8IsShownAsText)
{
  ByteChunk chunk;
  {
    MeterEditor source;
    ASSERT_TRUE(source.WriteState(chunk));
  }
  // The same four bytes' room as "Init": a lone lead byte, a stray continuation, two bytes UTF-8
  // never uses.
  const std::string key = "<Preset name=\"";
  uint8_t* begin = chunk.GetData();
  uint8_t* at = std::search(begin, begin + chunk.Size(), key.begin(), key.end());
  ASSERT_NE(at, begin + chunk.Size());
  const uint8_t bad[] = {0xC3, 0x28, 0xFF, 0xFE};
  std::memcpy(at + key.size(), bad, sizeof bad);

  MeterEditor plug;
  ASSERT_GT(plug.ReadState(chunk, 0), 0);
  vtest::HeadlessGraphics& ui = plug.OpenAsStored();
  ui.DrawFullFrame();
  // Read as Latin-1, every byte is one character of valid UTF-8.
  EXPECT_STREQ(plug.GetPreset(0)->mName, "\xC3\x83(\xC3\xBF\xC3\xBE");
}

// The editor's size at its last close is remembered for the next open; a state restored while it
// was closed holds other settings, and the editor opens at those, as its parameters show them.
TEST(StoredState, EditorReopensAtTheRestoredScale)
{
  ByteChunk chunk;
  {
    Vantorelix source;
    ASSERT_TRUE(source.WriteState(chunk));
  }
  Vantorelix plug;
  plug.OpenWindow(nullptr);
  plug.ParameterChanged(kActionMinimumGuiScale, iplug::kEditor, -1);
  plug.IdleTick();
  ASSERT_FLOAT_EQ(plug.GetUI()->GetDrawScale(), 0.5f);
  plug.CloseWindow();

  ASSERT_GT(plug.ReadState(chunk, 0), 0);
  plug.OpenWindow(nullptr);
  const IGraphics& ui = *plug.GetUI();
  EXPECT_EQ(plug.GetParam(kGuiScale)->Value(), 1.0);
  EXPECT_FLOAT_EQ(ui.GetDrawScale(), 1.f);
  EXPECT_EQ(ui.Width(), 832);
  EXPECT_EQ(ui.Height(), 446);
  plug.CloseWindow();
}
