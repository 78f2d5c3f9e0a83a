// TextPool: keeps copies of texts in blocks that never move, and hands out
// views of them that stay valid as long as the pool. A big skin keeps
// hundreds of thousands of short names; kept here they cost their units and
// no allocation, header or capacity each.
#ifndef KORVANE_BASE_TEXT_POOL_H
#define KORVANE_BASE_TEXT_POOL_H

#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {

class TextPool {
 public:
  // Units of one block; a longer text gets a block of its own.
  static constexpr size_t kBlock = 16384;

  TextPool() = default;
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;
  // A pool moved from is empty, with no block to write into.
  TextPool(TextPool&& other) noexcept { *this = std::move(other); }
  TextPool& operator=(TextPool&& other) noexcept {
    if (this != &other) {
      blocks_ = std::move(other.blocks_);
      current_ = other.current_;
      used_ = other.used_;
      other.clear();
    }
    return *this;
  }

  // A copy of `text` in the pool (the empty view for an empty text).
  std::u16string_view keep(std::u16string_view text) {
    if (text.empty()) return std::u16string_view();
    char16_t* at;
    if (text.size() <= kBlock - used_) {
      at = current_ + used_;
      used_ += text.size();
    } else if (text.size() >= kBlock / 4) {
      // A long text gets a block of its own; the current one stays in use.
      at = newBlock(text.size());
    } else {
      current_ = at = newBlock(kBlock);
      used_ = text.size();
    }
    text.copy(at, text.size());
    return std::u16string_view(at, text.size());
  }

  // Drops every text; views handed out before are no longer valid.
  void clear() {
    blocks_.clear();
    current_ = nullptr;
    used_ = kBlock;
  }

 private:
  // Left unset: every unit is written before it is read.
  char16_t* newBlock(size_t units) {
    blocks_.emplace_back(new char16_t[units]);
    return blocks_.back().get();
  }

  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  char16_t* current_ = nullptr;
  size_t used_ = kBlock;  // units used of current_
};

}  // namespace korvane

#endif
