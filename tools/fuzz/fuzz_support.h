// What the fuzz targets share: an in-memory platform with a fixed set of
// image files, a compile run on it, and the checks that turn a wrong result
// into a crash libFuzzer reports.
#ifndef KORVANE_TOOLS_FUZZ_FUZZ_SUPPORT_H
#define KORVANE_TOOLS_FUZZ_FUZZ_SUPPORT_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/memory_platform.h"

namespace korvane::fuzz {

// The description, the extension list and the output directory of every run.
inline constexpr const char* kDescriptionFile = "skin.txt";
inline constexpr const char* kExtensionListFile = "ext.txt";
inline constexpr const char* kOutputDir = "out";
inline constexpr const char* kSkinName = "Fuzz";

// A valid extension list with two rows a description can name (NewItem, FuzzItem).
extern const char kValidExtensionList[];

// A platform whose file system holds the image files (in the working directory
// and under "images/"), the valid extension list and the output directory, and
// whose clock is fixed.
std::unique_ptr<MemoryPlatform> makePlatform();

// runCompile with "korvane" prepended to `args`.
int compile(MemoryPlatform& platform, const std::vector<std::string>& args);

// Prints what went wrong with the console text of the run and aborts.
[[noreturn]] void fail(std::string_view what, const MemoryPlatform& platform);

struct CompileResult {
  int code = 0;
  std::unique_ptr<MemoryPlatform> platform;
};

// Compiles `description` in a fresh platform and checks the run: the exit code
// is 0 or 2; a success leaves the generation list, an SKN file that decodes
// and renders, and a PKG file, and the SKN file decompiles (with and without
// the list) to a description that compiles to the same files; an error
// leaves its report on standard error.
CompileResult compileAndCheck(const std::string& description, bool withExtensionList,
                              bool toOutputDir);

// Compiles `description` with each diagnostic format (every error, the
// suggestions and the checks of the text) and checks the runs: the same exit
// code as the report's run (`reportCode`), nothing on standard output, JSON
// and SARIF that parse, and no output file after an error.
void checkDiagnosticFormats(const std::string& description, int reportCode);

// Aborts unless the two runs printed the same and left the same files
// (the description itself aside).
void requireSameRuns(const CompileResult& a, const CompileResult& b, std::string_view what);

}  // namespace korvane::fuzz

#endif
