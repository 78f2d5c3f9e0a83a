#include "base/diagnostics.h"

#include <charconv>
#include <string>

#include "base/error.h"

namespace korvane {

namespace {

using K = DiagnosticKind;
using C = DiagnosticCode;

constexpr DiagnosticCodeInfo kCodes[] = {
    {C::kInternalError, "internal.error", K::kError,
     "An inconsistency found while writing the outputs"},
    {C::kFileError, "file.error", K::kError, "A file that cannot be opened, read or written"},
    {C::kPrematureEnd, "source.premature-end", K::kError,
     "The description is too short to tell its encoding"},
    {C::kSeekFailed, "source.seek-failed", K::kError,
     "The description cannot be read again after its encoding was told"},
    {C::kParseError, "parse.error", K::kError,
     "A syntax or parameter error of the description or the extension list"},
    {C::kContentError, "content.error", K::kError, "An error in what the skin defines"},
    {C::kOutOfMemory, "internal.out-of-memory", K::kError,
     "Not enough memory to compile this skin"},
    {C::kFileOpen, "file.open", K::kError, "The description cannot be opened"},
    {C::kOutputName, "file.output-name-too-long", K::kError,
     "An output file name longer than 519 characters"},
    {C::kOutputOverInput, "file.output-over-input", K::kError,
     "An output file would replace the description or the extension list"},
    {C::kUnknownElement, "parse.unknown-element", K::kError,
     "A token that starts no element of the description language"},
    {C::kExpectedToken, "parse.expected-token", K::kError,
     "SKINTYPE or NAME missing where the description must give it"},
    {C::kMissingItemId, "parse.missing-iid", K::kError,
     "An item element without its IID parameter"},
    {C::kNoItemMatch, "parse.no-item-match", K::kError,
     "An item name that names no item identifier of the registry"},
    {C::kMissingEnd, "parse.missing-end", K::kError, "A block element without its END token"},
    {C::kItemAlreadyDefined, "content.item-already-defined", K::kError,
     "A second item with the same identifier and restriction"},
    {C::kLanguageNameDefined, "content.language-name-defined", K::kError,
     "A second NAME for the same language"},
    {C::kFrameElements, "content.frame-elements", K::kError, "A FRAME with other than 9 elements"},
    {C::kScalableOnly, "content.scalable-only", K::kError,
     "SCALABLEITEM or ANIMATION in a skin that is not scalable"},
    {C::kSystemSkin, "content.system-skin", K::kError, "System skins are no longer supported"},
    {C::kExtensionListEntry, "extension-list.iid-expected", K::kError,
     "An entry of the item-ID extension list that does not start with IID"},
    {C::kUnknownTokenDebug, "debug.unknown-token", K::kDebug,
     "The token of an unknown element, shown before its error"},
    {C::kGeneratedItemId, "note.generated-iid", K::kNote,
     "An item identifier generated for an image file that names no registry item"},
    {C::kInheritedRestriction, "note.restriction-inherited", K::kNote,
     "A generated identifier takes the restriction of its compound"},
    {C::kKnownItemInRestrictedCompound, "note.known-iid-in-restricted-compound", K::kNote,
     "A known identifier inside a restricted compound; relative validity not checked"},
    {C::kRestrictedReferenceShared, "note.restricted-reference-shared", K::kNote,
     "A restricted reference that shares the restriction of its compound"},
    {C::kRestrictedReference, "warning.restricted-reference", K::kWarning,
     "A restricted reference whose relative validity cannot be checked"},
    {C::kUnrestrictedReferenceInCompound, "note.unrestricted-reference-in-compound", K::kNote,
     "An unrestricted reference inside a restricted compound"},
    {C::kMaskAlreadyDefined, "note.mask-already-defined", K::kNote,
     "A second mask for one image source, ignored"},
    {C::kTileWithMask, "warning.tile-with-mask", K::kWarning,
     "The TILE attribute on a masked bitmap"},
    {C::kRestrictionSet, "note.restriction-set", K::kNote, "A RESTRICTION element took effect"},
    {C::kRestrictionCleared, "note.restriction-cleared", K::kNote,
     "RESTRICTION NONE cleared the current restriction"},
    {C::kRestrictionInNormalSkin, "warning.restriction-in-normal-skin", K::kWarning,
     "A RESTRICTION element in a skin that is not scalable"},
    {C::kRestrictionStripped, "warning.restriction-stripped", K::kWarning,
     "A restriction prefix of an image file name left out of its item-name match"},
    {C::kBitmapPath, "note.bitmap-path", K::kNote, "BITMAPPATH set the path of image files"},
    {C::kTrailingBackslash, "note.trailing-backslash", K::kNote,
     "A backslash appended to a bitmap path"},
    {C::kMissingImageFile, "note.missing-image-file", K::kNote,
     "An image file that does not exist; its item is left out"},
    {C::kAppIconOutsideClass, "warning.appicon-outside-class", K::kWarning,
     "An application icon that uses a bitmap outside its class"},
    {C::kReferenceToMissingItem, "info.reference-to-missing-item", K::kInfo,
     "A reference to an item that is not defined (yet)"},
    {C::kExtensionListReading, "note.extension-list-reading", K::kNote,
     "The item-ID extension list is being read"},
    {C::kExtensionListRead, "note.extension-list-read", K::kNote,
     "The item-ID extension list was read"},
    {C::kForceNoEffect, "warning.force-no-effect", K::kWarning,
     "A force switch on a scalable skin, without effect"},
    {C::kSkinType, "note.skin-type", K::kNote, "The type the skin is compiled as"},
    {C::kAhOverride, "note.ah-override", K::kNote, "The associated A&H override"},
    {C::kGeneratedPackageId, "note.generated-package-id", K::kNote,
     "A package identifier generated for a skin that gives none"},
    {C::kSystemPathUnused, "warning.system-path-unused", K::kWarning,
     "The system skin output path is not used"},
};

constexpr size_t kCodeCount = sizeof kCodes / sizeof kCodes[0];
static_assert(kCodeCount + 1 == static_cast<size_t>(DiagnosticCode::kCount),
              "one table row per diagnostic code");

constexpr bool rowsInOrder() {
  for (size_t i = 0; i < kCodeCount; ++i) {
    if (static_cast<size_t>(kCodes[i].id) != i + 1) return false;
  }
  return true;
}
static_assert(rowsInOrder(), "table rows in the order of DiagnosticCode");

constexpr DiagnosticCodeInfo kNoCode = {C::kNone, "", K::kNote, ""};

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

const DiagnosticCodeInfo* diagnosticCodeTable(size_t& count) {
  count = kCodeCount;
  return kCodes;
}

const DiagnosticCodeInfo& diagnosticCodeInfo(DiagnosticCode code) {
  auto at = static_cast<size_t>(code);
  return at >= 1 && at <= kCodeCount ? kCodes[at - 1] : kNoCode;
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
void ConsoleDiagnostics::diagnostic(const DiagnosticEvent& event) {
  DiagnosticKind kind = event.kind();
  if (kind == K::kError) return;
  if (quiet_ && kind != K::kWarning) return;
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
  console_.out(line);
}

}  // namespace korvane
