#include "platform/AppKit/NSAlert.h"

#include "platform/AppKit/Person.h"

namespace {

std::string Format(const std::string& format, std::initializer_list<std::string> arguments)
{
  std::string text;
  auto argument = arguments.begin();
  for (size_t i = 0; i < format.size(); ++i)
  {
    if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == '@' || format[i + 1] == '%'))
    {
      if (format[++i] == '%')
        text += '%';
      else if (argument != arguments.end())
        text += *argument++;
    }
    else
    {
      text += format[i];
    }
  }
  return text;
}

}  // namespace

NSInteger NSRunAlertPanel(const std::string& title, const std::string& format, const std::string& defaultButton,
                          const std::string& alternateButton, const std::string& otherButton,
                          std::initializer_list<std::string> arguments)
{
  const platform::AlertQuestion question{title, Format(format, arguments), defaultButton.empty() ? "OK" : defaultButton,
                                         alternateButton, otherButton};
  switch (platform::CurrentPerson().PressAlertButton(question))
  {
    case platform::AlertButton::Alternate:
      return alternateButton.empty() ? NSAlertDefaultReturn : NSAlertAlternateReturn;
    case platform::AlertButton::Other: return otherButton.empty() ? NSAlertDefaultReturn : NSAlertOtherReturn;
    case platform::AlertButton::Default: break;
  }
  return NSAlertDefaultReturn;
}
