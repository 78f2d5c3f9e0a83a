#include "base/large_block.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace korvane {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

// Builds with a sanitizer keep to the heap, whose blocks they watch.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KORVANE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KORVANE_SANITIZED 1
#endif
#endif
#if defined(__linux__) && !defined(KORVANE_SANITIZED)
constexpr bool kMapsLargeBlocks = true;
#else
constexpr bool kMapsLargeBlocks = false;
#endif

bool mapped(size_t bytes) {
  return kMapsLargeBlocks && bytes >= kHugePage;
}

}  // namespace

void* allocateLargeBlock(size_t bytes) noexcept {
  if (!mapped(bytes)) return ::operator new(bytes == 0 ? 1 : bytes, std::nothrow);
#if defined(__linux__)
  // Map a huge page more than asked for, then give back what lies before
  // the first 2 MiB boundary and after the block.
  if (bytes > SIZE_MAX - kHugePage) return nullptr;
  size_t length = bytes + kHugePage;
  void* start = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (start == MAP_FAILED) return nullptr;
  auto first = reinterpret_cast<uintptr_t>(start);
  uintptr_t aligned = (first + kHugePage - 1) & ~uintptr_t{kHugePage - 1};
  if (aligned > first) ::munmap(start, aligned - first);
  uintptr_t end = aligned + bytes;
  if (first + length > end) ::munmap(reinterpret_cast<void*>(end), first + length - end);
  // Only a hint: without huge pages the block is ordinary memory.
  ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
#else
  return nullptr;
#endif
}

void freeLargeBlock(void* block, size_t bytes) noexcept {
  if (block == nullptr) return;
  if (!mapped(bytes)) {
    ::operator delete(block);
    return;
  }
#if defined(__linux__)
  ::munmap(block, bytes);
#endif
}

}  // namespace korvane
