// What only a process shows about the safety of the files: a compile killed
// while it writes, a console whose reader went away, a device as the
// description, and an output that is the description by another name.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "driver/test_process.h"

namespace korvane {
namespace {

using namespace korvane::testing;

// Starts `binary` with `args` in `dir`, its streams going nowhere (or, with
// `closedPipe`, standard output a pipe nobody reads). The child is killed by
// an alarm after `alarmSeconds`, so that a run that never ends fails the test
// instead of hanging it.
pid_t start(const std::string& binary, const std::vector<std::string>& args, const TempDir& dir,
            bool closedPipe = false, unsigned alarmSeconds = 120) {
  int pipeEnds[2] = {-1, -1};
  if (closedPipe && ::pipe(pipeEnds) != 0) return -1;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(alarmSeconds);
    int null = ::open("/dev/null", O_WRONLY);
    if (::chdir(dir.path().c_str()) != 0) ::_exit(127);
    ::dup2(closedPipe ? pipeEnds[1] : null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    if (closedPipe) {
      ::close(pipeEnds[0]);
      ::close(pipeEnds[1]);
    }
    ::signal(SIGPIPE, SIG_DFL);
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(binary.c_str(), argv.data());
    ::_exit(127);
  }
  if (closedPipe) {
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
  }
  return pid;
}

// The exit code, or -1 - the signal that ended the process.
int finish(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1 - WTERMSIG(status);
}

// A skin of `items` string items named by an extension list, under a
// language named `repeats` times: the SKN file repeats the items in a
// wrapper per naming, so it grows big (some 1 KB per item and naming) while
// the description stays small and quick to parse.
void writeLargeSkin(const TempDir& dir, int items, int repeats) {
  std::string ids;
  std::string skin = "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Large\"\nRESTRICTION LANG=7\n";
  const std::string text(500, 't');
  for (int i = 0; i < items; ++i) {
    std::string name = "Large" + std::to_string(i);
    ids += "IID \"KTavsIID" + name + "\" 0x10005A26 " + std::to_string(0x10000 + i) + "\n";
    skin += "STRING IID=" + name + " \"" + text + "\"\n";
  }
  for (int i = 1; i < repeats; ++i) skin += "RESTRICTION LANG=7\n";
  dir.write("ids.txt", ids);
  dir.write("large.txt", skin);
}

// The SKN file without its time stamp, which differs from run to run.
std::string withoutTimeStamp(std::string skn) {
  constexpr size_t kTimeStamp = 42 + 8;  // the file header, then the skin information's
  if (skn.size() >= kTimeStamp + 8) skn.replace(kTimeStamp, 8, 8, '\0');
  return skn;
}

// Kills the compile as soon as it starts to write `name`: when the file
// changes or a temporary beside it appears. False when the compile ended first.
bool killWhenWriting(pid_t pid, const TempDir& dir, const std::string& name,
                     const std::string& previous) {
  while (::waitpid(pid, nullptr, WNOHANG) == 0) {
    bool writing = dir.read(name).size() != previous.size();
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      writing = writing || entry.path().filename().string().rfind("." + name, 0) == 0;
    }
    if (writing) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  return false;
}

TEST(DataSafety, AKilledCompileLeavesThePreviousOrTheWholeNewSkin) {
  TempDir dir;
  writeLargeSkin(dir, 200, 60);
  const std::vector<std::string> args = {"-iids.txt", "large.txt", "Large"};
  auto begin = std::chrono::steady_clock::now();
  ASSERT_EQ(finish(start(KORVANE_BINARY, args, dir)), 0);
  auto whole = std::chrono::steady_clock::now() - begin;
  const std::string complete = withoutTimeStamp(dir.read("Large.skn"));
  const std::string completePkg = dir.read("Large.pkg");
  ASSERT_GT(complete.size(), 10000000u);

  // Killed right as the SKN file is being written, then at moments spread
  // over a whole run (where each falls does not matter): each time the file
  // is the previous one or the complete new one, never a part.
  const std::string previous = "the previous skin, byte for byte";
  for (int moment = 0; moment < 5; ++moment) {
    SCOPED_TRACE("kill " + std::to_string(moment));
    dir.write("Large.skn", previous);
    dir.write("Large.pkg", previous);
    pid_t pid = start(KORVANE_BINARY, args, dir);
    if (moment < 2) {
      killWhenWriting(pid, dir, "Large.skn", previous);
    } else {
      std::this_thread::sleep_for(whole * (moment - 1) / 3);
      ::kill(pid, SIGKILL);
      finish(pid);
    }
    std::string skn = dir.read("Large.skn");
    if (skn != previous) {
      EXPECT_TRUE(withoutTimeStamp(skn) == complete)
          << skn.size() << " bytes of " << complete.size();
    }
    std::string pkg = dir.read("Large.pkg");
    if (pkg != previous) {
      EXPECT_EQ(pkg, completePkg);
    }
  }
}

TEST(DataSafety, AClosedConsoleDoesNotEndTheRun) {
  TempDir dir;
  writeLargeSkin(dir, 300, 1);  // a report larger than a pipe holds
  EXPECT_EQ(finish(start(KORVANE_BINARY, {"-iids.txt", "large.txt", "Large"}, dir, true)), 0);
  EXPECT_TRUE(dir.exists("Large_MIFList.txt"));
  EXPECT_TRUE(dir.exists("Large.pkg"));
  ASSERT_TRUE(dir.exists("Large.skn"));
  EXPECT_EQ(finish(start(KORVANE_DUMP_BINARY, {"Large.skn"}, dir, true)), 0);
}

TEST(DataSafety, ADeviceAsTheDescriptionEndsWithAnError) {
  TempDir dir;
  ProcessResult result = runProcess(KORVANE_BINARY, {"/dev/urandom", "Noise"}, dir);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("  Parse error\n"), std::string::npos);
  EXPECT_FALSE(dir.exists("Noise.skn"));
}

TEST(DataSafety, AnOutputLinkedToTheDescriptionIsRefused) {
  TempDir dir;
  const std::string skin = "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n";
  dir.write("skin.txt", skin);
  ASSERT_EQ(::link((dir.path() / "skin.txt").c_str(), (dir.path() / "Skin.pkg").c_str()), 0);
  ProcessResult result = runProcess(KORVANE_BINARY, {"skin.txt", "Skin"}, dir);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err,
            "An exception occured:\n  Error while opening a file\n"
            "  Output file Skin.pkg is the input file\n");
  EXPECT_EQ(dir.read("skin.txt"), skin);
  EXPECT_FALSE(dir.exists("Skin_MIFList.txt"));
  EXPECT_FALSE(dir.exists("Skin.skn"));
}

