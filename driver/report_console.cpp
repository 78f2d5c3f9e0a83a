#include "driver/report_console.h"

#include "base/error.h"

namespace korvane {

void ReportConsole::diagnostic(const DiagnosticEvent& event) {
  if (event.kind() == DiagnosticKind::kError) {
    printErrorReport(console_, event.errorClass, event.message, event.reportLine);
  } else {
    lines_.diagnostic(event);
  }
}

}  // namespace korvane
