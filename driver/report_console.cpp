#include "driver/report_console.h"

#include "base/error.h"
#include "driver/depfile.h"

namespace korvane {

void ReportConsole::diagnostic(const DiagnosticEvent& event) {
  DiagnosticKind kind = event.kind();
  if (kind == DiagnosticKind::kError) {
    printErrorReport(platform_.console, event.errorClass, event.message, event.reportLine);
  } else if (!options_.quiet || kind == DiagnosticKind::kWarning) {
    printDiagnosticLine(platform_.console, kind, event.message, event.reportLine);
  }
}

void ReportConsole::beforeOutputs(const OutputNames& names, const CompileRequest& request) {
  request_ = &request;
  refuseDepfileClashes(platform_.fs, options_.depfile, names, request);
}

void ReportConsole::outputsWritten(const OutputNames& names, const ProbedFiles* probed) {
  if (options_.depfile.empty() || probed == nullptr) return;
  progress("  Writing dependency file to " + options_.depfile + " ...\n");
  refuseDepfileClashes(platform_.fs, options_.depfile, names, *request_);
  writeDependencyFile(options_, platform_, {names.list, names.skn, names.pkg, names.drm}, *probed);
  progress("  Completed.\n");
}

}  // namespace korvane
