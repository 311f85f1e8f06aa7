#include "host/EditorHost.h"
#include "host/PluginBundle.h"
#include "platform/CoreFoundation/CFRunLoop.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// RGBA of a pixel the editor presented.
std::array<uint8_t, 4> Pixel(const MTLTexture& texture, NSUInteger x, NSUInteger y)
{
  const unsigned char* p = texture.texel(x, y);
  return {p[2], p[1], p[0], p[3]};
}

TEST(HostRoad, TheEditorOpensThroughTheCocoaViewPropertyDrawsItsFirstFrameAndClosesWithItsView)
{
  host::PluginBundle bundle;
  ASSERT_TRUE(bundle.Open(TEST_GAIN_EDITOR_BUNDLE, false)) << bundle.Error();
  host::Instance instance(bundle.Component());
  ASSERT_EQ(instance.Status(), noErr);
  host::EditorHost editor(instance.Unit());
  ASSERT_EQ(editor.Open(), "");
  NSView* view = editor.View();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->window(), editor.Window());
  EXPECT_EQ(view->frame().size.width, 320);
  EXPECT_EQ(view->frame().size.height, 200);

  platform::AdvanceClock(1.0 / 60.0);
  platform::RunMainLoop();
  const std::shared_ptr<MTLTexture> frame = view->layer()->presentedTexture();
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->width(), 320u);
  ASSERT_EQ(frame->height(), 200u);
  std::vector<uint8_t> rgba;
  for (NSUInteger y = 0; y < 200; ++y)
    for (NSUInteger x = 0; x < 320; ++x)
      for (uint8_t channel : Pixel(*frame, x, y))
        rgba.push_back(channel);
  EXPECT_TRUE(vtest::WritePicture(vtest::PicturePath("host-road-first-frame.png"), 320, 200, rgba.data()));
  EXPECT_EQ(Pixel(*frame, 5, 5), (std::array<uint8_t, 4>{44, 48, 56, 255}));       // the panel
  EXPECT_EQ(Pixel(*frame, 40, 170), (std::array<uint8_t, 4>{60, 200, 120, 255}));  // the level bar
  EXPECT_EQ(Pixel(*frame, 40, 30), (std::array<uint8_t, 4>{20, 22, 26, 255}));     // above the level
  EXPECT_EQ(Pixel(*frame, 160, 70), (std::array<uint8_t, 4>{70, 80, 96, 255}));    // the dial

  std::weak_ptr<NSResponder> held = view->weak_from_this();
  editor.Close();
  EXPECT_TRUE(held.expired());
  EXPECT_EQ(editor.View(), nullptr);
  EXPECT_EQ(platform::RunMainLoop(), 0);  // the editor's timer went with it
}

TEST(HostRoad, APlugInWithoutAnEditorSaysSo)
{
  host::PluginBundle bundle;
  ASSERT_TRUE(bundle.Open(TEST_GAIN_BUNDLE, false)) << bundle.Error();
  host::Instance instance(bundle.Component());
  host::EditorHost editor(instance.Unit());
  EXPECT_EQ(editor.Open(), "the plug-in offers no editor");
  EXPECT_EQ(editor.View(), nullptr);
}

}  // namespace
