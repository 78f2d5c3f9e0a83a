// What the server sees of a description without compiling it: the tokens of
// every line (a "/" in the first column makes a comment line), the block each
// line stands in, the bitmap path in force, and the items the skin defines
// with their places and restrictions. It follows the reader's rules for
// comments and separators; a quoted string is one token.
#ifndef KORVANE_LSP_SKIN_OUTLINE_H
#define KORVANE_LSP_SKIN_OUTLINE_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/text_document.h"
#include "parser/vocabulary.h"

namespace korvane::lsp {

struct Token {
  std::string text;
  int column = 0;  // UTF-16 units, from 0
  int endColumn = 0;
};

struct OutlineLine {
  bool comment = false;
  std::vector<Token> tokens;
  // The block the line stands in (empty at the top level), as its element
  // keyword was written in the source.
  std::string block;
  const ElementWords* blockElement = nullptr;
  // The element the line's first token opens, when it is one.
  const ElementWords* element = nullptr;
  // The bitmap path in force, relative to the description's directory, with
  // "/" separators; empty for the description's own directory.
  std::string bitmapPath;
};

struct ItemDefinition {
  std::string keyword;      // the element, as written (BITMAP, FRAME, ...)
  std::string name;         // the item name after any restriction prefix
  std::string restriction;  // "" for none, else the specifier ("Orv_3_0", "LANG=31")
  int line = 0;
  Token token;         // the whole "IID=" token
  int nameColumn = 0;  // where the name starts inside it
};

struct SkinOutline {
  std::vector<OutlineLine> lines;
  std::vector<ItemDefinition> items;  // in source order
};

SkinOutline outlineSkin(const TextDocument& document);

// The token of `line` that holds `column` (its end included), or null.
const Token* tokenAt(const OutlineLine& line, int column);
// For a token "KEY=value": whether it starts with `key` (A to Z folded).
bool tokenHasKey(std::string_view token, std::string_view key);
// The item name of an item reference's value: the text after a first "%".
std::string_view itemNameOf(std::string_view value);
// The bitmap path a BITMAPPATH token gives (backslashes as "/", no trailing
// separator).
std::string bitmapPathOf(std::string_view token);

}  // namespace korvane::lsp

#endif
