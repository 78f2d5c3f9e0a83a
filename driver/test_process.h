// Test support: runs the real korvane binary in a fresh temporary directory
// and collects its exit code, both streams and the files it leaves.
#ifndef KORVANE_DRIVER_TEST_PROCESS_H
#define KORVANE_DRIVER_TEST_PROCESS_H

#ifdef _WIN32
#include <windows.h>

#include <cwctype>
#include <random>

#include "base/windows_platform.h"
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

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
#ifdef _WIN32
  TempDir() {
    std::random_device random;
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::filesystem::path candidate = base / ("korvane-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) {
        path_ = candidate;
        return;
      }
    }
  }
#else
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvane-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    path_ = ::mkdtemp(buffer.data());
  }
#endif
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const {
    return path_;
  }

  void write(const std::string& name, const std::string& content) const {
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary) << content;
  }
  std::string read(const std::string& name) const {
    return readFile(path_ / name);
  }
  bool exists(const std::string& name) const {
    return std::filesystem::exists(path_ / name);
  }

 private:
  std::filesystem::path path_;
};

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

#ifdef _WIN32
// One argument quoted as the C runtime's command-line parser reads it back.
inline std::wstring quoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

// The process's environment block less SOURCE_DATE_EPOCH and the variables
// `environment` sets, then those.
inline std::wstring environmentBlock(const std::map<std::string, std::string>& environment) {
  auto upper = [](std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
  };
  std::vector<std::wstring> dropped{L"SOURCE_DATE_EPOCH"};
  for (const auto& entry : environment) dropped.push_back(upper(widenName(entry.first)));
  std::wstring block;
  if (wchar_t* strings = ::GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
      std::wstring text(entry);
      std::wstring name = upper(text.substr(0, text.find(L'=', 1)));
      bool drop = false;
      for (const std::wstring& gone : dropped) drop = drop || name == gone;
      if (!drop) block.append(text).push_back(L'\0');
    }
    ::FreeEnvironmentStringsW(strings);
  }
  for (const auto& [name, value] : environment) {
    block.append(widenName(name + "=" + value)).push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

inline ProcessResult runProcess(const std::string& binary, const std::vector<std::string>& args,
                                const TempDir& dir,
                                const std::map<std::string, std::string>& environment = {}) {
  std::wstring application = std::filesystem::absolute(binary).wstring();
  std::wstring commandLine = quoteArgument(application);
  for (const std::string& arg : args) commandLine += L" " + quoteArgument(widenName(arg));
  std::wstring block = environmentBlock(environment);
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  auto create = [&](const std::filesystem::path& path, DWORD access, DWORD disposition) {
    return ::CreateFileW(path.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherited, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE in = create("NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = create(dir.path() / ".stdout", GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = create(dir.path() / ".stderr", GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  ProcessResult result;
  std::wstring directory = dir.path().wstring();
  if (::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), directory.c_str(), &startup,
                       &process)) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (::GetExitCodeProcess(process.hProcess, &code)) result.exitCode = static_cast<int>(code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  for (HANDLE handle : {in, out, err}) {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  result.out = dir.read(".stdout");
  result.err = dir.read(".stderr");
  std::filesystem::remove(dir.path() / ".stdout");
  std::filesystem::remove(dir.path() / ".stderr");
  return result;
}
#else
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
#endif

}  // namespace korvane::testing

#endif
