// The in-window text entry on the recording graphics object (text 8 points a character), with
// a clipboard, its blink clock in the test's hands and the in-window menu for its edit menu.

#include "Clocked.h"
#include "ControlsFixture.h"
#include "graphics/IGraphicsConstants.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"

using namespace vtest;

namespace {
class ClipboardGraphics : public PaintGraphics
{
public:
  using PaintGraphics::PaintGraphics;
  bool ReadClipboardText(std::string& str) override
  {
    str = clipboard;
    return !clipboard.empty();
  }
  bool WriteClipboardText(const char* str) override
  {
    clipboard = str;
    return true;
  }
  std::string clipboard;
};

class Field : public IControl
{
public:
  Field(const IRECT& bounds, int paramIdx) : IControl(bounds, paramIdx) {}
  void Draw(IGraphics&) override {}
};

constexpr int kIntParam = 0, kFloatParam = 1;

struct EntryEditor
{
  EntryEditor()
  {
    dlg.GetParam(kIntParam)->DefineInt("Count", 12, 0, 100);
    dlg.GetParam(kFloatParam)->DefineDouble("Time", 1.5, 0.0, 10.0, 0.01);
    dlg.mMakeGraphicsFunc = [this] { return new ClipboardGraphics(dlg, 400, 300, 0, 1.f); };
    dlg.OpenWindow(nullptr);
    g = static_cast<ClipboardGraphics*>(dlg.GetUI());
    entry = new Clocked<ITextEntryControl>();
    g->AddTextEntryControl(entry);
    popup = new Clocked<IPopupMenuControl>(-1, IText(14.f));
    g->AddPopupMenuControl(popup);
    intField = new Field(IRECT(100, 100, 160, 120), kIntParam);
    floatField = new Field(IRECT(100, 140, 160, 160), kFloatParam);
    g->AddControl(intField);
    g->AddControl(floatField);
  }

  // Opens the entry over a field with the parameter's value as its text.
  void Open(Field* field, const char* text) { g->OpenTextEntry(field, IText(14.f), field->GetRECT(), text, 0); }
  bool Key(const char* text, int vk, bool shift = false, bool command = false)
  {
    return g->OnKeyDown(0, 0, IKeyPress(text, vk, shift, command));
  }
  void Advance(double ms)
  {
    entry->now += ms;
    popup->now += ms;
    IRECTList rects;
    g->IsDirty(rects);
  }
  double Value(int paramIdx) const { return dlg.GetParam(paramIdx)->Value(); }
  // Chooses an item of the edit menu opened by a right click inside the entry.
  void ChooseFromEditMenu(int item)
  {
    const IRECT r = entry->GetRECT();
    g->OnMouseDown(Mouse(r.MW(), r.MH(), IMouseMod(false, true)));
    g->OnMouseUp(Mouse(r.MW(), r.MH(), IMouseMod(false, true)));
    Advance(101);
    const IRECT& cell = popup->GetPanel(0)->mCells[static_cast<size_t>(item)];
    Click(*g, cell.MW(), cell.MH());
  }

  TestDelegate dlg;
  ClipboardGraphics* g = nullptr;
  Clocked<ITextEntryControl>* entry = nullptr;
  Clocked<IPopupMenuControl>* popup = nullptr;
  Field* intField = nullptr;
  Field* floatField = nullptr;
};
}  // namespace

TEST(TextEntryTest, IntegerEntryReplacesTheSelectedValueRefusesLettersAndAppliesOnReturn)
{
  EntryEditor e;
  e.Open(e.intField, "12");
  ASSERT_TRUE(e.entry->EditInProgress());
  EXPECT_EQ(e.entry->GetStr(), "12");
  EXPECT_EQ(e.entry->GetSelectionStart(), 0);
  EXPECT_EQ(e.entry->GetSelectionEnd(), 2);
  EXPECT_EQ(e.entry->GetRECT(), e.intField->GetRECT());

  EXPECT_TRUE(e.Key("7", '7'));
  EXPECT_EQ(e.entry->GetStr(), "7");
  EXPECT_FALSE(e.Key("a", 'A'));
  EXPECT_EQ(e.entry->GetStr(), "7");
  EXPECT_TRUE(e.Key("-", 189));
  EXPECT_FALSE(e.Key("\xe2\x88\x92", 0)) << "only the ASCII minus";
  EXPECT_TRUE(e.Key("", 8));  // backspace
  EXPECT_FALSE(e.Key("\x03", 0x800D)) << "keypad enter does not commit";
  EXPECT_TRUE(e.entry->EditInProgress());

  EXPECT_TRUE(e.Key("\r", 13));
  EXPECT_FALSE(e.entry->EditInProgress());
  EXPECT_TRUE(e.entry->IsHidden());
  EXPECT_EQ(e.entry->GetRECT(), IRECT());
  EXPECT_EQ(e.Value(kIntParam), 7.0);
  EXPECT_EQ(e.g->GetControlInTextEntry(), nullptr);
}

