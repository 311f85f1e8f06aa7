#include "PluginFixture.h"

#include <atomic>
#include <random>
#include <thread>

using namespace plugin_test;

namespace {

uint32_t U32(const ByteChunk& chunk, int64_t pos)
{
  uint32_t value = 0;
  EXPECT_GE(chunk.Get(&value, static_cast<int>(pos)), 0) << pos;
  return value;
}

std::string Tag(const ByteChunk& chunk, int64_t pos)
{
  return Bytes(chunk).substr(static_cast<size_t>(pos), 4);
}

std::string HistoryBytes(const LoudnessHistory& history)
{
  return std::string(reinterpret_cast<const char*>(history.Data()), history.Size() * sizeof(LoudnessHistoryPoint));
}

ByteChunk StateOf(const Vantorelix& plug)
{
  ByteChunk chunk;
  EXPECT_TRUE(plug.WriteState(chunk));
  return chunk;
}

// The byte positions of a container written at position 0.
struct Layout
{
  explicit Layout(const ByteChunk& chunk) : text(U32(chunk, 28)), q(32 + text + (text & 1)) {}
  int64_t text;
  int64_t q;
};

}  // namespace

TEST(StateChunk, LayoutOfAnEmptyAndAnOddTextState)
{
  for (const char* slotName : {"A", "AB"})  // one of the two makes the text length odd
  {
    Vantorelix plug;
    plug.GetPreset(0)->SetName(slotName);
    const ByteChunk chunk = StateOf(plug);
    const Layout at(chunk);
    SCOPED_TRACE(at.text);
    EXPECT_EQ(chunk.Size(), at.text + (at.text & 1) + 52);
    EXPECT_EQ(Tag(chunk, 0), "RIFF");
    EXPECT_EQ(U32(chunk, 4), chunk.Size() - 8);
    EXPECT_EQ(U32(chunk, 8), 1u);
    EXPECT_EQ(Tag(chunk, 12), "ZVCM");
    EXPECT_EQ(Tag(chunk, 16), "ZVCS");
    EXPECT_EQ(U32(chunk, 20), at.text + 8);
    EXPECT_EQ(U32(chunk, 24), 1u);
    if (at.text & 1)
    {
      EXPECT_EQ(chunk.GetData()[32 + at.text], 0);
    }
    EXPECT_EQ(Tag(chunk, at.q), "ZVE0");
    EXPECT_EQ(U32(chunk, at.q + 4), 12u);
    EXPECT_EQ(U32(chunk, at.q + 8), 3u);
    EXPECT_EQ(U32(chunk, at.q + 12), 0u);
    EXPECT_EQ(U32(chunk, at.q + 16), 0u);
  }
}

TEST(StateChunk, ListsShorterThanFourPointsAreNotSaved)
{
  Vantorelix plug;
  FillHistory(plug.History(), 3, 1);
  FillHistory(plug.Memory(), 4, 10);
  const ByteChunk chunk = StateOf(plug);
  const Layout at(chunk);
  EXPECT_EQ(U32(chunk, at.q + 12), 0u);
  EXPECT_EQ(U32(chunk, at.q + 16), 4u);
  EXPECT_EQ(U32(chunk, at.q + 4), 12u + 896u);
  EXPECT_EQ(chunk.Size(), at.q + 20 + 896);
}

TEST(StateChunk, RoundTripWithHistoriesIsByteIdentical)
{
  Vantorelix source;
  source.GetParam(kLoudness_Target)->Set(-23.0);
  source.GetParam(kGraphScroll)->Set(0.0);  // the recall's measurement reset must leave it off
  FillHistory(source.History(), 1000, 3);
  FillHistory(source.Memory(), 7, 50);
  const ByteChunk chunk = StateOf(source);

  Vantorelix target;
  FillHistory(target.History(), 9, 99);
  EXPECT_EQ(target.ReadState(chunk, 0), chunk.Size());
  EXPECT_EQ(Values(target), Values(source));
  EXPECT_EQ(target.Settings().graph[kGraphScroll - kGraphTimescale], 0);
  EXPECT_EQ(HistoryBytes(target.History()), HistoryBytes(source.History()));
  EXPECT_EQ(HistoryBytes(target.Memory()), HistoryBytes(source.Memory()));
  EXPECT_EQ(Bytes(StateOf(target)), Bytes(chunk));

  // A container after other data is read from its own position.
  ByteChunk prefixed;
  prefixed.PutBytes("abc", 3);
  prefixed.PutChunk(chunk);
  Vantorelix again;
  EXPECT_EQ(again.ReadState(prefixed, 3), prefixed.Size());
  EXPECT_EQ(HistoryBytes(again.History()), HistoryBytes(source.History()));
}

