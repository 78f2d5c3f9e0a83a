// Target 2: the fuzzer's bytes as the item-ID extension list ("-i"), loaded
// on its own and then through a compile of a description that names an
// extension item.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "driver/compile_run.h"
#include "source/item_id_registry.h"
#include "tools/fuzz/fuzz_support.h"

namespace {

const char kDescription[] =
    "SKINTYPE scalable\n"
    "NAME 1 \"Fuzz\"\n"
    "STRING IID=NewItem \"new\"\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  using namespace korvane::fuzz;
  std::unique_ptr<MemoryPlatform> platform = makePlatform();
  platform->fs.addFile(kExtensionListFile, std::string(reinterpret_cast<const char*>(data), size));
  platform->fs.addFile(kDescriptionFile, kDescription);

  bool loaded = false;
  ItemIdRegistry registry;
  ConsoleDiagnostics sink(platform->console);
  try {
    loadItemIds(registry, platform->fs, sink, kExtensionListFile);
    loaded = true;
  } catch (const CKrvException& e) {
    if (e.code < kErrorFileOpen || e.code > kErrorParse || e.message.empty()) {
      fail("extension list error with an unexpected code or no message", *platform);
    }
  }

  bool newItemKnown = false;
  if (loaded) {
    // Every extension row is found by its own name, as itself or as an
    // earlier row of the same name.
    const ItemIdRows rows = registry.rows();
    for (size_t i = builtinItemIds().size(); i < rows.size(); ++i) {
      const ItemIdEntry* found = findItemIdByFullName(registry, rows[i].name);
      if (found == nullptr || found > &rows[i] || !equalsNoCase(found->name, rows[i].name)) {
        fail("an extension row is not found by its name", *platform);
      }
    }
    newItemKnown = findItemId(registry, u"NewItem") != nullptr;
  }

  platform->console = MemoryConsole();
  int code =
      compile(*platform, {std::string("-i") + kExtensionListFile, kDescriptionFile, kSkinName});
  int expected = !loaded ? kExitInvalidExtensionList : newItemKnown ? kExitSuccess : kExitErrors;
  if (code != expected) fail("the compile disagrees with loading the list on its own", *platform);
  return 0;
}
