// The editor's action ids: buttons, menus and meters call the parameter-change hook with an id
// above the host parameters, and these are what the ids do.

#include "graphics/IGraphics.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IBPresetMenuZv.h"
#include "meter-ui/IGraphControl.h"
#include "meter-ui/IVFileSelectorControlHiddenZv.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// The memory store copies the live history in slices, so that the audio thread, which appends
// to it under the same mutex, never waits for more than one slice.
constexpr size_t kHistorySlice = 8192;
constexpr std::chrono::microseconds kSlicePause{100};

constexpr AlertIndex kIlAlerts[] = {kAlertIlMin, kAlertIlMax, kAlertIlDialMin, kAlertIlDialMax};
constexpr AlertIndex kSlAlerts[] = {kAlertSlMin, kAlertSlMax};
constexpr AlertIndex kMlAlerts[] = {kAlertMlMin, kAlertMlMax, kAlertDialogMin};
constexpr AlertIndex kRangeAlerts[] = {kAlertLraMin, kAlertLraDialMin, kAlertPlrMin, kAlertPsrMin};
constexpr AlertIndex kPeakAlerts[] = {kAlertPeakMax, kAlertTpMax};

constexpr int kDefaultEditorWidth = 832, kDefaultEditorHeight = 446;

// Loudness-scale limits the graph's range gestures keep to.
constexpr double kRangeTop = 24.0, kRangeBottom = -96.0, kNarrowestRange = 12.0;

double WholeDb(double level)
{
  return std::floor(level + 0.5);
}

// The file name without folder and extension: after the last "/", up to the last "." that
// follows the first character of the name.
WDL_String PresetNameFromPath(const char* path)
{
  const char* slash = std::strrchr(path, '/');
  const char* start = slash ? slash + 1 : path;
  const char* dot = std::strrchr(start, '.');
  const size_t length = dot && dot > start ? static_cast<size_t>(dot - start) : std::strlen(start);
  WDL_String name;
  name.Set(start, static_cast<int>(std::min<size_t>(length, 1023)));
  return name;
}

// "Vantorelix-<word>-<local date and time>".
WDL_String DefaultExportName(const char* word)
{
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char time[80];
  std::strftime(time, sizeof(time), "%Y%m%d-%H%M%S", &local);
  WDL_String name;
  name.SetFormatted(256, "%s-%s-%s", "Vantorelix", word, time);
  return name;
}

}  // namespace

