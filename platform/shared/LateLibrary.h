#pragma once
// A system library loaded when its first call is made instead of with the program, for libraries
// whose loading and binding cost more at every start than the rest of the program while only some
// runs use them. Shared by the platform stand-in and the plug-in (both compile it in; it is no
// part of any platform interface). A loaded library stays for the life of the process.
#include <dlfcn.h>

class LateLibrary
{
public:
  explicit LateLibrary(const char* file) : handle_(dlopen(file, RTLD_NOW | RTLD_LOCAL)) {}

  // Points `function`, of the function's own pointer type, at the library's function of that
  // name; false when the library or the function is missing.
  template <class Function>
  bool Bind(const char* name, Function& function) const
  {
    function = handle_ ? reinterpret_cast<Function>(dlsym(handle_, name)) : nullptr;
    return function != nullptr;
  }

private:
  void* handle_;
};
