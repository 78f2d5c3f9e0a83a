#include "base/real_platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace korvane {
namespace {

class RealFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/korvane_fs_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
    touch(dir + "/image.bmp");
    touch(dir + "/" + kLongName);
    ASSERT_EQ(::mkdir((dir + "/sub").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("image.bmp", (dir + "/linked.bmp").c_str()), 0);
    ASSERT_EQ(::symlink("missing.bmp", (dir + "/dangling.bmp").c_str()), 0);
  }
  void TearDown() override {
    std::string command = "rm -rf '" + dir + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  static void touch(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
  }
  // One letter per question: y exists, n does not.
  std::string answers() {
    std::string out;
    for (const char* name :
         {"image.bmp", "sub", "linked.bmp", "dangling.bmp", "missing.bmp", "image.bmp/",
          "IMAGE.BMP", ".", "..", "sub\\..\\image.bmp", kLongName, kOtherLongName}) {
      out += fs.exists(dir + "/" + name) ? 'y' : 'n';
    }
    return out;
  }

  static constexpr const char* kLongName = "a_long_image_name_that_needs_its_own_place.bmp";
  static constexpr const char* kOtherLongName = "a_long_image_name_that_needs_its_own_place.svg";

  std::string dir;
  RealFileSystem fs;
};

// The first questions go to stat; after many the directory is listed and
// must answer the same, symbolic links and odd names included.
TEST_F(RealFileSystemTest, ListedDirectoriesAnswerLikeStat) {
  const std::string expected = "yyynnnnyyyyn";
  for (size_t i = 0; i <= RealFileSystem::kListAfter + 1; ++i) {
    ASSERT_EQ(answers(), expected) << "after " << i << " rounds";
  }
}

TEST_F(RealFileSystemTest, WritesAndRemovalsAreSeenAfterListing) {
  for (size_t i = 0; i <= RealFileSystem::kListAfter; ++i) answers();
  EXPECT_FALSE(fs.exists(dir + "/new.bmp"));
  auto file = fs.openWrite(dir + "/new.bmp");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->close());
  for (size_t i = 0; i <= RealFileSystem::kListAfter; ++i) answers();
  EXPECT_TRUE(fs.exists(dir + "/new.bmp"));
  EXPECT_TRUE(fs.remove(dir + "/image.bmp"));
  EXPECT_FALSE(fs.exists(dir + "/image.bmp"));
}

}  // namespace
}  // namespace korvane
