#pragma once
// Finding and reading entries of an open zip archive. A null archive finds nothing.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/format/zip_memory.h"
#include "common/large_pages.h"

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

// The current entry, checked and found in the archive's bytes, ready to be inflated whole on
// any thread: the archive itself is needed only to prepare it, and must stay open and unchanged
// while it is inflated.
struct PreparedZipEntry {
  ZipEntryInfo info;
  std::uint32_t crc = 0;  // as the archive's directory declares it
  int method = 0;         // the zip compression method
  std::string_view data;  // the entry's data, cut where the archive ends
};

// The current entry prepared for InflatePreparedEntry. Throws vistrel::Error as CurrentZipEntry
// does, and naming the entry when its local header cannot be read.
PreparedZipEntry PrepareZipEntry(const UnzipArchive& archive);

// The prepared entry's info.size bytes into `out`, in one call over the whole data, with the
// length and checksum checked. False when the data is not exactly that intact (damaged, shorter
// or longer, checksum mismatch, a method other than stored or deflate): ReadZipEntryStreamed
// then tells why. Does not throw; safe on several threads at once.
bool InflatePreparedEntry(const PreparedZipEntry& entry, char* out);

// The current entry's info.size bytes into `out` through the archive's streaming reader, which
// names every problem: what the loader falls back to when InflatePreparedEntry refuses an
// entry. Throws vistrel::Error as ReadZipEntry does.
void ReadZipEntryStreamed(const UnzipArchive& archive, char* out);

// An entry's bytes in a buffer that is not cleared before they are read into it.
struct ZipEntryBytes {
  LargeBuffer data;
  std::size_t size = 0;
  std::string_view view() const { return {data.get(), size}; }
};

// ReadZipEntry for large entries: the same bytes and errors, without first filling the whole
// buffer with zeros.
ZipEntryBytes ReadZipEntryBytes(const UnzipArchive& archive);

}  // namespace vistrel
