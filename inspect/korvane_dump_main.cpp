#include <csignal>

#include "base/real_platform.h"
#include "inspect/dump_command.h"

int main(int argc, char* argv[]) {
  // A reader that went away (a pipe into head) or a file-size limit fails
  // the write instead of killing the process: the dump reports it.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  korvane::RealFileSystem fs;
  korvane::SystemClock clock;
  korvane::StdConsole console;
  korvane::ProcessEnvironment environment;
  korvane::Platform platform{fs, clock, console, environment};
  return korvane::runDump(argc, argv, platform);
}
