#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

namespace korvane {
namespace {

// Names of every length around the four-unit steps, with one unit changed
// at each place: in a whole step or in the tail.
TEST(FoldedText, LongAndShortNamesCompareAndHashAsTheirFoldedUnits) {
  const std::u16string base = u"KTavsIIDQsnBgAreaMain0123456789";
  for (size_t length = 0; length <= base.size(); ++length) {
    std::u16string name = base.substr(0, length);
    std::u16string upper = foldedCopy(name);
    for (char16_t& c : upper) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
    }
    EXPECT_TRUE(equalsNoCase(name, upper)) << length;
    EXPECT_EQ(FoldedHash()(name), FoldedHash()(upper)) << length;
    for (size_t at = 0; at < length; ++at) {
      std::u16string other = name;
      other[at] = u'#';
      EXPECT_FALSE(equalsNoCase(name, other)) << length << " " << at;
      EXPECT_NE(FoldedHash()(name), FoldedHash()(other)) << length << " " << at;
    }
  }
}

TEST(FoldedText, OnlyAToZFold) {
  // Neighbours of the letters, and units with the top bit set whose low
  // bits are letters, stay themselves.
  const std::u16string edges = u"@[`{\u8041\u805A\u8061\uFF21";
  for (char16_t c : edges) {
    std::u16string a(9, u'x'), b(9, u'x');
    a[4] = c;
    b[4] = static_cast<char16_t>(c ^ 0x20);
    EXPECT_FALSE(equalsNoCase(a, b)) << static_cast<int>(c);
  }
  EXPECT_TRUE(equalsNoCase(u"aZaZaZaZaZ", u"AzAzAzAzAz"));
  EXPECT_FALSE(equalsNoCase(u"abcdefgh", u"abcdefg"));
}

TEST(FoldedText, JoinedHashNeedsNoJoinedCopy) {
  const std::u16string text = u"KTavsIIDBench000123";
  for (size_t split = 0; split <= text.size(); ++split) {
    std::u16string_view first = std::u16string_view(text).substr(0, split);
    std::u16string_view second = std::u16string_view(text).substr(split);
    EXPECT_EQ(FoldedHash::ofJoined(first, second), FoldedHash()(text)) << split;
  }
  // A text is told from the same text with zero units after it.
  EXPECT_NE(FoldedHash()(std::u16string_view(u"ab\0\0", 4)), FoldedHash()(u"ab"));
}

// The byte hash takes every byte of a word and of the tail, and tells a text
// from the same text followed by zeros.
TEST(ByteHash, EveryByteCountsAndZerosAreNotPadding) {
  const std::string name = "bench_pic_000123.bmp";
  for (size_t at = 0; at < name.size(); ++at) {
    std::string changed = name;
    changed[at] = static_cast<char>(changed[at] ^ 0x01);
    EXPECT_NE(hashBytes(changed), hashBytes(name)) << at;
  }
  EXPECT_NE(hashBytes(std::string_view("ab\0\0", 4)), hashBytes("ab"));
  EXPECT_NE(hashBytes(std::string_view("abcdefgh\0", 9)), hashBytes("abcdefgh"));
  EXPECT_NE(hashBytes(std::string(8, '\0')), hashBytes(""));
}

// Narrowing keeps the low byte of every unit, after what the output already
// holds, for texts shorter and longer than the piece it narrows at a time.
TEST(NarrowedText, KeepsTheLowByteOfEveryUnitAfterWhatIsThere) {
  const std::string prefix = "images\\";
  for (size_t size : {size_t{0}, size_t{1}, size_t{255}, size_t{256}, size_t{257}, size_t{700}}) {
    std::u16string text;
    std::string expected = prefix;
    for (size_t i = 0; i < size; ++i) {
      auto unit = static_cast<char16_t>((i * 0x0123 + 0x41) & 0xFFFF);
      text.push_back(unit);
      expected.push_back(static_cast<char>(unit & 0xFF));
    }
    std::string out = prefix;
    appendNarrowed(out, text);
    EXPECT_EQ(out, expected) << size;
    EXPECT_EQ(narrowCopy(text), expected.substr(prefix.size())) << size;
  }
}

}  // namespace
}  // namespace korvane
