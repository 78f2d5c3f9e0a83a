#include "source/tokens.h"

#include <string>

#include "base/error.h"
#include "base/text.h"

namespace korvane {

namespace {

// What ends a run of plain characters in a string.
constexpr CharacterSet kStringStops(u"\"<\r\n");

bool isBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == 0;
}
bool isLineEndOrEnd(char16_t c) {
  return c == u'\n' || c == u'\r' || c == kEndOfInput;
}

[[noreturn]] void parseError(const char* message) {
  throw CKrvException(kErrorParse, message);
}

void appendLimited(std::u16string& text, char16_t c, const char* overflowMessage) {
  if (text.size() == SourceLexer::kMaxToken) parseError(overflowMessage);
  text.push_back(c);
}

void skipBlanks(SourceLexer& lexer) {
  while (isBlank(lexer.current)) lexer.nextChar();
}

}  // namespace

bool readString(SourceLexer& lexer) {
  std::u16string& token = lexer.token;
  token.clear();
  skipBlanks(lexer);
  lexer.markTokenStart();
  if (lexer.current != u'"') parseError("No opening quotation mark for string found");
  lexer.nextChar();
  bool escaping = false;
  std::u16string escape;
  while (lexer.current != u'"') {
    if (isLineEndOrEnd(lexer.current)) parseError("Unterminated string");
    if (escaping) {
      if (lexer.current == u'>') {
        auto unit = static_cast<char16_t>(static_cast<uint32_t>(parseNumber(escape)) & 0xFFFF);
        if (unit != 0) appendLimited(token, unit, "String longer than 511 characters");
        escape.clear();
        escaping = false;
      } else {
        appendLimited(escape, lexer.current, "Escape longer than 511 characters in string");
      }
    } else if (lexer.current == u'<') {
      escaping = true;
    } else {
      // Plain characters, as many as follow.
      if (!lexer.appendRun(kStringStops, token, SourceLexer::kMaxToken)) {
        parseError("String longer than 511 characters");
      }
      continue;
    }
    lexer.nextChar();
  }
  if (escaping) parseError("Unterminated escape in string");
  if (lexer.trueLine() == lexer.tokenLine) lexer.tokenEndColumn = lexer.column() + 1;
  lexer.nextChar();
  return !token.empty();
}

size_t readRawData(SourceLexer& lexer) {
  std::u16string& token = lexer.token;
  token.clear();
  size_t count = 0;
  skipBlanks(lexer);
  lexer.markTokenStart();
  if (lexer.current != u'[') parseError("No opening [ for raw data found");
  lexer.nextChar();
  bool inItem = false;
  std::u16string item;
  for (;;) {
    char16_t c = lexer.current;
    if (isLineEndOrEnd(c)) parseError("Unterminated raw data sequence, ] missing");
    if (inItem) {
      if (c == u' ' || c == u']') {
        token.push_back(static_cast<char16_t>(static_cast<uint32_t>(parseNumber(item)) & 0xFFFF));
        ++count;
        item.clear();
        inItem = false;
      } else {
        appendLimited(item, c, "Raw data item longer than 511 characters");
      }
    } else if (c != u' ' && c != u']') {
      if (count == kMaxRawItems) parseError("Raw data sequence too long, maximum is 512 items");
      inItem = true;
      item.push_back(c);
    }
    if (c == u']') {
      lexer.tokenEndColumn = lexer.column() + 1;
      lexer.nextChar();
      return count;
    }
    lexer.nextChar();
  }
}

const char* readNumber(std::u16string_view text, int32_t& number) {
  size_t i = 0;
  bool hex = false;
  if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    hex = true;
    i = 2;
  }
  if (i == text.size()) return "Number token is empty";
  bool negative = false;
  if (text[i] == u'-') {
    negative = true;
    ++i;
  }
  uint32_t value = 0;
  for (; i < text.size(); ++i) {
    char16_t c = text[i];
    if (hex) {
      uint32_t digit = static_cast<uint32_t>(c) - u'0';
      if (digit > 9) {
        // Setting bit 5 takes A to F, and only those, onto a to f.
        digit = (static_cast<uint32_t>(c) | 0x20) - u'a';
        if (digit > 5) return "Non-hexadecimal character in number token";
        digit += 10;
      }
      value = value * 16 + digit;
    } else {
      if (c < u'0' || c > u'9') return "Non-numeric character in number token";
      value = value * 10 + static_cast<uint32_t>(c - u'0');
    }
  }
  if (negative) value = 0u - value;
  number = static_cast<int32_t>(value);
  return nullptr;
}

int32_t parseNumber(std::u16string_view text) {
  int32_t number = 0;
  if (const char* fault = readNumber(text, number)) parseError(fault);
  return number;
}

uint32_t parseColorDepth(std::u16string_view text) {
  static constexpr std::u16string_view kDepths[] = {u"1",  u"2",   u"4",   u"8",   u"c4",
                                                    u"c8", u"c12", u"c16", u"c24", u"c32"};
  for (uint32_t code = 1; code <= 10; ++code) {
    if (equalsNoCase(text, kDepths[code - 1])) return code;
  }
  parseError("Unknown color depth parameter");
}

uint32_t parseLayer(std::u16string_view text) {
  if (equalsNoCase(text, u"none")) return 1;
  size_t slash = text.find(u'/');
  if (slash == std::u16string_view::npos) parseError("Slash expected in layer parameter");
  uint32_t layer = static_cast<uint32_t>(parseNumber(text.substr(0, slash))) << 8;
  std::u16string_view channels = text.substr(slash + 1);
  if (equalsNoCase(channels, u"RGB")) return layer | 2;
  if (equalsNoCase(channels, u"A")) return layer | 4;
  if (equalsNoCase(channels, u"RGBA")) return layer | 8;
  parseError("Unidentified layer specifier");
}

bool isSvgName(std::u16string_view text) {
  return text.size() >= 4 && equalsNoCase(text.substr(text.size() - 4), u".svg");
}

}  // namespace korvane
