// The words of the description language, defined once: the element keywords
// and where each may stand, the parameter keys each element takes on its line
// and in its body, and the enumerated values (colour depths, restriction
// specifiers, animation modes, alignments, layer pieces, skin types, effect
// parameter types). The parser, "did you mean" and editor completion read
// these tables; the texts are exactly what the parser compares (ignoring the
// case of A to Z).
#ifndef KORVANE_PARSER_VOCABULARY_H
#define KORVANE_PARSER_VOCABULARY_H

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace korvane {

// A constant array seen as a range (the tables below are static data).
template <typename T>
struct VocabularyList {
  const T* first = nullptr;
  size_t count = 0;
  constexpr VocabularyList() = default;
  template <size_t N>
  constexpr VocabularyList(const T (&array)[N]) : first(array), count(N) {}
  constexpr const T* begin() const { return first; }
  constexpr const T* end() const { return first + count; }
  constexpr size_t size() const { return count; }
  constexpr bool empty() const { return count == 0; }
  constexpr const T& operator[](size_t i) const { return first[i]; }
};

// A word of an enumeration and the code the parser turns it into.
struct NamedCode {
  std::u16string_view name;
  uint32_t code;
};

// Colour depths in the order of their codes (1 to 10).
inline constexpr NamedCode kColorDepths[] = {
    {u"1", 1},  {u"2", 2},   {u"4", 3},   {u"8", 4},   {u"c4", 5},
    {u"c8", 6}, {u"c12", 7}, {u"c16", 8}, {u"c24", 9}, {u"c32", 10},
};

// Release and layout specifiers, in the order they are tested; every one is
// also allowed as an item prefix ("Orv_3_0%QsnBgScreen"). The RESTRICTION
// note names each by `restrictionDescription`.
inline constexpr NamedCode kRestrictionSpecifiers[] = {
    {u"Orv_2_6", 0x206}, {u"Orv_2_7", 0x207}, {u"Orv_2_8", 0x208},
    {u"Orv_3_0", 0x300}, {u"Orv_3_1", 0x301}, {u"Orv_3_2", 0x302},
    {u"Orv_5_0", 0x500}, {u"LAY_W", 0x10000}, {u"LAY_AH", 0x20000},
};
// The other words of the RESTRICTION element: a language ("LANG=" and a
// number, a prefix key) and the end of the current restriction.
inline constexpr std::u16string_view kRestrictionLanguageKey = u"LANG=";
inline constexpr std::u16string_view kRestrictionNone = u"NONE";
inline constexpr uint32_t kRestrictionLanguageBase = 0x30000;

// ALIGN= values: vertical letter (T 0x01, B 0x02, C 0x04) then horizontal
// (L 0x08, R 0x10, C 0x20).
inline constexpr NamedCode kAlignments[] = {
    {u"TL", 0x09}, {u"TC", 0x21}, {u"TR", 0x11}, {u"CL", 0x0C}, {u"CC", 0x24},
    {u"CR", 0x14}, {u"BL", 0x0A}, {u"BC", 0x22}, {u"BR", 0x12},
};

// BMPANIM modes: each is the whole token "MODE=" + name.
inline constexpr std::u16string_view kAnimModeKey = u"MODE=";
inline constexpr NamedCode kAnimModes[] = {
    {u"play", 0},
    {u"cycle", 1},
    {u"bounce", 2},
    {u"svganim", 255},
};

// Layers: "none", or a number, a slash and one of the channel names.
inline constexpr std::u16string_view kLayerNone = u"none";
inline constexpr uint32_t kLayerNoneCode = 1;
inline constexpr char16_t kLayerSeparator = u'/';
inline constexpr NamedCode kLayerChannels[] = {
    {u"RGB", 2},
    {u"A", 4},
    {u"RGBA", 8},
};

// SKINTYPE values, and the one additional parameter of a non-scalable skin.
inline constexpr NamedCode kSkinTypes[] = {
    {u"scalable", 128},
    {u"normal", 0},
    {u"system", 1},
};
inline constexpr std::u16string_view kSkinTypeLanguageAH = u"language=AH";

// The one word of PROTECT and of LANGUAGEOVERRIDE.
inline constexpr std::u16string_view kProtectDisableCopy = u"disablecopy";
inline constexpr std::u16string_view kLanguageOverrideAH = u"AH";

// BITMAP's application-icon class, a whole token before "IID=".
inline constexpr std::u16string_view kBitmapClassAppIcon = u"CLASS=appicon";

// Effect parameter types, the words that open a parameter line.
inline constexpr NamedCode kEffectParamTypes[] = {
    {u"INT", 0}, {u"STR", 1}, {u"BMP", 2}, {u"NAMEDREF", 3}, {u"RAW", 4},
};

// SIZEBOUNDPARAM flags: each is the whole token "FLAGS=" + name.
inline constexpr std::u16string_view kSizeBoundFlagsKey = u"FLAGS=";
inline constexpr NamedCode kSizeBoundFlags[] = {
    {u"W", 1},
    {u"H", 2},
    {u"W_AND_H", 3},
};

// The word that closes every block.
inline constexpr std::u16string_view kEndKeyword = u"END";

// What follows a parameter key.
enum class ValueKind {
  kNone,         // a switch: the token is the whole key (STRETCH, FLASH)
  kNumber,       // decimal, or hexadecimal after "0x"
  kNumberPair,   // "x,y"
  kString,       // a double-quoted string
  kItemName,     // an item name, optionally behind a restriction prefix and "%"
  kFileName,     // an image file in the bitmap path
  kPath,         // a directory
  kColorDepth,   // one of kColorDepths
  kLayer,        // see kLayerNone and kLayerChannels
  kEnumeration,  // one of `values`
  kRawData,      // "[n n ...]"
};

struct ParamKey {
  // A key that ends in "=" matches as a prefix of the token, its value being
  // the rest; any other key is the whole token. Empty for a positional value
  // (the colour depth and file name of an inline image, a parameter's name).
  std::u16string_view key;
  ValueKind value;
  VocabularyList<NamedCode> values;  // for kEnumeration
  const char* summary;
};

// Where an element keyword stands.
enum class Placement {
  kOpening,   // the fixed opening: SKINTYPE, then UID or PID, then NAME
  kTopLevel,  // the element loop
  kInside,    // a keyword inside the block of `parents`
};

struct ElementWords {
  std::u16string_view keyword;
  Placement placement;
  // For kInside: the blocks it may stand in, separated by blanks.
  std::u16string_view parents;
  // Non-null for elements only scalable skins may hold: the refusal.
  const char* scalableOnly;
  // True when the element opens a block that ends with END.
  bool block;
  // The parameters on the element's own line, in their order.
  VocabularyList<ParamKey> lineKeys;
  // The keys and words that may open a line of the block (besides END and
  // the kInside elements whose parents name this one). An image reference
  // (FRAME, BMPANIM, APPICON) is "IID=" or a colour depth and a file name,
  // with the image attributes after it.
  VocabularyList<ParamKey> bodyKeys;
  // Image attributes may follow on the element's line or the body's lines.
  bool imageAttributes;
  const char* summary;
};

// The element table: opening, top-level (in the order the loop tests them)
// and inner keywords.
VocabularyList<ElementWords> elementVocabulary();
// The image attributes and mask tokens that may follow an image.
VocabularyList<ParamKey> imageAttributeKeys();

// The element of `keyword` (ignoring the case of A to Z) at `placement`;
// null when there is none. With kInside, `parent` picks among the inner
// keywords that share a name (COMMAND's parameters are EFFECT's).
const ElementWords* findElementWords(std::u16string_view keyword, Placement placement,
                                     std::u16string_view parent = {});
// The named code of `name` in `list` (ignoring the case of A to Z), or null.
const NamedCode* findNamedCode(VocabularyList<NamedCode> list, std::u16string_view name);
// "2.6" ... "5.0", "Layout/Non-Mirrored", "Layout/Mirrored"; null for any other code.
const char* restrictionDescription(uint32_t code);

}  // namespace korvane

#endif
