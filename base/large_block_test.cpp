#include "base/large_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace korvane {
namespace {

// Blocks below, at and above the smallest mapped size (512 KiB, rounded up
// to huge pages) and the huge-page size hold every byte written to them,
// and a moved block is owned once.
TEST(LargeBlock, HoldsWhatIsWrittenAndMovesOwnership) {
  for (size_t size : {size_t{2}, size_t{4096}, (size_t{512} << 10) - 1, size_t{512} << 10,
                      (size_t{512} << 10) + 1, size_t{2} << 20, (size_t{5} << 20) + 3}) {
    LargeBlock block(size);
    ASSERT_NE(block.get(), nullptr) << size;
    ASSERT_EQ(block.size(), size);
    std::memset(block.get(), 0x5A, size);
    block[size - 1] = 7;
    LargeBlock moved(std::move(block));
    EXPECT_EQ(block.get(), nullptr);
    EXPECT_EQ(moved[0], 0x5A);
    EXPECT_EQ(moved[size - 1], 7);
    LargeBlock assigned;
    assigned = std::move(moved);
    EXPECT_EQ(assigned.size(), size);
    assigned.reset();
    EXPECT_EQ(assigned.get(), nullptr);
  }
}

TEST(LargeBlock, AllocatorServesGrowingContainers) {
  std::vector<uint64_t, LargeBlockAllocator<uint64_t>> values;
  for (uint64_t i = 0; i < (uint64_t{1} << 20); ++i) values.push_back(i * 3);
  std::vector<uint64_t, LargeBlockAllocator<uint64_t>> copy = values;
  values.clear();
  values.shrink_to_fit();
  ASSERT_EQ(copy.size(), size_t{1} << 20);
  EXPECT_EQ(copy[12345], 12345u * 3);
  EXPECT_EQ(copy.back(), ((uint64_t{1} << 20) - 1) * 3);
}

}  // namespace
}  // namespace korvane
