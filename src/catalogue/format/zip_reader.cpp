#include "catalogue/format/zip_reader.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
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

struct Zip64Sizes {
  std::uint64_t size = 0;
  std::optional<std::uint64_t> compressed_size;
};

// The sizes from the current entry's zip64 extra field, which holds, in this order, those of
// the 32-bit fields that carry the marker. The minizip we build against compares the 32-bit
// size with an all-ones value of the wrong width, so on 64-bit systems it never takes the size
// from that field and reports the marker instead.
std::optional<Zip64Sizes> Zip64EntrySizes(unzFile archive, const unz_file_info64& info) {
  std::string extra(info.size_file_extra, '\0');
  if (extra.empty() || unzGetCurrentFileInfo64(archive, nullptr, nullptr, 0, extra.data(),
                                               extra.size(), nullptr, 0) != UNZ_OK) {
    return std::nullopt;
  }
  const bool size_there = info.uncompressed_size == kZip64Marker;
  const bool compressed_there = info.compressed_size == kZip64Marker;
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const auto id = LittleEndian(extra, at, 2);
    const auto length = static_cast<std::size_t>(LittleEndian(extra, at + 2, 2));
    if (at + 4 + length > extra.size()) break;
    if (id == kZip64ExtraId) {
      Zip64Sizes sizes;
      std::size_t field = at + 4;
      const std::size_t end = at + 4 + length;
      if (size_there) {
        if (field + 8 > end) return std::nullopt;
        sizes.size = LittleEndian(extra, field, 8);
        field += 8;
      } else {
        sizes.size = info.uncompressed_size;
      }
      if (compressed_there && field + 8 <= end)
        sizes.compressed_size = LittleEndian(extra, field, 8);
      return sizes;
    }
    at += 4 + length;
  }
  return std::nullopt;
}

// The current entry's directory record with its sizes checked, and what the read needs besides.
struct CheckedEntry {
  ZipEntryInfo info;
  std::uint32_t crc = 0;
  // minizip no longer knows where the entry ends when its size came from the zip64 field,
  // so the checksum is checked here.
  bool own_checksum = false;
};

CheckedEntry CheckCurrentEntry(const UnzipArchive& archive) {
  if (!archive) throw Error("No archive is open");
  unz_file_info64 info{};
  char name_buffer[kNameCapacity + 1] = {};
  if (unzGetCurrentFileInfo64(archive.get(), &info, name_buffer, kNameCapacity, nullptr, 0, nullptr,
                              0) != UNZ_OK) {
    throw Error("The current archive entry cannot be read");
  }
  CheckedEntry entry;
  entry.info.name = name_buffer;
  entry.info.compressed_size = info.compressed_size;
  entry.info.size = info.uncompressed_size;
  entry.info.deflated = info.compression_method == Z_DEFLATED;
  entry.crc = static_cast<std::uint32_t>(info.crc);
  const std::string& name = entry.info.name;
  if (entry.info.size == kZip64Marker || entry.info.compressed_size == kZip64Marker) {
    const std::optional<Zip64Sizes> zip64 = Zip64EntrySizes(archive.get(), info);
    if (entry.info.size == kZip64Marker) {
      if (!zip64) throw Damaged(name, "its zip64 size is missing");
      entry.info.size = zip64->size;
      entry.own_checksum = true;
    }
    if (entry.info.compressed_size == kZip64Marker) {
      // Without its zip64 value the data can still be no larger than the archive.
      const std::optional<std::uint64_t> compressed = zip64 ? zip64->compressed_size : std::nullopt;
      entry.info.compressed_size = compressed.value_or(archive.byte_size());
    }
  }
  // Checked before anything is allocated: a few bytes of archive must not obtain the memory
  // they claim.
  if (entry.info.compressed_size > archive.byte_size()) {
    throw Damaged(name, "it declares " + std::to_string(entry.info.compressed_size) +
                            " compressed bytes in an archive of " +
                            std::to_string(archive.byte_size()));
  }
  const std::uint64_t most = entry.info.deflated
                                 ? (entry.info.compressed_size + 1) * kMaxDeflateRatio
                                 : entry.info.compressed_size;
  if (entry.info.size > most) {
    throw Damaged(name, "it declares " + std::to_string(entry.info.size) + " bytes, more than " +
                            std::to_string(entry.info.compressed_size) +
                            " compressed bytes can hold");
  }
  if (entry.info.size > kMaxZipEntrySize) {
    throw Error("The archive entry \"" + name + "\" declares " + std::to_string(entry.info.size) +
                " bytes, more than the " + std::to_string(kMaxZipEntrySize) + " allowed");
  }
  return entry;
}

