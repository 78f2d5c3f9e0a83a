// Small readers shared by the element parsers of scalable items and animations.
#ifndef KORVANE_PARSER_ELEMENT_PARAMS_H
#define KORVANE_PARSER_ELEMENT_PARAMS_H

#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

// The SKN file counts effects, parameters and animation lists in 16 bits.
constexpr size_t kMaxCountedEntries = 0xFFFF;

// Reads the next token of the line, which must begin with `key`, and returns
// the text after the key (valid until the next read); `missingMessage`
// otherwise.
inline std::u16string_view readKeyedParam(SourceLexer& lexer, std::u16string_view key,
                                          const char* missingMessage) {
  nextParam(lexer);
  if (!startsWithNoCase(lexer.token, key)) throw CKrvException(kErrorParse, missingMessage);
  return std::u16string_view(lexer.token).substr(key.size());
}

// Appends a fresh entry, refusing one more than a 16-bit count can hold.
template <typename T>
T& appendCounted(std::vector<T>& list, const char* overflowMessage) {
  if (list.size() >= kMaxCountedEntries) throw CKrvException(kErrorContent, overflowMessage);
  return list.emplace_back();
}

}  // namespace korvane

#endif
