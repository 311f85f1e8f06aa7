#include "tests/renderer/vector/VectorFixture.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <stb/stb_image.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {
void expectTransform(const float* t, std::initializer_list<float> expected)
{
  int i = 0;
  for (float e : expected)
    EXPECT_NEAR(t[i++], e, 1e-5f) << "element " << i - 1;
}
}  // namespace

TEST(VectorTransform, MultiplyInvertAndPoint)
{
  float t[6], s[6];
  vgTransformSetScale(t, 2, 3);
  vgTransformSetTranslate(s, 10, 20);
  vgTransformMultiply(t, s);  // scale, then translate
  expectTransform(t, {2, 0, 0, 3, 10, 20});
  vgTransformSetTranslate(s, 10, 20);
  vgTransformPremultiply(s, t);  // scale and translate first, then this translation
  float x, y;
  vgTransformPoint(&x, &y, s, 1, 1);
  EXPECT_FLOAT_EQ(x, 2 + 10 + 10);
  EXPECT_FLOAT_EQ(y, 3 + 20 + 20);

  float r[6], inv[6];
  vgTransformSetRotate(r, 0.7f);
  vgTransformMultiply(r, t);
  ASSERT_EQ(vgTransformInvert(inv, r), 1);
  vgTransformMultiply(inv, r);
  expectTransform(inv, {1, 0, 0, 1, 0, 0});

  const float singular[6] = {1, 0, 0, 0, 5, 5};
  float out[6] = {9, 9, 9, 9, 9, 9};
  EXPECT_EQ(vgTransformInvert(out, singular), 0);
  expectTransform(out, {1, 0, 0, 1, 0, 0});
}

TEST(VectorColor, HslWrapsHueAndMixClampsU)
{
  const NVGcolor a = vgColorHSLA(-0.25f, 1, 0.5f, 255);
  const NVGcolor b = vgColorHSLA(0.75f, 1, 0.5f, 255);
  for (int i = 0; i < 4; i++)
    EXPECT_FLOAT_EQ(a.rgba[i], b.rgba[i]);
  const NVGcolor red = vgColorHSL(0, 1, 0.5f);
  EXPECT_NEAR(red.r, 1, 1e-6);
  EXPECT_NEAR(red.g, 0, 1e-6);
  EXPECT_NEAR(red.b, 0, 1e-6);

  const NVGcolor c0 = vgColorRGBA(255, 0, 0, 255), c1 = vgColorRGBAf(0, 0, 1, 0.5f);
  EXPECT_FLOAT_EQ(vgColorMix(c0, c1, 2).b, 1);
  EXPECT_FLOAT_EQ(vgColorMix(c0, c1, 2).a, 0.5f);
  EXPECT_FLOAT_EQ(vgColorMix(c0, c1, -1).r, 1);
  EXPECT_FLOAT_EQ(vgColorMix(c0, c1, 0.5f).a, 0.75f);
}

TEST_F(VectorTest, PaintEncodings)
{
  const NVGcolor w = vgColorRGBf(1, 1, 1), k = vgColorRGBf(0, 0, 0);

  const NVGpaint flat = vgLinearGradient(ctx, 5, 5, 5, 5, w, k);  // equal end points
  expectTransform(flat.xform, {1, 0, 0, 1, 5, 5 - 1e5f});
  EXPECT_EQ(flat.feather, 1.0f);
  EXPECT_EQ(flat.extent[1], 1e5f);

  const NVGpaint linear = vgLinearGradient(ctx, 0, 0, 0, 40, w, k);
  EXPECT_EQ(linear.feather, 40.0f);
  EXPECT_FLOAT_EQ(linear.extent[1], 1e5f + 20);

  const NVGpaint radial = vgRadialGradient(ctx, 10, 20, 5, 5.5f, w, k);  // outr < inr + 1
  EXPECT_EQ(radial.feather, 1.0f);
  EXPECT_FLOAT_EQ(radial.radius, 5.25f);
  expectTransform(radial.xform, {1, 0, 0, 1, 10, 20});

  const NVGpaint box = vgRoundedBoxGradient(ctx, 10, 10, 20, 40, 3, 8, w, k);
  expectTransform(box.xform, {1, 0, 0, 1, 20, 30});
  EXPECT_EQ(box.extent[0], 10);
  EXPECT_EQ(box.feather, 8);

  const NVGpaint image = vgImagePaint(ctx, 3, 4, 16, 8, 0, 7, 0.5f);
  EXPECT_EQ(image.image, 7);
  EXPECT_EQ(image.feather, 0);
  EXPECT_EQ(image.innerColor.a, 0.5f);
}

