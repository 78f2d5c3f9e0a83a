#include "source/source_lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "base/memory_platform.h"
#include "base/text.h"
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

TEST_F(SourceLexerTest, Utf16LeavesOutTheMarkAndCountsOnlyCharacters) {
  open(std::string("\xFF\xFE\x53\x00\x4B\x00", 6));
  EXPECT_TRUE(lexer.unicode);
  EXPECT_EQ(lexer.current, u'S');
  lexer.nextChar();
  EXPECT_EQ(lexer.current, u'K');
  EXPECT_EQ(lexer.characterSum(), 0x53u + 0x4Bu);
}

TEST_F(SourceLexerTest, Utf16OddByteAndUnitFFFFEndTheInput) {
  open(std::string("\xFF\xFE\x41\x00\x42", 5));
  EXPECT_EQ(drain(), u"A");
  open(std::string("\xFF\xFE\x41\x00\xFF\xFF\x42\x00", 8));
  EXPECT_EQ(drain(), u"A");
  // Reads at the end keep returning the end and keep adding 0xFFFF.
  uint32_t sum = lexer.characterSum();
  EXPECT_FALSE(lexer.nextChar());
  EXPECT_EQ(lexer.characterSum(), sum + 0xFFFF);
}

TEST_F(SourceLexerTest, BigEndianMarkAndHalfAUtf8MarkAreReadAsEightBit) {
  open(
      "\xFE\xFF"
      "A");
  EXPECT_FALSE(lexer.unicode);
  EXPECT_EQ(drain(), u"\u00FE\u00FFA");
  open("\xEF\xBB");
  EXPECT_EQ(drain(), u"\u00EF\u00BB");
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
  EXPECT_EQ(lexer.characterSum(), 0x41u + 0x42u + 0xFFFFu);
}

// A long 8-bit text of every byte value but the separators, over several
// pieces of reading: each token holds its bytes as units, and the sum is
// that of every byte.
TEST_F(SourceLexerTest, EightBitUnitsAndSumHoldOverManyPieces) {
  std::string text;
  std::vector<std::string> words;
  uint32_t sum = 0;
  for (size_t i = 0; text.size() < 200000; ++i) {
    std::string word(1 + i % 37, 'x');
    for (size_t k = 0; k < word.size(); ++k)
      word[k] = static_cast<char>(0x21 + (i * 7 + k * 13) % 0xDE);
    if (word[0] == '/') word[0] = 'w';
    words.push_back(word);
    text += word + (i % 5 == 4 ? "\n" : " ");
  }
  for (unsigned char c : text) sum += c;
  open(text);
  for (const std::string& word : words) {
    ASSERT_TRUE(nextWord(lexer));
    ASSERT_EQ(lexer.token, widenCopy(word));
  }
  EXPECT_FALSE(nextWord(lexer));
  EXPECT_EQ(lexer.characterSum(), sum + 0xFFFFu);
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

// The same characters as UTF-16 text, byte-order mark first.
std::string eightBitAsUtf16(const std::string& text) {
  std::string utf16 = "\xFF\xFE";
  for (char c : text) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  return utf16;
}

// 8-bit text is collected a run of bytes at a time, UTF-16 text a character
// at a time: both must give the same tokens, lines and character sum.
TEST_F(SourceLexerTest, EightBitAndUtf16ReadTheSameTokens) {
  const std::string text =
      "/ comment\r\nSKINTYPE scalable\r\n  BITMAP\tIID=A c16 x.bmp\n/x\n\n"
      "A\xE9\xFF" +
      std::string("B\0C", 3) + " last";
  const std::string utf16 = eightBitAsUtf16(text);
  auto read = [&](const std::string& bytes) {
    open(bytes);
    std::u16string trace;
    for (int i = 0; i < 12; ++i) {
      bool got = i % 3 == 2 ? nextParam(lexer) : nextWord(lexer);
      trace += (got ? u"+" : u"-") + lexer.token + u"@" + std::u16string(1, lexer.current) +
               static_cast<char16_t>(u'0' + lexer.currentLine) + u"|";
    }
    return std::make_pair(trace, lexer.characterSum());
  };
  auto eightBit = read(text);
  EXPECT_EQ(eightBit, read(utf16));
  EXPECT_EQ(eightBit.first.substr(0, 25), u"+SKINTYPE@ 2|+scalable@\r2");
}

std::string utf16Bytes(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string utf8Bytes(std::u16string_view text) {
  std::string out = "\xEF\xBB\xBF";
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out.push_back(static_cast<char>(((0xFF00 >> (extra + 1)) & 0xFF) | (c >> (6 * extra))));
    for (int k = extra - 1; k >= 0; --k)
      out.push_back(static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F)));
  }
  return out;
}

