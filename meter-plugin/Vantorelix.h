#pragma once
// The product class: one object per plug-in instance, an audio unit. It owns the parameter table,
// the settings copies the measurement and the display read, the signal chain with its engine, the
// loudness histories and the XML state and preset files.

#include "au-adapter/IPlugAU.h"
#include "framework/WDLMutex.h"
#include "meter-engine/LoudnessEngine.h"
#include "meter-engine/MeasurementRecords.h"
#include "meter-engine/PeakLimiter.h"
#include "meter-engine/WeightingFilter.h"
#include "meter-plugin/EditorLayout.h"
#include "meter-plugin/MeterSettings.h"
#include "meter-plugin/PluginPaths.h"
#include "meter-plugin/StateChunk.h"
#include "meter-plugin/XmlPresets.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <utility>
#include <vector>

// Requests that the audio side and the handlers raise and the idle hook clears on the main
// thread. Each is a byte that one side only sets and the other only clears.
struct DisplayRequests
{
  std::atomic<uint8_t> readoutRefresh{0};
  std::atomic<uint8_t> meterRefresh{0};
  std::atomic<uint8_t> outputParamWrite{0};
  std::atomic<uint8_t> autoExport{0};
  std::atomic<uint8_t> graphReset{0};
  // A measurement reset on the audio thread leaves switching "Graph Scroll" back on to the idle
  // hook, which may tell the host and the editor.
  std::atomic<uint8_t> graphScrollRestore{0};
  // Editor actions: fill the info text, run the update check by hand.
  std::atomic<uint8_t> infoText{0};
  std::atomic<uint8_t> updateCheck{0};
  // A host that learns the latency from the audio side has it reported by the idle hook, since
  // telling the host's listeners is not for the audio thread.
  std::atomic<uint8_t> latencyReport{0};
  // A display setting changed on a thread other than the editor's: the idle hook configures
  // the meters and scales on the main thread.
  std::atomic<uint8_t> scaleConfiguration{0};
  // A graph setting changed on a thread other than the editor's: the idle hook hands the
  // settings to the graph on the main thread.
  std::atomic<uint8_t> graphSettings{0};
  // The editor's size, width, scale or layout changed; the host may change them on any thread.
  std::atomic<uint8_t> editorResize{0};
};

// The preset records the preset menu offers: the factory presets, the user's preset files and
// the default ("Init") record. Both lists own their records. The menu raises `loading` while it
// loads a preset.
struct PresetMenuStore
{
  // One file of the data folder as the user list was last read from it.
  struct FileStamp
  {
    std::filesystem::path name;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
    bool operator==(const FileStamp&) const = default;
  };

  WDL_PtrList<iplug::IPreset> factory;
  WDL_PtrList<iplug::IPreset> user;
  // The data folder's preset files the user list was read from, in name order; none before the
  // first reading, which happens even for an empty folder.
  std::optional<std::vector<FileStamp>> userFiles;
  iplug::IPreset defaults;
  bool loading = false;

  PresetMenuStore() = default;
  PresetMenuStore(const PresetMenuStore&) = delete;
  PresetMenuStore& operator=(const PresetMenuStore&) = delete;
  ~PresetMenuStore()
  {
    factory.Empty(true);
    user.Empty(true);
  }
};

// What the signal chain was last prepared for.
struct PreparedChain
{
  double sampleRate = 0.0;
  int32_t blockSize = 0;
  int32_t nInputs = 0;
  int32_t nOutputs = 0;
  int32_t latency = 0;  // samples the chain delays the audio by
};

// The settings the loudness engine and the weighting filters are built from. Setting them up again
// from the same values would only throw the running measurement away.
struct EngineDesign
{
  double sampleRate = 0.0;
  int32_t gateMode = 0;
  int32_t measurementMode = 0;
  double slWindowMs = 0.0;
  double mlWindowMs = 0.0;
  int32_t weightingMode = 0;
  double lowCutFreq = 0.0;
  int32_t lowCutSlope = 0;
  double highCutFreq = 0.0;
  int32_t highCutSlope = 0;

  static EngineDesign Of(const MeterSettings& s, double sampleRate);
  bool operator==(const EngineDesign&) const = default;
};

class IBPresetMenuZv;
class IGraphControl;
class IVFileSelectorControlHiddenZv;

