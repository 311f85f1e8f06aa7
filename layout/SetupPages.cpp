// The settings area: a page selector and seven pages that edit the meter's settings. Each page is
// laid out from a table of rows; one routine per kind of control attaches it to its page's group,
// so that the scale configuration can show one page and hide the others.

#include "controls/IVTabSwitchControl.h"
#include "layout/LayoutParts.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IVButtonControlZv.h"
#include "meter-ui/IVClickButtonControlZv.h"
#include "meter-ui/IVToggleControlZv.h"
#include "meter-ui/IVColorPickerZv.h"
#include "meter-ui/IVFileSelectorControlHiddenZv.h"
#include "meter-ui/IVPanelControlZv.h"
#include "meter-ui/IVParameterControlZv.h"
#include "meter-ui/IVPopupMenuZv.h"

#include <array>
#include <span>

using namespace iplug::igraphics;

namespace {

constexpr const char* kPageBackground = "#9496A0";
// Neighbouring scale marks keep at least this many dB between them.
constexpr double kLevelMargin = 0.1;
constexpr float kColumnWidth = 64.f;

// The alert settings come in triples of mode, level and period, in this order.
enum AlertTriple : int {
  kIlMin,
  kIlDialMin,
  kSlMin,
  kMlMin,
  kIlMax,
  kIlDialMax,
  kSlMax,
  kMlMax,
  kTpMax,
  kPeakMax,
  kLraMin,
  kLraDialMin,
  kPlrMin,
  kPsrMin,
  kDialogMin,
  kNoAlert = -1,
};

// The parameter list holds the triples back to back, in the order above.
static_assert(kDialogMin + 1 == kAlertParamCount);
static_assert(kIL_Min_Mode + 3 * kAlertParamCount - 1 == kDialog_Min_Period);

constexpr int AlertModeParam(AlertTriple triple)
{
  return kIL_Min_Mode + 3 * triple;
}

// Read-out colour "RVC<row><column>" of the six read-out rows 2 to 7, columns 1 to 4.
// The parameter list holds the six groups of four back to back.
static_assert(kColor_BG_ILc + kReadoutGroupCount * kReadoutGroupSize == kExportDecimalFormat);
constexpr int ReadoutColourParam(int row, int column)
{
  return kColor_BG_ILc + kReadoutGroupSize * (row - 2) + column - 1;
}

const IVStyleZv kValueStyle = BoxStyle(15.f);
const IVStyleZv kSmallStyle = BoxStyle(12.f);
const IText kTitle(18.f, kColorBlack, "Verdana Bold", EAlign::Near, EVAlign::Middle);
const IText kHeading(12.f, kColorBlack, "Verdana Normal", EAlign::Center, EVAlign::Middle);
const IText kRowLabel(12.f, kColorBlack, "Verdana Normal", EAlign::Near, EVAlign::Middle);

const std::vector<const char*> kPageNames{"Main 1", "Main 2", "Alerts 1", "Alerts 2", "GUI 1", "GUI 2", "Misc"};

IVStyle PageSelectorStyle()
{
  // Square, framed and shadowed as by default, with the page names but without the label.
  IVStyle style;
  style.showLabel = false;
  style.colorSpec = IVStyleColors({Vantorelix::ColorFromHexAlpha(kPageBackground, 255), kColorBlack, kColorWhite,
                                   IColor(191, 20, 20, 20), IColor(10, 0, 0, 0), IColor(0, 0, 0, 0), kColorBlack,
                                   IColor(255, 0, 255, 0), IColor(255, 0, 0, 255)});
  style.labelText = IText(14.f, kColorBlack, "Verdana Bold", EAlign::Far, EVAlign::Middle);
  return style;
}

IRECT Cell(float x, float y, float w, float h)
{
  return IRECT(x, y, x + w, y + h);
}

// Attaches the controls of one page to its group.
class Page
{
public:
  Page(Vantorelix& plug, LayoutBuilder& builder, std::vector<int>& group)
  : mPlug(plug), mBuilder(builder), mGroup(group)
  {
    Add(new IVPanelControlZv(IRECT(320, 56, 812, 372), Vantorelix::ColorFromHexAlpha(kPageBackground, 255), true,
                             IColor(191, 20, 20, 20), 8.f, 1.f));
  }

  void Text(const IRECT& bounds, const char* text, const IText& style) { Add(Label(bounds, text, style)); }
  void Title(float x, float y, float width, const char* text) { Text(Cell(x, y, width, 18.f), text, kTitle); }

