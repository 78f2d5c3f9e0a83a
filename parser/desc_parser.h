// DescParser turns the skin description read by gSourceLexer into one filled
// SkinContent. One operation per element; the element families live in their
// own files (skin-level elements, restrictions, bitmaps, compounds, scalable
// items, animations).
#ifndef KORVANE_PARSER_DESC_PARSER_H
#define KORVANE_PARSER_DESC_PARSER_H

#include <cstdint>
#include <string>
#include <string_view>

#include "base/item_id.h"
#include "base/platform.h"
#include "model/skin_content.h"

namespace korvane {

class DescParser {
 public:
  // Diagnostics go to `console`; the registry is the process-wide one.
  DescParser(SkinContent& content, Console& console);
  virtual ~DescParser() = default;
  DescParser(const DescParser&) = delete;
  DescParser& operator=(const DescParser&) = delete;

  // Runs the whole description from gSourceLexer's current character to the
  // end of input. Errors are raised as CKrvException.
  void parse();

  // The opening and the skin-level elements, each called after its keyword.
  void parseSkinType();
  void parseUid();
  void parsePid();
  void parseName();
  void parseLanguageOverride();
  void parseLanguageParent();
  void parseProtect();
  void parseAuthor();
  void parseCopyright();
  void parseTool();
  void parseTargetDevice();
  void parseBitmapPath();

  // Restrictions and item references.
  void parseRestrictionElement();
  // Removes a prefix ending in "%" from `text` and sets `restriction` from it.
  void splitItemRestriction(std::u16string& text, Restriction& restriction);
  // The identifier named by the text after an "IID="-style key; `restriction`
  // starts as the caller's and ends as the item's.
  ItemId resolveItemReference(std::u16string_view textAfterKey, Restriction& restriction);
  [[noreturn]] static void raiseExpectedToken(std::u16string_view found,
                                              std::u16string_view expected);
  [[noreturn]] static void raiseNoItemMatch(std::u16string_view text);

  // Bitmaps and image references.
  void parseBitmapElement();
  ItemId parseImageReference(uint8_t appIconClass, Restriction compoundRestriction,
                             uint8_t animated);
  void parseImageAttribute(ImageAttributes& attributes, std::u16string_view token);
  // True for "MASK=", "SOFTMASK=" (prefixes), "MASK" and "SOFTMASK".
  static bool isMaskToken(std::u16string_view token);
  // `source` is null when the image file was missing; the token is still checked.
  void applyMaskToken(std::u16string_view token, bool isSvg, BitmapSource* source);

  // Compound graphic elements.
  void parseColorTable();
  void parseFrame();
  void parseBmpAnim();
  void parseAppIcon();
  void parsePalette();
  void parseStringItem();

  // Scalable items, effects and animations.
  void parseScalableItem();
  void parseEffect(EffectCommand& effect);
  void parseEffectParam(EffectParam& param);
  void parseAnimation();

 private:
  // Image references: the attributes every bitmap starts from, the attribute
  // and mask tokens up to the line end (true when a mask token was given), the
  // identifier generated for an inline file that names no registry item.
  ImageAttributes initialAttributes() const;
  bool readImageTail(ImageAttributes& attributes, bool isSvg, BitmapSource* source);
  ItemId generateItemId(const std::u16string& fileName, Restriction compoundRestriction);

  // The "IID=" parameter that opens an item element (`missingMessage` when
  // the next token is not one); `restriction` starts from the current one.
  ItemId readItemIdParam(const char* missingMessage, Restriction& restriction);
  // Compound bodies: the next token, false at "END".
  bool nextBodyToken(const char* missingEndMessage);

  SkinContent& content_;
  Console& console_;
};

}  // namespace korvane

#endif
