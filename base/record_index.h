// RecordIndex: a hash index of records that live elsewhere (the entries of a
// vector, numbered from 0). It stores only record numbers and a part of their
// hash, in one array probed linearly, so a lookup neither copies a key nor
// allocates, and usually touches one cache line before the record itself.
// The caller hashes and compares; records are never removed.
//
// Keys are kept unique by the callers: they insert a record only after
// `find` found no equal one, which is how the first record of equal keys
// wins.
#ifndef KORVANE_BASE_RECORD_INDEX_H
#define KORVANE_BASE_RECORD_INDEX_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvane {

class RecordIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  // The record with this hash that `matches(record)` accepts, or kNone.
  template <typename Matches>
  uint32_t find(uint64_t hash, Matches&& matches) const {
    if (slots_.empty()) return kNone;
    uint32_t tag = tagOf(hash);
    for (size_t i = tag & mask_;; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.record == kNone) return kNone;
      if (slot.tag == tag && matches(slot.record)) return slot.record;
    }
  }

  // The record with this hash that `matches` accepts; when there is none,
  // `record` is inserted and kNone returned. One probe for both.
  template <typename Matches>
  uint32_t findOrInsert(uint64_t hash, Matches&& matches, uint32_t record) {
    if ((size_ + 1) * 4 > slots_.size() * 3) grow();
    uint32_t tag = tagOf(hash);
    size_t i = tag & mask_;
    for (; slots_[i].record != kNone; i = (i + 1) & mask_) {
      if (slots_[i].tag == tag && matches(slots_[i].record)) return slots_[i].record;
    }
    slots_[i] = Slot{tag, record};
    ++size_;
    return kNone;
  }

  void insert(uint64_t hash, uint32_t record) {
    if ((size_ + 1) * 4 > slots_.size() * 3) grow();
    place(Slot{tagOf(hash), record});
    ++size_;
  }

  // Makes room for `count` records without growing again.
  void reserve(size_t count) {
    while (count * 4 > slots_.size() * 3) grow();
  }

  void clear() {
    slots_.clear();
    mask_ = 0;
    size_ = 0;
  }

  size_t size() const { return size_; }

 private:
  struct Slot {
    uint32_t tag;
    uint32_t record;
  };

  // The high half of a multiplicative mix: well spread even for hashes that
  // are small or sequential numbers.
  static uint32_t tagOf(uint64_t hash) {
    return static_cast<uint32_t>((hash * 0x9E3779B97F4A7C15ull) >> 32);
  }

  void place(Slot slot) {
    size_t i = slot.tag & mask_;
    while (slots_[i].record != kNone) i = (i + 1) & mask_;
    slots_[i] = slot;
  }

  void grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    size_t capacity = old.empty() ? 16 : old.size() * 2;
    slots_.assign(capacity, Slot{0, kNone});
    mask_ = capacity - 1;
    for (const Slot& slot : old) {
      if (slot.record != kNone) place(slot);
    }
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  size_t size_ = 0;
};

}  // namespace korvane

#endif
