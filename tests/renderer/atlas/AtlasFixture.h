#pragma once
// Shared set-up of the glyph atlas suites: the test fonts and an atlas that owns them.

#include "renderer/atlas/GlyphAtlas.h"
#include "renderer/atlas/GlyphAtlasFont.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

inline const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline const char* const kRoboto = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";

inline std::vector<uint8_t> readFile(const char* path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline GlyphAtlasParams atlasParams(int width = 512, int height = 512, uint8_t flags = ATLAS_ZERO_TOPLEFT)
{
  GlyphAtlasParams params{};
  params.width = width;
  params.height = height;
  params.flags = flags;
  return params;
}

// Records what the error callback is told.
struct ErrorLog
{
  std::vector<std::pair<int, int>> errors;
  static void record(void* user, int code, int value)
  {
    static_cast<ErrorLog*>(user)->errors.emplace_back(code, value);
  }
};

class AtlasTest : public ::testing::Test
{
protected:
  void SetUp() override { makeAtlas(atlasParams()); }
  void TearDown() override { atlasDelete(atlas); }

  void makeAtlas(const GlyphAtlasParams& params)
  {
    atlasDelete(atlas);
    atlas = atlasCreate(&params);
    ASSERT_NE(atlas, nullptr);
  }
  int addFont(const char* name, const char* path)
  {
    const int id = atlasAddFontFile(atlas, name, path, 0);
    EXPECT_GE(id, 0) << path;
    return id;
  }
  GlyphAtlasFont* font(int id) { return atlas->fonts[id]; }

  GlyphAtlas* atlas = nullptr;
};
