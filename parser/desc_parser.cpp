// The top level of the description parser: the fixed opening (skin type,
// package identifier, first name) and the element loop.
#include "parser/desc_parser.h"

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/text.h"
#include "parser/vocabulary.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

namespace {

using ElementParser = void (DescParser::*)();

struct ElementKeyword {
  std::u16string_view keyword;
  ElementParser parse;
  // Non-null for elements that only scalable skins may hold: the refusal.
  const char* scalableOnly;
};

// The element keywords of the loop, in the order they are tested.
constexpr ElementKeyword kElements[] = {
    {u"NAME", &DescParser::parseName, nullptr},
    {u"LANGUAGEOVERRIDE", &DescParser::parseLanguageOverride, nullptr},
    {u"LANGUAGEPARENT", &DescParser::parseLanguageParent, nullptr},
    {u"PROTECT", &DescParser::parseProtect, nullptr},
    {u"AUTHOR", &DescParser::parseAuthor, nullptr},
    {u"COPYRIGHT", &DescParser::parseCopyright, nullptr},
    {u"TARGETDEVICE", &DescParser::parseTargetDevice, nullptr},
    {u"TOOL", &DescParser::parseTool, nullptr},
    {u"BITMAP", &DescParser::parseBitmapElement, nullptr},
    {u"COLORTABLE", &DescParser::parseColorTable, nullptr},
    {u"FRAME", &DescParser::parseFrame, nullptr},
    {u"BMPANIM", &DescParser::parseBmpAnim, nullptr},
    {u"APPICON", &DescParser::parseAppIcon, nullptr},
    {u"PALETTE", &DescParser::parsePalette, nullptr},
    {u"SOUND", &DescParser::parseStringItem, nullptr},
    {u"STRING", &DescParser::parseStringItem, nullptr},
    {u"SCALABLEITEM", &DescParser::parseScalableItem,
     "SCALABLEITEM can only be included in scalable skins"},
    {u"ANIMATION", &DescParser::parseAnimation, "ANIMATION can only be included in scalable skins"},
    {u"BITMAPPATH", &DescParser::parseBitmapPath, nullptr},
    {u"RESTRICTION", &DescParser::parseRestrictionElement, nullptr},
};

const ElementKeyword* findElement(std::u16string_view keyword) {
  for (const ElementKeyword& element : kElements) {
    if (equalsNoCase(keyword, element.keyword)) return &element;
  }
  return nullptr;
}

// A word at the start of a line that the element loop takes: an element
// keyword, or a word of letters that no block holds (a misspelt keyword, which
// the loop then reports).
bool mayStartElement(std::u16string_view token) {
  if (findElement(token) != nullptr) return true;
  for (char16_t c : token) {
    bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
    if (!letter) return false;
  }
  if (token.empty() || equalsNoCase(token, kEndKeyword)) return false;
  for (const ElementWords& words : elementVocabulary()) {
    if (words.placement == Placement::kInside && equalsNoCase(token, words.keyword)) return false;
  }
  return true;
}

}  // namespace

DescParser::DescParser(SkinContent& content, SourceLexer& lexer, const ItemIdRegistry& registry,
                       DiagnosticSink& sink)
    : content_(content), lexer_(lexer), registry_(registry), sink_(sink) {}

// The element that starts at the last token.
void DescParser::startElement() {
  elementPlace_ = lexer_.tokenSpan();
  content_.setDefinitionPlace(elementPlace_);
}

void DescParser::parse() {
  const std::u16string& token = lexer_.token;

  nextWord(lexer_);
  startElement();
  if (!equalsNoCase(token, u"SKINTYPE")) raiseExpectedToken(token, u"SKINTYPE");
  parseSkinType();

  nextWord(lexer_);
  startElement();
  if (equalsNoCase(token, u"UID")) {
    parseUid();
    nextWord(lexer_);
    startElement();
  } else if (equalsNoCase(token, u"PID")) {
    parsePid();
    nextWord(lexer_);
    startElement();
  } else {
    content_.packageIdHigh = 0;
    content_.packageIdLow = 0;
  }
  if (!equalsNoCase(token, u"NAME")) raiseExpectedToken(token, u"NAME");
  parseName();

  auto parseElement = [&] {
    startElement();
    const ElementKeyword* element = findElement(token);
    if (element == nullptr) {
      report(sink_, DiagnosticCode::kUnknownTokenDebug, "Unknown token: \"" + toUtf8(token) + "\"");
      throw CKrvException(kErrorParse, "Unknown token encountered or syntax error",
                          DiagnosticCode::kUnknownElement);
    }
    if (element->scalableOnly != nullptr && !content_.isScalable()) {
      throw CKrvException(kErrorContent, element->scalableOnly, DiagnosticCode::kScalableOnly);
    }
    (this->*(element->parse))();
  };
  bool more = nextWord(lexer_);
  while (more) {
    if (!errorHandler_) {
      parseElement();
      more = nextWord(lexer_);
      continue;
    }
    try {
      parseElement();
      more = nextWord(lexer_);
    } catch (const CKrvException& error) {
      errorHandler_(error);
      more = skipToNextElement();
    }
  }
}

bool DescParser::skipToNextElement() {
  int32_t line = lexer_.tokenLine;
  try {
    while (nextWord(lexer_)) {
      if (lexer_.tokenLine != line && mayStartElement(lexer_.token)) return true;
      line = lexer_.tokenLine;
    }
  } catch (const CKrvException&) {
    // A token the reader cannot read (too long, malformed text) inside what
    // is skipped: the rest of the input is not trusted.
  }
  return false;
}

}  // namespace korvane
