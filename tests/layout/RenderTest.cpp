#include "tests/layout/EditorFixture.h"

#include "meter-ui/IMeterControl.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace layout_test;

namespace {

bool Near(const std::array<uint8_t, 4>& pixel, const IColor& c, int tolerance = 3)
{
  return std::abs(pixel[0] - c.R) <= tolerance && std::abs(pixel[1] - c.G) <= tolerance &&
         std::abs(pixel[2] - c.B) <= tolerance;
}

// A colour drawn with its alpha over black.
IColor OverBlack(const IColor& c)
{
  return IColor(255, c.R * c.A / 255, c.G * c.A / 255, c.B * c.A / 255);
}

struct Size
{
  int w, h;
};

}  // namespace

class EditorPicture : public ::testing::TestWithParam<Size>
{
};

TEST_P(EditorPicture, DrawsTheWholeEditor)
{
  const Size size = GetParam();
  MeterEditor plug;
  vtest::HeadlessGraphics& ui = plug.Open(size.w, size.h);
  ui.DrawFullFrame();
  const std::string name = "editor-" + std::to_string(size.w) + "x" + std::to_string(size.h) + ".png";
  ASSERT_TRUE(ui.WritePNG(vtest::PicturePath(name.c_str()))) << name;

  // The top bar right of the buttons, and the thin line under it.
  EXPECT_TRUE(Near(ui.Pixel(size.w - 6, 44), IColor(255, 38, 37, 36)));
  EXPECT_TRUE(Near(ui.Pixel(size.w - 6, 48), IColor(255, 128, 129, 130)));
  // The bottom band, moved with the height.
  EXPECT_TRUE(Near(ui.Pixel(size.w - 6, size.h - 4), IColor(255, 38, 37, 36)));
  // The black meter panel beside the peak scale.
  EXPECT_TRUE(Near(ui.Pixel(792, size.h / 2), IColor(255, 0, 0, 0)));
  // The SL bar's lowest zone, unlit: its colour at alpha 32 over black.
  const auto* sl = plug.As<IMeterControl>(plug.ControlPositions().meterPanel[kSlBar]);
  const IRECT& bar = sl->mBarRect;
  EXPECT_TRUE(
    Near(ui.Pixel(static_cast<int>(bar.MW()), static_cast<int>(bar.B) - 3), OverBlack(sl->mZoneColors[4].dim)));
  // The read-out area's frame fill and the IL box behind its caption.
  EXPECT_TRUE(Near(ui.Pixel(10, 200), IColor(255, 0x23, 0x23, 0x23)));
  EXPECT_TRUE(Near(ui.Pixel(140, 60 + 22), IColor(255, 0x43, 0x43, 0x43)));
}

INSTANTIATE_TEST_SUITE_P(Sizes, EditorPicture, ::testing::Values(Size{832, 446}, Size{1000, 600}),
                         [](const auto& info) {
                           return std::to_string(info.param.w) + "x" + std::to_string(info.param.h);
                         });

TEST(GraphPicture, DrawsTheGraphView)
{
  MeterEditor plug;
  plug.Settings().displayMode = 1;
  vtest::HeadlessGraphics& ui = plug.Open(1000, 600);
  ui.DrawFullFrame();
  ASSERT_TRUE(ui.WritePNG(vtest::PicturePath("editor-graph-1000x600.png")));
  // The graph's black panel reaches the stretched right edge; the meters are hidden.
  EXPECT_TRUE(Near(ui.Pixel(955, 90), IColor(255, 0, 0, 0)));
  EXPECT_TRUE(Near(ui.Pixel(980, 460), IColor(255, 20, 19, 18)));
}

TEST(CompactPicture, ShowsTheReadoutsOnly)
{
  MeterEditor plug;
  plug.Settings().layout = 0;
  vtest::HeadlessGraphics& ui = plug.Open(1000, 446);
  ui.DrawFullFrame();
  ASSERT_TRUE(ui.WritePNG(vtest::PicturePath("editor-compact.png")));
  EXPECT_EQ(ui.Width(), 304);
  EXPECT_TRUE(Near(ui.Pixel(300, 44), IColor(255, 38, 37, 36)));
  EXPECT_TRUE(Near(ui.Pixel(10, 200), IColor(255, 0x23, 0x23, 0x23)));
  // A line of the resize grip in the corner.
  EXPECT_FALSE(Near(ui.Pixel(300, 442), IColor(255, 38, 37, 36), 20));
}

namespace {
// The meter editor fed with a tone whose level changes from one refresh to the next.
class FedEditor : public MeterEditor
{
public:
  FedEditor()
  {
    SetSampleRate(48000.0);
    ResizeScratchBuffers(kBlock);
    MarkChannelsConnected(iplug::kInput, 0, 2, true);
    MarkChannelsConnected(iplug::kOutput, 0, 2, true);
    ResetProcessing();
  }

  // 50 ms of audio at the given gain, then the requests the audio raises.
  void Refresh(double gain)
  {
    std::vector<double> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
    for (int block = 0; block < 5; ++block, ++mBlocks)
    {
      for (int i = 0; i < kBlock; ++i)
        left[static_cast<size_t>(i)] = right[static_cast<size_t>(i)] = gain * std::sin(0.13 * static_cast<double>(
                                                                                                mBlocks * kBlock + i));
      double* in[] = {left.data(), right.data()};
      double* out[] = {outLeft.data(), outRight.data()};
      ProcessBlock(in, out, kBlock);
    }
    Requests().readoutRefresh = 1;
    Requests().meterRefresh = 1;
    IdleTick();
  }

private:
  static constexpr int kBlock = 480;
  long mBlocks = 0;
};
}  // namespace

// Only the meters, read-outs and graph that changed are drawn again, in many small areas: what
// shows must still be what drawing everything shows, in the meter view and in the graph view, at
// the scales a user picks.
struct RefreshCase
{
  int view;  // 0 meters, 1 graph
  int scale;
};

class EditorRefresh : public ::testing::TestWithParam<RefreshCase>
{
};

TEST_P(EditorRefresh, ShowsWhatAFullFrameShows)
{
  FedEditor plug;
  plug.Settings().displayMode = GetParam().view;
  plug.Settings().guiScale = GetParam().scale;
  vtest::HeadlessGraphics& ui = plug.Open();
  const int w = 832 * GetParam().scale, h = 446 * GetParam().scale;
  ASSERT_EQ(ui.Layer().drawableSize().width, static_cast<NSUInteger>(w));
  ui.DrawFullFrame();
  for (double gain : {0.05, 0.4, 0.1, 0.8, 0.02})
  {
    plug.Refresh(gain);
    ASSERT_TRUE(ui.DrawFrame());
    std::vector<std::array<uint8_t, 4>> refreshed;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        refreshed.push_back(ui.Pixel(x, y));
    ui.DrawFullFrame();
    int differing = 0, firstX = -1, firstY = -1;
    size_t k = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (refreshed[k++] != ui.Pixel(x, y) && differing++ == 0)
        {
          firstX = x;
          firstY = y;
        }
    EXPECT_EQ(differing, 0) << "at gain " << gain << ", the first at " << firstX << "," << firstY;
  }
}

INSTANTIATE_TEST_SUITE_P(Views, EditorRefresh,
                         ::testing::Values(RefreshCase{0, 1}, RefreshCase{1, 1}, RefreshCase{0, 2}, RefreshCase{1, 2}),
                         [](const auto& info) {
                           return std::string(info.param.view == 0 ? "Meters" : "Graph") + "AtScale" +
                                  std::to_string(info.param.scale);
                         });
