// Test support for whole compile runs on the in-memory platform: the run
// itself and the fixed pieces of its console report. Every run that succeeds
// is also decompiled and compiled again, with and without its generation
// list, and must give the same SKN file (and list).
#ifndef KORVANE_DRIVER_COMPILE_TEST_SUPPORT_H
#define KORVANE_DRIVER_COMPILE_TEST_SUPPORT_H

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/memory_platform.h"
#include "driver/compile_run.h"
#include "driver/round_trip_test_support.h"

namespace korvane::testing {

inline const std::string kEqualsLine(70, '=');
inline const std::string kDashLine(70, '-');

inline std::string banner() {
  return kEqualsLine + "\nKorvane v0.0.141 (" + __DATE__ + ") for Orv Platform.\n" + kEqualsLine +
         "\n\n";
}

// The closing banner of a run that succeeded or reported an error.
inline std::string closing(bool ok) {
  return "\n" + kEqualsLine +
         (ok ? "\n\nCompleted successfully.\n" : "\n\nAborted, ERRORS ENCOUNTERED!\n") + "\n" +
         kEqualsLine + "\n";
}

// An error report as the run frames it between two dashed lines.
inline std::string framedReport(const std::string& report) {
  return "\n" + kDashLine + "\n" + report + kDashLine + "\n";
}

struct RunResult {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs the compiler with `args` (without the program name) on `p`.
inline RunResult runInMemory(MemoryPlatform& p, std::vector<std::string> args) {
  args.insert(args.begin(), "korvane");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  Platform platform = p.platform();
  int code = runCompile(static_cast<int>(argv.size()), argv.data(), platform);
  if (code == kExitSuccess) {
    for (bool withList : {true, false}) {
      RoundTrip roundTrip =
          checkRoundTrip(p, std::vector<std::string>(args.begin() + 1, args.end()), withList);
      EXPECT_EQ(roundTrip.problem, "")
          << (withList ? "with" : "without") << " the generation list; decompiled:\n"
          << roundTrip.description;
    }
  }
  return RunResult{code, p.console.stdoutText, p.console.stderrText};
}

}  // namespace korvane::testing

#endif
