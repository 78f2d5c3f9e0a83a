// One description with several mistakes through each diagnostic format:
// every error with its place and its suggestion, the warnings for silent
// damage, the exit code, no output file, and nothing on standard output.
#include "driver/diagnostics_run.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/compile_test_support.h"

namespace korvane {
namespace {

using namespace korvane::testing;
using nlohmann::json;

// Lines 3, 4, 7 and 11 hold errors; 13 a number wider than its field.
const std::string kMistakes =
    "SKINTYPE scalable\n"                               // 1
    "NAME 1 \"Ocean\"\n"                                // 2
    "BITMAP IID=QsnBgScren c16 background.bmp\n"        // 3
    "COLOURTABLE IID=QsnOtherColors\n"                  // 4
    "  RGB=0x1E90FF\n"                                  // 5
    "END\n"                                             // 6
    "BMPANIM IID=QgnGrafBarWait INTREVAL=100\n"         // 7
    "  c16 wait_1.bmp\n"                                // 8
    "END\n"                                             // 9
    "BITMAP IID=QsnBgAreaMain c16 backgrund.bmp\n"      // 10
    "BITMAP IID=QsnBgAreaControl c15 background.bmp\n"  // 11
    "COLORTABLE IID=QsnTextColors\n"                    // 12
    "  RGB=0x1E90FF0\n"                                 // 13
    "END\n";                                            // 14

struct Expected {
  int line;
  int column;
  int endColumn;
  const char* severity;
  const char* code;
  const char* suggestion;  // "" for none
};

const Expected kExpected[] = {
    {3, 12, 22, "error", "parse.no-item-match", "QsnBgScreen"},
    {4, 1, 12, "error", "parse.unknown-element", "COLORTABLE"},
    {7, 28, 40, "error", "parse.expected-token", "INTERVAL=100"},
    {10, 30, 43, "warning", "note.missing-image-file", "background.bmp"},
    {11, 29, 32, "error", "parse.error", "c16"},
    {13, 3, 16, "warning", "value.cut", ""},
};

RunResult run(MemoryPlatform& p, std::vector<std::string> options) {
  p.fs.addFile("skin.txt", kMistakes);
  p.fs.addFile("background.bmp", "image");
  p.fs.addFile("wait_1.bmp", "image");
  options.push_back("skin.txt");
  options.push_back("Ocean");
  return runInMemory(p, options);
}

void expectNoOutputs(const MemoryPlatform& p) {
  for (const char* name : {"Ocean.skn", "Ocean.pkg", "Ocean_MIFList.txt"}) {
    EXPECT_FALSE(p.fs.has(name)) << name;
  }
}

TEST(DiagnosticsFormats, GccShowsEveryMistakeWithItsPlaceAndFix) {
  MemoryPlatform p;
  RunResult result = run(p, {"--diagnostics-format=gcc"});
  EXPECT_EQ(result.code, 2);
  EXPECT_EQ(result.out, "");
  expectNoOutputs(p);
  size_t at = 0;
  for (const Expected& e : kExpected) {
    std::string head = "skin.txt:" + std::to_string(e.line) + ":" + std::to_string(e.column) +
                       ": " + e.severity + ": ";
    size_t found = result.err.find(head, at);
    ASSERT_NE(found, std::string::npos) << head << "\n" << result.err;
    std::string line = result.err.substr(found, result.err.find('\n', found) - found);
    if (*e.suggestion != '\0') {
      EXPECT_NE(line.find(std::string("; did you mean '") + e.suggestion + "'?"), std::string::npos)
          << line;
    }
    EXPECT_NE(line.find(std::string("[") + e.code + "]"), std::string::npos) << line;
    at = found + 1;
  }
  // The first error with its excerpt, caret and fix-it line.
  EXPECT_NE(result.err.find("   3 | BITMAP IID=QsnBgScren c16 background.bmp\n"
                            "     |            ^~~~~~~~~~\n"
                            "     |            QsnBgScreen\n"),
            std::string::npos)
      << result.err;
  // The report's words never come in.
  EXPECT_EQ(result.err.find("Phase"), std::string::npos);
  EXPECT_EQ(result.err.find("NOTE:"), std::string::npos);
}

TEST(DiagnosticsFormats, JsonShowsTheSameMistakes) {
  MemoryPlatform p;
  RunResult result = run(p, {"--diagnostics-format=json"});
  EXPECT_EQ(result.code, 2);
  EXPECT_EQ(result.out, "");
  expectNoOutputs(p);
  json all = json::parse(result.err);
  ASSERT_EQ(all.size(), std::size(kExpected)) << result.err;
  for (size_t i = 0; i < all.size(); ++i) {
    const Expected& e = kExpected[i];
    const json& d = all[i];
    EXPECT_EQ(d["kind"], e.severity) << i;
    EXPECT_EQ(d["code"], e.code) << i;
    EXPECT_EQ(d["locations"][0]["caret"]["file"], "skin.txt");
    EXPECT_EQ(d["locations"][0]["caret"]["line"], e.line) << i;
    EXPECT_EQ(d["locations"][0]["caret"]["column"], e.column) << i;
    EXPECT_EQ(d["locations"][0]["finish"]["column"], e.endColumn - 1) << i;
    if (*e.suggestion != '\0') {
      ASSERT_EQ(d["fixits"].size(), 1u) << i;
      EXPECT_EQ(d["fixits"][0]["string"], e.suggestion) << i;
      EXPECT_EQ(d["fixits"][0]["next"]["column"], e.endColumn) << i;
    } else {
      EXPECT_TRUE(d["fixits"].empty()) << i;
    }
  }
}

TEST(DiagnosticsFormats, SarifShowsTheSameMistakesInAFile) {
  MemoryPlatform p;
  RunResult result = run(p, {"--diagnostics-format=sarif", "--diagnostics-file=out.sarif"});
  EXPECT_EQ(result.code, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  expectNoOutputs(p);
  ASSERT_TRUE(p.fs.has("out.sarif"));
  json log = json::parse(p.fs.content("out.sarif"));
  EXPECT_EQ(log["version"], "2.1.0");
  EXPECT_TRUE(log.contains("$schema"));
  const json& run0 = log["runs"][0];
  EXPECT_EQ(run0["tool"]["driver"]["name"], "korvane");
  EXPECT_FALSE(run0["tool"]["driver"]["version"].get<std::string>().empty());
  const json& rules = run0["tool"]["driver"]["rules"];
  const json& results = run0["results"];
  ASSERT_EQ(results.size(), std::size(kExpected));
  for (size_t i = 0; i < results.size(); ++i) {
    const Expected& e = kExpected[i];
    const json& r = results[i];
    EXPECT_EQ(r["ruleId"], e.code);
    bool ruled = false;
    for (const json& rule : rules) {
      ruled = ruled || (rule["id"] == e.code && !rule["shortDescription"]["text"].empty());
    }
    EXPECT_TRUE(ruled) << e.code;
    EXPECT_EQ(r["level"], e.severity);
    EXPECT_FALSE(r["message"]["text"].get<std::string>().empty());
    const json& physical = r["locations"][0]["physicalLocation"];
    EXPECT_EQ(physical["artifactLocation"]["uri"], "skin.txt");
    EXPECT_EQ(physical["region"]["startLine"], e.line);
    EXPECT_EQ(physical["region"]["startColumn"], e.column);
    EXPECT_EQ(physical["region"]["endLine"], e.line);
    EXPECT_EQ(physical["region"]["endColumn"], e.endColumn);
    if (*e.suggestion != '\0') {
      EXPECT_EQ(r["fixes"][0]["artifactChanges"][0]["replacements"][0]["insertedContent"]["text"],
                e.suggestion);
    } else {
      EXPECT_FALSE(r.contains("fixes"));
    }
  }
}

TEST(DiagnosticsFormats, TheReportStillStopsAtTheFirstErrorWithoutSuggestions) {
  MemoryPlatform p;
  RunResult result = run(p, {});
  EXPECT_EQ(result.code, 2);
  EXPECT_NE(result.err.find("No match found for item ID \"QsnBgScren\""), std::string::npos);
  EXPECT_EQ(result.err.find("COLOURTABLE"), std::string::npos);
  EXPECT_EQ(result.out.find("did you mean"), std::string::npos);
  EXPECT_EQ(result.out.find("value cut"), std::string::npos);
}

TEST(DiagnosticsFormats, ADescriptionThatCannotBeReadIsNamed) {
  MemoryPlatform p;
  RunResult result = runInMemory(p, {"--diagnostics-format=gcc", "missing.txt", "Ocean"});
  EXPECT_EQ(result.code, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "missing.txt: error: Cannot open input file [file.open]\n");
}

TEST(DiagnosticsFormats, LimitsWarningsAsErrorsAndSilentSuccess) {
  MemoryPlatform limited;
  RunResult result = run(limited, {"--diagnostics-format=gcc", "--max-errors=2"});
  EXPECT_EQ(result.code, 2);
  EXPECT_NE(result.err.find("korvane: note: 2 more errors left out (--max-errors=2)"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("skin.txt:11:"), std::string::npos);

  const std::string clean =
      "SKINTYPE scalable\nNAME 1 \"Ocean\"\nBITMAP IID=QsnBgScreen c16 "
      "background.bmp\n";
  MemoryPlatform quiet;
  quiet.fs.addFile("skin.txt", clean);
  quiet.fs.addFile("background.bmp", "image");
  result = runInMemory(quiet, {"--diagnostics-format=gcc", "skin.txt", "Ocean"});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(quiet.fs.has("Ocean.skn"));

  MemoryPlatform strict;
  strict.fs.addFile("skin.txt",
                    clean + "BMPANIM IID=QgnGrafBarWait INTERVAL=-1\n  c16 background.bmp\nEND\n");
  strict.fs.addFile("background.bmp", "image");
  result = runInMemory(strict, {"--diagnostics-format=gcc", "skin.txt", "Ocean"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.err.find("skin.txt:4:28: warning: INTERVAL=-1 is negative"), std::string::npos)
      << result.err;
  EXPECT_TRUE(strict.fs.has("Ocean.skn"));
  MemoryPlatform asErrors;
  asErrors.fs.files = strict.fs.files;
  asErrors.fs.files.erase("Ocean.skn");
  asErrors.fs.files.erase("Ocean.pkg");
  asErrors.fs.files.erase("Ocean_MIFList.txt");
  result = runInMemory(asErrors,
                       {"--diagnostics-format=gcc", "--warnings-as-errors", "skin.txt", "Ocean"});
  EXPECT_EQ(result.code, 2);
  EXPECT_NE(result.err.find("skin.txt:4:28: error: INTERVAL=-1 is negative"), std::string::npos)
      << result.err;
  EXPECT_FALSE(asErrors.fs.has("Ocean.skn"));
}

}  // namespace
}  // namespace korvane
