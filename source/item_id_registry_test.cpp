// The item-ID registry: lookups by name and by image file name, and the
// extension list read through the in-memory file system.
#include "source/item_id_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/error.h"
#include "base/memory_platform.h"
#include "source/source_lexer.h"

namespace korvane {
namespace {

constexpr size_t kBuiltinRows = 6990;
const char kReadingNote[] = "NOTE: Reading item ID extensions from ext.txt\n";
const char kAppendedNote[] = "NOTE: Item ID extensions read and appended.\n\n";

// UTF-16LE bytes with a byte-order mark.
std::string utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

class ItemIdRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { loadItemIds(registry, fs, sink, ""); }

  void loadList(const std::string& content) {
    fs.addFile("ext.txt", content);
    loadItemIds(registry, fs, sink, "ext.txt");
  }

  CKrvException listFailure(const std::string& content) {
    fs.addFile("ext.txt", content);
    try {
      loadItemIds(registry, fs, sink, "ext.txt");
    } catch (const CKrvException& e) {
      return e;
    }
    ADD_FAILURE() << "the list was accepted";
    return CKrvException(-1, "");
  }

  static ItemId idOf(const ItemIdEntry* entry) {
    return entry ? entry->id() : ItemId{0xDEAD, 0xDEAD};
  }

  MemoryFileSystem fs;
  MemoryConsole console;
  ConsoleDiagnostics sink{console};
  ItemIdRegistry registry;
};

const ItemId kQsnBgScreen{0x10005A26, 0x1000};

TEST_F(ItemIdRegistryTest, WithoutAListOnlyTheBuiltinRowsAndNoNote) {
  EXPECT_EQ(registry.rows().size(), kBuiltinRows);
  // A second load starts afresh instead of appending the table again.
  loadItemIds(registry, fs, sink, "");
  EXPECT_EQ(registry.rows().size(), kBuiltinRows);
  EXPECT_EQ(console.both, "");
}

TEST_F(ItemIdRegistryTest, LookupsFoldOnlyTheLettersAToZ) {
  for (const char16_t* name : {u"QsnBgScreen", u"qsnbgscreen", u"QSNBGSCREEN", u"qSnBgScReEn"}) {
    const ItemIdEntry* row = findItemId(registry, name);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->name, u"KTavsIIDQsnBgScreen");
    EXPECT_EQ(row->id(), kQsnBgScreen);
  }
  EXPECT_EQ(idOf(findItemIdByFullName(registry, u"ktavsiidqsnbgscreen")), kQsnBgScreen);
  // Neither a prefix nor an extension of a name matches.
  EXPECT_EQ(findItemId(registry, u"QsnBgScree"), nullptr);
  EXPECT_EQ(findItemId(registry, u"QsnBgScreenX"), nullptr);
  EXPECT_EQ(findItemId(registry, u"QsnBgScreen "), nullptr);

  // Letters beyond A to Z keep their case: A-umlaut does not match a-umlaut,
  // in an 8-bit list (Latin-1 bytes) as in a UTF-16 one.
  loadList("IID \"KTavsIID\xC4rger\" 0x10005A26 0x9000\n");
  EXPECT_EQ(idOf(findItemId(registry, u"\u00C4RGER")), (ItemId{0x10005A26, 0x9000}));
  EXPECT_EQ(findItemId(registry, u"\u00E4rger"), nullptr);
  loadList(utf16File(u"IID \"KTavsIID\u0141odz\" 0x10005A26 0x9001\r\n"));
  EXPECT_EQ(idOf(findItemId(registry, u"\u0141ODZ")), (ItemId{0x10005A26, 0x9001}));
  EXPECT_EQ(findItemId(registry, u"\u0142odz"), nullptr);
}

