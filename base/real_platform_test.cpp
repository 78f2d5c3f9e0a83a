#include "base/real_platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// Only "no such file" is missing; a question the host cannot answer says why.
TEST_F(RealFileSystemTest, PresenceTellsMissingFromUnknown) {
  ASSERT_EQ(::symlink("loop.bmp", (dir + "/loop.bmp").c_str()), 0);
  std::string reason;
  EXPECT_EQ(fs.presence(dir + "/image.bmp", reason), FileSystem::Presence::kPresent);
  EXPECT_EQ(fs.presence(dir + "/missing.bmp", reason), FileSystem::Presence::kMissing);
  EXPECT_EQ(fs.presence(dir + "/dangling.bmp", reason), FileSystem::Presence::kMissing);
  EXPECT_EQ(fs.presence(dir + "/image.bmp/x.bmp", reason), FileSystem::Presence::kMissing);
  EXPECT_EQ(reason, "");
  EXPECT_EQ(fs.presence(dir + "/loop.bmp", reason), FileSystem::Presence::kUnknown);
  EXPECT_EQ(reason, "Too many levels of symbolic links");
  EXPECT_FALSE(fs.exists(dir + "/loop.bmp"));
}

// The host would stop at the 0 byte and answer for "image.bmp".
TEST_F(RealFileSystemTest, APathHoldingAZeroByteNamesNoFile) {
  const std::string path = dir + "/image.bmp" + std::string(1, '\0') + "x";
  std::string reason;
  EXPECT_FALSE(fs.exists(path));
  EXPECT_EQ(fs.presence(path, reason), FileSystem::Presence::kMissing);
  EXPECT_EQ(fs.openRead(path), nullptr);
  EXPECT_EQ(fs.openWrite(path), nullptr);
  EXPECT_EQ(fs.openReplace(path), nullptr);
  EXPECT_FALSE(fs.remove(path));
  EXPECT_TRUE(fs.exists(dir + "/image.bmp"));
}

TEST_F(ReplaceTest, ADanglingLinkIsWrittenThrough) {
  auto file = fs.openReplace(dir + "/dangling.bmp");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->write("made through the link"));
  EXPECT_TRUE(file->close());
  EXPECT_EQ(get("missing.bmp"), "made through the link");
  struct stat info;
  ASSERT_EQ(::lstat((dir + "/dangling.bmp").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  // A link into a directory that does not exist fails like a missing directory.
  ASSERT_EQ(::symlink("nowhere/new.skn", (dir + "/far.skn").c_str()), 0);
  EXPECT_EQ(fs.openReplace(dir + "/far.skn"), nullptr);
}

// The temporary carries the writer's process id; temporaries of the same
// target whose process is gone are removed, those of live processes and of
// other targets stay.
TEST_F(ReplaceTest, StaleTemporariesOfTheTargetAreRemoved) {
  pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_GT(gone, 0);
  ::waitpid(gone, nullptr, 0);
  const std::string stale = ".skin.skn." + std::to_string(gone) + ".a1b2c3";
  const std::string live = ".skin.skn." + std::to_string(::getppid()) + ".d4e5f6";
  const std::string other = ".other.skn." + std::to_string(gone) + ".a1b2c3";
  const std::string notOurs = ".skin.skn.x" + std::to_string(gone) + ".a1b2c3";
  for (const std::string& name : {stale, live, other, notOurs}) put(name, "left behind");

  auto file = fs.openReplace(dir + "/skin.skn");
  ASSERT_NE(file, nullptr);
  std::set<std::string> during = names();
  EXPECT_EQ(during.count(stale), 0u);
  const std::string mine = ".skin.skn." + std::to_string(::getpid()) + ".";
  bool found = false;
  for (const std::string& name : during) found = found || name.rfind(mine, 0) == 0;
  EXPECT_TRUE(found);
  EXPECT_TRUE(file->close());
  std::set<std::string> after = names();
  EXPECT_EQ(after.count(stale), 0u);
  for (const std::string& name : {live, other, notOurs}) EXPECT_EQ(after.count(name), 1u) << name;
}

}  // namespace
}  // namespace korvane
