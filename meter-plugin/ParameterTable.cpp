#include "meter-plugin/DisplayLabels.h"
#include "meter-plugin/Vantorelix.h"

#include <array>

using iplug::IParam;
using iplug::kFlagCannotAutomate;
using iplug::kFlagMeta;

namespace {

constexpr std::initializer_list<const char*> kOffOn{"Off", "On"};
constexpr double kLevelMin = -144.0;
constexpr double kLevelMax = 144.0;

// One alert triple of the parameter table, in parameter order.
struct AlertParams
{
  const char* name;
  AlertIndex record;
  double levelMin;
  const char* levelLabel;
};

constexpr std::array<AlertParams, kAlertParamCount> kAlertParams{{
  {"IL Min", kAlertIlMin, kLevelMin, "dBFS"},
  {"IL Dial Min", kAlertIlDialMin, kLevelMin, "dBFS"},
  {"SL Min", kAlertSlMin, kLevelMin, "dBFS"},
  {"ML Min", kAlertMlMin, kLevelMin, "dBFS"},
  {"IL Max", kAlertIlMax, kLevelMin, "dBFS"},
  {"IL Dial Max", kAlertIlDialMax, kLevelMin, "dBFS"},
  {"SL Max", kAlertSlMax, kLevelMin, "dBFS"},
  {"ML Max", kAlertMlMax, kLevelMin, "dBFS"},
  {"TP Max", kAlertTpMax, kLevelMin, "dBFS"},
  {"Peak Max", kAlertPeakMax, kLevelMin, "dBFS"},
  {"LRA Min", kAlertLraMin, 0.0, "LU"},
  {"LRADial Min", kAlertLraDialMin, 0.0, "LU"},
  {"PLR Min", kAlertPlrMin, 0.0, "LU"},
  {"PSR Min", kAlertPsrMin, -12.0, "LU"},
  {"Dialog Min", kAlertDialogMin, 0.0, "%"},
}};

constexpr std::array<const char*, 12> kChannelConfigTexts{"Stereo",     "Left",       "Right",      "2.0 Ch",
                                                          "2.1/3.0 Ch", "3.1/4.0 Ch", "4.1/5.0 Ch", "5.1/6.0 Ch",
                                                          "6.1/7.0 Ch", "7.1/8.0 Ch", "8.1/9.0 Ch", "9.1/10.0 Ch"};

constexpr std::array<const char*, 44> kChannelRoutingTexts{
  "(1:1)",     "2.0 Stereo", "2.1 Stereo", "3.0 Cine",  "3.0 Music", "3.1 Cine",  "3.1 Music", "4.0 Cine",
  "4.0 Music", "4.1 Cine",   "4.1 Music",  "4.1 ITU",   "5.0 Cine",  "5.0 Music", "5.1 Film",  "5.1 ITU",
  "5.1 DTS",   "6.0 Cine",   "6.0 Music",  "6.1 Cine",  "6.1 Music", "7.0 Cine",  "7.0 Music", "7.1 DTS1",
  "7.1 DTS2",  "7.1 Dolby1", "7.1 Dolby2", "7.1 SDDS1", "7.1 SDDS2", "8.0 Cine",  "8.0 Music", "8.1 Cine",
  "8.1 Music", "9.0 Cine",   "9.1 DTS1",   "9.1 DTS2",  "10.0 Cine", "Custom 1",  "Custom 2",  "Custom 3",
  "Custom 4",  "7.1.2",      "unused",     "unused"};

constexpr const char* kLmLevelNames[6] = {"LM Max Level",    "LM Split1 Level", "LM Split2 Level",
                                          "LM Split3 Level", "LM Split4 Level", "LM Min Level"};
constexpr const char* kPeakLevelNames[6] = {"Peak MMax Level",   "Peak Split1 Level", "Peak Split2 Level",
                                            "Peak Split3 Level", "Peak Split4 Level", "Peak Min Level"};
constexpr const char* kCsvExportNames[kCsvExportCount] = {
  "CSV Export IL",     "CSV Export SL",     "CSV Export ML",     "CSV Export LRA",        "CSV Export PxR",
  "CSV Export TP",     "CSV Export PK",     "CSV Export SLMAX",  "CSV Export MLMAX",      "CSV Export LRALOW",
  "CSV Export LRAHIG", "CSV Export TPMAX",  "CSV Export PKMAX",  "CSV Export AlertLM",    "CSV Export AlertLRA",
  "CSV Export TPOVER", "CSV Export PKOVER", "CSV Export MARKED", "CSV Export DIALPRESENT"};
constexpr const char* kGraphSwitchNames[kGraphSettingCount] = {
  nullptr,  // "Graph Timescale" and "Distribution Display Mode" are not switches
  "Graph Scroll",
  "Graph IL",
  "Graph SL",
  "Graph ML",
  "Graph LRA",
  "Graph Alert LM",
  "Graph Alert Peak",
  "Graph Loudness Target",
  "Graph Alert Range",
  "Graph Dialog Presence",
  "Graph Store",
  nullptr,
  "Graph PLR",
  "Graph PSR"};

// The packed colour words behind the colour parameters.
void DefineColor(IParam& param, const char* name, uint32_t packed)
{
  param.DefineInt(name, static_cast<int>(packed), 0, 0xFFFFFF, "", 0, "Settings");
}

void DefineLevel(IParam& param, const char* name, double defaultValue, const char* label, const char* group)
{
  param.DefineDouble(name, defaultValue, kLevelMin, kLevelMax, 0.1, label, 0, group);
}

void DefineTable(IParam& param, const char* name, int defaultValue, const char* const* texts, int count,
                 const char* group)
{
  param.DefineEnum(name, defaultValue, count, "", 0, group);
  for (int i = 0; i < count; ++i)
    param.AddDisplayText(i, texts[i]);
}

}  // namespace

