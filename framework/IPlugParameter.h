#pragma once
// One plug-in parameter: a named, typed value with a range, a step, a default, display rules and a
// shape that maps it to and from the normalised range 0..1 that hosts and controls work in.

#include "framework/WDLHeapBuf.h"
#include "framework/WDLString.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

namespace iplug {

// Values are read and written from the host's threads, the audio thread among them.
static_assert(std::atomic<double>::is_always_lock_free);

enum class ParamKind : int32_t { None = 0, Bool = 1, Int = 2, Enum = 3, Double = 4 };

enum class ParamUnit : int32_t {
  Percentage,
  Seconds,
  Milliseconds,
  Samples,
  DB,
  LinearGain,
  Pan,
  Phase,
  Degrees,
  Meters,
  Rate,
  Ratio,
  Frequency,
  Octaves,
  Cents,
  AbsCents,
  Semitones,
  MidiNote,
  MidiController,
  BPM,
  Beats,
  Custom
};

enum ParamFlags : int32_t {
  kFlagsNone = 0,
  kFlagCannotAutomate = 1,
  kFlagStepped = 2,
  kFlagNegateDisplay = 4,
  kFlagSignDisplay = 8,
  kFlagMeta = 16,
};

// The scaling a shape suggests to a host for showing the parameter.
enum class ParamDisplayCurve : int32_t { Linear, Log, Exp, Squared, SquareRoot, Cubed, CubeRoot };

class IParam
{
public:
  using DisplayFunc = std::function<void(double value, WDL_String& out)>;

  static constexpr int kTextFieldSize = 32;  // name, label, group and display texts: 31 chars + 0

  class Shape
  {
  public:
    virtual ~Shape() = default;
    virtual std::unique_ptr<Shape> Clone() const = 0;
    virtual void Prepare(const IParam&) {}
    virtual ParamDisplayCurve DisplayCurve() const = 0;
    virtual double ToValue(double normalised, const IParam& param) const = 0;
    virtual double ToNormalised(double value, const IParam& param) const = 0;
  };

  class ShapeLinear : public Shape
  {
  public:
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeLinear>(*this); }
    ParamDisplayCurve DisplayCurve() const override { return ParamDisplayCurve::Linear; }
    double ToValue(double normalised, const IParam& param) const override;
    double ToNormalised(double value, const IParam& param) const override;
  };

  class ShapePowCurve : public Shape
  {
  public:
    explicit ShapePowCurve(double exponent) : m_exponent(exponent) {}
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapePowCurve>(*this); }
    ParamDisplayCurve DisplayCurve() const override;
    double ToValue(double normalised, const IParam& param) const override;
    double ToNormalised(double value, const IParam& param) const override;

