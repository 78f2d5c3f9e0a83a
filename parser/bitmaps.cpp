// Bitmaps: the BITMAP element, the image references inside compounds (by item
// name, or inline by colour depth and file name) and the image attributes.
//
// A missing image file leaves no bitmap item behind: the model has printed its
// note and handed back no source, but the rest of the line is still read and
// checked, and an inline reference still gives its identifier to the compound.
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

// Major of generated identifiers when the skin has no UID of its own.
constexpr uint32_t kGeneratedMajor = 0xFFFFFFFC;

// The next token, copied into `kept` (whose room is reused from one image
// to the next) before later tokens replace it.
const std::u16string& readFileName(SourceLexer& lexer, std::u16string& kept) {
  nextParam(lexer);
  kept = lexer.token;
  return kept;
}

// An empty name would make the bitmap path itself pass for an image file.
void requireFileName(const std::u16string& fileName) {
  if (fileName.empty()) throw CKrvException(kErrorParse, "Image file name missing");
}

// Appends "(0x%x,0x%x)" as printf would write the pair: lower-case
// hexadecimal without leading zeros.
void appendIdPair(std::string& text, const ItemId& id) {
  auto hex = [&text](uint32_t value) {
    char digits[8];
    size_t n = 0;
    do {
      digits[n++] = "0123456789abcdef"[value & 0xF];
      value >>= 4;
    } while (value != 0);
    text.append("0x");
    while (n > 0) text.push_back(digits[--n]);
  };
  text.push_back('(');
  hex(id.major);
  text.push_back(',');
  hex(id.minor);
  text.push_back(')');
}

// "x,y" into two numbers; `noCommaMessage` when there is no comma.
void parsePair(std::u16string_view text, int32_t& first, int32_t& second,
               const char* noCommaMessage) {
  size_t comma = text.find(u',');
  if (comma == std::u16string_view::npos) throw CKrvException(kErrorParse, noCommaMessage);
  first = parseNumber(text.substr(0, comma));
  second = parseNumber(text.substr(comma + 1));
}

}  // namespace

ImageAttributes DescParser::initialAttributes() const {
  ImageAttributes attributes;
  if (content_.isScalable()) attributes.flags = kAttrScalable;
  return attributes;
}

bool DescParser::readImageTail(ImageAttributes& attributes, bool isSvg, BitmapSource* source) {
  bool masked = false;
  while (nextParam(lexer_)) {
    const std::u16string& token = lexer_.token;
    if (isMaskToken(token)) {
      applyMaskToken(token, isSvg, source);
      masked = true;
    } else {
      parseImageAttribute(attributes, token);
    }
  }
  return masked;
}

void DescParser::parseBitmapElement() {
  const std::u16string& token = lexer_.token;
  BitmapItem item;
  nextParam(lexer_);
  if (equalsNoCase(token, u"CLASS=appicon")) {
    item.appIcon = 1;
    nextParam(lexer_);
  }
  item.restriction = content_.currentRestriction;
  bool named = startsWithNoCase(token, u"IID=");
  if (named) {
    item.id = resolveItemReference(std::u16string_view(token).substr(4), item.restriction);
    nextParam(lexer_);
  }
  uint32_t depth = parseColorDepth(token);
  const std::u16string& fileName = readFileName(lexer_, fileName_);
  if (!named) {
    const ItemIdEntry* entry = findItemIdByFileName(registry_, sink_, fileName);
    if (entry == nullptr) raiseNoItemMatch(fileName);
    item.id = entry->id();
  }
  requireFileName(fileName);

  BitmapSource* source = content_.registerBitmapSource(depth, fileName, 0);
  item.attributes = initialAttributes();
  bool masked = readImageTail(item.attributes, isSvgName(fileName), source);
  if (source == nullptr) return;
  item.bitmapIndex = source->index;
  item.maskIndex = masked ? static_cast<int32_t>(source->index + 1) : -1;
  content_.addBitmap(item);
}

ItemId DescParser::generateItemId(const std::u16string& fileName, Restriction compoundRestriction) {
  ItemId id;
  id.major = (content_.packageIdHigh == 0 && content_.packageIdLow != 0) ? content_.packageIdLow
                                                                         : kGeneratedMajor;
  id.minor = content_.nextGeneratedMinor++;
  bool inherited = compoundRestriction != 0;
  if (!reports(DiagnosticCode::kGeneratedItemId) &&
      !(inherited && reports(DiagnosticCode::kInheritedRestriction))) {
    return id;
  }
  std::string values;
  values.reserve(32 + fileName.size());
  appendIdPair(values, id);
  values.append(" for ");
  appendNarrowed(values, fileName);
  if (reports(DiagnosticCode::kGeneratedItemId)) {
    reportAt(sink_, DiagnosticCode::kGeneratedItemId, "Generated IID " + values,
             lexer_.currentLine);
  }
  if (inherited && reports(DiagnosticCode::kInheritedRestriction)) {
    reportAt(sink_, DiagnosticCode::kInheritedRestriction,
             "Restriction inherited to generated IID " + values, lexer_.currentLine);
  }
  return id;
}