TEST_F(ItemIdRegistryTest, TheFirstOfNamesEqualButForCaseWins) {
  for (const char16_t* name : {u"QgnImstatEmpty", u"QgnImStatEmpty", u"qgnimstatempty"}) {
    const ItemIdEntry* row = findItemId(registry, name);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->name, u"KTavsIIDQgnImstatEmpty");
    EXPECT_EQ(row->minor, 0x1039u);
  }
  for (const char16_t* name : {u"QgnPropBtCarkit", u"QgnPropBtCarKit"}) {
    const ItemIdEntry* row = findItemId(registry, name);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->name, u"KTavsIIDQgnPropBtCarkit");
    EXPECT_EQ(row->minor, 0x1135u);
  }
  // Both names of an aliased identifier resolve, each to its own row.
  EXPECT_EQ(findItemId(registry, u"QgnMenuFolderApps")->name, u"KTavsIIDQgnMenuFolderApps");
  EXPECT_EQ(idOf(findItemId(registry, u"QgnMenuFolderApps")),
            idOf(findItemId(registry, u"QgnPropFolderAppsMedium")));
}

TEST_F(ItemIdRegistryTest, FindItemIdAddsThePrefixAndOnlyOnce) {
  EXPECT_EQ(findItemId(registry, u"KTavsIIDQsnBgScreen"), nullptr);
  EXPECT_EQ(findItemIdByFullName(registry, u"QsnBgScreen"), nullptr);
  EXPECT_EQ(idOf(findItemId(registry, u"Wallpaper")), (ItemId{0x10005A26, 0x1180}));
  EXPECT_EQ(idOf(findItemId(registry, u"None")), (ItemId{0xFFFFFFFF, 0xFFFFFFFF}));
  EXPECT_EQ(findItemId(registry, u""), nullptr);
}

TEST_F(ItemIdRegistryTest, FileNamesDropUnderscoresAndStopAtTheFirstDot) {
  for (const char16_t* file :
       {u"qsn_bg_screen.bmp", u"QSN_BG_SCREEN.BMP", u"qsn_bg_screen", u"qsn_bg_screen.mask.bmp",
        u"_qsn__bg_screen_.svg", u"QsnBgScreen.bmp"}) {
    EXPECT_EQ(idOf(findItemIdByFileName(registry, sink, file)), kQsnBgScreen) << toUtf8(file);
  }
  EXPECT_EQ(findItemIdByFileName(registry, sink, u"qsn_bg_screen_x.bmp"), nullptr);
  EXPECT_EQ(findItemIdByFileName(registry, sink, u".qsn_bg_screen"), nullptr);
  EXPECT_EQ(findItemIdByFileName(registry, sink, u"qsn.bg_screen.bmp"), nullptr);
  // Longer than any name, underscores or not.
  EXPECT_EQ(findItemIdByFileName(registry, sink, std::u16string(400, u'q') + u".bmp"), nullptr);
  EXPECT_EQ(
      idOf(findItemIdByFileName(registry, sink, std::u16string(400, u'_') + u"qsn_bg_screen")),
      kQsnBgScreen);
  EXPECT_EQ(console.both, "");
}

TEST_F(ItemIdRegistryTest, ARestrictionPrefixIsStrippedWithAWarning) {
  EXPECT_EQ(idOf(findItemIdByFileName(registry, sink, u"LAY_W%qsn_bg_screen.bmp")), kQsnBgScreen);
  EXPECT_EQ(console.stdoutText,
            "WARNING: Restriction stripped for IID match (LAY_W%qsn_bg_screen.bmp)\n");
  // The "%" is looked for before the name is cut at a dot.
  console.stdoutText.clear();
  EXPECT_EQ(idOf(findItemIdByFileName(registry, sink, u"Orv_3.0%qsn_bg_screen.bmp")), kQsnBgScreen);
  EXPECT_EQ(console.stdoutText,
            "WARNING: Restriction stripped for IID match (Orv_3.0%qsn_bg_screen.bmp)\n");
  // Only the text after the first "%" is used; one warning names the whole file.
  console.stdoutText.clear();
  EXPECT_EQ(findItemIdByFileName(registry, sink, u"a%b%qsn_bg_screen.bmp"), nullptr);
  EXPECT_EQ(console.stdoutText,
            "WARNING: Restriction stripped for IID match (a%b%qsn_bg_screen.bmp)\n");
  // The warning shows the name narrowed to its low bytes.
  console.stdoutText.clear();
  findItemIdByFileName(registry, sink, u"\u0141%x.bmp");
  EXPECT_EQ(console.stdoutText, "WARNING: Restriction stripped for IID match (A%x.bmp)\n");
}

