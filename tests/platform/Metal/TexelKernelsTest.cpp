#include "platform/Metal/MTLTexels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {
using mtlpixels::TexelRowKernels;

// The forms to check against the scalar reference: the plain one, and AVX2 where the processor
// has it.
std::vector<std::pair<std::string, const TexelRowKernels*>> fastForms()
{
  std::vector<std::pair<std::string, const TexelRowKernels*>> forms = {{"plain", &mtlpixels::plainKernels()}};
  if (const TexelRowKernels* avx2 = mtlpixels::avx2Kernels())
    forms.emplace_back("avx2", avx2);
  return forms;
}

// Rows of every length up to a few vectors and beyond, starting at odd texels, so that each
// form's tail and its whole groups are both reached.
constexpr int kLongest = 41;

std::vector<unsigned char> randomTexels(std::mt19937& random, int count)
{
  std::vector<unsigned char> texels(static_cast<size_t>(count) * 4);
  for (unsigned char& byte : texels)
    byte = static_cast<unsigned char>(random());
  return texels;
}
}  // namespace

TEST(TexelKernels, UniformBlendsMatchTheScalarReferenceByteForByte)
{
  std::mt19937 random(49);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<std::vector<float>> colours = {
    {0.3f, 0.2f, 0.1f, 0.5f},     // premultiplied, half covering
    {1.0f, 0.9f, 0.8f, 0.3f},     // brighter than its alpha: the sum reaches 1
    {0.0f, 0.0f, 0.0f, 0.0039f},  // nearly empty
    {-0.0f, 0.5f, 0.25f, 0.75f},  // a clamped negative zero
    {NAN, 0.5f, 0.25f, 0.75f},    // a channel that is not a number is stored as 0
    {0.2f, 0.2f, 0.2f, NAN},
  };
  for (int n = 0; n < 20; n++)
  {
    const float alpha = unit(random) * 0.999f;
    colours.push_back({unit(random) * alpha, unit(random) * alpha, unit(random), alpha});
  }
  for (const auto& [name, form] : fastForms())
    for (const std::vector<float>& colour : colours)
      for (int count = 0; count <= kLongest; count++)
      {
        const int offset = count % 3;
        const std::vector<unsigned char> background = randomTexels(random, count + offset);
        std::vector<unsigned char> expected = background, actual = background;
        mtlpixels::scalarKernels().blendUniform(expected.data() + 4 * offset, colour.data(), count);
        form->blendUniform(actual.data() + 4 * offset, colour.data(), count);
        ASSERT_EQ(actual, expected) << name << " count " << count << " alpha " << colour[3];
      }
}

TEST(TexelKernels, TexelBlendsMatchTheScalarReferenceByteForByte)
{
  std::mt19937 random(4949);
  // Rows all opaque (whole groups stored at once), all empty, and mixed with partly covering
  // texels, so that groups with every kind are written texel by texel.
  auto source = [&](int count, int kind) {
    std::vector<unsigned char> texels = randomTexels(random, count);
    for (int i = 0; i < count; i++)
    {
      unsigned char* t = &texels[static_cast<size_t>(i) * 4];
      const int choice = kind < 2 ? kind : static_cast<int>(random() % 3);
      if (choice == 0)
        t[3] = 255;
      else if (choice == 1)
        t[0] = t[1] = t[2] = t[3] = 0;
      else
        for (int c = 0; c < 3; c++)
          t[c] = static_cast<unsigned char>(t[c] * t[3] / 255);  // premultiplied
    }
    return texels;
  };
  for (const auto& [name, form] : fastForms())
    for (bool swap : {false, true})
      for (int kind = 0; kind < 3; kind++)
        for (int count = 0; count <= kLongest; count++)
        {
          const std::vector<unsigned char> texels = source(count, kind);
          const std::vector<unsigned char> background = randomTexels(random, count);
          std::vector<unsigned char> expected = background, actual = background;
          mtlpixels::scalarKernels().blendTexels(expected.data(), texels.data(), count, swap);
          form->blendTexels(actual.data(), texels.data(), count, swap);
          ASSERT_EQ(actual, expected) << name << " count " << count << " kind " << kind << " swap " << swap;
        }
}

TEST(TexelKernels, TexelCopiesMatchTheScalarReferenceByteForByte)
{
  std::mt19937 random(49494);
  for (const auto& [name, form] : fastForms())
    for (bool swap : {false, true})
      for (int count = 0; count <= kLongest; count++)
      {
        const std::vector<unsigned char> texels = randomTexels(random, count);
        // Texels past the row's end must stay as they are.
        const std::vector<unsigned char> background = randomTexels(random, count + 8);
        std::vector<unsigned char> expected = background, actual = background;
        mtlpixels::scalarKernels().copyTexels(expected.data(), texels.data(), count, swap);
        form->copyTexels(actual.data(), texels.data(), count, swap);
        ASSERT_EQ(actual, expected) << name << " count " << count << " swap " << swap;
      }
}

TEST(TexelKernels, FragmentColourBlendsMatchTheScalarReferenceByteForByte)
{
  std::mt19937 random(494949);
  std::uniform_real_distribution<float> wide(-0.5f, 1.5f), unit(0.0f, 1.0f);
  // Colours as fragment functions give them: beyond 0..1 (clamped first), opaque, empty, a
  // negative zero and channels that are not numbers among ordinary premultiplied ones.
  auto colour = [&](float out[4]) {
    switch (random() % 6)
    {
      case 0:
        for (int c = 0; c < 4; c++)
          out[c] = wide(random);
        break;
      case 1:
        for (int c = 0; c < 3; c++)
          out[c] = unit(random);
        out[3] = 1.0f;
        break;
      case 2: out[0] = out[1] = out[2] = out[3] = random() % 2 ? 0.0f : -0.0f; break;
      case 3:
        for (int c = 0; c < 4; c++)
          out[c] = unit(random);
        out[random() % 4] = NAN;
        break;
      default:
        out[3] = unit(random);
        for (int c = 0; c < 3; c++)
          out[c] = unit(random) * out[3];
    }
  };
  for (const auto& [name, form] : fastForms())
    for (bool bgra : {false, true})
      for (int count = 0; count <= kLongest; count++)
      {
        std::vector<float> colours(static_cast<size_t>(count) * 4);
        std::unique_ptr<bool[]> kept(new bool[static_cast<size_t>(count) + 1]);
        for (int i = 0; i < count; i++)
        {
          colour(&colours[static_cast<size_t>(i) * 4]);
          kept[static_cast<size_t>(i)] = random() % 4 != 0;
        }
        const auto* rows = reinterpret_cast<const float(*)[4]>(colours.data());
        const std::vector<unsigned char> background = randomTexels(random, count);
        std::vector<unsigned char> expected = background, actual = background;
        mtlpixels::scalarKernels().blendColours(expected.data(), rows, kept.get(), count, bgra);
        form->blendColours(actual.data(), rows, kept.get(), count, bgra);
        ASSERT_EQ(actual, expected) << name << " count " << count << " bgra " << bgra;
      }
}