TEST_F(VectorTest, PaintsAreGivenInTheUserSpaceOfTheSetterCall)
{
  vgTranslate(ctx, 10, 0);
  vgScale(ctx, 2, 2);
  vgSetFillPaint(ctx, vgRadialGradient(ctx, 5, 5, 1, 2, vgColorRGBf(1, 1, 1), vgColorRGBf(0, 0, 0)));
  expectTransform(vgGetState(ctx)->fill.xform, {2, 0, 0, 2, 20, 10});
  float got[6];
  vgGetTransform(ctx, got);
  expectTransform(got, {2, 0, 0, 2, 10, 0});
  vgGetTransform(ctx, nullptr);
}

TEST_F(VectorTest, ScissorSetIntersectAndReset)
{
  vgSetScissor(ctx, 10, 10, -5, 20);  // negative width: set, but empty
  EXPECT_EQ(vgGetState(ctx)->scissor.extent[0], 0.0f);
  EXPECT_EQ(vgGetState(ctx)->scissor.extent[1], 10.0f);
  vgResetScissor(ctx);
  EXPECT_EQ(vgGetState(ctx)->scissor.extent[0], -1.0f);

  vgIntersectScissor(ctx, 0, 0, 50, 50);  // no scissor yet: a plain set
  vgTranslate(ctx, 10, 10);
  vgIntersectScissor(ctx, 20, 20, 100, 100);  // (30, 30)-(130, 130) on screen meets (0, 0)-(50, 50)
  const NVGscissor& s = vgGetState(ctx)->scissor;
  EXPECT_FLOAT_EQ(s.extent[0], 10);
  EXPECT_FLOAT_EQ(s.extent[1], 10);
  EXPECT_FLOAT_EQ(s.xform[4], 40);
  EXPECT_FLOAT_EQ(s.xform[5], 40);
}

TEST_F(VectorTest, ImagesDecodeIntoRgbaTextures)
{
  const unsigned char pixels[2 * 1 * 4] = {255, 0, 0, 255, 0, 0, 255, 128};
  int size = 0;
  unsigned char* png = stbi_write_png_to_mem(pixels, 8, 2, 1, 4, &size);
  ASSERT_NE(png, nullptr);
  const int image = vgCreateImageFromMemory(ctx, NVG_IMAGE_NEAREST, png, size);
  STBIW_FREE(png);
  ASSERT_GT(image, 0);
  const RecordedTexture& t = backend.textures.at(image);
  EXPECT_EQ(t.type, NVG_TEXTURE_RGBA);
  EXPECT_EQ(t.flags, NVG_IMAGE_NEAREST);
  EXPECT_EQ(t.data, std::vector<unsigned char>(pixels, pixels + 8));

  int w = 0, h = 0;
  vgGetImageSize(ctx, image, &w, &h);
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 1);
  const unsigned char replaced[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  vgReplaceImagePixels(ctx, image, replaced);
  EXPECT_EQ(backend.textures.at(image).data[7], 8);
  vgDeleteImage(ctx, image);
  EXPECT_EQ(backend.textures.count(image), 0u);

  unsigned char garbage[16] = {1, 2, 3};
  EXPECT_EQ(vgCreateImageFromMemory(ctx, 0, garbage, sizeof(garbage)), 0);
  EXPECT_EQ(vgCreateImageFromFile(ctx, "/nonexistent/image.png", 0), 0);
  EXPECT_STREQ(stbi_failure_reason(), "can't fopen");
}

