// compile() as an editor calls it: every error of the description in one
// run, each with its place and its "did you mean", and nothing kept after an
// error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "korvane/compile.h"

namespace korvane {
namespace {

constexpr const char* kOpening = "SKINTYPE scalable\nNAME 1 \"Test\"\n";

struct Seen {
  int line;
  int column;
  std::string code;
  std::string suggestion;
};

class AllErrorsTest : public ::testing::Test {
 protected:
  CompileResult run(const std::string& description, bool allErrors = true, bool suggest = true) {
    CompileRequest r;
    r.sourceName = "skin.txt";
    r.sourceBytes = std::string(kOpening) + description;
    r.skinName = "Test";
    r.sourceDateEpoch = 1700000000;
    r.outputs = Outputs::kBytes;
    r.fileSystem = &fs;
    r.allErrors = allErrors;
    r.suggest = suggest;
    return compile(r);
  }

  static std::vector<Seen> errors(const CompileResult& result) {
    std::vector<Seen> seen;
    for (const Diagnostic& d : result.diagnostics) {
      if (d.severity != Severity::kError) continue;
      seen.push_back(Seen{d.line, d.column, d.code, d.suggestions.empty() ? "" : d.suggestions[0]});
    }
    return seen;
  }

  MemoryFileSystem fs;
};

void expectErrors(const std::vector<Seen>& actual, const std::vector<Seen>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i].line, expected[i].line) << i;
    EXPECT_EQ(actual[i].column, expected[i].column) << i;
    EXPECT_EQ(actual[i].code, expected[i].code) << i;
    EXPECT_EQ(actual[i].suggestion, expected[i].suggestion) << i;
  }
}

TEST_F(AllErrorsTest, TheParseGoesOnAtTheNextElementAndKeepsNoOutput) {
  fs.addFile("a.bmp", "image");
  CompileResult result =
      run("SCALABLEITEM IID=QsnBgScreen INPUT=none OUTPUT=0/RGB\n"   // 3
          "  EFFECT UID=0x1 INPUTA=none INPUTB=none OUTPUT=0/RBG\n"  // 4
          "    INT x 5\n"                                            // 5
          "  END\n"                                                  // 6
          "END\n"                                                    // 7
          "BITMAP IID=Orv_3_0%QsnBgScren c16 a.bmp\n"                // 8
          "FRAME IID=QsnFrList\n"                                    // 9
          "  IID=QsnFrListCornerTl\n"                                // 10
          "END\n"                                                    // 11
          "RESTRICTION Orv_4_0\n"                                    // 12
          "BITMAP IID=QsnBgAreaMain c16 a.bmp\n"                     // 13
          "BITMAP IID=QsnBgAreaMain c16 a.bmp\n");                   // 14
  EXPECT_EQ(result.exitCode, 2);
  expectErrors(errors(result), {{4, 42, "parse.error", "OUTPUT=0/RGB"},
                                {8, 12, "parse.no-item-match", "Orv_3_0%QsnBgScreen"},
                                {9, 1, "content.frame-elements", ""},
                                {12, 13, "parse.error", "Orv_3_0"},
                                {14, 1, "content.item-already-defined", ""}});
  EXPECT_TRUE(result.skn.empty());
  EXPECT_TRUE(result.pkg.empty());
}

TEST_F(AllErrorsTest, AMissingEndAtTheEndOfTheFileIsOneError) {
  CompileResult result = run("COLORTABLE IID=QsnOtherColors\n  RGB=0xFF\n");
  expectErrors(errors(result), {{3, 1, "parse.missing-end", ""}});
}

TEST_F(AllErrorsTest, WithoutAllErrorsTheFirstErrorEndsTheCompile) {
  const std::string twoMistakes = "COLOURTABLE IID=QsnOtherColors\nEND\nBITMAPS\n";
  expectErrors(errors(run(twoMistakes, false)), {{3, 1, "parse.unknown-element", "COLORTABLE"}});
  expectErrors(errors(run(twoMistakes, true)), {{3, 1, "parse.unknown-element", "COLORTABLE"},
                                                {5, 1, "parse.unknown-element", "BITMAP"}});
  expectErrors(errors(run(twoMistakes, false, false)), {{3, 1, "parse.unknown-element", ""}});
}

TEST_F(AllErrorsTest, MissingImagesSuggestTheFilesOfTheirBitmapDirectory) {
  fs.addFile("gfx/background.bmp", "image");
  CompileResult result = run("BITMAPPATH gfx\nBITMAP IID=QsnBgScreen c16 backgrond.bmp\n");
  EXPECT_EQ(result.exitCode, 0);
  bool found = false;
  for (const Diagnostic& d : result.diagnostics) {
    if (d.code != "note.missing-image-file") continue;
    found = true;
    EXPECT_EQ(d.line, 4);
    EXPECT_EQ(d.column, 28);
    ASSERT_EQ(d.suggestions.size(), 1u);
    EXPECT_EQ(d.suggestions[0], "background.bmp");
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace korvane
