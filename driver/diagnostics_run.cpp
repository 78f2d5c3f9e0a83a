#include "driver/diagnostics_run.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "base/real_platform.h"
#include "base/source_lines.h"
#include "base/version.h"
#include "compiler/compilation.h"
#include "compiler/output_files.h"
#include "driver/depfile.h"
#include "driver/diagnostic_formats.h"
#include "parser/source_checks.h"

namespace korvane {

namespace {

using Format = CompileOptions::DiagnosticsFormat;

// The report's notes that are silent damage in an editor's eyes.
bool isWarningNote(const std::string& code) {
  return code == "note.missing-image-file" || code == "note.mask-already-defined";
}

bool readWhole(FileSystem& fs, const std::string& path, std::string& bytes) {
  std::unique_ptr<InputFile> file = fs.openRead(path);
  if (!file) return false;
  char buffer[65536];
  for (size_t n; (n = file->read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
  return !file->readFailed();
}

// Keeps the diagnostics; after the outputs, the dependency file.
class FormatObserver : public CollectingObserver {
 public:
  FormatObserver(std::vector<Diagnostic>& out, const CompileOptions& options, Platform& platform,
                 bool writing)
      : CollectingObserver(out), options_(options), platform_(platform), writing_(writing) {}

  void beforeOutputs(const OutputNames& names, const CompileRequest& request) override {
    if (!writing_) return;
    request_ = &request;
    refuseDepfileClashes(platform_.fs, options_.depfile, names, request);
  }
  void outputsWritten(const OutputNames& names, const ProbedFiles* probed) override {
    if (!writing_ || options_.depfile.empty() || probed == nullptr) return;
    refuseDepfileClashes(platform_.fs, options_.depfile, names, *request_);
    writeDependencyFile(options_, platform_, {names.list, names.skn, names.pkg, names.drm},
                        *probed);
  }

 private:
  const CompileOptions& options_;
  Platform& platform_;
  bool writing_;
  const CompileRequest* request_ = nullptr;  // from beforeOutputs on
};

bool hasWarning(const std::vector<Diagnostic>& diagnostics) {
  return std::any_of(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& d) { return d.severity == Severity::kWarning; });
}

}  // namespace

std::vector<Diagnostic> diagnosticsForFormats(const std::vector<Diagnostic>& compiled,
                                              const std::string& sourceName,
                                              const std::string& sourceBytes) {
  std::vector<Diagnostic> shown;
  for (const Diagnostic& d : compiled) {
    if (d.severity == Severity::kNote && !isWarningNote(d.code)) continue;
    Diagnostic& kept = shown.emplace_back(d);
    if (isWarningNote(d.code)) kept.severity = Severity::kWarning;
    // A description that cannot be opened or read is named, without a place.
    if (kept.file.empty() && (kept.code == "file.open" || kept.code.rfind("source.", 0) == 0)) {
      kept.file = sourceName;
    }
  }
  SourceLines lines(sourceBytes);
  for (SourceWarning& w : checkSourceText(sourceBytes, lines).warnings) {
    Diagnostic& d = shown.emplace_back();
    d.severity = Severity::kWarning;
    d.code = std::move(w.code);
    d.message = std::move(w.message);
    d.file = sourceName;
    d.line = w.line;
    d.column = w.column;
    d.endLine = w.line;
    d.endColumn = w.endColumn;
    d.suggestions = std::move(w.suggestions);
  }
  // In the order of their places, so that a file reads from top to bottom.
  std::stable_sort(shown.begin(), shown.end(), [](const Diagnostic& a, const Diagnostic& b) {
    if ((a.line > 0) != (b.line > 0)) return a.line > 0;
    if (a.line != b.line) return a.line < b.line;
    return a.column < b.column;
  });
  return shown;
}

int runWithDiagnosticsFormat(const CompileOptions& options, Platform& platform, Clock& clock,
                             CompileRequest request) {
  request.allErrors = true;
  request.suggest = true;
  // One error more than is shown tells that some were left out.
  request.errorLimit = options.maxErrors > 0 ? options.maxErrors + 1 : 0;
  std::string sourceBytes;
  readWhole(platform.fs, request.sourceName, sourceBytes);

  // One compilation, as the report's run has it, whose observer keeps the
  // diagnostics; the dependency file follows the outputs.
  auto compileOnce = [&](Outputs outputs, std::vector<Diagnostic>& diagnostics) {
    request.outputs = outputs;
    FormatObserver observer(diagnostics, options, platform, outputs == Outputs::kFiles);
    // A check writes nothing: its outputs are dropped.
    KeptOutputFileSystem dropped(platform.fs, false);
    FileSystem& written = outputs == Outputs::kFiles ? platform.fs : dropped;
    Compilation compilation(request, platform.fs, written, clock, observer);
    if (!options.depfile.empty()) compilation.recordProbedFiles();
    compilation.afterParse(returnFreedMemory);
    return compilation.run();
  };
  std::vector<Diagnostic> compiled;
  int exitCode;
  // With warnings as errors nothing may be written once a warning is seen:
  // a check first, then the compile that writes.
  if (options.warningsAsErrors) {
    exitCode = compileOnce(Outputs::kNone, compiled);
    bool warned = hasWarning(diagnosticsForFormats(compiled, request.sourceName, sourceBytes));
    if (exitCode == 0 && warned) exitCode = 2;
    if (exitCode == 0) {
      compiled.clear();
      exitCode = compileOnce(Outputs::kFiles, compiled);
    }
  } else {
    exitCode = compileOnce(Outputs::kFiles, compiled);
  }
  std::vector<Diagnostic> shown =
      limitDiagnostics(diagnosticsForFormats(compiled, request.sourceName, sourceBytes),
                       options.maxErrors, options.warningsAsErrors);

  std::string text;
  switch (options.diagnosticsFormat) {
    case Format::kGcc: {
      SourceFiles files;
      files.emplace(request.sourceName, SourceLines(sourceBytes));
      text = renderGcc(shown, files);
      break;
    }
    case Format::kJson:
      text = renderJson(shown);
      break;
    case Format::kSarif:
    case Format::kReport:
      text = renderSarif(shown, ToolInfo{"korvane", kVersionText});
      break;
  }
  if (options.diagnosticsFile.empty()) {
    platform.console.err(text);
    return exitCode;
  }
  std::unique_ptr<OutputFile> file = platform.fs.openReplace(options.diagnosticsFile);
  bool written = file && file->write(text.data(), text.size());
  if (!file || !file->close() || !written) {
    platform.console.err("korvane: error: cannot write " + options.diagnosticsFile + "\n");
    if (exitCode == 0) exitCode = 2;
  }
  return exitCode;
}

}  // namespace korvane
