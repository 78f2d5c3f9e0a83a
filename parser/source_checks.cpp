#include "parser/source_checks.h"

#include <algorithm>
#include <cstdint>

#include "base/text.h"
#include "parser/vocabulary.h"

namespace korvane {

namespace {

// A number as the value parsers read it ("0x" for hexadecimal, then an
// optional "-"), with what 32-bit arithmetic makes of it.
struct ReadNumber {
  bool valid = false;
  bool negative = false;
  bool beyond32 = false;  // more than 32 bits were cut already
  uint32_t value = 0;     // as the parser stores it
};

ReadNumber readNumber(std::u16string_view text) {
  ReadNumber number;
  size_t i = 0;
  bool hex = text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
  if (hex) i = 2;
  if (i < text.size() && text[i] == u'-') {
    number.negative = true;
    ++i;
  }
  if (i == text.size()) return number;
  uint64_t exact = 0;
  for (; i < text.size(); ++i) {
    char16_t c = text[i];
    uint32_t digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (hex && c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else if (hex && c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else {
      return number;
    }
    exact = exact * (hex ? 16 : 10) + digit;
    if (exact > 0xFFFFFFFFull) {
      number.beyond32 = true;
      exact &= 0xFFFFFFFFull;
    }
  }
  number.valid = true;
  number.value = static_cast<uint32_t>(exact);
  if (number.negative) number.value = 0u - number.value;
  return number;
}

struct Token {
  std::u16string_view text;
  int column = 0;  // from 1
};

bool isBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == 0;
}

// The blank-separated tokens of a line; a double-quoted string is one token
// (its blanks included) and is left out.
std::vector<Token> tokensOf(std::u16string_view line) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == u'"') {
      size_t close = line.find(u'"', i + 1);
      i = close == std::u16string_view::npos ? line.size() : close + 1;
      continue;
    }
    size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    tokens.push_back(Token{line.substr(start, i - start), static_cast<int>(start) + 1});
  }
  return tokens;
}

class Checker {
 public:
  explicit Checker(SourceCheckResult& result) : result_(result) {}

  void warn(const char* code, std::string message, int line, int column, int endColumn,
            std::vector<std::string> suggestions = {}) {
    result_.warnings.push_back(
        SourceWarning{code, std::move(message), line, column, endColumn, std::move(suggestions)});
  }

  void checkToken(const Token& token, int line) {
    std::u16string_view text = token.text;
    int end = token.column + static_cast<int>(text.size());
    if (text.find(u'/') != std::u16string_view::npos &&
        text.find(u'\\') != std::u16string_view::npos) {
      std::u16string fixed(text);
      std::replace(fixed.begin(), fixed.end(), u'/', u'\\');
      warn("source.mixed-separators", "Path " + narrowCopy(text) + " mixes / and \\", line,
           token.column, end, {narrowCopy(fixed)});
    }
    auto valueAfter = [&](std::u16string_view key) {
      return startsWithNoCase(text, key) ? text.substr(key.size()) : std::u16string_view();
    };
    std::string shown = narrowCopy(text);
    if (auto value = valueAfter(u"RGB="); !value.empty()) {
      ReadNumber n = readNumber(value);
      if (n.valid && (n.beyond32 || n.value > 0xFFFFFF)) {
        warn("value.cut",
             shown + " is wider than 24 bits: value cut to " + format("0x%06X", n.value & 0xFFFFFF),
             line, token.column, end);
      }
      return;
    }
    for (std::u16string_view key : {u"INTERVAL=", u"TIME=", u"LANG="}) {
      std::u16string_view value = valueAfter(key);
      if (value.empty()) continue;
      checkWidth(readNumber(value), shown, 16, line, token.column, end);
      return;
    }
    for (std::u16string_view key : {u"INPUTA=", u"INPUTB=", u"INPUT=", u"OUTPUT="}) {
      std::u16string_view value = valueAfter(key);
      size_t slash = value.find(kLayerSeparator);
      if (value.empty() || slash == std::u16string_view::npos) continue;
      ReadNumber n = readNumber(value.substr(0, slash));
      if (n.valid && (n.beyond32 || n.value > 0xFF)) {
        warn("value.cut",
             shown + ": layer number " + narrowCopy(value.substr(0, slash)) +
                 " is wider than 8 bits: value cut to " + std::to_string(n.value & 0xFF),
             line, token.column, end);
      }
      return;
    }
    for (std::u16string_view key : {u"COORDS=", u"SIZE=", u"POS="}) {
      std::u16string_view value = valueAfter(key);
      size_t comma = value.find(u',');
      if (value.empty() || comma == std::u16string_view::npos) continue;
      for (std::u16string_view part : {value.substr(0, comma), value.substr(comma + 1)}) {
        ReadNumber n = readNumber(part);
        // Both readings of 16 bits are fine: -32768 to 65535.
        bool fits = !n.beyond32 && (n.negative ? n.value >= 0xFFFF8000u : n.value <= 0xFFFF);
        if (n.valid && !fits) {
          warn("value.cut",
               shown + ": " + narrowCopy(part) + " is wider than 16 bits: value cut to " +
                   std::to_string(n.value & 0xFFFF),
               line, token.column, end);
        }
      }
      return;
    }
  }

