// The specified report of a compile run, as one observer of the
// compilation: its progress text, its NOTE/WARNING/INFO/DEBUG lines and the
// error report, printed as they arise (a big skin's report is never held
// whole), and the dependency file after the last output when one is asked
// for. A quiet run (--quiet) prints neither the progress text nor the NOTE,
// INFO and DEBUG lines; WARNING lines and the error report stay.
#ifndef KORVANE_DRIVER_REPORT_CONSOLE_H
#define KORVANE_DRIVER_REPORT_CONSOLE_H

#include <string_view>

#include "base/diagnostics.h"
#include "base/platform.h"
#include "compiler/compilation.h"
#include "driver/command_line.h"

namespace korvane {

class ReportConsole : public CompilationObserver {
 public:
  // `options` and `platform` must outlive the report.
  ReportConsole(const CompileOptions& options, Platform& platform)
      : options_(options), platform_(platform) {
    wantsPlaces = false;
    dropsQuietLines = options.quiet;
  }

  void progress(std::string_view text) override {
    if (!options_.quiet) platform_.console.out(text);
  }
  void diagnostic(const DiagnosticEvent& event) override;
  // The dependency file is an output too: it must not be an input or
  // another output.
  void beforeOutputs(const OutputNames& names, const CompileRequest& request) override;
  void outputsWritten(const OutputNames& names, const ProbedFiles* probed) override;

 private:
  const CompileOptions& options_;
  Platform& platform_;
  const CompileRequest* request_ = nullptr;  // from beforeOutputs on
};

}  // namespace korvane

#endif
