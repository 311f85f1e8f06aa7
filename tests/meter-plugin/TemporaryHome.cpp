// Every plug-in object makes its data folder in the user's home and reads "plugin.ini" and the
// default preset from there. A test or benchmark must neither touch nor depend on the real home,
// so each process starts with a fresh, empty one of its own, removed when the process ends.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct TemporaryHome
{
  TemporaryHome()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantorelix-home-XXXXXX").string();
    if (mkdtemp(pattern.data()))
    {
      path = pattern;
      setenv("HOME", path.c_str(), 1);
    }
    unsetenv("XDG_DATA_HOME");
  }
  ~TemporaryHome()
  {
    std::error_code ignored;
    if (!path.empty())
      std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

const TemporaryHome gHome;

} // namespace
