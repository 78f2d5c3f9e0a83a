// The command line: options, switches and the two positional arguments, and
// the long options for builds (help, version, quiet and strict runs, the
// dependency file).
#ifndef KORVANE_DRIVER_COMMAND_LINE_H
#define KORVANE_DRIVER_COMMAND_LINE_H

#include <string>
#include <string_view>
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

  // How diagnostics are shown: the report (banner, phases and the framed
  // error report), or one of the formats tools read, on standard error or
  // in the --diagnostics-file.
  enum class DiagnosticsFormat { kReport, kGcc, kJson, kSarif };
  DiagnosticsFormat diagnosticsFormat = DiagnosticsFormat::kReport;
  std::string diagnosticsFile;    // --diagnostics-file=FILE
  int maxErrors = 20;             // --max-errors=N; 0 is no limit
  bool warningsAsErrors = false;  // --warnings-as-errors

  // Why the command line is refused besides missing arguments, as one line
  // ("Unknown option --dmr (did you mean --drm?)"); empty when nothing is wrong.
  std::string error;
};

// The long options of the program, for suggestions (with "--").
const std::vector<std::string_view>& longOptionNames();
// "Unknown option ARG", with " (did you mean --X?)" when one of `known` is
// near enough; a value after "=" is left out of the comparison.
std::string unknownOptionMessage(std::string_view arg, const std::vector<std::string_view>& known);

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