  void Box(const IRECT& bounds, int param)
  {
    Add(new IVParameterControlZv(bounds, param, kValueStyle, EDirection::Vertical, false, false, kBoxGearing));
  }

  // A level box that stays kLevelMargin inside its neighbours (-1: none on that side).
  void RangeBox(const IRECT& bounds, int param, int lower, int upper)
  {
    auto* box = new IVParameterControlRangeZv(bounds, param, kValueStyle, EDirection::Vertical, false, false,
                                              kBoxGearing);
    box->mOwnParamIdx = param;
    box->mLowerParamIdx = lower;
    box->mUpperParamIdx = upper;
    box->mMargin = kLevelMargin;
    Add(box);
  }

  void Popup(const IRECT& bounds, int param, const IVStyleZv& style)
  {
    Add(new IVPopupMenuZv(bounds, param, style, false, true));
  }

  void Swatch(const IRECT& bounds, int param) { Add(new IVColorPickerZv(bounds, param, kValueStyle, "Color")); }
  void Toggle(const IRECT& bounds, int param) { Add(new IVToggleControlZv(bounds, param, kValueStyle)); }

  void Button(const IRECT& bounds, int action, const IVStyleZv& style, const char* caption)
  {
    Add(new IVClickButtonControlZv(bounds, action, style, caption));
  }

  // A drawn "Load" or "Save" button and the invisible selector over it: attached after the
  // button, the selector takes its clicks. Answers the selector's position.
  int FileButton(const IRECT& bounds, int action, int fileAction, const char* extension)
  {
    Button(bounds, -1, kValueStyle, fileAction == IVFileSelectorControlHiddenZv::kOpen ? "Load" : "Save");
    // The colour files go where the exports go.
    return Add(new IVFileSelectorControlHiddenZv(bounds, action, fileAction, mPlug.DataFolder(), extension, -1));
  }

private:
  int Add(IControl* control) { return mBuilder.Add(control, mGroup); }