class Vantorelix : public iplug::IPlugAU,
                   private IMPlugPaths,
                   private IExtPDCHandler,
                   private IXMLPreset,
                   public IXMLParameters
{
public:
  static constexpr int kFixedGuiScaleSteps = 11;
  // The largest latency the chain reports: the limiter's look-ahead and its extra delay.
  static constexpr int kMaxChainLatency = 127;
  // The editor redraws at this rate.
  static constexpr double kEditorFrameRate = 60.0;

  explicit Vantorelix(const iplug::InstanceInfo& info = {});
  ~Vantorelix() override;

  // ---- lifecycle hooks
  // Rebuilds the chain only when the sample rate or the block size changed since it was prepared.
  void ResetProcessing() override;
  // A host that activates the plug-in at transport start restarts a synchronised measurement.
  void SetActive(bool active) override;
  void EditorOpened() override;
  void EditorClosed() override
  {
    mEditorOpen = 0;
    mEditorReady = 0;
  }
  bool IsEditorOpen() const { return mEditorOpen != 0; }
  void IdleTick() override;

  // ---- signal chain and measurement
  // Builds every rate-dependent part of the chain for the current sample rate and settings.
  // False when the engine cannot be built; the previous chain then stays as it was.
  bool PrepareDsp() VX_REQUIRES(mMutex);
  // The ten weighting filters for the filter settings at a sample rate.
  void DesignFilters(double sampleRate) VX_REQUIRES(mMutex);
  // The limiter for the ceiling and peak mode settings, and the chain's latency from it.
  void UpdateLimiter() VX_REQUIRES(mMutex);
  // The samples the limiter delays the audio by, 0 while it is off; also kept in the limiter.
  uint32_t UpdateLatency() VX_REQUIRES(mMutex);
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void MeasureBlock(double** inputs, double** outputs, int nFrames, int nIn, int nOut) VX_REQUIRES(mMutex);
  // Starts a new measurement without rebuilding the chain.
  void ResetMeasurement() VX_REQUIRES(mMutex);

  // The framework's slot loader; the preset-file one is IXMLPreset::LoadPresetSlot.
  using iplug::IPluginBase::LoadPresetSlot;

  // ---- parameters and display defaults
  void InitDisplayDefaults();
  void SetDefaultReadoutColors();
  void SetDefaultMeterColorsA();
  void SetDefaultMeterColorsB();
  void DeclareParameters();
  // Parameters kept outside the host list, addressed from mExtraParamBaseId on.
  iplug::IParam* GetExtraParam(int id) const { return mExtraParams.Get(id - mExtraParamBaseId); }
  // "GUI Scale" for value k of "Fixed GUI Scale".
  double FixedGuiScaleValue(int k) const;

  // "#RRGGBB" to an opaque colour; anything else is opaque black.
  static iplug::igraphics::IColor ColorFromHex(const char* text);
  // The text after its first character as hexadecimal RRGGBB, with the given alpha.
  static iplug::igraphics::IColor ColorFromHexAlpha(const char* text, int alpha);
  // A packed 0xRRGGBB word with the given alpha.
  static iplug::igraphics::IColor ColorFromWord(uint32_t rgb, int alpha = 255)
  {
    return iplug::igraphics::IColor(alpha, (rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255);
  }
  static uint32_t PackColor(const iplug::igraphics::IColor& color)
  {
    return static_cast<uint32_t>((color.R << 16) + (color.G << 8) + color.B);
  }

  // ---- presets
  static constexpr int kFactoryPresetCount = 51;
  // (parameter index, value) pairs; an int kind's value is a whole number.
  using PresetPairs = std::vector<std::pair<int, double>>;
  // Builds the factory presets, "Init" first, and makes framework slot 0 a copy of "Init".
  int InitFactoryPresets();
  // Fills a record with the preset form of the state: the given pairs over the parameters'
  // defaults.
  void MakePresetFromValues(iplug::IPreset& record, const char* name, const PresetPairs& pairs);
  // A new record in the factory list (preset-list mode), else the first empty framework slot;
  // nothing when there is no room.
  void MakePresetFromPairs(const char* name, const PresetPairs& pairs);
  // Makes framework slot `index` a copy of the record.
  void ClearPresetChunk(const iplug::IPreset& record, int index);
  const WDL_PtrList<iplug::IPreset>& FactoryPresets() const { return mPresetStore.factory; }
  const WDL_PtrList<iplug::IPreset>& UserPresets() const { return mPresetStore.user; }

  // ---- state
  bool WriteState(ByteChunk& chunk) const override { return WriteStateChunk(chunk); }
  int ReadState(const ByteChunk& chunk, int startPos) override { return ReadStateChunk(chunk, startPos); }
  bool CanReadState(const ByteChunk& chunk, int startPos) const override;
  bool WriteStateChunk(ByteChunk& chunk) const;
  int ReadStateChunk(const ByteChunk& chunk, int startPos);

  // ---- preset files
  // Reads a preset file and, unless validateOnly, applies it (see PresetFiles.cpp).
  bool LoadPresetFile(const char* path, WDL_String* presetName, bool isDefault, bool validateOnly, bool readData,
                      WDL_String* dataText);
  bool LoadDefaultPreset(const char* auFolder);
  bool SaveDefaultPreset(const char* auFolder) { return IXMLPreset::SaveDefaultPreset(*this, auFolder); }
  bool SavePresetFile(const char* path, const char* presetName)
  {
    return IXMLPreset::SavePresetFile(*this, path, presetName, false, nullptr);
  }
  bool LoadPresetRecord(iplug::IPreset& record, const char* path)
  {
    return IXMLPreset::LoadPresetSlot(*this, record, path);
  }
  // "preset.txt" in the data folder: the keyed parameters' current values as factory-preset source.
  void DumpPresetsAsSource(const PresetParamKey* keys, const char* dataFolder) const;

  // ---- output parameters (reports/); main thread
  // Writes every "OUT:" parameter from the measurement as it stands.
  void WriteOutputParams();
  // Writes one "OUT:" parameter through the editor's road, so that the host records it.
  void PushOutputValue(int paramIdx, double value);
  void PushOutputValueInt(int paramIdx, int value);

  // ---- display feed (reports/); main thread, once the editor is laid out
  // Every read-out text, the alert counters, the dialogue-presence lamp and the alert lamps. The
  // timer moves only while the meter measures.
  void UpdateReadouts(bool measuring);
  // The levels of the SL, ML, range and channel meters.
  void UpdateMeters();
  // A value into the text control at a position: "---" without data, "-inf" below the floor,
  // else value minus offset with the precision, a "+" when not negative (none at precision 0)
  // and the unit after a blank.
  void FormatValue(int controlIdx, bool valid, const char* unit, int precision, double value, double offset,
                   double floor);
  // The lamp value of one alert (the peak alert's too) from the value it has: 0 without data or
  // with the alert off; a latched alert keeps it. In Auto the lamp follows the alert (1/3 raised,
  // 2/3 within limits); in On the first violation latches the record at 1/3 until the user
  // clears it. Called under the plug-in mutex, which guards the records.
  static double UpdateAlertLamp(double lamp, AlertState& record, bool hasData);
  // The same for a minimum and maximum pair: a low violation shows as 1/3, a high one as 1.0; a
  // pair with neither alert in Auto and none latched keeps its lamp.
  static double UpdateAlertPairLamp(double lamp, AlertState& low, AlertState& high, bool hasData);
  // A lamp for a value against its limits: off without data, 1.0 below low, 1/3 above high,
  // 2/3 between; the control redraws only when that changes.
  void SetRangeLamp(int controlIdx, bool valid, double value, double low, double high);

  // ---- reports and colour files (reports/); main thread. Each file that cannot be opened is
  // skipped without a message.
  void ExportCsv(const WDL_String& path);
  void ExportLog(const WDL_String& path);
  // A log and a CSV file with time-stamped names in the data folder.
  void AutoExportFiles();
  void SaveReadoutColors(const WDL_String& path) const;
  void LoadReadoutColors(const WDL_String& path);
  void SaveMeterColorsA(const WDL_String& path) const;
  void LoadMeterColorsA(const WDL_String& path);
  void SaveMeterColorsB(const WDL_String& path) const;
  void LoadMeterColorsB(const WDL_String& path);

  // ---- parameter changes and editor actions
  // Copies a changed parameter into its mirror and runs what it needs, or runs an editor
  // action; every accepted call ends with a display refresh request and the latency rule.
  void ParameterChanged(int paramIdx, iplug::ParamChangeSource source, int sampleOffset) override;
  // Runs every parameter's change, as a recall or reset does; the engine, which several of them
  // set up again, is set up once, with the settings the whole recall leaves.
  void ParametersReset(iplug::ParamChangeSource source) override;
  // Sets a host parameter from inside the plug-in: host and editor are told, the change hook is
  // not called.
  void PushParameterValue(int paramIdx, bool isNormalised, double value);
  // Brings the open editor in line with the display settings: tooltips, the visible view,
  // read-out captions and colours, scales, bars and graph. Off the editor's thread it only asks
  // the idle hook to do so; it does nothing before the editor is laid out.
  void ConfigureMeterScales();
  // Hands the histories and the graph settings to the graph; nothing while no editor is open.
  void UpdateGraphSettings();

  // ---- editor construction
  // Installs the make-graphics and layout callbacks (EditorCallbacks.h) in the editor delegate.
  void InitPlugControls();
  // The layout's bracket round building a new editor: the first notes the editor's thread and
  // that the editor is not ready; the second, once every control is attached and placed, marks
  // the layout built, configures the editor and marks it ready.
  void BeginEditorBuild();
  void FinishEditorBuild();
  // The layout withdraws the editor when the view it is given has no drawing context.
  using iplug::IPluginBase::SetHasUI;
  // ---- the editor's layout (layout/)
  // Places every anchored control and the two panels for the stored editor size.
  void RepositionControls();
  void ClearControlGroups();
  // Hides (or shows again) every control of a group.
  void ShowControlGroup(ControlGroup group, bool hide);
  // The editor width for the stored width and layout: the compact editor shows the left part.
  int EditorWidth() const;
  // The width the full editor is laid out for: the stored width, but never narrower than the
  // base editor, which the resizer never goes below either; a narrower width from a host or a
  // stored state would cut off the editor's right part.
  int FullWidth() const;
  bool LayoutBuilt() const { return mLayoutBuilt != 0; }
  bool EditorReady() const { return mEditorReady != 0; }
  EditorLayoutRecords& LayoutRecords() { return mLayoutRecords; }
  // The default name a file selector offers in its save dialog.
  static void SetDefaultFileName(IVFileSelectorControlHiddenZv& selector, const char* text);
  // The graph's width for a "Graph Timescale" step, in units of 30 s (1 beyond the steps).
  static double GraphTimeFactor(int step);
  // Where the layout attached the controls the editor actions look up.
  EditorControlPositions& ControlPositions() { return mControlPositions; }

  // ---- members other parts of the product read
  MeterSettings& Settings() { return mSettings; }
  const MeterSettings& Settings() const { return mSettings; }
  LoudnessHistory& History() { return mHistory; }
  const LoudnessHistory& History() const { return mHistory; }
  LoudnessHistory& Memory() { return mMemory; }
  WDL_Mutex& PluginMutex() const VX_RETURN_CAPABILITY(mMutex) { return mMutex; }
  const iplug::IPreset& InitPreset() const { return mPresetStore.defaults; }
  PresetMenuStore& PresetStore() { return mPresetStore; }
  // The parameters kept outside the host list, the first of them with id ExtraParamBaseId().
  std::vector<iplug::IParam*> ExtraParams() const;
  int ExtraParamBaseId() const { return mExtraParamBaseId; }
  const EditorControlPositions& ControlPositions() const { return mControlPositions; }

  LoudnessEngine* Engine() const { return mEngine.get(); }
  const PreparedChain& Chain() const { return mChain; }
  DisplayRequests& Requests() { return mRequests; }
  int32_t ChainLatency() const { return mPDCLatency; }
  using IMPlugPaths::AUFolder;
  using IMPlugPaths::DataFolder;

private:
  // Parameter changes (ParameterChanged.cpp).
  bool AcceptsChange(int paramIdx, int source) const;
  // Integer mirrors take the value truncated toward zero.
  int32_t IntValue(int paramIdx) const;
  void ApplyHostParameter(int paramIdx);
  // Writes the alert records of a triple's group from their parameters.
  void ApplyAlertGroup(int triple);
  void UpdateEditorGeometry();
  void SetupEngine();
  void ResetMeasurementLocked();
  void ResetLimiter();
  void MatchGain(int matchIdx);
  void FinishChange();

  // The idle hook's work for an open, laid-out editor: resize, update checks, info text, update
  // icon, read-outs, meters and graph.
  void ServeEditorRequests(iplug::igraphics::IGraphics& ui);
  // Resizes the editor to the geometry settings when they asked for it since it last took them.
  void ServeResizeRequest(iplug::igraphics::IGraphics& ui);

  // Editor actions (EditorActions.cpp).
  void RunEditorAction(int id);
  iplug::igraphics::IControl* ControlAtPosition(int position) const;
  template <class Control>
  Control* ControlAt(int position) const
  {
    return dynamic_cast<Control*>(ControlAtPosition(position));
  }
  // The path chosen in the selector at that position; null when there is none.
  const WDL_String* ChosenPath(int selectorPosition) const;
  IBPresetMenuZv* PresetMenu() const;
  // Pushes an integer parameter when its value truncated differs.
  void PushIntParameter(int paramIdx, int value);
  void SetEditorSize(int width, int height);
  void SetGuiScale(double scale, bool resize);
  // Clears the alerts' run state, and with channelMaxima the channel meters' maxima too.
  void ClearAlerts(std::span<const AlertIndex> alerts, bool channelMaxima = false);
  void PushColours(int firstParam, const uint32_t* packed, int count);
  void PushMeterColours(int firstParam, const MeterColorSet& colours);
  void PushReadoutColors();
  void MarkNewestPoint(bool set);
  void StoreMemory();
  void RebuildUserPresets();
  void RunGraphCommand(IGraphControl& graph);
  bool GraphReportsPointer() const;
  // The points the history holds, read under the plug-in mutex the audio thread appends under.
  int32_t HistorySize() const;
  void ShiftGraphRange(int command);

  // The measurement part of a reset, safe on the audio thread: histories, engine, clocks,
  // detectors, filter states and alerts.
  void ClearMeasurement() VX_REQUIRES(mMutex);
  // Switches "Graph Scroll" back on, telling host and editor; main thread only.
  void RestoreGraphScroll();
  // Frames to the next 100 ms boundary, where the period work is due; the first point of a
  // measurement is due with its first frame.
  int FramesToPeriodWork(bool play, bool active) const VX_REQUIRES(mMutex);
  // Counts the n frames a pass measured and runs the period work at a boundary; blockOffset is
  // where in the host's block the pass ended.
  void FinishPass(int n, bool play, bool active, int blockOffset) VX_REQUIRES(mMutex);
  // Alerts and one history point, every 100 ms of active measurement.
  void RunPeriodWork(int blockOffset) VX_REQUIRES(mMutex);
  // Hours, minutes, seconds and tenths of the clock "Timer Mode" chooses; samplePosition is
  // the host's time line at the moment shown.
  void TimerTime(uint32_t (&time)[4], const struct tm& wall, int milliseconds, double samplePosition)
    VX_REQUIRES(mMutex);

  void DeclareGuiParameters();
  void DeclareOutputParameters();
  void DeclareMeasurementParameters();
  void DeclareAlertParameters();
  void DeclareScaleParameters();
  void DeclareExportAndGraphParameters();
  void DeclareFixedGuiScale();

  void WritePresetSource(FILE* file, const PresetParamKey* keys) const;
  // Writes and reads the history part of the state; both take the plug-in mutex.
  bool AppendHistories(ByteChunk& chunk) const;
  // Replaces both lists by the stored ones.
  void ReadHistories(const ByteChunk& chunk, const statechunk::StoredLists& lists);

  MeterSettings mSettings;
  mutable WDL_Mutex mMutex;
  LoudnessHistory mHistory VX_GUARDED_BY(mMutex);
  LoudnessHistory mMemory VX_GUARDED_BY(mMutex);
  WDL_PtrList<iplug::IParam> mExtraParams;
  int mExtraParamBaseId = 0;
  PresetMenuStore mPresetStore;
  EditorControlPositions mControlPositions;
  EditorLayoutRecords mLayoutRecords;
  uint8_t mLayoutBuilt = 0;  // once the first layout has placed its controls
  uint8_t mEditorReady = 0;  // the open editor is completely built
  // The thread that builds and draws the editor.
  std::atomic<std::thread::id> mEditorThread{};
  uint8_t mPresetListMode = 1;  // factory presets go to the product's own list
  uint8_t mEditorOpen = 0;

  PreparedChain mChain;
  EngineDesign mEngineDesign;  // what the running engine and filters were built from
  DisplayRequests mRequests;
  // Per-block measurement state.
  uint8_t mRunning = 0;             // the host transport plays (1 without transport information)
  std::atomic<uint8_t> mActive{0};  // measured since the idle hook last read and cleared it
  FrameCounter mReadoutCounter VX_GUARDED_BY(mMutex), mMeterCounter VX_GUARDED_BY(mMutex),
    mOutputCounter VX_GUARDED_BY(mMutex), mHistoryCounter VX_GUARDED_BY(mMutex);
  double mClockRate = 0.0;
  int64_t mElapsedFrames VX_GUARDED_BY(mMutex) = 0;  // measured while active, since the measurement began
  MeterClock mTimeCode VX_GUARDED_BY(mMutex);
  double mSamplePosition = -1.0;  // the host's, as the latest block saw it
  ChannelWeightTable mBroadcastWeights{};
  ChannelWeightTable mCinemaWeights{};
  WeightingFilter mFilters[kMeterChannels] VX_GUARDED_BY(mMutex);
  PeakLimiter mLimiter VX_GUARDED_BY(mMutex);
  std::unique_ptr<LoudnessEngine> mEngine;
  // While a recall runs (control thread only), engine set-ups are gathered into one at its end.
  bool mRecalling = false;
  bool mEngineSetupDue = false;
};
