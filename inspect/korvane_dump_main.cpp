#include <csignal>

#include "base/real_platform.h"
#ifdef _WIN32
#include "base/windows_platform.h"
#endif
#include "inspect/dump_command.h"

int main(int argc, char* argv[]) {
#ifdef _WIN32
  // File names on the command line as UTF-8, whatever the ANSI code page.
  korvane::Utf8Arguments utf8(argc, argv);
#endif
  // Console writes are not checked: a reader that went away (a pipe into
  // head) must not end the run before it has written its files.
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
  korvane::RealFileSystem fs;
  korvane::SystemClock clock;
  korvane::StdConsole console;
  korvane::ProcessEnvironment environment;
  korvane::Platform platform{fs, clock, console, environment};
  return korvane::runDump(argc, argv, platform);
}
