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

}  // namespace
}  // namespace korvane