// What a description reads as, token by token: each token with the
// character after it and the line, then the character sum.
std::u16string tokensOf(SourceLexer& lexer) {
  std::u16string trace;
  for (int i = 0; i < 40; ++i) {
    bool got = i % 3 == 2 ? nextParam(lexer) : nextWord(lexer);
    trace += (got ? u"+" : u"-") + lexer.token + u"@" + std::u16string(1, lexer.current) +
             std::u16string(1, static_cast<char16_t>(u'0' + lexer.currentLine)) + u"|";
  }
  return trace + u"#" + std::u16string(1, static_cast<char16_t>(lexer.characterSum() & 0xFFFF)) +
         std::u16string(1, static_cast<char16_t>(lexer.characterSum() >> 16));
}

// UTF-8 after its byte-order mark reads as the same characters in UTF-16
// would: the same tokens, lines and character sum, a supplementary
// character as its surrogate pair.
TEST_F(SourceLexerTest, Utf8WithItsMarkReadsLikeUtf16) {
  const std::u16string text =
      u"/ \u00E9t\u00E9 comment\r\nSKINTYPE scalable\r\nNAME 1 \"\u0141\u00F3d\u017A "
      u"\U0001F600\"\n  BITMAP\tIID=A c16 \u00E9.bmp\n/x\n\n\u20AC" +
      std::u16string(1, u'\0') + u"B last";
  const std::string utf8 =
      "\xEF\xBB\xBF/ \xC3\xA9t\xC3\xA9 comment\r\nSKINTYPE scalable\r\nNAME 1 "
      "\"\xC5\x81\xC3\xB3\x64\xC5\xBA \xF0\x9F\x98\x80\"\n  BITMAP\tIID=A c16 \xC3\xA9.bmp\n/x\n\n"
      "\xE2\x82\xAC" +
      std::string("\0B", 2) + " last";
  open(utf16Bytes(text));
  std::u16string expected = tokensOf(lexer);
  EXPECT_NE(expected.find(u"\"\u0141\u00F3d\u017A@ "), std::u16string::npos);
  open(utf8);
  EXPECT_FALSE(lexer.unicode);
  EXPECT_EQ(tokensOf(lexer), expected);
  open(utf16Bytes(text));
  std::u16string all = drain();
  open(utf8);
  EXPECT_EQ(drain(), all);
  EXPECT_NE(all.find(u"\xD83D\xDE00"), std::u16string::npos);

  // U+FFFF ends the input as the unit 0xFFFF does in UTF-16 text.
  open(
      "\xEF\xBB\xBF"
      "A\xEF\xBF\xBF"
      "B");
  EXPECT_EQ(drain(), u"A");
}

// A description several pieces of the reader long: tokens, strings, comment
// lines and line feeds meet the end of a piece at every offset, and 8-bit
// text (read a run at a time, its bytes summed a piece at a time) reads as
// the same text in UTF-16 does, a character at a time.
TEST_F(SourceLexerTest, EightBitTextReadsLikeUtf16AcrossPieces) {
  std::string text;
  for (int i = 0; text.size() < 3 * 65536 + 1000; ++i) {
    // Tokens of every length up to some fifty bytes, with controls that are
    // no separators and bytes above 127 inside them.
    text += "BITMAP IID=Item" + std::to_string(i) + "\t c16 \xE9pic_" + std::to_string(i % 97) +
            ".bmp LONG" + std::string(static_cast<size_t>(i % 41), 'y') + "\x01\x7F\x1F\xFF" +
            std::to_string(i) + "\r\n";
    if (i % 7 == 0)
      text += "/ a comment line " + std::string(static_cast<size_t>(i % 13), '#') + "\n";
    if (i % 5 == 0)
      text += "STRING \"a string <169> " + std::string(static_cast<size_t>(i % 29), 'x') + "\"\n";
  }
  const std::string utf16 = eightBitAsUtf16(text);
  auto read = [&](const std::string& bytes) {
    open(bytes);
    std::u16string trace;
    for (;;) {
      bool got = nextWord(lexer);
      if (got && lexer.token == u"STRING") {
        readString(lexer);
        trace += u"\"";
      } else if (got && lexer.token == u"BITMAP") {
        while (nextParam(lexer)) trace += lexer.token + u",";
      }
      if (!got) break;
      trace += lexer.token + u"@" + std::u16string(1, lexer.current) +
               std::u16string(1, static_cast<char16_t>(lexer.tokenLine)) +
               std::u16string(1, static_cast<char16_t>(lexer.tokenColumn)) + u"|";
    }
    return std::make_pair(trace, lexer.characterSum());
  };
  auto eightBit = read(text);
  EXPECT_GT(eightBit.first.size(), text.size() / 2);
  EXPECT_EQ(eightBit, read(utf16));
}

