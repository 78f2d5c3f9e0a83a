#include "source/source_lexer.h"

#include "base/error.h"

namespace korvane {

SourceLexer gSourceLexer;

namespace {
bool inSet(char16_t c, std::u16string_view set) {
  return c == 0 || set.find(c) != std::u16string_view::npos;
}
}  // namespace

void SourceLexer::open(FileSystem& fs, std::string_view path) {
  currentLine = 1;
  unicode = false;
  atLineStart = false;
  current = kEndOfInput;
  token.clear();
  characterSum = 0;
  data_.clear();
  pos_ = 0;

  std::unique_ptr<InputFile> file = fs.openRead(path);
  if (!file) throw CKrvException(kErrorFileOpen, "Cannot open input file");
  unsigned char mark[2];
  if (file->read(mark, 2) != 2) throw CKrvException(kErrorPrematureEnd, "Unicode detection failed");
  if (mark[0] == 0xFF && mark[1] == 0xFE) {
    unicode = true;
  } else if (!file->rewind()) {
    throw CKrvException(kErrorSeek, "Seek failed after Unicode detection");
  }
  // The whole rest of the file is read now; a read error ends the input early.
  char chunk[65536];
  for (size_t n; (n = file->read(chunk, sizeof chunk)) > 0;) data_.append(chunk, n);

  atLineStart = true;
  nextChar();
}

void SourceLexer::getRawChar() {
  if (unicode) {
    if (data_.size() - pos_ >= 2) {
      current = static_cast<char16_t>(static_cast<unsigned char>(data_[pos_]) |
                                      (static_cast<unsigned char>(data_[pos_ + 1]) << 8));
      pos_ += 2;
    } else {
      current = kEndOfInput;
    }
    // A unit 0xFFFF in the file ends the input for good.
    if (current == kEndOfInput) pos_ = data_.size();
  } else if (pos_ < data_.size()) {
    current = static_cast<unsigned char>(data_[pos_++]);
  } else {
    current = kEndOfInput;
  }
  characterSum += current;
}

bool SourceLexer::nextChar() {
  getRawChar();
  if (atLineStart) {
    atLineStart = false;
    if (current == u'/') {
      while (current != u'\n' && current != kEndOfInput) getRawChar();
    }
  }
  if (current == u'\n') {
    ++currentLine;
    atLineStart = true;
  }
  return current != kEndOfInput;
}

bool SourceLexer::readToken(std::u16string_view skipSet, std::u16string_view stopSet) {
  token.clear();
  while (current != kEndOfInput && inSet(current, skipSet)) nextChar();
  if (current == kEndOfInput) return false;
  while (current != kEndOfInput && !inSet(current, stopSet)) {
    if (token.size() == kMaxToken)
      throw CKrvException(kErrorParse, "Token longer than 511 characters");
    token.push_back(current);
    nextChar();
  }
  return !token.empty();
}

}  // namespace korvane
