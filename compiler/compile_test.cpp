// compile() as a library user calls it: descriptions in memory, images in an
// in-memory file system, bytes and diagnostics out.
#include "korvane/compile.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/diagnostics.h"
#include "base/memory_platform.h"
#include "compiler/compilation.h"

namespace korvane {
namespace {

constexpr const char* kOpening = "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Test\"\n";

class CompileTest : public ::testing::Test {
 protected:
  CompileResult run(const std::string& description, Outputs outputs = Outputs::kBytes) {
    CompileRequest r;
    r.sourceName = "skin.txt";
    r.sourceBytes = description;
    r.skinName = "Test";
    r.sourceDateEpoch = 1700000000;
    r.outputs = outputs;
    r.fileSystem = &fs;
    return compile(r);
  }

  // The only error of a failed compile.
  Diagnostic error(const CompileResult& result) {
    EXPECT_EQ(result.exitCode, 2);
    for (const Diagnostic& d : result.diagnostics) {
      if (d.severity == Severity::kError) return d;
    }
    ADD_FAILURE() << "no error";
    return Diagnostic();
  }

  MemoryFileSystem fs;
};

TEST_F(CompileTest, BytesAreWhatTheFilesHold) {
  fs.addFile("bg.bmp", "image");
  fs.addFile("qsn_bg_area_status.bmp", "image");
  std::string description = std::string(kOpening) +
                            "BITMAP IID=QsnBgScreen c16 bg.bmp\nBITMAP c8 qsn_bg_area_status.bmp\n";
  CompileResult result = run(description);
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.generationListName, "Test_MIFList.txt");
  EXPECT_EQ(result.sknName, "Test.skn");

  // Nothing was written to the caller's file system.
  EXPECT_EQ(fs.files.size(), 2u);
  EXPECT_TRUE(result.drm.empty());

  CompileResult written = run(description, Outputs::kFiles);
  ASSERT_EQ(written.exitCode, 0);
  EXPECT_TRUE(written.skn.empty());
  EXPECT_EQ(result.skn, fs.files.at("Test.skn"));
  EXPECT_EQ(result.generationList, fs.files.at("Test_MIFList.txt"));
  EXPECT_EQ(result.pkg, fs.files.at("Test.pkg"));

