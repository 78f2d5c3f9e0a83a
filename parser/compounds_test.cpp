// Colour tables, frames, bitmap animations, application icons, the palette and
// sound/string items.
#include <string>

#include "parser/parser_test_support.h"

namespace korvane::testing {
namespace {

const std::string kNormal = "SKINTYPE normal\nNAME 1 \"Skin\"\n";

std::string repeated(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

class CompoundsTest : public ParserTest {
 protected:
  void SetUp() override {
    ParserTest::SetUp();
    for (const char* name : {"a.bmp", "b.bmp", "c.svg"}) addImage(name);
    addItemId("KTavsIIDTestAnim", 0x10005A26, 0x9100);
    addItemId("KTavsIIDTestIcon", 0x10005A26, 0x9101);
    addItemId("KTavsIIDTestLater", 0x10005A26, 0x9102);
  }
  void expectFailure(const std::string& body, int32_t code, const std::string& message,
                     int32_t line) {
    SetUp();
    ParseFailure failure = parseFailure(kNormal + body);
    EXPECT_EQ(failure.code, code) << body;
    EXPECT_EQ(failure.message, message) << body;
    EXPECT_EQ(failure.line, line) << body;
  }
};

TEST_F(CompoundsTest, ColorTables) {
  parse(kNormal +
        "COLORTABLE IID=QsnBgScreen\nRGB=0xFF0000 idx=215\nrgb=0x123456\nEND\n"
        "colortable IID=Wallpaper END\n");
  ASSERT_EQ(content->colorTables().size(), 2u);
  const std::vector<ColorEntry>& entries = content->colorTables()[0].entries;
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].index, -1);
  EXPECT_EQ(entries[0].rgb, 0x0000FFu);
  EXPECT_EQ(entries[1].index, 215);
  EXPECT_EQ(entries[1].rgb, 0u);
  EXPECT_EQ(entries[2].rgb, 0x563412u);
  EXPECT_TRUE(content->colorTables()[1].entries.empty());
}

TEST_F(CompoundsTest, HeaderAndEndErrors) {
  expectFailure("COLORTABLE\nIID=QsnBgScreen\n", kErrorParse,
                "IID parameter expected for COLORTABLE", 4);
  expectFailure("COLORTABLE IID=QsnBgScreen\nIDX=1\n", kErrorParse, "No END token for COLORTABLE",
                5);
  expectFailure("COLORTABLE IID=QsnBgScreen\nIDX=1 RED\nEND\n", kErrorParse,
                "Unknown token inside COLORTABLE", 5);
  expectFailure("FRAME QsnBgScreen\n", kErrorParse, "IID parameter expected for FRAME", 4);
  expectFailure("FRAME IID=QsnBgScreen IID=QsnBgScreen\n", kErrorParse, "No END token for FRAME",
                4);
  expectFailure("BMPANIM\n", kErrorParse, "IID parameter expected for BMPANIM", 4);
  expectFailure("BMPANIM IID=TestAnim\nIID=QsnBgScreen", kErrorParse, "No END token for BMPANIM",
                4);
  expectFailure("APPICON IID=QsnBgScreen\n", kErrorParse, "UID parameter expected for APPICON", 4);
  expectFailure("APPICON UID=1\n", kErrorParse, "No END token for APPICON", 4);
  expectFailure("PALETTE 3\n", kErrorParse, "SCHEME parameter expected for PALETTE", 4);
  expectFailure("SOUND \"x\"\n", kErrorParse, "IID parameter expected for SOUND/STRING", 4);
  expectFailure("STRING IID=Nope \"x\"\n", kErrorParse, "No match found for item ID \"Nope\"", 3);
}

TEST_F(CompoundsTest, FramesNeedNineParts) {
  parse(kNormal + "FRAME IID=QsnFrPinbCenterWp " + repeated("IID=QsnBgScreen ", 9) + "END\n");
  ASSERT_EQ(content->frames().size(), 1u);
  EXPECT_EQ(content->frames()[0].parts.size(), 9u);

  // However many parts, the count is judged at the END line.
  for (int count : {0, 8, 10, 256, 300}) {
    expectFailure("FRAME IID=QsnFrPinbCenterWp\n" + repeated("IID=QsnBgScreen\n", count) + "END\n",
                  kErrorContent, "Frame must have 9 elements", 5 + count);
  }
}

TEST_F(CompoundsTest, BitmapAnimations) {
  parse(kNormal +
        "BMPANIM IID=TestAnim INTERVAL=100 MODE=svganim FLASH mode=PLAY\n"
        "TIME=50 POS=3,-4 IID=QsnBgScreen\n"
        "8 a.bmp\n"
        "TIME=7\nc16 c.svg MASK\n"
        "END\n"
        "BMPANIM IID=Wallpaper MODE=bounce\n8 b.bmp\nEND\n");
  ASSERT_EQ(content->bmpAnims().size(), 2u);
  const BmpAnimItem& anim = content->bmpAnims()[0];
  EXPECT_EQ(anim.interval, 100);
  EXPECT_EQ(anim.mode, kAnimModePlay);
  EXPECT_EQ(anim.flash, 1u);
  ASSERT_EQ(anim.frames.size(), 3u);
  EXPECT_EQ(anim.frames[0].id, (ItemId{0x10005A26, 0x1000}));
  EXPECT_EQ(anim.frames[0].time, 50);
  EXPECT_EQ(anim.frames[0].posX, 3);
  EXPECT_EQ(anim.frames[0].posY, -4);
  EXPECT_EQ(anim.frames[1].time, -1);
  EXPECT_EQ(anim.frames[1].posX, 0);
  EXPECT_EQ(anim.frames[2].time, 7);
  // svganim reaches the sources even though a later option changed the mode.
  ASSERT_EQ(content->bitmapSources().size(), 3u);
  EXPECT_EQ(content->bitmapSources()[0].svgAnim, 1);
  EXPECT_EQ(content->bitmapSources()[1].svgAnim, 1);
  EXPECT_EQ(content->bitmapSources()[2].svgAnim, 0);
  EXPECT_EQ(content->bmpAnims()[1].mode, kAnimModeBounce);
  EXPECT_EQ(content->bmpAnims()[1].interval, -1);

  expectFailure("BMPANIM IID=TestAnim MODE=loop\n", kErrorParse,
                "Expected \"<BMPANIM parameter>\", but \"MODE=loop\" found instead", 4);
  expectFailure("BMPANIM IID=TestAnim\nPOS=3\n", kErrorParse,
                "No comma found in POS parameter of BMPANIM", 5);
  expectFailure("BMPANIM IID=TestAnim\n8 a.bmp TIME=5\nEND\n", kErrorParse,
                "Unknown attribute parameter", 5);
}

TEST_F(CompoundsTest, AppIconWarnings) {
  parse(kNormal +
        "BITMAP IID=QsnBgScreen 8 a.bmp\n"
        "BITMAP CLASS=appicon IID=TestIcon 8 b.bmp\n"
        "APPICON UID=0x1000\n"
        "IID=QsnBgScreen\n"
        "IID=TestIcon IID=TestLater\n"
        "8 a.bmp\n"
        "END\n"
        "BITMAP IID=TestLater 8 a.bmp\n");
  EXPECT_EQ(out(),
            "WARNING: Application icon uses a bitmap outside its class (line 7)\n"
            "WARNING: Application icon possibly uses a bitmap outside its class (line 8)\n"
            "NOTE: Generated IID (0xfffffffc,0x1000) for a.bmp (line 9)\n");
  ASSERT_EQ(content->appIcons().size(), 1u);
  const AppIconItem& icon = content->appIcons()[0];
  EXPECT_EQ(icon.id, (ItemId{0x101F84B6, 0x1000}));
  ASSERT_EQ(icon.bitmaps.size(), 4u);
  EXPECT_EQ(icon.bitmaps[3], (ItemId{0xFFFFFFFC, 0x1000}));
  EXPECT_EQ(content->bitmaps()[2].appIcon, 1);
}

TEST_F(CompoundsTest, PaletteAndStrings) {
  parse(kNormal +
        "PALETTE SCHEME=3\nPALETTE scheme=0x10\n"
        "SOUND IID=SoundRingingTone \"tone.aac\"\nSTRING IID=Wallpaper \"\"\n"
        "STRING IID=QsnBgScreen \"a<0x42>\"\n");
  EXPECT_EQ(content->paletteScheme, 0x10u);
  EXPECT_EQ(content->paletteSchemeHigh, 0u);
  ASSERT_EQ(content->strings().size(), 3u);
  EXPECT_EQ(content->strings()[0].text, u"tone.aac");
  EXPECT_EQ(content->strings()[1].text, u"");
  EXPECT_EQ(content->strings()[2].text, u"aB");

  expectFailure("SOUND IID=Wallpaper \"a\"\nSTRING IID=Wallpaper \"b\"\n", kErrorContent,
                "Item already defined", 5);
  expectFailure("STRING IID=Wallpaper\n\"b\"\n", kErrorParse,
                "No opening quotation mark for string found", 4);
  // What follows the string on its line is read as the next element keyword.
  expectFailure("STRING IID=Wallpaper \"b\" trailing\n", kErrorParse,
                "Unknown token encountered or syntax error", 4);
  EXPECT_EQ(out(), "DEBUG: Unknown token: \"trailing\"\n");
  expectFailure("PALETTE SCHEME=1 STRING\n", kErrorParse, "IID parameter expected for SOUND/STRING",
                4);
}

TEST_F(CompoundsTest, ListsCountedInOneByteStopAt255) {
  parse(kNormal + "COLORTABLE IID=QsnBgScreen\n" + repeated("IDX=1\n", 255) + "END\n");
  EXPECT_EQ(content->colorTables()[0].entries.size(), 255u);

  expectFailure("COLORTABLE IID=QsnBgScreen\n" + repeated("IDX=1\n", 256) + "END\n", kErrorContent,
                "COLORTABLE has more than 255 entries", 4 + 256);
  expectFailure("APPICON UID=1\n" + repeated("IID=Wallpaper\n", 256) + "END\n", kErrorContent,
                "APPICON has more than 255 elements", 4 + 256);
  expectFailure("BMPANIM IID=QsnBgScreen\n" + repeated("TIME=1 IID=Wallpaper\n", 256) + "END\n",
                kErrorContent, "BMPANIM has more than 255 frames", 4 + 256);
}

}  // namespace
}  // namespace korvane::testing
