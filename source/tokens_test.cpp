#include "source/tokens.h"

#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "base/memory_platform.h"

namespace korvane {
namespace {

class TokensTest : public ::testing::Test {
 protected:
  void open(const std::string& bytes) {
    fs.addFile("in.txt", bytes);
    lexer.open(fs, "in.txt");
  }
  template <typename Read>
  std::string failure(Read read) {
    try {
      read();
    } catch (const CKrvException& e) {
      EXPECT_EQ(e.code, kErrorParse);
      return e.message;
    }
    return "";
  }

  MemoryFileSystem fs;
  SourceLexer lexer;
};

TEST_F(TokensTest, NextParamStopsAtTheLineEndUntilNextWordMovesOn) {
  open("KEY  a\tb\r\nNEXT");
  ASSERT_TRUE(nextWord(lexer));
  ASSERT_TRUE(nextParam(lexer));
  EXPECT_EQ(lexer.token, u"a");
  ASSERT_TRUE(nextParam(lexer));
  EXPECT_EQ(lexer.token, u"b");
  EXPECT_FALSE(nextParam(lexer));
  EXPECT_TRUE(lexer.token.empty());
  EXPECT_FALSE(nextParam(lexer));
  ASSERT_TRUE(nextWord(lexer));
  EXPECT_EQ(lexer.token, u"NEXT");
  EXPECT_FALSE(nextWord(lexer));
}

TEST_F(TokensTest, StringsDecodeEscapesAndStopAfterTheQuote) {
  open("  \"A<66><0x43>><0>x<-1><34>\" rest");
  ASSERT_TRUE(readString(lexer));
  EXPECT_EQ(lexer.token, std::u16string(u"ABC>x\uFFFF\""));
  EXPECT_EQ(lexer.current, u' ');
  open("\"\"");
  EXPECT_FALSE(readString(lexer));
}

// 8-bit strings are read a run of plain characters at a time: they must give
// what the character-at-a-time UTF-16 reading gives, up to the length limit.
TEST_F(TokensTest, StringsReadTheSameInBothEncodings) {
  auto read = [&](const std::string& text) {
    std::string utf16 = "\xFF\xFE";
    for (char c : text) {
      utf16.push_back(c);
      utf16.push_back('\0');
    }
    std::u16string results[2];
    uint32_t sums[2] = {};
    for (int i = 0; i < 2; ++i) {
      open(i == 0 ? text : utf16);
      bool nonEmpty = readString(lexer);
      results[i] = (nonEmpty ? u"+" : u"-") + lexer.token + u"@" + std::u16string(1, lexer.current);
      sums[i] = lexer.characterSum();
    }
    EXPECT_EQ(results[0], results[1]) << text;
    EXPECT_EQ(sums[0], sums[1]) << text;
    return results[0];
  };
  EXPECT_EQ(read(std::string("\"ab\0c<0x44>\xE9>\" next", 15)),
            std::u16string(u"+ab\0cD\u00E9>@ ", 10));
  EXPECT_EQ(read("\"" + std::string(511, 'x') + "\"\n"), u"+" + std::u16string(511, u'x') + u"@\n");
}

TEST_F(TokensTest, StringErrors) {
  open("word");
  EXPECT_EQ(failure([&] { readString(lexer); }), "No opening quotation mark for string found");
  open("\"abc\ndef\"");
  EXPECT_EQ(failure([&] { readString(lexer); }), "Unterminated string");
  open("\"abc");
  EXPECT_EQ(failure([&] { readString(lexer); }), "Unterminated string");
  open("\"a<65\"");
  EXPECT_EQ(failure([&] { readString(lexer); }), "Unterminated escape in string");
  open("\"a<6x>\"");
  EXPECT_EQ(failure([&] { readString(lexer); }), "Non-numeric character in number token");
  open("\"a<>\"");
  EXPECT_EQ(failure([&] { readString(lexer); }), "Number token is empty");
  open("\"" + std::string(512, 'x') + "\"");
  EXPECT_EQ(failure([&] { readString(lexer); }), "String longer than 511 characters");
  open("\"<" + std::string(512, '1') + ">\"");
  EXPECT_EQ(failure([&] { readString(lexer); }), "Escape longer than 511 characters in string");
}

TEST_F(TokensTest, RawDataItemsAreSixteenBitValues) {
  open(" [1  2 3] after");
  EXPECT_EQ(readRawData(lexer), 3u);
  EXPECT_EQ(lexer.token, std::u16string(u"\u0001\u0002\u0003"));
  EXPECT_EQ(lexer.current, u' ');
  open("[0x10 -1 70000]");
  EXPECT_EQ(readRawData(lexer), 3u);
  EXPECT_EQ(lexer.token, std::u16string(u"\u0010\uFFFF\u1170"));
  open("[  ]");
  EXPECT_EQ(readRawData(lexer), 0u);
}

TEST_F(TokensTest, RawDataLimitsAndErrors) {
  std::string items;
  for (int i = 0; i < 512; ++i) items += " 7";
  open("[" + items + "]");
  EXPECT_EQ(readRawData(lexer), 512u);
  open("[" + items + " 8]");
  EXPECT_EQ(failure([&] { readRawData(lexer); }),
            "Raw data sequence too long, maximum is 512 items");
  open("1 2]");
  EXPECT_EQ(failure([&] { readRawData(lexer); }), "No opening [ for raw data found");
  open("[1 2\n]");
  EXPECT_EQ(failure([&] { readRawData(lexer); }), "Unterminated raw data sequence, ] missing");
  open("[1,2]");
  EXPECT_EQ(failure([&] { readRawData(lexer); }), "Non-numeric character in number token");
  open("[1\t2]");
  EXPECT_EQ(failure([&] { readRawData(lexer); }), "Non-numeric character in number token");
}

TEST(ParseNumber, DecimalHexNegativeAndWrapAround) {
  EXPECT_EQ(parseNumber(u"215"), 215);
  EXPECT_EQ(parseNumber(u"0x1A"), 26);
  EXPECT_EQ(parseNumber(u"0XfF"), 255);
  EXPECT_EQ(parseNumber(u"-12"), -12);
  EXPECT_EQ(parseNumber(u"0x-1A"), -26);
  EXPECT_EQ(parseNumber(u"-"), 0);
  EXPECT_EQ(static_cast<uint32_t>(parseNumber(u"0xFFFFFFFF")), 0xFFFFFFFFu);
  EXPECT_EQ(parseNumber(u"4294967297"), 1);
  EXPECT_EQ(static_cast<uint32_t>(parseNumber(u"0x123456789")), 0x23456789u);
}

TEST(ParseNumber, Errors) {
  auto message = [](std::u16string_view text) {
    try {
      parseNumber(text);
    } catch (const CKrvException& e) {
      return e.message;
    }
    return std::string();
  };
  EXPECT_EQ(message(u""), "Number token is empty");
  EXPECT_EQ(message(u"0x"), "Number token is empty");
  EXPECT_EQ(message(u"-0x1A"), "Non-numeric character in number token");
  EXPECT_EQ(message(u"+5"), "Non-numeric character in number token");
  EXPECT_EQ(message(u"1.5"), "Non-numeric character in number token");
  EXPECT_EQ(message(u"0x1G"), "Non-hexadecimal character in number token");
  // Only 0-9, A-F and a-f are hexadecimal digits: not their neighbours, nor
  // units that match them but for bit 5 or a high byte.
  for (char16_t c : {u'@', u'`', u'G', u'g', u'/', u':', u'\u00E1', u'\u0141', u'\uFF41'}) {
    EXPECT_EQ(message(std::u16string(u"0x1") + c), "Non-hexadecimal character in number token")
        << static_cast<int>(c);
  }
  // The reader that does not raise leaves the number as it was on a fault.
  int32_t number = 7;
  EXPECT_STREQ(readNumber(u"12x", number), "Non-numeric character in number token");
  EXPECT_EQ(number, 7);
  EXPECT_EQ(readNumber(u"0xaF", number), nullptr);
  EXPECT_EQ(number, 0xAF);
}

TEST(ValueParsers, ColorDepthsLayersAndSvgNames) {
  const char16_t* depths[] = {u"1", u"2", u"4", u"8", u"c4", u"C8", u"c12", u"C16", u"c24", u"c32"};
  for (uint32_t code = 1; code <= 10; ++code) EXPECT_EQ(parseColorDepth(depths[code - 1]), code);
  EXPECT_THROW(parseColorDepth(u"16"), CKrvException);

  EXPECT_EQ(parseLayer(u"NONE"), 1u);
  EXPECT_EQ(parseLayer(u"0/RGB"), 0x2u);
  EXPECT_EQ(parseLayer(u"1/a"), 0x104u);
  EXPECT_EQ(parseLayer(u"0x2/RgBa"), 0x208u);
  auto layerError = [](std::u16string_view text) {
    try {
      parseLayer(text);
    } catch (const CKrvException& e) {
      return e.message;
    }
    return std::string();
  };
  EXPECT_EQ(layerError(u"2-RGB"), "Slash expected in layer parameter");
  EXPECT_EQ(layerError(u"2/RG"), "Unidentified layer specifier");
  EXPECT_EQ(layerError(u"/RGB"), "Number token is empty");

  EXPECT_TRUE(isSvgName(u"icon.SVG"));
  EXPECT_TRUE(isSvgName(u".svg"));
  EXPECT_FALSE(isSvgName(u"svg"));
  EXPECT_FALSE(isSvgName(u"icon.svgz"));
}

}  // namespace
}  // namespace korvane
