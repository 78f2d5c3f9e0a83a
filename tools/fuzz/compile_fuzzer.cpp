// Target 1: a whole compile of one description made of the fuzzer's bytes,
// once read as 8-bit text and once, behind the byte-order mark, as UTF-16.
// The two runs differ in their options too: an odd-sized input uses the
// extension list in the 8-bit run, an even-sized one in the UTF-16 run; the
// UTF-16 run writes to an output directory in DRM mode.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane::fuzz;
  std::string description(reinterpret_cast<const char*>(data), size);
  bool odd = size % 2 == 1;
  compileAndCheck(description, odd, false);
  compileAndCheck("\xFF\xFE" + description, !odd, true);
  return 0;
}
