// Every plug-in object makes its data folder in the user's home and reads "plugin.ini" and the
// default preset from there, and tests write files of their own into the temporary folder. A test
// or benchmark must neither touch nor depend on the real home, nor leave anything in the shared
// temporary folder, so each process starts with a fresh, empty home and temporary folder of its
// own, which the programs it starts inherit and which are removed when the process ends.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct TemporaryHome
{
  TemporaryHome()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantorelix-test-XXXXXX").string();
    if (mkdtemp(pattern.data()))
    {
      path = pattern;
      std::error_code ignored;
      std::filesystem::create_directory(path / "home", ignored);
      std::filesystem::create_directory(path / "tmp", ignored);
      setenv("HOME", (path / "home").c_str(), 1);
      setenv("TMPDIR", (path / "tmp").c_str(), 1);
    }
    unsetenv("XDG_DATA_HOME");
  }
  ~TemporaryHome()
  {
    std::error_code ignored;
    if (!path.empty())
      std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

const TemporaryHome gHome;

}  // namespace
