#include "BackendFixture.h"

#include <cmath>
#include <cstring>
#include <vector>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "renderer/metal/MetalRenderer.h"

using namespace vtest;

namespace {
constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};

TEST_F(BackendTest, FilledStrokedAndDottedShapesLandOnTheirPixels)
{
  Paint([](IGraphics& gr, PaintControl&) {
    gr.FillRect(IColor(255, 255, 0, 0), IRECT(10.f, 10.f, 40.5f, 40.f));
    gr.DrawRect(IColor(255, 0, 0, 255), IRECT(60.5f, 10.5f, 90.5f, 40.5f), nullptr, 1.f);
    gr.DrawDottedLine(IColor(255, 0, 0, 255), 10.f, 60.5f, 50.f, 60.5f, nullptr, 1.f, 10.f);
    gr.FillRoundRect(IColor(255, 0, 0, 255), IRECT(100.f, 10.f, 140.f, 50.f), 10.f);
  });
  EXPECT_TRUE(Near(At(20, 20), kRed));
  EXPECT_TRUE(Near(At(5, 5), kWhite));
  EXPECT_TRUE(Near(At(45, 20), kWhite));
  // Half of pixel 40 is covered: half red over white.
  EXPECT_TRUE(Near(At(40, 20), Rgba{255, 128, 128, 255}, 12));
  // The stroke runs along pixel centres, the inside stays white.
  EXPECT_TRUE(Near(At(60, 25), kBlue));
  EXPECT_TRUE(Near(At(75, 25), kWhite));
  // Dashes over [0, 1/4] and [2/4, 3/4] of the 40-pixel line.
  EXPECT_TRUE(Near(At(15, 60), kBlue));
  EXPECT_TRUE(Near(At(25, 60), kWhite));
  EXPECT_TRUE(Near(At(35, 60), kBlue));
  EXPECT_TRUE(Near(At(45, 60), kWhite));
  // The rounded corner is cut, the middle filled.
  EXPECT_TRUE(Near(At(100, 10), kWhite));
  EXPECT_TRUE(Near(At(120, 30), kBlue));
}

