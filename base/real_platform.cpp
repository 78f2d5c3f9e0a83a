#include "base/real_platform.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/large_block.h"
#include "base/text.h"

namespace korvane {

namespace {

class StdioInputFile : public InputFile {
 public:
  explicit StdioInputFile(std::FILE* file) : file_(file) {}
  ~StdioInputFile() override { std::fclose(file_); }
  size_t read(void* buffer, size_t size) override {
    errno = 0;
    size_t n = std::fread(buffer, 1, size, file_);
    if (n < size && std::ferror(file_) != 0 && error_ == 0) error_ = errno;
    return n;
  }
  bool readFailed() const override { return std::ferror(file_) != 0; }
  std::string readFailure() const override {
    return error_ != 0 ? std::strerror(error_) : "read error";
  }
  bool rewind() override { return std::fseek(file_, 0, SEEK_SET) == 0; }
  int64_t size() override {
    struct stat info;
    if (::fstat(::fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<int64_t>(info.st_size);
  }

 private:
  std::FILE* file_;
  int error_ = 0;  // the errno of the first failed read
};

class StdioOutputFile : public OutputFile {
 public:
  // Writes go out in pieces of 64 KiB rather than the stream's default, a
  // quarter of the system calls for a big generation list.
  explicit StdioOutputFile(std::FILE* file) : file_(file), buffer_(new char[kBuffer]) {
    std::setvbuf(file_, buffer_.get(), _IOFBF, kBuffer);
  }
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
  static constexpr size_t kBuffer = size_t{1} << 16;
  std::FILE* file_;
  std::unique_ptr<char[]> buffer_;  // outlives the stream: fclose runs first
};

// Writes a temporary file beside the target and renames it over the target
// when closed. The rename is the one step a kill, a crash or a full disk
// cannot cut in half; the file is not synced first, so a power failure right
// after a compile is left to the file system's own care.
class ReplacingOutputFile : public OutputFile {
 public:
  ReplacingOutputFile(std::FILE* file, std::string temporary, std::string target,
                      std::function<void()> changed)
      : file_(file),
        temporary_(std::move(temporary)),
        target_(std::move(target)),
        changed_(std::move(changed)) {}
  ~ReplacingOutputFile() override { discard(); }
  bool write(const void* data, size_t size) override {
    bool ok = file_.write(data, size);
    writeFailed_ = writeFailed_ || !ok;
    return ok;
  }
  // A file missing some bytes never replaces the target.
  bool close() override {
    bool ok = file_.close() && !writeFailed_;
    if (ok && ::rename(temporary_.c_str(), target_.c_str()) == 0) {
      temporary_.clear();
      changed_();
      return true;
    }
    discard();
    return false;
  }

 private:
  void discard() {
    if (temporary_.empty()) return;
    ::unlink(temporary_.c_str());
    temporary_.clear();
    changed_();
  }

  StdioOutputFile file_;
  std::string temporary_;  // empty once renamed or removed
  std::string target_;
  std::function<void()> changed_;
  bool writeFailed_ = false;
};

// Where a link leads, followed through links to links (at most 40, as the
// host does), whether or not the last one exists yet. Empty for a loop.
std::string linkTarget(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::vector<char> buffer(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
    ssize_t length = ::readlink(current.c_str(), buffer.data(), buffer.size());
    if (length < 0 || static_cast<size_t>(length) >= buffer.size()) return std::string();
    std::string next(buffer.data(), static_cast<size_t>(length));
    size_t slash = current.rfind('/');
    if (next.empty() || next[0] == '/' || slash == std::string::npos) {
      current = next;
    } else {
      current = current.substr(0, slash + 1) + next;
    }
  }
  return std::string();
}

// The temporaries of one target: "." NAME "." PID "." and six characters of
// mkostemp, NAME cut to kTemporaryNameCut bytes.
constexpr size_t kTemporaryNameCut = 200;

std::string temporaryPrefix(const std::string& name) {
  return "." + name.substr(0, kTemporaryNameCut) + ".";
}

// The process id a temporary of `prefix` was made by, or 0 when `entry` is
// no such temporary.
pid_t temporaryOwner(std::string_view entry, std::string_view prefix) {
  if (entry.size() <= prefix.size() + 7 || entry.compare(0, prefix.size(), prefix) != 0) return 0;
  std::string_view rest = entry.substr(prefix.size());
  size_t dot = rest.size() - 7;
  if (rest[dot] != '.' || dot == 0 || dot > 10) return 0;
  uint64_t pid = 0;
  for (size_t i = 0; i < dot; ++i) {
    if (rest[i] < '0' || rest[i] > '9') return 0;
    pid = pid * 10 + static_cast<uint64_t>(rest[i] - '0');
  }
  return pid == 0 || pid > 0x7FFFFFFF ? 0 : static_cast<pid_t>(pid);
}

// Removes the temporaries that runs killed while writing `name` in
// `directory` left behind: regular files of this user whose process is gone.
// A process id in use again keeps its file; the next run after it ends
// removes it.
void removeStaleTemporaries(const std::string& directory, const std::string& name) {
  std::string prefix = temporaryPrefix(name);
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> stale;
  while (const dirent* item = ::readdir(dir)) {
    pid_t owner = temporaryOwner(item->d_name, prefix);
    if (owner == 0 || owner == ::getpid()) continue;
    if (::kill(owner, 0) == 0 || errno != ESRCH) continue;
    stale.emplace_back(directory + item->d_name);
  }
  ::closedir(dir);
  for (const std::string& path : stale) {
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid()) {
      ::unlink(path.c_str());
    }
  }
}

}  // namespace

// The directory listings of RealFileSystem, by directory path as the
// questions name it ("." for names without a directory).
class RealFileSystem::Listings {
 public:
  // 1: the entry exists; 0: it does not; -1: ask stat.
  int lookup(const std::string& hostPath) {
    // memrchr looks many bytes at a time; rfind, one.
    const void* lastSlash = ::memrchr(hostPath.data(), '/', hostPath.size());
    size_t slash = lastSlash == nullptr
                       ? std::string::npos
                       : static_cast<size_t>(static_cast<const char*>(lastSlash) - hostPath.data());
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
    // A symbolic link exists only when its target does; stat knows.
    const Slot* found = entry.find(name);
    if (found == nullptr) return 0;
    return found->type == DT_LNK || found->type == DT_UNKNOWN ? -1 : 1;
  }

