// The item names a description may use: the built-in registry rows, then the
// rows of the skin's extension list, looked up as the compiler looks them up
// (the first row of equal names wins).
#ifndef KORVANE_LSP_ITEM_CATALOG_H
#define KORVANE_LSP_ITEM_CATALOG_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "source/item_id_registry.h"

namespace korvane::lsp {

struct CatalogItem {
  std::string name;  // without the "KTavsIID" prefix
  uint32_t major = 0;
  uint32_t minor = 0;
  bool extension = false;
};

class ItemCatalog {
 public:
  ItemCatalog();
  // Appends the rows of an extension list; false (and nothing appended) when
  // the file cannot be read or is not a valid list: the compile reports why.
  bool loadExtensionList(FileSystem& fs, const std::string& path);

  // The row a reference's name finds, or null.
  const ItemIdEntry* find(std::string_view name) const;
  // Rows whose name starts with `prefix` (A to Z folded), at most `limit`;
  // `more` tells whether others were left out.
  std::vector<CatalogItem> withPrefix(std::string_view prefix, size_t limit, bool& more) const;
  bool isExtension(const ItemIdEntry* entry) const;

 private:
  ItemIdRegistry registry_;
};

// "0x10005A26 0x1000"
std::string formatPair(uint32_t major, uint32_t minor);

}  // namespace korvane::lsp

#endif