// Every kind of drawing in one editor at scale 2, for a person to look at.
TEST_F(BackendTest, EditorPictureHoldsEveryKindOfDrawing)
{
  Open(2.f, 320, 200);
  ASSERT_TRUE(g->LoadFont("Roboto-Regular", "Roboto-Regular.ttf"));
  ASSERT_TRUE(g->LoadFont("Verdana-Bold", "verdanab.ttf"));
  const std::string path = PicturePath("backend-checker.png");
  std::vector<uint8_t> checker(16 * 16 * 4);
  for (int i = 0; i < 16 * 16; ++i)
  {
    const bool dark = ((i % 16) / 4 + (i / 16) / 4) % 2 != 0;
    const uint8_t v = dark ? 40 : 220;
    checker[i * 4 + 0] = dark ? 30 : 250;
    checker[i * 4 + 1] = v;
    checker[i * 4 + 2] = v;
    checker[i * 4 + 3] = 255;
  }
  ASSERT_TRUE(WritePicture(path, 16, 16, checker.data()));
  const IBitmap bitmap = g->LoadBitmap(path.c_str());
  Paint([&](IGraphics& gr, PaintControl& self) {
    IPattern gradient;
    gradient.mType = 1;
    gradient.mNStops = 0;
    gradient.AddStop(IColor(255, 40, 60, 90), 0.f);
    gradient.AddStop(IColor(255, 200, 210, 230), 1.f);
    gradient.mTransform = IMatrix(1.0, 0.0, 0.0, 1.0 / 200.0, 0.0, 0.0);
    gr.FillRectWithPattern(gradient, gr.GetBounds());
    gr.FillRoundRect(IColor(255, 230, 80, 40), IRECT(10.f, 10.f, 110.f, 60.f), 8.f);
    gr.DrawRoundRect(IColor(255, 20, 20, 20), IRECT(10.f, 10.f, 110.f, 60.f), 8.f, nullptr, 2.f);
    gr.FillCircle(IColor(255, 60, 160, 90), 150.f, 35.f, 25.f);
    gr.DrawArc(IColor(255, 250, 250, 250), 150.f, 35.f, 20.f, -120.f, 120.f, nullptr, 3.f);
    gr.DrawDottedRect(IColor(255, 0, 0, 0), IRECT(190.5f, 10.5f, 310.5f, 60.5f), nullptr, 1.f, 3.f);
    gr.DrawDottedLine(IColor(255, 0, 0, 120), 10.f, 70.5f, 310.f, 70.5f, nullptr, 2.f, 6.f);
    IText roboto(18.f, IColor(255, 0, 0, 0));
    std::strcpy(roboto.mFont, "Roboto-Regular");
    roboto.mAlign = EAlign::Near;
    gr.DrawText(roboto, "Roboto: Integrated -23.0 LUFS", IRECT(10.f, 80.f, 310.f, 105.f));
    IText dejavu(16.f, IColor(255, 140, 20, 20));
    std::strcpy(dejavu.mFont, "Verdana-Bold");
    dejavu.mAlign = EAlign::Far;
    gr.DrawText(dejavu, "DejaVu Sans Bold: True Peak", IRECT(10.f, 105.f, 310.f, 130.f));
    gr.DrawBitmap(bitmap, IRECT(10.f, 140.f, 26.f, 156.f), 0, 0);
    gr.DrawBitmapScaledToFit(bitmap, IRECT(40.f, 140.f, 90.f, 190.f));
    gr.DrawQuickDropShadow(IRECT(110.f, 140.f, 170.f, 180.f), IRECT(100.f, 130.f, 190.f, 195.f), 4.f, 6.f, 6.f,
                           nullptr);
    gr.FillRoundRect(IColor(255, 250, 250, 250), IRECT(110.f, 140.f, 170.f, 180.f), 6.f);
    gr.BeginLayer(&self, IRECT(200.f, 135.f, 310.f, 195.f));
    gr.FillRoundRect(IColor(255, 70, 110, 200), IRECT(205.f, 140.f, 290.f, 180.f), 10.f);
    ILayerPtr layer = gr.FinishLayer();
    IShadow shadow;
    shadow.mPattern = IPattern(IColor(255, 0, 0, 0));
    shadow.mBlurSize = 4.f;
    shadow.mXOffset = 6.f;
    shadow.mYOffset = 6.f;
    shadow.mOpacity = 0.6f;
    gr.ApplyLayerDropShadow(layer, shadow);
    gr.PaintLayer(layer);
  });
  EXPECT_TRUE(g->WritePNG(PicturePath("editor-backend.png")));
  // Pixels are points x 2.
  EXPECT_TRUE(Near(At(120, 70), Rgba{230, 80, 40, 255}));
  EXPECT_TRUE(Near(At(300, 70), Rgba{60, 160, 90, 255}));
  EXPECT_TRUE(Near(At(22, 282), Rgba{250, 220, 220, 255}));  // the bitmap's first square
  EXPECT_TRUE(Near(At(30, 282), Rgba{30, 40, 40, 255}));
  EXPECT_TRUE(Near(At(480, 300), Rgba{70, 110, 200, 255}));
  int dark = 0;
  for (int y = 160; y < 210; ++y)
  {
    for (int x = 20; x < 300; ++x)
    {
      dark += At(x, y)[0] < 60;
    }
  }
  EXPECT_GT(dark, 200);  // the Roboto line's glyphs
}

TEST_F(BackendTest, DashesThatCannotAdvanceDrawNothing)
{
  for (const float dash : {0.f, -2.f, NAN})
  {
    Paint([dash](IGraphics& gr, PaintControl&) {
      gr.DrawDottedLine(IColor(255, 0, 0, 0), 10.f, 10.5f, 100.f, 10.5f, nullptr, 1.f, dash);
      gr.DrawDottedRect(IColor(255, 0, 0, 0), IRECT(10.f, 20.f, 100.f, 60.f), nullptr, 1.f, dash);
    });
    EXPECT_TRUE(Near(At(10, 10), kWhite)) << dash;
    EXPECT_TRUE(Near(At(10, 40), kWhite)) << dash;
  }
}

TEST_F(BackendTest, DottedRectOfNoWidthStrokesOnlyItsVerticalSides)
{
  Paint([](IGraphics& gr, PaintControl&) {
    gr.DrawDottedRect(IColor(255, 0, 0, 0), IRECT(20.5f, 10.f, 20.5f, 50.f), nullptr, 1.f, 4.f);
  });
  EXPECT_TRUE(Near(At(20, 12), Rgba{0, 0, 0, 255}));
  EXPECT_TRUE(Near(At(24, 12), kWhite));
}

