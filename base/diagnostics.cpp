#include "base/diagnostics.h"

#include <charconv>
#include <string>

#include "base/error.h"

// The table of every code: its identifier, its name, its kind and its
// description. The texts go into one block of characters each, found by
// offsets, so the table needs no relocation when the program is loaded.
#define KORVANE_DIAGNOSTIC_CODES(X)                                                                \
  X(DiagnosticCode::kInternalError, "internal.error", DiagnosticKind::kError,                      \
    "An inconsistency found while writing the outputs")                                            \
  X(DiagnosticCode::kFileError, "file.error", DiagnosticKind::kError,                              \
    "A file that cannot be opened, read or written")                                               \
  X(DiagnosticCode::kPrematureEnd, "source.premature-end", DiagnosticKind::kError,                 \
    "The description is too short to tell its encoding")                                           \
  X(DiagnosticCode::kSeekFailed, "source.seek-failed", DiagnosticKind::kError,                     \
    "The description cannot be read again after its encoding was told")                            \
  X(DiagnosticCode::kParseError, "parse.error", DiagnosticKind::kError,                            \
    "A syntax or parameter error of the description or the extension list")                        \
  X(DiagnosticCode::kContentError, "content.error", DiagnosticKind::kError,                        \
    "An error in what the skin defines")                                                           \
  X(DiagnosticCode::kOutOfMemory, "internal.out-of-memory", DiagnosticKind::kError,                \
    "Not enough memory to compile this skin")                                                      \
  X(DiagnosticCode::kFileOpen, "file.open", DiagnosticKind::kError,                                \
    "The description cannot be opened")                                                            \
  X(DiagnosticCode::kOutputName, "file.output-name-too-long", DiagnosticKind::kError,              \
    "An output file name longer than 519 characters")                                              \
  X(DiagnosticCode::kOutputOverInput, "file.output-over-input", DiagnosticKind::kError,            \
    "An output file would replace the description or the extension list")                          \
  X(DiagnosticCode::kUnknownElement, "parse.unknown-element", DiagnosticKind::kError,              \
    "A token that starts no element of the description language")                                  \
  X(DiagnosticCode::kExpectedToken, "parse.expected-token", DiagnosticKind::kError,                \
    "SKINTYPE or NAME missing where the description must give it")                                 \
  X(DiagnosticCode::kMissingItemId, "parse.missing-iid", DiagnosticKind::kError,                   \
    "An item element without its IID parameter")                                                   \
  X(DiagnosticCode::kNoItemMatch, "parse.no-item-match", DiagnosticKind::kError,                   \
    "An item name that names no item identifier of the registry")                                  \
  X(DiagnosticCode::kMissingEnd, "parse.missing-end", DiagnosticKind::kError,                      \
    "A block element without its END token")                                                       \
  X(DiagnosticCode::kItemAlreadyDefined, "content.item-already-defined", DiagnosticKind::kError,   \
    "A second item with the same identifier and restriction")                                      \
  X(DiagnosticCode::kLanguageNameDefined, "content.language-name-defined", DiagnosticKind::kError, \
    "A second NAME for the same language")                                                         \
  X(DiagnosticCode::kFrameElements, "content.frame-elements", DiagnosticKind::kError,              \
    "A FRAME with other than 9 elements")                                                          \
  X(DiagnosticCode::kScalableOnly, "content.scalable-only", DiagnosticKind::kError,                \
    "SCALABLEITEM or ANIMATION in a skin that is not scalable")                                    \
  X(DiagnosticCode::kSystemSkin, "content.system-skin", DiagnosticKind::kError,                    \
    "System skins are no longer supported")                                                        \
  X(DiagnosticCode::kExtensionListEntry, "extension-list.iid-expected", DiagnosticKind::kError,    \
    "An entry of the item-ID extension list that does not start with IID")                         \
  X(DiagnosticCode::kUnknownTokenDebug, "debug.unknown-token", DiagnosticKind::kDebug,             \
    "The token of an unknown element, shown before its error")                                     \
  X(DiagnosticCode::kGeneratedItemId, "note.generated-iid", DiagnosticKind::kNote,                 \
    "An item identifier generated for an image file that names no registry item")                  \
  X(DiagnosticCode::kInheritedRestriction, "note.restriction-inherited", DiagnosticKind::kNote,    \
    "A generated identifier takes the restriction of its compound")                                \
  X(DiagnosticCode::kKnownItemInRestrictedCompound, "note.known-iid-in-restricted-compound",       \
    DiagnosticKind::kNote,                                                                         \
    "A known identifier inside a restricted compound; relative validity not checked")              \
  X(DiagnosticCode::kRestrictedReferenceShared, "note.restricted-reference-shared",                \
    DiagnosticKind::kNote, "A restricted reference that shares the restriction of its compound")   \
  X(DiagnosticCode::kRestrictedReference, "warning.restricted-reference",                          \
    DiagnosticKind::kWarning, "A restricted reference whose relative validity cannot be checked")  \
  X(DiagnosticCode::kUnrestrictedReferenceInCompound, "note.unrestricted-reference-in-compound",   \
    DiagnosticKind::kNote, "An unrestricted reference inside a restricted compound")               \
  X(DiagnosticCode::kMaskAlreadyDefined, "note.mask-already-defined", DiagnosticKind::kNote,       \
    "A second mask for one image source, ignored")                                                 \
  X(DiagnosticCode::kTileWithMask, "warning.tile-with-mask", DiagnosticKind::kWarning,             \
    "The TILE attribute on a masked bitmap")                                                       \
  X(DiagnosticCode::kRestrictionSet, "note.restriction-set", DiagnosticKind::kNote,                \
    "A RESTRICTION element took effect")                                                           \
  X(DiagnosticCode::kRestrictionCleared, "note.restriction-cleared", DiagnosticKind::kNote,        \
    "RESTRICTION NONE cleared the current restriction")                                            \
  X(DiagnosticCode::kRestrictionInNormalSkin, "warning.restriction-in-normal-skin",                \
    DiagnosticKind::kWarning, "A RESTRICTION element in a skin that is not scalable")              \
  X(DiagnosticCode::kRestrictionStripped, "warning.restriction-stripped",                          \
    DiagnosticKind::kWarning,                                                                      \
    "A restriction prefix of an image file name left out of its item-name match")                  \
  X(DiagnosticCode::kBitmapPath, "note.bitmap-path", DiagnosticKind::kNote,                        \
    "BITMAPPATH set the path of image files")                                                      \
  X(DiagnosticCode::kTrailingBackslash, "note.trailing-backslash", DiagnosticKind::kNote,          \
    "A backslash appended to a bitmap path")                                                       \
  X(DiagnosticCode::kMissingImageFile, "note.missing-image-file", DiagnosticKind::kNote,           \
    "An image file that does not exist; its item is left out")                                     \
  X(DiagnosticCode::kAppIconOutsideClass, "warning.appicon-outside-class",                         \
    DiagnosticKind::kWarning, "An application icon that uses a bitmap outside its class")          \
  X(DiagnosticCode::kReferenceToMissingItem, "info.reference-to-missing-item",                     \
    DiagnosticKind::kInfo, "A reference to an item that is not defined (yet)")                     \
  X(DiagnosticCode::kExtensionListReading, "note.extension-list-reading", DiagnosticKind::kNote,   \
    "The item-ID extension list is being read")                                                    \
  X(DiagnosticCode::kExtensionListRead, "note.extension-list-read", DiagnosticKind::kNote,         \
    "The item-ID extension list was read")                                                         \
  X(DiagnosticCode::kForceNoEffect, "warning.force-no-effect", DiagnosticKind::kWarning,           \
    "A force switch on a scalable skin, without effect")                                           \
  X(DiagnosticCode::kSkinType, "note.skin-type", DiagnosticKind::kNote,                            \
    "The type the skin is compiled as")                                                            \
  X(DiagnosticCode::kAhOverride, "note.ah-override", DiagnosticKind::kNote,                        \
    "The associated A&H override")                                                                 \
  X(DiagnosticCode::kGeneratedPackageId, "note.generated-package-id", DiagnosticKind::kNote,       \
    "A package identifier generated for a skin that gives none")                                   \
  X(DiagnosticCode::kSystemPathUnused, "warning.system-path-unused", DiagnosticKind::kWarning,     \
    "The system skin output path is not used")

