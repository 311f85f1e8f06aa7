#include "ControlsFixture.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/IVectorBase.h"

using namespace vtest;

namespace {
// The smallest vector control: the base's layout and shapes, nothing drawn of its own.
struct VControl : IControl, IVectorBase
{
  VControl(const IRECT& bounds, const char* label, const IVStyle& style = kStyleDefault, bool labelInWidget = false,
           bool valueInWidget = false)
  : IControl(bounds), IVectorBase(style, labelInWidget, valueInWidget)
  {
    AttachIControl(this, label);
  }
  void Draw(IGraphics&) override {}
};

IVStyle Flat()
{
  IVStyle style;
  style.drawFrame = false;
  style.drawShadows = false;
  return style;
}
}  // namespace

TEST(IVStyleColorsTest, ShortListsKeepTheDefaultsAndLongListsAreCut)
{
  const IVStyleColors three({kColorRed, kColorGreen, kColorBlue});
  for (int i = 0; i < kNumVColors; ++i)
  {
    const IColor expected = i == 0   ? kColorRed
                            : i == 1 ? kColorGreen
                            : i == 2 ? kColorBlue
                                     : IVStyleColors::kDefaults[i];
    EXPECT_EQ(three.GetColor(static_cast<EVColor>(i)), expected) << i;
  }
  // Ten colours: the tenth is ignored rather than written past the list.
  const IVStyleColors ten(
    {kColorRed, kColorRed, kColorRed, kColorRed, kColorRed, kColorRed, kColorRed, kColorRed, kColorGreen, kColorBlue});
  EXPECT_EQ(ten.GetColor(kX3), kColorGreen);
}

TEST(IVectorBaseTest, LayoutRectsSplitsLabelWidgetAndValue)
{
  // The recording back end measures 8 points a character and 14 a line.
  struct Case
  {
    const char* name;
    const char* label;
    const char* value;
    bool showValue;
    EVAlign valueAlign;
    bool hasHandle;
    float widgetFrac;
    bool inWidget;
    IRECT clickable, label_, widget, valueRect;
  };
  // clang-format off
  const Case cases[] = {
    {"no label, value off", "", "12", false, EVAlign::Bottom, false, 1.f, false,
     {0, 0, 100, 100}, {}, {0, 0, 100, 100}, {}},
    {"value at the bottom", "abc", "12", true, EVAlign::Bottom, false, 1.f, false,
     {0, 14, 100, 100}, {38, 0, 62, 14}, {0, 14, 100, 86}, {39.44f, 86, 60.56f, 100}},
    {"value at the top", "abc", "12", true, EVAlign::Top, false, 1.f, false,
     {0, 14, 100, 100}, {38, 0, 62, 14}, {0, 28, 100, 100}, {39.44f, 14, 60.56f, 28}},
    {"value in the middle", "abc", "12", true, EVAlign::Middle, false, 1.f, false,
     {0, 14, 100, 100}, {38, 0, 62, 14}, {0, 14, 100, 100}, {39.44f, 50, 60.56f, 64}},
    {"handle leaves room for frame and shadow", "abc", "", false, EVAlign::Bottom, true, 1.f,
     false, {0, 14, 100, 100}, {38, 0, 62, 14}, {3.5f, 14.5f, 96.5f, 96.5f}, {}},
    {"widget fraction about the centre", "abc", "", false, EVAlign::Bottom, false, 0.5f, false,
     {0, 14, 100, 100}, {38, 0, 62, 14}, {25, 35.5f, 75, 78.5f}, {}},
    {"label and value inside the widget", "abc", "12", true, EVAlign::Bottom, false, 1.f, true,
     {0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}},
  };
  // clang-format on
  for (const Case& k : cases)
  {
    ControlEditor e;
    IVStyle style;
    style.showValue = k.showValue;
    style.valueText.mVAlign = k.valueAlign;
    style.widgetFrac = k.widgetFrac;
    auto* c = e.Add(new VControl(IRECT(0, 0, 100, 100), k.label, style, k.inWidget, k.inWidget));
    c->SetValueStr(k.value);
    ExpectRect(c->LayoutRects(c->GetRECT(), k.hasHandle), k.clickable, k.name);
    ExpectRect(c->GetLabelBounds(), k.label_, k.name);
    ExpectRect(c->GetWidgetBounds(), k.widget, k.name);
    ExpectRect(c->GetValueBounds(), k.valueRect, k.name);
  }
}

