#pragma once
// Large buffers filled once and then read: the package's inflated tables and the catalogue's
// records. On this program's machines a page fault costs microseconds, and a 600k catalogue
// touches tens of thousands of 4 KiB pages; asking for transparent huge pages where the system
// grants them on request turns those into a few dozen faults.

#include <cstddef>
#include <memory>

namespace vistrel {

// Asks the system to back the whole 2 MiB pages inside [data, data + size) with huge pages.
// Only a request: where it is refused or unsupported nothing changes. Does not fail.
void AdviseLargePages(void* data, std::size_t size);

// Hands the pages of freed heap memory back to the system. A large block freed in the middle of
// the heap (the package's bytes once inflated) otherwise stays resident while the catalogue's
// records are made, and adds to the program's peak. Does not fail.
void ReturnFreedMemory();

struct FreeBytes {
  void operator()(char* data) const;
};
using LargeBuffer = std::unique_ptr<char[], FreeBytes>;

// `size` bytes, not cleared, aligned and advised for huge pages when large. Throws
// std::bad_alloc.
LargeBuffer AllocateLargeBuffer(std::size_t size);
// The same, owned by the caller, who frees it with std::free. Throws std::bad_alloc.
void* AllocateLargeBlock(std::size_t size);

}  // namespace vistrel
