// The loudness graph's LRA, dialogue, PLR and PSR bands and the PLR and PSR reference lines.

#include "meter-ui/GraphDrawing.h"
#include "meter-ui/MeterStyle.h"

#include <vector>

using namespace iplug::igraphics;
using namespace graphdrawing;

namespace {

constexpr int kLraValidFlag = kAlertCount;  // the byte after the alert flags

// Band pieces of one colour that follow each other, drawn as one path: fewer calls, and no seams
// where translucent pieces would overlap. A piece of another colour starts a new path.
class BandPath
{
public:
  BandPath(IGraphics& g, const IBlend* blend) : mG(g), mBlend(blend) {}
  ~BandPath() { Flush(); }
  BandPath(const BandPath&) = delete;
  BandPath& operator=(const BandPath&) = delete;

  void Add(const IColor& color, float xi, float xj, float topI, float topJ, float bottomI, float bottomJ)
  {
    if (color != mColor)
      Flush();
    mColor = color;
    if (mTop.empty())
    {
      mTop.push_back({xi, topI});
      mBottom.push_back({xi, bottomI});
    }
    Extend(mTop, {xj, topJ});
    Extend(mBottom, {xj, bottomJ});
  }

  void Flush()
  {
    if (mTop.size() >= 2)
    {
      mG.PathClear();
      mG.PathMoveTo(mTop[0].x, mTop[0].y);
      for (size_t k = 1; k < mTop.size(); ++k)
        mG.PathLineTo(mTop[k].x, mTop[k].y);
      for (size_t k = mBottom.size(); k-- > 0;)
        mG.PathLineTo(mBottom[k].x, mBottom[k].y);
      mG.PathClose();
      mG.PathFill(IPattern(mColor), IFillOptions(), mBlend);
    }
    mTop.clear();
    mBottom.clear();
  }

private:
  struct Point
  {
    float x, y;
  };
  // A level held from one pair to the next lengthens the edge it is on rather than adding a point
  // in its middle: the same outline, with fewer edges for the renderer to walk.
  static void Extend(std::vector<Point>& chain, Point p)
  {
    const size_t n = chain.size();
    if (n >= 2 && chain[n - 1].y == p.y && chain[n - 2].y == p.y)
      chain[n - 1].x = p.x;
    else
      chain.push_back(p);
  }

  IGraphics& mG;
  const IBlend* mBlend;
  IColor mColor;
  std::vector<Point> mTop, mBottom;
};

}  // namespace

void IGraphControl::DrawBands(IGraphics& g, const Window& w)
{
  const Snapshot& live = *w.live;
  const float t = mPlot.T, b = mPlot.B, h = mPlot.H();
  if (mShowPLR)
    for (double position : mPLRPositions)
    {
      const float y = static_cast<float>(b - h * position);
      if (y > t && y < b)
        g.DrawLine(mColors[kReferenceLineColor], mPlot.L, y, mPlot.R, y, &mBlend, 1.5f);
    }
  if (mShowPSR)
    for (double position : mPSRPositions)
    {
      const float y = static_cast<float>(b - h * position);
      if (y > t && y < b)
        g.FillRect(mColors[kReferenceLineColor], IRECT(mPlot.L, y, mPlot.R, y + 1), &mBlend);
    }
  const size_t step = static_cast<size_t>(w.step);
  const IColor lraColor = WithAlpha(mColors[kLRAColor], mColors[kLRAColor].A - 64);
  const IColor dialogueColor = WithAlpha(mColors[kDialogueColor], mColors[kDialogueColor].A - 64);
  BandPath lra(g, &mBlend), dialogue(g, &mBlend), plr(g, &mBlend), psr(g, &mBlend);
  float dialogueTop = b;
  for (size_t i = w.first > w.runStart ? w.first - 1 : w.first; i + 1 < w.end; i += step)
  {
    const size_t j = std::min(i + step, w.end - 1);
    const LoudnessHistoryPoint& pi = live.At(i);
    const LoudnessHistoryPoint& pj = live.At(j);
    const float xi = std::max(w.X(i), mPlot.L), xj = std::max(w.X(j), mPlot.L);
    if (mShowLRA && pi.alertActive[kLraValidFlag] && pj.alertActive[kLraValidFlag])
      lra.Add(lraColor, xi, xj, LevelY(pi.rangeHigh), LevelY(pj.rangeHigh), LevelY(pi.rangeLow), LevelY(pj.rangeLow));
    else
      lra.Flush();  // the LRA is drawn only between entries that both carry one
    if (mShowDialogue)
    {
      // Flat over each pair: a new height starts a new path.
      const float y = static_cast<float>(b - h * std::clamp(static_cast<double>(pi.dialoguePresent), 0.0, 1.0));
      if (y != dialogueTop)
        dialogue.Flush();
      dialogueTop = y;
      if (y < b)
        dialogue.Add(dialogueColor, xi, xj, y, y, b, b);
    }
    // The colour follows the ratio pair by pair; pairs of one colour make one path.
    auto ratioBand = [&](BandPath& band, double LoudnessHistoryPoint::*value, double reference) {
      const double vi = NotBelowZero(pi.*value), vj = NotBelowZero(pj.*value);
      const double centre = mMiddle + mOffset;
      band.Add(RatioColour(mColors[kBandHighColor], mColors[kBandLowColor], std::max(pi.*value, pj.*value), reference),
               xi, xj, LevelY(centre + vi / 2), LevelY(centre + vj / 2), LevelY(centre - vi / 2),
               LevelY(centre - vj / 2));
    };
    if (mShowPLR)
      ratioBand(plr, &LoudnessHistoryPoint::plr, mPLRReference);
    if (mShowPSR)
      ratioBand(psr, &LoudnessHistoryPoint::psr, mPSRReference);
  }
  // In the order a pair's bands are drawn in.
  for (BandPath* band : {&lra, &dialogue, &plr, &psr})
    band->Flush();
}
