// Target 1: a whole compile of one description made of the fuzzer's bytes,
// once read as 8-bit text and once, behind the byte-order mark, as UTF-16.
// The two runs differ in their options too: an odd-sized input uses the
// extension list in the 8-bit run, an even-sized one in the UTF-16 run; the
// UTF-16 run writes to an output directory in DRM mode.
//
// A third run reads the bytes widened to UTF-16 units with the 8-bit run's
// options: the reader delivers 8-bit characters unchanged, so both runs must
// print the same report and write the same files. A fourth reads the same
// characters as UTF-8 behind its byte-order mark and must match them too.
// An even-sized input is also compiled with each diagnostic format, which
// must end as the report does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/text.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane::fuzz;
  std::string description(reinterpret_cast<const char*>(data), size);
  bool odd = size % 2 == 1;
  CompileResult eightBit = compileAndCheck(description, odd, false);
  if (!odd) checkDiagnosticFormats(description, eightBit.code);
  compileAndCheck("\xFF\xFE" + description, !odd, true);

  // Shorter texts fail the 8-bit run's encoding test; marked ones are UTF-16
  // or UTF-8 already.
  bool marked = (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) ||
                (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF);
  if (size >= 2 && !marked) {
    std::string widened = "\xFF\xFE";
    for (char c : description) {
      widened.push_back(c);
      widened.push_back('\0');
    }
    CompileResult wide = compileAndCheck(widened, odd, false);
    requireSameRuns(eightBit, wide, "8-bit and widened UTF-16 runs differ");
    CompileResult fromUtf8 = compileAndCheck(
        "\xEF\xBB\xBF" + korvane::toUtf8(korvane::widenCopy(description)), odd, false);
    requireSameRuns(eightBit, fromUtf8, "8-bit and UTF-8 runs differ");
  }
  return 0;
}
