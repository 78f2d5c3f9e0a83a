#include "base/diagnostics.h"

#include <charconv>
#include <string>

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

// Lines are put together in one buffer that lives as long as the thread, so
// that the thousands of notes of a big skin allocate nothing.
void printDiagnostic(Console& console, Diagnostic kind, std::string_view text) {
  thread_local std::string line;
  line.assign(prefix(kind));
  line.append(text);
  line.push_back('\n');
  console.out(line);
}

void printDiagnosticAt(Console& console, Diagnostic kind, std::string_view text, int32_t line) {
  thread_local std::string out;
  char number[16];
  auto end = std::to_chars(number, number + sizeof number, line).ptr;
  out.assign(prefix(kind));
  out.append(text);
  out.append(" (line ");
  out.append(number, end);
  out.append(")\n");
  console.out(out);
}

}  // namespace korvane
