// The opening of a description, the element loop and the skin-level elements.
#include <string>

#include "parser/parser_test_support.h"

namespace korvane::testing {
namespace {

const std::string kNormal = "SKINTYPE normal\nNAME 1 \"Skin\"\n";
const std::string kScalable = "SKINTYPE scalable\nNAME 1 \"Skin\"\n";

class SkinElementsTest : public ParserTest {
 protected:
  void expectFailure(const std::string& text, int32_t code, const std::string& message,
                     int32_t line) {
    SCOPED_TRACE(text);
    ParseFailure failure = parseFailure(text);
    EXPECT_EQ(failure.code, code);
    EXPECT_EQ(failure.message, message);
    EXPECT_EQ(failure.line, line);
  }
};

struct FailureCase {
  std::string text;
  int32_t code;
  std::string message;
  int32_t line;
};

TEST_F(SkinElementsTest, OpeningErrors) {
  const FailureCase cases[] = {
      {"\r\n", kErrorParse, "Expected \"SKINTYPE\", but \"\" found instead", 2},
      {"NAME 1 \"x\"\n", kErrorParse, "Expected \"SKINTYPE\", but \"NAME\" found instead", 1},
      {"SKINTYPE normal", kErrorParse, "Expected \"NAME\", but \"\" found instead", 1},
      {"SKINTYPE scalable language=AH\nNAME 1 \"x\"\n", kErrorParse,
       "Expected \"NAME\", but \"language=AH\" found instead", 2},
      {"SKINTYPE normal\nBITMAP 8 a.bmp\n", kErrorParse,
       "Expected \"NAME\", but \"BITMAP\" found instead", 2},
      {"SKINTYPE\nnormal\n", kErrorParse, "Unknown or missing parameter for SKINTYPE", 2},
      {"SKINTYPE flat\n", kErrorParse, "Unknown or missing parameter for SKINTYPE", 2},
      {"SKINTYPE normal language=XY\n", kErrorParse,
       "Unknown or missing additional parameter for SKINTYPE", 2},
      {"SKINTYPE normal\nPID 0 5\n", kErrorParse, "PID can not start with zero", 2},
      {"SKINTYPE normal\nPID 5\n", kErrorParse, "Number token is empty", 3},
      {"SKINTYPE normal\nUID x1\n", kErrorParse, "Non-numeric character in number token", 3},
      {kNormal + "UID 5\n", kErrorParse, "Unknown token encountered or syntax error", 3},
      {kNormal + "PID 1 5\n", kErrorParse, "Unknown token encountered or syntax error", 3},
      {kNormal + "SKINTYPE normal\n", kErrorParse, "Unknown token encountered or syntax error", 3},
      {kNormal + "NAME 1 \"Again\"\n", kErrorContent,
       "Name for the language ID has already been specified", 4},
  };
  for (const FailureCase& c : cases) {
    SetUp();
    expectFailure(c.text, c.code, c.message, c.line);
  }
}

TEST_F(SkinElementsTest, OpeningForms) {
  parse("SKINTYPE normal\nUID 0\nNAME 1 \"Skin\"\n");
  EXPECT_EQ(content->packageIdHigh, 0u);
  EXPECT_EQ(content->packageIdLow, 0u);

  SetUp();
  parse("skintype System Language=ah\npid 0x10 0x20\nname 0x1 \"One\"\nNaMe 2 \"\"\n");
  EXPECT_EQ(content->skinType, 0x103u);
  EXPECT_EQ(content->packageIdHigh, 0x10u);
  EXPECT_EQ(content->packageIdLow, 0x20u);
  ASSERT_EQ(content->names().size(), 2u);
  EXPECT_EQ(content->names()[0].name, u"One");
  EXPECT_EQ(content->names()[1].languageId, 2u);

  SetUp();
  parse("SKINTYPE normal language=AH\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n");
  EXPECT_EQ(content->skinType, 0x102u);
  EXPECT_EQ(content->packageIdLow, 0x2000ABCDu);
  EXPECT_TRUE(out().empty());
}

TEST_F(SkinElementsTest, SkinLevelElements) {
  parse(kNormal +
        "LANGUAGEOVERRIDE AH 0x10 0x20\nLANGUAGEPARENT 7\nprotect DisableCopy\n"
        "AUTHOR \"First\"\nAUTHOR \"Second\"\nCOPYRIGHT \"(c) <65>\"\nTOOL \"\"\n"
        "TARGETDEVICE \"A\"\nTARGETDEVICE \"B\"\n");
  EXPECT_EQ(content->ahOverrideHigh, 0x10u);
  EXPECT_EQ(content->ahOverrideLow, 0x20u);
  EXPECT_EQ(content->parentUidHigh, 0u);
  EXPECT_EQ(content->parentUidLow, 7u);
  EXPECT_EQ(content->protect, 1u);
  EXPECT_EQ(content->author, u"Second");
  EXPECT_EQ(content->copyright, u"(c) A");
  EXPECT_EQ(content->tool, u"");
  ASSERT_EQ(content->targetDevices().size(), 2u);
  EXPECT_EQ(content->targetDevices()[1], u"B");

  SetUp();
  parse(kNormal + "LANGUAGEOVERRIDE AH 0x20\nLANGUAGEPARENT 1 2\n");
  EXPECT_EQ(content->ahOverrideHigh, 0u);
  EXPECT_EQ(content->ahOverrideLow, 0x20u);
  EXPECT_EQ(content->parentUidHigh, 1u);
  EXPECT_EQ(content->parentUidLow, 2u);
}

TEST_F(SkinElementsTest, SkinLevelErrors) {
  const FailureCase cases[] = {
      // Parameters must stand on the keyword's line.
      {kNormal + "PROTECT\ndisablecopy\n", kErrorParse, "Unknown or missing parameter for PROTECT",
       4},
      {kNormal + "AUTHOR\n\"Me\"\n", kErrorParse, "No opening quotation mark for string found", 4},
      {kNormal + "LANGUAGEPARENT\n5\n", kErrorParse, "Number token is empty", 4},
      {kNormal + "LANGUAGEOVERRIDE 0x10 0x20\n", kErrorParse,
       "Unknown or missing parameter for LANGUAGEOVERRIDE", 3},
      {kScalable + "LANGUAGEOVERRIDE XX\n", kErrorParse,
       "Language override can not be used with scalable skins", 3},
      {kScalable + "LANGUAGEPARENT 1\n", kErrorParse,
       "Parent UID can not be used with scalable skins", 3},
      {kNormal + "SCALABLEITEM IID=QsnBgScreen\n", kErrorContent,
       "SCALABLEITEM can only be included in scalable skins", 3},
      {kNormal + "\nanimation IID=QsnBgScreen\n", kErrorContent,
       "ANIMATION can only be included in scalable skins", 4},
      {kNormal + "TARGETDEVICE \"" + std::string(128, 'd') + "\"\n", kErrorParse,
       "Target device longer than 127 characters", 4},
  };
  for (const FailureCase& c : cases) {
    SetUp();
    expectFailure(c.text, c.code, c.message, c.line);
  }
}

TEST_F(SkinElementsTest, UnknownKeywordIsPrintedAsUtf8BeforeTheError) {
  // A UTF-16 source whose unknown keyword holds U+0141 and U+20AC.
  std::u16string text = u"SKINTYPE normal\nNAME 1 \"x\"\n\u0141ogo\u20AC\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  expectFailure(bytes, kErrorParse, "Unknown token encountered or syntax error", 4);
  EXPECT_EQ(out(), "DEBUG: Unknown token: \"\xC5\x81ogo\xE2\x82\xAC\"\n");
}

TEST_F(SkinElementsTest, BitmapPathNotes) {
  parse(kNormal + "BITMAPPATH gfx\nBITMAPPATH gfx\nBITMAPPATH GFX\\\nBITMAPPATH\nBITMAPPATH\n");
  EXPECT_EQ(out(),
            "NOTE: Trailing backslash appended to bitmap path\n"
            "NOTE: Bitmap source path set to gfx\n"
            "NOTE: Trailing backslash appended to bitmap path\n"
            "NOTE: Bitmap source path set to gfx\n"
            "NOTE: Bitmap source path set to automatic.\n"
            "NOTE: Bitmap source path set to automatic.\n");
  EXPECT_EQ(content->bitmapPath(), u"");
}

}  // namespace
}  // namespace korvane::testing
