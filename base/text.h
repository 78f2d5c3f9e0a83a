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
// The same, appended to `out`: narrowed a piece at a time on the stack, so
// that `out` grows by a copy and not by filling with zeros first.
inline void appendNarrowed(std::string& out, std::u16string_view text) {
  char piece[256];
  while (!text.empty()) {
    size_t n = text.size() < sizeof piece ? text.size() : sizeof piece;
    for (size_t i = 0; i < n; ++i) piece[i] = static_cast<char>(text[i] & 0xFF);
    out.append(piece, n);
    text.remove_prefix(n);
  }
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

// One step of the word-at-a-time hashes below: a multiply and a rotation.
inline uint64_t mixHashWord(uint64_t hash, uint64_t word) {
  hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
  return (hash << 27) | (hash >> 37);
}

// A hash for text folded in A to Z only, so that names equal but for the case
// of those letters share a bucket. It takes four units at a time (a multiply
// and a rotation each), so a name costs a few steps, not one per unit; texts
// that differ only in the case bit of other units may share a hash too.
// `append` continues a hash: the hash of two texts one after the other,
// where the first holds a multiple of four units, needs no joined copy.
struct FoldedHash {
  static constexpr uint64_t kSeed = 1469598103934665603ull;
  static uint64_t append(uint64_t hash, std::u16string_view text);
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
};

// A hash for bytes as they are (file names), eight at a time, the same
// steps as FoldedHash.
uint64_t hashBytes(std::string_view bytes);

}  // namespace korvane

#endif
