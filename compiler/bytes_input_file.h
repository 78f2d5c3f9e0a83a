// The description of a compilation held in memory, read as a file.
#ifndef KORVANE_COMPILER_BYTES_INPUT_FILE_H
#define KORVANE_COMPILER_BYTES_INPUT_FILE_H

#include <cstdint>
#include <string_view>

#include "base/platform.h"

namespace korvane {

// A file read from bytes in memory (borrowed: they must outlive it).
class BytesInputFile : public InputFile {
 public:
  explicit BytesInputFile(std::string_view bytes) : bytes_(bytes) {}
  size_t read(void* buffer, size_t size) override;
  bool rewind() override {
    at_ = 0;
    return true;
  }
  int64_t size() override { return static_cast<int64_t>(bytes_.size()); }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

}  // namespace korvane

#endif
