// Restrictions: the RESTRICTION element, restriction prefixes on item
// references, the one path by which every "IID=" reference is resolved, and
// the shared expected-token and no-match errors. Also the mask rules, which
// bitmaps, image references and BMP effect parameters share.
#include <string>

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/text.h"
#include "parser/desc_parser.h"
#include "parser/vocabulary.h"
#include "source/item_id_registry.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

namespace {

constexpr Restriction kLanguageRestriction = kRestrictionLanguageBase;

}  // namespace

void DescParser::parseRestrictionElement() {
  if (!content_.isScalable()) {
    reportAt(sink_, DiagnosticCode::kRestrictionInNormalSkin,
             "RESTRICTION elements is only allowed in scalable skins, layout types will "
             "not work with this skin",
             lexer_.currentLine);
  }
  nextParam(lexer_);
  const std::u16string& token = lexer_.token;
  if (const NamedCode* specifier = findNamedCode(kRestrictionSpecifiers, token)) {
    content_.currentRestriction = specifier->code;
    report(sink_, DiagnosticCode::kRestrictionSet,
           std::string("Current restriction set to ") + restrictionDescription(specifier->code));
  } else if (startsWithNoCase(token, u"LANG=")) {
    uint32_t language = static_cast<uint32_t>(parseNumber(token.substr(5))) & 0xFFFF;
    report(sink_, DiagnosticCode::kRestrictionSet,
           format("Current restriction set to Language/langcode:%d", language));
    content_.currentRestriction = kLanguageRestriction | language;
    content_.languageRestrictions.push_back(content_.currentRestriction);
  } else if (equalsNoCase(token, u"NONE")) {
    content_.currentRestriction = 0;
    report(sink_, DiagnosticCode::kRestrictionCleared, "Current restriction cleared");
  } else {
    throw CKrvException(kErrorParse, "Unknown specifier for RESTRICTION element");
  }
}

void DescParser::splitItemRestriction(std::u16string& text, Restriction& restriction) {
  size_t percent = text.find(u'%');
  if (percent == std::u16string::npos) return;
  if (content_.currentRestriction != 0) {
    throw CKrvException(kErrorParse,
                        "No item-based restriction can be used where RESTRICTION element already "
                        "applies");
  }
  const NamedCode* specifier =
      findNamedCode(kRestrictionSpecifiers, std::u16string_view(text).substr(0, percent));
  if (specifier == nullptr) {
    throw CKrvException(kErrorParse, "Unknown release restriction prefix in IID");
  }
  text.erase(0, percent + 1);
  restriction = specifier->code;
}

ItemId DescParser::resolveItemReference(std::u16string_view textAfterKey,
                                        Restriction& restriction) {
  const ItemIdEntry* entry;
  if (textAfterKey.find(u'%') == std::u16string_view::npos) {
    entry = findItemId(registry_, textAfterKey);
  } else {
    std::u16string name(textAfterKey);
    splitItemRestriction(name, restriction);
    entry = findItemId(registry_, name);
  }
  if (entry == nullptr) raiseNoItemMatch(textAfterKey);
  return entry->id();
}

ItemId DescParser::readItemIdParam(const char* missingMessage, Restriction& restriction) {
  nextParam(lexer_);
  const std::u16string& token = lexer_.token;
  if (!startsWithNoCase(token, u"IID=")) {
    throw CKrvException(kErrorParse, missingMessage, DiagnosticCode::kMissingItemId);
  }
  restriction = content_.currentRestriction;
  return resolveItemReference(std::u16string_view(token).substr(4), restriction);
}

void DescParser::raiseExpectedToken(std::u16string_view found, std::u16string_view expected) const {
  throw CKrvException(
      kErrorParse,
      "Expected \"" + narrowCopy(expected) + "\", but \"" + narrowCopy(found) + "\" found instead",
      DiagnosticCode::kExpectedToken);
}

void DescParser::raiseNoItemMatch(std::u16string_view text) const {
  CKrvException error(kErrorParse, "No match found for item ID \"" + narrowCopy(text) + "\"",
                      DiagnosticCode::kNoItemMatch);
  // A name after its key lies in the token: the place is the name's.
  const std::u16string& token = lexer_.token;
  error.span = lexer_.tokenSpan();
  if (!text.empty() && text.data() >= token.data() &&
      text.data() + text.size() <= token.data() + token.size()) {
    error.span.column += static_cast<int32_t>(text.data() - token.data());
    error.span.endColumn = error.span.column + static_cast<int32_t>(text.size());
  }
  throw error;
}

void DescParser::raiseMissingEnd(const char* message, const Span& opened) const {
  CKrvException error(kErrorParse, message, DiagnosticCode::kMissingEnd);
  error.span = opened;
  error.related = lexer_.currentPlace();
  error.relatedMessage = "end of the file";
  throw error;
}

bool DescParser::isMaskToken(std::u16string_view token) {
  return startsWithNoCase(token, u"MASK=") || startsWithNoCase(token, u"SOFTMASK=") ||
         equalsNoCase(token, u"MASK") || equalsNoCase(token, u"SOFTMASK");
}

void DescParser::applyMaskToken(std::u16string_view token, bool isSvg, BitmapSource* source) {
  auto named = [&](uint32_t kind, std::u16string_view fileName) {
    if (isSvg) throw CKrvException(kErrorParse, "SVG icon can not have a named mask");
    if (source == nullptr) return;
    if (source->maskKind == kMaskNone) {
      content_.setMaskFile(*source, kind, fileName);
    } else {
      reportAt(sink_, DiagnosticCode::kMaskAlreadyDefined,
               "Mask already defined, second definition ignored", lexer_.currentLine);
    }
  };
  auto unnamed = [&](uint32_t kind) {
    if (!isSvg) throw CKrvException(kErrorParse, "Non-SVG icon can not have an unnamed mask");
    if (source != nullptr) source->maskKind = kind;
  };
  if (startsWithNoCase(token, u"MASK=")) {
    named(kMaskHard, token.substr(5));
  } else if (startsWithNoCase(token, u"SOFTMASK=")) {
    named(kMaskSoft, token.substr(9));
  } else if (equalsNoCase(token, u"MASK")) {
    unnamed(kMaskHard);
  } else if (equalsNoCase(token, u"SOFTMASK")) {
    unnamed(kMaskSoft);
  }
}

}  // namespace korvane
