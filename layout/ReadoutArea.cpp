// The read-out area: six boxes with their panels, captions, values, second lines, alert
// counters and lamps. Every part is recorded in the read-out slot table as it is attached.

#include "layout/LayoutParts.h"
#include "meter-plugin/DisplayLabels.h"
#include "meter-plugin/Vantorelix.h"
#include "meter-ui/IBBitmapControlZv.h"
#include "meter-ui/IVButtonControlZv.h"
#include "meter-ui/IVClickControlHiddenZv.h"
#include "meter-ui/IVPanelControlZv.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

using namespace iplug::igraphics;

namespace {

const IColor kFrameColor(191, 20, 20, 20);

// The four colours of one box, from its group of the read-out palette.
struct BoxColours
{
  IColor background1, label, background2, value;
};

BoxColours ColoursOf(const ReadoutColorSet& palette, int row)
{
  const auto& g = palette.groups[static_cast<size_t>(row)];
  return {Vantorelix::ColorFromWord(g[0]), Vantorelix::ColorFromWord(g[1]), Vantorelix::ColorFromWord(g[2]),
          Vantorelix::ColorFromWord(g[3])};
}

IText Style(float size, const IColor& colour, bool bold, EAlign align)
{
  return IText(size, colour, bold ? "Verdana Bold" : "Verdana Normal", align);
}

IControl* Panel(const IRECT& bounds, const IColor& fill, float radius)
{
  return new IVPanelControlZv(bounds, fill, true, kFrameColor, radius, 1.f);
}

// The widest texts a level read-out shows: no value, no level, and the extreme levels of every
// unit and offset, with each word its line may carry.
std::vector<std::string> LevelTexts(std::initializer_list<const char*> words = {nullptr})
{
  constexpr double kExtremeLevel = 144.0;
  std::vector<std::string> texts{"---", "-inf"};
  for (const char* word : words)
    for (double level : {-kExtremeLevel, kExtremeLevel})
    {
      char text[32];
      std::snprintf(text, sizeof text, word ? "%+.1f %s" : "%+.1f", level, word);
      texts.emplace_back(text);
    }
  return texts;
}

// Every text the read-outs' values, second lines, counters and range ends may show, so that the
// widest of them fits its box.
LabelTexts ReadoutTexts(const ReadoutArea& area)
{
  const auto& rows = area.rows;
  const std::vector<std::string> counter{" 999"};
  LabelTexts texts;
  for (int row : {kReadoutIL, kReadoutSL, kReadoutML, kReadoutRange, kReadoutPeak})
    texts[rows[row].valueText] = LevelTexts();
  // In "Dial" the momentary box shows the dialogue share in whole percent.
  texts[rows[kReadoutML].valueText].emplace_back("100 ");
  texts[rows[kReadoutTime].valueText] = {" 00:00:00.0"};
  texts[rows[kReadoutIL].secondCaption] = LevelTexts({"IL"});
  texts[rows[kReadoutSL].secondCaption] = LevelTexts({"Max"});
  texts[rows[kReadoutML].secondCaption] = LevelTexts({"Max"});
  texts[rows[kReadoutRange].secondCaption] = LevelTexts({"LRA", "PSR", "Min"});
  texts[rows[kReadoutIL].sideValues[0]] = counter;
  texts[rows[kReadoutSL].sideValues[0]] = counter;
  texts[rows[kReadoutPeak].sideValues[0]] = counter;
  for (int end : rows[kReadoutRange].sideValues)
    texts[end] = LevelTexts();
  return texts;
}

}  // namespace

