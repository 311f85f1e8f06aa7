#pragma once
// Runs a shell command as a person would, for the suites that drive au-host.

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace product_test {

struct ShellRun
{
  int status = -1;
  std::string out;
};

// Its standard output and exit status; redirect stderr in the command to see it too.
inline ShellRun Shell(const std::string& command)
{
  ShellRun run;
  if (FILE* pipe = popen(command.c_str(), "r"))
  {
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
      run.out.append(buffer, n);
    run.status = WEXITSTATUS(pclose(pipe));
  }
  return run;
}

// A text quoted for the shell.
inline std::string Quoted(const std::string& text)
{
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace product_test
