// The item catalogue: which rows a pattern picks, the shape of a line, and
// the run of --list-items with and without an extension list.
#include "driver/list_items.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_run.h"

namespace korvane {
namespace {

struct RunResult {
  int code = -1;
  std::string out;
  std::string err;
};

// One run of the program on `p`, with a console of its own.
RunResult run(MemoryPlatform& p, std::vector<std::string> args) {
  args.insert(args.begin(), "korvane");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  p.console = MemoryConsole();
  Platform platform = p.platform();
  int code = runCompile(static_cast<int>(argv.size()), argv.data(), platform);
  return RunResult{code, p.console.stdoutText, p.console.stderrText};
}

TEST(ListItems, GlobMatchesWithoutCaseStarsQuestionMarksAndClasses) {
  EXPECT_TRUE(globMatchesNoCase(u"QsnFr*", u"qsnfrlist"));
  EXPECT_TRUE(globMatchesNoCase(u"*Corner??", u"QsnFrListCornerTl"));
  EXPECT_FALSE(globMatchesNoCase(u"*Corner?", u"QsnFrListCornerTl"));
  EXPECT_TRUE(globMatchesNoCase(u"*a*b*c", u"xaxxbxxbc"));
  EXPECT_FALSE(globMatchesNoCase(u"*a*b*c", u"xaxxbxxbcx"));
  EXPECT_TRUE(globMatchesNoCase(u"Qsn[BF]*", u"QsnBgScreen"));
  EXPECT_TRUE(globMatchesNoCase(u"Qsn[a-c]*", u"QsnBgScreen"));
  EXPECT_FALSE(globMatchesNoCase(u"Qsn[!b]*", u"QsnBgScreen"));
  EXPECT_TRUE(globMatchesNoCase(u"a[]]b", u"a]b"));
  EXPECT_TRUE(globMatchesNoCase(u"a[b", u"a[b"));  // an unclosed class is literal
  EXPECT_TRUE(globMatchesNoCase(u"", u""));
  EXPECT_FALSE(globMatchesNoCase(u"", u"x"));
  EXPECT_TRUE(globMatchesNoCase(u"***", u""));
  // Many stars against a long text that just fails: backtracking stays bounded.
  std::u16string text(4000, u'a');
  EXPECT_FALSE(globMatchesNoCase(u"*a*a*a*a*a*a*a*a*a*a*b", text));
}

TEST(ListItems, LinesNameTheItemAsWrittenAfterIidWithItsPair) {
  MemoryPlatform p;
  RunResult result = run(p, {"--list-items=qsnbgscreen"});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.out, "QsnBgScreen (0x10005a26, 0x1000)\n");
  EXPECT_EQ(result.err, "");
  // The pattern may name the prefix too; a frame's parts come in table order.
  result = run(p, {"--LIST-ITEMS=KTavsIIDQsnFrListCorner*"});
  EXPECT_EQ(result.out,
            "QsnFrListCornerTl (0x10005a26, 0x1135)\nQsnFrListCornerTr (0x10005a26, 0x1136)\n"
            "QsnFrListCornerBl (0x10005a26, 0x1137)\nQsnFrListCornerBr (0x10005a26, 0x1138)\n");
  // Nothing matching is no error.
  result = run(p, {"--list-items=NoSuchItem*"});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.out, "");
}

TEST(ListItems, WholeTableWithoutPatternAndExtensionRowsWithI) {
  MemoryPlatform p;
  RunResult all = run(p, {"--list-items"});
  EXPECT_EQ(all.code, 0);
  EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 6990);
  EXPECT_EQ(all.out.rfind("None (0xffffffff, 0xffffffff)\nDefault (0x0, 0x0)\n", 0), 0u);

  p.fs.addFile("ids.txt",
               "IID \"KTavsIIDNewItem\" 0x10005A26 0x9000\n"
               "IID \"Unprefixed\" 1 2\n");
  RunResult extended = run(p, {"-iids.txt", "--list-items"});
  EXPECT_EQ(extended.code, 0);
  // The extension's notes stay out of the listing; the unfindable row too.
  EXPECT_EQ(extended.out, all.out + "NewItem (0x10005a26, 0x9000)\n");

  p.fs.addFile("bad.txt", "IID \"KTavsIIDNewItem\" 0x10005A26\n");
  RunResult bad = run(p, {"--list-items", "-ibad.txt"});
  EXPECT_EQ(bad.code, 3);
  EXPECT_NE(bad.err.find("Number token is empty"), std::string::npos);
}

TEST(ListItems, FirstRequestWinsAndTooLongPatternIsAUsageError) {
  MemoryPlatform p;
  EXPECT_EQ(run(p, {"--version", "--list-items"}).out, "korvane 0.0.141\n");
  RunResult listed = run(p, {"--list-items=QsnBgScreen", "--help", "in.txt", "Skin"});
  EXPECT_EQ(listed.out, "QsnBgScreen (0x10005a26, 0x1000)\n");
  RunResult tooLong = run(p, {"--list-items=" + std::string(512, '*')});
  EXPECT_EQ(tooLong.code, 1);
  EXPECT_EQ(tooLong.out.rfind("Syntax: Korvane", 0), 0u);
}

}  // namespace
}  // namespace korvane
