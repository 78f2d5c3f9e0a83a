#include "source/source_lexer.h"

#include <algorithm>
#include <cstring>

#include "base/error.h"
#include "base/text.h"

namespace korvane {

SourceLexer::SourceLexer() = default;
SourceLexer::~SourceLexer() = default;

namespace {

// A piece of the input: big enough that a description costs few reads, small
// enough that a big one is never held whole.
constexpr size_t kPiece = 65536;
// Unread bytes kept before a piece is read: fewer than the longest UTF-8
// character.
constexpr size_t kCarried = 4;

}  // namespace

void SourceLexer::open(FileSystem& fs, std::string_view path) {
  currentLine = 1;
  std::unique_ptr<InputFile> file = fs.openRead(path);
  if (!file)
    throw CKrvException(kErrorFileOpen, "Cannot open input file", DiagnosticCode::kFileOpen);
  path_.assign(path);
  open(std::move(file));
}

void SourceLexer::open(std::unique_ptr<InputFile> file) {
  currentLine = 1;
  consumed_ = 0;
  unitCount_ = 0;
  lineStart_ = 0;
  previousLineStart_ = 0;
  tokenLine = 0;
  tokenColumn = 0;
  tokenEndColumn = 0;
  unicode = false;
  atLineStart = false;
  current = kEndOfInput;
  token.clear();
  sum_ = 0;
  encoding_ = Encoding::kEightBit;
  data_.clear();
  wide_.reset();
  pos_ = 0;
  file_.reset();
  bytesRead_ = 0;
  inputSize_ = 0;
  pendingLow_ = 0;

  unsigned char mark[2];
  size_t markRead = file->read(mark, 2);
  if (file->readFailed()) raiseReadFailure(*file);
  if (markRead != 2) throw CKrvException(kErrorPrematureEnd, "Unicode detection failed");
  if (mark[0] == 0xFF && mark[1] == 0xFE) {
    unicode = true;
    encoding_ = Encoding::kUtf16;
  } else if (!file->rewind()) {
    throw CKrvException(kErrorSeek, "Seek failed after Unicode detection");
  }
  file_ = std::move(file);
  // A file known to be too big is refused before it is read.
  int64_t size = file_->size();
  if (size > 0 && static_cast<uint64_t>(size) > inputLimit) raiseLongInput();
  inputSize_ = size > 0 ? static_cast<uint64_t>(size) : 0;
  data_.reserve(kPiece + kCarried);
  // Both are written before they are read: no need to fill them first.
  if (!piece_) piece_.reset(new char[kPiece]);
  if (!unicode) wide_.reset(new char16_t[kPiece + kCarried]);
  if (!unicode && readOn(3) && data_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    encoding_ = Encoding::kUtf8;
    pos_ = 3;
    wide_.reset();
  }

  atLineStart = true;
  nextChar();
}

// Appends up to a piece of bytes from the file to data_ (and, widened, to
// wide_); 0 at the end of the input, which closes the file. The bytes are
// read into a piece of their own, so data_ is never filled before it is read.
size_t SourceLexer::readPiece() {
  if (!file_) return 0;
  size_t n = file_->read(piece_.get(), kPiece);
  // A read error is no end of the input.
  if (file_->readFailed()) raiseReadFailure(*file_);
  if (wide_) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece_.get());
    char16_t* out = wide_.get() + data_.size();
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: each byte beside a zero byte is its unit.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
      __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(block, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(block, zero));
    }
#endif
    for (; i < n; ++i) out[i] = bytes[i];
  }
  data_.append(piece_.get(), n);
  bytesRead_ += n;
  if (bytesRead_ > inputLimit) raiseLongInput();
  if (n == 0) file_.reset();
  return n;
}

void SourceLexer::raiseReadFailure(const InputFile& file) const {
  throw CKrvException(kErrorFileOpen, "Cannot read " + path_ + ": " + file.readFailure());
}