TEST(TextEntryTest, EscapeKeepsTheValueAndAClickOutsideCommits)
{
  EntryEditor e;
  e.Open(e.intField, "12");
  e.Key("9", '9');
  EXPECT_TRUE(e.Key("\x1b", 27));
  EXPECT_FALSE(e.entry->EditInProgress());
  EXPECT_EQ(e.Value(kIntParam), 12.0);
  EXPECT_EQ(e.g->GetControlInTextEntry(), nullptr);

  e.Open(e.intField, "12");
  e.Key("4", '4');
  e.Key("0", '0');
  Click(*e.g, 10, 10);
  EXPECT_FALSE(e.entry->EditInProgress());
  EXPECT_EQ(e.Value(kIntParam), 40.0);
}

TEST(TextEntryTest, KeysAreFilteredByTheParametersKind)
{
  struct Case
  {
    int param;
    const char* text;
    int vk;
    bool shift;
    bool typed;
  };
  const Case cases[] = {
    {kFloatParam, ".", 190, false, true}, {kFloatParam, ",", 188, false, false}, {kFloatParam, "5", 101, false, true},
    {kFloatParam, "+", 187, true, true},  {kFloatParam, "e", 'E', false, false}, {kIntParam, ".", 190, false, false},
    {kIntParam, "%", '5', true, false},   {kIntParam, " ", 32, false, true},
  };
  for (const Case& k : cases)
  {
    EntryEditor e;
    e.Open(k.param == kIntParam ? e.intField : e.floatField, "1");
    EXPECT_EQ(e.Key(k.text, k.vk, k.shift), k.typed) << k.text << " for param " << k.param;
    EXPECT_EQ(e.entry->GetStr(), k.typed ? k.text : "1") << k.text;
  }
  // Without a parameter every character is taken.
  EntryEditor e;
  auto* plain = new Field(IRECT(0, 0, 50, 20), -1);
  e.g->AddControl(plain);
  e.Open(plain, "");
  EXPECT_TRUE(e.Key("q", 'Q'));
  EXPECT_TRUE(e.Key("\xc3\xa9", 0));
  EXPECT_FALSE(e.Key("\x03", 0x800D)) << "keypad enter types no control character";
  EXPECT_EQ(e.entry->GetStr(), "q\xc3\xa9");
}

TEST(TextEntryTest, PageKeysAreUnusedAndLeaveTheSelectionWhileOtherMovesTakeIt)
{
  struct Case
  {
    const char* what;
    int vk;
    bool shift;
    bool used;
  };
  const Case cases[] = {
    {"page up", 33, false, false},   {"page up with shift", 33, true, false},
    {"page down", 34, false, false}, {"page down with shift", 34, true, false},
    {"home", 36, false, true},       {"left", 37, false, true},
  };
  for (const Case& k : cases)
  {
    EntryEditor e;
    e.Open(e.intField, "12");
    EXPECT_EQ(e.Key("", k.vk, k.shift), k.used) << k.what;
    EXPECT_EQ(e.entry->GetSelectionEnd() - e.entry->GetSelectionStart(), k.used ? 0 : 2) << k.what;
    EXPECT_EQ(e.entry->GetStr(), "12") << k.what;
  }
}

TEST(TextEntryTest, UndoRedoAndTheClipboard)
{
  EntryEditor e;
  e.Open(e.floatField, "12");
  e.Key("", 35);  // end
  e.Key("7", '7');
  EXPECT_EQ(e.entry->GetStr(), "127");
  EXPECT_TRUE(e.Key("z", 'Z', false, true));
  EXPECT_EQ(e.entry->GetStr(), "12");
  EXPECT_TRUE(e.Key("z", 'Z', true, true));
  EXPECT_EQ(e.entry->GetStr(), "127");
  EXPECT_TRUE(e.Key("a", 'A', false, true));
  e.Key("7", '7');

  // An empty clipboard pastes nothing; a copy of the selection pastes it back.
  EXPECT_TRUE(e.Key("v", 'V', false, true));
  EXPECT_EQ(e.entry->GetStr(), "7");
  EXPECT_TRUE(e.Key("a", 'A', false, true));
  EXPECT_TRUE(e.Key("x", 'X', false, true));
  EXPECT_EQ(e.g->clipboard, "7");
  EXPECT_EQ(e.entry->GetStr(), "");
  e.Key("v", 'V', false, true);
  e.Key("v", 'V', false, true);
  EXPECT_EQ(e.entry->GetStr(), "77");

  // A new entry starts its own undo history.
  e.Key("\r", 13);
  e.Open(e.floatField, "3.5");
  EXPECT_FALSE(e.Key("z", 'Z', false, true) && e.entry->GetStr() != "3.5");
  EXPECT_EQ(e.entry->GetStr(), "3.5");
}

