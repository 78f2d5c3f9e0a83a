#include "base/real_platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>
#include <vector>

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

TEST_F(RealFileSystemTest, ListFilesNamesFilesAndLinksButNoDirectories) {
  std::vector<std::string> names = fs.listFiles(dir + "\\");
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected = {"dangling.bmp", "image.bmp", "linked.bmp", kLongName};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
  EXPECT_TRUE(fs.listFiles(dir + "/missing").empty());
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

class ReplaceTest : public RealFileSystemTest {
 protected:
  void put(const std::string& name, const std::string& text) {
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
  }
  std::string get(const std::string& name) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::set<std::string> names() {
    std::set<std::string> out;
    DIR* listing = ::opendir(dir.c_str());
    while (const dirent* entry = ::readdir(listing)) out.insert(entry->d_name);
    ::closedir(listing);
    return out;
  }
  mode_t modeOf(const std::string& name) {
    struct stat info;
    return ::stat((dir + "/" + name).c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
  }
};

TEST_F(ReplaceTest, TheTargetChangesOnlyWhenClosed) {
  put("skin.skn", "old");
  std::set<std::string> before = names();
  {
    auto file = fs.openReplace(dir + "\\skin.skn");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->write("new content"));
    EXPECT_EQ(get("skin.skn"), "old");
    EXPECT_EQ(names().size(), before.size() + 1);  // the temporary beside it
    EXPECT_TRUE(file->close());
  }
  EXPECT_EQ(get("skin.skn"), "new content");
  EXPECT_EQ(names(), before);

  // Abandoned: the old file stays and the temporary goes.
  {
    auto file = fs.openReplace(dir + "/skin.skn");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->write("partial"));
  }
  EXPECT_EQ(get("skin.skn"), "new content");
  EXPECT_EQ(names(), before);
}

TEST_F(ReplaceTest, ModesLinksAndRefusals) {
  // A new file gets the usual mode, a replaced one keeps its own.
  mode_t mask = ::umask(022);
  auto file = fs.openReplace(dir + "/new.skn");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->close());
  EXPECT_EQ(modeOf("new.skn"), 0644u);
  put("kept.skn", "old");
  ASSERT_EQ(::chmod((dir + "/kept.skn").c_str(), 0640), 0);
  file = fs.openReplace(dir + "/kept.skn");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->close());
  EXPECT_EQ(modeOf("kept.skn"), 0640u);
  ::umask(mask);

  // A link is written through and stays a link.
  file = fs.openReplace(dir + "/linked.bmp");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->write("through the link"));
  EXPECT_TRUE(file->close());
  EXPECT_EQ(get("image.bmp"), "through the link");
  struct stat info;
  ASSERT_EQ(::lstat((dir + "/linked.bmp").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));

  // Where openWrite fails, so does openReplace, and nothing is left.
  std::set<std::string> before = names();
  EXPECT_EQ(fs.openReplace(dir + "/sub"), nullptr);
  EXPECT_EQ(fs.openReplace(dir + "/missing/skin.skn"), nullptr);
  EXPECT_EQ(names(), before);
}

TEST_F(ReplaceTest, SameFileComparesDeviceAndInode) {
  put("skin.txt", "description");
  ASSERT_EQ(::link((dir + "/skin.txt").c_str(), (dir + "/hard.txt").c_str()), 0);
  EXPECT_TRUE(fs.sameFile(dir + "/skin.txt", dir + "/hard.txt"));
  EXPECT_TRUE(fs.sameFile(dir + "/image.bmp", dir + "/linked.bmp"));
  EXPECT_TRUE(fs.sameFile(dir + "/skin.txt", dir + "\\sub\\..\\skin.txt"));
  EXPECT_FALSE(fs.sameFile(dir + "/skin.txt", dir + "/image.bmp"));
  EXPECT_FALSE(fs.sameFile(dir + "/skin.txt", dir + "/missing.txt"));
  EXPECT_FALSE(fs.sameFile(dir + "/missing.txt", dir + "/missing.txt"));
}

}  // namespace
}  // namespace korvane