  private:
    double m_exponent;
  };

  class ShapeExp : public Shape
  {
  public:
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeExp>(*this); }
    void Prepare(const IParam& param) override;
    ParamDisplayCurve DisplayCurve() const override { return ParamDisplayCurve::Log; }
    double ToValue(double normalised, const IParam& param) const override;
    double ToNormalised(double value, const IParam& param) const override;

  private:
    double m_mul = 1.0;
    double m_add = 0.0;
  };

  IParam();
  ~IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Definitions. The first one fixes the kind; each one sets the value to the default.
  void DefineDouble(const char* name, double defaultValue, double min, double max, double step, const char* label = "",
                    int flags = kFlagsNone, const char* group = "", const Shape& shape = ShapeLinear(),
                    ParamUnit unit = ParamUnit::Custom, DisplayFunc displayFunc = nullptr);
  void DefineBool(const char* name, bool defaultValue, const char* label = "", int flags = kFlagsNone,
                  const char* group = "", const char* offText = "off", const char* onText = "on");
  void DefineInt(const char* name, int defaultValue, int min, int max, const char* label = "", int flags = kFlagsNone,
                 const char* group = "");
  // Value i gets texts[i]; with no texts the values have none.
  void DefineEnum(const char* name, int defaultIndex, int count, const char* label = "", int flags = kFlagsNone,
                  const char* group = "", std::initializer_list<const char*> texts = {});
  void DefineEnumFromList(const char* name, int defaultIndex, std::initializer_list<const char*> texts,
                          int flags = kFlagsNone, const char* group = "");
  void DefineFrequency(const char* name, double defaultValue, double min, double max, double step,
                       int flags = kFlagsNone, const char* group = "");
  void DefineSeconds(const char* name, double defaultValue, double min, double max, double step, int flags = kFlagsNone,
                     const char* group = "");
  void DefineMilliseconds(const char* name, double defaultValue, double min, double max, int flags = kFlagsNone,
                          const char* group = "");
  void DefineGain(const char* name, double defaultValue, double min, double max, double step, int flags = kFlagsNone,
                  const char* group = "");
  void DefinePercentage(const char* name, double defaultValue, double min, double max, int flags = kFlagsNone,
                        const char* group = "");
  void DefineDegrees(const char* name, double defaultValue, double min, double max, int flags = kFlagsNone,
                     const char* group = "");
  // Steps name the notes from lowestNote to highestNote; the default is a step index.
  void DefinePitch(const char* name, int defaultIndex, int lowestNote, int highestNote, int flags = kFlagsNone,
                   const char* group = "", bool middleCisC4 = false);
  // Copies the source's definition and display texts; the name has the first searchText replaced
  // by replaceText, and the group becomes newGroup unless that is empty.
  void DefineFromParam(const IParam& source, const char* searchText, const char* replaceText,
                       const char* newGroup = "");

  // Writers keep the previous value, round to the step when stepped and clamp to the range.
  // They allocate nothing and take no lock.
  void Set(double value);
  void SetNormalised(double normalised);
  void SetToDefault() { Set(m_default); }
  double Value() const { return m_value.load(); }
  double PreviousValue() const { return m_previousValue.load(); }
  double GetNormalised() const { return ToNormalised(Value()); }

  // Conversions through the shape, with stepping and clamping; always finite.
  double ToNormalised(double value) const;
  double FromNormalised(double normalised) const;
  // Rounds to the step when stepped and clamps to the range (NaN gives the minimum).
  double Constrain(double value) const;

  ParamKind GetKind() const { return m_kind; }
  ParamUnit GetUnit() const { return m_unit; }
  double GetMin() const { return m_min; }
  double GetMax() const { return m_max; }
  double GetStep() const { return m_step; }
  double GetDefault() const { return m_default; }
  void GetBounds(double& lo, double& hi) const
  {
    lo = m_min;
    hi = m_max;
  }
  int GetPrecision() const { return m_precision; }
  void SetPrecision(int decimals) { m_precision = decimals; }
  int GetFlags() const { return m_flags; }
  bool IsStepped() const { return m_flags & kFlagStepped; }
  const char* GetName() const { return m_name; }
  const char* GetLabel() const { return m_label; }
  const char* GetGroup() const { return m_group; }
  const Shape& GetShape() const { return *m_shape; }

  // Display text of a value (normalised or not), at most 32 characters.
  void FormatDisplay(double value, bool normalised, WDL_String& out, bool useDisplayTexts = true) const;
  // The display text of the current value, then " " and the label when there is one.
  void FormatDisplayWithLabel(WDL_String& out, bool useDisplayTexts = true) const;
  // The value a typed text stands for: a display text's value, else the number in the text.
  double ValueFromText(const char* text) const;
  // The leading decimal number of a text, where a "k" (or else "K") stands for the decimal point
  // of a number of thousands ("1k5" is 1500); 0 for text without a number.
  static double ParseNumber(const char* text);
  // Whether a typed text stands for a value at all: a display text, or a text that begins with a
  // number. A text that does not is no value to apply.
  bool TextHasValue(const char* text) const;

  // Texts attached to exact values, in the order added; lookups take the first match.
  void AddDisplayText(double value, const char* text);
  int DisplayTextCount() const { return m_displayTexts.GetSize(); }
  // Null for an index outside the list.
  const char* DisplayTextAt(int index, double* value = nullptr) const;
  const char* DisplayTextFor(double value) const;
  bool ValueForDisplayText(const char* text, double* value) const;

  // Appends a JSON object describing the parameter.
  void WriteJson(WDL_String& out, int index) const;
  void PrintDetails() const {}

private:
  struct DisplayText
  {
    double value;
    char text[kTextFieldSize];
  };

  const DisplayText* FindDisplayText(double value) const;

  ParamKind m_kind = ParamKind::None;
  ParamUnit m_unit = ParamUnit::Custom;
  std::atomic<double> m_value{0.0};
  std::atomic<double> m_previousValue{0.0};
  double m_min = 0.0;
  double m_max = 1.0;
  double m_step = 1.0;
  double m_default = 0.0;
  int m_precision = 0;
  int m_flags = kFlagsNone;
  char m_name[kTextFieldSize] = {};
  char m_label[kTextFieldSize] = {};
  char m_group[kTextFieldSize] = {};
  std::unique_ptr<Shape> m_shape;
  DisplayFunc m_displayFunc;
  WDL_TypedBuf<DisplayText> m_displayTexts{4096};
};

}  // namespace iplug