// A paste is taken whole when typing could have produced it, and refused whole otherwise: a text
// with a character the entry would not take from the keyboard leaves the entry and the value as
// they were, where keeping the rest would make another number of it.
TEST(TextEntryTest, PastedTextIsTakenOnlyWhenTypingCouldHaveProducedIt)
{
  struct Case
  {
    int param;
    std::string clipboard;
    const char* text;
    double value;
  };
  const Case cases[] = {
    {kIntParam, "40", "40", 40.0},
    {kFloatParam, "-0.25", "-0.25", 0.0},
    {kFloatParam, "2.75", "2.75", 2.75},
    {kIntParam, "abc", "12", 12.0},
    {kIntParam, "1e999", "12", 12.0},
    {kIntParam, "0x40", "12", 12.0},
    {kIntParam, "1,500", "12", 12.0},
    {kIntParam,
     std::string("12\0"
                 " 34\x1b\t9",
                 9),
     "12", 12.0},
    {kIntParam, "2.5", "12", 12.0},
    {kFloatParam, "nan", "1.5", 1.5},
    {kFloatParam, "2.5e1", "1.5", 1.5},
    {kFloatParam, "3.5\n", "1.5", 1.5},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.clipboard);
    EntryEditor e;
    Field* field = c.param == kIntParam ? e.intField : e.floatField;
    field->SetValue(e.dlg.GetParam(c.param)->GetNormalised());  // the field shows the value
    e.Open(field, c.param == kIntParam ? "12" : "1.5");
    e.g->clipboard = c.clipboard;
    e.Key("v", 'V', false, true);
    EXPECT_EQ(e.entry->GetStr(), c.text);
    e.Key("\r", 13);
    EXPECT_EQ(e.Value(c.param), c.value);
  }
  // Return on an emptied entry, or on a lone sign, keeps the value.
  for (const char* typed : {"", "-"})
  {
    EntryEditor e;
    e.intField->SetValue(e.dlg.GetParam(kIntParam)->GetNormalised());
    e.Open(e.intField, "12");
    e.Key("", 8);
    if (*typed)
      e.Key(typed, 189);
    e.Key("\r", 13);
    EXPECT_EQ(e.Value(kIntParam), 12.0) << "\"" << typed << "\"";
  }
}

TEST(TextEntryTest, RightClickMenuCutsCopiesAndPastes)
{
  EntryEditor e;
  e.Open(e.floatField, "2.5");
  const IRECT r = e.entry->GetRECT();
  // A left click collapses the selection: Copy then leaves the clipboard as it was.
  Click(*e.g, r.MW(), r.MH());
  ASSERT_EQ(e.entry->GetSelectionStart(), e.entry->GetSelectionEnd());
  e.g->clipboard = "before";
  e.ChooseFromEditMenu(1);
  EXPECT_EQ(e.g->clipboard, "before");
  const IPopupMenu& menu = e.entry->GetEditMenu();
  ASSERT_EQ(menu.NItems(), 3);
  EXPECT_STREQ(menu.GetItemText(0), "Cut");
  EXPECT_STREQ(menu.GetItemText(1), "Copy");
  EXPECT_STREQ(menu.GetItemText(2), "Paste");
  EXPECT_TRUE(e.entry->EditInProgress()) << "the menu leaves the entry open";

  for (int i = 0; i < 3; ++i)
  {
    e.Advance(101);  // the menu closes
  }
  e.g->OnMouseDblClick(r.MW(), r.MH(), IMouseMod(true));
  e.ChooseFromEditMenu(1);
  EXPECT_EQ(e.g->clipboard, "2.5");
  for (int i = 0; i < 3; ++i)
  {
    e.Advance(101);
  }
  e.ChooseFromEditMenu(2);
  EXPECT_EQ(e.entry->GetStr(), "2.5") << "pasted over the selection";
}

TEST(TextEntryTest, CaretBlinksEveryHalfSecondAndHidesUnderASelection)
{
  EntryEditor e;
  e.Open(e.intField, "12");
  const auto caretFills = [&] {
    e.g->Clear();
    e.entry->Draw(*e.g);
    int caret = 0, selection = 0;
    for (const PaintGraphics::Paint& p : e.g->paints)
    {
      caret += p.fill && p.color == kColorBlack && p.weight < 0.f;
      selection += p.fill && p.weight == 0.2f;
    }
    return std::pair{caret, selection};
  };
  EXPECT_TRUE(e.entry->CursorVisible());
  EXPECT_EQ(caretFills(), std::pair(0, 1)) << "a selection and no caret";

  e.Key("\x25", 39);  // right: the selection goes, the caret is at the end
  EXPECT_EQ(caretFills(), std::pair(1, 0));
  e.Advance(499);
  EXPECT_TRUE(e.entry->CursorVisible());
  e.Advance(2);
  EXPECT_FALSE(e.entry->CursorVisible());
  EXPECT_EQ(caretFills(), std::pair(0, 0));
  e.Advance(500);
  EXPECT_TRUE(e.entry->CursorVisible()) << "the blink starts again after one second";

  e.Key("\r", 13);
  e.Advance(1001);
  EXPECT_FALSE(e.entry->GetAnimationFunction()) << "a closed entry stops blinking";
}
