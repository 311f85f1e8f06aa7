#include "TestPlugin.h"

#include "platform/CoreFoundation/CFRunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using testing_support::TestPlugin;

namespace {

void DefineThree(TestPlugin& plugin)
{
  plugin.GetParam(0)->DefineDouble("Gain", 0.0, -12.0, 12.0, 0.1);
  plugin.GetParam(1)->DefineInt("Mode", 2, 0, 4);
  plugin.GetParam(2)->DefineBool("On", true);
}

int Count(const std::vector<std::string>& log, const std::string& line)
{
  return static_cast<int>(std::count(log.begin(), log.end(), line));
}

TEST(PluginBase, IdentityFromConfiguration)
{
  TestPlugin plugin(0);
  WDL_String text;
  plugin.VersionText(text);
  EXPECT_STREQ(text.Get(), "v3.1.3");
  EXPECT_EQ(plugin.PackedVersion(), 0x00030103);
  EXPECT_EQ(plugin.PackedVersion(true), 3130);
  EXPECT_EQ(plugin.GetUniqueID(), 0x5A563635);
  EXPECT_EQ(plugin.GetMfrID(), 0x5A565251);
  EXPECT_STREQ(plugin.ApiName(), "AU");
  EXPECT_STREQ(plugin.GetHostName(), "Unknown");
  EXPECT_EQ(plugin.GetHost(), iplug::kHostUninit);
  EXPECT_TRUE(plugin.DoesStateChunks());
  EXPECT_EQ(plugin.GetEditorWidth(), 832);
  EXPECT_EQ(plugin.GetMinWidth(), 304);
  EXPECT_EQ(plugin.GetMaxWidth(), 2496);
  plugin.BuildInfo(text);
  EXPECT_EQ(std::string(text.Get()).rfind("Vantorelix version v3.1.3 AU (x64), built on ", 0), 0u);

  iplug::IPluginConfig config = testing_support::TestConfig(0);
  const std::string longName(200, 'n');
  config.pluginName = longName.c_str();
  iplug::IPlugAPIBase other(config, static_cast<iplug::PluginApi>(8));
  EXPECT_EQ(std::strlen(other.GetPluginName()), 128u);
  EXPECT_STREQ(other.ApiName(), "");
}

TEST(PluginBase, DefaultStateRoundTrip)
{
  TestPlugin plugin(3);
  DefineThree(plugin);
  plugin.GetParam(0)->Set(-3.5);
  ByteChunk chunk;
  ASSERT_TRUE(plugin.WriteState(chunk));
  ASSERT_EQ(chunk.Size(), 24);

  plugin.GetParam(0)->Set(7.0);
  plugin.GetParam(1)->Set(0.0);
  plugin.log.clear();
  EXPECT_EQ(plugin.ReadState(chunk, 0), 24);
  EXPECT_EQ(plugin.GetParam(0)->Value(), -3.5);
  EXPECT_EQ(plugin.GetParam(1)->Value(), 2.0);
  EXPECT_EQ(plugin.log.front(), "changed 0 2 -1");  // every parameter, as a state recall
  EXPECT_EQ(plugin.log.size(), 6u);
}

TEST(PluginBase, ShortOrMisplacedStateChangesNothing)
{
  TestPlugin plugin(3);
  DefineThree(plugin);
  ByteChunk chunk;
  plugin.WriteState(chunk);
  ByteChunk shortChunk;
  shortChunk.PutBytes(chunk.GetData(), 20);
  plugin.GetParam(0)->Set(5.0);
  plugin.GetParam(1)->Set(4.0);
  plugin.GetParam(2)->Set(0.0);

  for (int start : {0, -1, 8})
  {
    plugin.log.clear();
    EXPECT_EQ(plugin.ReadState(start == 8 ? chunk : shortChunk, start), -1) << start;
    EXPECT_EQ(plugin.GetParam(0)->Value(), 5.0);
    EXPECT_EQ(plugin.GetParam(1)->Value(), 4.0);
    EXPECT_EQ(plugin.GetParam(2)->Value(), 0.0);
    EXPECT_EQ(Count(plugin.log, "ui 2 2"), 1);  // the reset notification still runs
  }
}

TEST(PluginBase, StateEquals)
{
  TestPlugin plugin(2);
  plugin.GetParam(0)->DefineDouble("a", 0.25, 0.0, 1.0, 0.000001);
  plugin.GetParam(1)->DefineDouble("b", 0.5, 0.0, 1.0, 0.000001);
  ByteChunk chunk;
  const double values[] = {99.0, 0.250001, 0.5};
  chunk.PutBytes(values, sizeof(values));
  EXPECT_TRUE(plugin.StateEquals(chunk, 1));  // positions count in doubles
  EXPECT_FALSE(plugin.StateEquals(chunk, 0));
  EXPECT_FALSE(plugin.StateEquals(chunk, 2));  // runs past the end
  EXPECT_FALSE(plugin.StateEquals(chunk, -1));
}

TEST(PluginBase, ParameterHelpers)
{
  TestPlugin plugin(6);
  plugin.DefineParamRange(0, 2, 1, "Band %d", 0.0, 0.0, 10.0, 1.0, "", iplug::kFlagStepped, "L");
  EXPECT_STREQ(plugin.GetParam(2)->GetName(), "Band 3");
  plugin.GetParam(1)->Set(7.0);
  plugin.DuplicateParams(0, 1, 3, "Band", "Right band", "R");
  EXPECT_STREQ(plugin.GetParam(4)->GetName(), "Right band 2");
  EXPECT_STREQ(plugin.GetParam(4)->GetGroup(), "R");
  EXPECT_EQ(plugin.GetParam(4)->Value(), 7.0);

  plugin.GetParam(0)->Set(1.0);
  plugin.GetParam(2)->Set(9.0);
  plugin.CopyValuesByGroup("L", "R");  // three sources, two destinations
  EXPECT_EQ(plugin.GetParam(3)->Value(), 1.0);
  EXPECT_EQ(plugin.GetParam(4)->Value(), 7.0);
  EXPECT_EQ(plugin.GetParam(5)->Value(), 0.0);

  int visited = 0;
  plugin.VisitParamGroup("R", [&](int idx, iplug::IParam&) { visited += idx; });
  EXPECT_EQ(visited, 3 + 4);

  std::srand(7);
  for (int round = 0; round < 20; ++round)
  {
    plugin.RandomiseParamValues("L");
    for (int i = 0; i < 3; ++i)
    {
      const double v = plugin.GetParam(i)->Value();
      ASSERT_EQ(v, std::round(v));
      ASSERT_GE(v, 0.0);
      ASSERT_LE(v, 10.0);
    }
  }
  plugin.DefaultParamValues();
  EXPECT_EQ(plugin.GetParam(1)->Value(), 0.0);
}

TEST(APIBase, IdleTicksFollowTheVirtualClock)
{
  TestPlugin plugin(2);
  plugin.GetParam(1)->DefineDouble("Level", 0.0, -60.0, 0.0, 0.1);
  plugin.StartIdleTimer();
  platform::RunMainLoop();  // the first tick is due at once
  plugin.QueueValueForEditor(1, -12.0, false);
  plugin.QueueValueForEditor(0, 0.5, true);
  plugin.log.clear();

  for (int step = 0; step < 10; ++step)  // 70 ms in uneven steps: three ticks
  {
    platform::AdvanceClock(step % 2 ? 0.004 : 0.010);
    platform::RunMainLoop();
  }
  const std::vector<std::string> expected = {"ui 1 4", "ui 0 4", "idle", "idle", "idle"};
  EXPECT_EQ(plugin.log, expected);
}

TEST(APIBase, WithoutEditorOnlyTheIdleHookRuns)
{
  TestPlugin plugin(1, false);
  plugin.QueueValueForEditor(0, 1.0, false);
  plugin.StartIdleTimer();
  platform::RunMainLoop();
  EXPECT_EQ(plugin.log, std::vector<std::string>{"idle"});
  EXPECT_EQ(plugin.ParamQueue().ElementsAvailable(), 1);
}

TEST(APIBase, EditorChangesReachHostPluginAndEditorInOrder)
{
  TestPlugin plugin(1);
  plugin.GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.1);
  plugin.SetValueFromEditor(0, 0.75, true);
  const std::vector<std::string> expected = {"host 0 0.750000", "changed 0 3 -1", "ui 0 3"};
  EXPECT_EQ(plugin.log, expected);
  EXPECT_DOUBLE_EQ(plugin.GetParam(0)->Value(), 5.0);
  EXPECT_DOUBLE_EQ(plugin.GetParam(0)->PreviousValue(), 5.0);

