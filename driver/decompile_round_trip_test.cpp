// Descriptions whose SKN files are hard to give back: images numbered across
// restrictions and language sections, generated identifiers and missing
// image files, one listed text for two image files, texts beyond 8 bits.
// runInMemory checks every round trip; these tests also look at what the
// decompiled description had to do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_test_support.h"
#include "inspect/description_text.h"

namespace korvane {
namespace {

using namespace korvane::testing;

// Compiles `description` (with the image files `images`, empty, and the
// extension list `ids` as ids.txt) and returns the description decompiled
// with the generation list, or without it.
std::string decompiled(const std::string& description, const std::vector<std::string>& images,
                       std::vector<std::string> args = {}, bool withList = true,
                       const std::string& ids = "") {
  MemoryPlatform p;
  p.fs.addFile("skin.txt", description);
  p.fs.directories.insert("out");
  for (const std::string& image : images) p.fs.addFile(image, "");
  if (!ids.empty()) {
    p.fs.addFile("ids.txt", ids);
    args.push_back("-iids.txt");
  }
  args.push_back("skin.txt");
  args.push_back("Skin");
  RunResult run = runInMemory(p, args);
  EXPECT_EQ(run.code, 0) << run.out;
  return checkRoundTrip(p, args, withList).description;
}

size_t count(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

TEST(DecompileRoundTrip, ImagesAreNumberedAcrossRestrictionsAndLanguageSections) {
  // c.bmp is numbered first by an item of language 7, d.bmp last inside an
  // item of release 3.0; language 7 has two RESTRICTION elements, with
  // language 5 between them.
  std::string text = decompiled(
      "SKINTYPE scalable\nNAME 1 \"S\"\n"
      "RESTRICTION LANG=7\nBITMAP IID=QsnBgScreen c16 c.bmp\n"
      "RESTRICTION NONE\nBITMAP IID=QsnBgAreaMain c16 a.bmp\n"
      "RESTRICTION LANG=5\nBITMAP IID=QsnBgAreaStatus c16 b.bmp\n"
      "STRING IID=PropertyAnimBgParam \"five\"\n"
      "RESTRICTION LANG=7\nSTRING IID=PropertyAnimBgParam \"seven\"\n"
      "RESTRICTION Orv_3_0\n"
      "SCALABLEITEM IID=QsnBgAreaMainListGen INPUT=none OUTPUT=0/RGBA\n"
      "  EFFECT UID=1 INPUTA=none INPUTB=none OUTPUT=0/RGB\n"
      "    BMP Image c16 a.bmp\n    BMP Other c8 d.bmp\n  END\nEND\n"
      "RESTRICTION NONE\nBITMAP IID=LAY_W%QsnBgAreaControl c16 e.bmp\n",
      {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"});
  ASSERT_EQ(text.substr(0, 1), "/");  // 8-bit
  size_t first = text.find("RESTRICTION LANG=7");
  size_t five = text.find("RESTRICTION LANG=5");
  size_t second = text.find("RESTRICTION LANG=7", first + 1);
  EXPECT_LT(first, five);
  EXPECT_LT(five, second);
  EXPECT_EQ(count(text, "RESTRICTION LANG="), 3u);
  // c.bmp before a.bmp, as numbered.
  EXPECT_LT(text.find("c.bmp"), text.find("a.bmp"));
}

TEST(DecompileRoundTrip, GeneratedIdentifiersKeepTheirTurnAndMissingFilesStayMissing) {
  std::string text = decompiled(
      "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"S\"\n"
      "FRAME IID=QsnFrList\n"
      "  c16 a.bmp\n"              // generated (0x2000ABCD, 0x1000)
      "  c16 qsn_bg_screen.bmp\n"  // named by its file, between generated ones
      "  c16 b.bmp MASK=bm.bmp\n"  // generated 0x1001
      "  c16 nothere.bmp\n"        // generated 0x1002, no file: no bitmap
      "  IID=QsnFrListSideT IID=QsnFrListSideB IID=QsnFrListSideL IID=QsnFrListSideR\n"
      "  IID=QsnFrListCenter\n"
      "END\n"
      "BMPANIM IID=QgnGrafBarWait MODE=svganim MODE=play\n"
      "  c16 anim_1.svg\n"                                     // generated 0x1003, animated SVG
      "  TIME=5 POS=-1,2 c16 qsn_bg_area_main.svg SOFTMASK\n"  // named by its file, animated
      "END\n"
      "APPICON UID=0x2000ABCD\n  c16 gone.bmp\n  IID=QsnBgScreen\nEND\n",  // 0x1004, missing
      {"a.bmp", "b.bmp", "qsn_bg_screen.bmp", "anim_1.svg", "qsn_bg_area_main.svg"});
  EXPECT_NE(text.find("MODE=svganim MODE=play"), std::string::npos) << text;
  EXPECT_EQ(count(text, "missing_"), 3u) << text;  // two in elements, one in the header note
  EXPECT_NE(text.find("c16 qsn_bg_screen.bmp"), std::string::npos) << text;
}

TEST(DecompileRoundTrip, PlaceholdersGiveInlineImagesTheirIdentifiers) {
  // Without the list, the image between two generating ones in the frame
  // must still take its identifier from its (placeholder) file name.
  std::string text = decompiled(
      "SKINTYPE scalable\nNAME 1 \"S\"\n"
      "FRAME IID=QsnFrList\n"
      "  c16 a.bmp\n  c12 qsn_bg_screen.bmp\n  c16 b.bmp\n"
      "  IID=QsnFrListSideT IID=QsnFrListSideB IID=QsnFrListSideL IID=QsnFrListSideR\n"
      "  IID=QsnFrListCenter IID=QsnFrListCornerTl\n"
      "END\n",
      {"a.bmp", "b.bmp", "qsn_bg_screen.bmp"}, {}, false);
  EXPECT_NE(text.find("  c16 bitmap_4000.bmp\n  c16 QsnBgScreen.4002.bmp\n  c16 bitmap_4004.bmp\n"),
            std::string::npos)
      << text;
}

TEST(DecompileRoundTrip, AGeneratedIdentifierTheRegistryNamesStillNumbersItsAnimatedFile) {
  // The extension list names the first generated identifier: the part could
  // be IID=GenA, but only an inline image of the animation gives its file
  // the animated mark of the list.
  std::string text = decompiled(
      "SKINTYPE scalable\nNAME 1 \"S\"\n"
      "BMPANIM IID=QgnGrafBarWait MODE=svganim\n  IID=QsnBgScreen\n  c16 e.svg\nEND\n",
      {"e.svg"}, {}, true, "IID \"KTavsIIDGenA\" 0xFFFFFFFC 0x1000\n");
  EXPECT_NE(text.find("  IID=QsnBgScreen\n  c16 e.svg\n"), std::string::npos) << text;
}

TEST(DecompileRoundTrip, AnAnimationNumbersTheAnimatedFilesItsInlineImagesName) {
  // Every file of the animation is numbered there and marked "/A", the
  // first three named by their file names, the last one generating.
  std::string text = decompiled(
      "SKINTYPE scalable\nNAME 1 \"S\"\nBITMAP IID=QsnBgAreaMain c16 a.bmp\n"
      "RESTRICTION Orv_3_2\n"
      "BMPANIM IID=QgnGrafBarWait MODE=svganim MODE=bounce\n"
      "  c16 qsn_bg_screen.bmp\n  c16 qsn_bg_area_status.svg SOFTMASK\n"
      "  TIME=4 c16 a.bmp\n  c16 images\\x.bmp\n"
      "END\n",
      {"a.bmp", "qsn_bg_screen.bmp", "qsn_bg_area_status.svg", "images/x.bmp"});
  EXPECT_NE(text.find("MODE=svganim MODE=bounce\n  c16 qsn_bg_screen.bmp\n"), std::string::npos)
      << text;
}

TEST(DecompileRoundTrip, OneListedTextForTwoImageFilesGetsTwoSplits) {
  // "images\a.bmp" twice in the list at one depth: once from the path
  // images\, once from the automatic path. And ".\x.bmp" from the default
  // path and from the automatic one.
  std::string text = decompiled(
      "SKINTYPE scalable\nNAME 1 \"S\"\n"
      "BITMAP IID=QsnBgScreen c16 x.bmp\n"
      "BITMAPPATH images\nBITMAP IID=QsnBgAreaMain c16 a.bmp\n"
      "BITMAPPATH\nBITMAP IID=QsnBgAreaStatus c16 images\\a.bmp\n"
      "BITMAP IID=QsnBgAreaControl c16 .\\x.bmp\n"
      "BITMAPPATH IMAGES\nBITMAP IID=QsnBgAreaMainListGen c16 A.BMP\n",
      {"x.bmp", "images/a.bmp"});
  EXPECT_EQ(count(text, "BITMAPPATH"), 3u) << text;
}

TEST(DecompileRoundTrip, TextsBeyondEightBitsAndNamesThatShareALanguage) {
  // UTF-16 with a name beyond 8 bits, a file whose name narrows to "a.bmp",
  // and a parameter whose name needs UTF-16 in the decompiled description.
  std::u16string wide =
      u"SKINTYPE scalable\nNAME 1 \"\u0141\u00f3d\u017a\"\nNAME 65537 \"second\"\n"
      u"TOOL \"a<34>b<60>c\tz\"\n"
      u"BITMAP IID=QsnBgScreen c16 \u0161.bmp\n"
      u"SCALABLEITEM IID=QsnBgAreaMainListGen INPUT=none OUTPUT=0/RGBA\n"
      u"  EFFECT UID=1 INPUTA=none INPUTB=none OUTPUT=0/RGB\n"
      u"    STR \u0416 \"<1><2>\"\n    RAW Many [0 65535]\n    BMP Gone c16 gone.bmp\n"
      u"  END\nEND\n";
  std::string text = decompiled(encodeDescription(wide), {"a.bmp"});
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(0, 2), "\xFF\xFE");
}

TEST(DecompileRoundTrip, NormalSkinsWithGeneratedIdentifiersAndTheirOptions) {
  std::string text = decompiled(
      "SKINTYPE system language=AH\nNAME 1 \"S\"\nLANGUAGEOVERRIDE AH 0x20001234 2\n"
      "APPICON UID=0x2000ABCD\n  c16 none.bmp\nEND\n"
      "RESTRICTION LAY_W\nSTRING IID=PropertyAnimBgParam \"w\"\n",
      {}, {"--forcenormal", "-mout", "-tout", "--drm"});
  EXPECT_NE(text.find("SKINTYPE normal language=AH"), std::string::npos) << text;
}

// Files the compiler makes from odd but valid command lines and extension
// lists: an empty skin name, and an item whose only name holds "%" (which
// only an item prefix can give, so the decompiled description gives one,
// leaving a RESTRICTION element's run for it).
TEST(DecompileRoundTrip, AnEmptySkinNameAndANameHoldingPercentComeBack) {
  MemoryPlatform p;
  p.fs.addFile("skin.txt", "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n");
  EXPECT_EQ(runInMemory(p, {"skin.txt", ""}).code, 0);
  EXPECT_TRUE(p.fs.has(".skn"));

  const std::string ids = "IID \"KTavsIIDA%b\" 0x20003333 1\nIID \"KTavsIIDC\" 0x20003333 2\n";
  std::string text = decompiled(
      "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n"
      "STRING IID=LAY_W%C \"c\"\nSTRING IID=LAY_W%A%b \"x\"\n"
      "STRING IID=Orv_3_0%A%b \"y\"\nSTRING IID=Orv_3_0%C \"again\"\n",
      {}, {}, true, ids);
  EXPECT_EQ(count(text, "IID=LAY_W%A%b"), 1u) << text;
  EXPECT_EQ(count(text, "IID=Orv_3_0%A%b"), 1u) << text;
}

}  // namespace
}  // namespace korvane
