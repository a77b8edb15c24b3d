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

// Deflate turns two bits into at most 258 bytes, so no deflated entry can inflate to more than
// this many times its compressed size.
inline constexpr std::uint64_t kMaxDeflateRatio = 1032;

// Makes the entry whose full stored name is `name` the current one, comparing ASCII letters
// without regard to case; the first match wins. False when there is none.
bool LocateZipEntry(const UnzipArchive& archive, const char* name);

// The current entry as the archive's directory declares it.
struct ZipEntryInfo {
  std::string name;                   // cut to 256 bytes; for messages
  std::uint64_t compressed_size = 0;  // bytes of data in the archive
  std::uint64_t size = 0;             // bytes once read
  bool deflated = false;              // else stored (or a method the reader refuses)
};

// The current entry's sizes, checked against what its data can hold before anything is
// allocated for it. Throws vistrel::Error naming the entry when there is no current entry, the
// directory cannot be read, the compressed size exceeds the archive, the size exceeds what the
// compressed bytes can give (a stored entry its compressed size, a deflated one
// kMaxDeflateRatio times it) or kMaxZipEntrySize.
ZipEntryInfo CurrentZipEntry(const UnzipArchive& archive);

// The current entry's bytes, as many as the archive's directory declares. Throws
// vistrel::Error naming the entry when CurrentZipEntry refuses it or it cannot be read whole
// and intact (damaged data, checksum mismatch, shorter than declared, unsupported method).
std::string ReadZipEntry(const UnzipArchive& archive);

// An entry's bytes in a buffer that is not cleared before they are read into it.
struct ZipEntryBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::string_view view() const { return {data.get(), size}; }
};

// ReadZipEntry for large entries: the same bytes and errors, without first filling the whole
// buffer with zeros.
ZipEntryBytes ReadZipEntryBytes(const UnzipArchive& archive);

}  // namespace vistrel
