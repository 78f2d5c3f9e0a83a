// Test support: korvane-dump run on a platform in memory.
#ifndef KORVANE_INSPECT_DUMP_TEST_SUPPORT_H
#define KORVANE_INSPECT_DUMP_TEST_SUPPORT_H

#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "inspect/dump_command.h"

namespace korvane::testing {

struct DumpRun {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs korvane-dump with `args` after the program name; the run's streams
// are what the console holds afterwards.
inline DumpRun runDumpOn(MemoryPlatform& memory, const std::vector<const char*>& args) {
  std::vector<const char*> argv{"korvane-dump"};
  argv.insert(argv.end(), args.begin(), args.end());
  Platform platform = memory.platform();
  DumpRun run;
  run.code = runDump(static_cast<int>(argv.size()), argv.data(), platform);
  run.out = memory.console.stdoutText;
  run.err = memory.console.stderrText;
  return run;
}

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace korvane::testing

#endif
