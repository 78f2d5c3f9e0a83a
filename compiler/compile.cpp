// korvane::compile: one Compilation whose observer keeps the diagnostics.
#include <memory>
#include <new>
#include <optional>

#include "base/real_platform.h"
#include "compiler/compilation.h"
#include "compiler/output_files.h"
#include "korvane/compile.h"

namespace korvane {

namespace {

Severity severityOf(DiagnosticKind kind) {
  switch (kind) {
    case DiagnosticKind::kError:
      return Severity::kError;
    case DiagnosticKind::kWarning:
      return Severity::kWarning;
    default:
      return Severity::kNote;
  }
}

void run(const CompileRequest& request, CompileResult& result) {
  std::optional<RealFileSystem> disk;
  if (request.fileSystem == nullptr) disk.emplace();
  FileSystem& given = request.fileSystem != nullptr ? *request.fileSystem : *disk;
  std::optional<RootedFileSystem> rooted;
  if (!request.baseDirectory.empty()) rooted.emplace(given, request.baseDirectory);
  FileSystem& inputs = rooted ? static_cast<FileSystem&>(*rooted) : given;
  KeptOutputFileSystem kept(inputs, request.outputs == Outputs::kBytes);
  FileSystem& outputs = request.outputs == Outputs::kFiles ? inputs : kept;

  SystemClock systemClock;
  FixedClock fixedClock(request.sourceDateEpoch ? clockTimeOfEpochSeconds(*request.sourceDateEpoch)
                                                : 0);
  Clock& clock = request.sourceDateEpoch ? static_cast<Clock&>(fixedClock) : systemClock;

  CollectingObserver observer(result.diagnostics);
  Compilation compilation(request, inputs, outputs, clock, observer);
  result.exitCode = compilation.run();

  const OutputNames& names = compilation.outputNames();
  result.generationListName = names.list;
  result.sknName = names.skn;
  result.pkgName = names.pkg;
  result.drmName = names.drm;
  if (request.outputs == Outputs::kBytes && result.exitCode == 0) {
    result.generationList = kept.take(names.list);
    result.skn = kept.take(names.skn);
    result.pkg = kept.take(names.pkg);
    if (!names.drm.empty()) result.drm = kept.take(names.drm);
  }
}

}  // namespace

void CollectingObserver::diagnostic(const DiagnosticEvent& event) {
  Diagnostic& d = out_.emplace_back();
  const DiagnosticCodeInfo& info = diagnosticCodeInfo(event.code);
  d.severity = severityOf(info.kind);
  d.code = info.name;
  d.message = event.message;
  if (!d.message.empty() && d.message.back() == '\n') d.message.pop_back();
  if (event.span.known()) {
    d.file = event.file;
    d.line = event.span.line;
    d.column = event.span.column;
    d.endLine = event.span.endLine;
    d.endColumn = event.span.endColumn;
  }
  if (event.related.known()) {
    RelatedPlace& place = d.related.emplace_back();
    place.range = SourceRange{d.file, event.related.line, event.related.column,
                              event.related.endLine, event.related.endColumn};
    place.message = event.relatedMessage;
  }
  if (!event.suggestion.empty()) d.suggestions.emplace_back(event.suggestion);
  d.reportCode = event.errorClass;
  d.reportLine = event.reportLine;
}

CompileResult compile(const CompileRequest& request) {
  CompileResult result;
  try {
    run(request, result);
  } catch (const std::bad_alloc&) {
    result = CompileResult();
    Diagnostic d;
    d.code = std::string(diagnosticCodeInfo(DiagnosticCode::kOutOfMemory).name);
    d.message = "Not enough memory to compile this skin";
    d.reportCode = 0;
    result.diagnostics.push_back(d);
    result.exitCode = 2;
  }
  return result;
}

}  // namespace korvane
