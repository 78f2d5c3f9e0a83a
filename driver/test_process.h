// Test support: runs the real korvane binary in a fresh temporary directory
// and collects its exit code, both streams and the files it leaves.
#ifndef KORVANE_DRIVER_TEST_PROCESS_H
#define KORVANE_DRIVER_TEST_PROCESS_H

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace korvane::testing {

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvane-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    path_ = ::mkdtemp(buffer.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

  void write(const std::string& name, const std::string& content) const {
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary) << content;
  }
  std::string read(const std::string& name) const { return readFile(path_ / name); }
  bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

 private:
  std::filesystem::path path_;
};

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `binary` with `args` inside `dir`. SOURCE_DATE_EPOCH is taken away
// unless `environment` sets it, so that the host's value changes no result.
inline ProcessResult runProcess(const std::string& binary, const std::vector<std::string>& args,
                                const TempDir& dir,
                                const std::map<std::string, std::string>& environment = {}) {
  std::string outPath = (dir.path() / ".stdout").string();
  std::string errPath = (dir.path() / ".stderr").string();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.path().c_str()) != 0) ::_exit(127);
    ::unsetenv("SOURCE_DATE_EPOCH");
    for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
    if (!std::freopen(outPath.c_str(), "wb", stdout) ||
        !std::freopen(errPath.c_str(), "wb", stderr)) {
      ::_exit(127);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(binary.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProcessResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = dir.read(".stdout");
  result.err = dir.read(".stderr");
  std::filesystem::remove(dir.path() / ".stdout");
  std::filesystem::remove(dir.path() / ".stderr");
  return result;
}

}  // namespace korvane::testing

#endif
