#include "source/source_lexer.h"

#include "base/error.h"

namespace korvane {

SourceLexer gSourceLexer;

// A set of characters given as a text. The separators all lie below 64, so
// membership is one bit test for them; other characters are searched.
class SourceLexer::CharSet {
 public:
  explicit CharSet(std::u16string_view set) : set_(set) {
    for (char16_t c : set) {
      low_ |= c < 64 ? uint64_t{1} << c : 0;
      hasHigh_ |= c >= 64;
    }
  }
  // The character 0 belongs to every set.
  bool contains(char16_t c) const {
    if (c < 64) return ((low_ | 1) >> c) & 1;
    return hasHigh_ && set_.find(c) != std::u16string_view::npos;
  }

 private:
  std::u16string_view set_;
  uint64_t low_ = 0;
  bool hasHigh_ = false;
};

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

void SourceLexer::skipCommentLine() {
  while (current != u'\n' && current != kEndOfInput) getRawChar();
}

bool SourceLexer::readToken(std::u16string_view skipSet, std::u16string_view stopSet) {
  const CharSet skip(skipSet);
  const CharSet stop(stopSet);
  token.clear();
  while (current != kEndOfInput && skip.contains(current)) nextChar();
  if (current == kEndOfInput) return false;
  while (current != kEndOfInput && !stop.contains(current)) {
    if (!unicode && current != u'\n') {
      collectEightBitRun(stop);
      continue;
    }
    if (token.size() == kMaxToken) raiseLongToken();
    token.push_back(current);
    nextChar();
  }
  return !token.empty();
}

// `current` is data_[pos_ - 1]. It and the bytes after it up to a line feed or
// a stop character join the token at once, as the per-character path would
// add them; the byte that ends the run is read by nextChar, which counts lines.
void SourceLexer::collectEightBitRun(const CharSet& stop) {
  size_t start = pos_ - 1;
  size_t end = pos_;
  uint32_t sum = 0;
  for (; end < data_.size(); ++end) {
    auto c = static_cast<unsigned char>(data_[end]);
    if (c == '\n' || stop.contains(c)) break;
    sum += c;
  }
  size_t length = end - start;
  if (token.size() + length > kMaxToken) raiseLongToken();
  size_t old = token.size();
  token.resize(old + length);
  for (size_t i = 0; i < length; ++i) {
    token[old + i] = static_cast<unsigned char>(data_[start + i]);
  }
  characterSum += sum;
  pos_ = end;
  nextChar();
}

}  // namespace korvane
