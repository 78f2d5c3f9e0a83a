// The platform the compiler runs on: the file system, the clock, the two
// standard streams and the process environment. Each has one real
// implementation (real_platform.h) and one in memory for tests
// (memory_platform.h); nothing else touches the host.
#ifndef KORVANE_BASE_PLATFORM_H
#define KORVANE_BASE_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// A file opened for reading in byte mode.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `size` bytes; returns how many were read (0 at the end or on error).
  virtual size_t read(void* buffer, size_t size) = 0;
  // Seeks back to the first byte; false when that fails.
  virtual bool rewind() = 0;
  // The file's size in bytes when known, else -1; readers size their buffers by it.
  virtual int64_t size() { return -1; }
  // True when a read failed for another reason than the end of the file
  // (a directory, an I/O error).
  virtual bool readFailed() const { return false; }
  // The system's reason for the failed read ("Input/output error"), or a
  // general one when the host gave none.
  virtual std::string readFailure() const { return "read error"; }
};

// A file created or truncated for writing. Text outputs write their CR LF
// line ends themselves, so every file is written as bytes.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool write(const void* data, size_t size) = 0;
  bool write(std::string_view text) { return write(text.data(), text.size()); }
  // Flushes and closes; false when anything failed. Called at most once.
  virtual bool close() = 0;
};

// The build host is POSIX: every path handed to the file system has its
// backslashes used as "/" (hostPath). Callers keep their texts as composed.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  std::unique_ptr<InputFile> openRead(std::string_view path);
  // Creates or truncates the file at once.
  std::unique_ptr<OutputFile> openWrite(std::string_view path);
  // Replaces the file only when it is complete. The bytes go to a temporary
  // file beside the target; a successful close() puts it in the target's
  // place in one step, so a reader (or make) sees the previous file or the
  // whole new one, never a part. A failed write or close, or destroying the
  // file without closing it, removes the temporary and leaves the target as
  // it was. Fails (null) where openWrite would: a missing directory, a
  // directory or a read-only file as the target.
  std::unique_ptr<OutputFile> openReplace(std::string_view path);
  // True when the path names an existing file or directory. A path holding
  // a 0 byte names no file.
  bool exists(std::string_view path);
  // Whether the path names an existing file or directory, telling "there is
  // none" (no such file, or a part of the path that is no directory) from
  // "the host could not tell" (an I/O error, a directory that may not be
  // searched); for the latter `reason` gets the system's reason.
  enum class Presence { kPresent, kMissing, kUnknown };
  Presence presence(std::string_view path, std::string& reason);
  bool remove(std::string_view path);
  // True when both paths name one existing file (for example a file and a
  // link to it); false when either does not exist.
  bool sameFile(std::string_view a, std::string_view b);
  // The names of the files in a directory ("" is the working one), in no
  // particular order; empty when it cannot be listed. For suggestions only.
  std::vector<std::string> listFiles(std::string_view directory);

 protected:
  virtual std::unique_ptr<InputFile> doOpenRead(const std::string& hostPath) = 0;
  virtual std::unique_ptr<OutputFile> doOpenWrite(const std::string& hostPath) = 0;
  virtual std::unique_ptr<OutputFile> doOpenReplace(const std::string& hostPath) = 0;
  virtual bool doExists(const std::string& hostPath) = 0;
  // By default a file system that cannot fail a question answers from doExists.
  virtual Presence doPresence(const std::string& hostPath, std::string& reason);
  virtual bool doRemove(const std::string& hostPath) = 0;
  virtual bool doSameFile(const std::string& hostA, const std::string& hostB) = 0;
  virtual std::vector<std::string> doListFiles(const std::string&) { return {}; }
};

std::string hostPath(std::string_view path);
// A host path with "." parts, repeated slashes and "dir/.." pairs taken out
// ("a/./b//c/../d" is "a/b/d"); a ".." that climbs above a relative start stays.
std::string lexicallyNormal(std::string_view path);

// UTC time as 100-nanosecond intervals since 1601-01-01 00:00 UTC.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint64_t now() = 0;
};

// A clock that always tells the same time: a fixed "now" for reproducible
// builds, and the clock of tests.
class FixedClock : public Clock {
 public:
  explicit FixedClock(uint64_t value = 0) : value(value) {}
  uint64_t now() override { return value; }
  uint64_t value;
};

class Console {
 public:
  virtual ~Console() = default;
  virtual void out(std::string_view text) = 0;
  virtual void err(std::string_view text) = 0;
  // Flushes and closes standard output; false when a write to it or the
  // close failed. Nothing is written to it afterwards. Programs whose output
  // is their product (a dump) call it; the compiler's report stays unchecked.
  virtual bool closeOut() { return true; }
};

// A console that drops everything: for reports nobody reads.
class NullConsole : public Console {
 public:
  void out(std::string_view) override {}
  void err(std::string_view) override {}
};

// What the process was started with besides its arguments: the environment
// variables of the build conventions the compiler follows, and the working
// directory that relative paths start from.
class Environment {
 public:
  virtual ~Environment() = default;
  // The variable's value, or nothing when it is not set.
  virtual std::optional<std::string> variable(const std::string& name) = 0;
  // The working directory as an absolute host path; empty when unknown.
  virtual std::string workingDirectory() = 0;
};

// An environment without variables or working directory, for platforms that
// name none.
Environment& emptyEnvironment();

struct Platform {
  FileSystem& fs;
  Clock& clock;
  Console& console;
  Environment& environment = emptyEnvironment();
};

}  // namespace korvane

#endif
