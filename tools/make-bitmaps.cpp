// Paints the editor's bitmaps: flat icons of our own (rounded squares with simple glyphs, the
// second frame highlighted), each frame below the one before. Usage: make-bitmaps OUTPUT_FOLDER.
// The sizes fit the places the editor gives the bitmaps, in points; each bitmap is painted at
// scale 1 under its own name and at scales 2 and 3 as NAME@2x.png and NAME@3x.png, so that the
// editor draws sharp pictures at every scale it reaches.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

struct Colour
{
  float r, g, b, a;
};

constexpr Colour kBody{58, 58, 61, 255};
constexpr Colour kBodyLit{52, 92, 128, 255};
constexpr Colour kEdge{92, 93, 96, 255};
constexpr Colour kEdgeLit{110, 160, 205, 255};
constexpr Colour kGlyph{190, 193, 196, 255};
constexpr Colour kGlyphLit{240, 242, 245, 255};

// A shape answers whether a point (in frame pixels) lies inside it.
using Shape = std::function<bool(float x, float y)>;

// A picture of frames of w x h points, painted at `scale` pixels a point.
class Canvas
{
public:
  Canvas(int w, int h, int frames, int scale)
  : mW(w * scale),
    mH(h * scale),
    mFrames(frames),
    mScale(static_cast<float>(scale)),
    mPixels(size_t(mW) * mH * frames * 4, 0)
  {
  }

  // Blends a shape (in points) into one frame, with 4 x 4 samples a pixel for smooth edges.
  void Fill(int frame, const Shape& shape, const Colour& c)
  {
    constexpr int n = 4;
    for (int y = 0; y < mH; ++y)
      for (int x = 0; x < mW; ++x)
      {
        int hits = 0;
        for (int sy = 0; sy < n; ++sy)
          for (int sx = 0; sx < n; ++sx)
            hits += shape((x + (sx + 0.5f) / n) / mScale, (y + (sy + 0.5f) / n) / mScale) ? 1 : 0;
        if (hits)
          Blend(x, y + frame * mH, c, c.a / 255.f * hits / (n * n));
      }
  }

  bool Write(const std::string& path) const
  {
    return stbi_write_png(path.c_str(), mW, mH * mFrames, 4, mPixels.data(), mW * 4) != 0;
  }

private:
  void Blend(int x, int y, const Colour& c, float alpha)
  {
    uint8_t* p = &mPixels[(size_t(y) * mW + x) * 4];
    const float below = p[3] / 255.f;
    const float out = alpha + below * (1.f - alpha);
    const float src[3] = {c.r, c.g, c.b};
    for (int i = 0; i < 3; ++i)
      p[i] = static_cast<uint8_t>(std::lround((src[i] * alpha + p[i] * below * (1.f - alpha)) / out));
    p[3] = static_cast<uint8_t>(std::lround(out * 255.f));
  }

  int mW, mH, mFrames;
  float mScale;
  std::vector<uint8_t> mPixels;
};

Shape RoundRect(float l, float t, float r, float b, float radius)
{
  return [=](float x, float y) {
    if (x < l || x >= r || y < t || y >= b)
      return false;
    const float cx = std::clamp(x, l + radius, r - radius);
    const float cy = std::clamp(y, t + radius, b - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

Shape Ring(float cx, float cy, float outer, float inner)
{
  return [=](float x, float y) {
    const float d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    return d <= outer * outer && d >= inner * inner;
  };
}

Shape Disc(float cx, float cy, float radius)
{
  return Ring(cx, cy, radius, 0.f);
}

// A convex polygon given clockwise or counter-clockwise.
Shape Polygon(std::vector<std::array<float, 2>> points)
{
  return [points](float x, float y) {
    int sign = 0;
    for (size_t i = 0; i < points.size(); ++i)
    {
      const auto& a = points[i];
      const auto& b = points[(i + 1) % points.size()];
      const float cross = (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0]);
      const int s = cross > 0 ? 1 : (cross < 0 ? -1 : 0);
      if (s != 0 && sign != 0 && s != sign)
        return false;
      if (s != 0)
        sign = s;
    }
    return true;
  };
}

Shape Line(float x0, float y0, float x1, float y1, float width)
{
  return [=](float x, float y) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.f, 1.f) : 0.f;
    const float px = x0 + t * dx - x, py = y0 + t * dy - y;
    return px * px + py * py <= width * width / 4.f;
  };
}