  Vantorelix& mPlug;
  LayoutBuilder& mBuilder;
  std::vector<int>& mGroup;
};

// ---- "Main 1", "Main 2" and the popups of "Misc": sections of up to five headed columns.

enum class Kind { kPopup, kSmallPopup, kBox };

struct Setting
{
  const char* heading;
  Kind kind;
  int param;
  float headingWidth = kColumnWidth;  // wider headings are centred on their control
};

struct Section
{
  const char* title;
  float titleWidth;
  float top;
  std::span<const Setting> settings;
};

void AddSection(Page& page, const Section& section)
{
  const float y0 = section.top;
  page.Title(344.f, y0, section.titleWidth, section.title);
  for (size_t c = 0; c < section.settings.size(); ++c)
  {
    const Setting& s = section.settings[c];
    const float x = 348.f + 80.f * static_cast<float>(c);
    const float headingLeft = x - (s.headingWidth - kColumnWidth) / 2.f;
    page.Text(IRECT(headingLeft, y0 + 29.f, headingLeft + s.headingWidth, y0 + 41.f), s.heading, kHeading);
    const IRECT control = Cell(x, y0 + 44.f, kColumnWidth, 24.f);
    switch (s.kind)
    {
      case Kind::kBox: page.Box(control, s.param); break;
      case Kind::kPopup: page.Popup(control, s.param, kValueStyle); break;
      case Kind::kSmallPopup: page.Popup(control, s.param, kSmallStyle); break;
    }
  }
}

constexpr float kWindowHeading = 78.f;

constexpr Setting kMeasurement[] = {
  {"Gate Mode", Kind::kPopup, kGate_mode},
  {"S-Window (ms)", Kind::kBox, kSL_IntWindow, kWindowHeading},
  {"M-Window (ms)", Kind::kBox, kML_IntWindow, kWindowHeading},
  {"Meas. Mode", Kind::kPopup, kMeasurementMode},
};
constexpr Setting kChannels[] = {
  {"Ch-Config", Kind::kSmallPopup, kChannelConfig},
  {"Ch-Routing", Kind::kSmallPopup, kChannelRouting},
  {"Unit", Kind::kPopup, kUnitMode},
  {"Offset (db)", Kind::kBox, kRefOffset},
};
constexpr Setting kWeighting[] = {
  {"Filter Mode", Kind::kPopup, kWFilterMode},      {"LC Freq. (Hz)", Kind::kBox, kWFilterLCFreq},
  {"LC Slope", Kind::kSmallPopup, kWFilterLCSlope}, {"HC Freq. (Hz)", Kind::kBox, kWFilterHCFreq},
  {"HC Slope", Kind::kSmallPopup, kWFilterHCSlope},
};
constexpr Setting kAdditional[] = {
  {"Dyn. Disp", Kind::kPopup, kLRange_mode},
  {"Peak Mode", Kind::kSmallPopup, kTruePeak_mode},
  {"Timer Mode", Kind::kSmallPopup, kTimerMode},
};
constexpr Setting kExportFormat[] = {
  {"Dec. Format", Kind::kSmallPopup, kExportDecimalFormat},
  {"CSV Data Sep.", Kind::kSmallPopup, kExportCsvSeparator, 72.f},
  {"Auto Export", Kind::kPopup, kAutoExportLogCSV},
};

// ---- "Alerts 1" and "Alerts 2": rows of mode, level and period under "Min" and "Max".

struct AlertRow
{
  const char* label;
  const char* secondLine;  // null: one line
  AlertTriple min;
  AlertTriple max;
};

constexpr float kMinColumns = 352.f;
constexpr float kMaxColumns = 592.f;

void AddAlertHeadings(Page& page, float x0, float top, const char* levelHeading)
{
  const char* headings[] = {"Mode", levelHeading, "Period (s)"};
  for (int c = 0; c < 3; ++c)
    page.Text(Cell(x0 + 74.f * static_cast<float>(c), top, kColumnWidth, 12.f), headings[c], kHeading);
}

void AddAlertTriple(Page& page, float x0, float y, AlertTriple triple)
{
  if (triple == kNoAlert)
    return;
  const int mode = AlertModeParam(triple);
  page.Popup(Cell(x0, y, kColumnWidth, 24.f), mode, kValueStyle);
  page.Box(Cell(x0 + 74.f, y, kColumnWidth, 24.f), mode + 1);
  page.Box(Cell(x0 + 148.f, y, kColumnWidth, 24.f), mode + 2);
}

void AddAlertRow(Page& page, float y, const AlertRow& row)
{
  if (row.secondLine)
  {
    page.Text(IRECT(324, y - 1.f, 354, y + 11.f), row.label, kRowLabel);
    page.Text(IRECT(324, y + 11.f, 354, y + 23.f), row.secondLine, kRowLabel);
  }
  else
    page.Text(IRECT(324, y + 5.f, 354, y + 17.f), row.label, kRowLabel);
  AddAlertTriple(page, kMinColumns, y, row.min);
  AddAlertTriple(page, kMaxColumns, y, row.max);
}

void AddAlertRows(Page& page, std::span<const AlertRow> rows)
{
  for (size_t r = 0; r < rows.size(); ++r)
    AddAlertRow(page, 120.f + 36.f * static_cast<float>(r), rows[r]);
}

constexpr AlertRow kLoudnessAlerts[] = {
  {"IL", nullptr, kIlMin, kIlMax}, {"IL", "Dial", kIlDialMin, kIlDialMax}, {"SL", nullptr, kSlMin, kSlMax},
  {"ML", nullptr, kMlMin, kMlMax}, {"TP", nullptr, kNoAlert, kTpMax},      {"Peak", nullptr, kNoAlert, kPeakMax},
};
constexpr AlertRow kRangeAlerts[] = {
  {"LRA", nullptr, kLraMin, kNoAlert},
  {"LRA", "Dial", kLraDialMin, kNoAlert},
  {"PLR", nullptr, kPlrMin, kNoAlert},
  {"PSR", nullptr, kPsrMin, kNoAlert},
};

// ---- "GUI 1": the two meters' scale marks and colour sets.

struct MeterBlock
{
  float x0;
  const char* title;
  int loadAction, saveAction, defaultAction;
  int EditorControlPositions::*loadSelector;
  int EditorControlPositions::*saveSelector;
  int firstLevel;  // six levels, top to bottom
  int scale;
  int firstColour;  // six colours, top to bottom
  const IText* scaleCaption;
};

void AddMeterBlock(Page& page, EditorControlPositions& positions, const MeterBlock& m)
{
  static constexpr const char* kLevelLabels[] = {"Max", "Split1", "Split2", "Split3", "Split4", "Min"};
  static constexpr float kSwatchTops[] = {130, 178, 210, 242, 274, 306};
  constexpr int kLevels = 6;
  const float x0 = m.x0;

  page.Title(x0, 76.f, 198.f, m.title);
  page.Title(x0, 94.f, 150.f, "Settings");
  positions.*m.loadSelector = page.FileButton(Cell(x0 + 70.f, 96.f, 42.f, 18.f), m.loadAction,
                                              IVFileSelectorControlHiddenZv::kOpen, "mcls");
  positions.*m.saveSelector = page.FileButton(Cell(x0 + 115.f, 96.f, 42.f, 18.f), m.saveAction,
                                              IVFileSelectorControlHiddenZv::kSave, "mcls");
  page.Button(Cell(x0 + 160.f, 96.f, 57.f, 18.f), m.defaultAction, kValueStyle, "Default");

  page.Text(Cell(x0, 135.f, 30.f, 12.f), "Over", kRowLabel);
  for (int r = 0; r < kLevels; ++r)
  {
    const float y = 162.f + 32.f * static_cast<float>(r);
    page.Text(Cell(x0, y + 5.f, 30.f, 12.f), kLevelLabels[r], kRowLabel);
    const int level = m.firstLevel + r;
    page.RangeBox(Cell(x0 + 40.f, y, kColumnWidth, 24.f), level, r + 1 < kLevels ? level + 1 : -1,
                  r > 0 ? level - 1 : -1);
  }

  page.Text(Cell(x0 + 40.f, 118.f, kColumnWidth, 12.f), "dBFS", kHeading);
  page.Text(Cell(x0 + 40.f, 350.f, 66.f, 12.f), "Meter Scale", *m.scaleCaption);
  page.Popup(Cell(x0 + 120.f, 338.f, kColumnWidth, 24.f), m.scale, kValueStyle);

  // Each swatch after the first sits between the two marks whose zone it colours.
  for (int i = 0; i < kMeterColorCount; ++i)
    page.Swatch(Cell(x0 + 120.f, kSwatchTops[i], kColumnWidth, 24.f), m.firstColour + i);
}

// ---- "GUI 2": the read-out colours.

void AddReadoutColours(Page& page, EditorControlPositions& positions)
{
  page.Title(344.f, 76.f, 214.f, "Readout Color Settings");
  positions.readoutColorsLoad = page.FileButton(Cell(680, 114, kColumnWidth, 24.f), kActionLoadReadoutColors,
                                                IVFileSelectorControlHiddenZv::kOpen, "gcls");
  positions.readoutColorsSave = page.FileButton(Cell(680, 146, kColumnWidth, 24.f), kActionSaveReadoutColors,
                                                IVFileSelectorControlHiddenZv::kSave, "gcls");
  page.Button(Cell(680, 178, kColumnWidth, 24.f), kActionDefaultReadoutColors, kValueStyle, "Default");

  // The columns name the read-out's parts: value text, its panel, label texts, the row's panel.
  static constexpr const char* kHeadings[] = {"Value", "BG1", "Label", "BG2"};
  static constexpr int kColumnColours[] = {4, 3, 2, 1};
  const auto columnX = [](int c) { return 384.f + 72.f * static_cast<float>(c); };
  for (int c = 0; c < 4; ++c)
    page.Text(Cell(columnX(c), 87.f, kColumnWidth, 24.f), kHeadings[c], kHeading);

  static constexpr const char* kRows[] = {"IL", "SL", "ML", "Time", "Range", "Peak"};
  const auto rowTop = [](int r) { return 114.f + 32.f * static_cast<float>(r); };
  for (int r = 0; r < kReadoutGroupCount; ++r)
  {
    page.Text(Cell(344, rowTop(r), kColumnWidth, 24.f), kRows[r], kRowLabel);
    for (int c = 0; c < 4; ++c)
      page.Swatch(Cell(columnX(c), rowTop(r), kColumnWidth, 24.f), ReadoutColourParam(r + 2, kColumnColours[c]));
  }
  // The area's frame has one colour; "RVC11" and "RVC13" colour nothing and get no swatch.
  const float frameTop = rowTop(kReadoutGroupCount);
  page.Text(Cell(344, frameTop, kColumnWidth, 24.f), "Frame", kRowLabel);
  page.Swatch(Cell(columnX(0), frameTop, kColumnWidth, 24.f), kColor_BG_Readoutc);
}

// ---- "Misc": the export format and the CSV column switches.

void AddExportSwitches(Page& page)
{
  static constexpr const char* kCaptions[kCsvExportCount] = {
    "IL",    "SL",     "ML",     "LRA",    "PxR",    "TP",     "PK",     "SL Max", "ML Max", "LRA L",
    "LRA H", "TP Max", "PK Max", "Al. LM", "Al. RG", "Al. TP", "Al. PK", "Marked", "Dial"};
  static constexpr int kRowStarts[] = {0, 7, 13, kCsvExportCount};
  for (int r = 0; r < 3; ++r)
    for (int i = kRowStarts[r]; i < kRowStarts[r + 1]; ++i)
    {
      const float x = 348.f + 45.f * static_cast<float>(i - kRowStarts[r]);
      const float y0 = 155.f + 50.f * static_cast<float>(r);
      page.Text(Cell(x, y0, 32.f, 12.f), kCaptions[i], kHeading);
      page.Toggle(Cell(x, y0 + 15.f, 32.f, 24.f), kCsvExportIL + i);
    }
}

// The page names share one size, at which each keeps within the room its row of the selector
// gives it up to the next page's button.
void FitPageNames(const IGraphics& ui, IVRadioButtonControl& selector)
{
  IVStyle style = selector.GetStyle();
  float size = style.valueText.mSize;
  for (int page = 0; page < static_cast<int>(kPageNames.size()); ++page)
    size = std::min(
      size, FittingSize(ui, style.valueText, {kPageNames[static_cast<size_t>(page)]}, selector.TextRect(page).W()));
  style.valueText.mSize = size;
  selector.SetStyle(style);
}

}  // namespace