TEST_F(SourceLexerTest, ATokenTakenFromTheLineAheadLeavesTheReaderAsReadingIt) {
  // Each line: "key <token>"; the token is read once by readToken and
  // once from the line ahead, and both readers then agree on everything.
  const std::string text = "key abc\t\r\nkey 0x1F\n/ comment\nkey last";
  SourceLexer other;
  fs.addFile("other.txt", text);
  open(text);
  other.open(fs, "other.txt");
  for (int line = 0; line < 2; ++line) {
    ASSERT_TRUE(nextWord(lexer));
    ASSERT_TRUE(nextWord(other));
    SourceLexer::LineAhead ahead = lexer.lineAhead();
    ASSERT_FALSE(ahead.bytes.empty());
    size_t start = ahead.bytes.find_first_not_of(' ');
    size_t end = ahead.bytes.find_first_of("\t\r", start);
    if (end == std::string_view::npos) end = ahead.bytes.size();
    EXPECT_EQ(std::u16string(ahead.units + start, end - start),
              widenCopy(std::string(ahead.bytes.substr(start, end - start))));
    lexer.tokenReadAhead(start, end);
    ASSERT_TRUE(nextParam(other));
    EXPECT_EQ(lexer.current, other.current) << line;
    EXPECT_EQ(lexer.currentLine, other.currentLine) << line;
    EXPECT_EQ(lexer.tokenColumn, other.tokenColumn) << line;
    EXPECT_EQ(lexer.tokenEndColumn, other.tokenEndColumn) << line;
    EXPECT_EQ(lexer.tokenLine, other.tokenLine) << line;
  }
  // The rest reads alike, comment and line counts included; the last line
  // has no line feed, so nothing lies ahead.
  ASSERT_TRUE(nextWord(lexer));
  ASSERT_TRUE(nextWord(other));
  EXPECT_TRUE(lexer.lineAhead().bytes.empty());
  for (SourceLexer* reader : {&lexer, &other}) {
    ASSERT_TRUE(nextWord(*reader));
    EXPECT_EQ(reader->token, u"last");
    EXPECT_EQ(reader->tokenLine, 4);
    EXPECT_EQ(reader->tokenColumn, 5);
  }
  EXPECT_EQ(lexer.characterSum(), other.characterSum());
}

TEST_F(SourceLexerTest, MalformedUtf8IsAParseErrorOnItsLine) {
  const char* const malformed[] = {
      "\x80",              // a continuation byte first
      "\xC0\x80",          // an overlong form of 0
      "\xC1\xBF",          // an overlong form of 0x7F
      "\xE0\x80\xAF",      // an overlong form of "/"
      "\xED\xA0\x80",      // a surrogate
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
      "\xF5\x80\x80\x80",  // no such lead byte
      "\xE2\x28\xA1",      // a lead byte without its continuation
      "\xE2\x82",          // cut by the end of the file
      "\xFF",
  };
  for (const char* bytes : malformed) {
    SCOPED_TRACE(bytes);
    open(std::string("\xEF\xBB\xBF") + "SKINTYPE\n/ comment\nNAME " + bytes + " x\n");
    try {
      while (nextWord(lexer)) {
      }
      ADD_FAILURE() << "no error";
    } catch (const CKrvException& e) {
      EXPECT_EQ(e.code, kErrorParse);
      EXPECT_EQ(e.message, "Malformed UTF-8 text");
      EXPECT_EQ(lexer.currentLine, 3);
    }
  }
}

// A device is read a piece at a time: pieces end anywhere, in a token, in a
// UTF-16 unit or in a UTF-8 character, and the text reads as from a file.
TEST_F(SourceLexerTest, StreamsReadLikeFiles) {
  const std::u16string text =
      u"/ first\r\nSKINTYPE scalable\r\nNAME 1 \"\u00C5ngstr\u00F6m \U0001F600\"\n"
      u"  BITMAP\tIID=A c16 " +
      std::u16string(300, u'x') + u".bmp\n/x\n\nB" + std::u16string(1, u'\0') + u"C last";
  std::string eightBit;
  for (char16_t c : text) eightBit.push_back(static_cast<char>(c));
  for (const std::string& bytes : {eightBit, utf16Bytes(text), utf8Bytes(text)}) {
    fs.streams.clear();
    open(bytes);
    std::u16string whole = tokensOf(lexer);
    fs.streams.insert("in.txt");
    open(bytes);
    EXPECT_EQ(tokensOf(lexer), whole);
  }
}

// An input that never ends stops at the limit; a regular file beyond it is
// refused before it is read.
TEST_F(SourceLexerTest, InputsBeyondTheLimitAreRefused) {
  lexer.inputLimit = 1000;
  fs.streams.insert("in.txt");
  open(std::string(1000, '\0') + "X");
  try {
    nextWord(lexer);
    ADD_FAILURE() << "no error";
  } catch (const CKrvException& e) {
    EXPECT_EQ(e.code, kErrorParse);
    EXPECT_EQ(e.message, "Input file longer than 1000 bytes");
  }
  open(std::string(1000, 'X'));  // the limit itself is allowed
  fs.streams.clear();
  EXPECT_EQ(openFailure(std::string(1001, 'X')), kErrorParse);
  EXPECT_EQ(lexer.currentLine, 1);
}

TEST_F(SourceLexerTest, ReopeningResetsTheReader) {
  open("AAAA");
  while (lexer.nextChar()) {
  }
  open("\nB");
  EXPECT_EQ(lexer.currentLine, 2);
  EXPECT_EQ(lexer.characterSum(), 10u);
}

}  // namespace
}  // namespace korvane
