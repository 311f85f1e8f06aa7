// The factory presets: "Init" (every default) and fifty set-ups for loudness standards, delivery
// targets and metering schemes. Each preset is a list of (parameter, value) pairs in one of two
// layouts; every parameter a preset leaves out gets its declared default.

#include "meter-engine/LoudnessEngine.h"
#include "meter-engine/WeightingFilter.h"
#include "meter-plugin/StateChunk.h"
#include "meter-plugin/Vantorelix.h"

#include <array>
#include <memory>
#include <vector>

namespace {

using Marks = std::array<double, 6>;
using Colours = std::array<uint32_t, kMeterColorCount>;

enum Unit { kDB = 0, kLU = 1, kLK = 2 };
enum Range { kLRA = 0, kPSR = 2 };
enum LMScale { kStd = 0, kEBU = 1, kBS1770 = 2, kKSystem = 3 };

constexpr int Gate(GateMode mode)
{
  return static_cast<int>(mode);
}
constexpr int Weighting(WeightingMode mode)
{
  return static_cast<int>(mode);
}
constexpr int kOff = 0, kAuto = 2;  // alert modes

// Loudness-meter colour sets.
constexpr Colours kC1{0xFF382D, 0xFF382D, 0xB6C0C5, 0x5F85A7, 0x386B95, 0x205079};
constexpr Colours kC2{0xFF382D, 0xFF382D, 0xD87836, 0xBEA74D, 0x538632, 0x538632};
constexpr Colours kC3{0xFF382D, 0xFF382D, 0xD87836, 0xBEA74D, 0x538632, 0x2A4717};
constexpr Colours kC4{0xFF382D, 0xFF382D, 0xE6C44A, 0x159B45, 0x159B45, 0x159B45};
constexpr Colours kC5{0xFF382D, 0xFF382D, 0xDDE1B6, 0xEB8739, 0xE6C44A, 0x095623};
constexpr Colours kC6{0xFF382D, 0xFF382D, 0xE6C44A, 0x095623, 0x095623, 0x095623};
constexpr Colours kC7{0x80FFFF, 0x80FFFF, 0x00FF00, 0x00FF00, 0x006FBF, 0x006FBF};
constexpr Colours kC8{0xA0DCFF, 0xA0DCFF, 0x006FBF, 0x006FBF, 0x006FBF, 0x006FBF};
// The peak meter's colours in every preset but one.
constexpr Colours kPeakColours{0xFF382D, 0xFF382D, 0x919898, 0x808689, 0x505358, 0x2B2C30};

// Mode and level of every alert, in parameter order (IL Min, IL Dial Min, SL Min, ML Min, IL Max,
// IL Dial Max, SL Max, ML Max, TP Max, Peak Max, LRA Min, LRADial Min, PLR Min, PSR Min,
// Dialog Min); every period is 0.
struct AlertSetting
{
  int mode;
  double level;
};
using AlertTable = std::array<AlertSetting, kAlertParamCount>;

// clang-format off
constexpr AlertTable kEbuAlerts{{{kAuto, -24.0}, {kAuto, -19.0}, {kAuto, -26.0}, {kAuto, -24.0}, {kAuto, -22.0},
                                 {kAuto, -17.0}, {kAuto, -20.0}, {kAuto, -12.0}, {kAuto, -1.0}, {kAuto, -1.0},
                                 {kAuto, 10.0}, {kOff, 15.0}, {kOff, 15.0}, {kOff, 15.0}, {kOff, 15.0}}};
constexpr AlertTable kNetflixAlerts{{{kOff, -29.0}, {kAuto, -29.0}, {kOff, -30.0}, {kOff, -33.0}, {kOff, -25.0},
                                     {kAuto, -25.0}, {kOff, -24.0}, {kOff, -21.0}, {kAuto, -2.0}, {kAuto, -2.0},
                                     {kOff, 15.0}, {kOff, 15.0}, {kOff, 15.0}, {kOff, 15.0}, {kAuto, 15.0}}};
constexpr AlertTable kDialogAlerts{{{kOff, -25.0}, {kOff, -25.0}, {kOff, -26.0}, {kOff, -24.0}, {kOff, -23.0},
                                    {kAuto, -23.0}, {kAuto, -20.0}, {kOff, -12.0}, {kAuto, -2.0}, {kAuto, -2.0},
                                    {kOff, 15.0}, {kAuto, 5.0}, {kOff, 15.0}, {kOff, 15.0}, {kAuto, 25.0}}};
// clang-format on

// The read-out palette: "RVC12", then the four columns every row repeats.
struct ReadoutPalette
{
  uint32_t base;
  std::array<uint32_t, kReadoutGroupSize> row;
};
constexpr ReadoutPalette kDefaultReadouts{0x232323, {0x434343, 0xA7A8AC, 0x1E1E1E, 0xD7D7D7}};
constexpr ReadoutPalette kDarkReadouts{0x30353A, {0x070809, 0xEFE8A7, 0x070809, 0x07DAF8}};

// The first layout sets every alert and the read-out palette; the second only the IL and SL
// alert levels, leaving the alert modes, periods and read-out colours at their defaults.
struct LayoutA
{
  const AlertTable* alerts;
  const ReadoutPalette* readouts;
};
struct LayoutB
{
  double ilMin, ilMax, slMin, slMax;
};

struct FactoryPreset
{
  const char* name;
  double target;
  double maxPeak;
  int gate;
  double slMs;
  double mlMs;
  int unit;
  double refOffset;
  int weighting;
  int range;
  int lmScale;
  Marks lmMarks;
  Marks peakMarks;
  const Colours* lmColours;
  const AlertTable* alerts;         // layout A, else null
  const ReadoutPalette* readouts;   // layout A
  std::array<double, 4> keyLevels;  // layout B: IL Min, IL Max, SL Min, SL Max levels
  const Colours* peakColours = &kPeakColours;
};

constexpr int kG8 = Gate(GateMode::G8), kG10 = Gate(GateMode::G10), kDial = Gate(GateMode::Dial),
              kNoGate = Gate(GateMode::Off);
constexpr int kLeqK = Weighting(WeightingMode::LeqK), kLeqM = Weighting(WeightingMode::LeqM),
              kNoFilter = Weighting(WeightingMode::Off);

constexpr Marks kEbu27{4.0, -23.0, -27.0, -36.0, -54.0, -77.0};
constexpr Marks kEbu18{-5.0, -23.0, -27.0, -36.0, -54.0, -59.0};
constexpr Marks kEbu9{-14.0, -23.0, -27.0, -33.0, -39.0, -41.0};
constexpr Marks kBs1770{-14.0, -24.0, -27.0, -30.0, -33.0, -45.0};
constexpr Marks kPeak1{3.0, -1.0, -6.0, -18.0, -30.0, -60.0};
constexpr Marks kPeak2{3.0, -2.0, -6.0, -18.0, -30.0, -60.0};
constexpr Marks kPeakK{6.0, 0.0, -6.0, -18.0, -30.0, -60.0};
constexpr Marks kPeakStream1{6.0, -1.0, -6.0, -18.0, -30.0, -60.0};
constexpr Marks kPeakStream2{6.0, -2.0, -6.0, -18.0, -30.0, -60.0};
constexpr Marks kDialogMarks{-15.0, -24.0, -47.7, -47.8, -47.9, -48.0};
constexpr Marks kNetflix2019Marks{-5.0, -25.0, -27.0, -29.0, -58.9, -59.0};
constexpr Marks kNetflix2017Marks{-15.0, -24.0, -27.0, -30.0, -33.0, -45.0};

constexpr std::array<double, 4> kEbuKeys{-24.0, -22.0, -26.0, -20.0};
constexpr std::array<double, 4> kBs1770Keys{-25.0, -23.0, -27.0, -21.0};

// Presets 2 to 51; "Init" comes first and has no pairs.
// clang-format off
const FactoryPreset kFactoryPresets[] = {
  {"EBU R128 LUFS +27", -23.0, -1.0, kG10, 3000, 400, kLU, 0.0, kLeqK, kLRA, kEBU, kEbu27, kPeak1, &kC1, &kEbuAlerts, &kDefaultReadouts, {}},
  {"EBU R128 LU +27", -23.0, -1.0, kG10, 3000, 400, kLU, -23.0, kLeqK, kLRA, kEBU, kEbu27, kPeak1, &kC1, &kEbuAlerts, &kDefaultReadouts, {}},
  {"EBU R128 LUFS +18", -23.0, -1.0, kG10, 3000, 400, kLU, 0.0, kLeqK, kLRA, kEBU, kEbu18, kPeak1, &kC1, &kEbuAlerts, &kDefaultReadouts, {}},
  {"EBU R128 LU +18", -23.0, -1.0, kG10, 3000, 400, kLU, -23.0, kLeqK, kLRA, kEBU, kEbu18, kPeak1, &kC1, &kEbuAlerts, &kDefaultReadouts, {}},
  {"EBU R128 LUFS +9", -23.0, -1.0, kG10, 3000, 400, kLU, 0.0, kLeqK, kLRA, kEBU, kEbu9, kPeak1, &kC1, &kEbuAlerts, &kDefaultReadouts, {}},
  {"EBU R128 LU +9", -23.0, -1.0, kG10, 3000, 400, kLU, -23.0, kLeqK, kLRA, kEBU, kEbu9, kPeak1, &kC1, &kEbuAlerts, &kDefaultReadouts, {}},
  {"ATSC A 85 LKFS", -24.0, -2.0, kG10, 3000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"ATSC A 85 LK", -24.0, -2.0, kG10, 3000, 400, kLK, -24.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"AGCOM 219 9 CSP LUFS", -24.0, -2.0, kG8, 3000, 400, kLU, 0.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"AGCOM 219 9 CSP LU", -24.0, -2.0, kG8, 3000, 400, kLU, -24.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"TASA Leq(M) 85dB", -23.0, -2.0, kNoGate, 3000, 200, kLU, -108.0, kLeqM, kLRA, kStd, {-13.0, -23.0, -29.0, -35.0, -41.0, -48.0}, kPeak2, &kC2, nullptr, nullptr, {-24.0, -22.0, -25.0, -21.0}},
  {"TASA Leq(M) 82dB", -26.0, -2.0, kNoGate, 3000, 200, kLU, -108.0, kLeqM, kLRA, kStd, {-13.0, -26.0, -32.0, -38.0, -44.0, -48.0}, kPeak2, &kC2, nullptr, nullptr, {-27.0, -25.0, -28.0, -24.0}},
  {"ITU-R BS1864 LK", -24.0, -2.0, kNoGate, 3000, 400, kLK, -24.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"ITU-R BS1770 LKFS", -24.0, -2.0, kNoGate, 3000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"ITU-R BS1770-2 LKFS", -24.0, -2.0, kG10, 3000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"ITU-R BS1770-3 LKFS", -24.0, -2.0, kG10, 3000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"ITU-R BS1770-4 LKFS", -24.0, -2.0, kG10, 3000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"ARIB TR-B32 LKFS", -24.0, -1.0, kG10, 3000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak1, &kC3, nullptr, nullptr, kBs1770Keys},
  {"ARIB TR-B32 LK", -24.0, -1.0, kG10, 3000, 400, kLK, -24.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak1, &kC3, nullptr, nullptr, kBs1770Keys},
  {"OP-59 LKFS", -24.0, -2.0, kG10, 3000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"OP-59 LK", -24.0, -2.0, kG10, 3000, 400, kLK, -24.0, kLeqK, kLRA, kBS1770, kBs1770, kPeak2, &kC1, nullptr, nullptr, kBs1770Keys},
  {"NBC 30s (SL)", -23.0, -1.0, kG10, 30000, 400, kLU, 0.0, kLeqK, kLRA, kBS1770, {-5.0, -23.0, -26.0, -29.0, -45.0, -59.0}, kPeak1, &kC1, nullptr, nullptr, kEbuKeys},
  // The K-System presets keep their peak target at negative zero.
  {"K-12 (dBFS)", -12.0, -0.0, kNoGate, 3000, 600, kDB, 0.0, kNoFilter, kPSR, kKSystem, {0.0, -8.0, -12.0, -35.8, -35.9, -36.0}, kPeakK, &kC4, nullptr, nullptr, {-16.0, -8.0, -16.0, -8.0}},
  {"K-12 (dB)", -12.0, -0.0, kNoGate, 3000, 600, kDB, -12.0, kNoFilter, kPSR, kKSystem, {0.0, -8.0, -12.0, -35.8, -35.9, -36.0}, kPeakK, &kC4, nullptr, nullptr, {-16.0, -8.0, -16.0, -8.0}},
  {"K-14 (dBFS)", -14.0, -0.0, kNoGate, 3000, 600, kDB, 0.0, kNoFilter, kPSR, kKSystem, {0.0, -10.0, -14.0, -37.8, -37.9, -38.0}, kPeakK, &kC4, nullptr, nullptr, {-18.0, -10.0, -18.0, -10.0}},
  {"K-14 (dB)", -14.0, -0.0, kNoGate, 3000, 600, kDB, -14.0, kNoFilter, kPSR, kKSystem, {0.0, -10.0, -14.0, -37.8, -37.9, -38.0}, kPeakK, &kC4, nullptr, nullptr, {-18.0, -10.0, -18.0, -10.0}},
  {"K-20 (dBFS)", -20.0, -0.0, kNoGate, 3000, 600, kDB, 0.0, kNoFilter, kPSR, kKSystem, {0.0, -16.0, -20.0, -43.8, -43.9, -44.0}, kPeakK, &kC4, nullptr, nullptr, {-24.0, -16.0, -24.0, -16.0}},
  {"K-20 (dB)", -20.0, -0.0, kNoGate, 3000, 600, kDB, -20.0, kNoFilter, kPSR, kKSystem, {0.0, -16.0, -20.0, -43.8, -43.9, -44.0}, kPeakK, &kC4, nullptr, nullptr, {-24.0, -16.0, -24.0, -16.0}},
  {"K-Meter Mastering", -12.0, -0.2, kNoGate, 3000, 600, kDB, 0.0, kNoFilter, kPSR, kKSystem, {0.0, -8.0, -12.0, -16.0, -20.0, -36.0}, {3.0, -0.2, -6.0, -12.0, -30.0, -60.0}, &kC5, nullptr, nullptr, {-15.0, -9.0, -15.0, -9.0}, &kC5},
  {"Console Game", -23.0, -1.0, kNoGate, 3000, 400, kLU, 0.0, kNoFilter, kPSR, kStd, {-14.0, -23.0, -26.0, -29.0, -45.0, -59.0}, kPeak1, &kC1, nullptr, nullptr, kEbuKeys},
  {"Handheld Game", -18.0, -1.0, kNoGate, 3000, 400, kLU, 0.0, kNoFilter, kPSR, kStd, {-14.0, -18.0, -21.0, -24.0, -45.0, -59.0}, kPeak1, &kC1, nullptr, nullptr, {-19.0, -17.0, -21.0, -15.0}},
  {"Podcast", -18.0, -1.0, kG10, 3000, 400, kLU, 0.0, kLeqK, kPSR, kStd, {-14.0, -18.0, -21.0, -24.0, -45.0, -59.0}, kPeak1, &kC1, nullptr, nullptr, {-19.0, -17.0, -21.0, -15.0}},
  {"YouTube", -14.0, -1.0, kG10, 3000, 600, kLK, 0.0, kLeqK, kPSR, kStd, {0.0, -13.0, -15.0, -17.0, -35.9, -36.0}, kPeakStream1, &kC6, nullptr, nullptr, {-17.0, -13.0, -20.0, -9.0}},
  {"iTunes", -16.0, -1.0, kG10, 3000, 600, kLK, 0.0, kLeqK, kPSR, kStd, {0.0, -16.0, -18.0, -20.0, -35.9, -36.0}, kPeakStream1, &kC6, nullptr, nullptr, {-20.0, -16.0, -24.0, -12.0}},
  {"Spotify", -14.0, -1.0, kG10, 3000, 600, kLK, 0.0, kLeqK, kPSR, kStd, {0.0, -14.0, -16.0, -18.0, -35.9, -36.0}, kPeakStream1, &kC6, nullptr, nullptr, {-18.0, -14.0, -20.0, -12.0}},
  {"Spotify Loud", -11.0, -2.0, kG10, 3000, 600, kLK, 0.0, kLeqK, kPSR, kStd, {0.0, -11.0, -13.0, -15.0, -35.9, -36.0}, kPeakStream2, &kC6, nullptr, nullptr, {-15.0, -11.0, -19.0, -6.0}},
  {"Tidal", -14.0, -1.0, kG10, 3000, 600, kLK, 0.0, kLeqK, kPSR, kStd, {0.0, -14.0, -16.0, -18.0, -35.9, -36.0}, kPeakStream1, &kC6, nullptr, nullptr, {-18.0, -14.0, -22.0, -10.0}},
  {"Replay Gain", -14.0, -1.0, kG10, 3000, 600, kLK, 0.0, kLeqK, kPSR, kStd, {0.0, -14.0, -17.0, -35.8, -35.9, -36.0}, kPeakStream1, &kC6, nullptr, nullptr, {-17.0, -11.0, -20.0, -8.0}},
  {"Pandora", -16.0, -1.0, kG10, 3000, 600, kLK, 0.0, kLeqK, kPSR, kStd, {0.0, -16.0, -19.0, -35.8, -35.9, -36.0}, kPeakStream1, &kC6, nullptr, nullptr, {-19.0, -13.0, -22.0, -10.0}},
  {"Netflix 2017 LKFS", -24.0, -2.0, kG10, 3000, 400, kLK, 0.0, kLeqK, kPSR, kBS1770, kNetflix2017Marks, kPeak2, &kC1, nullptr, nullptr, {-26.0, -22.0, -27.0, -21.0}},
  {"Netflix 2017 LK", -24.0, -2.0, kG10, 3000, 400, kLK, -20.0, kLeqK, kPSR, kBS1770, kNetflix2017Marks, kPeak2, &kC1, nullptr, nullptr, {-26.0, -22.0, -27.0, -21.0}},
  {"Netflix 2019 LKFS", -27.0, -2.0, kDial, 3000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kNetflix2019Marks, kPeak2, &kC7, &kNetflixAlerts, &kDarkReadouts, {}},
  {"Netflix 2019 LK", -27.0, -2.0, kDial, 3000, 400, kLK, -27.0, kLeqK, kLRA, kBS1770, kNetflix2019Marks, kPeak2, &kC7, &kNetflixAlerts, &kDarkReadouts, {}},
  {"AES Streaming", -16.0, -1.0, kG10, 3000, 600, kLK, 0.0, kLeqK, kLRA, kStd, {0.0, -16.0, -18.0, -20.0, -35.9, -36.0}, kPeakStream1, &kC6, nullptr, nullptr, {-20.0, -16.0, -22.0, -14.0}},
  {"EBU R128 S1 LUFS", -23.0, -1.0, kG10, 3000, 400, kLU, 0.0, kLeqK, kLRA, kEBU, {4.0, -23.0, -28.0, -36.0, -54.0, -77.0}, kPeak1, &kC1, nullptr, nullptr, {-24.0, -22.0, -28.0, -18.0}},
  {"EBU R128 S1 LU", -23.0, -1.0, kG10, 3000, 400, kLU, -23.0, kLeqK, kLRA, kEBU, {4.0, -23.0, -28.0, -36.0, -54.0, -77.0}, kPeak1, &kC1, nullptr, nullptr, {-24.0, -22.0, -28.0, -18.0}},
  {"Dialog LKFS 3s", -24.0, -2.0, kDial, 3000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kDialogMarks, kPeak2, &kC8, &kDialogAlerts, &kDarkReadouts, {}},
  {"Dialog LK 3s", -24.0, -2.0, kDial, 3000, 400, kLK, -24.0, kLeqK, kLRA, kBS1770, kDialogMarks, kPeak2, &kC8, &kDialogAlerts, &kDarkReadouts, {}},
  {"Dialog LKFS 10s", -24.0, -2.0, kDial, 10000, 400, kLK, 0.0, kLeqK, kLRA, kBS1770, kDialogMarks, kPeak2, &kC8, &kDialogAlerts, &kDarkReadouts, {}},
  {"Dialog LK 10s", -24.0, -2.0, kDial, 10000, 400, kLK, -24.0, kLeqK, kLRA, kBS1770, kDialogMarks, kPeak2, &kC8, &kDialogAlerts, &kDarkReadouts, {}},
};
// clang-format on
static_assert(std::size(kFactoryPresets) == Vantorelix::kFactoryPresetCount - 1);

using Pairs = Vantorelix::PresetPairs;

// Consecutive parameters from `first` on.
template <class T, size_t N>
void AddRun(Pairs& pairs, int first, const std::array<T, N>& values)
{
  for (size_t i = 0; i < N; ++i)
    pairs.emplace_back(first + static_cast<int>(i), static_cast<double>(values[i]));
}

// The unit, offset and weighting settings and the target, which both layouts open with.
void AddFilterSettings(Pairs& pairs, const FactoryPreset& preset)
{
  pairs.insert(pairs.end(), {{kUnitMode, preset.unit},
                             {kRefOffset, preset.refOffset},
                             {kWFilterMode, preset.weighting},
                             {kWFilterLCFreq, 300.0},
                             {kWFilterLCSlope, 0},
                             {kWFilterHCFreq, 16000.0},
                             {kWFilterHCSlope, 0},
                             {kLoudness_Target, preset.target}});
}

Pairs LayoutAPairs(const FactoryPreset& preset)
{
  Pairs pairs;
  AddFilterSettings(pairs, preset);
  pairs.insert(pairs.end(), {{kPeak_Limit, preset.maxPeak},
                             {kGate_mode, preset.gate},
                             {kSL_IntWindow, preset.slMs},
                             {kML_IntWindow, preset.mlMs}});
  for (int k = 0; k < kAlertParamCount; ++k)
  {
    const AlertSetting& alert = (*preset.alerts)[k];
    const int mode = kIL_Min_Mode + 3 * k;
    pairs.insert(pairs.end(), {{mode, alert.mode}, {mode + 1, alert.level}, {mode + 2, 0.0}});
  }
  pairs.insert(pairs.end(), {{kLRange_mode, preset.range}, {kTruePeak_mode, 1}});
  AddRun(pairs, kMaxVal_lm, preset.lmMarks);
  pairs.emplace_back(kScaleLabelMode_lm, preset.lmScale);
  AddRun(pairs, kColor_MeterPeakLED_lmc, *preset.lmColours);
  AddRun(pairs, kMaxVal_pk, preset.peakMarks);
  pairs.emplace_back(kScaleLabelMode_pk, 0);
  AddRun(pairs, kColor_MeterPeakLED_pkc, *preset.peakColours);
  for (int row = 0; row < kReadoutGroupCount; ++row)
    AddRun(pairs, kColor_BG_ILc + row * kReadoutGroupSize, preset.readouts->row);
  pairs.emplace_back(kColor_BG_Readoutc, preset.readouts->base);
  return pairs;
}

Pairs LayoutBPairs(const FactoryPreset& preset)
{
  constexpr int kIlMinLevel = kIL_Min_Mode + 1, kSlMinLevel = kIL_Min_Mode + 7, kIlMaxLevel = kIL_Min_Mode + 13,
                kSlMaxLevel = kIL_Min_Mode + 19;
  Pairs pairs{{kGate_mode, preset.gate}, {kPeak_Limit, preset.maxPeak}};
  AddFilterSettings(pairs, preset);
  pairs.insert(pairs.end(), {{kIlMinLevel, preset.keyLevels[0]},
                             {kIlMaxLevel, preset.keyLevels[1]},
                             {kSL_IntWindow, preset.slMs},
                             {kSlMinLevel, preset.keyLevels[2]},
                             {kSlMaxLevel, preset.keyLevels[3]},
                             {kML_IntWindow, preset.mlMs},
                             {kLRange_mode, preset.range},
                             {kTruePeak_mode, 1}});
  AddRun(pairs, kMaxVal_lm, preset.lmMarks);
  AddRun(pairs, kColor_MeterPeakLED_lmc, *preset.lmColours);
  AddRun(pairs, kMaxVal_pk, preset.peakMarks);
  AddRun(pairs, kColor_MeterPeakLED_pkc, *preset.peakColours);
  pairs.insert(pairs.end(), {{kScaleLabelMode_lm, preset.lmScale}, {kScaleLabelMode_pk, 0}});
  return pairs;
}

}  // namespace