TEST(StateChunk, PresetFormAndOtherHistoryChunks)
{
  Vantorelix plug;
  FillHistory(plug.History(), 6, 1);
  FillHistory(plug.Memory(), 5, 2);

  // The preset form restores the parameters and leaves both lists to the recall: its
  // "Channel Config" and "Timer Mode" restart the measurement, which empties the live history.
  Vantorelix other;
  iplug::IPreset record;
  other.MakePresetFromValues(record, "Loud", {{kPreGain, 12.0}});
  const ByteChunk& preset = record.mChunk;
  const Layout at(preset);
  EXPECT_EQ(preset.Size(), 32 + at.text + (at.text & 1));
  EXPECT_EQ(U32(preset, 4), preset.Size() - 8);
  EXPECT_EQ(plug.ReadState(preset, 0), preset.Size());
  EXPECT_EQ(plug.GetParam(kPreGain)->Value(), 12.0);
  EXPECT_STREQ(plug.PresetSlotName(0), "Loud");
  EXPECT_EQ(plug.History().Size(), 0u);
  EXPECT_EQ(plug.Memory().Size(), 5u);
  other.ReadState(preset, 0);

  // A history chunk of another version is skipped.
  ByteChunk version2 = StateOf(other);
  const Layout at2(version2);
  const uint32_t two = 2;
  std::memcpy(version2.GetData() + at2.q + 8, &two, 4);
  other.GetParam(kPreGain)->Set(-3.0);
  EXPECT_EQ(other.ReadState(version2, 0), at2.q + 12);
  EXPECT_EQ(other.GetParam(kPreGain)->Value(), 12.0);

  // No history points and five memory points: the history list ends up empty.
  Vantorelix memoryOnly;
  FillHistory(memoryOnly.Memory(), 5, 7);
  const ByteChunk chunk = StateOf(memoryOnly);
  EXPECT_EQ(plug.ReadState(chunk, 0), chunk.Size());
  EXPECT_EQ(plug.History().Size(), 0u);
  EXPECT_EQ(HistoryBytes(plug.Memory()), HistoryBytes(memoryOnly.Memory()));
}

TEST(StateChunk, PositionsAndHostileCounts)
{
  Vantorelix plug;
  ByteChunk small;
  small.PutBytes("RIF", 3);
  EXPECT_EQ(plug.ReadState(small, 0), 0);
  EXPECT_EQ(plug.ReadState(small, 2), 2);
  EXPECT_EQ(plug.ReadState(small, -1), -1);
  ByteChunk notRiff;
  notRiff.PutBytes("RIFX0000", 8);
  EXPECT_EQ(plug.ReadState(notRiff, 0), 0);

  Vantorelix source;
  FillHistory(source.History(), 5, 1);
  ByteChunk chunk = StateOf(source);
  EXPECT_EQ(plug.ReadState(chunk, 0), chunk.Size());

  // A RIFF size that no 32-bit position can reach is refused before anything changes.
  plug.GetParam(kPreGain)->Set(1.0);
  const uint32_t riffSize = 0xFFFFFFF0u;
  std::memcpy(chunk.GetData() + 4, &riffSize, 4);
  EXPECT_EQ(plug.ReadState(chunk, 0), -1);
  EXPECT_EQ(plug.GetParam(kPreGain)->Value(), 1.0);
}

