#include "tests/platform-mac/EditorFixture.h"

#include "platform/AppKit/NSScreen.h"
#include "platform-mac/IGraphicsCoreText.h"
#include "tests/platform-mac/FontFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vtest {
namespace {

TEST_F(EditorTest, OpeningTwiceLeavesOneViewTheFirstRemovedAndReleased)
{
  std::weak_ptr<NSResponder> first = Open()->weak_from_this();
  IGraphicsMac* graphics = delegate.Graphics();
  ASSERT_NE(graphics, nullptr);
  void* second = graphics->OpenWindow(host.get());
  EXPECT_EQ(second, graphics->GetWindow());
  EXPECT_TRUE(first.expired());
  ASSERT_EQ(host->subviews().size(), 1u);
  EXPECT_EQ(host->subviews()[0].get(), graphics->GetWindow());
  EXPECT_EQ(delegate.layouts, 2);
  EXPECT_EQ(graphics->NControls(), 2);  // the first window's controls went with it
}

TEST_F(EditorTest, EditorsShareTheFontCacheAndTheLastOneToGoEmptiesIt)
{
  const Bytes font = BuildFont(WindowsFace("Shared Sans", "Regular"));
  EditorDelegate second;
  Open();
  second.OpenWindow(nullptr);
  std::unique_ptr<PlatformFont> loaded(
    delegate.Graphics()->LoadNativeFontFromMemory("shared", const_cast<uint8_t*>(font.data()), int(font.size())));
  ASSERT_NE(loaded, nullptr);
  delegate.Graphics()->CacheNativeFont("shared", loaded.get());
  ASSERT_NE(GetCachedFontDescriptor("shared"), nullptr);
  second.CloseWindow();  // one editor is left
  EXPECT_NE(GetCachedFontDescriptor("shared"), nullptr);
  delegate.CloseWindow();
  EXPECT_EQ(GetCachedFontDescriptor("shared"), nullptr);
}

TEST_F(EditorTest, AFontAnotherEditorHoldsIsNotReadFromItsFileAgain)
{
  std::string folder = (std::filesystem::temp_directory_path() / "vantorelix-font-XXXXXX").string();
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  const std::string path = folder + "/Roboto-Regular.ttf";
  const Bytes font = BundleFont("Roboto-Regular.ttf");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(font.data()), std::streamsize(font.size()));
  EditorDelegate second;
  Open();
  second.OpenWindow(nullptr);
  ASSERT_TRUE(delegate.Graphics()->LoadFont("filed", path.c_str()));
  std::filesystem::remove_all(folder);
  // The second editor takes what the first loaded, as every editor opened after the first does.
  EXPECT_TRUE(second.Graphics()->LoadFont("filed", path.c_str()));
  IRECT bounds;
  EXPECT_GT(second.Graphics()->MeasureText(IText(14.f, IColor(255, 0, 0, 0), "filed"), "Text", bounds), 0.f);
  second.CloseWindow();
  delegate.CloseWindow();
  // With no editor left nothing is held: the font is read from its file, which is gone.
  Open();
  EXPECT_FALSE(delegate.Graphics()->LoadFont("filed", path.c_str()));
}

TEST_F(EditorTest, ANullParentGivesAViewNoOneHolds)
{
  auto* view = static_cast<IGraphicsView_vVantorelix_au*>(delegate.OpenWindow(nullptr));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->superview(), nullptr);
  EXPECT_EQ(view->window(), nullptr);
  EXPECT_TRUE(delegate.Graphics()->EditorIsOpen());
  EXPECT_EQ(delegate.layouts, 1);
}

