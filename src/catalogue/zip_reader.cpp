#include "catalogue/zip_reader.h"

#include <algorithm>

#include "common/error.h"

namespace vistrel {

namespace {

// minizip's value for comparing names without regard to ASCII case.
constexpr int kCaseInsensitive = 2;

// Read calls take an unsigned length; stay well inside it.
constexpr std::size_t kReadChunk = std::size_t{1} << 30;

// Entry names are only wanted for messages; longer ones are cut.
constexpr unsigned kNameCapacity = 256;

Error Damaged(const std::string& entry, const std::string& why) {
  return Error("The archive entry \"" + entry + "\" is damaged: " + why);
}

}  // namespace

bool LocateZipEntry(unzFile archive, const char* name) {
  return archive != nullptr && unzLocateFile(archive, name, kCaseInsensitive) == UNZ_OK;
}

std::string ReadZipEntry(unzFile archive) {
  if (archive == nullptr) throw Error("No archive is open");
  unz_file_info64 info{};
  char name_buffer[kNameCapacity + 1] = {};
  if (unzGetCurrentFileInfo64(archive, &info, name_buffer, kNameCapacity, nullptr, 0, nullptr, 0) !=
      UNZ_OK) {
    throw Error("The current archive entry cannot be read");
  }
  const std::string entry = name_buffer;
  if (info.uncompressed_size > kMaxZipEntrySize) {
    throw Error("The archive entry \"" + entry + "\" declares " +
                std::to_string(info.uncompressed_size) + " bytes, more than the " +
                std::to_string(kMaxZipEntrySize) + " allowed");
  }
  if (int rc = unzOpenCurrentFile(archive); rc != UNZ_OK) {
    throw Error("The archive entry \"" + entry + "\" cannot be opened (error " +
                std::to_string(rc) + ")");
  }
  std::string data(static_cast<std::size_t>(info.uncompressed_size), '\0');
  std::size_t done = 0;
  while (done < data.size()) {
    const auto chunk = static_cast<unsigned>(std::min(kReadChunk, data.size() - done));
    const int n = unzReadCurrentFile(archive, data.data() + done, chunk);
    if (n <= 0) {
      unzCloseCurrentFile(archive);
      throw n == 0 ? Damaged(entry, "it ends before its declared size")
                   : Damaged(entry, "read error " + std::to_string(n));
    }
    done += static_cast<std::size_t>(n);
  }
  // The checksum is only compared once everything has been read, which is the case here.
  if (int rc = unzCloseCurrentFile(archive); rc != UNZ_OK) {
    throw rc == UNZ_CRCERROR ? Damaged(entry, "checksum mismatch")
                             : Damaged(entry, "error " + std::to_string(rc));
  }
  return data;
}

}  // namespace vistrel