// PNG and JPEG are decoded, other formats are not. A bitmap larger than any the editor draws is
// refused from its header, before its pixels are decoded, and a JPEG whose Huffman table holds
// more codes than the format allows before it reaches the decoder.
TEST_F(VectorTest, OnlyPngAndJpegOfABitmapsSizeAreDecoded)
{
  auto encoded = [](auto write, int w, int h) {
    std::vector<unsigned char> bytes;
    const std::vector<unsigned char> grey(size_t(w) * size_t(h), 128);
    write(
      [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<unsigned char>*>(context);
        out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
      },
      &bytes, w, h, grey.data());
    return bytes;
  };
  auto png = [&](int w, int h) {
    return encoded([](stbi_write_func* f, void* c, int w, int h,
                      const unsigned char* p) { stbi_write_png_to_func(f, c, w, h, 1, p, w); },
                   w, h);
  };
  auto jpeg = encoded([](stbi_write_func* f, void* c, int w, int h,
                         const unsigned char* p) { stbi_write_jpg_to_func(f, c, w, h, 1, p, 90); },
                      8, 8);
  auto tga = encoded(
    [](stbi_write_func* f, void* c, int w, int h, const unsigned char* p) { stbi_write_tga_to_func(f, c, w, h, 1, p); },
    4, 4);
  auto bmp = encoded(
    [](stbi_write_func* f, void* c, int w, int h, const unsigned char* p) { stbi_write_bmp_to_func(f, c, w, h, 1, p); },
    4, 4);
  const std::vector<unsigned char> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 255, 255, 0,  0,
                                          0,   ',', 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 'D', 1,   0,   ';'};
  std::vector<unsigned char> pngEmptyData = png(4, 4);  // an empty image data chunk after the header's
  const unsigned char emptyChunk[] = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0, 0, 0, 0};
  pngEmptyData.insert(pngEmptyData.begin() + 33, std::begin(emptyChunk), std::end(emptyChunk));
  const std::vector<unsigned char> jpegCountsPast256 = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x71, 0x00, 0x32, 0xD9};
  struct Case
  {
    const char* what;
    std::vector<unsigned char> bytes;
    bool decoded;
  };
  const Case cases[] = {
    {"PNG as wide as a bitmap may be", png(8192, 1), true},
    {"PNG a pixel wider", png(8193, 1), false},
    {"PNG far taller", png(1, 16000), false},
    {"PNG with an empty image data chunk", pngEmptyData, false},
    {"JPEG", jpeg, true},
    {"JPEG with more than 256 Huffman codes", jpegCountsPast256, false},
    {"JPEG cut short in a table", std::vector<unsigned char>(jpeg.begin(), jpeg.begin() + 100), false},
    {"TGA", tga, false},
    {"BMP", bmp, false},
    {"GIF", gif, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    std::vector<unsigned char> bytes = c.bytes;
    const int image = vgCreateImageFromMemory(ctx, 0, bytes.data(), int(bytes.size()));
    EXPECT_EQ(image != 0, c.decoded);
    if (image)
      vgDeleteImage(ctx, image);
  }
}

// A PNG chunk that claims more bytes than the file holds is refused before the decoder sizes a
// buffer by the claim: whether the file goes on after the chunk's header or ends within it.
TEST_F(VectorTest, PngChunkRunningPastTheEndIsRefusedBeforeDecoding)
{
  int size = 0;
  const unsigned char grey[16] = {};
  unsigned char* encoded = stbi_write_png_to_mem(grey, 4, 4, 4, 1, &size);
  const std::vector<unsigned char> png(encoded, encoded + size);
  STBIW_FREE(encoded);
  const size_t dataChunk = 33;  // after the signature and the header chunk
  ASSERT_EQ(std::string(png.begin() + dataChunk + 4, png.begin() + dataChunk + 8), "IDAT");

  std::vector<unsigned char> claimsTwoGigabytes = png;
  const unsigned char twoGigabytes[] = {0x7F, 0xFF, 0xFF, 0x00};
  std::copy(std::begin(twoGigabytes), std::end(twoGigabytes), claimsTwoGigabytes.begin() + dataChunk);
  std::vector<unsigned char> endsInAHeader(png.begin(), png.begin() + dataChunk);
  const unsigned char header[] = {0x48, 0x00, 0x00, 0x00, 'I', 'D', 'A', 'T', 0x78, 0x01};
  endsInAHeader.insert(endsInAHeader.end(), std::begin(header), std::end(header));

  for (std::vector<unsigned char> bytes : {claimsTwoGigabytes, endsInAHeader})
  {
    EXPECT_EQ(vgCreateImageFromMemory(ctx, 0, bytes.data(), int(bytes.size())), 0);
    EXPECT_STREQ(stbi_failure_reason(), "bad chunk");
  }
}
