// End-to-end runs of the real binary: what only a process shows (exit codes,
// both standard streams, files on disk).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "driver/compile_test_support.h"
#include "driver/test_process.h"

namespace korvane {
namespace {

using namespace korvane::testing;

TEST(KorvaneBinary, IncompleteCommandLineExitsWithOne) {
  TempDir dir;
  ProcessResult result = runProcess(KORVANE_BINARY, {"only-one.txt"}, dir);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, banner() +
                            "Syntax: Korvane [options] input skinname\n\n"
                            "Where   options    [-mpath] [-tpath] [-spath] [-ifile]\n"
                            "        input:     Input file in ASCII or UTF-16 format.\n"
                            "                   Example: MySkin.txt\n"
                            "        skinname:  Skin name used as filename prefix.\n"
                            "                   Example: MySkin\n"
                            "Options -mpath:    Path for MBM/MIF generation list.\n"
                            "                   Example: -m..\\mbmlist\\\n"
                            "        -tpath:    Path for SKN (and possible PKG) target.\n"
                            "                   Example: -t..\\output\\\n"
                            "        -spath:    Path for system skin CPP and MMP.\n"
                            "                   Example: -s..\\dllsrc\\\n"
                            "        -ifile:    Item ID extension list.\n"
                            "                   Example: -iNewPhoneIIDs.txt\n"
                            "        --drm      Suppress SKN and sounds from PKG file.\n");
  EXPECT_TRUE(result.err.empty());
}

TEST(KorvaneBinary, UnreadableSourceIsReportedOnBothStreams) {
  TempDir dir;
  ProcessResult result = runProcess(KORVANE_BINARY, {"missing.txt", "Skin"}, dir);
  const std::string report =
      "An exception occured (when parsing line 1):\n  Error while opening a file\n"
      "  Cannot open input file\n";
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, report);
  EXPECT_EQ(result.out, banner() +
                            "Phase 0: Parameter summary.\n"
                            "  Source file: missing.txt\n"
                            "  Skin name: Skin\n"
                            "\nPhase 1: Input parsing.\n"
                            "  Opening source file missing.txt ...\n" +
                            framedReport(report) + closing(false));
}

TEST(KorvaneBinary, InvalidExtensionListExitsWithThree) {
  TempDir dir;
  dir.write("ids.txt", "NOTIID \"KTavsIIDX\" 1 2\n");
  ProcessResult result = runProcess(KORVANE_BINARY, {"-iids.txt", "skin.txt", "S"}, dir);
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err, "An exception occured:\n  Parse error\n  IID token expected\n");
  EXPECT_NE(result.out.find("\nItem ID extension list is invalid, INITIALIZATION FAILED!\n"),
            std::string::npos);
}

TEST(KorvaneBinary, OutputPathsUseBackslashesAsSeparators) {
  TempDir dir;
  dir.write("skin.txt", "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n");
  std::filesystem::create_directories(dir.path() / "out");
  ProcessResult result = runProcess(KORVANE_BINARY, {"-tout", "-mout", "skin.txt", "Skin"}, dir);
  EXPECT_EQ(result.exitCode, 0) << result.out;
  EXPECT_NE(result.out.find("  SKN output path: out\\\n"), std::string::npos);
  EXPECT_NE(result.out.find(" to out\\Skin.skn ...\n"), std::string::npos);
  EXPECT_NE(result.out.find("\nCompleted successfully.\n"), std::string::npos);
}

TEST(KorvaneBinary, HelpAndVersionSucceed) {
  TempDir dir;
  ProcessResult help = runProcess(KORVANE_BINARY, {"--help"}, dir);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind(banner() + "Syntax: Korvane [options] input skinname\n", 0), 0u);
  EXPECT_NE(help.out.find("--depfile=file"), std::string::npos);
  ProcessResult version = runProcess(KORVANE_BINARY, {"--version"}, dir);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "korvane 0.0.141\n");
  EXPECT_EQ(help.err + version.err, "");
}