void Vantorelix::DeclareParameters()
{
  DeclareGuiParameters();
  DeclareMeasurementParameters();
  DeclareAlertParameters();
  DeclareScaleParameters();
  DeclareExportAndGraphParameters();
  DeclareOutputParameters();
  InitFactoryPresets();
  DeclareFixedGuiScale();
}

void Vantorelix::DeclareGuiParameters()
{
  const MeterSettings& s = mSettings;
  GetParam(kGuiScale)->DefineDouble("GUI Scale", s.guiScale, 0.5, 3.0, 0.01, "", kFlagCannotAutomate, "GUI");
  GetParam(kGuiWidth)->DefineInt("GUI Width", s.guiWidth, 304, 2496, "", kFlagCannotAutomate, "GUI");
  GetParam(kGuiHeight)->DefineInt("GUI Height", s.guiHeight, 446, 1338, "", kFlagCannotAutomate, "GUI");
  GetParam(kToggleTooltips)
    ->DefineEnum("Toggle Tooltips", s.tooltips, 2, "", kFlagCannotAutomate, "GUI", {"off", "on"});
  GetParam(kOnlineUpdateCheck)
    ->DefineEnum("Online Update Check", s.updateCheck, 2, "", kFlagCannotAutomate, "GUI", kOffOn);
  GetParam(kGuiLayout)->DefineEnum("GUI Layout", s.layout, 2, "", 0, "GUI", {"Compact", "Full"});
  GetParam(kDisplayMode)->DefineEnum("DisplayMode", s.displayMode, 2, "", 0, "GUI", kOffOn);
  GetParam(kSetup)->DefineEnum("Setup", s.setup, 2, "", 0, "GUI", kOffOn);
  GetParam(kSetupPage)
    ->DefineEnum("SetupPage", s.setupPage, 7, "", 0, "GUI",
                 {"Main 1", "Main 2", "Alerts 1", "Alerts 2", "GUI 1", "GUI 2", "Misc"});
}

