// au-host run as a person runs it: its output, error line and exit status.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
  std::string out;
  int status;
};

// Runs au-host with the arguments; stderr is folded into the output.
Outcome AuHost(const std::string& arguments)
{
  FILE* pipe = popen((std::string(AU_HOST) + " " + arguments + " 2>&1").c_str(), "r");
  Outcome run{"", -1};
  char buffer[1024];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
    run.out.append(buffer, n);
  run.status = WEXITSTATUS(pclose(pipe));
  return run;
}

TEST(AuHost, InfoThroughBothRoads)
{
  for (const char* road : {"", "--entry"}) {
    const Outcome run = AuHost(std::string("--plugin " TEST_GAIN_BUNDLE " ") + road + " info");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "Name: Vantorelix Test: TestGain\nVersion: 1.2.3\nChannel configurations: 1-1 2-2 3-3\n"
                       "Parameters: 3\n");
  }
}

TEST(AuHost, ErrorsNameTheCause)
{
  struct Case { std::string arguments; int status; std::string firstLine; };
  const Case cases[] = {
    {"--plugin /nonexistent info", 1,
     "au-host: cannot read the plug-in bundle /nonexistent (no valid Contents/Info.plist)"},
    {"--plugin " TEST_GAIN_BUNDLE " frobnicate", 2, "au-host: unknown command \"frobnicate\""},
    {"--plugin", 2, "au-host: --plugin needs a value"},
    {"", 2, "au-host: no command given"},
  };
  for (const Case& c : cases) {
    const Outcome run = AuHost(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), c.firstLine) << c.arguments;
  }
}

} // namespace
