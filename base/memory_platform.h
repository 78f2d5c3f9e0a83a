// In-memory file system, clock, console and environment for tests, benchmarks
// and fuzzing.
// The file system can be told to fail any open, write, close or rewind.
#ifndef KORVANE_BASE_MEMORY_PLATFORM_H
#define KORVANE_BASE_MEMORY_PLATFORM_H

#include <map>
#include <set>
#include <string>

#include "base/platform.h"

namespace korvane {

class MemoryFileSystem : public FileSystem {
 public:
  // Files by host path ("/" separators, without a leading "./"). Files opened
  // with openWrite appear here as they are written, so a failed run leaves
  // what a disk would hold; those opened with openReplace change only when
  // closed successfully.
  std::map<std::string, std::string> files;
  // Paths that name another file (a link): alias -> the path it names.
  // sameFile follows them; nothing else does.
  std::map<std::string, std::string> aliases;
  // Host paths that exist as directories.
  std::set<std::string> directories;

  // Files read as from a device: their size is unknown and a read gives at
  // most kStreamPiece bytes.
  std::set<std::string> streams;
  static constexpr size_t kStreamPiece = 7;

  // Fault injection, by host path (the target's path for openReplace).
  std::set<std::string> failOpenRead;
  std::set<std::string> failOpenWrite;
  std::set<std::string> failRewind;
  std::set<std::string> failClose;
  // A write that would take the file beyond this many bytes fails (nothing of it is stored).
  std::map<std::string, size_t> failWriteBeyond;

  void addFile(const std::string& path, std::string content) {
    files[key(path)] = std::move(content);
  }
  bool has(const std::string& path) const { return files.count(key(path)) != 0; }
  const std::string& content(const std::string& path) const { return files.at(key(path)); }

  // The map key of a host path: leading "./" parts removed.
  static std::string key(const std::string& path);
  // The path with "." parts, repeated slashes and "dir/.." pairs taken out.
  static std::string normalised(const std::string& path);

 protected:
  std::unique_ptr<InputFile> doOpenRead(const std::string& hostPath) override;
  std::unique_ptr<OutputFile> doOpenWrite(const std::string& hostPath) override;
  std::unique_ptr<OutputFile> doOpenReplace(const std::string& hostPath) override;
  bool doExists(const std::string& hostPath) override;
  bool doRemove(const std::string& hostPath) override;
  bool doSameFile(const std::string& hostA, const std::string& hostB) override;
  std::vector<std::string> doListFiles(const std::string& hostPath) override;

 private:
  bool canCreate(const std::string& key) const;
  // The file a path names after its aliases, or empty when there is none.
  std::string fileOf(const std::string& hostPath) const;
};

class MemoryConsole : public Console {
 public:
  void out(std::string_view text) override {
    stdoutText.append(text);
    both.append(text);
  }
  void err(std::string_view text) override {
    stderrText.append(text);
    both.append(text);
  }
  std::string stdoutText;
  std::string stderrText;
  std::string both;  // both streams interleaved in writing order
};

class MemoryEnvironment : public Environment {
 public:
  std::optional<std::string> variable(const std::string& name) override {
    auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  }
  std::string workingDirectory() override { return directory; }
  std::map<std::string, std::string> variables;
  std::string directory = "/work";
};

// The four together, for tests that drive a whole compile.
struct MemoryPlatform {
  MemoryFileSystem fs;
  FixedClock clock;
  MemoryConsole console;
  MemoryEnvironment environment;
  Platform platform() { return Platform{fs, clock, console, environment}; }
};

}  // namespace korvane

#endif
