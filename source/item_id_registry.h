// The registry of named item identifiers: the built-in table, made into
// constant data (rows and hash index) at build time, followed by the rows of
// an optional extension list. Names compare ignoring the case of A to Z; of
// equal names the first row wins.
#ifndef KORVANE_SOURCE_ITEM_ID_REGISTRY_H
#define KORVANE_SOURCE_ITEM_ID_REGISTRY_H

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "base/item_id.h"
#include "base/platform.h"
#include "base/record_index.h"
#include "base/text.h"
#include "base/text_pool.h"

namespace korvane {

// One row. The name of a built-in row lies in the program's constant data,
// that of an extension row in storage the registry keeps for it.
struct ItemIdEntry {
  std::u16string_view name;
  uint32_t major = 0;
  uint32_t minor = 0;

  ItemId id() const { return ItemId{major, minor}; }
};

// The prefix of every built-in item name.
constexpr std::u16string_view kItemNamePrefix = u"KTavsIID";

// Rows in order: a run of constant rows, then those of a vector.
class ItemIdRows {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = ItemIdEntry;
    using difference_type = std::ptrdiff_t;
    using pointer = const ItemIdEntry*;
    using reference = const ItemIdEntry&;

    Iterator(const ItemIdRows* rows, size_t at) : rows_(rows), at_(at) {}
    const ItemIdEntry& operator*() const { return (*rows_)[at_]; }
    const ItemIdEntry* operator->() const { return &(*rows_)[at_]; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

   private:
    const ItemIdRows* rows_;
    size_t at_;
  };

  ItemIdRows(const ItemIdEntry* first, size_t count, const std::vector<ItemIdEntry>* more)
      : first_(first), count_(count), more_(more) {}

  size_t size() const { return count_ + (more_ == nullptr ? 0 : more_->size()); }
  const ItemIdEntry& operator[](size_t i) const {
    return i < count_ ? first_[i] : (*more_)[i - count_];
  }
  const ItemIdEntry& back() const { return (*this)[size() - 1]; }
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size()); }

 private:
  const ItemIdEntry* first_;
  size_t count_;
  const std::vector<ItemIdEntry>* more_;
};

// A registry borrows the constant built-in rows and index, so a new one
// costs nothing; each compilation has its own.
class ItemIdRegistry {
 public:
  // Longest name a row holds.
  static constexpr size_t kMaxName = 255;

  // Holds the built-in rows.
  ItemIdRegistry() { loadBuiltins(); }

  // Drops every row and takes the built-in rows in table order.
  void loadBuiltins();
  // Appends one row, keeping a copy of its name; names compare with the rows
  // before it, which win.
  void append(const ItemIdEntry& entry) { append(entry, FoldedHash()(entry.name)); }
  // The same with the hash of the name, from prepareAppend.
  void append(const ItemIdEntry& entry, uint64_t nameHash);
  // The hash of a name to append; the index slot it reads starts loading,
  // so that the wait for memory overlaps the reading of the rest of the row.
  uint64_t prepareAppend(std::u16string_view name) const {
    uint64_t hash = FoldedHash()(name);
    index_.prefetch(hash);
    return hash;
  }
  // Makes room for the rows of an extension list of `bytes` bytes.
  void expectListSize(uint64_t bytes);
  // The first row whose name equals `name` (A to Z folded), or null.
  const ItemIdEntry* findByFullName(std::u16string_view name) const;
  // The first row whose name equals `prefix` followed by `name`, without
  // joining the two.
  const ItemIdEntry* findByPrefixedName(std::u16string_view prefix, std::u16string_view name) const;
  // The row an image file name names: "KTavsIID" followed by the text after
  // a first "%", up to the first ".", without "_".
  const ItemIdEntry* findByFileName(std::u16string_view fileName) const;
  // Every row: the built-in ones, then the appended ones. Valid until the next append or load.
  ItemIdRows rows() const { return ItemIdRows(builtins_, builtinCount_, &appended_); }

 private:
  const ItemIdEntry& row(uint32_t r) const {
    return r < builtinCount_ ? builtins_[r] : appended_[r - builtinCount_];
  }

  const ItemIdEntry* builtins_ = nullptr;
  size_t builtinCount_ = 0;
  std::vector<ItemIdEntry> appended_;
  // The names of appended rows.
  TextPool names_;
  // Row numbers by folded name; only the first row of equal names is in it.
  // It borrows the built-in index until a row is appended.
  RecordIndex index_;
};

// The built-in rows, in table order.
ItemIdRows builtinItemIds();

// Loads the built-in rows, then the extension list when its name is not empty.
// Raises CKrvException on an invalid extension list.
// Its notes go to `sink`.
void loadItemIds(ItemIdRegistry& registry, FileSystem& fs, DiagnosticSink& sink,
                 const std::string& extensionListFile);
const ItemIdEntry* findItemIdByFullName(const ItemIdRegistry& registry, std::u16string_view name);
// Looks up "KTavsIID" followed by `name`.
const ItemIdEntry* findItemId(const ItemIdRegistry& registry, std::u16string_view name);
// The row an image file name names, as findByFileName finds it, with a
// warning when a "%" is stripped.
const ItemIdEntry* findItemIdByFileName(const ItemIdRegistry& registry, DiagnosticSink& sink,
                                        std::u16string_view fileName);

}  // namespace korvane

#endif
