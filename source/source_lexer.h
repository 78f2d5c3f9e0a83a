// The character and token reader of the skin description (and of the item-ID
// extension list). It detects 8-bit text, UTF-16LE text (byte-order mark
// FF FE) or UTF-8 text (byte-order mark EF BB BF), delivers every character
// as a 16-bit value (UTF-8 decoded to what the UTF-16 text of the same
// characters holds, surrogate pairs included), skips comment lines, counts
// lines and sums the values it delivers. It knows the column of every
// character (from 1, in UTF-16 units of the line) and where the last token
// starts and ends.
//
// The input is read a piece at a time as the parser asks for characters, so
// a big description is never held whole, the first error ends the run, and
// no input is read beyond `inputLimit` bytes (a regular file known to be
// longer is refused at open).
#ifndef KORVANE_SOURCE_SOURCE_LEXER_H
#define KORVANE_SOURCE_SOURCE_LEXER_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/diagnostics.h"
#include "base/platform.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvane {

constexpr char16_t kEndOfInput = 0xFFFF;

// A set of characters for readToken, given as a text, with tables for the
// 8-bit range: membership, and whether a byte continues a run of skipped
// characters or of token characters (a line feed ends both runs, so that
// the reader can count it). The character 0 belongs to every set. The text
// must outlive the set.
class CharacterSet {
 public:
  constexpr explicit CharacterSet(std::u16string_view set) : set_(set) {
    for (char16_t c : set) {
      if (c < 256) member_[c] = true;
    }
    member_[0] = true;
    for (int c = 0; c < 256; ++c) {
      skipRun_[c] = member_[c] && c != '\n';
      tokenRun_[c] = !member_[c] && c != '\n';
      if (member_[c] && c > ' ') blanksOnly_ = false;
    }
  }
  constexpr bool contains(char16_t c) const {
    return c < 256 ? member_[c] : set_.find(c) != std::u16string_view::npos;
  }
  constexpr bool continuesSkipRun(unsigned char c) const { return skipRun_[c]; }
  constexpr bool continuesTokenRun(unsigned char c) const { return tokenRun_[c]; }
  // Where a run of token characters from bytes[at] ends: at the first byte
  // that does not continue it. The byte after the last of `size` must end
  // it (a 0). A set of blanks and controls only is run over 16 bytes at a
  // time where the processor can: every byte above a space continues.
  size_t tokenRunEnd(const unsigned char* bytes, size_t at, size_t size) const {
#if defined(__SSE2__)
    if (blanksOnly_) {
      const __m128i space = _mm_set1_epi8(' ');
      const __m128i zero = _mm_setzero_si128();
      while (at + 16 <= size) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
        // A byte is at most a space where subtracting one leaves nothing.
        int low = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(block, space), zero));
        if (low == 0) {
          at += 16;
          continue;
        }
        at += static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(low)));
        if (!tokenRun_[bytes[at]]) return at;
        ++at;
      }
    }
#else
    (void)size;
#endif
    while (tokenRun_[bytes[at]]) ++at;
    return at;
  }

 private:
  std::u16string_view set_;
  bool member_[256] = {};
  bool skipRun_[256] = {};
  bool tokenRun_[256] = {};
  // Whether every member below 256 is a space or a control character.
  bool blanksOnly_ = true;
};

class SourceLexer {
 public:
  // Longest token, string or escape text the reader collects.
  static constexpr size_t kMaxToken = 511;
  // Largest input read: 1 GiB, some sixty times a skin of 100 000 items.
  static constexpr uint64_t kMaxInputBytes = uint64_t{1} << 30;

  SourceLexer();
  virtual ~SourceLexer();
  SourceLexer(const SourceLexer&) = delete;
  SourceLexer& operator=(const SourceLexer&) = delete;

  // Opens and prepares the file; afterwards `current` holds the first character.
  // Resets every field, so one reader can read several files in turn.
  void open(FileSystem& fs, std::string_view path);
  // The same for a file already open.
  void open(std::unique_ptr<InputFile> file);
  // Reads the next unit into `current` and adds it to `characterSum`.
  void getRawChar() {
    if (encoding_ == Encoding::kEightBit) {
      if (pos_ < data_.size() || readOn(1)) {
        // Bytes of 8-bit text are summed a piece at a time (deliveredByteSum).
        current = static_cast<unsigned char>(data_[pos_++]);
        return;
      }
      current = kEndOfInput;
    } else if (encoding_ == Encoding::kUtf16) {
      readUnicodeUnit();
    } else {
      readUtf8Unit();
    }
    sum_ += current;
  }
  // Reads the next character, skipping comment lines and counting lines.
  bool nextChar() {
    getRawChar();
    if (atLineStart) {
      atLineStart = false;
      if (current == u'/') skipCommentLine();
    }
    if (current == u'\n') {
      ++currentLine;
      atLineStart = true;
      previousLineStart_ = lineStart_;
      lineStart_ = delivered();
    }
    return current != kEndOfInput;
  }
  // Skips characters of `skipSet`, then collects characters up to one of
  // `stopSet` into `token`. The character 0 belongs to every set.
  bool readToken(std::u16string_view skipSet, std::u16string_view stopSet);
  bool readToken(const CharacterSet& skip, const CharacterSet& stop) {
    token.clear();
    if (encoding_ == Encoding::kEightBit) return readEightBitToken(skip, stop);
    return readUnicodeToken(skip, stop);
  }
  // Appends `current` and the characters after it, up to one of `stop`, a
  // line feed or the end of input, to `text`, reading them as nextChar does,
  // but lets `text` grow to `maxSize` units at most. False, with nothing
  // read, when `text` is full already.
  bool appendRun(const CharacterSet& stop, std::u16string& text, size_t maxSize);

