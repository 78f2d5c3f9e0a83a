// The command line: options, switches and the two positional arguments.
#ifndef KORVANE_DRIVER_COMMAND_LINE_H
#define KORVANE_DRIVER_COMMAND_LINE_H

#include <string>

#include "base/platform.h"

namespace korvane {

// Longest option text; a longer argument makes the command line invalid.
constexpr size_t kMaxOptionText = 511;

struct CompileOptions {
  std::string inputFile;
  std::string skinName;
  std::string listPath;           // -m, with a trailing backslash
  std::string targetPath;         // -t, with a trailing backslash
  std::string systemPath;         // -s, with a trailing backslash
  std::string extensionListFile;  // -i
  bool drmMode = false;
  bool forceSystem = false;
  bool forceNormal = false;
};

// Fills `options`; true when an input file and a skin name were given and no
// text exceeds its limit.
bool parseCommandLine(int argc, const char* const argv[], CompileOptions& options);
void printUsage(Console& console);
// Appends one backslash to a non-empty path that does not end in one.
void appendTrailingBackslash(std::string& path);

}  // namespace korvane

#endif
