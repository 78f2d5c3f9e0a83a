// A compile run whose diagnostics are shown in one of the formats tools read
// (--diagnostics-format=gcc, json or sarif) instead of the report: nothing on
// standard output, every error of the description, suggestions, and the
// warnings for what compiles but changes the text.
#ifndef KORVANE_DRIVER_DIAGNOSTICS_RUN_H
#define KORVANE_DRIVER_DIAGNOSTICS_RUN_H

#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "driver/command_line.h"
#include "korvane/compile.h"

namespace korvane {

// What the formats show of a compile's diagnostics: its errors and warnings
// with a missing image (and an ignored second mask) as warnings, the report's
// other notes left out, and the checks of the description's text added, in
// the order of their places (those without a place last).
std::vector<Diagnostic> diagnosticsForFormats(const std::vector<Diagnostic>& compiled,
                                              const std::string& sourceName,
                                              const std::string& sourceBytes);

// Runs the compilation of `request` (made from `options`, whose format is
// not the report) and writes the diagnostics; returns the exit code (0, 2 or
// 3). Nothing goes to standard output.
int runWithDiagnosticsFormat(const CompileOptions& options, Platform& platform, Clock& clock,
                             CompileRequest request);

}  // namespace korvane

#endif
