#include "driver/report_console.h"

#include "compiler/input_guard.h"

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

namespace {

void refuseDepfileOverOutputs(FileSystem& fs, const std::string& depfile,
                              const OutputNames& names) {
  refuseDepfileOverOutputs(fs, depfile,
                           {{&names.list, "the MBM/MIF list"},
                            {&names.skn, "the SKN file"},
                            {&names.pkg, "the PKG file"},
                            {&names.drm, "the DRM definition file"}});
}

}  // namespace

void ReportConsole::beforeOutputs(const OutputNames& names, const CompileRequest& request) {
  if (options_.depfile.empty()) return;
  refuseOutputsOverInputs(platform_.fs, {&options_.depfile},
                          request.readSourceFile ? request.sourceName : std::string(),
                          request.extensionListFile);
  refuseDepfileOverOutputs(platform_.fs, options_.depfile, names);
}

void ReportConsole::outputsWritten(const OutputNames& names, const ProbedFiles* probed) {
  if (options_.depfile.empty() || probed == nullptr) return;
  progress("  Writing dependency file to " + options_.depfile + " ...\n");
  refuseDepfileOverOutputs(platform_.fs, options_.depfile, names);  // links to them show now
  writeDependencyFile(options_, platform_, {names.list, names.skn, names.pkg, names.drm}, *probed);
  progress("  Completed.\n");
}

}  // namespace korvane
