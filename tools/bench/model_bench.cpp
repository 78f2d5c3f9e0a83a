// Micro-benchmarks of the name lookups and the model's add operations. Each
// benchmark does n operations per iteration for n = 1 000, 10 000 and
// 100 000, so a linear fit (and a flat time per item) shows that neither the
// lookups nor the duplicate checks and source lookups behind the adds scan.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/memory_platform.h"
#include "base/text.h"
#include "model/skin_content.h"
#include "source/item_id_registry.h"

namespace korvane {
namespace {

void sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN);
}

void finish(benchmark::State& state) {
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The built-in rows and n extension rows: the registry grows with n.
void loadRegistry(ItemIdRegistry& registry, size_t extensionRows) {
  registry.loadBuiltins();
  for (size_t i = 0; i < extensionRows; ++i) {
    registry.append(ItemIdEntry{u"KTavsIIDBenchExtension" + widenCopy(std::to_string(i)),
                                0x10005A26, static_cast<uint32_t>(0x10000 + i)});
  }
}

// Unprefixed names of the rows, in another letter case.
std::vector<std::u16string> lookupNames(const ItemIdRegistry& registry, size_t n) {
  const ItemIdRows rows = registry.rows();
  std::vector<std::u16string> names;
  names.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    std::u16string name(rows[(i * 7919) % rows.size()].name.substr(kItemNamePrefix.size()));
    names.push_back(foldedCopy(name));
  }
  return names;
}

void BM_FindItemIdHit(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  ItemIdRegistry registry;
  loadRegistry(registry, n);
  std::vector<std::u16string> names = lookupNames(registry, n);
  for (auto _ : state) {
    for (const std::u16string& name : names) benchmark::DoNotOptimize(findItemId(registry, name));
  }
  finish(state);
}
BENCHMARK(BM_FindItemIdHit)->Apply(sizes);

void BM_FindItemIdMiss(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  ItemIdRegistry registry;
  loadRegistry(registry, n);
  std::vector<std::u16string> names = lookupNames(registry, n);
  for (std::u16string& name : names) name += u"Missing";
  for (auto _ : state) {
    for (const std::u16string& name : names) benchmark::DoNotOptimize(findItemId(registry, name));
  }
  finish(state);
}
BENCHMARK(BM_FindItemIdMiss)->Apply(sizes);

// "QsnBgScreen" -> "qsn_bg_screen.bmp"
std::u16string fileNameOf(const std::u16string& name) {
  std::u16string file;
  for (char16_t c : name) {
    if (c >= u'A' && c <= u'Z' && !file.empty()) file.push_back(u'_');
    file.push_back(foldAZ(c));
  }
  return file + u".bmp";
}

void BM_FindItemIdByFileName(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  ItemIdRegistry registry;
  loadRegistry(registry, n);
  std::vector<std::u16string> files;
  for (const std::u16string& name : lookupNames(registry, n)) files.push_back(fileNameOf(name));
  NullDiagnosticSink sink;
  for (auto _ : state) {
    for (const std::u16string& file : files) {
      benchmark::DoNotOptimize(findItemIdByFileName(registry, sink, file));
    }
  }
  finish(state);
}
BENCHMARK(BM_FindItemIdByFileName)->Apply(sizes);

void BM_AddBitmaps(benchmark::State& state) {
  const uint32_t n = static_cast<uint32_t>(state.range(0));
  MemoryFileSystem fs;
  NullConsole console;
  for (auto _ : state) {
    SkinContent content(fs, console);
    BitmapItem item;
    for (uint32_t i = 0; i < n; ++i) {
      item.id = ItemId{0x10005A26, 0x1000 + i};
      item.bitmapIndex = 0x4000 + 2 * i;
      content.addBitmap(item);
    }
    benchmark::DoNotOptimize(content.findBitmap(ItemId{0x10005A26, 0x1000}));
  }
  finish(state);
}
BENCHMARK(BM_AddBitmaps)->Apply(sizes);

void BM_AddStrings(benchmark::State& state) {
  const uint32_t n = static_cast<uint32_t>(state.range(0));
  MemoryFileSystem fs;
  NullConsole console;
  for (auto _ : state) {
    SkinContent content(fs, console);
    StringItem item;
    item.text = u"sounds\\ringing_tone.wav";
    for (uint32_t i = 0; i < n; ++i) {
      item.id = ItemId{0x101F869E, i};
      item.restriction = i % 2 == 0 ? 0 : 0x301;
      content.addString(item);
    }
    benchmark::DoNotOptimize(content.strings().size());
  }
  finish(state);
}
BENCHMARK(BM_AddStrings)->Apply(sizes);

void BM_RegisterBitmapSource(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  MemoryFileSystem fs;
  NullConsole console;
  std::vector<std::u16string> files;
  for (size_t i = 0; i < n; ++i) {
    std::string file = "image_" + std::to_string(i) + ".bmp";
    fs.addFile("gfx/" + file, "");
    files.push_back(widenCopy(file));
  }
  for (auto _ : state) {
    SkinContent content(fs, console);
    content.setBitmapPath(u".\\gfx\\");
    for (const std::u16string& file : files) {
      benchmark::DoNotOptimize(content.registerBitmapSource(8, file, 0));
    }
  }
  finish(state);
}
BENCHMARK(BM_RegisterBitmapSource)->Apply(sizes);

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