// The current entry, checked, read through minizip and zlib a piece at a time into `data`
// (checked.info.size bytes). Every problem the data can have is told apart here.
void StreamCurrentEntry(const UnzipArchive& archive, const CheckedEntry& checked, char* data) {
  const std::string& entry = checked.info.name;
  unzFile file = archive.get();
  if (int rc = unzOpenCurrentFile(file); rc != UNZ_OK) {
    throw Error("The archive entry \"" + entry + "\" cannot be opened (error " +
                std::to_string(rc) + ")");
  }
  const auto total = static_cast<std::size_t>(checked.info.size);
  std::size_t done = 0;
  while (done < total) {
    const auto chunk = static_cast<unsigned>(std::min(kReadChunk, total - done));
    const int n = unzReadCurrentFile(file, data + done, chunk);
    if (n <= 0) {
      unzCloseCurrentFile(file);
      throw n == 0 ? Damaged(entry, "it ends before its declared size")
                   : Damaged(entry, "read error " + std::to_string(n));
    }
    done += static_cast<std::size_t>(n);
  }
  // minizip compares the checksum only once its count of bytes has run out, as it has here
  // unless the size came from the zip64 field.
  if (int rc = unzCloseCurrentFile(file); rc != UNZ_OK) {
    throw rc == UNZ_CRCERROR ? Damaged(entry, "checksum mismatch")
                             : Damaged(entry, "error " + std::to_string(rc));
  }
  if (checked.own_checksum &&
      crc32(0, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(total)) != checked.crc) {
    throw Damaged(entry, "checksum mismatch");
  }
}

// The current entry checked and located: minizip reads its local header (opening the entry
// raw, so that no inflater is set up) and tells where its data starts.
PreparedZipEntry PrepareCurrentEntry(const UnzipArchive& archive, const CheckedEntry& checked) {
  unzFile file = archive.get();
  int method = 0;
  if (int rc = unzOpenCurrentFile2(file, &method, nullptr, 1); rc != UNZ_OK) {
    throw Error("The archive entry \"" + checked.info.name + "\" cannot be opened (error " +
                std::to_string(rc) + ")");
  }
  const std::uint64_t at = unzGetCurrentFileZStreamPos64(file);
  unzCloseCurrentFile(file);  // raw: nothing is checked
  PreparedZipEntry prepared;
  prepared.info = checked.info;
  prepared.crc = checked.crc;
  prepared.method = method;
  const std::string_view bytes = archive.bytes();
  if (at <= bytes.size()) {
    prepared.data = bytes.substr(static_cast<std::size_t>(at),
                                 static_cast<std::size_t>(std::min<std::uint64_t>(
                                     checked.info.compressed_size, bytes.size() - at)));
  }
  return prepared;
}

// Reads the current entry whole into the buffer that `buffer_for(size)` provides once the
// size is known and checked: inflated in one call where the data is intact, else streamed,
// which tells what is wrong with it.
void ReadCurrentEntry(const UnzipArchive& archive,
                      const std::function<char*(std::size_t)>& buffer_for) {
  const CheckedEntry checked = CheckCurrentEntry(archive);
  const PreparedZipEntry prepared = PrepareCurrentEntry(archive, checked);
  char* data = buffer_for(static_cast<std::size_t>(checked.info.size));
  if (!InflatePreparedEntry(prepared, data)) StreamCurrentEntry(archive, checked, data);
}

}  // namespace

bool LocateZipEntry(const UnzipArchive& archive, const char* name) {
  return archive && unzLocateFile(archive.get(), name, kCaseInsensitive) == UNZ_OK;
}

ZipEntryInfo CurrentZipEntry(const UnzipArchive& archive) {
  return CheckCurrentEntry(archive).info;
}

PreparedZipEntry PrepareZipEntry(const UnzipArchive& archive) {
  return PrepareCurrentEntry(archive, CheckCurrentEntry(archive));
}

bool InflatePreparedEntry(const PreparedZipEntry& entry, char* out) {
  const auto size = static_cast<std::size_t>(entry.info.size);
  if (entry.method == 0) {
    if (entry.data.size() < size) return false;
    if (size > 0) std::memcpy(out, entry.data.data(), size);
  } else if (entry.method == Z_DEFLATED) {
    if (entry.data.empty()) return false;  // a deflate stream has at least one block
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    if (inflater == nullptr) return false;
    std::size_t produced = 0;
    const libdeflate_result result = libdeflate_deflate_decompress(
        inflater, entry.data.data(), entry.data.size(), out, size, &produced);
    libdeflate_free_decompressor(inflater);
    if (result != LIBDEFLATE_SUCCESS || produced != size) return false;
  } else {
    return false;
  }
  return libdeflate_crc32(0, out, size) == entry.crc;
}

void ReadZipEntryStreamed(const UnzipArchive& archive, char* out) {
  StreamCurrentEntry(archive, CheckCurrentEntry(archive), out);
}

std::string ReadZipEntry(const UnzipArchive& archive) {
  std::string data;
  ReadCurrentEntry(archive, [&](std::size_t size) {
    data.resize(size);
    return data.data();
  });
  return data;
}

ZipEntryBytes ReadZipEntryBytes(const UnzipArchive& archive) {
  ZipEntryBytes bytes;
  ReadCurrentEntry(archive, [&](std::size_t size) {
    bytes.data = AllocateLargeBuffer(size);
    bytes.size = size;
    return bytes.data.get();
  });
  return bytes;
}

}  // namespace vistrel
