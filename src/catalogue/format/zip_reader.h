#pragma once
// Finding and reading entries of an open zip archive. A null archive finds nothing.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/format/zip_memory.h"

namespace vistrel {

// Entries declared larger than this are refused rather than given the memory they claim.
inline constexpr std::uint64_t kMaxZipEntrySize = std::uint64_t{256} << 20;

// Makes the entry whose full stored name is `name` the current one, comparing ASCII letters
// without regard to case; the first match wins. False when there is none.
bool LocateZipEntry(unzFile archive, const char* name);

// The current entry's bytes, as many as the archive's directory declares. Throws
// vistrel::Error naming the entry when it cannot be read whole and intact (damaged data,
// checksum mismatch, shorter than declared, unsupported method) or declares more than
// kMaxZipEntrySize bytes.
std::string ReadZipEntry(unzFile archive);

// An entry's bytes in a buffer that is not cleared before they are read into it.
struct ZipEntryBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::string_view view() const { return {data.get(), size}; }
};

// ReadZipEntry for large entries: the same bytes and errors, without first filling the whole
// buffer with zeros.
ZipEntryBytes ReadZipEntryBytes(unzFile archive);

}  // namespace vistrel
