// The console report of whole compile runs: the parser's notes, warnings and
// debug lines with their line numbers, the error report and the closing
// banner; and a few runs of the real binary for exit codes and both streams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_run.h"
#include "driver/compile_test_support.h"
#include "driver/test_process.h"

namespace korvane {
namespace {

using namespace korvane::testing;

const std::string kPhase1 = banner() +
                            "Phase 0: Parameter summary.\n"
                            "  Source file: skin.txt\n"
                            "  Skin name: Demo\n"
                            "\nPhase 1: Input parsing.\n"
                            "  Opening source file skin.txt ...\n"
                            "  Parsing file ...\n";

std::string phases2And3(const std::string& listName) {
  return "\nPhase 2: Output for MBM/MIF generation.\n"
         "  Writing MBM/MIF list for Demo to " +
         listName +
         " ...\n"
         "  Completed.\n"
         "\nPhase 3: Output for skin content.\n"
         "  Skipping CPP and MMP file creation (non-system skin).\n"
         "  Writing SKN file (that uses MBM/MIF Demo) to Demo.skn ...\n"
         "  Completed.\n"
         "  Writing PKG file for Demo to Demo.pkg ...\n"
         "  Completed.\n";
}

const std::string kSucceeded = closing(true);
const std::string kAborted = closing(false);

std::string report(int line, const std::string& codeLine, const std::string& message) {
  return "An exception occured (when parsing line " + std::to_string(line) + "):\n  " + codeLine +
         "\n  " + message + "\n";
}

RunResult compile(MemoryPlatform& p, const std::string& skin) {
  p.fs.addFile("skin.txt", skin);
  return runInMemory(p, {"skin.txt", "Demo"});
}

TEST(ParseReport, ScalableSkinWithNotesAndWarnings) {
  MemoryPlatform p;
  p.fs.addFile("gfx/qsn_bg_screen.bmp", "image");
  p.fs.addFile("gfx/corner.bmp", "image");
  RunResult run = compile(p,
                          "SKINTYPE scalable\n"
                          "UID 0x2000ABCD\n"
                          "NAME 1 \"Demo\"\n"
                          "AUTHOR \"Someone\"\n"
                          "BITMAPPATH gfx\n"
                          "BITMAP 8 qsn_bg_screen.bmp MASK=qsn_bg_screen_mask.bmp\n"
                          "BITMAP IID=Wallpaper c16 missing.bmp\n"
                          "RESTRICTION LAY_W\n"
                          "FRAME IID=QsnFrPinbCenterWp\n"
                          "IID=QsnBgScreen IID=QsnBgScreen IID=QsnBgScreen IID=QsnBgScreen\n"
                          "IID=QsnBgScreen IID=QsnBgScreen IID=QsnBgScreen IID=QsnBgScreen\n"
                          "8 corner.bmp MASK=corner_mask.bmp TILE\n"
                          "END\n"
                          "RESTRICTION NONE\n"
                          "APPICON UID=0x1000\n"
                          "IID=QsnBgScreen\n"
                          "END\n");
  std::string shared;
  for (int line : {10, 10, 10, 11, 11, 11, 11, 12}) {
    shared +=
        "NOTE: IID reference (IID=QsnBgScreen) is restricted, but shares the restrictions of "
        "the compound. Relative validity can not be checked (line " +
        std::to_string(line) + ")\n";
  }
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, kPhase1 +
                         "NOTE: Trailing backslash appended to bitmap path\n"
                         "NOTE: Bitmap source path set to gfx\n"
                         "NOTE: item missing.bmp not add beacuse file not exist!!\n"
                         "NOTE: Current restriction set to Layout/Non-Mirrored\n" +
                         shared +
                         "NOTE: Generated IID (0x2000abcd,0x1000) for corner.bmp (line 12)\n"
                         "NOTE: Restriction inherited to generated IID (0x2000abcd,0x1000) for "
                         "corner.bmp (line 12)\n"
                         "WARNING: TILE attribute used with masked bitmap (line 13)\n"
                         "NOTE: Current restriction cleared\n"
                         "WARNING: Application icon uses a bitmap outside its class (line 17)\n"
                         "  Completed.\n"
                         "NOTE: Skintype: Scalable \n" +
                         phases2And3("Demo_MIFList.txt") + kSucceeded);
}

TEST(ParseReport, LanguageOverrideReachesTheSkinTypeNotes) {
  MemoryPlatform p;
  RunResult run = compile(p,
                          "skintype Normal language=ah\n"
                          "pid 0x10 0x20\n"
                          "name 1 \"Demo\"\n"
                          "LanguageOverride AH 0x30 0x40\n"
                          "LANGUAGEPARENT 0x50\n"
                          "RESTRICTION LAY_AH\n"
                          "STRING IID=QsnBgScreen \"x\"\n");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, kPhase1 +
                         "WARNING: RESTRICTION elements is only allowed in scalable skins, layout "
                         "types will not work with this skin (line 6)\n"
                         "NOTE: Current restriction set to Layout/Mirrored\n"
                         "  Completed.\n"
                         "NOTE: Skintype: Normal LangOverride=AH Parent=0x00000000 0x00000050\n"
                         "NOTE: Associated A&H override is: 0x00000030 0x00000040\n" +
                         phases2And3("Demo_MBMList.txt") + kSucceeded);
}

