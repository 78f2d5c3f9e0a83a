#include "source/source_lexer.h"

#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "base/memory_platform.h"
#include "source/tokens.h"

namespace korvane {
namespace {

class SourceLexerTest : public ::testing::Test {
 protected:
  void open(const std::string& bytes) {
    fs.addFile("in.txt", bytes);
    lexer.open(fs, "in.txt");
  }
  // Every character the reader delivers until the end of input.
  std::u16string drain() {
    std::u16string out;
    while (lexer.current != kEndOfInput) {
      out.push_back(lexer.current);
      lexer.nextChar();
    }
    return out;
  }
  int32_t openFailure(const std::string& bytes) {
    try {
      open(bytes);
    } catch (const CKrvException& e) {
      return e.code;
    }
    return -1;
  }

  MemoryFileSystem fs;
  SourceLexer lexer;
};

TEST_F(SourceLexerTest, FreshReaderHasNoLine) {
  EXPECT_EQ(lexer.currentLine, -1);
}

TEST_F(SourceLexerTest, OpenFailuresCarryTheirCodesAndSetLineOne) {
  try {
    lexer.open(fs, "missing.txt");
    FAIL();
  } catch (const CKrvException& e) {
    EXPECT_EQ(e.code, kErrorFileOpen);
    EXPECT_EQ(e.message, "Cannot open input file");
  }
  EXPECT_EQ(lexer.currentLine, 1);
  EXPECT_EQ(openFailure(""), kErrorPrematureEnd);
  EXPECT_EQ(openFailure("S"), kErrorPrematureEnd);
  fs.failRewind.insert("in.txt");
  EXPECT_EQ(openFailure("SK"), kErrorSeek);
}

TEST_F(SourceLexerTest, EightBitBytesAreDeliveredUnchanged) {
  open(
      "A\xE9\xFF"
      "B");
  EXPECT_FALSE(lexer.unicode);
  EXPECT_EQ(drain(), u"A\u00E9\u00FFB");
}

TEST_F(SourceLexerTest, Utf16SkipsTheMarkAndCountsOnlyCharacters) {
  open(std::string("\xFF\xFE\x53\x00\x4B\x00", 6));
  EXPECT_TRUE(lexer.unicode);
  EXPECT_EQ(lexer.current, u'S');
  lexer.nextChar();
  EXPECT_EQ(lexer.current, u'K');
  EXPECT_EQ(lexer.characterSum, 0x53u + 0x4Bu);
}

TEST_F(SourceLexerTest, Utf16OddByteAndUnitFFFFEndTheInput) {
  open(std::string("\xFF\xFE\x41\x00\x42", 5));
  EXPECT_EQ(drain(), u"A");
  open(std::string("\xFF\xFE\x41\x00\xFF\xFF\x42\x00", 8));
  EXPECT_EQ(drain(), u"A");
  // Reads at the end keep returning the end and keep adding 0xFFFF.
  uint32_t sum = lexer.characterSum;
  EXPECT_FALSE(lexer.nextChar());
  EXPECT_EQ(lexer.characterSum, sum + 0xFFFF);
}

TEST_F(SourceLexerTest, BigEndianAndUtf8MarksAreReadAsEightBit) {
  open(
      "\xFE\xFF"
      "A");
  EXPECT_FALSE(lexer.unicode);
  EXPECT_EQ(drain(), u"\u00FE\u00FFA");
}

TEST_F(SourceLexerTest, OnlyASlashInColumnOneStartsAComment) {
  open("/ comment\r\n  /x\nA/B\n/last");
  EXPECT_EQ(drain(), u"\n  /x\nA/B\n");
}

TEST_F(SourceLexerTest, FirstLineCommentDeliversItsLineFeed) {
  open("/ first\nX");
  EXPECT_EQ(lexer.current, u'\n');
  EXPECT_EQ(lexer.currentLine, 2);
}

TEST_F(SourceLexerTest, LineCountRisesWhenTheLineFeedIsRead) {
  open("\n\n\n\nWORD\nNEXT\n");
  ASSERT_TRUE(nextWord(lexer));
  EXPECT_EQ(lexer.token, u"WORD");
  EXPECT_EQ(lexer.currentLine, 6);

  open("\n\n\n\nWORD\r\nNEXT\r\n");
  ASSERT_TRUE(nextWord(lexer));
  EXPECT_EQ(lexer.currentLine, 5);
  ASSERT_TRUE(nextWord(lexer));
  EXPECT_EQ(lexer.token, u"NEXT");
  EXPECT_EQ(lexer.currentLine, 6);
}

TEST_F(SourceLexerTest, CharacterZeroSeparatesTokens) {
  open(std::string("AB\0CD", 5));
  ASSERT_TRUE(nextWord(lexer));
  EXPECT_EQ(lexer.token, u"AB");
  ASSERT_TRUE(nextWord(lexer));
  EXPECT_EQ(lexer.token, u"CD");
  EXPECT_FALSE(nextWord(lexer));
}

TEST_F(SourceLexerTest, CharacterSumCoversEveryDeliveredValue) {
  open("AB");
  while (lexer.nextChar()) {
  }
  EXPECT_EQ(lexer.characterSum, 0x41u + 0x42u + 0xFFFFu);
}

TEST_F(SourceLexerTest, TokensLongerThan511AreRefused) {
  open(std::string(511, 'a') + " " + std::string(512, 'b'));
  ASSERT_TRUE(nextWord(lexer));
  EXPECT_EQ(lexer.token.size(), 511u);
  try {
    nextWord(lexer);
    FAIL();
  } catch (const CKrvException& e) {
    EXPECT_EQ(e.code, kErrorParse);
    EXPECT_EQ(e.message, "Token longer than 511 characters");
  }
}

// 8-bit text is collected a run of bytes at a time, UTF-16 text a character
// at a time: both must give the same tokens, lines and character sum.
TEST_F(SourceLexerTest, EightBitAndUtf16ReadTheSameTokens) {
  const std::string text =
      "/ comment\r\nSKINTYPE scalable\r\n  BITMAP\tIID=A c16 x.bmp\n/x\n\n"
      "A\xE9\xFF" +
      std::string("B\0C", 3) + " last";
  std::string utf16 = "\xFF\xFE";
  for (char c : text) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  auto read = [&](const std::string& bytes) {
    open(bytes);
    std::u16string trace;
    for (int i = 0; i < 12; ++i) {
      bool got = i % 3 == 2 ? nextParam(lexer) : nextWord(lexer);
      trace += (got ? u"+" : u"-") + lexer.token + u"@" + std::u16string(1, lexer.current) +
               static_cast<char16_t>(u'0' + lexer.currentLine) + u"|";
    }
    return std::make_pair(trace, lexer.characterSum);
  };
  auto eightBit = read(text);
  EXPECT_EQ(eightBit, read(utf16));
  EXPECT_EQ(eightBit.first.substr(0, 25), u"+SKINTYPE@ 2|+scalable@\r2");
}

TEST_F(SourceLexerTest, ReopeningResetsTheReader) {
  open("AAAA");
  while (lexer.nextChar()) {
  }
  open("\nB");
  EXPECT_EQ(lexer.currentLine, 2);
  EXPECT_EQ(lexer.characterSum, 10u);
}

}  // namespace
}  // namespace korvane
