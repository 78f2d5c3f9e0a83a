// The whole compile of a generated skin (1 000, 10 000 and 100 000 items)
// against the in-memory file system: registry and extension list, parsing,
// generation list, SKN and PKG files, with the console report kept in memory.
// The complexity fit and a flat time per item show that the run stays linear.
#include <benchmark/benchmark.h>

#include <string>

#include "base/memory_platform.h"
#include "driver/compile_run.h"
#include "tools/bench/description_generator.h"

namespace korvane {
namespace {

void BM_CompileSkin(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  MemoryPlatform memory;
  {
    GeneratedSkin skin = generateBenchSkin(n);
    memory.fs.addFile(kBenchDescriptionFile, std::move(skin.description));
    memory.fs.addFile(kBenchExtensionListFile, std::move(skin.extensionList));
    for (const std::string& file : skin.imageFiles) {
      memory.fs.addFile(std::string(kBenchImageDirectory) + "/" + file, "");
    }
  }
  const std::string extensionOption = std::string("-i") + kBenchExtensionListFile;
  const char* argv[] = {"korvane", extensionOption.c_str(), kBenchDescriptionFile, kBenchSkinName};
  Platform platform = memory.platform();
  size_t reportBytes = 0;
  for (auto _ : state) {
    memory.console.stdoutText.clear();
    memory.console.stderrText.clear();
    memory.console.both.clear();
    if (runCompile(4, argv, platform) != kExitSuccess) {
      state.SkipWithError(("the generated skin does not compile:\n" + memory.console.both).c_str());
      break;
    }
    reportBytes = memory.console.stdoutText.size();
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  // Seconds per item (the counter is inverted from items per second).
  state.counters["per_item"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
  state.counters["report_bytes"] = static_cast<double>(reportBytes);
  const std::string skn = std::string(kBenchSkinName) + ".skn";
  if (memory.fs.has(skn))
    state.counters["skn_bytes"] = static_cast<double>(memory.fs.content(skn).size());
}
BENCHMARK(BM_CompileSkin)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->MinTime(2.0)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
