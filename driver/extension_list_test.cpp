// The item-ID extension list ("-i") seen from the whole compile run: where
// its notes appear, how an invalid list ends the run, and that its rows reach
// the parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_run.h"
#include "driver/compile_test_support.h"

namespace korvane {
namespace {

using namespace korvane::testing;
const std::string kBanner = banner();
const std::string kFailed = "\nItem ID extension list is invalid, INITIALIZATION FAILED!\n";

// The last line has no line end, so an error raised there names line 5.
const char kSkinUsingNewItem[] =
    "SKINTYPE scalable\n"
    "UID 0x2000ABCD\n"
    "NAME 1 \"Demo\"\n"
    "STRING IID=NewItem \"first\"\n"
    "STRING IID=newitem \"second\"";

TEST(ExtensionList, NotesFramedBetweenBannerAndSummaryAndRowsReachTheParser) {
  MemoryPlatform p;
  p.fs.addFile("ids/new.txt", "/ newer release\nIID \"KTavsIIDNewItem\" 0x10005A26 0x9000\n");
  p.fs.addFile("skin.txt", kSkinUsingNewItem);
  RunResult run = runInMemory(p, {"-iids\\new.txt", "skin.txt", "Skin"});
  // The second STRING collides with the first: the list's row was found both times.
  const std::string report =
      "An exception occured (when parsing line 5):\n  Error in skin content\n"
      "  Item already defined\n";
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err, report);
  EXPECT_EQ(run.out, kBanner +
                         "NOTE: Reading item ID extensions from ids\\new.txt\n"
                         "NOTE: Item ID extensions read and appended.\n"
                         "\n"
                         "Phase 0: Parameter summary.\n"
                         "  Source file: skin.txt\n"
                         "  Skin name: Skin\n"
                         "\nPhase 1: Input parsing.\n"
                         "  Opening source file skin.txt ...\n"
                         "  Parsing file ...\n" +
                         framedReport(report) + closing(false));
}

TEST(ExtensionList, WithoutAListTheNewNameIsUnknownAndNothingIsNoted) {
  for (const char* option : std::vector<const char*>{"-i", nullptr}) {
    MemoryPlatform p;
    p.fs.addFile("skin.txt", kSkinUsingNewItem);
    std::vector<std::string> args = {"skin.txt", "Skin"};
    if (option) args.insert(args.begin(), option);
    RunResult run = runInMemory(p, args);
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.out.rfind(kBanner + "Phase 0: Parameter summary.\n", 0), 0u);
    EXPECT_EQ(run.out.find("NOTE: Reading item ID"), std::string::npos);
    // Now the first STRING fails to resolve.
    EXPECT_EQ(run.err.rfind("An exception occured (when parsing line 4):\n  Parse error\n", 0), 0u);
  }
}

TEST(ExtensionList, AnInvalidListEndsTheRunWithExitCodeThree) {
  struct Case {
    std::string content;
    std::string report;
  };
  const Case cases[] = {
      {"IID \"KTavsIIDA\" 1 2 3\n", "An exception occured:\n  Parse error\n  IID token expected\n"},
      {"IID \"KTavsIIDA\" 1\n", "An exception occured:\n  Parse error\n  Number token is empty\n"},
      {"", "An exception occured:\n  Premature end of input\n  Unicode detection failed\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    MemoryPlatform p;
    p.fs.addFile("ext.txt", c.content);
    p.fs.addFile("skin.txt", kSkinUsingNewItem);
    RunResult run = runInMemory(p, {"-Iext.txt", "skin.txt", "Skin"});
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.err, c.report);
    EXPECT_EQ(run.out,
              kBanner + "NOTE: Reading item ID extensions from ext.txt\n" + c.report + kFailed);
  }
}

TEST(ExtensionList, AMissingListIsReportedWithoutALine) {
  MemoryPlatform p;
  p.fs.addFile("skin.txt", kSkinUsingNewItem);
  RunResult run = runInMemory(p, {"skin.txt", "Skin", "-imissing.txt"});
  const std::string report =
      "An exception occured:\n  Error while opening a file\n  Cannot open input file\n";
  EXPECT_EQ(run.code, 3);
  EXPECT_EQ(run.err, report);
  EXPECT_EQ(run.out,
            kBanner + "NOTE: Reading item ID extensions from missing.txt\n" + report + kFailed);
  EXPECT_EQ(p.fs.files.size(), 1u);  // nothing written
}

}  // namespace
}  // namespace korvane
