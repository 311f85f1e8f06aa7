#pragma once
// The object runtime's part that the plug-in and the host meet through: Cocoa classes stand in as
// C++ classes derived from NSObject, registered under their class names and made by name, as a
// host makes the view factory class an audio unit names.

#include <memory>
#include <string>

namespace platform {

class NSObject
{
public:
  virtual ~NSObject() = default;
  virtual std::string description() const { return "NSObject"; }
};

using ClassFactory = std::unique_ptr<NSObject> (*)();

// False (and nothing changed) when the name is empty or already registered.
bool RegisterClass(const std::string& name, ClassFactory factory);
// A new object of the named class, or null for a name not registered.
std::unique_ptr<NSObject> CreateObject(const std::string& name);

}  // namespace platform
