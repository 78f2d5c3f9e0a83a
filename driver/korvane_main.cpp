#include "base/real_platform.h"
#include "driver/compile_run.h"

int main(int argc, char* argv[]) {
  korvane::prepareHostHeap();
  korvane::RealFileSystem fs;
  korvane::SystemClock clock;
  korvane::StdConsole console;
  korvane::ProcessEnvironment environment;
  korvane::Platform platform{fs, clock, console, environment};
  return korvane::runCompile(argc, argv, platform);
}
