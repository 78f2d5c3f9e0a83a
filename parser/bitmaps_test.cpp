// BITMAP elements, image references inside compounds, image attributes and
// the mask rules.
#include <string>

#include "parser/parser_test_support.h"

namespace korvane::testing {
namespace {

const std::string kNormal = "SKINTYPE normal\nNAME 1 \"Skin\"\n";
const std::string kScalable = "SKINTYPE scalable\nNAME 1 \"Skin\"\n";

// `count` references by item name on one line.
std::string namedRefs(int count) {
  std::string line;
  for (int i = 0; i < count; ++i) line += "IID=QsnBgScreen ";
  return line;
}

class BitmapsTest : public ParserTest {
 protected:
  void SetUp() override {
    ParserTest::SetUp();
    for (const char* name : {"a.bmp", "b.bmp", "qsn_bg_screen.bmp", "icon.svg"}) addImage(name);
  }
  const BitmapItem& bitmap(size_t i) { return content->bitmaps().at(i); }
};

TEST_F(BitmapsTest, BitmapElementIdentifiersAndIndices) {
  parse(kNormal +
        "BITMAP 8 qsn_bg_screen.bmp\n"
        "bitmap CLASS=appicon IID=Wallpaper c16 a.bmp\n"
        "BITMAP IID=Orv_3_0%Wallpaper C16 A.BMP\n");
  ASSERT_EQ(content->bitmaps().size(), 3u);
  EXPECT_EQ(bitmap(0).id, (ItemId{0x10005A26, 0x1000}));
  EXPECT_EQ(bitmap(0).bitmapIndex, 0x4000u);
  EXPECT_EQ(bitmap(0).maskIndex, -1);
  EXPECT_EQ(bitmap(0).attributes.flags, 0u);
  EXPECT_EQ(bitmap(0).appIcon, 0);
  EXPECT_EQ(bitmap(1).id, (ItemId{0x10005A26, 0x1180}));
  EXPECT_EQ(bitmap(1).bitmapIndex, 0x4002u);
  EXPECT_EQ(bitmap(1).appIcon, 1);
  // The same file in another letter case shares the source.
  EXPECT_EQ(bitmap(2).bitmapIndex, 0x4002u);
  EXPECT_EQ(bitmap(2).restriction, 0x300u);
  ASSERT_EQ(content->bitmapSources().size(), 2u);
  EXPECT_EQ(content->bitmapSources()[0].colorDepth, 4u);
  EXPECT_EQ(content->bitmapSources()[1].colorDepth, 8u);
  EXPECT_EQ(content->bitmapSources()[1].path, u".\\");

  SetUp();
  parse(kScalable + "BITMAP IID=QsnBgScreen 8 a.bmp\n");
  EXPECT_EQ(bitmap(0).attributes.flags, kAttrScalable);
}

TEST_F(BitmapsTest, BitmapErrors) {
  struct Case {
    std::string line;
    int32_t code;
    std::string message;
  } cases[] = {
      {"BITMAP 8 nothing_here.bmp", kErrorParse, "No match found for item ID \"nothing_here.bmp\""},
      {"BITMAP IID=QsnBgScreen CLASS=appicon 8 a.bmp", kErrorParse,
       "Unknown color depth parameter"},
      {"BITMAP IID=QsnBgScreen 16 a.bmp", kErrorParse, "Unknown color depth parameter"},
      {"BITMAP IID=Nope 8 a.bmp", kErrorParse, "No match found for item ID \"Nope\""},
      {"BITMAP IID=QsnBgScreen 8", kErrorParse, "Image file name missing"},
      {"BITMAP IID=QsnBgScreen 8 a.bmp COORDS=1", kErrorParse,
       "No comma in image attribute COORDS"},
      {"BITMAP IID=QsnBgScreen 8 a.bmp SIZE=20", kErrorParse, "No comma in image attribute SIZE"},
      {"BITMAP IID=QsnBgScreen 8 a.bmp COORDS=,1", kErrorParse, "Number token is empty"},
      {"BITMAP IID=QsnBgScreen 8 a.bmp ALIGN=CT", kErrorParse,
       "Unknown parameter for image attribute ALIGN"},
      {"BITMAP IID=QsnBgScreen 8 a.bmp TILES", kErrorParse, "Unknown attribute parameter"},
      {"BITMAP IID=QsnBgScreen 8 icon.svg MASK=m.bmp", kErrorParse,
       "SVG icon can not have a named mask"},
      {"BITMAP IID=QsnBgScreen 8 a.bmp SOFTMASK", kErrorParse,
       "Non-SVG icon can not have an unnamed mask"},
      {"BITMAP IID=QsnBgScreen 8 a.bmp\nBITMAP IID=QsnBgScreen 8 b.bmp", kErrorContent,
       "Item already defined"},
  };
  for (const Case& c : cases) {
    SetUp();
    ParseFailure failure = parseFailure(kNormal + c.line);
    EXPECT_EQ(failure.code, c.code) << c.line;
    EXPECT_EQ(failure.message, c.message) << c.line;
  }
}

TEST_F(BitmapsTest, ImageAttributes) {
  parse(kNormal +
        "BITMAP IID=QsnBgScreen 8 a.bmp COORDS=0x10,-4 SIZE=20,30 SIZE=1,2 stretch TILE TileX "
        "TILEY ALIGN=cc\nBITMAP IID=Wallpaper 8 a.bmp ALIGN=BR\n");
  const ImageAttributes& attributes = bitmap(0).attributes;
  EXPECT_EQ(attributes.flags, 0xDFu);
  EXPECT_EQ(attributes.x, 16);
  EXPECT_EQ(attributes.y, -4);
  EXPECT_EQ(attributes.width, 1);
  EXPECT_EQ(attributes.height, 2);
  EXPECT_EQ(attributes.align, 0x24u);
  EXPECT_EQ(bitmap(1).attributes.flags, kAttrAlign);
  EXPECT_EQ(bitmap(1).attributes.align, 0x12u);
}

TEST_F(BitmapsTest, MasksAreHeldByTheSharedSource) {
  parse(kScalable +
        "BITMAP IID=QsnBgScreen 8 a.bmp MASK=m1.bmp\n"
        "BITMAP IID=Wallpaper 8 A.bmp SOFTMASK=m2.bmp COORDS=1,1\n"
        "BITMAP IID=QsnFrPinbCenterWp 8 a.bmp\n"
        "BITMAP IID=SoundRingingTone c16 icon.svg SOFTMASK\n"
        "BITMAP IID=SoundMessageAlert c16 icon.svg mask\n");
  EXPECT_EQ(out(), "NOTE: Mask already defined, second definition ignored (line 4)\n");
  const BitmapSource& shared = content->bitmapSources()[0];
  EXPECT_EQ(shared.maskKind, kMaskHard);
  EXPECT_EQ(shared.maskFileName, u"m1.bmp");
  EXPECT_EQ(bitmap(0).maskIndex, 0x4001);
  EXPECT_EQ(bitmap(1).maskIndex, 0x4001);
  EXPECT_EQ(bitmap(2).maskIndex, -1);
  // Unnamed masks of SVG icons overwrite the kind without a note.
  EXPECT_EQ(content->bitmapSources()[1].maskKind, kMaskHard);
  EXPECT_EQ(content->bitmapSources()[1].maskFileName, u"");
  EXPECT_EQ(bitmap(3).maskIndex, 0x4003);
}

// A missing image file adds no bitmap item, but its line is still checked and
// an inline reference still gives the compound its (generated) identifier.
TEST_F(BitmapsTest, MissingImageFiles) {
  parse(kNormal +
        "BITMAP IID=QsnBgScreen 8 missing.bmp MASK=m.bmp COORDS=1,2\n"
        "BITMAP IID=QsnBgScreen 8 a.bmp\n"
        "FRAME IID=QsnFrPinbCenterWp\n" +
        namedRefs(7) + "\n8 gone.bmp MASK=m.bmp TILE\n8 b.bmp\nEND\n");
  EXPECT_EQ(out(),
            "NOTE: item missing.bmp not add beacuse file not exist!!\n"
            "NOTE: Generated IID (0xfffffffc,0x1000) for gone.bmp (line 7)\n"
            "NOTE: item gone.bmp not add beacuse file not exist!!\n"
            "WARNING: TILE attribute used with masked bitmap (line 8)\n"
            "NOTE: Generated IID (0xfffffffc,0x1001) for b.bmp (line 9)\n");
  ASSERT_EQ(content->bitmaps().size(), 2u);
  EXPECT_EQ(bitmap(0).bitmapIndex, 0x4000u);
  EXPECT_EQ(bitmap(1).id, (ItemId{0xFFFFFFFC, 0x1001}));
  ASSERT_EQ(content->frames().size(), 1u);
  EXPECT_EQ(content->frames()[0].parts[7], (ItemId{0xFFFFFFFC, 0x1000}));
  EXPECT_EQ(content->bitmapSources().size(), 2u);

  for (const char* line : {"BITMAP IID=QsnBgScreen 8 missing.bmp TILES\n",
                           "BITMAP IID=QsnBgScreen 8 missing.svg MASK=m.bmp\n"}) {
    SetUp();
    EXPECT_EQ(parseFailure(kNormal + line).code, kErrorParse) << line;
  }
}

TEST_F(BitmapsTest, ReferencesByNameReportTheirRestriction) {
  addItemId("KTavsIIDTestFrame", 0x10005A26, 0x9001);
  parse(kNormal + "FRAME IID=QsnFrPinbCenterWp\n" + namedRefs(8) +
        "\nIID=Orv_3_0%QsnBgScreen END\n"
        "FRAME IID=LAY_W%TestFrame\n"
        "IID=LAY_W%QsnBgScreen IID=LAY_AH%Wallpaper IID=QsnBgScreen\n" +
        namedRefs(6) + "END\n");
  EXPECT_EQ(
      out(),
      "WARNING: IID reference (IID=Orv_3_0%QsnBgScreen) is restricted. Relative validity can "
      "not be checked and may be broken (line 5)\n"
      "NOTE: IID reference (IID=LAY_W%QsnBgScreen) is restricted, but shares the restrictions "
      "of the compound. Relative validity can not be checked (line 7)\n"
      "WARNING: IID reference (IID=LAY_AH%Wallpaper) is restricted. Relative validity can not "
      "be checked and may be broken (line 7)\n" +
          [] {
            std::string notes;
            for (int line : {8, 8, 8, 8, 8, 8, 8}) {
              notes +=
                  "NOTE: Non-restricted IID reference (IID=QsnBgScreen) inside restricted "
                  "compound (line " +
                  std::to_string(line) + ")\n";
            }
            return notes;
          }());
  ASSERT_EQ(content->frames().size(), 2u);
  EXPECT_EQ(content->frames()[1].restriction, 0x10000u);
  EXPECT_EQ(content->frames()[1].parts[1], (ItemId{0x10005A26, 0x1180}));
}

TEST_F(BitmapsTest, GeneratedIdentifiersTakeTheirMajorFromTheUid) {
  struct Case {
    std::string opening;
    std::string major;
  } cases[] = {
      {"SKINTYPE normal\nNAME 1 \"x\"\n", "0xfffffffc"},
      {"SKINTYPE normal\nUID 0x2000ABCD\nNAME 1 \"x\"\n", "0x2000abcd"},
      {"SKINTYPE normal\nUID 0\nNAME 1 \"x\"\n", "0xfffffffc"},
      {"SKINTYPE normal\nPID 0x1 0x2000ABCD\nNAME 1 \"x\"\n", "0xfffffffc"},
  };
  for (const Case& c : cases) {
    SetUp();
    parse(c.opening + "FRAME IID=QsnFrPinbCenterWp\n" + namedRefs(7) + "\n8 a.bmp\n8 b.bmp\nEND\n");
    EXPECT_NE(out().find("NOTE: Generated IID (" + c.major + ",0x1000) for a.bmp"),
              std::string::npos)
        << out();
    EXPECT_NE(out().find("NOTE: Generated IID (" + c.major + ",0x1001) for b.bmp"),
              std::string::npos);
    EXPECT_EQ(content->nextGeneratedMinor, 0x1002u);
  }
}

TEST_F(BitmapsTest, InlineReferencesInRestrictedCompounds) {
  parse(kNormal + "FRAME IID=LAY_W%QsnFrPinbCenterWp\n8 qsn_bg_screen.bmp\n8 a.bmp\n" +
        namedRefs(7) + "END\n");
  EXPECT_EQ(
      out().substr(0, out().find("NOTE: Non-restricted")),
      "NOTE: Known IID (0x10005a26,0x1000) referenced inside restricted compound. Relative "
      "validity can not be checked (line 5)\n"
      "NOTE: Generated IID (0xfffffffc,0x1000) for a.bmp (line 6)\n"
      "NOTE: Restriction inherited to generated IID (0xfffffffc,0x1000) for a.bmp (line 6)\n");
  ASSERT_EQ(content->bitmaps().size(), 2u);
  EXPECT_EQ(bitmap(0).restriction, 0x10000u);
  EXPECT_EQ(bitmap(1).restriction, 0x10000u);
  EXPECT_EQ(bitmap(1).appIcon, 0);
}

TEST_F(BitmapsTest, TileWarningOnlyForMaskedInlineTile) {
  parse(kNormal + "BITMAP IID=Wallpaper 8 a.bmp MASK=m.bmp TILE\n" +
        "FRAME IID=QsnFrPinbCenterWp\n" + namedRefs(7) +
        "\n8 qsn_bg_screen.bmp MASK=m.bmp TILEX\n8 b.bmp TILE MASK=m.bmp\nEND\n");
  EXPECT_EQ(out(),
            "NOTE: Generated IID (0xfffffffc,0x1000) for b.bmp (line 7)\n"
            "WARNING: TILE attribute used with masked bitmap (line 8)\n");
}

// A quiet report's parse composes no notes, but keeps its warnings and
// allocates the same generated identifiers.
TEST_F(BitmapsTest, DroppedQuietLinesKeepWarningsAndIdentifiers) {
  dropQuietLines = true;
  parse(kNormal + "FRAME IID=LAY_W%QsnFrPinbCenterWp\n8 qsn_bg_screen.bmp\n" +
        "IID=LAY_W%QsnBgScreen IID=LAY_AH%Wallpaper IID=QsnBgScreen\n" + namedRefs(4) +
        "8 a.bmp MASK=m.bmp TILE\nEND\n");
  EXPECT_EQ(out(),
            "WARNING: IID reference (IID=LAY_AH%Wallpaper) is restricted. Relative validity can "
            "not be checked and may be broken (line 5)\n"
            "WARNING: TILE attribute used with masked bitmap (line 7)\n");
  EXPECT_EQ(content->nextGeneratedMinor, 0x1001u);
  ASSERT_EQ(content->bitmaps().size(), 2u);
  EXPECT_EQ(bitmap(1).id, (ItemId{0xfffffffc, 0x1000}));
  EXPECT_EQ(bitmap(1).restriction, 0x10000u);
}

TEST_F(BitmapsTest, InlineReferenceConsumesItsLine) {
  ParseFailure failure =
      parseFailure(kNormal + "FRAME IID=QsnFrPinbCenterWp\n" + namedRefs(8) + "8 a.bmp END\n");
  EXPECT_EQ(failure.message, "Unknown attribute parameter");
  EXPECT_EQ(failure.line, 5);
}

}  // namespace
}  // namespace korvane::testing
