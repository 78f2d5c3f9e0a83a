// The Windows host: real_platform.h over the Win32 API. Names reach the
// system as UTF-16 (windows_platform.h), files are read and written as
// bytes, a replaced file is put in place with one MoveFileExW, and the two
// standard streams are binary so that the report keeps its exact bytes.
#include "base/real_platform.h"

// windows.h before the headers that need its types.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/windows_platform.h"

namespace korvane {

namespace {

std::wstring convert(UINT codePage, DWORD flags, std::string_view text) {
  if (text.empty()) return std::wstring();
  int length = ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
  return wide;
}

bool isDriveAbsolute(std::wstring_view path) {
  return path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
}

// The classic limit of a path (MAX_PATH) less room for a file name that
// CreateDirectory keeps.
constexpr size_t kShortPathLimit = 248;

class StdioInputFile : public InputFile {
 public:
  explicit StdioInputFile(std::FILE* file) : file_(file) {}
  ~StdioInputFile() override { std::fclose(file_); }
  size_t read(void* buffer, size_t size) override { return std::fread(buffer, 1, size, file_); }
  bool readFailed() const override { return std::ferror(file_) != 0; }
  bool rewind() override { return std::fseek(file_, 0, SEEK_SET) == 0; }
  int64_t size() override {
    struct _stat64 info;
    if (::_fstat64(::_fileno(file_), &info) != 0 || (info.st_mode & _S_IFREG) == 0) return -1;
    return static_cast<int64_t>(info.st_size);
  }

 private:
  std::FILE* file_;
};

class StdioOutputFile : public OutputFile {
 public:
  explicit StdioOutputFile(std::FILE* file) : file_(file) {}
  ~StdioOutputFile() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  bool write(const void* data, size_t size) override {
    return size == 0 || std::fwrite(data, 1, size, file_) == size;
  }
  bool close() override {
    bool ok = std::fflush(file_) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
  }
  bool isOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_;
};

// Writes a temporary file beside the target and moves it over the target
// when closed; MoveFileExW replaces the target in one step on the file
// systems Windows builds on. A failed write or close, or destroying the file
// unclosed, deletes the temporary.
class ReplacingOutputFile : public OutputFile {
 public:
  ReplacingOutputFile(std::FILE* file, std::wstring temporary, std::wstring target)
      : file_(file), temporary_(std::move(temporary)), target_(std::move(target)) {}
  ~ReplacingOutputFile() override { discard(); }
  bool write(const void* data, size_t size) override {
    bool ok = file_.write(data, size);
    writeFailed_ = writeFailed_ || !ok;
    return ok;
  }
  bool close() override {
    bool ok = file_.close() && !writeFailed_;
    if (ok && ::MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      temporary_.clear();
      return true;
    }
    discard();
    return false;
  }

 private:
  // Windows deletes no file that is still open: the temporary is closed
  // first.
  void discard() {
    if (temporary_.empty()) return;
    if (file_.isOpen()) file_.close();
    ::DeleteFileW(temporary_.c_str());
    temporary_.clear();
  }