ItemId DescParser::parseImageReference(uint8_t appIconClass, Restriction compoundRestriction,
                                       uint8_t animated) {
  const std::u16string& token = lexer_.token;

  if (startsWithNoCase(token, u"IID=")) {
    // The token stays in place: nothing below reads from the source.
    std::u16string_view reference = token;
    std::u16string_view name = reference.substr(4);
    Restriction restriction = content_.currentRestriction;
    std::u16string split;
    if (name.find(u'%') != std::u16string_view::npos) {
      split.assign(name);
      splitItemRestriction(split, restriction);
      name = split;
    }
    // The remark on the reference's restriction, if any: "(%s)" is the whole token.
    auto remark = [&](DiagnosticCode kind, const char* before, const char* after) {
      if (!reports(kind)) return;
      std::string text = before;
      text.reserve(text.size() + reference.size() + 96);
      text.push_back('(');
      appendNarrowed(text, reference);
      text.push_back(')');
      text.append(after);
      reportAt(sink_, kind, text, lexer_.currentLine);
    };
    if (restriction != 0 && restriction == compoundRestriction) {
      remark(DiagnosticCode::kRestrictedReferenceShared, "IID reference ",
             " is restricted, but shares the restrictions of the compound. Relative validity can "
             "not be checked");
    } else if (restriction != 0) {
      remark(DiagnosticCode::kRestrictedReference, "IID reference ",
             " is restricted. Relative validity can not be checked and may be broken");
    } else if (compoundRestriction != 0) {
      remark(DiagnosticCode::kUnrestrictedReferenceInCompound, "Non-restricted IID reference ",
             " inside restricted compound");
    }
    const ItemIdEntry* entry = findItemId(registry_, name);
    if (entry == nullptr) raiseNoItemMatch(reference.substr(4));
    return entry->id();
  }

  BitmapItem item;
  item.restriction = compoundRestriction;
  item.appIcon = appIconClass;
  uint32_t depth = parseColorDepth(token);
  const std::u16string& fileName = readFileName(lexer_, fileName_);
  requireFileName(fileName);
  if (const ItemIdEntry* entry = findItemIdByFileName(registry_, sink_, fileName)) {
    item.id = entry->id();
    if (compoundRestriction != 0 && reports(DiagnosticCode::kKnownItemInRestrictedCompound)) {
      std::string note = "Known IID ";
      appendIdPair(note, item.id);
      note.append(" referenced inside restricted compound. Relative validity can not be checked");
      reportAt(sink_, DiagnosticCode::kKnownItemInRestrictedCompound, note, lexer_.currentLine);
    }
  } else {
    item.id = generateItemId(fileName, compoundRestriction);
  }

  BitmapSource* source = content_.registerBitmapSource(depth, fileName, animated);
  item.attributes = initialAttributes();
  bool masked = readImageTail(item.attributes, isSvgName(fileName), source);
  if (masked && (item.attributes.flags & kAttrTile) != 0) {
    reportAt(sink_, DiagnosticCode::kTileWithMask, "TILE attribute used with masked bitmap",
             lexer_.currentLine);
  }
  if (source != nullptr) {
    item.bitmapIndex = source->index;
    item.maskIndex = masked ? static_cast<int32_t>(source->index + 1) : -1;
    content_.addBitmap(item);
  }
  return item.id;
}

void DescParser::parseImageAttribute(ImageAttributes& attributes, std::u16string_view token) {
  if (startsWithNoCase(token, u"COORDS=")) {
    parsePair(token.substr(7), attributes.x, attributes.y, "No comma in image attribute COORDS");
    attributes.flags |= kAttrCoords;
  } else if (startsWithNoCase(token, u"SIZE=")) {
    parsePair(token.substr(5), attributes.width, attributes.height,
              "No comma in image attribute SIZE");
    attributes.flags |= kAttrSize;
  } else if (equalsNoCase(token, u"STRETCH")) {
    attributes.flags |= kAttrStretch;
  } else if (equalsNoCase(token, u"TILE")) {
    attributes.flags |= kAttrTile;
  } else if (equalsNoCase(token, u"TILEX")) {
    attributes.flags |= kAttrTileX;
  } else if (equalsNoCase(token, u"TILEY")) {
    attributes.flags |= kAttrTileY;
  } else if (startsWithNoCase(token, u"ALIGN=")) {
    if (const NamedCode* alignment = findNamedCode(kAlignments, token.substr(6))) {
      attributes.flags |= kAttrAlign;
      attributes.align = alignment->code;
      return;
    }
    throw CKrvException(kErrorParse, "Unknown parameter for image attribute ALIGN");
  } else {
    throw CKrvException(kErrorParse, "Unknown attribute parameter");
  }
}

}  // namespace korvane
