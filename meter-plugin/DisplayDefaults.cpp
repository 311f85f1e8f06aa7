#include "meter-plugin/DisplayLabels.h"
#include "meter-plugin/Vantorelix.h"

#include <cctype>

using iplug::igraphics::IColor;

namespace {

constexpr const char* kMeterColorTextsA[kMeterColorCount] = {"#FF382D", "#FF382D", "#B6C0C5",
                                                             "#5F85A7", "#386B95", "#205079"};
constexpr const char* kMeterColorTextsB[kMeterColorCount] = {"#FF382D", "#FF382D", "#919898",
                                                             "#808689", "#505358", "#2B2C30"};
constexpr const char* kReadoutBaseText = "#232323";
constexpr const char* kReadoutGroupTexts[kReadoutGroupSize] = {"#434343", "#A7A8AC", "#1E1E1E", "#D7D7D7"};

// Default levels of the alerts, in AlertIndex order; peak max follows "Max Peak Target Level".
constexpr double kAlertLevels[kAlertCount] = {-19.0, -17.0, -19.0, -17.0, -21.0, -15.0, -24.0, -12.0,
                                              -1.0,  0.0,   15.0,  15.0,  15.0,  15.0,  15.0};

// The hexadecimal digits at the start of text; only the low 24 bits matter to a colour.
uint32_t ReadHex(const char* text)
{
  uint32_t value = 0;
  for (; std::isxdigit(static_cast<unsigned char>(*text)); ++text)
  {
    const int c = std::tolower(static_cast<unsigned char>(*text));
    value = ((value << 4) | static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10)) & 0xFFFFFFu;
  }
  return value;
}

// The colours and their packed words.
void SetMeterColors(MeterColorSet& set, const char* const (&texts)[kMeterColorCount])
{
  for (int i = 0; i < kMeterColorCount; ++i)
  {
    set.colors[i] = Vantorelix::ColorFromHex(texts[i]);
    set.packed[i] = Vantorelix::PackColor(set.colors[i]);
  }
}

}  // namespace

void LoudnessUnitText(int unitMode, double refOffset, WDL_String& out)
{
  const char* unit = unitMode >= 0 && unitMode < static_cast<int>(kUnitLabels.size()) ? kUnitLabels[unitMode]
                                                                                      : kUnitLabels[0];
  out.SetFormatted(64, "%s%s", unit, kOffsetSuffixes[refOffset == 0.0 ? 0 : 1]);
}

IColor Vantorelix::ColorFromHex(const char* text)
{
  if (!text || text[0] != '#')
    return IColor(255, 0, 0, 0);
  return ColorFromWord(ReadHex(text + 1), 255);
}

IColor Vantorelix::ColorFromHexAlpha(const char* text, int alpha)
{
  return ColorFromWord(text && *text ? ReadHex(text + 1) : 0, alpha);
}

void Vantorelix::SetDefaultMeterColorsA()
{
  SetMeterColors(mSettings.meterColorsA, kMeterColorTextsA);
}

void Vantorelix::SetDefaultMeterColorsB()
{
  SetMeterColors(mSettings.meterColorsB, kMeterColorTextsB);
}

void Vantorelix::SetDefaultReadoutColors()
{
  ReadoutColorSet& palette = mSettings.readoutColors;
  palette.base = PackColor(ColorFromHex(kReadoutBaseText));
  for (auto& group : palette.groups)
    for (int k = 0; k < kReadoutGroupSize; ++k)
      group[k] = PackColor(ColorFromHex(kReadoutGroupTexts[k]));
}

void Vantorelix::InitDisplayDefaults()
{
  MeterSettings& s = mSettings;
  s.loudnessTarget = -18.0;
  s.maxPeakTarget = -1.0;
  s.slWindowMs = 3000.0;
  s.mlWindowMs = 600.0;
  s.lowCutFreq = 300.0;
  s.highCutFreq = 16000.0;
  s.lowCutSlope = s.highCutSlope = 0;
  s.channelConfig = 0;
  s.channelRouting = 1;
  s.rangeMode = 2;
  s.peakMode = 0;
  s.timerMode = 0;
  s.measurementMode = 0;

  for (int i = 0; i < kAlertCount; ++i)
  {
    AlertState& alert = s.alerts[i];
    alert = AlertState{};
    alert.kind = i == kAlertIlMax || i == kAlertIlDialMax || i == kAlertSlMax || i == kAlertMlMax || i == kAlertTpMax ||
                 i == kAlertPeakMax;
    alert.mode = i == kAlertTpMax || i == kAlertPeakMax ? AlertMode::Auto : AlertMode::Off;
    alert.level = i == kAlertPeakMax ? s.maxPeakTarget : kAlertLevels[i];
  }

  s.exportDecimalFormat = s.exportCsvSeparator = s.autoExportLogCSV = 0;
  s.csvExport.fill(1);
  s.graph.fill(0);
  s.graph[kGraphTimescale - kGraphTimescale] = 2;  // 30 s
  for (int idx : {kGraphScroll, kGraphIL, kGraphSL, kGraphML, kGraphStore})
    s.graph[idx - kGraphTimescale] = 1;
  s.graph[kDistributionDisplayMode - kGraphTimescale] = 2;  // SL

  SetDefaultMeterColorsA();
  s.lmLevels = {0.0, -9.0, -18.0, -24.0, -30.0, -36.0};
  SetDefaultMeterColorsB();
  s.peakLevels = {6.0, 0.0, -6.0, -18.0, -30.0, -60.0};
  SetDefaultReadoutColors();
}
