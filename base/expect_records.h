// How many records to make room for in a list filled from an input of a
// known size: room is address space until a record is put in it, so the
// guess is generous, a few times the records of the densest inputs seen (one
// record per `bytesPerRecord` bytes), and capped; a list that needs more
// grows as it would without the guess.
#ifndef KORVANE_BASE_EXPECT_RECORDS_H
#define KORVANE_BASE_EXPECT_RECORDS_H

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace korvane {

inline size_t expectRecords(uint64_t inputBytes, uint64_t bytesPerRecord) {
  constexpr uint64_t kMaxExpected = uint64_t{1} << 20;
  return static_cast<size_t>(std::min(inputBytes / bytesPerRecord, kMaxExpected));
}

}  // namespace korvane

#endif
