// The identifiers every room shares: an item identifier pair and the
// restriction code attached to every item.
#ifndef KORVANE_BASE_ITEM_ID_H
#define KORVANE_BASE_ITEM_ID_H

#include <cstddef>
#include <cstdint>
#include <functional>

namespace korvane {

struct ItemId {
  uint32_t major = 0;
  uint32_t minor = 0;

  friend bool operator==(const ItemId& a, const ItemId& b) {
    return a.major == b.major && a.minor == b.minor;
  }
  friend bool operator!=(const ItemId& a, const ItemId& b) { return !(a == b); }
};

struct ItemIdHash {
  size_t operator()(const ItemId& id) const {
    return std::hash<uint64_t>()((static_cast<uint64_t>(id.major) << 32) | id.minor);
  }
};

// 0 none; 0x206 to 0x500 platform releases (major in bits 8-15, minor in
// bits 0-7); 0x10000 non-mirrored layout; 0x20000 mirrored layout; 0x30000
// plus a language code.
using Restriction = uint32_t;

}  // namespace korvane

#endif