TEST_F(EditorTest, TheViewFollowsTheEditorSizeTimesTheDrawScale)
{
  IGraphicsView_vVantorelix_au* view = Open();
  delegate.Graphics()->EnableTooltips(true);
  EXPECT_EQ(view->frame().size.width, 832);
  EXPECT_EQ(view->frame().size.height, 446);
  EXPECT_TRUE(view->isFlipped());
  EXPECT_EQ(view->layer()->drawableSize().width, 832u);
  delegate.Graphics()->Resize(832, 446, 1.5f);
  EXPECT_EQ(view->frame().size.width, 1248);
  EXPECT_EQ(view->frame().size.height, 669);
  EXPECT_EQ(view->layer()->drawableSize().width, 1248u);
  EXPECT_EQ(view->layer()->drawableSize().height, 669u);
  // Tooltip areas were laid again, in view points, rounded outwards.
  ASSERT_EQ(view->toolTipRects().size(), 2u);
  const NSRect control = view->toolTipRects()[1].rect;
  EXPECT_EQ(control.origin.x, 150);
  EXPECT_EQ(control.size.width, 300);
  EXPECT_EQ(control.size.height, 150);

  window->setBackingScaleFactor(2.0);  // moved to a screen of twice the pixels
  EXPECT_EQ(delegate.Graphics()->GetScreenScale(), 2.f);
  EXPECT_EQ(view->layer()->drawableSize().width, 2496u);
}

TEST_F(EditorTest, ANativeViewIsPlacedOnWholePointsCoveringItsScaledBounds)
{
  delegate.drawScale = 1.5f;
  IGraphicsView_vVantorelix_au* editor = Open();
  auto native = std::make_shared<NSView>();
  delegate.Graphics()->AttachNativeView(native.get(), IRECT(10.3f, 20.6f, 50.2f, 40.1f));
  ASSERT_EQ(native->superview(), editor);
  const NSRect frame = native->frame();  // scaled: 15.45, 30.9, 75.3, 60.15
  EXPECT_EQ(frame.origin.x, 15);
  EXPECT_EQ(frame.origin.y, 30);
  EXPECT_EQ(frame.size.width, 61);
  EXPECT_EQ(frame.size.height, 31);
  delegate.Graphics()->DetachNativeView(native.get());
  EXPECT_EQ(native->superview(), nullptr);
  EXPECT_EQ(editor->subviews().size(), 0u);
}

TEST_F(EditorTest, ANativeViewThatCannotBeTakenInIsLeftAlone)
{
  IGraphicsView_vVantorelix_au* editor = Open();
  NSView unshared;  // owned by no share: the editor view cannot keep it
  auto shared = std::make_shared<NSView>();
  struct Case
  {
    const char* what;
    NSView* view;
    bool windowOpen;
  };
  const Case cases[] = {
    {"no view", nullptr, true},
    {"a view no one shares", &unshared, true},
    {"the window closed", shared.get(), false},
  };
  for (const Case& c : cases)
  {
    if (!c.windowOpen)
      delegate.Graphics()->CloseWindow();
    delegate.Graphics()->AttachNativeView(c.view, IRECT(10, 20, 50, 40));
    delegate.Graphics()->DetachNativeView(c.view);
    if (c.view)
    {
      EXPECT_EQ(c.view->superview(), nullptr) << c.what;
      EXPECT_EQ(c.view->frame().size.width, 0) << c.what << ": not placed either";
    }
    if (c.windowOpen)
    {
      EXPECT_EQ(editor->subviews().size(), 0u) << c.what;
    }
  }
}

TEST_F(EditorTest, WithoutAMetalDeviceTheContextStaysInvalidAndTheLayoutStillRuns)
{
  platform::SetSystemHasGPU(false);
  Open();
  platform::SetSystemHasGPU(true);
  EXPECT_FALSE(delegate.Graphics()->DrawContextReady());
  EXPECT_FALSE(delegate.GetGraphicsAvailable());
  EXPECT_EQ(delegate.layouts, 1);
  EXPECT_EQ(delegate.Graphics()->NControls(), 2);
  Tick();  // nothing to draw into, and nothing fails
  EXPECT_EQ(delegate.Graphics()->GetView()->layer()->presentedCount(), 0);
}

