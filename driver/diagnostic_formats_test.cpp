// The three diagnostic formats from one set of diagnostics with places,
// related places and suggestions: what editors and code-scanning services
// read from each.
#include "driver/diagnostic_formats.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace korvane {
namespace {

using nlohmann::json;

const std::string kSource =
    "SKINTYPE scalable\r\n"
    "NAME 1 \"Sk\xC3\xA9n\"\r\n"
    "BITMAP IID=QsnBgScren c16 bg.bmp\r\n"
    "\tCOLOURTABLE IID=QsnOtherColors\r\n";

Diagnostic at(Severity severity, std::string code, std::string message, int line, int column,
              int endColumn) {
  Diagnostic d;
  d.severity = severity;
  d.code = std::move(code);
  d.message = std::move(message);
  d.file = "skins/my skin.txt";
  d.line = line;
  d.column = column;
  d.endLine = line;
  d.endColumn = endColumn;
  return d;
}

std::vector<Diagnostic> sample() {
  Diagnostic item = at(Severity::kError, "parse.no-item-match",
                       "No match found for item ID \"QsnBgScren\"", 3, 12, 22);
  item.suggestions = {"QsnBgScreen"};
  Diagnostic element = at(Severity::kError, "parse.unknown-element",
                          "Unknown token encountered or syntax error", 4, 2, 13);
  element.suggestions = {"COLORTABLE"};
  Diagnostic duplicate =
      at(Severity::kWarning, "content.item-already-defined", "Item already defined", 3, 1, 7);
  RelatedPlace& first = duplicate.related.emplace_back();
  first.range.file = "skins/my skin.txt";
  first.range.line = 2;
  first.range.column = 1;
  first.range.endLine = 2;
  first.range.endColumn = 5;
  first.message = "first defined here";
  Diagnostic summary;
  summary.severity = Severity::kNote;
  summary.code = "driver.note";
  summary.message = "no place";
  return {item, element, duplicate, summary};
}

SourceFiles sources() {
  SourceFiles files;
  files.emplace("skins/my skin.txt", SourceLines(kSource));
  return files;
}

TEST(GccFormat, PlacesCaretsFixItsAndNotes) {
  EXPECT_EQ(renderGcc(sample(), sources()),
            "skins/my skin.txt:3:12: error: No match found for item ID \"QsnBgScren\"; did you "
            "mean 'QsnBgScreen'? [parse.no-item-match]\n"
            "   3 | BITMAP IID=QsnBgScren c16 bg.bmp\n"
            "     |            ^~~~~~~~~~\n"
            "     |            QsnBgScreen\n"
            "skins/my skin.txt:4:2: error: Unknown token encountered or syntax error; did you "
            "mean 'COLORTABLE'? [parse.unknown-element]\n"
            "   4 | \tCOLOURTABLE IID=QsnOtherColors\n"
            "     | \t^~~~~~~~~~~\n"
            "     | \tCOLORTABLE\n"
            "skins/my skin.txt:3:1: warning: Item already defined [content.item-already-defined]\n"
            "   3 | BITMAP IID=QsnBgScren c16 bg.bmp\n"
            "     | ^~~~~~\n"
            "skins/my skin.txt:2:1: note: first defined here\n"
            "korvane: note: no place [driver.note]\n");
}

TEST(GccFormat, ExcerptsFollowTheEncodingAndStayInsideTheLine) {
  // UTF-16 with its mark: the caret counts UTF-16 units; a pair is one blank.
  std::u16string wide = u"NAME 1 \"\U0001F600\" X\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : wide) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  SourceFiles files;
  files.emplace("w.txt", SourceLines(bytes));
  Diagnostic d = at(Severity::kError, "x", "m", 1, 12, 13);
  d.file = "w.txt";
  EXPECT_EQ(renderGcc({d}, files),
            "w.txt:1:12: error: m [x]\n"
            "   1 | NAME 1 \"\xF0\x9F\x98\x80\" X\n"
            "     |           ^\n");
  // A column past the line's end shows no excerpt; a range past it is cut.
  d.column = 40;
  EXPECT_EQ(renderGcc({d}, files), "w.txt:1:40: error: m [x]\n");
  d.column = 1;
  d.endColumn = 99;
  std::string cut = renderGcc({d}, files);
  EXPECT_EQ(cut.substr(cut.rfind("     | ")), "     | ^" + std::string(11, '~') + "\n");
  // An 8-bit byte in a message comes out as its Latin-1 character.
  d.message = "bad \xE9";
  d.line = 0;
  EXPECT_EQ(renderGcc({d}, files), "w.txt: error: bad \xC3\xA9 [x]\n");
}

TEST(JsonFormat, GccLayoutWithCodes) {
  json all = json::parse(renderJson(sample()));
  ASSERT_TRUE(all.is_array());
  ASSERT_EQ(all.size(), 4u);
  const json& item = all[0];
  EXPECT_EQ(item["kind"], "error");
  EXPECT_EQ(item["code"], "parse.no-item-match");
  EXPECT_EQ(item["message"],
            "No match found for item ID \"QsnBgScren\"; did you mean 'QsnBgScreen'?");
  const json& location = item["locations"][0];
  EXPECT_EQ(location["caret"], json({{"file", "skins/my skin.txt"}, {"line", 3}, {"column", 12}}));
  EXPECT_EQ(location["finish"]["column"], 21);  // the last unit of the name
  ASSERT_EQ(item["fixits"].size(), 1u);
  EXPECT_EQ(item["fixits"][0]["start"]["column"], 12);
  EXPECT_EQ(item["fixits"][0]["next"]["column"], 22);
  EXPECT_EQ(item["fixits"][0]["string"], "QsnBgScreen");
  const json& duplicate = all[2];
  EXPECT_EQ(duplicate["kind"], "warning");
  ASSERT_EQ(duplicate["children"].size(), 1u);
  EXPECT_EQ(duplicate["children"][0]["kind"], "note");
  EXPECT_EQ(duplicate["children"][0]["message"], "first defined here");
  EXPECT_EQ(duplicate["children"][0]["locations"][0]["caret"]["line"], 2);
  EXPECT_TRUE(all[3]["locations"].empty());
  EXPECT_TRUE(all[3]["fixits"].empty());
}

TEST(SarifFormat, LogWithRulesResultsAndFixes) {
  json log = json::parse(renderSarif(sample(), ToolInfo{"korvane", "1.2.3"}));
  EXPECT_EQ(log["version"], "2.1.0");
  EXPECT_TRUE(log["$schema"].get<std::string>().find("sarif-2.1.0") != std::string::npos);
  ASSERT_EQ(log["runs"].size(), 1u);
  const json& run = log["runs"][0];
  const json& driver = run["tool"]["driver"];
  EXPECT_EQ(driver["name"], "korvane");
  EXPECT_EQ(driver["version"], "1.2.3");
  ASSERT_EQ(driver["rules"].size(), 4u);  // one per code
  for (const json& rule : driver["rules"]) {
    EXPECT_FALSE(rule["id"].get<std::string>().empty());
    EXPECT_FALSE(rule["shortDescription"]["text"].get<std::string>().empty());
  }
  const json& results = run["results"];
  ASSERT_EQ(results.size(), 4u);
  const json& item = results[0];
  EXPECT_EQ(item["ruleId"], "parse.no-item-match");
  EXPECT_EQ(driver["rules"][item["ruleIndex"].get<size_t>()]["id"], "parse.no-item-match");
  EXPECT_EQ(item["level"], "error");
  EXPECT_EQ(item["message"]["text"],
            "No match found for item ID \"QsnBgScren\"; did you mean 'QsnBgScreen'?");
  const json& physical = item["locations"][0]["physicalLocation"];
  EXPECT_EQ(physical["artifactLocation"]["uri"], "skins/my%20skin.txt");
  EXPECT_EQ(physical["region"],
            json({{"startLine", 3}, {"startColumn", 12}, {"endLine", 3}, {"endColumn", 22}}));
  const json& replacement = item["fixes"][0]["artifactChanges"][0]["replacements"][0];
  EXPECT_EQ(replacement["deletedRegion"]["startColumn"], 12);
  EXPECT_EQ(replacement["insertedContent"]["text"], "QsnBgScreen");
  EXPECT_EQ(results[1]["level"], "error");
  EXPECT_EQ(results[2]["level"], "warning");
  EXPECT_EQ(results[2]["relatedLocations"][0]["message"]["text"], "first defined here");
  EXPECT_EQ(results[3]["level"], "note");
  EXPECT_FALSE(results[3].contains("locations"));
}

TEST(DiagnosticLimits, WarningsAsErrorsAndMaxErrors) {
  std::vector<Diagnostic> limited = limitDiagnostics(sample(), 1, false);
  ASSERT_EQ(limited.size(), 2u);
  EXPECT_EQ(limited[1].severity, Severity::kNote);
  EXPECT_EQ(limited[1].message, "more errors left out (--max-errors=1)");
  limited = limitDiagnostics(sample(), 2, true);
  ASSERT_EQ(limited.size(), 3u);
  EXPECT_EQ(limited[2].message, "more errors left out (--max-errors=2)");
  EXPECT_EQ(limitDiagnostics(sample(), 0, true).size(), 4u);
  EXPECT_EQ(limitDiagnostics(sample(), 3, false).size(), 4u);
}

TEST(FileUri, RelativeAbsoluteAndWindowsNames) {
  EXPECT_EQ(fileUri("skins\\ocean\\skin.txt"), "skins/ocean/skin.txt");
  EXPECT_EQ(fileUri("/home/a b/skin#1.txt"), "file:///home/a%20b/skin%231.txt");
  EXPECT_EQ(fileUri("C:\\Skins\\x.txt"), "file:///C:/Skins/x.txt");
  EXPECT_EQ(fileUri("caf\xC3\xA9.txt"), "caf%C3%A9.txt");
}

}  // namespace
}  // namespace korvane