void BuildSetupPages(Vantorelix& plug, LayoutBuilder& b)
{
  IGraphics& ui = b.UI();
  EditorLayoutRecords& records = plug.LayoutRecords();
  auto* selector = new IVRadioButtonControl(IRECT(328, 372, 776, 396), kSetupPage, kPageNames, "Page Selector",
                                            PageSelectorStyle(), EWidgetShape::Ellipse, EDirection::Horizontal, 10.f);
  // The selector is shown with the setup view, whatever the page.
  records.setupBackground = b.Add(selector);
  if (records.setupBackground >= 0)
    FitPageNames(ui, *selector);

  std::array<std::vector<int>, kSetupPageCount>& pages = records.setupPages;
  {
    Page main1(plug, b, pages[0]);
    AddSection(main1, {"Measurement", 150.f, 76.f, kMeasurement});
    AddSection(main1, {"Channel Settings", 150.f, 164.f, kChannels});
    AddSection(main1, {"Weighting Filter", 150.f, 252.f, kWeighting});
  }
  {
    Page main2(plug, b, pages[1]);
    AddSection(main2, {"Additional", 150.f, 76.f, kAdditional});
  }
  {
    Page alerts1(plug, b, pages[2]);
    alerts1.Title(344.f, 76.f, 150.f, "Min");
    alerts1.Title(584.f, 76.f, 150.f, "Max");
    AddAlertHeadings(alerts1, kMinColumns, 105.f, "Level (dBFS)");
    AddAlertHeadings(alerts1, kMaxColumns, 105.f, "Level (dBFS)");
    AddAlertRows(alerts1, kLoudnessAlerts);
  }
  {
    Page alerts2(plug, b, pages[3]);
    alerts2.Title(344.f, 76.f, 150.f, "Min");
    AddAlertHeadings(alerts2, kMinColumns, 105.f, "Level (dB)");
    AddAlertRows(alerts2, kRangeAlerts);
    AddAlertHeadings(alerts2, kMinColumns, 285.f, "%");
    AddAlertRow(alerts2, 300.f, {"Dial", "Perc.", kDialogMin, kNoAlert});
  }
  {
    Page gui1(plug, b, pages[4]);
    AddMeterBlock(
      gui1, plug.ControlPositions(),
      {344.f, "SL/ML Meter/Graph", kActionLoadMeterColorsA, kActionSaveMeterColorsA, kActionDefaultMeterColorsA,
       &EditorControlPositions::meterColorsALoad, &EditorControlPositions::meterColorsASave, kMaxVal_lm,
       kScaleLabelMode_lm, kColor_MeterPeakLED_lmc, &kRowLabel});
    AddMeterBlock(gui1, plug.ControlPositions(),
                  {570.f, "Peak/TP Meter", kActionLoadMeterColorsB, kActionSaveMeterColorsB, kActionDefaultMeterColorsB,
                   &EditorControlPositions::meterColorsBLoad, &EditorControlPositions::meterColorsBSave, kMaxVal_pk,
                   kScaleLabelMode_pk, kColor_MeterPeakLED_pkc, &kHeading});
  }
  {
    Page gui2(plug, b, pages[5]);
    AddReadoutColours(gui2, plug.ControlPositions());
  }
  {
    Page misc(plug, b, pages[6]);
    AddSection(misc, {"CSV/Log Export Settings", 214.f, 76.f, kExportFormat});
    AddExportSwitches(misc);
  }
  for (const std::vector<int>& page : pages)
    FitLabels(ui, page);
}
