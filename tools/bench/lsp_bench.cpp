// korvane-lsp's answers for a generated skin of 1 000 items (and 10 000 to
// see the growth): a change of the buffer (outline and check-only compile,
// then the published diagnostics), completion of an item name, hover and the
// document symbols, each through the server's message handling. The editor
// needs each within 50 ms for the 1 000-item skin.
#include <benchmark/benchmark.h>

#include <string>

#include "base/memory_platform.h"
#include "korvane/compile.h"
#include "lsp/language_server.h"
#include "tools/bench/description_generator.h"

namespace korvane::lsp {
namespace {

constexpr const char* kUri = "file:///bench/BenchSkin.txt";

std::string message(const std::string& method, Json params, int id = 0) {
  Json m{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
  if (id != 0) m["id"] = id;
  return dumpJson(m);
}

struct Bench {
  explicit Bench(size_t items) {
    GeneratedSkin skin = generateBenchSkin(items);
    text = skin.description;
    fs.addFile(std::string("/bench/") + kBenchExtensionListFile, std::move(skin.extensionList));
    for (const std::string& file : skin.imageFiles) {
      fs.addFile(std::string("/bench/") + kBenchImageDirectory + "/" + file, "");
    }
    server.handle(
        message("initialize",
                Json{{"initializationOptions", {{"extensionList", kBenchExtensionListFile}}}}, 1));
    server.handle(message(
        "textDocument/didOpen",
        Json{{"textDocument",
              {{"uri", kUri}, {"languageId", "korvane"}, {"version", 1}, {"text", text}}}}));
    // A line in the middle that refers to an item.
    const DocumentState* state = server.document(kUri);
    const ItemDefinition& item = state->outline.items[state->outline.items.size() / 2];
    itemLine = item.line;
    itemColumn = item.nameColumn + 3;
  }

  Json at(int line, int character) {
    return Json{{"textDocument", {{"uri", kUri}}},
                {"position", {{"line", line}, {"character", character}}}};
  }

  MemoryFileSystem fs;
  MemoryDirectoryListing listing{fs};
  LanguageServer server{fs, listing, [](const CompileRequest& r) { return compile(r); }};
  std::string text;
  int itemLine = 0;
  int itemColumn = 0;
};

void BM_LspChange(benchmark::State& state) {
  Bench bench(static_cast<size_t>(state.range(0)));
  long long version = 2;
  for (auto _ : state) {
    std::string change =
        message("textDocument/didChange",
                Json{{"textDocument", {{"uri", kUri}, {"version", version++}}},
                     {"contentChanges", Json::array({Json{{"text", bench.text}}})}});
    benchmark::DoNotOptimize(bench.server.handle(change));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LspChange)->Arg(1000)->Arg(10000)->Complexity()->Unit(benchmark::kMillisecond);

void BM_LspRequest(benchmark::State& state, const char* method) {
  Bench bench(static_cast<size_t>(state.range(0)));
  std::string request = message(method, bench.at(bench.itemLine, bench.itemColumn), 2);
  for (auto _ : state) benchmark::DoNotOptimize(bench.server.handle(request));
  state.SetComplexityN(state.range(0));
}
BENCHMARK_CAPTURE(BM_LspRequest, completion, "textDocument/completion")
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LspRequest, hover, "textDocument/hover")
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LspRequest, definition, "textDocument/definition")
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

void BM_LspSymbols(benchmark::State& state) {
  Bench bench(static_cast<size_t>(state.range(0)));
  std::string request =
      message("textDocument/documentSymbol", Json{{"textDocument", {{"uri", kUri}}}}, 2);
  for (auto _ : state) benchmark::DoNotOptimize(bench.server.handle(request));
}
BENCHMARK(BM_LspSymbols)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane::lsp

BENCHMARK_MAIN();
