// A file system that fails a question is no missing file: an image whose
// presence cannot be told, or a description that cannot be read, ends the
// run with an error naming the path and the system's reason.
#include <gtest/gtest.h>

#include <string>

#include "base/memory_platform.h"
#include "driver/compile_test_support.h"

namespace korvane {
namespace {

using namespace korvane::testing;

const std::string kOpening = "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n";

std::string reportOf(const std::string& message, int line) {
  std::string where = line > 0 ? " (when parsing line " + std::to_string(line) + ")" : "";
  return "An exception occured" + where + ":\n  Error while opening a file\n  " + message + "\n";
}

TEST(IoErrors, AnImageWhosePresenceCannotBeToldIsAnError) {
  for (bool strict : {false, true}) {
    SCOPED_TRACE(strict ? "strict" : "lax");
    MemoryPlatform p;
    p.fs.addFile("skin.txt", kOpening + "BITMAPPATH gfx\nBITMAP IID=QsnBgScreen c16 bg.bmp\n");
    p.fs.failPresence["gfx/bg.bmp"] = "Input/output error";
    RunResult run = strict ? runInMemory(p, {"--strict", "skin.txt", "Skin"})
                           : runInMemory(p, {"skin.txt", "Skin"});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err, reportOf("Cannot look for image file gfx\\bg.bmp: Input/output error", 6));
    EXPECT_EQ(run.out.find("not add beacuse"), std::string::npos);
    EXPECT_FALSE(p.fs.has("Skin_MIFList.txt"));
  }
  // A mask is looked for in strict runs only.
  MemoryPlatform p;
  p.fs.addFile("skin.txt", kOpening + "BITMAP IID=QsnBgScreen c16 bg.bmp MASK=m.bmp\n");
  p.fs.addFile("bg.bmp", "image");
  p.fs.failPresence["m.bmp"] = "Permission denied";
  RunResult run = runInMemory(p, {"--strict", "skin.txt", "Skin"});
  EXPECT_EQ(run.err, reportOf("Cannot look for image file .\\m.bmp: Permission denied", 5));
}

TEST(IoErrors, AFailedReadOfTheDescriptionIsNoEndOfInput) {
  const std::string description = kOpening + "BITMAP IID=QsnBgScreen c16 bg.bmp\n";
  for (size_t cut : {size_t{0}, size_t{1}, size_t{30}}) {
    for (bool stream : {false, true}) {
      SCOPED_TRACE(std::to_string(cut) + (stream ? " stream" : " file"));
      MemoryPlatform p;
      p.fs.addFile("skin.txt", description);
      if (stream) p.fs.streams.insert("skin.txt");
      p.fs.failReadBeyond["skin.txt"] = {cut, "Input/output error"};
      RunResult run = runInMemory(p, {"skin.txt", "Skin"});
      EXPECT_EQ(run.code, 2);
      EXPECT_NE(run.err.find("Error while opening a file\n  Cannot read skin.txt: Input/output "
                             "error\n"),
                std::string::npos)
          << run.err;
      EXPECT_FALSE(p.fs.has("Skin_MIFList.txt"));
    }
  }
}

// Once narrowed to 8 bits, U+0100 is a 0 byte: such a path names no file,
// whatever the part before it names.
TEST(IoErrors, APathHoldingAZeroByteIsMissing) {
  const std::u16string text =
      u"SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\nBITMAPPATH d\u0100x\n"
      u"BITMAP IID=QsnBgScreen c16 bg.bmp\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  MemoryPlatform p;
  p.fs.addFile("skin.txt", bytes);
  p.fs.addFile(std::string("d\0x/bg.bmp", 10), "image");
  RunResult run = runInMemory(p, {"skin.txt", "Skin"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("NOTE: item bg.bmp not add beacuse file not exist!!\n"),
            std::string::npos);
  EXPECT_EQ(p.fs.content("Skin_MIFList.txt"), "/E\r\n");
}

}  // namespace
}  // namespace korvane