  StdioOutputFile file_;
  std::wstring temporary_;  // empty once moved or deleted
  std::wstring target_;
  bool writeFailed_ = false;
};

// An open handle to an existing file or directory, for questions about it.
class QueryHandle {
 public:
  explicit QueryHandle(const std::wstring& path)
      : handle_(::CreateFileW(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
  ~QueryHandle() {
    if (valid()) ::CloseHandle(handle_);
  }
  QueryHandle(const QueryHandle&) = delete;
  QueryHandle& operator=(const QueryHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The file a link (a symbolic link or a junction on the way) leads to, as a
// "\\?\" path; the path itself when it cannot be resolved.
std::wstring finalPath(const std::wstring& path) {
  QueryHandle handle(path);
  if (!handle.valid()) return path;
  std::wstring resolved(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetFinalPathNameByHandleW(handle.get(), resolved.data(),
                                               static_cast<DWORD>(resolved.size()), 0);
    if (length == 0) return path;
    if (length < resolved.size()) {
      resolved.resize(length);
      return resolved;
    }
    resolved.resize(length + 1);
  }
}

// A name for a temporary file that is unlikely to be taken; CREATE_NEW
// makes sure.
std::wstring temporaryName(const std::wstring& directory, const std::wstring& name,
                           unsigned attempt) {
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  uint64_t mixed = (static_cast<uint64_t>(counter.QuadPart) ^
                    (static_cast<uint64_t>(::GetCurrentProcessId()) << 32) ^ attempt) *
                   0x9E3779B97F4A7C15ull;
  static constexpr wchar_t kDigits[] =
      L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::wstring suffix;
  for (int i = 0; i < 6; ++i) {
    suffix.push_back(kDigits[(mixed >> 58) % 62]);
    mixed = mixed * 6364136223846793005ull + 1442695040888963407ull;
  }
  return directory + L"." + name.substr(0, 200) + L"." + suffix;
}

}  // namespace

std::wstring widenName(std::string_view text) {
  std::wstring wide = convert(CP_UTF8, MB_ERR_INVALID_CHARS, text);
  if (wide.empty() && !text.empty()) wide = convert(CP_ACP, 0, text);
  return wide;
}

std::string narrowName(std::wstring_view text) {
  if (text.empty()) return std::string();
  int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
  return narrow;
}

std::wstring nativePath(std::string_view hostPath) {
  std::wstring path = widenName(hostPath);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  if (path.size() < kShortPathLimit || path.rfind(L"\\\\?\\", 0) == 0) return path;
  // The prefix takes only absolute paths without "." or "..": the system
  // makes one.
  DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  length = ::GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  if (isDriveAbsolute(full)) return L"\\\\?\\" + full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return full;
}

Utf8Arguments::Utf8Arguments(int& argc, char**& argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return;
  for (int i = 0; i < count; ++i) texts_.push_back(narrowName(wide[i]));
  ::LocalFree(wide);
  for (std::string& text : texts_) pointers_.push_back(text.data());
  pointers_.push_back(nullptr);
  argc = count;
  argv = pointers_.data();
}

// Windows answers existence questions quickly from its own cache: no
// listings are kept.
class RealFileSystem::Listings {};

RealFileSystem::RealFileSystem() : listings_(std::make_unique<Listings>()) {}
RealFileSystem::~RealFileSystem() = default;

std::unique_ptr<InputFile> RealFileSystem::doOpenRead(const std::string& hostPath) {
  std::FILE* file = ::_wfopen(nativePath(hostPath).c_str(), L"rb");
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioInputFile>(file);
}

std::unique_ptr<OutputFile> RealFileSystem::doOpenWrite(const std::string& hostPath) {
  std::FILE* file = ::_wfopen(nativePath(hostPath).c_str(), L"wb");
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioOutputFile>(file);
}

std::unique_ptr<OutputFile> RealFileSystem::doOpenReplace(const std::string& hostPath) {
  std::wstring target = nativePath(hostPath);
  DWORD attributes = ::GetFileAttributesW(target.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    // A link is written through, as openWrite would: its target is replaced.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      target = finalPath(target);
      attributes = ::GetFileAttributesW(target.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) return nullptr;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) return nullptr;
    // A device (NUL, CON) is not a file to put another in the place of.
    QueryHandle handle(target);
    if (handle.valid() && ::GetFileType(handle.get()) != FILE_TYPE_DISK) {
      return doOpenWrite(hostPath);
    }
  } else {
    // Device names answer no attributes on every Windows version.
    QueryHandle handle(target);
    if (handle.valid() && ::GetFileType(handle.get()) != FILE_TYPE_DISK) {
      return doOpenWrite(hostPath);
    }
  }

  size_t separator = target.find_last_of(L"\\:");
  std::wstring directory =
      separator == std::wstring::npos ? std::wstring() : target.substr(0, separator + 1);
  std::wstring name = separator == std::wstring::npos ? target : target.substr(separator + 1);
  // The temporary keeps the replaced file's attributes (hidden, archive) but
  // never read-only, so that it can be moved.
  DWORD kept = exists ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
                      : 0;
  if (kept == 0) kept = FILE_ATTRIBUTE_NORMAL;
  for (unsigned attempt = 0; attempt < 64; ++attempt) {
    std::wstring temporary = temporaryName(directory, name, attempt);
    HANDLE handle =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kept, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      DWORD error = ::GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      return nullptr;
    }
    int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
    if (fd < 0) {
      ::CloseHandle(handle);
      ::DeleteFileW(temporary.c_str());
      return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, "wb");
    if (file == nullptr) {
      ::_close(fd);
      ::DeleteFileW(temporary.c_str());
      return nullptr;
    }
    return std::make_unique<ReplacingOutputFile>(file, std::move(temporary), std::move(target));
  }
  return nullptr;
}

bool RealFileSystem::doSameFile(const std::string& a, const std::string& b) {
  QueryHandle first(nativePath(a));
  QueryHandle second(nativePath(b));
  BY_HANDLE_FILE_INFORMATION infoA;
  BY_HANDLE_FILE_INFORMATION infoB;
  return first.valid() && second.valid() && ::GetFileInformationByHandle(first.get(), &infoA) &&
         ::GetFileInformationByHandle(second.get(), &infoB) &&
         infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
         infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

bool RealFileSystem::doExists(const std::string& hostPath) {
  return ::GetFileAttributesW(nativePath(hostPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// The system's words for an error code, without the line end it ends with.
std::string systemMessage(DWORD error) {
  wchar_t* text = nullptr;
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = length > 0 ? std::wstring(text, length) : std::wstring();
  if (text != nullptr) ::LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' ||
                           wide.back() == L'.')) {
    wide.pop_back();
  }
  return wide.empty() ? "error " + std::to_string(error) : narrowName(wide);
}

}  // namespace

// Only a name that leads nowhere means missing (a name the system cannot
// hold, such as one with "*" or ":", names no file either); a refused or
// failed look is an error.
FileSystem::Presence RealFileSystem::doPresence(const std::string& hostPath, std::string& reason) {
  if (::GetFileAttributesW(nativePath(hostPath).c_str()) != INVALID_FILE_ATTRIBUTES) {
    return Presence::kPresent;
  }
  DWORD error = ::GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
      error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY) {
    return Presence::kMissing;
  }
  reason = systemMessage(error);
  return Presence::kUnknown;
}

std::vector<std::string> RealFileSystem::doListFiles(const std::string& hostPath) {
  std::vector<std::string> names;
  std::wstring pattern = nativePath(hostPath.empty() ? std::string(".") : hostPath) + L"\\*";
  WIN32_FIND_DATAW entry;
  HANDLE search = ::FindFirstFileW(pattern.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      names.push_back(narrowName(entry.cFileName));
    }
  } while (::FindNextFileW(search, &entry));
  ::FindClose(search);
  return names;
}

bool RealFileSystem::doRemove(const std::string& hostPath) {
  std::wstring path = nativePath(hostPath);
  return ::DeleteFileW(path.c_str()) || ::RemoveDirectoryW(path.c_str());
}

void prepareHeap() {}

void returnFreedMemory() {}

uint64_t SystemClock::now() {
  // FILETIME counts the same units from the same day as the compiler.
  FILETIME time;
  ::GetSystemTimeAsFileTime(&time);
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

namespace {

// The C runtime would write every "\n" as CR LF; the report's bytes are
// exact. Set once, before the first write.
void binaryStreams() {
  static const bool set = [] {
    std::fflush(stdout);
    std::fflush(stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    return true;
  }();
  (void)set;
}

}  // namespace

void StdConsole::out(std::string_view text) {
  binaryStreams();
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) noteOutFailure();
}

// A reader that went away (a pipe into head) took what it wanted: that is
// no failure of the output. Anything else (a full device, an I/O error) is.
void StdConsole::noteOutFailure() {
  if (errno != EPIPE) outFailed_ = true;
}

bool StdConsole::closeOut() {
  binaryStreams();
  errno = 0;
  if (std::fflush(stdout) != 0) noteOutFailure();
  errno = 0;
  if (std::fclose(stdout) != 0) noteOutFailure();
  return !outFailed_;
}

void StdConsole::err(std::string_view text) {
  binaryStreams();
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

std::optional<std::string> ProcessEnvironment::variable(const std::string& name) {
  std::wstring wideName = widenName(name);
  DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (length == 0) {
    // Set but empty, or not set at all.
    if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::wstring value(length, L'\0');
  length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), length);
  value.resize(length);
  return narrowName(value);
}

// With "/" between the names, as the compiler composes its paths.
std::string ProcessEnvironment::workingDirectory() {
  DWORD length = ::GetCurrentDirectoryW(0, nullptr);
  if (length == 0) return std::string();
  std::wstring directory(length, L'\0');
  length = ::GetCurrentDirectoryW(length, directory.data());
  if (length == 0 || length >= directory.size()) return std::string();
  directory.resize(length);
  if (directory.rfind(L"\\\\?\\", 0) == 0 && isDriveAbsolute(directory.substr(4))) {
    directory.erase(0, 4);
  }
  std::string narrow = narrowName(directory);
  for (char& c : narrow) {
    if (c == '\\') c = '/';
  }
  return narrow;
}

}  // namespace korvane
