// The compound graphic elements (colour tables, nine-part frames, bitmap
// animations, application icons), the palette and sound/string items.
//
// The SKN file counts colour-table entries, frame and application-icon parts
// and animation frames in one byte, so a list is refused when its 256th entry
// is read.
#include <string>
#include <utility>

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/text.h"
#include "parser/desc_parser.h"
#include "parser/vocabulary.h"
#include "source/source_lexer.h"
#include "source/tokens.h"

namespace korvane {

namespace {

constexpr size_t kMaxCompoundEntries = 255;
constexpr uint32_t kAppIconMajor = 0x101F84B6;

void checkEntryCount(size_t count, const char* tooManyMessage) {
  if (count >= kMaxCompoundEntries) throw CKrvException(kErrorContent, tooManyMessage);
}

// 0xRRGGBB as written into red in bits 0-7, green 8-15, blue 16-23.
uint32_t reorderRgb(uint32_t value) {
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

}  // namespace

bool DescParser::nextBodyToken(const char* missingEndMessage) {
  if (!nextWord(lexer_)) raiseMissingEnd(missingEndMessage, elementPlace_);
  return !equalsNoCase(lexer_.token, u"END");
}

void DescParser::parseColorTable() {
  ColorTableItem item;
  item.id = readItemIdParam("IID parameter expected for COLORTABLE", item.restriction);
  std::vector<ColorEntry>& entries = scratch_.colorEntries;
  entries.clear();
  while (nextBodyToken("No END token for COLORTABLE")) {
    checkEntryCount(entries.size(), "COLORTABLE has more than 255 entries");
    std::u16string_view token = lexer_.token;
    ColorEntry entry;
    if (startsWithNoCase(token, u"IDX=")) {
      entry.index = parseNumber(token.substr(4));
      entry.rgb = 0;
    } else if (startsWithNoCase(token, u"RGB=")) {
      entry.index = -1;
      entry.rgb = reorderRgb(static_cast<uint32_t>(parseNumber(token.substr(4))));
    } else {
      throw CKrvException(kErrorParse, "Unknown token inside COLORTABLE");
    }
    entries.push_back(entry);
  }
  item.entries.assign(entries.begin(), entries.end());
  content_.addColorTable(std::move(item));
}

void DescParser::parseFrame() {
  FrameItem item;
  item.parts.reserve(9);
  item.id = readItemIdParam("IID parameter expected for FRAME", item.restriction);
  // No early limit: a frame reaches the file only with its nine parts, which
  // addFrame checks after the END.
  while (nextBodyToken("No END token for FRAME")) {
    item.parts.push_back(parseImageReference(0, item.restriction, 0));
  }
  content_.addFrame(std::move(item));
}

void DescParser::parseBmpAnim() {
  BmpAnimItem item;
  item.id = readItemIdParam("IID parameter expected for BMPANIM", item.restriction);
  uint8_t animated = 0;
  while (nextParam(lexer_)) {
    std::u16string_view token = lexer_.token;
    if (startsWithNoCase(token, u"INTERVAL=")) {
      item.interval = parseNumber(token.substr(9));
      continue;
    }
    if (equalsNoCase(token, u"FLASH")) {
      item.flash = 1;
      continue;
    }
    const NamedCode* mode = startsWithNoCase(token, kAnimModeKey)
                                ? findNamedCode(kAnimModes, token.substr(kAnimModeKey.size()))
                                : nullptr;
    if (mode == nullptr) raiseExpectedToken(token, u"<BMPANIM parameter>");
    item.mode = mode->code;
    if (mode->code == kAnimModeSvgAnim) animated = 1;
  }

  std::vector<BmpAnimFrame>& frames = scratch_.bmpAnimFrames;
  frames.clear();
  BmpAnimFrame next;
  while (nextBodyToken("No END token for BMPANIM")) {
    std::u16string_view token = lexer_.token;
    if (startsWithNoCase(token, u"TIME=")) {
      next.time = parseNumber(token.substr(5));
    } else if (startsWithNoCase(token, u"POS=")) {
      std::u16string_view position = token.substr(4);
      size_t comma = position.find(u',');
      if (comma == std::u16string_view::npos) {
        throw CKrvException(kErrorParse, "No comma found in POS parameter of BMPANIM");
      }
      next.posX = parseNumber(position.substr(0, comma));
      next.posY = parseNumber(position.substr(comma + 1));
    } else {
      checkEntryCount(frames.size(), "BMPANIM has more than 255 frames");
      next.id = parseImageReference(0, item.restriction, animated);
      frames.push_back(next);
      next = BmpAnimFrame();
    }
  }
  item.frames.assign(frames.begin(), frames.end());
  content_.addBmpAnim(std::move(item));
}

void DescParser::parseAppIcon() {
  nextParam(lexer_);
  std::u16string_view token = lexer_.token;
  if (!startsWithNoCase(token, u"UID=")) {
    throw CKrvException(kErrorParse, "UID parameter expected for APPICON");
  }
  AppIconItem item;
  item.id = ItemId{kAppIconMajor, static_cast<uint32_t>(parseNumber(token.substr(4)))};
  item.restriction = content_.currentRestriction;
  std::vector<ItemId>& bitmaps = scratch_.appIconBitmaps;
  bitmaps.clear();
  while (nextBodyToken("No END token for APPICON")) {
    checkEntryCount(bitmaps.size(), "APPICON has more than 255 elements");
    ItemId id = parseImageReference(1, item.restriction, 0);
    bitmaps.push_back(id);
    const BitmapItem* bitmap = content_.findBitmap(id);
    if (bitmap == nullptr) {
      reportAt(sink_, DiagnosticCode::kAppIconOutsideClass,
               "Application icon possibly uses a bitmap outside its class", lexer_.currentLine);
    } else if (bitmap->appIcon == 0) {
      reportAt(sink_, DiagnosticCode::kAppIconOutsideClass,
               "Application icon uses a bitmap outside its class", lexer_.currentLine);
    }
  }
  item.bitmaps.assign(bitmaps.begin(), bitmaps.end());
  content_.addAppIcon(std::move(item));
}

void DescParser::parsePalette() {
  nextParam(lexer_);
  std::u16string_view token = lexer_.token;
  if (!startsWithNoCase(token, u"SCHEME=")) {
    throw CKrvException(kErrorParse, "SCHEME parameter expected for PALETTE");
  }
  uint32_t scheme = static_cast<uint32_t>(parseNumber(token.substr(7)));
  content_.paletteSchemeHigh = 0;
  content_.paletteScheme = scheme;
}

void DescParser::parseStringItem() {
  StringItem item;
  item.id = readItemIdParam("IID parameter expected for SOUND/STRING", item.restriction);
  readString(lexer_);
  item.text = content_.keepText(lexer_.token);
  content_.addString(std::move(item));
}

}  // namespace korvane
