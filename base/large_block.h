// Memory for big blocks: a hash table filled whole as it is made, or an
// output image filled from its start. From 512 KiB up a block comes
// straight from the system, rounded up to whole 2 MiB, aligned to 2 MiB and
// marked for huge pages where the system has them (Linux), so that it takes
// one page fault per 2 MiB it uses instead of 512, and a table read at
// random one TLB entry per 2 MiB. Smaller blocks, and every block
// elsewhere, come from the heap.
//
// Only what is touched is resident, as with the heap; a huge page is
// resident whole once touched, so a block holds at most 2 MiB it does not
// use (a table of 512 KiB, grown past soon after, takes 2 MiB meanwhile).
#ifndef KORVANE_BASE_LARGE_BLOCK_H
#define KORVANE_BASE_LARGE_BLOCK_H

#include <cstddef>
#include <cstdint>
#include <new>

namespace korvane {

// A block of `bytes` bytes, not initialised, or null when the host has no
// such memory.
void* allocateLargeBlock(size_t bytes) noexcept;
// Gives back a block from allocateLargeBlock with the same size.
void freeLargeBlock(void* block, size_t bytes) noexcept;

// One block of bytes from allocateLargeBlock, given back when it goes.
class LargeBlock {
 public:
  LargeBlock() = default;
  // Empty (null) when the host has no such memory.
  explicit LargeBlock(size_t bytes)
      : data_(static_cast<uint8_t*>(allocateLargeBlock(bytes))), size_(data_ ? bytes : 0) {}
  ~LargeBlock() { freeLargeBlock(data_, size_); }
  LargeBlock(LargeBlock&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
  }
  LargeBlock& operator=(LargeBlock&& other) noexcept {
    if (this != &other) {
      freeLargeBlock(data_, size_);
      data_ = other.data_;
      size_ = other.size_;
      other.data_ = nullptr;
      other.size_ = 0;
    }
    return *this;
  }
  LargeBlock(const LargeBlock&) = delete;
  LargeBlock& operator=(const LargeBlock&) = delete;

  uint8_t* get() const { return data_; }
  uint8_t& operator[](size_t at) const { return data_[at]; }
  size_t size() const { return size_; }
  void reset() { *this = LargeBlock(); }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// An allocator for containers of big blocks (RecordIndex slots).
template <typename T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <typename U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}
  T* allocate(size_t n) {
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* block = allocateLargeBlock(n * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* p, size_t n) noexcept { freeLargeBlock(p, n * sizeof(T)); }
  template <typename U>
  bool operator==(const LargeBlockAllocator<U>&) const {
    return true;
  }
  template <typename U>
  bool operator!=(const LargeBlockAllocator<U>&) const {
    return false;
  }
};

}  // namespace korvane

#endif
