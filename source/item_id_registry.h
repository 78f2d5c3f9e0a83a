// The registry of named item identifiers: the built-in table, embedded in the
// binary at build time, followed by the rows of an optional extension list.
// Names compare ignoring the case of A to Z; of equal names the first row wins.
#ifndef KORVANE_SOURCE_ITEM_ID_REGISTRY_H
#define KORVANE_SOURCE_ITEM_ID_REGISTRY_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/item_id.h"
#include "base/platform.h"
#include "base/record_index.h"
#include "base/text.h"

namespace korvane {

struct ItemIdEntry {
  std::u16string name;
  uint32_t major = 0;
  uint32_t minor = 0;

  ItemId id() const { return ItemId{major, minor}; }
};

// The prefix of every built-in item name.
constexpr std::u16string_view kItemNamePrefix = u"KTavsIID";

class ItemIdRegistry {
 public:
  // Longest name a row holds.
  static constexpr size_t kMaxName = 255;

  // Drops every row and appends the built-in rows in table order.
  void loadBuiltins();
  // Appends one row; names compare with the rows before it, which win.
  void append(ItemIdEntry entry);
  // The first row whose name equals `name` (A to Z folded), or null.
  const ItemIdEntry* findByFullName(std::u16string_view name) const;
  // The first row whose name equals `prefix` followed by `name`, without
  // joining the two.
  const ItemIdEntry* findByPrefixedName(std::u16string_view prefix, std::u16string_view name) const;
  const std::vector<ItemIdEntry>& rows() const { return rows_; }

 private:
  std::vector<ItemIdEntry> rows_;
  // Row numbers by folded name; only the first row of equal names is in it.
  RecordIndex index_;
  // The index as it stood with the built-in rows alone.
  RecordIndex builtinIndex_;
  // How many leading rows are the built-in table, once loaded.
  size_t builtinRows_ = 0;
};

// The process-wide registry.
extern ItemIdRegistry gItemIdRegistry;

// The built-in rows, parsed once from the embedded table.
const std::vector<ItemIdEntry>& builtinItemIds();

// Loads the built-in rows, then the extension list when its name is not empty.
// Raises CKrvException on an invalid extension list.
void loadItemIds(FileSystem& fs, Console& console, const std::string& extensionListFile);
const ItemIdEntry* findItemIdByFullName(std::u16string_view name);
// Looks up "KTavsIID" followed by `name`.
const ItemIdEntry* findItemId(std::u16string_view name);
// Derives the name from an image file name: the text after a first "%" (with a
// warning), up to the first ".", without "_".
const ItemIdEntry* findItemIdByFileName(Console& console, std::u16string_view fileName);

}  // namespace korvane

#endif
