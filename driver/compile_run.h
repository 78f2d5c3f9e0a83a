// The compile run: banner, command line, registry, the four phases, the
// error report and the closing banner with the exit code.
#ifndef KORVANE_DRIVER_COMPILE_RUN_H
#define KORVANE_DRIVER_COMPILE_RUN_H

#include <cstdint>

#include "base/platform.h"
#include "model/skin_content.h"

namespace korvane {

enum ExitCode : int {
  kExitSuccess = 0,
  kExitUsage = 1,
  kExitErrors = 2,
  kExitInvalidExtensionList = 3,
};

// Longest composed output file name.
constexpr size_t kMaxOutputFileName = 519;

// What becomes of the skin's model when the run ends: destroyed, or left for
// the process's exit to take back at once (a program that ends right after
// the run need not free hundreds of thousands of records one by one).
enum class ModelAtEnd { kDestroy, kLeaveToExit };

int runCompile(int argc, const char* const argv[], Platform& platform,
               ModelAtEnd modelAtEnd = ModelAtEnd::kDestroy);

// Fills the package identifier from the clock and the source reader's character sum.
void generatePackageId(SkinContent& content, uint32_t characterSum, uint64_t now);

}  // namespace korvane

#endif
