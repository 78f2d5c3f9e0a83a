#include "base/platform.h"

#include <vector>

namespace korvane {

std::string hostPath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

namespace {

// The host's calls end a name at its first 0 byte: such a name would open
// another, shorter one.
bool namesNoFile(std::string_view path) {
  return path.find('\0') != std::string_view::npos;
}

}  // namespace

std::unique_ptr<InputFile> FileSystem::openRead(std::string_view path) {
  if (namesNoFile(path)) return nullptr;
  return doOpenRead(hostPath(path));
}
std::unique_ptr<OutputFile> FileSystem::openWrite(std::string_view path) {
  if (namesNoFile(path)) return nullptr;
  return doOpenWrite(hostPath(path));
}
std::unique_ptr<OutputFile> FileSystem::openReplace(std::string_view path) {
  if (namesNoFile(path)) return nullptr;
  return doOpenReplace(hostPath(path));
}
bool FileSystem::sameFile(std::string_view a, std::string_view b) {
  if (namesNoFile(a) || namesNoFile(b)) return false;
  return doSameFile(hostPath(a), hostPath(b));
}
std::vector<std::string> FileSystem::listFiles(std::string_view directory) {
  std::string host = hostPath(directory);
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  return doListFiles(host.empty() ? std::string(".") : host);
}
bool FileSystem::exists(std::string_view path) {
  if (namesNoFile(path)) return false;
  // Asked once per image file: the host path is made in a buffer kept for
  // the next question.
  thread_local std::string host;
  host.assign(path);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return doExists(host);
}
FileSystem::Presence FileSystem::presence(std::string_view path, std::string& reason) {
  if (namesNoFile(path)) return Presence::kMissing;
  thread_local std::string host;
  host.assign(path);
  // Found with memchr: most paths hold one backslash or none.
  for (size_t at = host.find('\\'); at != std::string::npos; at = host.find('\\', at + 1)) {
    host[at] = '/';
  }
  return doPresence(host, reason);
}
FileSystem::Presence FileSystem::doPresence(const std::string& hostPath, std::string&) {
  return doExists(hostPath) ? Presence::kPresent : Presence::kMissing;
}
bool FileSystem::remove(std::string_view path) {
  if (namesNoFile(path)) return false;
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

std::string lexicallyNormal(std::string_view path) {
  bool absolute = !path.empty() && path[0] == '/';
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (!absolute) {
        parts.emplace_back(part);
      }
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    start = end + 1;
  }
  std::string out = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '/';
    out += parts[i];
  }
  return out;
}

}  // namespace korvane
