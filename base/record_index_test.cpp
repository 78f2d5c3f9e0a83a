#include "base/record_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane {
namespace {

// Records in a vector, indexed by a caller-chosen hash; `find` must tell
// records apart by `matches` alone, whatever their hashes share.
struct Fixture {
  std::vector<std::string> records;
  RecordIndex index;

  void add(const std::string& key, uint64_t hash) {
    index.insert(hash, static_cast<uint32_t>(records.size()));
    records.push_back(key);
  }
  uint32_t find(const std::string& key, uint64_t hash) const {
    return index.find(hash, [&](uint32_t r) { return records[r] == key; });
  }
};

TEST(RecordIndex, FindsEveryRecordAcrossGrowthAndCollisions) {
  Fixture equalHashes;  // one probe run for all
  Fixture sequential;   // small consecutive hashes, as identifiers give
  for (uint32_t i = 0; i < 1000; ++i) {
    equalHashes.add("k" + std::to_string(i), 7);
    sequential.add("k" + std::to_string(i), i);
  }
  EXPECT_EQ(sequential.index.size(), 1000u);
  for (uint32_t i = 0; i < 1000; i += 37) {
    EXPECT_EQ(equalHashes.find("k" + std::to_string(i), 7), i);
    EXPECT_EQ(sequential.find("k" + std::to_string(i), i), i);
  }
  EXPECT_EQ(equalHashes.find("k1000", 7), RecordIndex::kNone);
  EXPECT_EQ(sequential.find("k5", 6), RecordIndex::kNone);
}

TEST(RecordIndex, EmptyReservedAndClearedIndexesFindNothing) {
  Fixture fixture;
  EXPECT_EQ(fixture.find("a", 1), RecordIndex::kNone);
  fixture.index.reserve(100);
  EXPECT_EQ(fixture.find("a", 1), RecordIndex::kNone);
  fixture.add("a", 1);
  EXPECT_EQ(fixture.find("a", 1), 0u);
  fixture.index.clear();
  EXPECT_EQ(fixture.index.size(), 0u);
  EXPECT_EQ(fixture.find("a", 1), RecordIndex::kNone);
  fixture.add("b", 1);
  EXPECT_EQ(fixture.find("b", 1), 1u);
}

TEST(RecordIndex, BorrowedSlotsAreReadInPlaceAndCopiedOnTheFirstInsert) {
  Fixture built;
  for (uint32_t i = 0; i < 100; ++i) built.add("k" + std::to_string(i), i % 13);
  std::vector<RecordIndex::Slot> constant(built.index.slots(),
                                          built.index.slots() + built.index.capacity());

  Fixture borrowing;
  borrowing.records = built.records;
  borrowing.index = RecordIndex::borrow(constant.data(), constant.size(), built.index.size());
  EXPECT_EQ(borrowing.index.slots(), constant.data());
  EXPECT_EQ(borrowing.find("k42", 42 % 13), 42u);
  EXPECT_EQ(borrowing.find("k42", 5), RecordIndex::kNone);

  // A copy still reads the borrowed slots; an insert leaves them untouched.
  Fixture copy = borrowing;
  std::vector<RecordIndex::Slot> before = constant;
  borrowing.add("new", 3);
  EXPECT_NE(borrowing.index.slots(), constant.data());
  EXPECT_EQ(borrowing.find("new", 3), 100u);
  EXPECT_EQ(borrowing.find("k99", 99 % 13), 99u);
  EXPECT_EQ(borrowing.index.size(), 101u);
  EXPECT_EQ(copy.index.slots(), constant.data());
  EXPECT_EQ(copy.find("new", 3), RecordIndex::kNone);
  for (size_t i = 0; i < constant.size(); ++i) {
    EXPECT_EQ(constant[i].tag, before[i].tag);
    EXPECT_EQ(constant[i].record, before[i].record);
  }

  // Copies and moves of an owning index keep slots of their own.
  RecordIndex owned = borrowing.index;
  EXPECT_NE(owned.slots(), borrowing.index.slots());
  RecordIndex moved = std::move(owned);
  EXPECT_EQ(owned.find(3, [](uint32_t) { return true; }), RecordIndex::kNone);
  EXPECT_EQ(moved.find(3, [&](uint32_t r) { return borrowing.records[r] == "new"; }), 100u);
  RecordIndex empty;
  moved = empty;
  EXPECT_EQ(moved.find(3, [](uint32_t) { return true; }), RecordIndex::kNone);
}

}  // namespace
}  // namespace korvane
