#include "BackendFixture.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform-mac/IGraphicsCoreText.h"

using namespace vtest;

namespace {

bool Dark(const Rgba& p)
{
  return p[0] < 128 && p[1] < 128 && p[2] < 128;
}

// Runs of dark pixels along a row between x0 and x1.
int DarkRuns(HeadlessGraphics& g, int y, int x0, int x1)
{
  int runs = 0;
  bool inRun = false;
  for (int x = x0; x < x1; ++x)
  {
    const bool dark = Dark(g.Pixel(x, y));
    runs += dark && !inRun;
    inRun = dark;
  }
  return runs;
}

std::vector<unsigned char> ResourceBytes(const char* name)
{
  std::ifstream file(std::string(VANTORELIX_BUNDLE_RESOURCES) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A platform font that counts how often its bytes are read.
class CountingFont : public PlatformFont
{
public:
  explicit CountingFont(PlatformFont* font) : mFont(font) {}
  void* GetDescriptor() override { return mFont->GetDescriptor(); }
  IFontDataRecord* GetFontData() override
  {
    ++reads;
    return mFont->GetFontData();
  }
  int reads = 0;

private:
  std::unique_ptr<PlatformFont> mFont;
};

IText Text(const char* font, EAlign align = EAlign::Near, EVAlign valign = EVAlign::Top)
{
  IText text(40.f, IColor(255, 0, 0, 0));
  std::strcpy(text.mFont, font);
  text.mAlign = align;
  text.mVAlign = valign;
  return text;
}

TEST_F(BackendTest, TextOfBothFontsIsDrawnWhereItMeasures)
{
  ASSERT_TRUE(g->LoadFont("Roboto-Regular", "Roboto-Regular.ttf"));
  ASSERT_TRUE(g->LoadFont("Verdana", "verdana.ttf"));
  IRECT roboto(10.f, 5.f, 150.f, 50.f);
  IRECT dejavu(10.f, 50.f, 150.f, 95.f);
  Paint([&](IGraphics& gr, PaintControl&) {
    gr.DrawText(Text("Roboto-Regular"), "HH", roboto);
    gr.DrawText(Text("Verdana"), "HH", dejavu);
    gr.MeasureText(Text("Roboto-Regular"), "HH", roboto);
    gr.MeasureText(Text("Verdana"), "HH", dejavu);
  });
  for (const IRECT& box : {roboto, dejavu})
  {
    ASSERT_GT(box.W(), 20.f);
    // Four stems across a row a quarter down the capitals, nothing dark beside the text.
    const int capitalsTop = static_cast<int>(box.T + 0.3f * box.H());
    EXPECT_EQ(DarkRuns(*g, capitalsTop, 0, kWidth), 4);
    EXPECT_FALSE(Dark(At(static_cast<int>(box.R) + 2, capitalsTop)));
  }
  // The two fonts differ: DejaVu Sans sets the same text wider.
  EXPECT_GT(dejavu.W(), roboto.W());
}

TEST_F(BackendTest, MeasuringFollowsTheAlignment)
{
  ASSERT_TRUE(g->LoadFont("Roboto-Regular", "Roboto-Regular.ttf"));
  const IRECT area(20.f, 10.f, 140.f, 90.f);
  IRECT nearTop = area;
  g->MeasureText(Text("Roboto-Regular"), "Text", nearTop);
  IRECT farBottom = area;
  g->MeasureText(Text("Roboto-Regular", EAlign::Far, EVAlign::Bottom), "Text", farBottom);
  EXPECT_NEAR(nearTop.L, area.L, 1.5f);
  EXPECT_NEAR(nearTop.T, area.T, 1.5f);
  EXPECT_NEAR(farBottom.R, area.R, 1.5f);
  EXPECT_NEAR(farBottom.B, area.B, 1.5f);
  EXPECT_FLOAT_EQ(farBottom.W(), nearTop.W());
  // An alignment that is none of the three is taken as near and top.
  IRECT unknown = area;
  g->MeasureText(Text("Roboto-Regular", static_cast<EAlign>(7), static_cast<EVAlign>(-1)), "Text", unknown);
  EXPECT_EQ(unknown, nearTop);
}

// A text in a font that is not loaded measures nothing: the rectangle stays where the alignment
// puts the text, with an empty width, at the screen's scale too.
TEST_F(BackendTest, TextInAFontNotLoadedKeepsItsPlaceWithAnEmptyWidth)
{
  const IRECT area(20.f, 10.f, 140.f, 90.f);
  for (float screenScale : {1.f, 2.f})
  {
    Open(screenScale);
    const struct
    {
      EAlign align;
      float x;
    } places[] = {{EAlign::Near, area.L}, {EAlign::Center, area.MW()}, {EAlign::Far, area.R}};
    for (const auto& place : places)
    {
      IRECT measured = area;
      EXPECT_EQ(g->MeasureText(Text("Not Loaded", place.align, EVAlign::Middle), "Text", measured), 0.f);
      EXPECT_EQ(measured, IRECT(place.x, area.T, place.x, area.B)) << "at scale " << screenScale;
    }
  }
}

TEST_F(BackendTest, FontBytesAreReadOnceForEveryGraphicsObject)
{
  CountingFont font(g->LoadNativeFontFromFile("Counted", "Roboto-Regular.ttf"));
  HeadlessDelegate otherDelegate;
  auto other = std::make_unique<HeadlessGraphics>(otherDelegate, 40, 40);
  other->OpenWindow(nullptr);
  EXPECT_TRUE(g->LoadBackendFont("Counted", &font));
  EXPECT_TRUE(other->LoadBackendFont("Counted", &font));
  EXPECT_EQ(font.reads, 1);
  // The last graphics object takes the stored bytes with it.
  other.reset();
  g.reset();
  Open(1.f);
  EXPECT_TRUE(g->LoadBackendFont("Counted", &font));
  EXPECT_EQ(font.reads, 2);
}

TEST_F(BackendTest, FontTheGlyphAtlasRefusesIsNotKept)
{
  // Roboto without its character map: names and metrics are there, glyphs cannot be found.
  std::vector<unsigned char> bytes = ResourceBytes("Roboto-Regular.ttf");
  const uint16_t nTables = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
  for (size_t entry = 12; entry < 12 + 16 * size_t{nTables}; entry += 16)
  {
    if (std::memcmp(&bytes[entry], "cmap", 4) == 0)
    {
      bytes[entry] = 'x';
    }
  }
  CountingFont font(g->LoadNativeFontFromMemory("Broken", bytes.data(), static_cast<int>(bytes.size())));
  EXPECT_FALSE(g->LoadBackendFont("Broken", &font));
  EXPECT_FALSE(g->LoadBackendFont("Broken", &font));
  EXPECT_EQ(font.reads, 2);
}

}  // namespace
