#include "parser/desc_parser.h"

#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

DescParser::DescParser(SkinContent& content, Console& console)
    : content_(content), console_(console) {}

// Minimal body until the element parsers arrive: reads every word.
void DescParser::parse() {
  while (nextWord(gSourceLexer)) {
  }
}

}  // namespace korvane