TEST_F(ItemIdRegistryTest, AValidListIsAppendedBetweenItsTwoNotes) {
  loadList(
      "/ Item identifiers of a newer release\n"
      "IID \"KTavsIIDNewItem\" 0x10005A26 0x9000\n"
      "\n"
      "  iid   \"KTavsIID<0x41>scaped\"\t268458534 36865\r\n"
      "IID \"KTavsIIDFirst\" 1 2 IID \"KTavsIIDSecond\" 3 4\n"
      "IID \"\" 5 6\n"
      "IID \"KTavsIIDNewItem\" 7 8\n");
  EXPECT_EQ(console.stdoutText, std::string(kReadingNote) + kAppendedNote);
  EXPECT_EQ(console.stderrText, "");
  const ItemIdRows rows = registry.rows();
  ASSERT_EQ(rows.size(), kBuiltinRows + 6);
  EXPECT_EQ(rows[kBuiltinRows].name, u"KTavsIIDNewItem");
  EXPECT_EQ(rows[kBuiltinRows + 1].name, u"KTavsIIDAscaped");
  EXPECT_EQ(rows[kBuiltinRows + 4].name, u"");
  EXPECT_EQ(idOf(findItemId(registry, u"newitem")), (ItemId{0x10005A26, 0x9000}));
  EXPECT_EQ(idOf(findItemId(registry, u"Ascaped")), (ItemId{0x10005A26, 0x9001}));
  EXPECT_EQ(idOf(findItemId(registry, u"First")), (ItemId{1, 2}));
  EXPECT_EQ(idOf(findItemId(registry, u"Second")), (ItemId{3, 4}));
}

TEST_F(ItemIdRegistryTest, ListRowsNeverShadowAndNeedThePrefix) {
  loadList(
      "IID \"ktavsiidqsnbgscreen\" 0x1 0x2\n"
      "IID \"QgnBareName\" 0x3 0x4\n");
  EXPECT_EQ(registry.rows().size(), kBuiltinRows + 2);
  EXPECT_EQ(idOf(findItemId(registry, u"QsnBgScreen")), kQsnBgScreen);
  EXPECT_EQ(findItemId(registry, u"QgnBareName"), nullptr);
  EXPECT_EQ(findItemIdByFileName(registry, sink, u"qgn_bare_name.bmp"), nullptr);
}

TEST_F(ItemIdRegistryTest, EveryBuiltinNameFindsTheFirstRowOfItsName) {
  // The index is made at build time; each name must lead to its own row, or
  // to the earlier row of a name equal but for case.
  std::map<std::u16string, const ItemIdEntry*> first;
  for (const ItemIdEntry& row : builtinItemIds()) first.emplace(foldedCopy(row.name), &row);
  size_t own = 0;
  for (const ItemIdEntry& row : builtinItemIds()) {
    const ItemIdEntry* found = findItemIdByFullName(registry, row.name);
    ASSERT_EQ(found, first[foldedCopy(row.name)]) << toUtf8(row.name);
    if (found == &row) ++own;
  }
  EXPECT_EQ(own, kBuiltinRows - 2);
}