TEST(KorvaneBinary, SourceDateEpochFromTheEnvironment) {
  const std::string skin = "SKINTYPE scalable\nNAME 1 \"Skin\"\n";
  std::string skn[2];
  for (std::string& bytes : skn) {
    TempDir dir;
    dir.write("skin.txt", skin);
    ProcessResult result = runProcess(KORVANE_BINARY, {"--quiet", "skin.txt", "Skin"}, dir,
                                      {{"SOURCE_DATE_EPOCH", "1700000000"}});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    bytes = dir.read("Skin.skn") + dir.read("Skin.pkg");
  }
  EXPECT_EQ(skn[0], skn[1]);

  TempDir dir;
  dir.write("skin.txt", skin);
  ProcessResult bad =
      runProcess(KORVANE_BINARY, {"skin.txt", "Skin"}, dir, {{"SOURCE_DATE_EPOCH", "-5"}});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err.rfind("Invalid SOURCE_DATE_EPOCH \"-5\": ", 0), 0u);
  EXPECT_FALSE(dir.exists("Skin.skn"));
}

TEST(KorvaneBinary, AbsoluteDepfileStartsFromTheWorkingDirectory) {
  TempDir dir;
  dir.write("skin.txt",
            "SKINTYPE scalable\nNAME 1 \"Skin\"\nBITMAP IID=QsnBgScreen c16 bg.bmp\n"
            "BITMAPPATH gfx\nBITMAP IID=QsnBgAreaMain c16 later.bmp\n");
  dir.write("bg.bmp", "");
  std::filesystem::create_directories(dir.path() / "gfx");
  ProcessResult result =
      runProcess(KORVANE_BINARY,
                 {"--quiet", "--depfile=skin.d", "--depfile-absolute", "skin.txt", "Skin"}, dir);
  EXPECT_EQ(result.exitCode, 0) << result.out;
  // The missing later.bmp is named by its directory.
  std::string here = std::filesystem::canonical(dir.path()).generic_string();
  EXPECT_EQ(dir.read("skin.d"), here + "/Skin_MIFList.txt " + here + "/Skin.skn " + here +
                                    "/Skin.pkg: \\\n  " + here + "/skin.txt \\\n  " + here +
                                    "/bg.bmp \\\n  " + here + "/gfx\n\n" + here + "/skin.txt:\n\n" +
                                    here + "/bg.bmp:\n\n" + here + "/gfx:\n");
}

// Names beyond ASCII (and beyond any Western code page) on the command line
// and in the description reach the file system unchanged.
TEST(KorvaneBinary, Utf8NamesOnTheCommandLineAndInTheDescription) {
  TempDir dir;
  const std::string name = "\xE6\x97\xA5\xE6\x9C\xAC";  // 日本 in UTF-8
  std::filesystem::create_directories(dir.path() / std::filesystem::u8path(name));
  std::ofstream(dir.path() / std::filesystem::u8path(name + ".txt"), std::ios::binary)
      << "SKINTYPE scalable\nNAME 1 \"Skin\"\nBITMAP IID=QsnBgScreen c16 " << name << ".bmp\n";
  std::ofstream(dir.path() / std::filesystem::u8path(name + ".bmp"), std::ios::binary) << "BM";
  ProcessResult result = runProcess(
      KORVANE_BINARY,
      {"--quiet", "--strict", "-t" + name + "/", "--depfile=" + name + ".d", name + ".txt", name},
      dir);
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_TRUE(
      std::filesystem::exists(dir.path() / std::filesystem::u8path(name + "/" + name + ".skn")));
  std::string depfile = readFile(dir.path() / std::filesystem::u8path(name + ".d"));
  EXPECT_NE(depfile.find(name + ".bmp:"), std::string::npos) << depfile;
}

TEST(KorvaneDumpBinary, ADirectoryCannotBeOpened) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "skin.skn");
  ProcessResult result = runProcess(KORVANE_DUMP_BINARY, {"skin.skn"}, dir);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "error: cannot open skin.skn\n");
  EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace korvane
