#include "BackendFixture.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "renderer/metal/MetalRenderer.h"

using namespace vtest;

namespace
{
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
  EXPECT_TRUE(g->WritePNG(PicturePath("editor-backend.png")));
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
  });
  EXPECT_TRUE(Near(At(20, 10), kRed, 12));
  EXPECT_TRUE(Near(At(20, 30), Rgba{128, 0, 128, 255}, 12));  // the middle stop is not used
  EXPECT_TRUE(Near(At(20, 49), kBlue, 12));
  EXPECT_TRUE(Near(At(60, 15), Rgba{0, 128, 0, 255}));
  EXPECT_TRUE(Near(At(60, 45), Rgba{0, 128, 0, 255}));
  EXPECT_TRUE(Near(At(100, 30), kBlue));
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
  const std::pair<const char*, bool> cases[] = {
    {"png", true}, {"PNG", true}, {"JPEG", true}, {"jpg", true}, {"gif", false}, {"apngx", true}};
  for (const auto& [ext, supported] : cases)
  {
    EXPECT_EQ(g->SupportsImageExtension(ext), supported) << ext;
  }
}

TEST_F(BackendTest, FrameOffsetMovesTheComposite)
{
  g->SetTranslation(10.f, 0.f);
  Paint([](IGraphics& gr, PaintControl&) {
    gr.FillRect(IColor(255, 255, 0, 0), IRECT(0.f, 0.f, 20.f, 20.f));
  });
  EXPECT_TRUE(Near(At(25, 5), kRed));
  EXPECT_TRUE(Near(At(35, 5), kWhite));
}

TEST_F(BackendTest, ScaleTwoDrawsEveryPointAsTwoPixels)
{
  Open(2.f);
  Paint([](IGraphics& gr, PaintControl&) {
    gr.FillRect(IColor(255, 255, 0, 0), IRECT(10.f, 10.f, 20.f, 20.f));
  });
  const std::shared_ptr<MTLTexture> drawable = g->Layer().presentedTexture();
  ASSERT_TRUE(drawable);
  EXPECT_EQ(drawable->width(), 2u * kWidth);
  EXPECT_EQ(drawable->height(), 2u * kHeight);
  EXPECT_TRUE(Near(At(20, 20), kRed));
  EXPECT_TRUE(Near(At(39, 39), kRed));
  EXPECT_TRUE(Near(At(41, 41), kWhite));
  EXPECT_TRUE(Near(At(19, 19), kWhite));
}

TEST_F(BackendTest, ClosingTheViewInvalidatesTheContext)
{
  g->CloseWindow();
  EXPECT_FALSE(g->IsDrawingContextValid());
  EXPECT_EQ(g->GetDrawContext(), nullptr);
}

} // namespace
