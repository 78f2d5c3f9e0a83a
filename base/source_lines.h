// A source file's lines as its reader sees their characters: UTF-16 behind
// the little-endian byte-order mark, UTF-8 behind its mark, else one
// character per byte. Lines end at line feeds; a carriage return before one
// is no part of the line. For excerpts and checks of the text, not for
// parsing.
#ifndef KORVANE_BASE_SOURCE_LINES_H
#define KORVANE_BASE_SOURCE_LINES_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class SourceLines {
 public:
  enum class Encoding { kEightBit, kUtf16, kUtf8 };

  SourceLines() = default;
  explicit SourceLines(std::string_view bytes);
  // Line `number` (from 1) without its line end; empty past the end.
  std::u16string_view line(int number) const;
  int count() const { return static_cast<int>(starts_.size()); }
  Encoding encoding() const { return encoding_; }

 private:
  Encoding encoding_ = Encoding::kEightBit;
  std::u16string text_;
  std::vector<size_t> starts_;  // where each line starts in text_
};

}  // namespace korvane

#endif
