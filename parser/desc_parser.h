// DescParser turns the skin description read by a SourceLexer into one filled
// SkinContent, resolving item names in the registry it is given. One operation per element; the
// element families live in their own files (skin-level elements, restrictions, bitmaps, compounds,
// scalable items, animations).
#ifndef KORVANE_PARSER_DESC_PARSER_H
#define KORVANE_PARSER_DESC_PARSER_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/item_id.h"
#include "base/platform.h"
#include "model/skin_content.h"
#include "source/item_id_registry.h"
#include "source/source_lexer.h"

namespace korvane {

class DescParser {
 public:
  // Reads from `lexer`, looks names up in `registry`; diagnostics go to `sink`.
  DescParser(SkinContent& content, SourceLexer& lexer, const ItemIdRegistry& registry,
             DiagnosticSink& sink);
  // The content reads the element place while the parser lives.
  virtual ~DescParser();
  DescParser(const DescParser&) = delete;
  DescParser& operator=(const DescParser&) = delete;

  // Runs the whole description from the reader's current character to the
  // end of input. Errors are raised as CKrvException.
  void parse();
  // Makes the parse go on after an error of an element (for editors and the
  // diagnostic formats): `handler` gets the error, while the reader still
  // stands at its token, and the parse resumes at the next line that starts
  // an element, unless the handler returns false. Errors of the opening
  // still end the parse.
  void goOnAfterErrors(std::function<bool(const CKrvException&)> handler) {
    errorHandler_ = std::move(handler);
  }

  // Leaves out the NOTE, INFO and DEBUG lines the sink would drop anyway
  // (a quiet report), so that they are not composed at all.
  void dropQuietLines(bool drop) { dropQuietLines_ = drop; }
  // Whether a line of `code` goes to the sink.
  bool reports(DiagnosticCode code) const {
    if (!dropQuietLines_) return true;
    DiagnosticKind kind = diagnosticKind(code);
    return kind == DiagnosticKind::kWarning || kind == DiagnosticKind::kError;
  }

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
  // Both point at the last token (the name when `text` lies in it).
  [[noreturn]] void raiseExpectedToken(std::u16string_view found,
                                       std::u16string_view expected) const;
  [[noreturn]] void raiseNoItemMatch(std::u16string_view text) const;
  // At `opened` (the keyword of the block), with the end of the input as the related place.
  [[noreturn]] void raiseMissingEnd(const char* message, const Span& opened) const;
  // Where the element being parsed starts: its keyword.
  const Span& elementPlace() const { return elementPlace_; }

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
  void startElement();

  // The "IID=" parameter that opens an item element (`missingMessage` when
  // the next token is not one); `restriction` starts from the current one.
  ItemId readItemIdParam(const char* missingMessage, Restriction& restriction);
  // Compound bodies: the next token, false at "END".
  bool nextBodyToken(const char* missingEndMessage);

  SkinContent& content_;
  // After an error: reads up to the first token of a line that is an element
  // keyword; false at the end of the input.
  bool skipToNextElement();

  SourceLexer& lexer_;
  const ItemIdRegistry& registry_;
  DiagnosticSink& sink_;
  Span elementPlace_;
  bool dropQuietLines_ = false;
  // The parameters of the effect or group being read: each list is then
  // given its exact size once, instead of growing parameter by parameter.
  std::vector<EffectParam> paramScratch_;
  // The image file name of the bitmap element or image reference being read.
  std::u16string fileName_;
  // The entries of the compound being read, likewise given their exact size
  // at its END.
  struct CompoundScratch {
    std::vector<ColorEntry> colorEntries;
    std::vector<BmpAnimFrame> bmpAnimFrames;
    std::vector<ItemId> appIconBitmaps;
  } scratch_;
  void keepScratchParams(std::vector<EffectParam>& params);
  std::function<bool(const CKrvException&)> errorHandler_;
};

}  // namespace korvane

#endif
