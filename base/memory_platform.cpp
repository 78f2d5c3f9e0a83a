#include "base/memory_platform.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace korvane {

namespace {

class MemoryInputFile : public InputFile {
 public:
  MemoryInputFile(std::string data, bool failRewind, bool stream)
      : data_(std::move(data)), failRewind_(failRewind), stream_(stream) {}
  // Reads beyond `limit` fail for `reason`.
  void failBeyond(size_t limit, std::string reason) {
    readLimit_ = limit;
    reason_ = std::move(reason);
  }
  size_t read(void* buffer, size_t size) override {
    if (stream_) size = std::min(size, MemoryFileSystem::kStreamPiece);
    if (pos_ + size > readLimit_) {
      failed_ = true;
      size = pos_ < readLimit_ ? readLimit_ - pos_ : 0;
    }
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
  int64_t size() override { return stream_ ? -1 : static_cast<int64_t>(data_.size()); }
  bool readFailed() const override { return failed_; }
  std::string readFailure() const override { return reason_; }

 private:
  std::string data_;
  size_t readLimit_ = SIZE_MAX;
  std::string reason_;
  bool failed_ = false;
  size_t pos_ = 0;
  bool failRewind_;
  bool stream_;
};

// Appends the bytes unless the file system is told to fail a write that
// takes the file at `path` beyond a size.
bool appendWithinLimit(const MemoryFileSystem& fs, const std::string& path, std::string& content,
                       const void* data, size_t size) {
  auto limit = fs.failWriteBeyond.find(path);
  if (limit != fs.failWriteBeyond.end() && content.size() + size > limit->second) return false;
  content.append(static_cast<const char*>(data), size);
  return true;
}

class MemoryOutputFile : public OutputFile {
 public:
  MemoryOutputFile(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  bool write(const void* data, size_t size) override {
    return appendWithinLimit(fs_, path_, fs_.files[path_], data, size);
  }
  bool close() override { return fs_.failClose.count(path_) == 0; }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
};

// Collects the bytes and hands them to the file system only when closed.
class MemoryReplacingFile : public OutputFile {
 public:
  MemoryReplacingFile(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  bool write(const void* data, size_t size) override {
    bool ok = appendWithinLimit(fs_, path_, bytes_, data, size);
    writeFailed_ = writeFailed_ || !ok;
    return ok;
  }
  bool close() override {
    if (writeFailed_ || fs_.failClose.count(path_) != 0) return false;
    fs_.files[path_] = std::move(bytes_);
    return true;
  }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
  std::string bytes_;
  bool writeFailed_ = false;  // a file missing some bytes never replaces the target
};

}  // namespace

std::string MemoryFileSystem::normalised(const std::string& path) {
  return lexicallyNormal(path);
}

std::string MemoryFileSystem::key(const std::string& path) {
  size_t start = 0;
  while (path.compare(start, 2, "./") == 0) start += 2;
  return path.substr(start);
}

std::unique_ptr<InputFile> MemoryFileSystem::doOpenRead(const std::string& path) {
  std::string hostPath = key(path);
  auto it = files.find(hostPath);
  if (it == files.end() || failOpenRead.count(hostPath) != 0) return nullptr;
  auto file = std::make_unique<MemoryInputFile>(it->second, failRewind.count(hostPath) != 0,
                                                streams.count(hostPath) != 0);
  auto failure = failReadBeyond.find(hostPath);
  if (failure != failReadBeyond.end()) {
    file->failBeyond(failure->second.first, failure->second.second);
  }
  return file;
}

bool MemoryFileSystem::canCreate(const std::string& hostPath) const {
  if (failOpenWrite.count(hostPath) != 0 || directories.count(hostPath) != 0) return false;
  // A missing parent directory fails like on disk; the current directory always exists.
  size_t slash = hostPath.rfind('/');
  if (slash != std::string::npos && slash != 0) {
    std::string parent = hostPath.substr(0, slash);
    if (directories.count(parent) == 0) return false;
  }
  return true;
}

std::unique_ptr<OutputFile> MemoryFileSystem::doOpenWrite(const std::string& path) {
  std::string hostPath = key(path);
  if (!canCreate(hostPath)) return nullptr;
  files[hostPath].clear();
  return std::make_unique<MemoryOutputFile>(*this, hostPath);
}

std::unique_ptr<OutputFile> MemoryFileSystem::doOpenReplace(const std::string& path) {
  std::string hostPath = key(path);
  if (!canCreate(hostPath)) return nullptr;
  return std::make_unique<MemoryReplacingFile>(*this, hostPath);
}

bool MemoryFileSystem::doExists(const std::string& path) {
  std::string hostPath = key(path);
  return files.count(hostPath) != 0 || directories.count(hostPath) != 0;
}

FileSystem::Presence MemoryFileSystem::doPresence(const std::string& path, std::string& reason) {
  auto failure = failPresence.find(normalised(path));
  if (failure != failPresence.end()) {
    reason = failure->second;
    return Presence::kUnknown;
  }
  return doExists(path) ? Presence::kPresent : Presence::kMissing;
}

std::vector<std::string> MemoryFileSystem::doListFiles(const std::string& path) {
  std::string directory = key(path);
  std::string prefix = directory == "." || directory.empty() ? "" : directory + "/";
  std::vector<std::string> names;
  for (auto it = files.lower_bound(prefix); it != files.end(); ++it) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) break;
    std::string name = it->first.substr(prefix.size());
    if (name.find('/') == std::string::npos) names.push_back(name);
  }
  return names;
}

bool MemoryFileSystem::doRemove(const std::string& path) {
  return files.erase(key(path)) != 0;
}

std::string MemoryFileSystem::fileOf(const std::string& hostPath) const {
  std::string path = normalised(hostPath);
  // Aliases may chain; a cycle names no file.
  for (size_t hops = 0; hops <= aliases.size(); ++hops) {
    auto alias = aliases.find(path);
    if (alias == aliases.end()) {
      return files.count(path) != 0 ? path : std::string();
    }
    path = normalised(alias->second);
  }
  return std::string();
}

bool MemoryFileSystem::doSameFile(const std::string& a, const std::string& b) {
  std::string fileA = fileOf(a);
  return !fileA.empty() && fileA == fileOf(b);
}

}  // namespace korvane
