// The files a compile looked for, for a dependency file: each path once, in
// the order first asked about, as the host's file system was asked
// (backslashes used as "/").
#ifndef KORVANE_MODEL_PROBED_FILES_H
#define KORVANE_MODEL_PROBED_FILES_H

#include <string>
#include <string_view>
#include <vector>

#include "base/record_index.h"

namespace korvane {

class ProbedFiles {
 public:
  // Adds the host form of `path` unless it is there already.
  void add(std::string_view path);
  const std::vector<std::string>& paths() const { return paths_; }

 private:
  std::vector<std::string> paths_;
  RecordIndex index_;
};

}  // namespace korvane

#endif
