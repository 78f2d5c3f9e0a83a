// Target 3: the SKN decoder of the inspector on the fuzzer's bytes, and the
// text and JSON renderings (plain and with registry names and a generation
// list), the HTML preview and the decompiler on every tree it accepts; the
// decompiler gives a description or says why none exists. (Files the compiler writes are
// decoded and decompiled by the compile target, which requires both to work.)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "inspect/generation_list.h"
#include "inspect/item_names.h"
#include "inspect/skn_decompiler.h"
#include "inspect/skn_dump.h"
#include "inspect/skn_html.h"
#include "inspect/skn_reader.h"
#include "source/item_id_registry.h"

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

  static const ItemNames names([]() -> const ItemIdRegistry& {
    static ItemIdRegistry registry;
    registry.loadBuiltins();
    return registry;
  }());
  // A list of a few images, so that indices both in and beyond it show.
  static const GenerationList list = [] {
    GenerationList parsed;
    std::string error;
    parseGenerationList("/E\r\n/c16,1 images\\a.bmp\r\n/c24 /A b.svg\r\n", parsed, error);
    return parsed;
  }();
  SknDumpOptions labelled;
  labelled.names = &names;
  labelled.list = &list;
  if (renderSknText(result.root, labelled).empty() ||
      renderSknJson(result.root, labelled).empty()) {
    std::abort();
  }
  SknHtmlOptions page;
  page.names = &names;
  page.list = &list;
  page.listFile = "Skin_MIFList.txt";
  page.pageFile = "out/Skin.html";
  if (renderSknHtml(result.root, page).empty()) std::abort();

  DecompileOptions options;
  options.names = &names;
  DecompileResult decompiled = decompileSkn(result.root, options);
  if (decompiled.ok ? decompiled.description.empty() : decompiled.error.empty()) {
    std::fprintf(stderr, "FUZZ CHECK FAILED: the decompiler neither writes nor refuses\n");
    std::abort();
  }
  return 0;
}