void Vantorelix::DeclareMeasurementParameters()
{
  const MeterSettings& s = mSettings;
  GetParam(kPlay)->DefineEnum("Play", s.play, 2, "", 0, "Measurement", kOffOn);
  GetParam(kReset)->DefineEnum("Reset", s.reset, 2, "", 0, "Measurement", kOffOn);
  GetParam(kSync)->DefineEnum("Sync", s.sync, 2, "", 0, "Measurement", kOffOn);
  GetParam(kMatchIL)->DefineEnum("Match IL", s.match[0], 2, "", 0, "Measurement", kOffOn);
  GetParam(kMatchSL)->DefineEnum("Match SL", s.match[1], 2, "", 0, "Measurement", kOffOn);
  GetParam(kMatchML)->DefineEnum("Match ML", s.match[2], 2, "", 0, "Measurement", kOffOn);
  GetParam(kWriteAutomationData)
    ->DefineEnum("WriteAutomationData", s.writeAutomationData, 2, "", 0, "Automation", kOffOn);
  GetParam(kPreGain)->DefineDouble("PreGain", s.preGain, -60.0, 60.0, 0.1, "dB", 0, "Processing");
  GetParam(kEnableLimiter)->DefineEnum("Enable Limiter", s.enableLimiter, 2, "", 0, "Processing", kOffOn);
  DefineLevel(*GetParam(kLoudness_Target), "Loudness Target Level", s.loudnessTarget, "dBFS", "Settings");
  DefineLevel(*GetParam(kPeak_Limit), "Max Peak Target Level", s.maxPeakTarget, "dBFS", "Settings");

  DefineTable(*GetParam(kChannelConfig), "Channel Config", s.channelConfig, kChannelConfigTexts.data(),
              static_cast<int>(kChannelConfigTexts.size()), "Settings");
  DefineTable(*GetParam(kChannelRouting), "Channel Routing", s.channelRouting, kChannelRoutingTexts.data(),
              static_cast<int>(kChannelRoutingTexts.size()), "Settings");
  DefineTable(*GetParam(kUnitMode), "LM Unit Mode", s.unitMode, kUnitLabels.data(),
              static_cast<int>(kUnitLabels.size()), "Settings");
  GetParam(kRefOffset)->DefineDouble("Reference Offset", s.refOffset, -120.0, 120.0, 0.1, "dBFS", 0, "Settings");
  GetParam(kWFilterMode)
    ->DefineEnum("WFilter Mode", s.weightingMode, 8, "", 0, "Settings",
                 {"Off", "Leq(K)", "Leq(A)", "Leq(B)", "Leq(C)", "Leq(M)", "Leq(A)+3", "Custom"});
  GetParam(kWFilterLCFreq)
    ->DefineDouble("Custom WFilter LC Freq", s.lowCutFreq, 10.0, 22000.0, 1.0, "Hz", 0, "Settings");
  GetParam(kWFilterLCSlope)
    ->DefineEnum("Custom WFilter LC Slope", s.lowCutSlope, 2, "", 0, "Settings", {"12 dB/Oct", "24 dB/Oct"});
  GetParam(kWFilterHCFreq)
    ->DefineDouble("Custom WFilter HC Freq", s.highCutFreq, 10.0, 22000.0, 1.0, "Hz", 0, "Settings");
  GetParam(kWFilterHCSlope)
    ->DefineEnum("Custom WFilter HC Slope", s.highCutSlope, 2, "", 0, "Settings", {"12 dB/Oct", "24 dB/Oct"});
  GetParam(kGate_mode)->DefineEnum("Gating mode", s.gateMode, 4, "", 0, "Settings", {"Off", "G8", "G10", "Dial"});
  GetParam(kSL_IntWindow)->DefineDouble("SL Integration Time", s.slWindowMs, 10.0, 60000.0, 1.0, "ms", 0, "Settings");
  GetParam(kML_IntWindow)->DefineDouble("ML Integration Time", s.mlWindowMs, 10.0, 60000.0, 1.0, "ms", 0, "Settings");
  GetParam(kMeasurementMode)
    ->DefineEnum("Measurement Mode", s.measurementMode, 3, "", 0, "Settings", {"Sum", "AES17", "Avg"});
  GetParam(kLRange_mode)->DefineEnum("Loudness Range Mode", s.rangeMode, 3, "", 0, "Settings", {"LRA", "PLR", "PSR"});
  GetParam(kTruePeak_mode)->DefineEnum("Peak Mode", s.peakMode, 2, "", 0, "Settings", {"Peak", "True Peak"});
  GetParam(kTimerMode)->DefineEnum("Timer Mode", s.timerMode, 3, "", 0, "Settings", {"Elapsed", "TimeCode", "System"});
}

