#include "compiler/bytes_input_file.h"

#include <algorithm>
#include <cstring>

namespace korvane {

size_t BytesInputFile::read(void* buffer, size_t size) {
  size_t n = std::min(size, bytes_.size() - at_);
  if (n > 0) std::memcpy(buffer, bytes_.data() + at_, n);
  at_ += n;
  return n;
}

}  // namespace korvane