TEST_F(EditorTest, OneFrameIsDrawnPerTickWithADirtyControlAndNoneWithout)
{
  IGraphicsView_vVantorelix_au* view = Open();
  ASSERT_TRUE(delegate.Graphics()->DrawContextReady());
  EXPECT_EQ(view->layer()->presentedCount(), 0);
  platform::AdvanceClock(0.01);
  platform::RunMainLoop();
  EXPECT_EQ(view->layer()->presentedCount(), 0);  // less than a frame: not yet
  platform::AdvanceClock(0.01);
  platform::RunMainLoop();
  EXPECT_EQ(view->layer()->presentedCount(), 1);  // everything is dirty at first
  const int draws = delegate.control->mDraws;
  Tick();
  Tick();
  EXPECT_EQ(view->layer()->presentedCount(), 1);
  delegate.control->SetDirty(false);
  Tick();
  EXPECT_EQ(view->layer()->presentedCount(), 2);
  EXPECT_EQ(delegate.control->mDraws, draws + 1);
}

TEST_F(EditorTest, TheHostRemovingTheViewClosesTheEditorAndTheViewItKeepsIsInert)
{
  std::shared_ptr<NSView> kept = std::static_pointer_cast<NSView>(Open()->shared_from_this());
  auto* view = static_cast<IGraphicsView_vVantorelix_au*>(kept.get());
  kept->removeFromSuperview();
  EXPECT_EQ(delegate.GetUI(), nullptr);
  EXPECT_TRUE(host->subviews().empty());
  EXPECT_EQ(view->GetGraphics(), nullptr);
  EXPECT_FALSE(view->HasTimer());
  EXPECT_FALSE(view->isOpaque());
  // Everything that may still reach the view the host holds does nothing (the sanitizer build
  // would see the deleted graphics object otherwise).
  view->mouseDown(
    NSEvent::mouseEventWithType(NSEventTypeLeftMouseDown, NSMakePoint(10, 10), NSEventModifierFlags(0), nullptr));
  view->keyDown(NSEvent::keyEventWithType(NSEventTypeKeyDown, NSEventModifierFlags(0), nullptr, u"a", u"a", 0));
  view->render();
  view->windowDidResign();
  Tick();
  host->addSubview(kept);
  kept->removeFromSuperview();
  EXPECT_EQ(delegate.log, Log{});
}

TEST_F(EditorTest, ClosingTheEditorTakesTheViewOutOfTheHostsWindow)
{
  std::weak_ptr<NSResponder> view = Open()->weak_from_this();
  delegate.CloseWindow();
  EXPECT_TRUE(host->subviews().empty());
  EXPECT_TRUE(view.expired());
  EXPECT_EQ(window->firstResponder(), window.get());
}

TEST_F(EditorTest, DarkAppearanceNeedsMacOS1014)
{
  IGraphicsView_vVantorelix_au* view = Open();
  std::vector<EUIAppearance> heard;
  delegate.Graphics()->SetUIAppearanceChangedFunc([&](EUIAppearance a) { heard.push_back(a); });
  EXPECT_FALSE(delegate.Graphics()->UsesDarkAppearance());
  window->setAppearance(NSAppearanceNameDarkAqua);
  EXPECT_TRUE(delegate.Graphics()->UsesDarkAppearance());
  platform::SetOperatingSystemVersion({10, 13, 6});
  EXPECT_FALSE(delegate.Graphics()->UsesDarkAppearance());
  window->setAppearance(NSAppearanceNameAqua);  // not heard on 10.13
  platform::SetOperatingSystemVersion({13, 0, 0});
  window->setAppearance(NSAppearanceNameAqua);
  EXPECT_EQ(heard, (std::vector<EUIAppearance>{EUIAppearance::Dark, EUIAppearance::Light}));
  EXPECT_EQ(std::string(delegate.Graphics()->PlatformName()), "Cocoa");
  (void)view;
}

TEST(GraphicsMac, TheSystemVersionIsAskedOnceFromTheAppKitRelease)
{
  NSAppKitVersionNumber = 1300.0;
  EXPECT_EQ(IGraphicsMac::GetSystemVersion(), 0x10A0);
  NSAppKitVersionNumber = 2299.0;
  EXPECT_EQ(IGraphicsMac::GetSystemVersion(), 0x10A0);  // kept from the first answer
}

}  // namespace
}  // namespace vtest
