// The one error type of the compiler. Whatever cannot go on raises a
// CKrvException; only the program entry catches it and prints the report.
#ifndef KORVANE_BASE_ERROR_H
#define KORVANE_BASE_ERROR_H

#include <cstdint>
#include <string>

#include "base/diagnostics.h"
#include "base/platform.h"

namespace korvane {

// Error codes and what each stands for.
enum ErrorCode : int32_t {
  kErrorInternal = 0,  // inconsistencies found while writing outputs
  kErrorFileOpen = 1,  // a file that cannot be opened (or written)
  kErrorPrematureEnd = 2,
  kErrorSeek = 3,
  kErrorParse = 4,    // syntax and parameter errors of the source and the extension list
  kErrorContent = 5,  // errors in what the skin defines
};

class CKrvException {
 public:
  static constexpr size_t kMaxMessage = 511;

  // Messages longer than 511 characters are cut to 511. `diagnostic` names
  // the kind of error (none: the error class's general code).
  CKrvException(int32_t code, std::string message,
                DiagnosticCode diagnostic = DiagnosticCode::kNone);
  virtual ~CKrvException() = default;
  CKrvException(const CKrvException&) = default;
  CKrvException& operator=(const CKrvException&) = default;

  // Prints the report to standard error and then standard output; `currentLine`
  // is the source reader's line (negative: the report names no line).
  void reportError(Console& console, int32_t currentLine) const;

  // The code of the diagnostic this error becomes.
  DiagnosticCode diagnosticCode() const {
    return diagnostic != DiagnosticCode::kNone ? diagnostic : defaultErrorCode(code);
  }

  int32_t code;
  std::string message;
  DiagnosticCode diagnostic;
  // Where the error is, when the raising room knows better than the reader's
  // last token; and another place it points to (the block's start, the
  // first definition).
  Span span;
  Span related;
  std::string relatedMessage;
};

// The line of the error report that names the code.
const char* errorCodeLine(int32_t code);

// The error report of an error of class `code` (see reportError).
void printErrorReport(Console& console, int32_t code, std::string_view message,
                      int32_t currentLine);

}  // namespace korvane

#endif
