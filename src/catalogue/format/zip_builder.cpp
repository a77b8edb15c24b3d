#include <algorithm>

#include "catalogue/format/cipher.h"
#include "catalogue/format/zip_memory.h"
#include "catalogue/package.h"
#include "common/error.h"

namespace vistrel {

namespace {

// Writes take an unsigned length; stay well inside it.
constexpr std::size_t kWriteChunk = std::size_t{1} << 30;

void AddEntry(zipFile zip, const PackageEntry& entry) {
  zip_fileinfo file_info{};
  // A fixed time stamp keeps the archive the same for the same tables.
  file_info.tmz_date.tm_mday = 1;
  file_info.tmz_date.tm_mon = 0;
  file_info.tmz_date.tm_year = 1980;
  const int zip64 = entry.second.size() >= 0xffffffffu ? 1 : 0;
  if (zipOpenNewFileInZip64(zip, entry.first.c_str(), &file_info, nullptr, 0, nullptr, 0, nullptr,
                            Z_DEFLATED, Z_DEFAULT_COMPRESSION, zip64) != ZIP_OK) {
    throw Error("Cannot add \"" + entry.first + "\" to the archive");
  }
  const std::string& bytes = entry.second;
  for (std::size_t done = 0; done < bytes.size();) {
    const std::size_t n = std::min(kWriteChunk, bytes.size() - done);
    if (zipWriteInFileInZip(zip, bytes.data() + done, static_cast<unsigned>(n)) != ZIP_OK) {
      throw Error("Cannot write \"" + entry.first + "\" to the archive");
    }
    done += n;
  }
  if (zipCloseFileInZip(zip) != ZIP_OK) {
    throw Error("Cannot finish \"" + entry.first + "\" in the archive");
  }
}

}  // namespace

std::string BuildZipArchive(const std::vector<PackageEntry>& entries) {
  std::string out;
  zipFile zip = CreateZipInMemory(&out);
  if (zip == nullptr) throw Error("Cannot create the archive");
  try {
    for (const PackageEntry& entry : entries) AddEntry(zip, entry);
  } catch (...) {
    zipClose(zip, nullptr);
    throw;
  }
  if (zipClose(zip, nullptr) != ZIP_OK) throw Error("Cannot finish the archive");
  return out;
}

std::string BuildPackage(const std::vector<PackageEntry>& entries, std::string_view key_text,
                         std::string_view iv_text) {
  std::string bytes = BuildZipArchive(entries);
  const CipherKey key(key_text, iv_text);
  EncryptInPlace(bytes, key);
  return bytes;
}

}  // namespace vistrel
