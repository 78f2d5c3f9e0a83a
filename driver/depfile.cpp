#include "driver/depfile.h"

#include <memory>

#include "base/error.h"

namespace korvane {

namespace {

// A path in a message: line ends as the description's escapes write them.
std::string shownPath(std::string_view path) {
  std::string shown;
  for (char c : path) {
    if (c == '\n') {
      shown += "<10>";
    } else if (c == '\r') {
      shown += "<13>";
    } else {
      shown.push_back(c);
    }
  }
  return shown;
}

}  // namespace

std::string escapeForMake(std::string_view path) {
  std::string escaped;
  escaped.reserve(path.size() + 8);
  for (char c : path) {
    switch (c) {
      case ' ':
      case '\t':
      case '#':
        escaped.push_back('\\');
        escaped.push_back(c);
        break;
      case '$':
        escaped += "$$";
        break;
      case '\n':
      case '\r':
        throw CKrvException(kErrorFileOpen,
                            "A path with a line end can not be named in the "
                            "dependency file: " +
                                shownPath(path));
      default:
        escaped.push_back(c);
    }
  }
  return escaped;
}

std::string composeDepfile(const std::vector<std::string>& targets,
                           const std::vector<std::string>& prerequisites) {
  std::vector<std::string> escaped;
  escaped.reserve(prerequisites.size());
  for (const std::string& path : prerequisites) escaped.push_back(escapeForMake(path));
  std::string text;
  for (size_t i = 0; i < targets.size(); ++i) {
    if (i > 0) text.push_back(' ');
    text += escapeForMake(targets[i]);
  }
  text.push_back(':');
  for (const std::string& path : escaped) text += " \\\n  " + path;
  text.push_back('\n');
  for (const std::string& path : escaped) text += "\n" + path + ":\n";
  return text;
}

std::string absolutePath(std::string_view directory, std::string_view path) {
  if (!path.empty() && path[0] == '/') return std::string(path);
#ifdef _WIN32
  // A drive's path ("C:/skins/a.bmp") is absolute already.
  if (path.size() >= 3 && path[1] == ':' && path[2] == '/') return std::string(path);
#endif
  while (path.substr(0, 2) == "./") path.remove_prefix(2);
  std::string joined(directory);
  if (joined.empty() || joined.back() != '/') joined.push_back('/');
  joined += path;
  return joined;
}

// Written through a temporary beside the target, so that a build tool never
// reads a half-written dependency file and an old one stays after a failure.
void writeDepfile(FileSystem& fs, const std::string& path, const std::string& text) {
  std::unique_ptr<OutputFile> file = fs.openReplace(path);
  if (file == nullptr) {
    throw CKrvException(kErrorFileOpen, "Can not open dependency file for writing");
  }
  bool written = file->write(text);
  written = file->close() && written;
  if (!written) throw CKrvException(kErrorFileOpen, "Dependency file can not be written");
}

void writeDependencyFile(const CompileOptions& options, Platform& platform,
                         const std::vector<std::string>& outputs, const ProbedFiles& probed) {
  std::vector<std::string> targets;
  for (const std::string& name : outputs) {
    if (!name.empty()) targets.push_back(hostPath(name));
  }
  std::vector<std::string> prerequisites = probed.paths();
  if (options.depfileAbsolute) {
    std::string directory = platform.environment.workingDirectory();
    if (directory.empty()) {
      throw CKrvException(kErrorFileOpen,
                          "Working directory unknown, dependency file paths can not be made "
                          "absolute");
    }
    for (std::string& path : targets) path = absolutePath(directory, path);
    for (std::string& path : prerequisites) path = absolutePath(directory, path);
  }
  writeDepfile(platform.fs, options.depfile, composeDepfile(targets, prerequisites));
}

}  // namespace korvane