  void forget() {
    directories_.clear();
    last_ = nullptr;
  }

 private:
  enum State : uint8_t { kAsking, kListed, kUnlistable };

  // One name of a listing in a table probed linearly. Most image names are
  // short and lie in the slot itself, so a question usually reads one slot;
  // longer names lie in `longNames`, the slot giving where.
  struct Slot {
    uint32_t hash;
    uint8_t length;  // 0: an empty slot; kLong: the name lies in longNames
    unsigned char type;
    char text[26];
  };
  static constexpr uint8_t kLong = 255;
  static constexpr size_t kInline = sizeof(Slot::text);

  static uint32_t hashOf(std::string_view name) {
    return static_cast<uint32_t>((hashBytes(name) * 0x9E3779B97F4A7C15ull) >> 32);
  }

  struct Directory {
    State state = kAsking;
    size_t questions = 0;
    std::vector<Slot, LargeBlockAllocator<Slot>> slots;  // megabytes for a big image folder
    std::string longNames;

    std::string_view nameOf(const Slot& slot) const {
      if (slot.length != kLong) return std::string_view(slot.text, slot.length);
      uint32_t place[2];
      std::memcpy(place, slot.text, sizeof place);
      return std::string_view(longNames).substr(place[0], place[1]);
    }
    const Slot* find(std::string_view name) const {
      uint32_t hash = hashOf(name);
      size_t mask = slots.size() - 1;
      for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots[i];
        if (slot.length == 0) return nullptr;
        if (slot.hash == hash && nameOf(slot) == name) return &slot;
      }
    }
    void insert(std::string_view name, unsigned char type) {
      Slot slot{hashOf(name), 0, type, {}};
      if (name.size() <= kInline) {
        slot.length = static_cast<uint8_t>(name.size());
        std::memcpy(slot.text, name.data(), name.size());
      } else {
        uint32_t place[2] = {static_cast<uint32_t>(longNames.size()),
                             static_cast<uint32_t>(name.size())};
        std::memcpy(slot.text, place, sizeof place);
        slot.length = kLong;
        longNames.append(name);
      }
      size_t mask = slots.size() - 1;
      size_t i = slot.hash & mask;
      while (slots[i].length != 0) i = (i + 1) & mask;
      slots[i] = slot;
    }
  };

  // A directory that stat could not search (no search permission) would
  // answer differently from its listing, so it is not listed. The names are
  // gathered first, so that the table is made once at its size.
  static void list(const std::string& directory, Directory& entry) {
    entry.state = kUnlistable;
    if (::faccessat(AT_FDCWD, directory.c_str(), X_OK, AT_EACCESS) != 0) return;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return;
    std::string names;
    std::vector<uint32_t> ends;
    std::vector<unsigned char> types;
    errno = 0;
    while (const dirent* item = ::readdir(dir)) {
      names.append(item->d_name);
      ends.push_back(static_cast<uint32_t>(names.size()));
      types.push_back(item->d_type);
    }
    // A listing cut short by a read error would miss names.
    bool complete = errno == 0;
    ::closedir(dir);
    if (!complete) return;
    size_t capacity = 16;
    while (capacity * 3 < ends.size() * 4 + 4) capacity *= 2;
    entry.slots.assign(capacity, Slot{0, 0, 0, {}});
    for (size_t i = 0; i < ends.size(); ++i) {
      uint32_t begin = i == 0 ? 0 : ends[i - 1];
      entry.insert(std::string_view(names).substr(begin, ends[i] - begin), types[i]);
    }
    entry.state = kListed;
  }

