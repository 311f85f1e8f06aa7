// libFuzzer target: a person typing and pasting into the in-window text entry over a value box of
// an integer, a floating-point and a text field. The input is a script: one byte chooses the
// field, then each byte an action (a key, a paste of the bytes that follow, select all, undo,
// return, escape) with its details after it. Every value applied stays a number in its range.

#include "graphics/ITextEntryControl.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/HeadlessGraphics.h"

#include <cmath>
#include <string>

using namespace iplug;
using namespace iplug::igraphics;

namespace {

class Field : public IControl
{
public:
  Field(const IRECT& bounds, int paramIdx) : IControl(bounds, paramIdx) {}
  void Draw(IGraphics&) override {}
};

struct Editor
{
  Editor()
  {
    dlg.GetParam(0)->DefineInt("Count", 12, 0, 100);
    dlg.GetParam(1)->DefineDouble("SL Integration Time", 3000.0, 10.0, 30000.0, 1.0);
    dlg.mMakeGraphicsFunc = [this] { return new vtest::HeadlessGraphics(dlg, 300, 100); };
    dlg.OpenWindow(nullptr);
    g = static_cast<vtest::HeadlessGraphics*>(dlg.GetUI());
    g->AddTextEntryControl(new ITextEntryControl());
    for (int i = 0; i < 3; ++i)
    {
      fields[i] = new Field(IRECT(10.f + 90.f * float(i), 10, 90.f + 90.f * float(i), 30), i < 2 ? i : -1);
      g->AddControl(fields[i]);
    }
  }

  vtest::HeadlessDelegate dlg{2};
  vtest::HeadlessGraphics* g = nullptr;
  Field* fields[3] = {};
};

// Keys worth pressing beside random ones: digits, signs, the point, letters, blanks and the
// keys that edit, move, commit and cancel.
struct Key
{
  const char* text;
  int vk;
};
constexpr Key kKeys[] = {{"1", '1'}, {"0", '0'}, {"-", 189}, {"+", 187}, {".", 190},     {"e", 'E'},
                         {"k", 'K'}, {" ", 32},  {"", 8},    {"", 46},   {"", 37},       {"", 39},
                         {"", 36},   {"", 35},   {"\t", 9},  {"7", 103}, {"\xc3\xa9", 0}};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  if (!fuzz::SeedFolder().empty())
  {
    // The S-Window box: select all, paste "abc", return; then digits typed and pasted.
    const unsigned char seed[] = {1, 3, 4, 3, 'a', 'b', 'c', 5, 4, 0, 0, 0, 1, 5};
    fuzz::Require(fuzz::WriteFile(fuzz::SeedFolder() + "/select-paste-return", seed, sizeof seed));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static Editor editor;
  if (size == 0)
    return 0;
  IGraphics& g = *editor.g;
  Field* field = editor.fields[data[0] % 3];
  g.OpenTextEntry(field, IText(14.f), field->GetRECT(), "3000", 0);
  for (size_t at = 1; at < size;)
  {
    const uint8_t action = data[at++];
    const uint8_t detail = at < size ? data[at++] : 0;
    switch (action % 8)
    {
      case 0:
        g.OnKeyDown(0, 0, IKeyPress(kKeys[detail % std::size(kKeys)].text, kKeys[detail % std::size(kKeys)].vk));
        break;
      case 1:
      {
        const char text[2] = {static_cast<char>(detail), 0};
        g.OnKeyDown(0, 0, IKeyPress(text, detail));
        break;
      }
      case 2: g.OnKeyDown(0, 0, IKeyPress("a", 'A', false, true)); break;
      case 3:
      {
        const size_t length = std::min<size_t>(detail % 32, size - at);
        editor.g->clipboard.assign(reinterpret_cast<const char*>(data + at), length);
        at += length;
        g.OnKeyDown(0, 0, IKeyPress("v", 'V', false, true));
        break;
      }
      case 4: g.OnKeyDown(0, 0, IKeyPress("z", 'Z', detail & 1, true)); break;
      case 5: g.OnKeyDown(0, 0, IKeyPress("\r", 13)); break;
      case 6: g.OnKeyDown(0, 0, IKeyPress("\x1b", 27)); break;
      default: g.OnKeyDown(0, 0, IKeyPress("x", 'X', false, true)); break;
    }
    if (!g.GetControlInTextEntry())
      g.OpenTextEntry(field, IText(14.f), field->GetRECT(), "3000", 0);
  }
  editor.g->DrawFrame();
  g.OnKeyDown(0, 0, IKeyPress("\x1b", 27));
  for (int i = 0; i < 2; ++i)
  {
    const IParam& param = *editor.dlg.GetParam(i);
    fuzz::Require(std::isfinite(param.Value()) && param.Value() >= param.GetMin() && param.Value() <= param.GetMax());
  }
  return 0;
}
