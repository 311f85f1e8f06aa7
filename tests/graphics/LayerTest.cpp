#include <gtest/gtest.h>

#include <random>

#include "GraphicsFixture.h"

using namespace vtest;

TEST(LayerTest, LayerIsPixelAlignedAndSizedAtTheEffectiveScale)
{
  Editor e;
  e.g->SetBackingScale(2.f);
  e.g->log.clear();
  e.g->BeginLayer(nullptr, IRECT(10.3f, 5.5f, 20.1f, 9.9f), true);
  ILayerPtr layer = e.g->FinishLayer();
  ASSERT_TRUE(layer);
  EXPECT_EQ(layer->Bounds(), IRECT(10.f, 5.5f, 20.5f, 10.f));
  EXPECT_EQ(e.g->log.front(), "create 22x10");
  EXPECT_EQ(e.g->clips.back(), e.g->GetBounds());  // back to the window when it closes
}

TEST(LayerTest, MovedControlOrChangedScaleInvalidatesAKeptLayer)
{
  Editor e;
  LogControl* c = e.Add("plot", IRECT(10, 10, 50, 50));
  e.g->BeginLayer(c, c->GetRECT());
  ILayerPtr layer = e.g->FinishLayer();
  EXPECT_TRUE(e.g->LayerIsValid(layer));
  c->SetPosition(20, 10);  // same size, new place
  EXPECT_FALSE(e.g->LayerIsValid(layer));

  e.g->BeginLayer(c, c->GetRECT());
  layer = e.g->FinishLayer();
  EXPECT_TRUE(e.g->LayerIsValid(layer));
  e.g->Resize(400, 300, 1.5f);
  EXPECT_FALSE(e.g->LayerIsValid(layer));
  EXPECT_FALSE(e.g->LayerIsValid(nullptr));
}

TEST(LayerTest, ClipFollowsTheTopLayer)
{
  Editor e;
  e.g->BeginLayer(nullptr, IRECT(0, 0, 100, 100));
  e.g->ClipToRegion(IRECT(50, 50, 200, 200));
  EXPECT_EQ(e.g->clips.back(), IRECT(50, 50, 100, 100));
  e.g->ClipToRegion(IRECT(300, 300, 310, 310));
  EXPECT_TRUE(e.g->clips.back().Empty());
  e.g->ClipToRegion(IRECT());
  EXPECT_EQ(e.g->clips.back(), IRECT(0, 0, 100, 100));
  ILayerPtr layer = e.g->FinishLayer();
  e.g->log.clear();
  e.g->PaintLayer(layer);
  EXPECT_EQ(e.g->log, (std::vector<std::string>{"bitmap  0 0 100 100 src 0 0"}));
  EXPECT_EQ(e.g->LeaveLayer(), nullptr);  // nothing open: null, window restored
}

TEST(LayerTest, RotationOfTheIdentity)
{
  Editor e;
  e.g->TransformRotate(90.f);
  const IMatrix& m = e.g->GetTransform();
  const float a = 90.f / 180.f * 3.1415927f;
  EXPECT_DOUBLE_EQ(m.mXX, std::cos(a));
  EXPECT_DOUBLE_EQ(m.mYX, std::sin(a));
  EXPECT_DOUBLE_EQ(m.mXY, -std::sin(a));
  e.g->RestoreTransform();  // empty stack: nothing
  EXPECT_DOUBLE_EQ(e.g->GetTransform().mYX, std::sin(a));
}