  // A check only gives the same diagnostics and no bytes.
  CompileResult checked = run(description, Outputs::kNone);
  EXPECT_EQ(checked.exitCode, 0);
  EXPECT_TRUE(checked.skn.empty());
  ASSERT_EQ(checked.diagnostics.size(), result.diagnostics.size());
  for (size_t i = 0; i < checked.diagnostics.size(); ++i) {
    EXPECT_EQ(checked.diagnostics[i].message, result.diagnostics[i].message);
  }
}

// The file systems a compile puts in front of the caller's (the base
// directory's, the one that keeps the outputs) pass on a look that failed:
// an image that could not be looked for is an error, not a missing file.
TEST_F(CompileTest, AFailedLookForAnImageIsAnErrorThroughTheBaseDirectory) {
  fs.failPresence["skins/bg.bmp"] = "Input/output error";
  for (Outputs outputs : {Outputs::kNone, Outputs::kBytes}) {
    CompileRequest r;
    r.sourceName = "skin.txt";
    r.sourceBytes = std::string(kOpening) + "BITMAP IID=QsnBgScreen c16 bg.bmp\n";
    r.baseDirectory = "skins";
    r.skinName = "Test";
    r.outputs = outputs;
    r.fileSystem = &fs;
    EXPECT_EQ(error(compile(r)).message,
              "Cannot look for image file .\\bg.bmp: Input/output error");
  }
}

TEST_F(CompileTest, NotesCarryTheirCodePlaceAndReportLine) {
  CompileResult result =
      run(std::string(kOpening) + "/ a comment line\nRESTRICTION Orv_3_0\nRESTRICTION  NONE\n");
  ASSERT_EQ(result.exitCode, 0);
  const Diagnostic* cleared = nullptr;
  for (const Diagnostic& d : result.diagnostics) {
    if (d.code == "note.restriction-cleared") cleared = &d;
  }
  ASSERT_NE(cleared, nullptr);
  EXPECT_EQ(cleared->severity, Severity::kNote);
  EXPECT_EQ(cleared->message, "Current restriction cleared");
  EXPECT_EQ(cleared->file, "skin.txt");
  // Comment lines count; the token that ends its line is on its own line.
  EXPECT_EQ(cleared->line, 6);
  EXPECT_EQ(cleared->column, 14);
  EXPECT_EQ(cleared->endLine, 6);
  EXPECT_EQ(cleared->endColumn, 18);
  EXPECT_EQ(cleared->reportLine, -1);
}

TEST_F(CompileTest, ADiagnosticAfterTheLastTokenOfALinePointsAtItsEnd) {
  fs.addFile("a.bmp", "image");
  fs.addFile("b.bmp", "image");
  CompileResult result =
      run(std::string(kOpening) + "BMPANIM IID=QsnBgAreaMain\n c16 a.bmp MASK=b.bmp TILE\nEND\n");
  ASSERT_EQ(result.exitCode, 0);
  const Diagnostic* tile = nullptr;
  for (const Diagnostic& d : result.diagnostics) {
    if (d.code == "warning.tile-with-mask") tile = &d;
  }
  ASSERT_NE(tile, nullptr);
  EXPECT_EQ(tile->line, 5);
  EXPECT_EQ(tile->column, 27);
  EXPECT_EQ(tile->endColumn, 27);
  EXPECT_EQ(tile->reportLine, 6);
}

TEST_F(CompileTest, ErrorsPointAtWhatTheyAreAbout) {
  // A wrong item name: the name after "IID=", on its true line (the report
  // names the read-ahead line).
  Diagnostic wrong = error(run(std::string(kOpening) + "BITMAP  IID=NoSuchItem"));
  EXPECT_EQ(wrong.code, "parse.no-item-match");
  EXPECT_EQ(wrong.message, "No match found for item ID \"NoSuchItem\"");
  EXPECT_EQ(wrong.reportCode, 4);
  EXPECT_EQ(wrong.line, 4);
  EXPECT_EQ(wrong.column, 13);
  EXPECT_EQ(wrong.endColumn, 23);
  Diagnostic atLineEnd = error(run(std::string(kOpening) + "BITMAP  IID=NoSuchItem\n\n"));
  EXPECT_EQ(atLineEnd.line, 4);
  EXPECT_EQ(atLineEnd.reportLine, 5);

  // A missing END: the keyword that opened the block, and the end of the file.
  Diagnostic noEnd =
      error(run(std::string(kOpening) + "\n  COLORTABLE IID=QsnTextColors\n  RGB=0xFF0000\n"));
  EXPECT_EQ(noEnd.code, "parse.missing-end");
  EXPECT_EQ(noEnd.line, 5);
  EXPECT_EQ(noEnd.column, 3);
  EXPECT_EQ(noEnd.endColumn, 13);
  ASSERT_EQ(noEnd.related.size(), 1u);
  EXPECT_EQ(noEnd.related[0].range.line, 7);
  EXPECT_EQ(noEnd.related[0].range.column, 1);

  // A second definition, with the first as the related place.
  fs.addFile("a.bmp", "image");
  Diagnostic twice =
      error(run(std::string(kOpening) +
                "BITMAP IID=QsnBgScreen c8 a.bmp\n\n BITMAP IID=QsnBgScreen c8 a.bmp\n"));
  EXPECT_EQ(twice.code, "content.item-already-defined");
  EXPECT_EQ(twice.reportCode, 5);
  EXPECT_EQ(twice.line, 6);
  EXPECT_EQ(twice.column, 2);
  ASSERT_EQ(twice.related.size(), 1u);
  EXPECT_EQ(twice.related[0].range.line, 4);
  EXPECT_EQ(twice.related[0].range.column, 1);
  EXPECT_EQ(twice.related[0].range.file, "skin.txt");

  // An unknown element: its DEBUG line, then the error at the token.
  CompileResult unknown = run(std::string(kOpening) + "FOO bar\n");
  ASSERT_EQ(unknown.diagnostics.size(), 2u);
  EXPECT_EQ(unknown.diagnostics[0].code, "debug.unknown-token");
  EXPECT_EQ(unknown.diagnostics[1].code, "parse.unknown-element");
  EXPECT_EQ(unknown.diagnostics[1].column, 1);
  EXPECT_EQ(unknown.diagnostics[1].endColumn, 4);
}

TEST_F(CompileTest, ATokenTooLongIsARangeAtItsStart) {
  Diagnostic e = error(run(std::string(kOpening) + "  " + std::string(600, 'x') + "\n"));
  EXPECT_EQ(e.message, "Token longer than 511 characters");
  EXPECT_EQ(e.line, 4);
  EXPECT_EQ(e.column, 3);
  EXPECT_EQ(e.endColumn, 4);
}

TEST_F(CompileTest, ColumnsCountUtf16UnitsInEveryEncoding) {
  // U+1F600 takes two units, "é" one.
  std::string utf8 = "\xEF\xBB\xBF" + std::string(kOpening) +
                     "STRING IID=QsnBgScreen \"\xF0\x9F\x98\x80\xC3\xA9\" IID=x\n";
  Diagnostic fromUtf8 = error(run(utf8));
  EXPECT_EQ(fromUtf8.line, 4);
  EXPECT_EQ(fromUtf8.column, 30);
  EXPECT_EQ(fromUtf8.endColumn, 35);

  std::u16string text = u"SKINTYPE scalable\nUID 1\nNAME 1 \"T\"\n\U0001F600 IID=x";
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : text) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  Diagnostic fromUtf16 = error(run(utf16));
  EXPECT_EQ(fromUtf16.code, "parse.unknown-element");
  EXPECT_EQ(fromUtf16.line, 4);
  EXPECT_EQ(fromUtf16.column, 1);
  EXPECT_EQ(fromUtf16.endColumn, 3);
}

