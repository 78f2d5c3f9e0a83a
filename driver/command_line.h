// The command line: options, switches and the two positional arguments, and
// the long options for builds (help, version, quiet and strict runs, the
// dependency file).
#ifndef KORVANE_DRIVER_COMMAND_LINE_H
#define KORVANE_DRIVER_COMMAND_LINE_H

#include <string>
#include <vector>

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

  // What the run is asked for: the first of --help, --version and
  // --list-items wins over a compile.
  enum class Request { kCompile, kHelp, kVersion, kListItems };
  Request request = Request::kCompile;
  bool quiet = false;            // --quiet
  bool strict = false;           // --strict
  std::string depfile;           // --depfile=FILE or --depfile FILE
  bool depfileAbsolute = false;  // --depfile-absolute
  std::string listItemsPattern;  // --list-items=PATTERN (empty: every item)
  // --depfile-target=NAME, each in turn: the rule's targets, taken as given.
  std::vector<std::string> depfileTargets;
};

// Fills `options`; true when an input file and a skin name were given, no
// text exceeds its limit and every long option that takes a value has one.
bool parseCommandLine(int argc, const char* const argv[], CompileOptions& options);
void printUsage(Console& console);
// The long options, printed after the usage by --help.
void printLongOptions(Console& console);
// "korvane <version>" and a line end, for --version.
std::string versionLine();
// Appends one backslash to a non-empty path that does not end in one.
void appendTrailingBackslash(std::string& path);

}  // namespace korvane

#endif
