#include "base/diagnostics.h"

#include <string>

#include "base/text.h"

namespace korvane {

namespace {
std::string_view prefix(Diagnostic kind) {
  switch (kind) {
    case Diagnostic::kNote:
      return "NOTE: ";
    case Diagnostic::kWarning:
      return "WARNING: ";
    case Diagnostic::kInfo:
      return "INFO: ";
    case Diagnostic::kDebug:
      return "DEBUG: ";
  }
  return "";
}
}  // namespace

void printDiagnostic(Console& console, Diagnostic kind, std::string_view text) {
  std::string line(prefix(kind));
  line.append(text);
  line.push_back('\n');
  console.out(line);
}

void printDiagnosticAt(Console& console, Diagnostic kind, std::string_view text, int32_t line) {
  std::string out(prefix(kind));
  out.append(text);
  out.append(" (line ");
  out.append(std::to_string(line));
  out.append(")\n");
  console.out(out);
}

}  // namespace korvane