int Vantorelix::InitFactoryPresets()
{
  MakePresetFromValues(mPresetStore.defaults, "Init", {});
  MakePresetFromPairs("Init", {});
  if (mPresetListMode)
    ClearPresetChunk(mPresetStore.defaults, 0);
  for (const FactoryPreset& preset : kFactoryPresets)
    MakePresetFromPairs(preset.name, preset.alerts ? LayoutAPairs(preset) : LayoutBPairs(preset));
  return kFactoryPresetCount;
}

void Vantorelix::MakePresetFromValues(iplug::IPreset& record, const char* name, const PresetPairs& pairs)
{
  record.mInitialized = true;
  record.SetName(name);
  std::vector<double> values(static_cast<size_t>(NParams()), kUnsetPresetValue);
  for (const auto& [idx, value] : pairs)
    values[idx] = value;
  for (int i = 0; i < NParams(); ++i)
    if (values[i] == kUnsetPresetValue)
      values[i] = GetParam(i)->GetDefault();
  AppendStateContainer(record.mChunk,
                       [&](ByteChunk& chunk) { return BuildPresetXml(*this, values.data(), chunk, name); });
}

void Vantorelix::MakePresetFromPairs(const char* name, const PresetPairs& pairs)
{
  iplug::IPreset* record = nullptr;
  if (mPresetListMode)
  {
    auto made = std::make_unique<iplug::IPreset>();
    if (!mPresetStore.factory.Add(made.get()))
      return;
    record = made.release();
  }
  else
  {
    for (int i = 0; i < NPresets() && !record; ++i)
      if (!GetPreset(i)->mInitialized)
        record = GetPreset(i);
    if (!record)
      return;
  }
  MakePresetFromValues(*record, name, pairs);
}

void Vantorelix::ClearPresetChunk(const iplug::IPreset& record, int index)
{
  iplug::IPreset* slot = GetPreset(index);
  if (!slot)
    return;
  slot->mChunk.Clear();
  slot->mChunk.PutChunk(record.mChunk);
  slot->mInitialized = true;
  slot->SetName(record.mName);
}
