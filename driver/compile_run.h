// The compile run of the command line: banner, command line, one
// compilation rendered as the specified report, and the closing banner with
// the exit code.
#ifndef KORVANE_DRIVER_COMPILE_RUN_H
#define KORVANE_DRIVER_COMPILE_RUN_H

#include <cstdint>

#include "base/platform.h"
#include "compiler/compilation.h"
#include "model/skin_content.h"

namespace korvane {

enum ExitCode : int {
  kExitSuccess = 0,
  kExitUsage = 1,
  kExitErrors = 2,
  kExitInvalidExtensionList = 3,
};

int runCompile(int argc, const char* const argv[], Platform& platform);

}  // namespace korvane

#endif
