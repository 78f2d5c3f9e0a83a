// Pieces of skin description text as the decompiler writes them, and the
// bytes of the finished file.
#ifndef KORVANE_INSPECT_DESCRIPTION_TEXT_H
#define KORVANE_INSPECT_DESCRIPTION_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// True when the reader takes `text` as one token: none of the separators
// (blank, tab, carriage return, line feed, the character 0) and no unit
// 0xFFFF, which ends the input.
bool isTokenText(std::u16string_view text);

// A quoted string that reads back as `text`: the quotation mark, "<",
// control characters and everything beyond ASCII are written as <number>
// escapes, so a string never needs UTF-16; the character 0, which no escape
// gives, stands as it is.
std::u16string quotedText(std::u16string_view text);

// Raw data in brackets, one decimal item per unit.
std::u16string rawData(std::u16string_view items);

std::u16string hexNumber(uint32_t value);
std::u16string decimal(int64_t value);

// "none", "0/RGB", "1/A", "2/RGBA" for a layer field (layer number in the
// high byte, channel code in the low one).
std::u16string layerText(uint32_t layer);

// The restriction as RESTRICTION and item prefixes write it ("Orv_3_0",
// "LAY_AH", "LANG=31"; "NONE" for 0).
std::u16string restrictionText(uint32_t restriction);

// The description file: 8-bit when every unit fits a byte, else UTF-16LE
// behind its byte-order mark.
std::string encodeDescription(std::u16string_view text);

}  // namespace korvane

#endif
