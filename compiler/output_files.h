// The file systems compile() runs a compilation on besides the caller's:
// outputs kept in memory (the result's bytes) or dropped (a check only), and
// a file system whose relative paths start from a base directory.
#ifndef KORVANE_COMPILER_OUTPUT_FILES_H
#define KORVANE_COMPILER_OUTPUT_FILES_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/platform.h"

namespace korvane {

// Reads and questions go to `inner`; files written are kept here by host
// path (or dropped, when nothing is kept), never touching `inner`.
class KeptOutputFileSystem : public FileSystem {
 public:
  KeptOutputFileSystem(FileSystem& inner, bool keep) : inner_(inner), keep_(keep) {}

  // The bytes written to `path` (as the writer named it), empty when none.
  std::string take(std::string_view path);

 protected:
  std::unique_ptr<InputFile> doOpenRead(const std::string& hostPath) override;
  std::unique_ptr<OutputFile> doOpenWrite(const std::string& hostPath) override;
  std::unique_ptr<OutputFile> doOpenReplace(const std::string& hostPath) override;
  bool doExists(const std::string& hostPath) override;
  Presence doPresence(const std::string& hostPath, std::string& reason) override;
  bool doRemove(const std::string& hostPath) override;
  bool doSameFile(const std::string& hostA, const std::string& hostB) override;
  std::vector<std::string> doListFiles(const std::string& hostPath) override;

 private:
  FileSystem& inner_;
  bool keep_;
  std::map<std::string, std::string> files_;
};

// Every relative path is taken from `base` (a directory of `inner`).
class RootedFileSystem : public FileSystem {
 public:
  RootedFileSystem(FileSystem& inner, std::string base);

 protected:
  std::unique_ptr<InputFile> doOpenRead(const std::string& hostPath) override;
  std::unique_ptr<OutputFile> doOpenWrite(const std::string& hostPath) override;
  std::unique_ptr<OutputFile> doOpenReplace(const std::string& hostPath) override;
  bool doExists(const std::string& hostPath) override;
  Presence doPresence(const std::string& hostPath, std::string& reason) override;
  bool doRemove(const std::string& hostPath) override;
  bool doSameFile(const std::string& hostA, const std::string& hostB) override;
  std::vector<std::string> doListFiles(const std::string& hostPath) override;

 private:
  std::string rooted(const std::string& hostPath) const;

  FileSystem& inner_;
  std::string base_;
};

}  // namespace korvane

#endif