TEST_F(ItemIdRegistryTest, ManyAppendedRowsKeepTheirNames) {
  // Enough names to fill several of the registry's name blocks, with lengths
  // that leave a block's end unused.
  std::string list;
  for (int i = 0; i < 3000; ++i) {
    list += "IID \"KTavsIIDMany" + std::string(static_cast<size_t>(i % 200), 'x') +
            std::to_string(i) + "\" 1 " + std::to_string(i) + "\n";
  }
  loadList(list);
  const ItemIdRows rows = registry.rows();
  ASSERT_EQ(rows.size(), kBuiltinRows + 3000);
  for (int i = 0; i < 3000; ++i) {
    std::u16string name =
        u"Many" + widenCopy(std::string(static_cast<size_t>(i % 200), 'x') + std::to_string(i));
    const ItemIdEntry* row = findItemId(registry, name);
    ASSERT_NE(row, nullptr) << i;
    EXPECT_EQ(row->minor, static_cast<uint32_t>(i));
    EXPECT_EQ(row, &rows[kBuiltinRows + static_cast<size_t>(i)]);
  }
  EXPECT_EQ(idOf(findItemId(registry, u"QsnBgScreen")), kQsnBgScreen);
}

TEST_F(ItemIdRegistryTest, ReloadingDropsTheRowsOfTheLastList) {
  loadList(
      "IID \"KTavsIIDNewItem\" 0x10005A26 0x9000\n"
      "IID \"KTavsIIDQsnBgScreen\" 0x1 0x2\n");
  loadItemIds(registry, fs, sink, "");
  EXPECT_EQ(registry.rows().size(), kBuiltinRows);
  EXPECT_EQ(findItemId(registry, u"NewItem"), nullptr);
  EXPECT_EQ(idOf(findItemId(registry, u"QsnBgScreen")), kQsnBgScreen);
  loadList("IID \"KTavsIIDNewItem\" 7 8\n");
  EXPECT_EQ(idOf(findItemId(registry, u"NewItem")), (ItemId{7, 8}));
}

TEST_F(ItemIdRegistryTest, CommentOnlyListIsValid) {
  loadList("/ nothing here yet\n/ IID \"KTavsIIDCommented\" 1 2\n");
  EXPECT_EQ(registry.rows().size(), kBuiltinRows);
  EXPECT_EQ(console.stdoutText, std::string(kReadingNote) + kAppendedNote);
}

TEST_F(ItemIdRegistryTest, UnreadableListsFailWithTheReaderErrors) {
  for (const char* content : {"", "I"}) {
    CKrvException e = listFailure(content);
    EXPECT_EQ(e.code, kErrorPrematureEnd);
    EXPECT_EQ(e.message, "Unicode detection failed");
  }
  try {
    loadItemIds(registry, fs, sink, "missing.txt");
    ADD_FAILURE() << "a missing list was accepted";
  } catch (const CKrvException& e) {
    EXPECT_EQ(e.code, kErrorFileOpen);
    EXPECT_EQ(e.message, "Cannot open input file");
  }
  fs.addFile("rewind.txt", "IID \"KTavsIIDX\" 1 2\n");
  fs.failRewind.insert("rewind.txt");
  try {
    loadItemIds(registry, fs, sink, "rewind.txt");
    ADD_FAILURE() << "a failed rewind was accepted";
  } catch (const CKrvException& e) {
    EXPECT_EQ(e.code, kErrorSeek);
  }
  // The reading note comes first, the closing note never.
  EXPECT_EQ(console.stdoutText.find(kAppendedNote), std::string::npos);
  EXPECT_NE(console.stdoutText.find("NOTE: Reading item ID extensions from missing.txt\n"),
            std::string::npos);
}

TEST_F(ItemIdRegistryTest, MalformedEntriesAreParseErrors) {
  struct Case {
    const char* content;
    const char* message;
  };
  const Case cases[] = {
      // A fourth token starts the next entry.
      {"IID \"KTavsIIDA\" 1 2 3\n", "IID token expected"},
      {"ITEM \"KTavsIIDA\" 1 2\n", "IID token expected"},
      {"\"KTavsIIDA\" 1 2\n", "IID token expected"},
      // Every part of an entry stands on its line.
      {"IID\n\"KTavsIIDA\" 1 2\n", "No opening quotation mark for string found"},
      {"IID KTavsIIDA 1 2\n", "No opening quotation mark for string found"},
      {"IID \"KTavsIIDA 1 2\n", "Unterminated string"},
      {"IID \"KTavsIIDA\" 1\n2\n", "Number token is empty"},
      {"IID \"KTavsIIDA\"\n", "Number token is empty"},
      {"IID \"KTavsIIDA\" 0x1G 2\n", "Non-hexadecimal character in number token"},
      {"IID \"KTavsIIDA\" 1 two\n", "Non-numeric character in number token"},
  };
  for (const Case& c : cases) {
    CKrvException e = listFailure(c.content);
    EXPECT_EQ(e.code, kErrorParse) << c.content;
    EXPECT_EQ(e.message, c.message) << c.content;
  }
}

