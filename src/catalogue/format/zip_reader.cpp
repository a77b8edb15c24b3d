#include "catalogue/format/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "common/error.h"

namespace vistrel {

namespace {

// minizip's value for comparing names without regard to ASCII case.
constexpr int kCaseInsensitive = 2;

// Read calls take an unsigned length; stay well inside it.
constexpr std::size_t kReadChunk = std::size_t{1} << 30;

// Entry names are only wanted for messages; longer ones are cut.
constexpr unsigned kNameCapacity = 256;

// A 32-bit size of all ones in the directory means "see the zip64 extra field".
constexpr std::uint64_t kZip64Marker = 0xFFFFFFFFu;
constexpr unsigned kZip64ExtraId = 0x0001;

Error Damaged(const std::string& entry, const std::string& why) {
  return Error("The archive entry \"" + entry + "\" is damaged: " + why);
}

std::uint64_t LittleEndian(const std::string& bytes, std::size_t at, int count) {
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

// The uncompressed size from the current entry's zip64 extra field. The minizip we build
// against compares the 32-bit size with an all-ones value of the wrong width, so on 64-bit
// systems it never takes the size from that field and reports the marker instead.
std::optional<std::uint64_t> Zip64UncompressedSize(unzFile archive, const unz_file_info64& info) {
  std::string extra(info.size_file_extra, '\0');
  if (extra.empty() || unzGetCurrentFileInfo64(archive, nullptr, nullptr, 0, extra.data(),
                                               extra.size(), nullptr, 0) != UNZ_OK) {
    return std::nullopt;
  }
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const auto id = LittleEndian(extra, at, 2);
    const auto length = static_cast<std::size_t>(LittleEndian(extra, at + 2, 2));
    if (at + 4 + length > extra.size()) break;
    // The uncompressed size comes first when its 32-bit field holds the marker.
    if (id == kZip64ExtraId && length >= 8) return LittleEndian(extra, at + 4, 8);
    at += 4 + length;
  }
  return std::nullopt;
}

// Reads the current entry whole into the buffer that `buffer_for(size)` provides once the
// size is known.
void ReadCurrentEntry(unzFile archive, const std::function<char*(std::size_t)>& buffer_for) {
  if (archive == nullptr) throw Error("No archive is open");
  unz_file_info64 info{};
  char name_buffer[kNameCapacity + 1] = {};
  if (unzGetCurrentFileInfo64(archive, &info, name_buffer, kNameCapacity, nullptr, 0, nullptr, 0) !=
      UNZ_OK) {
    throw Error("The current archive entry cannot be read");
  }
  const std::string entry = name_buffer;
  std::uint64_t size = info.uncompressed_size;
  // minizip then no longer knows where the entry ends, so the checksum is checked here.
  const bool own_checksum = size == kZip64Marker;
  if (own_checksum) {
    const std::optional<std::uint64_t> zip64_size = Zip64UncompressedSize(archive, info);
    if (!zip64_size) throw Damaged(entry, "its zip64 size is missing");
    size = *zip64_size;
  }
  if (size > kMaxZipEntrySize) {
    throw Error("The archive entry \"" + entry + "\" declares " + std::to_string(size) +
                " bytes, more than the " + std::to_string(kMaxZipEntrySize) + " allowed");
  }
  if (int rc = unzOpenCurrentFile(archive); rc != UNZ_OK) {
    throw Error("The archive entry \"" + entry + "\" cannot be opened (error " +
                std::to_string(rc) + ")");
  }
  const auto total = static_cast<std::size_t>(size);
  char* data = nullptr;
  try {
    data = buffer_for(total);
  } catch (...) {
    unzCloseCurrentFile(archive);
    throw;
  }
  std::size_t done = 0;
  while (done < total) {
    const auto chunk = static_cast<unsigned>(std::min(kReadChunk, total - done));
    const int n = unzReadCurrentFile(archive, data + done, chunk);
    if (n <= 0) {
      unzCloseCurrentFile(archive);
      throw n == 0 ? Damaged(entry, "it ends before its declared size")
                   : Damaged(entry, "read error " + std::to_string(n));
    }
    done += static_cast<std::size_t>(n);
  }
  // minizip compares the checksum only once its count of bytes has run out, as it has here
  // unless the size came from the zip64 field.
  if (int rc = unzCloseCurrentFile(archive); rc != UNZ_OK) {
    throw rc == UNZ_CRCERROR ? Damaged(entry, "checksum mismatch")
                             : Damaged(entry, "error " + std::to_string(rc));
  }
  if (own_checksum &&
      crc32(0, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(total)) != info.crc) {
    throw Damaged(entry, "checksum mismatch");
  }
}

}  // namespace

bool LocateZipEntry(unzFile archive, const char* name) {
  return archive != nullptr && unzLocateFile(archive, name, kCaseInsensitive) == UNZ_OK;
}

std::string ReadZipEntry(unzFile archive) {
  std::string data;
  ReadCurrentEntry(archive, [&](std::size_t size) {
    data.resize(size);
    return data.data();
  });
  return data;
}

ZipEntryBytes ReadZipEntryBytes(unzFile archive) {
  ZipEntryBytes bytes;
  ReadCurrentEntry(archive, [&](std::size_t size) {
    bytes.data = std::make_unique_for_overwrite<char[]>(size);
    bytes.size = size;
    return bytes.data.get();
  });
  return bytes;
}

}  // namespace vistrel
