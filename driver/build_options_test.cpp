// The long options for builds through whole runs on the in-memory platform:
// --help and --version, quiet runs, and the time fixed by SOURCE_DATE_EPOCH.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/command_line.h"
#include "driver/compile_test_support.h"
#include "driver/source_date_epoch.h"

namespace korvane {
namespace {

using namespace korvane::testing;

// Notes, an info line, a warning and a generated package identifier.
const std::string kChattySkin =
    "SKINTYPE scalable\n"
    "NAME 1 \"Skin\"\n"
    "BITMAPPATH gfx\n"
    "BITMAP IID=QsnBgScreen c16 bg.bmp\n"
    "BITMAP IID=QsnBgAreaMain c16 gone.bmp\n"
    "SCALABLEITEM IID=QsnBgAreaStatus REFIID=QsnBgAreaControl\n"
    "FRAME IID=QsnFrList\n"
    "  IID=QsnFrListCornerTl IID=QsnFrListCornerTr IID=QsnFrListCornerBl IID=QsnFrListCornerBr\n"
    "  IID=QsnFrListSideT IID=QsnFrListSideB IID=QsnFrListSideL IID=QsnFrListSideR\n"
    "  IID=Orv_3_0%QsnFrListCenter\n"
    "END\n"
    "RESTRICTION LAY_W\n"
    "BITMAP IID=QsnBgScreen c16 bg.bmp\n";

RunResult compile(MemoryPlatform& p, const std::string& description,
                  std::vector<std::string> options) {
  p.fs.addFile("skin.txt", description);
  p.fs.addFile("gfx/bg.bmp", "image");
  options.push_back("skin.txt");
  options.push_back("Skin");
  return runInMemory(p, options);
}

TEST(HelpAndVersion, PrintAndSucceedWhateverElseIsGiven) {
  MemoryPlatform help;
  RunResult run = runInMemory(help, {"--HELP", "skin.txt"});
  EXPECT_EQ(run.code, 0);
  // The usage as a bad command line shows it, then the long options.
  MemoryPlatform bad;
  std::string usage = runInMemory(bad, {}).out;
  ASSERT_EQ(run.out.rfind(usage, 0), 0u);
  std::string longOptions = run.out.substr(usage.size());
  for (const char* option : {"--quiet", "--strict", "--depfile=file", "--depfile-absolute",
                             "--depfile-target=name", "--help", "--version", "SOURCE_DATE_EPOCH"}) {
    EXPECT_NE(longOptions.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(run.err, "");

  MemoryPlatform version;
  run = runInMemory(version, {"skin.txt", "Skin", "--version", "--help"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "korvane 0.0.141\n");
  EXPECT_FALSE(version.fs.has("Skin.skn"));

  // The first of the two wins; quiet leaves out the banner only.
  MemoryPlatform first;
  run = runInMemory(first, {"--help", "--version", "--quiet"});
  EXPECT_EQ(run.out, usage.substr(banner().size()) + longOptions);
}

TEST(LongOptions, DepfileTakesItsValueInEitherFormAndNeedsOne) {
  CompileOptions options;
  const char* joined[] = {"korvane", "--DepFile=Out\\Skin.d", "skin.txt", "Skin"};
  EXPECT_TRUE(parseCommandLine(4, joined, options));
  EXPECT_EQ(options.depfile, "Out\\Skin.d");
  EXPECT_EQ(options.inputFile, "skin.txt");

  // The separate form takes the next argument, whatever it looks like.
  const char* separate[] = {"korvane", "--depfile", "-tout", "skin.txt", "Skin"};
  EXPECT_TRUE(parseCommandLine(5, separate, options));
  EXPECT_EQ(options.depfile, "-tout");
  EXPECT_EQ(options.targetPath, "");
  EXPECT_EQ(options.skinName, "Skin");

  const char* flags[] = {"korvane", "--Quiet", "--STRICT", "--depfile-absolute", "s", "S"};
  EXPECT_TRUE(parseCommandLine(6, flags, options));
  EXPECT_TRUE(options.quiet);
  EXPECT_TRUE(options.strict);
  EXPECT_TRUE(options.depfileAbsolute);

  for (std::vector<std::string> args :
       {std::vector<std::string>{"skin.txt", "Skin", "--depfile"},
        {"--depfile=", "skin.txt", "Skin"},
        {"--depfile=" + std::string(512, 'd'), "skin.txt", "Skin"}}) {
    MemoryPlatform p;
    RunResult run = runInMemory(p, args);
    EXPECT_EQ(run.code, 1) << args[0];
    EXPECT_NE(run.out.find("Syntax: Korvane"), std::string::npos);
  }
}

TEST(QuietRun, KeepsWarningsAndTheResultOnly) {
  MemoryPlatform loud;
  RunResult full = compile(loud, kChattySkin, {});
  ASSERT_EQ(full.code, 0) << full.out;
  MemoryPlatform quiet;
  RunResult run = compile(quiet, kChattySkin, {"--quiet"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out,
            "WARNING: IID reference (IID=Orv_3_0%QsnFrListCenter) is restricted. Relative validity "
            "can not be checked and may be broken (line 11)\n"
            "Completed successfully.\n");
  EXPECT_EQ(run.err, "");
  // The loud run had every kind of line the quiet one drops.
  for (const char* dropped : {"NOTE: ", "INFO: ", "Phase 0", "Korvane v"}) {
    EXPECT_NE(full.out.find(dropped), std::string::npos) << dropped;
  }
  // The same outputs either way.
  EXPECT_EQ(quiet.fs.content("Skin_MIFList.txt"), loud.fs.content("Skin_MIFList.txt"));
  EXPECT_EQ(quiet.fs.content("Skin.skn"), loud.fs.content("Skin.skn"));
}

TEST(QuietRun, KeepsTheErrorReportOnBothStreams) {
  MemoryPlatform p;
  RunResult run = compile(p, kChattySkin + "BITMAP IID=NoSuchItem c16 bg.bmp\n", {"--quiet"});
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err,
            "An exception occured (when parsing line 14):\n  Parse error\n"
            "  No match found for item ID \"NoSuchItem\"\n");
  EXPECT_EQ(run.out.substr(run.out.find('\n') + 1), run.err + "Aborted, ERRORS ENCOUNTERED!\n");
  EXPECT_EQ(run.out.rfind("WARNING: ", 0), 0u);

  MemoryPlatform list;
  list.fs.addFile("ids.txt", "IID \"KTavsIIDX\" 1\n");
  run = compile(list, kChattySkin, {"--quiet", "-iids.txt"});
  EXPECT_EQ(run.code, 3);
  EXPECT_EQ(run.out, run.err + "Item ID extension list is invalid, INITIALIZATION FAILED!\n");
  EXPECT_NE(run.err.find("Number token is empty"), std::string::npos);
}

TEST(SourceDateEpoch, ParsesWholeSecondsOnly) {
  EXPECT_EQ(parseSourceDateEpoch("0"), 116444736000000000ull);
  // 2023-11-14 22:13:20 UTC
  EXPECT_EQ(parseSourceDateEpoch("1700000000"), 116444736000000000ull + 17000000000000000ull);
  EXPECT_EQ(parseSourceDateEpoch("0001700000000"), parseSourceDateEpoch("1700000000"));
  // The last second the clock's 64 bits can count, and the one after it.
  EXPECT_EQ(parseSourceDateEpoch("1833029933770"), 116444736000000000ull + 18330299337700000000ull);
  EXPECT_EQ(parseSourceDateEpoch("1833029933771"), std::nullopt);
  EXPECT_EQ(parseSourceDateEpoch("99999999999999999999999"), std::nullopt);
  for (const char* bad : {"", "-1", "+1", " 1", "1 ", "1.5", "1e9", "0x10", "12a"}) {
    EXPECT_EQ(parseSourceDateEpoch(bad), std::nullopt) << bad;
  }
}

TEST(SourceDateEpoch, TwoCompilesAtDifferentTimesWriteTheSameBytes) {
  // No UID: the package identifier is generated from the time too.
  const std::string skin =
      "SKINTYPE scalable\nNAME 1 \"Skin\"\nBITMAP IID=QsnBgScreen c16 bg.bmp\n";
  std::string outputs[2];
  std::string reports[2];
  for (int i = 0; i < 2; ++i) {
    MemoryPlatform p;
    p.clock.value = 133000000000000000ull + static_cast<uint64_t>(i) * 987654321ull;
    p.environment.variables["SOURCE_DATE_EPOCH"] = "1700000000";
    p.fs.addFile("bg.bmp", "image");
    RunResult run = compile(p, skin, {"--drm"});
    ASSERT_EQ(run.code, 0) << run.out;
    for (const char* file : {"Skin_MIFList.txt", "Skin.skn", "Skin.pkg", "datafiles.def"}) {
      outputs[i] += p.fs.content(file) + "|";
    }
    reports[i] = run.out;
  }
  EXPECT_EQ(outputs[0], outputs[1]);
  EXPECT_EQ(reports[0], reports[1]);

  // Without it the clock decides, as before.
  MemoryPlatform p;
  p.clock.value = 133000000000000000ull;
  p.fs.addFile("bg.bmp", "image");
  RunResult run = compile(p, skin, {});
  EXPECT_NE(run.out.find("NOTE: Generated package ID for this skin is 0x5d1a2e0f "),
            std::string::npos);
  EXPECT_EQ(reports[0].find("0x5d1a2e0f"), std::string::npos);
}

TEST(SourceDateEpoch, AMalformedValueIsAUsageError) {
  MemoryPlatform p;
  p.environment.variables["SOURCE_DATE_EPOCH"] = "yesterday";
  RunResult run = compile(p, kChattySkin, {});
  const std::string message =
      "Invalid SOURCE_DATE_EPOCH \"yesterday\": expected the seconds since 1970-01-01 00:00 UTC "
      "as a decimal number, as date +%s prints them\n";
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, banner() + message);
  EXPECT_EQ(run.err, message);
  EXPECT_FALSE(p.fs.has("Skin.skn"));

  // A bad command line is reported first, as without the variable.
  MemoryPlatform q;
  q.environment.variables["SOURCE_DATE_EPOCH"] = "";
  run = runInMemory(q, {"skin.txt"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace korvane