TEST(ParseReport, ParseErrorsAreReportedWithTheirLine) {
  struct Case {
    std::string body;
    std::string diagnostics;
    std::string report;
  } cases[] = {
      {"COLORTABLE IID=QsnBgScreen\nRGB=0xFF0000\nEND\nBITMAPS 8 x.bmp\n",
       "DEBUG: Unknown token: \"BITMAPS\"\n",
       report(7, "Parse error", "Unknown token encountered or syntax error")},
      {"FRAME IID=QsnFrPinbCenterWp\n8 x.bmp\nEND\n",
       "NOTE: Generated IID (0xfffffffc,0x1000) for x.bmp (line 6)\n"
       "NOTE: item x.bmp not add beacuse file not exist!!\n",
       report(7, "Error in skin content", "Frame must have 9 elements")},
      {"SCALABLEITEM IID=QsnBgScreen\n", "",
       report(4, "Error in skin content", "SCALABLEITEM can only be included in scalable skins")},
      {"STRING IID=Orv_3_0%Qsn%BgScreen \"x\"\n", "",
       report(4, "Parse error", "No match found for item ID \"Orv_3_0%Qsn%BgScreen\"")},
  };
  for (const Case& c : cases) {
    MemoryPlatform p;
    RunResult run = compile(p, "SKINTYPE normal\nUID 0\nNAME 1 \"Demo\"\n" + c.body);
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err, c.report);
    EXPECT_EQ(run.out, kPhase1 + c.diagnostics + framedReport(c.report) + kAborted);
  }
}

TEST(ParseReportBinary, ExitCodesAndStreams) {
  TempDir dir;
  dir.write("skin.txt",
            "SKINTYPE scalable\r\nUID 0x2000ABCD\r\nNAME 1 \"Demo\"\r\n"
            "BITMAP IID=QsnBgScreen c16 bg.bmp MASK=bg_mask.bmp\r\n"
            "BITMAP 8 nothing_known.bmp\r\n");
  dir.write("bg.bmp", "image");
  ProcessResult run = runProcess(KORVANE_BINARY, {"skin.txt", "Demo"}, dir);
  EXPECT_EQ(run.exitCode, 2);
  // Carriage returns end tokens before the line feed is read: the line is the token's own.
  const std::string expectedReport =
      report(5, "Parse error", "No match found for item ID \"nothing_known.bmp\"");
  EXPECT_EQ(run.err, expectedReport);
  EXPECT_NE(run.out.find("  Parsing file ...\n" + framedReport(expectedReport) + kAborted),
            std::string::npos)
      << run.out;

  dir.write("skin.txt",
            "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Demo\"\n"
            "BITMAP IID=QsnBgScreen c16 bg.bmp MASK=bg_mask.bmp\n");
  run = runProcess(KORVANE_BINARY, {"skin.txt", "Demo"}, dir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("  Parsing file ...\n  Completed.\nNOTE: Skintype: Scalable \n"),
            std::string::npos)
      << run.out;
}

TEST(ParseReportBinary, UnknownKeywordGoesToStandardOutputAndTheReportToBoth) {
  TempDir dir;
  dir.write("skin.txt", "SKINTYPE normal\nNAME 1 \"Demo\"\nBITMAP\u00A0\n");
  ProcessResult run = runProcess(KORVANE_BINARY, {"skin.txt", "Demo"}, dir);
  EXPECT_EQ(run.exitCode, 2);
  const std::string expectedReport =
      report(4, "Parse error", "Unknown token encountered or syntax error");
  EXPECT_EQ(run.err, expectedReport);
  // The 8-bit source's bytes C2 A0 are two characters, each printed as UTF-8.
  EXPECT_NE(run.out.find("  Parsing file ...\nDEBUG: Unknown token: \"BITMAP\xC3\x82\xC2\xA0\"\n" +
                         framedReport(expectedReport) + kAborted),
            std::string::npos)
      << run.out;
}

}  // namespace
}  // namespace korvane
