#include "inspect/skn_dump.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "inspect/dump_test_support.h"
#include "inspect/skn_reader_test_support.h"

namespace korvane {
namespace {

using testing::contains;
using testing::DumpRun;
using testing::imageAttributes;
using testing::SknBytes;

DumpRun dump(const std::string& bytes, std::vector<const char*> options = {},
             const std::vector<std::pair<std::string, std::string>>& files = {}) {
  MemoryPlatform memory;
  memory.fs.addFile("skin.skn", bytes);
  for (const auto& [name, content] : files) memory.fs.addFile(name, content);
  options.push_back("skin.skn");
  return testing::runDumpOn(memory, options);
}

// JSON without the indentation at the start of its lines.
std::string unindented(const std::string& json) {
  std::string out;
  bool lineStart = true;
  for (char c : json) {
    if (lineStart && c == ' ') continue;
    lineStart = c == '\n';
    out += c;
  }
  return out;
}

// One broken copy of the minimal skin per framing fault. Layout of that file:
// information 0x2a (33 bytes), MBM file name 0x4b (31), item list 0x6a (14),
// application icon list 0x78, the six wrappers from 0x86, the file trailer at 0x150.
TEST(SknDump, FramingFaultsExitWithTwoNamingOffsetAndChunkPath) {
  struct Fault {
    const char* what;
    std::function<void(SknBytes&)> change;
    std::string message;
  };
  const std::vector<Fault> faults = {
      {"file size disagrees with the bytes", [](SknBytes& b) { b.set(0, 338, 4); },
       "error at offset 0x0000 in skin file: file size field 338 does not match the file "
       "length 337"},
      {"chunk size disagrees with its parent", [](SknBytes& b) { b.set(0x131, 32, 4); },
       "error at offset 0x0131 in skin file > layout or language restriction: chunk size 32 "
       "runs past the end of its parent (ends at 0x0150)"},
      {"chunk size smaller than a frame", [](SknBytes& b) { b.set(0x4B, 5, 4); },
       "error at offset 0x004b in skin file > bitmap file name: chunk size 5 is smaller than a "
       "chunk frame (9 bytes)"},
      {"missing trailer of a chunk", [](SknBytes& b) { b.set(0x4A, 0, 1); },
       "error at offset 0x004a in skin file > skin information: missing 0xF5 trailer (found "
       "0x00)"},
      {"missing trailer of the file", [](SknBytes& b) { b.set(0x150, 0xF4, 1); },
       "error at offset 0x0150 in skin file: missing 0xF5 trailer (found 0xf4)"},
      {"top-level count", [](SknBytes& b) { b.set(0x26, 11, 4); },
       "error at offset 0x0026 in skin file: top-level chunk count 11 does not match the 10 "
       "chunks that follow"},
      {"item list count", [](SknBytes& b) { b.set(0x73, 2, 4); },
       "error at offset 0x0073 in skin file > item list: item count 2 does not match the 0 "
       "chunks that follow"},
      {"unknown type", [](SknBytes& b) { b.set(0x4F, 21, 2); },
       "error at offset 0x004f in skin file: unknown chunk type 21"},
      {"unknown version", [](SknBytes& b) { b.set(0x30, 1, 2); },
       "error at offset 0x0030 in skin file > skin information: unknown version 1 of chunk "
       "type 11 (expected 2)"},
      {"truncated text", [](SknBytes& b) { b.set(0x57, 9, 2); },
       "error at offset 0x0057 in skin file > bitmap file name: truncated text name: 9 units "
       "need 18 bytes but only 16 are left"},
      {"bytes left over", [](SknBytes& b) { b.set(0x57, 7, 2); },
       "error at offset 0x0067 in skin file > bitmap file name: 2 bytes left over at the end of "
       "the chunk"},
      {"truncated header", [](SknBytes& b) { b.data.resize(20); },
       "error at offset 0x0014 in skin file: truncated SKN header: the file has 20 bytes, at "
       "least 43 are needed"},
  };
  for (const Fault& fault : faults) {
    SknBytes bytes;
    bytes.data = testing::minimalNormalSkin();
    ASSERT_EQ(bytes.data.size(), 337u);
    fault.change(bytes);
    DumpRun run = dump(bytes.data);
    EXPECT_EQ(run.code, kDumpFormatError) << fault.what;
    EXPECT_EQ(run.err, fault.message + "\n") << fault.what;
    EXPECT_EQ(run.out, "") << fault.what;
  }
}

TEST(SknDump, TextShowsTheTreeAsTheDescriptionNamesIt) {
  DumpRun run = dump(testing::minimalNormalSkin());
  ASSERT_EQ(run.code, kDumpValid) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1),
            "skin file (type 0, version 1) at 0x0000, 337 bytes\n");
  EXPECT_TRUE(contains(run.out, "\n  skinType: 0x0 (normal)\n"));
  EXPECT_TRUE(contains(run.out, "\n    time: 0x01d9c4b2e0a1f000 (2023-08-01 20:00:53 UTC)\n"));
  EXPECT_TRUE(contains(run.out, "\n    name: \"Skin.mbm\"\n"));
  EXPECT_TRUE(contains(run.out, "\n    listClass: 1 (application icons)\n"));
  EXPECT_TRUE(contains(run.out,
                       "\n  release restriction Orv_3_0 (type 18, version 1) at 0x00ed, 37 bytes\n"
                       "    major: 3\n    minor: 0\n    reserved1: 0\n    reserved2: 0\n"
                       "    listCount: 1\n"
                       "    item list (type 3, version 1) at 0x0103, 14 bytes\n"));