TEST_F(BackendTest, GradientsUseTheirFirstAndLastStops)
{
  Paint([](IGraphics& gr, PaintControl&) {
    IPattern vertical;
    vertical.mType = 1;
    vertical.mNStops = 0;
    vertical.AddStop(IColor(255, 255, 0, 0), 0.f);
    vertical.AddStop(IColor(255, 0, 255, 0), 0.5f);
    vertical.AddStop(IColor(255, 0, 0, 255), 1.f);
    // From y = 10 to y = 50: the pattern maps those points to 0 and 1.
    vertical.mTransform = IMatrix(1.0, 0.0, 0.0, 1.0 / 40.0, 0.0, -10.0 / 40.0);
    gr.PathRect(IRECT(10.f, 10.f, 40.f, 50.f));
    gr.PathFill(vertical);
    // One stop: both colours are the same.
    IPattern single;
    single.mType = 2;
    single.mStops[0].mColor = IColor(255, 0, 128, 0);
    gr.PathRect(IRECT(50.f, 10.f, 80.f, 50.f));
    gr.PathFill(single);
    // A transform without an inverse falls back to the identity, a gradient over y 0..1.
    IPattern singular = vertical;
    singular.mTransform = IMatrix(0.0, 0.0, 0.0, 0.0, 0.0, 0.0);
    gr.PathRect(IRECT(90.f, 10.f, 120.f, 50.f));
    gr.PathFill(singular);
    // So does one that is merely too flat to undo: its inverse would stretch the gradient over
    // ten thousand pixels.
    IPattern flat = vertical;
    flat.mTransform = IMatrix(1e-4, 0.0, 0.0, 1e-4, 0.0, 0.0);
    gr.PathRect(IRECT(130.f, 10.f, 160.f, 50.f));
    gr.PathFill(flat);
  });
  EXPECT_TRUE(Near(At(20, 10), kRed, 12));
  EXPECT_TRUE(Near(At(20, 30), Rgba{128, 0, 128, 255}, 12));  // the middle stop is not used
  EXPECT_TRUE(Near(At(20, 49), kBlue, 12));
  EXPECT_TRUE(Near(At(60, 15), Rgba{0, 128, 0, 255}));
  EXPECT_TRUE(Near(At(60, 45), Rgba{0, 128, 0, 255}));
  EXPECT_TRUE(Near(At(100, 30), kBlue));
  EXPECT_TRUE(Near(At(140, 30), kBlue));
}

TEST_F(BackendTest, BitmapFromAPngDrawsItsPixels)
{
  // A 4 x 2 picture: red left half, blue right half.
  const std::string path = PicturePath("backend-bitmap.png");
  const uint8_t pixels[4 * 2 * 4] = {255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255,
                                     255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255};
  ASSERT_TRUE(WritePicture(path, 4, 2, pixels));
  IBitmap bitmap = g->LoadBitmap(path.c_str());
  ASSERT_TRUE(bitmap.IsValid());
  EXPECT_EQ(bitmap.W(), 4);
  EXPECT_EQ(bitmap.H(), 2);
  // The same request is served from the cache.
  EXPECT_EQ(g->LoadBitmap(path.c_str()).GetAPIBitmap(), bitmap.GetAPIBitmap());
  Paint([&](IGraphics& gr, PaintControl&) {
    gr.DrawBitmap(bitmap, IRECT(20.f, 20.f, 24.f, 22.f), 0, 0);
    gr.DrawBitmapScaledToFit(bitmap, IRECT(40.f, 40.f, 80.f, 60.f));
  });
  EXPECT_TRUE(Near(At(20, 20), kRed));
  EXPECT_TRUE(Near(At(23, 21), kBlue));
  EXPECT_TRUE(Near(At(24, 21), kWhite));
  EXPECT_TRUE(Near(At(45, 50), kRed));
  EXPECT_TRUE(Near(At(75, 50), kBlue));
}

TEST_F(BackendTest, BitmapFoundOnlyAtAnotherScaleIsLoadedOnce)
{
  const std::string path = PicturePath("backend-only1x.png");
  const uint8_t pixel[4] = {0, 255, 0, 255};
  ASSERT_TRUE(WritePicture(path, 1, 1, pixel));
  const IBitmap first = g->LoadBitmap(path.c_str(), 1, false, 2);
  const IBitmap second = g->LoadBitmap(path.c_str(), 1, false, 2);
  ASSERT_TRUE(first.IsValid());
  EXPECT_EQ(first.GetScale(), 1.f);
  EXPECT_EQ(second.GetAPIBitmap(), first.GetAPIBitmap());
}

TEST_F(BackendTest, ImageExtensionsAreMatchedAsLowerCaseSubstrings)
{
  const std::pair<const char*, bool> cases[] = {{"png", true}, {"PNG", true},  {"JPEG", true},
                                                {"jpg", true}, {"gif", false}, {"apngx", true}};
  for (const auto& [ext, supported] : cases)
  {
    EXPECT_EQ(g->SupportsImageExtension(ext), supported) << ext;
  }
}

TEST_F(BackendTest, FrameOffsetMovesTheComposite)
{
  g->SetTranslation(10.f, 0.f);
  Paint([](IGraphics& gr, PaintControl&) { gr.FillRect(IColor(255, 255, 0, 0), IRECT(0.f, 0.f, 20.f, 20.f)); });
  EXPECT_TRUE(Near(At(25, 5), kRed));
  EXPECT_TRUE(Near(At(35, 5), kWhite));
}

