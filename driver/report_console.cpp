#include "driver/report_console.h"

#include "base/error.h"
#include "driver/depfile.h"

namespace korvane {

void ReportConsole::diagnostic(const DiagnosticEvent& event) {
  if (event.kind() == DiagnosticKind::kError) {
    printErrorReport(platform_.console, event.errorClass, event.message, event.reportLine);
  } else {
    printDiagnosticLine(platform_.console, event, options_.quiet);
  }
}

void ReportConsole::outputsWritten(const OutputNames& names, const ProbedFiles* probed) {
  if (options_.depfile.empty() || probed == nullptr) return;
  progress("  Writing dependency file to " + options_.depfile + " ...\n");
  writeDependencyFile(options_, platform_, {names.list, names.skn, names.pkg, names.drm}, *probed);
  progress("  Completed.\n");
}

}  // namespace korvane