bool SourceLexer::readOn(size_t need) {
  while (data_.size() - pos_ < need) {
    if (!file_) return false;
    sumDeliveredBytes();
    if (wide_) {
      std::char_traits<char16_t>::move(wide_.get(), wide_.get() + pos_, data_.size() - pos_);
    }
    data_.erase(0, pos_);
    consumed_ += pos_;
    pos_ = 0;
    readPiece();
  }
  return true;
}

uint32_t SourceLexer::deliveredByteSum() const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data_.data());
  uint32_t sum = 0;
  size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time, summed in two halves against zero; the bytes
  // at hand are far too few for a half to pass 32 bits.
  const __m128i zero = _mm_setzero_si128();
  __m128i sums = zero;
  for (; i + 16 <= pos_; i += 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    sums = _mm_add_epi64(sums, _mm_sad_epu8(block, zero));
  }
  sum = static_cast<uint32_t>(_mm_cvtsi128_si32(sums)) +
        static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
#endif
  for (; i < pos_; ++i) sum += bytes[i];
  return sum;
}

void SourceLexer::stopReading() {
  pos_ = data_.size();
  file_.reset();
}

void SourceLexer::readUnicodeUnit() {
  if (data_.size() - pos_ >= 2 || readOn(2)) {
    current = static_cast<char16_t>(static_cast<unsigned char>(data_[pos_]) |
                                    (static_cast<unsigned char>(data_[pos_ + 1]) << 8));
    pos_ += 2;
    ++unitCount_;
  } else {
    current = kEndOfInput;
  }
  // A unit 0xFFFF in the file ends the input for good.
  if (current == kEndOfInput) stopReading();
}

// One UTF-8 character, or the second half of the surrogate pair of the last
// one. Only shortest forms of Unicode scalar values are accepted; U+FFFF
// ends the input, as the unit 0xFFFF does in UTF-16 text.
void SourceLexer::readUtf8Unit() {
  if (pendingLow_ != 0) {
    current = pendingLow_;
    pendingLow_ = 0;
    ++unitCount_;
    return;
  }
  if (pos_ == data_.size() && !readOn(1)) {
    current = kEndOfInput;
    return;
  }
  auto lead = static_cast<unsigned char>(data_[pos_]);
  if (lead < 0x80) {
    current = lead;
    ++pos_;
    ++unitCount_;
    return;
  }
  size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || !readOn(length)) raiseBadUtf8();
  uint32_t code = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    auto next = static_cast<unsigned char>(data_[pos_ + i]);
    if ((next & 0xC0) != 0x80) raiseBadUtf8();
    code = (code << 6) | (next & 0x3F);
  }
  static constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    raiseBadUtf8();
  }
  pos_ += length;
  ++unitCount_;
  if (code >= 0x10000) {
    code -= 0x10000;
    current = static_cast<char16_t>(0xD800 + (code >> 10));
    pendingLow_ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    return;
  }
  current = static_cast<char16_t>(code);
  if (current == kEndOfInput) stopReading();
}

void SourceLexer::raiseBadUtf8() {
  throw CKrvException(kErrorParse, "Malformed UTF-8 text");
}

void SourceLexer::raiseLongInput() const {
  throw CKrvException(kErrorParse, format("Input file longer than %llu bytes",
                                          static_cast<unsigned long long>(inputLimit)));
}

void SourceLexer::raiseLongToken() {
  throw CKrvException(kErrorParse, "Token longer than 511 characters");
}

// Nothing more is read once a token read has met the end of the input, so
// the file's bytes are let go: a big description is not held through the
// output phases.
bool SourceLexer::endOfInput() {
  sumDeliveredBytes();
  std::string().swap(data_);
  wide_.reset();
  piece_.reset();
  consumed_ += pos_;
  pos_ = 0;
  file_.reset();
  return false;
}

void SourceLexer::skipCommentLine() {
  while (current != u'\n' && current != kEndOfInput) getRawChar();
}

bool SourceLexer::readToken(std::u16string_view skipSet, std::u16string_view stopSet) {
  return readToken(CharacterSet(skipSet), CharacterSet(stopSet));
}

