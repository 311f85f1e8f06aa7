#include "platform-mac/IGraphicsCoreText.h"
#include "platform-mac/IGraphicsTextField.h"
#include "tests/platform-mac/EditorFixture.h"
#include "tests/platform-mac/FontFixture.h"
#include "tests/platform-mac/ScriptedPerson.h"

namespace vtest {
namespace {

// A control linked to a parameter (or to none) that asks for its value by text.
class EntryControl : public IControl
{
public:
  EntryControl(const IRECT& bounds, int paramIdx) : IControl(bounds, paramIdx) {}
  void Draw(IGraphics&) override {}
  void OnMouseDrag(float, float, float, float, const IMouseMod&) override { ++drags; }
  void TextEntryDone(const char* str, int) override { done = str; }

  std::string done = "(none)";
  int drags = 0;
};

class TextEntryTest : public EditorTest
{
protected:
  enum { kGain = 0, kMode = 1 };

  void SetUp() override
  {
    EditorTest::SetUp();
    delegate.GetParam(kGain)->DefineDouble("Gain", 0.0, -70.0, 12.0, 0.1);
    delegate.GetParam(kMode)->DefineInt("Mode", 0, -500, 500);
    view = Open();
  }

  EntryControl& Attach(int paramIdx)
  {
    auto* control = new EntryControl(IRECT(400, 100, 500, 130), paramIdx);
    delegate.Graphics()->AddControl(control);
    return *control;
  }

  void Prompt(EntryControl& control, const char* str, const IText& text = IText())
  {
    delegate.Graphics()->OpenTextEntry(&control, text, control.GetRECT(), str, control.GetParamIdx() >= 0 ? 0 : -1);
  }

  // The person types into the field that has the keys.
  std::string Type(const std::u16string& keys)
  {
    person.typed = keys;
    platform::RunMainLoop();
    NSTextField* field = view->textField();
    return field ? field->stringValue() : "(closed)";
  }

