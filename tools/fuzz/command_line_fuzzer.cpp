// Target 4: the command lines of both programs. The bytes, split at each zero
// byte, are the arguments of a compile of a small valid description with its
// images at hand, and of korvane-dump's command line. Whatever the
// arguments, the run ends with one of the four exit codes; a refused command
// line ends with exit code 1 and says why when it names a reason; a run that
// succeeds has written its dependency file, when asked for, with its last
// line end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/compile_run.h"
#include "inspect/dump_command.h"
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
  using namespace korvane;
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size && args.size() < 64; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  std::vector<const char*> argv = {"korvane"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  int argc = static_cast<int>(argv.size());

  CompileOptions options;
  bool complete = parseCommandLine(argc, argv.data(), options);
  std::unique_ptr<MemoryPlatform> platform = fuzz::makePlatform();
  platform->fs.addFile(fuzz::kDescriptionFile, kDescription);
  platform->environment.directory = "/fuzz";
  int code = fuzz::compile(*platform, args);
  if (code < kExitSuccess || code > kExitInvalidExtensionList) {
    fuzz::fail("exit code outside 0 to 3", *platform);
  }
  if (complete && !options.error.empty()) fuzz::fail("accepted with an error", *platform);
  if (!options.error.empty() && options.request == CompileOptions::Request::kCompile) {
    if (code != kExitUsage) fuzz::fail("refused command line without exit code 1", *platform);
    if (platform->console.stderrText.find(options.error) == std::string::npos) {
      fuzz::fail("refused command line without its reason", *platform);
    }
  }
  bool reportFormat = options.diagnosticsFormat == CompileOptions::DiagnosticsFormat::kReport;
  if (code == kExitErrors && reportFormat &&
      platform->console.stderrText.find("An exception occured") == std::string::npos) {
    fuzz::fail("exit code 2 without an error report", *platform);
  }
  for (const auto& [path, content] : platform->fs.files) {
    if (path.size() > 2 && path.compare(path.size() - 2, 2, ".d") == 0 && !content.empty() &&
        content.back() != '\n') {
      fuzz::fail("a dependency file without its last line end", *platform);
    }
  }

  DumpCommand command;
  std::string error;
  argv[0] = "korvane-dump";
  if (!parseDumpCommandLine(argc, argv.data(), command, error) && error.empty()) {
    fuzz::fail("korvane-dump refused a command line without a reason", *platform);
  }
  return 0;
}