bool SourceLexer::readUnicodeToken(const CharacterSet& skip, const CharacterSet& stop) {
  while (current != kEndOfInput && skip.contains(current)) nextChar();
  if (current == kEndOfInput) return endOfInput();
  markTokenStart();
  while (current != kEndOfInput && !stop.contains(current)) {
    if (token.size() == kMaxToken) raiseLongToken();
    token.push_back(current);
    nextChar();
  }
  tokenEndColumn = tokenColumn + static_cast<int32_t>(token.size());
  return !token.empty();
}

// readToken on 8-bit text, a run of bytes at a time. In a run `current` is
// data_[pos_ - 1], and the bytes after it up to a line feed are read as
// nextChar would read them (no line starts, so no comments). The byte that
// ends a run is taken as nextChar would take it when it is at hand and no
// line feed; otherwise nextChar reads it, counting lines, skipping comments
// and reading on: data_ may then hold other bytes.
bool SourceLexer::readEightBitToken(const CharacterSet& skip, const CharacterSet& stop) {
  while (current != kEndOfInput && skip.contains(current)) {
    if (current != u'\n') {
      const auto* bytes = reinterpret_cast<const unsigned char*>(data_.data());
      const size_t size = data_.size();
      size_t end = pos_;
      while (end < size && skip.continuesSkipRun(bytes[end])) ++end;
      if (takeByteAt(end)) continue;
      pos_ = end;
    }
    nextChar();
  }
  if (current == kEndOfInput) return endOfInput();
  tokenLine = trueLine();
  tokenColumn = static_cast<int32_t>(consumed_ + pos_ - lineStartOfCurrent());
  tokenEndColumn = tokenColumn + 1;
  while (current != kEndOfInput && !stop.contains(current)) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data_.data());
    size_t start = pos_ - 1;
    size_t end = pos_;
    // data_ ends in a 0 byte, which belongs to every set.
    if (current != u'\n') end = stop.tokenRunEnd(bytes, end, data_.size());
    size_t have = token.size();
    size_t length = end - start;
    if (have + length > kMaxToken) raiseLongToken();
    token.append(wide_.get() + start, length);
    if (current != u'\n' && takeByteAt(end)) continue;
    pos_ = end;
    nextChar();
  }
  tokenEndColumn = tokenColumn + static_cast<int32_t>(token.size());
  return !token.empty();
}

SourceLexer::LineAhead SourceLexer::lineAhead() const {
  if (encoding_ != Encoding::kEightBit || atLineStart || current == u'\n' ||
      current == kEndOfInput || pos_ == 0) {
    return LineAhead{};
  }
  const size_t from = pos_ - 1;
  const char* start = data_.data() + from;
  const auto* lineFeed = static_cast<const char*>(std::memchr(start, '\n', data_.size() - from));
  if (lineFeed == nullptr) return LineAhead{};
  return LineAhead{std::string_view(start, static_cast<size_t>(lineFeed - start)),
                   wide_.get() + from};
}

void SourceLexer::tokenReadAhead(size_t start, size_t end) {
  const size_t from = pos_ - 1;
  // `current` is inside its line: no line feed, so the line starts at lineStart_.
  tokenLine = currentLine;
  tokenColumn = static_cast<int32_t>(consumed_ + from + start + 1 - lineStart_);
  tokenEndColumn = tokenColumn + static_cast<int32_t>(end - start);
  pos_ = from + end;
  nextChar();
}

bool SourceLexer::appendRun(const CharacterSet& stop, std::u16string& text, size_t maxSize) {
  if (text.size() >= maxSize) return false;
  if (encoding_ != Encoding::kEightBit || current == u'\n' || current == kEndOfInput) {
    text.push_back(current);
    nextChar();
    return true;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(data_.data());
  size_t start = pos_ - 1;
  size_t limit = std::min(data_.size(), start + (maxSize - text.size()));
  size_t end = pos_;
  while (end < limit && stop.continuesTokenRun(bytes[end])) ++end;
  text.append(wide_.get() + start, end - start);
  if (takeByteAt(end)) return true;
  pos_ = end;
  nextChar();
  return true;
}

}  // namespace korvane
