// Target 4: the command lines of both programs. The bytes are split at NUL
// into arguments; korvane parses and runs them on the in-memory platform
// (with a small description named skin.txt), korvane-dump parses them. A
// refused command line must end with exit code 1 and say why when it names
// a reason; no run may end in any other code than the specified ones.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "inspect/dump_command.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  std::vector<std::string> args;
  std::string current;
  for (size_t i = 0; i < size && args.size() < 32; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (args.size() < 32) args.push_back(current);

  std::vector<const char*> argv = {"korvane"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  int argc = static_cast<int>(argv.size());

  CompileOptions options;
  bool complete = parseCommandLine(argc, argv.data(), options);
  std::unique_ptr<MemoryPlatform> platform = fuzz::makePlatform();
  platform->fs.addFile("skin.txt", "SKINTYPE scalable\nNAME 1 \"Fuzz\"\nBAD\n");
  int code = fuzz::compile(*platform, args);
  if (code < 0 || code > 3) fuzz::fail("exit code outside 0 to 3", *platform);
  if (complete && !options.error.empty()) fuzz::fail("accepted with an error", *platform);
  if (!options.error.empty() && options.request == CompileOptions::Request::kCompile) {
    if (code != 1) fuzz::fail("refused command line without exit code 1", *platform);
    if (platform->console.stderrText.find(options.error) == std::string::npos) {
      fuzz::fail("refused command line without its reason", *platform);
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
