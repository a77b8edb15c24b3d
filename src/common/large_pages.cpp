#include "common/large_pages.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace vistrel {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

void AdviseLargePages(void* data, std::size_t size) {
#if defined(MADV_HUGEPAGE)
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) {
    (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
#else
  (void)data;
  (void)size;
#endif
}

void ReturnFreedMemory() {
  (void)malloc_trim(0);
}

void FreeBytes::operator()(char* data) const {
  std::free(data);
}

void* AllocateLargeBlock(std::size_t size) {
  if (size < kHugePage) {
    void* data = std::malloc(size == 0 ? 1 : size);
    if (data == nullptr) throw std::bad_alloc();
    return data;
  }
  const std::size_t rounded = (size + kHugePage - 1) & ~(kHugePage - 1);
  void* data = std::aligned_alloc(kHugePage, rounded);
  if (data == nullptr) throw std::bad_alloc();
  AdviseLargePages(data, rounded);
  return data;
}

LargeBuffer AllocateLargeBuffer(std::size_t size) {
  return LargeBuffer(static_cast<char*>(AllocateLargeBlock(size)));
}

}  // namespace vistrel
