// The skin-level elements: skin type, package identifier, names, language
// override and parent, protection, the descriptive texts, target devices and
// the bitmap source path. Each sets fields of the skin at once.
#include <string>

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/text.h"
#include "parser/desc_parser.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

namespace {

uint32_t readNumberParam(SourceLexer& lexer) {
  nextParam(lexer);
  return static_cast<uint32_t>(parseNumber(lexer.token));
}

// One number is the low word; two are the high word and then the low word.
void readOneOrTwoWords(SourceLexer& lexer, uint32_t& high, uint32_t& low) {
  uint32_t first = readNumberParam(lexer);
  if (nextParam(lexer)) {
    high = first;
    low = static_cast<uint32_t>(parseNumber(lexer.token));
  } else {
    high = 0;
    low = first;
  }
}

const std::u16string& readStringParam(SourceLexer& lexer) {
  readString(lexer);
  return lexer.token;
}

}  // namespace

void DescParser::parseSkinType() {
  nextParam(lexer_);
  const std::u16string& token = lexer_.token;
  if (equalsNoCase(token, u"scalable")) {
    content_.skinType = kSkinTypeScalable;
    return;
  }
  if (equalsNoCase(token, u"normal")) {
    content_.skinType = kSkinTypeNormal;
  } else if (equalsNoCase(token, u"system")) {
    content_.skinType = kSkinTypeSystem;
  } else {
    throw CKrvException(kErrorParse, "Unknown or missing parameter for SKINTYPE");
  }
  if (!nextParam(lexer_)) return;
  if (!equalsNoCase(token, u"language=AH")) {
    throw CKrvException(kErrorParse, "Unknown or missing additional parameter for SKINTYPE");
  }
  content_.skinType |= kSkinTypeLanguageOverrideAH;
}

void DescParser::parseUid() {
  content_.packageIdLow = readNumberParam(lexer_);
  content_.packageIdHigh = 0;
}

void DescParser::parsePid() {
  uint32_t high = readNumberParam(lexer_);
  if (high == 0) throw CKrvException(kErrorParse, "PID can not start with zero");
  uint32_t low = readNumberParam(lexer_);
  content_.packageIdHigh = high;
  content_.packageIdLow = low;
}

void DescParser::parseName() {
  uint32_t languageId = readNumberParam(lexer_);
  content_.addLanguageName(languageId, readStringParam(lexer_));
}

void DescParser::parseLanguageOverride() {
  if (content_.isScalable()) {
    throw CKrvException(kErrorParse, "Language override can not be used with scalable skins");
  }
  nextParam(lexer_);
  if (!equalsNoCase(lexer_.token, u"AH")) {
    throw CKrvException(kErrorParse, "Unknown or missing parameter for LANGUAGEOVERRIDE");
  }
  readOneOrTwoWords(lexer_, content_.ahOverrideHigh, content_.ahOverrideLow);
}

void DescParser::parseLanguageParent() {
  if (content_.isScalable()) {
    throw CKrvException(kErrorParse, "Parent UID can not be used with scalable skins");
  }
  readOneOrTwoWords(lexer_, content_.parentUidHigh, content_.parentUidLow);
}

void DescParser::parseProtect() {
  nextParam(lexer_);
  if (!equalsNoCase(lexer_.token, u"disablecopy")) {
    throw CKrvException(kErrorParse, "Unknown or missing parameter for PROTECT");
  }
  content_.protect = 1;
}

void DescParser::parseAuthor() {
  content_.author = readStringParam(lexer_);
}

void DescParser::parseCopyright() {
  content_.copyright = readStringParam(lexer_);
}

void DescParser::parseTool() {
  content_.tool = readStringParam(lexer_);
}

void DescParser::parseTargetDevice() {
  content_.addTargetDevice(readStringParam(lexer_));
}

void DescParser::parseBitmapPath() {
  if (!nextParam(lexer_)) {
    content_.setBitmapPath();
    report(sink_, DiagnosticCode::kBitmapPath, "Bitmap source path set to automatic.");
    return;
  }
  const std::u16string& path = lexer_.token;
  bool differs = !equalsNoCase(path, content_.bitmapPath());
  content_.setBitmapPath(path);
  if (differs) {
    report(sink_, DiagnosticCode::kBitmapPath, "Bitmap source path set to " + narrowCopy(path));
  }
}

}  // namespace korvane
