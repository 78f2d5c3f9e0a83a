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
  // A reader that went away (a pipe into head) or a file-size limit fails
  // the write instead of killing the process: the dump reports it.
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  korvane::RealFileSystem fs;
  korvane::SystemClock clock;
  korvane::StdConsole console;
  korvane::ProcessEnvironment environment;
  korvane::Platform platform{fs, clock, console, environment};
  return korvane::runDump(argc, argv, platform);
}
