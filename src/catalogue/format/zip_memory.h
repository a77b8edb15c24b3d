#pragma once
// Zip archives held in memory. The minizip build we use has no memory I/O of its own, so these
// give it file functions over a buffer: the package is opened and built without touching disk.

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <memory>
#include <string>
#include <string_view>

namespace vistrel {

struct UnzipCloser {
  void operator()(void* archive) const { unzClose(archive); }
};
// An archive open for reading; closed when released.
using UnzipArchive = std::unique_ptr<void, UnzipCloser>;

// Opens the zip archive in `bytes`, which must outlive the returned archive. Null when the
// bytes are not a readable archive.
UnzipArchive OpenZipInMemory(std::string_view bytes);

// Starts a new zip archive whose bytes go to `*out` (replacing what it held); zipClose
// finishes it. Null on failure.
zipFile CreateZipInMemory(std::string* out);

}  // namespace vistrel
