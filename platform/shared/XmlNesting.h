#pragma once
// TinyXML builds and frees elements recursively, so a deeply nested document would exhaust the
// stack while it is read. Every reader of untrusted XML measures the nesting first and refuses
// too deep a document unparsed. Shared by the platform stand-in and the plug-in (both compile it
// in; it is no part of any platform interface).
#include <algorithm>
#include <string_view>

namespace xml {

// Position of the '>' that ends the tag starting at `from`, skipping quoted text; npos if none.
inline size_t TagEnd(std::string_view text, size_t from)
{
  char quote = 0;
  for (size_t i = from; i < text.size(); ++i)
  {
    const char c = text[i];
    if (quote)
      quote = c == quote ? 0 : quote;
    else if (c == '"' || c == '\'')
      quote = c;
    else if (c == '>')
      return i;
  }
  return std::string_view::npos;
}

// False when an element of the text would open deeper than maxDepth. Comments and CDATA sections
// run to their own end marks, declarations and processing instructions to the first '>', as the
// parser reads them, so that tags inside them count for nothing. Where the two readings could
// differ (a quoted '>' in a declaration) the text is refused: the count may err towards refusing,
// never towards parsing. Text the parser reads as UTF-8 must be valid UTF-8 before it is measured,
// or a lead byte could hide from the parser a tag that this count sees.
inline bool NestingWithinLimit(std::string_view text, int maxDepth)
{
  constexpr size_t npos = std::string_view::npos;
  int depth = 0;
  for (size_t at = text.find('<'); at != npos;)
  {
    const std::string_view markup = text.substr(at);
    size_t end;
    if (markup.starts_with("<!--"))
    {
      end = text.find("-->", at + 4);
      end = end == npos ? npos : end + 2;
    }
    else if (markup.starts_with("<![CDATA["))
    {
      end = text.find("]]>", at + 9);
      end = end == npos ? npos : end + 2;
    }
    else if (markup.starts_with("<!") || markup.starts_with("<?"))
    {
      end = text.find('>', at);
      if (end != npos && TagEnd(text, at) != end)
        return false;
    }
    else if (markup.starts_with("</"))
    {
      depth = std::max(depth - 1, 0);
      end = at + 1;
    }
    else
    {
      end = TagEnd(text, at + 1);
      if (end != npos && text[end - 1] != '/' && ++depth > maxDepth)
        return false;
    }
    if (end == npos)
      return true;  // unfinished markup: the parser reads no element after it
    at = text.find('<', end + 1);
  }
  return true;
}

}  // namespace xml
