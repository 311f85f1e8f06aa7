#pragma once
// TinyXML condenses the white space of the text between tags (trims it and turns every run into
// one space) unless a process-wide switch is turned off, which any other code in the process may
// turn on again. Text written and read here comes back byte for byte whichever way the switch
// stands: text that condensing would change goes as CDATA, which the parser keeps as it is. Shared
// by the platform stand-in and the plug-in (both compile it in; it is no part of any platform
// interface).
#include <string>
#include <string_view>

#include <tinyxml.h>

namespace xml {

// True when condensing would change the text: white space at either end, a run of it, or white
// space other than a single space.
inline bool CondensingChanges(std::string_view text)
{
  constexpr std::string_view kSpace = " \t\n\r";
  if (text.empty())
    return false;
  if (kSpace.find(text.front()) != kSpace.npos || kSpace.find(text.back()) != kSpace.npos)
    return true;
  for (size_t i = 0; i < text.size(); ++i)
    if (kSpace.find(text[i]) != kSpace.npos && (text[i] != ' ' || kSpace.find(text[i + 1]) != kSpace.npos))
      return true;
  return false;
}

// Links the text to the element as text the parser gives back unchanged.
inline void AppendPreservedText(TiXmlElement& element, std::string_view text)
{
  if (!CondensingChanges(text))
  {
    element.LinkEndChild(new TiXmlText(std::string(text)));
    return;
  }
  // A CDATA section holds any text but its own end mark, so "]]>" is split between two sections.
  for (size_t from = 0;;)
  {
    const size_t mark = text.find("]]>", from);
    const size_t end = mark == text.npos ? text.size() : mark + 2;
    auto* section = new TiXmlText(std::string(text.substr(from, end - from)));
    section->SetCDATA(true);
    element.LinkEndChild(section);
    if (mark == text.npos)
      return;
    from = end;
  }
}

// The element's text: its text and CDATA children in order.
inline std::string PreservedTextOf(const TiXmlElement& element)
{
  std::string text;
  for (const TiXmlNode* child = element.FirstChild(); child; child = child->NextSibling())
    if (const TiXmlText* part = child->ToText())
      text += part->Value();
  return text;
}

}  // namespace xml
