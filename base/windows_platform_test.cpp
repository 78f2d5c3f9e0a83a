// The Windows file system, environment and clock, run on Windows (or Wine):
// names as UTF-16 on disk, both separators, bytes unchanged, replacement in
// one step, paths beyond the classic length limit.
#include "base/windows_platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "base/real_platform.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

std::string readAll(FileSystem& files, const std::string& path) {
  std::unique_ptr<InputFile> in = files.openRead(path);
  if (in == nullptr) return "<missing>";
  std::string text;
  char buffer[7];  // small, so that reads are many
  while (size_t n = in->read(buffer, sizeof buffer)) text.append(buffer, n);
  return text;
}

bool writeAll(std::unique_ptr<OutputFile> file, std::string_view text) {
  if (file == nullptr) return false;
  bool ok = file->write(text);
  return file->close() && ok;
}

class WindowsFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    root = fs::temp_directory_path() / ("korvane-win-" + std::to_string(random()));
    ASSERT_TRUE(fs::create_directories(root / "sub"));
    // The compiler's form: "/" between the names, UTF-8.
    dir = narrowName(root.wstring());
    for (char& c : dir) {
      if (c == '\\') c = '/';
    }
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(root / "locked.skn", fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(root, ignored);
  }
  size_t entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(root), {}));
  }

  fs::path root;
  std::string dir;
  RealFileSystem files;
};

TEST_F(WindowsFileSystemTest, NamesReachTheSystemAsUtf16WithEitherSeparator) {
  // "Grüße_日本.bmp" in UTF-8.
  const std::string name =
      "Gr\xC3\xBC\xC3\x9F"
      "e_\xE6\x97\xA5\xE6\x9C\xAC.bmp";
  ASSERT_TRUE(writeAll(files.openWrite(dir + "/sub/" + name), "image"));
  EXPECT_TRUE(fs::exists(root / "sub" / L"Gr\u00FC\u00DFe_\u65E5\u672C.bmp"));
  EXPECT_EQ(readAll(files, dir + "\\sub\\" + name), "image");
  EXPECT_TRUE(files.exists(dir + "/sub\\" + name));
  EXPECT_FALSE(files.exists(dir + "/sub/missing.bmp"));
  EXPECT_TRUE(files.exists(dir + "/sub"));

  // A byte that is no UTF-8 is read in the ANSI code page, and the name
  // still works both ways.
  std::wstring ansi = widenName("caf\xE9.bmp");
  ASSERT_FALSE(ansi.empty());
  EXPECT_EQ(ansi.substr(0, 3), L"caf");
  ASSERT_TRUE(writeAll(files.openWrite(dir + "/caf\xE9.bmp"), "x"));
  EXPECT_TRUE(fs::exists(root / ansi));
  EXPECT_TRUE(files.remove(dir + "/caf\xE9.bmp"));
  EXPECT_FALSE(fs::exists(root / ansi));
}

