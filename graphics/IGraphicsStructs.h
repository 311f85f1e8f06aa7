#pragma once

// Plain value records shared by the graphics core, its back ends and every control.
// Coordinates are editor points; only snapping and the back end convert them to pixels.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace iplug {

// One key event as the windowing layer translates it: a virtual key code (0 when the platform
// gave none), the key's UTF-8 text and the three modifier keys.
struct IKeyPress
{
  int VK = 0;
  char utf8[5] = {};
  bool S = false, C = false, A = false;

  IKeyPress() = default;
  IKeyPress(const char* str, int vk, bool s = false, bool c = false, bool a = false) : VK(vk), S(s), C(c), A(a)
  {
    if (str)
    {
      std::memcpy(utf8, str, strnlen(str, sizeof(utf8) - 1));
    }
  }
};

namespace igraphics {

class IControl;
class IGraphics;

using ControlActionFunc = std::function<void(IControl*)>;

enum class EDirection { Vertical = 0, Horizontal = 1 };
enum class EUIAppearance { Light = 0, Dark = 1 };
enum class EAlign { Near = 0, Center = 1, Far = 2 };
enum class EVAlign { Top = 0, Middle = 1, Bottom = 2 };

enum class EGestureType {
  Unknown = 0,
  DoubleTap,
  TripleTap,
  LongPress1,
  LongPress2,
  SwipeLeft,
  SwipeRight,
  SwipeUp,
  SwipeDown,
  Pinch,
  Rotate,
  Pan
};

enum class EGestureState { Unknown = 0, Began, InProcess, Ended };

// What a recognised gesture reports to the control or region that handles it.
struct IGestureInfo
{
  float x = 0.f, y = 0.f;
  float scale = 0.f;
  float velocity = 0.f;
  float angle = 0.f;
  EGestureState state = EGestureState::Unknown;
  EGestureType type = EGestureType::Unknown;
};

using GestureFunc = std::function<void(IControl*, const IGestureInfo&)>;

struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  constexpr bool operator==(const IColor&) const = default;

  // Lighter (c > 0) or darker (c < 0): int(c x 255) added to red, green and blue, each kept in
  // 0..255; alpha unchanged.
  IColor WithContrast(float c) const
  {
    const int d = static_cast<int>(c * 255.f);
    return IColor(A, std::clamp(R + d, 0, 255), std::clamp(G + d, 0, 255), std::clamp(B + d, 0, 255));
  }
};

struct IBlend
{
  int mMethod = 0;  // 0: the back end's default compositing
  float mWeight = 1.f;

  constexpr IBlend() = default;
  constexpr IBlend(int method, float weight) : mMethod(method), mWeight(weight) {}
};

// The font name holds 63 characters and the terminator; longer names are cut.
struct IText
{
  static constexpr int kMaxFontNameLen = 64;

  char mFont[kMaxFontNameLen] = "Roboto-Regular";
  float mSize = 14.f;
  IColor mFGColor{255, 0, 0, 0};
  IColor mTextEntryBGColor{255, 255, 255, 255};
  IColor mTextEntryFGColor{255, 0, 0, 0};
  float mAngle = 0.f;
  EAlign mAlign = EAlign::Center;
  EVAlign mVAlign = EVAlign::Middle;

  constexpr IText() = default;
  IText(float size, const IColor& color = IColor(255, 0, 0, 0), const char* font = nullptr,
        EAlign align = EAlign::Center, EVAlign valign = EVAlign::Middle, float angle = 0.f,
        const IColor& entryBG = IColor(255, 255, 255, 255), const IColor& entryFG = IColor(255, 0, 0, 0))
  : mSize(size),
    mFGColor(color),
    mTextEntryBGColor(entryBG),
    mTextEntryFGColor(entryFG),
    mAngle(angle),
    mAlign(align),
    mVAlign(valign)
  {
    if (font)
    {
      SetFont(font);
    }
  }

