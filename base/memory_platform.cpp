#include "base/memory_platform.h"

#include <algorithm>
#include <cstring>

namespace korvane {

namespace {

class MemoryInputFile : public InputFile {
 public:
  MemoryInputFile(std::string data, bool failRewind)
      : data_(std::move(data)), failRewind_(failRewind) {}
  size_t read(void* buffer, size_t size) override {
    size_t n = std::min(size, data_.size() - pos_);
    if (n > 0) std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }
  bool rewind() override {
    if (failRewind_) return false;
    pos_ = 0;
    return true;
  }
  int64_t size() override { return static_cast<int64_t>(data_.size()); }

 private:
  std::string data_;
  size_t pos_ = 0;
  bool failRewind_;
};

class MemoryOutputFile : public OutputFile {
 public:
  MemoryOutputFile(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  bool write(const void* data, size_t size) override {
    std::string& content = fs_.files[path_];
    auto limit = fs_.failWriteBeyond.find(path_);
    if (limit != fs_.failWriteBeyond.end() && content.size() + size > limit->second) return false;
    content.append(static_cast<const char*>(data), size);
    return true;
  }
  bool close() override { return fs_.failClose.count(path_) == 0; }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
};

}  // namespace

std::string MemoryFileSystem::key(const std::string& path) {
  size_t start = 0;
  while (path.compare(start, 2, "./") == 0) start += 2;
  return path.substr(start);
}

std::unique_ptr<InputFile> MemoryFileSystem::doOpenRead(const std::string& path) {
  std::string hostPath = key(path);
  auto it = files.find(hostPath);
  if (it == files.end() || failOpenRead.count(hostPath) != 0) return nullptr;
  return std::make_unique<MemoryInputFile>(it->second, failRewind.count(hostPath) != 0);
}

std::unique_ptr<OutputFile> MemoryFileSystem::doOpenWrite(const std::string& path) {
  std::string hostPath = key(path);
  if (failOpenWrite.count(hostPath) != 0 || directories.count(hostPath) != 0) return nullptr;
  // A missing parent directory fails like on disk; the current directory always exists.
  size_t slash = hostPath.rfind('/');
  if (slash != std::string::npos && slash != 0) {
    std::string parent = hostPath.substr(0, slash);
    if (directories.count(parent) == 0) return nullptr;
  }
  files[hostPath].clear();
  return std::make_unique<MemoryOutputFile>(*this, hostPath);
}

bool MemoryFileSystem::doExists(const std::string& path) {
  std::string hostPath = key(path);
  return files.count(hostPath) != 0 || directories.count(hostPath) != 0;
}

bool MemoryFileSystem::doRemove(const std::string& path) {
  return files.erase(key(path)) != 0;
}

}  // namespace korvane
