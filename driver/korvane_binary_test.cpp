// End-to-end runs of the real binary: what only a process shows (exit codes,
// both standard streams, files on disk).
#include <gtest/gtest.h>

#include <string>

#include "driver/test_process.h"

namespace korvane {
namespace {

using testing::runProcess;
using testing::TempDir;

const std::string kBar(70, '=');

TEST(KorvaneBinary, IncompleteCommandLineExitsWithOne) {
  TempDir dir;
  testing::ProcessResult result = runProcess(KORVANE_BINARY, {"only-one.txt"}, dir);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out.rfind(kBar + "\nKorvane v0.0.141 (", 0), 0u);
  EXPECT_NE(result.out.find("Syntax: Korvane [options] input skinname\n"), std::string::npos);
  EXPECT_TRUE(result.err.empty());
}

TEST(KorvaneBinary, UnreadableSourceIsReportedOnBothStreams) {
  TempDir dir;
  testing::ProcessResult result = runProcess(KORVANE_BINARY, {"missing.txt", "Skin"}, dir);
  const std::string report =
      "An exception occured (when parsing line 1):\n  Error while opening a file\n"
      "  Cannot open input file\n";
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, report);
  EXPECT_NE(result.out.find(std::string(70, '-') + "\n" + report + std::string(70, '-') + "\n"),
            std::string::npos);
  EXPECT_NE(result.out.find("\nAborted, ERRORS ENCOUNTERED!\n\n" + kBar + "\n"), std::string::npos);
}

TEST(KorvaneBinary, InvalidExtensionListExitsWithThree) {
  TempDir dir;
  dir.write("ids.txt", "NOTIID \"KTavsIIDX\" 1 2\n");
  testing::ProcessResult result = runProcess(KORVANE_BINARY, {"-iids.txt", "skin.txt", "S"}, dir);
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err, "An exception occured:\n  Parse error\n  IID token expected\n");
  EXPECT_NE(result.out.find("\nItem ID extension list is invalid, INITIALIZATION FAILED!\n"),
            std::string::npos);
}

TEST(KorvaneBinary, OutputPathsUseBackslashesAsSeparators) {
  TempDir dir;
  dir.write("skin.txt", "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n");
  std::filesystem::create_directories(dir.path() / "out");
  testing::ProcessResult result =
      runProcess(KORVANE_BINARY, {"-tout", "-mout", "skin.txt", "Skin"}, dir);
  EXPECT_EQ(result.exitCode, 0) << result.out;
  EXPECT_NE(result.out.find("  SKN output path: out\\\n"), std::string::npos);
  EXPECT_NE(result.out.find(" to out\\Skin.skn ...\n"), std::string::npos);
  EXPECT_NE(result.out.find("\nCompleted successfully.\n"), std::string::npos);
}

}  // namespace
}  // namespace korvane
