// Target 3: the SKN decoder of the inspector on the fuzzer's bytes, and the
// text and JSON renderings of every tree it accepts. (Files the compiler
// writes are decoded by the compile target, which requires them to decode.)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "inspect/skn_dump.h"
#include "inspect/skn_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  SknDecodeResult result = decodeSkn(data, size);
  if (!result.ok) {
    if (result.error.message.empty() || result.error.offset > size) {
      std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n", result.error.describe().c_str());
      std::abort();
    }
    return 0;
  }
  SknDumpOptions noTime;
  noTime.showTime = false;
  std::string text = renderSknText(result.root);
  std::string json = renderSknJson(result.root, noTime);
  if (text.empty() || json.empty()) std::abort();
  return 0;
}
