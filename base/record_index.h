// RecordIndex: a hash index of records that live elsewhere (the entries of a
// vector, numbered from 0). It stores only record numbers and a part of their
// hash, in one array probed linearly, so a lookup neither copies a key nor
// allocates, and usually touches one cache line before the record itself.
// The caller hashes and compares; records are never removed.
//
// Keys are kept unique by the callers: they insert a record only after
// `find` found no equal one, which is how the first record of equal keys
// wins.
//
// An index may start from slots made at build time (`borrow`): it reads them
// in place and copies them only when a record is inserted, so a table that is
// constant data costs nothing to load.
#ifndef KORVANE_BASE_RECORD_INDEX_H
#define KORVANE_BASE_RECORD_INDEX_H

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/large_block.h"

namespace korvane {

class RecordIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  struct Slot {
    uint32_t tag;
    uint32_t record;  // kNone: an empty slot
  };

  RecordIndex() = default;
  RecordIndex(const RecordIndex& other) { *this = other; }
  RecordIndex(RecordIndex&& other) noexcept { *this = std::move(other); }
  RecordIndex& operator=(const RecordIndex& other) {
    if (this != &other) {
      owned_ = other.owned_;
      table_ = other.borrowed() || other.table_ == nullptr ? other.table_ : owned_.data();
      mask_ = other.mask_;
      size_ = other.size_;
    }
    return *this;
  }
  RecordIndex& operator=(RecordIndex&& other) noexcept {
    if (this != &other) {
      bool keep = other.borrowed() || other.table_ == nullptr;
      owned_ = std::move(other.owned_);
      table_ = keep ? other.table_ : owned_.data();
      mask_ = other.mask_;
      size_ = other.size_;
      other.clear();
    }
    return *this;
  }

  // An index reading `capacity` slots (a power of two) that hold `size`
  // records, made by `slots()` of an index of the same records; the slots
  // must outlive it.
  static RecordIndex borrow(const Slot* slots, size_t capacity, size_t size) {
    RecordIndex index;
    index.table_ = slots;
    index.mask_ = capacity - 1;
    index.size_ = size;
    return index;
  }

  // The record with this hash that `matches(record)` accepts, or kNone.
  template <typename Matches>
  uint32_t find(uint64_t hash, Matches&& matches) const {
    if (table_ == nullptr) return kNone;
    uint32_t tag = tagOf(hash);
    for (size_t i = tag & mask_;; i = (i + 1) & mask_) {
      const Slot& slot = table_[i];
      if (slot.record == kNone) return kNone;
      if (slot.tag == tag && matches(slot.record)) return slot.record;
    }
  }

  // Starts loading the slot a lookup of this hash reads first, so that the
  // wait for memory overlaps other work (a hint that changes nothing).
  void prefetch(uint64_t hash) const {
    if (table_ == nullptr) return;
    const Slot* slot = &table_[tagOf(hash) & mask_];
    __builtin_prefetch(slot);
    // A function that only prefetches looks to the compiler as if it did
    // nothing, and calls to it would be dropped: the empty asm is an effect.
    asm volatile("" : : "r"(slot));
  }

  // The record with this hash that `matches` accepts; when there is none,
  // `record` is inserted and kNone returned. One probe for both.
  template <typename Matches>
  uint32_t findOrInsert(uint64_t hash, Matches&& matches, uint32_t record) {
    makeRoom();
    uint32_t tag = tagOf(hash);
    size_t i = tag & mask_;
    for (; owned_[i].record != kNone; i = (i + 1) & mask_) {
      if (owned_[i].tag == tag && matches(owned_[i].record)) return owned_[i].record;
    }
    owned_[i] = Slot{tag, record};
    ++size_;
    return kNone;
  }

  void insert(uint64_t hash, uint32_t record) {
    makeRoom();
    place(Slot{tagOf(hash), record});
    ++size_;
  }

  // Makes room for `count` records without growing again.
  void reserve(size_t count) {
    own();
    while (count * 4 > owned_.size() * 3) grow();
  }

  void clear() {
    owned_.clear();
    table_ = nullptr;
    mask_ = 0;
    size_ = 0;
  }

  size_t size() const { return size_; }
  size_t capacity() const { return table_ == nullptr ? 0 : mask_ + 1; }
  // Every slot, empty ones included, for `borrow`.
  const Slot* slots() const { return table_; }

 private:
  // The high half of a multiplicative mix: well spread even for hashes that
  // are small or sequential numbers.
  static uint32_t tagOf(uint64_t hash) {
    return static_cast<uint32_t>((hash * 0x9E3779B97F4A7C15ull) >> 32);
  }

  bool borrowed() const { return table_ != nullptr && table_ != owned_.data(); }

  // Borrowed slots are copied before the first change.
  void own() {
    if (borrowed()) {
      owned_.assign(table_, table_ + mask_ + 1);
      table_ = owned_.data();
    }
  }

  void makeRoom() {
    own();
    if ((size_ + 1) * 4 > owned_.size() * 3) grow();
  }

  void place(Slot slot) {
    size_t i = slot.tag & mask_;
    while (owned_[i].record != kNone) i = (i + 1) & mask_;
    owned_[i] = slot;
  }

  void grow() {
    decltype(owned_) old;
    old.swap(owned_);
    size_t capacity = old.empty() ? 16 : old.size() * 2;
    owned_.assign(capacity, Slot{0, kNone});
    table_ = owned_.data();
    mask_ = capacity - 1;
    for (const Slot& slot : old) {
      if (slot.record != kNone) place(slot);
    }
  }

  // Slot tables of 2 MiB and more take huge pages where the host has them.
  std::vector<Slot, LargeBlockAllocator<Slot>> owned_;
  const Slot* table_ = nullptr;  // owned_.data(), or borrowed slots
  size_t mask_ = 0;
  size_t size_ = 0;
};

}  // namespace korvane

#endif
