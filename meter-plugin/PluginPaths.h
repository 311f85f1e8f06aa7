#pragma once
// The plug-in's data folder with its "AU" sub-folder, the settings file "plugin.ini" in it, the
// latency report to the host, the "About" text and the online update check.

#include "framework/WDLString.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

namespace iplug {
class IPlugAU;
}

// The answer of an update check.
enum UpdateCheckResult : int {
  kUpdateCheckNoHandle = -1,   // no transfer could be set up
  kUpdateCheckFailed = 0,      // no reply: no network, refused, timed out, reply too long
  kUpdateCheckUnreadable = 1,  // the reply does not begin with a version "a.b.c"
  kUpdateCheckUpToDate = 3,
  kUpdateCheckNewer = 4,
  kUpdateCheckOlder = 5,
};

class IMPlugPaths
{
public:
  // The longest a check may block the main thread, connection included.
  static constexpr long kUpdateCheckTimeoutMs = 30000;
  // A version reply is a few bytes; anything longer than this is not one.
  static constexpr size_t kMaxUpdateReply = 4096;
  // A settings file of a few lines; anything larger is not one.
  static constexpr size_t kMaxIniFile = 1 << 20;

  // Computes both folder paths and creates the folders that are missing; a folder that cannot be
  // made is left out silently (later reads find no file and fall back to their defaults).
  void CreateDataFolder();
  // The last "key=<integer>" line of "plugin.ini" that starts at the line's first character, or
  // the default when there is none or no file. Lines may be of any length; an integer that does
  // not fit an int is no value, and a file that is not regular or larger than kMaxIniFile is no
  // file. The section is accepted for the file's readers; section headers are lines like any other.
  int ReadIniInt(const char* section, const char* key, int defaultValue) const;

  const char* DataFolder() const { return mDataFolder.Get(); }
  const char* AUFolder() const { return mAUFolder.Get(); }

  // ---- "About" text and update check (main thread, editor open)
  // Describes the running instance (maker, version, build, format, host, channels, delay, sample
  // rate, block size) in an alert titled "About" on the plug-in's editor.
  void BuildInfoText(const iplug::IPlugAU& plug) const;
  // The name the version-check server knows the product by.
  static void NormaliseProductName(const char* name, WDL_String& out);
  // "<server>/versioncheck?productname=<name>". The server is the environment variable
  // VANTORELIX_UPDATE_SERVER when it is set and not empty, else the one the build names.
  static void UpdateQueryAddress(const char* name, WDL_String& out);
  // One GET of the query address; compares the reply's version with the local one. Writes the
  // transfer library's result text and code. Blocks for at most timeoutMs.
  static UpdateCheckResult FetchLatestVersion(const char* localVersion, const char* url, std::span<char> errorText,
                                              int& transferCode, long timeoutMs = kUpdateCheckTimeoutMs);
  // The check the user asks for: fetches and shows the outcome in an alert on the plug-in's
  // editor. True only when the server knows a newer version.
  bool CheckForUpdate(const iplug::IPlugAU& plug, const char* name, const char* localVersion);

  // The last check's transfer result: the library's text and code (-1 before a transfer).
  const char* LastTransferError() const { return mLastError; }
  int LastTransferCode() const { return mTransferCode; }

protected:
  WDL_String mDataFolder;
  WDL_String mAUFolder;
  char mLastError[1024] = {};
  int mTransferCode = -1;

private:
  // Appends what the transfer delivers to the reply text (a std::string); answering less than
  // it was given stops the transfer once the reply outgrows kMaxUpdateReply.
  static size_t CurlWriteCallback(char* data, size_t size, size_t count, void* reply);
};

class IExtPDCHandler
{
public:
  // Hands a latency to the host once it is identified; before that nothing is reported, and a
  // later rebuild reports it.
  void NotifyLatency(iplug::IPlugAU& plug, int latency) const;

  // What the signal chain needs, as last reported to be needed; the audio thread compares it.
  std::atomic<int32_t> mPDCLatency{0};
};
