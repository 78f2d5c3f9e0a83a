#include "lsp/text_document.h"

#include <gtest/gtest.h>

namespace korvane::lsp {
namespace {

TEST(TextDocument, LinesAndUtf16Columns) {
  TextDocument document("file:///a.txt", "one\r\nt\xC3\xA9\xF0\x9F\x98\x80x\n\nlast", 1);
  ASSERT_EQ(4, document.lineCount());
  EXPECT_EQ("one\r", document.line(0));
  EXPECT_EQ("last", document.line(3));
  EXPECT_EQ("", document.line(4));
  // é is one unit, the emoji two.
  EXPECT_EQ(5, utf16Length(document.line(1)));
  EXPECT_EQ(3u, byteOffsetOfColumn(document.line(1), 2));
  EXPECT_EQ(7u, byteOffsetOfColumn(document.line(1), 4));
  EXPECT_EQ(8u, byteOffsetOfColumn(document.line(1), 99));
  // A byte that starts no sequence counts as one unit, as does a cut sequence.
  EXPECT_EQ(3, utf16Length("\xFF"
                           "a\xE2"));
}

TEST(Uris, FilePathsBothWays) {
  EXPECT_EQ("/skins/my skin/a%.txt", uriToPath("file:///skins/my%20skin/a%25.txt"));
  EXPECT_EQ("file:///skins/my%20skin/a%25.txt", pathToUri("/skins/my skin/a%.txt"));
  EXPECT_EQ("/x", uriToPath("file://localhost/x"));
  EXPECT_EQ("C:/skins/a.txt", uriToPath("file:///C:/skins/a.txt"));
  EXPECT_EQ("", uriToPath("untitled:Untitled-1"));
  EXPECT_EQ("", uriToPath("file:///a%00b"));
  EXPECT_EQ("/skins", directoryOf("/skins/a.txt"));
  EXPECT_EQ("", directoryOf("a.txt"));
  EXPECT_EQ("a.txt", fileNameOf("/skins/a.txt"));
  EXPECT_EQ("/skins/images/a.bmp", joinPath(joinPath("/skins", "images"), "a.bmp"));
}

}  // namespace
}  // namespace korvane::lsp
