// The HTML preview of a compiled skin: one self-contained page.
#ifndef KORVANE_INSPECT_SKN_HTML_H
#define KORVANE_INSPECT_SKN_HTML_H

#include <string>

#include "inspect/generation_list.h"
#include "inspect/item_names.h"
#include "inspect/skn_reader.h"

namespace korvane {

struct SknHtmlOptions {
  const ItemNames* names = nullptr;
  const GenerationList* list = nullptr;  // with --list
  std::string listFile;                  // the list's path as given
  std::string pageFile;                  // the page's path as given
};

std::string renderSknHtml(const SknChunk& root, const SknHtmlOptions& options);

}  // namespace korvane

#endif