// A container the reader cannot read whole is refused (-1), and the settings and both lists stay
// as they were: a container, form or text it does not know, or a history chunk whose counts run
// past its end or are negative.
TEST(StateChunk, UnreadableContainersAreRefusedWhole)
{
  Vantorelix source;
  source.GetParam(kPreGain)->Set(6.0);
  FillHistory(source.History(), 5, 1);
  FillHistory(source.Memory(), 4, 2);
  const ByteChunk original = StateOf(source);
  const Layout at(original);
  struct Case
  {
    const char* what;
    int64_t pos;
    const char* bytes;  // four bytes written at pos; null cuts the chunk there
  };
  const Case cases[] = {
    {"container version 2", 8, "\x02\0\0\0"},
    {"form ZVCX", 12, "ZVCX"},
    {"no text chunk", 16, "ZVCT"},
    {"text version 2", 24, "\x02\0\0\0"},
    {"history count past the end", at.q + 12, "\xFF\xFF\xFF\x7F"},
    {"negative history count", at.q + 12, "\xFB\xFF\xFF\xFF"},
    {"memory count past the end", at.q + 16 + 5 * 224, "\x05\0\0\0"},
    {"cut inside a history record", at.q + 16 + 224, nullptr},
    {"cut before the memory count", at.q + 16 + 5 * 224, nullptr},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    ByteChunk chunk = original;
    if (c.bytes)
      std::memcpy(chunk.GetData() + c.pos, c.bytes, 4);
    else
      chunk.Resize(static_cast<int>(c.pos));
    Vantorelix plug;
    plug.GetParam(kPreGain)->Set(-2.0);
    FillHistory(plug.History(), 4, 77);
    const auto history = HistoryBytes(plug.History());
    const auto values = Values(plug);
    EXPECT_EQ(plug.ReadState(chunk, 0), -1);
    EXPECT_EQ(Values(plug), values);
    EXPECT_TRUE(HistoryBytes(plug.History()) == history);
    EXPECT_EQ(plug.Memory().Size(), 0u);
  }
}

// Every refused chunk (result 0 or -1) must leave parameters and histories exactly as they were.
TEST(StateChunk, TruncatedAndBitFlippedChunksChangeNothingWhenRefused)
{
  Vantorelix source;
  source.GetParam(kLoudness_Target)->Set(-23.0);
  FillHistory(source.History(), 6, 1);
  FillHistory(source.Memory(), 4, 2);
  const ByteChunk original = StateOf(source);
  const Layout at(original);

  Vantorelix plug;
  FillHistory(plug.History(), 4, 77);
  const auto snapshot = [&] {
    return std::make_tuple(Values(plug), HistoryBytes(plug.History()), HistoryBytes(plug.Memory()),
                           std::string(plug.PresetSlotName(0)));
  };
  const auto before = snapshot();
  const ByteChunk fresh = StateOf(plug);
  int refused = 0;
  const auto check = [&](const ByteChunk& chunk, const std::string& what) {
    const int result = plug.ReadState(chunk, 0);
    if (result > 0)
    {
      ASSERT_EQ(plug.ReadState(fresh, 0), fresh.Size());  // back to the state before
      return;
    }
    ++refused;
    ASSERT_EQ(snapshot(), before) << what;
  };

  std::vector<int64_t> cuts;
  for (int64_t cut = 0; cut < original.Size(); ++cut)
    if (cut < 40 || (cut >= at.q - 8 && cut < at.q + 24) || cut % 61 == 0)
      cuts.push_back(cut);
  for (const int64_t cut : cuts)
  {
    ByteChunk truncated = original;
    truncated.Resize(static_cast<int>(cut));
    check(truncated, "cut at " + std::to_string(cut));
  }

  std::mt19937 random(1234);
  std::vector<int64_t> flips;
  for (int64_t pos = 0; pos < 40; ++pos)
    flips.push_back(pos);
  for (int64_t pos = at.q; pos < at.q + 24; ++pos)
    flips.push_back(pos);
  for (int i = 0; i < 100; ++i)
    flips.push_back(std::uniform_int_distribution<int64_t>(0, original.Size() - 1)(random));
    // Every accepted read is followed by a read that restores the state, and each sets the engine
    // up again: in a sanitizer build all eight bits of every position take many minutes, so there
    // one bit a position is flipped, a different one from position to position.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  constexpr int kBitsPerPosition = 1;
#else
  constexpr int kBitsPerPosition = 8;
#endif
  for (const int64_t pos : flips)
    for (int n = 0; n < kBitsPerPosition; ++n)
    {
      const int bit = kBitsPerPosition == 8 ? n : int(pos % 8);
      ByteChunk flipped = original;
      flipped.GetData()[pos] ^= static_cast<uint8_t>(1u << bit);
      check(flipped, "bit " + std::to_string(bit) + " of byte " + std::to_string(pos));
    }
  EXPECT_GT(refused, 100);
}

