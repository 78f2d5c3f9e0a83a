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
bool FileSystem::exists(std::string_view path) {
  return doExists(hostPath(path));
}
bool FileSystem::remove(std::string_view path) {
  return doRemove(hostPath(path));
}

}  // namespace korvane