  run = dump(testing::everyItemSkin());
  ASSERT_EQ(run.code, kDumpValid) << run.err;
  for (const char* line : {
           "  layout or language restriction LANG=31 (type 15, version 1)",
           "  release 2.6 restriction Orv_2_6 (type 13, version 1)",
           "      id: QsnBgScreen (0x10005a26, 0x1000)\n      fileNumber: 1 (MIF)\n",
           "        flags: 0x113 (COORDS SIZE ALIGN scalable)\n",
           "      colour 1: index 215, rgb 0x0\n      colour 2: index 65535 (RGB), rgb 0x332211 "
           "(RGB=0x112233)\n",
           "      id 2: QsnFrPopupCornerTr (0x10005a26, 0x10e1)\n",
           "      frame 1: id QsnBgScreen (0x10005a26, 0x1000), time 5, posX -1, posY 2\n",
           "      interval: 65535 (default)\n      mode: 2 (bounce)\n",
           "        output: 2/RGBA\n",
           "      input: raw 0x0000\n",
           "bytes: INT \"Color\" = -4\n",
           "bytes: STR/RAW \"Path\" = \"a<34>b\"\n",
           "bytes: STR/RAW \"Data\" = \"<1><2>\"\n",
           "bytes: BMP \"Img\" = bitmapIndex 0x4004, maskIndex none, fileNumber 1 (MIF)\n",
           "bytes: NAMEDREF \"Ref\" = VALUEID=5\n",
           "      preprocess: effect (type 17, version 1)",
           "      sizeBoundParams: animation parameter group (type 20, version 1)",
           "        second: 3 (FLAGS=W_AND_H)\n",
       }) {
    EXPECT_TRUE(contains(run.out, line)) << line;
  }
}

void imageTable(SknBytes& b, uint32_t major, uint32_t minor, size_t parts) {
  b.chunk(kSknImageTableItem, [&](SknBytes& t) {
    t.id(major, minor).u8(static_cast<uint32_t>(parts));
    for (size_t i = 1; i < parts; ++i) t.id(0x10005A26, 0x1134 + static_cast<uint32_t>(i));
    if (parts > 0) t.id(0x2000ABCD, 0x1000);  // generated: the header declares UID 0x2000ABCD
    imageAttributes(t);
  });
}

