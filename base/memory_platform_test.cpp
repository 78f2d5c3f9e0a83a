#include "base/memory_platform.h"

#include <gtest/gtest.h>

#include <string>

namespace korvane {
namespace {

TEST(MemoryFileSystem, ReplacedFilesChangeOnlyWhenClosed) {
  MemoryFileSystem fs;
  fs.addFile("Skin.skn", "old");
  {
    auto file = fs.openReplace(".\\Skin.skn");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->write("new"));
    EXPECT_EQ(fs.content("Skin.skn"), "old");
    EXPECT_TRUE(file->close());
  }
  EXPECT_EQ(fs.content("Skin.skn"), "new");
  {
    auto file = fs.openReplace("Skin.skn");
    EXPECT_TRUE(file->write("abandoned"));
  }
  EXPECT_EQ(fs.content("Skin.skn"), "new");

  // The faults of the target apply to its replacement.
  fs.failWriteBeyond["Skin.skn"] = 4;
  fs.failClose.insert("Skin.skn");
  auto file = fs.openReplace("Skin.skn");
  EXPECT_TRUE(file->write("four"));
  EXPECT_FALSE(file->write("!"));
  EXPECT_FALSE(file->close());
  EXPECT_EQ(fs.content("Skin.skn"), "new");
  // A failed write is not undone by a close that succeeds.
  fs.failClose.clear();
  file = fs.openReplace("Skin.skn");
  EXPECT_FALSE(file->write("fives"));
  EXPECT_FALSE(file->close());
  EXPECT_EQ(fs.content("Skin.skn"), "new");
  fs.failOpenWrite.insert("Skin.skn");
  EXPECT_EQ(fs.openReplace("Skin.skn"), nullptr);
  EXPECT_EQ(fs.openReplace("missing/Skin.skn"), nullptr);
}

TEST(MemoryFileSystem, ListFilesNamesTheFilesOfOneDirectory) {
  MemoryFileSystem fs;
  fs.addFile("top.txt", "");
  fs.addFile("gfx/a.bmp", "");
  fs.addFile("gfx/b.svg", "");
  fs.addFile("gfx/deeper/c.bmp", "");
  fs.addFile("gfxx/d.bmp", "");
  EXPECT_EQ(fs.listFiles("gfx\\"), (std::vector<std::string>{"a.bmp", "b.svg"}));
  EXPECT_EQ(fs.listFiles(".\\gfx"), (std::vector<std::string>{"a.bmp", "b.svg"}));
  EXPECT_EQ(fs.listFiles(""), (std::vector<std::string>{"top.txt"}));
  EXPECT_TRUE(fs.listFiles("none").empty());
}

TEST(MemoryFileSystem, SameFileFollowsPathsAndAliases) {
  MemoryFileSystem fs;
  fs.addFile("src/skin.txt", "description");
  fs.addFile("other.txt", "description");
  fs.aliases["link.txt"] = "src/./skin.txt";
  fs.aliases["loop"] = "loop";
  EXPECT_TRUE(fs.sameFile("src\\skin.txt", "./src//out/../skin.txt"));
  EXPECT_TRUE(fs.sameFile("link.txt", "src/skin.txt"));
  EXPECT_FALSE(fs.sameFile("src/skin.txt", "other.txt"));
  EXPECT_FALSE(fs.sameFile("missing.txt", "missing.txt"));
  EXPECT_FALSE(fs.sameFile("loop", "loop"));
  EXPECT_EQ(MemoryFileSystem::normalised("/a/../../b/./c/"), "/b/c");
  EXPECT_EQ(MemoryFileSystem::normalised("../a/b/.."), "../a");
}

}  // namespace
}  // namespace korvane
