// Writes the table that maps a peak amplitude to its 0.1 dB bin without a logarithm: the amplitudes
// above the -144 dB floor, cut into cells by their exponent and leading mantissa bits, 128 cells per
// octave, narrower than a bin (a ratio of 1.0116), so that no cell holds more than one bin edge.
// Each cell keeps the bin at its start and the first amplitude in it that reaches the next bin, both
// found by evaluating the level itself. Usage: make-amplitude-bins OUTPUT_HEADER.

#include "meter-engine/LevelScales.h"
#include "meter-engine/PeakDetection.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kShift = 45;  // 52 mantissa bits less the 7 that pick the cell
constexpr uint64_t kFirstKey = std::bit_cast<uint64_t>(levels::kAmplitudeFloor) >> kShift;
// Up to the octave of 2^24, above the +144 dB clamp (1.58e7).
constexpr uint64_t kCells = (std::bit_cast<uint64_t>(0x1p25) >> kShift) - kFirstKey;

int Exact(double a)
{
  return PeakWindowTracker::BinOf(levels::AmplitudeLevel(a));
}
double At(uint64_t bits)
{
  return std::bit_cast<double>(bits);
}

struct Cell
{
  int start;
  double edge;  // HUGE_VAL: the cell lies inside one bin
};

Cell Find(uint64_t cell)
{
  // The cell's amplitudes as bit patterns [lo, hi); the first cell starts above the floor.
  uint64_t lo = std::max((kFirstKey + cell) << kShift, std::bit_cast<uint64_t>(levels::kAmplitudeFloor) + 1);
  uint64_t hi = (kFirstKey + cell + 1) << kShift;
  const int start = Exact(At(lo));
  if (Exact(At(hi - 1)) == start)
    return {start, HUGE_VAL};
  // The level rises with the amplitude: the edge is the first amplitude of a raised bin. The
  // amplitude of the edge's level lies within a few steps of it, so the search starts from a
  // narrow bracket round that guess and widens to the cell only when the guess misses.
  const double edgeLevel = (start + 1) * (PeakWindowTracker::kRange / PeakWindowTracker::kBinCount) +
                           PeakWindowTracker::kLowLimit;
  const uint64_t guess = std::bit_cast<uint64_t>(levels::DbToAmplitude(edgeLevel));
  constexpr uint64_t kBracket = 64;
  const uint64_t nearLo = std::clamp(guess - kBracket, lo, hi), nearHi = std::clamp(guess + kBracket, lo, hi);
  if (Exact(At(nearLo)) == start && Exact(At(nearHi)) != start)
  {
    lo = nearLo;
    hi = nearHi;
  }
  while (hi - lo > 1)
  {
    const uint64_t mid = lo + (hi - lo) / 2;
    (Exact(At(mid)) == start ? lo : hi) = mid;
  }
  return {start, At(hi)};
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: make-amplitude-bins OUTPUT_HEADER\n");
    return 2;
  }
  std::vector<Cell> cells;
  for (uint64_t cell = 0; cell < kCells; ++cell)
    cells.push_back(Find(cell));

  FILE* out = std::fopen(argv[1], "w");
  if (!out)
  {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(
    out, "#pragma once\n// Written by make-amplitude-bins at build time.\n#include <cmath>\n#include <cstdint>\n\n");
  std::fprintf(out, "namespace amplitude_bins {\n\n");
  std::fprintf(out, "constexpr int kLowest = %d;  // at and below the floor\n", Exact(0.0));
  std::fprintf(out, "constexpr int kHighest = %d;  // beyond the last cell\n", Exact(HUGE_VAL));
  std::fprintf(out, "constexpr int kShift = %d;\n", kShift);
  std::fprintf(out, "constexpr uint64_t kFirstKey = %llu;\n", static_cast<unsigned long long>(kFirstKey));
  std::fprintf(out, "constexpr uint64_t kCells = %llu;\n\n", static_cast<unsigned long long>(kCells));
  std::fprintf(out, "constexpr int16_t kStart[kCells] = {\n");
  for (const Cell& c : cells)
    std::fprintf(out, "%d,\n", c.start);
  std::fprintf(out, "};\n\nconstexpr double kEdge[kCells] = {\n");
  for (const Cell& c : cells)
    c.edge == HUGE_VAL ? std::fprintf(out, "HUGE_VAL,\n") : std::fprintf(out, "%a,\n", c.edge);
  std::fprintf(out, "};\n\n}  // namespace amplitude_bins\n");
  return std::fclose(out) == 0 ? 0 : 1;
}
