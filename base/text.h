// Text helpers shared by every room: the A-to-Z case folding that every
// keyword and name comparison uses, conversions between UTF-16 and 8-bit
// text, and printf-style formatting into std::string.
#ifndef KORVANE_BASE_TEXT_H
#define KORVANE_BASE_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// Folds only the letters A to Z to lower case; every other unit is kept.
constexpr char16_t foldAZ(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
constexpr char foldAZ(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Four UTF-16 units as one word, the first in the low bits (one load).
inline uint64_t unitWord(const char16_t* units) {
  return uint64_t{units[0]} | uint64_t{units[1]} << 16 | uint64_t{units[2]} << 32 |
         uint64_t{units[3]} << 48;
}
// foldAZ on each of the four units of a word.
constexpr uint64_t foldWordAZ(uint64_t word) {
  constexpr uint64_t kLow15 = 0x7FFF7FFF7FFF7FFFull;
  constexpr uint64_t kTop = 0x8000800080008000ull;
  uint64_t low = word & kLow15;
  // The top bit of a unit is set where it is at least 'A', or at least
  // after 'Z' (no unit carries into the next: each is below 0x8000 here).
  uint64_t fromA = low + 0x7FBF7FBF7FBF7FBFull;
  uint64_t afterZ = low + 0x7FA57FA57FA57FA5ull;
  uint64_t capital = fromA & ~afterZ & ~word & kTop;
  return word + (capital >> 10);  // 0x8000 >> 10 is 'a' - 'A'
}

// Defined here, small and inline: keyword tables call them for every token,
// and most calls end at the length test.
template <typename View>
bool equalsFoldedAZ(View a, View b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && foldAZ(a[i]) != foldAZ(b[i])) return false;
  }
  return true;
}
// Long UTF-16 texts (eight units or more) are compared four units at a time.
bool equalsFoldedAZLong(std::u16string_view a, std::u16string_view b);
inline bool equalsFoldedAZ(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  if (a.size() >= 8) return equalsFoldedAZLong(a, b);
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && foldAZ(a[i]) != foldAZ(b[i])) return false;
  }
  return true;
}
inline bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
  return equalsFoldedAZ(a, b);
}
inline bool equalsNoCase(std::string_view a, std::string_view b) {
  return equalsFoldedAZ(a, b);
}
inline bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && equalsFoldedAZ(text.substr(0, prefix.size()), prefix);
}
inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsFoldedAZ(text.substr(0, prefix.size()), prefix);
}
std::u16string foldedCopy(std::u16string_view text);

// UTF-16 to 8-bit by keeping the low byte of each unit.
std::string narrowCopy(std::u16string_view text);
// The same, appended to `out`.
inline void appendNarrowed(std::string& out, std::u16string_view text) {
  size_t at = out.size();
  out.resize(at + text.size());
  char* narrowed = out.data() + at;
  for (char16_t c : text) *narrowed++ = static_cast<char>(c & 0xFF);
}
// 8-bit to UTF-16, each byte (0 to 255) becoming one unit.
std::u16string widenCopy(std::string_view text);
// UTF-16 to UTF-8 (unpaired surrogates become U+FFFD).
std::string toUtf8(std::u16string_view text);

// mingw-w64 formats as C99 does (__USE_MINGW_ANSI_STDIO), which its
// compiler checks as gnu_printf.
#ifdef __MINGW32__
std::string format(const char* fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
#else
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
#endif

// A hash for text folded in A to Z only, so that names equal but for the case
// of those letters share a bucket. It takes four units at a time (a multiply
// and a rotation each), so a name costs a few steps, not one per unit.
// `append` continues a hash: the hash of two texts one after the other,
// where the first holds a multiple of four units, needs no joined copy.
struct FoldedHash {
  static constexpr uint64_t kSeed = 1469598103934665603ull;
  static uint64_t append(uint64_t hash, std::u16string_view text) {
    const char16_t* units = text.data();
    size_t size = text.size();
    size_t i = 0;
    for (; i + 4 <= size; i += 4) hash = mix(hash, foldWordAZ(unitWord(units + i)));
    size_t left = size - i;
    if (left == 0) return hash;
    uint64_t last = units[i];
    if (left > 1) last |= uint64_t{units[i + 1]} << 16;
    if (left > 2) last |= uint64_t{units[i + 2]} << 32;
    // The tail is told from a whole word of the same units and zeros.
    return mix(hash ^ 0xA5, foldWordAZ(last));
  }
  // The hash of `first` followed by `second`.
  static uint64_t ofJoined(std::u16string_view first, std::u16string_view second) {
    if (first.size() % 4 == 0) return append(append(kSeed, first), second);
    return ofJoinedCopy(first, second);
  }
  size_t operator()(std::u16string_view text) const {
    return static_cast<size_t>(append(kSeed, text));
  }

 private:
  static uint64_t ofJoinedCopy(std::u16string_view first, std::u16string_view second);
  static uint64_t mix(uint64_t hash, uint64_t word) {
    hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    return (hash << 27) | (hash >> 37);
  }
};

}  // namespace korvane

#endif