TEST_F(CompileTest, FailuresOutsideTheSourceHaveNoPlace) {
  CompileResult tooShort = run("S");
  Diagnostic e = error(tooShort);
  EXPECT_EQ(e.code, "source.premature-end");
  EXPECT_EQ(e.reportLine, 1);

  CompileRequest r;
  r.sourceName = "skin.txt";
  r.sourceBytes = std::string(kOpening);
  r.skinName = "Test";
  r.extensionListFile = "ext.txt";
  r.fileSystem = &fs;
  fs.addFile("ext.txt", "IID \"KTavsIIDNew\" 1 2\nOOPS\n");
  CompileResult invalid = compile(r);
  EXPECT_EQ(invalid.exitCode, 3);
  ASSERT_FALSE(invalid.diagnostics.empty());
  const Diagnostic& listError = invalid.diagnostics.back();
  EXPECT_EQ(listError.code, "extension-list.iid-expected");
  EXPECT_EQ(listError.file, "ext.txt");
  EXPECT_EQ(listError.line, 2);
  EXPECT_EQ(listError.reportLine, -1);
}

TEST(DiagnosticCodes, EveryCodeHasOneStableNameAndADescription) {
  size_t count = diagnosticCodeCount();
  std::set<std::string_view> names;
  for (size_t i = 1; i <= count; ++i) {
    DiagnosticCodeInfo info = diagnosticCodeInfo(static_cast<DiagnosticCode>(i));
    EXPECT_EQ(static_cast<size_t>(info.id), i);
    EXPECT_TRUE(names.insert(info.name).second) << info.name;
    EXPECT_FALSE(info.description.empty()) << info.name;
    EXPECT_EQ(info.name.find_first_of(" \n"), std::string_view::npos) << info.name;
    EXPECT_NE(info.name.find('.'), std::string_view::npos) << info.name;
  }
  EXPECT_EQ(diagnosticCodeInfo(DiagnosticCode::kMissingEnd).name, "parse.missing-end");
  EXPECT_EQ(diagnosticCodeInfo(DiagnosticCode::kSystemPathUnused).description,
            "The system skin output path is not used");
  std::vector<DiagnosticRule> rules = diagnosticRules();
  ASSERT_EQ(rules.size(), count);
  EXPECT_EQ(rules.front().code, "internal.error");
  EXPECT_EQ(rules.front().severity, Severity::kError);
}

TEST(SourceDateEpoch, SecondsBecomeClockTimeWithinItsRange) {
  EXPECT_EQ(clockTimeOfEpochSeconds(0), 116444736000000000ull);
  EXPECT_EQ(clockTimeOfEpochSeconds(1), 116444736010000000ull);
  EXPECT_EQ(clockTimeOfEpochSeconds(-11644473600), 0u);
  EXPECT_EQ(clockTimeOfEpochSeconds(INT64_MIN), 0u);
  EXPECT_GT(clockTimeOfEpochSeconds(INT64_MAX), clockTimeOfEpochSeconds(1700000000));
}

}  // namespace
}  // namespace korvane
