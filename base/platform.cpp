#include "base/platform.h"

namespace korvane {

std::string hostPath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

std::unique_ptr<InputFile> FileSystem::openRead(std::string_view path) {
  return doOpenRead(hostPath(path));
}
std::unique_ptr<OutputFile> FileSystem::openWrite(std::string_view path) {
  return doOpenWrite(hostPath(path));
}
std::unique_ptr<OutputFile> FileSystem::openReplace(std::string_view path) {
  return doOpenReplace(hostPath(path));
}
bool FileSystem::sameFile(std::string_view a, std::string_view b) {
  return doSameFile(hostPath(a), hostPath(b));
}
std::vector<std::string> FileSystem::listFiles(std::string_view directory) {
  std::string host = hostPath(directory);
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  return doListFiles(host.empty() ? std::string(".") : host);
}
bool FileSystem::exists(std::string_view path) {
  // Asked once per image file: the host path is made in a buffer kept for
  // the next question.
  thread_local std::string host;
  host.assign(path);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return doExists(host);
}
bool FileSystem::remove(std::string_view path) {
  return doRemove(hostPath(path));
}

Environment& emptyEnvironment() {
  class Empty : public Environment {
   public:
    std::optional<std::string> variable(const std::string&) override { return std::nullopt; }
    std::string workingDirectory() override { return std::string(); }
  };
  static Empty empty;
  return empty;
}

}  // namespace korvane
