// An open document as the editor holds it: UTF-8 text, split into lines, with
// positions counted as the protocol counts them (lines from 0, columns in
// UTF-16 units of the line).
#ifndef KORVANE_LSP_TEXT_DOCUMENT_H
#define KORVANE_LSP_TEXT_DOCUMENT_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::lsp {

struct Position {
  int line = 0;
  int character = 0;
};

struct Range {
  Position start;
  Position end;
};

class TextDocument {
 public:
  TextDocument() = default;
  TextDocument(std::string uri, std::string text, long long version);

  const std::string& uri() const { return uri_; }
  const std::string& text() const { return text_; }
  long long version() const { return version_; }
  void replace(std::string text, long long version);

  int lineCount() const { return static_cast<int>(lineStarts_.size()); }
  // The line without its line feed (a carriage return before it stays).
  std::string_view line(int index) const;

 private:
  void splitLines();

  std::string uri_;
  std::string text_;
  long long version_ = 0;
  std::vector<size_t> lineStarts_;
};

// UTF-16 units of a piece of UTF-8 text (a byte that starts no valid sequence
// counts as one unit, as the compiler reads an 8-bit byte).
int utf16Length(std::string_view utf8);
// The byte offset in `line` of a UTF-16 column; the end of the line when the
// column lies beyond it.
size_t byteOffsetOfColumn(std::string_view line, int column);

// file:// URIs and host paths. Only "file" URIs name paths; others give "".
std::string uriToPath(std::string_view uri);
std::string pathToUri(std::string_view path);
// The directory part of a path ("" for a bare name) and the last part.
std::string directoryOf(std::string_view path);
std::string fileNameOf(std::string_view path);
std::string joinPath(std::string_view directory, std::string_view name);

}  // namespace korvane::lsp

#endif
