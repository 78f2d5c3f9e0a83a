#include "base/diagnostics.h"

namespace korvane {

void ConsoleDiagnostics::diagnostic(const DiagnosticEvent& event) {
  printDiagnosticLine(console_, event, quiet_);
}

}  // namespace korvane
