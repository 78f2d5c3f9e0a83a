#include "driver/compile_run.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_test_support.h"
#include "source/source_lexer.h"

namespace korvane {
namespace {

using namespace korvane::testing;

TEST(CompileRun, IncompleteCommandLinePrintsUsageOnly) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{}, {"skin.txt"}, {"-tout", "x.txt"}}) {
    MemoryPlatform p;
    RunResult run = runInMemory(p, args);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(
        run.out.rfind(banner() + "Syntax: Korvane [options] input skinname\n\nWhere   options", 0),
        0u);
    EXPECT_NE(run.out.find("        --drm      Suppress SKN and sounds from PKG file.\n"),
              std::string::npos);
    EXPECT_EQ(run.out.find("force"), std::string::npos);
    EXPECT_TRUE(run.err.empty());
  }
}

TEST(CompileRun, OverlongOptionIsAUsageError) {
  MemoryPlatform p;
  RunResult run = runInMemory(p, {"-t" + std::string(511, 'a'), "skin.txt", "Skin"});
  EXPECT_EQ(run.code, 1);
}

TEST(CompileRun, MissingSourceIsReportedWithLineOneOnBothStreams) {
  MemoryPlatform p;
  RunResult run = runInMemory(p, {"-MOUT", "-t", "--DRM", "--forcenormal", "--forcesystem",
                                  "missing.txt", "MySkin", "ignored"});
  const std::string report =
      "An exception occured (when parsing line 1):\n  Error while opening a file\n"
      "  Cannot open input file\n";
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err, report);
  EXPECT_EQ(run.out, banner() +
                         "Phase 0: Parameter summary.\n"
                         "  Source file: missing.txt\n"
                         "  Skin name: MySkin\n"
                         "  MBM/MIF list path: OUT\\\n"
                         "  Forcing skin type to be SYSTEM\n"
                         "  Forcing skin type to be NORMAL\n"
                         "  DRM compatibility mode, PKG generation will be altered\n"
                         "\nPhase 1: Input parsing.\n"
                         "  Opening source file missing.txt ...\n" +
                         framedReport(report) + closing(false));
}

TEST(CompileRun, ShortSourcesFailUnicodeDetection) {
  for (const char* content : {"", "S"}) {
    MemoryPlatform p;
    p.fs.addFile("skin.txt", content);
    RunResult run = runInMemory(p, {"skin.txt", "Skin"});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err,
              "An exception occured (when parsing line 1):\n  Premature end of input\n"
              "  Unicode detection failed\n");
  }
}

TEST(CompileRun, FailedRewindIsASeekError) {
  MemoryPlatform p;
  p.fs.addFile("skin.txt", "SKINTYPE normal\n");
  p.fs.failRewind.insert("skin.txt");
  RunResult run = runInMemory(p, {"skin.txt", "Skin"});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("  Seek operation failed\n  Seek failed after Unicode detection\n"),
            std::string::npos);
}

// An editor's "UTF-8 with BOM": the description compiles to the same files
// and report as the same text saved as UTF-16, package identifier included.
TEST(CompileRun, Utf8WithByteOrderMarkCompilesLikeUtf16) {
  const std::u16string text =
      u"SKINTYPE scalable\r\nNAME 1 \"\u0141\u00F3d\u017A \U0001F600\"\r\n"
      u"AUTHOR \"Zo\u00EB\"\r\nSTRING IID=PropertyAnimBgParam \"\u20AC\"\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : text) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  const std::string utf8 =
      "\xEF\xBB\xBFSKINTYPE scalable\r\nNAME 1 \"\xC5\x81\xC3\xB3\x64\xC5\xBA "
      "\xF0\x9F\x98\x80\"\r\n"
      "AUTHOR \"Zo\xC3\xAB\"\r\nSTRING IID=PropertyAnimBgParam \"\xE2\x82\xAC\"\r\n";
  // The exit code, the whole report, and every file written.
  auto compile = [](const std::string& bytes) {
    MemoryPlatform p;
    p.clock.value = 133000000000000000ull;
    p.fs.addFile("skin.txt", bytes);
    RunResult run = runInMemory(p, {"skin.txt", "Skin"});
    p.fs.files.erase("skin.txt");
    return std::make_tuple(run.code, run.out + run.err, p.fs.files);
  };
  auto expected = compile(utf16);
  EXPECT_EQ(std::get<0>(expected), 0);
  EXPECT_EQ(std::get<2>(expected).size(), 3u);
  EXPECT_EQ(compile(utf8), expected);

  MemoryPlatform p;
  p.fs.addFile("skin.txt", "\xEF\xBB\xBFSKINTYPE scalable\nNAME 1 \"Skin\"\nAUTHOR \"Zo\xEB\"\n");
  RunResult run = runInMemory(p, {"skin.txt", "Skin"});
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err,
            "An exception occured (when parsing line 3):\n  Parse error\n"
            "  Malformed UTF-8 text\n");
}

TEST(CompileRun, OverlongOutputNamesAreRefusedBeforeParsing) {
  MemoryPlatform p;
  p.fs.addFile("skin.txt", "SKINTYPE normal\n");
  RunResult run = runInMemory(p, {"skin.txt", std::string(508, 's')});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("An exception occured:\n  Error while opening a file\n"
                         "  Output file name longer than 519 characters for the MBM/MIF list\n"),
            std::string::npos);
  EXPECT_EQ(run.out.find("Phase 1"), std::string::npos);

  MemoryPlatform q;
  RunResult run2 = runInMemory(q, {"-t" + std::string(500, 'd'), "skin.txt", "Skin78901234567890"});
  EXPECT_EQ(run2.code, 2);
  EXPECT_NE(run2.err.find("Output file name longer than 519 characters for the SKN file"),
            std::string::npos);
}

TEST(PackageId, FollowsTheClockAndTheCharacterSum) {
  MemoryPlatform p;
  SkinContent content(p.fs, p.console);
  generatePackageId(content, 0x1234, 133000000000000000ull);
  EXPECT_EQ(content.packageIdHigh, 0x5d1a2e0fu);
  EXPECT_EQ(content.packageIdLow, 0xd6d4d853u);
}

TEST(PackageId, HighWordIsNeverZero) {
  MemoryPlatform p;
  SkinContent content(p.fs, p.console);
  // Exactly the 2003 epoch gives 0 ticks, which becomes 1.
  generatePackageId(content, 0, 126858528000000000ull);
  EXPECT_EQ(content.packageIdHigh, 1u);
  // A clock before 2003 wraps and still gives a non-zero word.
  generatePackageId(content, 0, 100);
  EXPECT_EQ(content.packageIdHigh, 0xd4ed745du);
}

}  // namespace
}  // namespace korvane