namespace korvane {

namespace {

using K = DiagnosticKind;
using C = DiagnosticCode;

#define KORVANE_ID(id, name, kind, description) id,
#define KORVANE_NAME(id, name, kind, description) name "\0"
#define KORVANE_KIND(id, name, kind, description) kind,
#define KORVANE_DESCRIPTION(id, name, kind, description) description "\0"
constexpr DiagnosticCode kIds[] = {KORVANE_DIAGNOSTIC_CODES(KORVANE_ID)};
constexpr char kNames[] = KORVANE_DIAGNOSTIC_CODES(KORVANE_NAME);
constexpr DiagnosticKind kKinds[] = {KORVANE_DIAGNOSTIC_CODES(KORVANE_KIND)};
constexpr char kDescriptions[] = KORVANE_DIAGNOSTIC_CODES(KORVANE_DESCRIPTION);
#undef KORVANE_ID
#undef KORVANE_NAME
#undef KORVANE_KIND
#undef KORVANE_DESCRIPTION

constexpr size_t kCodeCount = sizeof kIds / sizeof kIds[0];
static_assert(kCodeCount + 1 == static_cast<size_t>(DiagnosticCode::kCount),
              "one table row per diagnostic code");

constexpr bool rowsInOrder() {
  for (size_t i = 0; i < kCodeCount; ++i) {
    if (static_cast<size_t>(kIds[i]) != i + 1) return false;
  }
  return true;
}
static_assert(rowsInOrder(), "table rows in the order of DiagnosticCode");

// Where each text of a block starts; one more for the end of the last.
struct Offsets {
  uint16_t at[kCodeCount + 1] = {};
};
template <size_t N>
constexpr Offsets offsetsOf(const char (&block)[N]) {
  static_assert(N < 0xFFFF, "offsets fit 16 bits");
  Offsets offsets;
  size_t text = 0;
  for (size_t i = 0; i + 1 < N && text < kCodeCount; ++i) {
    if (block[i] == '\0') offsets.at[++text] = static_cast<uint16_t>(i + 1);
  }
  return offsets;
}
constexpr Offsets kNameOffsets = offsetsOf(kNames);
constexpr Offsets kDescriptionOffsets = offsetsOf(kDescriptions);

std::string_view textOf(const char* block, const Offsets& offsets, size_t row) {
  return std::string_view(block + offsets.at[row], offsets.at[row + 1] - offsets.at[row] - 1u);
}

std::string_view prefix(DiagnosticKind kind) {
  switch (kind) {
    case K::kNote:
      return "NOTE: ";
    case K::kWarning:
      return "WARNING: ";
    case K::kInfo:
      return "INFO: ";
    case K::kDebug:
      return "DEBUG: ";
    case K::kError:
      break;
  }
  return "";
}

}  // namespace

size_t diagnosticCodeCount() {
  return kCodeCount;
}

DiagnosticCodeInfo diagnosticCodeInfo(DiagnosticCode code) {
  auto at = static_cast<size_t>(code);
  if (at < 1 || at > kCodeCount) return DiagnosticCodeInfo{DiagnosticCode::kNone, "", K::kNote, ""};
  size_t row = at - 1;
  return DiagnosticCodeInfo{code, textOf(kNames, kNameOffsets, row), kKinds[row],
                            textOf(kDescriptions, kDescriptionOffsets, row)};
}

DiagnosticKind diagnosticKind(DiagnosticCode code) {
  auto at = static_cast<size_t>(code);
  return at >= 1 && at <= kCodeCount ? kKinds[at - 1] : K::kNote;
}

DiagnosticCode defaultErrorCode(int32_t errorClass) {
  switch (errorClass) {
    case kErrorFileOpen:
      return C::kFileError;
    case kErrorPrematureEnd:
      return C::kPrematureEnd;
    case kErrorSeek:
      return C::kSeekFailed;
    case kErrorParse:
      return C::kParseError;
    case kErrorContent:
      return C::kContentError;
    default:
      return C::kInternalError;
  }
}

void report(DiagnosticSink& sink, DiagnosticCode code, std::string_view text) {
  DiagnosticEvent event;
  event.code = code;
  event.message = text;
  sink.diagnostic(event);
}

void reportAt(DiagnosticSink& sink, DiagnosticCode code, std::string_view text, int32_t line) {
  DiagnosticEvent event;
  event.code = code;
  event.message = text;
  event.reportLine = line;
  sink.diagnostic(event);
}

// Lines are put together in one buffer that lives as long as the thread, so
// that the thousands of notes of a big skin allocate nothing.
void printDiagnosticLine(Console& console, const DiagnosticEvent& event, bool quiet) {
  DiagnosticKind kind = event.kind();
  if (kind == K::kError) return;
  if (quiet && kind != K::kWarning) return;
  thread_local std::string line;
  line.assign(prefix(kind));
  line.append(event.message);
  if (event.reportLine >= 0) {
    char number[16];
    auto end = std::to_chars(number, number + sizeof number, event.reportLine).ptr;
    line.append(" (line ");
    line.append(number, end);
    line.push_back(')');
  }
  line.push_back('\n');
  console.out(line);
}

}  // namespace korvane
