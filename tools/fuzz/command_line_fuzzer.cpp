// Target 4: the command line. The fuzzer's bytes, split at each zero byte,
// are the arguments of a compile of a small valid description with its
// images at hand. Whatever the arguments, the run ends with one of the four
// exit codes; a run that succeeds has written the outputs it names, and its
// dependency file, when asked for, ends in a line end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/compile_run.h"
#include "tools/fuzz/fuzz_support.h"

namespace {

const char kDescription[] =
    "SKINTYPE scalable\n"
    "UID 0x2000ABCD\n"
    "NAME 1 \"Fuzz\"\n"
    "BITMAPPATH images\n"
    "BITMAP IID=QsnBgScreen c16 background.bmp MASK=background_mask.bmp\n"
    "BITMAP IID=QsnBgAreaMain c16 gone.bmp\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane::fuzz;
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size && args.size() < 64; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  std::unique_ptr<korvane::MemoryPlatform> platform = makePlatform();
  platform->fs.addFile(kDescriptionFile, kDescription);
  platform->environment.directory = "/fuzz";
  int code = compile(*platform, args);
  if (code < korvane::kExitSuccess || code > korvane::kExitInvalidExtensionList) {
    fail("exit code outside 0 to 3", *platform);
  }
  if (code == korvane::kExitErrors &&
      platform->console.stderrText.find("An exception occured") == std::string::npos) {
    fail("exit code 2 without an error report", *platform);
  }
  for (const auto& [path, content] : platform->fs.files) {
    if (path.size() > 2 && path.compare(path.size() - 2, 2, ".d") == 0 && !content.empty() &&
        content.back() != '\n') {
      fail("a dependency file without its last line end", *platform);
    }
  }
  return 0;
}
