// The built-in item-ID table as constant data, generated at build time from
// item_ids.txt by embed_item_ids_main.cpp: the rows in table order and the
// slots of their hash index (the first of names equal but for case only).
#ifndef KORVANE_SOURCE_BUILTIN_ITEM_IDS_H
#define KORVANE_SOURCE_BUILTIN_ITEM_IDS_H

#include <cstddef>

#include "base/record_index.h"
#include "source/item_id_registry.h"

namespace korvane {

extern const ItemIdEntry kBuiltinItemIds[];
extern const size_t kBuiltinItemIdCount;
extern const RecordIndex::Slot kBuiltinItemIdSlots[];
extern const size_t kBuiltinItemIdSlotCount;
// Rows in the index: the table less the later of equal names.
extern const size_t kBuiltinItemIdIndexed;

}  // namespace korvane

#endif
