#include "model/probed_files.h"

#include <functional>

#include "base/platform.h"

namespace korvane {

void ProbedFiles::add(std::string_view path) {
  std::string host = hostPath(path);
  auto record = static_cast<uint32_t>(paths_.size());
  uint32_t found = index_.findOrInsert(
      std::hash<std::string>()(host), [&](uint32_t r) { return paths_[r] == host; }, record);
  if (found == RecordIndex::kNone) paths_.push_back(std::move(host));
}

}  // namespace korvane
