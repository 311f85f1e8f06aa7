#include "framework/IPlugParameter.h"

#include "framework/IPlugNumberText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <cstring>
#include <limits>
#include <string>

namespace iplug {

namespace {

constexpr double kExpShapeFloor = 1e-8;  // lower end of an exponential range that reaches 0 or below
constexpr int kDisplayLength = 32;
constexpr int kJsonPieceLength = 8192;

template <size_t N>
void CopyField(char (&field)[N], const char* text)
{
  const size_t n = text ? strnlen(text, N - 1) : 0;
  std::memcpy(field, text ? text : "", n);
  field[n] = 0;
}

bool IsWhole(double x)
{
  return std::abs(x - std::round(x)) <= 1e-9 * std::max(1.0, std::abs(x));
}

// Decimals needed to show a value on the step grid: up to 5, or 6 for finer steps.
int PrecisionForStep(double step)
{
  for (int decimals = 0; decimals <= 5; ++decimals, step *= 10.0)
  {
    if (IsWhole(step))
      return decimals;
  }
  return 6;
}

double Clamp01(double x)
{
  return std::isnan(x) ? 0.0 : std::clamp(x, 0.0, 1.0);
}

}  // namespace

// ---- shapes

double IParam::ShapeLinear::ToValue(double normalised, const IParam& param) const
{
  return param.m_min + normalised * (param.m_max - param.m_min);
}

double IParam::ShapeLinear::ToNormalised(double value, const IParam& param) const
{
  const double range = param.m_max - param.m_min;
  return range != 0.0 ? (value - param.m_min) / range : 0.0;
}

ParamDisplayCurve IParam::ShapePowCurve::DisplayCurve() const
{
  if (m_exponent > 2.5)
    return ParamDisplayCurve::CubeRoot;
  if (m_exponent > 1.5)
    return ParamDisplayCurve::SquareRoot;
  if (m_exponent < 0.4)
    return ParamDisplayCurve::Cubed;
  if (m_exponent < 2.0 / 3.0)
    return ParamDisplayCurve::Squared;
  return ParamDisplayCurve::Linear;
}

double IParam::ShapePowCurve::ToValue(double normalised, const IParam& param) const
{
  return param.m_min + (param.m_max - param.m_min) * std::pow(std::max(normalised, 0.0), m_exponent);
}

double IParam::ShapePowCurve::ToNormalised(double value, const IParam& param) const
{
  const double range = param.m_max - param.m_min;
  if (range == 0.0)
    return 0.0;
  return std::pow(std::max((value - param.m_min) / range, 0.0), 1.0 / m_exponent);
}

void IParam::ShapeExp::Prepare(const IParam& param)
{
  const double lo = param.m_min > 0.0 ? param.m_min : kExpShapeFloor;
  m_add = std::log(lo);
  m_mul = std::log(param.m_max / lo);
}

double IParam::ShapeExp::ToValue(double normalised, const IParam& param) const
{
  // A range that ends at or below its lower end has no exponential curve: stay at the minimum.
  if (!std::isfinite(m_mul))
    return param.m_min;
  return std::exp(normalised * m_mul + m_add);
}

double IParam::ShapeExp::ToNormalised(double value, const IParam&) const
{
  if (!(value > 0.0) || !std::isfinite(m_mul) || m_mul == 0.0)
    return 0.0;
  return (std::log(value) - m_add) / m_mul;
}

// ---- construction and definitions

IParam::IParam() : m_shape(std::make_unique<ShapeLinear>()) {}

IParam::~IParam() = default;

void IParam::DefineDouble(const char* name, double defaultValue, double min, double max, double step, const char* label,
                          int flags, const char* group, const Shape& shape, ParamUnit unit, DisplayFunc displayFunc)
{
  if (m_kind == ParamKind::None)
    m_kind = ParamKind::Double;
  CopyField(m_name, name);
  CopyField(m_label, label);
  CopyField(m_group, group);
  m_min = min;
  m_step = step;
  m_max = min + step > max ? min + step : max;
  m_unit = unit;
  m_flags = flags;
  // A default outside the range or off the step grid would put the value there on every reset.
  m_default = Constrain(defaultValue);
  m_displayFunc = std::move(displayFunc);
  Set(m_default);
  m_precision = PrecisionForStep(step);
  m_shape = shape.Clone();
  m_shape->Prepare(*this);
}

void IParam::DefineBool(const char* name, bool defaultValue, const char* label, int flags, const char* group,
                        const char* offText, const char* onText)
{
  if (m_kind == ParamKind::None)
    m_kind = ParamKind::Bool;
  DefineDouble(name, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 1.0, label, flags | kFlagStepped, group);
  AddDisplayText(0.0, offText);
  AddDisplayText(1.0, onText);
}

void IParam::DefineInt(const char* name, int defaultValue, int min, int max, const char* label, int flags,
                       const char* group)
{
  if (m_kind == ParamKind::None)
    m_kind = ParamKind::Int;
  DefineDouble(name, defaultValue, min, max, 1.0, label, flags | kFlagStepped, group);
}

void IParam::DefineEnum(const char* name, int defaultIndex, int count, const char* label, int flags, const char* group,
                        std::initializer_list<const char*> texts)
{
  if (m_kind == ParamKind::None)
    m_kind = ParamKind::Enum;
  DefineDouble(name, defaultIndex, 0.0, count - 1.0, 1.0, label, flags | kFlagStepped, group);
  int value = 0;
  for (const char* text : texts)
  {
    if (value >= count)
      break;
    AddDisplayText(value++, text);
  }
}

void IParam::DefineEnumFromList(const char* name, int defaultIndex, std::initializer_list<const char*> texts, int flags,
                                const char* group)
{
  DefineEnum(name, defaultIndex, static_cast<int>(texts.size()), "", flags, group, texts);
}

void IParam::DefineFrequency(const char* name, double defaultValue, double min, double max, double step, int flags,
                             const char* group)
{
  DefineDouble(name, defaultValue, min, max, step, "Hz", flags, group, ShapeExp(), ParamUnit::Frequency);
}

void IParam::DefineSeconds(const char* name, double defaultValue, double min, double max, double step, int flags,
                           const char* group)
{
  DefineDouble(name, defaultValue, min, max, step, "Seconds", flags, group, ShapeLinear(), ParamUnit::Seconds);
}

void IParam::DefineMilliseconds(const char* name, double defaultValue, double min, double max, int flags,
                                const char* group)
{
  DefineDouble(name, defaultValue, min, max, 1.0, "ms", flags, group, ShapeLinear(), ParamUnit::Milliseconds);
}

void IParam::DefineGain(const char* name, double defaultValue, double min, double max, double step, int flags,
                        const char* group)
{
  DefineDouble(name, defaultValue, min, max, step, "dB", flags, group, ShapeLinear(), ParamUnit::DB);
}

void IParam::DefinePercentage(const char* name, double defaultValue, double min, double max, int flags,
                              const char* group)
{
  DefineDouble(name, defaultValue, min, max, 1.0, "%", flags, group, ShapeLinear(), ParamUnit::Percentage);
}

void IParam::DefineDegrees(const char* name, double defaultValue, double min, double max, int flags, const char* group)
{
  DefineDouble(name, defaultValue, min, max, 1.0, "degrees", flags, group, ShapeLinear(), ParamUnit::Degrees);
}

void IParam::DefinePitch(const char* name, int defaultIndex, int lowestNote, int highestNote, int flags,
                         const char* group, bool middleCisC4)
{
  static const char* const kNoteNames[12] = {"C ", "C#", "D ", "D#", "E ", "F ", "F#", "G ", "G#", "A ", "A#", "B "};
  DefineEnum(name, defaultIndex, highestNote - lowestNote + 1, "", flags, group);
  WDL_String text;
  for (int note = std::max(lowestNote, 0), index = note - lowestNote; note <= highestNote; ++note, ++index)
  {
    text.SetFormatted(kDisplayLength, "%s%i", kNoteNames[note % 12], note / 12 - (middleCisC4 ? 1 : 2));
    AddDisplayText(index, text.Get());
  }
}

void IParam::DefineFromParam(const IParam& source, const char* searchText, const char* replaceText,
                             const char* newGroup)
{
  std::string name = source.m_name;
  if (searchText && *searchText)
  {
    const size_t at = name.find(searchText);
    if (at != std::string::npos)
      name.replace(at, strlen(searchText), replaceText ? replaceText : "");
  }
  const std::string group = newGroup && *newGroup ? newGroup : source.m_group;
  const std::string label = source.m_label;
  const auto shape = source.m_shape->Clone();
  const int textCount = source.DisplayTextCount();

  if (m_kind == ParamKind::None)
    m_kind = source.m_kind;
  DefineDouble(name.c_str(), source.m_default, source.m_min, source.m_max, source.m_step, label.c_str(), source.m_flags,
               group.c_str(), *shape, source.m_unit, source.m_displayFunc);
  for (int i = 0; i < textCount; ++i)
  {
    double value = 0.0;
    const char* text = source.DisplayTextAt(i, &value);
    AddDisplayText(value, text);
  }
}

// ---- values

double IParam::Constrain(double value) const
{
  if (IsStepped() && m_step > 0.0)
    value = std::round(value / m_step) * m_step;
  if (std::isnan(value))
    return m_min;
  return std::clamp(value, m_min, m_max);
}

void IParam::Set(double value)
{
  m_previousValue.exchange(m_value.load());
  m_value.exchange(Constrain(value));
}

void IParam::SetNormalised(double normalised)
{
  Set(FromNormalised(normalised));
}

double IParam::ToNormalised(double value) const
{
  return Clamp01(m_shape->ToNormalised(Constrain(value), *this));
}

double IParam::FromNormalised(double normalised) const
{
  return Constrain(m_shape->ToValue(normalised, *this));
}

// ---- display and text input

void IParam::FormatDisplay(double value, bool normalised, WDL_String& out, bool useDisplayTexts) const
{
  if (normalised)
    value = FromNormalised(value);
  if (m_displayFunc)
  {
    m_displayFunc(value, out);
    return;
  }
  if (useDisplayTexts)
  {
    const DisplayText* entry = FindDisplayText(value);
    if (entry && entry->text[0])
    {
      out.Set(entry->text, kDisplayLength);
      return;
    }
  }
  if (m_flags & kFlagNegateDisplay)
    value = -value;
  if (value == 0.0)
    value = 0.0;  // no minus sign on a negative zero

  if (m_precision == 0)
  {
    // Values beyond the int range show as its end instead of an undefined conversion.
    const double rounded = std::round(value);
    const int whole = std::isnan(rounded)
                        ? 0
                        : static_cast<int>(std::clamp(rounded, double{std::numeric_limits<int>::min()},
                                                      double{std::numeric_limits<int>::max()}));
    out.SetFormatted(kDisplayLength, "%d", whole);
  }
  else
  {
    out.Set(FixedText(value, m_precision, (m_flags & kFlagSignDisplay) && value != 0.0).Get(), kDisplayLength);
  }
}

void IParam::FormatDisplayWithLabel(WDL_String& out, bool useDisplayTexts) const
{
  FormatDisplay(Value(), false, out, useDisplayTexts);
  if (m_label[0])
  {
    out.Append(" ");
    out.Append(m_label);
  }
}

namespace {
// The leading decimal number of a text, after blanks and with an optional sign, with its first
// "k" (else "K") read as the decimal point and the number then taken in thousands; none when the
// text does not begin with one.
std::optional<double> LeadingNumber(const char* text)
{
  std::string copy = text ? text : "";
  size_t k = copy.find('k');
  if (k == std::string::npos)
    k = copy.find('K');
  if (k != std::string::npos)
    copy[k] = '.';

  const char* p = copy.c_str();
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v')
    ++p;
  bool negative = false;
  if (*p == '+' || *p == '-')
    negative = *p++ == '-';
  // Only digits make a number here: no "inf", "nan" or hexadecimal forms.
  if (!std::isdigit(static_cast<unsigned char>(p[0])) &&
      !(p[0] == '.' && std::isdigit(static_cast<unsigned char>(p[1]))))
    return std::nullopt;
  double number = 0.0;
  if (std::from_chars(p, copy.c_str() + copy.size(), number).ec != std::errc())
    return std::nullopt;
  if (negative)
    number = -number;
  return k != std::string::npos ? number * 1000.0 : number;
}
}  // namespace

double IParam::ParseNumber(const char* text)
{
  return LeadingNumber(text).value_or(0.0);
}

bool IParam::TextHasValue(const char* text) const
{
  double value = 0.0;
  return ValueForDisplayText(text, &value) || LeadingNumber(text).has_value();
}

double IParam::ValueFromText(const char* text) const
{
  double value = 0.0;
  if (ValueForDisplayText(text, &value))
    return value;
  if (m_kind == ParamKind::Bool || m_kind == ParamKind::Enum)
    return 0.0;
  value = ParseNumber(text);
  if (m_flags & kFlagNegateDisplay)
    value = -value;
  return Constrain(value);
}

// ---- display texts

void IParam::AddDisplayText(double value, const char* text)
{
  DisplayText entry{value, {}};
  CopyField(entry.text, text);
  m_displayTexts.Add(entry);
}

const IParam::DisplayText* IParam::FindDisplayText(double value) const
{
  const DisplayText* entries = m_displayTexts.Get();
  const int n = m_displayTexts.GetSize();
  for (int i = 0; i < n; ++i)
  {
    if (entries[i].value == value)
      return entries + i;
  }
  return nullptr;
}

const char* IParam::DisplayTextAt(int index, double* value) const
{
  if (index < 0 || index >= m_displayTexts.GetSize())
    return nullptr;
  const DisplayText& entry = m_displayTexts.Get()[index];
  if (value)
    *value = entry.value;
  return entry.text;
}

const char* IParam::DisplayTextFor(double value) const
{
  const DisplayText* entry = FindDisplayText(value);
  return entry ? entry->text : "";
}

bool IParam::ValueForDisplayText(const char* text, double* value) const
{
  if (!text)
    return false;
  const DisplayText* entries = m_displayTexts.Get();
  const int n = m_displayTexts.GetSize();
  for (int i = 0; i < n; ++i)
  {
    if (std::strcmp(entries[i].text, text) == 0)
    {
      if (value)
        *value = entries[i].value;
      return true;
    }
  }
  return false;
}

// ---- JSON

void IParam::WriteJson(WDL_String& out, int index) const
{
  static const char* const kTypeNames[] = {nullptr, "bool", "int", "enum", "float"};

  // Quotes, backslashes and control characters would break the JSON string.
  std::string name;
  for (const char* c = m_name; *c; ++c)
  {
    const auto ch = static_cast<unsigned char>(*c);
    if (ch == '"' || ch == '\\')
      name += {'\\', static_cast<char>(ch)};
    else if (ch < 0x20)
    {
      char escaped[8];
      snprintf(escaped, sizeof(escaped), "\\u%04x", ch);
      name += escaped;
    }
    else
      name += static_cast<char>(ch);
  }

  out.Append("{");
  out.AppendFormatted(kJsonPieceLength, "\"id\":%i, ", index);
  out.AppendFormatted(kJsonPieceLength, "\"name\":\"%s\", ", name.c_str());
  if (const char* type = kTypeNames[static_cast<int>(m_kind)])
    out.AppendFormatted(kJsonPieceLength, "\"type\":\"%s\", ", type);
  const std::pair<const char*, double> numbers[] = {{"min", m_min}, {"max", m_max}, {"default", m_default}};
  for (const auto& [key, value] : numbers)
    out.AppendFormatted(kJsonPieceLength, "\"%s\":%s, ", key, FixedText(value, 6).Get());
  out.Append("\"rate\":\"control\"");
  out.Append("}");
}

}  // namespace iplug
