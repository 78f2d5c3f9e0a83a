#include <csignal>

#include "base/real_platform.h"
#include "driver/compile_run.h"

int main(int argc, char* argv[]) {
  // Console writes are not checked: a reader that went away (a pipe into
  // head) must not end the compile before it has written its files.
  std::signal(SIGPIPE, SIG_IGN);
  // A file-size limit fails the write instead of killing the process, so the
  // run reports it like a full disk and removes its temporaries.
  std::signal(SIGXFSZ, SIG_IGN);
  korvane::prepareHostHeap();
  korvane::RealFileSystem fs;
  korvane::SystemClock clock;
  korvane::StdConsole console;
  korvane::ProcessEnvironment environment;
  korvane::Platform platform{fs, clock, console, environment};
  return korvane::runCompile(argc, argv, platform);
}