  std::unordered_map<std::string, Directory> directories_;
  std::string lastDirectory_;
  Directory* last_ = nullptr;
};

std::vector<std::string> RealFileSystem::doListFiles(const std::string& hostPath) {
  std::vector<std::string> names;
  DIR* directory = ::opendir(hostPath.c_str());
  if (directory == nullptr) return names;
  while (const dirent* entry = ::readdir(directory)) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (entry->d_type == DT_DIR) continue;
    names.emplace_back(name);
  }
  ::closedir(directory);
  return names;
}

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

std::unique_ptr<OutputFile> RealFileSystem::doOpenReplace(const std::string& hostPath) {
  listings_->forget();
  std::string target = hostPath;
  struct stat info;
  bool exists = ::lstat(target.c_str(), &info) == 0;
  // A link is written through, as openWrite would: its target is replaced,
  // or made when it does not exist yet.
  if (exists && S_ISLNK(info.st_mode)) {
    target = linkTarget(hostPath);
    if (target.empty()) return nullptr;
    exists = ::stat(target.c_str(), &info) == 0;
  }
  mode_t mode;
  if (exists) {
    if (S_ISDIR(info.st_mode) || ::access(target.c_str(), W_OK) != 0) return nullptr;
    // A device or a pipe is not a file to put another in the place of.
    if (!S_ISREG(info.st_mode)) return doOpenWrite(target);
    mode = info.st_mode & 0777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  size_t slash = target.rfind('/');
  std::string directory = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  removeStaleTemporaries(directory, name);
  // Cut so that the temporary's name stays within the host's name limit
  // wherever the target's does.
  std::string temporary =
      directory + temporaryPrefix(name) + std::to_string(::getpid()) + ".XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return nullptr;
  ::fchmod(fd, mode);
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return nullptr;
  }
  return std::make_unique<ReplacingOutputFile>(file, std::move(temporary), std::move(target),
                                               [this] { listings_->forget(); });
}

bool RealFileSystem::doSameFile(const std::string& a, const std::string& b) {
  struct stat infoA;
  struct stat infoB;
  return ::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0 &&
         infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

bool RealFileSystem::doExists(const std::string& hostPath) {
  std::string reason;
  return doPresence(hostPath, reason) == Presence::kPresent;
}

FileSystem::Presence RealFileSystem::doPresence(const std::string& hostPath, std::string& reason) {
  int listed = listings_->lookup(hostPath);
  if (listed >= 0) return listed == 1 ? Presence::kPresent : Presence::kMissing;
  struct stat info;
  if (::stat(hostPath.c_str(), &info) == 0) return Presence::kPresent;
  if (errno == ENOENT || errno == ENOTDIR) return Presence::kMissing;
  reason = std::strerror(errno);
  return Presence::kUnknown;
}

bool RealFileSystem::doRemove(const std::string& hostPath) {
  listings_->forget();
  return std::remove(hostPath.c_str()) == 0;
}

void prepareHeap() {
#if defined(__GLIBC__)
  ::mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

void returnFreedMemory() {
#if defined(__GLIBC__)
  ::malloc_trim(0);
#endif
}

uint64_t SystemClock::now() {
  // 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
  constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
  auto since1970 = std::chrono::system_clock::now().time_since_epoch();
  auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100;
  return kUnixEpochAsFileTime + static_cast<uint64_t>(ticks);
}

void StdConsole::out(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) noteOutFailure();
}

// A reader that went away (a pipe into head) took what it wanted: that is
// no failure of the output. Anything else (a full device, an I/O error) is.
void StdConsole::noteOutFailure() {
  if (errno != EPIPE) outFailed_ = true;
}

bool StdConsole::closeOut() {
  errno = 0;
  if (std::fflush(stdout) != 0) noteOutFailure();
  errno = 0;
  if (std::fclose(stdout) != 0) noteOutFailure();
  return !outFailed_;
}

void StdConsole::err(std::string_view text) {
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

std::optional<std::string> ProcessEnvironment::variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::string ProcessEnvironment::workingDirectory() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

}  // namespace korvane
