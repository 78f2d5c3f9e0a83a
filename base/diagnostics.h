// Diagnostic lines: everything that is not an error and lets the run go on.
// Each is one line on standard output with a fixed prefix; those about a place
// in the source end with " (line N)".
#ifndef KORVANE_BASE_DIAGNOSTICS_H
#define KORVANE_BASE_DIAGNOSTICS_H

#include <cstdint>
#include <string_view>

#include "base/platform.h"

namespace korvane {

enum class Diagnostic { kNote, kWarning, kInfo, kDebug };

// Prints prefix + text + "\n".
void printDiagnostic(Console& console, Diagnostic kind, std::string_view text);
// Prints prefix + text + " (line N)\n".
void printDiagnosticAt(Console& console, Diagnostic kind, std::string_view text, int32_t line);

}  // namespace korvane

#endif
