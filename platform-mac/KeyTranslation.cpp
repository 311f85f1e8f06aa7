#include "platform-mac/KeyTranslation.h"

#include <array>
#include <cctype>
#include <string>

#include "platform/shared/Utf8.h"

namespace iplug::igraphics {
namespace {

constexpr int kKeypadEnter = 0x800D;  // apart from return (13), so that a control can tell them

// Virtual-key codes by Mac hardware key code; 0 for a key the table leaves to its character.
constexpr std::array<int, 127> MakeHardwareTable()
{
  std::array<int, 127> table{};
  table[51] = 8;    // delete (backspace)
  table[65] = 110;  // keypad decimal point
  table[67] = 106;  // keypad multiply
  table[69] = 107;  // keypad plus
  table[71] = 144;  // keypad clear: num lock
  table[75] = 111;  // keypad divide
  table[76] = kKeypadEnter;
  table[78] = 109;  // keypad minus
  table[81] = 108;  // keypad equals
  for (int digit = 0; digit <= 7; ++digit)
    table[82 + digit] = 96 + digit;  // keypad 0 to 7
  table[91] = 104;                   // keypad 8
  table[92] = 105;                   // keypad 9
  table[96] = 116;                   // F5
  table[97] = 117;                   // F6
  table[98] = 118;                   // F7
  table[99] = 114;                   // F3
  table[100] = 119;                  // F8
  table[101] = 120;                  // F9
  table[103] = 122;                  // F11
  table[105] = 124;                  // F13
  table[106] = 127;                  // F16
  table[107] = 125;                  // F14
  table[109] = 121;                  // F10
  table[111] = 123;                  // F12
  table[113] = 126;                  // F15
  table[114] = 45;                   // help: insert
  table[115] = 36;                   // home
  table[116] = 33;                   // page up
  table[117] = 46;                   // forward delete
  table[118] = 115;                  // F4
  table[119] = 35;                   // end
  table[120] = 113;                  // F2
  table[121] = 34;                   // page down
  table[122] = 112;                  // F1
  table[123] = 37;                   // left arrow
  table[124] = 39;                   // right arrow
  table[125] = 40;                   // down arrow
  table[126] = 38;                   // up arrow
  return table;
}

constexpr std::array<int, 127> kHardwareKeys = MakeHardwareTable();

int ModifierFlags(NSEventModifierFlags modifiers)
{
  int flags = 0;
  if (modifiers & NSEventModifierFlagShift)
    flags |= kKeyShift;
  if (modifiers & NSEventModifierFlagCommand)
    flags |= kKeyCommand;
  if (modifiers & NSEventModifierFlagOption)
    flags |= kKeyOption;
  if (modifiers & NSEventModifierFlagControl)
    flags |= kKeyControl;
  return flags;
}

// The character classes are defined for single bytes only; any wider unit is no key code.
bool IsKeyCode(int c)
{
  return (c <= 255 && std::isalnum(c)) || c == 9 || c == 10 || c == 13 || c == 27 || c == 32;
}

int CharacterKey(char16_t c, int& flags)
{
  if (c >= NSF1FunctionKey && c <= NSF24FunctionKey)
  {
    flags |= kKeyCodeValid;
    return c - NSF1FunctionKey + 112;  // F1 to F24
  }
  int code = c;
  if (code >= 'a' && code <= 'z')
    code -= 'a' - 'A';
  if (code == NSBackTabCharacter && (flags & kKeyCommand))
    code = 9;
  if (IsKeyCode(code))
    flags |= kKeyCodeValid;
  else
    flags &= ~kKeyShift;
  return code;
}

}  // namespace

int TranslateKey(const NSEvent& event, int& flags)
{
  flags = ModifierFlags(event.modifierFlags());
  const unsigned short keyCode = event.keyCode();
  if (keyCode < kHardwareKeys.size() && kHardwareKeys[keyCode])
  {
    flags |= kKeyCodeValid;
    return kHardwareKeys[keyCode];
  }
  const std::u16string& characters = event.charactersIgnoringModifiers();
  if (!characters.empty())
    return CharacterKey(characters[0], flags);
  flags |= kKeyCodeValid;  // a dead key: the code stays apart from every character
  return keyCode + 1024;
}

IKeyPress MakeKeyPress(const NSEvent& event)
{
  int flags = 0;
  const int code = TranslateKey(event, flags);
  std::string text;
  if (event.charactersIgnoringModifiers().size() == 1)
    utf8::Append(text, event.charactersIgnoringModifiers()[0]);
  return IKeyPress(text.c_str(), flags & kKeyCodeValid ? code : 0, flags & kKeyShift, flags & kKeyCommand,
                   flags & kKeyOption);
}

}  // namespace iplug::igraphics