  void SetFont(const char* font)
  {
    std::strncpy(mFont, font ? font : "", kMaxFontNameLen - 1);
    mFont[kMaxFontNameLen - 1] = '\0';
  }
};

struct IMatrix
{
  double mXX = 1.0, mYX = 0.0, mXY = 0.0, mYY = 1.0, mTX = 0.0, mTY = 0.0;

  constexpr IMatrix() = default;
  constexpr IMatrix(double xx, double yx, double xy, double yy, double tx, double ty)
  : mXX(xx), mYX(yx), mXY(xy), mYY(yy), mTX(tx), mTY(ty)
  {
  }

  constexpr bool operator==(const IMatrix&) const = default;

  // this x m: the result applies m first, then this.
  IMatrix& Transform(const IMatrix& m)
  {
    const IMatrix p = *this;
    mXX = m.mXX * p.mXX + m.mYX * p.mXY;
    mYX = m.mXX * p.mYX + m.mYX * p.mYY;
    mXY = m.mXY * p.mXX + m.mYY * p.mXY;
    mYY = m.mXY * p.mYX + m.mYY * p.mYY;
    mTX = m.mTX * p.mXX + m.mTY * p.mXY + p.mTX;
    mTY = m.mTX * p.mYX + m.mTY * p.mYY + p.mTY;
    return *this;
  }
};

struct IMouseMod
{
  bool L = false, R = false, S = false, C = false, A = false;
  uint64_t touchID = 0;
  float touchRadius = 0.f;

  constexpr IMouseMod() = default;
  constexpr IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false, uint64_t touch = 0)
  : L(l), R(r), S(s), C(c), A(a), touchID(touch)
  {
  }
};

struct IMouseInfo
{
  float x = 0.f, y = 0.f;
  float dX = 0.f, dY = 0.f;
  IMouseMod ms;
};

// A rectangle with four float sides in points. One whose four sides are all 0 is empty everywhere:
// it contains nothing and drops out of unions.
struct IRECT
{
  float L = 0.f, T = 0.f, R = 0.f, B = 0.f;

  constexpr IRECT() = default;
  constexpr IRECT(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

  constexpr bool operator==(const IRECT&) const = default;

  constexpr bool Empty() const { return L == 0.f && T == 0.f && R == 0.f && B == 0.f; }
  constexpr float W() const { return R - L; }
  constexpr float H() const { return B - T; }
  constexpr float MW() const { return 0.5f * (L + R); }
  constexpr float MH() const { return 0.5f * (T + B); }
  constexpr float Area() const { return W() * H(); }

  // Left and top edges inclusive, right and bottom exclusive.
  constexpr bool Contains(float x, float y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }

  // Whether r lies wholly inside this rectangle (edges may touch).
  constexpr bool Contains(const IRECT& r) const
  {
    return !Empty() && !r.Empty() && L <= r.L && r.R <= R && T <= r.T && r.B <= B;
  }

  constexpr bool Intersects(const IRECT& r) const
  {
    return !Empty() && !r.Empty() && R > r.L && r.R >= L && r.B >= T && B > r.T;
  }

  // The overlap of two rectangles; the empty rectangle when they do not overlap.
  constexpr IRECT Intersect(const IRECT& r) const
  {
    if (!Intersects(r))
    {
      return IRECT();
    }
    return IRECT(std::max(L, r.L), std::max(T, r.T), std::min(R, r.R), std::min(B, r.B));
  }

  // The smallest rectangle holding both; an empty operand drops out.
  constexpr IRECT Union(const IRECT& r) const
  {
    if (Empty())
    {
      return r;
    }
    if (r.Empty())
    {
      return *this;
    }
    return IRECT(std::min(L, r.L), std::min(T, r.T), std::max(R, r.R), std::max(B, r.B));
  }

  constexpr IRECT GetPadded(float l, float t, float r, float b) const { return IRECT(L - l, T - t, R + r, B + b); }
  constexpr IRECT GetPadded(float pad) const { return GetPadded(pad, pad, pad, pad); }
  constexpr IRECT GetTranslated(float x, float y) const { return IRECT(L + x, T + y, R + x, B + y); }
  // The same centre with width and height multiplied by f.
  constexpr IRECT GetScaledAboutCentre(float f) const
  {
    const float hw = 0.5f * W() * f, hh = 0.5f * H() * f;
    return IRECT(MW() - hw, MH() - hh, MW() + hw, MH() + hh);
  }

  // A w by h rectangle centred in this one; the width is at least 1, and a height of 0 or less
  // takes the width (a square).
  constexpr IRECT GetCentredInside(float w, float h = 0.f) const
  {
    w = std::max(w, 1.f);
    if (h <= 0.f)
    {
      h = w;
    }
    return IRECT(MW() - w / 2.f, MH() - h / 2.f, MW() + w / 2.f, MH() + h / 2.f);
  }

  // Snapped outward to whole device pixels at the given scale.
  IRECT GetPixelAligned(float scale) const
  {
    return IRECT(std::floor(L * scale) / scale, std::floor(T * scale) / scale, std::ceil(R * scale) / scale,
                 std::ceil(B * scale) / scale);
  }
  void PixelAlign(float scale) { *this = GetPixelAligned(scale); }
};

// A paint for path fills and strokes: a solid colour or a linear or radial gradient.
struct IPattern
{
  static constexpr int kMaxStops = 16;