TEST_F(BackendTest, ScaleTwoDrawsEveryPointAsTwoPixels)
{
  Open(2.f);
  Paint([](IGraphics& gr, PaintControl&) { gr.FillRect(IColor(255, 255, 0, 0), IRECT(10.f, 10.f, 20.f, 20.f)); });
  const std::shared_ptr<MTLTexture> drawable = g->Layer().presentedTexture();
  ASSERT_TRUE(drawable);
  EXPECT_EQ(drawable->width(), 2u * kWidth);
  EXPECT_EQ(drawable->height(), 2u * kHeight);
  EXPECT_TRUE(Near(At(20, 20), kRed));
  EXPECT_TRUE(Near(At(39, 39), kRed));
  EXPECT_TRUE(Near(At(41, 41), kWhite));
  EXPECT_TRUE(Near(At(19, 19), kWhite));
}

// A frame is put on the drawable as it is, whatever the drawable held: translucent pixels with
// nothing under them come out the same however often they are composited, and a refresh that
// composites only what changed shows what a full frame shows, also at scales that are not whole
// numbers.
struct CompositeCase
{
  float screenScale, drawScale;
};

class CompositeTest : public BackendTest, public testing::WithParamInterface<CompositeCase>
{
protected:
  // A background (see mOpaque), a translucent control that stays, and one apart from it that
  // changes with each tick; both on fractions of a pixel.
  void SetUp() override
  {
    Open(GetParam().screenScale, kWidth, kHeight, GetParam().drawScale);
    g->AddControl(new PaintControl(g->GetBounds(), [this](IGraphics& gr, PaintControl& self) {
      gr.FillRect(IColor(mOpaque ? 255 : 0, 240, 240, 240), self.GetRECT());
    }));
    g->AddControl(new PaintControl(IRECT(10.3f, 10.6f, 60.4f, 70.2f), [](IGraphics& gr, PaintControl& self) {
      gr.FillRect(IColor(128, 200, 40, 20), self.GetRECT());
    }));
    mTicking = new PaintControl(IRECT(80.2f, 30.7f, 140.5f, 80.3f), [this](IGraphics& gr, PaintControl& self) {
      gr.FillRect(IColor(90, 20, static_cast<int>(40 * (mTick % 5)), 220), self.GetRECT());
    });
    g->AddControl(mTicking);
  }

  void Tick()
  {
    ++mTick;
    mTicking->SetDirty(false);
    ASSERT_TRUE(g->DrawFrame());
  }

  std::vector<Rgba> Shown() const
  {
    const float scale = GetParam().screenScale * GetParam().drawScale;
    std::vector<Rgba> pixels;
    for (int y = 0; y < static_cast<int>(kHeight * scale); ++y)
      for (int x = 0; x < static_cast<int>(kWidth * scale); ++x)
        pixels.push_back(At(x, y));
    return pixels;
  }

  bool mOpaque = false;  // else nothing lies under the controls
  PaintControl* mTicking = nullptr;
  int mTick = 0;
};

TEST_P(CompositeTest, PixelsThatDoNotChangeShowTheSameFromFrameToFrame)
{
  g->DrawFullFrame();
  const float scale = GetParam().screenScale * GetParam().drawScale;
  auto steadyPart = [&] {
    std::vector<Rgba> pixels;
    for (int y = 0; y < static_cast<int>(75 * scale); ++y)
      for (int x = 0; x < static_cast<int>(65 * scale); ++x)
        pixels.push_back(At(x, y));
    return pixels;
  };
  const std::vector<Rgba> first = steadyPart();
  for (int frame = 0; frame < 6; ++frame)
  {
    Tick();
    EXPECT_EQ(steadyPart(), first) << "frame " << frame;
  }
}

TEST_P(CompositeTest, ARefreshShowsWhatAFullFrameShows)
{
  // Under an opaque background, so that drawing everything again gives the same frame.
  mOpaque = true;
  g->DrawFullFrame();
  for (int frame = 0; frame < 6; ++frame)
  {
    Tick();
    const std::vector<Rgba> refreshed = Shown();
    g->DrawFullFrame();
    EXPECT_EQ(refreshed, Shown()) << "frame " << frame;
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, CompositeTest,
                         testing::Values(CompositeCase{1.f, 1.f}, CompositeCase{1.f, 1.5f}, CompositeCase{2.f, 0.75f},
                                         CompositeCase{2.f, 1.f}),
                         [](const auto& info) {
                           return "Screen" + std::to_string(static_cast<int>(info.param.screenScale * 100)) + "Draw" +
                                  std::to_string(static_cast<int>(info.param.drawScale * 100));
                         });

TEST_F(BackendTest, ClosingTheViewInvalidatesTheContext)
{
  g->CloseWindow();
  EXPECT_FALSE(g->IsDrawingContextValid());
  EXPECT_EQ(g->GetDrawContext(), nullptr);
}

}  // namespace