// Bitmaps with and without names and list lines, image tables of every
// kind, and both forms of scalable items, in a skin whose UID is 0x2000ABCD.
std::string labelledSkin() {
  SknBytes b = testing::sknHeader(0);
  testing::skinInformation(b, testing::kTestTime);
  testing::bitmapFileName(b, 0, u"Skin.mbm");
  testing::itemList(b, 0, 9, [](SknBytes& c) {
    testing::bitmapItem(c, 0x2000ABCD, 0x1000, 0x4000, 0x4001);
    testing::bitmapItem(c, 0x10005A26, 0x1000, 0x4002, 0xFFFFFFFF);
    testing::bitmapItem(c, 0x12345678, 0x5, 0x4010, 0x4003);
    imageTable(c, 0x10005A26, 0x1134, 9);      // a frame
    imageTable(c, 0x101F84B6, 0x2000ABCD, 2);  // an application icon
    imageTable(c, 0x10005A26, 0x10DF, 2);      // neither: no frame has two parts
    imageTable(c, 0x101F84B6, 7, 9);           // a frame too, when a registry row names the pair
    c.chunk(kSknScalableItem, [](SknBytes& t) {
      t.id(0x10005A26, 0x1001).id(0, 0).layer(1).layer(0x208).u32(0).u16(0);
    });
    c.chunk(kSknScalableItem,
            [](SknBytes& t) { t.id(0x10005A26, 0x10DA).id(0, 0).layer(0).layer(0).u32(0).u16(0); });
  });
  // The application icon list: its image tables are icons whatever their pair.
  testing::itemList(b, 1, 1, [](SknBytes& c) { imageTable(c, 0x10005A26, 0x1134, 9); });
  testing::sixWrappers(b);
  return testing::finishSkn(b, 10);
}

const std::pair<std::string, std::string> kList{
    "list.txt", "/E\r\n/c16,1 images\\bg.bmp\r\n/c16 /A images\\anim.svg\r\n/8 caf\xe9.bmp\r\n"};

TEST(SknDump, TextNamesIdentifiersTellsImageTablesApartAndListsImageFiles) {
  DumpRun run = dump(labelledSkin(), {"--list", "list.txt"}, {kList});
  ASSERT_EQ(run.code, kDumpValid) << run.err;
  for (const char* part : {
           "      id: generated (0x2000abcd, 0x1000)\n      fileNumber: 1 (MIF)\n"
           "      bitmapIndex: 0x4000 (images\\bg.bmp, c16)\n"
           "      maskIndex: 0x4001 (mask of images\\bg.bmp, 1)\n",
           "      id: QsnBgScreen (0x10005a26, 0x1000)\n      fileNumber: 1 (MIF)\n"
           "      bitmapIndex: 0x4002 (images\\anim.svg, c16, animated)\n"
           "      maskIndex: 0xffffffff (none)\n",
           "      id: (0x12345678, 0x5)\n      fileNumber: 1 (MIF)\n"
           "      bitmapIndex: 0x4010 (not in the list)\n"
           "      maskIndex: 0x4003 (mask of images\\anim.svg, none listed)\n",
           "    image table item, frame (type 6, version 1) at 0x0119, 115 bytes\n"
           "      id: QsnFrList (0x10005a26, 0x1134)\n",
           "      id 8: QsnFrListSideR (0x10005a26, 0x113c)\n"
           "      id 9: generated (0x2000abcd, 0x1000)\n",
           "    image table item, application icon (type 6, version 1) at 0x018c, 59 bytes\n"
           "      id: application UID 0x2000abcd (0x101f84b6, 0x2000abcd)\n",
           "    image table item (type 6, version 1) at 0x01c7, 59 bytes\n",
           "    image table item, application icon (type 6, version 1) at 0x0202, 115 bytes\n"
           "      id: application UID 0x7 (0x101f84b6, 0x7)\n",
           "      id: QsnBgAreaMain (0x10005a26, 0x1001)\n      refId: (0x0, 0x0)\n",
           "      refId: Default (0x0, 0x0)\n",
           "    listClass: 1 (application icons)\n    count: 1\n"
           "    image table item, application icon (type 6, version 1)",
       }) {
    EXPECT_TRUE(contains(run.out, part)) << part << "\n" << run.out;
  }

  // A row of the extension list names the icon's pair: it could be a frame.
  DumpRun extended = dump(labelledSkin(), {"-i", "ext.txt"},
                          {{"ext.txt", "IID \"KTavsIIDMine\" 0x101F84B6 0x7\n"}});
  ASSERT_EQ(extended.code, kDumpValid) << extended.err;
  EXPECT_TRUE(contains(extended.out,
                       "    image table item, frame or application icon (type 6, version 1) at "
                       "0x0202, 115 bytes\n      id: Mine (0x101f84b6, 0x7)\n"));
  // Without a list the indices stay bare.
  EXPECT_TRUE(contains(extended.out, "      bitmapIndex: 0x4000\n      maskIndex: 0x4001\n"));

  // Parameters and wallpaper references; the list's bytes read as Latin-1.
  DumpRun rich = dump(testing::everyItemSkin(), {"--list", "list.txt"}, {kList});
  ASSERT_EQ(rich.code, kDumpValid) << rich.err;
  EXPECT_TRUE(contains(rich.out, "    bitmapIndex: 0x4000 (images\\bg.bmp, c16)\n"));
  EXPECT_TRUE(contains(rich.out,
                       "bytes: BMP \"Img\" = bitmapIndex 0x4004 (caf\xc3\xa9.bmp, 8), maskIndex "
                       "none, fileNumber 1 (MIF)\n"));
}

