#include "compiler/output_files.h"

#include <algorithm>
#include <utility>

namespace korvane {

namespace {

// Appends to a kept text; a dropped file's text is null.
class KeptFile : public OutputFile {
 public:
  explicit KeptFile(std::string* text) : text_(text) {}
  bool write(const void* data, size_t size) override {
    if (text_ != nullptr) text_->append(static_cast<const char*>(data), size);
    return true;
  }
  bool close() override { return true; }

 private:
  std::string* text_;
};

}  // namespace

std::string KeptOutputFileSystem::take(std::string_view path) {
  auto found = files_.find(hostPath(path));
  if (found == files_.end()) return std::string();
  std::string bytes = std::move(found->second);
  files_.erase(found);
  return bytes;
}

std::unique_ptr<InputFile> KeptOutputFileSystem::doOpenRead(const std::string& hostPath) {
  return inner_.openRead(hostPath);
}

std::unique_ptr<OutputFile> KeptOutputFileSystem::doOpenWrite(const std::string& hostPath) {
  if (!keep_) return std::make_unique<KeptFile>(nullptr);
  std::string& text = files_[hostPath];
  text.clear();
  return std::make_unique<KeptFile>(&text);
}

std::unique_ptr<OutputFile> KeptOutputFileSystem::doOpenReplace(const std::string& hostPath) {
  return doOpenWrite(hostPath);
}

bool KeptOutputFileSystem::doExists(const std::string& hostPath) {
  return inner_.exists(hostPath);
}
FileSystem::Presence KeptOutputFileSystem::doPresence(const std::string& hostPath,
                                                      std::string& reason) {
  return inner_.presence(hostPath, reason);
}
std::vector<std::string> KeptOutputFileSystem::doListFiles(const std::string& hostPath) {
  return inner_.listFiles(hostPath);
}

bool KeptOutputFileSystem::doRemove(const std::string& hostPath) {
  return files_.erase(hostPath) != 0;
}

bool KeptOutputFileSystem::doSameFile(const std::string& hostA, const std::string& hostB) {
  return inner_.sameFile(hostA, hostB);
}

RootedFileSystem::RootedFileSystem(FileSystem& inner, std::string base)
    : inner_(inner), base_(hostPath(base)) {
  if (!base_.empty() && base_.back() != '/') base_.push_back('/');
}

std::string RootedFileSystem::rooted(const std::string& hostPath) const {
  if (hostPath.empty() || hostPath.front() == '/') return hostPath;
  return base_ + hostPath;
}

std::unique_ptr<InputFile> RootedFileSystem::doOpenRead(const std::string& hostPath) {
  return inner_.openRead(rooted(hostPath));
}
std::unique_ptr<OutputFile> RootedFileSystem::doOpenWrite(const std::string& hostPath) {
  return inner_.openWrite(rooted(hostPath));
}
std::unique_ptr<OutputFile> RootedFileSystem::doOpenReplace(const std::string& hostPath) {
  return inner_.openReplace(rooted(hostPath));
}
bool RootedFileSystem::doExists(const std::string& hostPath) {
  return inner_.exists(rooted(hostPath));
}
FileSystem::Presence RootedFileSystem::doPresence(const std::string& hostPath,
                                                  std::string& reason) {
  return inner_.presence(rooted(hostPath), reason);
}
bool RootedFileSystem::doRemove(const std::string& hostPath) {
  return inner_.remove(rooted(hostPath));
}
bool RootedFileSystem::doSameFile(const std::string& hostA, const std::string& hostB) {
  return inner_.sameFile(rooted(hostA), rooted(hostB));
}
std::vector<std::string> RootedFileSystem::doListFiles(const std::string& hostPath) {
  return inner_.listFiles(hostPath == "." ? base_ : rooted(hostPath));
}

}  // namespace korvane
