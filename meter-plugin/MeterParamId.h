#pragma once
// The index space of the product's parameters: 0 to 188 are host parameters, 189 to 236 are the
// editor's action ids, and 229 is also the id of the editor-only "Fixed GUI Scale".

enum MeterParamId : int {
  kGuiScale = 0,
  kGuiWidth,
  kGuiHeight,
  kToggleTooltips,
  kOutIL,  // 4 to 21: measurement results written back to the host
  kOutSL,
  kOutML,
  kOutLRA,
  kOutPLR,
  kOutPSR,
  kOutPeak,
  kOutDialogPercentage,
  kOutDialogPresence,
  kOutSLMax,
  kOutMLMax,
  kOutLRALow,
  kOutLRAHigh,
  kOutPeakMax,
  kOutILMaxAlert,
  kOutSLMaxAlert,
  kOutMLMaxAlert,
  kOutPeakMaxAlert,
  kGuiLayout,
  kDisplayMode,
  kSetup,
  kSetupPage,
  kSync,
  kReset,
  kPlay,
  kWriteAutomationData,
  kPreGain,
  kMatchIL,
  kMatchSL,
  kMatchML,
  kLoudness_Target,
  kPeak_Limit,
  kEnableLimiter,
  kGate_mode,
  kSL_IntWindow,
  kML_IntWindow,
  kChannelConfig,
  kChannelRouting,
  kUnitMode,
  kRefOffset,
  kWFilterMode,
  kWFilterLCFreq,
  kWFilterLCSlope,
  kWFilterHCFreq,
  kWFilterHCSlope,
  kLRange_mode,
  kTruePeak_mode,
  kTimerMode,
  kIL_Min_Mode,  // 52 to 96: fifteen alert triples of mode, level and period
  kDialog_Min_Period = 96,
  kMaxVal_lm,
  kMeterSplit_lm_Val1,
  kMeterSplit_lm_Val2,
  kMeterSplit_lm_Val3,
  kMeterSplit_lm_Val4,
  kMinVal_lm,
  kScaleLabelMode_lm,
  kColor_MeterPeakLED_lmc,  // 104 to 109: loudness meter colours
  kMaxVal_pk = 110,
  kMeterSplit_pk_Val1,
  kMeterSplit_pk_Val2,
  kMeterSplit_pk_Val3,
  kMeterSplit_pk_Val4,
  kMinVal_pk,
  kScaleLabelMode_pk,
  kColor_MeterPeakLED_pkc,  // 117 to 122: peak meter colours
  kColor_RVC11 = 123,
  kColor_BG_Readoutc,
  kColor_RVC13,
  kColor_BG_ILc,  // 126 to 149: six read-out groups of four colours
  kExportDecimalFormat = 150,
  kExportCsvSeparator,
  kAutoExportLogCSV,
  kCsvExportIL,  // 153 to 171: CSV column switches
  kGraphTimescale = 172,  // 172 to 186: graph settings
  kGraphScroll,
  kGraphIL,
  kGraphSL,
  kGraphML,
  kGraphStore = 183,
  kDistributionDisplayMode,
  kGraphPLR,
  kGraphPSR,
  kOnlineUpdateCheck,
  kMeasurementMode,
  kNumHostParams,

  kFixedGuiScale = 229,  // editor-only, kept outside the host parameters
  kLastActionId = 236,
};

inline constexpr int kAlertParamCount = 15;
inline constexpr int kMeterColorCount = 6;
inline constexpr int kReadoutGroupCount = 6;
inline constexpr int kReadoutGroupSize = 4;
inline constexpr int kCsvExportCount = 19;
inline constexpr int kGraphSettingCount = 15;
