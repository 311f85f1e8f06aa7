#pragma once
// The modal alert panel: a title, a message and up to three buttons; it returns when the person
// presses one.

#include <initializer_list>
#include <string>

#include "platform/Foundation/NSObjCRuntime.h"

enum : NSInteger {
  NSAlertDefaultReturn = 1,
  NSAlertAlternateReturn = 0,
  NSAlertOtherReturn = -1,
};

// The message is the format with each "%@" replaced by the next argument ("%%" gives "%"), so
// that the arguments are never read as formats. An empty default title shows "OK"; empty
// alternate and other titles show no button. A button not shown cannot be pressed: the panel
// then answers as its default button.
NSInteger NSRunAlertPanel(const std::string& title, const std::string& format, const std::string& defaultButton,
                          const std::string& alternateButton, const std::string& otherButton,
                          std::initializer_list<std::string> arguments);
