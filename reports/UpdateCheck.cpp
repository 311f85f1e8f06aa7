// The online update check: one GET of the version-check server, whose reply is the latest version
// as "a.b.c", compared with the running one.

#include "au-adapter/IPlugAU.h"
#include "graphics/IGraphics.h"
#include "meter-plugin/PluginPaths.h"
#include "platform/shared/LateLibrary.h"

#include <curl/curl.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Seconds a connection may take to be made; the whole transfer is bounded separately.
constexpr long kConnectTimeoutSeconds = 25;

// The libcurl calls the check makes. libcurl and the libraries under it (TLS, Kerberos, LDAP and
// more) took longer to load and bind than all the rest of the plug-in, at every start; most
// instances never check, so the library is loaded at the first check and kept for the next.
struct CurlCalls
{
  decltype(&curl_global_init) globalInit;
  decltype(&curl_global_cleanup) globalCleanup;
  decltype(&curl_easy_init) easyInit;
  decltype(&curl_easy_setopt) easySetopt;
  decltype(&curl_easy_perform) easyPerform;
  decltype(&curl_easy_strerror) easyStrerror;
  decltype(&curl_easy_cleanup) easyCleanup;
};

// The calls, or null when the library cannot be loaded.
const CurlCalls* Curl()
{
  static const std::optional<CurlCalls> calls = []() -> std::optional<CurlCalls> {
    const LateLibrary curl("libcurl.so.4");
    CurlCalls c{};
    if (!curl.Bind("curl_global_init", c.globalInit) || !curl.Bind("curl_global_cleanup", c.globalCleanup) ||
        !curl.Bind("curl_easy_init", c.easyInit) || !curl.Bind("curl_easy_setopt", c.easySetopt) ||
        !curl.Bind("curl_easy_perform", c.easyPerform) || !curl.Bind("curl_easy_strerror", c.easyStrerror) ||
        !curl.Bind("curl_easy_cleanup", c.easyCleanup))
      return std::nullopt;
    return c;
  }();
  return calls ? &*calls : nullptr;
}

// "a.b.c" at the start of the text, read as "%d.%d.%d" reads it (blanks before each number, a
// sign, digits), counted as (a x 100 + b) x 100 + c; text after it is ignored. A number beyond
// the int range is refused rather than read as some other number.
std::optional<int64_t> VersionNumber(const char* text)
{
  int64_t number = 0;
  for (int part = 0; part < 3; ++part)
  {
    if (part > 0 && *text++ != '.')
      return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || value < INT_MIN || value > INT_MAX)
      return std::nullopt;
    number = number * 100 + value;
    text = end;
  }
  return number;
}

UpdateCheckResult CompareVersions(const char* reply, const char* localVersion)
{
  const std::optional<int64_t> latest = VersionNumber(reply);
  const std::optional<int64_t> local = VersionNumber(localVersion);
  if (!latest || !local)
    return kUpdateCheckUnreadable;
  if (*latest == *local)
    return kUpdateCheckUpToDate;
  return *latest > *local ? kUpdateCheckNewer : kUpdateCheckOlder;
}

const char* ResultText(UpdateCheckResult result)
{
  switch (result)
  {
    case kUpdateCheckFailed: return "Service not available";
    case kUpdateCheckUnreadable: return "Product not found";
    case kUpdateCheckUpToDate: return "Plugin is up to date";
    case kUpdateCheckNewer: return "Plugin update is available";
    case kUpdateCheckOlder: return "Older plugin version available";
    default: return "Unknown";
  }
}

}  // namespace

void IMPlugPaths::NormaliseProductName(const char* name, WDL_String& out)
{
  out.Set(name);
}

void IMPlugPaths::UpdateQueryAddress(const char* name, WDL_String& out)
{
  const char* server = std::getenv("VANTORELIX_UPDATE_SERVER");
  if (!server || !server[0])
    server = VANTORELIX_UPDATE_SERVER;
  out.SetFormatted(1024, "%s/versioncheck?productname=%s", server, name);
}

size_t IMPlugPaths::CurlWriteCallback(char* data, size_t size, size_t count, void* reply)
{
  auto& text = *static_cast<std::string*>(reply);
  if (count != 0 && size > SIZE_MAX / count)
    return 0;
  const size_t length = size * count;
  if (length > kMaxUpdateReply - text.size())
    return 0;
  text.append(data, length);
  return length;
}

UpdateCheckResult IMPlugPaths::FetchLatestVersion(const char* localVersion, const char* url, std::span<char> errorText,
                                                  int& transferCode, long timeoutMs)
{
  const CurlCalls* curlCalls = Curl();
  if (!curlCalls)
    return kUpdateCheckNoHandle;
  const CurlCalls& c = *curlCalls;
  c.globalInit(CURL_GLOBAL_ALL);
  CURL* curl = c.easyInit();
  if (!curl)
  {
    c.globalCleanup();
    return kUpdateCheckNoHandle;
  }
  std::string reply;
  c.easySetopt(curl, CURLOPT_URL, url);
  c.easySetopt(curl, CURLOPT_WRITEFUNCTION, &CurlWriteCallback);
  c.easySetopt(curl, CURLOPT_WRITEDATA, &reply);
  c.easySetopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  // The check blocks the host's main thread: a server that accepts and never answers must not
  // hold it for ever.
  c.easySetopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
  // The signal handlers belong to the host; time-outs must not raise signals in its process.
  c.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
  const CURLcode code = c.easyPerform(curl);
  if (!errorText.empty())
    std::snprintf(errorText.data(), errorText.size(), "%s", c.easyStrerror(code));
  transferCode = code;
  const UpdateCheckResult result = code == CURLE_OK ? CompareVersions(reply.c_str(), localVersion) : kUpdateCheckFailed;
  c.easyCleanup(curl);
  c.globalCleanup();
  return result;
}

bool IMPlugPaths::CheckForUpdate(const iplug::IPlugAU& plug, const char* name, const char* localVersion)
{
  WDL_String url;
  UpdateQueryAddress(name, url);
  mTransferCode = -1;
  mLastError[0] = '\0';
  const UpdateCheckResult result = FetchLatestVersion(localVersion, url.Get(), mLastError, mTransferCode);
  if (iplug::igraphics::IGraphics* ui = plug.GetUI())
    ui->ShowAlert(ResultText(result), "Check for update", 0, nullptr);
  return result == kUpdateCheckNewer;
}
