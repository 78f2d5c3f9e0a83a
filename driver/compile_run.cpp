#include "driver/compile_run.h"

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/text.h"
#include "base/version.h"
#include "driver/command_line.h"
#include "driver/depfile.h"
#include "driver/input_guard.h"
#include "driver/report_console.h"
#include "driver/source_date_epoch.h"
#include "output/mbm_list_writer.h"
#include "output/pkg_writer.h"
#include "output/skn_writer.h"
#include "parser/desc_parser.h"
#include "source/item_id_registry.h"
#include "source/source_lexer.h"

namespace korvane {

namespace {

const std::string kEqualsLine(70, '=');
const std::string kDashLine(70, '-');

// 2003-01-01 00:00:00 UTC as 100-nanosecond intervals since 1601.
constexpr uint64_t kPackageIdEpoch = 126858528000000000ull;

struct OutputNames {
  std::string list;
  std::string skn;
  std::string pkg;
  std::string drm;
};

OutputNames composeOutputNames(const CompileOptions& options, bool scalable) {
  OutputNames names;
  names.list = options.listPath + options.skinName + (scalable ? "_MIFList.txt" : "_MBMList.txt");
  names.skn = options.targetPath + options.skinName + ".skn";
  names.pkg = options.targetPath + options.skinName + ".pkg";
  if (options.drmMode) names.drm = options.targetPath + "datafiles.def";
  return names;
}

// Refuses, before anything is written, names that do not fit their fields.
// The generation list's name limit also keeps the skin name within the 507
// bytes that its ".mbm" and ".mif" names may take in the SKN file.
void checkOutputNames(const CompileOptions& options) {
  OutputNames names = composeOutputNames(options, false);
  const std::pair<const std::string*, const char*> kinds[] = {{&names.list, "MBM/MIF list"},
                                                              {&names.skn, "SKN file"},
                                                              {&names.pkg, "PKG file"},
                                                              {&names.drm, "DRM definition file"}};
  for (const auto& [name, kind] : kinds) {
    if (name->size() > kMaxOutputFileName) {
      throw CKrvException(
          kErrorFileOpen,
          std::string("Output file name longer than 519 characters for the ") + kind);
    }
  }
}

void printBanner(Console& console) {
  console.out(kEqualsLine + "\n");
  console.out(format("Korvane v%i.%i.%i (%s) for Orv Platform.\n", kVersionMajor, kVersionMinor,
                     kVersionPatch, __DATE__));
  console.out(kEqualsLine + "\n");
  console.out("\n");
}

void printParameterSummary(Console& console, const CompileOptions& options) {
  console.out("Phase 0: Parameter summary.\n");
  console.out("  Source file: " + options.inputFile + "\n");
  console.out("  Skin name: " + options.skinName + "\n");
  if (!options.listPath.empty()) console.out("  MBM/MIF list path: " + options.listPath + "\n");
  if (!options.targetPath.empty()) console.out("  SKN output path: " + options.targetPath + "\n");
  if (!options.systemPath.empty()) {
    console.out("  System skin output path: " + options.systemPath + "\n");
  }
  if (options.forceSystem) console.out("  Forcing skin type to be SYSTEM\n");
  if (options.forceNormal) console.out("  Forcing skin type to be NORMAL\n");
  if (options.drmMode) console.out("  DRM compatibility mode, PKG generation will be altered\n");
}

// Applies the force switches, reports the type and refuses system skins.
void settleSkinType(SkinContent& content, const CompileOptions& options, Console& console) {
  const char* kNoEffect = "Scalable skin, force parameter has no effect.";
  if (options.forceSystem) {
    if (content.isScalable()) {
      printDiagnostic(console, Diagnostic::kWarning, kNoEffect);
    } else {
      content.skinType |= kSkinTypeSystem;
    }
  }
  if (options.forceNormal) {
    if (content.isScalable()) {
      printDiagnostic(console, Diagnostic::kWarning, kNoEffect);
    } else {
      content.skinType &= ~kSkinTypeSystem;
    }
  }
  bool system = !content.isScalable() && (content.skinType & kSkinTypeSystem) != 0;
  std::string note = "Skintype: ";
  note += content.isScalable() ? "Scalable " : system ? "System " : "Normal ";
  if ((content.skinType & 0x2) != 0) {
    note += "LangOverride=";
    note += ((content.skinType >> 8) & 0xFF) == 1 ? "AH " : "Unknown ";
    note += format("Parent=0x%08x 0x%08x", content.parentUidHigh, content.parentUidLow);
  }
  printDiagnostic(console, Diagnostic::kNote, note);
  if (system) {
    throw CKrvException(kErrorContent,
                        "System skins are no longer supported, please use scalable skin type "
                        "instead");
  }
}

// Phases 1 to 3; every error leaves by exception. Progress lines go to the
// platform's console, the diagnostics of every room to `diagnostics`.
void runPhases(const CompileOptions& options, Platform& platform, Console& diagnostics,
               SkinContent& content) {
  Console& console = platform.console;
  checkOutputNames(options);

  // The description and the extension list lead the files the compile
  // depends on; the model adds every image and mask file it looks for.
  std::optional<ProbedFiles> probed;
  if (!options.depfile.empty()) {
    probed.emplace();
    probed->add(options.inputFile);
    if (!options.extensionListFile.empty()) probed->add(options.extensionListFile);
    content.recordProbedFiles(&*probed);
  }
  content.setStrictFiles(options.strict);

  console.out("\nPhase 1: Input parsing.\n");
  console.out("  Opening source file " + options.inputFile + " ...\n");
  gSourceLexer.open(platform.fs, options.inputFile);
  console.out("  Parsing file ...\n");
  content.setBitmapPath(u".\\");
  {
    DescParser parser(content, diagnostics);
    parser.parse();
  }
  console.out("  Completed.\n");
  gSourceLexer.currentLine = -1;
  content.recordProbedFiles(nullptr);

  settleSkinType(content, options, diagnostics);
  if (content.ahOverrideLow != 0) {
    printDiagnostic(diagnostics, Diagnostic::kNote,
                    format("Associated A&H override is: 0x%08x 0x%08x", content.ahOverrideHigh,
                           content.ahOverrideLow));
  }
  if (content.packageIdHigh == 0 && content.packageIdLow == 0) {
    generatePackageId(content, gSourceLexer.characterSum, platform.clock.now());
    printDiagnostic(diagnostics, Diagnostic::kNote,
                    format("Generated package ID for this skin is 0x%08x 0x%08x",
                           content.packageIdHigh, content.packageIdLow));
  }

  OutputNames names = composeOutputNames(options, content.isScalable());
  refuseOutputsOverInputs(platform.fs, {&names.list, &names.skn, &names.pkg, &names.drm},
                          options.inputFile, options.extensionListFile);
  console.out("\nPhase 2: Output for MBM/MIF generation.\n");
  console.out("  Writing MBM/MIF list for " + options.skinName + " to " + names.list + " ...\n");
  MbmListWriter(platform.fs).write(content, options.skinName, names.list);
  console.out("  Completed.\n");

  console.out("\nPhase 3: Output for skin content.\n");
  if (!options.systemPath.empty()) {
    printDiagnostic(diagnostics, Diagnostic::kWarning, "System skin CPP/MMP path not used.");
  }
  console.out("  Skipping CPP and MMP file creation (non-system skin).\n");
  console.out("  Writing SKN file (that uses MBM/MIF " + options.skinName + ") to " + names.skn +
              " ...\n");
  SknWriter(platform.fs, platform.clock).write(content, options.skinName, names.skn);
  console.out("  Completed.\n");
  std::string pkgLine = "  Writing PKG file for " + options.skinName + " to " + names.pkg + " ";
  if (options.drmMode) pkgLine += "\n    and DRM definition file to " + names.drm + " ";
  console.out(pkgLine + "...\n");
  PkgWriter(platform.fs).write(content, options.skinName, names.pkg, names.drm);
  console.out("  Completed.\n");

  if (probed) {
    console.out("  Writing dependency file to " + options.depfile + " ...\n");
    writeDependencyFile(options, platform, {names.list, names.skn, names.pkg, names.drm}, *probed);
    console.out("  Completed.\n");
  }
}

// Runs the phases; running out of memory (a skin too big for the machine)
// ends the run like every other error instead of aborting it.
void runPhasesWithinMemory(const CompileOptions& options, Platform& platform, Console& diagnostics,
                           SkinContent& content) {
  try {
    runPhases(options, platform, diagnostics, content);
  } catch (const std::bad_alloc&) {
    throw CKrvException(kErrorInternal, "Not enough memory to compile this skin");
  }
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

}  // namespace

void generatePackageId(SkinContent& content, uint32_t characterSum, uint64_t now) {
  uint32_t state = characterSum ^ static_cast<uint32_t>(now >> 32) ^ static_cast<uint32_t>(now);
  auto draw = [&state]() {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
  };
  uint32_t high = static_cast<uint32_t>((now - kPackageIdEpoch) >> 20);
  content.packageIdHigh = high == 0 ? 1 : high;
  uint32_t r1 = draw();
  uint32_t r2 = draw();
  uint32_t r3 = draw();
  uint32_t r4 = draw();
  uint32_t v = r1 << 8;
  v = (v ^ r2) << 8;
  v = (v ^ r3) << 8;
  content.packageIdLow = v ^ r4;
}

int runCompile(int argc, const char* const argv[], Platform& platform) {
  Console& console = platform.console;
  // The reader is process-wide; a run starts with no line, as a fresh process does.
  gSourceLexer.currentLine = -1;

  CompileOptions options;
  bool complete = parseCommandLine(argc, argv, options);
  if (options.request == CompileOptions::Request::kVersion) {
    console.out(versionLine());
    return kExitSuccess;
  }
  // A quiet run keeps warnings, the error report and the result only.
  NullConsole silent;
  QuietConsole quietDiagnostics(console);
  Console& progress = options.quiet ? silent : console;
  Console& diagnostics = options.quiet ? static_cast<Console&>(quietDiagnostics) : console;

  printBanner(progress);
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
  Platform run{platform.fs, clock, progress, platform.environment};

  try {
    loadItemIds(run.fs, diagnostics, options.extensionListFile);
  } catch (const CKrvException& e) {
    e.reportError(console, gSourceLexer.currentLine);
    console.out(options.quiet ? "Item ID extension list is invalid, INITIALIZATION FAILED!\n"
                              : "\nItem ID extension list is invalid, INITIALIZATION FAILED!\n");
    return kExitInvalidExtensionList;
  }

  printParameterSummary(progress, options);

  bool errorSeen = false;
  {
    auto content = std::make_unique<SkinContent>(run.fs, diagnostics);
    try {
      runPhasesWithinMemory(options, run, diagnostics, *content);
    } catch (const CKrvException& e) {
      progress.out("\n" + kDashLine + "\n");
      e.reportError(console, gSourceLexer.currentLine);
      progress.out(kDashLine + "\n");
      errorSeen = true;
    }
  }

  printResult(console, errorSeen, options.quiet);
  return errorSeen ? kExitErrors : kExitSuccess;
}

}  // namespace korvane
