#include "base/real_platform.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>

namespace korvane {

namespace {

class StdioInputFile : public InputFile {
 public:
  explicit StdioInputFile(std::FILE* file) : file_(file) {}
  ~StdioInputFile() override { std::fclose(file_); }
  size_t read(void* buffer, size_t size) override { return std::fread(buffer, 1, size, file_); }
  bool rewind() override { return std::fseek(file_, 0, SEEK_SET) == 0; }

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

 private:
  std::FILE* file_;
};

}  // namespace

std::unique_ptr<InputFile> RealFileSystem::doOpenRead(const std::string& hostPath) {
  std::FILE* file = std::fopen(hostPath.c_str(), "rb");
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioInputFile>(file);
}

std::unique_ptr<OutputFile> RealFileSystem::doOpenWrite(const std::string& hostPath) {
  std::FILE* file = std::fopen(hostPath.c_str(), "wb");
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioOutputFile>(file);
}

bool RealFileSystem::doExists(const std::string& hostPath) {
  struct stat info;
  return ::stat(hostPath.c_str(), &info) == 0;
}

bool RealFileSystem::doRemove(const std::string& hostPath) {
  return std::remove(hostPath.c_str()) == 0;
}

uint64_t SystemClock::now() {
  // 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
  constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
  auto since1970 = std::chrono::system_clock::now().time_since_epoch();
  auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100;
  return kUnixEpochAsFileTime + static_cast<uint64_t>(ticks);
}

void StdConsole::out(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void StdConsole::err(std::string_view text) {
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace korvane
