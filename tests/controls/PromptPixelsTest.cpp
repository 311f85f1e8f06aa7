// The in-window menu and text entry drawn through the real drawing back end into a headless
// view, with the editor's font loaded so that their texts show.

#include <gtest/gtest.h>

#include "Clocked.h"

#include "graphics/IBackgroundControls.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"
#include "tests/support/HeadlessGraphics.h"

using namespace vtest;
using namespace iplug::igraphics;

namespace {
using Rgba = std::array<uint8_t, 4>;

using ClockedPopup = Clocked<IPopupMenuControl>;

class Owner : public IControl
{
public:
  explicit Owner(const IRECT& r) : IControl(r) {}
  void Draw(IGraphics&) override {}
};

const IColor kBackground(255, 90, 90, 90);

bool IsColour(const Rgba& p, const IColor& c, int tolerance = 6)
{
  return std::abs(p[0] - c.R) <= tolerance && std::abs(p[1] - c.G) <= tolerance && std::abs(p[2] - c.B) <= tolerance;
}

// Whether some pixel of the rectangle is dark: a glyph drawn in black or grey.
bool HasInk(const HeadlessGraphics& g, const IRECT& r)
{
  for (int y = static_cast<int>(r.T); y < static_cast<int>(r.B); ++y)
  {
    for (int x = static_cast<int>(r.L); x < static_cast<int>(r.R); ++x)
    {
      const Rgba p = g.Pixel(x, y);
      if (p[0] < 100 && p[1] < 100 && p[2] < 100 && !IsColour(p, kBackground, 12))
      {
        return true;
      }
    }
  }
  return false;
}

// Opened through the delegate, as an editor is, so that the controls reach the graphics object.
struct HeadlessEditor
{
  HeadlessEditor()
  {
    delegate.mMakeGraphicsFunc = [this] { return new HeadlessGraphics(delegate, 400, 260); };
    delegate.OpenWindow(nullptr);
    ui = static_cast<HeadlessGraphics*>(delegate.GetUI());
    EXPECT_TRUE(ui->LoadFont("Roboto-Regular", "Roboto-Regular.ttf"));
    ui->AddPanelBackground(IPattern(kBackground));
  }
  ~HeadlessEditor() { delegate.CloseWindow(); }
  HeadlessDelegate delegate{1};
  HeadlessGraphics* ui = nullptr;
  HeadlessGraphics& g() { return *ui; }
};
}  // namespace

TEST(PromptPixelsTest, OpenMenuWithItsSubmenuShowsPanelsHighlightAndTexts)
{
  HeadlessEditor e;
  auto* popup = new ClockedPopup(-1, IText(14.f, kColorBlack, "Roboto-Regular"));
  e.g().AddPopupMenuControl(popup);
  auto* owner = new Owner(IRECT(20, 20, 100, 40));
  e.g().AddControl(owner);

  IPopupMenu menu("", {"Open...", "Save as..."});
  menu.AddSeparator();
  menu.AddItem("Recent", new IPopupMenu("", {"first.wav", "second.wav"}));
  menu.AddItem("Disabled", IPopupMenu::kAppend, IPopupMenu::Item::kDisabled);
  menu.GetItem(0)->SetChecked(true);
  e.g().OpenMenu(owner, menu, owner->GetRECT(), 0);
  popup->now = 101;
  e.g().DrawFrame();
  const IRECT parent = popup->GetPanel(0)->mCells[3];
  e.g().OnMouseOver(parent.MW(), parent.MH(), IMouseMod());
  popup->now = 302;
  e.g().DrawFullFrame();
  ASSERT_EQ(popup->NPanels(), 2);
  EXPECT_TRUE(e.g().WritePNG(PicturePath("popup-menu-submenu.png")));

  const IPopupMenuControl::MenuPanel& root = *popup->GetPanel(0);
  const IPopupMenuControl::MenuPanel& sub = *popup->GetPanel(1);
  // The sub-menu's parent is highlighted across the panel; the other cells sit on white.
  EXPECT_TRUE(IsColour(e.g().Pixel(static_cast<int>(root.mTargetRECT.L + 2), static_cast<int>(parent.MH())),
                       IColor(255, 0, 0, 255), 20));
  const IRECT& open = root.mCells[0];
  EXPECT_TRUE(IsColour(e.g().Pixel(static_cast<int>(open.R - 2), static_cast<int>(open.MH())), kColorWhite, 20));
  EXPECT_TRUE(IsColour(e.g().Pixel(static_cast<int>(sub.mTargetRECT.R - 2), static_cast<int>(sub.mTargetRECT.MH())),
                       kColorWhite, 20));
  // Texts in both panels, and the check mark of the first item at its left.
  EXPECT_TRUE(HasInk(e.g(), IRECT(open.L + 15, open.T, open.R, open.B)));
  EXPECT_TRUE(HasInk(e.g(), sub.mCells[1]));
  const Rgba check = e.g().Pixel(static_cast<int>(open.L + 5), static_cast<int>(open.MH()));
  EXPECT_LT(check[0], 60);
  // Beside the panels the editor shows through (the shadow fades out within the margin).
  EXPECT_TRUE(IsColour(e.g().Pixel(395, 255), kBackground));
}

TEST(PromptPixelsTest, TextEntryShowsItsSelectionTintOverTheTypedText)
{
  HeadlessEditor e;
  e.g().AddTextEntryControl();
  auto* owner = new Owner(IRECT(40, 40, 240, 70));
  e.g().AddControl(owner);
  IText style(20.f, kColorBlack, "Roboto-Regular", EAlign::Near);
  style.mTextEntryBGColor = IColor(255, 255, 255, 224);
  e.g().OpenTextEntry(owner, style, owner->GetRECT(), "-12.5 dB", -1);
  e.g().DrawFullFrame();
  EXPECT_TRUE(e.g().WritePNG(PicturePath("text-entry-selection.png")));

  ITextEntryControl& entry = *e.g().GetTextEntryControl();
  ASSERT_EQ(entry.GetSelectionEnd(), 8);
  float width = 0.f;
  for (int i = 0; i < entry.GetLength(); ++i)
  {
    width += entry.GetCharWidth(i);
  }
  EXPECT_GT(width, 50.f);
  // The selection, black at 20 % over the entry's background, from the left edge across the
  // text; the background alone beyond it.
  const int selectionTop = static_cast<int>(55.f - 10.f + 2.f) + 1;
  EXPECT_TRUE(IsColour(e.g().Pixel(41, selectionTop), IColor(255, 204, 204, 179), 8));
  EXPECT_TRUE(IsColour(e.g().Pixel(static_cast<int>(40 + width + 10), 55), IColor(255, 255, 255, 224)));
  EXPECT_TRUE(HasInk(e.g(), IRECT(40, 40, 40 + width, 70)));
  EXPECT_TRUE(IsColour(e.g().Pixel(30, 55), kBackground)) << "nothing outside the entry";
}
