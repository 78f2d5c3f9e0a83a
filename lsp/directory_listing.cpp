#include "lsp/directory_listing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/memory_platform.h"

namespace korvane::lsp {

std::vector<std::string> RealDirectoryListing::files(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(directory.empty() ? "." : directory, error);
  constexpr size_t kMaxFiles = 10000;
  for (; !error && it != std::filesystem::directory_iterator() && names.size() < kMaxFiles;
       it.increment(error)) {
    std::error_code kindError;
    if (it->is_regular_file(kindError)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> MemoryDirectoryListing::files(const std::string& directory) {
  std::string prefix = MemoryFileSystem::key(directory);
  if (!prefix.empty() && prefix != "." && prefix.back() != '/') prefix.push_back('/');
  if (prefix == ".") prefix.clear();
  std::vector<std::string> names;
  for (const auto& [path, content] : fs_.files) {
    if (path.compare(0, prefix.size(), prefix) != 0) continue;
    std::string rest = path.substr(prefix.size());
    if (!rest.empty() && rest.find('/') == std::string::npos) names.push_back(rest);
  }
  return names;
}

}  // namespace korvane::lsp
