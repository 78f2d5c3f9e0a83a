// Names of item identifiers for people reading a compiled skin: the
// registry's name of each pair, the built-in table first and extension rows
// after it, so that of rows with equal pairs the first one names the pair,
// as the compiler's name lookups let the first row win.
#ifndef KORVANE_INSPECT_ITEM_NAMES_H
#define KORVANE_INSPECT_ITEM_NAMES_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "source/item_id_registry.h"

namespace korvane {

class ItemNames {
 public:
  // Indexes the rows of the registry as they stand (built-in and extension rows).
  explicit ItemNames(const ItemIdRegistry& registry);

  // The first row that carries the pair, or null.
  const ItemIdEntry* find(uint32_t major, uint32_t minor) const;
  // The row's name as a description writes it: without the "KTavsIID"
  // prefix when it has one. Empty when no row carries the pair.
  std::string name(uint32_t major, uint32_t minor) const;
  // Every row that carries the pair, in registry order.
  std::vector<const ItemIdEntry*> rows(uint32_t major, uint32_t minor) const;
  const ItemIdRegistry& registry() const { return registry_; }

 private:
  const ItemIdRegistry& registry_;
  std::unordered_map<uint64_t, uint32_t> rows_;  // pair -> first row number
  // Pairs that more rows carry (aliases) -> the later row numbers.
  std::unordered_map<uint64_t, std::vector<uint32_t>> laterRows_;
};

// One number for a pair, to look pairs up by.
constexpr uint64_t itemPairKey(uint32_t major, uint32_t minor) {
  return (static_cast<uint64_t>(major) << 32) | minor;
}

// The pairs the compiler makes up: this major unless the skin declared a
// UID, and minors from the first one up.
constexpr uint32_t kGeneratedMajor = 0xFFFFFFFC;
constexpr uint32_t kFirstGeneratedMinor = 0x1000;

// True for a pair the compiler makes up for an inline image whose file name
// names no registry row: the major 0xFFFFFFFC, or the skin's UID when the
// skin declared one (package identifier high word 0, low word not 0); the
// minors count up from 0x1000. A pair a registry row names is not generated.
bool isGeneratedItemId(uint32_t major, uint32_t minor, uint32_t packageIdHigh,
                       uint32_t packageIdLow);

}  // namespace korvane

#endif
