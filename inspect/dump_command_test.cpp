#include "inspect/dump_command.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "inspect/dump_test_support.h"
#include "inspect/skn_reader_test_support.h"

namespace korvane {
namespace {

using testing::DumpRun;
using testing::runDumpOn;

DumpRun run(const std::vector<const char*>& args) {
  MemoryPlatform memory;
  memory.fs.addFile("skin.skn", testing::minimalNormalSkin());
  return runDumpOn(memory, args);
}

TEST(DumpCommand, BadCommandLinesSayWhyAndExitWithOne) {
  const struct {
    std::vector<const char*> args;
    const char* why;
  } cases[] = {
      {{}, "no SKN file"},
      {{"--json"}, "no SKN file"},
      {{"--xml", "skin.skn"}, "Unknown option --xml"},
      {{"skin.skn", "b.skn"}, "more than one SKN file"},
      {{"skin.skn", "--list"}, "--list needs a value"},
      {{"--list=", "skin.skn"}, "--list needs a value"},
      {{"--json", "--html", "a.html", "skin.skn"}, "choose one of --json, --html and --source"},
      {{"--listing", "skin.skn"}, "Unknown option --listing (did you mean --list?)"},
      {{"--jsno", "skin.skn"}, "Unknown option --jsno (did you mean --json?)"},
      {{"--no-tme=1", "skin.skn"}, "Unknown option --no-tme=1 (did you mean --no-time?)"},
  };
  for (const auto& c : cases) {
    DumpRun result = run(c.args);
    EXPECT_EQ(result.code, kDumpUsageOrOpen) << c.why;
    EXPECT_EQ(result.err, std::string("korvane-dump: ") + c.why + "\n" + dumpUsage()) << c.why;
    EXPECT_EQ(result.out, "") << c.why;
  }
}

TEST(DumpCommand, HelpAndVersionPrintAndSucceed) {
  DumpRun help = run({"--HELP"});
  EXPECT_EQ(help.code, kDumpValid);
  EXPECT_EQ(help.out, dumpUsage());
  EXPECT_EQ(help.err, "");
  DumpRun version = run({"skin.skn", "--version"});
  EXPECT_EQ(version.code, kDumpValid);
  EXPECT_EQ(version.out.rfind("korvane-dump ", 0), 0u);
  EXPECT_EQ(version.out.back(), '\n');
}

TEST(DumpCommand, SwitchesIgnoreCaseAndValuesComeJoinedOrApart) {
  DumpRun lower = run({"--json", "--no-time", "skin.skn"});
  ASSERT_EQ(lower.code, kDumpValid) << lower.err;
  DumpRun upper = run({"--JSON", "--No-Time", "skin.skn"});
  EXPECT_EQ(upper.out, lower.out);

  DumpCommand command;
  std::string error;
  const char* joined[] = {"korvane-dump", "--LIST=a\\b.txt", "-iExt.txt", "--Source=Out.txt",
                          "x.skn"};
  ASSERT_TRUE(parseDumpCommandLine(5, joined, command, error)) << error;
  EXPECT_EQ(command.listFile, "a\\b.txt");
  EXPECT_EQ(command.extensionList, "Ext.txt");
  EXPECT_EQ(command.outputFile, "Out.txt");
  EXPECT_EQ(command.mode, DumpCommand::Mode::kSource);
  const char* apart[] = {"korvane-dump", "--html", "p.html", "-i", "e.txt", "x.skn"};
  ASSERT_TRUE(parseDumpCommandLine(6, apart, command, error)) << error;
  EXPECT_EQ(command.outputFile, "p.html");
  EXPECT_EQ(command.extensionList, "e.txt");
  EXPECT_EQ(command.mode, DumpCommand::Mode::kHtml);
  EXPECT_EQ(command.sknFile, "x.skn");
}

TEST(DumpCommand, UnreadableInputsExitWithOneAndABadExtensionListWithThree) {
  MemoryPlatform memory;
  memory.fs.addFile("skin.skn", testing::minimalNormalSkin());
  memory.fs.addFile("locked.skn", testing::minimalNormalSkin());
  memory.fs.failOpenRead.insert("locked.skn");
  memory.fs.directories.insert("dir.skn");
  for (const char* name : {"missing.skn", "locked.skn", "dir.skn"}) {
    memory.console = MemoryConsole();
    DumpRun result = runDumpOn(memory, {name});
    EXPECT_EQ(result.code, kDumpUsageOrOpen) << name;
    EXPECT_EQ(result.err, std::string("error: cannot open ") + name + "\n");
  }

  memory.console = MemoryConsole();
  DumpRun noList = runDumpOn(memory, {"--list", "gone.txt", "skin.skn"});
  EXPECT_EQ(noList.code, kDumpUsageOrOpen);
  EXPECT_EQ(noList.err, "error: cannot open gone.txt\n");

  memory.fs.addFile("notalist.txt", "hello\r\n");
  memory.console = MemoryConsole();
  DumpRun badList = runDumpOn(memory, {"--list", "notalist.txt", "skin.skn"});
  EXPECT_EQ(badList.code, kDumpUsageOrOpen);
  EXPECT_EQ(badList.err,
            "error: notalist.txt is not a generation list: line 1 is neither \"/E\" nor an MBM "
            "file name\n");

  memory.fs.addFile("ext.txt", "IID \"KTavsIIDMine\" 0x1 oops\n");
  memory.console = MemoryConsole();
  DumpRun badExtension = runDumpOn(memory, {"-i", "ext.txt", "skin.skn"});
  EXPECT_EQ(badExtension.code, kDumpInvalidExtensionList);
  EXPECT_EQ(badExtension.err.rfind("error: item ID extension list ext.txt is invalid: ", 0), 0u)
      << badExtension.err;
  EXPECT_EQ(badExtension.out, "");
}

// The page or description never goes over a file the dump reads, by any
// name or link; the clash is named and nothing is written.
TEST(DumpCommand, AnOutputThatIsAnInputIsRefused) {
  const std::string skn = testing::minimalNormalSkin();
  const struct {
    std::vector<const char*> args;
    const char* err;
  } cases[] = {
      {{"--source", "skin.skn", "skin.skn"},
       "error: output file skin.skn is the SKN file skin.skn, not written\n"},
      {{"--html", "./sub/../skin.skn", "skin.skn"},
       "error: output file ./sub/../skin.skn is the SKN file skin.skn, not written\n"},
      {{"--source", "link.txt", "--list", "list.txt", "skin.skn"},
       "error: output file link.txt is the generation list list.txt, not written\n"},
      {{"--source", "ids.txt", "-iids.txt", "skin.skn"},
       "error: output file ids.txt is the item ID extension list ids.txt, not written\n"},
  };
  for (const auto& c : cases) {
    MemoryPlatform memory;
    memory.fs.addFile("skin.skn", skn);
    memory.fs.addFile("list.txt", "Skin.mbm\r\n");
    memory.fs.addFile("ids.txt", "");
    memory.fs.aliases["link.txt"] = "list.txt";
    std::map<std::string, std::string> before = memory.fs.files;
    DumpRun result = runDumpOn(memory, c.args);
    EXPECT_EQ(result.code, kDumpUsageOrOpen) << c.err;
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(memory.fs.files, before) << c.err;
  }
}

// A dump onto a full device must not pass for a whole one.
TEST(DumpCommand, AFailedWriteOfStandardOutputExitsWithOne) {
  for (const char* mode : {"--json", "--no-time"}) {
    MemoryPlatform memory;
    memory.fs.addFile("skin.skn", testing::minimalNormalSkin());
    memory.console.failOut = true;
    DumpRun result = runDumpOn(memory, {mode, "skin.skn"});
    EXPECT_EQ(result.code, kDumpUsageOrOpen) << mode;
    EXPECT_EQ(result.err, "error: cannot write standard output\n");
    EXPECT_TRUE(memory.console.outClosed);
  }
  MemoryPlatform memory;
  memory.fs.addFile("skin.skn", testing::minimalNormalSkin());
  EXPECT_EQ(runDumpOn(memory, {"skin.skn"}).code, kDumpValid);
  EXPECT_TRUE(memory.console.outClosed);
}

}  // namespace
}  // namespace korvane