TEST_F(ItemIdRegistryTest, RowsOfEveryShapeReadAlikeAndKeepTheirPlaces) {
  // Rows a line at hand reads directly (tabs, CR LF, a 0 byte among the
  // blanks) and rows left to the token readers (an escape, a comment, a row
  // split by a piece boundary, a last row without a line feed) give the same
  // rows, and the reader stands where the token readers would leave it: an
  // error in the row after them has its line and column.
  std::string rows =
      "IID \"KTavsIIDA1\" 1 2\n"
      "IID\t\"KTavsIIDA2\"\t0x10\t-3\r\n"
      "IID \"KTavsIIDA3\" 3 4 \r\n"
      "IID \"KTavsIID<65>4\" 5 6\n"
      "IID  \"KTavsIIDA\xE9"
      "5\" 7 8\n"
      "IID \"KTavsIIDA6\"9 10\r\r\n"
      "/ IID \"KTavsIIDCommented\" 1 2\n"
      "IID \"KTavsIIDA7\" 11";
  rows += std::string(1, '\0') + " 12\n";
  // Enough rows that one of them straddles the reader's first piece.
  for (int i = 0; i < 2000; ++i) {
    rows += "IID \"KTavsIIDPiece" + std::to_string(i) + "\" 0x20 " + std::to_string(i) + "\r\n";
  }
  const int lines = 8 + 2000;
  const ItemId expected[] = {{1, 2}, {0x10, 0xFFFFFFFD}, {3, 4}, {5, 6}, {7, 8}, {9, 10}, {11, 12}};
  const std::u16string names[] = {u"A1", u"A2", u"A3", u"A4", u"A\u00E95", u"A6", u"A7"};

  loadList(rows + "IID \"KTavsIIDLast\" 13 14");
  ASSERT_EQ(registry.rows().size(), kBuiltinRows + 7 + 2000 + 1);
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(idOf(findItemId(registry, names[i])), expected[i]) << i;
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(idOf(findItemId(registry, u"Piece" + widenCopy(std::to_string(i)))),
              (ItemId{0x20, static_cast<uint32_t>(i)}));
  }
  EXPECT_EQ(idOf(findItemId(registry, u"Last")), (ItemId{13, 14}));
  EXPECT_EQ(findItemId(registry, u"Commented"), nullptr);

  CKrvException e = listFailure(rows + "IID \"KTavsIIDBad\" 1 x\n");
  EXPECT_EQ(e.message, "Non-numeric character in number token");
  EXPECT_EQ(e.span.line, lines + 1);
  EXPECT_EQ(e.span.column, 21);
  EXPECT_EQ(e.span.endColumn, 22);
  // A fourth token after a row read directly starts the next row.
  e = listFailure(rows + "IID \"KTavsIIDBad\" 1 2\tjunk\n");
  EXPECT_EQ(e.message, "IID token expected");
  EXPECT_EQ(e.span.line, lines + 1);
  EXPECT_EQ(e.span.column, 23);
}

TEST_F(ItemIdRegistryTest, NamesLongerThan255CharactersAreRefused) {
  std::string name255 = "KTavsIID" + std::string(247, 'n');
  loadList("IID \"" + name255 + "\" 1 2\n");
  EXPECT_EQ(registry.rows().back().name.size(), 255u);

  CKrvException e = listFailure("IID \"" + name255 + "x\" 1 2\n");
  EXPECT_EQ(e.code, kErrorParse);
  EXPECT_FALSE(e.message.empty());
}

}  // namespace
}  // namespace korvane
