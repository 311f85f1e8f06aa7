#pragma once
// Sets of UTF-16 characters.

#include <string>

class NSMutableCharacterSet
{
public:
  void addCharactersInString(const std::u16string& characters) { mCharacters += characters; }
  bool characterIsMember(char16_t character) const { return mCharacters.find(character) != std::u16string::npos; }

private:
  std::u16string mCharacters;
};
