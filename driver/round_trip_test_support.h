// Test support for the decompiler's promise: a successful compile's SKN file,
// decompiled and compiled again with the same skin name, options and image
// files, gives the same SKN file but for its time stamp, and with the
// generation list the same list. The driver tests check it after every
// in-memory compile that succeeds, the fuzz target after every one it makes.
#ifndef KORVANE_DRIVER_ROUND_TRIP_TEST_SUPPORT_H
#define KORVANE_DRIVER_ROUND_TRIP_TEST_SUPPORT_H

#include <algorithm>
#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "driver/command_line.h"
#include "driver/compile_run.h"
#include "inspect/generation_list.h"
#include "inspect/item_names.h"
#include "inspect/skn_decompiler.h"
#include "inspect/skn_reader.h"
#include "source/item_id_registry.h"

namespace korvane::testing {

// The time stamp: the first 8 payload bytes of the skin information chunk,
// which follows the 42-byte SKN header.
constexpr size_t kTimeStampStart = 50;
constexpr size_t kTimeStampEnd = 58;

// The first byte at which two SKN files differ, their time stamps aside (the
// shorter one's size where it is the start of the other); npos when they are
// the same.
inline size_t firstSknDifference(const std::string& a, const std::string& b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t at = 0; at < common; ++at) {
    if (a[at] != b[at] && (at < kTimeStampStart || at >= kTimeStampEnd)) return at;
  }
  return a.size() == b.size() ? std::string::npos : common;
}

// The description the round trip writes beside the compile's files.
inline const char* const kDecompiledFile = "korvane_decompiled.txt";

struct RoundTrip {
  std::string problem;      // empty when the round trip holds
  std::string description;  // the decompiled description
};

// `compiled` is the platform after a compile run with `args` (without the
// program name) that succeeded. With `withList` the decompiler gets the
// run's generation list, and the list must come out the same too; without
// it, the placeholder image files it names are created for the second
// compile.
inline RoundTrip checkRoundTrip(const MemoryPlatform& compiled,
                                const std::vector<std::string>& args, bool withList) {
  RoundTrip result;
  std::vector<const char*> argv{"korvane"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  CompileOptions options;
  bool parsed = parseCommandLine(static_cast<int>(argv.size()), argv.data(), options);
  // --help and --version succeed without compiling anything.
  if (options.request != CompileOptions::Request::kCompile) return result;
  if (!parsed) {
    result.problem = "the command line of the compile does not parse";
    return result;
  }
  const MemoryFileSystem& fs = compiled.fs;
  std::string skn = hostPath(options.targetPath + options.skinName + ".skn");
  std::string list = hostPath(options.listPath + options.skinName + "_MIFList.txt");
  if (!fs.has(list)) list = hostPath(options.listPath + options.skinName + "_MBMList.txt");
  if (!fs.has(skn) || !fs.has(list)) {
    result.problem = "the compile left no SKN file or no generation list";
    return result;
  }

  // The names of the registry the compile used.
  MemoryPlatform lookup;
  lookup.fs = fs;
  ItemIdRegistry registry;
  try {
    ConsoleDiagnostics sink(lookup.console);
    loadItemIds(registry, lookup.fs, sink, options.extensionListFile);
  } catch (...) {
    result.problem = "the extension list of the compile does not load";
    return result;
  }
  ItemNames names(registry);
  GenerationList generationList;
  std::string error;
  if (!parseGenerationList(fs.content(list), generationList, error)) {
    result.problem = "the generation list does not read back: " + error;
    return result;
  }
  SknDecodeResult decoded = decodeSkn(fs.content(skn));
  if (!decoded.ok) {
    result.problem = "the SKN file does not decode: " + decoded.error.describe();
    return result;
  }
  DecompileOptions decompileOptions;
  decompileOptions.names = &names;
  decompileOptions.list = withList ? &generationList : nullptr;
  DecompileResult decompiled = decompileSkn(decoded.root, decompileOptions);
  if (!decompiled.ok) {
    result.problem = "the decompiler refuses the SKN file: " + decompiled.error;
    return result;
  }
  result.description = decompiled.description;

  // The same files, the outputs of the first compile aside, and the same
  // clock; the description in place of the source.
  MemoryPlatform again;
  again.fs.files = fs.files;
  again.fs.directories = fs.directories;
  again.clock.value = compiled.clock.value;
  std::string firstSkn = fs.content(skn);
  std::string firstList = fs.content(list);
  again.fs.files.erase(skn);
  again.fs.files.erase(list);
  again.fs.addFile(kDecompiledFile, decompiled.description);
  std::vector<std::string> madeUp = decompiled.maskFiles;
  if (!withList) {
    madeUp.insert(madeUp.end(), decompiled.imageFiles.begin(), decompiled.imageFiles.end());
  }
  for (const std::string& image : madeUp) {
    std::string path = hostPath(image);
    if (!again.fs.has(path)) again.fs.addFile(path, "");
  }
  std::vector<std::string> againArgs;
  bool replaced = false;
  for (const std::string& arg : args) {
    bool input = !replaced && arg == options.inputFile;
    againArgs.push_back(input ? std::string(kDecompiledFile) : arg);
    replaced = replaced || input;
  }
  std::vector<const char*> againArgv{"korvane"};
  for (const std::string& arg : againArgs) againArgv.push_back(arg.c_str());
  Platform platform = again.platform();
  int code = runCompile(static_cast<int>(againArgv.size()), againArgv.data(), platform);
  if (code != kExitSuccess) {
    result.problem = "the decompiled description does not compile:\n" + again.console.both;
    return result;
  }
  if (!again.fs.has(skn) || !again.fs.has(list)) {
    result.problem = "the second compile left no SKN file or no generation list";
    return result;
  }
  std::string secondSkn = again.fs.content(skn);
  size_t at = firstSknDifference(firstSkn, secondSkn);
  if (at != std::string::npos) {
    result.problem = "the SKN files differ (sizes " + std::to_string(firstSkn.size()) + " and " +
                     std::to_string(secondSkn.size()) + ", first at byte " + std::to_string(at) +
                     ")";
  } else if (withList && again.fs.content(list) != firstList) {
    result.problem =
        "the generation lists differ:\n" + firstList + "---\n" + again.fs.content(list);
  }
  return result;
}

}  // namespace korvane::testing

#endif