  void checkWidth(const ReadNumber& n, const std::string& shown, int bits, int line, int column,
                  int end) {
    uint32_t mask = (1u << bits) - 1;
    if (!n.valid || (!n.beyond32 && !n.negative && n.value <= mask)) return;
    if (n.negative && n.value == 0) return;  // "-0"
    std::string why = n.negative && !n.beyond32 ? " is negative" : " is wider than 16 bits";
    warn("value.cut", shown + why + ": value cut to " + std::to_string(n.value & mask), line,
         column, end);
  }

 private:
  SourceCheckResult& result_;
};

// The first valid UTF-8 sequence of two or more bytes in an 8-bit line.
bool findUtf8(std::u16string_view line, size_t& at, size_t& length) {
  for (size_t i = 0; i < line.size(); ++i) {
    char16_t lead = line[i];
    size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
               : lead >= 0xE0 && lead <= 0xEF ? 3
               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                              : 0;
    if (n == 0 || i + n > line.size()) continue;
    bool valid = true;
    for (size_t k = 1; k < n; ++k) valid = valid && line[i + k] >= 0x80 && line[i + k] <= 0xBF;
    if (!valid) continue;
    at = i;
    length = n;
    return true;
  }
  return false;
}

void checkEncoding(std::string_view bytes, const SourceLines& lines, Checker& checker) {
  auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (lines.encoding() != SourceLines::Encoding::kEightBit) return;
  if (bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF) {
    checker.warn("encoding.utf16-big-endian",
                 "The file is UTF-16 big-endian, which is read as 8-bit text; save it as UTF-16 "
                 "little-endian or as UTF-8 with byte-order mark",
                 1, 1, 3);
    return;
  }
  size_t zeros[2] = {0, 0};
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (byte(i) == 0) ++zeros[i % 2];
  }
  if (bytes.size() >= 4 && std::max(zeros[0], zeros[1]) * 4 >= bytes.size()) {
    checker.warn("encoding.utf16-without-mark",
                 "The file looks like UTF-16 without byte-order mark, which is read as 8-bit "
                 "text; save it with the byte-order mark",
                 1, 1, 2);
    return;
  }
  for (int number = 1; number <= lines.count(); ++number) {
    std::u16string_view line = lines.line(number);
    if (!line.empty() && line[0] == u'/') continue;
    size_t at = 0;
    size_t length = 0;
    if (!findUtf8(line, at, length)) continue;
    std::string sequence = narrowCopy(line.substr(at, length));
    checker.warn("encoding.utf8-without-mark",
                 "The 8-bit file holds UTF-8 text: \"" + sequence + "\" is read as " +
                     std::to_string(length) +
                     " characters; save the file as UTF-8 with byte-order mark",
                 number, static_cast<int>(at) + 1, static_cast<int>(at + length) + 1);
    return;  // once per file
  }
}

}  // namespace

std::u16string_view SourceCheckResult::bitmapPathAt(int line) const {
  std::u16string_view path;
  for (const BitmapPathChange& change : bitmapPaths) {
    if (change.line > line) break;
    path = change.path;
  }
  return path;
}

SourceCheckResult checkSourceText(std::string_view bytes, const SourceLines& lines) {
  SourceCheckResult result;
  Checker checker(result);
  checkEncoding(bytes, lines, checker);
  for (int number = 1; number <= lines.count(); ++number) {
    std::u16string_view line = lines.line(number);
    if (!line.empty() && line[0] == u'/') continue;  // a comment line
    size_t first = 0;
    while (first < line.size() && isBlank(line[first])) ++first;
    if (first < line.size() && (line[first] == u'#' || (line[first] == u'/' && first > 0))) {
      std::string why = line[first] == u'#' ? "# does not start a comment"
                                            : "An indented / does not start a comment";
      checker.warn("source.not-a-comment", why + ": only / in the first column does", number, 1,
                   static_cast<int>(first) + 2, {"/"});
    }
    std::vector<Token> tokens = tokensOf(line);
    for (const Token& token : tokens) checker.checkToken(token, number);
    if (!tokens.empty() && equalsNoCase(tokens[0].text, u"BITMAPPATH")) {
      result.bitmapPaths.push_back(BitmapPathChange{
          number, tokens.size() > 1 ? std::u16string(tokens[1].text) : std::u16string()});
    }
  }
  return result;
}

}  // namespace korvane
