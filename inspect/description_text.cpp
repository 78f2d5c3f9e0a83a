#include "inspect/description_text.h"

#include "base/text.h"

namespace korvane {

bool isTokenText(std::u16string_view text) {
  for (char16_t c : text) {
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0 || c == 0xFFFF) return false;
  }
  return !text.empty();
}

std::u16string quotedText(std::u16string_view text) {
  std::u16string quoted = u"\"";
  for (char16_t c : text) {
    // The character 0 stands as it is: an escape of 0 adds nothing.
    if (c != 0 && (c == u'"' || c == u'<' || c < 0x20 || c >= 0x7F)) {
      quoted += u'<' + decimal(c) + u'>';
    } else {
      quoted += c;
    }
  }
  quoted += u'"';
  return quoted;
}

std::u16string rawData(std::u16string_view items) {
  std::u16string raw = u"[";
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) raw += u' ';
    raw += decimal(items[i]);
  }
  raw += u']';
  return raw;
}

std::u16string hexNumber(uint32_t value) {
  return widenCopy(format("0x%X", value));
}

std::u16string decimal(int64_t value) {
  return widenCopy(format("%lld", static_cast<long long>(value)));
}

std::u16string layerText(uint32_t layer) {
  if (layer == 1) return u"none";
  const char16_t* channels = (layer & 0xFF) == 2 ? u"RGB" : (layer & 0xFF) == 4 ? u"A" : u"RGBA";
  return decimal(layer >> 8) + u'/' + channels;
}

std::u16string restrictionText(uint32_t restriction) {
  if (restriction == 0) return u"NONE";
  if (restriction == 0x10000) return u"LAY_W";
  if (restriction == 0x20000) return u"LAY_AH";
  if (restriction >= 0x30000) return u"LANG=" + decimal(restriction & 0xFFFF);
  return widenCopy(format("Orv_%u_%u", (restriction >> 8) & 0xFF, restriction & 0xFF));
}

std::string encodeDescription(std::u16string_view text) {
  bool eightBit = true;
  for (char16_t c : text) eightBit = eightBit && c <= 0xFF;
  if (eightBit) return narrowCopy(text);
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + 2 * text.size());
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

}  // namespace korvane