void Vantorelix::RunEditorAction(int id)
{
  iplug::igraphics::IGraphics* ui = AvailableGraphics();
  switch (id)
  {
    case kActionInfoText:
      if (ui)
        mRequests.infoText = 1;
      break;
    case kActionUpdateCheck:
      if (ui)
        mRequests.updateCheck = 1;
      break;
    case kActionDumpPresets: DumpPresetsAsSource(PresetParamKeys, DataFolder()); break;
    case kActionLoadPresetFile:
      if (IBPresetMenuZv* menu = PresetMenu(); menu && menu->mChosenFile.GetLength())
        LoadPresetFile(menu->mChosenFile.Get(), nullptr, false, false, false, nullptr);
      break;
    case kActionSavePresetFile:
      if (IBPresetMenuZv* menu = PresetMenu(); menu && menu->mChosenFile.GetLength())
        SavePresetFile(menu->mChosenFile.Get(), PresetNameFromPath(menu->mChosenFile.Get()).Get());
      break;
    case kActionSaveDefaultPreset:
      if (ui)
        SaveDefaultPreset(AUFolder());
      break;
    case kActionRebuildUserPresets:
      if (ui)
        RebuildUserPresets();
      break;
    case kActionTakeEditorSize:
      if (ui)
        SetEditorSize(std::max(ui->Width(), kDefaultEditorWidth), ui->Height());
      break;
    case kActionDefaultEditorSize:
      if (ui)
        SetEditorSize(kDefaultEditorWidth, kDefaultEditorHeight);
      break;
    case kActionTakeGuiScale:
      if (ui)
        SetGuiScale(ui->GetDrawScale(), false);
      break;
    case kActionDefaultGuiScale:
      if (ui)
        SetGuiScale(1.0, true);
      break;
    case kActionMinimumGuiScale:
      if (ui)
        SetGuiScale(GetParam(kGuiScale)->GetMin(), true);
      break;
    case kActionCsvFileName:
    case kActionLogFileName:
      if (auto* selector = ControlAt<IVFileSelectorControlHiddenZv>(
            id == kActionCsvFileName ? mControlPositions.csvExport : mControlPositions.logExport))
        SetDefaultFileName(*selector, DefaultExportName(id == kActionCsvFileName ? "LMData" : "Log").Get());
      break;
    case kActionResetIlAlerts: ClearAlerts(kIlAlerts); break;
    case kActionResetSlAlerts: ClearAlerts(kSlAlerts); break;
    case kActionResetMlAlerts: ClearAlerts(kMlAlerts); break;
    case kActionResetRangeAlerts: ClearAlerts(kRangeAlerts); break;
    case kActionResetPeakAlerts:
    case kActionResetPeakAlerts2: ClearAlerts(kPeakAlerts, true); break;
    case kActionExportCsv:
      if (const WDL_String* path = ChosenPath(mControlPositions.csvExport))
        ExportCsv(*path);
      break;
    case kActionExportLog:
      if (const WDL_String* path = ChosenPath(mControlPositions.logExport))
        ExportLog(*path);
      break;
    case kActionLoadReadoutColors:
      if (const WDL_String* path = ChosenPath(mControlPositions.readoutColorsLoad))
      {
        LoadReadoutColors(*path);
        PushReadoutColors();
      }
      break;
    case kActionSaveReadoutColors:
      if (const WDL_String* path = ChosenPath(mControlPositions.readoutColorsSave))
        SaveReadoutColors(*path);
      break;
    case kActionDefaultReadoutColors:
      SetDefaultReadoutColors();
      PushReadoutColors();
      break;
    case kActionLoadMeterColorsA:
      if (const WDL_String* path = ChosenPath(mControlPositions.meterColorsALoad))
      {
        LoadMeterColorsA(*path);
        PushMeterColours(kColor_MeterPeakLED_lmc, mSettings.meterColorsA);
      }
      break;
    case kActionSaveMeterColorsA:
      if (const WDL_String* path = ChosenPath(mControlPositions.meterColorsASave))
        SaveMeterColorsA(*path);
      break;
    case kActionDefaultMeterColorsA:
      SetDefaultMeterColorsA();
      PushMeterColours(kColor_MeterPeakLED_lmc, mSettings.meterColorsA);
      break;
    case kActionLoadMeterColorsB:
      if (const WDL_String* path = ChosenPath(mControlPositions.meterColorsBLoad))
      {
        LoadMeterColorsB(*path);
        PushMeterColours(kColor_MeterPeakLED_pkc, mSettings.meterColorsB);
      }
      break;
    case kActionSaveMeterColorsB:
      if (const WDL_String* path = ChosenPath(mControlPositions.meterColorsBSave))
        SaveMeterColorsB(*path);
      break;
    case kActionDefaultMeterColorsB:
      SetDefaultMeterColorsB();
      PushMeterColours(kColor_MeterPeakLED_pkc, mSettings.meterColorsB);
      break;
    case kActionSetMarker: MarkNewestPoint(true); break;
    case kActionClearMarkers: MarkNewestPoint(false); break;
    case kActionStoreMemory: StoreMemory(); break;
    case kActionClearMemory:
    {
      WDL_MutexLock lock(mMutex);
      mMemory.Clear();
      break;
    }
    case kActionGraph:
      if (auto* graph = ControlAt<IGraphControl>(mControlPositions.graph))
        RunGraphCommand(*graph);
      break;
    case kFixedGuiScale:
      SetGuiScale(FixedGuiScaleValue(static_cast<int>(GetExtraParam(kFixedGuiScale)->Value())), true);
      break;
    default: break;  // ids no control carries
  }
}

void Vantorelix::PushIntParameter(int paramIdx, int value)
{
  if (IntValue(paramIdx) != value)
    PushParameterValue(paramIdx, false, value);
}

void Vantorelix::SetEditorSize(int width, int height)
{
  mSettings.guiWidth = width;
  mSettings.guiHeight = height;
  PushIntParameter(kGuiWidth, width);
  PushIntParameter(kGuiHeight, height);
  mRequests.editorResize = 1;
}