// Runs `binary` in `dir` under a file-size limit of `limit` bytes, as a CI
// sandbox's ulimit -f would; its streams go nowhere.
int runUnderFileSizeLimit(const std::string& binary, const std::vector<std::string>& args,
                          const TempDir& dir, rlim_t limit) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(120);
    rlimit fileSize{limit, limit};
    if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0 || ::chdir(dir.path().c_str()) != 0) ::_exit(127);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::signal(SIGXFSZ, SIG_DFL);
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(binary.c_str(), argv.data());
    ::_exit(127);
  }
  return finish(pid);
}

bool anyTemporary(const TempDir& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().filename().string()[0] == '.') return true;
  }
  return false;
}

// A file-size limit ends the compile like a full disk: an error, the list
// removed when it is the file cut short, the previous SKN file kept, and no
// temporary left.
TEST(DataSafety, AFileSizeLimitIsReportedLikeAFullDisk) {
  TempDir lists;
  std::string ids;
  std::string skin = "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Many\"\n";
  for (int i = 0; i < 400; ++i) {
    std::string name = "Many" + std::to_string(i);
    ids += "IID \"KTavsIID" + name + "\" 0x10005A26 " + std::to_string(0x10000 + i) + "\n";
    skin += "BITMAP IID=" + name + " c16 image_with_a_long_name_" + std::to_string(i) + ".bmp\n";
    lists.write("image_with_a_long_name_" + std::to_string(i) + ".bmp", "");
  }
  lists.write("ids.txt", ids);
  lists.write("many.txt", skin);
  EXPECT_EQ(runUnderFileSizeLimit(KORVANE_BINARY, {"-iids.txt", "many.txt", "Many"}, lists, 4096),
            2);
  EXPECT_FALSE(lists.exists("Many_MIFList.txt"));
  EXPECT_FALSE(anyTemporary(lists));

  TempDir large;
  writeLargeSkin(large, 200, 60);
  large.write("Large.skn", "the previous skin");
  EXPECT_EQ(
      runUnderFileSizeLimit(KORVANE_BINARY, {"-iids.txt", "large.txt", "Large"}, large, 65536), 2);
  EXPECT_EQ(large.read("Large.skn"), "the previous skin");
  EXPECT_TRUE(large.exists("Large_MIFList.txt"));
  EXPECT_FALSE(anyTemporary(large));
}

// A dangling link as the target is written through like a live one.
TEST(DataSafety, ADanglingLinkAsTheTargetIsWrittenThrough) {
  TempDir dir;
  dir.write("skin.txt", "SKINTYPE scalable\nUID 0x2000ABCD\nNAME 1 \"Skin\"\n");
  std::filesystem::create_directory(dir.path() / "o");
  std::filesystem::create_directory(dir.path() / "else");
  std::filesystem::create_symlink("../else/new.skn", dir.path() / "o" / "Skin.skn");
  ProcessResult result = runProcess(KORVANE_BINARY, {"-to", "skin.txt", "Skin"}, dir);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "o" / "Skin.skn"));
  EXPECT_TRUE(dir.exists("else/new.skn"));
}

}  // namespace
}  // namespace korvane
