#pragma once
// Zip archives held in memory. The minizip build we use has no memory I/O of its own, so these
// give it file functions over a buffer: the package is opened and built without touching disk.

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vistrel {

struct UnzipCloser {
  void operator()(void* archive) const { unzClose(archive); }
};

// An archive open for reading, closed when released, with the bytes it was opened on: nothing
// in it can be larger, which is what the entry reader checks declared sizes against, and an
// entry's data can be inflated straight from them. A default-made one is null and finds
// nothing.
class UnzipArchive {
 public:
  UnzipArchive() = default;
  UnzipArchive(unzFile handle, std::string_view bytes) : handle_(handle), bytes_(bytes) {}

  unzFile get() const { return handle_.get(); }
  std::string_view bytes() const { return bytes_; }
  std::uint64_t byte_size() const { return bytes_.size(); }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  std::unique_ptr<void, UnzipCloser> handle_;
  std::string_view bytes_;
};

// Opens the zip archive in `bytes`, which must outlive the returned archive. Null when the
// bytes are not a readable archive.
UnzipArchive OpenZipInMemory(std::string_view bytes);

// Whether `bytes` are a zip archive without entries: the end record alone (declaring no
// entries and an empty directory) followed by nothing but its comment. OpenZipInMemory cannot
// open such an archive, as minizip takes an end record at the very start for none at all.
bool IsEmptyZipArchive(std::string_view bytes);

// Starts a new zip archive whose bytes go to `*out` (replacing what it held); zipClose
// finishes it. Null on failure.
zipFile CreateZipInMemory(std::string* out);

}  // namespace vistrel
