#include "driver/compile_run.h"

#include <optional>
#include <string>
#include <utility>

#include "base/real_platform.h"
#include "base/text.h"
#include "base/version.h"
#include "driver/command_line.h"
#include "driver/depfile.h"
#include "driver/diagnostics_run.h"
#include "driver/list_items.h"
#include "driver/report_console.h"
#include "driver/source_date_epoch.h"
#include "korvane/compile.h"

namespace korvane {

namespace {

// A line of 70 "=" after an empty line.
constexpr std::string_view kEqualsFrame =
    "\n======================================================================\n";

void printBanner(Console& console) {
  console.out(kEqualsFrame.substr(1));
  console.out(format("Korvane v%i.%i.%i (%s) for Orv Platform.\n", kVersionMajor, kVersionMinor,
                     kVersionPatch, __DATE__));
  console.out(kEqualsFrame.substr(1));
  console.out("\n");
}

// The closing banner; a quiet run prints its result line alone.
void printResult(Console& console, bool errorSeen, bool quiet) {
  const char* result = errorSeen ? "Aborted, ERRORS ENCOUNTERED!\n" : "Completed successfully.\n";
  if (quiet) {
    console.out(result);
    return;
  }
  console.out(kEqualsFrame);
  console.out(std::string("\n") + result);
  console.out(kEqualsFrame);
}

// The command line's options as the request of one compilation that reads
// the description file and writes its outputs. The file names and paths
// move into the request (the report needs only the switches and the
// dependency file's options).
CompileRequest requestOf(CompileOptions& options) {
  CompileRequest request;
  request.sourceName = std::move(options.inputFile);
  request.readSourceFile = true;
  request.skinName = std::move(options.skinName);
  request.extensionListFile = std::move(options.extensionListFile);
  request.outputs = Outputs::kFiles;
  request.drmMode = options.drmMode;
  request.forceSystem = options.forceSystem;
  request.forceNormal = options.forceNormal;
  request.strict = options.strict;
  request.listDirectory = std::move(options.listPath);
  request.targetDirectory = std::move(options.targetPath);
  request.systemPath = std::move(options.systemPath);
  // The report shows neither suggestions nor more than the first error.
  request.suggest = false;
  return request;
}

}  // namespace

int runCompile(int argc, const char* const argv[], Platform& platform, ModelAtEnd modelAtEnd) {
  Console& console = platform.console;

  CompileOptions options;
  bool complete = parseCommandLine(argc, argv, options);
  if (options.request == CompileOptions::Request::kVersion) {
    console.out(versionLine());
    return kExitSuccess;
  }
  if (options.request == CompileOptions::Request::kListItems) {
    return runListItems(options, platform);
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
  ReportConsole report(options, platform);

  CompileRequest request = requestOf(options);
  Compilation compilation(request, platform.fs, platform.fs, clock, report);
  if (!options.depfile.empty()) compilation.recordProbedFiles();
  if (modelAtEnd == ModelAtEnd::kLeaveToExit) compilation.leaveModelToExit();
  compilation.afterParse(returnFreedMemory);
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