void Vantorelix::SetGuiScale(double scale, bool resize)
{
  mSettings.guiScale = scale;
  PushParameterValue(kGuiScale, false, scale);
  if (resize)
    mRequests.editorResize = 1;
}

void Vantorelix::ClearAlerts(std::span<const AlertIndex> alerts, bool channelMaxima)
{
  // Block processing advances these records and the read-out update latches them, both under
  // the plug-in mutex.
  WDL_MutexLock lock(mMutex);
  for (AlertIndex index : alerts)
    mSettings.alerts[index].ClearRunState();
  // Only the channel meters' maxima: the true-peak and sample-peak maxima behind PLR and the
  // history stay.
  if (channelMaxima && mEngine)
    for (PeakBallistics& meter : mEngine->ballistics)
      meter.ClearMaximum();
}

void Vantorelix::PushColours(int firstParam, const uint32_t* packed, int count)
{
  for (int i = 0; i < count; ++i)
    PushIntParameter(firstParam + i, static_cast<int>(packed[i]));
}

void Vantorelix::PushMeterColours(int firstParam, const MeterColorSet& colours)
{
  PushColours(firstParam, colours.packed.data(), kMeterColorCount);
  ConfigureMeterScales();
}

void Vantorelix::PushReadoutColors()
{
  PushIntParameter(kColor_BG_Readoutc, static_cast<int>(mSettings.readoutColors.base));
  for (int row = 0; row < kReadoutGroupCount; ++row)
    PushColours(kColor_BG_ILc + row * kReadoutGroupSize, mSettings.readoutColors.groups[row].data(), kReadoutGroupSize);
  ConfigureMeterScales();
}

// Set marks the newest point; clear unmarks every point.
void Vantorelix::MarkNewestPoint(bool set)
{
  WDL_MutexLock lock(mMutex);
  const size_t n = mHistory.Size();
  if (set)
  {
    if (n > 0)
      mHistory.At(n - 1).marked = 1;
    mHistory.NoteEdited();
    return;
  }
  for (size_t i = 0; i < n; ++i)
    mHistory.At(i).marked = 0;
  mHistory.NoteEdited();
}

// Copies the points the history holds now into the memory; a reset that empties the history
// meanwhile ends the copy where it finds it.
void Vantorelix::StoreMemory()
{
  size_t count;
  {
    WDL_MutexLock lock(mMutex);
    mMemory.Clear();
    count = mHistory.Size();
  }
  for (size_t done = 0; done < count;)
  {
    {
      WDL_MutexLock lock(mMutex);
      const size_t end = std::min({count, done + kHistorySlice, mHistory.Size()});
      if (end <= done)
        break;
      for (; done < end; ++done)
        if (!mMemory.AppendCopy(mHistory.At(done)))
          return;
    }
    // Released, the mutex would be taken again at once, before a waiting audio thread wakes.
    std::this_thread::sleep_for(kSlicePause);
  }
}

void Vantorelix::RebuildUserPresets()
{
  namespace fs = std::filesystem;
  std::error_code error;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(DataFolder(), error), end; !error && it != end; it.increment(error))
    entries.push_back(*it);
  if (error)
  {
    mPresetStore.user.Empty(true);
    mPresetStore.userFiles.reset();
    return;
  }
  std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
    return a.path().filename() < b.path().filename();
  });
  // Reading every preset file is slow with many: the list is read again only when a preset
  // file of the folder was added, removed, replaced or written since it was last read.
  std::vector<PresetMenuStore::FileStamp> files;
  for (const fs::directory_entry& entry : entries)
  {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file(error) && name.size() >= 4 && name.find(".zvp") != std::string::npos)
      files.push_back({entry.path().filename(), entry.file_size(error), entry.last_write_time(error)});
  }
  if (mPresetStore.userFiles == files)
    return;
  mPresetStore.user.Empty(true);
  mPresetStore.userFiles = files;
  for (const PresetMenuStore::FileStamp& file : files)
  {
    const std::string path = std::string(DataFolder()) + "/" + file.name.string();
    if (!LoadPresetFile(path.c_str(), nullptr, false, true, false, nullptr))
      continue;
    auto record = std::make_unique<iplug::IPreset>();
    LoadPresetRecord(*record, path.c_str());
    if (mPresetStore.user.Add(record.get()))
      record.release();
  }
}

