#include "base/real_platform.h"
#include "inspect/dump_command.h"

int main(int argc, char* argv[]) {
  korvane::RealFileSystem fs;
  korvane::SystemClock clock;
  korvane::StdConsole console;
  korvane::Platform platform{fs, clock, console};
  return korvane::runDump(argc, argv, platform);
}
