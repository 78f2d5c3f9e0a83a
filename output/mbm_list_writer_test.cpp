#include "output/mbm_list_writer.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/memory_platform.h"

namespace korvane {
namespace {

BitmapSource source(uint32_t depth, uint32_t maskKind, uint8_t svgAnim = 0) {
  BitmapSource s;
  s.index = 0x10;
  s.path = u"img\\";
  s.colorDepth = depth;
  s.fileName = u"a.svg";
  s.maskKind = maskKind;
  s.maskFileName = u"a_m.bmp";
  s.svgAnim = svgAnim;
  return s;
}

CKrvException raised(const BitmapSource& s, std::string (*line)(const BitmapSource&)) {
  try {
    line(s);
  } catch (const CKrvException& e) {
    return e;
  }
  return CKrvException(-1, "");
}

TEST(MbmListWriter, LinesOfBothDialects) {
  EXPECT_EQ(MbmListWriter::scalableLine(source(9, kMaskSoft, 1)), "/c24,8 /A img\\a.svg\r\n");
  EXPECT_EQ(MbmListWriter::scalableLine(source(9, kMaskNone)), "/c24 img\\a.svg\r\n");
  EXPECT_EQ(MbmListWriter::scalableLine(source(1, 3)), "/1,4 img\\a.svg\r\n");
  EXPECT_EQ(MbmListWriter::bitmapLine(source(9, kMaskHard)), "/c24img\\a.svg\r\n");
  EXPECT_EQ(MbmListWriter::maskLine(source(9, kMaskHard)), "/1img\\a_m.bmp\r\n");
  EXPECT_EQ(MbmListWriter::maskLine(source(4, kMaskSoft)), "/8img\\a_m.bmp\r\n");
  EXPECT_EQ(MbmListWriter::maskLine(source(4, kMaskNone)), "");
  BitmapSource wide = source(4, kMaskNone);
  wide.fileName = u"\u0141.bmp";
  EXPECT_EQ(MbmListWriter::bitmapLine(wide), "/8img\\A.bmp\r\n");

  for (BitmapSource bad : {source(0, kMaskNone), source(11, kMaskNone), source(2, 5)}) {
    CKrvException e = raised(bad, &MbmListWriter::scalableLine);
    EXPECT_EQ(e.code, kErrorInternal);
    EXPECT_EQ(e.message, "Unknown color depth value used internally");
  }
  EXPECT_EQ(raised(source(2, 5), &MbmListWriter::maskLine).code, kErrorInternal);
}

class MbmListWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p.fs.addFile("a.svg", "");
    p.fs.addFile("b.bmp", "");
  }
  void write() { MbmListWriter(p.fs).write(content, "Skin", "Skin_MBMList.txt"); }

  MemoryPlatform p;
  SkinContent content{p.fs, p.console};
};

TEST_F(MbmListWriterTest, ScalableListStartsWithEAndListsEverySourceOnce) {
  content.skinType = kSkinTypeScalable;
  write();
  EXPECT_EQ(p.fs.content("Skin_MBMList.txt"), "/E\r\n");
  content.registerBitmapSource(8, u"a.svg", 0)->maskKind = kMaskHard;
  content.registerBitmapSource(8, u"A.SVG", 0);
  content.registerBitmapSource(10, u"b.bmp", 1);
  write();
  EXPECT_EQ(p.fs.content("Skin_MBMList.txt"), "/E\r\n/c16,1 a.svg\r\n/c32 /A b.bmp\r\n");
}

TEST_F(MbmListWriterTest, NormalSkinRefusesScalableSourcesKeepingEarlierLines) {
  write();
  EXPECT_EQ(p.fs.content("Skin_MBMList.txt"), "Skin.mbm\r\n");
  content.registerBitmapSource(8, u"a.svg", 0);
  try {
    write();
    ADD_FAILURE() << "no error";
  } catch (const CKrvException& e) {
    EXPECT_EQ(e.code, kErrorContent);
    EXPECT_EQ(e.message, "SVG icons require scalable skin");
  }
  EXPECT_EQ(p.fs.content("Skin_MBMList.txt"), "Skin.mbm\r\n");
}

TEST_F(MbmListWriterTest, FileFaults) {
  content.skinType = kSkinTypeScalable;
  content.registerBitmapSource(8, u"a.svg", 0);
  struct Fault {
    const char* expected;
    const char* left;  // what stays in the file, or null when there is none
    void (*inject)(MemoryFileSystem&);
  };
  for (Fault fault : {
           Fault{"Text output file for bmconv can not be opened", nullptr,
                 [](MemoryFileSystem& fs) { fs.failOpenWrite.insert("Skin_MBMList.txt"); }},
           // A failed write or close may have cut a line: the file goes.
           Fault{"Text output file for bmconv can not be written", nullptr,
                 [](MemoryFileSystem& fs) { fs.failWriteBeyond["Skin_MBMList.txt"] = 5; }},
           Fault{"Text output file for bmconv can not be written", nullptr,
                 [](MemoryFileSystem& fs) { fs.failClose.insert("Skin_MBMList.txt"); }},
       }) {
    fault.inject(p.fs);
    try {
      write();
      ADD_FAILURE() << "no error for " << fault.expected;
    } catch (const CKrvException& e) {
      EXPECT_EQ(e.code, kErrorFileOpen);
      EXPECT_EQ(e.message, fault.expected);
    }
    if (fault.left == nullptr) {
      EXPECT_FALSE(p.fs.has("Skin_MBMList.txt"));
    } else {
      EXPECT_EQ(p.fs.content("Skin_MBMList.txt"), fault.left);
    }
    p.fs = MemoryFileSystem();
  }
}

}  // namespace
}  // namespace korvane
