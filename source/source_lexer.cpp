#include "source/source_lexer.h"

#include <algorithm>

#include "base/error.h"

namespace korvane {

SourceLexer gSourceLexer;

SourceLexer::SourceLexer() = default;
SourceLexer::~SourceLexer() = default;

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
  int64_t size = file->size();
  if (size > 0) data_.reserve(static_cast<size_t>(size));
  char chunk[65536];
  for (size_t n; (n = file->read(chunk, sizeof chunk)) > 0;) data_.append(chunk, n);

  atLineStart = true;
  nextChar();
}

void SourceLexer::readUnicodeUnit() {
  if (data_.size() - pos_ >= 2) {
    current = static_cast<char16_t>(static_cast<unsigned char>(data_[pos_]) |
                                    (static_cast<unsigned char>(data_[pos_ + 1]) << 8));
    pos_ += 2;
  } else {
    current = kEndOfInput;
  }
  // A unit 0xFFFF in the file ends the input for good.
  if (current == kEndOfInput) pos_ = data_.size();
}

void SourceLexer::raiseLongToken() {
  throw CKrvException(kErrorParse, "Token longer than 511 characters");
}

// Nothing more is read once a token read has met the end of the input, so
// the file's bytes are let go: a big description is not held through the
// output phases.
bool SourceLexer::endOfInput() {
  std::string().swap(data_);
  pos_ = 0;
  return false;
}

void SourceLexer::skipCommentLine() {
  while (current != u'\n' && current != kEndOfInput) getRawChar();
}

bool SourceLexer::readToken(std::u16string_view skipSet, std::u16string_view stopSet) {
  return readToken(CharacterSet(skipSet), CharacterSet(stopSet));
}

bool SourceLexer::readToken(const CharacterSet& skip, const CharacterSet& stop) {
  token.clear();
  if (!unicode) return readEightBitToken(skip, stop);
  while (current != kEndOfInput && skip.contains(current)) nextChar();
  if (current == kEndOfInput) return endOfInput();
  while (current != kEndOfInput && !stop.contains(current)) {
    if (token.size() == kMaxToken) raiseLongToken();
    token.push_back(current);
    nextChar();
  }
  return !token.empty();
}

// readToken on 8-bit text, a run of bytes at a time. In a run `current` is
// data_[pos_ - 1], and the bytes after it up to a line feed are read as
// nextChar would read them (no line starts, so no comments); the byte that
// ends a run is read by nextChar itself, which counts lines and skips
// comments.
bool SourceLexer::readEightBitToken(const CharacterSet& skip, const CharacterSet& stop) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data_.data());
  const size_t size = data_.size();
  while (current != kEndOfInput && skip.contains(current)) {
    if (current != u'\n') {
      size_t end = pos_;
      uint32_t sum = 0;
      for (; end < size && skip.continuesSkipRun(bytes[end]); ++end) sum += bytes[end];
      characterSum += sum;
      pos_ = end;
    }
    nextChar();
  }
  if (current == kEndOfInput) return endOfInput();
  while (current != kEndOfInput && !stop.contains(current)) {
    size_t start = pos_ - 1;
    size_t end = pos_;
    uint32_t sum = 0;
    if (current != u'\n') {
      for (; end < size && stop.continuesTokenRun(bytes[end]); ++end) sum += bytes[end];
    }
    size_t length = end - start;
    if (token.size() + length > kMaxToken) raiseLongToken();
    char16_t wide[kMaxToken];
    for (size_t i = 0; i < length; ++i) wide[i] = bytes[start + i];
    token.append(wide, length);
    characterSum += sum;
    pos_ = end;
    nextChar();
  }
  return !token.empty();
}

bool SourceLexer::appendRun(const CharacterSet& stop, std::u16string& text, size_t maxSize) {
  if (text.size() >= maxSize) return false;
  if (unicode || current == u'\n' || current == kEndOfInput) {
    text.push_back(current);
    nextChar();
    return true;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(data_.data());
  size_t start = pos_ - 1;
  size_t limit = std::min(data_.size(), start + (maxSize - text.size()));
  size_t end = pos_;
  uint32_t sum = 0;
  for (; end < limit && stop.continuesTokenRun(bytes[end]); ++end) sum += bytes[end];
  char16_t wide[kMaxToken + 1];
  size_t length = 0;
  while (length < end - start) {
    size_t piece = std::min(end - start - length, sizeof wide / sizeof wide[0]);
    for (size_t i = 0; i < piece; ++i) wide[i] = bytes[start + length + i];
    text.append(wide, piece);
    length += piece;
  }
  characterSum += sum;
  pos_ = end;
  nextChar();
  return true;
}

}  // namespace korvane