namespace {

// The host's state dictionary of the plug-in, with its "data" bytes replaced.
CFPropertyListRef WithData(CFPropertyListRef state, const std::string& bytes)
{
  const auto dictionary = static_cast<CFDictionaryRef>(state);
  CFMutableDictionaryRef copy = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                          &kCFTypeDictionaryValueCallBacks);
  const CFIndex count = CFDictionaryGetCount(dictionary);
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
  for (CFIndex i = 0; i < count; ++i)
    CFDictionarySetValue(copy, keys[size_t(i)], values[size_t(i)]);
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
  CFDictionarySetValue(copy, CFSTR("data"), data);
  CFRelease(data);
  return copy;
}

}  // namespace

// A restore the host asks for and the plug-in refuses leaves every setting and both lists exactly
// as they were, whatever their length (lists of 1 to 3 points are not saved in a state, so putting
// back a saved copy would lose them); a good restore afterwards still applies.
TEST(StateChunk, RefusedHostRestoreChangesNothing)
{
  Vantorelix source;
  source.GetParam(kPreGain)->Set(6.0);
  FillHistory(source.History(), 6, 1);
  FillHistory(source.Memory(), 5, 2);
  CFPropertyListRef good = nullptr;
  ASSERT_EQ(source.GetState(&good), noErr);
  const ByteChunk original = StateOf(source);
  std::string version2 = Bytes(original);
  version2[8] = 2;
  std::string notXml = Bytes(original);
  notXml[32] = 'x';  // the text's first "<"
  const std::pair<const char*, CFPropertyListRef> refused[] = {
    {"container version 2", WithData(good, version2)},
    {"a text that is no document", WithData(good, notXml)},
  };

  for (const int points : {0, 1, 2, 3, 1000})
  {
    Vantorelix plug;
    plug.GetParam(kPreGain)->Set(-2.0);
    plug.GetParam(kLoudness_Target)->Set(-18.0);
    FillHistory(plug.History(), points, 77);
    FillHistory(plug.Memory(), points, 88);
    const auto snapshot = [&] {
      return std::make_tuple(Values(plug), HistoryBytes(plug.History()), HistoryBytes(plug.Memory()),
                             plug.GetCurrentPresetIdx(), std::string(plug.PresetSlotName(0)));
    };
    const auto before = snapshot();
    for (const auto& [what, dictionary] : refused)
    {
      SCOPED_TRACE(std::to_string(points) + " points, " + what);
      EXPECT_EQ(plug.SetState(dictionary), kAudioUnitErr_InvalidPropertyValue);
      EXPECT_TRUE(snapshot() == before);
      EXPECT_EQ(plug.History().Size(), size_t(points));
    }
    ASSERT_EQ(plug.SetState(good), noErr) << points;
    EXPECT_EQ(Values(plug), Values(source)) << points;
    EXPECT_EQ(HistoryBytes(plug.History()), HistoryBytes(source.History())) << points;
    EXPECT_EQ(HistoryBytes(plug.Memory()), HistoryBytes(source.Memory())) << points;
  }
  for (const auto& entry : refused)
    CFRelease(entry.second);
  CFRelease(good);
}

// The audio thread appends to the live history under the plug-in mutex while the state is saved.
TEST(StateChunk, SavingWhileTheAudioThreadAppends)
{
  Vantorelix plug;
  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (int i = 0; i < 4000 && !done; ++i)
    {
      WDL_MutexLock lock(plug.PluginMutex());
      plug.History().AppendCopy(MakePoint(i));
    }
  });
  for (int i = 0; i < 40; ++i)
  {
    const ByteChunk chunk = StateOf(plug);
    const Layout at(chunk);
    const uint32_t count = U32(chunk, at.q + 12);
    EXPECT_EQ(chunk.Size(), at.q + 20 + int64_t{count} * 224);
  }
  done = true;
  audio.join();
}
