// The specified report of a compile run, as one observer of the
// compilation: its progress text, its NOTE/WARNING/INFO/DEBUG lines and the
// error report, printed as they arise (a big skin's report is never held
// whole). A quiet run (--quiet) prints neither the progress text nor the
// NOTE, INFO and DEBUG lines; WARNING lines and the error report stay.
#ifndef KORVANE_DRIVER_REPORT_CONSOLE_H
#define KORVANE_DRIVER_REPORT_CONSOLE_H

#include <functional>
#include <string_view>

#include "base/diagnostics.h"
#include "base/platform.h"
#include "compiler/compilation.h"

namespace korvane {

class ReportConsole : public CompilationObserver {
 public:
  using OutputsWritten = std::function<void(const OutputNames&, const ProbedFiles*)>;

  ReportConsole(Console& console, bool quiet)
      : console_(console), lines_(console, quiet), quiet_(quiet) {}

  void progress(std::string_view text) override {
    if (!quiet_) console_.out(text);
  }
  void diagnostic(const DiagnosticEvent& event) override;
  void outputsWritten(const OutputNames& names, const ProbedFiles* probed) override {
    if (onOutputsWritten) onOutputsWritten(names, probed);
  }

  // What the command line does after the last output (its dependency file).
  OutputsWritten onOutputsWritten;

 private:
  Console& console_;
  ConsoleDiagnostics lines_;
  bool quiet_;
};

}  // namespace korvane

#endif
