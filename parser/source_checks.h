// Checks of the description's text for what compiles without an error but is
// not what the author wrote: numbers wider than the field they go into (the
// value is cut), an encoding the reader takes for another, lines that look
// like comments but are read as elements, paths that mix "/" and "\". They
// read the text as the reader does (comment lines skipped, strings left
// alone) and never change what is compiled.
#ifndef KORVANE_PARSER_SOURCE_CHECKS_H
#define KORVANE_PARSER_SOURCE_CHECKS_H

#include <string>
#include <string_view>
#include <vector>

#include "base/source_lines.h"

namespace korvane {

struct SourceWarning {
  std::string code;
  std::string message;
  int line = 0;
  int column = 0;     // from 1, in UTF-16 units of the line
  int endColumn = 0;  // just after the range
  std::vector<std::string> suggestions;
};

// Where the description sets the bitmap path: the line and the path
// ("" for the automatic one).
struct BitmapPathChange {
  int line = 0;
  std::u16string path;
};

struct SourceCheckResult {
  std::vector<SourceWarning> warnings;
  std::vector<BitmapPathChange> bitmapPaths;

  // The bitmap path in force on `line` ("" before any BITMAPPATH).
  std::u16string_view bitmapPathAt(int line) const;
};

SourceCheckResult checkSourceText(std::string_view bytes, const SourceLines& lines);

}  // namespace korvane

#endif
