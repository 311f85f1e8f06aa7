#include "BackendFixture.h"

#include "renderer/metal/MetalRenderer.h"

using namespace vtest;

namespace {
constexpr Rgba kGreen{0, 255, 0, 255};

// Whether the image still has a texture in the context.
bool ImageExists(HeadlessGraphics& g, int image)
{
  int w = 0, h = 0;
  vgGetImageSize(static_cast<NVGcontext*>(g.GetDrawContext()), image, &w, &h);
  return w > 0;
}

TEST_F(BackendTest, LayerIsDrawnOnceAndPaintedFromItsCache)
{
  int drawnIntoLayer = 0;
  PaintControl* control = Paint([&](IGraphics& gr, PaintControl& self) {
    if (!gr.LayerIsValid(self.mLayer))
    {
      ++drawnIntoLayer;
      gr.BeginLayer(&self, IRECT(20.f, 20.f, 60.f, 60.f), true);
      gr.FillRect(IColor(255, 0, 255, 0), IRECT(30.f, 30.f, 50.f, 50.f));
      self.mLayer = gr.FinishLayer();
    }
    gr.PaintLayer(self.mLayer);
  });
  EXPECT_TRUE(Near(At(40, 40), kGreen));
  EXPECT_TRUE(Near(At(25, 25), kWhite));  // the layer's own pixels there are transparent
  EXPECT_TRUE(Near(At(55, 40), kWhite));
  g->DrawFullFrame();
  EXPECT_EQ(drawnIntoLayer, 1);
  EXPECT_TRUE(Near(At(40, 40), kGreen));
  EXPECT_TRUE(Near(At(29, 40), kWhite));
  control->mLayer.reset();
}

TEST_F(BackendTest, LayerPixelsReadBackAndWrittenBack)
{
  WDL_TypedBuf<uint8_t> pixels;
  Paint([&](IGraphics& gr, PaintControl& self) {
    gr.BeginLayer(&self, IRECT(0.f, 0.f, 4.f, 4.f));
    gr.FillRect(IColor(255, 0, 0, 255), IRECT(0.f, 0.f, 2.f, 4.f));
    ILayerPtr layer = gr.FinishLayer();
    auto& back = static_cast<IGraphicsNanoVG&>(gr);
    back.ReadLayerPixels(layer, pixels);
    // Turn the left half green, and paint the layer.
    for (int i = 0; i < pixels.GetSize(); i += 4)
    {
      if (pixels.Get()[i + 3] != 0)
      {
        pixels.Get()[i + 1] = 255;
        pixels.Get()[i + 2] = 0;
      }
    }
    back.WriteLayerPixels(layer, pixels);
    gr.PaintLayer(layer);
  });
  ASSERT_EQ(pixels.GetSize(), 4 * 4 * 4);
  // Alpha is the fourth byte of each pixel, rows run top to bottom.
  EXPECT_EQ(pixels.Get()[3], 255);
  EXPECT_EQ(pixels.Get()[3 * 4 + 3], 0);
  EXPECT_TRUE(Near(At(0, 3), kGreen));
  EXPECT_TRUE(Near(At(3, 3), kWhite));
}

TEST_F(BackendTest, LayerDestroyedInAFrameOutlivesTheFrame)
{
  int image = 0;
  bool existedAtEndOfDraw = false;
  Paint([&](IGraphics& gr, PaintControl& self) {
    gr.BeginLayer(&self, IRECT(0.f, 0.f, 10.f, 10.f));
    ILayerPtr layer = gr.FinishLayer();
    image = static_cast<int>(reinterpret_cast<intptr_t>(layer->GetAPIBitmap()->GetBitmap()));
    gr.PaintLayer(layer);
    layer.reset();
    existedAtEndOfDraw = ImageExists(*g, image);
  });
  EXPECT_TRUE(existedAtEndOfDraw);
  EXPECT_FALSE(ImageExists(*g, image));

  std::unique_ptr<APIBitmap> outside(g->CreateBackendBitmap(8, 8, 1.f, 1.0));
  image = static_cast<int>(reinterpret_cast<intptr_t>(outside->GetBitmap()));
  ASSERT_TRUE(ImageExists(*g, image));
  outside.reset();
  EXPECT_FALSE(ImageExists(*g, image));
}

TEST_F(BackendTest, FrameWithoutMainFramebufferStillEnds)
{
  // A view whose size never reached the back end: no main framebuffer yet.
  HeadlessDelegate other;
  HeadlessGraphics bare(other, 20, 20);
  bare.ViewCreated(&bare.Layer());
  bare.BeginFrame();
  std::unique_ptr<APIBitmap> layer(bare.CreateBackendBitmap(4, 4, 1.f, 1.0));
  const int image = static_cast<int>(reinterpret_cast<intptr_t>(layer->GetBitmap()));
  layer.reset();
  bare.EndFrame();
  int w = 0, h = 0;
  vgGetImageSize(static_cast<NVGcontext*>(bare.GetDrawContext()), image, &w, &h);
  EXPECT_EQ(w, 0);
  // Out of the frame: deleted at once.
  layer.reset(bare.CreateBackendBitmap(4, 4, 1.f, 1.0));
  const int second = static_cast<int>(reinterpret_cast<intptr_t>(layer->GetBitmap()));
  layer.reset();
  vgGetImageSize(static_cast<NVGcontext*>(bare.GetDrawContext()), second, &w, &h);
  EXPECT_EQ(w, 0);
  bare.ViewDestroyed();
}

TEST_F(BackendTest, DropShadowFallsBehindTheLayer)
{
  Paint([](IGraphics& gr, PaintControl& self) {
    gr.BeginLayer(&self, IRECT(20.f, 20.f, 80.f, 80.f));
    gr.FillRect(IColor(255, 255, 0, 0), IRECT(30.f, 30.f, 50.f, 50.f));
    ILayerPtr layer = gr.FinishLayer();
    IShadow shadow;
    shadow.mPattern = IPattern(IColor(255, 0, 0, 0));
    shadow.mBlurSize = 0.f;
    shadow.mXOffset = 10.f;
    shadow.mYOffset = 10.f;
    gr.ApplyLayerDropShadow(layer, shadow);
    gr.PaintLayer(layer);
  });
  EXPECT_TRUE(Near(At(40, 40), Rgba{255, 0, 0, 255}));
  EXPECT_TRUE(Near(At(55, 55), Rgba{0, 0, 0, 255}, 8));
  EXPECT_TRUE(Near(At(65, 65), kWhite));
}

}  // namespace

