// The update check against a real HTTP server on the loopback interface.

#include "AlertFixture.h"
#include "LoopbackServer.h"

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <cstdlib>

using namespace reports_test;

namespace {

// Points the check at a server for the life of the object.
class ServerAddress
{
public:
  explicit ServerAddress(const std::string& address) { setenv("VANTORELIX_UPDATE_SERVER", address.c_str(), 1); }
  ~ServerAddress() { unsetenv("VANTORELIX_UPDATE_SERVER"); }
};

TEST(UpdateCheck, ResultsAgainstTheServer)
{
  const std::string padding(4091, ' ');
  const struct
  {
    const char* label;
    int status;
    std::string body;
    const char* localVersion;
    bool newer;
    const char* text;
  } cases[] = {
    {"same", 200, "3.1.3", "3.1.3", false, "Plugin is up to date"},
    {"each part a whole number", 200, "3.1.10", "3.1.3", true, "Plugin update is available"},
    {"minor", 200, "3.2.0", "3.1.3", true, "Plugin update is available"},
    {"older", 200, "3.0.99", "3.1.3", false, "Older plugin version available"},
    {"parts weighted by 100", 200, "3.1.100", "3.2.0", false, "Plugin is up to date"},
    {"trailing text", 200, "3.1.3\n extra", "3.1.3", false, "Plugin is up to date"},
    {"two numbers", 200, "3.1", "3.1.3", false, "Product not found"},
    {"error page", 404, "<html>No such product</html>", "3.1.3", false, "Product not found"},
    {"number beyond int", 200, "99999999999.0.0", "3.1.3", false, "Product not found"},
    {"reply of the largest size", 200, "3.2.0" + padding, "3.1.3", true, "Plugin update is available"},
    {"reply one byte too long", 200, "3.2.0" + padding + " ", "3.1.3", false, "Service not available"},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.label);
    LoopbackServer server({c.status, c.body});
    ASSERT_TRUE(server.Running());
    ServerAddress address(server.Address());
    PlugWithEditor plug;
    plug.OpenEditor();
    IMPlugPaths paths;

    EXPECT_EQ(paths.CheckForUpdate(plug, "Vantorelix", c.localVersion), c.newer);
    ASSERT_EQ(plug.alerts.size(), 1u);
    EXPECT_EQ(plug.alerts[0].text, c.text);
    EXPECT_EQ(plug.alerts[0].caption, "Check for update");
    EXPECT_EQ(plug.alerts[0].type, 0);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET /versioncheck?productname=Vantorelix HTTP/1.1"});
  }
}

TEST(UpdateCheck, TransferFailuresKeepTheLibrarysText)
{
  int port = 0;
  const int closed = BoundLoopbackSocket(false, port);  // bound, not listening: refused
  ASSERT_NE(port, 0);
  ServerAddress address("http://127.0.0.1:" + std::to_string(port));
  PlugWithEditor plug;
  plug.OpenEditor();
  IMPlugPaths paths;

  EXPECT_FALSE(paths.CheckForUpdate(plug, "Vantorelix", "3.1.3"));
  ASSERT_EQ(plug.alerts.size(), 1u);
  EXPECT_EQ(plug.alerts[0].text, "Service not available");
  EXPECT_EQ(paths.LastTransferCode(), CURLE_COULDNT_CONNECT);
  EXPECT_STREQ(paths.LastTransferError(), curl_easy_strerror(CURLE_COULDNT_CONNECT));
  close(closed);

  // A later good check replaces the failure's code and text.
  LoopbackServer server({200, "3.1.3"});
  ServerAddress good(server.Address());
  EXPECT_FALSE(paths.CheckForUpdate(plug, "Vantorelix", "3.1.3"));
  EXPECT_EQ(paths.LastTransferCode(), CURLE_OK);
  EXPECT_STREQ(paths.LastTransferError(), curl_easy_strerror(CURLE_OK));
}

// A server that accepts the request and never answers must not hold the main thread for ever.
TEST(UpdateCheck, ServerThatNeverAnswersTimesOut)
{
  ServerReply silent;
  silent.silent = true;
  LoopbackServer server(silent);
  ASSERT_TRUE(server.Running());
  char error[1024] = "";
  int code = -1;
  const auto start = std::chrono::steady_clock::now();
  const UpdateCheckResult result = IMPlugPaths::FetchLatestVersion(
    "3.1.3", (server.Address() + "/versioncheck?productname=Vantorelix").c_str(), error, code, 300);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result, kUpdateCheckFailed);
  EXPECT_EQ(code, CURLE_OPERATION_TIMEDOUT);
  EXPECT_GE(elapsed, std::chrono::milliseconds(250));
  EXPECT_LT(elapsed, std::chrono::seconds(5));
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(UpdateCheck, AddressFromTheEnvironmentOrTheBuild)
{
  WDL_String name, url;
  IMPlugPaths::NormaliseProductName("Vantorelix", name);
  EXPECT_STREQ(name.Get(), "Vantorelix");
  {
    ServerAddress address("http://localhost:8080");
    IMPlugPaths::UpdateQueryAddress(name.Get(), url);
    EXPECT_STREQ(url.Get(), "http://localhost:8080/versioncheck?productname=Vantorelix");
  }
  // Unset or empty: the build's server.
  for (const char* value : {static_cast<const char*>(nullptr), ""})
  {
    if (value)
      setenv("VANTORELIX_UPDATE_SERVER", value, 1);
    IMPlugPaths::UpdateQueryAddress(name.Get(), url);
    EXPECT_STREQ(url.Get(), VANTORELIX_UPDATE_SERVER "/versioncheck?productname=Vantorelix");
    unsetenv("VANTORELIX_UPDATE_SERVER");
  }
}

}  // namespace
