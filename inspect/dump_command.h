// korvane-dump, the program: its command line, the lookups it prepares
// (registry names, the generation list) and the choice of what to write.
#ifndef KORVANE_INSPECT_DUMP_COMMAND_H
#define KORVANE_INSPECT_DUMP_COMMAND_H

#include <string>

#include "base/platform.h"

namespace korvane {

enum DumpExitCode : int {
  kDumpValid = 0,
  kDumpUsageOrOpen = 1,  // a bad command line, or a file that cannot be read or written
  kDumpFormatError = 2,  // the SKN file is not well formed (or, with --source, not expressible)
  kDumpInvalidExtensionList = 3,
};

struct DumpCommand {
  enum class Mode { kText, kJson, kHtml, kSource, kHelp, kVersion };
  Mode mode = Mode::kText;
  bool showTime = true;       // off with --no-time
  std::string sknFile;        // the positional argument
  std::string listFile;       // --list: the generation list of the same compile
  std::string extensionList;  // -i: an item-ID extension list, as the compiler takes it
  std::string outputFile;     // --html or --source: the file to write
};

// Switch names ignore case like the compiler's; values keep theirs. Options
// with a value take it joined ("--list=F", "-iF") or as the next argument.
// False, with `error` saying why, for a bad command line.
bool parseDumpCommandLine(int argc, const char* const argv[], DumpCommand& command,
                          std::string& error);

// The usage text (also the answer to --help).
const char* dumpUsage();

// The platform's working directory lets the HTML preview link images from a
// page outside it.
int runDump(int argc, const char* const argv[], Platform& platform);

}  // namespace korvane

#endif
