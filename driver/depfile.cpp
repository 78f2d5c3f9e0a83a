#include "driver/depfile.h"

#include "compiler/input_guard.h"

#include <memory>
#include <unordered_set>

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
  if (path == ".") return std::string(directory);
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

std::string parentDirectory(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  std::string_view parent = path.substr(0, slash);
  while (parent.size() > 1 && parent.back() == '/') parent.remove_suffix(1);
  return parent.empty() ? "/" : std::string(parent);
}

namespace {

// A directory in one spelling for comparisons: absolute when the working
// directory is known, without "." parts, doubled or trailing slashes.
std::string directoryKey(std::string_view workingDirectory, std::string_view path) {
  std::string joined =
      workingDirectory.empty() ? std::string(path) : absolutePath(workingDirectory, path);
  std::string key;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    std::string_view part = std::string_view(joined).substr(start, end - start);
    if (start == 0 && part.empty()) {
      key = "/";
    } else if (!part.empty() && part != ".") {
      if (!key.empty() && key.back() != '/') key.push_back('/');
      key += part;
    }
    start = end + 1;
  }
  return key.empty() ? "." : key;
}

bool existsOrIsHere(FileSystem& fs, const std::string& path) {
  return path == "." || path == "/" || fs.exists(path);
}

}  // namespace

std::vector<std::string> watchedPrerequisites(FileSystem& fs,
                                              const std::vector<std::string>& probed,
                                              const std::vector<std::string>& writtenDirectories,
                                              std::string_view workingDirectory) {
  std::vector<std::string> written;
  written.reserve(writtenDirectories.size());
  for (const std::string& directory : writtenDirectories) {
    written.push_back(directoryKey(workingDirectory, directory));
  }
  // Probed paths come once each; many missing files may share a directory.
  std::vector<std::string> watched;
  std::unordered_set<std::string> watchedDirectories;
  for (const std::string& path : probed) {
    if (existsOrIsHere(fs, path)) {
      watched.push_back(path);
      continue;
    }
    std::string directory = parentDirectory(path);
    while (!existsOrIsHere(fs, directory)) directory = parentDirectory(directory);
    std::string key = directoryKey(workingDirectory, directory);
    bool isWritten = false;
    for (const std::string& w : written) isWritten = isWritten || w == key;
    if (!isWritten && watchedDirectories.insert(std::move(key)).second) {
      watched.push_back(std::move(directory));
    }
  }
  return watched;
}

void writeDependencyFile(const CompileOptions& options, Platform& platform,
                         const std::vector<std::string>& outputs, const ProbedFiles& probed) {
  std::vector<std::string> targets;
  std::vector<std::string> writtenDirectories;
  for (const std::string& name : outputs) {
    if (name.empty()) continue;
    targets.push_back(hostPath(name));
    writtenDirectories.push_back(parentDirectory(targets.back()));
  }
  writtenDirectories.push_back(parentDirectory(hostPath(options.depfile)));
  std::string workingDirectory = platform.environment.workingDirectory();
  std::vector<std::string> prerequisites =
      watchedPrerequisites(platform.fs, probed.paths(), writtenDirectories, workingDirectory);
  if (options.depfileAbsolute) {
    if (workingDirectory.empty()) {
      throw CKrvException(kErrorFileOpen,
                          "Working directory unknown, dependency file paths can not be made "
                          "absolute");
    }
    for (std::string& path : targets) path = absolutePath(workingDirectory, path);
    for (std::string& path : prerequisites) path = absolutePath(workingDirectory, path);
  }
  // A build tool may name the outputs otherwise (Ninja: relative to its build directory).
  if (!options.depfileTargets.empty()) targets = options.depfileTargets;
  writeDepfile(platform.fs, options.depfile, composeDepfile(targets, prerequisites));
}

void refuseDepfileClashes(FileSystem& fs, const std::string& depfile, const OutputNames& names,
                          const CompileRequest& request) {
  if (depfile.empty()) return;
  refuseOutputsOverInputs(fs, {&depfile},
                          request.readSourceFile ? request.sourceName : std::string(),
                          request.extensionListFile);
  refuseDepfileOverOutputs(fs, depfile,
                           {{&names.list, "the MBM/MIF list"},
                            {&names.skn, "the SKN file"},
                            {&names.pkg, "the PKG file"},
                            {&names.drm, "the DRM definition file"}});
}

}  // namespace korvane