void Vantorelix::DeclareAlertParameters()
{
  WDL_String name;
  for (int k = 0; k < kAlertParamCount; ++k)
  {
    const AlertParams& alert = kAlertParams[k];
    const AlertState& record = mSettings.alerts[alert.record];
    const int b = kIL_Min_Mode + 3 * k;
    name.SetFormatted(IParam::kTextFieldSize, "%s Mode", alert.name);
    GetParam(b)->DefineEnum(name.Get(), static_cast<int>(record.mode), 3, "", 0, "Settings", {"Off", "On", "Auto"});
    name.SetFormatted(IParam::kTextFieldSize, "%s Level", alert.name);
    const double levelMax = alert.record == kAlertDialogMin ? 100.0 : kLevelMax;
    GetParam(b + 1)->DefineDouble(name.Get(), record.level, alert.levelMin, levelMax, 0.1, alert.levelLabel, 0,
                                  "Settings");
    name.SetFormatted(IParam::kTextFieldSize, "%s Period", alert.name);
    GetParam(b + 2)->DefineDouble(name.Get(), record.period, 0.0, 60.0, 1.0, "s", 0, "Settings");
    GetParam(b + 2)->AddDisplayText(0.0, "Instant");
  }
}

void Vantorelix::DeclareScaleParameters()
{
  const MeterSettings& s = mSettings;
  WDL_String name;
  for (int i = 0; i < 6; ++i)
  {
    DefineLevel(*GetParam(kMaxVal_lm + i), kLmLevelNames[i], s.lmLevels[i], "dBFS", "Settings");
    DefineLevel(*GetParam(kMaxVal_pk + i), kPeakLevelNames[i], s.peakLevels[i], "dBFS", "Settings");
  }
  GetParam(kScaleLabelMode_lm)
    ->DefineEnum("LM Scale", s.lmScale, 4, "", 0, "Settings", {"Std", "EBU", "BS1770", "K-System"});
  GetParam(kScaleLabelMode_pk)->DefineEnum("Peak Scale", s.peakScale, 3, "", 0, "Settings", {"Std", "EBU", "BS1770"});
  for (int i = 0; i < kMeterColorCount; ++i)
  {
    name.SetFormatted(IParam::kTextFieldSize, "LMC%d", i + 1);
    DefineColor(*GetParam(kColor_MeterPeakLED_lmc + i), name.Get(), s.meterColorsA.packed[i]);
    name.SetFormatted(IParam::kTextFieldSize, "PKC%d", i + 1);
    DefineColor(*GetParam(kColor_MeterPeakLED_pkc + i), name.Get(), s.meterColorsB.packed[i]);
  }
  // Row 1 has only its base word behind a parameter; "RVC11" and "RVC13" are black.
  DefineColor(*GetParam(kColor_RVC11), "RVC11", 0);
  DefineColor(*GetParam(kColor_BG_Readoutc), "RVC12", s.readoutColors.base);
  DefineColor(*GetParam(kColor_RVC13), "RVC13", 0);
  for (int row = 0; row < kReadoutGroupCount; ++row)
    for (int column = 0; column < kReadoutGroupSize; ++column)
    {
      name.SetFormatted(IParam::kTextFieldSize, "RVC%d%d", row + 2, column + 1);
      DefineColor(*GetParam(kColor_BG_ILc + kReadoutGroupSize * row + column), name.Get(),
                  s.readoutColors.groups[row][column]);
    }
}

