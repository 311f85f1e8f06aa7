#include "TestPlugin.h"

#include <gtest/gtest.h>

using iplug::igraphics::IRECT;
using testing_support::RecordingControl;
using testing_support::StubGraphics;
using testing_support::TestPlugin;

namespace {

// A plug-in whose editor is a StubGraphics; the layout attaches one control linked to parameter
// 0 under tag 7.
class EditorPlugin : public TestPlugin
{
public:
  EditorPlugin() : TestPlugin(2)
  {
    GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.1);
    mMakeGraphicsFunc = [this] { return new StubGraphics(*this, 400, 300, 60, 1.f); };
    mLayoutFunc = [this](iplug::igraphics::IGraphics* g) {
      control = new RecordingControl(IRECT(0, 0, 10, 10), 0);
      g->AddControl(control, 7);
    };
  }
  RecordingControl* control = nullptr;
};

TEST(EditorDelegate, ReopenRestoresSizeAndScale)
{
  EditorPlugin plugin;
  int parent = 0;
  EXPECT_EQ(plugin.OpenWindow(&parent), &parent);
  ASSERT_NE(plugin.GetUI(), nullptr);
  plugin.GetUI()->Resize(500, 450, 1.5f);  // inside the configured limits
  plugin.CloseWindow();
  EXPECT_EQ(plugin.GetUI(), nullptr);
  EXPECT_EQ(plugin.log.back(), "closed");

  plugin.OpenWindow(&parent);
  ASSERT_NE(plugin.GetUI(), nullptr);
  EXPECT_EQ(plugin.GetUI()->Width(), 500);
  EXPECT_EQ(plugin.GetUI()->Height(), 450);
  EXPECT_EQ(plugin.GetUI()->GetDrawScale(), 1.5f);

  ByteChunk chunk;
  ASSERT_TRUE(plugin.SerializeEditorState(chunk));
  EXPECT_EQ(chunk.Size(), 12);
}

TEST(EditorDelegate, WithoutEditor)
{
  EditorPlugin plugin;
  plugin.CloseWindow();
  EXPECT_EQ(plugin.log, std::vector<std::string>{"closed"});

  plugin.log.clear();
  plugin.DeliverValueToEditor(0, 3.0, false);
  plugin.DeliverControlValue(7, 0.5);
  EXPECT_EQ(plugin.log, std::vector<std::string>{"ui 0 4"});
  EXPECT_FALSE(plugin.KeyDown(iplug::IKeyPress("a", 65)));

  EditorPlugin noEditor;
  noEditor.mMakeGraphicsFunc = nullptr;
  EXPECT_EQ(noEditor.OpenWindow(nullptr), nullptr);
}

TEST(EditorDelegate, RelaysReachLinkedAndTaggedControls)
{
  EditorPlugin plugin;
  plugin.OpenWindow(nullptr);
  ASSERT_NE(plugin.control, nullptr);
  plugin.control->values.clear();

  plugin.DeliverValueToEditor(0, 25.0, false);  // a plain value outside the range is clamped first
  plugin.DeliverValueToEditor(0, 0.25, true);
  plugin.DeliverValueToEditor(1, 0.5, true);  // nobody linked
  EXPECT_EQ(plugin.control->values, (std::vector<double>{1.0, 0.25}));

  plugin.DeliverControlValue(7, 0.75);
  plugin.DeliverControlValue(8, 0.1);  // no control under this tag: nothing happens
  plugin.DeliverControlMessage(7, 42, 0, nullptr);
  EXPECT_EQ(plugin.control->values.back(), 0.75);
  EXPECT_EQ(plugin.control->messages, std::vector<int>{42});

  plugin.control->SetWantsMidi(true);
  plugin.DeliverMidiToEditor({0, 0x90, 60, 100});
  EXPECT_EQ(plugin.control->midi, std::vector<int>{0x90});
}

TEST(EditorDelegate, EditorStateKeepsOnlyCompleteSizes)
{
  EditorPlugin plugin;
  ByteChunk chunk;
  const int32_t width = 640, height = 480;
  const float scale = 2.f;
  chunk.Put(&width);
  chunk.Put(&height);
  EXPECT_EQ(plugin.UnserializeEditorState(chunk, 0), -1);  // 8 bytes: no scale
  ByteChunk remembered;
  plugin.SerializeEditorState(remembered);
  int32_t stored = -1;
  remembered.Get(&stored, 0);
  EXPECT_EQ(stored, 0);

  chunk.Put(&scale);
  EXPECT_EQ(plugin.UnserializeEditorState(chunk, 0), 12);
  remembered.Clear();
  plugin.SerializeEditorState(remembered);
  remembered.Get(&stored, 0);
  EXPECT_EQ(stored, 640);
}

}  // namespace