namespace {
// The blur by definition: every output pixel is the kernel-weighted sum of the pixels of its
// row within reach, pixels outside the row counting as 0.
std::vector<uint8_t> NaiveBlur(const std::vector<uint8_t>& alpha, int w, int h, const std::vector<uint8_t>& kernel,
                               uint32_t norm)
{
  const int k = static_cast<int>(kernel.size());
  std::vector<uint8_t> rows(alpha.size()), out(alpha.size());
  const auto pass = [&](const std::vector<uint8_t>& in, std::vector<uint8_t>& res, bool horiz) {
    for (int y = 0; y < h; ++y)
    {
      for (int x = 0; x < w; ++x)
      {
        uint32_t sum = 0;
        for (int d = -(k - 1); d <= k - 1; ++d)
        {
          const int xx = horiz ? x + d : x, yy = horiz ? y : y + d;
          if (xx >= 0 && xx < w && yy >= 0 && yy < h)
          {
            sum += kernel[static_cast<size_t>(std::abs(d))] * in[static_cast<size_t>(yy * w + xx)];
          }
        }
        res[static_cast<size_t>(y * w + x)] = static_cast<uint8_t>(std::min<uint32_t>(255, sum / norm));
      }
    }
  };
  pass(alpha, rows, true);
  pass(rows, out, false);
  return out;
}
}  // namespace

TEST(LayerTest, DropShadowBlurMatchesTheDefinitionOnSmallAndLargeLayers)
{
  std::mt19937 rng(5);
  struct Case
  {
    int w, h;
    float blur;
    bool flat;
  };
  for (const Case& c : {Case{1, 1, 4.f, false}, Case{5, 3, 6.f, false}, Case{5, 3, 0.f, false},
                        Case{40, 17, 3.f, false}, Case{40, 17, 3.f, true}, Case{2, 30, 9.f, false}})
  {
    Editor e;
    e.g->BeginLayer(nullptr, IRECT(0, 0, static_cast<float>(c.w), static_cast<float>(c.h)));
    ILayerPtr layer = e.g->FinishLayer();
    std::vector<uint8_t> alpha(static_cast<size_t>(c.w * c.h));
    for (size_t i = 0; i < alpha.size(); ++i)
    {
      alpha[i] = c.flat ? (i % static_cast<size_t>(c.w) < 20 ? 200 : 0) : static_cast<uint8_t>(rng() % 256);
    }
    e.g->layerPixels.assign(alpha.size() * 4, 0);
    for (size_t i = 0; i < alpha.size(); ++i)
    {
      e.g->layerPixels[i * 4 + 3] = alpha[i];
    }
    IShadow shadow;
    shadow.mBlurSize = c.blur;
    e.g->ApplyLayerDropShadow(layer, shadow);

    const float blurSize = std::max(1.f, c.blur + 1.f);
    const int k = static_cast<int>(std::ceil(blurSize));
    std::vector<uint8_t> kernel(static_cast<size_t>(k));
    uint32_t norm = 0;
    for (int i = 0; i < k; ++i)
    {
      kernel[static_cast<size_t>(i)] = static_cast<uint8_t>(
        std::round(255.f * std::exp(-static_cast<float>(i * i) * 4.5f / (blurSize * blurSize))));
      norm += kernel[static_cast<size_t>(i)] * (i == 0 ? 1u : 2u);
    }
    const std::vector<uint8_t> expected = NaiveBlur(alpha, c.w, c.h, kernel, norm);
    ASSERT_EQ(e.g->shadowMask.size(), alpha.size() * 4) << c.w << "x" << c.h;
    for (size_t i = 0; i < alpha.size(); ++i)
    {
      ASSERT_EQ(e.g->shadowMask[i * 4 + 3], expected[i]) << c.w << "x" << c.h << " pixel " << i;
    }
  }
}

TEST(LayerTest, UnreadablePixelsLeaveTheLayerAlone)
{
  Editor e;
  e.g->BeginLayer(nullptr, IRECT(0, 0, 4, 4));
  ILayerPtr layer = e.g->FinishLayer();
  e.g->ApplyLayerDropShadow(layer, IShadow());
  EXPECT_TRUE(e.g->shadowMask.empty());
  e.g->layerPixels.assign(12, 255);  // not the layer's size
  e.g->ApplyLayerDropShadow(layer, IShadow());
  EXPECT_TRUE(e.g->shadowMask.empty());
}