  struct Stop
  {
    IColor mColor{255, 0, 0, 0};
    float mOffset = 0.f;
  };

  int mType = 0;    // 0 solid, 1 linear gradient, 2 radial gradient
  int mExtend = 1;  // 1 for a solid colour; for gradients 1 + the spread (0 pad, 1 reflect, 2 repeat)
  Stop mStops[kMaxStops];
  int mNStops = 1;
  IMatrix mTransform;

  IPattern() = default;
  IPattern(const IColor& color) { mStops[0].mColor = color; }  // NOLINT: a colour is a paint

  // Appends a stop; stops past the sixteenth are dropped.
  void AddStop(const IColor& color, float offset)
  {
    if (mNStops < kMaxStops)
    {
      mStops[mNStops++] = {color, offset};
    }
  }
  const Stop& GetStop(int idx) const { return mStops[idx]; }
  int NStops() const { return mNStops; }
};

struct IStrokeOptions
{
  struct DashOptions
  {
    float mArray[8] = {};
    float mOffset = 0.f;
    int mCount = 0;  // 0: a solid line

    void SetDash(const float* lengths, float offset, int count)
    {
      mCount = std::clamp(count, 0, 8);
      for (int i = 0; i < mCount; ++i)
      {
        mArray[i] = lengths[i];
      }
      mOffset = offset;
    }
  };

  float mMiterLimit = 10.f;
  bool mPreserve = false;
  int mCapOption = 0;
  int mJoinOption = 0;
  DashOptions mDash;
};

struct IFillOptions
{
  int mFillRule = 0;  // 0 whole path solid, 1 hole winding, 2 keep the winding set per sub-path
  bool mPreserve = false;

  IFillOptions() = default;
  IFillOptions(int rule, bool preserve) : mFillRule(rule), mPreserve(preserve) {}
};

// A growable list of rectangles: the dirty list of a frame and the gesture regions.
class IRECTList
{
public:
  int Size() const { return static_cast<int>(mRects.size()); }
  bool Empty() const { return mRects.empty(); }
  void Add(const IRECT& r) { mRects.push_back(r); }
  void Set(int idx, const IRECT& r) { mRects[static_cast<size_t>(idx)] = r; }
  const IRECT& Get(int idx) const { return mRects[static_cast<size_t>(idx)]; }
  void Remove(int idx) { mRects.erase(mRects.begin() + idx); }
  void Clear() { mRects.clear(); }

  IRECT Bounds() const
  {
    IRECT u;
    for (const IRECT& r : mRects)
    {
      u = u.Union(r);
    }
    return u;
  }

private:
  std::vector<IRECT> mRects;
};

}  // namespace igraphics
}  // namespace iplug