TEST(SknDump, JsonAddsNamesKindsAndListedImagesBesideThePairs) {
  DumpRun run = dump(labelledSkin(), {"--json", "--list", "list.txt"}, {kList});
  ASSERT_EQ(run.code, kDumpValid) << run.err;
  std::string json = unindented(run.out);
  for (const char* part : {
           "\"id\": {\n\"major\": 268458534,\n\"minor\": 4096,\n"
           "\"name\": \"QsnBgScreen\"\n}",
           "\"major\": 536914893,\n\"minor\": 4096,\n\"generated\": true\n",
           "\"minor\": 536914893,\n\"applicationUid\": 536914893\n",
           "\"bitmapIndex\": 16384,\n\"bitmapIndexImage\": {\n"
           "\"file\": \"images\\\\bg.bmp\",\n\"depth\": \"c16\"\n},\n"
           "\"maskIndex\": 16385,\n\"maskIndexImage\": {\n"
           "\"maskOf\": \"images\\\\bg.bmp\",\n\"depth\": \"1\"\n}\n",
           "\"depth\": \"c16\",\n\"animated\": true\n",
           "\"bitmapIndex\": 16400,\n\"bitmapIndexImage\": null,\n",
           "\"kind\": \"frame\",\n",
           "\"kind\": \"application icon\",\n",
       }) {
    EXPECT_TRUE(contains(json, part)) << part;
  }
  // Pairs without a name, and fields without a listed image, gain nothing.
  EXPECT_TRUE(contains(json, "\"major\": 305419896,\n\"minor\": 5\n}"));
  EXPECT_TRUE(contains(json, "\"maskIndex\": 4294967295\n"));

  DumpRun rich = dump(testing::everyItemSkin(), {"--json", "--list", "list.txt"}, {kList});
  EXPECT_TRUE(contains(unindented(rich.out),
                       "\"bitmapIndex\": 16388,\n\"bitmapIndexImage\": {\n"
                       "\"file\": \"caf\xc3\xa9.bmp\",\n"));
}

TEST(SknDump, NoTimeMakesTwoCompilesDumpAlike) {
  std::string first = testing::minimalNormalSkin(0x01D9000000000000);
  std::string second = testing::minimalNormalSkin(0x01DA000000000001);
  EXPECT_NE(dump(first).out, dump(second).out);
  EXPECT_NE(dump(first, {"--json"}).out, dump(second, {"--json"}).out);
  DumpRun text = dump(first, {"--no-time"});
  EXPECT_EQ(text.out, dump(second, {"--no-time"}).out);
  EXPECT_FALSE(contains(text.out, "time"));
  DumpRun json = dump(first, {"--json", "--no-time"});
  EXPECT_EQ(json.code, kDumpValid);
  EXPECT_EQ(json.out, dump(second, {"--no-time", "--json"}).out);
  EXPECT_FALSE(contains(json.out, "time"));
}