TEST_F(WindowsFileSystemTest, BytesPassUnchanged) {
  const std::string bytes("line\r\nend\n\x1A after the old end-of-file byte\r\r\n\0tail", 48);
  ASSERT_TRUE(writeAll(files.openWrite(dir + "/bytes.bin"), bytes));
  EXPECT_EQ(fs::file_size(root / "bytes.bin"), bytes.size());
  std::unique_ptr<InputFile> in = files.openRead(dir + "/bytes.bin");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->size(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(readAll(files, dir + "/bytes.bin"), bytes);
  EXPECT_EQ(files.openRead(dir + "/sub"), nullptr);
}

TEST_F(WindowsFileSystemTest, ReplacementIsAllOrNothing) {
  const std::string target = dir + "/out.skn";
  ASSERT_TRUE(writeAll(files.openReplace(target), "first"));
  EXPECT_EQ(readAll(files, target), "first");

  {
    std::unique_ptr<OutputFile> file = files.openReplace(target);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->write("second, longer"));
    // Until the close the target is the previous file.
    EXPECT_EQ(readAll(files, target), "first");
    ASSERT_TRUE(file->close());
  }
  EXPECT_EQ(readAll(files, target), "second, longer");

  {
    std::unique_ptr<OutputFile> abandoned = files.openReplace(target);
    ASSERT_NE(abandoned, nullptr);
    abandoned->write("never seen");
  }
  EXPECT_EQ(readAll(files, target), "second, longer");
  // No temporary is left beside it: the target and sub/ only.
  EXPECT_EQ(entries(), 2u);

  // Refused where writing is: a directory, a read-only file, a missing
  // directory.
  EXPECT_EQ(files.openReplace(dir + "/sub"), nullptr);
  ASSERT_TRUE(writeAll(files.openWrite(dir + "/locked.skn"), "kept"));
  fs::permissions(root / "locked.skn", fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(files.openReplace(dir + "/locked.skn"), nullptr);
  EXPECT_EQ(readAll(files, dir + "/locked.skn"), "kept");
  EXPECT_EQ(files.openReplace(dir + "/none/out.skn"), nullptr);
  EXPECT_EQ(entries(), 3u);

  // The null device is written through, not replaced.
  EXPECT_TRUE(writeAll(files.openReplace("NUL"), "gone"));
}

TEST_F(WindowsFileSystemTest, PathsBeyondTheClassicLimit) {
  std::string deep = dir;
  fs::path native = root;
  const std::string part(40, 'd');
  for (int i = 0; i < 8; ++i) {
    deep += "/" + part;
    native /= part;
  }
  ASSERT_GT(deep.size(), 300u);
  ASSERT_EQ(nativePath(deep).rfind(L"\\\\?\\", 0), 0u);
  EXPECT_EQ(nativePath("sub/a.bmp"), L"sub\\a.bmp");
  ASSERT_TRUE(fs::create_directories(L"\\\\?\\" + native.wstring()));
  const std::string file = deep + "/image.bmp";
  ASSERT_TRUE(writeAll(files.openReplace(file), "deep"));
  EXPECT_TRUE(files.exists(file));
  EXPECT_EQ(readAll(files, file), "deep");
  EXPECT_TRUE(files.sameFile(file, deep + "\\.\\image.bmp"));
  EXPECT_TRUE(files.remove(file));
  EXPECT_FALSE(files.exists(file));
}

TEST_F(WindowsFileSystemTest, SameFileByAnyName) {
  ASSERT_TRUE(writeAll(files.openWrite(dir + "/a.txt"), "a"));
  ASSERT_TRUE(writeAll(files.openWrite(dir + "/b.txt"), "a"));
  EXPECT_TRUE(files.sameFile(dir + "/a.txt", dir + "\\sub\\..\\A.TXT"));
  EXPECT_FALSE(files.sameFile(dir + "/a.txt", dir + "/b.txt"));
  EXPECT_FALSE(files.sameFile(dir + "/a.txt", dir + "/missing.txt"));
}

TEST(WindowsEnvironmentTest, VariablesWorkingDirectoryAndClock) {
  ProcessEnvironment environment;
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KORVANE_TEST_\u00C4", L"Wert \u00FC"));
  EXPECT_EQ(environment.variable("KORVANE_TEST_\xC3\x84"), "Wert \xC3\xBC");
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KORVANE_TEST_EMPTY", L""));
  EXPECT_EQ(environment.variable("KORVANE_TEST_EMPTY"), "");
  ASSERT_TRUE(::SetEnvironmentVariableW(L"KORVANE_TEST_EMPTY", nullptr));
  EXPECT_EQ(environment.variable("KORVANE_TEST_EMPTY"), std::nullopt);

  std::string cwd = environment.workingDirectory();
  ASSERT_GE(cwd.size(), 3u);
  EXPECT_EQ(cwd.find('\\'), std::string::npos) << cwd;
  EXPECT_EQ(cwd.substr(1, 2), ":/") << cwd;

  // 100-nanosecond units since 1601, as the system clock of other hosts.
  SystemClock clock;
  constexpr uint64_t kUnixEpoch = 116444736000000000ull;
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
  uint64_t expected = kUnixEpoch + static_cast<uint64_t>(seconds) * 10000000ull;
  uint64_t now = clock.now();
  EXPECT_LT(now > expected ? now - expected : expected - now, 600000000ull);  // a minute
}

TEST(WindowsConversionTest, Utf16AndBack) {
  const std::string text = "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80";  // a ä € 😀
  EXPECT_EQ(widenName(text), L"a\u00E4\u20AC\U0001F600");
  EXPECT_EQ(narrowName(widenName(text)), text);
  EXPECT_EQ(narrowName(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(widenName(""), L"");
}

}  // namespace
}  // namespace korvane