  IGraphicsView_vVantorelix_au* view = nullptr;
  ScriptedPerson person;
};

TEST_F(TextEntryTest, WhatCanBeTypedFollowsTheParameterKindAndTheLength)
{
  struct Case
  {
    int param;
    int length;
    std::u16string typed;
    const char* kept;
  };
  const Case cases[] = {
    {kGain, 20, u"-1.5kK,x e", "-1.5kK"},  // a comma, another letter and a space are refused
    {kMode, 20, u"+12.5k-", "+125-"},
    {kMode, 3, u"12345", "123"},
    {kGain, 3,
     u"1234\x7f"
     u"9",
     "129"},                               // backspace makes room
    {-1, 3, u"any, text!", "any, text!"},  // no parameter: anything, at any length
  };
  for (const Case& c : cases)
  {
    EntryControl& control = Attach(c.param);
    control.SetTextEntryLength(c.length);
    Prompt(control, "");
    EXPECT_EQ(Type(c.typed), c.kept) << c.param << " " << c.length;
    delegate.Graphics()->CloseNativeTextEntry();
  }
}

TEST_F(TextEntryTest, ReturnAppliesTheTextAndClosesTheField)
{
  EntryControl& gain = Attach(kGain);
  Prompt(gain, "0.0");
  ASSERT_NE(view->textField(), nullptr);
  EXPECT_EQ(window->firstResponder(), view->textField());
  EXPECT_EQ(Type(u"\x7f\x7f\x7f-6\r"), "(closed)");
  EXPECT_DOUBLE_EQ(delegate.GetParam(kGain)->Value(), -6.0);
  EXPECT_EQ(delegate.Graphics()->GetControlInTextEntry(), nullptr);
  EXPECT_EQ(window->firstResponder(), view);
  EXPECT_TRUE(view->subviews().empty());

  EntryControl& free = Attach(-1);
  Prompt(free, "");
  Type(u"Loud part\r");
  EXPECT_EQ(free.done, "Loud part");
}

TEST_F(TextEntryTest, ASecondPromptWhileAFieldIsOpenIsIgnored)
{
  EntryControl& gain = Attach(kGain);
  Prompt(gain, "1.0");
  NSTextField* first = view->textField();
  Prompt(gain, "2.0");
  EXPECT_EQ(view->textField(), first);
  EXPECT_EQ(first->stringValue(), "1.0");
  EXPECT_EQ(view->subviews().size(), 1u);
}

TEST_F(TextEntryTest, ScrollingDropsTheTextAndDragsWorkAgain)
{
  EntryControl& gain = Attach(kGain);
  const double before = delegate.GetParam(kGain)->Value();
  Prompt(gain, "");
  Type(u"5");
  Mouse(NSEventTypeLeftMouseDown, 450, 110);
  Mouse(NSEventTypeLeftMouseDragged, 455, 110);
  EXPECT_EQ(gain.drags, 0);  // the open field holds the pointer
  Mouse(NSEventTypeLeftMouseUp, 455, 110);

  window->sendEvent(NSEvent::scrollWheelEvent(InWindow(*view, 450, 110), 1.0, NSEventModifierFlags(0), window.get()));
  EXPECT_EQ(view->textField(), nullptr);
  EXPECT_EQ(delegate.GetParam(kGain)->Value(), before);
  EXPECT_EQ(delegate.Graphics()->GetControlInTextEntry(), nullptr);
  Mouse(NSEventTypeLeftMouseDown, 450, 110);
  Mouse(NSEventTypeLeftMouseDragged, 455, 110);
  EXPECT_EQ(gain.drags, 1);
}

TEST_F(TextEntryTest, AClickBesideTheFieldAppliesTheTextAndDragsWorkAgain)
{
  EntryControl& gain = Attach(kGain);
  Prompt(gain, "");
  Type(u"5");
  Mouse(NSEventTypeLeftMouseDown, 200, 200);  // the view takes the keys from the field
  Mouse(NSEventTypeLeftMouseUp, 200, 200);
  EXPECT_EQ(view->textField(), nullptr);
  EXPECT_DOUBLE_EQ(delegate.GetParam(kGain)->Value(), 5.0);
  EXPECT_EQ(window->firstResponder(), view);
  EXPECT_EQ(delegate.Graphics()->GetControlInTextEntry(), nullptr);
  Mouse(NSEventTypeLeftMouseDown, 450, 110);
  Mouse(NSEventTypeLeftMouseDragged, 455, 110);
  EXPECT_EQ(gain.drags, 1);
}

TEST_F(TextEntryTest, TheFieldTakesTheStyleOfTheText)
{
  EntryControl& control = Attach(-1);
  IText text(12.f, IColor(255, 0, 0, 0), "Never Cached", EAlign::Far, EVAlign::Middle, 0.f, IColor(255, 20, 20, 20),
             IColor(255, 255, 128, 0));
  Prompt(control, "x", text);
  NSTextField& field = *view->textField();
  EXPECT_EQ(field.frame().origin.x, 400);
  EXPECT_EQ(field.frame().size.width, 100);
  EXPECT_EQ(field.alignment(), NSTextAlignmentRight);
  EXPECT_NE(dynamic_cast<IGraphicsTextFieldCell_vVantorelix_au*>(field.cell().get()), nullptr);
  EXPECT_EQ(field.cell()->lineBreakMode(), NSLineBreakByTruncatingTail);
  EXPECT_EQ(field.textColor(), NSColor::colorWithDeviceRed(1, 128 / 255.0, 0, 1));
  EXPECT_EQ(field.backgroundColor(), NSColor::colorWithDeviceRed(20 / 255.0, 20 / 255.0, 20 / 255.0, 1));
  EXPECT_EQ(field.currentEditor()->insertionPointColor(), field.textColor());
  EXPECT_FALSE(field.isBordered());
  EXPECT_EQ(field.focusRingType(), NSFocusRingTypeNone);
  // A font that was never cached: the system font at the text size.
  ASSERT_NE(field.font(), nullptr);
  EXPECT_EQ(field.font()->fontDescriptor(), nullptr);
  EXPECT_EQ(field.font()->pointSize(), 12);
  // The text is centred in the field's height.
  const NSRect line = field.cell()->drawingRectForBounds(NSMakeRect(0, 0, 100, 30));
  EXPECT_EQ(line.size.height, 15);
  EXPECT_EQ(line.origin.y, 7.5);
}

TEST_F(TextEntryTest, ACachedFontIsSizedByTheDrawScaleAndItsEmRatioAndAnUncachedOneByTheScale)
{
  delegate.Graphics()->Resize(832, 446, 2.f);
  const Bytes font = BuildFont(WindowsFace("Entry Sans", "Regular"));
  std::unique_ptr<PlatformFont> loaded(
    delegate.Graphics()->LoadNativeFontFromMemory("entry", const_cast<uint8_t*>(font.data()), int(font.size())));
  ASSERT_NE(loaded, nullptr);
  delegate.Graphics()->CacheNativeFont("entry", loaded.get());
  const CoreTextFontDescriptor* cached = GetCachedFontDescriptor("entry");
  ASSERT_NE(cached, nullptr);

  EntryControl& control = Attach(-1);
  IText text(10.f, IColor(255, 0, 0, 0), "entry");
  Prompt(control, "", text);
  ASSERT_NE(view->textField()->font(), nullptr);
  EXPECT_EQ(view->textField()->font()->fontDescriptor(), cached->mDescriptor);
  EXPECT_DOUBLE_EQ(view->textField()->font()->pointSize(), 20.0 * cached->mEMRatio);
  delegate.Graphics()->CloseNativeTextEntry();

  Prompt(control, "", IText(10.f, IColor(255, 0, 0, 0), "missing"));
  EXPECT_EQ(view->textField()->font()->fontDescriptor(), nullptr);
  EXPECT_EQ(view->textField()->font()->pointSize(), 20);
}

}  // namespace
}  // namespace vtest
