// Token readers and value parsers built on the source reader. Every error is a
// parse error (code 4).
#ifndef KORVANE_SOURCE_TOKENS_H
#define KORVANE_SOURCE_TOKENS_H

#include <cstdint>
#include <string_view>

#include "source/source_lexer.h"

namespace korvane {

// The most items one raw-data sequence holds.
constexpr size_t kMaxRawItems = 512;

// Blanks, and blanks with line ends: what the two token readers skip and
// what ends their tokens.
inline constexpr CharacterSet kBlanks(u" \t");
inline constexpr CharacterSet kSeparators(u" \t\r\n");

// Next token anywhere in the file (skips blanks and line ends).
inline bool nextWord(SourceLexer& lexer) {
  return lexer.readToken(kSeparators, kSeparators);
}
// Next token on the current line; false at a line end or at the end of input.
inline bool nextParam(SourceLexer& lexer) {
  return lexer.readToken(kBlanks, kSeparators);
}
// A double-quoted string on the current line with <number> escapes; true when non-empty.
bool readString(SourceLexer& lexer);
// A bracketed, space-separated list of numbers; the items (16 bits each) are
// left in `token` and their count returned.
size_t readRawData(SourceLexer& lexer);

// A decimal or 0x-hexadecimal number, optionally negative, wrapping to 32
// bits; a text that is none raises the parse error readNumber names.
int32_t parseNumber(std::u16string_view text);
// The same without raising: the message of the fault (and `number` left as it
// was), or null with `number` set.
const char* readNumber(std::u16string_view text, int32_t& number);
uint32_t parseColorDepth(std::u16string_view text);
uint32_t parseLayer(std::u16string_view text);
bool isSvgName(std::u16string_view text);

}  // namespace korvane

#endif
