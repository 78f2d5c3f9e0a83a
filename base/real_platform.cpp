#include "base/real_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/record_index.h"

namespace korvane {

namespace {

class StdioInputFile : public InputFile {
 public:
  explicit StdioInputFile(std::FILE* file) : file_(file) {}
  ~StdioInputFile() override { std::fclose(file_); }
  size_t read(void* buffer, size_t size) override { return std::fread(buffer, 1, size, file_); }
  bool rewind() override { return std::fseek(file_, 0, SEEK_SET) == 0; }
  int64_t size() override {
    struct stat info;
    if (::fstat(::fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
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

 private:
  std::FILE* file_;
};

}  // namespace

// The directory listings of RealFileSystem, by directory path as the
// questions name it ("." for names without a directory).
class RealFileSystem::Listings {
 public:
  // 1: the entry exists; 0: it does not; -1: ask stat.
  int lookup(const std::string& hostPath) {
    size_t slash = hostPath.rfind('/');
    std::string_view name = slash == std::string::npos
                                ? std::string_view(hostPath)
                                : std::string_view(hostPath).substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || hostPath.find('\0') != std::string::npos) {
      return -1;
    }
    std::string_view directory = slash == std::string::npos ? std::string_view(".")
                                 : slash == 0               ? std::string_view("/")
                                              : std::string_view(hostPath).substr(0, slash);
    // Images come many to a directory: the last one asked about is at hand.
    if (last_ == nullptr || directory != lastDirectory_) {
      lastDirectory_.assign(directory);
      last_ = &directories_[lastDirectory_];
    }
    Directory& entry = *last_;
    if (entry.state == kAsking && ++entry.questions >= kListAfter) list(lastDirectory_, entry);
    if (entry.state != kListed) return -1;
    uint32_t found = entry.index.find(std::hash<std::string_view>()(name), [&](uint32_t record) {
      return entry.nameOf(record) == name;
    });
    if (found == RecordIndex::kNone) return 0;
    // A symbolic link exists only when its target does; stat knows.
    unsigned char type = entry.types[found];
    return type == DT_LNK || type == DT_UNKNOWN ? -1 : 1;
  }

  void forget() {
    directories_.clear();
    last_ = nullptr;
  }

 private:
  enum State : uint8_t { kAsking, kListed, kUnlistable };
  struct Directory {
    State state = kAsking;
    size_t questions = 0;
    std::string names;           // every name, one after the other
    std::vector<uint32_t> ends;  // where each name ends in `names`
    std::vector<unsigned char> types;
    RecordIndex index;

    std::string_view nameOf(uint32_t record) const {
      uint32_t begin = record == 0 ? 0 : ends[record - 1];
      return std::string_view(names).substr(begin, ends[record] - begin);
    }
  };

  // A directory that stat could not search (no search permission) would
  // answer differently from its listing, so it is not listed.
  static void list(const std::string& directory, Directory& entry) {
    entry.state = kUnlistable;
    if (::faccessat(AT_FDCWD, directory.c_str(), X_OK, AT_EACCESS) != 0) return;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return;
    while (const dirent* item = ::readdir(dir)) {
      std::string_view name(item->d_name);
      auto record = static_cast<uint32_t>(entry.ends.size());
      entry.names.append(name);
      entry.ends.push_back(static_cast<uint32_t>(entry.names.size()));
      entry.types.push_back(item->d_type);
      entry.index.insert(std::hash<std::string_view>()(name), record);
    }
    ::closedir(dir);
    entry.state = kListed;
  }

  std::unordered_map<std::string, Directory> directories_;
  std::string lastDirectory_;
  Directory* last_ = nullptr;
};

RealFileSystem::RealFileSystem() : listings_(std::make_unique<Listings>()) {}
RealFileSystem::~RealFileSystem() = default;

std::unique_ptr<InputFile> RealFileSystem::doOpenRead(const std::string& hostPath) {
  std::FILE* file = std::fopen(hostPath.c_str(), "rb");
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioInputFile>(file);
}

std::unique_ptr<OutputFile> RealFileSystem::doOpenWrite(const std::string& hostPath) {
  listings_->forget();
  std::FILE* file = std::fopen(hostPath.c_str(), "wb");
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioOutputFile>(file);
}

bool RealFileSystem::doExists(const std::string& hostPath) {
  int listed = listings_->lookup(hostPath);
  if (listed >= 0) return listed == 1;
  struct stat info;
  return ::stat(hostPath.c_str(), &info) == 0;
}

bool RealFileSystem::doRemove(const std::string& hostPath) {
  listings_->forget();
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