iplug::igraphics::IControl* Vantorelix::ControlAtPosition(int position) const
{
  const iplug::igraphics::IGraphics* ui = AvailableGraphics();
  return ui ? ui->GetControl(position) : nullptr;
}

const WDL_String* Vantorelix::ChosenPath(int selectorPosition) const
{
  const auto* selector = ControlAt<IVFileSelectorControlHiddenZv>(selectorPosition);
  return selector && selector->mFileName.GetLength() ? &selector->mFileName : nullptr;
}

IBPresetMenuZv* Vantorelix::PresetMenu() const
{
  const iplug::igraphics::IGraphics* ui = AvailableGraphics();
  if (!ui)
    return nullptr;
  try
  {
    return dynamic_cast<IBPresetMenuZv*>(ui->FindControlByTag(IBPresetMenuZv::kTag));
  }
  catch (const std::out_of_range&)
  {
    return nullptr;  // a layout without a preset menu
  }
}

void Vantorelix::SetDefaultFileName(IVFileSelectorControlHiddenZv& selector, const char* text)
{
  selector.mFileName.Set(text ? text : "");
}

bool Vantorelix::GraphReportsPointer() const
{
  const auto* graph = ControlAt<IGraphControl>(mControlPositions.graph);
  return graph && graph->mCommand == IGraphControl::kPointerOver;
}

int32_t Vantorelix::HistorySize() const
{
  WDL_MutexLock lock(mMutex);
  return static_cast<int32_t>(mHistory.Size());
}

void Vantorelix::RunGraphCommand(IGraphControl& graph)
{
  int32_t* graphMirrors = mSettings.graph.data();
  int32_t& scroll = graphMirrors[kGraphScroll - kGraphTimescale];
  int32_t& timescale = graphMirrors[kGraphTimescale - kGraphTimescale];
  switch (graph.mCommand)
  {
    case IGraphControl::kNone: return;
    case IGraphControl::kViewMoved:
      if (IntValue(kGraphScroll) != 0)
        PushParameterValue(kGraphScroll, false, 0.0);
      scroll = IntValue(kGraphScroll);
      graph.mRunning = scroll;
      if (scroll == 0)
        graph.mFrozenCount = graph.mViewEnd = HistorySize();
      break;
    case IGraphControl::kLongerTimescale:
    case IGraphControl::kShorterTimescale:
      timescale = IntValue(kGraphTimescale) + (graph.mCommand == IGraphControl::kLongerTimescale ? 1 : -1);
      PushIntParameter(kGraphTimescale, timescale);
      timescale = IntValue(kGraphTimescale);
      graph.mTimeScaleFactor = GraphTimeFactor(timescale);
      break;
    case IGraphControl::kRangeUp:
    case IGraphControl::kRangeDown:
    case IGraphControl::kRangeWider:
    case IGraphControl::kRangeNarrower: ShiftGraphRange(graph.mCommand); return;
    default: return;  // the pointer over the graph only asks for a refresh
  }
  graph.SetDirty(true, -1);
}

void Vantorelix::ShiftGraphRange(int command)
{
  double& top = mSettings.lmLevels.front();
  double& bottom = mSettings.lmLevels.back();
  top = WholeDb(GetParam(kMaxVal_lm)->Value());
  bottom = WholeDb(GetParam(kMinVal_lm)->Value());
  double step = 0.0, spread = 0.0;  // shift of both ends, and widening
  switch (command)
  {
    case IGraphControl::kRangeUp: step = top < kRangeTop ? 1.0 : 0.0; break;
    case IGraphControl::kRangeDown: step = bottom > kRangeBottom ? -1.0 : 0.0; break;
    case IGraphControl::kRangeWider: spread = top < kRangeTop && bottom > kRangeBottom ? 1.0 : 0.0; break;
    default: spread = top - bottom > kNarrowestRange ? -1.0 : 0.0; break;
  }
  if (step == 0.0 && spread == 0.0)
    return;
  const double newTop = top + step + spread;
  bottom = bottom + step - spread;
  PushParameterValue(kMaxVal_lm, false, newTop);
  top = WholeDb(GetParam(kMaxVal_lm)->Value());
  PushParameterValue(kMinVal_lm, false, bottom);
  bottom = WholeDb(GetParam(kMinVal_lm)->Value());
  ConfigureMeterScales();
}
