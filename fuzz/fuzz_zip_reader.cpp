// The zip reader on plain bytes: open, walk every entry, check and read each.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "catalogue/format/zip_memory.h"
#include "catalogue/format/zip_reader.h"
#include "catalogue/package.h"
#include "common/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vistrel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const UnzipArchive archive = OpenZipInMemory(bytes);
  if (!archive) return 0;
  // The package's names first, as the loader finds them; then every entry in order.
  for (const char* name : kPackageEntries) {
    if (!LocateZipEntry(archive, name)) continue;
    try {
      (void)ReadZipEntry(archive);
    } catch (const Error&) {
    }
  }
  int entries = 0;
  for (int rc = unzGoToFirstFile(archive.get()); rc == UNZ_OK && entries < 64;
       rc = unzGoToNextFile(archive.get()), ++entries) {
    try {
      const ZipEntryInfo info = CurrentZipEntry(archive);
      const ZipEntryBytes read = ReadZipEntryBytes(archive);
      if (read.size != info.size) __builtin_trap();  // read whole or not at all
    } catch (const Error&) {
    }
  }
  return 0;
}
