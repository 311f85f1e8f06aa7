#pragma once
// au-host editor --window: the plug-in's editor opened as a host opens it, before the first block,
// and shown live in a window of the X display while the file renders at its real-time pace (the
// wall clock gives the idle ticks; nothing is played to a sound device). A person uses it with the
// mouse and the keyboard and answers its dialogs. The run ends when the person closes the window,
// during the file or after it: the measurement of what was rendered is printed as measure prints it.

#include "host/Measure.h"

#include <optional>
#include <string>

namespace host {

// A colour as zenity's colour dialog prints it: "rgb(R,G,B)" for an opaque one, "rgba(R,G,B,A)"
// otherwise (whose alpha the editor's colours do not take). Nothing for any other text.
struct ZenityColour
{
  int red = 0;
  int green = 0;
  int blue = 0;
};
std::optional<ZenityColour> ParseZenityColour(const std::string& answer);

// Returns an empty string, or what went wrong (no display among it).
std::string EditorWindow(AudioUnit unit, const MeasureOptions& measure, const std::string& title);
// au-host reaches it through a module of its own (au-host-window.so beside the program), which
// exports it under the C name auHostEditorWindow.
using EditorWindowEntry = decltype(&EditorWindow);

}  // namespace host