TEST(IVectorBaseTest, DisabledShapesAreDarkerAndOnlyTheEllipseDropsItsShadow)
{
  ControlEditor e;
  IVStyle style;
  style.drawFrame = false;
  style.colorSpec.SetColor(kFG, IColor(255, 40, 100, 255));
  auto* c = e.Add(new VControl(IRECT(0, 0, 60, 60), "", style));
  const IColor darker(255, 0, 37, 192);  // 63 off each channel, clamped at 0

  for (EWidgetShape shape : {EWidgetShape::Rectangle, EWidgetShape::Triangle})
  {
    e.g->Clear();
    c->DrawPressableShape(*e.g, shape, c->GetRECT(), false, false, true);
    EXPECT_EQ(e.g->FillColors(), (std::vector<IColor>{kColorShadow, darker})) << static_cast<int>(shape);
    EXPECT_EQ(e.g->paints[1].weight, -1.f) << "the darkened body is drawn without a blend";
  }
  e.g->Clear();
  c->DrawPressableShape(*e.g, EWidgetShape::Ellipse, c->GetRECT(), false, false, true);
  EXPECT_EQ(e.g->FillColors(), std::vector<IColor>{darker});

  e.g->Clear();
  c->DrawPressableShape(*e.g, EWidgetShape::Rectangle, c->GetRECT(), false, false, false);
  EXPECT_EQ(e.g->FillColors(), (std::vector<IColor>{kColorShadow, IColor(255, 40, 100, 255)}));
}

TEST(IVectorBaseTest, ShapesRoundTheirCornersByTheirKind)
{
  ControlEditor e;
  IVStyle style = Flat();
  style.roundness = 1.f;
  auto* c = e.Add(new VControl(IRECT(0, 0, 100, 50), "", style));
  const std::vector<std::string> topOnly = {
    "clear", "move 0 25", "arc 25 25 25 270 360", "arc 75 25 25 0 90", "arc 100 50 0 90 180", "arc 0 50 0 180 270",
    "close", "fill"};
  c->DrawPressableShape(*e.g, EWidgetShape::EndsRounded, c->GetRECT(), false, false, false);
  EXPECT_EQ(e.g->log, topOnly);

  style.roundness = 0.f;
  c->SetStyle(style);
  e.g->Clear();
  c->DrawPressableShape(*e.g, EWidgetShape::Rectangle, c->GetRECT(), false, false, false);
  EXPECT_EQ(e.g->log,
            (std::vector<std::string>{"clear", "move 0 0", "line 100 0", "line 100 50", "line 0 50", "close", "fill"}));

  e.g->Clear();
  c->DrawPressableShape(*e.g, static_cast<EWidgetShape>(5), c->GetRECT(), false, false, false);
  EXPECT_TRUE(e.g->log.empty());
}

TEST(IVectorBaseTest, PressedRectangleSplashesOnlyWhileAnimating)
{
  ControlEditor e;
  IVStyle style = Flat();
  auto* c = e.Add(new VControl(IRECT(10, 10, 50, 50), "", style));
  c->SetSplashPoint(20, 20);
  c->SetSplashRadius(5);
  c->DrawPressableShape(*e.g, EWidgetShape::Rectangle, c->GetRECT(), true, false, false);
  EXPECT_EQ(e.g->FillColors(), std::vector<IColor>{style.colorSpec.GetColor(kPR)});

  e.g->Clear();
  e.g->clips.clear();
  c->SetAnimation([](IControl*) {}, 100);
  c->DrawPressableShape(*e.g, EWidgetShape::Rectangle, c->GetRECT(), true, false, false);
  EXPECT_EQ(e.g->FillColors(), (std::vector<IColor>{style.colorSpec.GetColor(kPR), style.colorSpec.GetColor(kHL)}));
  ASSERT_EQ(e.g->clips.size(), 2u);
  EXPECT_EQ(e.g->clips[0], IRECT(10, 10, 50, 50));
  EXPECT_EQ(e.g->clips[1], e.g->GetBounds()) << "the clip opens again afterwards";
}

TEST(IVectorBaseTest, LabelAndValueDrawOnlyWhereThereIsRoom)
{
  ControlEditor e;
  auto* c = e.Add(new VControl(IRECT(0, 0, 100, 100), "abc"));
  c->DrawLabel(*e.g);
  EXPECT_TRUE(e.g->log.empty()) << "no label bounds laid out yet";

  c->SetValueStr("12");
  c->LayoutRects(c->GetRECT());
  c->DrawLabel(*e.g);
  c->DrawValue(*e.g, true);
  EXPECT_EQ(e.g->log, (std::vector<std::string>{"text abc", "clear", "move 39.44 86", "line 60.56 86", "line 60.56 100",
                                                "line 39.44 100", "close", "fill", "text 12"}));
  EXPECT_EQ(e.g->paints.back().color, kColorTranslucent);
}