  plugin.log.clear();
  plugin.SetValueFromEditor(0, 0.5, false);
  EXPECT_EQ(plugin.log, (std::vector<std::string>{"host 0 0.500000", "ui 0 3"}));

  EXPECT_TRUE(plugin.ResizeRequestFromEditor(400, 300, false));
  EXPECT_FALSE(plugin.ResizeRequestFromEditor(400, 300, true));
}

TEST(APIBase, SysExLongerThanItsRecordIsDropped)
{
  TestPlugin plugin(0);
  uint8_t bytes[600] = {0xF0};
  plugin.QueueSysExFromEditor({0, 600, bytes});
  EXPECT_EQ(plugin.SysExFromEditor().ElementsAvailable(), 0);
  plugin.QueueSysExFromEditor({3, 512, bytes});
  iplug::SysExData data;
  ASSERT_TRUE(plugin.SysExFromEditor().Pop(data));
  EXPECT_EQ(data.mOffset, 3);
  EXPECT_EQ(data.mSize, 512);
  EXPECT_EQ(data.mData[0], 0xF0);

  plugin.SysExToEditor().Push(data);
  plugin.IdleTimerFired();
  EXPECT_EQ(plugin.log, (std::vector<std::string>{"sysex 512", "idle"}));
}

TEST(APIBase, IdentifyHost)
{
  TestPlugin plugin(0);
  plugin.IdentifyHost("com.apple.logic10", 0x000A0700);
  EXPECT_EQ(plugin.GetHost(), iplug::kHostLogic);
  EXPECT_STREQ(plugin.GetHostName(), "com.apple.logic10");
  EXPECT_EQ(plugin.HostVersion(true), 10700);
  EXPECT_EQ(plugin.log, (std::vector<std::string>{"identified", "after identified"}));

  plugin.IdentifyHost(nullptr, 0);
  EXPECT_EQ(plugin.GetHost(), iplug::kHostUnknown);
  EXPECT_STREQ(plugin.GetHostName(), "com.apple.logic10");
}

}  // namespace
