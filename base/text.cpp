#include "base/text.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace korvane {

namespace {

// Four UTF-16 units as one word, the first in the low bits (one load).
uint64_t unitWord(const char16_t* units) {
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

// The bit that tells a capital letter from a small one, in each unit of a
// word. Hashes set it in every unit: texts equal but for the case of A to Z
// then hash alike at the cost of one operation a word, and texts that only
// differ in that bit elsewhere (such as "@" and "`") merely share a hash.
constexpr uint64_t kCaseBits = 0x0020002000200020ull;

}  // namespace

std::u16string foldedCopy(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = foldAZ(c);
  return out;
}

std::string narrowCopy(std::u16string_view text) {
  std::string out;
  appendNarrowed(out, text);
  return out;
}

std::u16string widenCopy(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
  }
  return out;
}

std::string toUtf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  char small[256];
  int needed = std::vsnprintf(small, sizeof small, fmt, args);
  va_end(args);
  std::string out;
  if (needed < 0) {
    va_end(copy);
    return out;
  }
  if (static_cast<size_t>(needed) < sizeof small) {
    out.assign(small, static_cast<size_t>(needed));
  } else {
    std::vector<char> big(static_cast<size_t>(needed) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, copy);
    out.assign(big.data(), static_cast<size_t>(needed));
  }
  va_end(copy);
  return out;
}

bool equalsFoldedAZLong(std::u16string_view a, std::u16string_view b) {
  size_t i = 0;
  for (; i + 4 <= a.size(); i += 4) {
    uint64_t x = unitWord(a.data() + i);
    uint64_t y = unitWord(b.data() + i);
    if (x != y && foldWordAZ(x) != foldWordAZ(y)) return false;
  }
  for (; i < a.size(); ++i) {
    if (a[i] != b[i] && foldAZ(a[i]) != foldAZ(b[i])) return false;
  }
  return true;
}

uint64_t FoldedHash::append(uint64_t hash, std::u16string_view text) {
  const char16_t* units = text.data();
  size_t size = text.size();
  size_t i = 0;
  for (; i + 4 <= size; i += 4) hash = mixHashWord(hash, unitWord(units + i) | kCaseBits);
  size_t left = size - i;
  if (left == 0) return hash;
  uint64_t last = units[i];
  if (left > 1) last |= uint64_t{units[i + 1]} << 16;
  if (left > 2) last |= uint64_t{units[i + 2]} << 32;
  // The tail is told from a whole word of the same units and zeros.
  return mixHashWord(hash ^ 0xA5, last | kCaseBits);
}

uint64_t hashBytes(std::string_view bytes) {
  uint64_t hash = FoldedHash::kSeed;
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    hash = mixHashWord(hash, word);
  }
  if (i == bytes.size()) return hash;
  uint64_t last = 0;
  std::memcpy(&last, bytes.data() + i, bytes.size() - i);
  // The tail's length goes in with it, so that it is told from a longer
  // tail or a whole word of the same bytes and zeros.
  return mixHashWord(hash ^ (0xA0 | (bytes.size() - i)), last);
}

uint64_t FoldedHash::ofJoinedCopy(std::u16string_view first, std::u16string_view second) {
  std::u16string joined;
  joined.reserve(first.size() + second.size());
  joined.append(first).append(second);
  return append(kSeed, joined);
}

}  // namespace korvane