void BuildReadoutArea(Vantorelix& plug, LayoutBuilder& b)
{
  const MeterSettings& s = plug.Settings();
  ReadoutArea& area = plug.ControlPositions().readout;
  auto& rows = area.rows;
  BoxColours colours[kReadoutRows];
  for (int row = 0; row < kReadoutRows; ++row)
    colours[row] = ColoursOf(s.readoutColors, row);

  area.areaFrame = b.Add(Panel(IRECT(6, 54, 298, 370), Vantorelix::ColorFromWord(s.readoutColors.base), 8.f));

  const IRECT boxes[kReadoutRows] = {IRECT(16, 64, 150, 156),  IRECT(16, 166, 150, 258),  IRECT(16, 268, 150, 360),
                                     IRECT(154, 64, 288, 156), IRECT(154, 166, 288, 258), IRECT(154, 268, 288, 360)};
  for (int row = 0; row < kReadoutRows; ++row)
    rows[row].boxPanel = b.Add(Panel(boxes[row], colours[row].background1, 6.f));

  const IRECT valuePanels[kReadoutRows] = {IRECT(24, 88, 144, 130),   IRECT(24, 190, 144, 232),
                                           IRECT(24, 292, 144, 334),  IRECT(162, 88, 282, 130),
                                           IRECT(162, 190, 282, 232), IRECT(162, 292, 282, 334)};
  rows[kReadoutIL].valuePanel = b.Add(Panel(valuePanels[kReadoutIL], colours[kReadoutIL].background2, 4.f));
  // The dialogue-presence lamp: an outline over the IL value, lit while dialogue is present.
  area.ilSwitchPanel = b.Add(new IVPanelControlSwitchZv(valuePanels[kReadoutIL], kColorTransparent, kColorTransparent,
                                                        true, kColorTransparent, IColor(192, 255, 128, 255), 4.f));
  for (int row = kReadoutSL; row < kReadoutRows; ++row)
    rows[row].valuePanel = b.Add(Panel(valuePanels[row], colours[row].background2, 4.f));

  const IRECT captions[kReadoutRows] = {IRECT(24, 64, 144, 84),  IRECT(24, 166, 144, 186),  IRECT(24, 268, 144, 288),
                                        IRECT(162, 64, 282, 84), IRECT(162, 166, 282, 186), IRECT(162, 268, 282, 288)};
  const char* captionTexts[kReadoutRows] = {"Integrated IL",
                                            "Short Term SL",
                                            "Momentary ML",
                                            "Time",
                                            kRangeCaptions[static_cast<size_t>(std::clamp(s.rangeMode, 0, 2))],
                                            kPeakCaptions[s.peakMode == 1 ? 1 : 0]};
  for (int row = 0; row < kReadoutRows; ++row)
    rows[row].caption = b.Add(
      Label(captions[row], captionTexts[row], Style(16, colours[row].label, true, EAlign::Near)));

  struct Value
  {
    IRECT bounds;
    const char* text;
    int clickAction;  // -1: no click area
    const char* tooltip;
  };
  const Value values[kReadoutRows] = {
    {IRECT(32, 96, 128, 120), "---", kActionResetIlAlerts,
     "Integrated (Program) Loudness (in Dialog mode: IL Dialog),click to reset alerts"},
    {IRECT(32, 198, 128, 222), "---", kActionResetSlAlerts, "Short Term Loudness, click to reset alerts"},
    {IRECT(32, 300, 128, 324), "---", kActionResetMlAlerts,
     "Momentary Loudness, (in Dialog mode: dialog percentage),click to reset alerts"},
    {IRECT(168, 97, 272, 121), "00:00:00.0", -1, "Time format: elapsed/time code/system time"},
    {IRECT(168, 198, 264, 222), "---", kActionResetRangeAlerts,
     "LRA/PLR/PSR, (in Dialog mode: LRA Dialog),click to reset alerts"},
    {IRECT(168, 300, 264, 324), "---", kActionResetPeakAlerts, "Max. True Peak, click to reset alerts"},
  };
  for (int row = 0; row < kReadoutRows; ++row)
  {
    const Value& v = values[row];
    IControl* text = Label(v.bounds, v.text,
                           Style(row == kReadoutTime ? 20 : 26, colours[row].value, true, EAlign::Far));
    IControl* click = v.clickAction >= 0 ? new IVClickControlHiddenZv(v.bounds, v.clickAction) : nullptr;
    // The tooltip goes to the topmost control, the one the pointer finds.
    (click ? click : text)->SetTooltip(v.tooltip);
    rows[row].valueText = b.Add(text);
    if (click)
      b.Add(click);
  }

  struct Line
  {
    int row;
    IRECT bounds;
    const char* tooltip;
  };
  const Line secondCaptions[] = {{kReadoutIL, IRECT(24, 137, 96, 151), "Integrated Loudness"},
                                 {kReadoutSL, IRECT(24, 239, 96, 253), "Max. Short Term Loudness"},
                                 {kReadoutML, IRECT(24, 341, 96, 355), "Max. Momentary Loudness"},
                                 {kReadoutRange, IRECT(160, 239, 232, 253), "PSR/PLR, (in Dialog mode: LRA)"}};
  for (const Line& line : secondCaptions)
  {
    IControl* text = Label(line.bounds, "---", Style(16, colours[line.row].label, false, EAlign::Far));
    text->SetTooltip(line.tooltip);
    rows[line.row].secondCaption = b.Add(text);
  }

  // The alert counters of IL, SL and Peak; the low and high ends of the range.
  const struct
  {
    int row;
    size_t slot;
    IRECT bounds;
  } sideValues[] = {{kReadoutIL, 0, IRECT(14, 117, 46, 127)},
                    {kReadoutSL, 0, IRECT(14, 219, 46, 229)},
                    {kReadoutRange, 0, IRECT(160, 220, 192, 230)},
                    {kReadoutRange, 1, IRECT(245, 220, 277, 230)},
                    {kReadoutPeak, 0, IRECT(150, 321, 182, 331)}};
  for (const auto& u : sideValues)
    rows[u.row].sideValues[u.slot] = b.Add(Label(u.bounds, "---", Style(10, colours[u.row].value, false, EAlign::Far)));

  WDL_String unitText;
  LoudnessUnitText(s.unitMode, s.refOffset, unitText);
  const WDL_String peakUnit = PeakUnitText(s.peakMode);
  const struct
  {
    int row;
    IRECT bounds;
    const char* text;
  } unitTexts[] = {{kReadoutIL, IRECT(98, 136, 144, 152), unitText.Get()},
                   {kReadoutSL, IRECT(98, 238, 144, 254), unitText.Get()},
                   {kReadoutML, IRECT(98, 340, 144, 356), unitText.Get()},
                   {kReadoutTime, IRECT(191, 136, 281, 152), "hh:mm:ss.s"},
                   {kReadoutRange, IRECT(234, 238, 280, 254), UnitLabel(s.unitMode)},
                   {kReadoutPeak, IRECT(234, 340, 280, 356), peakUnit.Get()}};
  for (const auto& v : unitTexts)
    rows[v.row].unitText = b.Add(Label(v.bounds, v.text, Style(16, colours[v.row].label, true, EAlign::Far)));

  const IBitmap led = b.UI().LoadBitmap("readoutLED.png", 4);
  const struct
  {
    int row;
    float x, y;
  } leds[] = {{kReadoutIL, 30, 92},
              {kReadoutSL, 30, 194},
              {kReadoutML, 30, 296},
              {kReadoutRange, 168, 194},
              {kReadoutPeak, 168, 296}};
  for (const auto& l : leds)
    rows[l.row].led = b.Add(new IBBitmapControlZv(l.x, l.y, led));

  std::vector<int> everything(static_cast<size_t>(b.UI().NControls() - area.areaFrame));
  std::iota(everything.begin(), everything.end(), area.areaFrame);
  FitLabels(b.UI(), everything, ReadoutTexts(area));
}