void Vantorelix::DeclareExportAndGraphParameters()
{
  const MeterSettings& s = mSettings;
  GetParam(kExportDecimalFormat)
    ->DefineEnum("Export Decimal Format", s.exportDecimalFormat, 2, "", 0, "Settings", {"Dot (.)", "Comma (,)"});
  GetParam(kExportCsvSeparator)
    ->DefineEnum("Export CSV Data Separator", s.exportCsvSeparator, 2, "", 0, "Settings", {"Comma (,)", "Semi. (;)"});
  GetParam(kAutoExportLogCSV)->DefineEnum("AutoExportLogCSV", s.autoExportLogCSV, 2, "", 0, "Settings", kOffOn);
  for (int i = 0; i < kCsvExportCount; ++i)
    GetParam(kCsvExportIL + i)->DefineEnum(kCsvExportNames[i], s.csvExport[i], 2, "", 0, "Settings", kOffOn);

  GetParam(kGraphTimescale)
    ->DefineEnum("Graph Timescale", s.graph[0], 18, "", 0, "Settings",
                 {"10 s", "15 s", "30 s", "1 min", "2 min", "3 min", "4 min", "5 min", "10 min", "20 min", "30 min",
                  "1 hr", "2 hr", "3 hr", "4 hr", "5 hr", "10 hr", "24 hr"});
  GetParam(kDistributionDisplayMode)
    ->DefineEnum("Distribution Display Mode", s.graph[kDistributionDisplayMode - kGraphTimescale], 7, "", 0, "Settings",
                 {"Off", "IL", "SL", "ML", "LRA", "PLR", "PSR"});
  for (int i = 0; i < kGraphSettingCount; ++i)
    if (kGraphSwitchNames[i])
    {
      const int idx = kGraphTimescale + i;
      GetParam(idx)->DefineEnum(kGraphSwitchNames[i], s.graph[i], 2, "", idx == kGraphScroll ? kFlagMeta : 0,
                                "Settings", kOffOn);
    }
}

void Vantorelix::DeclareOutputParameters()
{
  struct Output
  {
    const char* name;
    double defaultValue;
    const char* label;
  };
  static constexpr Output kLevels[] = {
    {"OUT:IL", kLevelMin, "LU"}, {"OUT:SL", kLevelMin, "LU"}, {"OUT:ML", kLevelMin, "LU"},       {"OUT:LRA", 0.0, "LU"},
    {"OUT:PLR", 0.0, "LU"},      {"OUT:PSR", 0.0, "LU"},      {"OUT:Peak/TP", kLevelMin, "dBFS"}};
  for (int i = 0; i < 7; ++i)
    DefineLevel(*GetParam(kOutIL + i), kLevels[i].name, kLevels[i].defaultValue, kLevels[i].label, "Automation");
  GetParam(kOutDialogPercentage)->DefineDouble("OUT:Dialog Percentage", 0.0, 0.0, 100.0, 1.0, "%", 0, "Automation");
  GetParam(kOutDialogPresence)->DefineInt("OUT:Dialog Presence", 0, 0, 1, "", 0, "Automation");
  static constexpr Output kMaxima[] = {{"OUT:SL Max", kLevelMin, "LU"},
                                       {"OUT:ML Max", kLevelMin, "LU"},
                                       {"OUT:LRA Low", kLevelMin, "LU"},
                                       {"OUT:LRA High", kLevelMin, "LU"},
                                       {"OUT:Peak/TP Max", kLevelMin, "dBFS"}};
  for (int i = 0; i < 5; ++i)
    DefineLevel(*GetParam(kOutSLMax + i), kMaxima[i].name, kMaxima[i].defaultValue, kMaxima[i].label, "Automation");
  static constexpr const char* kAlerts[] = {"OUT:IL Max Alert", "OUT:SL Max Alert", "OUT:ML Max Alert",
                                            "OUT:Peak/TP Max Alert"};
  for (int i = 0; i < 4; ++i)
    GetParam(kOutILMaxAlert + i)->DefineInt(kAlerts[i], 0, 0, 1, "", 0, "Automation");
}

std::vector<iplug::IParam*> Vantorelix::ExtraParams() const
{
  std::vector<iplug::IParam*> params;
  for (int i = 0; i < mExtraParams.GetSize(); ++i)
    params.push_back(mExtraParams.Get(i));
  return params;
}

void Vantorelix::DeclareFixedGuiScale()
{
  mExtraParamBaseId = kFixedGuiScale;
  auto* param = new IParam;
  param->DefineEnum("Fixed GUI Scale", 2, kFixedGuiScaleSteps, "", 0, "",
                    {"50%", "75%", "100%", "125%", "150%", "175%", "200%", "225%", "250%", "275%", "300%"});
  if (!mExtraParams.Add(param))
    delete param;
}

double Vantorelix::FixedGuiScaleValue(int k) const
{
  if (k < 0 || k >= kFixedGuiScaleSteps)
    return GetParam(kGuiScale)->GetDefault();
  return 0.5 + 0.25 * k;
}
