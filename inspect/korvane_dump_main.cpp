#include <csignal>

#include "base/real_platform.h"
#include "inspect/dump_command.h"

int main(int argc, char* argv[]) {
  // Console writes are not checked: a reader that went away (a pipe into
  // head) must not end the run before it has written its files.
  std::signal(SIGPIPE, SIG_IGN);
  korvane::RealFileSystem fs;
  korvane::SystemClock clock;
  korvane::StdConsole console;
  korvane::ProcessEnvironment environment;
  korvane::Platform platform{fs, clock, console, environment};
  return korvane::runDump(argc, argv, platform);
}
