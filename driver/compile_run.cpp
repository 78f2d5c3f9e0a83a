#include "driver/compile_run.h"

#include <optional>
#include <string>

#include "base/text.h"
#include "base/version.h"
#include "driver/command_line.h"
#include "driver/depfile.h"
#include "driver/diagnostics_run.h"
#include "driver/report_console.h"
#include "driver/source_date_epoch.h"
#include "korvane/compile.h"

namespace korvane {

namespace {

const std::string kEqualsLine(70, '=');

void printBanner(Console& console) {
  console.out(kEqualsLine + "\n");
  console.out(format("Korvane v%i.%i.%i (%s) for Orv Platform.\n", kVersionMajor, kVersionMinor,
                     kVersionPatch, __DATE__));
  console.out(kEqualsLine + "\n");
  console.out("\n");
}

// The closing banner; a quiet run prints its result line alone.
void printResult(Console& console, bool errorSeen, bool quiet) {
  const char* result = errorSeen ? "Aborted, ERRORS ENCOUNTERED!\n" : "Completed successfully.\n";
  if (quiet) {
    console.out(result);
    return;
  }
  console.out("\n" + kEqualsLine + "\n");
  console.out(std::string("\n") + result);
  console.out("\n" + kEqualsLine + "\n");
}

// The command line's options as the request of one compilation that reads
// the description file and writes its outputs.
CompileRequest requestOf(const CompileOptions& options) {
  CompileRequest request;
  request.sourceName = options.inputFile;
  request.readSourceFile = true;
  request.skinName = options.skinName;
  request.extensionListFile = options.extensionListFile;
  request.outputs = Outputs::kFiles;
  request.drmMode = options.drmMode;
  request.forceSystem = options.forceSystem;
  request.forceNormal = options.forceNormal;
  request.strict = options.strict;
  request.listDirectory = options.listPath;
  request.targetDirectory = options.targetPath;
  request.systemPath = options.systemPath;
  // The report shows neither suggestions nor more than the first error.
  request.suggest = false;
  return request;
}

}  // namespace

int runCompile(int argc, const char* const argv[], Platform& platform) {
  Console& console = platform.console;

  CompileOptions options;
  bool complete = parseCommandLine(argc, argv, options);
  if (options.request == CompileOptions::Request::kVersion) {
    console.out(versionLine());
    return kExitSuccess;
  }
  // The formats tools read leave standard output to them: no banner.
  bool reportFormat = options.diagnosticsFormat == CompileOptions::DiagnosticsFormat::kReport;
  if (!options.quiet && reportFormat) printBanner(console);
  if (options.request == CompileOptions::Request::kHelp) {
    printUsage(console);
    printLongOptions(console);
    return kExitSuccess;
  }
  if (!complete) {
    if (!options.error.empty()) console.err(options.error + "\n");
    printUsage(console);
    return kExitUsage;
  }

  std::optional<uint64_t> sourceDate;
  if (!readSourceDateEpoch(platform.environment, console, sourceDate)) return kExitUsage;
  FixedClock fixedClock(sourceDate.value_or(0));
  Clock& clock = sourceDate ? static_cast<Clock&>(fixedClock) : platform.clock;
  if (!reportFormat) return runWithDiagnosticsFormat(options, platform, clock, requestOf(options));

  // A quiet run keeps warnings, the error report and the result only.
  ReportConsole report(console, options.quiet);
  if (!options.depfile.empty()) {
    report.onOutputsWritten = [&](const OutputNames& names, const ProbedFiles* probed) {
      report.progress("  Writing dependency file to " + options.depfile + " ...\n");
      writeDependencyFile(options, platform, {names.list, names.skn, names.pkg, names.drm},
                          *probed);
      report.progress("  Completed.\n");
    };
  }

  CompileRequest request = requestOf(options);
  Compilation compilation(request, platform.fs, platform.fs, clock, report);
  if (!options.depfile.empty()) compilation.recordProbedFiles();
  int exitCode = compilation.run();
  if (exitCode == kExitInvalidExtensionList) {
    console.out(options.quiet ? "Item ID extension list is invalid, INITIALIZATION FAILED!\n"
                              : "\nItem ID extension list is invalid, INITIALIZATION FAILED!\n");
    return kExitInvalidExtensionList;
  }
  printResult(console, exitCode == kExitErrors, options.quiet);
  return exitCode;
}

}  // namespace korvane
