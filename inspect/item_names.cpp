#include "inspect/item_names.h"

#include "base/text.h"

namespace korvane {

ItemNames::ItemNames(const ItemIdRegistry& registry) : registry_(registry) {
  const auto& rows = registry.rows();
  rows_.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    uint64_t key = itemPairKey(rows[i].major, rows[i].minor);
    if (!rows_.emplace(key, static_cast<uint32_t>(i)).second) {
      laterRows_[key].push_back(static_cast<uint32_t>(i));
    }
  }
}

std::vector<const ItemIdEntry*> ItemNames::rows(uint32_t major, uint32_t minor) const {
  std::vector<const ItemIdEntry*> found;
  uint64_t key = itemPairKey(major, minor);
  auto first = rows_.find(key);
  if (first == rows_.end()) return found;
  found.push_back(&registry_.rows()[first->second]);
  auto later = laterRows_.find(key);
  if (later != laterRows_.end()) {
    for (uint32_t row : later->second) found.push_back(&registry_.rows()[row]);
  }
  return found;
}

const ItemIdEntry* ItemNames::find(uint32_t major, uint32_t minor) const {
  auto it = rows_.find(itemPairKey(major, minor));
  return it == rows_.end() ? nullptr : &registry_.rows()[it->second];
}

std::string ItemNames::name(uint32_t major, uint32_t minor) const {
  const ItemIdEntry* entry = find(major, minor);
  if (entry == nullptr) return std::string();
  std::u16string_view name = entry->name;
  if (startsWithNoCase(name, kItemNamePrefix) && name.size() > kItemNamePrefix.size()) {
    name.remove_prefix(kItemNamePrefix.size());
  }
  return toUtf8(name);
}

bool isGeneratedItemId(uint32_t major, uint32_t minor, uint32_t packageIdHigh,
                       uint32_t packageIdLow) {
  if (minor < kFirstGeneratedMinor) return false;
  bool declaredUid = packageIdHigh == 0 && packageIdLow != 0;
  return declaredUid ? major == packageIdLow : major == kGeneratedMajor;
}

}  // namespace korvane