// A layer, a drop shadow and written-back layer pixels land on the same pixels as the shapes
// drawn directly, at every draw scale and screen scale, and a kept layer is not drawn again.
TEST_F(BackendTest, LayersMatchDirectDrawingAtEveryScale)
{
  // The layered copies lie kShift points right of the direct ones, a whole number of pixels at
  // each of these scales, so the two halves agree pixel for pixel. The shadow's offset and the
  // written shape's edges fall on pixel boundaries: a shadow drawn between pixels is resampled,
  // and pixels written back are drawn over the layer's own, which edge pixels would show.
  constexpr float kShift = 100.f;
  const IColor red(255, 255, 0, 0), black(255, 0, 0, 0), blue(255, 0, 0, 255);
  for (const float drawScale : {1.f, 1.5f, 2.f})
  {
    for (const float screenScale : {1.f, 1.5f, 2.f})
    {
      SCOPED_TRACE(testing::Message() << "draw scale " << drawScale << ", screen scale " << screenScale);
      Open(screenScale, 200, 80, drawScale);
      int layerDraws = 0;
      PaintControl* control = Paint([&](IGraphics& gr, PaintControl& self) {
        gr.FillRect(red, IRECT(10.f, 10.f, 30.f, 30.f));
        gr.FillRect(black, IRECT(54.f, 14.f, 74.f, 34.f));
        gr.FillRect(red, IRECT(50.f, 10.f, 70.f, 30.f));
        gr.FillRect(blue, IRECT(12.f, 52.f, 28.f, 68.f));

        if (!gr.LayerIsValid(self.mLayer))
        {
          ++layerDraws;
          gr.BeginLayer(&self, IRECT(105.f, 5.f, 135.f, 35.f), true);
          gr.FillRect(red, IRECT(110.f, 10.f, 130.f, 30.f));
          self.mLayer = gr.FinishLayer();
        }
        gr.PaintLayer(self.mLayer);

        gr.BeginLayer(&self, IRECT(145.f, 5.f, 185.f, 45.f));
        gr.FillRect(red, IRECT(150.f, 10.f, 170.f, 30.f));
        ILayerPtr shadowed = gr.FinishLayer();
        IShadow shadow;
        shadow.mPattern = IPattern(black);
        shadow.mXOffset = shadow.mYOffset = 4.f;
        gr.ApplyLayerDropShadow(shadowed, shadow);
        gr.PaintLayer(shadowed);

        gr.BeginLayer(&self, IRECT(105.f, 45.f, 135.f, 75.f));
        gr.FillRect(blue, IRECT(112.f, 52.f, 128.f, 68.f));
        ILayerPtr written = gr.FinishLayer();
        auto& back = static_cast<IGraphicsNanoVG&>(gr);
        WDL_TypedBuf<uint8_t> pixels;
        back.ReadLayerPixels(written, pixels);
        back.WriteLayerPixels(written, pixels);
        gr.PaintLayer(written);
      });
      g->DrawFullFrame();
      EXPECT_EQ(layerDraws, 1);

      const float s = drawScale * screenScale;
      const int shift = static_cast<int>(kShift * s);
      int differing = 0;
      for (int y = 0; y < static_cast<int>(80 * s); ++y)
      {
        for (int x = 0; x < shift; ++x)
        {
          differing += Near(At(x, y), At(x + shift, y), 3) ? 0 : 1;
        }
      }
      EXPECT_EQ(differing, 0);
      EXPECT_TRUE(Near(At(static_cast<int>(20 * s), static_cast<int>(20 * s)), Rgba{255, 0, 0, 255}));
      control->mLayer.reset();
    }
  }
}