  // 8-bit text: the rest of the line `current` stands on, from `current` up
  // to the line feed that ends the line (not included), as bytes and as the
  // units a token read delivers for them, when that line feed has been read
  // and `current` is a byte inside the line; otherwise empty. The line feed
  // follows the bytes (bytes.data()[bytes.size()]), so a scan may stop at it.
  // The view holds until the reader moves on.
  struct LineAhead {
    std::string_view bytes;
    const char16_t* units = nullptr;
  };
  LineAhead lineAhead() const;
  // Moves on as a token read ends that took bytes [start, end) of
  // lineAhead() as its token: `current` is then the byte at `end` (the line
  // feed where `end` is the size of the view).
  void tokenReadAhead(size_t start, size_t end);

  // The size of the file being read as known when it was opened (a regular
  // file), or 0.
  uint64_t inputSize() const { return inputSize_; }

  // Where the last token read starts and ends (readString: its quotation
  // marks included).
  Span tokenSpan() const { return Span{tokenLine, tokenColumn, tokenLine, tokenEndColumn}; }
  // Where `current` is: the place just after the last character at the end of the input.
  Span currentPlace() const {
    int32_t at = column() + (current == kEndOfInput ? 1 : 0);
    return Span{trueLine(), at, trueLine(), at};
  }
  // The column of `current`. Counted from where the reader is, not kept up
  // per character: 8-bit text has one unit a byte, other text counts its units.
  int32_t column() const { return static_cast<int32_t>(delivered() - lineStartOfCurrent()); }
  // The line `current` stands on: currentLine counts a line feed as soon as
  // it is read.
  int32_t trueLine() const { return current == u'\n' ? currentLine - 1 : currentLine; }

  // The last token starts at `current` (and, until its end is known, is that character).
  void markTokenStart() {
    tokenLine = trueLine();
    tokenColumn = column();
    tokenEndColumn = tokenColumn + 1;
  }

  int32_t currentLine = -1;
  int32_t tokenLine = 0;
  int32_t tokenColumn = 0;
  int32_t tokenEndColumn = 0;
  bool unicode = false;  // UTF-16 text
  bool atLineStart = false;
  char16_t current = kEndOfInput;
  std::u16string token;
  // The sum of every unit delivered so far (the end of the input, 0xFFFF,
  // each time it is met).
  uint32_t characterSum() const {
    return encoding_ == Encoding::kEightBit ? sum_ + deliveredByteSum() : sum_;
  }
  // Bytes read at most; an input beyond it is refused. A field so that tests
  // can meet it without a gigabyte.
  uint64_t inputLimit = kMaxInputBytes;

 private:
  enum class Encoding : uint8_t { kEightBit, kUtf16, kUtf8 };

  void readUnicodeUnit();
  void readUtf8Unit();
  void skipCommentLine();
  bool endOfInput();
  // Reads from the file until `need` unread bytes are at hand; false when the
  // input ends first.
  bool readOn(size_t need);
  size_t readPiece();
  [[noreturn]] void raiseReadFailure(const InputFile& file) const;
  void stopReading();
  bool readEightBitToken(const CharacterSet& skip, const CharacterSet& stop);
  // readToken on UTF-16 and UTF-8 text, a character at a time.
  bool readUnicodeToken(const CharacterSet& skip, const CharacterSet& stop);
  // Takes the byte data_[at] as the next character where nextChar would
  // only deliver it: a byte at hand that is no line feed, after a character
  // that started no line.
  bool takeByteAt(size_t at) {
    if (atLineStart || at >= data_.size() || data_[at] == '\n') return false;
    current = static_cast<unsigned char>(data_[at]);
    pos_ = at + 1;
    return true;
  }
  [[noreturn]] static void raiseLongToken();
  [[noreturn]] void raiseLongInput() const;
  [[noreturn]] static void raiseBadUtf8();

  // 8-bit text: the sum of the bytes of data_ delivered so far, added to
  // sum_ before they are let go.
  uint32_t deliveredByteSum() const;
  void sumDeliveredBytes() {
    if (encoding_ == Encoding::kEightBit) sum_ += deliveredByteSum();
  }

  Encoding encoding_ = Encoding::kEightBit;
  uint32_t sum_ = 0;
  // The bytes read and not yet let go: the unread part of the last piece.
  std::string data_;
  // 8-bit text: data_ widened, unit for byte, so that tokens are copied
  // from it (of the size data_ may reach).
  std::unique_ptr<char16_t[]> wide_;
  // The bytes of the last read.
  std::unique_ptr<char[]> piece_;
  size_t pos_ = 0;
  std::string path_;                 // the file being read, for its errors
  std::unique_ptr<InputFile> file_;  // open while more can be read
  uint64_t bytesRead_ = 0;
  uint64_t inputSize_ = 0;
  char16_t pendingLow_ = 0;  // the second half of a surrogate pair from UTF-8
  // Units delivered so far: for 8-bit text the bytes let go of and those
  // read of data_, for other text a count; and that number where the line
  // of `current` starts.
  uint64_t delivered() const {
    return encoding_ == Encoding::kEightBit ? consumed_ + pos_ : unitCount_;
  }
  uint64_t consumed_ = 0;
  uint64_t unitCount_ = 0;
  uint64_t lineStart_ = 0;
  uint64_t previousLineStart_ = 0;
  // A line feed belongs to the line it ends.
  uint64_t lineStartOfCurrent() const { return current == u'\n' ? previousLineStart_ : lineStart_; }
};

}  // namespace korvane

#endif
