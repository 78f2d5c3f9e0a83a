#include "output/mbm_list_writer.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <dirent.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "base/error.h"
#include "base/memory_platform.h"
#include "base/real_platform.h"

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

#ifndef _WIN32
// On disk (POSIX: a hard link shows what became of the old bytes) the list
// replaces the previous file in one step, also when a
// content error ends it early: a file sharing the old list's bytes (a hard
// link, a reader holding it open) keeps them, and no temporary is left.
TEST(MbmListWriterOnDisk, TheListReplacesThePreviousFileWhole) {
  char pattern[] = "/tmp/korvane_list_XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  RealFileSystem fs;
  NullConsole console;
  const std::string list = dir + "/Skin_MBMList.txt";
  for (bool contentError : {false, true}) {
    SCOPED_TRACE(contentError ? "content error" : "complete");
    std::ofstream(dir + "/kept.txt", std::ios::binary) << "the previous list";
    ::unlink(list.c_str());
    ASSERT_EQ(::link((dir + "/kept.txt").c_str(), list.c_str()), 0);
    std::ofstream(dir + "/a.svg", std::ios::binary) << "";
    SkinContent content(fs, console);
    content.setBitmapPath(u"");
    if (contentError) {
      std::u16string path(dir.begin(), dir.end());
      content.setBitmapPath(path + u"/");
      content.registerBitmapSource(8, u"a.svg", 0);
      EXPECT_THROW(MbmListWriter(fs).write(content, "Skin", list), CKrvException);
    } else {
      MbmListWriter(fs).write(content, "Skin", list);
    }
    std::ifstream in(list, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "Skin.mbm\r\n");
    std::ifstream kept(dir + "/kept.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the previous list");
    DIR* listing = ::opendir(dir.c_str());
    while (const dirent* entry = ::readdir(listing)) {
      EXPECT_NE(std::string(entry->d_name).rfind(".Skin_MBMList.txt.", 0), 0u) << entry->d_name;
    }
    ::closedir(listing);
  }
  EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}
#endif

}  // namespace
}  // namespace korvane