// Capitals on a 5 x 7 grid, one row a byte, the left column the highest of five bits.
struct Glyph
{
  char c;
  std::array<uint8_t, 7> rows;
};
constexpr Glyph kGlyphs[] = {
  {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
  {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
  {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
  {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
  {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
  {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
  {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
  {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}}, {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
};

// A word of capitals centred on (cx, cy), each grid dot `dot` pixels square.
Shape Word(const std::string& text, float cx, float cy, float dot)
{
  const float advance = 6.f * dot;
  const float left = cx - (advance * text.size() - dot) / 2.f;
  const float top = cy - 3.5f * dot;
  return [=](float x, float y) {
    const int col = static_cast<int>(std::floor((x - left) / dot));
    const int row = static_cast<int>(std::floor((y - top) / dot));
    if (col < 0 || row < 0 || row >= 7)
      return false;
    const size_t letter = static_cast<size_t>(col / 6);
    const int bit = col % 6;
    if (letter >= text.size() || bit == 5)
      return false;
    for (const Glyph& g : kGlyphs)
      if (g.c == text[letter])
        return ((g.rows[row] >> (4 - bit)) & 1) != 0;
    return false;
  };
}

// A button face: frame 1 at rest, frame 2 highlighted, each with its glyph.
struct Button
{
  const char* name;
  int w, h;
  std::function<std::vector<Shape>(float w, float h)> glyph;
};

// A shape moved right by dx and down by dy.
Shape Moved(const Shape& shape, float dx, float dy)
{
  return [=](float x, float y) { return shape(x - dx, y - dy); };
}

// One face of a button, its top left corner at (dx, dy) of the frame: at rest or highlighted.
void PaintFace(Canvas& canvas, int frame, const Button& button, float dx, float dy, bool lit)
{
  const float w = static_cast<float>(button.w), h = static_cast<float>(button.h);
  canvas.Fill(frame, Moved(RoundRect(1, 1, w - 1, h - 1, 4), dx, dy), lit ? kEdgeLit : kEdge);
  canvas.Fill(frame, Moved(RoundRect(2, 2, w - 2, h - 2, 3), dx, dy), lit ? kBodyLit : kBody);
  for (const Shape& s : button.glyph(w, h))
    canvas.Fill(frame, Moved(s, dx, dy), lit ? kGlyphLit : kGlyph);
}

std::vector<Shape> Text(const char* word, float w, float h, float dot)
{
  return {Word(word, w / 2, h / 2, dot)};
}

// The file name of a bitmap at a scale: the name itself at scale 1, else NAME@Sx.EXT.
std::string ScaledName(const std::string& name, int scale)
{
  if (scale == 1)
    return name;
  const size_t dot = name.rfind('.');
  return name.substr(0, dot) + "@" + std::to_string(scale) + "x" + name.substr(dot);
}

// Paints a bitmap of w x h points and `frames` frames at every scale and writes each file.
bool Save(const std::string& folder, const std::string& name, int w, int h, int frames,
          const std::function<void(Canvas&)>& paint)
{
  bool ok = true;
  for (int scale : {1, 2, 3})
  {
    Canvas canvas(w, h, frames, scale);
    paint(canvas);
    const std::string path = folder + "/" + ScaledName(name, scale);
    if (!canvas.Write(path))
    {
      std::fprintf(stderr, "make-bitmaps: cannot write %s\n", path.c_str());
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: make-bitmaps OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string out = argv[1];
  bool ok = true;

  const Button buttons[] = {
    {"play.png", 32, 32,
     [](float w, float h) {
       return std::vector<Shape>{Polygon({{w * 0.38f, h * 0.28f}, {w * 0.72f, h * 0.5f}, {w * 0.38f, h * 0.72f}})};
     }},
    {"reset.png", 32, 32,
     [](float w, float h) {
       return std::vector<Shape>{
         [=](float x, float y) { return Ring(w / 2, h / 2, 9, 6.5f)(x, y) && !(x > w / 2 && y < h / 2); },
         Polygon({{w / 2 + 1, h / 2 - 12.5f}, {w / 2 + 7, h / 2 - 7.75f}, {w / 2 + 1, h / 2 - 3}})};
     }},
    {"trans_sync.png", 44, 32, [](float w, float h) { return Text("SYNC", w, h, 1.5f); }},
    {"write.png", 30, 28, [](float w, float h) { return Text("AUT", w, h, 1.f); }},
    {"full_compact_state.png", 30, 28,
     [](float w, float h) {
       // A window outline with its left part filled: the read-outs beside the views.
       const Shape outer = RoundRect(6, 7, w - 6, h - 7, 2);
       const Shape inner = RoundRect(7.5f, 8.5f, w - 7.5f, h - 8.5f, 1);
       return std::vector<Shape>{[=](float x, float y) { return outer(x, y) && !inner(x, y); },
                                 RoundRect(8, 9, 14, h - 9, 1)};
     }},
    {"meter_graph.png", 30, 28,
     [](float, float h) {
       return std::vector<Shape>{RoundRect(8, 12, 12, h - 7, 1), RoundRect(13.5f, 9, 17.5f, h - 7, 1),
                                 RoundRect(19, 14, 23, h - 7, 1)};
     }},
    {"settings.png", 30, 28,
     [](float w, float) {
       std::vector<Shape> s;
       const float knobs[] = {11, 19, 14};
       for (int i = 0; i < 3; ++i)
       {
         const float y = 9.f + 5.f * i;
         s.push_back(Line(7, y, w - 7, y, 1.2f));
         s.push_back(Disc(knobs[i], y, 2.2f));
       }
       return s;
     }},
    {"save_rec.png", 30, 28, [](float w, float h) { return Text("CSV", w, h, 1.f); }},
    {"save_log.png", 30, 28, [](float w, float h) { return Text("LOG", w, h, 1.f); }},
    {"button_setil.png", 30, 24, [](float w, float h) { return Text("IL", w, h, 2.f); }},
    {"button_setsl.png", 30, 24, [](float w, float h) { return Text("SL", w, h, 2.f); }},
    {"button_setml.png", 30, 24, [](float w, float h) { return Text("ML", w, h, 2.f); }},
    {"button_lim.png", 28, 24, [](float w, float h) { return Text("LIM", w, h, 1.f); }},
    {"button_previous.png", 16, 23,
     [](float, float h) {
       return std::vector<Shape>{Polygon({{11, h / 2 - 5}, {11, h / 2 + 5}, {5, h / 2}})};
     }},
    {"button_next.png", 16, 23,
     [](float, float h) {
       return std::vector<Shape>{Polygon({{5, h / 2 - 5}, {11, h / 2}, {5, h / 2 + 5}})};
     }},
    {"pluginmenu.png", 128, 23,
     [](float w, float h) {
       return std::vector<Shape>{Word("VANTORELIX", w / 2 - 6, h / 2, 1.f),
                                 Polygon({{w - 16, h / 2 - 2}, {w - 8, h / 2 - 2}, {w - 12, h / 2 + 3}})};
     }},
    {"scroll.png", 32, 20,
     [](float w, float h) {
       return std::vector<Shape>{Polygon({{w / 2 - 4, h / 2 - 5}, {w / 2 + 5, h / 2}, {w / 2 - 4, h / 2 + 5}})};
     }},
  };
  for (const Button& b : buttons)
    ok = Save(out, b.name, b.w, b.h, 2,
              [&](Canvas& c) {
                for (int frame = 0; frame < 2; ++frame)
                  PaintFace(c, frame, b, 0, 0, frame == 1);
              }) &&
         ok;

  // The update icon, at rest a faint ring that asks to be clicked for a check; the second frame,
  // a newer version exists, fills it.
  ok = Save(out, "iconupdateavailable.png", 12, 23, 2,
            [](Canvas& c) {
              c.Fill(0, Ring(6, 11.5f, 4.5f, 3.3f), kEdge);
              c.Fill(1, Disc(6, 11.5f, 4.5f), Colour{235, 150, 40, 255});
            }) &&
       ok;
  // The read-out lamp by its value: off, a low alert, within limits, a high alert.
  ok = Save(out, "readoutLED.png", 10, 10, 4,
            [](Canvas& c) {
              const Colour lamps[] = {{60, 60, 62, 255}, {235, 170, 40, 255}, {70, 190, 90, 255}, {230, 60, 50, 255}};
              for (int f = 0; f < 4; ++f)
                c.Fill(f, Disc(5, 5, 4.5f), lamps[f]);
            }) &&
       ok;
  // Three grip lines in the bottom-right corner; brighter while hovered or dragged.
  ok = Save(out, "button_resize.png", 16, 16, 2,
            [](Canvas& c) {
              for (int f = 0; f < 2; ++f)
                for (float k : {5.f, 9.f, 13.f})
                  c.Fill(f, Line(15, 15 - k, 15 - k, 15, 1.2f), f ? kGlyphLit : kEdge);
            }) &&
       ok;
  // The top bar: faint dividers between its groups, and the faces of the two export buttons,
  // whose controls take the clicks but draw nothing themselves.
  ok = Save(out, "ovl_top.png", 552, 48, 1,
            [&](Canvas& c) {
              for (float x : {136.5f, 296.5f})
                c.Fill(0, Line(x, 10, x, 38, 1.f), Colour{80, 80, 82, 255});
              for (const Button& b : buttons)
              {
                if (std::string(b.name) == "save_rec.png")
                  PaintFace(c, 0, b, 484, 10, false);
                if (std::string(b.name) == "save_log.png")
                  PaintFace(c, 0, b, 518, 10, false);
              }
            }) &&
       ok;
  // A rounded frame around the match and limiter row.
  ok = Save(out, "ovl_matchlimiter.png", 304, 59, 1,
            [](Canvas& c) {
              c.Fill(0, RoundRect(4, 23, 300, 57, 6), Colour{63, 68, 73, 255});
              c.Fill(0, RoundRect(5, 24, 299, 56, 5), Colour{28, 27, 26, 255});
            }) &&
       ok;
  return ok ? 0 : 1;
}
