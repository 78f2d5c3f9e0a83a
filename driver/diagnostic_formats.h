// The diagnostic formats tools read, besides the command line's report:
//   gcc    FILE:LINE:COLUMN: error: MESSAGE, the source line and a caret line,
//          related places as notes, suggestions as "did you mean" and a fix-it
//          line (as GCC and Clang print them; Vim and Emacs read it);
//   json   GCC's JSON layout: kind, message, locations (caret, finish),
//          children, fixits, plus the stable code;
//   sarif  one SARIF 2.1.0 log with a rule per code.
// Columns count UTF-16 units from 1, as the diagnostics carry them.
#ifndef KORVANE_DRIVER_DIAGNOSTIC_FORMATS_H
#define KORVANE_DRIVER_DIAGNOSTIC_FORMATS_H

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/source_lines.h"
#include "korvane/compile.h"

namespace korvane {

// Source files by the name diagnostics give them.
using SourceFiles = std::map<std::string, SourceLines>;

// What the log says about the program.
struct ToolInfo {
  std::string name;
  std::string version;
};

// Applies --warnings-as-errors (warnings become errors) and --max-errors
// (0: no limit): diagnostics after the limit's last error are left out and
// one note says so.
std::vector<Diagnostic> limitDiagnostics(std::vector<Diagnostic> diagnostics, int maxErrors,
                                         bool warningsAsErrors);
// The first suggestion in the words of the message: "; did you mean 'X'?".
std::string messageWithSuggestion(const Diagnostic& diagnostic);

std::string renderGcc(const std::vector<Diagnostic>& diagnostics, const SourceFiles& sources);
std::string renderJson(const std::vector<Diagnostic>& diagnostics);
std::string renderSarif(const std::vector<Diagnostic>& diagnostics, const ToolInfo& tool);

// A file name as a URI reference: "/" for "\", percent-escapes for what a
// URI may not hold, "file://" before an absolute path.
std::string fileUri(std::string_view path);
// A short description of the kind of diagnostic `code` names; empty when
// the code is not known.
std::string_view describeCode(std::string_view code);

}  // namespace korvane

#endif