TEST(SknDump, JsonCarriesTheSameTree) {
  DumpRun run = dump(testing::everyItemSkin(), {"--json"});
  ASSERT_EQ(run.code, kDumpValid) << run.err;
  EXPECT_EQ(run.out.rfind("{\n  \"name\": \"skin file\",\n  \"type\": 0,\n  \"version\": 1,\n", 0),
            0u);
  EXPECT_EQ(run.out.back(), '\n');
  for (const char* part : {
           "\"restriction\": \"LANG=31\"",
           "\"list\": \"sizeBoundParams\"",
           "\"id\": {\n",
           "\"major\": 268458534,",
           "\"output\": \"2/RGBA\"",
           "\"time\": \"0x01d9c4b2e0a1f000\"",
           "\"type\": \"STR/RAW\",\n",
           "\"value\": \"a\\\"b\"",
           "\"value\": \"\\u0001\\u0002\"",
           "\"colours\": [\n",
           "\"parameters\": [],\n",
           "\"children\": []\n",
       }) {
    EXPECT_TRUE(contains(run.out, part)) << part;
  }
  // Every bracket opened is closed: the output is one balanced value.
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < run.out.size(); ++i) {
    char c = run.out[i];
    if (inString) {
      if (c == '\\') ++i;
      if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      ASSERT_GT(depth, 0);
      --depth;
    }
  }
  EXPECT_EQ(depth, 0);
  EXPECT_FALSE(inString);
}

TEST(SknDump, JsonKeepsUnpairedSurrogatesAsEscapes) {
  SknDumpOptions options;
  SknChunk root;
  SknField field;
  field.name = "name";
  field.kind = SknFieldKind::kText;
  field.text = u"a" + std::u16string(1, u'\xD800') + u"\xD83D\xDE00" + std::u16string(1, u'\xDC01');
  root.fields.push_back(field);
  std::string json = renderSknJson(root, options);
  EXPECT_TRUE(contains(json, "\"name\": \"a\\ud800\xF0\x9F\x98\x80\\udc01\"")) << json;
}

TEST(SknDump, TextsAndLayersAreWrittenAsTheDescriptionWritesThem) {
  EXPECT_EQ(quoteSknText(u""), "\"\"");
  EXPECT_EQ(quoteSknText(u"caf\u00e9 <x> \"q\"\n"), "\"caf\xc3\xa9 <60>x> <34>q<34><10>\"");
  EXPECT_EQ(quoteSknText(u"\xD83D\xDE00"), "\"\xF0\x9F\x98\x80\"");
  EXPECT_EQ(quoteSknText(std::u16string(1, u'\xD800') + u"a"), "\"<55296>a\"");
  EXPECT_EQ(quoteSknText(u"a" + std::u16string(1, u'\xDC00')), "\"a<56320>\"");
  // To read: quotes and "<" stay as they are.
  EXPECT_EQ(plainSknText(u"<b> \"q\"\t\x7F\xD83D\xDE00" + std::u16string(1, u'\xDC00')),
            "<b> \"q\"<9><127>\xF0\x9F\x98\x80<56320>");

  EXPECT_EQ(sknLayerText(0x0001), "none");
  EXPECT_EQ(sknLayerText(0x0208), "2/RGBA");
  EXPECT_EQ(sknLayerText(0x0002), "0/RGB");
  EXPECT_EQ(sknLayerText(0x0104), "1/A");
  EXPECT_EQ(sknLayerText(0x0305), "raw 0x0305");
  EXPECT_EQ(sknLayerText(0x0201), "raw 0x0201");
  EXPECT_EQ(sknLayerText(0x0000), "raw 0x0000");
}

}  // namespace
}  // namespace korvane
