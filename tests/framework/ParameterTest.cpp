#include "framework/IPlugParameter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using iplug::IParam;
using iplug::ParamDisplayCurve;
using iplug::ParamKind;
using iplug::ParamUnit;

namespace {

std::string Display(const IParam& p, double value, bool normalised = false, bool texts = true)
{
  WDL_String out;
  p.FormatDisplay(value, normalised, out, texts);
  return out.Get();
}

TEST(Param, ConstructedDefaults)
{
  IParam p;
  EXPECT_EQ(p.GetKind(), ParamKind::None);
  EXPECT_EQ(p.GetUnit(), ParamUnit::Custom);
  EXPECT_EQ(p.Value(), 0.0);
  EXPECT_EQ(p.GetMin(), 0.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.GetStep(), 1.0);
  EXPECT_STREQ(p.GetName(), "");
  EXPECT_EQ(p.GetShape().DisplayCurve(), ParamDisplayCurve::Linear);
  EXPECT_EQ(p.DisplayTextCount(), 0);
}

TEST(Param, DefinitionFixesRangeDefaultAndFields)
{
  IParam p;
  p.DefineDouble("Zero range", 0.0, 0.0, 0.0, 1.0);
  EXPECT_EQ(p.GetMax(), 1.0);

  p.DefineDouble("A name that is longer than thirty-one characters", 5.0, -1.0, 1.0, 0.1, "dB");
  EXPECT_EQ(std::string(p.GetName()).size(), 31u);
  EXPECT_EQ(p.GetDefault(), 1.0);  // clamped, and so is every reset to it
  p.Set(-1.0);
  p.SetToDefault();
  EXPECT_EQ(p.Value(), 1.0);
  EXPECT_EQ(p.PreviousValue(), -1.0);
  EXPECT_EQ(p.GetKind(), ParamKind::Double);

  p.DefineInt("Stepped", 0, 0, 10);
  EXPECT_EQ(p.GetKind(), ParamKind::Double);  // the first definition fixed the kind
  IParam q;
  q.DefineDouble("Stepped default", 2.6, 0.0, 10.0, 1.0, "", iplug::kFlagStepped);
  EXPECT_EQ(q.GetDefault(), 3.0);
  EXPECT_EQ(q.Value(), 3.0);
}

TEST(Param, PrecisionFollowsStep)
{
  const std::pair<double, int> cases[] = {{1.0, 0}, {0.5, 1},  {0.25, 2},  {0.01, 2},
                                          {0.3, 1}, {0.07, 2}, {0.125, 3}, {0.0000001, 6}};
  for (const auto& [step, precision] : cases)
  {
    IParam p;
    p.DefineDouble("p", 0.0, 0.0, 100.0, step);
    EXPECT_EQ(p.GetPrecision(), precision) << "step " << step;
  }
}

TEST(Param, SetRoundsHalvesAwayFromZeroAndClamps)
{
  IParam p;
  p.DefineDouble("p", 0.0, -10.0, 10.0, 1.0, "", iplug::kFlagStepped);
  const std::pair<double, double> cases[] = {{2.5, 3.0},   {-2.5, -3.0},   {2.49, 2.0},
                                             {11.0, 10.0}, {-50.0, -10.0}, {NAN, -10.0}};
  for (const auto& [in, stored] : cases)
  {
    p.Set(in);
    EXPECT_EQ(p.Value(), stored) << "set " << in;
  }
  p.Set(4.0);
  p.SetNormalised(0.76);  // 5.2 -> 5
  EXPECT_EQ(p.Value(), 5.0);
  EXPECT_EQ(p.PreviousValue(), 4.0);
  EXPECT_DOUBLE_EQ(p.GetNormalised(), 0.75);
}

TEST(Param, ShapesRoundTrip)
{
  IParam linear, pow, exp;
  linear.DefineDouble("lin", 0.0, -12.0, 12.0, 0.001);
  pow.DefineDouble("pow", 0.0, 0.0, 100.0, 0.001, "", 0, "", IParam::ShapePowCurve(3.0));
  exp.DefineFrequency("freq", 1000.0, 20.0, 20000.0, 0.001);
  EXPECT_EQ(exp.GetUnit(), ParamUnit::Frequency);
  EXPECT_STREQ(exp.GetLabel(), "Hz");
  for (const IParam* p : {&linear, &pow, &exp})
  {
    for (double n : {0.0, 0.1, 0.5, 0.9, 1.0})
      EXPECT_NEAR(p->ToNormalised(p->FromNormalised(n)), n, 1e-4) << p->GetName() << " " << n;
  }
  EXPECT_NEAR(exp.FromNormalised(0.5), std::sqrt(20.0 * 20000.0), 0.01);
  EXPECT_NEAR(pow.FromNormalised(0.5), 12.5, 1e-9);

  IParam wide;
  wide.DefineFrequency("wide", 100.0, 0.0, 20000.0, 1.0);  // lower end 1e-8 before clamping
  EXPECT_NEAR(wide.GetShape().ToValue(0.0, wide), 1e-8, 1e-20);
}

TEST(Param, PowCurveDisplayCurve)
{
  const std::pair<double, ParamDisplayCurve> cases[] = {
    {3.0, ParamDisplayCurve::CubeRoot}, {2.5, ParamDisplayCurve::SquareRoot}, {1.5, ParamDisplayCurve::Linear},
    {0.3, ParamDisplayCurve::Cubed},    {0.5, ParamDisplayCurve::Squared},    {1.0, ParamDisplayCurve::Linear}};
  for (const auto& [exponent, curve] : cases)
    EXPECT_EQ(IParam::ShapePowCurve(exponent).DisplayCurve(), curve) << exponent;
  EXPECT_EQ(IParam::ShapeExp().DisplayCurve(), ParamDisplayCurve::Log);
}

TEST(Param, DegenerateRangesStayFinite)
{
  IParam flat;
  flat.DefineDouble("flat", 5.0, 5.0, 5.0, 0.0);
  IParam flatPow;
  flatPow.DefineDouble("flat", 5.0, 5.0, 5.0, 0.0, "", 0, "", IParam::ShapePowCurve(2.0));
  IParam negExp;
  negExp.DefineDouble("neg", -5.0, -10.0, 10.0, 0.5, "", 0, "", IParam::ShapeExp());
  IParam belowExp;
  belowExp.DefineDouble("below", -5.0, -10.0, -1.0, 0.5, "", 0, "", IParam::ShapeExp());
  for (IParam* p : {&flat, &flatPow, &negExp, &belowExp})
  {
    SCOPED_TRACE(p->GetName());
    const double n = p->GetNormalised();
    EXPECT_TRUE(std::isfinite(n));
    EXPECT_EQ(n, 0.0);
    p->SetNormalised(0.5);
    EXPECT_TRUE(std::isfinite(p->Value()));
    EXPECT_GE(p->Value(), p->GetMin());
    EXPECT_LE(p->Value(), p->GetMax());
  }
}

TEST(Param, DisplayFormatting)
{
  struct Case
  {
    double step;
    int flags;
    double value;
    const char* text;
  };
  const Case cases[] = {
    {1.0, 0, -2.5, "-3"},
    {1.0, 0, 2.5, "3"},
    {1.0, 0, 1e12, "2147483647"},  // beyond the int range: its end, not undefined
    {1.0, 0, -1e12, "-2147483648"},
    {0.01, iplug::kFlagSignDisplay, 0.0, "0.00"},
    {0.01, iplug::kFlagSignDisplay, 1.5, "+1.50"},
    {0.01, iplug::kFlagSignDisplay, -0.25, "-0.25"},
    {0.01, iplug::kFlagNegateDisplay, 3.0, "-3.00"},
    {0.01, iplug::kFlagNegateDisplay, 0.0, "0.00"},
    {0.1, 0, 12.34, "12.3"},
  };
  for (const Case& c : cases)
  {
    IParam p;
    p.DefineDouble("p", 0.0, -1e13, 1e13, c.step, "", c.flags);
    EXPECT_EQ(Display(p, c.value), c.text) << c.value;
  }

  IParam gain;
  gain.DefineGain("Gain", 0.0, -12.0, 12.0, 0.5);
  EXPECT_EQ(Display(gain, 0.75, true), "6.0");
  gain.Set(3.5);
  WDL_String out;
  gain.FormatDisplayWithLabel(out);
  EXPECT_STREQ(out.Get(), "3.5 dB");
  IParam plain;
  plain.DefineInt("Count", 3, 0, 10);
  plain.FormatDisplayWithLabel(out);
  EXPECT_STREQ(out.Get(), "3");

  IParam custom;
  custom.DefineDouble("c", 0.0, 0.0, 1.0, 0.1, "", 0, "", IParam::ShapeLinear(), ParamUnit::Custom,
                      [](double v, WDL_String& s) { s.SetFormatted(32, "<%g>", v); });
  custom.AddDisplayText(0.5, "half");
  EXPECT_EQ(Display(custom, 0.5), "<0.5>");  // the display function alone decides
}

TEST(Param, DisplayTexts)
{
  IParam p;
  p.DefineInt("p", 0, 0, 3);
  p.AddDisplayText(1.0, "one");
  p.AddDisplayText(1.0, "uno");
  p.AddDisplayText(2.0, "");
  p.AddDisplayText(2.0, "two");
  p.AddDisplayText(3.0, "a text that is longer than thirty-one characters");

  EXPECT_EQ(Display(p, 1.0), "one");
  EXPECT_EQ(Display(p, 1.0, false, false), "1");
  EXPECT_EQ(Display(p, 2.0), "2");  // the first entry for 2 is empty
  EXPECT_STREQ(p.DisplayTextFor(2.0), "");
  EXPECT_STREQ(p.DisplayTextFor(0.0), "");
  EXPECT_EQ(std::string(p.DisplayTextFor(3.0)).size(), 31u);

  EXPECT_EQ(p.DisplayTextCount(), 5);
  double value = -1.0;
  EXPECT_STREQ(p.DisplayTextAt(1, &value), "uno");
  EXPECT_EQ(value, 1.0);
  EXPECT_EQ(p.DisplayTextAt(5), nullptr);
  EXPECT_TRUE(p.ValueForDisplayText("two", &value));
  EXPECT_EQ(value, 2.0);
  EXPECT_FALSE(p.ValueForDisplayText("Two", &value));
}

TEST(Param, TextInput)
{
  IParam freq;
  freq.DefineFrequency("f", 1000.0, 20.0, 20000.0, 1.0);
  IParam small;
  small.DefineDouble("s", 0.0, -1000.0, 1000.0, 0.01);
  IParam negated;
  negated.DefineDouble("n", 0.0, -10.0, 10.0, 0.01, "", iplug::kFlagNegateDisplay);
  IParam mode;
  mode.DefineEnum("m", 0, 3, "", 0, "", {"A", "B", "C"});

  struct Case
  {
    const IParam& p;
    const char* text;
    double value;
  };
  const Case cases[] = {
    {freq, "1k5", 1500.0},      {freq, "2K", 2000.0}, {freq, "99k", 20000.0},  // clamped
    {small, "  -2.5 dB", -2.5}, {small, "abc", 0.0},  {small, "nan", 0.0},    {small, ".5", 0.5},
    {negated, "-3", 3.0},       {mode, "B", 1.0},     {mode, "b", 0.0},  // texts match exactly; an enum has no number to fall back on
    {mode, "2", 0.0},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(c.p.ValueFromText(c.text), c.value) << c.p.GetName() << " \"" << c.text << "\"";
  EXPECT_EQ(IParam::ParseNumber("1k5"), 1500.0);
  EXPECT_EQ(IParam::ParseNumber(nullptr), 0.0);
}

TEST(Param, KindsAndTheirTexts)
{
  IParam b;
  b.DefineBool("On", true, "", 0, "", "Off", "On");
  EXPECT_EQ(b.GetKind(), ParamKind::Bool);
  EXPECT_TRUE(b.IsStepped());
  EXPECT_EQ(Display(b, 0.0), "Off");
  EXPECT_EQ(b.Value(), 1.0);

  IParam e;
  e.DefineEnumFromList("Mode", 5, {"X", "Y", "Z"});
  EXPECT_EQ(e.GetKind(), ParamKind::Enum);
  EXPECT_EQ(e.GetMax(), 2.0);
  EXPECT_EQ(e.Value(), 2.0);
  EXPECT_EQ(Display(e, 1.0), "Y");

  IParam pitch;
  pitch.DefinePitch("Note", 2, 60, 72);
  EXPECT_EQ(pitch.GetMax(), 12.0);
  EXPECT_STREQ(pitch.DisplayTextFor(0.0), "C 3");
  EXPECT_STREQ(pitch.DisplayTextFor(1.0), "C#3");
  EXPECT_STREQ(pitch.DisplayTextFor(12.0), "C 4");
  IParam pitchC4;
  pitchC4.DefinePitch("Note", 0, 60, 61, 0, "", true);
  EXPECT_STREQ(pitchC4.DisplayTextFor(0.0), "C 4");

  IParam ms;
  ms.DefineMilliseconds("Time", 10.0, 0.0, 100.0);
  EXPECT_EQ(ms.GetUnit(), ParamUnit::Milliseconds);
  EXPECT_EQ(ms.GetStep(), 1.0);
}

TEST(Param, DefineFromParam)
{
  IParam source;
  source.DefineEnum("Mode Left", 1, 3, "", iplug::kFlagMeta, "Left", {"A", "B", "C"});
  source.Set(2.0);
  IParam copy;
  copy.DefineFromParam(source, "Left", "Right", "Right");
  EXPECT_STREQ(copy.GetName(), "Mode Right");
  EXPECT_STREQ(copy.GetGroup(), "Right");
  EXPECT_EQ(copy.GetKind(), ParamKind::Enum);
  EXPECT_EQ(copy.Value(), 1.0);  // the default, not the source's value
  EXPECT_EQ(copy.GetFlags(), iplug::kFlagMeta | iplug::kFlagStepped);
  EXPECT_EQ(copy.DisplayTextCount(), 3);
  EXPECT_STREQ(copy.DisplayTextFor(2.0), "C");

  IParam same;
  same.DefineFromParam(source, "Absent", "X", "");
  EXPECT_STREQ(same.GetName(), "Mode Left");
  EXPECT_STREQ(same.GetGroup(), "Left");
}

TEST(Param, Json)
{
  IParam p;
  p.DefineGain("Gain \"A\" \\ B", 0.0, -12.0, 12.0, 0.5);
  WDL_String out("[");
  p.WriteJson(out, 3);
  EXPECT_STREQ(out.Get(),
               "[{\"id\":3, \"name\":\"Gain \\\"A\\\" \\\\ B\", \"type\":\"float\", "
               "\"min\":-12.000000, \"max\":12.000000, \"default\":0.000000, "
               "\"rate\":\"control\"}");
  IParam undefined;
  out.Set("");
  undefined.WriteJson(out, 0);
  EXPECT_STREQ(out.Get(),
               "{\"id\":0, \"name\":\"\", \"min\":0.000000, \"max\":1.000000, "
               "\"default\":0.000000, \"rate\":\"control\"}");
}

}  // namespace
