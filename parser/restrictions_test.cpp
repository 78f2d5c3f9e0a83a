// The RESTRICTION element, restriction prefixes on item references and the
// expected-token and no-match errors.
#include <string>

#include "parser/parser_test_support.h"

namespace korvane::testing {
namespace {

const std::string kNormal = "SKINTYPE normal\nNAME 1 \"Skin\"\n";
const std::string kScalable = "SKINTYPE scalable\nNAME 1 \"Skin\"\n";

using RestrictionsTest = ParserTest;

TEST_F(RestrictionsTest, ElementSetsCodesAndPrintsNotes) {
  parse(kScalable +
        "RESTRICTION lay_ah\nRESTRICTION Orv_2_6\nRESTRICTION LANG=0x1A\nRESTRICTION lang=26\n"
        "RESTRICTION LANG=0x10001\nRESTRICTION none\n");
  EXPECT_EQ(out(),
            "NOTE: Current restriction set to Layout/Mirrored\n"
            "NOTE: Current restriction set to 2.6\n"
            "NOTE: Current restriction set to Language/langcode:26\n"
            "NOTE: Current restriction set to Language/langcode:26\n"
            "NOTE: Current restriction set to Language/langcode:1\n"
            "NOTE: Current restriction cleared\n");
  EXPECT_EQ(content->languageRestrictions, (std::vector<uint32_t>{0x3001A, 0x3001A, 0x30001}));
  EXPECT_EQ(content->currentRestriction, 0u);
}

TEST_F(RestrictionsTest, NormalSkinIsWarnedButRestrictedAnyway) {
  parse(kNormal + "RESTRICTION Orv_3_0\nSTRING IID=QsnBgScreen \"s\"\n");
  EXPECT_EQ(out(),
            "WARNING: RESTRICTION elements is only allowed in scalable skins, layout types will "
            "not work with this skin (line 3)\n"
            "NOTE: Current restriction set to 3.0\n");
  ASSERT_EQ(content->strings().size(), 1u);
  EXPECT_EQ(content->strings()[0].restriction, 0x300u);
}

TEST_F(RestrictionsTest, ElementErrors) {
  for (const char* line :
       {"RESTRICTION\nOrv_3_0\n", "RESTRICTION Orv_4_0\n", "RESTRICTION LANG\n"}) {
    SetUp();
    ParseFailure failure = parseFailure(kScalable + line);
    EXPECT_EQ(failure.code, kErrorParse);
    EXPECT_EQ(failure.message, "Unknown specifier for RESTRICTION element") << line;
  }
  SetUp();
  EXPECT_EQ(parseFailure(kScalable + "RESTRICTION LANG=\n").message, "Number token is empty");
}

// The current restriction holds for every later item, across compounds and
// their END, and an identifier may be defined once per restriction.
TEST_F(RestrictionsTest, CurrentRestrictionAppliesToLaterItems) {
  parse(kScalable +
        "STRING IID=QsnBgScreen \"plain\"\n"
        "RESTRICTION Orv_3_1\n"
        "COLORTABLE IID=QsnBgScreen\nEND\n"
        "STRING IID=Wallpaper \"w\"\n");
  ASSERT_EQ(content->colorTables().size(), 1u);
  EXPECT_EQ(content->colorTables()[0].restriction, 0x301u);
  EXPECT_EQ(content->strings()[1].restriction, 0x301u);

  SetUp();
  ParseFailure failure = parseFailure(kScalable +
                                      "RESTRICTION LAY_W\nSTRING IID=QsnBgScreen \"a\"\n"
                                      "STRING IID=QsnBgScreen \"b\"\n");
  EXPECT_EQ(failure.code, kErrorContent);
  EXPECT_EQ(failure.message, "Item already defined");
  EXPECT_EQ(failure.line, 6);
}

TEST_F(RestrictionsTest, ItemPrefixes) {
  parse(kScalable +
        "STRING IID=LAY_W%QsnBgScreen \"w\"\n"
        "STRING IID=orv_5_0%QsnBgScreen \"5\"\n"
        "RESTRICTION NONE\n"
        "STRING IID=LAY_AH%QsnBgScreen \"ah\"\n");
  ASSERT_EQ(content->strings().size(), 3u);
  EXPECT_EQ(content->strings()[0].restriction, 0x10000u);
  EXPECT_EQ(content->strings()[0].id, (ItemId{0x10005A26, 0x1000}));
  EXPECT_EQ(content->strings()[1].restriction, 0x500u);
  EXPECT_EQ(content->strings()[2].restriction, 0x20000u);

  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {"RESTRICTION Orv_3_0\nSTRING IID=LAY_W%QsnBgScreen \"x\"\n",
       "No item-based restriction can be used where RESTRICTION element already applies"},
      {"STRING IID=LANG=5%QsnBgScreen \"x\"\n", "Unknown release restriction prefix in IID"},
      {"STRING IID=NONE%QsnBgScreen \"x\"\n", "Unknown release restriction prefix in IID"},
      {"STRING IID=%QsnBgScreen \"x\"\n", "Unknown release restriction prefix in IID"},
      {"STRING IID=Orv_3_0%NoSuchItem \"x\"\n",
       "No match found for item ID \"Orv_3_0%NoSuchItem\""},
      {"STRING IID=Orv_3_0%Qsn%BgScreen \"x\"\n",
       "No match found for item ID \"Orv_3_0%Qsn%BgScreen\""},
      {"STRING IID=KTavsIIDQsnBgScreen \"x\"\n",
       "No match found for item ID \"KTavsIIDQsnBgScreen\""},
  };
  for (const Case& c : cases) {
    SetUp();
    ParseFailure failure = parseFailure(kScalable + c.text);
    EXPECT_EQ(failure.code, kErrorParse);
    EXPECT_EQ(failure.message, c.message) << c.text;
  }
}

TEST_F(RestrictionsTest, RegistryLookupIgnoresCaseAndFindsAppendedRows) {
  addItemId("KTavsIIDTestExtra", 0x10005A26, 0x9000);
  parse(kScalable + "STRING IID=qsnbgscreen \"a\"\nSTRING IID=TESTEXTRA \"b\"\n");
  ASSERT_EQ(content->strings().size(), 2u);
  EXPECT_EQ(content->strings()[0].id, (ItemId{0x10005A26, 0x1000}));
  EXPECT_EQ(content->strings()[1].id, (ItemId{0x10005A26, 0x9000}));
}

}  // namespace
}  // namespace korvane::testing
