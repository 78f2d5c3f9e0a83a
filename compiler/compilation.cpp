#include "compiler/compilation.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "compiler/bytes_input_file.h"
#include "compiler/input_guard.h"
#include "output/mbm_list_writer.h"
#include "output/pkg_writer.h"
#include "output/skn_writer.h"
#include "parser/desc_parser.h"
#include "parser/suggestions.h"

namespace korvane {

namespace {

// The frame of an error report: a line of 70 "-" after an empty line; the
// closing one is the same without the empty line.
constexpr std::string_view kDashFrame =
    "\n----------------------------------------------------------------------\n";

// 2003-01-01 00:00:00 UTC as 100-nanosecond intervals since 1601.
constexpr uint64_t kPackageIdEpoch = 126858528000000000ull;
// 1970-01-01 00:00:00 UTC in the same units.
constexpr uint64_t kUnixEpoch = 116444736000000000ull;

OutputNames composeOutputNames(const CompileRequest& request, bool scalable) {
  OutputNames names;
  names.list =
      request.listDirectory + request.skinName + (scalable ? "_MIFList.txt" : "_MBMList.txt");
  names.skn = request.targetDirectory + request.skinName + ".skn";
  names.pkg = request.targetDirectory + request.skinName + ".pkg";
  if (request.drmMode) names.drm = request.targetDirectory + "datafiles.def";
  return names;
}

// Refuses, before anything is written, names that do not fit their fields.
// The generation list's name limit also keeps the skin name within the 507
// bytes that its ".mbm" and ".mif" names may take in the SKN file.
void checkOutputNames(const CompileRequest& request) {
  OutputNames names = composeOutputNames(request, false);
  const std::pair<const std::string*, const char*> kinds[] = {{&names.list, "MBM/MIF list"},
                                                              {&names.skn, "SKN file"},
                                                              {&names.pkg, "PKG file"},
                                                              {&names.drm, "DRM definition file"}};
  for (const auto& [name, kind] : kinds) {
    if (name->size() > kMaxOutputFileName) {
      throw CKrvException(
          kErrorFileOpen,
          std::string("Output file name longer than 519 characters for the ") + kind,
          DiagnosticCode::kOutputName);
    }
  }
}

}  // namespace

void Compilation::PlacingSink::diagnostic(const DiagnosticEvent& event) {
  if (!owner_.observer_.wantsPlaces || !owner_.parsing_ || event.span.known() ||
      owner_.lexer_.tokenLine <= 0) {
    owner_.observer_.diagnostic(event);
    return;
  }
  DiagnosticEvent placed = event;
  placed.span = owner_.lexer_.tokenSpan();
  placed.file = owner_.request_.sourceName;
  std::string suggestion = owner_.suggestionFor(placed);
  placed.suggestion = suggestion;
  owner_.observer_.diagnostic(placed);
}

std::string Compilation::suggestionFor(const DiagnosticEvent& event) {
  if (!request_.suggest || !parsing_ || event.file != request_.sourceName) return {};
  // The span's text, when it lies in the last token.
  const Span& span = event.span;
  if (span.line != lexer_.tokenLine || span.endLine != span.line ||
      span.column < lexer_.tokenColumn || span.endColumn > lexer_.tokenEndColumn ||
      span.endColumn <= span.column) {
    return {};
  }
  std::u16string_view token = lexer_.token;
  size_t start = static_cast<size_t>(span.column - lexer_.tokenColumn);
  if (start >= token.size()) return {};
  std::u16string_view text = token.substr(start, static_cast<size_t>(span.endColumn - span.column));
  SuggestionSources sources;
  sources.registry = &registry_;
  sources.imageFiles = [this]() {
    std::string directory = content_ ? narrowCopy(content_->bitmapPath()) : std::string();
    auto [listing, added] = imageListings_.try_emplace(directory);
    if (added) listing->second = inputs_.listFiles(directory);
    return listing->second;
  };
  std::vector<std::string> found = suggestReplacements(event.message, text, sources);
  return found.empty() ? std::string() : found[0];
}

Compilation::Compilation(const CompileRequest& request, FileSystem& inputs, FileSystem& outputs,
                         Clock& clock, CompilationObserver& observer)
    : request_(request),
      inputs_(inputs),
      outputs_(outputs),
      clock_(clock),
      observer_(observer),
      sink_(*this) {}

Compilation::~Compilation() = default;

void Compilation::note(DiagnosticCode code, std::string_view text) {
  report(sink_, code, text);
}

void Compilation::reportError(const CKrvException& error, bool fromExtensionList) {
  DiagnosticEvent event;
  event.code = error.diagnosticCode();
  event.message = error.message;
  event.errorClass = error.code;
  event.reportLine = lexer_.currentLine;
  event.span = error.span;
  if (!event.span.known() && parsing_ && lexer_.tokenLine > 0) event.span = lexer_.tokenSpan();
  event.related = error.related;
  event.relatedMessage = error.relatedMessage;
  if (event.span.known()) {
    event.file = fromExtensionList ? request_.extensionListFile : request_.sourceName;
  }
  std::string suggestion = fromExtensionList ? std::string() : suggestionFor(event);
  event.suggestion = suggestion;
  observer_.diagnostic(event);
}

void Compilation::printParameterSummary() {
  const CompileRequest& r = request_;
  CompilationObserver& out = observer_;
  out.progress("Phase 0: Parameter summary.\n");
  out.progress("  Source file: " + r.sourceName + "\n");
  out.progress("  Skin name: " + r.skinName + "\n");
  if (!r.listDirectory.empty()) out.progress("  MBM/MIF list path: " + r.listDirectory + "\n");
  if (!r.targetDirectory.empty()) out.progress("  SKN output path: " + r.targetDirectory + "\n");
  if (!r.systemPath.empty()) out.progress("  System skin output path: " + r.systemPath + "\n");
  if (r.forceSystem) out.progress("  Forcing skin type to be SYSTEM\n");
  if (r.forceNormal) out.progress("  Forcing skin type to be NORMAL\n");
  if (r.drmMode) out.progress("  DRM compatibility mode, PKG generation will be altered\n");
}

void Compilation::parseSource() {
  observer_.progress("\nPhase 1: Input parsing.\n");
  observer_.progress("  Opening source file " + request_.sourceName + " ...\n");
  parsing_ = true;
  if (request_.readSourceFile) {
    lexer_.open(inputs_, request_.sourceName);
  } else {
    lexer_.open(std::make_unique<BytesInputFile>(request_.sourceBytes));
  }
  observer_.progress("  Parsing file ...\n");
  content_->expectDescriptionSize(lexer_.inputSize());
  content_->setBitmapPath(u".\\");
  {
    DescParser parser(*content_, lexer_, registry_, sink_);
    parser.dropQuietLines(observer_.dropsQuietLines);
    // An observer without places has no use for where each item was defined.
    if (!observer_.wantsPlaces) content_->setDefinitionPlace(nullptr);
    if (request_.allErrors) {
      parser.goOnAfterErrors([this](const CKrvException& error) {
        reportError(error, false);
        ++parseErrors_;
        return request_.errorLimit <= 0 || parseErrors_ < request_.errorLimit;
      });
    }
    parser.parse();
  }
  parsing_ = false;
  observer_.progress("  Completed.\n");
  lexer_.currentLine = -1;
  content_->recordProbedFiles(nullptr);
  // The outputs need neither the extension rows nor the model's indexes: a
  // big skin writes its outputs in less memory without them.
  content_->finishDefinitions();
  registry_.loadBuiltins();
  if (afterParse_ != nullptr) afterParse_();
}

// Applies the force switches, reports the type and refuses system skins.
void Compilation::settleSkinType() {
  SkinContent& content = *content_;
  const char* kNoEffect = "Scalable skin, force parameter has no effect.";
  if (request_.forceSystem) {
    if (content.isScalable()) {
      note(DiagnosticCode::kForceNoEffect, kNoEffect);
    } else {
      content.skinType |= kSkinTypeSystem;
    }
  }
  if (request_.forceNormal) {
    if (content.isScalable()) {
      note(DiagnosticCode::kForceNoEffect, kNoEffect);
    } else {
      content.skinType &= ~kSkinTypeSystem;
    }
  }
  bool system = !content.isScalable() && (content.skinType & kSkinTypeSystem) != 0;
  std::string text = "Skintype: ";
  text += content.isScalable() ? "Scalable " : system ? "System " : "Normal ";
  if ((content.skinType & 0x2) != 0) {
    text += "LangOverride=";
    text += ((content.skinType >> 8) & 0xFF) == 1 ? "AH " : "Unknown ";
    text += format("Parent=0x%08x 0x%08x", content.parentUidHigh, content.parentUidLow);
  }
  note(DiagnosticCode::kSkinType, text);
  if (system) {
    throw CKrvException(kErrorContent,
                        "System skins are no longer supported, please use scalable skin type "
                        "instead",
                        DiagnosticCode::kSystemSkin);
  }
}

void Compilation::writeOutputs() {
  const std::string& skinName = request_.skinName;
  if (request_.outputs == Outputs::kFiles) {
    refuseOutputsOverInputs(outputs_, {&names_.list, &names_.skn, &names_.pkg, &names_.drm},
                            request_.readSourceFile ? request_.sourceName : std::string(),
                            request_.extensionListFile);
  }
  observer_.beforeOutputs(names_, request_);
  observer_.progress("\nPhase 2: Output for MBM/MIF generation.\n");
  observer_.progress("  Writing MBM/MIF list for " + skinName + " to " + names_.list + " ...\n");
  MbmListWriter(outputs_).write(*content_, skinName, names_.list);
  observer_.progress("  Completed.\n");

  observer_.progress("\nPhase 3: Output for skin content.\n");
  if (!request_.systemPath.empty()) {
    note(DiagnosticCode::kSystemPathUnused, "System skin CPP/MMP path not used.");
  }
  observer_.progress("  Skipping CPP and MMP file creation (non-system skin).\n");
  observer_.progress("  Writing SKN file (that uses MBM/MIF " + skinName + ") to " + names_.skn +
                     " ...\n");
  SknWriter(outputs_, clock_).write(*content_, skinName, names_.skn);
  observer_.progress("  Completed.\n");
  std::string pkgLine = "  Writing PKG file for " + skinName + " to " + names_.pkg + " ";
  if (request_.drmMode) pkgLine += "\n    and DRM definition file to " + names_.drm + " ";
  observer_.progress(pkgLine + "...\n");
  PkgWriter(outputs_).write(*content_, skinName, names_.pkg, names_.drm);
  observer_.progress("  Completed.\n");
  observer_.outputsWritten(names_, probed_ ? &*probed_ : nullptr);
}

// Phases 1 to 3; every error leaves by exception.
void Compilation::runPhases() {
  checkOutputNames(request_);

  // The description and the extension list lead the files the compile
  // depends on; the model adds every image and mask file it looks for.
  if (recordProbed_) {
    probed_.emplace();
    probed_->add(request_.sourceName);
    if (!request_.extensionListFile.empty()) probed_->add(request_.extensionListFile);
    content_->recordProbedFiles(&*probed_);
  }
  content_->setStrictFiles(request_.strict);

  parseSource();
  if (parseErrors_ > 0) return;  // nothing is written after an error
  settleSkinType();
  SkinContent& content = *content_;
  if (content.ahOverrideLow != 0) {
    note(DiagnosticCode::kAhOverride, format("Associated A&H override is: 0x%08x 0x%08x",
                                             content.ahOverrideHigh, content.ahOverrideLow));
  }
  if (content.packageIdHigh == 0 && content.packageIdLow == 0) {
    generatePackageId(content, lexer_.characterSum(), clock_.now());
    note(DiagnosticCode::kGeneratedPackageId,
         format("Generated package ID for this skin is 0x%08x 0x%08x", content.packageIdHigh,
                content.packageIdLow));
  }
  names_ = composeOutputNames(request_, content.isScalable());
  writeOutputs();
}

int Compilation::run() {
  try {
    loadItemIds(registry_, inputs_, sink_, request_.extensionListFile);
  } catch (const CKrvException& e) {
    reportError(e, true);
    return 3;
  } catch (const std::bad_alloc&) {
    reportError(CKrvException(kErrorInternal, "Not enough memory to compile this skin",
                              DiagnosticCode::kOutOfMemory),
                true);
    return 3;
  }

  printParameterSummary();

  bool errorSeen = false;
  content_ = std::make_unique<SkinContent>(inputs_, sink_);
  auto frameError = [&](const CKrvException& e) {
    observer_.progress(kDashFrame);
    reportError(e, false);
    observer_.progress(kDashFrame.substr(1));
    errorSeen = true;
  };
  try {
    // Running out of memory (a skin too big for the machine) ends the run
    // like every other error instead of aborting it.
    try {
      runPhases();
    } catch (const std::bad_alloc&) {
      throw CKrvException(kErrorInternal, "Not enough memory to compile this skin",
                          DiagnosticCode::kOutOfMemory);
    }
  } catch (const CKrvException& e) {
    frameError(e);
  }
  parsing_ = false;
  if (leaveModel_) {
    static_cast<void>(content_.release());
  } else {
    content_.reset();
  }
  return errorSeen || parseErrors_ > 0 ? 2 : 0;
}

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

uint64_t clockTimeOfEpochSeconds(int64_t seconds) {
  constexpr uint64_t kUnitsPerSecond = 10000000;
  constexpr uint64_t kBefore = kUnixEpoch / kUnitsPerSecond;
  constexpr uint64_t kAfter = (std::numeric_limits<uint64_t>::max() - kUnixEpoch) / kUnitsPerSecond;
  if (seconds < 0) {
    uint64_t back = 0 - static_cast<uint64_t>(seconds);
    return back >= kBefore ? 0 : kUnixEpoch - back * kUnitsPerSecond;
  }
  return kUnixEpoch + std::min(static_cast<uint64_t>(seconds), kAfter) * kUnitsPerSecond;
}

}  // namespace korvane
