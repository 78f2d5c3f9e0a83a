// What compiles without an error but changes what the author wrote: each
// check with its place, and the texts that must stay quiet.
#include "parser/source_checks.h"

#include <gtest/gtest.h>

#include <string>

namespace korvane {
namespace {

SourceCheckResult check(const std::string& bytes) {
  return checkSourceText(bytes, SourceLines(bytes));
}

std::string describe(const SourceCheckResult& result) {
  std::string text;
  for (const SourceWarning& w : result.warnings) {
    text += std::to_string(w.line) + ":" + std::to_string(w.column) + "-" +
            std::to_string(w.endColumn) + " " + w.code + " " + w.message;
    for (const std::string& s : w.suggestions) text += " => " + s;
    text += "\n";
  }
  return text;
}

TEST(SourceChecks, NumbersWiderThanTheirFields) {
  EXPECT_EQ(describe(check("COLORTABLE IID=QsnOtherColors\n"
                           "  RGB=0x1E90FF0 RGB=0xFFFFFF IDX=5\n"
                           "END\n"
                           "BMPANIM IID=QsnAnimCall INTERVAL=99999999999 MODE=play\n"
                           "  TIME=-5 POS=70000,-3 TIME=65535 TIME=-0\n"
                           "RESTRICTION LANG=99999\n"
                           "SCALABLEITEM IID=X INPUT=300/RGB OUTPUT=0/RGBA\n"
                           "BITMAP IID=X c16 a.bmp COORDS=-32768,65535 SIZE=65536,1\n")),
            "2:3-16 value.cut RGB=0x1E90FF0 is wider than 24 bits: value cut to 0xE90FF0\n"
            "4:25-45 value.cut INTERVAL=99999999999 is wider than 16 bits: value cut to 59391\n"
            "5:3-10 value.cut TIME=-5 is negative: value cut to 65531\n"
            "5:11-23 value.cut POS=70000,-3: 70000 is wider than 16 bits: value cut to 4464\n"
            "6:13-23 value.cut LANG=99999 is wider than 16 bits: value cut to 34463\n"
            "7:20-33 value.cut INPUT=300/RGB: layer number 300 is wider than 8 bits: value cut "
            "to 44\n"
            "8:44-56 value.cut SIZE=65536,1: 65536 is wider than 16 bits: value cut to 0\n");
  // Strings, comments and what the parser refuses anyway stay quiet.
  EXPECT_EQ(describe(check("NAME 1 \"RGB=0x1E90FF0 TIME=-5\"\n"
                           "/ TIME=-5 in a comment\n"
                           "  TIME=abc TIME= RGB=0x\n")),
            "");
}

TEST(SourceChecks, EncodingsTheReaderTakesForAnother) {
  EXPECT_EQ(describe(check("SKINTYPE scalable\nNAME 1 \"Sk\xC3\xA9n\xC3\xA9\"\n")),
            "2:11-13 encoding.utf8-without-mark The 8-bit file holds UTF-8 text: \"\xC3\xA9\" "
            "is read as 2 characters; save the file as UTF-8 with byte-order mark\n");
  // Latin-1 is what an 8-bit file is meant to hold.
  EXPECT_EQ(describe(check("NAME 1 \"Sk\xE9n\"\n")), "");
  // The same text with its UTF-8 mark is read right.
  EXPECT_EQ(describe(check("\xEF\xBB\xBFNAME 1 \"Sk\xC3\xA9n\"\n")), "");

  std::string utf16le;
  for (char c : std::string("SKINTYPE scalable\n")) {
    utf16le.push_back(c);
    utf16le.push_back('\0');
  }
  EXPECT_EQ(check(utf16le).warnings.at(0).code, "encoding.utf16-without-mark");
  EXPECT_EQ(check("\xFF\xFE" + utf16le).warnings.size(), 0u);
  std::string utf16be = "\xFE\xFF";
  for (char c : std::string("SKINTYPE scalable\n")) {
    utf16be.push_back('\0');
    utf16be.push_back(c);
  }
  ASSERT_EQ(check(utf16be).warnings.size(), 1u);
  EXPECT_EQ(check(utf16be).warnings[0].code, "encoding.utf16-big-endian");
}

TEST(SourceChecks, CommentLookalikesAndMixedSeparators) {
  EXPECT_EQ(describe(check("/ a comment\n"
                           "  / indented\n"
                           "# hash\n"
                           "BITMAPPATH ..\\gfx/icons\\\n"
                           "BITMAP IID=X c16 sub/a.bmp\n"
                           "FRAME IID=Y\n"
                           "  c16 dir\\sub/b.bmp\n")),
            "2:1-4 source.not-a-comment An indented / does not start a comment: only / in the "
            "first column does => /\n"
            "3:1-2 source.not-a-comment # does not start a comment: only / in the first column "
            "does => /\n"
            "4:12-25 source.mixed-separators Path ..\\gfx/icons\\ mixes / and \\ => "
            "..\\gfx\\icons\\\n"
            "7:7-20 source.mixed-separators Path dir\\sub/b.bmp mixes / and \\ => "
            "dir\\sub\\b.bmp\n");
}

TEST(SourceChecks, TheBitmapPathInForceOnEachLine) {
  SourceCheckResult result = check(
      "BITMAP IID=X c16 a.bmp\n"
      "BITMAPPATH gfx\n"
      "BITMAP IID=X c16 a.bmp\n"
      "bitmappath\n"
      "BITMAP IID=X c16 a.bmp\n");
  EXPECT_EQ(result.bitmapPathAt(1), u"");
  EXPECT_EQ(result.bitmapPathAt(3), u"gfx");
  EXPECT_EQ(result.bitmapPathAt(5), u"");
}

}  // namespace
}  // namespace korvane
