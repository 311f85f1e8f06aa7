#pragma once

// A font as the windowing layer loads it from a file, from memory or by name. The graphics
// core only hands it to the back end and deletes it.

namespace iplug::igraphics
{

class PlatformFont
{
public:
  virtual ~PlatformFont() = default;
};

} // namespace iplug::igraphics
