#include "base/error.h"

#include "base/text.h"

namespace korvane {

CKrvException::CKrvException(int32_t code, std::string message, DiagnosticCode diagnostic)
    : code(code), message(std::move(message)), diagnostic(diagnostic) {
  if (this->message.size() > kMaxMessage) this->message.resize(kMaxMessage);
}

const char* errorCodeLine(int32_t code) {
  switch (code) {
    case kErrorInternal:
      return "Unknown error\n";
    case kErrorFileOpen:
      return "Error while opening a file\n";
    case kErrorPrematureEnd:
      return "Premature end of input\n";
    case kErrorSeek:
      return "Seek operation failed\n";
    case kErrorParse:
      return "Parse error\n";
    case kErrorContent:
      return "Error in skin content\n";
    default:
      return "Internal error, missing description\n";
  }
}

void CKrvException::reportError(Console& console, int32_t currentLine) const {
  printErrorReport(console, code, message, currentLine);
}

void printErrorReport(Console& console, int32_t code, std::string_view message,
                      int32_t currentLine) {
  // Each piece goes to standard error first, then to standard output.
  auto both = [&console](const std::string& piece) {
    console.err(piece);
    console.out(piece);
  };
  both(currentLine >= 0 ? format("An exception occured (when parsing line %i):\n  ", currentLine)
                        : std::string("An exception occured:\n  "));
  both(errorCodeLine(code));
  std::string last = "  ";
  last.append(message);
  last.push_back('\n');
  both(last);
}

}  // namespace korvane
