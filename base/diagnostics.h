// Diagnostics: everything a compilation has to say about its input, as
// values. Each has a kind (the report's NOTE/WARNING/INFO/DEBUG prefix, or an
// error), a stable code from one table, its text, the place it is about and,
// for the report, the line of its " (line N)" suffix. Rooms hand them to a
// DiagnosticSink; the report on the console is one sink among others.
#ifndef KORVANE_BASE_DIAGNOSTICS_H
#define KORVANE_BASE_DIAGNOSTICS_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/platform.h"

namespace korvane {

enum class DiagnosticKind : uint8_t { kNote, kWarning, kInfo, kDebug, kError };

// Every kind of diagnostic; kDiagnosticCodes holds their names in this order.
enum class DiagnosticCode : uint16_t {
  kNone,
  // Errors of one error class with no code of their own.
  kInternalError,
  kFileError,
  kPrematureEnd,
  kSeekFailed,
  kParseError,
  kContentError,
  // Errors.
  kOutOfMemory,
  kFileOpen,
  kOutputName,
  kOutputOverInput,
  kUnknownElement,
  kExpectedToken,
  kMissingItemId,
  kNoItemMatch,
  kMissingEnd,
  kItemAlreadyDefined,
  kLanguageNameDefined,
  kFrameElements,
  kScalableOnly,
  kSystemSkin,
  kExtensionListEntry,
  // Notes, warnings, INFO and DEBUG lines.
  kUnknownTokenDebug,
  kGeneratedItemId,
  kInheritedRestriction,
  kKnownItemInRestrictedCompound,
  kRestrictedReferenceShared,
  kRestrictedReference,
  kUnrestrictedReferenceInCompound,
  kMaskAlreadyDefined,
  kTileWithMask,
  kRestrictionSet,
  kRestrictionCleared,
  kRestrictionInNormalSkin,
  kRestrictionStripped,
  kBitmapPath,
  kTrailingBackslash,
  kMissingImageFile,
  kAppIconOutsideClass,
  kReferenceToMissingItem,
  kExtensionListReading,
  kExtensionListRead,
  kForceNoEffect,
  kSkinType,
  kAhOverride,
  kGeneratedPackageId,
  kSystemPathUnused,
  kCount,
};

struct DiagnosticCodeInfo {
  DiagnosticCode id;
  // The stable name tools see: "parse.unknown-element", ...
  std::string_view name;
  DiagnosticKind kind;
  // One line for rule lists.
  std::string_view description;
};

// The table of every diagnostic code, in the order of DiagnosticCode (kNone
// left out). Defined once, in diagnostics.cpp.
const DiagnosticCodeInfo* diagnosticCodeTable(size_t& count);
const DiagnosticCodeInfo& diagnosticCodeInfo(DiagnosticCode code);
// The code of an error without a code of its own, by its error class.
DiagnosticCode defaultErrorCode(int32_t errorClass);

// A range of the source: lines from 1, columns from 1 in UTF-16 units of the
// line; the end is just after the last unit. Line 0: no place.
struct Span {
  int32_t line = 0;
  int32_t column = 0;
  int32_t endLine = 0;
  int32_t endColumn = 0;

  bool known() const { return line > 0; }
};

// One diagnostic, as it is handed to a sink; the texts are valid during the call.
struct DiagnosticEvent {
  DiagnosticCode code = DiagnosticCode::kNone;
  std::string_view message;
  // The report's line: the " (line N)" suffix of a note, the "when parsing
  // line N" of an error; negative for none.
  int32_t reportLine = -1;
  // The file the span lies in (empty with no span).
  std::string_view file;
  Span span;
  // Errors: the error class (0 to 5) of the report.
  int32_t errorClass = -1;
  // Another place it points to, with what that place is; not known: none.
  Span related;
  std::string_view relatedMessage;
  // A replacement text for the span ("did you mean"); empty: none.
  std::string_view suggestion;

  DiagnosticKind kind() const { return diagnosticCodeInfo(code).kind; }
};

class DiagnosticSink {
 public:
  virtual ~DiagnosticSink() = default;
  virtual void diagnostic(const DiagnosticEvent& event) = 0;
};

// A sink that keeps nothing.
class NullDiagnosticSink : public DiagnosticSink {
 public:
  void diagnostic(const DiagnosticEvent&) override {}
};

// Reports a note, warning, INFO or DEBUG line without a line suffix.
void report(DiagnosticSink& sink, DiagnosticCode code, std::string_view text);
// The same with the " (line N)" suffix of `line`.
void reportAt(DiagnosticSink& sink, DiagnosticCode code, std::string_view text, int32_t line);

// The report's diagnostic lines on a console: prefix + text (+ " (line N)")
// + "\n" on standard output, each line written in one piece. Quiet drops the
// NOTE, INFO and DEBUG lines. Errors are not lines: they are left to the
// error report (this sink ignores them).
class ConsoleDiagnostics : public DiagnosticSink {
 public:
  explicit ConsoleDiagnostics(Console& console, bool quiet = false)
      : console_(console), quiet_(quiet) {}
  void diagnostic(const DiagnosticEvent& event) override;

 private:
  Console& console_;
  bool quiet_;
};

}  // namespace korvane

#endif
